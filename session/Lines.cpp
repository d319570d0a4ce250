#include "session/Lines.h"

#include <initializer_list>

#include "app/FrmMain.h"
#include "session/Script.h"
#include "ui/Toolkit.h"

namespace session {

namespace {

std::string Printable(std::string_view text) {
    std::string out(text);
    for (char& c : out)
        if (IsControlCharacter(c)) c = '*';
    return out;
}

// A line built by appending: GCC 12 takes some chains of + on strings for overlapping copies.
std::string Joined(std::initializer_list<std::string_view> parts) {
    std::string line;
    for (std::string_view p : parts) line.append(p);
    return line;
}

std::string_view Indent(bool inDialog) {
    return inDialog ? "  " : "";
}

constexpr const char* kShownNames[] = {"lblHandle", "lblFileSize", "lblFilePos", "lblRWcount"};

}  // namespace

bool Writable(std::string_view value) {
    for (char c : value)
        if (IsControlCharacter(c)) return false;
    return true;
}

std::string SetLine(std::string_view name, std::string_view value, bool inDialog) {
    return Joined({Indent(inDialog), name, ": ", value});
}

std::string UnwritableLine(std::string_view name, bool inDialog) {
    return Joined(
        {Indent(inDialog), "! ", name, " held a control character, which a script cannot set"});
}

std::string PressLine(std::string_view name, bool inDialog) {
    return Joined({Indent(inDialog), "press ", name});
}

std::string AnswerLine(int answer) {
    return answer == ui::kIdYes ? "answer Yes" : "answer No";
}

std::string ExpectLine(std::string_view result) {
    if (result.empty()) return "expect";
    // A line of blanks only would read back as a bare "expect".
    const bool blank = result.find_first_not_of(" \t") == std::string_view::npos;
    return Joined({"expect ", Printable(result), blank ? "*" : ""});
}

Shown ShownBy(const app::FrmMain& form) {
    Shown shown;
    for (std::size_t i = 0; i < shown.labels.size(); ++i)
        shown.labels[i] = form.ctl(kShownNames[i]).text();
    shown.ioAnswers = form.ioAnswers;
    return shown;
}

std::vector<std::string> ShownLines(const Shown& before, const app::FrmMain& form) {
    const Shown after = ShownBy(form);
    std::vector<std::string> lines;
    for (std::size_t i = 0; i < after.labels.size(); ++i)
        if (after.labels[i] != before.labels[i])
            lines.push_back(Joined({"# ", kShownNames[i], ":", after.labels[i].empty() ? "" : " ",
                                    Printable(after.labels[i])}));
    if (after.ioAnswers == before.ioAnswers) return lines;
    std::size_t listed = 0, bytes = 0;
    for (const std::string& decoded : form.ioLines) {
        if (listed == kMostDecodedLines || bytes + decoded.size() > kMostDecodedBytes) break;
        lines.push_back(Joined({"# lstHexView: ", Printable(decoded)}));
        ++listed, bytes += decoded.size();
    }
    if (const std::size_t more = form.ioLines.size() - listed)
        lines.push_back("# lstHexView: and " + std::to_string(more) +
                        (more == 1 ? " more line" : " more lines"));
    return lines;
}

}  // namespace session
