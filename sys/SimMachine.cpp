// The simulated machine: Windows' answers, from an in-memory model of drives, files, devices and
// the handle table. Where Wine answers differently the machine still answers as Windows does; the
// comment says what Wine gives, and the conformance tests check both.
#include "sys/SimMachine.h"

#include <algorithm>
#include <cctype>
#include <climits>
#include <cstring>
#include <new>
#include <set>
#include <sstream>
#include <stdexcept>

#include "sys/SimState.h"

namespace sys {

using namespace sys::sim;

namespace {

constexpr DWORD kGenericReadRights = 0x120089;   // FILE_GENERIC_READ
constexpr DWORD kGenericWriteRights = 0x120116;  // FILE_GENERIC_WRITE
constexpr DWORD kGenericExecuteRights = 0x1200A0;
constexpr DWORD kReadish = w::FILE_READ_DATA | w::FILE_EXECUTE;
constexpr DWORD kWriteish = w::FILE_WRITE_DATA | w::FILE_APPEND_DATA;
constexpr DWORD kShareAll = w::FILE_SHARE_READ | w::FILE_SHARE_WRITE | w::FILE_SHARE_DELETE;
constexpr std::size_t kPage = 4096;
// What the machine can commit in all. Beyond it VirtualAlloc fails as Windows does when the
// commit limit is reached, instead of exhausting the host.
constexpr std::size_t kCommitCapacity = std::size_t(1) << 30;
constexpr std::uint64_t kSector = 512;

std::string upper(std::string s) {
    for (char& c : s) c = char(std::toupper(static_cast<unsigned char>(c)));
    return s;
}

bool isDriveLetter(char c) {
    return std::isalpha(static_cast<unsigned char>(c)) != 0;
}

DWORD mapAccess(DWORD desired, bool readOnlyFile) {
    DWORD r = desired & ~(w::GENERIC_READ | w::GENERIC_WRITE | w::GENERIC_EXECUTE | w::GENERIC_ALL |
                          w::MAXIMUM_ALLOWED);
    if (desired & w::GENERIC_READ) r |= kGenericReadRights;
    if (desired & w::GENERIC_WRITE) r |= kGenericWriteRights;
    if (desired & w::GENERIC_EXECUTE) r |= kGenericExecuteRights;
    if (desired & w::GENERIC_ALL) r |= w::FILE_ALL_ACCESS;
    // MAXIMUM_ALLOWED grants what the object allows: a read-only file withholds writing.
    if (desired & w::MAXIMUM_ALLOWED)
        r |= readOnlyFile ? (w::FILE_ALL_ACCESS & ~kWriteish) : w::FILE_ALL_ACCESS;
    return r;
}

// The share-mode rule of the I/O manager, applied both ways. Opens that ask for neither data
// nor delete access (attribute queries) neither check nor constrain sharing.
bool shareConflict(const Open& existing, DWORD access, DWORD share) {
    const DWORD relevant = kReadish | kWriteish | w::DELETE;
    if (!(existing.access & relevant) || !(access & relevant)) return false;
    auto clash = [](DWORD wantAccess, DWORD mask, DWORD otherShare, DWORD shareBit) {
        return (wantAccess & mask) && !(otherShare & shareBit);
    };
    return clash(access, kReadish, existing.share, w::FILE_SHARE_READ) ||
           clash(access, kWriteish, existing.share, w::FILE_SHARE_WRITE) ||
           clash(access, w::DELETE, existing.share, w::FILE_SHARE_DELETE) ||
           clash(existing.access, kReadish, share, w::FILE_SHARE_READ) ||
           clash(existing.access, kWriteish, share, w::FILE_SHARE_WRITE) ||
           clash(existing.access, w::DELETE, share, w::FILE_SHARE_DELETE);
}

bool sameObject(const Open& a, const Open& b) {
    if (a.kind != b.kind) return false;
    switch (a.kind) {
        case Open::Kind::File:
            return a.node == b.node;
        case Open::Kind::Volume:
            return a.drive == b.drive;
        case Open::Kind::Device:
            return a.device == b.device;
    }
    return false;
}

// A name as Win32 reads it: a drive-letter path, a drive's volume, or a device.
struct Target {
    enum class Kind { Path, Volume, Device };
    Kind kind = Kind::Path;
    char drive = 0;
    std::vector<std::string> parts;  // below the drive's root
    bool trailingSlash = false;
    std::string device;  // upper-cased key
};

bool isDosDeviceName(const std::string& part, std::string& key) {
    std::string base = upper(part.substr(0, part.find('.')));
    while (!base.empty() && base.back() == ' ') base.pop_back();
    static const std::set<std::string> names = {"NUL", "CON", "AUX", "PRN"};
    bool numbered = base.size() == 4 && (base.rfind("COM", 0) == 0 || base.rfind("LPT", 0) == 0) &&
                    base[3] >= '1' && base[3] <= '9';
    if (names.count(base) || numbered) {
        key = base;
        return true;
    }
    return false;
}

std::string currentDirOf(const State& s, char drive) {
    auto it = s.volumes.find(drive);
    return it == s.volumes.end() ? std::string() : it->second.currentDir;
}

DWORD parseName(const State& s, const std::string& name, Target& t) {
    if (name.empty()) return err::PATH_NOT_FOUND;
    std::string p = name;
    std::replace(p.begin(), p.end(), '/', '\\');
    if (p.size() >= 4 && p[0] == '\\' && p[1] == '\\' && (p[2] == '.' || p[2] == '?') &&
        p[3] == '\\') {
        std::string rest = p.substr(4);
        if (rest.size() == 2 && isDriveLetter(rest[0]) && rest[1] == ':') {
            t.kind = Target::Kind::Volume;
            t.drive = char(std::toupper(static_cast<unsigned char>(rest[0])));
            // No such drive: the object manager finds no name (Windows and Wine agree).
            return s.volumes.count(t.drive) ? err::SUCCESS : err::FILE_NOT_FOUND;
        }
        if (rest.size() >= 3 && isDriveLetter(rest[0]) && rest[1] == ':' && rest[2] == '\\') {
            p = rest;
        } else {
            t.kind = Target::Kind::Device;
            t.device = upper(rest);
            return s.devices.count(t.device) ? err::SUCCESS : err::FILE_NOT_FOUND;
        }
    } else if (p.size() >= 2 && p[0] == '\\' && p[1] == '\\') {
        return err::BAD_NETPATH;  // no network on this machine
    }

    std::string rest;
    if (p.size() >= 2 && p[1] == ':') {
        if (!isDriveLetter(p[0])) return err::INVALID_NAME;
        t.drive = char(std::toupper(static_cast<unsigned char>(p[0])));
        rest = p.substr(2);
        if (rest.empty() || rest[0] != '\\') rest = "\\" + currentDirOf(s, t.drive) + "\\" + rest;
    } else if (p[0] == '\\') {
        t.drive = s.currentDrive;
        rest = p;
    } else {
        t.drive = s.currentDrive;
        rest = "\\" + currentDirOf(s, t.drive) + "\\" + p;
    }

    std::vector<std::string> raw;
    std::size_t start = 0;
    for (std::size_t i = 0; i <= rest.size(); ++i) {
        if (i == rest.size() || rest[i] == '\\') {
            raw.push_back(rest.substr(start, i - start));
            start = i + 1;
        }
    }
    for (std::string& part : raw) {
        if (part.empty() || part == ".") continue;
        if (part == "..") {
            if (!t.parts.empty()) t.parts.pop_back();
            continue;
        }
        t.parts.push_back(part);
    }
    t.trailingSlash = !raw.empty() && raw.back().empty() && !t.parts.empty();
    if (!t.parts.empty()) {
        // Win32 drops trailing dots and spaces of the last component.
        std::string& last = t.parts.back();
        while (!last.empty() && (last.back() == '.' || last.back() == ' ')) last.pop_back();
        if (last.empty()) t.parts.pop_back();
    }
    for (const std::string& part : t.parts) {
        for (char c : part) {
            // ':' would name an alternate data stream; this machine has none.
            if (static_cast<unsigned char>(c) < 32 || std::strchr("<>:\"|?*", c))
                return err::INVALID_NAME;
        }
    }
    std::string key;
    if (!t.parts.empty() && isDosDeviceName(t.parts.back(), key) && s.devices.count(key)) {
        t.kind = Target::Kind::Device;
        t.device = key;
    }
    return err::SUCCESS;
}

struct Found {
    DWORD error = err::SUCCESS;  // FILE_NOT_FOUND leaves parent set for creation
    Volume* volume = nullptr;
    std::shared_ptr<Node> node;
    Node* parent = nullptr;
};

Found findPath(State& s, const Target& t) {
    Found f;
    f.volume = s.volume(t.drive);
    if (!f.volume) {
        f.error = err::PATH_NOT_FOUND;
        return f;
    }
    if (!f.volume->hasMedia) {
        f.error = err::NOT_READY;
        return f;
    }
    std::shared_ptr<Node> cur = f.volume->root;
    for (std::size_t i = 0; i + 1 < t.parts.size(); ++i) {
        auto it = cur->children.find(upper(t.parts[i]));
        if (it == cur->children.end() || !it->second->directory) {
            f.error = err::PATH_NOT_FOUND;
            return f;
        }
        cur = it->second;
    }
    if (t.parts.empty()) {
        f.node = cur;
    } else {
        f.parent = cur.get();
        auto it = cur->children.find(upper(t.parts.back()));
        if (it == cur->children.end()) {
            f.error = err::FILE_NOT_FOUND;
            return f;
        }
        f.node = it->second;
    }
    // A file whose deletion waits for its last handle can no longer be opened.
    if (f.node->deletePending)
        f.error = err::ACCESS_DENIED;
    else if (t.trailingSlash && !f.node->directory)
        f.error = err::INVALID_NAME;
    return f;
}

std::string pathOf(const Node& n) {
    if (!n.parent) return "";
    return pathOf(*n.parent) + "\\" + n.name;
}

}  // namespace

namespace sim {

Volume* State::volume(char letter) {
    auto it = volumes.find(char(std::toupper(static_cast<unsigned char>(letter))));
    return it == volumes.end() ? nullptr : &it->second;
}

Device* State::diskOf(const Volume& v) {
    auto it = devices.find(v.disk);
    return it == devices.end() ? nullptr : &it->second;
}

void SparseData::write(std::uint64_t offset, const void* bytes, std::size_t count) {
    if (count == 0) return;
    const std::uint64_t end = offset + count;
    auto it = extents_.upper_bound(offset);
    if (it != extents_.begin()) {
        auto prev = std::prev(it);
        if (prev->first + prev->second.size() >= offset) it = prev;
    }
    std::uint64_t lo = offset, hi = end;
    std::vector<std::pair<std::uint64_t, std::string>> merged;
    while (it != extents_.end() && it->first <= end) {
        lo = std::min(lo, it->first);
        hi = std::max(hi, it->first + it->second.size());
        merged.emplace_back(it->first, std::move(it->second));
        it = extents_.erase(it);
    }
    std::string buf(std::size_t(hi - lo), '\0');
    for (auto& [start, data] : merged)
        std::memcpy(&buf[std::size_t(start - lo)], data.data(), data.size());
    std::memcpy(&buf[std::size_t(offset - lo)], bytes, count);
    extents_.emplace(lo, std::move(buf));
}

void SparseData::read(std::uint64_t offset, void* bytes, std::size_t count) const {
    auto* out = static_cast<char*>(bytes);
    std::memset(out, 0, count);
    const std::uint64_t end = offset + count;
    auto it = extents_.upper_bound(offset);
    if (it != extents_.begin()) --it;
    for (; it != extents_.end() && it->first < end; ++it) {
        const std::uint64_t s = std::max(offset, it->first);
        const std::uint64_t e = std::min(end, it->first + it->second.size());
        if (s < e)
            std::memcpy(out + (s - offset), it->second.data() + (s - it->first),
                        std::size_t(e - s));
    }
}

void SparseData::truncate(std::uint64_t size) {
    auto it = extents_.lower_bound(size);
    extents_.erase(it, extents_.end());
    if (!extents_.empty()) {
        auto& [start, data] = *extents_.rbegin();
        if (start + data.size() > size) data.resize(std::size_t(size - start));
    }
}

std::uint64_t SparseData::storedBytes() const {
    std::uint64_t n = 0;
    for (const auto& e : extents_) n += e.second.size();
    return n;
}

}  // namespace sim

struct SimMachine::State : sim::State {};

// --- Construction and set-up ---------------------------------------------------------------------

SimMachine::SimMachine() : s_(std::make_unique<State>()) {
    Device disk;
    disk.type = Device::Type::Disk;
    disk.name = "PhysicalDrive0";
    s_->devices["PHYSICALDRIVE0"] = disk;
    Device com;
    com.type = Device::Type::Char;
    com.name = "COM1";
    s_->devices["COM1"] = com;
    Device nul;
    nul.type = Device::Type::Null;
    nul.name = "NUL";
    s_->devices["NUL"] = nul;

    Volume c;
    c.letter = 'C';
    c.driveType = w::DRIVE_FIXED;
    // Wine makes the serial from the drive letter; any fixed value keeps runs repeatable.
    c.serial = 0x43000000;
    // What NTFS reports: case-sensitive search, case-preserved and Unicode names, ACLs,
    // compression, quotas, sparse files, reparse points, object ids, encryption, named streams,
    // transactions, hard links, extended attributes, open by id, USN journal.
    c.fileSystemFlags = 0x03E700FF;
    c.disk = "PHYSICALDRIVE0";
    c.diskOffset = 1024 * 1024;  // the first partition starts at 1 MiB
    c.length = disk.geometry.bytes() - c.diskOffset;
    c.totalBytes = c.length;
    c.freeBytes = c.length / 2;
    c.root = std::make_shared<Node>();
    c.root->directory = true;
    // The root of a system drive is hidden and system (Wine reports plain 0x10).
    c.root->attributes = w::FILE_ATTRIBUTE_HIDDEN | w::FILE_ATTRIBUTE_SYSTEM;
    s_->volumes['C'] = c;
    addDirectory("C:\\windows");
}

SimMachine::~SimMachine() {
    for (auto& [p, a] : s_->allocations) ::operator delete(p, std::align_val_t(65536));
}

namespace {

// A call's failure path: sets the last error and gives the call's failure value.
template <class R>
auto Failing(State& s, R failure) {
    return [&s, failure](DWORD e) {
        s.lastError = e;
        return failure;
    };
}

Node* lookupForSetUp(State& s, const std::string& path) {
    Target t;
    if (parseName(s, path, t) || t.kind != Target::Kind::Path) return nullptr;
    Found f = findPath(s, t);
    return f.error ? nullptr : f.node.get();
}

Node* createForSetUp(State& s, const std::string& path, bool directory) {
    Target t;
    if (parseName(s, path, t) || t.kind != Target::Kind::Path || t.parts.empty())
        throw std::invalid_argument("SimMachine: not a file path: " + path);
    Found f = findPath(s, t);
    if (f.error == err::SUCCESS) {
        if (f.node->directory != directory)
            throw std::invalid_argument("SimMachine: exists as the other kind: " + path);
        return f.node.get();
    }
    if (f.error != err::FILE_NOT_FOUND)
        throw std::invalid_argument("SimMachine: parent missing or drive not ready: " + path);
    auto n = std::make_shared<Node>();
    n->name = t.parts.back();
    n->directory = directory;
    n->attributes = directory ? 0 : w::FILE_ATTRIBUTE_ARCHIVE;
    n->parent = f.parent;
    f.parent->children[upper(n->name)] = n;
    return n.get();
}

}  // namespace

void SimMachine::addDirectory(const std::string& path) {
    createForSetUp(*s_, path, true);
}

void SimMachine::addFile(const std::string& path, std::string contents) {
    Node* n = createForSetUp(*s_, path, false);
    n->data.truncate(0);
    n->data.write(0, contents.data(), contents.size());
    n->size = contents.size();
}

void SimMachine::setFileSize(const std::string& path, std::uint64_t size) {
    Node* n = lookupForSetUp(*s_, path);
    if (!n || n->directory) throw std::invalid_argument("SimMachine: no such file: " + path);
    n->data.truncate(size);
    n->size = size;
}

void SimMachine::setReadOnly(const std::string& path, bool readOnly) {
    Node* n = lookupForSetUp(*s_, path);
    if (!n) throw std::invalid_argument("SimMachine: no such file: " + path);
    if (readOnly)
        n->attributes |= w::FILE_ATTRIBUTE_READONLY;
    else
        n->attributes &= ~w::FILE_ATTRIBUTE_READONLY;
}

bool SimMachine::exists(const std::string& path) const {
    return lookupForSetUp(*s_, path) != nullptr;
}

std::string SimMachine::fileContents(const std::string& path) const {
    Node* n = lookupForSetUp(*s_, path);
    if (!n || n->directory) return {};
    std::string out(std::size_t(n->size), '\0');
    n->data.read(0, out.data(), out.size());
    return out;
}

std::uint64_t SimMachine::fileSize(const std::string& path) const {
    Node* n = lookupForSetUp(*s_, path);
    return n ? n->size : 0;
}

void SimMachine::setAcp(DWORD codePage) {
    s_->acp = codePage;
}
void SimMachine::setProcessId(DWORD pid) {
    s_->pid = pid;
}

void SimMachine::failNext(const std::string& call, DWORD error) {
    static const std::set<std::string> failable = {"CreateFileA",
                                                   "CloseHandle",
                                                   "ReadFile",
                                                   "WriteFile",
                                                   "SetFilePointer",
                                                   "SetEndOfFile",
                                                   "FlushFileBuffers",
                                                   "GetFileSize",
                                                   "GetFileType",
                                                   "DeleteFileA",
                                                   "DeviceIoControl",
                                                   "GetDriveTypeA",
                                                   "GetDiskFreeSpaceA",
                                                   "GetDiskFreeSpaceExA",
                                                   "GetVolumeInformationA",
                                                   "GetVolumePathNameA",
                                                   "GetFileAttributesA",
                                                   "VirtualAlloc",
                                                   "VirtualLock",
                                                   "VirtualFree",
                                                   "SetDllDirectoryA",
                                                   "GetWindowsDirectoryA",
                                                   "SetCurrentDirectoryA"};
    // A typo or a call that cannot fail would make the test pass for the wrong reason.
    if (!failable.count(call))
        throw std::invalid_argument("SimMachine::failNext: cannot fail " + call);
    s_->pendingFailures[call] = error;
}

void SimMachine::setAllocLimit(std::size_t bytes) {
    s_->allocLimit = bytes;
}

void SimMachine::addRemovableDrive(char letter, bool withMedia) {
    Volume v;
    v.letter = char(std::toupper(static_cast<unsigned char>(letter)));
    v.driveType = w::DRIVE_REMOVABLE;
    v.hasMedia = withMedia;
    v.fileSystem = "FAT";
    v.fileSystemFlags = 0x6;  // case-preserved and Unicode names
    v.serial = DWORD(v.letter) << 24;
    v.sectorsPerCluster = 1;
    v.totalBytes = 1474560;  // a 3.5" floppy
    v.freeBytes = v.totalBytes - 14 * 512;
    v.length = v.totalBytes;
    v.root = std::make_shared<Node>();
    v.root->directory = true;
    s_->volumes[v.letter] = v;
}

void SimMachine::setMediaPresent(char letter, bool present) {
    Volume* v = s_->volume(letter);
    if (!v) throw std::invalid_argument("SimMachine: no such drive");
    v->hasMedia = present;
}

void SimMachine::setVolumeSpace(char letter, std::uint64_t totalBytes, std::uint64_t freeBytes) {
    Volume* v = s_->volume(letter);
    if (!v) throw std::invalid_argument("SimMachine: no such drive");
    v->totalBytes = totalBytes;
    v->freeBytes = freeBytes;
}

void SimMachine::setVolumeLabel(char letter, const std::string& label, DWORD serial) {
    Volume* v = s_->volume(letter);
    if (!v) throw std::invalid_argument("SimMachine: no such drive");
    v->label = label;
    v->serial = serial;
}

void SimMachine::addNamedPipe(const std::string& name) {
    Device p;
    p.type = Device::Type::Pipe;
    p.name = "pipe\\" + name;
    s_->devices[upper(p.name)] = p;
}

void SimMachine::setDeviceBytes(const std::string& device, std::uint64_t offset,
                                const std::string& bytes) {
    auto it = s_->devices.find(upper(device));
    if (it == s_->devices.end() || it->second.type != Device::Type::Disk)
        throw std::invalid_argument("SimMachine: no such disk: " + device);
    it->second.image.write(offset, bytes.data(), bytes.size());
}

// --- Inspection ----------------------------------------------------------------------------------

const std::vector<std::string>& SimMachine::calls() const {
    return s_->calls;
}
void SimMachine::clearCalls() {
    s_->calls.clear();
}
int SimMachine::openHandles() const {
    return int(s_->handles.size());
}

std::string SimMachine::currentDirectory() const {
    std::string dir = currentDirOf(*s_, s_->currentDrive);
    return std::string(1, s_->currentDrive) + ":\\" + dir;
}

DWORD SimMachine::errorMode() const {
    return s_->errorMode;
}
std::size_t SimMachine::liveAllocations() const {
    return s_->allocations.size();
}
const std::vector<DWORD>& SimMachine::sleeps() const {
    return s_->sleeps;
}
std::string SimMachine::dllDirectory() const {
    return s_->dllDirectory;
}

namespace {

void dumpTree(std::ostringstream& o, const Node& n, const std::string& path) {
    for (const auto& [key, child] : n.children) {
        const std::string p = path + "\\" + child->name;
        o << "    " << p;
        if (child->directory) {
            o << "\\  (dir, attrs 0x" << std::hex << child->attributes << std::dec << ")\n";
            dumpTree(o, *child, p);
            continue;
        }
        o << "  size " << child->size << ", attrs 0x" << std::hex << child->attributes << std::dec;
        if (child->deletePending) o << ", delete pending";
        if (child->size <= 64) {
            std::string bytes(std::size_t(child->size), '\0');
            child->data.read(0, bytes.data(), bytes.size());
            o << ", \"";
            for (char c : bytes) {
                if (c >= 32 && c < 127)
                    o << c;
                else
                    o << "\\x" << std::hex << (static_cast<unsigned char>(c) >> 4)
                      << (static_cast<unsigned char>(c) & 15) << std::dec;
            }
            o << '"';
        }
        o << '\n';
    }
}

}  // namespace

std::string SimMachine::toString() const {
    const State& s = *s_;
    std::ostringstream o;
    o << "SimMachine: last error " << s.lastError << ", current directory " << currentDirectory()
      << ", error mode 0x" << std::hex << s.errorMode << std::dec << ", code page " << s.acp
      << ", pid " << s.pid << "\n";
    for (const auto& [letter, v] : s.volumes) {
        o << "  drive " << letter << ": type " << v.driveType;
        if (!v.hasMedia) {
            o << ", no media\n";
            continue;
        }
        o << ", " << v.fileSystem << ", label \"" << v.label << "\", serial 0x" << std::hex
          << v.serial << std::dec << ", " << v.freeBytes << " of " << v.totalBytes
          << " bytes free\n";
        dumpTree(o, *v.root, std::string(1, letter) + ":");
    }
    for (const auto& [key, d] : s.devices) {
        o << "  device \\\\.\\" << d.name;
        if (d.type == Device::Type::Disk)
            o << ": disk of " << d.geometry.bytes() << " bytes, " << d.image.storedBytes()
              << " written";
        if (d.type == Device::Type::Pipe) o << ": pipe holding " << d.pipeBuffer.size() << " bytes";
        o << '\n';
    }
    for (const auto& [h, op] : s.handles) {
        o << "  handle 0x" << std::hex << h << ": \"" << op.name << "\" access 0x" << op.access
          << " share 0x" << op.share << std::dec << " position " << op.position;
        if (op.deleteOnClose) o << " delete-on-close";
        o << '\n';
    }
    std::size_t bytes = 0;
    for (const auto& [p, a] : s.allocations) bytes += a.size;
    o << "  allocations: " << s.allocations.size() << " (" << bytes << " bytes)";
    if (s.allocLimit) o << ", limit " << s.allocLimit;
    o << '\n';
    for (const auto& [call, e] : s.pendingFailures)
        o << "  next " << call << " fails with " << e << '\n';
    if (!s.dllDirectory.empty()) o << "  DLL directory " << s.dllDirectory << '\n';
    o << "  " << s.calls.size() << " calls";
    for (std::size_t i = s.calls.size() > 20 ? s.calls.size() - 20 : 0; i < s.calls.size(); ++i)
        o << (i ? ", " : ": ") << s.calls[i];
    o << '\n';
    return o.str();
}

// --- Kernel: common steps ------------------------------------------------------------------------

namespace {

// Logs the call; true when an injected failure applies, with the last error already set.
bool failing(State& s, const char* call) {
    s.calls.emplace_back(call);
    auto it = s.pendingFailures.find(call);
    if (it == s.pendingFailures.end()) return false;
    s.lastError = it->second;
    s.pendingFailures.erase(it);
    return true;
}

Open* handleOf(State& s, Handle h) {
    auto it = s.handles.find(h);
    return it == s.handles.end() ? nullptr : &it->second;
}

Handle addHandle(State& s, Open o) {
    Handle h;
    if (!s.freeHandles.empty()) {
        h = s.freeHandles.back();
        s.freeHandles.pop_back();
    } else {
        h = s.nextHandle;
        s.nextHandle += 4;
    }
    s.handles.emplace(h, std::move(o));
    return h;
}

bool conflictsWithOpens(const State& s, const Open& wanted) {
    for (const auto& [h, o] : s.handles)
        if (sameObject(o, wanted) && shareConflict(o, wanted.access, wanted.share)) return true;
    return false;
}

// Unlinks a file whose deletion was pending once nobody holds it open any more.
void releaseNode(State& s, const std::shared_ptr<Node>& n) {
    if (!n->deletePending) return;
    for (const auto& [h, o] : s.handles)
        if (o.node == n) return;
    if (n->directory && !n->children.empty()) {
        n->deletePending = false;  // a directory with entries is never removed
        return;
    }
    if (n->parent) n->parent->children.erase(upper(n->name));
    n->parent = nullptr;
}

// The extent of what a volume or disk handle reads: the device bytes and where they start.
struct RawSpan {
    Device* disk = nullptr;
    std::uint64_t offset = 0, length = 0;
};

RawSpan rawSpanOf(State& s, const Open& o) {
    RawSpan r;
    if (o.kind == Open::Kind::Volume) {
        Volume* v = s.volume(o.drive);
        r.disk = s.diskOf(*v);
        r.offset = v->diskOffset;
        r.length = v->length;
    } else {
        r.disk = &s.devices.at(o.device);
        r.length = r.disk->geometry.bytes();
    }
    return r;
}

bool isRawDisk(const State& s, const Open& o) {
    if (o.kind == Open::Kind::Volume) return true;
    return o.kind == Open::Kind::Device && s.devices.at(o.device).type == Device::Type::Disk;
}

// A sector transfer on a volume or disk: whole sectors only, and within the device (the class
// driver refuses both otherwise). Returns the error, or SUCCESS with count possibly cut to 0 at
// the very end.
DWORD checkSectorTransfer(const Open& o, const RawSpan& span, DWORD count) {
    if (o.position % kSector || count % kSector) return err::INVALID_PARAMETER;
    if (o.position == span.length && count) return err::SUCCESS;
    if (o.position + count > span.length) return err::INVALID_PARAMETER;
    return err::SUCCESS;
}

}  // namespace

// --- Kernel: handles and file I/O ----------------------------------------------------------------

Handle SimMachine::CreateFileA(const std::string& fileName, DWORD desiredAccess, DWORD shareMode,
                               DWORD creationDisposition, DWORD flagsAndAttributes) {
    State& s = *s_;
    if (failing(s, "CreateFileA")) return kInvalidHandle;
    auto fail = Failing(s, kInvalidHandle);
    if (creationDisposition < w::CREATE_NEW || creationDisposition > w::TRUNCATE_EXISTING)
        return fail(err::INVALID_PARAMETER);
    // Truncating asks for the GENERIC_WRITE bit itself, checked before the name is looked at
    // (Wine truncates anyway).
    if (creationDisposition == w::TRUNCATE_EXISTING && !(desiredAccess & w::GENERIC_WRITE))
        return fail(err::INVALID_PARAMETER);
    Target t;
    if (DWORD e = parseName(s, fileName, t)) return fail(e);

    Open o;
    o.name = fileName;
    o.share = shareMode & kShareAll;
    o.flags = flagsAndAttributes;
    o.deleteOnClose = (flagsAndAttributes & w::FILE_FLAG_DELETE_ON_CLOSE) != 0;
    // CreateFile asks for DELETE itself when the file is to go away on close.
    if (o.deleteOnClose) desiredAccess |= w::DELETE;

    if (t.kind != Target::Kind::Path) {
        o.kind = t.kind == Target::Kind::Volume ? Open::Kind::Volume : Open::Kind::Device;
        o.drive = t.drive;
        o.device = t.device;
        o.access = mapAccess(desiredAccess, false);
        o.deleteOnClose = false;
        if (o.kind == Open::Kind::Device && s.devices.at(o.device).type == Device::Type::Char) {
            // A serial port is exclusive whatever the share mode.
            for (const auto& [h, other] : s.handles)
                if (sameObject(other, o)) return fail(err::ACCESS_DENIED);
        } else if (conflictsWithOpens(s, o)) {
            return fail(err::SHARING_VIOLATION);
        }
        s.lastError = err::SUCCESS;
        return addHandle(s, std::move(o));
    }

    Found f = findPath(s, t);
    if (f.error && f.error != err::FILE_NOT_FOUND) return fail(f.error);
    if (f.node) {
        Node& n = *f.node;
        const bool overwrite =
            creationDisposition == w::CREATE_ALWAYS || creationDisposition == w::TRUNCATE_EXISTING;
        if (creationDisposition == w::CREATE_NEW) return fail(err::FILE_EXISTS);
        if (n.directory && (!(flagsAndAttributes & w::FILE_FLAG_BACKUP_SEMANTICS) || overwrite))
            return fail(err::ACCESS_DENIED);
        const bool readOnly = (n.attributes & w::FILE_ATTRIBUTE_READONLY) != 0;
        o.access = mapAccess(desiredAccess, readOnly);
        if (readOnly && ((o.access & kWriteish) || overwrite || o.deleteOnClose))
            return fail(err::ACCESS_DENIED);
        o.node = f.node;
        if (conflictsWithOpens(s, o)) return fail(err::SHARING_VIOLATION);
        if (overwrite) {
            n.data.truncate(0);
            n.size = 0;
        }
        if (creationDisposition == w::CREATE_ALWAYS)
            n.attributes =
                w::FILE_ATTRIBUTE_ARCHIVE |
                (flagsAndAttributes & (w::FILE_ATTRIBUTE_READONLY | w::FILE_ATTRIBUTE_HIDDEN |
                                       w::FILE_ATTRIBUTE_SYSTEM));
        // The one success that sets an error: the file was there already.
        s.lastError =
            (creationDisposition == w::CREATE_ALWAYS || creationDisposition == w::OPEN_ALWAYS)
                ? err::ALREADY_EXISTS
                : err::SUCCESS;
        return addHandle(s, std::move(o));
    }

    if (creationDisposition == w::OPEN_EXISTING || creationDisposition == w::TRUNCATE_EXISTING)
        return fail(err::FILE_NOT_FOUND);
    if (t.trailingSlash) return fail(err::INVALID_NAME);
    auto n = std::make_shared<Node>();
    n->name = t.parts.back();
    n->attributes = w::FILE_ATTRIBUTE_ARCHIVE |
                    (flagsAndAttributes & (w::FILE_ATTRIBUTE_READONLY | w::FILE_ATTRIBUTE_HIDDEN |
                                           w::FILE_ATTRIBUTE_SYSTEM));
    n->parent = f.parent;
    f.parent->children[upper(n->name)] = n;
    // The creator may write even a file it creates read-only.
    o.access = mapAccess(desiredAccess, false);
    o.node = n;
    s.lastError = err::SUCCESS;
    return addHandle(s, std::move(o));
}

BOOL SimMachine::CloseHandle(Handle h) {
    State& s = *s_;
    if (failing(s, "CloseHandle")) return 0;
    // -1 is also the current-process pseudo handle, and closing that succeeds.
    if (h == kInvalidHandle) return 1;
    auto it = s.handles.find(h);
    if (it == s.handles.end()) {
        s.lastError = err::INVALID_HANDLE;
        return 0;
    }
    Open o = std::move(it->second);
    s.handles.erase(it);
    s.freeHandles.push_back(h);
    if (o.node) {
        if (o.deleteOnClose) o.node->deletePending = true;
        releaseNode(s, o.node);
    }
    return 1;
}

BOOL SimMachine::ReadFile(Handle h, void* buffer, DWORD toRead, DWORD* read) {
    State& s = *s_;
    // Windows zeroes the count before any check.
    if (read) *read = 0;
    if (failing(s, "ReadFile")) return 0;
    auto fail = Failing(s, 0);
    Open* o = handleOf(s, h);
    if (!o) return fail(err::INVALID_HANDLE);
    if (!(o->access & w::FILE_READ_DATA)) return fail(err::ACCESS_DENIED);
    if (toRead && !buffer) return fail(err::NOACCESS);
    DWORD done = 0;
    if (o->kind == Open::Kind::File) {
        if (o->node->directory) return fail(err::INVALID_FUNCTION);
        const std::uint64_t size = o->node->size;
        if (o->position < size) done = DWORD(std::min<std::uint64_t>(toRead, size - o->position));
        o->node->data.read(o->position, buffer, done);
    } else if (isRawDisk(s, *o)) {
        // Windows reads sectors here; Wine fails every read on a volume or disk with 1.
        if (o->kind == Open::Kind::Volume && !s.volume(o->drive)->hasMedia)
            return fail(err::NOT_READY);
        RawSpan span = rawSpanOf(s, *o);
        if (DWORD e = checkSectorTransfer(*o, span, toRead)) return fail(e);
        if (o->position < span.length) {
            done = toRead;
            span.disk->image.read(span.offset + o->position, buffer, done);
        }
    } else {
        Device& d = s.devices.at(o->device);
        // Nothing ever arrives on the serial port or from NUL. A pipe hands over what was
        // written; an empty one would block on Windows, here it returns nothing.
        if (d.type == Device::Type::Pipe) {
            done = DWORD(std::min<std::size_t>(toRead, d.pipeBuffer.size()));
            std::memcpy(buffer, d.pipeBuffer.data(), done);
            d.pipeBuffer.erase(0, done);
        }
    }
    o->position += done;
    if (read) *read = done;
    return 1;
}

BOOL SimMachine::WriteFile(Handle h, const void* buffer, DWORD toWrite, DWORD* written) {
    State& s = *s_;
    if (written) *written = 0;
    if (failing(s, "WriteFile")) return 0;
    auto fail = Failing(s, 0);
    Open* o = handleOf(s, h);
    if (!o) return fail(err::INVALID_HANDLE);
    if (!(o->access & kWriteish)) return fail(err::ACCESS_DENIED);
    if (toWrite && !buffer) return fail(err::NOACCESS);
    if (o->kind == Open::Kind::File) {
        Node& n = *o->node;
        if (n.directory) return fail(err::INVALID_FUNCTION);
        // A handle that may only append always writes at the end.
        if (!(o->access & w::FILE_WRITE_DATA)) o->position = n.size;
        if (toWrite) {
            n.data.write(o->position, buffer, toWrite);
            n.size = std::max(n.size, o->position + toWrite);
            n.attributes |= w::FILE_ATTRIBUTE_ARCHIVE;
        }
    } else if (isRawDisk(s, *o)) {
        if (o->kind == Open::Kind::Volume && !s.volume(o->drive)->hasMedia)
            return fail(err::NOT_READY);
        RawSpan span = rawSpanOf(s, *o);
        if (DWORD e = checkSectorTransfer(*o, span, toWrite)) return fail(e);
        // Since Vista the sectors of a mounted file system are off limits to raw writes.
        const std::uint64_t start = span.offset + o->position, end = start + toWrite;
        for (const auto& [letter, v] : s.volumes) {
            const bool onThisDisk = span.disk && v.disk == upper(span.disk->name);
            if (onThisDisk && v.hasMedia && start < v.diskOffset + v.length && end > v.diskOffset)
                return fail(err::ACCESS_DENIED);
        }
        if (o->position == span.length) toWrite = 0;
        span.disk->image.write(start, buffer, toWrite);
    } else {
        Device& d = s.devices.at(o->device);
        if (d.type == Device::Type::Pipe)
            d.pipeBuffer.append(static_cast<const char*>(buffer), toWrite);
    }
    o->position += toWrite;
    if (written) *written = toWrite;
    return 1;
}

DWORD SimMachine::SetFilePointer(Handle h, std::int32_t distanceLow, std::int32_t* distanceHigh,
                                 DWORD moveMethod) {
    State& s = *s_;
    if (failing(s, "SetFilePointer")) return kInvalidSetFilePointer;
    auto fail = Failing(s, kInvalidSetFilePointer);
    Open* o = handleOf(s, h);
    if (!o) return fail(err::INVALID_HANDLE);
    const std::int64_t distance =
        distanceHigh ? std::int64_t((std::uint64_t(std::uint32_t(*distanceHigh)) << 32) |
                                    std::uint32_t(distanceLow))
                     : std::int64_t(distanceLow);
    std::int64_t base = 0;
    switch (moveMethod) {
        case w::FILE_BEGIN:
            break;
        case w::FILE_CURRENT:
            base = std::int64_t(o->position);
            break;
        case w::FILE_END:
            if (o->kind == Open::Kind::File)
                base = std::int64_t(o->node->size);
            else if (isRawDisk(s, *o))
                base = std::int64_t(rawSpanOf(s, *o).length);
            break;
        default:
            return fail(err::INVALID_PARAMETER);
    }
    // base is never negative, so only a move forward can overflow.
    if (distance > 0 && base > INT64_MAX - distance) return fail(err::INVALID_PARAMETER);
    const std::int64_t target = base + distance;
    if (target < 0) return fail(err::NEGATIVE_SEEK);
    // Without a high part the caller cannot see a position past 4 GiB, so Windows refuses it.
    if (!distanceHigh && (std::uint64_t(target) >> 32)) return fail(err::INVALID_PARAMETER);
    o->position = std::uint64_t(target);
    if (distanceHigh) *distanceHigh = std::int32_t(std::uint32_t(o->position >> 32));
    const DWORD low = DWORD(o->position);
    // 0xFFFFFFFF is also a valid low part: the cleared error tells the caller it succeeded.
    if (low == kInvalidSetFilePointer) s.lastError = err::SUCCESS;
    return low;
}

BOOL SimMachine::SetEndOfFile(Handle h) {
    State& s = *s_;
    if (failing(s, "SetEndOfFile")) return 0;
    Open* o = handleOf(s, h);
    DWORD e = err::SUCCESS;
    if (!o)
        e = err::INVALID_HANDLE;
    else if (o->kind != Open::Kind::File)
        e = err::INVALID_FUNCTION;
    // Wine answers 87 for a handle without write access.
    else if (!(o->access & w::FILE_WRITE_DATA))
        e = err::ACCESS_DENIED;
    else if (o->node->directory)
        e = err::INVALID_PARAMETER;
    if (e) {
        s.lastError = e;
        return 0;
    }
    o->node->data.truncate(o->position);
    o->node->size = o->position;
    return 1;
}

BOOL SimMachine::FlushFileBuffers(Handle h) {
    State& s = *s_;
    if (failing(s, "FlushFileBuffers")) return 0;
    Open* o = handleOf(s, h);
    DWORD e = err::SUCCESS;
    if (!o)
        e = err::INVALID_HANDLE;
    else if (!(o->access & kWriteish))
        e = err::ACCESS_DENIED;
    else if (o->kind == Open::Kind::Volume && !s.volume(o->drive)->hasMedia)
        e = err::NOT_READY;
    else if (o->kind == Open::Kind::Device && s.devices.at(o->device).type == Device::Type::Null)
        e = err::INVALID_FUNCTION;
    // Windows flushes a volume or disk opened for writing; Wine answers 1 for either.
    if (e) {
        s.lastError = e;
        return 0;
    }
    return 1;
}

DWORD SimMachine::GetFileSize(Handle h, DWORD* sizeHigh) {
    State& s = *s_;
    if (failing(s, "GetFileSize")) return kInvalidSetFilePointer;
    Open* o = handleOf(s, h);
    DWORD e = err::SUCCESS;
    if (!o) e = err::INVALID_HANDLE;
    // A volume or disk has no file size: its length comes from a device control. Windows and
    // Wine both fail; Wine's 1 is what the machine answers.
    else if (isRawDisk(s, *o))
        e = err::INVALID_FUNCTION;
    if (e) {
        s.lastError = e;
        return kInvalidSetFilePointer;
    }
    const std::uint64_t size =
        o->kind == Open::Kind::File && !o->node->directory ? o->node->size : 0;
    if (sizeHigh) *sizeHigh = DWORD(size >> 32);
    if (DWORD(size) == kInvalidSetFilePointer) s.lastError = err::SUCCESS;
    return DWORD(size);
}

DWORD SimMachine::GetFileType(Handle h) {
    State& s = *s_;
    if (failing(s, "GetFileType")) return w::FILE_TYPE_UNKNOWN;
    Open* o = handleOf(s, h);
    if (!o) {
        s.lastError = err::INVALID_HANDLE;
        return w::FILE_TYPE_UNKNOWN;
    }
    // Volumes and disks are disk devices (Wine: 0 with 50 for a volume, 66 for a disk).
    if (o->kind != Open::Kind::Device) return w::FILE_TYPE_DISK;
    switch (s.devices.at(o->device).type) {
        case Device::Type::Disk:
            return w::FILE_TYPE_DISK;
        case Device::Type::Pipe:
            return w::FILE_TYPE_PIPE;
        default:
            return w::FILE_TYPE_CHAR;
    }
}

BOOL SimMachine::DeleteFileA(const std::string& fileName) {
    State& s = *s_;
    if (failing(s, "DeleteFileA")) return 0;
    auto fail = Failing(s, 0);
    Target t;
    if (DWORD e = parseName(s, fileName, t)) return fail(e);
    if (t.kind != Target::Kind::Path) return fail(err::ACCESS_DENIED);
    Found f = findPath(s, t);
    if (f.error) return fail(f.error);
    if (f.node->directory || (f.node->attributes & w::FILE_ATTRIBUTE_READONLY))
        return fail(err::ACCESS_DENIED);
    Open probe;  // DeleteFile opens for DELETE, sharing everything
    probe.node = f.node;
    probe.access = w::DELETE;
    probe.share = kShareAll;
    if (conflictsWithOpens(s, probe)) return fail(err::SHARING_VIOLATION);
    // With handles still open the name stays until the last one closes.
    f.node->deletePending = true;
    releaseNode(s, f.node);
    return 1;
}

BOOL SimMachine::DeviceIoControl(Handle h, DWORD ioControlCode, const void* inBuffer, DWORD inSize,
                                 void* outBuffer, DWORD outSize, DWORD* bytesReturned) {
    State& s = *s_;
    if (bytesReturned) *bytesReturned = 0;
    if (failing(s, "DeviceIoControl")) return 0;
    auto fail = Failing(s, 0);
    Open* o = handleOf(s, h);
    if (!o) return fail(err::INVALID_HANDLE);
    ControlHandler handler = findControl(ioControlCode);
    if (!handler) return fail(err::INVALID_FUNCTION);
    // Bits 14-15 of the code name the access the handle must hold.
    const DWORD required = (ioControlCode >> 14) & 3;
    if (((required & 1) && !(o->access & w::FILE_READ_DATA)) ||
        ((required & 2) && !(o->access & w::FILE_WRITE_DATA)))
        return fail(err::ACCESS_DENIED);
    ControlCall call{s, *o, inBuffer, inSize, outBuffer, outSize};
    if (DWORD e = handler(call)) return fail(e);
    if (bytesReturned) *bytesReturned = call.returned;
    return 1;
}

// --- Kernel: queries on a path -------------------------------------------------------------------

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

void copyText(const std::string& text, char* buffer, DWORD size) {
    if (!buffer || !size) return;
    const std::size_t n = std::min<std::size_t>(text.size(), size - 1);
    std::memcpy(buffer, text.data(), n);
    buffer[n] = '\0';
}

}  // namespace

