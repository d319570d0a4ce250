// Open and close through the real window: texts typed into the boxes, buttons pressed, the
// result line and the handle display read back.
#include "MainWindowFixture.h"

#include <regex>

namespace guitest {
namespace {

constexpr COLORREF kRed = RGB(255, 0, 0);

class OpenClose : public MainWindow {
protected:
    // Access, share read, and a creation item, for the file given.
    void prepareOpen(const std::string& file, const char* access, int creation) {
        type("cboFileName", file);
        type("txtAccess", access);
        if (SendMessageA(item("chkShare", 0), BM_GETCHECK, 0, 0) != BST_CHECKED)
            press("chkShare", 0);
        select("cboCreation", creation);
    }
};

TEST_F(OpenClose, OpenThenCloseThenCloseAgain) {
    TempFile file("hb-gui-open.txt");
    prepareOpen(file.path(), "0x80000000", 3);
    ASSERT_EQ(ctl("chkShare", 0).value(), 1);

    press("cmdCreateFile");
    EXPECT_EQ(text("lblResult"), "CreateFile success");
    const std::string handle = text("lblHandle");
    EXPECT_TRUE(std::regex_match(handle, std::regex("0x[1-9A-F][0-9A-F]*"))) << handle;
    EXPECT_NE(handle, "0xFFFFFFFF");
    EXPECT_FALSE(IsWindowEnabled(item("cmdCreateFile")));
    EXPECT_EQ(textColor("lblHandle"), GetSysColor(COLOR_BTNTEXT));
    EXPECT_EQ(text("lblFilePos"), "Pos: 0");

    press("cmdCloseHandle");
    EXPECT_EQ(text("lblResult"), "CloseHandle res=1");
    EXPECT_EQ(text("lblHandle"), handle);
    EXPECT_TRUE(IsWindowEnabled(item("cmdCreateFile")));
    EXPECT_EQ(textColor("lblHandle"), kRed);

    press("cmdCloseHandle");
    EXPECT_EQ(text("lblResult"), "CloseHandle Err=6  (INVALID_HANDLE)");
    EXPECT_EQ(text("lblHandle"), handle);
}

struct FailedOpen {
    const char* what;
    bool fileExists;
    const char* access;
    int creation;
    const char* result;
    const char* handle;  // lblHandle afterwards
};

class FailedOpens : public OpenClose, public ::testing::WithParamInterface<FailedOpen> {};

TEST_P(FailedOpens, ShowTheErrorLine) {
    const FailedOpen& f = GetParam();
    TempFile file("hb-gui-failed.txt");
    std::string name = f.fileExists ? file.path() : file.path() + ".missing";
    prepareOpen(name, f.access, f.creation);

    press("cmdCreateFile");
    EXPECT_EQ(text("lblResult"), f.result);
    EXPECT_EQ(text("lblHandle"), f.handle);
    EXPECT_TRUE(IsWindowEnabled(item("cmdCreateFile")));
}

INSTANTIATE_TEST_SUITE_P(
    MainWindow, FailedOpens,
    ::testing::Values(
        FailedOpen{"MissingFile", false, "0x80000000", 3,
                   "CreateFile res=-1 Err=2  (FILE_NOT_FOUND)", "0xFFFFFFFF"},
        FailedOpen{"DispositionZero", true, "0x80000000", 0,
                   "CreateFile res=-1 Err=87  (INVALID_PARAMETER)", "0xFFFFFFFF"},
        // Not a number: no call is made, the handle display keeps its start value.
        FailedOpen{"AccessNotHex", true, "0xZZ", 3,
                   "CreateFile Err: Access is not a hexadecimal number", "0x0"}),
    [](const auto& p) { return std::string(p.param.what); });

TEST_F(OpenClose, FailedOpenColoursTheHandleRed) {
    TempFile file("hb-gui-red.txt");
    prepareOpen(file.path() + ".missing", "0x80000000", 3);
    press("cmdCreateFile");
    EXPECT_EQ(textColor("lblHandle"), kRed);
}

// The window is closed with a handle open: Form_Unload closes it, so the file can be deleted
// with no sharing conflict afterwards.
TEST_F(OpenClose, ClosingTheWindowClosesTheOpenHandle) {
    TempFile file("hb-gui-unload.txt");
    prepareOpen(file.path(), "0x80000000", 3);
    press("cmdCreateFile");
    ASSERT_EQ(text("lblResult"), "CreateFile success");
    SendMessageA(hwnd, WM_CLOSE, 0, 0);
    EXPECT_FALSE(frm->loaded());
    HANDLE h = CreateFileA(file.path().c_str(), GENERIC_WRITE, 0, nullptr, OPEN_EXISTING, 0,
                           nullptr);
    EXPECT_NE(h, INVALID_HANDLE_VALUE) << GetLastError();
    CloseHandle(h);
}

// Keys as the message loop sees them: Alt+O presses "Cl&oseHandle", Alt+F (the label
// "&FileName:") puts the focus into the file name box.
TEST_F(OpenClose, AcceleratorsPressButtonsAndLabelsMoveTheFocus) {
    SetFocus(item("txtCount"));
    MSG m{};
    m.hwnd = GetFocus();
    m.message = WM_SYSCHAR;
    m.wParam = 'o';
    m.lParam = 1 | (1 << 29);
    kit.dispatch(m);
    EXPECT_EQ(text("lblResult"), "CloseHandle Err=6  (INVALID_HANDLE)");

    m.hwnd = GetFocus();
    m.wParam = 'f';
    kit.dispatch(m);
    HWND focus = GetFocus();
    EXPECT_TRUE(focus == item("cboFileName") || GetParent(focus) == item("cboFileName"));
}

// Tab and Shift+Tab as the message loop gets them.
TEST_F(OpenClose, TabMovesThroughTheControls) {
    auto tab = [&](bool back) {
        BYTE keys[256];
        GetKeyboardState(keys);
        keys[VK_SHIFT] = back ? 0x80 : 0;
        SetKeyboardState(keys);
        MSG m{};
        m.hwnd = GetFocus();
        m.message = WM_KEYDOWN;
        m.wParam = VK_TAB;
        m.lParam = 1;
        kit.dispatch(m);
        keys[VK_SHIFT] = 0;
        SetKeyboardState(keys);
    };
    SetFocus(item("txtAccess"));
    tab(false);
    EXPECT_EQ(GetFocus(), item("cmdAccess"));
    tab(false);
    EXPECT_EQ(GetFocus(), item("chkShare", 0));
    tab(true);
    tab(true);
    EXPECT_EQ(GetFocus(), item("txtAccess"));
    tab(true);
    HWND focus = GetFocus();
    EXPECT_TRUE(focus == item("cboFileName") || GetParent(focus) == item("cboFileName"));
}

}  // namespace
}  // namespace guitest
