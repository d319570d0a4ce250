#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

#include "io/Numbers.h"
#include "tests/HandlerFixture.h"
#include "ui/Toolkit.h"

namespace {

class PositionSize : public HandlerTest {
  protected:
    // Opens through the window and returns the size label.
    std::string OpenSize(const std::string& name, const std::string& access = "0x80000000",
                         const std::string& flags = "0x00000000") {
        Params(name, access, 1 | 2, 3, flags);
        frm.cmdCreateFile.click();
        EXPECT_EQ(Result(), "CreateFile success") << name << "\n" << m.toString();
        return frm.lblFileSize.text();
    }
    static std::string Label(std::int64_t size) {
        return "0x" + io::Hex64(size, 0) + " (" + io::FormatSize(size) + ")";
    }
    static constexpr std::int64_t kDiskBytes = 10000LL * 255 * 63 * 512;  // the machine's disk
};

// --- The size label -------------------------------------------------------------------------

TEST_F(PositionSize, FileSizeThroughARealOpen) {
    m.addFile("C:\\h.bin", std::string(100, 'h'));
    EXPECT_EQ(OpenSize("C:\\h.bin"), "0x64 (100 Bytes)");
    EXPECT_EQ(frm.lblFileSize.tooltip(), "");
    EXPECT_EQ(frm.lblFilePos.text(), "Pos: 0");  // set, not queried
    EXPECT_EQ(Count("SetFilePointer"), 0);
}

TEST_F(PositionSize, FileSizesAcrossThe32BitHalves) {
    const std::pair<std::uint64_t, const char*> rows[] = {
        {0, "0x0 (0 Bytes)"},
        {999, "0x3E7 (999 Bytes)"},
        {1000, "0x3E8 (1 KB)"},
        {4096, "0x1000 (4.096 KB)"},
        {999999, "0xF423F (999.999 KB)"},
        {1000000, "0xF4240 (1.0 MB)"},
        {0xFFFFFFFFULL, "0xFFFFFFFF (4.3 GB)"},  // low part all ones with last error 0: a size
        {0x100000000ULL, "0x100000000 (4.3 GB)"},
        {1000000000000ULL, "0xE8D4A51000 (1.0 TB)"},
    };
    for (const auto& [size, label] : rows) {
        const std::string name = "C:\\s" + std::to_string(size) + ".bin";
        m.addFile(name);
        m.setFileSize(name, size);
        EXPECT_EQ(OpenSize(name), label) << size;
        frm.cmdCloseHandle.click();
    }
}

TEST_F(PositionSize, DirectoryOnAVolumeShowsTheVolumesTotal) {
    m.setVolumeSpace('C', 500107862016ULL + 1000, 1000);
    EXPECT_EQ(OpenSize("C:\\windows", "0x80000000", "0x02000000"), "0x7470C063E8 (500.1 GB)");
    // When the extended query fails the cluster count decides, rounded down to whole clusters.
    frm.cmdCloseHandle.click();
    m.failNext("GetDiskFreeSpaceExA", 5);
    EXPECT_EQ(OpenSize("C:\\windows", "0x80000000", "0x02000000"), "0x7470C06000 (500.1 GB)");
    // Both failing: the handle's own answer stays, silently.
    frm.cmdCloseHandle.click();
    m.failNext("GetDiskFreeSpaceExA", 5);
    m.failNext("GetDiskFreeSpaceA", 5);
    EXPECT_EQ(OpenSize("C:\\windows", "0x80000000", "0x02000000"), "0x0 (0 Bytes)");
}

TEST_F(PositionSize, FreeSpaceUsesTheBoxTextNotTheOpenedName) {
    m.addFile("C:\\x.bin", std::string(10, 'x'));
    m.setVolumeSpace('C', 2000000, 1000);
    Params("C:\\x.bin", "0x80000000", 1);
    frm.cmdCreateFile.click();
    ASSERT_EQ(frm.lblFileSize.text(), "0xA (10 Bytes)");
    frm.cboFileName.setText("C:\\");
    frm.RefreshFileSizeLabel();
    EXPECT_EQ(frm.lblFileSize.text(), "0x1E8480 (2.0 MB)");
}

TEST_F(PositionSize, DiskSizeFromTheLengthQueryThenFromTheGeometry) {
    // A volume's length is its partition's (the disk less the first MiB); its geometry is the
    // whole disk's, so the label tells which query answered.
    const std::string partition = Label(kDiskBytes - 1024 * 1024);
    EXPECT_EQ(partition, "0x1326962000 (82.3 GB)");
    EXPECT_EQ(OpenSize("\\\\.\\C:", "0x80000000"), partition);
    frm.cmdCloseHandle.click();
    // The length query needs read access; without it the geometry answers.
    EXPECT_EQ(OpenSize("\\\\.\\C:", "0x0"), Label(kDiskBytes));
    frm.cmdCloseHandle.click();
    m.clearCalls();
    m.failNext("DeviceIoControl", 1);
    EXPECT_EQ(OpenSize("\\\\.\\C:", "0x80000000"), Label(kDiskBytes));
    EXPECT_EQ(Count("DeviceIoControl"), 2);
    frm.cmdCloseHandle.click();
    EXPECT_EQ(OpenSize("\\\\.\\PhysicalDrive0", "0x80000000"), "0x1326A62000 (82.3 GB)");
}

TEST_F(PositionSize, NoSizeShowsTheLastQuerysErrorWithItsNameAsTooltip) {
    m.addFile("C:\\e.bin", "e");
    m.failNext("GetFileSize", 5);
    // The length and geometry queries are not for a file: they leave 1.
    EXPECT_EQ(OpenSize("C:\\e.bin"), "err=1  (INVALID_FUNCTION)");
    EXPECT_EQ(frm.lblFileSize.tooltip(), "INVALID_FUNCTION");
    EXPECT_EQ(Count("GetDiskFreeSpaceExA"), 0);
}

TEST_F(PositionSize, ErrorEightySevenOnADriveNameIsAFixedText) {
    m.addFile("C:\\r.bin", "r");
    frm.lblFileSize.setTooltip("earlier tip");
    m.failNext("GetFileSize", 87);
    EXPECT_EQ(OpenSize("C:\\r.bin"), "err=87 (ERROR_INVALID_PARAMETER)");
    EXPECT_EQ(frm.lblFileSize.tooltip(), "earlier tip");
    EXPECT_EQ(Count("DeviceIoControl"), 0);
    // Without "X:\" at the start the size is looked for elsewhere.
    frm.cmdCloseHandle.click();
    m.clearCalls();
    m.failNext("GetFileSize", 87);
    EXPECT_EQ(OpenSize("\\\\.\\PhysicalDrive0", "0x0"), Label(kDiskBytes));
    frm.cmdCloseHandle.click();
    m.failNext("GetFileSize", 87);
    EXPECT_EQ(OpenSize("c:/r.bin"), "err=1  (INVALID_FUNCTION)");
    EXPECT_EQ(frm.lblFileSize.tooltip(), "INVALID_FUNCTION");
}

// --- The position label ---------------------------------------------------------------------

TEST_F(PositionSize, PositionLabelShowsPositionOrTheQuerysError) {
    m.addFile("C:\\p.bin");
    m.setFileSize("C:\\p.bin", 0x300000000ULL);
    OpenSize("C:\\p.bin");
    const std::pair<std::int64_t, const char*> rows[] = {
        {0, "Pos: 0x0 (0)"},
        {4096, "Pos: 0x1000 (4096)"},
        {0xFFFFFFFFLL, "Pos: 0xFFFFFFFF (4294967295)"},
        {0x100000000LL, "Pos: 0x100000000 (4294967296)"},
        {0x2ABCDEF01LL, "Pos: 0x2ABCDEF01 (11472334593)"},
    };
    for (const auto& [pos, label] : rows) {
        const io::LargeInteger li = io::ToLargeInteger(pos);
        std::int32_t high = li.HighPart;
        m.SetFilePointer(frm.hFile, static_cast<std::int32_t>(li.LowPart), &high, 0);
        frm.RefreshFilePointerLabel();
        EXPECT_EQ(frm.lblFilePos.text(), label);
    }
    frm.cmdCloseHandle.click();
    frm.RefreshFilePointerLabel();  // handle 0 after the close
    EXPECT_EQ(frm.lblFilePos.text(), "Pos: Error 6 (INVALID_HANDLE)");
}

// Which labels change after which event. Before each step both labels are marked; a step
// that must not touch a label finds the mark still there.
TEST_F(PositionSize, LabelRefreshTable) {
    m.addFile("C:\\t.bin", std::string(100, 't'));
    m.addFile("C:\\other.bin", "o");
    EXPECT_EQ(frm.lblFilePos.text(), "Pos:");
    EXPECT_EQ(frm.lblFileSize.text(), "---");
    const std::string kPos = "mark pos", kSize = "mark size";
    auto open = [&](const std::string& name) {
        Params(name, "0xC0000000", 1 | 2);
        frm.cmdCreateFile.click();
    };
    struct Step {
        const char* event;
        std::function<void()> act;
        std::string pos, size;
    };
    const std::vector<Step> steps = {
        {"open failed", [&] { open("C:\\none.bin"); }, "Pos: ---", "Size: ---"},
        {"open succeeded", [&] { open("C:\\t.bin"); }, "Pos: 0", "0x64 (100 Bytes)"},
        {"read succeeded",
         [&] {
             frm.txtCount.setText("16");
             frm.cmdRead.click();
         },
         "Pos: 0x10 (16)", kSize},
        {"read failed",
         [&] {
             m.failNext("ReadFile", 23);
             frm.cmdRead.click();
         },
         kPos, kSize},
        {"write succeeded", [&] { frm.cmdWrite.click(); }, "Pos: 0x20 (32)", kSize},
        {"write failed",
         [&] {
             m.failNext("WriteFile", 5);
             frm.cmdWrite.click();
         },
         "Pos: 0x20 (32)", kSize},
        {"pointer moved",
         [&] {
             frm.txtPosHigh.setText("0");
             frm.txtPosLow.setText("0x1000");
             frm.cmdSetFilePointer.click();
         },
         "Pos: 0x1000 (4096)", kSize},
        {"pointer move failed",
         [&] {
             frm.txtPosHigh.setText("-1");
             frm.cmdSetFilePointer.click();
         },
         "Pos: 0x1000 (4096)", kSize},
        {"end of file set", [&] { frm.cmdSetEndOfFile.click(); }, kPos, kSize},
        {"flushed", [&] { frm.cmdFlush.click(); }, kPos, kSize},
        {"file type", [&] { frm.cmdGetFileType.click(); }, kPos, kSize},
        {"delete failed",
         [&] {
             frm.cboFileName.setText("C:\\t.bin");
             frm.cmdDelete.click();
         },
         kPos, kSize},
        {"delete succeeded",
         [&] {
             frm.cboFileName.setText("C:\\other.bin");
             frm.cmdDelete.click();
         },
         "Pos: ---", "Size: ---"},
        {"closed", [&] { frm.cmdCloseHandle.click(); }, kPos, kSize},
    };
    for (const Step& s : steps) {
        frm.lblFilePos.setText(kPos);
        frm.lblFileSize.setText(kSize);
        s.act();
        EXPECT_EQ(frm.lblFilePos.text(), s.pos) << s.event << ": " << Result();
        EXPECT_EQ(frm.lblFileSize.text(), s.size) << s.event << ": " << Result();
    }
    EXPECT_EQ(m.fileSize("C:\\t.bin"), 4096u);  // the end of file was really set
}

}  // namespace
