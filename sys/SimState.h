// The simulated machine's insides, shared by its translation units (the Kernel calls by area,
// the set-up and the device-control table). Nothing outside sys/Sim*.cpp includes this.
#pragma once

#include <condition_variable>
#include <cstdint>
#include <map>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

#include "sys/Kernel.h"
#include "sys/SimMachine.h"

namespace sys::sim {

// Bytes of a file or device image that may be far larger than what was ever written: only the
// written extents are kept, everything else reads as zeros.
class SparseData {
  public:
    void write(std::uint64_t offset, const void* bytes, std::size_t count);
    void read(std::uint64_t offset, void* bytes, std::size_t count) const;
    void truncate(std::uint64_t size);  // drops stored bytes at and beyond size
    std::uint64_t storedBytes() const;

  private:
    std::map<std::uint64_t, std::string> extents_;  // start -> bytes, disjoint, not touching
};

struct Node {
    std::string name;  // as created (case preserved)
    bool directory = false;
    DWORD attributes = 0;  // READONLY, HIDDEN, SYSTEM, ARCHIVE; DIRECTORY is implied
    std::uint64_t size = 0;
    SparseData data;
    std::map<std::string, std::shared_ptr<Node>> children;  // key: upper-cased name
    Node* parent = nullptr;
    bool deletePending = false;
};

struct DiskGeometry {
    std::int64_t cylinders = 10000;
    DWORD mediaType = 12;  // FixedMedia
    DWORD tracksPerCylinder = 255, sectorsPerTrack = 63, bytesPerSector = 512;
    std::uint64_t bytes() const {
        return std::uint64_t(cylinders) * tracksPerCylinder * sectorsPerTrack * bytesPerSector;
    }
};

// What `\\.\name` opens, other than a drive letter's volume.
struct Device {
    enum class Type { Disk, Char, Null, Pipe };
    Type type = Type::Char;
    std::string name;        // as shown, e.g. "PhysicalDrive0"
    DiskGeometry geometry;   // disks only
    SparseData image;        // disks: the raw sectors
    std::string pipeBuffer;  // pipes: written and not yet read
    // Disks: what the storage requests report.
    std::uint64_t size = 0;  // bytes; real disks hold more than their geometry describes
    DWORD deviceNumber = 0;
    std::int32_t busType = 17;  // NVMe
    bool removable = false;
    // The device descriptor's texts; an empty one is not there (its offset is 0).
    std::string vendor, product = "SIMULATED NVME DISK", revision = "1.0",
                        serial = "0000_0000_0000_0001.";
    std::uint64_t attributes = 0;    // DISK_ATTRIBUTE_OFFLINE 0x1, DISK_ATTRIBUTE_READ_ONLY 0x2
    bool attributesPersist = false;  // the last change was to outlive a restart
    DWORD mediaChanges = 0;
    // A table of its own; without one the layout lists the volumes on the disk.
    bool ownTable = false, tableGpt = false;
    std::vector<SimMachine::Partition> table;
};

// A run of a volume on a disk.
struct Extent {
    std::string disk;  // upper-cased device key
    std::uint64_t offset = 0, length = 0;
};

struct Volume {
    char letter = 'C';
    DWORD driveType = w::DRIVE_FIXED;
    bool hasMedia = true;
    std::string label;
    DWORD serial = 0;
    std::string fileSystem = "NTFS";
    DWORD fileSystemFlags = 0;
    DWORD maxComponentLength = 255;
    DWORD sectorsPerCluster = 8, bytesPerSector = 512;
    std::uint64_t totalBytes = 0, freeBytes = 0;
    std::uint64_t callerQuota = UINT64_MAX;  // what a user quota still allows the caller
    std::string disk;  // upper-cased device key of the disk it lives on, "" for none
    std::uint64_t diskOffset = 0, length = 0;
    std::shared_ptr<Node> root;
    std::string currentDir;  // per-drive current directory, "" = root
    DWORD partitionNumber = 1;
    std::vector<Extent> extraExtents;  // beyond the first (disk, diskOffset, length)
    Handle lockedBy = 0;               // the handle holding the lock, 0 for none
    bool mounted = true, online = true, dirty = false;
    bool gpt = true;  // a GPT partition; false for MBR, which has no attribute word
    std::uint64_t gptAttributes = 0;
    bool gptAppliedToAll = false;  // the last change asked for every connected volume
};

struct Open {
    enum class Kind { File, Volume, Device };
    Kind kind = Kind::File;
    std::shared_ptr<Node> node;  // File
    char drive = 0;              // Volume
    std::string device;          // Device: upper-cased key
    std::string name;            // as opened, for toString()
    DWORD access = 0;            // mapped to specific file rights
    DWORD share = 0;
    DWORD flags = 0;
    std::uint64_t position = 0;
    bool deleteOnClose = false;
    bool dismounted = false;  // its volume was dismounted under it: I/O fails with NOT_READY
    bool revertGpt = false;   // a GPT change through it is undone when it closes
    std::uint64_t gptBefore = 0;
};

struct State;

// One device control, with its buffers. A handler returns the error code (SUCCESS included) and
// sets `returned` on success.
struct ControlCall {
    State& s;
    Handle handle;
    Open& open;
    const void* in;
    DWORD inSize;
    void* out;
    DWORD outSize;
    DWORD returned = 0;
};
using ControlHandler = DWORD (*)(ControlCall&);
// The handler for a control code, or nullptr when the machine does not know the code.
ControlHandler findControl(DWORD code);

// The last error as Windows keeps it: one per thread, so that a call made on a worker thread
// leaves the caller's as it was. Reads and writes like the DWORD it stands for.
class ThreadErrors {
  public:
    ThreadErrors& operator=(DWORD code);
    operator DWORD() const;

