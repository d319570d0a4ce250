// The request buttons driven headless against the simulated machine: the calls and buffers they
// send, and the answers that a driver may give and a decoder must survive. The lines on a fresh
// machine are scripts (tests/scripts/no-handle.txt, volume-every-button.txt).
#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <vector>

#include "devctl/Requests.h"
#include "sys/Ioctl.h"
#include "tests/HandlerFixture.h"
#include "ui/Toolkit.h"

namespace {

namespace L = sys::ioctl;
using Bytes = std::vector<std::uint8_t>;

// An answer laid out field by field.
struct Answer {
    explicit Answer(std::size_t size) : bytes(size) {}
    template <typename T>
    Answer& at(std::size_t offset, T value) {
        L::PutAt<T>(bytes, offset, value);
        return *this;
    }
    Bytes bytes;
};

TEST(RequestLayouts, FieldsAreReadOnlyInsideWhatWasReturned) {
    const Bytes b{0x01, 0x02, 0x03, 0x04, 0x05, 0x06, 0x07, 0x08};
    const std::span<const std::uint8_t> all(b);
    EXPECT_EQ(L::GetAt<std::uint32_t>(all, 0), 0x04030201u);
    EXPECT_EQ(L::GetAt<std::int64_t>(all, 0), 0x0807060504030201);
    EXPECT_EQ(L::GetAt<std::uint32_t>(all.first(2), 0), 0x0201u);  // the rest was not returned
    EXPECT_EQ(L::GetAt<std::uint32_t>(all, 6), 0x0807u);           // runs off the end
    EXPECT_EQ(L::GetAt<std::uint32_t>(all, 8), 0u);
    EXPECT_EQ(L::GetAt<std::uint32_t>(all, SIZE_MAX - 1), 0u);
    EXPECT_EQ(L::GetAt<std::int32_t>(Answer(4).at<std::uint32_t>(0, 0x80000000u).bytes, 0),
              INT32_MIN);

    Bytes out(6, 0xEE);
    L::PutAt<std::uint32_t>(out, 4, 0x11223344u);  // does not fit: nothing written
    L::PutAt<std::uint32_t>(out, SIZE_MAX - 1, 1u);
    EXPECT_EQ(out, Bytes(6, 0xEE));
    L::PutAt<std::uint16_t>(out, 4, 0x1122);
    EXPECT_EQ(out, (Bytes{0xEE, 0xEE, 0xEE, 0xEE, 0x22, 0x11}));
}

TEST(RequestLayouts, BusTypeNamesAndUnnamedValues) {
    const std::pair<std::int32_t, const char*> rows[] = {
        {0, "Unknown"}, {7, "USB"},
        {9, "iSCSI"},   {15, "FileBackedVirtual"},
        {17, "NVMe"},   {18, "SCM"},
        {19, "19"},     {127, "127"},
        {-1, "-1"},     {INT32_MIN, "-2147483648"}};
    for (const auto& [value, name] : rows) EXPECT_EQ(devctl::BusTypeName(value), name) << value;
}

class DeviceControl : public HandlerTest {
  protected:
    ui::Control& Button(const char* name, int index = -1) { return frm.ctl(name, index); }
    std::string Press(const char* name, int index = -1) {
        Button(name, index).click();
        return Result();
    }
};

// Each line is in tests/scripts/no-handle.txt; here, that each press is exactly one request, and
// that only Lock and Unlock show the hourglass, on the failure path as on success.
TEST_F(DeviceControl, EachPressIsOneRequestAndOnlyLockAndUnlockShowTheHourglass) {
    const std::vector<int> busy{ui::kPointerHourglass, ui::kPointerDefault};
    for (const devctl::Request& r : devctl::Requests()) {
        m.clearCalls();
        tk.pointerHistory.clear();
        Press(r.button, r.index);
        EXPECT_EQ(m.calls(), std::vector<std::string>{"DeviceIoControl"}) << r.button;
        const bool lock = std::string(r.button) == "cmdLock";
        EXPECT_EQ(tk.pointerHistory, lock ? busy : std::vector<int>{}) << r.button;
    }
    EXPECT_EQ(frm.hFile, 0);
    Open("\\\\.\\C:");
    Press("cmdLock", 0);
    EXPECT_EQ(tk.pointerHistory, busy);
}

TEST_F(DeviceControl, TheRequestsGoOutWithTheirBuffers) {
    Open("\\\\.\\PhysicalDrive0");
    Press("cmdStorageProps0");
    sys::SimMachine::ControlRecord c = m.lastControl();
    EXPECT_EQ(c.code, L::IOCTL_STORAGE_QUERY_PROPERTY);
    EXPECT_EQ(c.input, Bytes(268, 0));
    // The answer area: 40 bytes, zero but for its Size field.
    EXPECT_EQ(c.outputAsPassed, Answer(40).at<std::uint32_t>(4, 40).bytes);

    const std::pair<const char*, std::uint32_t> sizes[] = {
        {"cmdGetDiskGeo", 24},     {"cmdGetDiskGeoEx", 292}, {"cmdGetDiskLength", 8},
        {"cmdStorageReadCap", 32}, {"cmdGetDevNum", 12},     {"cmdGetDiskExtents", 2432},
        {"cmdCheckVerify", 4},     {"cmdIsDirty", 4},        {"cmdDismount", 0}};
    for (const auto& [button, size] : sizes) {
        Press(button);
        c = m.lastControl();
        EXPECT_EQ(c.outputAsPassed, Bytes(size, 0)) << button;
        EXPECT_TRUE(c.input.empty()) << button;
    }
    Press("cmdGetDiskAttributes");  // the answer's version field is set to its size
    EXPECT_EQ(m.lastControl().outputAsPassed, Answer(16).at<std::uint32_t>(0, 16).bytes);
    EXPECT_TRUE(m.lastControl().input.empty());
}

// Answers a driver may give, and what the line must make of them.
struct Scripted {
    const char* button;
    std::uint32_t code;
    Bytes answer;
    std::uint32_t returned;
    const char* line;
};

Bytes Geometry(std::int64_t cylinders, std::uint32_t tracks, std::uint32_t sectors,
               std::uint32_t bytes, std::uint32_t mediaType = 12) {
    return Answer(24)
        .at(0, cylinders)
        .at(8, mediaType)
        .at(12, tracks)
        .at(16, sectors)
        .at(20, bytes)
        .bytes;
}

TEST_F(DeviceControl, OddAnswersAreShownAsTheyComeAndNeverReadPastTheBuffer) {
    const std::int64_t k2TiB = std::int64_t(2) << 40, kBeyondFixedPoint = INT64_MAX;
    Bytes geometryEx = Answer(40).at<std::int64_t>(24, k2TiB).bytes;
    std::copy_n(Geometry(60801, 255, 63, 512).begin(), 24, geometryEx.begin());
    // clang-format off
    const Scripted rows[] = {
        {"cmdGetDiskGeo", L::IOCTL_DISK_GET_DRIVE_GEOMETRY, Geometry(60801, 255, 63, 512), 24,
         "res=1 Cy=60801 TrPerCy=255 SecPerTr=63 BytesPerSec=512 MType=12 -> Size=500105249280 Bytes"},
        {"cmdGetDiskGeo", L::IOCTL_DISK_GET_DRIVE_GEOMETRY, Geometry(60801, 0, 63, 512), 24,
         "res=1 Cy=60801 TrPerCy=0 SecPerTr=63 BytesPerSec=512 MType=12 -> Size=0 Bytes"},
        {"cmdGetDiskGeo", L::IOCTL_DISK_GET_DRIVE_GEOMETRY, Geometry(1, 1, 1, 0x80000000u), 24,
         "res=1 Cy=1 TrPerCy=1 SecPerTr=1 BytesPerSec=-2147483648 MType=12 -> Size=-2147483648 Bytes"},
        {"cmdGetDiskGeo", L::IOCTL_DISK_GET_DRIVE_GEOMETRY, Geometry(INT64_MAX / 255, 255, 2, 512), 24,
         "res=1 Cy=36170086419038336 TrPerCy=255 SecPerTr=2 BytesPerSec=512 MType=12 -> Size=overflow Bytes"},
        // Only Cylinders and MediaType came back: the rest reads as 0.
        {"cmdGetDiskGeo", L::IOCTL_DISK_GET_DRIVE_GEOMETRY, Geometry(80, 2, 18, 512, 2), 12,
         "res=1 Cy=80 TrPerCy=0 SecPerTr=0 BytesPerSec=0 MType=2 -> Size=0 Bytes"},
        {"cmdGetDiskGeoEx", L::IOCTL_DISK_GET_DRIVE_GEOMETRY_EX, geometryEx, 40,
         "res=1 Cy=60801 TrPerCy=255 SecPerTr=63 ByPerSec=512 MType=12 -> Size=500105249280 Bytes "
         "DiskSize=2199023255552 Bytes"},
        {"cmdGetDiskLength", L::IOCTL_DISK_GET_LENGTH_INFO, Answer(8).at(0, k2TiB).bytes, 8,
         "res=1 dwBytesRet=8  DiskLength=2199023255552 Bytes"},
        {"cmdGetDiskLength", L::IOCTL_DISK_GET_LENGTH_INFO, Answer(8).at(0, kBeyondFixedPoint).bytes, 8,
         "res=1 dwBytesRet=8  DiskLength=9223372036854775807 Bytes"},
        // A count beyond the 8-byte buffer: shown, and the bytes past the buffer are not read.
        {"cmdGetDiskLength", L::IOCTL_DISK_GET_LENGTH_INFO, Answer(16).at<std::int64_t>(0, 4096).at<std::int64_t>(8, -1).bytes, 0xFFFFFFFFu,
         "res=1 dwBytesRet=-1  DiskLength=4096 Bytes"},
        {"cmdStorageReadCap", L::IOCTL_STORAGE_READ_CAPACITY,
         Answer(32).at(0, 32u).at(4, 32u).at(8, 4096u).at<std::int64_t>(16, 536870912).at(24, k2TiB).bytes, 32,
         "res=1  dwBytesRet=32  BlockLen=4096 Bytes  NumOfBlocks=536870912  -> Size=2199023255552 Bytes"
         "  DiskLength=2199023255552 Bytes"},
        {"cmdStorageReadCap", L::IOCTL_STORAGE_READ_CAPACITY,
         Answer(32).at(8, 4096u).at<std::int64_t>(16, INT64_MAX / 2).bytes, 32,
         "res=1  dwBytesRet=32  BlockLen=4096 Bytes  NumOfBlocks=4611686018427387903  -> Size=overflow Bytes"
         "  DiskLength=0 Bytes"},
        {"cmdCheckVerify", L::IOCTL_STORAGE_CHECK_VERIFY, Bytes{}, 0,
         "CheckVerify res=1 dwBytesRet=0  MediaChangeCount=0"},
        {"cmdCheckVerify2", L::IOCTL_STORAGE_CHECK_VERIFY2, Answer(4).at(0, 2u).bytes, 4,
         "CheckVerify2 res=1 dwBytesRet=4  MediaChangeCount=2"},
        {"cmdIsDirty", L::FSCTL_IS_VOLUME_DIRTY, Answer(4).at(0, 0x80000001u).bytes, 4,
         "IsDirty res=1 dwBytesRet=4  dirty=-2147483647"},
        {"cmdGetDevNum", L::IOCTL_STORAGE_GET_DEVICE_NUMBER, Answer(12).at(0, 7u).at(4, 0xFFFFFFFFu).at(8, 0xFFFFFFFFu).bytes, 12,
         "res=1 dwBytesRet=12  DevNum=-1 PartNum=-1"},
        {"cmdStorageProps0", L::IOCTL_STORAGE_QUERY_PROPERTY, Answer(40).at<std::uint8_t>(10, 1).at(28, 7u).bytes, 40,
         "StorageProps0 res=1 dwBytesRet=40  RemovableMedia=1  BusType=7 (USB)"},
        {"cmdStorageProps0", L::IOCTL_STORAGE_QUERY_PROPERTY, Answer(40).at<std::uint8_t>(10, 0xFF).at(28, 19u).bytes, 40,
         "StorageProps0 res=1 dwBytesRet=40  RemovableMedia=255  BusType=19 (19)"},
        // A descriptor cut after RemovableMedia: BusType was not returned.
        {"cmdStorageProps0", L::IOCTL_STORAGE_QUERY_PROPERTY, Answer(40).at<std::uint8_t>(10, 1).at(28, 17u).bytes, 11,
         "StorageProps0 res=1 dwBytesRet=11  RemovableMedia=1  BusType=0 (Unknown)"},
        {"cmdGetDiskExtents", L::IOCTL_VOLUME_GET_VOLUME_DISK_EXTENTS, Answer(32).bytes, 32,
         "res=1 dwBytesRet=32  NumOfExtents=0"},
        {"cmdGetDiskExtents", L::IOCTL_VOLUME_GET_VOLUME_DISK_EXTENTS,
         Answer(56).at(0, 2u).at(8, 3u).at<std::int64_t>(16, 0x1'0000'0000 + 512).at<std::int64_t>(24, 1 << 20)
             .at(32, 4u).at<std::int64_t>(40, 7).at<std::int64_t>(48, 9).bytes, 56,
         "res=1 dwBytesRet=56  NumOfExtents=2 ext0.dn=3 ext0.st=4294967808 ext0.len=1048576"},
        // A count no buffer could hold: shown, and no entry is read for it.
        {"cmdGetDiskExtents", L::IOCTL_VOLUME_GET_VOLUME_DISK_EXTENTS, Answer(8).at(0, 0x80000000u).bytes, 8,
         "res=1 dwBytesRet=8  NumOfExtents=-2147483648"},
        // Five extents claimed, none returned: the first reads as zeros.
        {"cmdGetDiskExtents", L::IOCTL_VOLUME_GET_VOLUME_DISK_EXTENTS, Answer(8).at(0, 5u).bytes, 8,
         "res=1 dwBytesRet=8  NumOfExtents=5 ext0.dn=0 ext0.st=0 ext0.len=0"},
    };
    // clang-format on
    Open("\\\\.\\PhysicalDrive0");
    for (const Scripted& s : rows) {
        m.answerNextControl(s.code, s.answer, s.returned);
        EXPECT_EQ(Press(s.button), s.line) << s.button;
    }
}

TEST_F(DeviceControl, TheSuccessTestOfEachRow) {
    Open("\\\\.\\C:");
    struct Case {
        const char* button;
        int index;
        std::uint32_t code;
        sys::BOOL res;
        const char* line;
    };
    const Case cases[] = {
        // Any non-zero result is a success, and Load Media always says 1.
        {"cmdLoadMedia", -1, L::IOCTL_STORAGE_LOAD_MEDIA, 5, "LoadMedia res=1 dwBytesRet=0"},
        {"cmdDismount", -1, L::FSCTL_DISMOUNT_VOLUME, -3, "Dismount res=-3 dwBytesRet=0"},
        {"cmdEject", -1, L::IOCTL_STORAGE_EJECT_MEDIA, 3, "Eject res=3 dwBytesRet=0"},
        {"cmdOnOffline", 1, L::IOCTL_VOLUME_OFFLINE, 2, "Offline res=1 dwBytesRet=0"},
        // Lock and unlock succeed only on exactly 1.
        {"cmdLock", 0, L::FSCTL_LOCK_VOLUME, 2, "Lock res=0  Err=158  (NOT_LOCKED)"},
        {"cmdLock", 1, L::FSCTL_UNLOCK_VOLUME, -1, "Unlock res=0  Err=158  (NOT_LOCKED)"},
    };
    for (const Case& c : cases) {
        m.SetLastError(158);  // what the failure line then names
        m.answerNextControl(c.code, {}, 0, c.res);
        EXPECT_EQ(Press(c.button, c.index), c.line) << c.button;
    }
}

TEST_F(DeviceControl, ExtentsBeyondTheBufferAreRefusedAndNotAskedForAgain) {
    m.setVolumeExtents('C', std::vector<sys::SimMachine::Extent>(102, {"PhysicalDrive0", 0, 1}));
    Open("\\\\.\\C:");
    EXPECT_EQ(Press("cmdGetDiskExtents"), "GetDiskExtents res=0  Err=234  (MORE_DATA)");
    EXPECT_EQ(Count("DeviceIoControl"), 1) << "never retried with a larger buffer";
}

}  // namespace
