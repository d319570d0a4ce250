// Any text as a script: the parser and the rehearsal on the inert kernel never crash or hang; a
// script the parser takes, written back by the history's own line writers, reads back as the
// same steps; a run leaves a transcript that is itself a script.
#include <algorithm>
#include <sstream>
#include <tuple>

#include "session/InertKernel.h"
#include "session/Lines.h"
#include "session/Runner.h"
#include "session/Script.h"
#include "tests/fuzz/Fuzz.h"
#include "ui/Toolkit.h"

namespace {

using session::Step;
using K = Step::Kind;

std::string WrittenBack(const std::vector<Step>& steps) {
    std::string text;
    for (const Step& s : steps) {
        if (s.kind == K::Set) text += session::SetLine(s.name, s.value, s.inDialog);
        if (s.kind == K::Press) text += session::PressLine(s.name, s.inDialog);
        if (s.kind == K::Answer)
            text += session::AnswerLine(s.value == "Yes" ? ui::kIdYes : ui::kIdNo);
        if (s.kind == K::Expect) text += session::ExpectLine(s.value);
        text += '\n';
    }
    return text;
}

// The plain recursive reading of a pattern, for short ones.
bool Matches(std::string_view p, std::string_view s) {
    if (p.empty()) return s.empty();
    if (p[0] == '*') return Matches(p.substr(1), s) || (!s.empty() && Matches(p, s.substr(1)));
    return !s.empty() && p[0] == s[0] && Matches(p.substr(1), s.substr(1));
}

void Script(std::string_view text) {
    const std::size_t nl = text.find('\n');
    if (text.size() <= 24 && nl != text.npos) {
        const std::string_view pattern = text.substr(0, nl), line = text.substr(nl + 1);
        FUZZ_CHECK(session::MatchesPattern(pattern, line) == Matches(pattern, line));
    }

    const auto parsed = session::ParseScript(text);
    if (const auto* e = std::get_if<session::ScriptError>(&parsed)) {
        FUZZ_CHECK(e->line >= 1 && e->line <= 1 + std::count(text.begin(), text.end(), '\n'));
    } else {
        const auto& steps = std::get<session::Script>(parsed).steps;
        for (std::size_t i = 1; i < steps.size(); ++i)
            FUZZ_CHECK(steps[i - 1].line < steps[i].line);
        const auto again = session::ParseScript(WrittenBack(steps));
        const auto key = [](const Step& s) {
            return std::tie(s.kind, s.inDialog, s.name, s.value);
        };
        FUZZ_CHECK(std::holds_alternative<session::Script>(again) &&
                   std::ranges::equal(steps, std::get<session::Script>(again).steps, {}, key, key));
    }

    // The run too, on a kernel that touches nothing, with the options a seed's first line names.
    std::istringstream lines{std::string(text)};
    for (std::string line; std::getline(lines, line);)
        if (const auto colon = line.find(':'); line.substr(0, colon).find("Count") != line.npos &&
                                               colon != line.npos &&
                                               fuzz::Huge(line.substr(colon + 1)))
            return;
    session::InertKernel kernel;
    std::ostringstream out;
    const bool dryRun = text.find("--dry-run") != text.npos;
    const session::RunOptions options{.allowChanges = text.find("--allow-changes") != text.npos,
                                      .dryRun = dryRun};
    const int rc = session::RunScript(text, kernel, options, out);
    FUZZ_CHECK(rc == session::kRunPassed || rc == session::kRunExpectFailed ||
               rc == session::kRunScriptError);
    if (rc != session::kRunScriptError && !dryRun)
        FUZZ_CHECK(std::holds_alternative<session::Script>(session::ParseScript(out.str())));
}

}  // namespace

FUZZ_TARGET(script, Script)
