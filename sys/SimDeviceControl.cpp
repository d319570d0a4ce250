// The simulated machine's device controls: one handler per control code, found through one
// table. A new control is a handler and a row.
#include <cstring>

#include "sys/SimState.h"

namespace sys::sim {
namespace {

// What a disk control may act on: the disk itself, or the disk under a volume.
struct DiskTarget {
    DWORD error = err::SUCCESS;
    Device* disk = nullptr;
    Volume* volume = nullptr;  // set when the handle is a volume's
};

DiskTarget diskTarget(ControlCall& c) {
    DiskTarget t;
    if (c.open.kind == Open::Kind::Volume) {
        t.volume = c.s.volume(c.open.drive);
        if (!t.volume->hasMedia) {
            t.error = err::NOT_READY;
            return t;
        }
        t.disk = c.s.diskOf(*t.volume);
    } else if (c.open.kind == Open::Kind::Device) {
        Device& d = c.s.devices.at(c.open.device);
        if (d.type == Device::Type::Disk) t.disk = &d;
    }
    // A plain file, a character device or a volume without a disk model: the request is not
    // for them (Wine answers 50 for a plain file).
    if (!t.disk && !t.volume) t.error = err::INVALID_FUNCTION;
    return t;
}

template <typename T>
void put(void* out, std::size_t offset, T value) {
    std::memcpy(static_cast<char*>(out) + offset, &value, sizeof value);
}

// DISK_GEOMETRY: int64 Cylinders, uint32 MediaType, TracksPerCylinder, SectorsPerTrack,
// BytesPerSector.
DWORD getDriveGeometry(ControlCall& c) {
    DiskTarget t = diskTarget(c);
    if (t.error) return t.error;
    // Windows refuses a short buffer; Wine fills what fits and succeeds.
    if (c.outSize < 24 || !c.out) return err::INSUFFICIENT_BUFFER;
    DiskGeometry g;
    if (t.disk) {
        g = t.disk->geometry;
    } else {
        // A removable volume of its own: a 1.44 MB floppy.
        g.cylinders = 80;
        g.mediaType = 2;  // F3_1Pt44_512
        g.tracksPerCylinder = 2;
        g.sectorsPerTrack = 18;
    }
    put<std::int64_t>(c.out, 0, g.cylinders);
    put<DWORD>(c.out, 8, g.mediaType);
    put<DWORD>(c.out, 12, g.tracksPerCylinder);
    put<DWORD>(c.out, 16, g.sectorsPerTrack);
    put<DWORD>(c.out, 20, g.bytesPerSector);
    c.returned = 24;
    return err::SUCCESS;
}

// GET_LENGTH_INFORMATION: the byte length of the disk, or of the volume's partition.
DWORD getLengthInfo(ControlCall& c) {
    DiskTarget t = diskTarget(c);
    if (t.error) return t.error;
    if (c.outSize < 8 || !c.out) return err::INSUFFICIENT_BUFFER;
    const std::uint64_t length = t.volume ? t.volume->length : t.disk->geometry.bytes();
    put<std::uint64_t>(c.out, 0, length);
    c.returned = 8;
    return err::SUCCESS;
}

struct Row {
    DWORD code;
    ControlHandler handler;
};

constexpr Row kControls[] = {
    {w::IOCTL_DISK_GET_DRIVE_GEOMETRY, getDriveGeometry},
    {w::IOCTL_DISK_GET_LENGTH_INFO, getLengthInfo},
};

}  // namespace

ControlHandler findControl(DWORD code) {
    for (const Row& r : kControls)
        if (r.code == code) return r.handler;
    return nullptr;
}

}  // namespace sys::sim
