// "&CreateFile" and "Cl&oseHandle": the one current handle.
#include "app/FrmMain.h"
#include "io/Numbers.h"
#include "open/HexText.h"
#include "ui/Toolkit.h"

namespace app {

void FrmMain::cmdCreateFile_Click() {
    // A box that is not hexadecimal makes no call and changes nothing but the result line.
    const HexText access = ParseHexText(txtAccess.text());
    if (!access.ok) return Refuse("CreateFile Err: Access " + access.problem);
    const HexText flags = ParseHexText(txtFlagsAndAttibutes.text());
    if (!flags.ok) return Refuse("CreateFile Err: FlagsAndAttributes " + flags.problem);

    const BusyPointer busy(*this);
    versionWanted = false;
    OpenedFileName = cboFileName.text();
    const sys::DWORD shareMode = (chkShare(0).value() == 1 ? sys::w::FILE_SHARE_READ : 0) |
                                 (chkShare(1).value() == 1 ? sys::w::FILE_SHARE_WRITE : 0) |
                                 (chkShare(2).value() == 1 ? sys::w::FILE_SHARE_DELETE : 0);
    const auto disposition = static_cast<sys::DWORD>(cboCreation.listIndex());

    hFile = k.CreateFileA(OpenedFileName, access.value, shareMode, disposition, flags.value);
    CaptureLastError();

    if (hFile == sys::kInvalidHandle)
        SetResult("CreateFile res=-1 Err=" + ErrorSuffix());
    else
        SetResult("CreateFile success");
    lblHandle.setText(io::HexNoPad(static_cast<std::uint32_t>(hFile)));
    if (hFile != sys::kInvalidHandle) {
        cmdCreateFile.setEnabled(false);
        lblHandle.setForeColor(ui::kColorButtonText);
        lblFilePos.setText("Pos: 0");
        RefreshFileSizeLabel();
    } else {
        cmdCreateFile.setEnabled(true);
        lblHandle.setForeColor(ui::kColorRed);
        lblFilePos.setText("Pos: ---");
        lblFileSize.setText("Size: ---");
        lblFileSize.setTooltip("");
    }
}

void FrmMain::cmdCloseHandle_Click() {
    const BusyPointer busy(*this);
    const sys::BOOL res = k.CloseHandle(hFile);
    CaptureLastError();
    if (res == 1)
        SetResult("CloseHandle res=1");
    else
        SetResult("CloseHandle Err=" + ErrorSuffix());
    // The closed value must never reach a system call again (the system may have given it to
    // another object by then): later handle operations see 0 and fail with error 6. The label
    // keeps showing the value just closed, in red.
    hFile = 0;
    cmdCreateFile.setEnabled(true);
    lblHandle.setForeColor(ui::kColorRed);
}

}  // namespace app