BOOL SimMachine::GetDiskFreeSpaceA(const std::string& rootPath, DWORD* sectorsPerCluster,
                                   DWORD* bytesPerSector, DWORD* freeClusters,
                                   DWORD* totalClusters) {
    State& s = *s_;
    if (failing(s, "GetDiskFreeSpaceA")) return 0;
    Volume* v = nullptr;
    if (DWORD e = volumeOfDirectory(s, rootPath, v)) {
        s.lastError = e;
        return 0;
    }
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
    Volume* v = nullptr;
    if (DWORD e = volumeOfDirectory(s, directory, v)) {
        s.lastError = e;
        return 0;
    }
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
    Target t;
    DWORD e = parseName(s, fileName, t);
    if (e == err::SUCCESS && t.kind != Target::Kind::Path) return w::FILE_ATTRIBUTE_NORMAL;
    Found f;
    if (e == err::SUCCESS) {
        f = findPath(s, t);
        e = f.error;
    }
    if (e) {
        s.lastError = e;
        return kInvalidFileAttributes;
    }
    if (f.node->directory) return f.node->attributes | w::FILE_ATTRIBUTE_DIRECTORY;
    return f.node->attributes ? f.node->attributes : w::FILE_ATTRIBUTE_NORMAL;
}

// --- Kernel: memory ------------------------------------------------------------------------------

