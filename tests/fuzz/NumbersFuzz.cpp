// Texts typed into the count, hex, GPT-word and option boxes: no crash, and wherever the text is
// plain enough for the C library to read, each reading agrees with strtoull or strtod.
#include <algorithm>
#include <cfloat>
#include <cmath>

#include "devctl/AttributeDialogs.h"
#include "io/Numbers.h"
#include "open/HexText.h"
#include "tests/fuzz/Fuzz.h"

namespace {

constexpr std::string_view kHex = "0123456789abcdefABCDEF";

bool AllOf(std::string_view s, std::string_view set) {
    return s.find_first_not_of(set) == s.npos;
}
std::string_view Trimmed(std::string_view s, std::string_view blanks) {
    s.remove_prefix(std::min(s.size(), s.find_first_not_of(blanks)));
    return s.substr(0, s.find_last_not_of(blanks) + 1);
}
std::string_view WithoutPrefix(std::string_view s, std::initializer_list<std::string_view> any) {
    for (std::string_view p : any)
        if (s.starts_with(p)) return s.substr(p.size());
    return s;
}
std::uint64_t Strtoull(std::string_view digits, int base) {
    return std::strtoull(std::string(digits).c_str(), nullptr, base);  // saturates when too long
}

void Numbers(std::string_view text) {
    // A hex box: "0x" and 1 to 8 significant digits, nothing else.
    const bool prefixed = text.starts_with("0x");
    const std::string_view hex = prefixed ? text.substr(2) : text;
    const bool plainHex = !hex.empty() && AllOf(hex, kHex);
    const std::size_t significant = hex.size() - std::min(hex.size(), hex.find_first_not_of('0'));
    const app::HexText h = app::ParseHexText(text);
    FUZZ_CHECK(h.ok == (plainHex && significant <= 8) && h.ok == h.problem.empty());
    FUZZ_CHECK(!h.ok || h.value == std::uint32_t(Strtoull(hex, 16)));

    // The count and position boxes: always a number; up to 8 hex digits are a 32-bit pattern.
    const double v = io::ValueOfText(text);
    const std::optional<double> number = io::NumberText(text);
    FUZZ_CHECK(!std::isnan(v));
    if (const auto r = io::RoundToInt32(v)) FUZZ_CHECK(std::abs(*r - v) <= 0.5);
    if (prefixed && plainHex && significant <= 15) {
        const std::uint64_t u = Strtoull(hex, 16);
        FUZZ_CHECK(v == (significant <= 8 ? std::int32_t(u) : double(u)) && number == v);
    }
    if (!text.empty() && AllOf(text, "0123456789+-.eE")) {
        const std::string s(text);
        char* end = nullptr;
        const double d = std::strtod(s.c_str(), &end);
        // Below the normal range a reading of 0 is as good as the subnormal one.
        if (end == s.c_str() + s.size() && (d == 0 || std::isinf(d) || std::abs(d) >= DBL_MIN))
            FUZZ_CHECK(v == d && number == d);
    }
    if (!AllOf(text, "0123456789abcdefABCDEFxX+-. \t\n")) FUZZ_CHECK(!number);

    // The GPT word: blanks at the ends, "0x" or "0X", then 1 to 16 hex digits.
    const std::string_view word = WithoutPrefix(Trimmed(text, " "), {"0x", "0X"});
    const app::GptText gpt = app::ParseGptText(text);
    FUZZ_CHECK(gpt.ok == (!word.empty() && AllOf(word, kHex) && word.size() <= 16));
    FUZZ_CHECK(!gpt.ok || gpt.value == Strtoull(word, 16));

    // An option byte: one whole number from 0 to 255 ("-0" is 0), decimal, or hex after a prefix.
    std::string_view byte = Trimmed(text, " \t");
    const bool negative = byte.starts_with('-');
    byte.remove_prefix(negative);
    const std::string_view digits = WithoutPrefix(byte, {"&H", "&h", "0x", "0X"});
    const int base = digits.size() < byte.size() ? 16 : 10;
    const bool plain = !digits.empty() && AllOf(digits, base == 16 ? kHex : "0123456789");
    const std::uint64_t value = plain ? Strtoull(digits, base) : 256;
    const app::OptionText option = app::ParseOptionByte(text);
    FUZZ_CHECK(option.ok == (value <= 255 && (!negative || value == 0)));
    FUZZ_CHECK(!option.ok || option.value == value);
}

}  // namespace

FUZZ_TARGET(numbers, Numbers)
