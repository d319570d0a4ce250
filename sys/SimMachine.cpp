// The simulated machine: Windows' answers, from an in-memory model of drives, files, devices and
// the handle table. Where Wine answers differently the machine still answers as Windows does; the
// comment says what Wine gives, and the conformance tests check both.
//
// This unit builds the machine and holds its set-up and inspection; the Kernel calls live in
// the other sys/Sim*.cpp units, one per area.
#include "sys/SimMachine.h"

#include <algorithm>
#include <cctype>
#include <cstring>
#include <new>
#include <set>
#include <stdexcept>

#include "sys/SimState.h"

namespace sys::sim {

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

// The other half of failNext: every Kernel call passes here first.
bool failing(State& s, const char* call) {
    s.calls.emplace_back(call);
    if (blockedAndCancelled(s, call)) return true;
    auto it = s.pendingFailures.find(call);
    if (it == s.pendingFailures.end()) return false;
    s.lastError = it->second;
    s.pendingFailures.erase(it);
    return true;
}

}  // namespace sys::sim

namespace sys {

using namespace sys::sim;

// --- Construction and set-up ---------------------------------------------------------------------

SimMachine::SimMachine() : s_(std::make_unique<State>()) {
    Device disk;
    disk.type = Device::Type::Disk;
    disk.name = "PhysicalDrive0";
    disk.size = disk.geometry.bytes();
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
    // A 32-bit host cannot hold every file the machine can: refuse rather than cut it short.
    if (n->size > std::string().max_size())
        throw std::length_error("SimMachine::fileContents: file too large for this host");
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
    // The medium sits in a drive of its own on USB.
    const std::string diskName = "PhysicalDrive" + std::to_string(s_->disks());
    addDisk(diskName);
    Device& d = s_->devices.at(upper(diskName));
    d.removable = true;
    d.busType = 7;
    d.geometry = {80, 11, 2, 18, 512};  // RemovableMedia, a 1.44 MB floppy's layout
    d.size = v.totalBytes;
    v.disk = upper(diskName);
    s_->volumes[v.letter] = v;
}

namespace {

Device& diskNamed(State& s, const std::string& name) {
    auto it = s.devices.find(upper(name));
    if (it == s.devices.end() || it->second.type != Device::Type::Disk)
        throw std::invalid_argument("SimMachine: no such disk: " + name);
    return it->second;
}

}  // namespace

void SimMachine::addDisk(const std::string& name) {
    Device d;
    d.type = Device::Type::Disk;
    d.name = name;
    d.deviceNumber = DWORD(s_->disks());
    d.size = d.geometry.bytes();
    s_->devices[upper(name)] = d;
}

void SimMachine::setDiskPartitions(const std::string& disk, bool gpt,
                                   std::vector<Partition> entries) {
    Device& d = diskNamed(*s_, disk);
    d.ownTable = true;
    d.tableGpt = gpt;
    d.table = std::move(entries);
}

void SimMachine::addPartitionedDisks() {
    constexpr std::uint64_t kMiB = 1024 * 1024, kGiB = 1024 * kMiB;
    addDisk("PhysicalDrive1");
    setDiskStrings("PhysicalDrive1", "ATA", "SIMULATED MBR DISK", "2.1", "WD-0001");
    // Slots 1-4: three primary partitions (NTFS, FAT32, Linux) and the extended one; then the
    // logical drive's slot of four, the link to a next one empty.
    auto mbr = [](std::uint64_t offset, std::uint64_t length, DWORD number, std::uint8_t type) {
        Partition p;
        p.offset = offset, p.length = length, p.number = number, p.mbrType = type;
        p.boot = number == 1;
        return p;
    };
    const Partition empty = mbr(0, 0, 0, 0);
    setDiskPartitions("PhysicalDrive1", false,
                      {mbr(kMiB, 100 * kMiB, 1, 0x07), mbr(101 * kMiB, 16 * kGiB, 2, 0x0C),
                       mbr(101 * kMiB + 16 * kGiB, 16 * kGiB, 3, 0x83),
                       mbr(101 * kMiB + 32 * kGiB, 8 * kGiB, 0, 0x0F),
                       mbr(102 * kMiB + 32 * kGiB, 8 * kGiB - kMiB, 4, 0x07), empty, empty, empty});
    addDisk("PhysicalDrive2");
    setDiskStrings("PhysicalDrive2", "", "SIMULATED GPT DISK", "3.0", "");
    setDiskPartitions(
        "PhysicalDrive2", true,
        {{kMiB, kGiB, 1, 0, false, "Data partition whose name fills 36ch"},
         {kMiB + kGiB, kGiB, 2, 0, false, "Second data partition, named in full"},
         {kMiB + 2 * kGiB, kGiB, 3, 0, false, "Third: thirty-six characters, no NUL"}});
    addDisk("PhysicalDrive3");
    std::vector<Partition> many;
    for (DWORD i = 0; i < 128; ++i)
        many.push_back({kMiB * (i + 1), kMiB, i + 1, 0, false, "Part " + std::to_string(i + 1)});
    many.back().name += ", whose name is longer than 36 characters";
    setDiskPartitions("PhysicalDrive3", true, std::move(many));
}

void SimMachine::setDiskGeometry(const std::string& disk, std::int64_t cylinders,
                                 DWORD tracksPerCylinder, DWORD sectorsPerTrack,
                                 DWORD bytesPerSector, DWORD mediaType) {
    diskNamed(*s_, disk).geometry = {cylinders, mediaType, tracksPerCylinder, sectorsPerTrack,
                                     bytesPerSector};
}

void SimMachine::setDiskSize(const std::string& disk, std::uint64_t bytes) {
    diskNamed(*s_, disk).size = bytes;
}

void SimMachine::setDiskIdentity(const std::string& disk, DWORD deviceNumber, std::int32_t busType,
                                 bool removable) {
    Device& d = diskNamed(*s_, disk);
    d.deviceNumber = deviceNumber;
    d.busType = busType;
    d.removable = removable;
}

void SimMachine::setDiskStrings(const std::string& disk, const std::string& vendor,
                                const std::string& product, const std::string& revision,
                                const std::string& serial) {
    Device& d = diskNamed(*s_, disk);
    d.vendor = vendor;
    d.product = product;
    d.revision = revision;
    d.serial = serial;
}

void SimMachine::setDiskReadOnly(const std::string& disk, bool readOnly) {
    std::uint64_t& a = diskNamed(*s_, disk).attributes;
    a = readOnly ? (a | 2) : (a & ~std::uint64_t(2));
}

void SimMachine::setDiskAttributes(const std::string& disk, std::uint64_t attributes) {
    diskNamed(*s_, disk).attributes = attributes;
}

std::uint64_t SimMachine::diskAttributes(const std::string& disk) const {
    return diskNamed(*s_, disk).attributes;
}

bool SimMachine::diskAttributesPersist(const std::string& disk) const {
    return diskNamed(*s_, disk).attributesPersist;
}

namespace {

Volume& volumeLettered(State& s, char letter) {
    Volume* v = s.volume(letter);
    if (!v) throw std::invalid_argument("SimMachine: no such drive");
    return *v;
}

}  // namespace

void SimMachine::setVolumeGpt(char letter, bool gpt, std::uint64_t attributes) {
    Volume& v = volumeLettered(*s_, letter);
    v.gpt = gpt;
    v.gptAttributes = attributes;
}

std::uint64_t SimMachine::gptAttributes(char letter) const {
    return volumeLettered(*s_, letter).gptAttributes;
}

bool SimMachine::gptAppliedToAll(char letter) const {
    return volumeLettered(*s_, letter).gptAppliedToAll;
}

void SimMachine::setVolumeExtents(char letter, const std::vector<Extent>& extents) {
    Volume* v = s_->volume(letter);
    if (!v || extents.empty()) throw std::invalid_argument("SimMachine: no such drive or extents");
    std::vector<sim::Extent> all;
    for (const Extent& e : extents) {
        diskNamed(*s_, e.disk);
        all.push_back({upper(e.disk), e.offset, e.length});
    }
    v->disk = all[0].disk;
    v->diskOffset = all[0].offset;
    v->length = all[0].length;
    v->extraExtents.assign(all.begin() + 1, all.end());
}

void SimMachine::answerNextControl(DWORD code, std::vector<std::uint8_t> bytes, DWORD returned,
                                   BOOL result) {
    s_->scriptedControls[code] = {std::move(bytes), returned, result, 0};
}

void SimMachine::failNextControl(DWORD code, DWORD error) {
    if (!error) throw std::invalid_argument("SimMachine::failNextControl: error 0");
    s_->scriptedControls[code] = {{}, 0, 0, error};
}

const SimMachine::ControlRecord& SimMachine::lastControl() const {
    return s_->lastControl;
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

}  // namespace sys
