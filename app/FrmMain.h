// The main window: its controls, the state it owns, and the declarations of its event
// procedures. Each handler is defined in the folder of its subsystem (open/, io/, ...).
#pragma once

#include <cstdint>
#include <memory>
#include <optional>
#include <span>
#include <string>
#include <vector>

#include "sys/Kernel.h"
#include "ui/Form.h"

namespace app {

class FrmAccess;
class FrmFlagsAndAttributes;
}  // namespace app
namespace devctl {
struct Request;
struct Reply;
struct OutBuffer;
}  // namespace devctl
namespace pathq {
struct Query;
}
namespace app {

class FrmMain : public ui::Form {
  public:
    // commandLine: everything after the program name, unchanged ("" when started without).
    FrmMain(ui::Toolkit& toolkit, sys::Kernel& kernel, std::string commandLine);
    ~FrmMain() override;

    sys::Kernel& k;

    // --- State owned by the window ------------------------------------------------------------
    // The one current handle. 0 at start and after a close (a closed value must never reach a
    // system call again), -1 after a failed open.
    sys::Handle hFile = 0;
    std::string OpenedFileName;
    std::vector<std::uint8_t> Buf;  // the read/write buffer; empty = never sized
    std::int32_t LastDllError = 0;  // captured right after every system call

    // --- Controls -----------------------------------------------------------------------------
    ui::Control& cboFileName;
    ui::Control& txtAccess;
    ui::Control& cmdAccess;
    ui::Control& lblAccessName;
    ui::Control& lblTestTextWidht;
    ui::Control& cboCreation;
    ui::Control& txtFlagsAndAttibutes;
    ui::Control& cmdFlagsAndAttributesList;
    ui::Control& lstHexView;
    ui::Control& cmdCreateFile;
    ui::Control& cmdCloseHandle;
    ui::Control& lblFileSize;
    ui::Control& lblFilePos;
    ui::Control& fraVline;
    ui::Control& cmdRead;
    ui::Control& cmdWrite;
    ui::Control& txtCount;
    ui::Control& lblRWcount;
    ui::Control& cmdSetEndOfFile;
    ui::Control& cmdSetFilePointer;
    ui::Control& txtPosLow;
    ui::Control& txtPosHigh;
    ui::Control& cmdFlush;
    ui::Control& cmdGetFileType;
    ui::Control& cmdDelete;
    ui::Control& lblhFile;
    ui::Control& lblHandle;
    ui::Control& lblResult;
    ui::Control& lblAbout;
    ui::Control& chkShare(int i) const { return ctl("chkShare", i); }
    ui::Control& Label(int i) const { return ctl("Label", i); }

    // --- Form events (app/) -------------------------------------------------------------------
    void Form_Load() override;
    void Form_Unload() override;
    void Form_Initialize() {}
    void Form_Activate() {}
    void Form_Deactivate() {}
    void Form_Paint() {}
    void lblResult_DblClick();

    // --- Open and close (open/) ---------------------------------------------------------------
    void cmdCreateFile_Click();
    void cmdCloseHandle_Click();
    void cmdAccess_Click();
    void cmdFlagsAndAttributesList_Click();
    void lblAccessName_DblClick();

    // --- Handle I/O (io/) ---------------------------------------------------------------------
    void cmdRead_Click();
    void cmdWrite_Click();
    void cmdSetFilePointer_Click();
    void cmdSetEndOfFile_Click();
    void cmdFlush_Click();
    void cmdDelete_Click();
    void cmdGetFileType_Click();
    void RefreshFileSizeLabel();
    void RefreshFilePointerLabel();
    // The position of a handle (a move by zero); false when the system refused.
    bool GetFilePointer(sys::Handle h, std::int64_t& position);
    // Sizes: nullopt when not obtained.
    std::optional<std::int64_t> GetFileSize64(sys::Handle h);
    std::optional<std::int64_t> GetDiskLength64(sys::Handle h);
    // Fills a DISK_GEOMETRY (24 bytes); true when the request succeeded.
    bool GetDiskGeometry(sys::Handle h, std::span<std::uint8_t, 24> geometry);
    std::string decimalSeparator = ".";  // the user's locale's, for sizes

    // --- Device controls (devctl/) -----------------------------------------------------------
    // One request on hFile with its row's buffers (or `input` in place of the row's input);
    // writes the success or failure line and says which it was.
    bool RunRequest(const devctl::Request& request, std::span<const std::uint8_t> input = {});
    // The same without the success line: the answer, or nullopt after the failure line.
    std::optional<devctl::Reply> SendRequest(const devctl::Request& request,
                                             std::span<const std::uint8_t> input,
                                             devctl::OutBuffer& out);
    void cmdSetDiskAttributes_Click();
    void cmdVolSetGptAttr_Click();
    // "DeviceIoControl...": the dialog's texts, kept for the life of the window, and the last
    // answer's bytes and decoded lines, which the hex list shows.
    struct IoControlTexts {
        std::string code = "IOCTL_DISK_GET_DRIVE_GEOMETRY_EX";
        std::string input;
        std::string outSize = "4096";
    } ioControl;
    std::vector<std::uint8_t> ioOut;
    std::vector<std::string> ioLines;
    std::size_t ioAnswers = 0;  // answers shown so far: a transcript lists each new one's lines
    void cmdDeviceIoControl_Click();

    // --- Path queries (pathq/) ----------------------------------------------------------------
    // One query on the text of cboFileName with its row's outputs; writes its line.
    void RunPathQuery(const pathq::Query& query);

    // --- Result line (report/) ----------------------------------------------------------------
    // Capture the last error of the call just made. Call it on the line after the call.
    void CaptureLastError() { LastDllError = static_cast<std::int32_t>(k.GetLastError()); }
    std::string LastErrorText() const;
    std::string LastErrorName() const;
    std::string ErrorSuffix() const;  // LastErrorText & "  (" & LastErrorName & ")"
    // Also hides the version label while the line reaches it (labels never lie over each other),
    // and for good from the first open on.
    void SetResult(const std::string& line);
    bool versionWanted = true;  // until the first open
    // A press the window refuses before its call (a box it cannot read): the line says why.
    // `refused` stays set until its reader clears it: a dry run lists the line in place of the call.
    void Refuse(const std::string& line) {
        refused = true;
        SetResult(line);
    }
    bool refused = false;
    // The same, painted at once: a placeholder that stays visible during a slow call.
    void SetResultNow(const std::string& line);
    void Hourglass();
    void DefaultPointer();

    // The pickers, created at first use and then only hidden.
    std::unique_ptr<FrmAccess> frmAccess;
    std::unique_ptr<FrmFlagsAndAttributes> frmFlagsAndAttributes;

  private:
    void wireEvents();
    void bindRequests();
    void bindPathQueries();
    std::string commandLine_;
};

// The hourglass for the life of a scope, so that every way out of a handler releases it.
class BusyPointer {
  public:
    explicit BusyPointer(FrmMain& form) : form_(form) { form_.Hourglass(); }
    ~BusyPointer() { form_.DefaultPointer(); }
    BusyPointer(const BusyPointer&) = delete;
    BusyPointer& operator=(const BusyPointer&) = delete;

  private:
    FrmMain& form_;
};

// The control table of the main window, in tab order (rows top to bottom, left to right).
const std::vector<ui::ControlSpec>& MainControlTable();

}  // namespace app
