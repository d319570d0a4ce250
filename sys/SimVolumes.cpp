// The simulated machine's answers about drives, volumes and paths.
#include <algorithm>

#include "sys/SimState.h"

namespace sys {

using namespace sys::sim;

DWORD SimMachine::GetDriveTypeA(const std::string& rootPath) {
    State& s = *s_;
    // Never sets the last error, not even when it fails.
    if (failing(s, "GetDriveTypeA")) return w::DRIVE_UNKNOWN;
    Target t;
    if (parseName(s, rootPath, t) || t.kind != Target::Kind::Path) return w::DRIVE_NO_ROOT_DIR;
    Volume* v = s.volume(t.drive);
    if (!v) return w::DRIVE_NO_ROOT_DIR;
    if (t.parts.empty()) return v->driveType;
    // Below the root the path must name an existing directory.
    DWORD saved = s.lastError;
    Found f = findPath(s, t);
    s.lastError = saved;
    return f.error || !f.node->directory ? w::DRIVE_NO_ROOT_DIR : v->driveType;
}

namespace {

// The volume under an existing directory, or the error for the path.
DWORD volumeOfDirectory(State& s, const std::string& path, Volume*& v) {
    Target t;
    if (DWORD e = parseName(s, path, t)) return e;
    if (t.kind != Target::Kind::Path) return err::PATH_NOT_FOUND;
    Found f = findPath(s, t);
    if (f.error) return f.error;
    if (!f.node->directory) return err::DIRECTORY;
    v = f.volume;
    return err::SUCCESS;
}

DWORD clampClusters(std::uint64_t n) {
    return DWORD(std::min<std::uint64_t>(n, 0xFFFFFFFFu));
}

}  // namespace

BOOL SimMachine::GetDiskFreeSpaceA(const std::string& rootPath, DWORD* sectorsPerCluster,
                                   DWORD* bytesPerSector, DWORD* freeClusters,
                                   DWORD* totalClusters) {
    State& s = *s_;
    if (failing(s, "GetDiskFreeSpaceA")) return 0;
    auto fail = Failing(s, 0);
    Volume* v = nullptr;
    if (DWORD e = volumeOfDirectory(s, rootPath, v)) return fail(e);
    const std::uint64_t cluster = std::uint64_t(v->sectorsPerCluster) * v->bytesPerSector;
    if (sectorsPerCluster) *sectorsPerCluster = v->sectorsPerCluster;
    if (bytesPerSector) *bytesPerSector = v->bytesPerSector;
    if (freeClusters) *freeClusters = clampClusters(v->freeBytes / cluster);
    if (totalClusters) *totalClusters = clampClusters(v->totalBytes / cluster);
    return 1;
}

BOOL SimMachine::GetDiskFreeSpaceExA(const std::string& directory, std::uint64_t* freeToCaller,
                                     std::uint64_t* totalBytes, std::uint64_t* totalFree) {
    State& s = *s_;
    if (failing(s, "GetDiskFreeSpaceExA")) return 0;
    auto fail = Failing(s, 0);
    Volume* v = nullptr;
    if (DWORD e = volumeOfDirectory(s, directory, v)) return fail(e);
    if (freeToCaller) *freeToCaller = v->freeBytes;
    if (totalBytes) *totalBytes = v->totalBytes;
    if (totalFree) *totalFree = v->freeBytes;
    return 1;
}

BOOL SimMachine::GetVolumeInformationA(const std::string& rootPath, char* volumeName,
                                       DWORD volumeNameSize, DWORD* serialNumber,
                                       DWORD* maxComponentLength, DWORD* fileSystemFlags,
                                       char* fileSystemName, DWORD fileSystemNameSize) {
    State& s = *s_;
    if (failing(s, "GetVolumeInformationA")) return 0;
    auto fail = Failing(s, 0);
    Target t;
    if (DWORD e = parseName(s, rootPath, t)) return fail(e);
    // Only a drive root with its trailing backslash names a volume here; a longer path is
    // "not a root" when it goes below a directory, otherwise a bad name.
    std::string p = rootPath;
    std::replace(p.begin(), p.end(), '/', '\\');
    if (p.rfind("\\\\?\\", 0) == 0) p = p.substr(4);
    const bool isRoot = p.size() == 3 && isDriveLetter(p[0]) && p[1] == ':' && p[2] == '\\';
    if (!isRoot) {
        std::string rest = p.size() >= 2 && p[1] == ':' ? p.substr(2) : p;
        rest.erase(0, rest.find_first_not_of('\\') == std::string::npos
                          ? rest.size()
                          : rest.find_first_not_of('\\'));
        return fail(rest.find('\\') != std::string::npos ? err::DIR_NOT_ROOT : err::INVALID_NAME);
    }
    Volume* v = s.volume(t.drive);
    if (!v) return fail(err::PATH_NOT_FOUND);
    if (!v->hasMedia) return fail(err::NOT_READY);
    copyText(v->label, volumeName, volumeNameSize);
    if (serialNumber) *serialNumber = v->serial;
    if (maxComponentLength) *maxComponentLength = v->maxComponentLength;
    if (fileSystemFlags) *fileSystemFlags = v->fileSystemFlags;
    copyText(v->fileSystem, fileSystemName, fileSystemNameSize);
    return 1;
}

BOOL SimMachine::GetVolumePathNameA(const std::string& fileName, char* volumePath,
                                    DWORD bufferLength) {
    State& s = *s_;
    if (failing(s, "GetVolumePathNameA")) return 0;
    auto fail = Failing(s, 0);
    if (fileName.empty()) return fail(err::INVALID_PARAMETER);
    Target t;
    DWORD e = parseName(s, fileName, t);
    if (e == err::SUCCESS && t.kind == Target::Kind::Device) e = err::INVALID_NAME;
    // The answer is lexical: the path need not exist, but its drive must.
    if (e == err::SUCCESS && !s.volume(t.drive)) e = err::FILE_NOT_FOUND;
    if (e) return fail(e);
    const std::string root = std::string(1, t.drive) + ":\\";
    if (bufferLength >= 4) {
        copyText(root, volumePath, bufferLength);
    } else if (bufferLength == 3) {
        // One short of room for the backslash: Windows returns the drive without it.
        copyText(root.substr(0, 2), volumePath, bufferLength);
    } else {
        return fail(err::FILENAME_EXCED_RANGE);
    }
    return 1;
}

DWORD SimMachine::GetFileAttributesA(const std::string& fileName) {
    State& s = *s_;
    if (failing(s, "GetFileAttributesA")) return kInvalidFileAttributes;
    auto fail = Failing(s, kInvalidFileAttributes);
    Target t;
    if (DWORD e = parseName(s, fileName, t)) return fail(e);
    if (t.kind != Target::Kind::Path) return w::FILE_ATTRIBUTE_NORMAL;
    Found f = findPath(s, t);
    if (f.error) return fail(f.error);
    if (f.node->directory) return f.node->attributes | w::FILE_ATTRIBUTE_DIRECTORY;
    return f.node->attributes ? f.node->attributes : w::FILE_ATTRIBUTE_NORMAL;
}

}  // namespace sys
