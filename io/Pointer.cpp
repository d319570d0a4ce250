// "SetFile&Pointer" and "Set&EndOfFile".
#include "app/FrmMain.h"
#include "io/Numbers.h"
#include "ui/Toolkit.h"

namespace app {

void FrmMain::cmdSetFilePointer_Click() {
    // A box that is not a number, or a half beyond 32 bits, cannot be passed: no call, the
    // boxes keep what was typed. A slip must not become a move to 0 that a Write then follows.
    const std::optional<double> lowText = io::NumberText(txtPosLow.text());
    if (!lowText) return Refuse("SetFilePointer Err: PosLow is not a number");
    const std::optional<std::int32_t> low = io::RoundToInt32(*lowText);
    if (!low) return Refuse("SetFilePointer Err: PosLow is out of range");
    const std::optional<double> highText = io::NumberText(txtPosHigh.text());
    if (!highText) return Refuse("SetFilePointer Err: PosHigh is not a number");
    const std::optional<std::int32_t> rounded = io::RoundToInt32(*highText);
    if (!rounded) return Refuse("SetFilePointer Err: PosHigh is out of range");
    std::int32_t high = *rounded;

    const BusyPointer busy(*this);
    SetResultNow("Err=---");

    // A failed move leaves the high part as passed, so the result alone cannot tell a failure
    // from the valid low part 0xFFFFFFFF: Windows documents the last error as the judge.
    k.SetLastError(0);
    const sys::DWORD res = k.SetFilePointer(hFile, *low, &high, sys::w::FILE_BEGIN);
    CaptureLastError();
    if (res == sys::kInvalidSetFilePointer && LastDllError != 0) {
        txtPosLow.setText("err");
        txtPosHigh.setText("err");
        SetResult("SetFilePointer Err=" + ErrorSuffix());
    } else {
        SetResult("SetFilePointer success");
    }
    RefreshFilePointerLabel();
}

void FrmMain::cmdSetEndOfFile_Click() {
    const BusyPointer busy(*this);
    SetResultNow("Err=---");
    const sys::BOOL res = k.SetEndOfFile(hFile);
    CaptureLastError();
    if (res == 1)
        SetResult("SetEndOfFile res=1");
    else
        SetResult("SetEndOfFile Err=" + ErrorSuffix());
}

}  // namespace app
