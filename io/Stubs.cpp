// Placeholders until the handle I/O handlers land.
#include "app/FrmMain.h"

namespace app {
void FrmMain::cmdRead_Click() {}
void FrmMain::cmdWrite_Click() {}
void FrmMain::cmdSetFilePointer_Click() {}
void FrmMain::cmdSetEndOfFile_Click() {}
void FrmMain::cmdFlush_Click() {}
void FrmMain::cmdDelete_Click() {}
void FrmMain::cmdGetFileType_Click() {}
}  // namespace app
