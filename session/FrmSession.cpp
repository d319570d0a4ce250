#include "session/FrmSession.h"

#include <algorithm>

#include "app/FormHelpers.h"
#include "app/FrmMain.h"
#include "report/Errors.h"
#include "ui/Toolkit.h"

namespace session {

using ui::Kind;

namespace {

std::vector<ui::ControlSpec> SessionTable() {
    return {
        {"lstSession", -1, Kind::VirtualList, "", {120, 120, 7560, 4560}, "", 0, "Courier New", 8},
        {"cmdCopy",
         -1,
         Kind::Button,
         "&Copy",
         {120, 4800, 1095, 375},
         "The session as a script, to the clipboard"},
        {"cmdSaveAs",
         -1,
         Kind::Button,
         "Save &as...",
         {1335, 4800, 1095, 375},
         "The session as a script, to a file you name"},
        {"lblStatus", -1, Kind::Label, "", {2580, 4860, 5100, 255}},
    };
}

constexpr std::size_t kChunk = 1 << 20;  // bytes per WriteFile

std::string Lines(std::size_t n) {
    return std::to_string(n) + (n == 1 ? " line" : " lines");
}

}  // namespace

FrmSession::FrmSession(ui::Toolkit& toolkit, History& history, sys::Kernel& kernel,
                       const sys::CodePage& codePage)
    : ui::Form(toolkit, "frmSession", "Session", 7800, 5295, SessionTable()),
      lstSession(ctl("lstSession")),
      cmdCopy(ctl("cmdCopy")),
      cmdSaveAs(ctl("cmdSaveAs")),
      lblStatus(ctl("lblStatus")),
      history_(history),
      k_(kernel),
      codePage_(codePage) {
    escapeCloses = true;
    cmdCopy.onClick = [this] { cmdCopy_Click(); };
    cmdSaveAs.onClick = [this] { cmdSaveAs_Click(); };
}

void FrmSession::Form_Load() {
    app::PrepareFormControls(*this);
    Refresh();
}

bool FrmSession::Form_QueryClose() {
    hide();
    return true;
}

void FrmSession::Refresh() {
    // Asked only for the lines on screen; the history is never copied for the list.
    const History& h = history_;
    lstSession.setVirtual(h.lines().size(), [&h](std::size_t i) {
        return i < h.lines().size() ? h.lines()[i] : std::string();
    });
    // The newest line in view, as in a log.
    if (!h.lines().empty()) lstSession.setListIndex(static_cast<int>(h.lines().size() - 1));
}

// Windows programs take CR LF between lines; the runner reads either.
std::string FrmSession::Text() const {
    return history_.script("\r\n");
}

// A long path may be cut on the label; its tip holds it whole.
void FrmSession::Status(const std::string& text) {
    lblStatus.setText(text);
    lblStatus.setTooltip(text);
}

void FrmSession::cmdCopy_Click() {
    const bool copied = app::CopyToClipboard(toolkit(), k_, Text());
    Status(copied ? "Copied " + Lines(history_.lines().size() + 1) + " to the clipboard"
                  : "The clipboard is busy: nothing copied");
}

void FrmSession::cmdSaveAs_Click() {
    const std::string name = toolkit().saveFileName(*this, "session.txt");
    if (name.empty()) return;  // cancelled: nothing written, the status as it was
    const std::string text = codePage_.ToUtf8(Text());
    namespace w = sys::w;
    const sys::Handle h = k_.CreateFileA(name, w::GENERIC_WRITE, w::FILE_SHARE_READ,
                                         w::CREATE_ALWAYS, w::FILE_ATTRIBUTE_NORMAL);
    if (h == sys::kInvalidHandle) {
        const auto error = static_cast<std::int32_t>(k_.GetLastError());
        Status("Not saved: CreateFile Err=" + report::ErrorSuffix(error));
        return;
    }
    std::size_t done = 0;
    std::int32_t error = 0;
    while (done < text.size()) {
        const auto n = static_cast<sys::DWORD>(std::min(kChunk, text.size() - done));
        sys::DWORD written = 0;
        if (!k_.WriteFile(h, text.data() + done, n, &written) || written == 0) {
            error = static_cast<std::int32_t>(k_.GetLastError());
            break;
        }
        done += std::min<std::size_t>(written, n);
    }
    k_.CloseHandle(h);
    Status(error == 0 && done == text.size()
               ? "Saved " + Lines(history_.lines().size() + 1) + " to " + name
               : "Saved only " + std::to_string(done) + " of " + std::to_string(text.size()) +
                     " bytes: WriteFile Err=" + report::ErrorSuffix(error));
}

MainSession::MainSession(app::FrmMain& main, const sys::CodePage& codePage)
    : history(main), main_(main), codePage_(codePage) {
    history.onChange = [this] {
        if (window_ && window_->loaded()) window_->Refresh();
    };
    main.toolkit().addCommand(main, "Session...", 'H', [this] { Open(); });
}

MainSession::~MainSession() {
    history.onChange = nullptr;
    main_.toolkit().removeCommand(main_, 'H');
}

void MainSession::Open() {
    if (!window_) {
        window_ = std::make_unique<FrmSession>(main_.toolkit(), history, main_.k, codePage_);
        window_->load();
    }
    window_->show(false);
}

}  // namespace session
