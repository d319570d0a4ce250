#include "app/FrmMain.h"

#include "app/FormHelpers.h"
#include "open/Pickers.h"
#include "report/Errors.h"
#include "ui/Toolkit.h"

namespace app {

namespace {
const char* const kFileNames[] = {
    "\\\\.\\A:",
    "\\\\.\\PhysicalDrive0",
    "\\\\.\\Harddisk0Partition1",
    "\\\\.\\HarddiskVolume1",
    "\\\\.\\CdRom0",
    "\\\\.\\Scsi0",
    "\\\\.\\COM1",
    "\\\\.\\DISPLAY1",
    "\\\\.\\Dev_DirectNT",
    "\\\\.\\giveio",
    "\\\\.\\LPT1",
    "\\\\.\\MountPointManager",
    "\\\\.\\NUL",
    "A:\\Test.txt",
};
const char* const kCreation[] = {"0x0",           "CREATE_NEW",  "CREATE_ALWAYS",
                                 "OPEN_EXISTING", "OPEN_ALWAYS", "TRUNCATE_EXISTING"};
constexpr std::uint32_t WS_EX_APPWINDOW = 0x40000;
}  // namespace

FrmMain::FrmMain(ui::Toolkit& toolkit, sys::Kernel& kernel, std::string commandLine)
    : ui::Form(toolkit, "frmMain", "Handlebench", 11145, 7215, MainControlTable()),
      k(kernel),
      cboFileName(ctl("cboFileName")),
      txtAccess(ctl("txtAccess")),
      cmdAccess(ctl("cmdAccess")),
      lblAccessName(ctl("lblAccessName")),
      lblTestTextWidht(ctl("lblTestTextWidht")),
      cboCreation(ctl("cboCreation")),
      txtFlagsAndAttibutes(ctl("txtFlagsAndAttibutes")),
      cmdFlagsAndAttributesList(ctl("cmdFlagsAndAttributesList")),
      lstHexView(ctl("lstHexView")),
      cmdCreateFile(ctl("cmdCreateFile")),
      cmdCloseHandle(ctl("cmdCloseHandle")),
      lblFileSize(ctl("lblFileSize")),
      lblFilePos(ctl("lblFilePos")),
      fraVline(ctl("fraVline")),
      cmdRead(ctl("cmdRead")),
      cmdWrite(ctl("cmdWrite")),
      txtCount(ctl("txtCount")),
      lblRWcount(ctl("lblRWcount")),
      cmdSetEndOfFile(ctl("cmdSetEndOfFile")),
      cmdSetFilePointer(ctl("cmdSetFilePointer")),
      txtPosLow(ctl("txtPosLow")),
      txtPosHigh(ctl("txtPosHigh")),
      cmdFlush(ctl("cmdFlush")),
      cmdGetFileType(ctl("cmdGetFileType")),
      cmdDelete(ctl("cmdDelete")),
      lblhFile(ctl("lblhFile")),
      lblHandle(ctl("lblHandle")),
      lblResult(ctl("lblResult")),
      lblAbout(ctl("lblAbout")),
      commandLine_(std::move(commandLine)) {
    // Design-time content that the table cannot say.
    for (const char* name : kFileNames) cboFileName.addItem(name);
    for (const char* item : kCreation) cboCreation.addItem(item);
    const std::string sample = lstHexView.text();
    lstHexView.setVirtual(1, [sample](std::size_t) { return sample; });
    lblResult.setAutoSize(true);
    lblTestTextWidht.setAutoSize(true);
    lblTestTextWidht.setVisible(false);
    lblAbout.setText("Handlebench " HB_VERSION);
    wireEvents();
    bindRequests();
    bindPathQueries();
    Form_Initialize();
}

FrmMain::~FrmMain() = default;

void FrmMain::wireEvents() {
    cmdCreateFile.onClick = [this] { cmdCreateFile_Click(); };
    cmdCloseHandle.onClick = [this] { cmdCloseHandle_Click(); };
    cmdAccess.onClick = [this] { cmdAccess_Click(); };
    cmdFlagsAndAttributesList.onClick = [this] { cmdFlagsAndAttributesList_Click(); };
    lblAccessName.onDblClick = [this] { lblAccessName_DblClick(); };
    lblResult.onDblClick = [this] { lblResult_DblClick(); };
    cmdRead.onClick = [this] { cmdRead_Click(); };
    cmdWrite.onClick = [this] { cmdWrite_Click(); };
    cmdSetFilePointer.onClick = [this] { cmdSetFilePointer_Click(); };
    cmdSetEndOfFile.onClick = [this] { cmdSetEndOfFile_Click(); };
    cmdFlush.onClick = [this] { cmdFlush_Click(); };
    cmdDelete.onClick = [this] { cmdDelete_Click(); };
    cmdGetFileType.onClick = [this] { cmdGetFileType_Click(); };
}

void FrmMain::Form_Load() {
    PrepareFormControls(*this);
    toolkit().setIcons(*this, "APPICON");
    setCaption(caption() + " - pid:" + std::to_string(k.GetCurrentProcessId()));
    toolkit().addExStyle(*this, WS_EX_APPWINDOW);
    // Relative names resolve on the Windows drive; only its letter counts.
    const std::string windowsDir = GetWindowsDir(k);
    if (windowsDir.size() >= 2 && windowsDir[1] == ':')
        k.SetCurrentDirectoryA(windowsDir.substr(0, 2));
    lstHexView.clear();
    cboCreation.setListIndex(3);
    if (!commandLine_.empty()) cboFileName.setText(commandLine_);
    lblHandle.setText("0x0");
    ui::Font resultFont = lblResult.font();
    resultFont.charset = CharsetForCodePage(k.GetACP());
    lblResult.setFont(resultFont);
    toolkit().setComboMinVisible(cboFileName, 150);
    k.SetErrorMode(sys::w::SEM_FAILCRITICALERRORS | sys::w::SEM_NOGPFAULTERRORBOX |
                   sys::w::SEM_NOOPENFILEERRORBOX);
}

void FrmMain::Form_Unload() {
    if (hFile != 0 && hFile != sys::kInvalidHandle) k.CloseHandle(hFile);
    hFile = 0;
}

void FrmMain::lblResult_DblClick() {
    // A second failure is not reported.
    CopyToClipboard(toolkit(), k, lblResult.text());
}

std::string FrmMain::LastErrorText() const {
    return report::ErrorText(LastDllError);
}
std::string FrmMain::LastErrorName() const {
    return report::ErrorCodeName(LastDllError);
}
std::string FrmMain::ErrorSuffix() const {
    return report::ErrorSuffix(LastDllError);
}

void FrmMain::SetResult(const std::string& line) {
    lblResult.setText(line);
    const int lineEnd = lblResult.rect().x + lblResult.width();
    lblAbout.setVisible(versionWanted && lineEnd < lblAbout.rect().x);
}
void FrmMain::SetResultNow(const std::string& line) {
    SetResult(line);
    toolkit().refresh(lblResult);
}
void FrmMain::Hourglass() {
    toolkit().setMousePointer(ui::kPointerHourglass);
}
void FrmMain::DefaultPointer() {
    toolkit().setMousePointer(ui::kPointerDefault);
}

}  // namespace app
