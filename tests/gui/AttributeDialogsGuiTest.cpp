// The disk and GPT attribute dialogs in the real window: opened by their buttons (the GPT one
// directly, since Wine refuses the read that comes first), with keys sent as a user types.
#include "MainWindowFixture.h"
#include "devctl/AttributeDialogs.h"

#include <vector>

namespace guitest {
namespace {

int FocusId() {
    return GetDlgCtrlID(GetFocus());
}

// Control ids follow the dialogs' tables: 1000 + row.
constexpr int kChkAttrMask1 = 1004, kChkPersist = 1012;
constexpr int kTxtGptAttributes = 1003, kTxtRevertOnClose = 1005;

class AttributeDialogs : public MainWindow {};

TEST_F(AttributeDialogs, TheDiskDialogOpensThoughTheReadFailsAndEnterCancels) {
    open("\\\\.\\PhysicalDrive0", "0xC0000000");
    type("cboFileName", "kept");  // the result line must keep its text on Cancel
    SetWindowTextA(item("lblResult"), "before");
    frm->lblResult.userSetText("before");
    pressDuringModal("cmdSetDiskAttributes", "IOCTL_DISK_SET_DISK_ATTRIBUTES", [&](HWND dlg) {
        Screenshot(dlg, "set-disk-attributes");
        // The focus order of the dialog, from the mask's offline box round to it again.
        std::vector<int> order{FocusId()}, want;
        for (int i = 0; i < 9; ++i) key(VK_TAB), order.push_back(FocusId());
        for (int id = kChkAttrMask1; id <= kChkPersist; ++id) want.push_back(id);
        want.push_back(kChkAttrMask1);
        EXPECT_EQ(order, want);
        key(VK_ESCAPE);
        EXPECT_TRUE(IsWindowVisible(dlg)) << "no button answers Escape";
        key(VK_SPACE);  // the mask's offline box, which has the focus again
        EXPECT_EQ(TextOf(GetDlgItem(dlg, 1005)), "0x00000001");
        key(VK_RETURN);  // Cancel, the default button
    });
    EXPECT_EQ(text("lblResult"), "before");

    // Set sends the change: Wine does not support it.
    pressDuringModal("cmdSetDiskAttributes", "IOCTL_DISK_SET_DISK_ATTRIBUTES",
                     [](HWND dlg) { Click(dlg, "Set"); });
    EXPECT_EQ(text("lblResult"), sys::RunningUnderWine()
                                     ? "SetDiskAttributes res=0  Err=50  (NOT_SUPPORTED)"
                                     : "SetDiskAttributes res=1");
}

TEST_F(AttributeDialogs, TheGptDialogSelectsOnTabOkOnEnterCancelOnEscape) {
    struct Case {
        WPARAM closeKey;
        bool result;
    };
    for (const Case c : {Case{VK_RETURN, true}, Case{VK_ESCAPE, false}}) {
        app::FrmSetGptAttribs dialog(kit);
        dialog.load();
        dialog.txtGptAttributes.setText("0x8000000000000001");
        duringModal([&] { dialog.show(true); }, "IOCTL_VOLUME_SET_GPT_ATTRIBUTES",
                    [&](HWND dlg) {
                        if (c.result) Screenshot(dlg, "set-gpt-attributes");
                        auto selection = [&](int id) {
                            DWORD from = 0, to = 0;
                            SendMessageA(GetDlgItem(dlg, id), EM_GETSEL,
                                         reinterpret_cast<WPARAM>(&from),
                                         reinterpret_cast<LPARAM>(&to));
                            return std::vector<DWORD>{from, to};
                        };
                        EXPECT_EQ(FocusId(), kTxtGptAttributes);
                        key(VK_TAB);
                        key(VK_TAB);
                        EXPECT_EQ(FocusId(), kTxtRevertOnClose);
                        EXPECT_EQ(selection(kTxtRevertOnClose), (std::vector<DWORD>{0, 1}));
                        key(VK_TAB);
                        key(VK_TAB);
                        key(VK_TAB);  // past OK and Cancel, round to the word
                        EXPECT_EQ(FocusId(), kTxtGptAttributes);
                        EXPECT_EQ(selection(kTxtGptAttributes), (std::vector<DWORD>{0, 18}));
                        key(c.closeKey);
                    });
        EXPECT_EQ(dialog.Result, c.result);
    }
}

}  // namespace
}  // namespace guitest
