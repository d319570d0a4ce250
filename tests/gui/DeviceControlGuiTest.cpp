// The twenty request buttons pressed in the real window, against the real kernel32: on a volume,
// on a disk and with no handle. Wine answers most requests with 50 (NOT_SUPPORTED) where Windows
// would act; the lines below are Wine's, and each row says what Windows gives instead.
#include "MainWindowFixture.h"

#include <regex>
#include <string>

namespace guitest {
namespace {

const char* const kNotSupported = "res=0  Err=50  (NOT_SUPPORTED)";

std::string Refused(const char* prefix) {
    return std::string(prefix) + kNotSupported;
}

// Wine's LOCK, UNLOCK and IS_VOLUME_MOUNTED succeed on any handle, 0 included (Windows: 6 for
// 0), and write a meaningless number into the byte count: only the line's shape is checked.
std::string Stale(const char* words) {
    return std::string("^") + words + " dwBytesRet=-?[0-9]+$";
}

void Expect(const std::string& shown, const std::string& want, const std::string& what) {
    if (!want.empty() && want[0] == '^')
        EXPECT_TRUE(std::regex_match(shown, std::regex(want))) << what << ": " << shown;
    else
        EXPECT_EQ(shown, want) << what;
}

class DeviceControls : public MainWindow {
  protected:
    void PressAll(int column) {
        const std::string geometry =
            "res=1 Cy=10000 TrPerCy=255 SecPerTr=63 BytesPerSec=512 MType=12 -> Size=82252800000 "
            "Bytes";
        const std::string geometryEx =
            "res=1 Cy=10000 TrPerCy=255 SecPerTr=63 ByPerSec=512 MType=12 -> Size=82252800000 "
            "Bytes DiskSize=82252800000 Bytes";
        const std::string invalid = "res=0  Err=6  (INVALID_HANDLE)";
        struct Row {
            const char* button;
            int index;
            std::string volume, disk, noHandle;
        };
        // Windows, for comparison: a fixed volume answers the checks, the dirty bit, the
        // mounted test and the geometry; eject and load refuse a fixed disk; the length and
        // capacity requests answer; the extents show one.
        const Row rows[] = {
            {"cmdCheckVerify", -1, Refused("CheckVerify "), Refused("CheckVerify "),
             "CheckVerify " + invalid},
            {"cmdCheckVerify2", -1, Refused("CheckVerify2 "), Refused("CheckVerify2 "),
             "CheckVerify2 " + invalid},
            {"cmdDiskIsWritable", -1, Refused("DiskIsWritable "), Refused("DiskIsWritable "),
             "DiskIsWritable " + invalid},
            {"cmdIsDirty", -1, Refused("IsDirty "), Refused("IsDirty "), "IsDirty " + invalid},
            {"cmdIsMounted", -1, Stale("IsMounted res=1"), Stale("IsMounted res=1"),
             Stale("IsMounted res=1")},
            {"cmdEject", -1, Refused("Eject "), Refused("Eject "), "Eject " + invalid},
            {"cmdLoadMedia", -1, Refused("LoadMedia "), Refused("LoadMedia "),
             "LoadMedia " + invalid},
            {"cmdGetDiskGeo", -1, geometry, geometry, "GetDiskGeo " + invalid},
            {"cmdGetDiskGeoEx", -1, geometryEx, geometryEx, "GetDiskGeoEx " + invalid},
            {"cmdGetDiskLength", -1, Refused("GetDiskLength "), Refused("GetDiskLength "),
             "GetDiskLength " + invalid},
            {"cmdStorageReadCap", -1, Refused("GetSRC "), Refused("GetSRC "), "GetSRC " + invalid},
            // Wine: a stub of device 0, partition 1 for a volume and 0 for the disk.
            {"cmdGetDevNum", -1, "res=1 dwBytesRet=12  DevNum=0 PartNum=1",
             "res=1 dwBytesRet=12  DevNum=0 PartNum=0", "GetDevNum " + invalid},
            {"cmdStorageProps0", -1,
             "StorageProps0 res=1 dwBytesRet=40  RemovableMedia=0  BusType=1 (SCSI)",
             "StorageProps0 res=1 dwBytesRet=40  RemovableMedia=0  BusType=1 (SCSI)",
             "StorageProps0 " + invalid},
            // Wine: an all-zero answer, no extent.
            {"cmdGetDiskExtents", -1, "res=1 dwBytesRet=32  NumOfExtents=0",
             "res=1 dwBytesRet=32  NumOfExtents=0", "GetDiskExtents " + invalid},
            {"cmdMarkDirty", -1, Refused("MarkDirty "), Refused("MarkDirty "),
             "MarkDirty " + invalid},
            {"cmdOnOffline", 1, Refused("Offline "), Refused("Offline "), "Offline " + invalid},
            {"cmdOnOffline", 0, Refused("Online "), Refused("Online "), "Online " + invalid},
            {"cmdLock", 0, Stale("Lock res=1"), Stale("Lock res=1"), Stale("Lock res=1")},
            {"cmdLock", 1, Stale("Unlock res=1"), Stale("Unlock res=1"), Stale("Unlock res=1")},
            {"cmdDismount", -1, Refused("Dismount "), Refused("Dismount "), "Dismount " + invalid},
        };
        for (const Row& r : rows) {
            press(r.button, r.index);
            const std::string& want = column == 0 ? r.volume : column == 1 ? r.disk : r.noHandle;
            Expect(text("lblResult"), want,
                   std::string(r.button) + "(" + std::to_string(r.index) + ")");
        }
    }
};

TEST_F(DeviceControls, EveryButtonOnAVolume) {
    if (!sys::RunningUnderWine()) GTEST_SKIP() << "the lines are Wine's";
    open("\\\\.\\C:", "0xC0000000");
    ASSERT_EQ(text("lblResult"), "CreateFile success");
    const std::string handle = text("lblHandle");
    PressAll(0);
    EXPECT_EQ(text("lblHandle"), handle);
    Screenshot(hwnd, "device-controls");
}

TEST_F(DeviceControls, EveryButtonOnADisk) {
    if (!sys::RunningUnderWine()) GTEST_SKIP() << "the lines are Wine's";
    open("\\\\.\\PhysicalDrive0", "0xC0000000");
    ASSERT_EQ(text("lblResult"), "CreateFile success");
    PressAll(1);
}

TEST_F(DeviceControls, EveryButtonWithNoHandle) {
    if (!sys::RunningUnderWine()) GTEST_SKIP() << "the lines are Wine's";
    PressAll(2);
    EXPECT_EQ(text("lblHandle"), "0x0");
}

TEST_F(DeviceControls, TheAccessTheHandleHolds) {
    if (!sys::RunningUnderWine()) GTEST_SKIP() << "the lines are Wine's";
    // Online and offline need reading and writing: a read-only handle is refused first.
    open("\\\\.\\C:", "0x80000000");
    press("cmdOnOffline", 1);
    EXPECT_EQ(text("lblResult"), "Offline res=0  Err=5  (ACCESS_DENIED)");
    press("cmdOnOffline", 0);
    EXPECT_EQ(text("lblResult"), "Online res=0  Err=5  (ACCESS_DENIED)");
}

}  // namespace
}  // namespace guitest
