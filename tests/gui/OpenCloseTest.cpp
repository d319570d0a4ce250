// Open and close through the real window: boxes typed into, buttons pressed, lines read back.
#include "MainWindowFixture.h"

#include <regex>

namespace guitest {
namespace {

// The text colour the window gives a label when it paints it.
COLORREF TextColor(HWND window, HWND label) {
    HDC dc = CreateCompatibleDC(nullptr);
    SendMessageA(window, WM_CTLCOLORSTATIC, reinterpret_cast<WPARAM>(dc),
                 reinterpret_cast<LPARAM>(label));
    const COLORREF c = GetTextColor(dc);
    DeleteDC(dc);
    return c;
}

TEST_F(MainWindow, OpenThenCloseThenCloseAgain) {
    TempFile file("hb-gui-open.txt", "handlebench");
    open(file.path, "0x80000000");
    EXPECT_EQ(text("lblResult"), "CreateFile success");
    const std::string handle = text("lblHandle");
    EXPECT_TRUE(std::regex_match(handle, std::regex("0x(?!FFFFFFFF$)[1-9A-F][0-9A-F]*"))) << handle;
    EXPECT_FALSE(IsWindowEnabled(item("cmdCreateFile")));
    EXPECT_EQ(TextColor(hwnd, item("lblHandle")), GetSysColor(COLOR_BTNTEXT));
    for (const char* line : {"CloseHandle res=1", "CloseHandle Err=6  (INVALID_HANDLE)"}) {
        press("cmdCloseHandle");
        EXPECT_EQ(text("lblResult"), line);
        EXPECT_EQ(text("lblHandle"), handle);
        EXPECT_EQ(TextColor(hwnd, item("lblHandle")), RGB(255, 0, 0));
        EXPECT_TRUE(IsWindowEnabled(item("cmdCreateFile")));
    }
}

TEST_F(MainWindow, FailedOpensShowTheErrorLine) {
    TempFile file("hb-gui-failed.txt", "handlebench");
    const struct {
        std::string name;
        int creation;
        const char* result;
    } rows[] = {{file.path + ".missing", 3, "CreateFile res=-1 Err=2  (FILE_NOT_FOUND)"},
                {file.path, 0, "CreateFile res=-1 Err=87  (INVALID_PARAMETER)"}};
    for (const auto& r : rows) {
        type("cboFileName", r.name);
        type("txtAccess", "0x80000000");
        SendMessageA(item("cboCreation"), CB_SETCURSEL, static_cast<WPARAM>(r.creation), 0);
        SendMessageA(hwnd, WM_COMMAND, MAKEWPARAM(frm->ctl("cboCreation").id(), CBN_SELCHANGE),
                     reinterpret_cast<LPARAM>(item("cboCreation")));
        press("cmdCreateFile");
        EXPECT_EQ(text("lblResult"), r.result);
        EXPECT_EQ(text("lblHandle"), "0xFFFFFFFF");
    }
}

}  // namespace
}  // namespace guitest
