// The six path-query buttons pressed in the real window against the real kernel32, with paths
// typed into the real cboFileName. Under Wine the free space is the host's: its lines are
// checked for their shape and for a size that is the product of the figures shown.
#include "MainWindowFixture.h"

#include <regex>
#include <string>
#include <vector>

namespace guitest {
namespace {

class PathQueries : public MainWindow {
  protected:
    std::string ask(const char* button, const std::string& path) {
        type("cboFileName", path);
        press(button);
        return text("lblResult");
    }
    // The decimal numbers of a line that matches `pattern`, or nothing when it does not.
    static std::vector<unsigned long long> numbers(const std::string& line, const char* pattern) {
        std::smatch m;
        std::vector<unsigned long long> n;
        if (std::regex_match(line, m, std::regex(pattern)))
            for (std::size_t i = 1; i < m.size(); ++i) n.push_back(std::stoull(m[i].str()));
        return n;
    }
};

TEST_F(PathQueries, TheSystemDrive) {
    if (!sys::RunningUnderWine()) GTEST_SKIP() << "the lines are Wine's";
    EXPECT_EQ(ask("cmdGetDriveType", "C:\\"), "GetDriveType  res=DRIVE_FIXED");
    EXPECT_EQ(ask("cmdGetDriveType", "C:"), "GetDriveType  res=DRIVE_FIXED");

    const std::string clusters = ask("cmdFreeSpace", "C:\\");
    const auto c = numbers(clusters,
                           "res=1 SecPerCluster=(\\d+) BytesPerCluster=(\\d+) Bytes "
                           "FreeClusters=(\\d+) TotalClusters=(\\d+)  -> Size=(\\d+)");
    ASSERT_EQ(c.size(), 5u) << clusters;
    EXPECT_LE(c[2], c[3]) << clusters;
    EXPECT_EQ(c[4], c[0] * c[1] * c[3]) << clusters;  // the host's disk is far below 2^64

    const std::string bytes = ask("cmdFreeSpaceEx", "C:\\");
    const auto b = numbers(
        bytes, "res=1 FreeBytesAvail=(\\d+) Bytes TotalBytes=(\\d+) Bytes TotalFree=(\\d+) Bytes");
    ASSERT_EQ(b.size(), 3u) << bytes;
    EXPECT_TRUE(b[0] <= b[2] && b[2] <= b[1]) << bytes;
    EXPECT_GE(c[4], b[1]) << "the cluster form counts at least the bytes of the other";

    // Wine's serial is the drive letter's code shifted left by 24; the label is empty.
    EXPECT_EQ(ask("cmdGetVolumeInfo", "C:\\"), "res=1 Name= Ser=43000000 FsFlags=A FsName=NTFS");
    EXPECT_EQ(ask("cmdGetVolumePathName", "C:\\windows\\system32\\drivers\\"), "res=1 Name=C:\\");
    EXPECT_EQ(ask("cmdGetFileAttributes", "C:\\windows"),
              "GetFileAttributes  Attribs=0x10  (DIRECTORY)");
    EXPECT_EQ(ask("cmdGetFileAttributes", "Z:\\"),
              "GetFileAttributes  Attribs=0x410  (DIRECTORY, REPARSE_POINT)");
    Screenshot(hwnd, "path-queries");
}

TEST_F(PathQueries, NamesThatAreNoRootOrNothing) {
    if (!sys::RunningUnderWine()) GTEST_SKIP() << "the lines are Wine's";
    TempFile file("hb-gui-pathq.txt", "x");
    struct Row {
        const char* button;
        std::string path;
        const char* line;
    };
    // Windows, for comparison: no drive type for C:\windows and the device name (1), 123 for
    // the volume information of names without a trailing backslash, and the device name's
    // volume path \\.\C:\.
    const Row rows[] = {
        {"cmdGetDriveType", "C:\\windows", "GetDriveType  res=DRIVE_FIXED"},
        {"cmdGetDriveType", file.path, "GetDriveType  res=DRIVE_NO_ROOT_DIR"},
        {"cmdGetDriveType", "", "GetDriveType  res=DRIVE_NO_ROOT_DIR"},
        {"cmdGetDriveType", "\\\\.\\C:", "GetDriveType  res=DRIVE_UNKNOWN"},
        {"cmdFreeSpace", file.path, "GetDiskFreeSpaceEx Err=267  (DIRECTORY)"},
        {"cmdFreeSpace", "Q:\\", "GetDiskFreeSpaceEx Err=3  (PATH_NOT_FOUND)"},
        {"cmdFreeSpaceEx", "", "GetDiskFreeSpaceEx Err=3  (PATH_NOT_FOUND)"},
        {"cmdGetVolumeInfo", "C:\\windows", "GetVolumeInformation Err=123  (INVALID_NAME)"},
        {"cmdGetVolumeInfo", "C:\\windows\\", "GetVolumeInformation Err=144  (DIR_NOT_ROOT)"},
        {"cmdGetVolumeInfo", "\\\\.\\C:", "GetVolumeInformation Err=144  (DIR_NOT_ROOT)"},
        {"cmdGetVolumePathName", file.path, "res=1 Name=C:\\"},
        {"cmdGetVolumePathName", "", "GetVolumePathName Err=87  (INVALID_PARAMETER)"},
        {"cmdGetVolumePathName", "Q:\\", "GetVolumePathName Err=2  (FILE_NOT_FOUND)"},
        {"cmdGetVolumePathName", "\\\\.\\C:", "GetVolumePathName Err=123  (INVALID_NAME)"},
        {"cmdGetFileAttributes", file.path, "GetFileAttributes  Attribs=0x20  (ARCHIVE)"},
        {"cmdGetFileAttributes", file.path + ".missing",
         "GetFileAttributes Err=2  (FILE_NOT_FOUND)"},
        {"cmdGetFileAttributes", "\\\\.\\C:", "GetFileAttributes Err=66  (BAD_DEV_TYPE)"},
    };
    for (const Row& r : rows) EXPECT_EQ(ask(r.button, r.path), r.line) << r.button << " " << r.path;
    // Wine answers the free space of the device name; the simulated machine refuses it.
    EXPECT_EQ(ask("cmdFreeSpaceEx", "\\\\.\\C:").rfind("res=1 FreeBytesAvail=", 0), 0u);
}

TEST_F(PathQueries, TheHandleStaysAsItWas) {
    TempFile file("hb-gui-pathq-open.txt", "x");
    open(file.path, "0x80000000");
    ASSERT_EQ(text("lblResult"), "CreateFile success");
    const std::string handle = text("lblHandle");
    const sys::Handle hFile = frm->hFile;
    for (const char* button : {"cmdGetDriveType", "cmdFreeSpace", "cmdFreeSpaceEx",
                               "cmdGetVolumeInfo", "cmdGetVolumePathName", "cmdGetFileAttributes"})
        for (const std::string& path : {std::string("C:\\"), file.path, std::string()}) {
            ask(button, path);
            EXPECT_EQ(text("lblHandle"), handle) << button;
            EXPECT_EQ(frm->hFile, hFile) << button;
        }
    // Still open: the file cannot be deleted while the handle denies delete sharing.
    EXPECT_FALSE(DeleteFileA(file.path.c_str()));
    press("cmdCloseHandle");
    EXPECT_EQ(text("lblResult"), "CloseHandle res=1");
}

TEST_F(PathQueries, ThePathGoesOutAsTheBytesOfTheBox) {
    if (GetACP() != 1252) GTEST_SKIP() << "needs code page 1252";
    // "café" made through the ANSI call with the same bytes that are then typed.
    char temp[MAX_PATH];
    ASSERT_GT(GetTempPathA(MAX_PATH, temp), 0u);
    const std::string path = std::string(temp) + "hb-gui-caf\xE9.txt";
    CloseHandle(CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr));
    EXPECT_EQ(ask("cmdGetFileAttributes", path), "GetFileAttributes  Attribs=0x20  (ARCHIVE)");
    EXPECT_EQ(text("cboFileName"), path);
    EXPECT_TRUE(DeleteFileA(path.c_str()));
}

}  // namespace
}  // namespace guitest
