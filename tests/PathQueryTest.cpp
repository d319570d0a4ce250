// The six path-query buttons driven headless against the simulated machine: their lines, the
// calls they make, and the text routines they read answers through. What the system answers for
// each kind of path is the conformance table's.
#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <vector>

#include "pathq/Queries.h"
#include "tests/HandlerFixture.h"
#include "ui/Toolkit.h"

namespace {

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
    const char* failed;  // the call failing with NOT_READY
};

// clang-format off
const Row kRows[] = {
    {"cmdGetDriveType", "GetDriveTypeA", false, "GetDriveType  res=DRIVE_FIXED",
     "GetDriveType  res=DRIVE_UNKNOWN"},  // every code is an answer
    {"cmdFreeSpace", "GetDiskFreeSpaceA", false,
     "res=1 SecPerCluster=8 BytesPerCluster=512 Bytes FreeClusters=1000 TotalClusters=2000  -> Size=8192000",
     "GetDiskFreeSpaceEx Err=21  (NOT_READY)"},
    {"cmdFreeSpaceEx", "GetDiskFreeSpaceExA", false,
     "res=1 FreeBytesAvail=4096000 Bytes TotalBytes=8192000 Bytes TotalFree=4096000 Bytes",
     "GetDiskFreeSpaceEx Err=21  (NOT_READY)"},
    {"cmdGetVolumeInfo", "GetVolumeInformationA", false,
     "res=1 Name= Ser=43000000 FsFlags=3E700FF FsName=NTFS", "GetVolumeInformation Err=21  (NOT_READY)"},
    {"cmdGetVolumePathName", "GetVolumePathNameA", true, "res=1 Name=C:\\",
     "GetVolumePathName Err=21  (NOT_READY)"},
    {"cmdGetFileAttributes", "GetFileAttributesA", true,
     "GetFileAttributes  Attribs=0x16  (DIRECTORY, HIDDEN, SYSTEM)", "GetFileAttributes Err=21  (NOT_READY)"},
};
// clang-format on

TEST_F(PathQuery, EachButtonMakesItsOneCallAndLeavesTheHandleAlone) {
    m.setVolumeSpace('C', 2000 * 4096, 1000 * 4096);
    m.addFile("C:\\open.txt", "x");
    Open("C:\\open.txt", "0x80000000");
    const sys::Handle handle = frm.hFile;
    const std::string shown = frm.lblHandle.text();
    const std::vector<int> busy{ui::kPointerHourglass, ui::kPointerDefault};
    for (const Row& r : kRows) {
        for (const bool fails : {false, true}) {
            if (fails) m.failNext(r.call, sys::err::NOT_READY);
            tk.pointerHistory.clear();
            EXPECT_EQ(Press(r.button, "C:\\"), fails ? r.failed : r.onRoot);
            EXPECT_EQ(m.calls(), std::vector<std::string>{r.call}) << r.button;
            EXPECT_EQ(tk.pointerHistory, r.hourglass ? busy : std::vector<int>{}) << r.button;
        }
    }
    EXPECT_EQ(frm.hFile, handle);
    EXPECT_EQ(frm.lblHandle.text(), shown);
    EXPECT_EQ(m.openHandles(), 1);
}

TEST_F(PathQuery, EveryDriveTypeCodeAndThoseWithoutAName) {
    // clang-format off
    const char* const names[] = {"DRIVE_UNKNOWN", "DRIVE_NO_ROOT_DIR", "DRIVE_REMOVABLE",
                                 "DRIVE_FIXED", "DRIVE_REMOTE", "DRIVE_CDROM", "DRIVE_RAMDISK",
                                 "7", "-1"};
    // clang-format on
    for (sys::DWORD code = 0; code < std::size(names); ++code) {
        m.setDriveType('C', code == 8 ? 0xFFFFFFFFu : code);
        EXPECT_EQ(Press("cmdGetDriveType", "C:\\"),
                  std::string("GetDriveType  res=") + names[code]);
    }
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
    pathq::Answer a;
    a.result = 0xFFFFFFFFu;  // a TRUE other than 1 is shown as it came
    a.sectorsPerCluster = a.bytesPerSector = 0xFFFFFFFFu;
    a.freeClusters = 0x80000000u;
    a.totalClusters = 2;
    EXPECT_EQ(Line("cmdFreeSpace", a),
              "res=-1 SecPerCluster=4294967295 BytesPerCluster=4294967295 Bytes "
              "FreeClusters=2147483648 TotalClusters=2  -> Size=overflow");
}

TEST_F(PathQuery, LabelsAndSerials) {
    const std::pair<std::pair<const char*, sys::DWORD>, const char*> rows[] = {
        {{"  MY  DATA  ", 0x0012ABCDu}, "Name=MY  DATA Ser=12ABCD"},
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

TEST_F(PathQuery, ThePathGoesOutAsTyped) {
    // A leading blank is not trimmed away, and "C:" gets no backslash: it is the drive's
    // current directory, not its root.
    EXPECT_EQ(Press("cmdGetVolumeInfo", " C:\\"), "GetVolumeInformation Err=123  (INVALID_NAME)");
    ASSERT_TRUE(m.SetCurrentDirectoryA("C:\\windows"));
    EXPECT_EQ(Press("cmdGetVolumeInfo", "C:"), "GetVolumeInformation Err=123  (INVALID_NAME)");
}

TEST_F(PathQuery, AttributeMasksAreShownInHexWithTheirNames) {
    m.addFile("C:\\f.bin");
    const std::pair<sys::DWORD, const char*> rows[] = {
        {0x8, "0x8  ()"},
        {0x80000000u, "0x80000000  ()"},
        {0x821, "0x821  (ARCHIVE, COMPRESSED, READONLY)"}};
    for (const auto& [bits, shown] : rows) {
        m.setAttributes("C:\\f.bin", bits);
        EXPECT_EQ(Press("cmdGetFileAttributes", "C:\\f.bin"),
                  std::string("GetFileAttributes  Attribs=") + shown);
    }
}

}  // namespace
