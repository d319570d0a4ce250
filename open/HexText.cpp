#include "open/HexText.h"

#include "io/Numbers.h"

namespace app {

HexText ParseHexText(std::string_view text) {
    if (text.size() >= 2 && text[0] == '0' && text[1] == 'x') text.remove_prefix(2);
    if (text.empty()) return {false, 0, "is empty"};
    std::uint64_t value = 0;
    int significant = 0;
    for (char c : text) {
        const int d = io::HexDigit(c);
        if (d < 0) return {false, 0, "is not a hexadecimal number"};
        if (value != 0 || d != 0) ++significant;
        if (significant > 8) return {false, 0, "has more than 8 hexadecimal digits"};
        value = (value << 4) | static_cast<std::uint64_t>(d);
    }
    return {true, static_cast<std::uint32_t>(value), {}};
}

}  // namespace app
