// The six path-query buttons driven headless against the simulated machine: their lines, the
// drives, volumes and files they meet, and the two text routines they read answers through.
#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <vector>

#include "pathq/Queries.h"
#include "tests/HandlerFixture.h"
#include "ui/Toolkit.h"

namespace {

using sys::w::DRIVE_CDROM;
using sys::w::DRIVE_FIXED;
using sys::w::DRIVE_RAMDISK;
using sys::w::DRIVE_REMOTE;

TEST(PathText, TrimAtNulTrimsBlanksOnlyAndCutsAtTheFirstNul) {
    using namespace std::string_literals;
    const std::pair<std::string, std::string> rows[] = {
        {"", ""},
        {std::string(256, ' '), ""},  // a buffer the call left alone
        {"NTFS\0"s + std::string(251, ' '), "NTFS"},
        {"  MY DATA\0"s + std::string(246, ' '), "MY DATA"},
        {"  a  b  ", "a  b"},
        {"label \0stale bytes\0"s, "label"},  // trimmed again after the cut
        {"\0DATA"s, ""},
        {"   \0DATA  "s, ""},
        {"A\0B\0C"s, "A"},
        {"\tA\t", "\tA\t"},  // only U+0020 is a blank
        {std::string(256, 'X'), std::string(256, 'X')},
    };
    for (const auto& [in, out] : rows) EXPECT_EQ(pathq::TrimAtNul(in), out) << '"' << in << '"';
}

TEST(PathText, AttributeNamesInTheTablesOrderWithoutUnnamedBits) {
    const std::pair<std::uint32_t, const char*> rows[] = {
        {0, ""},
        {0x20, "ARCHIVE"},
        {0x820, "ARCHIVE, COMPRESSED"},
        {0x12, "DIRECTORY, HIDDEN"},  // HIDDEN is the lower bit
        {0x16, "DIRECTORY, HIDDEN, SYSTEM"},
        {0x80, "NORMAL"},
        {0x8, ""},
        {0xFFFC0000u, ""},
        {0x80000021u, "ARCHIVE, READONLY"},
        {0xFFFFFFFFu,
         "ARCHIVE, COMPRESSED, DIRECTORY, HIDDEN, NORMAL, READONLY, SYSTEM, TEMPORARY, DEVICE, "
         "SPARSE_FILE, REPARSE_POINT, OFFLINE, NOT_CONTENT_INDEXED, ENCRYPTED, INTEGRITY_STREAM, "
         "VIRTUAL, NO_SCRUB_DATA"},
    };
    for (const auto& [bits, names] : rows)
        EXPECT_EQ(pathq::FileAttributeNames(bits), names) << bits;
}

TEST(PathText, VolumeSizeIsTheExactUnsignedProduct) {
    struct Row {
        std::uint32_t sectors, bytes, clusters;
        const char* size;
    };
    const Row rows[] = {
        {8, 512, 2000, "8192000"},
        {8, 512, 0x80000000u, "8796093022208"},
        {1, 1, 0xFFFFFFFFu, "4294967295"},
        {0xFFFFFFFFu, 641, 6700417, "18446744073709551615"},  // 2^64 - 1: the largest there is
        {0x80000000u, 0x80000000u, 4, "overflow"},            // 2^64
        {0xFFFFFFFFu, 0xFFFFFFFFu, 0xFFFFFFFFu, "overflow"},
        {0xFFFFFFFFu, 0xFFFFFFFFu, 0, "0"},
        {0, 0xFFFFFFFFu, 0xFFFFFFFFu, "0"},
    };
    for (const Row& r : rows)
        EXPECT_EQ(pathq::UnsignedProduct(r.sectors, r.bytes, r.clusters), r.size) << r.clusters;
}

class PathQuery : public HandlerTest {
  protected:
    std::string Press(const char* button, const std::string& path) {
        frm.cboFileName.setText(path);
        m.clearCalls();
        frm.ctl(button).click();
        return Result();
    }
    // The line a row's formatter makes of an answer no volume here could give.
    static std::string Line(const char* button, const pathq::Answer& a) {
        for (const pathq::Query& q : pathq::Queries())
            if (std::string(q.button) == button) return q.successLine(a);
        return "no row " + std::string(button);
    }
};

struct Row {
    const char* button;
    const char* call;
    bool hourglass;
    const char* onRoot;  // C:\ of a fresh machine with 2000 clusters, 1000 of them free
    const char* noDrive;
    const char* empty;
};

// clang-format off
const Row kRows[] = {
    {"cmdGetDriveType", "GetDriveTypeA", false, "GetDriveType  res=DRIVE_FIXED",
     "GetDriveType  res=DRIVE_NO_ROOT_DIR", "GetDriveType  res=DRIVE_NO_ROOT_DIR"},
    {"cmdFreeSpace", "GetDiskFreeSpaceA", false,
     "res=1 SecPerCluster=8 BytesPerCluster=512 Bytes FreeClusters=1000 TotalClusters=2000  -> Size=8192000",
     "GetDiskFreeSpaceEx Err=3  (PATH_NOT_FOUND)", "GetDiskFreeSpaceEx Err=3  (PATH_NOT_FOUND)"},
    {"cmdFreeSpaceEx", "GetDiskFreeSpaceExA", false,
     "res=1 FreeBytesAvail=4096000 Bytes TotalBytes=8192000 Bytes TotalFree=4096000 Bytes",
     "GetDiskFreeSpaceEx Err=3  (PATH_NOT_FOUND)", "GetDiskFreeSpaceEx Err=3  (PATH_NOT_FOUND)"},
    {"cmdGetVolumeInfo", "GetVolumeInformationA", false,
     "res=1 Name= Ser=43000000 FsFlags=3E700FF FsName=NTFS",
     "GetVolumeInformation Err=3  (PATH_NOT_FOUND)", "GetVolumeInformation Err=3  (PATH_NOT_FOUND)"},
    {"cmdGetVolumePathName", "GetVolumePathNameA", true, "res=1 Name=C:\\",
     "GetVolumePathName Err=2  (FILE_NOT_FOUND)", "GetVolumePathName Err=87  (INVALID_PARAMETER)"},
    {"cmdGetFileAttributes", "GetFileAttributesA", true,
     "GetFileAttributes  Attribs=0x16  (DIRECTORY, HIDDEN, SYSTEM)",
     "GetFileAttributes Err=3  (PATH_NOT_FOUND)", "GetFileAttributes Err=3  (PATH_NOT_FOUND)"},
};
// clang-format on

TEST_F(PathQuery, EveryButtonMakesItsOneCallAndLeavesTheHandleAlone) {
    ASSERT_EQ(std::size(kRows), pathq::Queries().size());
    m.setVolumeSpace('C', 2000 * 4096, 1000 * 4096);
    m.addFile("C:\\open.txt", "x");
    Params("C:\\open.txt", "0x80000000");
    frm.cmdCreateFile.click();
    const sys::Handle handle = frm.hFile;
    const std::string shown = frm.lblHandle.text();
    ASSERT_GT(handle, 0);
    for (const Row& r : kRows) {
        for (const auto& [path, line] : {std::pair<std::string, const char*>{"C:\\", r.onRoot},
                                         {"Q:\\", r.noDrive},
                                         {"", r.empty}}) {
            tk.pointerHistory.clear();
            EXPECT_EQ(Press(r.button, path), line) << r.button << " on \"" << path << "\"";
            EXPECT_EQ(m.calls(), std::vector<std::string>{r.call}) << r.button;
            const std::vector<int> busy{ui::kPointerHourglass, ui::kPointerDefault};
            EXPECT_EQ(tk.pointerHistory, r.hourglass ? busy : std::vector<int>{}) << r.button;
        }
    }
    EXPECT_EQ(frm.hFile, handle);
    EXPECT_EQ(frm.lblHandle.text(), shown);
    EXPECT_EQ(m.openHandles(), 1);
}

TEST_F(PathQuery, FailuresShowTheSystemsErrorAndTheDriveTypeHasNone) {
    const std::pair<const char*, const char*> rows[] = {
        {"GetDriveTypeA", "GetDriveType  res=DRIVE_UNKNOWN"},
        {"GetDiskFreeSpaceA", "GetDiskFreeSpaceEx Err=21  (NOT_READY)"},
        {"GetDiskFreeSpaceExA", "GetDiskFreeSpaceEx Err=21  (NOT_READY)"},
        {"GetVolumeInformationA", "GetVolumeInformation Err=21  (NOT_READY)"},
        {"GetVolumePathNameA", "GetVolumePathName Err=21  (NOT_READY)"},
        {"GetFileAttributesA", "GetFileAttributes Err=21  (NOT_READY)"},
    };
    for (std::size_t i = 0; i < std::size(rows); ++i) {
        m.failNext(rows[i].first, sys::err::NOT_READY);
        tk.pointerHistory.clear();
        EXPECT_EQ(Press(kRows[i].button, "C:\\"), rows[i].second);
        // The hourglass goes on the failure path too.
        EXPECT_EQ(tk.pointerHistory.size(), kRows[i].hourglass ? 2u : 0u) << kRows[i].button;
        EXPECT_EQ(tk.pointerHistory.empty() ? 0 : tk.pointerHistory.back(), ui::kPointerDefault);
    }
}

TEST_F(PathQuery, EveryDriveType) {
    m.addRemovableDrive('A');
    m.addRemovableDrive('B', true);
    m.addDrive('D', DRIVE_CDROM);
    m.addDrive('E', DRIVE_CDROM, false);
    m.addDrive('F', DRIVE_RAMDISK);
    m.addDrive('N', DRIVE_REMOTE);
    m.addDrive('G', DRIVE_FIXED);
    m.addDrive('H', DRIVE_FIXED);
    m.addDirectory("D:\\video");
    const std::pair<std::string, const char*> rows[] = {
        {"A:\\", "DRIVE_REMOVABLE"},
        {"B:\\", "DRIVE_REMOVABLE"},
        {"D:\\", "DRIVE_CDROM"},
        {"E:\\", "DRIVE_CDROM"},
        {"F:\\", "DRIVE_RAMDISK"},
        {"N:\\", "DRIVE_REMOTE"},
        {"G:\\", "DRIVE_FIXED"},
        {"D:", "DRIVE_CDROM"},
        {"D:\\video\\", "DRIVE_CDROM"},
        {"D:\\video", "DRIVE_NO_ROOT_DIR"},  // below the root a trailing backslash is needed
        {"A:\\x\\", "DRIVE_NO_ROOT_DIR"},    // nothing below the root of an empty drive
        {"\\\\.\\C:", "DRIVE_NO_ROOT_DIR"},
    };
    for (const auto& [path, name] : rows)
        EXPECT_EQ(Press("cmdGetDriveType", path), std::string("GetDriveType  res=") + name) << path;
    // Codes without a name, as a driver may report them.
    const std::pair<sys::DWORD, const char*> codes[] = {
        {0, "DRIVE_UNKNOWN"}, {7, "7"}, {1000, "1000"}, {0xFFFFFFFFu, "-1"}};
    for (const auto& [code, shown] : codes) {
        m.setDriveType('H', code);
        EXPECT_EQ(Press("cmdGetDriveType", "H:\\"), std::string("GetDriveType  res=") + shown);
    }
}

TEST_F(PathQuery, DrivesWithoutMediaAndOtherFileSystems) {
    m.addRemovableDrive('A');
    m.addDrive('D', DRIVE_CDROM);
    m.addDrive('E', DRIVE_CDROM, false);
    struct Case {
        const char* button;
        const char* path;
        const char* line;
    };
    // clang-format off
    const Case cases[] = {
        {"cmdFreeSpace", "A:\\", "GetDiskFreeSpaceEx Err=21  (NOT_READY)"},
        {"cmdFreeSpaceEx", "E:\\", "GetDiskFreeSpaceEx Err=21  (NOT_READY)"},
        {"cmdGetVolumeInfo", "E:\\", "GetVolumeInformation Err=21  (NOT_READY)"},
        {"cmdGetFileAttributes", "A:\\", "GetFileAttributes Err=21  (NOT_READY)"},
        // The volume path needs no medium.
        {"cmdGetVolumePathName", "E:\\movie\\part1", "res=1 Name=E:\\"},
        {"cmdFreeSpace", "D:\\", "res=1 SecPerCluster=1 BytesPerCluster=2048 Bytes FreeClusters=0 TotalClusters=333000  -> Size=681984000"},
        {"cmdGetVolumeInfo", "D:\\", "res=1 Name= Ser=44000000 FsFlags=80005 FsName=CDFS"},
    };
    // clang-format on
    for (const Case& c : cases) EXPECT_EQ(Press(c.button, c.path), c.line) << c.button << c.path;
}

TEST_F(PathQuery, CountsAndSizesAreUnsignedAndExact) {
    const std::uint64_t kTiB = std::uint64_t(1) << 40;
    // 3 * 2^30 clusters in all, 2.25 * 2^30 free: both beyond 2^31.
    m.setVolumeSpace('C', 12 * kTiB, 9 * kTiB);
    EXPECT_EQ(Press("cmdFreeSpace", "C:\\"),
              "res=1 SecPerCluster=8 BytesPerCluster=512 Bytes FreeClusters=2415919104 "
              "TotalClusters=3221225472  -> Size=13194139533312");
    // Beyond the 922,337,203,685,477 of a fixed-point number, up to the last 64-bit value.
    m.setVolumeSpace('C', UINT64_MAX, UINT64_MAX - 1);
    m.setCallerQuota('C', std::uint64_t(1) << 63);
    EXPECT_EQ(Press("cmdFreeSpaceEx", "C:\\"),
              "res=1 FreeBytesAvail=9223372036854775808 Bytes TotalBytes=18446744073709551615 "
              "Bytes TotalFree=18446744073709551614 Bytes");
    // More clusters than 32 bits hold: the counts stop at the largest, the size with them.
    EXPECT_EQ(Press("cmdFreeSpace", "C:\\"),
              "res=1 SecPerCluster=8 BytesPerCluster=512 Bytes FreeClusters=4294967295 "
              "TotalClusters=4294967295  -> Size=17592186040320");
}

TEST_F(PathQuery, SizesNoVolumeHereCouldGive) {
    pathq::Answer a;
    a.result = 1;
    a.sectorsPerCluster = a.bytesPerSector = 0xFFFFFFFFu;
    a.freeClusters = 0x80000000u;
    a.totalClusters = 2;
    EXPECT_EQ(Line("cmdFreeSpace", a),
              "res=1 SecPerCluster=4294967295 BytesPerCluster=4294967295 Bytes "
              "FreeClusters=2147483648 TotalClusters=2  -> Size=overflow");
    a.result = 0xFFFFFFFFu;  // a TRUE other than 1 is shown as it came
    a.totalClusters = 0;
    EXPECT_EQ(Line("cmdFreeSpace", a),
              "res=-1 SecPerCluster=4294967295 BytesPerCluster=4294967295 Bytes "
              "FreeClusters=2147483648 TotalClusters=0  -> Size=0");
}

TEST_F(PathQuery, TheFreeSpaceOfTheCallerAndOfTheVolumeSideBySide) {
    m.setVolumeSpace('C', 2000 * 4096, 1000 * 4096);
    m.setCallerQuota('C', 100 * 4096);
    EXPECT_EQ(Press("cmdFreeSpaceEx", "C:\\"),
              "res=1 FreeBytesAvail=409600 Bytes TotalBytes=8192000 Bytes TotalFree=4096000 Bytes");
    // What a quota leaves is what the cluster form counts as free.
    EXPECT_EQ(Press("cmdFreeSpace", "C:\\windows"),
              "res=1 SecPerCluster=8 BytesPerCluster=512 Bytes FreeClusters=100 "
              "TotalClusters=2000  -> Size=8192000");
    EXPECT_EQ(Press("cmdFreeSpaceEx", "C:\\open.txt"),
              "GetDiskFreeSpaceEx Err=2  (FILE_NOT_FOUND)");
    m.addFile("C:\\open.txt");
    EXPECT_EQ(Press("cmdFreeSpace", "C:\\open.txt"), "GetDiskFreeSpaceEx Err=267  (DIRECTORY)");
}

TEST_F(PathQuery, LabelsAndSerials) {
    const std::pair<std::pair<const char*, sys::DWORD>, const char*> rows[] = {
        {{"  MY  DATA  ", 0xA4B2C3D4u}, "Name=MY  DATA Ser=A4B2C3D4"},
        {{"DATA", 0x0012ABCDu}, "Name=DATA Ser=12ABCD"},
        {{"", 0}, "Name= Ser=0"},
        {{"0123456789ABCDEF0123456789ABCDEF", 0x80000000u},
         "Name=0123456789ABCDEF0123456789ABCDEF Ser=80000000"},
    };
    for (const auto& [volume, shown] : rows) {
        m.setVolumeLabel('C', volume.first, volume.second);
        EXPECT_EQ(Press("cmdGetVolumeInfo", "C:\\"),
                  std::string("res=1 ") + shown + " FsFlags=3E700FF FsName=NTFS");
    }
}

TEST_F(PathQuery, VolumeInformationWantsTheRootAsTyped) {
    m.addDirectory("C:\\windows\\system32");
    m.addFile("C:\\x.txt");
    const std::pair<std::string, const char*> rows[] = {
        {"C:\\windows", "Err=123  (INVALID_NAME)"},
        {"C:\\windows\\", "Err=144  (DIR_NOT_ROOT)"},
        {"C:\\windows\\system32\\", "Err=144  (DIR_NOT_ROOT)"},
        {"C:\\nonexistent\\x", "Err=123  (INVALID_NAME)"},
        {"C:\\nonexistent\\", "Err=2  (FILE_NOT_FOUND)"},
        {"C:\\x.txt", "Err=123  (INVALID_NAME)"},
        {"\\\\.\\C:", "Err=123  (INVALID_NAME)"},
        {" C:\\", "Err=123  (INVALID_NAME)"},  // the blank is not trimmed away
    };
    for (const auto& [path, error] : rows)
        EXPECT_EQ(Press("cmdGetVolumeInfo", path), std::string("GetVolumeInformation ") + error)
            << path;
    // "C:" is the drive's current directory: the root, or not, and no backslash is added.
    EXPECT_EQ(Press("cmdGetVolumeInfo", "C:").rfind("res=1 ", 0), 0u);
    ASSERT_TRUE(m.SetCurrentDirectoryA("C:\\windows"));
    EXPECT_EQ(Press("cmdGetVolumeInfo", "C:"), "GetVolumeInformation Err=123  (INVALID_NAME)");
    EXPECT_EQ(Press("cmdGetVolumeInfo", "\\\\?\\C:\\").rfind("res=1 ", 0), 0u);
}

TEST_F(PathQuery, VolumePathsOfNestedNames) {
    m.addDrive('D', DRIVE_CDROM);
    const std::pair<std::string, const char*> rows[] = {
        {"C:\\windows\\system32\\drivers\\etc\\hosts", "res=1 Name=C:\\"},  // need not exist
        {"c:/windows/", "res=1 Name=C:\\"},
        {"windows\\a\\..\\b", "res=1 Name=C:\\"},  // relative: the current drive
        {"C:", "res=1 Name=C:\\"},
        {"D:\\a\\b\\c\\", "res=1 Name=D:\\"},
        {"\\\\?\\c:\\windows\\x", "res=1 Name=\\\\?\\c:\\"},  // the prefix and the letter stay
        {"\\\\.\\C:", "res=1 Name=\\\\.\\C:\\"},
        {"Q:\\a\\b", "GetVolumePathName Err=2  (FILE_NOT_FOUND)"},
        {"\\\\.\\PhysicalDrive0", "GetVolumePathName Err=123  (INVALID_NAME)"},
    };
    for (const auto& [path, line] : rows)
        EXPECT_EQ(Press("cmdGetVolumePathName", path), line) << path;
}

TEST_F(PathQuery, EveryNamedAttributeAndTheUnnamedOnes) {
    // clang-format off
    const std::pair<sys::DWORD, const char*> rows[] = {
        {0x1, "0x1  (READONLY)"}, {0x2, "0x2  (HIDDEN)"}, {0x4, "0x4  (SYSTEM)"},
        {0x20, "0x20  (ARCHIVE)"}, {0x40, "0x40  (DEVICE)"}, {0x80, "0x80  (NORMAL)"},
        {0x100, "0x100  (TEMPORARY)"}, {0x200, "0x200  (SPARSE_FILE)"},
        {0x400, "0x400  (REPARSE_POINT)"}, {0x800, "0x800  (COMPRESSED)"},
        {0x1000, "0x1000  (OFFLINE)"}, {0x2000, "0x2000  (NOT_CONTENT_INDEXED)"},
        {0x4000, "0x4000  (ENCRYPTED)"}, {0x8000, "0x8000  (INTEGRITY_STREAM)"},
        {0x10000, "0x10000  (VIRTUAL)"}, {0x20000, "0x20000  (NO_SCRUB_DATA)"},
        {0x8, "0x8  ()"}, {0x40000, "0x40000  ()"}, {0x80000000u, "0x80000000  ()"},
        {0x80 | 0x20, "0x20  (ARCHIVE)"},  // NORMAL goes beside any other bit
        {0x820, "0x820  (ARCHIVE, COMPRESSED)"},
        {0, "0x80  (NORMAL)"},  // a file with none has NORMAL
    };
    // clang-format on
    m.addFile("C:\\f.bin");
    for (const auto& [bits, shown] : rows) {
        m.setAttributes("C:\\f.bin", bits);
        EXPECT_EQ(Press("cmdGetFileAttributes", "C:\\f.bin"),
                  std::string("GetFileAttributes  Attribs=") + shown);
    }
    m.addDirectory("C:\\hidden");
    m.setAttributes("C:\\hidden", 0x2 | 0x80);
    EXPECT_EQ(Press("cmdGetFileAttributes", "C:\\hidden"),
              "GetFileAttributes  Attribs=0x12  (DIRECTORY, HIDDEN)");
}

TEST_F(PathQuery, ThePathGoesOutAsTheBytesOfTheBox) {
    // "café" in code page 1252: the byte 0xE9 reaches the call unchanged.
    m.addFile("C:\\caf\xE9.txt");
    EXPECT_EQ(Press("cmdGetFileAttributes", "C:\\caf\xE9.txt"),
              "GetFileAttributes  Attribs=0x20  (ARCHIVE)");
    EXPECT_EQ(Press("cmdGetFileAttributes", "C:\\cafe.txt"),
              "GetFileAttributes Err=2  (FILE_NOT_FOUND)");
}

}  // namespace
