// The simulated machine's answers about drives, volumes and paths.
#include <algorithm>
#include <cctype>
#include <memory>
#include <stdexcept>

#include "sys/SimState.h"

namespace sys {

using namespace sys::sim;

DWORD SimMachine::GetDriveTypeA(const std::string& rootPath) {
    State& s = *s_;
    // Never sets the last error, not even when it fails (Wine leaves its lookups' errors).
    if (failing(s, "GetDriveTypeA")) return w::DRIVE_UNKNOWN;
    // "X:" alone is that drive's root, not its current directory.
    std::string path = rootPath;
    if (path.size() == 2 && isDriveLetter(path[0]) && path[1] == ':') path += '\\';
    Target t;
    if (parseName(s, path, t) || t.kind != Target::Kind::Path) return w::DRIVE_NO_ROOT_DIR;
    Volume* v = s.volume(t.drive);
    if (!v) return w::DRIVE_NO_ROOT_DIR;
    if (t.parts.empty()) return v->driveType;
    // Below the root Windows wants an existing directory with a trailing backslash; Wine
    // answers for any existing directory.
    if (!t.trailingSlash) return w::DRIVE_NO_ROOT_DIR;
    const Found f = findPath(s, t);
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

// What the caller may still write: the free space, cut by a user quota.
std::uint64_t freeToCallerOf(const Volume& v) {
    return std::min(v.freeBytes, v.callerQuota);
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
    // The free clusters are the caller's, as a quota leaves them.
    if (freeClusters) *freeClusters = clampClusters(freeToCallerOf(*v) / cluster);
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
    if (freeToCaller) *freeToCaller = freeToCallerOf(*v);
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
    const DWORD e = parseName(s, rootPath, t);
    // A volume or device name ends without a backslash: a bad name (Wine: 144).
    if (t.kind != Target::Kind::Path) return fail(err::INVALID_NAME);
    if (e) return fail(e);
    // Below the root a name without a trailing backslash is bad (123) whether or not it
    // exists (Wine: 144 when a backslash follows the first component); an existing
    // directory with one is no root (144).
    if (!t.parts.empty() && !t.trailingSlash) return fail(err::INVALID_NAME);
    const Found f = findPath(s, t);
    if (f.error) return fail(f.error);
    if (!t.parts.empty()) return fail(err::DIR_NOT_ROOT);
    Volume* v = f.volume;
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
    // A `\\?\` or `\\.\` name keeps its prefix and its letter as typed (Wine: 123 for
    // `\\.\C:`).
    std::string root = std::string(1, t.drive) + ":\\";
    std::string prefix = fileName.substr(0, 6);
    std::replace(prefix.begin(), prefix.end(), '/', '\\');
    if (prefix.size() == 6 && prefix.starts_with("\\\\") &&
        (prefix[2] == '?' || prefix[2] == '.') && prefix[3] == '\\' && prefix[5] == ':')
        root = prefix + '\\';
    // Room for the root and its NUL, or one short of it: the root without its backslash.
    if (bufferLength > root.size())
        copyText(root, volumePath, bufferLength);
    else if (bufferLength == root.size())
        copyText(root.substr(0, root.size() - 1), volumePath, bufferLength);
    else
        return fail(err::FILENAME_EXCED_RANGE);
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

// --- Set-up
// ---------------------------------------------------------------------------------------

void SimMachine::addDrive(char letter, DWORD driveType, bool withMedia) {
    if (driveType == w::DRIVE_REMOVABLE) return addRemovableDrive(letter, withMedia);
    Volume v;
    v.letter = char(std::toupper(static_cast<unsigned char>(letter)));
    if (!isDriveLetter(letter) || s_->volumes.count(v.letter))
        throw std::invalid_argument("SimMachine::addDrive: no free drive letter");
    v.driveType = driveType;
    v.hasMedia = withMedia;
    v.serial = DWORD(v.letter) << 24;
    v.root = std::make_shared<Node>();
    v.root->directory = true;
    const std::uint64_t kGiB = std::uint64_t(1) << 30;
    if (driveType == w::DRIVE_CDROM) {
        // A data disc: nothing free, whole 2048-byte sectors, a read-only volume.
        v.fileSystem = "CDFS";
        v.fileSystemFlags = 0x00080005;  // case-sensitive search, Unicode names, read-only
        v.maxComponentLength = 110;
        v.sectorsPerCluster = 1;
        v.bytesPerSector = 2048;
        v.totalBytes = v.length = 333000 * 2048;
        v.freeBytes = 0;
    } else if (driveType == w::DRIVE_RAMDISK) {
        v.fileSystem = "FAT32";
        v.fileSystemFlags = 0x6;  // case-preserved and Unicode names
        v.sectorsPerCluster = 8;
        v.totalBytes = v.length = kGiB;
        v.freeBytes = kGiB - 4096 * 16;
    } else if (driveType == w::DRIVE_REMOTE) {
        // A share: the server's NTFS, reached through no disk of this machine.
        v.fileSystemFlags = s_->volumes.at('C').fileSystemFlags;
        v.totalBytes = 4096 * kGiB;
        v.freeBytes = 1024 * kGiB;
    } else {
        // Fixed, or any other code: NTFS on a disk of its own.
        v.fileSystemFlags = s_->volumes.at('C').fileSystemFlags;
        const std::string diskName = "PhysicalDrive" + std::to_string(s_->disks());
        addDisk(diskName);
        const Device& d = s_->devices.at(upper(diskName));
        v.disk = upper(diskName);
        v.diskOffset = 1024 * 1024;
        v.length = v.totalBytes = d.size - v.diskOffset;
        v.freeBytes = v.totalBytes / 2;
    }
    s_->volumes[v.letter] = v;
}

void SimMachine::setDriveType(char letter, DWORD driveType) {
    Volume* v = s_->volume(letter);
    if (!v) throw std::invalid_argument("SimMachine: no such drive");
    v->driveType = driveType;
}

void SimMachine::setCallerQuota(char letter, std::uint64_t bytes) {
    Volume* v = s_->volume(letter);
    if (!v) throw std::invalid_argument("SimMachine: no such drive");
    v->callerQuota = bytes;
}

void SimMachine::setAttributes(const std::string& path, DWORD attributes) {
    Target t;
    Found f;
    if (parseName(*s_, path, t) || t.kind != Target::Kind::Path || (f = findPath(*s_, t)).error)
        throw std::invalid_argument("SimMachine: no such file: " + path);
    // DIRECTORY follows from what the node is; NORMAL means "nothing else" and goes beside
    // any other bit.
    const DWORD others = attributes & ~(w::FILE_ATTRIBUTE_NORMAL | w::FILE_ATTRIBUTE_DIRECTORY);
    f.node->attributes =
        others || f.node->directory ? others : attributes & w::FILE_ATTRIBUTE_NORMAL;
}

}  // namespace sys
