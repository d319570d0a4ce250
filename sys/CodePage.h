// Text between UTF-8, in which files for people are written (scripts, transcripts, saved
// sessions), and the ANSI code page in which the window and its calls hold every text.
#pragma once

#include <memory>
#include <optional>
#include <string>
#include <string_view>

namespace sys {

class CodePage {
  public:
    virtual ~CodePage() = default;
    // nullopt when the text is not UTF-8, or holds a character the code page has no byte for.
    virtual std::optional<std::string> FromUtf8(std::string_view utf8) const = 0;
    virtual std::string ToUtf8(std::string_view ansi) const = 0;
    virtual unsigned Number() const = 0;
};

// Windows-1252, the simulated machine's code page (GetACP answers 1252 there).
const CodePage& Windows1252();

// The system's ANSI code page (CP_ACP), converted by the system.
std::unique_ptr<CodePage> MakeWin32CodePage();

}  // namespace sys
