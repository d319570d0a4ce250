// The lines a session is written in. The runner's transcript and the window's history both
// write them here, so that a recorded session and its replay compare line by line.
#pragma once

#include <array>
#include <string>
#include <string_view>
#include <vector>

namespace app {
class FrmMain;
}

namespace session {

// False for a value that a script line cannot hold (a control character).
bool Writable(std::string_view value);

// "NAME: VALUE", indented in a dialog.
std::string SetLine(std::string_view name, std::string_view value, bool inDialog);
// The same for a value no line can hold: a step that stops a replay there, before any call.
std::string UnwritableLine(std::string_view name, bool inDialog);
std::string PressLine(std::string_view name, bool inDialog);
// "answer Yes" or "answer No" for ui::kIdYes / ui::kIdNo.
std::string AnswerLine(int answer);
// "expect RESULT"; a character no line can hold becomes "*", which matches it, and so does a
// "*" after a result of blanks only.
std::string ExpectLine(std::string_view result);

// What the window shows besides the result line: the handle, size, position and count labels,
// and how many answers "DeviceIoControl..." has shown.
struct Shown {
    std::array<std::string, 4> labels;
    std::size_t ioAnswers = 0;
};
Shown ShownBy(const app::FrmMain& form);
// "# lblHandle: 0x7C" for each label that a press changed; after a new answer of
// "DeviceIoControl...", "# lstHexView: PartitionStyle=GPT  Count=3" for each decoded line, up to
// a whole table of 128 GPT entries (or 64 KiB), then how many more the list shows.
std::vector<std::string> ShownLines(const Shown& before, const app::FrmMain& form);
inline constexpr std::size_t kMostDecodedLines = 130, kMostDecodedBytes = 1 << 16;

}  // namespace session
