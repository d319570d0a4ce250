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
// Asked only through the DeviceIoControl dialog, whose answers are decoded.
inline constexpr DWORD IOCTL_DISK_GET_PARTITION_INFO_EX = 0x00070048;
inline constexpr DWORD IOCTL_DISK_GET_DRIVE_LAYOUT_EX = 0x00070050;
inline constexpr DWORD FSCTL_GET_NTFS_VOLUME_DATA = 0x00090064;

// The access a handle must hold for a code: bits 14-15 (1 read, 2 write, 3 both, 0 any).
constexpr DWORD RequiredAccess(DWORD code) {
    return (code >> 14) & 3;
}

// A field of a structure: its type (so its width) and its offset. Readers go through it, so a
// field cannot be read with the width of its neighbour.
template <typename T, std::size_t Offset>
struct Field {
    static_assert(std::is_integral_v<T>);
    using Type = T;
    static constexpr std::size_t offset = Offset;
    static constexpr std::size_t size = sizeof(T);
};

// True when the fields lie in the structure, in order, none overlapping the one before.
template <std::size_t StructSize, typename... Fields>
constexpr bool Laid() {
    std::size_t end = 0;
    bool ok = true;
    ((ok = ok && Fields::offset >= end && Fields::offset + Fields::size <= StructSize,
      end = Fields::offset + Fields::size),
     ...);
    return ok;
}
#define HB_LAID(S, ...) static_assert(Laid<S::kSize, __VA_ARGS__>(), #S " fields out of place")
#define HB_F(S, f) decltype(S::f)

// Structures: kSize is sizeof in the Windows headers. Typed fields are read through Get and
// written through Put; nested structures and variable parts are plain offsets.
struct DISK_GEOMETRY {
    static constexpr std::size_t kSize = 24;
    static constexpr Field<std::int64_t, 0> Cylinders{};  // LARGE_INTEGER
    static constexpr Field<std::uint32_t, 8> MediaType{};
    static constexpr Field<std::uint32_t, 12> TracksPerCylinder{};
    static constexpr Field<std::uint32_t, 16> SectorsPerTrack{};
    static constexpr Field<std::uint32_t, 20> BytesPerSector{};
};
HB_LAID(DISK_GEOMETRY, HB_F(DISK_GEOMETRY, Cylinders), HB_F(DISK_GEOMETRY, MediaType),
        HB_F(DISK_GEOMETRY, TracksPerCylinder), HB_F(DISK_GEOMETRY, SectorsPerTrack),
        HB_F(DISK_GEOMETRY, BytesPerSector));
// The fixed part; the variable Data (partition and detection information) follows it.
struct DISK_GEOMETRY_EX {
    static constexpr std::size_t kSize = 32;
    static constexpr std::size_t Geometry = 0;  // a DISK_GEOMETRY
    static constexpr Field<std::int64_t, 24> DiskSize{};
    static constexpr std::size_t Data = 32;
};
static_assert(DISK_GEOMETRY_EX::Geometry + DISK_GEOMETRY::kSize <=
              DISK_GEOMETRY_EX::DiskSize.offset);
HB_LAID(DISK_GEOMETRY_EX, HB_F(DISK_GEOMETRY_EX, DiskSize));
struct GET_LENGTH_INFORMATION {
    static constexpr std::size_t kSize = 8;
    static constexpr Field<std::int64_t, 0> Length{};
};
HB_LAID(GET_LENGTH_INFORMATION, HB_F(GET_LENGTH_INFORMATION, Length));
struct STORAGE_READ_CAPACITY {
    static constexpr std::size_t kSize = 32;
    static constexpr Field<std::uint32_t, 0> Version{};
    static constexpr Field<std::uint32_t, 4> Size{};
    static constexpr Field<std::uint32_t, 8> BlockLength{};
    static constexpr Field<std::int64_t, 16> NumberOfBlocks{};
    static constexpr Field<std::int64_t, 24> DiskLength{};
};
HB_LAID(STORAGE_READ_CAPACITY, HB_F(STORAGE_READ_CAPACITY, Version),
        HB_F(STORAGE_READ_CAPACITY, Size), HB_F(STORAGE_READ_CAPACITY, BlockLength),
        HB_F(STORAGE_READ_CAPACITY, NumberOfBlocks), HB_F(STORAGE_READ_CAPACITY, DiskLength));
