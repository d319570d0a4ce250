// The path queries as data: one row per button that asks about the text of cboFileName instead
// of the handle. One runner (FrmMain::RunPathQuery) reads the path, makes the row's one call,
// captures the last error and writes the failure line; each row's formatter is the one place
// where its success line is built.
#pragma once

#include <cstdint>
#include <span>
#include <string>
#include <string_view>

#include "sys/Effect.h"
#include "sys/Kernel.h"

namespace pathq {

// The text buffers the calls fill, in characters, as passed to them.
inline constexpr sys::DWORD kTextBufferSize = 256;

// Everything one call may answer. Numbers start at zero and text buffers blank-filled, so a
// call that leaves an output alone shows it as it was before the call.
struct Answer {
    Answer();
    sys::DWORD result = 0;  // BOOL, drive type or attribute mask, as the call returned it
    sys::DWORD sectorsPerCluster = 0, bytesPerSector = 0, freeClusters = 0, totalClusters = 0;
    std::uint64_t freeToCaller = 0, totalBytes = 0, totalFree = 0;
    sys::DWORD serialNumber = 0, maxComponentLength = 0, fileSystemFlags = 0;
    char text[kTextBufferSize];            // the volume name, or the volume path
    char fileSystemName[kTextBufferSize];  // the file-system name
};

struct Query {
    const char* button;  // control name of the main window
    sys::Effect effect;  // path queries ask; none changes anything
    // The one system call, with the path exactly as typed; fills `a` and returns the result.
    sys::DWORD (*call)(sys::Kernel& k, const std::string& path, Answer& a);
    // Ends in "Err="; the error suffix follows. nullptr: every answer is a result.
    const char* failurePrefix;
    bool (*succeeded)(const Answer&);
    std::string (*successLine)(const Answer&);
    bool hourglass = false;
};

// Every path-query button of the main window.
std::span<const Query> Queries();

// A text buffer as the system left it: blanks trimmed, then cut at the first NUL and trimmed
// again. Only U+0020 counts as a blank.
std::string TrimAtNul(std::string_view text);

// The names of the set attribute bits, joined by ", ", in a fixed order that is not the bit
// order; bits without a name are left out.
std::string FileAttributeNames(std::uint32_t attributes);

// "DRIVE_FIXED" and the like; any other code in signed decimal.
std::string DriveTypeName(std::int32_t code);

// a * b * c, multiplied in that order, exact; "overflow" when it does not fit in 64 bits.
std::string UnsignedProduct(std::uint64_t a, std::uint64_t b, std::uint64_t c);

}  // namespace pathq
