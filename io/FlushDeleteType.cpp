// "FlushFile&Buffers", "&DeleteFile" and "GetFile&Type": one call each.
#include "app/FrmMain.h"
#include "io/FileType.h"
#include "sys/Kernel.h"

namespace app {

void FrmMain::cmdFlush_Click() {
    const BusyPointer busy(*this);
    const sys::BOOL res = k.FlushFileBuffers(hFile);
    CaptureLastError();
    if (res == 1)
        SetResult("FlushFileBuffers res=1");
    else
        SetResult("FlushFileBuffers Err=" + ErrorSuffix());
}

void FrmMain::cmdDelete_Click() {
    const BusyPointer busy(*this);
    // Works on the name; the handle, open or not, is left alone.
    const sys::BOOL res = k.DeleteFileA(cboFileName.text());
    CaptureLastError();
    if (res != 0) {
        lblFilePos.setText("Pos: ---");
        lblFileSize.setText("Size: ---");
        lblFileSize.setTooltip("");
    }
    if (res == 1)
        SetResult("DeleteFile res=1");
    else
        SetResult("DeleteFile Err=" + ErrorSuffix());
}

void FrmMain::cmdGetFileType_Click() {
    const BusyPointer busy(*this);
    // FILE_TYPE_UNKNOWN is also a valid answer; only a set last error makes it a failure.
    k.SetLastError(0);
    const sys::DWORD type = k.GetFileType(hFile);
    CaptureLastError();
    if (LastDllError != 0 && type == sys::w::FILE_TYPE_UNKNOWN)
        SetResult("GetFileType Err=" + ErrorSuffix());
    else
        SetResult("GetFileType res=1   type=" + io::FileTypeName(static_cast<std::int32_t>(type)));
}

}  // namespace app
