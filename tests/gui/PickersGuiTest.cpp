// The two pickers in the real window: opened by their "..." buttons, driven through list-view
// and button messages while their modal loop runs, read back from the main window's controls.
#include "MainWindowFixture.h"

#include <vector>

namespace guitest {
namespace {

struct Picker {
    const char* button;
    const char* title;
    const char* box;
    int items;
    int first, second;  // checked on the first show, then OK
    const char* value;  // the box afterwards
    const char* name;   // lblAccessName afterwards
    int third;          // below both; checked, then Cancel: kept for the third show, then Enter
    const char* valueAfter;
    const char* nameAfter;
    friend std::ostream& operator<<(std::ostream& os, const Picker& p) { return os << p.title; }
};

class Pickers : public MainWindow, public ::testing::WithParamInterface<Picker> {
  protected:
    static HWND list(HWND dlg) { return FindWindowExA(dlg, nullptr, WC_LISTVIEWA, nullptr); }
    static void click(HWND dlg, const char* caption) {
        SendMessageA(FindWindowExA(dlg, nullptr, "Button", caption), BM_CLICK, 0, 0);
    }
    static std::vector<int> checkedItems(HWND dlg) {
        std::vector<int> items;
        for (int i = 0; i < ListView_GetItemCount(list(dlg)); ++i)
            if (ListView_GetCheckState(list(dlg), i)) items.push_back(i);
        return items;
    }
};

TEST_P(Pickers, OkCancelAndReopen) {
    const Picker& p = GetParam();
    auto expectBoxes = [&](const char* value, const char* name) {
        EXPECT_EQ(text(p.box), value);
        EXPECT_EQ(text("lblAccessName"), name);
    };
    type(p.box, "0x00000000");
    pressDuringModal(p.button, p.title, [&](HWND dlg) {
        EXPECT_EQ(SendMessageA(list(dlg), LVM_GETITEMCOUNT, 0, 0), p.items);
        EXPECT_EQ(checkedItems(dlg), std::vector<int>{});
        ListView_SetCheckState(list(dlg), p.first, TRUE);
        ListView_SetCheckState(list(dlg), p.second, TRUE);
        Screenshot(dlg, p.title);
        click(dlg, "OK");
    });
    expectBoxes(p.value, p.name);

    pressDuringModal(p.button, p.title, [&](HWND dlg) {
        EXPECT_EQ(checkedItems(dlg), (std::vector<int>{p.first, p.second}));
        ListView_SetCheckState(list(dlg), p.third, TRUE);
        click(dlg, "Cancel");
    });
    expectBoxes(p.value, p.name);

    pressDuringModal(p.button, p.title, [&](HWND dlg) {
        EXPECT_EQ(checkedItems(dlg), (std::vector<int>{p.third, p.first, p.second}));
        PostMessageA(list(dlg), WM_KEYDOWN, VK_RETURN, 1);  // Enter presses OK
        PostMessageA(list(dlg), WM_KEYUP, VK_RETURN, 0xC0000001);
    });
    expectBoxes(p.valueAfter, p.nameAfter);
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
