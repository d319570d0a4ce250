// Random texts through every parser of box contents: nothing may crash or misread (the native
// build runs this under the address and undefined-behaviour sanitizers).
#include <gtest/gtest.h>

#include <cmath>
#include <cstdlib>
#include <random>

#include "io/Numbers.h"
#include "open/HexText.h"

namespace {

std::string RandomText(std::mt19937& rng) {
    static const char kAlphabet[] = "0123456789abcdefABCDEFxXgG +-.,eEdD\t\n&H\xFF";
    std::uniform_int_distribution<int> len(0, 24), pick(0, sizeof kAlphabet - 2);
    std::string s(static_cast<std::size_t>(len(rng)), ' ');
    for (char& c : s) c = kAlphabet[pick(rng)];
    if (len(rng) < 8) s.insert(0, "0x");
    return s;
}

TEST(ParserFuzz, HexTextAgreesWithAPlainReadingOfTheDigits) {
    std::mt19937 rng(20261206);
    for (int i = 0; i < 200000; ++i) {
        const std::string text = RandomText(rng);
        const app::HexText h = app::ParseHexText(text);
        std::string digits = text.rfind("0x", 0) == 0 ? text.substr(2) : text;
        const bool allHex = !digits.empty() &&
                            digits.find_first_not_of("0123456789abcdefABCDEF") == std::string::npos;
        const std::size_t first = digits.find_first_not_of('0');
        const bool fits = first == std::string::npos || digits.size() - first <= 8;
        ASSERT_EQ(h.ok, allHex && fits) << text;
        if (h.ok) {
            ASSERT_EQ(h.value,
                      static_cast<std::uint32_t>(std::strtoull(digits.c_str(), nullptr, 16)))
                << text;
        }
    }
}

TEST(ParserFuzz, ValueOfTextIsAlwaysANumberAndRoundsSafely) {
    std::mt19937 rng(7);
    for (int i = 0; i < 200000; ++i) {
        const std::string text = RandomText(rng);
        const double v = io::ValueOfText(text);
        ASSERT_FALSE(std::isnan(v)) << text;
        const auto r = io::RoundToInt32(v);
        if (r) {
            ASSERT_LE(std::abs(static_cast<double>(*r) - v), 0.5) << text;
        }
    }
}

TEST(ParserFuzz, HexValuesRoundTripThroughTheirText) {
    std::mt19937 rng(11);
    for (int i = 0; i < 100000; ++i) {
        const auto v = static_cast<std::uint32_t>(rng());
        char text[16];
        std::snprintf(text, sizeof text, "0x%X", v);
        ASSERT_EQ(io::ValueOfText(text), static_cast<double>(static_cast<std::int32_t>(v)));
        ASSERT_EQ(app::ParseHexText(text).value, v);
    }
}

}  // namespace
