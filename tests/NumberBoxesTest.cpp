// Position and count boxes refuse text that is not one number: a slip must not become a move to
// position 0 that the next Write follows. The boxes' refusals are in
// tests/scripts/dry-run-refusals.out and HandleIoTest.cpp.
#include <gtest/gtest.h>

#include <optional>
#include <string>

#include "io/Numbers.h"

namespace {

TEST(NumberText, OneWholeNumberInTheGrammarOfTheCountBoxes) {
    const std::pair<const char*, std::optional<double>> rows[] = {{"0x200", 512},
                                                                  {"1e3", 1000},
                                                                  {"-1", -1},
                                                                  {"2.5", 2.5},
                                                                  {"  7\t", 7},
                                                                  {"+5", 5},
                                                                  {"5.", 5},
                                                                  {".5", 0.5},
                                                                  {"1 000", 1000},
                                                                  {"1E+2", 100},
                                                                  {"0xFFFFFFFF", -1},
                                                                  {"2d2", 200},
                                                                  {"", std::nullopt},
                                                                  {"   ", std::nullopt},
                                                                  {"&H10", std::nullopt},
                                                                  {".5x", std::nullopt},
                                                                  {"\xC3\xA9", std::nullopt},
                                                                  {"0x0x10", std::nullopt},
                                                                  {"12abc", std::nullopt},
                                                                  {"0x", std::nullopt},
                                                                  {"1e", std::nullopt},
                                                                  {"-", std::nullopt},
                                                                  {".", std::nullopt},
                                                                  {" 0x10", 16},
                                                                  {"1-", std::nullopt}};
    for (const auto& [text, value] : rows) EXPECT_EQ(io::NumberText(text), value) << text;
    EXPECT_EQ(io::NumberText(std::string("1\0", 2)), std::nullopt) << "a NUL inside";
}

}  // namespace
