// Number-to-text and text-to-number routines shared by the handlers. 64-bit quantities are
// exact signed 64-bit integers throughout.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace io {

// LARGE_INTEGER halves: value = HighPart * 2^32 + LowPart.
struct LargeInteger {
    std::uint32_t LowPart = 0;
    std::int32_t HighPart = 0;
};
LargeInteger ToLargeInteger(std::int64_t value);
std::int64_t FromLargeInteger(std::uint32_t low, std::int32_t high);

// Upper-case hex of a 32-bit pattern, zero-padded on the left to width, never cut.
std::string HexPad(std::int32_t value, int width);
// Upper-case hex of a 64-bit value: the high half (if non-zero) then the low half as 8 digits.
std::string Hex64(std::int64_t value, int width);
// "0x" + 8 upper-case digits.
std::string Hex8(std::uint32_t value);
// "0x" + upper-case hex without leading zeros, for handle values and byte counts.
std::string HexNoPad(std::uint32_t value);

// A byte count with a decimal unit: "999 Bytes", "4.096 KB", "1.0 MB", "1000.0 MB", "1.0 TB".
std::string FormatSize(std::int64_t size, std::string_view decimalSeparator = ".");

// The value of a hexadecimal digit of either case, -1 for any other character.
int HexDigit(char c);

// The number in a count or position box: "0x" hex (32-bit two's complement) or decimal with
// sign, fraction and exponent, blanks skipped, reading up to the first other character.
// Hex text with more than 8 significant digits gives its full magnitude, which callers then
// reject as out of range, instead of silently losing digits.
double ValueOfText(std::string_view text);

// The value of a box that must hold a number: blanks at its ends aside, the text is one whole
// number in ValueOfText's grammar, or nullopt. A slip such as "12abc" or "&H10" would otherwise
// read as a number all the same (12, 0) and move or write somewhere the user did not mean.
std::optional<double> NumberText(std::string_view text);

// Rounds to the nearest 32-bit integer, halves to even (as Windows rounds). nullopt when the
// value lies outside the signed 32-bit range or is not a number.
std::optional<std::int32_t> RoundToInt32(double value);

// a * b when it fits in 64 bits; false (out untouched) when it would overflow. A device may
// answer any geometry, and a wrapped product would be a plainly wrong size.
bool MulExact(std::int64_t a, std::int64_t b, std::int64_t& out);

// The upper bound of a byte array, -1 when it was never sized.
std::int32_t SafeUBound(const std::vector<std::uint8_t>& array);

}  // namespace io