struct STORAGE_DEVICE_NUMBER {
    static constexpr std::size_t kSize = 12;
    static constexpr Field<std::uint32_t, 0> DeviceType{};
    static constexpr Field<std::uint32_t, 4> DeviceNumber{};
    static constexpr Field<std::uint32_t, 8> PartitionNumber{};
};
HB_LAID(STORAGE_DEVICE_NUMBER, HB_F(STORAGE_DEVICE_NUMBER, DeviceType),
        HB_F(STORAGE_DEVICE_NUMBER, DeviceNumber), HB_F(STORAGE_DEVICE_NUMBER, PartitionNumber));
// AdditionalParameters is a one-byte array, padded to 12.
struct STORAGE_PROPERTY_QUERY {
    static constexpr std::size_t kSize = 12;
    static constexpr Field<std::uint32_t, 0> PropertyId{};
    static constexpr Field<std::uint32_t, 4> QueryType{};
    static constexpr std::size_t AdditionalParameters = 8;
};
HB_LAID(STORAGE_PROPERTY_QUERY, HB_F(STORAGE_PROPERTY_QUERY, PropertyId),
        HB_F(STORAGE_PROPERTY_QUERY, QueryType));
// The fixed head; vendor, product, revision and serial texts follow it in a full answer.
struct STORAGE_DEVICE_DESCRIPTOR {
    static constexpr std::size_t kSize = 40;
    static constexpr Field<std::uint32_t, 0> Version{};
    static constexpr Field<std::uint32_t, 4> Size{};
    static constexpr Field<std::uint8_t, 8> DeviceType{};
    static constexpr Field<std::uint8_t, 9> DeviceTypeModifier{};
    static constexpr Field<std::uint8_t, 10> RemovableMedia{};  // BOOLEAN
    static constexpr Field<std::uint8_t, 11> CommandQueueing{};
    static constexpr Field<std::uint32_t, 12> VendorIdOffset{};
    static constexpr Field<std::uint32_t, 16> ProductIdOffset{};
    static constexpr Field<std::uint32_t, 20> ProductRevisionOffset{};
    static constexpr Field<std::uint32_t, 24> SerialNumberOffset{};
    static constexpr Field<std::int32_t, 28> BusType{};  // STORAGE_BUS_TYPE, an enum
    static constexpr Field<std::uint32_t, 32> RawPropertiesLength{};
    static constexpr std::size_t RawDeviceProperties = 36;
};
HB_LAID(STORAGE_DEVICE_DESCRIPTOR, HB_F(STORAGE_DEVICE_DESCRIPTOR, Version),
        HB_F(STORAGE_DEVICE_DESCRIPTOR, Size), HB_F(STORAGE_DEVICE_DESCRIPTOR, DeviceType),
        HB_F(STORAGE_DEVICE_DESCRIPTOR, DeviceTypeModifier),
        HB_F(STORAGE_DEVICE_DESCRIPTOR, RemovableMedia),
        HB_F(STORAGE_DEVICE_DESCRIPTOR, CommandQueueing),
        HB_F(STORAGE_DEVICE_DESCRIPTOR, VendorIdOffset),
        HB_F(STORAGE_DEVICE_DESCRIPTOR, ProductIdOffset),
        HB_F(STORAGE_DEVICE_DESCRIPTOR, ProductRevisionOffset),
        HB_F(STORAGE_DEVICE_DESCRIPTOR, SerialNumberOffset),
        HB_F(STORAGE_DEVICE_DESCRIPTOR, BusType),
        HB_F(STORAGE_DEVICE_DESCRIPTOR, RawPropertiesLength));
