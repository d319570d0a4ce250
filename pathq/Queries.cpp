// The path-query buttons: drive type, free space (two forms), volume information, volume path
// name and file attributes. Each row's formatter builds its whole success line.
#include "pathq/Queries.h"

#include <cstring>
#include <iterator>
#include <limits>
#include <utility>

namespace pathq {

namespace {

// The result as the signed 32-bit number the lines show.
std::string Res(const Answer& a) {
    return std::to_string(static_cast<std::int32_t>(a.result));
}
// Counts and sizes are unsigned: a cluster count of 2^31 or more is no negative number.
std::string U(std::uint64_t v) {
    return std::to_string(v);
}
// Upper-case hex without leading zeros or prefix.
std::string Hex(std::uint32_t v) {
    std::string digits;
    do {
        digits.insert(digits.begin(), "0123456789ABCDEF"[v & 0xF]);
        v >>= 4;
    } while (v != 0);
    return digits;
}
std::string Text(const char (&buffer)[kTextBufferSize]) {
    return TrimAtNul(std::string_view(buffer, kTextBufferSize));
}

bool NonZero(const Answer& a) {
    return a.result != 0;
}
bool ValidAttributes(const Answer& a) {
    return a.result != sys::kInvalidFileAttributes;
}

// clang-format off
constexpr Query kQueries[] = {
    // Every code is a result: no failure line, and the last error is not shown.
    {"cmdGetDriveType", sys::Effect::Reads,
     [](sys::Kernel& k, const std::string& path, Answer&) { return k.GetDriveTypeA(path); },
     nullptr, nullptr,
     [](const Answer& a) {
         return "GetDriveType  res=" + DriveTypeName(static_cast<std::int32_t>(a.result));
     }},
    // Fails with the prefix of the Ex call: callers may rely on it.
    {"cmdFreeSpace", sys::Effect::Reads,
     [](sys::Kernel& k, const std::string& path, Answer& a) {
         return sys::DWORD(k.GetDiskFreeSpaceA(path, &a.sectorsPerCluster, &a.bytesPerSector,
                                               &a.freeClusters, &a.totalClusters));
     },
     "GetDiskFreeSpaceEx Err=", NonZero,
     [](const Answer& a) {
         // "BytesPerCluster" shows the bytes per sector; nothing shows the cluster size.
         return "res=" + Res(a) + " SecPerCluster=" + U(a.sectorsPerCluster) + " BytesPerCluster=" +
                U(a.bytesPerSector) + " Bytes" + " FreeClusters=" + U(a.freeClusters) +
                " TotalClusters=" + U(a.totalClusters) + "  -> Size=" +
                UnsignedProduct(a.sectorsPerCluster, a.bytesPerSector, a.totalClusters);
     }},
    {"cmdFreeSpaceEx", sys::Effect::Reads,
     [](sys::Kernel& k, const std::string& path, Answer& a) {
         return sys::DWORD(
             k.GetDiskFreeSpaceExA(path, &a.freeToCaller, &a.totalBytes, &a.totalFree));
     },
     "GetDiskFreeSpaceEx Err=", NonZero,
     [](const Answer& a) {
         return "res=" + Res(a) + " FreeBytesAvail=" + U(a.freeToCaller) + " Bytes" +
                " TotalBytes=" + U(a.totalBytes) + " Bytes" + " TotalFree=" + U(a.totalFree) +
                " Bytes";
     }},
    {"cmdGetVolumeInfo", sys::Effect::Reads,
     [](sys::Kernel& k, const std::string& path, Answer& a) {
         return sys::DWORD(k.GetVolumeInformationA(path, a.text, kTextBufferSize, &a.serialNumber,
                                                   &a.maxComponentLength, &a.fileSystemFlags,
                                                   a.fileSystemName, kTextBufferSize));
     },
     "GetVolumeInformation Err=", NonZero,
     [](const Answer& a) {
         return "res=" + Res(a) + " Name=" + Text(a.text) + " Ser=" + Hex(a.serialNumber) +
                " FsFlags=" + Hex(a.fileSystemFlags) + " FsName=" + Text(a.fileSystemName);
     }},
    {"cmdGetVolumePathName", sys::Effect::Reads,
     [](sys::Kernel& k, const std::string& path, Answer& a) {
         return sys::DWORD(k.GetVolumePathNameA(path, a.text, kTextBufferSize));
     },
     "GetVolumePathName Err=", NonZero,
     [](const Answer& a) { return "res=" + Res(a) + " Name=" + Text(a.text); },
     true},
    // INVALID_FILE_ATTRIBUTES is the only failure; every other mask is an answer.
    {"cmdGetFileAttributes", sys::Effect::Reads,
     [](sys::Kernel& k, const std::string& path, Answer&) { return k.GetFileAttributesA(path); },
     "GetFileAttributes Err=", ValidAttributes,
     [](const Answer& a) {
         return "GetFileAttributes  Attribs=0x" + Hex(a.result) + "  (" +
                FileAttributeNames(a.result) + ")";
     },
     true},
};
// clang-format on

}  // namespace

Answer::Answer() {
    std::memset(text, ' ', sizeof text);
    std::memset(fileSystemName, ' ', sizeof fileSystemName);
}

std::span<const Query> Queries() {
    return kQueries;
}

std::string TrimAtNul(std::string_view text) {
    auto trim = [](std::string_view s) {
        const std::size_t first = s.find_first_not_of(' ');
        if (first == std::string_view::npos) return std::string_view();
        return s.substr(first, s.find_last_not_of(' ') - first + 1);
    };
    std::string_view s = trim(text);
    const std::size_t nul = s.find('\0');
    if (nul != std::string_view::npos) s = trim(s.substr(0, nul));
    return std::string(s);
}

std::string FileAttributeNames(std::uint32_t attributes) {
    static constexpr std::pair<std::uint32_t, const char*> kNames[] = {
        {0x20, "ARCHIVE"},
        {0x800, "COMPRESSED"},
        {0x10, "DIRECTORY"},
        {0x2, "HIDDEN"},
        {0x80, "NORMAL"},
        {0x1, "READONLY"},
        {0x4, "SYSTEM"},
        {0x100, "TEMPORARY"},
        {0x40, "DEVICE"},
        {0x200, "SPARSE_FILE"},
        {0x400, "REPARSE_POINT"},
        {0x1000, "OFFLINE"},
        {0x2000, "NOT_CONTENT_INDEXED"},
        {0x4000, "ENCRYPTED"},
        {0x8000, "INTEGRITY_STREAM"},
        {0x10000, "VIRTUAL"},
        {0x20000, "NO_SCRUB_DATA"},
    };
    std::string names;
    for (const auto& [bit, name] : kNames) {
        if (attributes & bit) {
            names += name;
            names += ", ";
        }
    }
    if (names.size() > 2) names.resize(names.size() - 2);
    return names;
}

std::string DriveTypeName(std::int32_t code) {
    static const char* const kNames[] = {"DRIVE_UNKNOWN", "DRIVE_NO_ROOT_DIR", "DRIVE_REMOVABLE",
                                         "DRIVE_FIXED",   "DRIVE_REMOTE",      "DRIVE_CDROM",
                                         "DRIVE_RAMDISK"};
    if (code >= 0 && code < std::int32_t(std::size(kNames))) return kNames[code];
    return std::to_string(code);
}

std::string UnsignedProduct(std::uint64_t a, std::uint64_t b, std::uint64_t c) {
    std::uint64_t product = a;
    for (const std::uint64_t factor : {b, c}) {
        if (factor != 0 && product > std::numeric_limits<std::uint64_t>::max() / factor)
            return "overflow";
        product *= factor;
    }
    return std::to_string(product);
}

}  // namespace pathq
