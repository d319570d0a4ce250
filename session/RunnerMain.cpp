// The command line of hbrun: its options, then one script (or standard input) or a suite.
#include "session/Runner.h"

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <iterator>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "session/Suite.h"

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
    options.decimalSeparator = decimalSeparator;
    SuiteOptions suite;
    std::vector<std::string> paths;
    bool usage = false;
    for (int i = 1; i < argc && !usage; ++i) {
        const std::string arg = argv[i];
        if (arg == "--allow-changes") {
            options.allowChanges = true;
        } else if (arg == "--dry-run") {
            options.dryRun = true;
        } else if (arg == "--golden") {
            suite.golden = true;
        } else if (arg == "--update-golden") {
            suite.updateGolden = true;
        } else if (arg == "--junit" && i + 1 < argc) {
            suite.junit = argv[++i];
        } else if (arg == "--timeout" && i + 1 < argc) {
            const std::optional<int> ms = TimeoutMs(argv[++i]);
            usage = !ms;
            if (ms) waiter.timeoutMs = *ms;
        } else if (arg == "-" || arg.rfind("--", 0) != 0) {
            paths.push_back(arg);
        } else {
            usage = true;
        }
    }
    const bool isSuite = paths.size() > 1 || suite.golden || suite.updateGolden ||
                         !suite.junit.empty() ||
                         (paths.size() == 1 && std::filesystem::is_directory(paths[0]));
    if (usage || paths.empty() || (suite.golden && suite.updateGolden) ||
        (isSuite && std::find(paths.begin(), paths.end(), "-") != paths.end())) {
        err << "usage: hbrun [--allow-changes] [--dry-run] [--timeout SECONDS] SCRIPT\n"
               "       hbrun [OPTIONS] [--golden | --update-golden] [--junit FILE] PATH...\n"
               "  runs SCRIPT (\"-\" for standard input) through the bench's main window and\n"
               "  prints each step with the result line it showed; exit 0 when every expect\n"
               "  held, 1 when one did not, 2 for a script error (nothing run), 130 when\n"
               "  interrupted; a call still waiting after SECONDS (1 to 86400) is cancelled.\n"
               "  A suite (several PATHs, a folder's *.hbs scripts, or the options of the\n"
               "  second form) runs each script on a fresh window after rehearsing them all,\n"
               "  then prints a line per script and the total; --golden judges each by\n"
               "  NAME.out beside it, --update-golden writes NAME.out, --junit writes XML\n";
        return kRunScriptError;
    }
    if (isSuite) return RunSuite(paths, kernel, options, suite, out, err);

    std::string text;
    if (paths[0] == "-") {
        text.assign(std::istreambuf_iterator<char>(std::cin), {});
    } else {
        std::ifstream file(paths[0], std::ios::binary);
        if (!file) {
            err << "hbrun: cannot read " << paths[0] << '\n';
            return kRunScriptError;
        }
        text.assign(std::istreambuf_iterator<char>(file), {});
    }
    return RunScript(text, kernel, options, out);
}

}  // namespace session