struct DISK_EXTENT {
    static constexpr std::size_t kSize = 24;
    static constexpr Field<std::uint32_t, 0> DiskNumber{};
    static constexpr Field<std::int64_t, 8> StartingOffset{};
    static constexpr Field<std::int64_t, 16> ExtentLength{};
};
HB_LAID(DISK_EXTENT, HB_F(DISK_EXTENT, DiskNumber), HB_F(DISK_EXTENT, StartingOffset),
        HB_F(DISK_EXTENT, ExtentLength));
// With room for one extent, as declared; callers pass room for more.
struct VOLUME_DISK_EXTENTS {
    static constexpr std::size_t kSize = 32;
    static constexpr Field<std::uint32_t, 0> NumberOfDiskExtents{};
    static constexpr std::size_t Extents = 8;  // DISK_EXTENT entries
};
HB_LAID(VOLUME_DISK_EXTENTS, HB_F(VOLUME_DISK_EXTENTS, NumberOfDiskExtents));
static_assert(VOLUME_DISK_EXTENTS::Extents + DISK_EXTENT::kSize == VOLUME_DISK_EXTENTS::kSize);
struct GET_DISK_ATTRIBUTES {
    static constexpr std::size_t kSize = 16;
    static constexpr Field<std::uint32_t, 0> Version{};
    static constexpr Field<std::uint32_t, 4> Reserved1{};
    static constexpr Field<std::uint64_t, 8> Attributes{};
};
HB_LAID(GET_DISK_ATTRIBUTES, HB_F(GET_DISK_ATTRIBUTES, Version),
        HB_F(GET_DISK_ATTRIBUTES, Reserved1), HB_F(GET_DISK_ATTRIBUTES, Attributes));
struct SET_DISK_ATTRIBUTES {
    static constexpr std::size_t kSize = 40;
    static constexpr Field<std::uint32_t, 0> Version{};
    static constexpr Field<std::uint8_t, 4> Persist{};  // BOOLEAN
    static constexpr std::size_t Reserved1 = 5;         // three bytes
    static constexpr Field<std::uint64_t, 8> Attributes{};
    static constexpr Field<std::uint64_t, 16> AttributesMask{};
    static constexpr std::size_t Reserved2 = 24;  // four DWORDs
};
HB_LAID(SET_DISK_ATTRIBUTES, HB_F(SET_DISK_ATTRIBUTES, Version), HB_F(SET_DISK_ATTRIBUTES, Persist),
        HB_F(SET_DISK_ATTRIBUTES, Attributes), HB_F(SET_DISK_ATTRIBUTES, AttributesMask));
struct VOLUME_GET_GPT_ATTRIBUTES_INFORMATION {
    static constexpr std::size_t kSize = 8;
    static constexpr Field<std::uint64_t, 0> GptAttributes{};
};
HB_LAID(VOLUME_GET_GPT_ATTRIBUTES_INFORMATION,
        HB_F(VOLUME_GET_GPT_ATTRIBUTES_INFORMATION, GptAttributes));
struct VOLUME_SET_GPT_ATTRIBUTES_INFORMATION {
    static constexpr std::size_t kSize = 16;
    static constexpr Field<std::uint64_t, 0> GptAttributes{};
    static constexpr Field<std::uint8_t, 8> RevertOnClose{};               // BOOLEAN
    static constexpr Field<std::uint8_t, 9> ApplyToAllConnectedVolumes{};  // BOOLEAN
    static constexpr Field<std::uint16_t, 10> Reserved1{};
    static constexpr Field<std::uint32_t, 12> Reserved2{};
};
HB_LAID(VOLUME_SET_GPT_ATTRIBUTES_INFORMATION,
        HB_F(VOLUME_SET_GPT_ATTRIBUTES_INFORMATION, GptAttributes),
        HB_F(VOLUME_SET_GPT_ATTRIBUTES_INFORMATION, RevertOnClose),
        HB_F(VOLUME_SET_GPT_ATTRIBUTES_INFORMATION, ApplyToAllConnectedVolumes),
        HB_F(VOLUME_SET_GPT_ATTRIBUTES_INFORMATION, Reserved1),
        HB_F(VOLUME_SET_GPT_ATTRIBUTES_INFORMATION, Reserved2));