  private:
    mutable std::mutex m_;
    std::map<std::uint64_t, DWORD> codes_;  // by thread, numbered never to be reused
};

// A call kept waiting until the test lets it go on or cancels it (SimMachine::blockNext).
struct Blocking {
    enum class End { None, Release, Cancel };
    std::mutex m;
    std::condition_variable cv;
    std::string armed;     // the next call of this name blocks; "" for none
    bool waiting = false;  // a call blocks now
    End end = End::None;
};

struct State {
    ThreadErrors lastError;
    Blocking blocking;
    std::map<char, Volume> volumes;
    std::map<std::string, Device> devices;  // key: upper-cased name after `\\.\`
    char currentDrive = 'C';
    std::map<Handle, Open> handles;
    std::vector<Handle> freeHandles;  // reused last-freed first, as Windows' handle table does
    Handle nextHandle = 0x100;
    std::vector<std::string> calls;
    std::map<std::string, DWORD> pendingFailures;
    DWORD acp = 1252, pid = 312, errorMode = 0;
    std::string dllDirectory;
    std::vector<DWORD> sleeps;
    std::size_t allocLimit = 0;
    struct Allocation {
        std::size_t size;
        std::size_t locked;
    };
    std::map<char*, Allocation> allocations;
    struct ScriptedControl {
        std::vector<std::uint8_t> bytes;
        DWORD returned = 0;
        BOOL result = 1;
        DWORD error = 0;
    };
    std::map<DWORD, ScriptedControl> scriptedControls;  // by control code, for the next call
    SimMachine::ControlRecord lastControl;

    // The volume a drive-letter handle or path refers to, and the disk under a volume.
    Volume* volume(char letter);
    Device* diskOf(const Volume& v);
    std::size_t disks() const;  // how many disk devices there are
};

// --- Names and look-up (SimNames.cpp) ------------------------------------------------------------

// A name as Win32 reads it: a drive-letter path, a drive's volume, or a device.
struct Target {
    enum class Kind { Path, Volume, Device };
    Kind kind = Kind::Path;
    char drive = 0;
    std::vector<std::string> parts;  // below the drive's root
    bool trailingSlash = false;
    std::string device;  // upper-cased key
};

struct Found {
    DWORD error = err::SUCCESS;  // FILE_NOT_FOUND leaves parent set for creation
    Volume* volume = nullptr;
    std::shared_ptr<Node> node;
    Node* parent = nullptr;
};

std::string upper(std::string s);
bool isDriveLetter(char c);
std::string currentDirOf(const State& s, char drive);  // "" = the drive's root
DWORD parseName(const State& s, const std::string& name, Target& t);
Found findPath(State& s, const Target& t);
std::string pathOf(const Node& n);  // "\dir\file" below the drive's root
// Copies as much of text as fits, always terminated; nothing when there is no room at all.
void copyText(const std::string& text, char* buffer, DWORD size);

// --- Every Kernel call (SimMachine.cpp) ----------------------------------------------------------

// Logs the call; true when an injected failure applies, with the last error already set.
bool failing(State& s, const char* call);
// Blocks the call when it is the armed one (SimThreads.cpp); true when it was cancelled, with
// the last error already set.
bool blockedAndCancelled(State& s, const char* call);

// A call's failure path: sets the last error and gives the call's failure value.
template <class R>
auto Failing(State& s, R failure) {
    return [&s, failure](DWORD e) {
        s.lastError = e;
        return failure;
    };
}

// --- Handles (SimFiles.cpp) ----------------------------------------------------------------------

Open* handleOf(State& s, Handle h);
// The open behind a handle that calls may use, or INVALID_HANDLE / NOT_READY (dismounted).
DWORD usableOpen(State& s, Handle h, Open*& o);
Handle addHandle(State& s, Open o);
bool conflictsWithOpens(const State& s, const Open& wanted);
// Unlinks a file whose deletion was pending once nobody holds it open any more.
void releaseNode(State& s, const std::shared_ptr<Node>& n);

// The extent of what a volume or disk handle reads: the device bytes and where they start.
struct RawSpan {
    Device* disk = nullptr;
    std::uint64_t offset = 0, length = 0;
};
RawSpan rawSpanOf(State& s, const Open& o);
bool isRawDisk(const State& s, const Open& o);

}  // namespace sys::sim

namespace sys {

// What SimMachine holds behind its pointer; every unit of the machine reaches it.
struct SimMachine::State : sim::State {};

}  // namespace sys
