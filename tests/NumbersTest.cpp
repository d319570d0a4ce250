#include <gtest/gtest.h>

#include <cmath>
#include <limits>

#include "io/Numbers.h"
#include "open/HexText.h"

namespace {

TEST(Hex64, SplitsAtTheHalvesAndPads) {
    EXPECT_EQ(io::Hex64(1, 16), "0000000000000001");
    EXPECT_EQ(io::Hex64(0x180000000LL, 0), "180000000");
    EXPECT_EQ(io::Hex64(-1, 0), "FFFFFFFFFFFFFFFF");
    EXPECT_EQ(io::Hex64(0, 0), "0");
    EXPECT_EQ(io::Hex64(0xFFFFFFFFLL, 0), "FFFFFFFF");
    EXPECT_EQ(io::Hex64(0x100000000LL, 0), "100000000");
    EXPECT_EQ(io::Hex64(INT64_MIN, 0), "8000000000000000");
    EXPECT_EQ(io::Hex64(0x1234, 2), "1234");  // never cut
    EXPECT_EQ(io::HexPad(255, 2), "FF");
    EXPECT_EQ(io::HexPad(5, 2), "05");
    EXPECT_EQ(io::HexPad(0x123, 2), "123");
    EXPECT_EQ(io::HexPad(-1, 8), "FFFFFFFF");
}

TEST(LargeInteger, RoundTripsAcrossTheSignAndThe32BitBoundary) {
    const std::int64_t values[] = {
        0,         1,        -1, 0xFFFFFFFFLL, 0x100000000LL, -0x100000000LL, 922337203685477LL,
        INT64_MAX, INT64_MIN};
    for (std::int64_t v : values) {
        const io::LargeInteger li = io::ToLargeInteger(v);
        EXPECT_EQ(io::FromLargeInteger(li.LowPart, li.HighPart), v);
    }
    EXPECT_EQ(io::FromLargeInteger(0xFFFFFFFFu, 0), 4294967295LL);
    EXPECT_EQ(io::FromLargeInteger(0, -1), -4294967296LL);
}

TEST(MulExact, RefusesExactlyTheProductsBeyond64Bits) {
    struct Row {
        std::int64_t a, b;
        bool fits;
    };
    const Row rows[] = {
        {10000LL * 255 * 63, 512, true},
        {INT64_MAX, 1, true},
        {INT64_MAX, 2, false},
        {INT64_MIN, 1, true},
        {INT64_MIN, -1, false},
        {-1, INT64_MIN, false},
        {0, INT64_MIN, true},
        {INT64_MIN / 2, 2, true},
        {INT64_MIN / 2, -2, false},
        {-3037000500LL, 3037000500LL, false},
        {3037000499LL, -3037000499LL, true},
        {-4294967296LL, -2147483648LL, false},
        {-4294967296LL, -2147483647LL, true},
    };
    for (const Row& r : rows) {
        std::int64_t out = 7;
        EXPECT_EQ(io::MulExact(r.a, r.b, out), r.fits) << r.a << " * " << r.b;
        EXPECT_EQ(out, r.fits ? r.a * r.b : 7);
    }
}

TEST(FormatSize, DecimalUnitsAtTheirBoundaries) {
    const std::pair<std::int64_t, const char*> rows[] = {
        {0, "0 Bytes"},
        {-5, "-5 Bytes"},
        {999, "999 Bytes"},
        {1000, "1 KB"},
        {1500, "1.5 KB"},
        {4096, "4.096 KB"},
        {999999, "999.999 KB"},
        {1000000, "1.0 MB"},
        {1050000, "1.1 MB"},  // a half rounds up, though 1.05 is below it as a double
        {999999999, "1000.0 MB"},
        {1000000000, "1.0 GB"},
        {82252800000LL, "82.3 GB"},
        {1000000000000LL, "1.0 TB"},
        {922337203685477LL, "922.3 TB"},
        {INT64_MAX, "9223372.0 TB"},
    };
    for (const auto& [size, text] : rows) EXPECT_EQ(io::FormatSize(size), text) << size;
    EXPECT_EQ(io::FormatSize(4096, ","), "4,096 KB");
    EXPECT_EQ(io::FormatSize(1000000, ","), "1,0 MB");
}

TEST(ValueOfText, ReadsHexAndDecimalLikeTheBoxesExpect) {
    const std::pair<const char*, double> rows[] = {
        {"0x1000", 4096},
        {"0X10", 0},
        {"0x", 0},
        {"12abc", 12},
        {" 1 2", 12},
        {"", 0},
        {"-5", -5},
        {"1,5", 1},
        {"0xFFFFFFFF", -1},
        {"0x80000000", -2147483648.0},
        {"0x8000", 32768},
        {"0x 1 0", 16},
        {"0x1g", 1},
        {"2.5", 2.5},
        {"1e3", 1000},
        {"1e -3", 0.001},  // blanks are skipped inside the exponent too
        {"1D2", 100},
        {"1e", 1},
        {"abc", 0},
        {"+7", 7},
        {".5", 0.5},
        {"-", 0},
        {"0x00000000FF", 255},
        {"0x100000000", 4294967296.0},
        {"3000000000", 3e9},
    };
    for (const auto& [text, value] : rows) EXPECT_EQ(io::ValueOfText(text), value) << text;
    EXPECT_EQ(io::ValueOfText("1e999"), HUGE_VAL);
    EXPECT_EQ(io::ValueOfText("-1e999"), -HUGE_VAL);
}

TEST(RoundToInt32, HalvesToEvenAndRefusesOutOfRange) {
    using io::RoundToInt32;
    EXPECT_EQ(RoundToInt32(2.5), 2);
    EXPECT_EQ(RoundToInt32(3.5), 4);
    EXPECT_EQ(RoundToInt32(-2.5), -2);
    EXPECT_EQ(RoundToInt32(2147483647.0), 2147483647);
    EXPECT_EQ(RoundToInt32(2147483647.4), 2147483647);
    EXPECT_EQ(RoundToInt32(2147483647.5), std::nullopt);
    EXPECT_EQ(RoundToInt32(2147483648.0), std::nullopt);
    EXPECT_EQ(RoundToInt32(-2147483648.0), -2147483647 - 1);
    EXPECT_EQ(RoundToInt32(-2147483648.5), -2147483647 - 1);  // even
    EXPECT_EQ(RoundToInt32(-2147483649.0), std::nullopt);
    EXPECT_EQ(RoundToInt32(4294967296.0), std::nullopt);
    EXPECT_EQ(RoundToInt32(922337203685477.0), std::nullopt);
    EXPECT_EQ(RoundToInt32(std::numeric_limits<double>::infinity()), std::nullopt);
    EXPECT_EQ(RoundToInt32(std::nan("")), std::nullopt);
}

// Which texts are read, and as what, is the numbers fuzz target's oracle; here what it says.
TEST(ParseHexText, NamesTheProblem) {
    EXPECT_EQ(app::ParseHexText("0x").problem, "is empty");
    EXPECT_EQ(app::ParseHexText("0xZZ").problem, "is not a hexadecimal number");
    EXPECT_EQ(app::ParseHexText("123456789").problem, "has more than 8 hexadecimal digits");
}

}  // namespace
