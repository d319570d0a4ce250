#include "io/Numbers.h"

#include <cctype>
#include <charconv>
#include <cmath>
#include <cstdio>
#include <limits>

namespace io {

LargeInteger ToLargeInteger(std::int64_t value) {
    const auto u = static_cast<std::uint64_t>(value);
    return {static_cast<std::uint32_t>(u), static_cast<std::int32_t>(u >> 32)};
}

std::int64_t FromLargeInteger(std::uint32_t low, std::int32_t high) {
    return static_cast<std::int64_t>(
        (static_cast<std::uint64_t>(static_cast<std::uint32_t>(high)) << 32) | low);
}

namespace {
std::string Hex(std::uint32_t v) {
    char buf[16];
    std::snprintf(buf, sizeof buf, "%X", static_cast<unsigned>(v));
    return buf;
}
std::string PadLeft(std::string text, int width) {
    if (width > 0 && text.size() < static_cast<std::size_t>(width))
        text.insert(0, static_cast<std::size_t>(width) - text.size(), '0');
    return text;
}
}  // namespace

std::string HexPad(std::int32_t value, int width) {
    return PadLeft(Hex(static_cast<std::uint32_t>(value)), width);
}

std::string Hex64(std::int64_t value, int width) {
    const LargeInteger li = ToLargeInteger(value);
    std::string text = li.HighPart != 0 ? Hex(static_cast<std::uint32_t>(li.HighPart)) +
                                              PadLeft(Hex(li.LowPart), 8)
                                        : Hex(li.LowPart);
    return PadLeft(std::move(text), width);
}

std::string Hex8(std::uint32_t value) {
    return "0x" + PadLeft(Hex(value), 8);
}

std::string HexNoPad(std::uint32_t value) {
    return "0x" + Hex(value);
}

std::string FormatSize(std::int64_t size, std::string_view decimalSeparator) {
    // Integer arithmetic keeps every digit exact; "0.0" rounds half away from zero as the
    // decimal value would, not as its nearest double would.
    if (size < 1000) return std::to_string(size) + " Bytes";
    if (size < 1000000) {
        std::string text = std::to_string(size / 1000);
        std::int64_t frac = size % 1000;
        if (frac != 0) {
            std::string digits = std::to_string(frac);
            digits.insert(0, 3 - digits.size(), '0');
            while (digits.back() == '0') digits.pop_back();
            text += std::string(decimalSeparator) + digits;
        }
        return text + " KB";
    }
    struct Unit {
        std::int64_t limit, divisor;
        const char* name;
    };
    static constexpr Unit kUnits[] = {
        {1000000000LL, 1000000LL, " MB"},
        {1000000000000LL, 1000000000LL, " GB"},
        {std::numeric_limits<std::int64_t>::max(), 1000000000000LL, " TB"}};
    for (const Unit& u : kUnits) {
        if (size < u.limit || u.limit == std::numeric_limits<std::int64_t>::max()) {
            const std::int64_t tenth = u.divisor / 10;
            // size is positive here; (size + tenth/2) / tenth cannot overflow for any int64.
            const std::int64_t tenths = size / tenth + (size % tenth >= tenth / 2 ? 1 : 0);
            return std::to_string(tenths / 10) + std::string(decimalSeparator) +
                   std::to_string(tenths % 10) + u.name;
        }
    }
    return {};
}

namespace {
bool IsBlank(char c) {
    return c == ' ' || c == '\t' || c == '\n';
}

double HexValue(std::string_view digits) {
    std::uint64_t value = 0;
    int significant = 0;
    bool huge = false;
    for (char c : digits) {
        if (IsBlank(c)) continue;
        const int d = HexDigit(c);
        if (d < 0) break;
        if (value != 0 || d != 0) ++significant;
        if (significant > 15) huge = true;  // beyond 2^60: magnitude only matters from here
        value = huge ? value : (value << 4) | static_cast<std::uint64_t>(d);
    }
    if (huge) return std::numeric_limits<double>::infinity();
    if (significant <= 8) return static_cast<double>(static_cast<std::int32_t>(value));
    return static_cast<double>(value);
}

double DecimalValue(std::string_view text) {
    // Gather sign, digits, point, fraction and exponent with blanks removed, then convert
    // without regard to the locale ("." is always the decimal point).
    std::string number;
    std::size_t i = 0;
    auto skip = [&] {
        while (i < text.size() && IsBlank(text[i])) ++i;
    };
    auto digits = [&] {
        std::size_t n = 0;
        for (skip(); i < text.size() && std::isdigit(static_cast<unsigned char>(text[i])); skip()) {
            number += text[i++];
            ++n;
        }
        return n;
    };
    skip();
    if (i < text.size() && (text[i] == '+' || text[i] == '-')) number += text[i++];
    std::size_t mantissa = digits();
    skip();
    if (i < text.size() && text[i] == '.') {
        ++i;
        number += '.';
        mantissa += digits();
    }
    if (mantissa == 0) return 0;
    skip();
    if (i < text.size() && (text[i] == 'E' || text[i] == 'e' || text[i] == 'D' || text[i] == 'd')) {
        std::string saved = number;
        ++i;
        number += 'e';
        skip();
        if (i < text.size() && (text[i] == '+' || text[i] == '-')) number += text[i++];
        if (digits() == 0) number = saved;
    }
    double value = 0;
    const char* first = number.data();
    if (*first == '+') ++first;
    auto [ptr, ec] = std::from_chars(first, number.data() + number.size(), value);
    if (ec == std::errc::result_out_of_range) {
        // Too large: infinity with its sign, which callers reject; too small: zero.
        const bool negative = number[0] == '-';
        const bool tiny = number.find("e-") != std::string::npos;
        if (tiny) return 0;
        return negative ? -std::numeric_limits<double>::infinity()
                        : std::numeric_limits<double>::infinity();
    }
    (void)ptr;
    return value;
}
}  // namespace

std::optional<double> NumberText(std::string_view text) {
    while (!text.empty() && IsBlank(text.front())) text.remove_prefix(1);
    while (!text.empty() && IsBlank(text.back())) text.remove_suffix(1);
    std::size_t i = 0;
    auto skip = [&] {
        while (i < text.size() && IsBlank(text[i])) ++i;
    };
    // Digits of the given kind, blanks between them allowed as ValueOfText allows them.
    auto digits = [&](bool hex) {
        std::size_t n = 0;
        for (skip(); i < text.size(); skip()) {
            const char c = text[i];
            if (hex ? HexDigit(c) < 0 : !std::isdigit(static_cast<unsigned char>(c))) break;
            ++i;
            ++n;
        }
        return n;
    };
    if (text.size() >= 2 && text[0] == '0' && text[1] == 'x') {
        i = 2;
        if (digits(true) == 0 || i != text.size()) return std::nullopt;
        return ValueOfText(text);
    }
    if (i < text.size() && (text[i] == '+' || text[i] == '-')) ++i;
    std::size_t mantissa = digits(false);
    if (i < text.size() && text[i] == '.') {
        ++i;
        mantissa += digits(false);
    }
    if (mantissa == 0) return std::nullopt;
    if (i < text.size() && (text[i] == 'E' || text[i] == 'e' || text[i] == 'D' || text[i] == 'd')) {
        ++i;
        skip();
        if (i < text.size() && (text[i] == '+' || text[i] == '-')) ++i;
        if (digits(false) == 0) return std::nullopt;
    }
    if (i != text.size()) return std::nullopt;
    return ValueOfText(text);
}

double ValueOfText(std::string_view text) {
    if (text.size() >= 2 && text[0] == '0' && text[1] == 'x') return HexValue(text.substr(2));
    return DecimalValue(text);
}

std::optional<std::int32_t> RoundToInt32(double value) {
    if (std::isnan(value)) return std::nullopt;
    const double r = std::nearbyint(value);  // the default rounding mode: halves to even
    if (r < -2147483648.0 || r > 2147483647.0) return std::nullopt;
    return static_cast<std::int32_t>(r);
}

bool MulExact(std::int64_t a, std::int64_t b, std::int64_t& out) {
    constexpr std::int64_t kMax = std::numeric_limits<std::int64_t>::max();
    constexpr std::int64_t kMin = std::numeric_limits<std::int64_t>::min();
    // Each test divides the limit by the operand whose sign makes the division exact-safe.
    const bool overflow = a > 0 ? (b > 0 ? a > kMax / b : b < kMin / a)
                                : (b > 0 ? a < kMin / b : a != 0 && b < kMax / a);
    if (overflow) return false;
    out = a * b;
    return true;
}

std::int32_t SafeUBound(const std::vector<std::uint8_t>& array) {
    // Read and write size Buf to at most 2^31 bytes, whose upper bound still fits.
    return static_cast<std::int32_t>(static_cast<std::int64_t>(array.size()) - 1);
}

int HexDigit(char c) {
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    return -1;
}

}  // namespace io
