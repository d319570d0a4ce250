#include "devctl/IoControl.h"

#include <algorithm>
#include <cctype>

#include "io/Numbers.h"

namespace devctl {

namespace L = sys::ioctl;
using L::DWORD;

namespace {

constexpr CatalogueRow kCatalogue[] = {
#include "IoctlCatalogue.inc"
};

bool SameName(std::string_view a, std::string_view b) {
    return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(), [](char x, char y) {
               return std::toupper(static_cast<unsigned char>(x)) ==
                      std::toupper(static_cast<unsigned char>(y));
           });
}

bool Blank(char c) {
    return c == ' ' || c == '\t' || c == '\r' || c == '\n';
}

std::string_view Trim(std::string_view s) {
    while (!s.empty() && Blank(s.front())) s.remove_prefix(1);
    while (!s.empty() && Blank(s.back())) s.remove_suffix(1);
    return s;
}

// "0x" and 1 to 8 hex digits, nothing else.
bool ReadHexCode(std::string_view s, DWORD& value) {
    if (s.size() < 3 || s[0] != '0' || (s[1] != 'x' && s[1] != 'X')) return false;
    s.remove_prefix(2);
    if (s.size() > 8) return false;
    value = 0;
    for (char c : s) {
        const int d = io::HexDigit(c);
        if (d < 0) return false;
        value = (value << 4) | static_cast<DWORD>(d);
    }
    return true;
}

const char* DeviceTypeName(DWORD type) {
    switch (type) {
        case 0x02:
            return "CD_ROM";
        case 0x07:
            return "DISK";
        case 0x08:
            return "DISK_FILE_SYSTEM";
        case 0x09:
            return "FILE_SYSTEM";
        case 0x22:
            return "UNKNOWN";
        case 0x24:
            return "VIRTUAL_DISK";
        case 0x2D:
            return "MASS_STORAGE";
        case 0x4D:
            return "MOUNTDEV";
        case 0x56:
            return "VOLUME";
        case 0x6D:
            return "MOUNTMGR";
        default:
            return nullptr;
    }
}

std::string Hex(std::uint64_t v) {
    return "0x" + io::Hex64(static_cast<std::int64_t>(v), 1);
}

}  // namespace

static_assert(std::size(kCatalogue) == HB_CATALOGUE_ROWS);

std::span<const CatalogueRow> Catalogue() {
    return kCatalogue;
}

const CatalogueRow* FindRequest(std::string_view name) {
    for (const CatalogueRow& r : kCatalogue)
        if (SameName(r.name, name)) return &r;
    return nullptr;
}

const CatalogueRow* FindRequest(DWORD code) {
    for (const CatalogueRow& r : kCatalogue)
        if (r.code == code) return &r;
    return nullptr;
}

std::string CatalogueItem(const CatalogueRow& row) {
    return std::string(row.name) + "  " + io::Hex8(row.code);
}

std::string CodeParts(DWORD code) {
    static const char* const kMethods[] = {"BUFFERED", "IN_DIRECT", "OUT_DIRECT", "NEITHER"};
    static const char* const kAccess[] = {"ANY", "READ", "WRITE", "READ+WRITE"};
    const DWORD type = code >> 16;
    std::string parts = "DeviceType=" + Hex(type);
    if (const char* name = DeviceTypeName(type)) parts += std::string(" (") + name + ")";
    return parts + " Function=" + Hex((code >> 2) & 0xFFF) + " Method=" + kMethods[code & 3] +
           " Access=" + kAccess[L::RequiredAccess(code)];
}

sys::Effect EffectOfCode(DWORD code) {
    if (L::RequiredAccess(code) & 2) return sys::Effect::Changes;
    const CatalogueRow* row = FindRequest(code);
    return row ? row->effect : sys::Effect::Changes;
}

CodeText ParseCodeText(std::string_view text) {
    text = Trim(text);
    if (text.empty()) return {false, 0, "is empty"};
    DWORD value = 0;
    if (text.size() >= 2 && text[0] == '0' && (text[1] == 'x' || text[1] == 'X')) {
        if (!ReadHexCode(text, value)) return {false, 0, "is not 0x and 1 to 8 hex digits"};
        return {true, value, {}};
    }
    // A name, with the code the list shows after it, if any.
    const std::size_t gap = text.find_first_of(" \t");
    const CatalogueRow* row = FindRequest(text.substr(0, gap));
    if (!row) return {false, 0, "is not a name in the list"};
    if (gap != std::string_view::npos) {
        const std::string_view rest = Trim(text.substr(gap));
        if (!ReadHexCode(rest, value) || value != row->code)
            return {false, 0, "has a code that is not its name's"};
    }
    return {true, row->code, {}};
}

BytesText ParseHexBytes(std::string_view text) {
    BytesText t;
    std::size_t i = 0;
    while (i < text.size()) {
        if (Blank(text[i])) {
            ++i;
            continue;
        }
        // One run of digits between blanks: whole bytes only.
        std::size_t end = i;
        while (end < text.size() && !Blank(text[end])) {
            if (io::HexDigit(text[end]) < 0)
                return {
                    false, {}, std::string("has a character that is not hex: '") + text[end] + "'"};
            ++end;
        }
        if ((end - i) % 2 != 0) return {false, {}, "has an odd number of hex digits"};
        for (; i < end; i += 2)
            t.bytes.push_back(
                static_cast<std::uint8_t>(io::HexDigit(text[i]) * 16 + io::HexDigit(text[i + 1])));
    }
    t.ok = true;
    return t;
}

std::size_t HexByteCount(std::string_view text) {
    return static_cast<std::size_t>(std::count_if(text.begin(), text.end(),
                                                  [](char c) { return io::HexDigit(c) >= 0; })) /
           2;
}

SizeText ParseOutputSize(std::string_view text) {
    text = Trim(text);
    if (text.empty()) return {false, 0, "is empty"};
    int base = 10;
    if (text.size() >= 2 && text[0] == '0' && (text[1] == 'x' || text[1] == 'X')) {
        base = 16;
        text.remove_prefix(2);
        if (text.empty()) return {false, 0, "is not a whole number"};
    }
    std::uint64_t value = 0;
    for (char c : text) {
        const int d = base == 16 ? io::HexDigit(c) : (c >= '0' && c <= '9' ? c - '0' : -1);
        if (d < 0) return {false, 0, "is not a whole number"};
        // Past the limit the digits still have to be digits, but the value no longer matters.
        value = std::min<std::uint64_t>(
            value * static_cast<unsigned>(base) + static_cast<unsigned>(d), kMaxAnyOutSize + 1ull);
    }
    if (value > kMaxAnyOutSize) return {false, 0, "is out of range (0 to 1048576)"};
    return {true, static_cast<std::uint32_t>(value), {}};
}

}  // namespace devctl
