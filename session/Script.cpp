// The script language, one step per line:
//
//   # text                 a comment; blank lines are skipped too
//   NAME: VALUE            set a control of the main window, NAME as the user reads it without
//                          "&" and ":" (FileName, Access, Creation, Count, ...), or a check
//                          box's caption; VALUE is the rest of the line after one optional
//                          space, verbatim; check boxes take "checked" or "unchecked"
//   press NAME             press a button by its caption without "&" (CreateFile, UnLock)
//     NAME: VALUE          indented lines right after a press: the dialog that press opens,
//     press NAME           set in order and ended by the press of one of its buttons
//   answer Yes|No          the answer to the question the press above asks
//   expect PATTERN         what the result line must read after the press above; "*" matches
//                          any run of characters; "expect" alone wants an empty line
//   ! TEXT                 a step a recorded session could not write (a value no line can
//                          hold): the script is refused there, so a replay never runs without it
//
// A name that is not unique in its window is written "QUALIFIER / NAME", the qualifier being
// the frame around the control or else the label on its row ("Access / ...").
#include "session/Script.h"

#include <optional>

namespace session {

namespace {

bool IsBlank(char c) {
    return c == ' ' || c == '\t';
}

std::string_view TrimRight(std::string_view s) {
    while (!s.empty() && IsBlank(s.back())) s.remove_suffix(1);
    return s;
}

std::optional<std::string_view> After(std::string_view s, std::string_view keyword) {
    if (s.substr(0, keyword.size()) != keyword) return std::nullopt;
    return s.substr(keyword.size());
}

// Reads one line without the structure around it.
std::variant<Step, std::string> ReadLine(std::string_view body) {
    if (auto rest = After(body, "!")) {
        while (!rest->empty() && IsBlank(rest->front())) rest->remove_prefix(1);
        return "cannot be replayed: " + std::string(*rest);
    }
    Step step;
    if (auto rest = After(body, "press ")) {
        step.kind = Step::Kind::Press;
        step.name = std::string(TrimRight(*rest));
        if (step.name.empty()) return std::string("press names no button");
        return step;
    }
    if (auto rest = After(body, "answer ")) {
        step.kind = Step::Kind::Answer;
        step.value = std::string(TrimRight(*rest));
        if (step.value != "Yes" && step.value != "No")
            return "answer takes Yes or No, not '" + step.value + "'";
        return step;
    }
    if (TrimRight(body) == "expect") {
        step.kind = Step::Kind::Expect;
        return step;
    }
    if (auto rest = After(body, "expect ")) {
        step.kind = Step::Kind::Expect;
        step.value = std::string(*rest);
        return step;
    }
    const std::size_t colon = body.find(':');
    if (colon == std::string_view::npos)
        return "not a step: '" + std::string(body) +
               "' (expected NAME: VALUE, press, answer or expect)";
    step.kind = Step::Kind::Set;
    step.name = std::string(TrimRight(body.substr(0, colon)));
    if (step.name.empty()) return std::string("a value without a control name");
    std::string_view value = body.substr(colon + 1);
    if (!value.empty() && value.front() == ' ') value.remove_prefix(1);
    step.value = std::string(value);
    return step;
}

}  // namespace

std::variant<Script, ScriptError> ParseScript(std::string_view text) {
    Script script;
    // Where the structure stands: the last top-level press, whether its dialog lines are still
    // open (begun and not yet ended by a press), and whether an answer may still follow.
    int pressLine = 0;
    int dialogLine = 0;  // the press whose dialog is open, 0 when none
    bool dialogAllowed = false;
    bool answerAllowed = false;

    int lineNo = 0;
    std::size_t pos = 0;
    while (pos <= text.size()) {
        std::size_t end = text.find('\n', pos);
        if (end == std::string_view::npos) end = text.size();
        std::string_view line = text.substr(pos, end - pos);
        pos = end + 1;
        ++lineNo;
        if (!line.empty() && line.back() == '\r') line.remove_suffix(1);

        for (char c : line) {
            if (IsControlCharacter(c))
                return ScriptError{lineNo, "control character " +
                                               std::to_string(static_cast<unsigned char>(c)) +
                                               " in the line"};
        }
        std::size_t indent = 0;
        while (indent < line.size() && IsBlank(line[indent])) ++indent;
        const std::string_view body = line.substr(indent);
        if (body.empty() || body.front() == '#') continue;

        auto read = ReadLine(body);
        if (auto* problem = std::get_if<std::string>(&read)) return ScriptError{lineNo, *problem};
        Step step = std::get<Step>(std::move(read));
        step.line = lineNo;
        step.inDialog = indent > 0;

        if (step.inDialog) {
            if (!dialogAllowed && dialogLine == 0)
                return ScriptError{lineNo,
                                   "an indented line belongs to the dialog of the press "
                                   "right above it, and there is none"};
            if (step.kind != Step::Kind::Set && step.kind != Step::Kind::Press)
                return ScriptError{lineNo, "a dialog takes only values and the press of a button"};
            dialogLine = step.kind == Step::Kind::Press ? 0 : pressLine;
            dialogAllowed = false;
            answerAllowed = step.kind == Step::Kind::Press;
        } else {
            if (dialogLine != 0)
                return ScriptError{lineNo, "the dialog of the press at line " +
                                               std::to_string(dialogLine) +
                                               " ends without the press of one of its buttons"};
            switch (step.kind) {
                case Step::Kind::Press:
                    pressLine = lineNo;
                    dialogAllowed = answerAllowed = true;
                    break;
                case Step::Kind::Answer:
                    if (!answerAllowed)
                        return ScriptError{lineNo, "answer must follow the press that asks"};
                    dialogAllowed = answerAllowed = false;
                    break;
                case Step::Kind::Expect:
                    if (pressLine == 0) return ScriptError{lineNo, "expect before any press"};
                    dialogAllowed = answerAllowed = false;
                    break;
                case Step::Kind::Set:
                    dialogAllowed = answerAllowed = false;
                    break;
            }
        }
        script.steps.push_back(std::move(step));
    }
    if (dialogLine != 0)
        return ScriptError{lineNo, "the dialog of the press at line " + std::to_string(dialogLine) +
                                       " ends without the press of one of its buttons"};
    return script;
}

bool MatchesPattern(std::string_view pattern, std::string_view line) {
    // Greedy with one backtrack point: linear enough for result lines, and never recursive.
    std::size_t p = 0, s = 0, starP = std::string_view::npos, starS = 0;
    while (s < line.size()) {
        if (p < pattern.size() && pattern[p] == '*') {
            starP = p++;
            starS = s;
        } else if (p < pattern.size() && pattern[p] == line[s]) {
            ++p;
            ++s;
        } else if (starP != std::string_view::npos) {
            p = starP + 1;
            s = ++starS;
        } else {
            return false;
        }
    }
    while (p < pattern.size() && pattern[p] == '*') ++p;
    return p == pattern.size();
}

}  // namespace session
