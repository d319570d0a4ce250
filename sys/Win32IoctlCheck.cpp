// The portable request layouts checked against the Windows headers at compile time: every
// control code, every structure size and every field offset. Nothing here runs.
//
// sys/Ioctl.h comes first: <winioctl.h> turns the code names into macros, after which ours can
// no longer be spelled, so their values are captured under other names before it.
#include "sys/Ioctl.h"

#include <cstddef>

// clang-format off
#define HB_CODES(X)                                                                              \
    X(IOCTL_DISK_GET_DRIVE_GEOMETRY) X(IOCTL_DISK_IS_WRITABLE) X(IOCTL_DISK_GET_LENGTH_INFO)     \
    X(IOCTL_DISK_GET_DRIVE_GEOMETRY_EX) X(FSCTL_LOCK_VOLUME) X(FSCTL_UNLOCK_VOLUME)              \
    X(FSCTL_DISMOUNT_VOLUME) X(FSCTL_IS_VOLUME_MOUNTED) X(FSCTL_MARK_VOLUME_DIRTY)               \
    X(FSCTL_IS_VOLUME_DIRTY) X(IOCTL_STORAGE_CHECK_VERIFY2) X(IOCTL_STORAGE_GET_DEVICE_NUMBER)   \
    X(IOCTL_STORAGE_QUERY_PROPERTY) X(IOCTL_STORAGE_CHECK_VERIFY) X(IOCTL_STORAGE_EJECT_MEDIA)   \
    X(IOCTL_STORAGE_LOAD_MEDIA) X(IOCTL_STORAGE_READ_CAPACITY)                                   \
    X(IOCTL_VOLUME_GET_VOLUME_DISK_EXTENTS) X(IOCTL_VOLUME_ONLINE) X(IOCTL_VOLUME_OFFLINE)       \
    X(IOCTL_VOLUME_GET_GPT_ATTRIBUTES)
// Not declared by every SDK (mingw-w64 lacks them): checked where the headers have them.
#define HB_OPTIONAL_CODES(X) X(IOCTL_DISK_GET_DISK_ATTRIBUTES) X(IOCTL_DISK_SET_DISK_ATTRIBUTES)
// clang-format on

namespace hb_captured_ioctl {
#define HB_CAPTURE(name) constexpr std::uint32_t name##_ = sys::ioctl::name;
HB_CODES(HB_CAPTURE)
HB_OPTIONAL_CODES(HB_CAPTURE)
}  // namespace hb_captured_ioctl

#include <windows.h>
#include <winioctl.h>

#define HB_CHECK_CODE(name) static_assert(hb_captured_ioctl::name##_ == (name), #name);
HB_CODES(HB_CHECK_CODE)
#ifdef IOCTL_DISK_GET_DISK_ATTRIBUTES
HB_OPTIONAL_CODES(HB_CHECK_CODE)
#endif

