// Any device-control request: the catalogue of documented codes (made from
// data/ioctl-catalogue.tsv), the reading of the dialog's three boxes, what a code changes, and
// the decoders of the answers whose structure is known.
#pragma once

#include <cstddef>
#include <cstdint>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "sys/Effect.h"
#include "sys/Ioctl.h"

namespace devctl {

struct CatalogueRow {
    const char* name;
    sys::ioctl::DWORD code;
    sys::Effect effect;
};

// Every row, sorted by name.
std::span<const CatalogueRow> Catalogue();
// The row of this name (any case) or code, or nullptr.
const CatalogueRow* FindRequest(std::string_view name);
const CatalogueRow* FindRequest(sys::ioctl::DWORD code);
// A row as the Code list shows it: "IOCTL_DISK_GET_DRIVE_LAYOUT_EX  0x00070050".
std::string CatalogueItem(const CatalogueRow& row);

// The code's four parts as a user reads them:
// "DeviceType=0x7 (DISK) Function=0x14 Method=BUFFERED Access=ANY".
std::string CodeParts(sys::ioctl::DWORD code);

// A request changes unless the catalogue knows it and says it only reads, and its code does not
// ask for write access: an unknown code may do anything.
sys::Effect EffectOfCode(sys::ioctl::DWORD code);

// What a box of the dialog means, or why it cannot be sent ("is empty", ...).
struct CodeText {
    bool ok = false;
    sys::ioctl::DWORD code = 0;
    std::string problem;
};
// A catalogue name (as the list shows it, with or without its code after it), or 0x and 1 to 8
// hex digits.
CodeText ParseCodeText(std::string_view text);

struct BytesText {
    bool ok = false;
    std::vector<std::uint8_t> bytes;
    std::string problem;
};
// Hex bytes, two digits each, with blanks, tabs and line breaks allowed between bytes.
BytesText ParseHexBytes(std::string_view text);
// The bytes the text holds so far, as the dialog counts them while typing: its hex digits / 2.
std::size_t HexByteCount(std::string_view text);

inline constexpr std::uint32_t kMaxAnyOutSize = 1u << 20;
struct SizeText {
    bool ok = false;
    std::uint32_t size = 0;
    std::string problem;
};
// A whole number from 0 to 1 MiB, decimal or 0x hex, blanks at its ends aside.
SizeText ParseOutputSize(std::string_view text);

// The lines that say what the answer's bytes mean, where the code's structure is known (for a
// query, the input says which); none otherwise. Only `out` is read, whatever its counts and
// offsets say.
std::vector<std::string> DecodeAnswer(sys::ioctl::DWORD code, std::span<const std::uint8_t> in,
                                      std::span<const std::uint8_t> out);

}  // namespace devctl