void* SimMachine::VirtualAlloc(std::size_t size, DWORD allocationType, DWORD protect) {
    State& s = *s_;
    if (failing(s, "VirtualAlloc")) return nullptr;
    auto fail = [&](DWORD e) -> void* {
        s.lastError = e;
        return nullptr;
    };
    static const std::set<DWORD> protections = {0x01, 0x02, 0x04, 0x08, 0x10, 0x20, 0x40, 0x80};
    if (size == 0 || !(allocationType & (w::MEM_COMMIT | w::MEM_RESERVE)) ||
        !protections.count(protect & 0xFF))
        return fail(err::INVALID_PARAMETER);
    if (s.allocLimit && size > s.allocLimit) return fail(err::NOT_ENOUGH_MEMORY);
    if (size > kCommitCapacity) return fail(err::NOT_ENOUGH_MEMORY);
    const std::size_t rounded = (size + kPage - 1) / kPage * kPage;
    std::size_t live = 0;
    for (const auto& [p, a] : s.allocations) live += a.size;
    if (live + rounded > kCommitCapacity) return fail(err::NOT_ENOUGH_MEMORY);
    // Allocation granularity is 64 KiB, and fresh pages read as zeros.
    void* p = ::operator new(rounded, std::align_val_t(65536), std::nothrow);
    if (!p) return fail(err::NOT_ENOUGH_MEMORY);
    std::memset(p, 0, rounded);
    s.allocations[static_cast<char*>(p)] = {rounded, 0};
    return p;
}

