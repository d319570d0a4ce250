#include "sys/CodePage.h"

#include <cstdint>

namespace sys {

namespace {

// 0x80..0x9F of Windows-1252; the five bytes it leaves undefined stand for the C1 controls of
// the same number, as the system converts them.
constexpr char32_t kHigh[32] = {0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021,
                                0x02C6, 0x2030, 0x0160, 0x2039, 0x0152, 0x008D, 0x017D, 0x008F,
                                0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022, 0x2013, 0x2014,
                                0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178};

char32_t Unicode1252(unsigned char b) {
    return b >= 0x80 && b < 0xA0 ? kHigh[b - 0x80] : char32_t{b};
}

void AppendUtf8(std::string& out, char32_t c) {
    if (c < 0x80) {
        out += static_cast<char>(c);
    } else if (c < 0x800) {
        out += static_cast<char>(0xC0 | (c >> 6));
        out += static_cast<char>(0x80 | (c & 0x3F));
    } else {
        out += static_cast<char>(0xE0 | (c >> 12));
        out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (c & 0x3F));
    }
}

// The next character of UTF-8 text, or nullopt for a malformed, overlong or surrogate sequence.
std::optional<char32_t> NextUtf8(std::string_view s, std::size_t& i) {
    const auto b = static_cast<unsigned char>(s[i++]);
    if (b < 0x80) return b;
    int more = b >= 0xF0 && b < 0xF5 ? 3 : b >= 0xE0 ? 2 : b >= 0xC2 && b < 0xE0 ? 1 : -1;
    if (more < 0 || b >= 0xF5) return std::nullopt;
    char32_t c = b & (0x3F >> more);
    for (int k = 0; k < more; ++k) {
        if (i >= s.size()) return std::nullopt;
        const auto t = static_cast<unsigned char>(s[i++]);
        if ((t & 0xC0) != 0x80) return std::nullopt;
        c = (c << 6) | (t & 0x3F);
    }
    constexpr char32_t kLeast[] = {0, 0x80, 0x800, 0x10000};
    if (c < kLeast[more] || c > 0x10FFFF || (c >= 0xD800 && c < 0xE000)) return std::nullopt;
    return c;
}

class Page1252 final : public CodePage {
  public:
    std::optional<std::string> FromUtf8(std::string_view utf8) const override {
        std::string out;
        out.reserve(utf8.size());
        for (std::size_t i = 0; i < utf8.size();) {
            const std::optional<char32_t> c = NextUtf8(utf8, i);
            if (!c) return std::nullopt;
            if (*c < 0x80 || (*c >= 0xA0 && *c < 0x100)) {
                out += static_cast<char>(*c);
                continue;
            }
            unsigned b = 0x80;
            while (b < 0xA0 && kHigh[b - 0x80] != *c) ++b;
            if (b == 0xA0) return std::nullopt;
            out += static_cast<char>(b);
        }
        return out;
    }
    std::string ToUtf8(std::string_view ansi) const override {
        std::string out;
        out.reserve(ansi.size());
        for (const char ch : ansi) AppendUtf8(out, Unicode1252(static_cast<unsigned char>(ch)));
        return out;
    }
    unsigned Number() const override { return 1252; }
};

}  // namespace

const CodePage& Windows1252() {
    static const Page1252 page;
    return page;
}

}  // namespace sys