namespace {

namespace L = sys::ioctl;

#define HB_SIZE(T) static_assert(sizeof(::T) == L::T::kSize, #T);
// The offset, and for a typed field its width too.
#define HB_FIELD(T, F)                                                                             \
    static_assert(offsetof(::T, F) == L::OffsetOf(L::T::F) && L::WidthIs(L::T::F, sizeof(::T::F)), \
                  #T "." #F);

HB_SIZE(DISK_GEOMETRY)
HB_FIELD(DISK_GEOMETRY, Cylinders)
HB_FIELD(DISK_GEOMETRY, MediaType)
HB_FIELD(DISK_GEOMETRY, TracksPerCylinder)
HB_FIELD(DISK_GEOMETRY, SectorsPerTrack)
HB_FIELD(DISK_GEOMETRY, BytesPerSector)

// Declared with a one-byte Data array: the fixed part ends where Data begins.
static_assert(offsetof(::DISK_GEOMETRY_EX, Data) == L::DISK_GEOMETRY_EX::kSize);
HB_FIELD(DISK_GEOMETRY_EX, Geometry)
HB_FIELD(DISK_GEOMETRY_EX, DiskSize)
HB_FIELD(DISK_GEOMETRY_EX, Data)

HB_SIZE(GET_LENGTH_INFORMATION)
HB_FIELD(GET_LENGTH_INFORMATION, Length)

HB_SIZE(STORAGE_READ_CAPACITY)
HB_FIELD(STORAGE_READ_CAPACITY, Version)
HB_FIELD(STORAGE_READ_CAPACITY, Size)
HB_FIELD(STORAGE_READ_CAPACITY, BlockLength)
HB_FIELD(STORAGE_READ_CAPACITY, NumberOfBlocks)
HB_FIELD(STORAGE_READ_CAPACITY, DiskLength)

HB_SIZE(STORAGE_DEVICE_NUMBER)
HB_FIELD(STORAGE_DEVICE_NUMBER, DeviceType)
HB_FIELD(STORAGE_DEVICE_NUMBER, DeviceNumber)
HB_FIELD(STORAGE_DEVICE_NUMBER, PartitionNumber)

HB_SIZE(STORAGE_PROPERTY_QUERY)
HB_FIELD(STORAGE_PROPERTY_QUERY, PropertyId)
HB_FIELD(STORAGE_PROPERTY_QUERY, QueryType)
HB_FIELD(STORAGE_PROPERTY_QUERY, AdditionalParameters)
static_assert(sizeof(::STORAGE_PROPERTY_ID) == 4 && sizeof(::STORAGE_QUERY_TYPE) == 4);

HB_SIZE(STORAGE_DEVICE_DESCRIPTOR)
HB_FIELD(STORAGE_DEVICE_DESCRIPTOR, Version)
HB_FIELD(STORAGE_DEVICE_DESCRIPTOR, Size)
HB_FIELD(STORAGE_DEVICE_DESCRIPTOR, DeviceType)
HB_FIELD(STORAGE_DEVICE_DESCRIPTOR, DeviceTypeModifier)
HB_FIELD(STORAGE_DEVICE_DESCRIPTOR, RemovableMedia)
HB_FIELD(STORAGE_DEVICE_DESCRIPTOR, CommandQueueing)
HB_FIELD(STORAGE_DEVICE_DESCRIPTOR, VendorIdOffset)
HB_FIELD(STORAGE_DEVICE_DESCRIPTOR, ProductIdOffset)
HB_FIELD(STORAGE_DEVICE_DESCRIPTOR, ProductRevisionOffset)
HB_FIELD(STORAGE_DEVICE_DESCRIPTOR, SerialNumberOffset)
HB_FIELD(STORAGE_DEVICE_DESCRIPTOR, BusType)
HB_FIELD(STORAGE_DEVICE_DESCRIPTOR, RawPropertiesLength)
HB_FIELD(STORAGE_DEVICE_DESCRIPTOR, RawDeviceProperties)
static_assert(sizeof(::STORAGE_BUS_TYPE) == 4);

HB_SIZE(DISK_EXTENT)
HB_FIELD(DISK_EXTENT, DiskNumber)
HB_FIELD(DISK_EXTENT, StartingOffset)
HB_FIELD(DISK_EXTENT, ExtentLength)

HB_SIZE(VOLUME_DISK_EXTENTS)
HB_FIELD(VOLUME_DISK_EXTENTS, NumberOfDiskExtents)
HB_FIELD(VOLUME_DISK_EXTENTS, Extents)

HB_SIZE(VOLUME_GET_GPT_ATTRIBUTES_INFORMATION)
HB_FIELD(VOLUME_GET_GPT_ATTRIBUTES_INFORMATION, GptAttributes)

#ifdef IOCTL_DISK_GET_DISK_ATTRIBUTES
HB_SIZE(GET_DISK_ATTRIBUTES)
HB_FIELD(GET_DISK_ATTRIBUTES, Version)
HB_FIELD(GET_DISK_ATTRIBUTES, Reserved1)
HB_FIELD(GET_DISK_ATTRIBUTES, Attributes)
HB_SIZE(SET_DISK_ATTRIBUTES)
HB_FIELD(SET_DISK_ATTRIBUTES, Version)
HB_FIELD(SET_DISK_ATTRIBUTES, Persist)
HB_FIELD(SET_DISK_ATTRIBUTES, Reserved1)
HB_FIELD(SET_DISK_ATTRIBUTES, Attributes)
HB_FIELD(SET_DISK_ATTRIBUTES, AttributesMask)
HB_FIELD(SET_DISK_ATTRIBUTES, Reserved2)
#endif

}  // namespace
