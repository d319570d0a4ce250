// The request buttons: volume and storage controls, geometry and length, storage identity.
// Each row's formatter builds its whole success line; the runner adds nothing to it.
#include "devctl/Requests.h"

#include <stdexcept>
#include <string>
#include <string_view>

#include "io/Numbers.h"

namespace devctl {

namespace L = sys::ioctl;
constexpr sys::Effect Reads = sys::Effect::Reads, Changes = sys::Effect::Changes;

namespace {

// Signed decimal of a 32- or 64-bit value, as every field of these lines is shown.
std::string D(std::int64_t v) {
    return std::to_string(v);
}
std::string Res(const Reply& r) {
    return D(r.res);
}
// The count travels as a DWORD but is shown as the signed 32-bit number it is.
std::string Ret(const Reply& r) {
    return D(static_cast<std::int32_t>(r.bytesReturned));
}

// DISK_GEOMETRY at `at`: the fields of both geometry lines, and their product.
struct Geometry {
    std::int64_t cylinders;
    std::int32_t mediaType, tracksPerCylinder, sectorsPerTrack, bytesPerSector;
    Geometry(const Reply& r, std::size_t at)
        : cylinders(r.Signed(L::DISK_GEOMETRY::Cylinders, at)),
          mediaType(r.Signed(L::DISK_GEOMETRY::MediaType, at)),
          tracksPerCylinder(r.Signed(L::DISK_GEOMETRY::TracksPerCylinder, at)),
          sectorsPerTrack(r.Signed(L::DISK_GEOMETRY::SectorsPerTrack, at)),
          bytesPerSector(r.Signed(L::DISK_GEOMETRY::BytesPerSector, at)) {}
    std::string size() const {
        return Product(cylinders, tracksPerCylinder, sectorsPerTrack, bytesPerSector);
    }
};

void QueryStandardDeviceProperty(std::span<std::uint8_t>) {
    // PropertyId 0 (StorageDeviceProperty), QueryType 0 (PropertyStandardQuery): all zero.
}
void VersionIsItsSize(std::span<std::uint8_t> out) {
    L::Put(out, L::GET_DISK_ATTRIBUTES::Version, L::GET_DISK_ATTRIBUTES::kSize);
}
void DescriptorHeadOnly(std::span<std::uint8_t> out) {
    L::Put(out, L::STORAGE_DEVICE_DESCRIPTOR::Size, L::STORAGE_DEVICE_DESCRIPTOR::kSize);
}

constexpr std::uint32_t kGeometryExBuffer = 0x124;   // the fixed part and 260 bytes of Data
constexpr std::uint32_t kPropertyQueryBuffer = 268;  // the query and 260 parameter bytes
constexpr std::uint32_t kExtentsBuffer = 8 + 101 * 24;

static_assert(kGeometryExBuffer <= kMaxOutSize && kExtentsBuffer <= kMaxOutSize);
static_assert(kPropertyQueryBuffer <= kMaxInSize);

// clang-format off
constexpr Request kRequests[] = {
    // Volume and storage controls without input.
    {"cmdCheckVerify", -1, Reads, L::IOCTL_STORAGE_CHECK_VERIFY, "CheckVerify res=0  Err=",
     [](const Reply& r) {
         return "CheckVerify res=" + Res(r) + " dwBytesRet=" + Ret(r) + "  MediaChangeCount=" +
                D(r.I32At(0));
     }, 0, nullptr, 4},
    {"cmdCheckVerify2", -1, Reads, L::IOCTL_STORAGE_CHECK_VERIFY2, "CheckVerify2 res=0  Err=",
     [](const Reply& r) {
         return "CheckVerify2 res=" + Res(r) + " dwBytesRet=" + Ret(r) + "  MediaChangeCount=" +
                D(r.I32At(0));
     }, 0, nullptr, 4},
    {"cmdDiskIsWritable", -1, Reads, L::IOCTL_DISK_IS_WRITABLE, "DiskIsWritable res=0  Err=",
     [](const Reply& r) { return "DiskIsWritable res=" + Res(r) + " dwBytesRet=" + Ret(r); }},
    {"cmdDismount", -1, Changes, L::FSCTL_DISMOUNT_VOLUME, "Dismount res=0  Err=",
     [](const Reply& r) { return "Dismount res=" + Res(r) + " dwBytesRet=" + Ret(r); }},
    {"cmdEject", -1, Changes, L::IOCTL_STORAGE_EJECT_MEDIA, "Eject res=0  Err=",
     [](const Reply& r) { return "Eject res=" + Res(r) + " dwBytesRet=" + Ret(r); }},
    {"cmdIsDirty", -1, Reads, L::FSCTL_IS_VOLUME_DIRTY, "IsDirty res=0  Err=",
     [](const Reply& r) {
         return "IsDirty res=" + Res(r) + " dwBytesRet=" + Ret(r) + "  dirty=" + D(r.I32At(0));
     }, 0, nullptr, 4},
    {"cmdIsMounted", -1, Reads, L::FSCTL_IS_VOLUME_MOUNTED, "IsMounted res=0  Err=",
     [](const Reply& r) { return "IsMounted res=" + Res(r) + " dwBytesRet=" + Ret(r); }},
    // Success is any non-zero result, yet the line always says 1.
    {"cmdLoadMedia", -1, Changes, L::IOCTL_STORAGE_LOAD_MEDIA, "LoadMedia res=0  Err=",
     [](const Reply& r) { return "LoadMedia res=1 dwBytesRet=" + Ret(r); }},
    {"cmdLock", 0, Changes, L::FSCTL_LOCK_VOLUME, "Lock res=0  Err=",
     [](const Reply& r) { return "Lock res=1 dwBytesRet=" + Ret(r); },
     0, nullptr, 0, nullptr, true, true},
    {"cmdLock", 1, Reads, L::FSCTL_UNLOCK_VOLUME, "Unlock res=0  Err=",
     [](const Reply& r) { return "Unlock res=1 dwBytesRet=" + Ret(r); },
     0, nullptr, 0, nullptr, true, true},
    {"cmdOnOffline", 0, Changes, L::IOCTL_VOLUME_ONLINE, "Online res=0  Err=",
     [](const Reply& r) { return "Online res=1 dwBytesRet=" + Ret(r); }},
    {"cmdOnOffline", 1, Changes, L::IOCTL_VOLUME_OFFLINE, "Offline res=0  Err=",
     [](const Reply& r) { return "Offline res=1 dwBytesRet=" + Ret(r); }},
    {"cmdMarkDirty", -1, Changes, L::FSCTL_MARK_VOLUME_DIRTY, "MarkDirty res=0  Err=",
     [](const Reply& r) { return "MarkDirty res=" + Res(r) + " dwBytesRet=" + Ret(r); }},

    // Geometry and length.
    {"cmdGetDiskGeo", -1, Reads, L::IOCTL_DISK_GET_DRIVE_GEOMETRY, "GetDiskGeo res=0  Err=",
     [](const Reply& r) {
         const Geometry g(r, 0);
         return "res=" + Res(r) + " Cy=" + D(g.cylinders) + " TrPerCy=" + D(g.tracksPerCylinder) +
                " SecPerTr=" + D(g.sectorsPerTrack) + " BytesPerSec=" + D(g.bytesPerSector) +
                " MType=" + D(g.mediaType) + " -> Size=" + g.size() + " Bytes";
     }, 0, nullptr, L::DISK_GEOMETRY::kSize},
    {"cmdGetDiskGeoEx", -1, Reads, L::IOCTL_DISK_GET_DRIVE_GEOMETRY_EX, "GetDiskGeoEx res=0  Err=",
     [](const Reply& r) {
         const Geometry g(r, L::DISK_GEOMETRY_EX::Geometry);
         return "res=" + Res(r) + " Cy=" + D(g.cylinders) + " TrPerCy=" + D(g.tracksPerCylinder) +
                " SecPerTr=" + D(g.sectorsPerTrack) + " ByPerSec=" + D(g.bytesPerSector) +
                " MType=" + D(g.mediaType) + " -> Size=" + g.size() + " Bytes" + " DiskSize=" +
                D(r.Signed(L::DISK_GEOMETRY_EX::DiskSize)) + " Bytes";
     }, 0, nullptr, kGeometryExBuffer},
    {"cmdGetDiskLength", -1, Reads, L::IOCTL_DISK_GET_LENGTH_INFO, "GetDiskLength res=0  Err=",
     [](const Reply& r) {
         return "res=" + Res(r) + " dwBytesRet=" + Ret(r) + "  DiskLength=" +
                D(r.Signed(L::GET_LENGTH_INFORMATION::Length)) + " Bytes";
     }, 0, nullptr, L::GET_LENGTH_INFORMATION::kSize},
    {"cmdStorageReadCap", -1, Reads, L::IOCTL_STORAGE_READ_CAPACITY, "GetSRC res=0  Err=",
     [](const Reply& r) {
         using C = L::STORAGE_READ_CAPACITY;
         const std::int32_t blockLength = r.Signed(C::BlockLength);
         const std::int64_t blocks = r.Signed(C::NumberOfBlocks);
         return "res=" + Res(r) + "  dwBytesRet=" + Ret(r) + "  BlockLen=" + D(blockLength) +
                " Bytes" + "  NumOfBlocks=" + D(blocks) + "  -> Size=" +
                Product(blockLength, blocks) + " Bytes" + "  DiskLength=" +
                D(r.Signed(C::DiskLength)) + " Bytes";
     }, 0, nullptr, L::STORAGE_READ_CAPACITY::kSize},

    // Storage identity.
    {"cmdGetDevNum", -1, Reads, L::IOCTL_STORAGE_GET_DEVICE_NUMBER, "GetDevNum res=0  Err=",
     [](const Reply& r) {
         using N = L::STORAGE_DEVICE_NUMBER;
         return "res=" + Res(r) + " dwBytesRet=" + Ret(r) + "  DevNum=" +
                D(r.Signed(N::DeviceNumber)) + " PartNum=" + D(r.Signed(N::PartitionNumber));
     }, 0, nullptr, L::STORAGE_DEVICE_NUMBER::kSize},
    {"cmdStorageProps0", -1, Reads, L::IOCTL_STORAGE_QUERY_PROPERTY, "StorageProps0 res=0  Err=",
     [](const Reply& r) {
         using S = L::STORAGE_DEVICE_DESCRIPTOR;
         const std::int32_t busType = r.Signed(S::BusType);
         return "StorageProps0 res=" + Res(r) + " dwBytesRet=" + Ret(r) + "  RemovableMedia=" +
                std::to_string(unsigned{r.Value(S::RemovableMedia)}) + "  BusType=" + D(busType) +
                " (" + BusTypeName(busType) + ")";
     }, kPropertyQueryBuffer, QueryStandardDeviceProperty, L::STORAGE_DEVICE_DESCRIPTOR::kSize,
     DescriptorHeadOnly},
    {"cmdGetDiskExtents", -1, Reads, L::IOCTL_VOLUME_GET_VOLUME_DISK_EXTENTS, "GetDiskExtents res=0  Err=",
     [](const Reply& r) {
         const std::int32_t count = r.Signed(L::VOLUME_DISK_EXTENTS::NumberOfDiskExtents);
         std::string line = "res=" + Res(r) + " dwBytesRet=" + Ret(r) + "  NumOfExtents=" + D(count);
         // Only the first extent is shown, however many there are.
         if (count >= 1) {
             constexpr std::size_t e = L::VOLUME_DISK_EXTENTS::Extents;
             line += " ext0.dn=" + D(r.Signed(L::DISK_EXTENT::DiskNumber, e)) +
                     " ext0.st=" + D(r.Signed(L::DISK_EXTENT::StartingOffset, e)) +
                     " ext0.len=" + D(r.Signed(L::DISK_EXTENT::ExtentLength, e));
         }
         return line;
     }, 0, nullptr, kExtentsBuffer},

    // Disk and GPT attributes; the changes that follow their dialogs are below.
    {"cmdGetDiskAttributes", -1, Reads, L::IOCTL_DISK_GET_DISK_ATTRIBUTES, "GetDiskAttributes res=0  Err=",
     [](const Reply& r) {
         // Only the low 32 bits are shown.
         const auto low = static_cast<std::int32_t>(r.Value(L::GET_DISK_ATTRIBUTES::Attributes));
         return "GetDiskAttributes res=" + Res(r) + " dwBytesRet=" + Ret(r) + "  Attr=0x" +
                io::HexPad(low, 0);
     }, 0, nullptr, L::GET_DISK_ATTRIBUTES::kSize, VersionIsItsSize},
    {"cmdVolGetGptAttr", -1, Reads, L::IOCTL_VOLUME_GET_GPT_ATTRIBUTES, "GetGptAttr res=0  Err=",
     [](const Reply& r) {
         const auto word = static_cast<std::int64_t>(
             r.Value(L::VOLUME_GET_GPT_ATTRIBUTES_INFORMATION::GptAttributes));
         return "res=" + Res(r) + "  attr=0x" + io::Hex64(word, 16);
     }, 0, nullptr, L::VOLUME_GET_GPT_ATTRIBUTES_INFORMATION::kSize},
};
// clang-format on

constexpr bool BuffersFit() {
    for (const Request& r : kRequests)
        if (r.outSize > kMaxOutSize || r.inSize > kMaxInSize) return false;
    return true;
}
static_assert(BuffersFit(), "the runner's buffers hold every request");

}  // namespace

std::span<const Request> Requests() {
    return kRequests;
}

const Request kSetDiskAttributes = {
    "cmdSetDiskAttributes",
    -1,
    Changes,
    L::IOCTL_DISK_SET_DISK_ATTRIBUTES,
    "SetDiskAttributes res=0  Err=",
    [](const Reply& r) { return "SetDiskAttributes res=" + Res(r); },
    L::SET_DISK_ATTRIBUTES::kSize};

const Request kSetGptAttributes = {"cmdVolSetGptAttr",
                                   -1,
                                   Changes,
                                   L::IOCTL_VOLUME_SET_GPT_ATTRIBUTES,
                                   "SetGptAttr res=0  Err=",
                                   [](const Reply& r) { return "res=" + Res(r); },
                                   L::VOLUME_SET_GPT_ATTRIBUTES_INFORMATION::kSize};

namespace {
const Request& RowOf(const char* button) {
    for (const Request& r : kRequests)
        if (std::string_view(r.button) == button) return r;
    throw std::logic_error(std::string("no request row for ") + button);
}
}  // namespace

const Request& GetGptAttributesRow() {
    static const Request& row = RowOf("cmdVolGetGptAttr");
    return row;
}

std::string BusTypeName(const std::int32_t& busType) {
    static const char* const kNames[] = {
        "Unknown", "SCSI",  "ATAPI", "ATA",  "1394", "SSA", "FIBRE",   "USB",
        "RAID",    "iSCSI", "SAS",   "SATA", "SD",   "MMC", "Virtual", "FileBackedVirtual",
        "Spaces",  "NVMe",  "SCM"};
    const auto index = static_cast<std::uint32_t>(busType);
    if (index < std::size(kNames)) return kNames[index];
    return std::to_string(busType);
}

std::string Product(std::int64_t a, std::int64_t b) {
    std::int64_t p = 0;
    return io::MulExact(a, b, p) ? std::to_string(p) : "overflow";
}

std::string Product(std::int64_t a, std::int64_t b, std::int64_t c, std::int64_t d) {
    std::int64_t p = 0;
    if (io::MulExact(a, b, p) && io::MulExact(p, c, p) && io::MulExact(p, d, p))
        return std::to_string(p);
    return "overflow";
}

}  // namespace devctl
