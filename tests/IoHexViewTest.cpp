#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <vector>

#include "io/FileType.h"
#include "io/HexView.h"
#include "io/Numbers.h"

namespace {

std::vector<std::uint8_t> Bytes(std::initializer_list<int> values) {
    std::vector<std::uint8_t> v;
    for (int b : values) v.push_back(static_cast<std::uint8_t>(b));
    return v;
}

TEST(NiceChar, DotsControlCodesAndTheUndefinedCp1252Codes) {
    for (int b = 0; b < 256; ++b) {
        const bool dotted =
            b < 32 || b == 127 || b == 129 || b == 141 || b == 143 || b == 144 || b == 157;
        const std::string expected =
            dotted ? "." : std::string(1, static_cast<char>(static_cast<std::uint8_t>(b)));
        EXPECT_EQ(io::NiceChar(static_cast<std::uint8_t>(b)), expected) << b;
    }
    // The neighbours of the dotted codes stay themselves.
    for (int b : {32, 126, 128, 130, 140, 142, 145, 156, 158, 255})
        EXPECT_NE(io::NiceChar(static_cast<std::uint8_t>(b)), ".") << b;
}

TEST(HexView, LineCountRoundsUpToSixteenBytes) {
    const std::pair<std::size_t, std::size_t> rows[] = {
        {0, 0}, {1, 1}, {15, 1}, {16, 1}, {17, 2}, {100, 7}, {512, 32}, {2147483647u, 134217728u},
    };
    for (const auto& [bytes, lines] : rows) EXPECT_EQ(io::HexViewLineCount(bytes), lines) << bytes;
}

TEST(HexView, LinesAreHexPairsTwoBlanksAndCharacters) {
    const auto four = Bytes({0x41, 0x00, 0x7F, 0xFF});
    EXPECT_EQ(io::HexViewLine(four.data(), 4, 0), "41007FFF  A..\xFF");

    std::vector<std::uint8_t> hundred(100);
    for (std::size_t i = 0; i < hundred.size(); ++i) hundred[i] = static_cast<std::uint8_t>(i + 60);
    EXPECT_EQ(io::HexViewLine(hundred.data(), 100, 0),
              "3C3D3E3F404142434445464748494A4B  <=>?@ABCDEFGHIJK");
    // The short last line is not padded: the blanks follow its digits directly.
    EXPECT_EQ(io::HexViewLine(hundred.data(), 100, 6), "9C9D9E9F  \x9C.\x9E\x9F");
    EXPECT_EQ(io::HexViewLine(hundred.data(), 100, 7), "");
    // Only the first n bytes count, whatever follows them.
    EXPECT_EQ(io::HexViewLine(hundred.data(), 17, 1), "4C  L");
    EXPECT_EQ(io::HexViewLine(hundred.data(), 0, 0), "");
}

TEST(HexView, EveryByteValueAgreesWithHexPadAndNiceChar) {
    std::vector<std::uint8_t> all(256);
    for (int b = 0; b < 256; ++b) all[static_cast<std::size_t>(b)] = static_cast<std::uint8_t>(b);
    for (std::size_t line = 0; line < 16; ++line) {
        std::string hex, chars;
        for (std::size_t i = 0; i < 16; ++i) {
            hex += io::HexPad(all[line * 16 + i], 2);
            chars += io::NiceChar(all[line * 16 + i]);
        }
        EXPECT_EQ(io::HexViewLine(all.data(), all.size(), line), hex + "  " + chars) << line;
    }
}

TEST(FileTypeName, NamesTheFourTypesAndPrintsOthersInDecimal) {
    const std::pair<std::int32_t, const char*> rows[] = {
        {0, "FILE_TYPE_UNKNOWN"},
        {1, "FILE_TYPE_DISK"},
        {2, "FILE_TYPE_CHAR"},
        {3, "FILE_TYPE_PIPE"},
        {4, "4"},
        {0x8000, "32768"},
        {-1, "-1"},
        {INT32_MIN, "-2147483648"},
    };
    for (const auto& [value, name] : rows) EXPECT_EQ(io::FileTypeName(value), name) << value;
}

TEST(SafeUBound, IsMinusOneUntilSizedAndHoldsTheLargestCount) {
    EXPECT_EQ(io::SafeUBound({}), -1);
    EXPECT_EQ(io::SafeUBound(std::vector<std::uint8_t>(1)), 0);
    EXPECT_EQ(io::SafeUBound(std::vector<std::uint8_t>(513)), 512);
}

}  // namespace
