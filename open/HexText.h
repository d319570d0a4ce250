// Reading the parameter boxes' hexadecimal text: an optional lower-case "0x", then 1 to 8
// significant hex digits (either case) giving a 32-bit pattern.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace app {

struct HexText {
    bool ok = false;
    std::uint32_t value = 0;
    std::string problem;  // "is empty", "is not a hexadecimal number", ...
};

HexText ParseHexText(std::string_view text);

}  // namespace app
