// The main window's controls: names, kinds, captions, twip geometry and tooltips, in tab order.
#include "app/FrmMain.h"

namespace app {

using ui::Kind;

namespace {
constexpr int kBtnW = 1485, kBtnH = 405;  // operation buttons
// Number boxes: "0x" and eight of the widest hex digit, with the edit margins and the caret.
constexpr int kNumW = 1335;
constexpr int kC0 = 60, kC1 = 1620, kC2 = 3240, kC3 = 4800, kC4 = 6360, kC5 = 7920, kCR = 9600;

ui::ControlSpec Btn(const char* name, int index, const char* caption, int x, int y,
                    const char* tooltip) {
    return {name, index, Kind::Button, caption, {x, y, kBtnW, kBtnH}, tooltip};
}
ui::ControlSpec Lbl(int index, const char* caption, int x, int y, int w) {
    return {"Label", index, Kind::Label, caption, {x, y + 30, w, 255}};
}
}  // namespace

const std::vector<ui::ControlSpec>& MainControlTable() {
    static const std::vector<ui::ControlSpec> table = {
        // Parameters of the open.
        Lbl(0, "&FileName:", 60, 120, 1500),
        {"cboFileName", -1, Kind::ComboBox, "A:\\Test.txt", {1620, 120, 9405, 315}},
        Lbl(1, "&Access:", 60, 540, 1500),
        {"txtAccess", -1, Kind::TextBox, "0x00000000", {1650, 540, kNumW, 315}},
        {"cmdAccess", -1, Kind::Button, "...", {3030, 540, 405, 315}},
        {"lblAccessName", -1, Kind::Label, "---", {3510, 570, 7410, 255}},
        {"lblTestTextWidht", -1, Kind::Label, "lblTestTextWidht", {3510, 780, 1200, 195}},
        Lbl(2, "&Share:", 60, 930, 1500),
        {"chkShare", 0, Kind::CheckBox, "FILE_SHARE_READ", {1650, 930, 1935, 285}},
        {"chkShare", 1, Kind::CheckBox, "FILE_SHARE_WRITE", {3660, 930, 1935, 285}},
        {"chkShare", 2, Kind::CheckBox, "FILE_SHARE_DELETE", {5700, 930, 1935, 285}},
        Lbl(3, "&Security:", 60, 1350, 1500),
        Lbl(13, "NULL", 1650, 1350, 600),
        {"lstHexView",
         -1,
         Kind::VirtualList,
         "12345678901234567890123456789012  1234567890123456",
         {4080, 1320, 5865, 1740},
         "",
         0,
         "Courier New",
         8.25},
        Lbl(5, "Creation:", 60, 1710, 1500),
        {"cboCreation", -1, Kind::DropDownList, "", {1650, 1710, 2295, 315}},
        Lbl(4, "FlagsAnd&Attributes:", 60, 2100, 1560),
        {"txtFlagsAndAttibutes", -1, Kind::TextBox, "0x00000000", {1650, 2100, kNumW, 315}},
        {"cmdFlagsAndAttributesList", -1, Kind::Button, "...", {3030, 2100, 405, 315}},
        Lbl(6, "Template:", 60, 2490, 1500),
        Lbl(7, "NULL", 1650, 2490, 600),

        // Open, close, position and size.
        Btn("cmdCreateFile", -1, "&CreateFile", kC0, 3060,
            "FileName must be an existing Win32 object"),
        Btn("cmdCloseHandle", -1, "Cl&oseHandle", kC1, 3060, "needs an open handle"),
        {"Label", 9, Kind::Label, "Size:", {3180, 3150, 600, 255}},
        {"lblFileSize", -1, Kind::Label, "---", {3900, 3150, 2160, 255}},
        {"lblFilePos", -1, Kind::Label, "Pos:", {6120, 3150, 3300, 255}},
        {"fraVline", -1, Kind::Frame, "", {9480, 3060, 45, 3705}},
        {"Label", 8, Kind::Label, "Need a Path:", {kCR, 3285, 1485, 240}},

        // Handle I/O.
        Btn("cmdRead", -1, "&Read", kC0, 3540,
            "needs a handle to file, volume or disk with READ access"),
        Btn("cmdWrite", -1, "&Write", kC1, 3540,
            "needs a handle to file, volume or disk with WRITE access"),
        Lbl(10, "Count:", 3240, 3600, 630),
        {"txtCount", -1, Kind::TextBox, "512", {3870, 3585, kNumW, 315}},
        {"lblRWcount", -1, Kind::Label, "", {6120, 3630, 3300, 255}},
        Btn("cmdGetFileAttributes", -1, "GetFileAttributes", kCR, 3540,
            "FileName must be an existing file"),
        Btn("cmdSetEndOfFile", -1, "Set&EndOfFile", kC0, 4020,
            "needs a handle to file with WRITE access"),
        Btn("cmdSetFilePointer", -1, "SetFile&Pointer", kC1, 4020,
            "needs a handle to file, volume or disk with READ or WRITE access"),
        Lbl(11, "PosLow:", 3200, 4080, 670),
        {"txtPosLow", -1, Kind::TextBox, "0x1000", {3870, 4065, kNumW, 315}},
        Lbl(12, "PosHigh:", 5230, 4080, 680),
        {"txtPosHigh", -1, Kind::TextBox, "0x0", {5910, 4065, kNumW, 315}},
        Btn("cmdDelete", -1, "&DeleteFile", kCR, 4020, "FileName must be an existing file"),

        // Device controls, with the path column on the right.
        Btn("cmdDeviceIoControl", -1, "DeviceIoControl...", kC0, 4500,
            " Send any device control request on hFile "),
        Btn("cmdMarkDirty", -1, "Set&Dirty", kC2, 4500,
            "FSCTL_MARK_VOLUME_DIRTY - needs a handle to a volume with READ access (even it is "
            "declared as ANY access and performs a write operation)"),
        Btn("cmdIsDirty", -1, "&IsDirty", kC3, 4500,
            "FSCTL_IS_VOLUME_DIRTY - needs a handle to a volume with READ access (even it is "
            "declared as ANY access)"),
        Btn("cmdGetDiskGeo", -1, "GetDiskGeo", kC4, 4500,
            "IOCTL_DISK_GET_DRIVE_GEOMETRY - needs handle to disk or volume with ANY access; "
            "returns data of the disk even the handle is of a volume"),
        Btn("cmdGetDiskGeoEx", -1, "GetDiskGeoEx", kC5, 4500,
            "IOCTL_DISK_GET_DRIVE_GEOMETRY_EX - needs handle to disk or volume with ANY access; "
            "returns data of the disk even the handle is of a volume"),
        Btn("cmdGetVolumeInfo", -1, "GetVolumeInfo", kCR, 4500,
            "GetVolumeInformation - FileName must be the root of a drive"),

        Btn("cmdFlush", -1, "FlushFile&Buffers", kC0, 4950,
            "needs a handle to a file or volume with WRITE access"),
        Btn("cmdGetFileType", -1, "GetFile&Type", kC1, 4950, "needs a handle with ANY access"),
        Btn("cmdOnOffline", 0, "Volume Online", kC2, 4950,
            "IOCTL_VOLUME_ONLINE - needs a handle to a volume with READ+WRITE access"),
        Btn("cmdOnOffline", 1, "Volume Offline", kC3, 4950,
            "IOCTL_VOLUME_OFFLINE - needs a handle to a volume with READ+WRITE access"),
        Btn("cmdGetDiskLength", -1, "GetDiskLength", kC4, 4950,
            " IOCTL_DISK_GET_LENGTH_INFO - needs handle to disk or volume with READ access; "
            "returns length of the disk or volume"),
        Btn("cmdStorageReadCap", -1, "StorageReadCap", kC5, 4950,
            " IOCTL_STORAGE_READ_CAPACITY - needs handle to disk or volume with READ access; "
            "returns lenght of the disk even the handle is of a volume "),
        Btn("cmdGetVolumePathName", -1, "GetVolPathName", kCR, 4950,
            "GetVolumePathName - FileName must be a path"),

        Btn("cmdLock", 0, "&Lock", kC0, 5430,
            "FSCTL_LOCK_VOLUME - needs a handle to a volume with ANY access"),
        Btn("cmdLock", 1, "&UnLock", kC1, 5430,
            "FSCTL_UNLOCK_VOLUME - needs a handle to a volume with ANY access"),
        Btn("cmdDismount", -1, "&Dismount", kC2, 5430,
            "FSCTL_DISMOUNT_VOLUME - needs a handle to a volume with ANY access"),
        Btn("cmdIsMounted", -1, "Is&Mounted", kC3, 5430,
            "FSCTL_IS_VOLUME_MOUNTED - needs a handle to a volume with ANY access"),
        Btn("cmdGetDiskExtents", -1, "GetDiskExtents", kC4, 5430,
            "IOCTL_VOLUME_GET_VOLUME_DISK_EXTENTS - needs handle to a volume with INFO access; "
            "returns disk extents"),
        Btn("cmdGetDiskAttributes", -1, "GetDiskAttributes", kC5, 5430,
            "IOCTL_DISK_GET_DISK_ATTRIBUTES - needs handle to disk or volume with ANY access "
            "(Win7+)"),
        Btn("cmdFreeSpace", -1, "GetFreeSpace", kCR, 5430,
            "GetDiskFreeSpaceEx - FileName must be the root of a drive"),

        Btn("cmdEject", -1, "&Eject", kC0, 5910,
            "IOCTL_STORAGE_EJECT_MEDIA - needs a handle to a volume with READ access"),
        Btn("cmdLoadMedia", -1, "&Load Media", kC1, 5910,
            "IOCTL_STORAGE_LOAD_MEDIA - needs a handle to a volume with READ access"),
        Btn("cmdCheckVerify", -1, "CheckVerify", kC2, 5910,
            "IOCTL_STORAGE_CHECK_VERIFY - needs a handle to a volume with READ access"),
        Btn("cmdCheckVerify2", -1, "CheckVerify2", kC3, 5910,
            "IOCTL_STORAGE_CHECK_VERIFY2 - needs a handle to a volume with ANY access"),
        Btn("cmdGetDevNum", -1, "GetDevNum", kC4, 5910,
            "IOCTL_STORAGE_GET_DEVICE_NUMBER - needs handle to disk or volume with ANY access"),
        Btn("cmdSetDiskAttributes", -1, "SetDiskAttributes", kC5, 5910,
            "IOCTL_DISK_SET_DISK_ATTRIBUTES - needs handle to disk or volume with READ+WRITE "
            "access (Win7+)"),
        Btn("cmdFreeSpaceEx", -1, "GetFreeSpaceEx", kCR, 5910,
            "GetDiskFreeSpaceEx - FileName must be the root of a drive"),

        Btn("cmdVolGetGptAttr", -1, "Vol Get GPT Attr", 3210, 6390,
            "IOCTL_VOLUME_GET_GPT_ATTRIBUTES - needs a handle to a volume with ANY access"),
        Btn("cmdVolSetGptAttr", -1, "Vol Set GPT Attr", kC3, 6390,
            "IOCTL_VOLUME_SET_GPT_ATTRIBUTES - needs a handle to a volume with ANY access"),
        Btn("cmdDiskIsWritable", -1, "DiskIsWritable", kC4, 6390,
            "IOCTL_DISK_IS_WRITABLE - needs handle to disk or volume with ANY access"),
        Btn("cmdStorageProps0", -1, "StorageProps0", kC5, 6390,
            "IOCTL_STORAGE_QUERY_PROPERTY - needs a handle to a drive or volume with ANY access"),
        Btn("cmdGetDriveType", -1, "GetDriveType", kCR, 6390,
            "GetDriveType - needs a root path to a volume, disk or CDROM"),

        // Handle and result line.
        {"lblhFile", -1, Kind::Label, "hFile:", {90, 6900, 420, 255}},
        {"lblHandle", -1, Kind::Label, "0xFFFFFFFF", {510, 6900, 1080, 255}},
        {"lblResult", -1, Kind::Label, "--", {1650, 6900, 6900, 255}},
        {"lblAbout", -1, Kind::Label, "", {8640, 6960, 2445, 255}},
    };
    return table;
}

}  // namespace app