namespace {

State::Allocation* allocationHolding(State& s, void* address, std::size_t size, char** base) {
    auto* a = static_cast<char*>(address);
    auto it = s.allocations.upper_bound(a);
    if (it == s.allocations.begin()) return nullptr;
    --it;
    if (a < it->first || a + size > it->first + it->second.size) return nullptr;
    if (base) *base = it->first;
    return &it->second;
}

}  // namespace

BOOL SimMachine::VirtualLock(void* address, std::size_t size) {
    State& s = *s_;
    if (failing(s, "VirtualLock")) return 0;
    State::Allocation* a = allocationHolding(s, address, size, nullptr);
    if (!a) {
        s.lastError = err::INVALID_ADDRESS;
        return 0;
    }
    a->locked += size;
    return 1;
}

BOOL SimMachine::VirtualFree(void* address, std::size_t size, DWORD freeType) {
    State& s = *s_;
    if (failing(s, "VirtualFree")) return 0;
    auto fail = Failing(s, 0);
    if (freeType == w::MEM_RELEASE) {
        // A release takes the whole allocation, named by its base, with size 0.
        if (size != 0) return fail(err::INVALID_PARAMETER);
        auto it = s.allocations.find(static_cast<char*>(address));
        if (it == s.allocations.end()) return fail(err::INVALID_ADDRESS);
        ::operator delete(it->first, std::align_val_t(65536));
        s.allocations.erase(it);
        return 1;
    }
    if (freeType == w::MEM_DECOMMIT) {
        if (!allocationHolding(s, address, size, nullptr)) return fail(err::INVALID_ADDRESS);
        return 1;
    }
    return fail(err::INVALID_PARAMETER);
}

