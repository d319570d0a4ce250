// Runs a script through the main window with the headless toolkit: each step sets controls or
// presses a button of the same FrmMain the program shows, so every result line is the window's.
//
// The script is first rehearsed on a kernel that touches nothing (InertKernel): names, values
// and dialogs are checked there, so a script error stops the run before the first real call.
// The transcript is itself a script: the steps as run, each press followed by an `expect` line
// with what the window showed, and `#` notes where something went wrong.
#pragma once

#include <ostream>
#include <string_view>

#include "session/CallWaiter.h"
#include "session/Script.h"
#include "sys/CodePage.h"
#include "sys/Kernel.h"

namespace session {

struct RunOptions {
    bool allowChanges = false;  // run presses that change data or a device's state
    bool dryRun = false;        // list the calls each press would make, and make none
    // Makes the run's calls that may block, with its time limit and Ctrl+C; without one, calls
    // are made on the runner's thread and cannot be cancelled.
    CallWaiter* waiter = nullptr;
    // Scripts and transcripts are UTF-8; the window's texts are in this code page (nullptr:
    // Windows-1252, as on the simulated machine).
    const sys::CodePage* codePage = nullptr;
    const char* decimalSeparator = ".";  // the user's, in sizes
};

inline constexpr int kRunPassed = 0;
inline constexpr int kRunExpectFailed = 1;  // an expect did not hold, a press could not run, or
                                            // a call waited too long and was cancelled
inline constexpr int kRunScriptError = 2;   // nothing was called
inline constexpr int kRunInterrupted = 130;  // Ctrl+C: the call under way cancelled, run stopped

int RunScript(std::string_view text, sys::Kernel& kernel, const RunOptions& options,
              std::ostream& out);

// The two halves of RunScript, for a suite that rehearses every script before running any.
// Messages are UTF-8, "line N: ..." as RunScript prints them.
struct Prepared {
    Script script;
    std::string error;    // a script error: the script must not run
    std::string changes;  // the first press that changes data, and why it was not run
    std::string listing;  // a dry run's calls
};
Prepared Prepare(std::string_view text, const RunOptions& options);

struct Outcome {
    int status = kRunPassed;
    int presses = 0;
    std::string failure;  // the first thing that went wrong: "line 7: expect X, got Y"
};
// Runs a prepared script without error through a fresh main window.
Outcome Execute(const Prepared& prepared, sys::Kernel& kernel, const RunOptions& options,
                std::ostream& out);

// The command line of hbrun: [--allow-changes] [--dry-run] [--timeout SECONDS] SCRIPT ("-"
// reads standard input), or a suite of PATHs (session/Suite.h). The waiter makes the calls that
// may block.
int RunnerMain(int argc, char** argv, sys::Kernel& kernel, CallWaiter& waiter,
               const sys::CodePage& codePage, std::ostream& out, std::ostream& err,
               const char* decimalSeparator = ".");

}  // namespace session
