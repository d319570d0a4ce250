// hbrun as the runner of a suite: scripts and folders of scripts, every one rehearsed before the
// first call of any, each run on a fresh main window and judged by its expects or by its golden
// transcript; a summary line per script for a person, JUnit XML for a CI system.
#pragma once

#include <ostream>
#include <string>
#include <string_view>
#include <vector>

#include "session/Runner.h"

namespace session {

struct SuiteOptions {
    bool golden = false;        // judge each script by NAME.out beside it instead of its expects
    bool updateGolden = false;  // write NAME.out from the run
    std::string junit = {};     // the XML report, written when a file is named
};

// Each path a script, or a folder whose *.hbs scripts are taken in the order of their names.
int RunSuite(const std::vector<std::string>& paths, sys::Kernel& kernel, const RunOptions& options,
             const SuiteOptions& suite, std::ostream& out, std::ostream& err);

// The lines of `from` turned into those of `to` as a unified diff with three lines of context;
// empty when they are equal.
std::string UnifiedDiff(const std::vector<std::string>& from, const std::vector<std::string>& to,
                        std::string_view fromName, std::string_view toName);

// Text for an XML attribute or element: the five special characters escaped, and what XML 1.0
// cannot hold (control characters, bytes that are not UTF-8) as U+FFFD.
std::string XmlText(std::string_view text);

}  // namespace session
