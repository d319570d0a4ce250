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

int RunScript(std::string_view utf8, sys::Kernel& kernel, const RunOptions& options,
              std::ostream& out) {
    const char* decimalSeparator = options.decimalSeparator;
    const sys::CodePage& codePage = options.codePage ? *options.codePage : sys::Windows1252();
    auto converted = InCodePage(utf8, codePage);
    auto parsed = std::holds_alternative<std::string>(converted)
                      ? ParseScript(std::get<std::string>(converted))
                      : std::variant<Script, ScriptError>(std::get<ScriptError>(converted));
    if (auto* e = std::get_if<ScriptError>(&parsed)) {
        out << "line " << e->line << ": " << codePage.ToUtf8(e->message) << '\n';
        return kRunScriptError;
    }
    const Script& script = std::get<Script>(parsed);

    int firstChangingLine = 0;
    std::string firstChangingStep;
    {
        InertKernel inert;
        std::ostringstream listing;
        Pass rehearsal(inert, Pass::Mode::Rehearse, options.dryRun ? &listing : nullptr, codePage,
                       decimalSeparator);
        inert.calls.clear();  // the window's start-up is not a step
        if (options.dryRun) rehearsal.listing = &inert;
        try {
            rehearsal.run(script);
        } catch (const Fault& f) {
            out << "line " << f.line << ": " << codePage.ToUtf8(f.message) << '\n';
            return kRunScriptError;
        }
        firstChangingLine = rehearsal.firstChangingLine;
        firstChangingStep = rehearsal.firstChangingStep;
        if (options.dryRun) {
            out << listing.str();
            return kRunPassed;
        }
    }
    if (firstChangingLine != 0 && !options.allowChanges) {
        out << "line " << firstChangingLine << ": " << codePage.ToUtf8(firstChangingStep)
            << " changes data or a device's state; nothing was run (--allow-changes runs it)\n";
        return kRunScriptError;
    }
    Pass pass(kernel, Pass::Mode::Run, &out, codePage, decimalSeparator, options.waiter);
    pass.run(script);
    if (pass.interrupted) return kRunInterrupted;
    return pass.failed ? kRunExpectFailed : kRunPassed;
}

}  // namespace session
