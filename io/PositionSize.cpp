// The position and size labels, and the queries behind them.
#include <cstdint>
#include <cstring>

#include "app/FrmMain.h"
#include "io/Numbers.h"
#include "sys/Ioctl.h"
#include "sys/Kernel.h"

namespace app {

bool FrmMain::GetFilePointer(sys::Handle h, std::int64_t& position) {
    std::int32_t high = 0;
    // A failed move leaves the high part as passed, so only the last error tells failure
    // from the valid position 0xFFFFFFFF.
    k.SetLastError(0);
    const sys::DWORD low = k.SetFilePointer(h, 0, &high, sys::w::FILE_CURRENT);
    CaptureLastError();
    if (low == sys::kInvalidSetFilePointer && LastDllError != 0) {
        position = 0;
        return false;
    }
    position = io::FromLargeInteger(low, high);
    return true;
}

void FrmMain::RefreshFilePointerLabel() {
    std::int64_t position = 0;
    if (GetFilePointer(hFile, position))
        lblFilePos.setText("Pos: 0x" + io::Hex64(position, 0) + " (" + std::to_string(position) +
                           ")");
    else
        lblFilePos.setText("Pos: Error " + std::to_string(LastDllError) + " (" + LastErrorName() +
                           ")");
}

std::optional<std::int64_t> FrmMain::GetFileSize64(sys::Handle h) {
    sys::DWORD high = 0;
    const sys::DWORD low = k.GetFileSize(h, &high);
    CaptureLastError();
    if (low == sys::kInvalidFileSize && LastDllError != 0) return std::nullopt;
    return io::FromLargeInteger(low, static_cast<std::int32_t>(high));
}

bool FrmMain::GetDiskGeometry(sys::Handle h, std::span<std::uint8_t, 24> geometry) {
    if (h == sys::kInvalidHandle) return false;
    sys::DWORD returned = 0;
    const sys::BOOL res =
        k.DeviceIoControl(h, sys::ioctl::IOCTL_DISK_GET_DRIVE_GEOMETRY, nullptr, 0, geometry.data(),
                          static_cast<sys::DWORD>(geometry.size()), &returned);
    CaptureLastError();
    return res != 0;
}

std::optional<std::int64_t> FrmMain::GetDiskLength64(sys::Handle h) {
    using L = sys::ioctl::GET_LENGTH_INFORMATION;
    if (h != sys::kInvalidHandle) {
        std::uint8_t out[L::kSize] = {};
        sys::DWORD returned = 0;
        const sys::BOOL res = k.DeviceIoControl(h, sys::ioctl::IOCTL_DISK_GET_LENGTH_INFO, nullptr,
                                                0, out, sizeof out, &returned);
        CaptureLastError();
        if (res != 0 && returned == L::kSize) return sys::ioctl::Get(out, L::Length);
    }
    using G = sys::ioctl::DISK_GEOMETRY;
    std::uint8_t g[G::kSize] = {};
    if (!GetDiskGeometry(h, g)) return std::nullopt;
    const std::span<const std::uint8_t> answer(g);
    std::int64_t size = sys::ioctl::Get(answer, G::Cylinders);
    if (io::MulExact(size, sys::ioctl::GetSigned(answer, G::TracksPerCylinder), size) &&
        io::MulExact(size, sys::ioctl::GetSigned(answer, G::SectorsPerTrack), size) &&
        io::MulExact(size, sys::ioctl::GetSigned(answer, G::BytesPerSector), size))
        return size;
    return std::nullopt;  // a product beyond 64 bits is no size
}

void FrmMain::RefreshFileSizeLabel() {
    std::optional<std::int64_t> size = GetFileSize64(hFile);
    if (LastDllError == sys::err::INVALID_PARAMETER && OpenedFileName.size() >= 3 &&
        OpenedFileName.compare(1, 2, ":\\") == 0) {
        lblFileSize.setText("err=87 (ERROR_INVALID_PARAMETER)");
        return;
    }
    if (!size) {
        size = GetDiskLength64(hFile);
        if (!size) {
            lblFileSize.setText("err=" + std::to_string(LastDllError) + "  (" + LastErrorName() +
                                ")");
            lblFileSize.setTooltip(LastErrorName());
            return;
        }
    }
    // For a name the free-space calls accept (a drive root, a directory on a volume), the
    // volume's total size wins over what the handle reports.
    const std::string path = cboFileName.text();
    std::uint64_t freeToCaller = 0, totalBytes = 0, totalFree = 0;
    const sys::BOOL ex = k.GetDiskFreeSpaceExA(path, &freeToCaller, &totalBytes, &totalFree);
    CaptureLastError();
    if (ex == 1) {
        size = static_cast<std::int64_t>(totalBytes);
    } else {
        sys::DWORD sectorsPerCluster = 0, bytesPerSector = 0, freeClusters = 0, totalClusters = 0;
        const sys::BOOL res = k.GetDiskFreeSpaceA(path, &sectorsPerCluster, &bytesPerSector,
                                                  &freeClusters, &totalClusters);
        CaptureLastError();
        std::int64_t bytes = 0;
        // Exact in 64 bits: a 32-bit product of sector and cluster sizes could overflow.
        if (res == 1 &&
            io::MulExact(static_cast<std::int32_t>(bytesPerSector),
                         static_cast<std::int32_t>(sectorsPerCluster), bytes) &&
            io::MulExact(bytes, static_cast<std::int32_t>(totalClusters), bytes))
            size = bytes;
    }
    lblFileSize.setText("0x" + io::Hex64(*size, 0) + " (" +
                        io::FormatSize(*size, decimalSeparator) + ")");
    lblFileSize.setTooltip("");
}

}  // namespace app
