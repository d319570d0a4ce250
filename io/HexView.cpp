#include "io/HexView.h"

namespace io {

namespace {
bool IsDotted(std::uint8_t b) {
    return b < 32 || b == 127 || b == 129 || b == 141 || b == 143 || b == 144 || b == 157;
}
}  // namespace

std::string NiceChar(std::uint8_t b) {
    return IsDotted(b) ? std::string(".") : std::string(1, static_cast<char>(b));
}

std::size_t HexViewLineCount(std::size_t n) {
    return n / kBytesPerLine + (n % kBytesPerLine != 0);
}

std::string HexViewLine(const std::uint8_t* data, std::size_t n, std::size_t line) {
    if (line >= HexViewLineCount(n)) return {};
    static constexpr char kDigits[] = "0123456789ABCDEF";
    const std::size_t first = line * kBytesPerLine;
    const std::size_t count = n - first < kBytesPerLine ? n - first : kBytesPerLine;
    // One allocation per line: hex pairs, two blanks, characters.
    std::string text(count * 3 + 2, ' ');
    for (std::size_t i = 0; i < count; ++i) {
        const std::uint8_t b = data[first + i];
        text[2 * i] = kDigits[b >> 4];
        text[2 * i + 1] = kDigits[b & 0xF];
        text[2 * count + 2 + i] = IsDotted(b) ? '.' : static_cast<char>(b);
    }
    return text;
}

}  // namespace io
