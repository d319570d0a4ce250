// What the windows show is whole: no control under the result line when the line is long.
#include "MainWindowFixture.h"

namespace guitest {
namespace {

TEST_F(MainWindow, ALongResultLineLeavesNoControlUnderIt) {
    type("cboFileName", "C:\\");
    press("cmdFreeSpaceEx");
    kit.pumpPending();
    Screenshot(hwnd, "result-line-long");
    HWND line = item("lblResult");
    RECT at, about, both;
    GetWindowRect(line, &at);
    GetWindowRect(item("lblAbout"), &about);
    ASSERT_GT(at.right, about.left) << "too short to test: " << TextOf(line);
    for (HWND c = GetWindow(hwnd, GW_CHILD); c; c = GetWindow(c, GW_HWNDNEXT)) {
        RECT r;
        if (c == line || !IsWindowVisible(c) || !GetWindowRect(c, &r)) continue;
        EXPECT_FALSE(IntersectRect(&both, &at, &r)) << "under the line: id " << GetDlgCtrlID(c);
    }
}

}  // namespace
}  // namespace guitest
