// The question before writing zeros: the real message box, answered with the mouse and the keys
// while its modal loop runs. What each handle I/O button shows is tested on the simulated machine.
#include "MainWindowFixture.h"

#include <string>

namespace guitest {
namespace {

TEST_F(MainWindow, WritingZerosAsksAndOnlyYesWrites) {
    TempFile file("hb-gui-write.bin", "");
    open(file.path, "0xC0000000");
    type("txtCount", "16");
    // Escape first: the box stays, and Wine's No then returns IDCANCEL, which must not write.
    struct Case {
        bool escapeFirst;
        int button;
    };
    for (const Case c : {Case{false, IDNO}, Case{true, IDNO}, Case{false, IDYES}}) {
        SCOPED_TRACE(std::to_string(c.escapeFirst) + " " + std::to_string(c.button));
        std::string question;
        pressDuringModal("cmdWrite", "Warning", [&](HWND box) {
            question = TextOf(GetDlgItem(box, 0xFFFF));  // the message box's text
            HWND target = GetDlgItem(box, c.button);
            if (c.escapeFirst) {
                PostMessageA(GetFocus(), WM_KEYDOWN, VK_ESCAPE, 1);
                PostMessageA(GetFocus(), WM_KEYUP, VK_ESCAPE, 0xC0000001);
            }
            PostMessageA(target, WM_LBUTTONDOWN, MK_LBUTTON, 0);
            PostMessageA(target, WM_LBUTTONUP, 0, 0);
        });
        EXPECT_EQ(question, "Writing ZEROS! Sure?");
        EXPECT_EQ(text("lblResult"),
                  c.button == IDNO ? "Err=---" : "WriteFile res=1 dwBytesWritten=16");
        EXPECT_EQ(file.size(), c.button == IDNO ? 0 : 16);
    }
    press("cmdCloseHandle");
}

}  // namespace
}  // namespace guitest
