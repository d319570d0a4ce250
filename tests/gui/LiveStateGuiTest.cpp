// What the window shows is what the call uses, also when another program sets a control the
// standard way, which sends no notification (BM_SETCHECK, CB_SETCURSEL).
#include "MainWindowFixture.h"

namespace guitest {
namespace {

class LiveState : public MainWindow {};

TEST_F(LiveState, AShareBoxCheckedByMessageIsTheShareModeOfTheOpen) {
    TempFile f("hb-live-share.txt", "abc");
    type("cboFileName", f.path);
    type("txtAccess", "0x80000000");
    SendMessageA(item("chkShare", 0), BM_SETCHECK, BST_CHECKED, 0);
    press("cmdCreateFile");
    ASSERT_EQ(text("lblResult"), "CreateFile success");
    // The file was opened sharing reading: another reader gets in.
    HANDLE other = CreateFileA(f.path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr,
                               OPEN_EXISTING, 0, nullptr);
    EXPECT_NE(other, INVALID_HANDLE_VALUE) << "error " << GetLastError();
    CloseHandle(other);
    // Unchecked the same way: the next open shares nothing, and the reader is refused.
    press("cmdCloseHandle");
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

TEST_F(LiveState, APickerMarkSetByMessageIsInItsValue) {
    type("txtAccess", "0x00000000");
    pressDuringModal("cmdAccess", "dwDesiredAccess", [](HWND dlg) {
        HWND list = FindWindowExA(dlg, nullptr, WC_LISTVIEWA, nullptr);
        // The state image alone, as an accessibility tool toggles it.
        LVITEMA it{};
        it.stateMask = LVIS_STATEIMAGEMASK;
        it.state = INDEXTOSTATEIMAGEMASK(2);
        SendMessageA(list, LVM_SETITEMSTATE, 17, reinterpret_cast<LPARAM>(&it));  // GENERIC_READ
        SendMessageA(FindWindowExA(dlg, nullptr, "Button", "OK"), BM_CLICK, 0, 0);
    });
    EXPECT_EQ(text("txtAccess"), "0x80000000");
}

}  // namespace
}  // namespace guitest
