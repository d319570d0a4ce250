// The simulated machine's insides, shared by its translation units (the Kernel calls and the
// device-control table). Nothing outside sys/Sim*.cpp includes this.
#pragma once

#include <cstdint>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "sys/Kernel.h"

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
    std::string disk;  // upper-cased device key of the disk it lives on, "" for none
    std::uint64_t diskOffset = 0, length = 0;
    std::shared_ptr<Node> root;
    std::string currentDir;  // per-drive current directory, "" = root
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
};

struct State;

// One device control, with its buffers. A handler returns the error code (SUCCESS included) and
// sets `returned` on success.
struct ControlCall {
    State& s;
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

struct State {
    DWORD lastError = 0;
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

    // The volume a drive-letter handle or path refers to, and the disk under a volume.
    Volume* volume(char letter);
    Device* diskOf(const Volume& v);
};

}  // namespace sys::sim
