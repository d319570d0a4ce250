// DISK_GEOMETRY as IOCTL_DISK_GET_DRIVE_GEOMETRY returns it: 24 bytes, little-endian.
#pragma once

#include <cstdint>
#include <cstring>

namespace io {

inline constexpr std::uint32_t IOCTL_DISK_GET_DRIVE_GEOMETRY = 0x00070000;
inline constexpr std::uint32_t IOCTL_DISK_GET_LENGTH_INFO = 0x0007405C;

struct DiskGeometry {
    static constexpr std::size_t kSize = 24;
    std::int64_t Cylinders = 0;          // offset 0
    std::uint32_t MediaType = 0;         // offset 8
    std::int32_t TracksPerCylinder = 0;  // offset 12
    std::int32_t SectorsPerTrack = 0;    // offset 16
    std::int32_t BytesPerSector = 0;     // offset 20

    static DiskGeometry Decode(const unsigned char (&b)[kSize]) {
        DiskGeometry g;
        std::memcpy(&g.Cylinders, b + 0, 8);
        std::memcpy(&g.MediaType, b + 8, 4);
        std::memcpy(&g.TracksPerCylinder, b + 12, 4);
        std::memcpy(&g.SectorsPerTrack, b + 16, 4);
        std::memcpy(&g.BytesPerSector, b + 20, 4);
        return g;
    }
};

}  // namespace io
