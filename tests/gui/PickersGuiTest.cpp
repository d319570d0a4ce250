// The two pickers in the real window: opened by their "..." buttons, marked through list-view
// messages while their modal loop runs, left by each button and key, read back from the main
// window's controls.
#include "MainWindowFixture.h"

#include <vector>

namespace guitest {
namespace {

HWND ListOf(HWND dialog) {
    return FindWindowExA(dialog, nullptr, WC_LISTVIEWA, nullptr);
}

struct Picker {
    const char *button, *title, *box;
    int first, second;         // checked on the first show, then OK
    const char *value, *name;  // the box and lblAccessName afterwards
    int third;                 // above both: checked, then Cancel; kept to the last show, Enter
    const char *valueAfter, *nameAfter;
};

class Pickers : public MainWindow, public ::testing::WithParamInterface<Picker> {};

TEST_P(Pickers, OkAndEnterTakeTheMarksCancelEscapeAndTheCloseBoxKeepThem) {
    const Picker& p = GetParam();
    enum Leave { Ok, Cancel, Escape, CloseBox, Enter };
    const std::vector<int> two{p.first, p.second}, three{p.third, p.first, p.second};
    const struct {
        std::vector<int> checked, check;
        Leave leave;
        const char *value, *name;
    } shows[] = {{{}, two, Ok, p.value, p.name},
                 {two, {p.third}, Cancel, p.value, p.name},
                 {three, {}, Escape, p.value, p.name},
                 {three, {}, CloseBox, p.value, p.name},
                 {three, {}, Enter, p.valueAfter, p.nameAfter}};
    type(p.box, "0x00000000");
    for (const auto& s : shows) {
        SCOPED_TRACE(s.leave);
        pressDuringModal(p.button, p.title, [&](HWND dlg) {
            HWND list = ListOf(dlg);
            std::vector<int> checked;
            for (int i = 0; i < ListView_GetItemCount(list); ++i)
                if (ListView_GetCheckState(list, i)) checked.push_back(i);
            EXPECT_EQ(checked, s.checked);
            for (int i : s.check) ListView_SetCheckState(list, i, TRUE);
            if (s.leave == Ok) Screenshot(dlg, p.title);
            SetFocus(list);
            if (s.leave == Ok || s.leave == Cancel) Click(dlg, s.leave == Ok ? "OK" : "Cancel");
            if (s.leave == CloseBox) SendMessageA(dlg, WM_CLOSE, 0, 0);
            if (s.leave == Escape || s.leave == Enter)
                key(s.leave == Escape ? VK_ESCAPE : VK_RETURN);
        });
        EXPECT_EQ(text(p.box), s.value);
        EXPECT_EQ(text("lblAccessName"), s.name);
        EXPECT_EQ(frm->lblAccessName.font().size, 8.25) << "short names fit as they are";
    }
}

INSTANTIATE_TEST_SUITE_P(
    MainWindow, Pickers,
    ::testing::Values(Picker{"cmdAccess", "dwDesiredAccess", "txtAccess", 17, 18, "0xC0000000",
                             "GENERIC_READ | GENERIC_WRITE", 0, "0xC0000001",
                             "FILE_READ_DATA | GENERIC_READ | GENERIC_WRITE"},
                      Picker{"cmdFlagsAndAttributesList", "dwFlagsAndAttributes",
                             "txtFlagsAndAttibutes", 14, 16, "0xA0000000", "---", 0, "0xA0000001",
                             "---"}),
    [](const auto& p) { return std::string(p.param.box); });

// The font of the access names, measured with the fonts Wine really draws.
TEST_F(MainWindow, LongAccessNamesShrinkTheFontByRealMeasurement) {
    auto height = [&] {
        LOGFONTA lf{};
        GetObjectA(reinterpret_cast<HFONT>(SendMessageA(item("lblAccessName"), WM_GETFONT, 0, 0)),
                   sizeof lf, &lf);
        return lf.lfHeight < 0 ? -lf.lfHeight : lf.lfHeight;
    };
    ASSERT_EQ(frm->lblAccessName.font().size, 8.25);
    const int normal = height();
    // Every name: too long even at 5 pt, which is as small as it goes.
    pressDuringModal("cmdAccess", "dwDesiredAccess", [](HWND dlg) {
        for (int i = 0; i < ListView_GetItemCount(ListOf(dlg)); ++i)
            ListView_SetCheckState(ListOf(dlg), i, TRUE);
        Click(dlg, "OK");
    });
    EXPECT_EQ(frm->lblAccessName.font().size, 5.0);
    EXPECT_LT(height(), normal);
    Screenshot(hwnd, "access-names-5pt");
}

}  // namespace
}  // namespace guitest
