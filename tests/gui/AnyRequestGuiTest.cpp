// "DeviceIoControl..." in the real window: the dialog's focus order and keys, and one request
// end to end with its bytes and decoded line in the hex list.
#include "MainWindowFixture.h"

#include <vector>

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
        SetWindowTextA(GetDlgItem(dlg, kCboCode), "IOCTL_STORAGE_GET_DEVICE_NUMBER");
        SetWindowTextA(GetDlgItem(dlg, kTxtOutSize), "12");
        SetWindowTextA(GetDlgItem(dlg, kTxtInput), "01 02 03");
        EXPECT_EQ(TextOf(GetDlgItem(dlg, 1005)), "3 bytes");
        Screenshot(dlg, "device-io-control");
        key(VK_RETURN);
    });
    EXPECT_EQ(text("lblResult"), "DeviceIoControl res=1 dwBytesRet=12");
    EXPECT_EQ(hexLine(0), "070000000000000000000000  ............");
    EXPECT_EQ(hexLine(1), "DeviceType=7  DeviceNumber=0  PartitionNumber=0");
    settle();
    Screenshot(hwnd, "device-io-control-answer");

    pressDuringModal("cmdDeviceIoControl", "DeviceIoControl", [&](HWND dlg) {
        EXPECT_EQ(TextOf(GetDlgItem(dlg, kTxtInput)), "01 02 03");  // kept from the last use
        SetWindowTextA(GetDlgItem(dlg, kCboCode), "0x00221234");
        key(VK_ESCAPE);
    });
    EXPECT_EQ(text("lblResult"), "DeviceIoControl res=1 dwBytesRet=12");

    // One Wine does not know: its error.
    pressDuringModal("cmdDeviceIoControl", "DeviceIoControl", [&](HWND dlg) {
        SetWindowTextA(GetDlgItem(dlg, kCboCode), "IOCTL_DISK_GET_DRIVE_LAYOUT_EX");
        Click(dlg, "Send");
    });
    EXPECT_EQ(text("lblResult"), "DeviceIoControl res=0  Err=50  (NOT_SUPPORTED)");
}

}  // namespace
}  // namespace guitest
