// The device-control requests the bench sends and the Windows structures they exchange, written
// out as byte layouts (sizes and field offsets, little-endian) so that the handlers and the
// simulated machine read and write them the same way on any host. The Windows build checks
// every code, size and offset here against <winioctl.h>.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstring>
#include <span>
#include <type_traits>

namespace sys::ioctl {

using DWORD = std::uint32_t;

// Control codes.
inline constexpr DWORD IOCTL_DISK_GET_DRIVE_GEOMETRY = 0x00070000;
inline constexpr DWORD IOCTL_DISK_IS_WRITABLE = 0x00070024;
inline constexpr DWORD IOCTL_DISK_GET_LENGTH_INFO = 0x0007405C;
inline constexpr DWORD IOCTL_DISK_GET_DRIVE_GEOMETRY_EX = 0x000700A0;
inline constexpr DWORD IOCTL_DISK_GET_DISK_ATTRIBUTES = 0x000700F0;
inline constexpr DWORD IOCTL_DISK_SET_DISK_ATTRIBUTES = 0x0007C0F4;
inline constexpr DWORD FSCTL_LOCK_VOLUME = 0x00090018;
inline constexpr DWORD FSCTL_UNLOCK_VOLUME = 0x0009001C;
inline constexpr DWORD FSCTL_DISMOUNT_VOLUME = 0x00090020;
inline constexpr DWORD FSCTL_IS_VOLUME_MOUNTED = 0x00090028;
inline constexpr DWORD FSCTL_MARK_VOLUME_DIRTY = 0x00090030;
inline constexpr DWORD FSCTL_IS_VOLUME_DIRTY = 0x00090078;
inline constexpr DWORD IOCTL_STORAGE_CHECK_VERIFY2 = 0x002D0800;
inline constexpr DWORD IOCTL_STORAGE_GET_DEVICE_NUMBER = 0x002D1080;
inline constexpr DWORD IOCTL_STORAGE_QUERY_PROPERTY = 0x002D1400;
inline constexpr DWORD IOCTL_STORAGE_CHECK_VERIFY = 0x002D4800;
inline constexpr DWORD IOCTL_STORAGE_EJECT_MEDIA = 0x002D4808;
inline constexpr DWORD IOCTL_STORAGE_LOAD_MEDIA = 0x002D480C;
inline constexpr DWORD IOCTL_STORAGE_READ_CAPACITY = 0x002D5140;
inline constexpr DWORD IOCTL_VOLUME_GET_VOLUME_DISK_EXTENTS = 0x00560000;
inline constexpr DWORD IOCTL_VOLUME_ONLINE = 0x0056C008;
inline constexpr DWORD IOCTL_VOLUME_OFFLINE = 0x0056C00C;
inline constexpr DWORD IOCTL_VOLUME_GET_GPT_ATTRIBUTES = 0x00560038;
inline constexpr DWORD IOCTL_VOLUME_SET_GPT_ATTRIBUTES = 0x00560034;

// The access a handle must hold for a code: bits 14-15 (1 read, 2 write, 3 both, 0 any).
constexpr DWORD RequiredAccess(DWORD code) {
    return (code >> 14) & 3;
}

// Structures: kSize is sizeof in the Windows headers, the other constants are field offsets.
struct DISK_GEOMETRY {
    static constexpr std::size_t kSize = 24;
    static constexpr std::size_t Cylinders = 0;  // LARGE_INTEGER
    static constexpr std::size_t MediaType = 8, TracksPerCylinder = 12, SectorsPerTrack = 16,
                                 BytesPerSector = 20;  // DWORD each
};
// The fixed part; the variable Data (partition and detection information) follows it.
struct DISK_GEOMETRY_EX {
    static constexpr std::size_t kSize = 32;
    static constexpr std::size_t Geometry = 0, DiskSize = 24, Data = 32;
};
struct GET_LENGTH_INFORMATION {
    static constexpr std::size_t kSize = 8;
    static constexpr std::size_t Length = 0;
};
struct STORAGE_READ_CAPACITY {
    static constexpr std::size_t kSize = 32;
    static constexpr std::size_t Version = 0, Size = 4, BlockLength = 8, NumberOfBlocks = 16,
                                 DiskLength = 24;
};
struct STORAGE_DEVICE_NUMBER {
    static constexpr std::size_t kSize = 12;
    static constexpr std::size_t DeviceType = 0, DeviceNumber = 4, PartitionNumber = 8;
};
// AdditionalParameters is a one-byte array, padded to 12.
struct STORAGE_PROPERTY_QUERY {
    static constexpr std::size_t kSize = 12;
    static constexpr std::size_t PropertyId = 0, QueryType = 4, AdditionalParameters = 8;
};
// The fixed head; vendor, product, revision and serial texts follow it in a full answer.
struct STORAGE_DEVICE_DESCRIPTOR {
    static constexpr std::size_t kSize = 40;
    static constexpr std::size_t Version = 0, Size = 4, DeviceType = 8, DeviceTypeModifier = 9,
                                 RemovableMedia = 10, CommandQueueing = 11, VendorIdOffset = 12,
                                 ProductIdOffset = 16, ProductRevisionOffset = 20,
                                 SerialNumberOffset = 24, BusType = 28, RawPropertiesLength = 32,
                                 RawDeviceProperties = 36;
};
struct DISK_EXTENT {
    static constexpr std::size_t kSize = 24;
    static constexpr std::size_t DiskNumber = 0, StartingOffset = 8, ExtentLength = 16;
};
// With room for one extent, as declared; callers pass room for more.
struct VOLUME_DISK_EXTENTS {
    static constexpr std::size_t kSize = 32;
    static constexpr std::size_t NumberOfDiskExtents = 0, Extents = 8;
};
struct GET_DISK_ATTRIBUTES {
    static constexpr std::size_t kSize = 16;
    static constexpr std::size_t Version = 0, Reserved1 = 4, Attributes = 8;
};
struct SET_DISK_ATTRIBUTES {
    static constexpr std::size_t kSize = 40;
    static constexpr std::size_t Version = 0, Persist = 4, Reserved1 = 5, Attributes = 8,
                                 AttributesMask = 16, Reserved2 = 24;
};
struct VOLUME_GET_GPT_ATTRIBUTES_INFORMATION {
    static constexpr std::size_t kSize = 8;
    static constexpr std::size_t GptAttributes = 0;
};
struct VOLUME_SET_GPT_ATTRIBUTES_INFORMATION {
    static constexpr std::size_t kSize = 16;
    static constexpr std::size_t GptAttributes = 0, RevertOnClose = 8,
                                 ApplyToAllConnectedVolumes = 9, Reserved1 = 10, Reserved2 = 12;
};

// Little-endian field access. Get reads only bytes that lie inside `bytes` (callers pass the part
// of the buffer that the answer really filled); every byte beyond it reads as 0, so a short,
// odd or lying answer can never make a read leave the buffer.
template <typename T>
T Get(std::span<const std::uint8_t> bytes, std::size_t offset) {
    static_assert(std::is_integral_v<T>);
    using U = std::make_unsigned_t<T>;
    U v = 0;
    for (std::size_t i = 0; i < sizeof(T); ++i)
        if (offset < bytes.size() && i < bytes.size() - offset)
            v = static_cast<U>(v | (static_cast<U>(bytes[offset + i]) << (8 * i)));
    return static_cast<T>(v);
}

// Writes a field; a field that does not fit the buffer whole is not written at all.
template <typename T>
void Put(std::span<std::uint8_t> bytes, std::size_t offset, T value) {
    static_assert(std::is_integral_v<T>);
    if (offset > bytes.size() || bytes.size() - offset < sizeof(T)) return;
    using U = std::make_unsigned_t<T>;
    const U v = static_cast<U>(value);
    for (std::size_t i = 0; i < sizeof(T); ++i)
        bytes[offset + i] = static_cast<std::uint8_t>(v >> (8 * i));
}

}  // namespace sys::ioctl
