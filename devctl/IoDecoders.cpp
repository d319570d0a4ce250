// The answers of the DeviceIoControl dialog whose structure is known, as lines under its bytes:
// one formatter row per code, reading through the layouts of sys/Ioctl.h. Counts, sizes and
// offsets in an answer are the driver's word only: every entry and text is bounded by the bytes
// returned, and a field the bytes do not hold whole is not shown.
#include <string>

#include "devctl/IoControl.h"
#include "io/HexView.h"
#include "io/Numbers.h"

namespace devctl {

namespace L = sys::ioctl;
using L::DWORD;
using Bytes = std::span<const std::uint8_t>;
using Lines = std::vector<std::string>;

namespace {

std::string D(std::int64_t v) {
    return std::to_string(v);
}

bool Holds(Bytes out, std::size_t at, std::size_t size) {
    return at <= out.size() && size <= out.size() - at;
}

// " Name=value" for a field the bytes hold whole, signed as the structures declare it; nothing
// otherwise.
template <typename T, std::size_t O>
std::string F(Bytes out, const char* name, L::Field<T, O> field, std::size_t base = 0) {
    if (!Holds(out, base + O, sizeof(T))) return {};
    std::string s(1, ' ');
    return s + name + "=" + D(static_cast<std::int64_t>(L::Get(out, field, base)));
}

// How many whole entries of `size` bytes from `at` the bytes hold, at most `count`.
std::size_t EntriesHeld(Bytes out, std::size_t at, std::size_t size, std::uint64_t count) {
    const std::size_t room = out.size() > at ? (out.size() - at) / size : 0;
    return count < room ? static_cast<std::size_t>(count) : room;
}

// The count an answer claims, and how many entries it really holds when they differ.
std::string Count(const char* name, std::uint64_t count, std::size_t held) {
    std::string s(name);
    s += '=';
    s += std::to_string(count);
    if (count != held) s += "  (the bytes hold " + std::to_string(held) + ")";
    return s;
}

std::string Hex32(std::uint32_t v) {
    return io::Hex8(v);
}

// A GUID as the registry writes it (bytes beyond the answer read as 0; callers show one only
// where the answer holds it).
std::string Guid(Bytes out, std::size_t at) {
    std::string s(1, '{');
    s += io::HexPad(L::GetAt<std::int32_t>(out, at), 8) + "-" +
         io::HexPad(L::GetAt<std::uint16_t>(out, at + 4), 4) + "-" +
         io::HexPad(L::GetAt<std::uint16_t>(out, at + 6), 4) + "-";
    for (std::size_t i = 8; i < 16; ++i) {
        if (i == 10) s += '-';
        s += io::HexPad(L::GetAt<std::uint8_t>(out, at + i), 2);
    }
    return s + "}";
}

// UTF-16 text of at most `chars` characters up to its NUL; what the window's code page may not
// hold is shown as '?'.
std::string WideText(Bytes out, std::size_t at, std::size_t chars) {
    std::string s;
    for (std::size_t i = 0; i < chars && Holds(out, at + 2 * i, 2); ++i) {
        const auto c = L::GetAt<std::uint16_t>(out, at + 2 * i);
        if (c == 0) break;
        s += c >= 0x20 && c < 0x7F ? static_cast<char>(c) : '?';
    }
    return s;
}

// A NUL-ended text at an offset the answer gives: only inside the bytes.
std::string TextAt(Bytes out, DWORD offset) {
    if (offset == 0) return "(none)";
    if (offset >= out.size()) return "(outside the answer)";
    std::string s;
    std::size_t i = offset;
    for (; i < out.size() && out[i] != 0; ++i) s += io::NiceChar(out[i]);
    while (!s.empty() && s.back() == ' ') s.pop_back();  // identities are padded with blanks
    while (!s.empty() && s.front() == ' ') s.erase(0, 1);
    return i == out.size() ? s + " (no NUL)" : s;
}

const char* StyleName(DWORD style) {
    return style == 0 ? "MBR" : style == 1 ? "GPT" : style == 2 ? "RAW" : "?";
}

// One PARTITION_INFORMATION_EX at `at`, held whole.
std::string Partition(Bytes out, std::size_t at) {
    using P = L::PARTITION_INFORMATION_EX;
    const DWORD style = L::Get(out, P::PartitionStyle, at);
    std::string s = "Offset=" + D(L::Get(out, P::StartingOffset, at)) +
                    " Length=" + D(L::Get(out, P::PartitionLength, at)) +
                    " Number=" + D(L::Get(out, P::PartitionNumber, at));
    const std::size_t u = at + P::Union;
    if (style == 0) {
        using M = L::PARTITION_INFORMATION_MBR;
        s += " Type=0x" + io::HexPad(L::Get(out, M::PartitionType, u), 2) +
             " Boot=" + D(L::Get(out, M::BootIndicator, u)) +
             " Recognized=" + D(L::Get(out, M::RecognizedPartition, u)) +
             " HiddenSectors=" + D(L::Get(out, M::HiddenSectors, u));
    } else if (style == 1) {
        using G = L::PARTITION_INFORMATION_GPT;
        s += " Type=" + Guid(out, u + G::PartitionType) + " Id=" + Guid(out, u + G::PartitionId) +
             " Attributes=0x" +
             io::Hex64(static_cast<std::int64_t>(L::Get(out, G::Attributes, u)), 16) +
             " Name=" + WideText(out, u + G::Name, G::kNameChars);
    } else {
        s += " Style=" + D(style);
    }
    return s;
}

Lines DriveLayout(Bytes, Bytes out) {
    using X = L::DRIVE_LAYOUT_INFORMATION_EX;
    using P = L::PARTITION_INFORMATION_EX;
    if (!Holds(out, 0, X::PartitionEntry)) return {};
    const DWORD style = L::Get(out, X::PartitionStyle);
    const DWORD count = L::Get(out, X::PartitionCount);
    const std::size_t held = EntriesHeld(out, X::PartitionEntry, P::kSize, count);
    Lines lines{std::string("PartitionStyle=") + StyleName(style) + "  " +
                Count("Count", count, held)};
    if (style == 0) {
        lines.push_back("Signature=" +
                        Hex32(L::Get(out, L::DRIVE_LAYOUT_INFORMATION_MBR::Signature, X::Union)));
    } else if (style == 1) {
        using G = L::DRIVE_LAYOUT_INFORMATION_GPT;
        lines.push_back("DiskId=" + Guid(out, X::Union + G::DiskId) +
                        F(out, "StartingUsableOffset", G::StartingUsableOffset, X::Union) +
                        F(out, "UsableLength", G::UsableLength, X::Union) +
                        F(out, "MaxPartitionCount", G::MaxPartitionCount, X::Union));
    }
    for (std::size_t i = 0; i < held; ++i) {
        std::string line(1, '#');
        lines.push_back(line + D(static_cast<std::int64_t>(i + 1)) + " " +
                        Partition(out, X::PartitionEntry + i * P::kSize));
    }
    return lines;
}

Lines PartitionInfo(Bytes, Bytes out) {
    using P = L::PARTITION_INFORMATION_EX;
    if (!Holds(out, 0, P::kSize)) return {};
    return {std::string("PartitionStyle=") + StyleName(L::Get(out, P::PartitionStyle)) + "  " +
            Partition(out, 0)};
}

Lines DeviceDescriptor(Bytes in, Bytes out) {
    using Q = L::STORAGE_PROPERTY_QUERY;
    using S = L::STORAGE_DEVICE_DESCRIPTOR;
    // StorageDeviceProperty only; other properties answer other structures.
    if (!Holds(in, 0, 4) || L::Get(in, Q::PropertyId) != 0 || !Holds(out, 0, 8)) return {};
    Lines lines{"Version=" + D(L::Get(out, S::Version)) + " Size=" + D(L::Get(out, S::Size)) +
                F(out, "DeviceType", S::DeviceType) + F(out, "RemovableMedia", S::RemovableMedia) +
                F(out, "CommandQueueing", S::CommandQueueing) + F(out, "BusType", S::BusType)};
    if (!Holds(out, 0, S::RawDeviceProperties)) return lines;
    lines.push_back("Vendor=" + TextAt(out, L::Get(out, S::VendorIdOffset)));
    lines.push_back("Product=" + TextAt(out, L::Get(out, S::ProductIdOffset)));
    lines.push_back("Revision=" + TextAt(out, L::Get(out, S::ProductRevisionOffset)));
    lines.push_back("Serial=" + TextAt(out, L::Get(out, S::SerialNumberOffset)));
    return lines;
}

Lines GeometryEx(Bytes, Bytes out) {
    using G = L::DISK_GEOMETRY;
    using X = L::DISK_GEOMETRY_EX;
    if (!Holds(out, 0, G::kSize)) return {};
    Lines lines{"Cylinders=" + D(L::Get(out, G::Cylinders)) + F(out, "MediaType", G::MediaType) +
                F(out, "TracksPerCylinder", G::TracksPerCylinder) +
                F(out, "SectorsPerTrack", G::SectorsPerTrack) +
                F(out, "BytesPerSector", G::BytesPerSector) + F(out, "DiskSize", X::DiskSize)};
    // The partition information, then the detection information after as many bytes as the
    // first says it takes.
    using P = L::DISK_PARTITION_INFO;
    if (!Holds(out, X::Data, P::kSize)) return lines;
    const DWORD size = L::Get(out, P::SizeOfPartitionInfo, X::Data);
    const DWORD style = L::Get(out, P::PartitionStyle, X::Data);
    std::string part = "PartitionInfo: Size=" + D(size) + " Style=" + StyleName(style);
    if (style == 0) part += " Signature=" + Hex32(L::Get(out, P::Signature, X::Data));
    if (style == 1) part += " DiskId=" + Guid(out, X::Data + P::DiskId);
    lines.push_back(std::move(part));
    using T = L::DISK_DETECTION_INFO;
    const std::size_t at = X::Data + size;
    if (size < P::kSize || size > out.size() || !Holds(out, at, T::kSize)) return lines;
    static const char* const kTypes[] = {"NONE", "INT13", "EX_INT13"};
    const DWORD type = L::Get(out, T::DetectionType, at);
    lines.push_back("DetectionInfo: Size=" + D(L::Get(out, T::SizeOfDetectInfo, at)) +
                    " Type=" + (type < 3 ? kTypes[type] : D(type)));
    return lines;
}

Lines NtfsVolumeData(Bytes, Bytes out) {
    using N = L::NTFS_VOLUME_DATA_BUFFER;
    if (!Holds(out, 0, 8)) return {};
    return {"VolumeSerialNumber=0x" +
                io::Hex64(static_cast<std::int64_t>(L::Get(out, N::VolumeSerialNumber)), 16) +
                F(out, "NumberSectors", N::NumberSectors) +
                F(out, "TotalClusters", N::TotalClusters) +
                F(out, "FreeClusters", N::FreeClusters) + F(out, "TotalReserved", N::TotalReserved),
            "BytesPerSector=" + D(L::Get(out, N::BytesPerSector)) +
                F(out, "BytesPerCluster", N::BytesPerCluster) +
                F(out, "BytesPerFileRecordSegment", N::BytesPerFileRecordSegment) +
                F(out, "ClustersPerFileRecordSegment", N::ClustersPerFileRecordSegment),
            "MftValidDataLength=" + D(L::Get(out, N::MftValidDataLength)) +
                F(out, "MftStartLcn", N::MftStartLcn) + F(out, "Mft2StartLcn", N::Mft2StartLcn) +
                F(out, "MftZoneStart", N::MftZoneStart) + F(out, "MftZoneEnd", N::MftZoneEnd)};
}

Lines DeviceNumber(Bytes, Bytes out) {
    using N = L::STORAGE_DEVICE_NUMBER;
    if (!Holds(out, 0, N::kSize)) return {};
    return {"DeviceType=" + D(L::Get(out, N::DeviceType)) +
            "  DeviceNumber=" + D(L::Get(out, N::DeviceNumber)) +
            "  PartitionNumber=" + D(L::GetSigned(out, N::PartitionNumber))};
}

Lines DiskExtents(Bytes, Bytes out) {
    using X = L::VOLUME_DISK_EXTENTS;
    using E = L::DISK_EXTENT;
    if (!Holds(out, 0, X::Extents)) return {};
    const DWORD count = L::Get(out, X::NumberOfDiskExtents);
    const std::size_t held = EntriesHeld(out, X::Extents, E::kSize, count);
    Lines lines{Count("NumberOfDiskExtents", count, held)};
    for (std::size_t i = 0; i < held; ++i) {
        const std::size_t at = X::Extents + i * E::kSize;
        std::string line(1, '#');
        line += D(static_cast<std::int64_t>(i)) +
                " DiskNumber=" + D(L::Get(out, E::DiskNumber, at)) +
                " Offset=" + D(L::Get(out, E::StartingOffset, at)) +
                " Length=" + D(L::Get(out, E::ExtentLength, at));
        lines.push_back(std::move(line));
    }
    return lines;
}

struct Decoder {
    DWORD code;
    Lines (*decode)(Bytes in, Bytes out);
};

constexpr Decoder kDecoders[] = {
    {L::IOCTL_DISK_GET_DRIVE_LAYOUT_EX, DriveLayout},
    {L::IOCTL_DISK_GET_PARTITION_INFO_EX, PartitionInfo},
    {L::IOCTL_STORAGE_QUERY_PROPERTY, DeviceDescriptor},
    {L::IOCTL_DISK_GET_DRIVE_GEOMETRY_EX, GeometryEx},
    {L::FSCTL_GET_NTFS_VOLUME_DATA, NtfsVolumeData},
    {L::IOCTL_STORAGE_GET_DEVICE_NUMBER, DeviceNumber},
    {L::IOCTL_VOLUME_GET_VOLUME_DISK_EXTENTS, DiskExtents},
};

}  // namespace

Lines DecodeAnswer(DWORD code, Bytes in, Bytes out) {
    for (const Decoder& d : kDecoders)
        if (d.code == code) return d.decode(in, out);
    return {};
}

}  // namespace devctl
