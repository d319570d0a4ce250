// A session script: the presses a user makes in the main window, written one per line so that a
// person can type one and a diff can compare two. Parsing only reads the text; which names exist
// is the runner's business (session/Names.h).
#pragma once

#include <string>
#include <string_view>
#include <variant>
#include <vector>

namespace session {

struct Step {
    enum class Kind { Set, Press, Answer, Expect };
    Kind kind = Kind::Set;
    int line = 0;           // 1-based line of the script
    bool inDialog = false;  // an indented line: in the dialog the last press opened
    std::string name;       // Set: the control; Press: the button
    std::string value;      // Set: the value; Answer: "Yes" or "No"; Expect: the pattern
};

struct Script {
    std::vector<Step> steps;
};

struct ScriptError {
    int line = 0;
    std::string message;
};

std::variant<Script, ScriptError> ParseScript(std::string_view text);

// A character no script line can hold: a control character other than tab.
inline bool IsControlCharacter(char c) {
    return static_cast<unsigned char>(c) < 0x20 && c != '\t';
}

// `*` in the pattern matches any run of characters, every other character itself.
bool MatchesPattern(std::string_view pattern, std::string_view line);

}  // namespace session
