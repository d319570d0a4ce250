// The hex view's lines: sixteen bytes to a line, hex digits then printable characters.
// Lines are made one at a time when the view shows them, so a dump of any size costs only
// what is on screen.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

namespace io {

inline constexpr std::size_t kBytesPerLine = 16;

// "." for control codes, 127 and the five codes Windows-1252 leaves undefined; otherwise the
// byte itself (text is in the ANSI code page; the window layer converts it).
std::string NiceChar(std::uint8_t b);

// Lines for the first n bytes: n / 16 rounded up (none for 0 bytes).
std::size_t HexViewLineCount(std::size_t n);

// Line `line` of the first n bytes of data: HexPad(byte, 2) of each byte, two blanks, NiceChar of
// each byte. A short last line is not padded. "" for a line past the end.
std::string HexViewLine(const std::uint8_t* data, std::size_t n, std::size_t line);

}  // namespace io