// A partition's entry: the MBR or GPT part follows at Union, as PartitionStyle says.
struct PARTITION_INFORMATION_EX {
    static constexpr std::size_t kSize = 144;
    static constexpr Field<std::uint32_t, 0> PartitionStyle{};  // 0 MBR, 1 GPT, 2 RAW
    static constexpr Field<std::int64_t, 8> StartingOffset{};
    static constexpr Field<std::int64_t, 16> PartitionLength{};
    static constexpr Field<std::uint32_t, 24> PartitionNumber{};
    static constexpr Field<std::uint8_t, 28> RewritePartition{};  // BOOLEAN
    static constexpr std::size_t Union = 32;
};
HB_LAID(PARTITION_INFORMATION_EX, HB_F(PARTITION_INFORMATION_EX, PartitionStyle),
        HB_F(PARTITION_INFORMATION_EX, StartingOffset),
        HB_F(PARTITION_INFORMATION_EX, PartitionLength),
        HB_F(PARTITION_INFORMATION_EX, PartitionNumber),
        HB_F(PARTITION_INFORMATION_EX, RewritePartition));
struct PARTITION_INFORMATION_MBR {
    static constexpr std::size_t kSize = 24;
    static constexpr Field<std::uint8_t, 0> PartitionType{};
    static constexpr Field<std::uint8_t, 1> BootIndicator{};        // BOOLEAN
    static constexpr Field<std::uint8_t, 2> RecognizedPartition{};  // BOOLEAN
    static constexpr Field<std::uint32_t, 4> HiddenSectors{};
};
HB_LAID(PARTITION_INFORMATION_MBR, HB_F(PARTITION_INFORMATION_MBR, PartitionType),
        HB_F(PARTITION_INFORMATION_MBR, BootIndicator),
        HB_F(PARTITION_INFORMATION_MBR, RecognizedPartition),
        HB_F(PARTITION_INFORMATION_MBR, HiddenSectors));
struct PARTITION_INFORMATION_GPT {
    static constexpr std::size_t kSize = 112;
    static constexpr std::size_t PartitionType = 0;  // GUID
    static constexpr std::size_t PartitionId = 16;   // GUID
    static constexpr Field<std::uint64_t, 32> Attributes{};
    static constexpr std::size_t Name = 40;  // 36 WCHARs, NUL-padded, not always ended
    static constexpr std::size_t kNameChars = 36;
};
HB_LAID(PARTITION_INFORMATION_GPT, HB_F(PARTITION_INFORMATION_GPT, Attributes));
static_assert(PARTITION_INFORMATION_EX::Union + PARTITION_INFORMATION_GPT::kSize ==
              PARTITION_INFORMATION_EX::kSize);
// With room for one entry, as declared; the entries follow from PartitionEntry.
struct DRIVE_LAYOUT_INFORMATION_EX {
    static constexpr std::size_t kSize = 192;
    static constexpr Field<std::uint32_t, 0> PartitionStyle{};
    static constexpr Field<std::uint32_t, 4> PartitionCount{};
    static constexpr std::size_t Union = 8;
    static constexpr std::size_t PartitionEntry = 48;  // PARTITION_INFORMATION_EX entries
};
HB_LAID(DRIVE_LAYOUT_INFORMATION_EX, HB_F(DRIVE_LAYOUT_INFORMATION_EX, PartitionStyle),
        HB_F(DRIVE_LAYOUT_INFORMATION_EX, PartitionCount));
