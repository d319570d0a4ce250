// "DeviceIoControl..." in the real window: the dialog's focus order and keys, and one request
// end to end with its bytes and decoded line in the hex list.
#include "MainWindowFixture.h"

#include <memory>
#include <vector>

#include "sys/SimMachine.h"

namespace guitest {
namespace {

// Control ids follow the dialog's table: 1000 + row.
constexpr int kCboCode = 1001, kTxtInput = 1004, kTxtOutSize = 1007, kCmdSend = 1009,
              kCmdCancel = 1010;

class AnyRequest : public MainWindow {
  protected:
    std::string hexLine(int line) {
        char text[160] = "";
        LVITEMA it{};
        it.pszText = text, it.cchTextMax = sizeof text;
        SendMessageA(item("lstHexView"), LVM_GETITEMTEXTA, line, reinterpret_cast<LPARAM>(&it));
        return text;
    }
};

TEST_F(AnyRequest, TabGoesRoundEnterSendsEscapeCancels) {
    open("\\\\.\\PhysicalDrive0", "0x80000000");
    pressDuringModal("cmdDeviceIoControl", "DeviceIoControl", [&](HWND dlg) {
        std::vector<int> order{GetDlgCtrlID(GetFocus())};
        for (int i = 0; i < 5; ++i) key(VK_TAB), order.push_back(GetDlgCtrlID(GetFocus()));
        EXPECT_EQ(order, (std::vector<int>{kCboCode, kTxtInput, kTxtOutSize, kCmdSend, kCmdCancel,
                                           kCboCode}));
        // As typed: the combo tells of the change.
        SetWindowTextA(GetDlgItem(dlg, kCboCode), "IOCTL_STORAGE_GET_DEVICE_NUMBER");
        SendMessageA(dlg, WM_COMMAND, MAKEWPARAM(kCboCode, CBN_EDITCHANGE),
                     reinterpret_cast<LPARAM>(GetDlgItem(dlg, kCboCode)));
        HWND parts = GetDlgItem(dlg, kCboCode + 1);
        EXPECT_EQ(TextOf(parts),
                  "DeviceType=0x2D (MASS_STORAGE) Function=0x420 Method=BUFFERED Access=ANY");
        // The longest parts any code has stay on the label's one line.
        RECT room;
        GetClientRect(parts, &room);
        EXPECT_LE(TextSize(parts,
                           "DeviceType=0x8 (DISK_FILE_SYSTEM) Function=0xFFF "
                           "Method=OUT_DIRECT Access=READ+WRITE")
                      .cx,
                  room.right);
        SetWindowTextA(GetDlgItem(dlg, kTxtOutSize), "12");
        // A dump pasted in lines (a box of several lines tells of a change only by the user);
        // Enter there still sends.
        SendMessageA(GetDlgItem(dlg, kTxtInput), EM_SETSEL, 0, -1);
        SendMessageA(GetDlgItem(dlg, kTxtInput), EM_REPLACESEL, TRUE,
                     reinterpret_cast<LPARAM>("01 02\r\n03"));
        EXPECT_EQ(TextOf(GetDlgItem(dlg, 1005)), "3 bytes");
        settle();  // the new texts on screen before the picture
        Screenshot(dlg, "device-io-control");
        // Ctrl+Enter breaks a line; Enter there sends.
        SetFocus(GetDlgItem(dlg, kTxtInput));
        SendMessageA(GetDlgItem(dlg, kTxtInput), EM_SETSEL, 2, 2);
        BYTE keys[256];
        GetKeyboardState(keys);
        keys[VK_CONTROL] = 0x80;
        SetKeyboardState(keys);
        key(VK_RETURN);
        keys[VK_CONTROL] = 0;
        SetKeyboardState(keys);
        EXPECT_EQ(TextOf(GetDlgItem(dlg, kTxtInput)), "01\r\n 02\r\n03");
        key(VK_RETURN);
    });
    EXPECT_EQ(text("lblResult"), "DeviceIoControl res=1 dwBytesRet=12");
    EXPECT_EQ(hexLine(0), "070000000000000000000000  ............");
    EXPECT_EQ(hexLine(1), "DeviceType=7  DeviceNumber=0  PartitionNumber=0");
    settle();
    Screenshot(hwnd, "device-io-control-answer");

    pressDuringModal("cmdDeviceIoControl", "DeviceIoControl", [&](HWND dlg) {
        EXPECT_EQ(TextOf(GetDlgItem(dlg, kTxtInput)), "01\r\n 02\r\n03");  // kept from the last use
        SetWindowTextA(GetDlgItem(dlg, kCboCode), "0x00221234");
        SetFocus(GetDlgItem(dlg, kTxtInput));
        key(VK_ESCAPE);
    });
    EXPECT_EQ(text("lblResult"), "DeviceIoControl res=1 dwBytesRet=12");

    // One Wine does not know: its error.
    pressDuringModal("cmdDeviceIoControl", "DeviceIoControl", [&](HWND dlg) {
        EXPECT_EQ(TextOf(GetDlgItem(dlg, kCboCode)), "0x00221234");  // Escape keeps it too
        SetWindowTextA(GetDlgItem(dlg, kCboCode), "IOCTL_DISK_GET_DRIVE_LAYOUT_EX");
        Click(dlg, "Send");
    });
    EXPECT_EQ(text("lblResult"), "DeviceIoControl res=0  Err=50  (NOT_SUPPORTED)");
}

// Wine knows no partition table: the simulated machine's disks answer in the real window.
class AnyRequestOnTheMachine : public AnyRequest {
  protected:
    std::unique_ptr<sys::Kernel> makeSystem() override {
        auto machine = std::make_unique<sys::SimMachine>();
        machine->addPartitionedDisks();
        return machine;
    }
};

TEST_F(AnyRequestOnTheMachine, APartitionTableDecodedBelowItsBytes) {
    open("\\\\.\\PhysicalDrive1", "0x80000000");
    pressDuringModal("cmdDeviceIoControl", "DeviceIoControl", [&](HWND dlg) {
        SetWindowTextA(GetDlgItem(dlg, kCboCode), "IOCTL_DISK_GET_DRIVE_LAYOUT_EX");
        key(VK_RETURN);
    });
    EXPECT_EQ(text("lblResult"), "DeviceIoControl res=1 dwBytesRet=1200");
    // 75 lines of bytes, then the table.
    HWND list = item("lstHexView");
    ASSERT_EQ(SendMessageA(list, LVM_GETITEMCOUNT, 0, 0), 75 + 10);
    EXPECT_EQ(hexLine(75), "PartitionStyle=MBR  Count=8");
    SendMessageA(list, LVM_ENSUREVISIBLE, 75 + 9, FALSE);
    settle();
    Screenshot(hwnd, "device-io-control-partition-table");
}

}  // namespace
}  // namespace guitest
