// The simulated machine's device controls: one handler per control code, found through one
// table. A new control is a handler and a row. Layouts come from sys/Ioctl.h, the same
// definitions the bench decodes with.
#include <algorithm>
#include <string_view>

#include "sys/Ioctl.h"
#include "sys/SimState.h"

namespace sys::sim {
namespace {

namespace L = sys::ioctl;

constexpr DWORD kFileDeviceDisk = 7;          // FILE_DEVICE_DISK
constexpr DWORD kVolumeIsDirty = 1;           // VOLUME_IS_DIRTY
constexpr std::uint64_t kDiskReadOnly = 0x2;  // DISK_ATTRIBUTE_READ_ONLY

// What a storage request acts on: the disk itself, or the disk under a volume.
struct DiskTarget {
    DWORD error = err::SUCCESS;
    Device* disk = nullptr;
    Volume* volume = nullptr;  // set when the handle is a volume's
};

DiskTarget diskTarget(ControlCall& c) {
    DiskTarget t;
    if (c.open.kind == Open::Kind::Volume) {
        t.volume = c.s.volume(c.open.drive);
        t.disk = c.s.diskOf(*t.volume);
    } else if (c.open.kind == Open::Kind::Device) {
        Device& d = c.s.devices.at(c.open.device);
        if (d.type == Device::Type::Disk) t.disk = &d;
    }
    // A plain file, a character device or a pipe: the request is not for them (Wine answers
    // 50 for a plain file).
    if (!t.disk) t.error = err::INVALID_FUNCTION;
    return t;
}

// The volume that holds a removable disk's medium (its one volume), or nullptr.
Volume* mediumOf(State& s, const DiskTarget& t) {
    if (t.volume) return t.volume;
    for (auto& [letter, v] : s.volumes)
        if (s.diskOf(v) == t.disk) return &v;
    return nullptr;
}

// A removable disk without its medium answers nothing about the medium.
DiskTarget mediumTarget(ControlCall& c) {
    DiskTarget t = diskTarget(c);
    if (t.error || !t.disk->removable) return t;
    const Volume* v = mediumOf(c.s, t);
    if (v && !v->hasMedia) t.error = err::NOT_READY;
    return t;
}

// Ejects or loads the medium of a removable disk; each change is counted.
DWORD changeMedium(ControlCall& c, bool present) {
    DiskTarget t = diskTarget(c);
    if (t.error) return t.error;
    // A fixed disk has no medium to move.
    if (!t.disk->removable) return err::INVALID_FUNCTION;
    Volume* v = mediumOf(c.s, t);
    if (v && v->hasMedia != present) {
        v->hasMedia = present;
        ++t.disk->mediaChanges;
    }
    return err::SUCCESS;
}

// True when the open is of the volume itself or of a file on it.
bool onVolume(const State& s, const Open& o, char letter) {
    if (o.kind == Open::Kind::Volume) return o.drive == letter;
    if (o.kind != Open::Kind::File) return false;
    const Node* n = o.node.get();
    while (n->parent) n = n->parent;
    auto v = s.volumes.find(letter);
    return v != s.volumes.end() && v->second.root.get() == n;
}

// What a file-system request acts on: the volume of a volume handle. A disk has no file
// system (1); a plain file's handle reaches the file system, which refuses volume requests
// through it (87).
DWORD volumeTarget(ControlCall& c, Volume*& v) {
    if (c.open.kind == Open::Kind::Volume) {
        v = c.s.volume(c.open.drive);
        return err::SUCCESS;
    }
    return c.open.kind == Open::Kind::File ? err::INVALID_PARAMETER : err::INVALID_FUNCTION;
}

std::span<std::uint8_t> outBytes(ControlCall& c) {
    return {static_cast<std::uint8_t*>(c.out), c.out ? c.outSize : 0};
}

// A fixed-size answer: refused whole when the buffer is smaller, as the class drivers do (Wine
// cuts it short and succeeds).
DWORD needOut(ControlCall& c, std::size_t size) {
    return c.outSize < size || !c.out ? err::INSUFFICIENT_BUFFER : err::SUCCESS;
}

// --- Partitioning -------------------------------------------------------------------------

constexpr DWORD kStyleMbr = 0, kStyleGpt = 1, kStyleRaw = 2;

// The volumes on a disk, by partition number.
std::vector<const Volume*> VolumesOn(State& s, const Device* disk) {
    std::vector<const Volume*> volumes;
    for (const auto& [letter, v] : s.volumes)
        if (s.diskOf(v) == disk) volumes.push_back(&v);
    std::sort(volumes.begin(), volumes.end(), [](const Volume* a, const Volume* b) {
        return a->partitionNumber < b->partitionNumber;
    });
    return volumes;
}

// One style for every request about the disk: its own table's, else its first volume's; raw
// without either.
DWORD StyleOf(State& s, const Device& disk) {
    if (disk.ownTable) return disk.tableGpt ? kStyleGpt : kStyleMbr;
    const auto volumes = VolumesOn(s, &disk);
    return volumes.empty() ? kStyleRaw : volumes.front()->gpt ? kStyleGpt : kStyleMbr;
}

DWORD MbrSignature(const Device& disk) {
    return 0x48420000 + disk.deviceNumber;
}

// --- Geometry and length --------------------------------------------------------------------

void putGeometry(std::span<std::uint8_t> out, std::size_t at, const DiskGeometry& g) {
    L::Put(out, L::DISK_GEOMETRY::Cylinders, g.cylinders, at);
    L::Put(out, L::DISK_GEOMETRY::MediaType, g.mediaType, at);
    L::Put(out, L::DISK_GEOMETRY::TracksPerCylinder, g.tracksPerCylinder, at);
    L::Put(out, L::DISK_GEOMETRY::SectorsPerTrack, g.sectorsPerTrack, at);
    L::Put(out, L::DISK_GEOMETRY::BytesPerSector, g.bytesPerSector, at);
}

DWORD getDriveGeometry(ControlCall& c) {
    DiskTarget t = mediumTarget(c);
    if (t.error) return t.error;
    if (DWORD e = needOut(c, L::DISK_GEOMETRY::kSize)) return e;
    putGeometry(outBytes(c), 0, t.disk->geometry);
    c.returned = L::DISK_GEOMETRY::kSize;
    return err::SUCCESS;
}

DWORD getDriveGeometryEx(ControlCall& c) {
    DiskTarget t = mediumTarget(c);
    if (t.error) return t.error;
    if (DWORD e = needOut(c, L::DISK_GEOMETRY_EX::kSize)) return e;
    putGeometry(outBytes(c), L::DISK_GEOMETRY_EX::Geometry, t.disk->geometry);
    L::Put(outBytes(c), L::DISK_GEOMETRY_EX::DiskSize, t.disk->size);
    // Then DISK_PARTITION_INFO (24 bytes) and DISK_DETECTION_INFO (56), each led by its size
    // and returned only when it fits whole: the disk's partitioning, with an MBR's signature
    // (no GPT disk id), and no firmware detection data.
    constexpr std::size_t kPartition = L::DISK_GEOMETRY_EX::Data, kDetection = kPartition + 24,
                          kEnd = kDetection + 56;
    c.returned = DWORD(L::DISK_GEOMETRY_EX::kSize);
    if (c.outSize >= kDetection) {
        const DWORD style = StyleOf(c.s, *t.disk);
        L::PutAt<DWORD>(outBytes(c), kPartition, DWORD(kDetection - kPartition));
        L::PutAt<DWORD>(outBytes(c), kPartition + 4, style);
        if (style == kStyleMbr) L::PutAt<DWORD>(outBytes(c), kPartition + 8, MbrSignature(*t.disk));
        c.returned = DWORD(kDetection);
    }
    if (c.outSize >= kEnd) {
        L::PutAt<DWORD>(outBytes(c), kDetection, DWORD(kEnd - kDetection));
        c.returned = DWORD(kEnd);
    }
    return err::SUCCESS;
}

DWORD getLengthInfo(ControlCall& c) {
    DiskTarget t = mediumTarget(c);
    if (t.error) return t.error;
    if (DWORD e = needOut(c, L::GET_LENGTH_INFORMATION::kSize)) return e;
    // A volume's length is its partition's, not the disk's.
    const std::uint64_t length = t.volume ? t.volume->length : t.disk->size;
    L::Put(outBytes(c), L::GET_LENGTH_INFORMATION::Length, length);
    c.returned = L::GET_LENGTH_INFORMATION::kSize;
    return err::SUCCESS;
}

DWORD readCapacity(ControlCall& c) {
    DiskTarget t = mediumTarget(c);
    if (t.error) return t.error;
    using C = L::STORAGE_READ_CAPACITY;
    if (DWORD e = needOut(c, C::kSize)) return e;
    const DWORD block = t.disk->geometry.bytesPerSector;
    auto out = outBytes(c);
    L::Put(out, C::Version, C::kSize);
    L::Put(out, C::Size, C::kSize);
    L::Put(out, C::BlockLength, block);
    L::Put(out, C::NumberOfBlocks, block ? t.disk->size / block : 0);
    L::Put(out, C::DiskLength, t.disk->size);
    c.returned = C::kSize;
    return err::SUCCESS;
}

// --- Storage identity -----------------------------------------------------------------------

DWORD getDeviceNumber(ControlCall& c) {
    DiskTarget t = diskTarget(c);
    if (t.error) return t.error;
    // A volume on several disks has no one device number.
    if (t.volume && !t.volume->extraExtents.empty()) return err::INVALID_FUNCTION;
    using N = L::STORAGE_DEVICE_NUMBER;
    if (DWORD e = needOut(c, N::kSize)) return e;
    L::Put(outBytes(c), N::DeviceType, kFileDeviceDisk);
    L::Put(outBytes(c), N::DeviceNumber, t.disk->deviceNumber);
    // Partition 0 stands for the whole disk.
    L::Put(outBytes(c), N::PartitionNumber, t.volume ? t.volume->partitionNumber : 0);
    c.returned = N::kSize;
    return err::SUCCESS;
}

DWORD queryProperty(ControlCall& c) {
    DiskTarget t = diskTarget(c);
    if (t.error) return t.error;
    using Q = L::STORAGE_PROPERTY_QUERY;
    using D = L::STORAGE_DEVICE_DESCRIPTOR;
    if (!c.in || c.inSize < Q::AdditionalParameters) return err::INVALID_PARAMETER;
    const std::span<const std::uint8_t> in(static_cast<const std::uint8_t*>(c.in), c.inSize);
    // Only the device descriptor, and only its standard query, is modelled.
    if (L::Get(in, Q::PropertyId) != 0 || L::Get(in, Q::QueryType) != 0) return err::NOT_SUPPORTED;
    // At least the version and size must fit; the rest is cut to the buffer.
    if (c.outSize < 8 || !c.out) return err::INVALID_PARAMETER;
    // The head, then each text with its NUL; Size is the whole, cut to the buffer.
    std::vector<std::uint8_t> answer(D::kSize);
    auto text = [&](const std::string& s, auto offsetField) {
        if (s.empty()) return;
        L::Put(answer, offsetField, DWORD(answer.size()));
        answer.insert(answer.end(), s.begin(), s.end());
        answer.push_back(0);
    };
    text(t.disk->vendor, D::VendorIdOffset);
    text(t.disk->product, D::ProductIdOffset);
    text(t.disk->revision, D::ProductRevisionOffset);
    text(t.disk->serial, D::SerialNumberOffset);
    L::Put(answer, D::Version, D::kSize);
    L::Put(answer, D::Size, DWORD(answer.size()));
    // The SCSI peripheral type: 0, a direct-access device (Wine puts FILE_DEVICE_DISK here).
    L::Put(answer, D::DeviceType, 0);
    L::Put(answer, D::RemovableMedia, t.disk->removable ? 1 : 0);
    L::Put(answer, D::BusType, t.disk->busType);
    c.returned = std::min<DWORD>(c.outSize, DWORD(answer.size()));
    std::copy_n(answer.begin(), c.returned, outBytes(c).begin());
    return err::SUCCESS;
}

// --- Partitions -----------------------------------------------------------------------------

// One partition as PARTITION_INFORMATION_EX describes it.
struct Entry {
    std::uint64_t offset = 0, length = 0;
    DWORD number = 0;
    std::uint8_t mbrType = 0x07;  // IFS (NTFS)
    bool boot = false;
    std::uint32_t hiddenSectors = 0;  // before the partition: from the disk's start, or a logical
                                      // drive's from its extended boot record
    std::uint32_t id = 0;             // the first word of a GPT partition's id
    std::uint64_t gptAttributes = 0;
    std::string_view name = "Basic data partition";  // as Windows names a basic data partition
};

// A volume's partition; its GPT id follows the drive letter.
Entry EntryOf(const Volume& v) {
    Entry e{v.diskOffset, v.length, v.partitionNumber};
    e.boot = v.letter == 'C';
    e.hiddenSectors = DWORD(v.diskOffset / 512);
    e.id = std::uint32_t(v.letter);
    e.gptAttributes = v.gptAttributes;
    return e;
}

bool Container(std::uint8_t mbrType) {
    return mbrType == 0x05 || mbrType == 0x0F;  // extended, plain or INT13
}

// A disk's own table. An MBR lists logical drives in slots of four after the primary ones, each
// slot read from an extended boot record: the one the previous slot's container points to.
std::vector<Entry> EntriesOf(const Device& d) {
    std::vector<Entry> entries;
    std::uint64_t record = 0, nextRecord = 0;
    for (std::size_t i = 0; i < d.table.size(); ++i) {
        const SimMachine::Partition& p = d.table[i];
        if (i % 4 == 0) record = nextRecord;
        if (Container(p.mbrType)) nextRecord = p.offset;
        Entry e{p.offset, p.length, p.number, p.mbrType, p.boot};
        if (p.length) e.hiddenSectors = DWORD((p.offset - record) / 512);
        e.id = p.number;
        e.name = p.name;
        entries.push_back(e);
    }
    return entries;
}

// As the headers' IsRecognizedPartition: the FAT, IFS and INT13 types, plain or marked fault
// tolerant (0x80, 0x40 aside), and plain FAT16.
bool Recognized(std::uint8_t mbrType) {
    if (mbrType == 0x04) return true;
    const unsigned base = mbrType & 0x80 ? mbrType & ~0xC0u : mbrType;
    return base == 0x01 || base == 0x06 || base == 0x07 || base == 0x0B || base == 0x0C ||
           base == 0x0E;
}

void putPartition(std::span<std::uint8_t> out, std::size_t at, const Entry& e, DWORD style) {
    using P = L::PARTITION_INFORMATION_EX;
    L::Put(out, P::PartitionStyle, style, at);
    L::Put(out, P::StartingOffset, std::int64_t(e.offset), at);
    L::Put(out, P::PartitionLength, std::int64_t(e.length), at);
    L::Put(out, P::PartitionNumber, e.number, at);
    const std::size_t u = at + P::Union;
    if (style == kStyleGpt) {
        using G = L::PARTITION_INFORMATION_GPT;
        // PARTITION_BASIC_DATA_GUID {EBD0A0A2-B9E5-4433-87C0-68B6B72699C7}.
        L::PutAt<std::uint32_t>(out, u + G::PartitionType, 0xEBD0A0A2);
        L::PutAt<std::uint16_t>(out, u + G::PartitionType + 4, 0xB9E5);
        L::PutAt<std::uint16_t>(out, u + G::PartitionType + 6, 0x4433);
        L::PutAt<std::uint64_t>(out, u + G::PartitionType + 8, 0xC79926B7B668C087);
        L::PutAt<std::uint32_t>(out, u + G::PartitionId, e.id);
        L::Put(out, G::Attributes, e.gptAttributes, u);
        // No more than the field holds: it ends the entry.
        for (std::size_t i = 0; i < std::min(e.name.size(), G::kNameChars); ++i)
            L::PutAt<std::uint16_t>(out, u + G::Name + 2 * i, std::uint8_t(e.name[i]));
    } else if (style == kStyleMbr) {
        using M = L::PARTITION_INFORMATION_MBR;
        L::Put(out, M::PartitionType, e.mbrType, u);
        L::Put(out, M::BootIndicator, e.boot ? 1 : 0, u);
        L::Put(out, M::RecognizedPartition, Recognized(e.mbrType) ? 1 : 0, u);
        L::Put(out, M::HiddenSectors, e.hiddenSectors, u);
    }
}

// The disk's own table, or the volumes that lie on it, by number, in the first one's style.
DWORD getDriveLayoutEx(ControlCall& c) {
    DiskTarget t = diskTarget(c);
    if (t.error) return t.error;
    std::vector<Entry> parts;
    if (t.disk->ownTable)
        parts = EntriesOf(*t.disk);
    else
        for (const Volume* v : VolumesOn(c.s, t.disk)) parts.push_back(EntryOf(*v));
    const DWORD style = StyleOf(c.s, *t.disk);
    using X = L::DRIVE_LAYOUT_INFORMATION_EX;
    using P = L::PARTITION_INFORMATION_EX;
    // Every entry must fit, or nothing is returned.
    const std::size_t size = X::PartitionEntry + parts.size() * P::kSize;
    if (DWORD e = needOut(c, size)) return e;
    auto out = outBytes(c);
    L::Put(out, X::PartitionStyle, style);
    L::Put(out, X::PartitionCount, DWORD(parts.size()));
    if (style == kStyleMbr) {
        L::Put(out, L::DRIVE_LAYOUT_INFORMATION_MBR::Signature, MbrSignature(*t.disk), X::Union);
    } else if (style == kStyleGpt) {
        using G = L::DRIVE_LAYOUT_INFORMATION_GPT;
        constexpr std::int64_t kFirstUsable = 17408, kBackupTables = 16896;
        L::Put(out, G::StartingUsableOffset, kFirstUsable, X::Union);
        L::Put(out, G::UsableLength, std::int64_t(t.disk->size) - kFirstUsable - kBackupTables,
               X::Union);
        L::Put(out, G::MaxPartitionCount, 128, X::Union);
    }
    for (std::size_t i = 0; i < parts.size(); ++i)
        putPartition(out, X::PartitionEntry + i * P::kSize, parts[i], style);
    c.returned = DWORD(size);
    return err::SUCCESS;
}

// A volume's partition; a disk answers as one partition, number 0, over all of it.
DWORD getPartitionInfoEx(ControlCall& c) {
    DiskTarget t = diskTarget(c);
    if (t.error) return t.error;
    using P = L::PARTITION_INFORMATION_EX;
    if (DWORD e = needOut(c, P::kSize)) return e;
    if (t.volume)
        putPartition(outBytes(c), 0, EntryOf(*t.volume), t.volume->gpt ? kStyleGpt : kStyleMbr);
    else
        putPartition(outBytes(c), 0, Entry{0, t.disk->size, 0, 0, false, 0, 0, 0, {}},
                     StyleOf(c.s, *t.disk));
    c.returned = P::kSize;
    return err::SUCCESS;
}

DWORD getVolumeDiskExtents(ControlCall& c) {
    if (c.open.kind != Open::Kind::Volume) return err::INVALID_FUNCTION;
    const Volume& v = *c.s.volume(c.open.drive);
    using X = L::VOLUME_DISK_EXTENTS;
    using E = L::DISK_EXTENT;
    // Room for the structure with its first extent, or nothing is returned.
    if (c.outSize < X::kSize || !c.out) return err::INVALID_PARAMETER;
    std::vector<Extent> all{{v.disk, v.diskOffset, v.length}};
    all.insert(all.end(), v.extraExtents.begin(), v.extraExtents.end());
    auto out = outBytes(c);
    L::Put(out, X::NumberOfDiskExtents, DWORD(all.size()));
    // Too many for the buffer: the first extent comes back, and the count tells the caller how
    // much room to make.
    const std::size_t fits = X::Extents + all.size() * E::kSize > c.outSize ? 1 : all.size();
    for (std::size_t i = 0; i < fits; ++i) {
        const std::size_t at = X::Extents + i * E::kSize;
        auto d = c.s.devices.find(all[i].disk);
        L::Put(out, E::DiskNumber, d == c.s.devices.end() ? 0 : d->second.deviceNumber, at);
        L::Put(out, E::StartingOffset, all[i].offset, at);
        L::Put(out, E::ExtentLength, all[i].length, at);
    }
    c.returned = DWORD(X::Extents + fits * E::kSize);
    return fits < all.size() ? err::MORE_DATA : err::SUCCESS;
}

// --- Media ----------------------------------------------------------------------------------

DWORD checkVerify(ControlCall& c) {
    DiskTarget t = mediumTarget(c);
    if (t.error) return t.error;
    if (c.out && c.outSize >= 4) {
        L::PutAt<DWORD>(outBytes(c), 0, t.disk->mediaChanges);
        c.returned = 4;
    }
    return err::SUCCESS;
}

DWORD isWritable(ControlCall& c) {
    DiskTarget t = mediumTarget(c);
    if (t.error) return t.error;
    return t.disk->attributes & kDiskReadOnly ? err::WRITE_PROTECT : err::SUCCESS;
}

// --- Volume state ---------------------------------------------------------------------------

DWORD lockVolume(ControlCall& c) {
    Volume* v = nullptr;
    if (DWORD e = volumeTarget(c, v)) return e;
    if (v->lockedBy) return err::ACCESS_DENIED;
    // Any other handle on the volume, to a file on it or to the volume itself, refuses it.
    for (const auto& [h, o] : c.s.handles)
        if (h != c.handle && onVolume(c.s, o, v->letter)) return err::ACCESS_DENIED;
    v->lockedBy = c.handle;
    return err::SUCCESS;
}

DWORD unlockVolume(ControlCall& c) {
    Volume* v = nullptr;
    if (DWORD e = volumeTarget(c, v)) return e;
    if (v->lockedBy != c.handle) return err::NOT_LOCKED;
    v->lockedBy = 0;
    return err::SUCCESS;
}

DWORD dismountVolume(ControlCall& c) {
    Volume* v = nullptr;
    if (DWORD e = volumeTarget(c, v)) return e;
    // Without a lock the dismount is forced: every other handle on the volume is cut off.
    for (auto& [h, o] : c.s.handles)
        if (h != c.handle && onVolume(c.s, o, v->letter)) o.dismounted = true;
    v->mounted = false;
    return err::SUCCESS;
}

DWORD isMounted(ControlCall& c) {
    Volume* v = nullptr;
    if (DWORD e = volumeTarget(c, v)) {
        // The file system answers for the volume a file lives on.
        if (c.open.kind != Open::Kind::File) return e;
        return err::SUCCESS;
    }
    return v->mounted ? err::SUCCESS : err::NOT_READY;
}

// The dirty-bit requests are declared for any access, yet the file system wants read access.
DWORD dirtyTarget(ControlCall& c, Volume*& v) {
    if (DWORD e = volumeTarget(c, v)) return e;
    return c.open.access & w::FILE_READ_DATA ? err::SUCCESS : err::ACCESS_DENIED;
}

DWORD markDirty(ControlCall& c) {
    Volume* v = nullptr;
    if (DWORD e = dirtyTarget(c, v)) return e;
    v->dirty = true;
    return err::SUCCESS;
}

DWORD isDirty(ControlCall& c) {
    Volume* v = nullptr;
    if (DWORD e = dirtyTarget(c, v)) return e;
    if (c.outSize < 4 || !c.out) return err::INVALID_PARAMETER;
    L::PutAt<DWORD>(outBytes(c), 0, v->dirty ? kVolumeIsDirty : 0);
    c.returned = 4;
    return err::SUCCESS;
}

DWORD setOnline(ControlCall& c, bool online) {
    if (c.open.kind != Open::Kind::Volume) return err::INVALID_FUNCTION;
    c.s.volume(c.open.drive)->online = online;
    return err::SUCCESS;
}

// NTFS_VOLUME_DATA_BUFFER of an NTFS volume; the extended data that may follow it is not
// modelled. Other file systems do not know the request.
DWORD getNtfsVolumeData(ControlCall& c) {
    Volume* v = nullptr;
    if (DWORD e = volumeTarget(c, v)) return e;
    if (v->fileSystem != "NTFS") return err::INVALID_FUNCTION;
    using N = L::NTFS_VOLUME_DATA_BUFFER;
    if (DWORD e = needOut(c, N::kSize)) return e;
    const std::uint64_t cluster = std::uint64_t(v->sectorsPerCluster) * v->bytesPerSector;
    const std::int64_t clusters = std::int64_t(v->totalBytes / cluster);
    constexpr std::int64_t kMftStart = 786432;
    auto out = outBytes(c);
    L::Put(out, N::VolumeSerialNumber, std::int64_t(v->serial));
    L::Put(out, N::NumberSectors, std::int64_t(v->totalBytes / v->bytesPerSector));
    L::Put(out, N::TotalClusters, clusters);
    L::Put(out, N::FreeClusters, std::int64_t(v->freeBytes / cluster));
    L::Put(out, N::BytesPerSector, v->bytesPerSector);
    L::Put(out, N::BytesPerCluster, DWORD(cluster));
    // Records of 1 KiB, smaller than a cluster: no whole clusters per record.
    L::Put(out, N::BytesPerFileRecordSegment, 1024);
    L::Put(out, N::MftValidDataLength, std::int64_t(256) * 1024 * 1024);
    L::Put(out, N::MftStartLcn, kMftStart);
    L::Put(out, N::Mft2StartLcn, 2);
    L::Put(out, N::MftZoneStart, kMftStart);
    L::Put(out, N::MftZoneEnd, kMftStart + clusters / 8);
    c.returned = N::kSize;
    return err::SUCCESS;
}

// --- Disk and GPT attributes -----------------------------------------------------------------

std::span<const std::uint8_t> inBytes(ControlCall& c) {
    return {static_cast<const std::uint8_t*>(c.in), c.in ? c.inSize : 0};
}

DWORD getDiskAttributes(ControlCall& c) {
    DiskTarget t = diskTarget(c);
    if (t.error) return t.error;
    using G = L::GET_DISK_ATTRIBUTES;
    if (DWORD e = needOut(c, G::kSize)) return e;
    L::Put(outBytes(c), G::Version, G::kSize);
    L::Put(outBytes(c), G::Attributes, t.disk->attributes);
    c.returned = G::kSize;
    return err::SUCCESS;
}

DWORD setDiskAttributes(ControlCall& c) {
    DiskTarget t = diskTarget(c);
    if (t.error) return t.error;
    using S = L::SET_DISK_ATTRIBUTES;
    const auto in = inBytes(c);
    // The structure must come whole, of its own version, with its reserved bytes zero.
    if (in.size() < S::kSize || L::Get(in, S::Version) != S::kSize) return err::INVALID_PARAMETER;
    for (std::size_t i = S::Reserved1; i < S::Attributes.offset; ++i)
        if (in[i]) return err::INVALID_PARAMETER;
    for (std::size_t i = S::Reserved2; i < S::kSize; ++i)
        if (in[i]) return err::INVALID_PARAMETER;
    // Only the bits in the mask change.
    const std::uint64_t mask = L::Get(in, S::AttributesMask);
    const std::uint64_t wanted = L::Get(in, S::Attributes);
    t.disk->attributes = (t.disk->attributes & ~mask) | (wanted & mask);
    t.disk->attributesPersist = L::Get(in, S::Persist) != 0;
    return err::SUCCESS;
}

// A GPT partition's volume; an MBR partition has no attribute word.
DWORD gptTarget(ControlCall& c, Volume*& v) {
    if (DWORD e = volumeTarget(c, v)) return e;
    return v->gpt ? err::SUCCESS : err::INVALID_FUNCTION;
}

DWORD getGptAttributes(ControlCall& c) {
    Volume* v = nullptr;
    if (DWORD e = gptTarget(c, v)) return e;
    using G = L::VOLUME_GET_GPT_ATTRIBUTES_INFORMATION;
    if (DWORD e = needOut(c, G::kSize)) return e;
    L::Put(outBytes(c), G::GptAttributes, v->gptAttributes);
    c.returned = G::kSize;
    return err::SUCCESS;
}

DWORD setGptAttributes(ControlCall& c) {
    Volume* v = nullptr;
    if (DWORD e = gptTarget(c, v)) return e;
    using S = L::VOLUME_SET_GPT_ATTRIBUTES_INFORMATION;
    const auto in = inBytes(c);
    if (in.size() < S::kSize) return err::INVALID_PARAMETER;
    if (L::Get(in, S::RevertOnClose) && !c.open.revertGpt) {
        c.open.revertGpt = true;
        c.open.gptBefore = v->gptAttributes;
    }
    v->gptAttributes = L::Get(in, S::GptAttributes);
    v->gptAppliedToAll = L::Get(in, S::ApplyToAllConnectedVolumes) != 0;
    return err::SUCCESS;
}

struct Row {
    DWORD code;
    ControlHandler handler;
};

constexpr Row kControls[] = {
    {L::IOCTL_DISK_GET_DRIVE_GEOMETRY, getDriveGeometry},
    {L::IOCTL_DISK_GET_DRIVE_GEOMETRY_EX, getDriveGeometryEx},
    {L::IOCTL_DISK_GET_LENGTH_INFO, getLengthInfo},
    {L::IOCTL_STORAGE_READ_CAPACITY, readCapacity},
    {L::IOCTL_DISK_IS_WRITABLE, isWritable},
    {L::IOCTL_STORAGE_GET_DEVICE_NUMBER, getDeviceNumber},
    {L::IOCTL_STORAGE_QUERY_PROPERTY, queryProperty},
    {L::IOCTL_VOLUME_GET_VOLUME_DISK_EXTENTS, getVolumeDiskExtents},
    {L::IOCTL_DISK_GET_DRIVE_LAYOUT_EX, getDriveLayoutEx},
    {L::IOCTL_DISK_GET_PARTITION_INFO_EX, getPartitionInfoEx},
    {L::IOCTL_STORAGE_CHECK_VERIFY, checkVerify},
    {L::IOCTL_STORAGE_CHECK_VERIFY2, checkVerify},
    {L::IOCTL_STORAGE_EJECT_MEDIA, [](ControlCall& c) { return changeMedium(c, false); }},
    {L::IOCTL_STORAGE_LOAD_MEDIA, [](ControlCall& c) { return changeMedium(c, true); }},
    {L::FSCTL_LOCK_VOLUME, lockVolume},
    {L::FSCTL_UNLOCK_VOLUME, unlockVolume},
    {L::FSCTL_DISMOUNT_VOLUME, dismountVolume},
    {L::FSCTL_IS_VOLUME_MOUNTED, isMounted},
    {L::FSCTL_MARK_VOLUME_DIRTY, markDirty},
    {L::FSCTL_IS_VOLUME_DIRTY, isDirty},
    {L::FSCTL_GET_NTFS_VOLUME_DATA, getNtfsVolumeData},
    {L::IOCTL_DISK_GET_DISK_ATTRIBUTES, getDiskAttributes},
    {L::IOCTL_DISK_SET_DISK_ATTRIBUTES, setDiskAttributes},
    {L::IOCTL_VOLUME_GET_GPT_ATTRIBUTES, getGptAttributes},
    {L::IOCTL_VOLUME_SET_GPT_ATTRIBUTES, setGptAttributes},
    {L::IOCTL_VOLUME_ONLINE, [](ControlCall& c) { return setOnline(c, true); }},
    {L::IOCTL_VOLUME_OFFLINE, [](ControlCall& c) { return setOnline(c, false); }},
};

}  // namespace

ControlHandler findControl(DWORD code) {
    for (const Row& r : kControls)
        if (r.code == code) return r.handler;
    return nullptr;
}

}  // namespace sys::sim
