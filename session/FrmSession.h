// The Session window: the main window's history as a script, with Copy and Save as. The main
// window's system menu and Ctrl+H open it; it stays open beside the main window and grows with
// every press.
#pragma once

#include <memory>
#include <string>

#include "session/History.h"
#include "sys/CodePage.h"
#include "sys/Kernel.h"
#include "ui/Form.h"

namespace app {
class FrmMain;
}

namespace session {

class FrmSession : public ui::Form {
  public:
    // Saved files are UTF-8, converted from the window's code page.
    FrmSession(ui::Toolkit& toolkit, History& history, sys::Kernel& kernel,
               const sys::CodePage& codePage);

    ui::Control& lstSession;
    ui::Control& cmdCopy;
    ui::Control& cmdSaveAs;
    ui::Control& lblStatus;

    void Form_Load() override;
    void Form_Activate() override { Refresh(); }
    bool Form_QueryClose() override;  // the close box only hides it
    void cmdCopy_Click();
    void cmdSaveAs_Click();
    // The list follows the history.
    void Refresh();

  private:
    std::string Text() const;
    void Status(const std::string& text);
    History& history_;
    sys::Kernel& k_;
    const sys::CodePage& codePage_;
};

// A main window's session: its history from now on, and the Session window, made at first use.
class MainSession {
  public:
    explicit MainSession(app::FrmMain& main,
                         const sys::CodePage& codePage = sys::Windows1252());
    ~MainSession();
    MainSession(const MainSession&) = delete;
    MainSession& operator=(const MainSession&) = delete;

    History history;
    void Open();  // shows the Session window, or brings it forward
    FrmSession* window() const { return window_.get(); }

  private:
    app::FrmMain& main_;
    const sys::CodePage& codePage_;
    std::unique_ptr<FrmSession> window_;
};

}  // namespace session