// --- Kernel: process and thread ------------------------------------------------------------------

void SimMachine::Sleep(DWORD milliseconds) {
    s_->calls.emplace_back("Sleep");
    s_->sleeps.push_back(milliseconds);
}

void SimMachine::SetLastError(DWORD code) {
    s_->calls.emplace_back("SetLastError");
    s_->lastError = code;
}

DWORD SimMachine::GetLastError() {
    return s_->lastError;
}

BOOL SimMachine::SetDllDirectoryA(const std::string& path) {
    if (failing(*s_, "SetDllDirectoryA")) return 0;
    s_->dllDirectory = path;
    return 1;
}

DWORD SimMachine::GetCurrentProcessId() {
    s_->calls.emplace_back("GetCurrentProcessId");
    return s_->pid;
}

DWORD SimMachine::SetErrorMode(DWORD mode) {
    s_->calls.emplace_back("SetErrorMode");
    const DWORD previous = s_->errorMode;
    s_->errorMode = mode;
    return previous;
}

DWORD SimMachine::GetACP() {
    s_->calls.emplace_back("GetACP");
    return s_->acp;
}

DWORD SimMachine::GetWindowsDirectoryA(char* buffer, DWORD size) {
    if (failing(*s_, "GetWindowsDirectoryA")) return 0;
    static const std::string dir = "C:\\windows";
    // Too small a buffer: the size needed, counting the terminating NUL, and nothing copied.
    if (!buffer || size <= dir.size()) return DWORD(dir.size() + 1);
    copyText(dir, buffer, size);
    return DWORD(dir.size());
}

BOOL SimMachine::SetCurrentDirectoryA(const std::string& path) {
    State& s = *s_;
    if (failing(s, "SetCurrentDirectoryA")) return 0;
    auto fail = Failing(s, 0);
    Target t;
    if (DWORD e = parseName(s, path, t)) return fail(e);
    if (t.kind != Target::Kind::Path) return fail(err::DIRECTORY);
    Found f = findPath(s, t);
    if (f.error) return fail(f.error);
    if (!f.node->directory) return fail(err::DIRECTORY);
    // Keep the names' stored case, as Windows reports the directory it found.
    std::string dir = pathOf(*f.node);
    if (!dir.empty()) dir.erase(0, 1);
    f.volume->currentDir = dir;
    s.currentDrive = t.drive;
    return 1;
}

}  // namespace sys