struct DRIVE_LAYOUT_INFORMATION_MBR {
    static constexpr std::size_t kSize = 4;
    static constexpr Field<std::uint32_t, 0> Signature{};
};
HB_LAID(DRIVE_LAYOUT_INFORMATION_MBR, HB_F(DRIVE_LAYOUT_INFORMATION_MBR, Signature));
struct DRIVE_LAYOUT_INFORMATION_GPT {
    static constexpr std::size_t kSize = 40;
    static constexpr std::size_t DiskId = 0;  // GUID
    static constexpr Field<std::int64_t, 16> StartingUsableOffset{};
    static constexpr Field<std::int64_t, 24> UsableLength{};
    static constexpr Field<std::uint32_t, 32> MaxPartitionCount{};
};
HB_LAID(DRIVE_LAYOUT_INFORMATION_GPT, HB_F(DRIVE_LAYOUT_INFORMATION_GPT, StartingUsableOffset),
        HB_F(DRIVE_LAYOUT_INFORMATION_GPT, UsableLength),
        HB_F(DRIVE_LAYOUT_INFORMATION_GPT, MaxPartitionCount));
static_assert(DRIVE_LAYOUT_INFORMATION_EX::Union + DRIVE_LAYOUT_INFORMATION_GPT::kSize ==
              DRIVE_LAYOUT_INFORMATION_EX::PartitionEntry);
struct NTFS_VOLUME_DATA_BUFFER {
    static constexpr std::size_t kSize = 96;
    static constexpr Field<std::int64_t, 0> VolumeSerialNumber{};
    static constexpr Field<std::int64_t, 8> NumberSectors{};
    static constexpr Field<std::int64_t, 16> TotalClusters{};
    static constexpr Field<std::int64_t, 24> FreeClusters{};
    static constexpr Field<std::int64_t, 32> TotalReserved{};
    static constexpr Field<std::uint32_t, 40> BytesPerSector{};
    static constexpr Field<std::uint32_t, 44> BytesPerCluster{};
    static constexpr Field<std::uint32_t, 48> BytesPerFileRecordSegment{};
    static constexpr Field<std::uint32_t, 52> ClustersPerFileRecordSegment{};
    static constexpr Field<std::int64_t, 56> MftValidDataLength{};
    static constexpr Field<std::int64_t, 64> MftStartLcn{};
    static constexpr Field<std::int64_t, 72> Mft2StartLcn{};
    static constexpr Field<std::int64_t, 80> MftZoneStart{};
    static constexpr Field<std::int64_t, 88> MftZoneEnd{};
};
HB_LAID(NTFS_VOLUME_DATA_BUFFER, HB_F(NTFS_VOLUME_DATA_BUFFER, VolumeSerialNumber),
        HB_F(NTFS_VOLUME_DATA_BUFFER, NumberSectors), HB_F(NTFS_VOLUME_DATA_BUFFER, TotalClusters),
        HB_F(NTFS_VOLUME_DATA_BUFFER, FreeClusters), HB_F(NTFS_VOLUME_DATA_BUFFER, TotalReserved),
        HB_F(NTFS_VOLUME_DATA_BUFFER, BytesPerSector),
        HB_F(NTFS_VOLUME_DATA_BUFFER, BytesPerCluster),
        HB_F(NTFS_VOLUME_DATA_BUFFER, BytesPerFileRecordSegment),
        HB_F(NTFS_VOLUME_DATA_BUFFER, ClustersPerFileRecordSegment),
        HB_F(NTFS_VOLUME_DATA_BUFFER, MftValidDataLength),
        HB_F(NTFS_VOLUME_DATA_BUFFER, MftStartLcn), HB_F(NTFS_VOLUME_DATA_BUFFER, Mft2StartLcn),
        HB_F(NTFS_VOLUME_DATA_BUFFER, MftZoneStart), HB_F(NTFS_VOLUME_DATA_BUFFER, MftZoneEnd));
