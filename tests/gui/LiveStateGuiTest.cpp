// What the window shows is what the call uses, also when another program sets a control the
// standard way, which sends no notification (BM_SETCHECK, CB_SETCURSEL); and the handle label is
// painted in the colour of the handle's state.
#include "MainWindowFixture.h"

namespace guitest {
namespace {

class LiveState : public MainWindow {};

// The text colour the window gives a label when it paints it.
COLORREF TextColor(HWND window, HWND label) {
    HDC dc = CreateCompatibleDC(nullptr);
    SendMessageA(window, WM_CTLCOLORSTATIC, reinterpret_cast<WPARAM>(dc),
                 reinterpret_cast<LPARAM>(label));
    const COLORREF c = GetTextColor(dc);
    DeleteDC(dc);
    return c;
}

TEST_F(LiveState, AShareBoxCheckedByMessageIsTheShareModeOfTheOpen) {
    TempFile f("hb-live-share.txt", "abc");
    type("cboFileName", f.path);
    type("txtAccess", "0x80000000");
    SendMessageA(item("chkShare", 0), BM_SETCHECK, BST_CHECKED, 0);
    press("cmdCreateFile");
    ASSERT_EQ(text("lblResult"), "CreateFile success");
    EXPECT_FALSE(IsWindowEnabled(item("cmdCreateFile")));
    EXPECT_EQ(TextColor(hwnd, item("lblHandle")), GetSysColor(COLOR_BTNTEXT));
    // The file was opened sharing reading: another reader gets in.
    HANDLE other = CreateFileA(f.path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr,
                               OPEN_EXISTING, 0, nullptr);
    EXPECT_NE(other, INVALID_HANDLE_VALUE) << "error " << GetLastError();
    CloseHandle(other);
    press("cmdCloseHandle");
    EXPECT_TRUE(IsWindowEnabled(item("cmdCreateFile")));
    EXPECT_EQ(TextColor(hwnd, item("lblHandle")), RGB(255, 0, 0));
    // Unchecked the same way: the next open shares nothing, and the reader is refused.
    SendMessageA(item("chkShare", 0), BM_SETCHECK, BST_UNCHECKED, 0);
    press("cmdCreateFile");
    other = CreateFileA(f.path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0,
                        nullptr);
    EXPECT_EQ(other, INVALID_HANDLE_VALUE);
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_SHARING_VIOLATION));
    if (other != INVALID_HANDLE_VALUE) CloseHandle(other);
}

TEST_F(LiveState, ACreationChosenByMessageIsTheDispositionOfTheOpen) {
    TempFile f("hb-live-creation.txt", "abc");
    type("cboFileName", f.path);
    type("txtAccess", "0x80000000");
    SendMessageA(item("cboCreation"), CB_SETCURSEL, 1, 0);  // CREATE_NEW
    press("cmdCreateFile");
    EXPECT_EQ(text("lblResult"), "CreateFile res=-1 Err=80  (FILE_EXISTS)");
    SendMessageA(item("cboCreation"), CB_SETCURSEL, 0, 0);  // "0x0"
    press("cmdCreateFile");
    EXPECT_EQ(text("lblResult"), "CreateFile res=-1 Err=87  (INVALID_PARAMETER)");
}

}  // namespace
}  // namespace guitest
