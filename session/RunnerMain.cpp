// The command line of hbrun: its options, the script file (or standard input), then the run.
#include "session/Runner.h"

#include <fstream>
#include <iostream>
#include <iterator>
#include <optional>
#include <string>
#include <string_view>

namespace session {

namespace {

// Whole seconds, as --timeout takes them.
std::optional<int> TimeoutMs(std::string_view text) {
    int seconds = 0;
    if (text.empty() || text.size() > 5) return std::nullopt;
    for (const char c : text) {
        if (c < '0' || c > '9') return std::nullopt;
        seconds = seconds * 10 + (c - '0');
    }
    if (seconds < 1 || seconds > 86400) return std::nullopt;
    return seconds * 1000;
}

}  // namespace

int RunnerMain(int argc, char** argv, sys::Kernel& kernel, CallWaiter& waiter,
               const sys::CodePage& codePage, std::ostream& out, std::ostream& err,
               const char* decimalSeparator) {
    RunOptions options;
    options.waiter = &waiter;
    options.codePage = &codePage;
    const char* path = nullptr;
    for (int i = 1; i < argc; ++i) {
        const std::string arg = argv[i];
        if (arg == "--allow-changes") {
            options.allowChanges = true;
        } else if (arg == "--dry-run") {
            options.dryRun = true;
        } else if (arg == "--timeout" && i + 1 < argc) {
            const std::optional<int> ms = TimeoutMs(argv[++i]);
            if (!ms) {
                path = nullptr;
                break;
            }
            waiter.timeoutMs = *ms;
        } else if (path == nullptr && (arg == "-" || arg.rfind("--", 0) != 0)) {
            path = argv[i];
        } else {
            path = nullptr;
            break;
        }
    }
    if (path == nullptr) {
        err << "usage: hbrun [--allow-changes] [--dry-run] [--timeout SECONDS] SCRIPT\n"
               "  runs SCRIPT (\"-\" for standard input) through the bench's main window and\n"
               "  prints each step with the result line it showed; exit 0 when every expect\n"
               "  held, 1 when one did not, 2 for a script error (nothing run), 130 when\n"
               "  interrupted; a call still waiting after SECONDS (1 to 86400) is cancelled\n";
        return kRunScriptError;
    }
    std::string text;
    if (std::string(path) == "-") {
        text.assign(std::istreambuf_iterator<char>(std::cin), {});
    } else {
        std::ifstream file(path, std::ios::binary);
        if (!file) {
            err << "hbrun: cannot read " << path << '\n';
            return kRunScriptError;
        }
        text.assign(std::istreambuf_iterator<char>(file), {});
    }
    options.decimalSeparator = decimalSeparator;
    return RunScript(text, kernel, options, out);
}

}  // namespace session
