// One pass of a script through a fresh main window: the rehearsal on a kernel that touches
// nothing, which finds every script error before a real call, or the run itself, which prints
// the transcript. The runner (Runner.cpp) decides which passes are made.
#pragma once

#include <ostream>
#include <string>
#include <vector>

#include "app/FrmMain.h"
#include "session/CallWaiter.h"
#include "session/InertKernel.h"
#include "session/Names.h"
#include "session/Script.h"
#include "sys/CodePage.h"
#include "sys/WaitingKernel.h"
#include "ui/Headless.h"

namespace session {

// A script error found while rehearsing: the run stops before the real kernel sees a call.
struct Fault {
    int line;
    std::string message;
};

// Questions nobody scripted are answered No, which never writes, and noted.
class RunnerToolkit : public ui::Headless {
  public:
    std::vector<std::string> unanswered;
    int msgBox(const std::string& text, const std::string& title, std::uint32_t style) override;
};

class Pass {
  public:
    enum class Mode { Rehearse, Run };

    Pass(sys::Kernel& kernel, Mode mode, std::ostream* out, const sys::CodePage& codePage,
         const char* decimalSeparator, CallWaiter* waiter = nullptr);

    // Runs every step. A rehearsal throws Fault at the first script error; a run notes what
    // went wrong and goes on, unless interrupted.
    void run(const Script& script);

    // Rehearsal: the calls of each press are listed when a dry run asks for them.
    InertKernel* listing = nullptr;
    int firstChangingLine = 0;
    std::string firstChangingStep;
    bool failed = false;
    std::string firstFailure;  // "line N: what", for a suite's summary
    int presses = 0;
    bool interrupted = false;  // Ctrl+C: the run stopped there

  private:
    // What became of the dialog a press opened.
    struct DialogPlay {
        bool shown = false;
        bool unscripted = false;  // shown, and the script gave it no lines
        std::vector<std::string> lines;
    };

    void wait(const std::function<void()>& call);
    void print(const std::string& line);
    void note(int line, const std::string& what);

    void set(const Step& s);
    void press(const Step& s, const std::vector<Step>& dialog, const Step* answer);
    void expect(const Step& s);

    // The steps of a press, in order.
    ui::Control& buttonOf(const Step& s);
    void playDialog(const std::vector<Step>& dialog, DialogPlay& play);
    void click(const Step& s, ui::Control& button);
    void reportDialog(const Step& s, const std::vector<Step>& dialog, const DialogPlay& play);
    void reportAnswer(const Step& s, const Step* answer, bool answered, std::size_t asked);
    void listCalls(bool changes);
    void reportCancel(const Step& s);

    Mode mode_;
    std::ostream* out_;
    const sys::CodePage& codePage_;
    CallWaiter* waiter_;
    CallWaiter::Cancelled cancelled_ = CallWaiter::Cancelled::No;  // during the press under way
    sys::WaitingKernel waiting_;
    RunnerToolkit tk_;
    app::FrmMain frm_;
    std::vector<Target> targets_;
};

}  // namespace session