// What follows DISK_GEOMETRY_EX's fixed part, each led by its own size.
struct DISK_PARTITION_INFO {
    static constexpr std::size_t kSize = 24;
    static constexpr Field<std::uint32_t, 0> SizeOfPartitionInfo{};
    static constexpr Field<std::uint32_t, 4> PartitionStyle{};
    static constexpr Field<std::uint32_t, 8> Signature{};  // MBR
    static constexpr std::size_t DiskId = 8;                // GPT: a GUID
};
HB_LAID(DISK_PARTITION_INFO, HB_F(DISK_PARTITION_INFO, SizeOfPartitionInfo),
        HB_F(DISK_PARTITION_INFO, PartitionStyle), HB_F(DISK_PARTITION_INFO, Signature));
struct DISK_DETECTION_INFO {
    static constexpr std::size_t kSize = 56;
    static constexpr Field<std::uint32_t, 0> SizeOfDetectInfo{};
    static constexpr Field<std::uint32_t, 4> DetectionType{};  // 0 none, 1 INT13, 2 extended
};
HB_LAID(DISK_DETECTION_INFO, HB_F(DISK_DETECTION_INFO, SizeOfDetectInfo),
        HB_F(DISK_DETECTION_INFO, DetectionType));
#undef HB_LAID
#undef HB_F

// A field of a structure that lies at Base within another (a nested structure, an entry).
template <std::size_t Base, typename T, std::size_t O>
constexpr Field<T, Base + O> Inside(Field<T, O>) {
    return {};
}

// The offset of a field, typed or plain, for the header checks and for nested structures.
constexpr std::size_t OffsetOf(std::size_t offset) {
    return offset;
}
template <typename T, std::size_t O>
constexpr std::size_t OffsetOf(Field<T, O>) {
    return O;
}
// Whether a field's width is the member's, where the field has a type.
constexpr bool WidthIs(std::size_t, std::size_t) {
    return true;
}
template <typename T, std::size_t O>
constexpr bool WidthIs(Field<T, O>, std::size_t bytes) {
    return sizeof(T) == bytes;
}

// Little-endian access by offset. GetAt reads only bytes that lie inside `bytes` (callers pass the
// part of the buffer that the answer really filled); every byte beyond it reads as 0, so a short,
// odd or lying answer can never make a read leave the buffer.
template <typename T>
T GetAt(std::span<const std::uint8_t> bytes, std::size_t offset) {
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
void PutAt(std::span<std::uint8_t> bytes, std::size_t offset, T value) {
    static_assert(std::is_integral_v<T>);
    if (offset > bytes.size() || bytes.size() - offset < sizeof(T)) return;
    using U = std::make_unsigned_t<T>;
    const U v = static_cast<U>(value);
    for (std::size_t i = 0; i < sizeof(T); ++i)
        bytes[offset + i] = static_cast<std::uint8_t>(v >> (8 * i));
}

// A field as its own type; `base` is where its structure starts (an entry of an array, a
// structure nested in another).
template <typename T, std::size_t O>
T Get(std::span<const std::uint8_t> bytes, Field<T, O>, std::size_t base = 0) {
    return GetAt<T>(bytes, base + O);
}
// The same field's bits as signed, for numbers shown with a sign.
template <typename T, std::size_t O>
std::make_signed_t<T> GetSigned(std::span<const std::uint8_t> bytes, Field<T, O>,
                                std::size_t base = 0) {
    return GetAt<std::make_signed_t<T>>(bytes, base + O);
}
template <typename T, std::size_t O>
void Put(std::span<std::uint8_t> bytes, Field<T, O>, std::type_identity_t<T> value,
         std::size_t base = 0) {
    PutAt<T>(bytes, base + O, value);
}

}  // namespace sys::ioctl
