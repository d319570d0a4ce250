// The two pickers in the real window: opened by their "..." buttons, driven through list-view
// and button messages while their modal loop runs, read back from the main window's controls.
#include "MainWindowFixture.h"

#include <vector>

namespace guitest {
namespace {

struct Picker {
    const char *button, *title, *box;
    int items, first, second;  // first and second: checked on the first show, then OK
    const char *value, *name;  // the box and lblAccessName afterwards
    int third;  // below both: checked, then Cancel; kept for the third show, then Enter
    const char *valueAfter, *nameAfter;
};

class Pickers : public MainWindow, public ::testing::WithParamInterface<Picker> {};

TEST_P(Pickers, OkCancelAndReopen) {
    const Picker& p = GetParam();
    const struct {
        std::vector<int> checked, check;
        const char* closeWith;  // a button's caption; none: Enter on the list
        const char *value, *name;
    } shows[] = {{{}, {p.first, p.second}, "OK", p.value, p.name},
                 {{p.first, p.second}, {p.third}, "Cancel", p.value, p.name},
                 {{p.third, p.first, p.second}, {}, nullptr, p.valueAfter, p.nameAfter}};
    type(p.box, "0x00000000");
    for (const auto& s : shows) {
        pressDuringModal(p.button, p.title, [&](HWND dlg) {
            HWND list = FindWindowExA(dlg, nullptr, WC_LISTVIEWA, nullptr);
            ASSERT_EQ(ListView_GetItemCount(list), p.items);
            std::vector<int> checked;
            for (int i = 0; i < p.items; ++i)
                if (ListView_GetCheckState(list, i)) checked.push_back(i);
            EXPECT_EQ(checked, s.checked);
            for (int i : s.check) ListView_SetCheckState(list, i, TRUE);
            if (&s == shows) Screenshot(dlg, p.title);
            if (s.closeWith) {
                SendMessageA(FindWindowExA(dlg, nullptr, "Button", s.closeWith), BM_CLICK, 0, 0);
            } else {
                PostMessageA(list, WM_KEYDOWN, VK_RETURN, 1);
                PostMessageA(list, WM_KEYUP, VK_RETURN, 0xC0000001);
            }
        });
        EXPECT_EQ(text(p.box), s.value);
        EXPECT_EQ(text("lblAccessName"), s.name);
    }
}

INSTANTIATE_TEST_SUITE_P(
    MainWindow, Pickers,
    ::testing::Values(Picker{"cmdAccess", "dwDesiredAccess", "txtAccess", 21, 17, 18, "0xC0000000",
                             "GENERIC_READ | GENERIC_WRITE", 0, "0xC0000001",
                             "FILE_READ_DATA | GENERIC_READ | GENERIC_WRITE"},
                      Picker{"cmdFlagsAndAttributesList", "dwFlagsAndAttributes",
                             "txtFlagsAndAttibutes", 24, 14, 16, "0xA0000000", "---", 0,
                             "0xA0000001", "---"}),
    [](const auto& p) { return std::string(p.param.box); });

}  // namespace
}  // namespace guitest

namespace guitest {
namespace {

class PickerKeys : public MainWindow {
  protected:
    // The height in pixels of the font the window really draws the access names with.
    int NameFontHeight() {
        LOGFONTA lf{};
        GetObjectA(reinterpret_cast<HFONT>(SendMessageA(item("lblAccessName"), WM_GETFONT, 0, 0)),
                   sizeof lf, &lf);
        return lf.lfHeight < 0 ? -lf.lfHeight : lf.lfHeight;
    }
};

TEST_F(PickerKeys, EscapeAndTheCloseBoxCancelAndTheDialogKeepsItsMarks) {
    type("txtAccess", "0x00000000");
    for (bool closeBox : {false, true}) {
        pressDuringModal("cmdAccess", "dwDesiredAccess", [&](HWND dlg) {
            HWND list = FindWindowExA(dlg, nullptr, WC_LISTVIEWA, nullptr);
            ListView_SetCheckState(list, 17, TRUE);  // GENERIC_READ
            if (closeBox) {
                SendMessageA(dlg, WM_CLOSE, 0, 0);
            } else {
                SetFocus(list);
                key(VK_ESCAPE);
            }
        });
        EXPECT_EQ(text("txtAccess"), "0x00000000") << (closeBox ? "close box" : "Escape");
    }
    // Hidden, not destroyed: the mark is still there, and OK takes it.
    pressDuringModal("cmdAccess", "dwDesiredAccess", [](HWND dlg) {
        HWND list = FindWindowExA(dlg, nullptr, WC_LISTVIEWA, nullptr);
        EXPECT_TRUE(ListView_GetCheckState(list, 17));
        SendMessageA(FindWindowExA(dlg, nullptr, "Button", "OK"), BM_CLICK, 0, 0);
    });
    EXPECT_EQ(text("txtAccess"), "0x80000000");
}

TEST_F(PickerKeys, LongAccessNamesShrinkTheFontByRealMeasurement) {
    type("txtAccess", "0x00000000");
    pressDuringModal("cmdAccess", "dwDesiredAccess", [](HWND dlg) {
        ListView_SetCheckState(FindWindowExA(dlg, nullptr, WC_LISTVIEWA, nullptr), 17, TRUE);
        SendMessageA(FindWindowExA(dlg, nullptr, "Button", "OK"), BM_CLICK, 0, 0);
    });
    EXPECT_EQ(frm->lblAccessName.font().size, 8.25);
    const int normal = NameFontHeight();
    // Every name: too long even at 5 pt, which is as small as it goes.
    pressDuringModal("cmdAccess", "dwDesiredAccess", [](HWND dlg) {
        HWND list = FindWindowExA(dlg, nullptr, WC_LISTVIEWA, nullptr);
        for (int i = 0; i < ListView_GetItemCount(list); ++i) ListView_SetCheckState(list, i, TRUE);
        SendMessageA(FindWindowExA(dlg, nullptr, "Button", "OK"), BM_CLICK, 0, 0);
    });
    EXPECT_EQ(frm->lblAccessName.font().size, 5.0);
    EXPECT_LT(NameFontHeight(), normal);
    Screenshot(hwnd, "access-names-5pt");
}

}  // namespace
}  // namespace guitest
