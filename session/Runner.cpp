#include "session/Runner.h"

#include <optional>
#include <sstream>
#include <string>
#include <variant>

#include "session/InertKernel.h"
#include "session/Pass.h"
#include "session/Script.h"

namespace session {

namespace {

// The script's UTF-8 (a byte-order mark allowed) in the window's code page, line by line, so
// that a character it cannot hold is named by its line.
std::variant<std::string, ScriptError> InCodePage(std::string_view utf8,
                                                  const sys::CodePage& codePage) {
    if (utf8.substr(0, 3) == "\xEF\xBB\xBF") utf8.remove_prefix(3);
    std::string ansi;
    ansi.reserve(utf8.size());
    int lineNo = 1;
    for (std::size_t at = 0; at <= utf8.size(); ++lineNo) {
        std::size_t end = utf8.find('\n', at);
        if (end == std::string_view::npos) end = utf8.size();
        const std::optional<std::string> line = codePage.FromUtf8(utf8.substr(at, end - at));
        if (!line)
            return ScriptError{lineNo, "not UTF-8, or a character that code page " +
                                           std::to_string(codePage.Number()) + " cannot hold"};
        ansi += *line;
        if (end < utf8.size()) ansi += '\n';
        at = end + 1;
    }
    return ansi;
}

}  // namespace

Prepared Prepare(std::string_view utf8, const RunOptions& options) {
    const sys::CodePage& codePage = options.codePage ? *options.codePage : sys::Windows1252();
    Prepared prepared;
    auto fail = [&](int line, const std::string& message) {
        prepared.error = "line " + std::to_string(line) + ": " + codePage.ToUtf8(message);
        return prepared;
    };
    auto converted = InCodePage(utf8, codePage);
    if (auto* e = std::get_if<ScriptError>(&converted)) return fail(e->line, e->message);
    auto parsed = ParseScript(std::get<std::string>(converted));
    if (auto* e = std::get_if<ScriptError>(&parsed)) return fail(e->line, e->message);
    prepared.script = std::move(std::get<Script>(parsed));

    InertKernel inert;
    std::ostringstream listing;
    Pass rehearsal(inert, Pass::Mode::Rehearse, options.dryRun ? &listing : nullptr, codePage,
                   options.decimalSeparator);
    inert.calls.clear();  // the window's start-up is not a step
    if (options.dryRun) rehearsal.listing = &inert;
    try {
        rehearsal.run(prepared.script);
    } catch (const Fault& f) {
        return fail(f.line, f.message);
    }
    if (rehearsal.firstChangingLine != 0)
        prepared.changes = "line " + std::to_string(rehearsal.firstChangingLine) + ": " +
                           codePage.ToUtf8(rehearsal.firstChangingStep) +
                           " changes data or a device's state; nothing was run "
                           "(--allow-changes runs it)";
    prepared.listing = listing.str();
    return prepared;
}

Outcome Execute(const Prepared& prepared, sys::Kernel& kernel, const RunOptions& options,
                std::ostream& out) {
    const sys::CodePage& codePage = options.codePage ? *options.codePage : sys::Windows1252();
    Pass pass(kernel, Pass::Mode::Run, &out, codePage, options.decimalSeparator, options.waiter);
    pass.run(prepared.script);
    Outcome outcome;
    outcome.presses = pass.presses;
    outcome.failure = codePage.ToUtf8(pass.firstFailure);
    outcome.status = pass.interrupted ? kRunInterrupted
                     : pass.failed    ? kRunExpectFailed
                                      : kRunPassed;
    return outcome;
}

int RunScript(std::string_view utf8, sys::Kernel& kernel, const RunOptions& options,
              std::ostream& out) {
    const Prepared prepared = Prepare(utf8, options);
    if (!prepared.error.empty()) {
        out << prepared.error << '\n';
        return kRunScriptError;
    }
    if (options.dryRun) {
        out << prepared.listing;
        return kRunPassed;
    }
    if (!prepared.changes.empty() && !options.allowChanges) {
        out << prepared.changes << '\n';
        return kRunScriptError;
    }
    return Execute(prepared, kernel, options, out).status;
}

}  // namespace session
