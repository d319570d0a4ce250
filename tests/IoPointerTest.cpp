#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "tests/HandlerFixture.h"
#include "ui/Toolkit.h"

namespace {

class HandleCalls : public HandlerTest {
  protected:
    void Open(const std::string& name, const std::string& access = "0xC0000000",
              unsigned share = 1 | 2, const std::string& flags = "0x00000000") {
        Params(name, access, share, 3, flags);
        frm.cmdCreateFile.click();
        ASSERT_EQ(Result(), "CreateFile success") << m.toString();
        Reset();
    }
    void FailedOpen() {
        Params("C:\\no such file", "0x80000000");
        frm.cmdCreateFile.click();
        ASSERT_EQ(frm.hFile, -1);
        Reset();
    }
    void Reset() {
        m.clearCalls();
        tk.pointerHistory.clear();
        tk.repaints.clear();
    }
    void MoveTo(const std::string& high, const std::string& low) {
        frm.txtPosHigh.setText(high);
        frm.txtPosLow.setText(low);
        frm.cmdSetFilePointer.click();
    }
    const std::vector<int> kBusyThenDefault{ui::kPointerHourglass, ui::kPointerDefault};
};

// --- SetFilePointer -------------------------------------------------------------------------

TEST_F(HandleCalls, MovesToAbsolutePositionsFromTheTwoHalves) {
    m.addFile("C:\\p.bin");
    m.setFileSize("C:\\p.bin", 0x200000000ULL);
    Open("C:\\p.bin");
    struct Row {
        const char* high;
        const char* low;
        const char* pos;
    };
    const Row rows[] = {
        {"0x0", "0x1000", "Pos: 0x1000 (4096)"},  // the start texts
        {"0x0", "0xFFFFFFFF", "Pos: 0xFFFFFFFF (4294967295)"},
        {"0x1", "0x0", "Pos: 0x100000000 (4294967296)"},
        {"0", "-1", "Pos: 0xFFFFFFFF (4294967295)"},  // a negative low is the upper half
        {"0", "0x80000000", "Pos: 0x80000000 (2147483648)"},
        {"0", "0xB2D05E00", "Pos: 0xB2D05E00 (3000000000)"},
        {"1", "2147483647", "Pos: 0x17FFFFFFF (6442450943)"},
        {"0", "2.5", "Pos: 0x2 (2)"},  // rounded, halves to even
        {"0", "3.5", "Pos: 0x4 (4)"},
        {"0x0", "0x0", "Pos: 0x0 (0)"},
    };
    for (const Row& r : rows) {
        Reset();
        MoveTo(r.high, r.low);
        EXPECT_EQ(Result(), "SetFilePointer success") << r.high << " " << r.low;
        EXPECT_EQ(frm.lblFilePos.text(), r.pos) << r.high << " " << r.low;
        // The boxes keep what was typed.
        EXPECT_EQ(frm.txtPosHigh.text(), r.high);
        EXPECT_EQ(frm.txtPosLow.text(), r.low);
        EXPECT_EQ(tk.repaints, (std::vector<std::string>{"lblResult=Err=---"}));
        EXPECT_EQ(tk.pointerHistory, kBusyThenDefault);
    }
}

TEST_F(HandleCalls, NegativePositionFailsAndTheNextClickGoesToZero) {
    m.addFile("C:\\n.bin", std::string(100, 'n'));
    Open("C:\\n.bin");
    MoveTo("0x0", "0x10");
    MoveTo("-1", "0x0");
    EXPECT_EQ(Result(), "SetFilePointer Err=131  (NEGATIVE_SEEK)");
    EXPECT_EQ(frm.txtPosLow.text(), "err");
    EXPECT_EQ(frm.txtPosHigh.text(), "err");
    EXPECT_EQ(frm.lblFilePos.text(), "Pos: 0x10 (16)");  // refreshed; the pointer stayed
    frm.cmdSetFilePointer.click();                       // "err" reads as 0
    EXPECT_EQ(Result(), "SetFilePointer success");
    EXPECT_EQ(frm.lblFilePos.text(), "Pos: 0x0 (0)");
}

TEST_F(HandleCalls, FailureIsJudgedByTheLastErrorNotByTheHighPart) {
    // On an invalid handle the high part stays 0 as passed: only the last error tells.
    FailedOpen();
    MoveTo("0x0", "0x1000");
    EXPECT_EQ(Result(), "SetFilePointer Err=6  (INVALID_HANDLE)");
    EXPECT_EQ(frm.txtPosLow.text(), "err");
    EXPECT_EQ(frm.lblFilePos.text(), "Pos: Error 6 (INVALID_HANDLE)");
    // A failure whose result is not 0xFFFFFFFF cannot happen; one with error 0 is a success.
    EXPECT_EQ(m.calls().front(), "SetLastError");
}

TEST_F(HandleCalls, PositionTextsBeyond32BitsMakeNoCall) {
    m.addFile("C:\\r.bin");
    Open("C:\\r.bin");
    struct Row {
        const char* high;
        const char* low;
        const char* line;
    };
    const Row rows[] = {
        {"0", "3000000000", "SetFilePointer Err: PosLow is out of range"},
        {"0", "-2147483649", "SetFilePointer Err: PosLow is out of range"},
        {"0", "0x100000000", "SetFilePointer Err: PosLow is out of range"},
        {"0", "1e999", "SetFilePointer Err: PosLow is out of range"},
        {"4294967296", "0", "SetFilePointer Err: PosHigh is out of range"},
        {"2147483647.5", "0", "SetFilePointer Err: PosHigh is out of range"},
        {"2147483648", "3000000000", "SetFilePointer Err: PosLow is out of range"},
    };
    for (const Row& r : rows) {
        Reset();
        frm.lblFilePos.setText("kept");
        MoveTo(r.high, r.low);
        EXPECT_EQ(Result(), r.line) << r.high << " " << r.low;
        EXPECT_TRUE(m.calls().empty()) << r.high << " " << r.low;
        EXPECT_TRUE(tk.pointerHistory.empty());
        EXPECT_EQ(frm.txtPosHigh.text(), r.high);
        EXPECT_EQ(frm.txtPosLow.text(), r.low);
        EXPECT_EQ(frm.lblFilePos.text(), "kept");
    }
}

// --- SetEndOfFile ---------------------------------------------------------------------------

TEST_F(HandleCalls, EndOfFileCutsAndExtendsAtThePointerWithoutTouchingTheLabels) {
    m.addFile("C:\\e.bin", std::string(100, 'e'));
    Open("C:\\e.bin");
    MoveTo("0", "10");
    frm.lblFilePos.setText("pos kept");
    Reset();
    frm.cmdSetEndOfFile.click();
    EXPECT_EQ(Result(), "SetEndOfFile res=1");
    EXPECT_EQ(m.fileSize("C:\\e.bin"), 10u);
    EXPECT_EQ(frm.lblFileSize.text(), "0x64 (100 Bytes)");
    EXPECT_EQ(frm.lblFilePos.text(), "pos kept");
    EXPECT_EQ(tk.repaints, (std::vector<std::string>{"lblResult=Err=---"}));
    EXPECT_EQ(tk.pointerHistory, kBusyThenDefault);
    MoveTo("0x1", "0x0");
    frm.cmdSetEndOfFile.click();
    EXPECT_EQ(m.fileSize("C:\\e.bin"), 0x100000000ULL);
}

TEST_F(HandleCalls, EndOfFileFailures) {
    m.addFile("C:\\ro.bin", "abc");
    Open("C:\\ro.bin", "0x80000000", 1);
    frm.cmdSetEndOfFile.click();
    EXPECT_EQ(Result(), "SetEndOfFile Err=5  (ACCESS_DENIED)");
    EXPECT_EQ(m.fileSize("C:\\ro.bin"), 3u);
    FailedOpen();
    frm.cmdSetEndOfFile.click();
    EXPECT_EQ(Result(), "SetEndOfFile Err=6  (INVALID_HANDLE)");
}

// --- FlushFileBuffers -----------------------------------------------------------------------

TEST_F(HandleCalls, FlushLines) {
    m.addFile("C:\\f.bin", "f");
    Open("C:\\f.bin");
    frm.cmdFlush.click();
    EXPECT_EQ(Result(), "FlushFileBuffers res=1");
    EXPECT_TRUE(tk.repaints.empty());  // no placeholder before this call
    EXPECT_EQ(tk.pointerHistory, kBusyThenDefault);
    Open("C:\\f.bin", "0x80000000", 1 | 2);
    frm.cmdFlush.click();
    EXPECT_EQ(Result(), "FlushFileBuffers Err=5  (ACCESS_DENIED)");
    FailedOpen();
    frm.cmdFlush.click();
    EXPECT_EQ(Result(), "FlushFileBuffers Err=6  (INVALID_HANDLE)");
}

// --- DeleteFile -----------------------------------------------------------------------------

TEST_F(HandleCalls, DeleteOfAFileOpenWithoutShareDeleteIsRefused) {
    m.addFile("C:\\d.bin", std::string(100, 'd'));
    Open("C:\\d.bin", "0x80000000", 1 | 2);
    frm.cmdDelete.click();
    EXPECT_EQ(Result(), "DeleteFile Err=32  (SHARING_VIOLATION)");
    EXPECT_EQ(frm.lblFilePos.text(), "Pos: 0");
    EXPECT_EQ(frm.lblFileSize.text(), "0x64 (100 Bytes)");
    EXPECT_TRUE(m.exists("C:\\d.bin"));
    EXPECT_EQ(Count("DeleteFileA"), 1);
    EXPECT_EQ(tk.pointerHistory, kBusyThenDefault);
}

TEST_F(HandleCalls, DeleteOfAMissingFile) {
    m.addFile("C:\\open.bin", "x");
    Open("C:\\open.bin");
    frm.lblFileSize.setTooltip("tip");
    frm.cboFileName.setText("C:\\missing.bin");
    frm.cmdDelete.click();
    EXPECT_EQ(Result(), "DeleteFile Err=2  (FILE_NOT_FOUND)");
    EXPECT_EQ(frm.lblFilePos.text(), "Pos: 0");
    EXPECT_EQ(frm.lblFileSize.text(), "0x1 (1 Bytes)");
    EXPECT_EQ(frm.lblFileSize.tooltip(), "tip");
}

TEST_F(HandleCalls, SuccessfulDeleteResetsTheLabelsAndLeavesTheHandleOpen) {
    m.addFile("C:\\keep.bin", "keep");
    m.addFile("C:\\gone.bin", "gone");
    Open("C:\\keep.bin");
    const sys::Handle h = frm.hFile;
    const std::string handleLabel = frm.lblHandle.text();
    frm.lblFileSize.setTooltip("tip");
    frm.cboFileName.setText("C:\\gone.bin");
    frm.cmdDelete.click();
    EXPECT_EQ(Result(), "DeleteFile res=1");
    EXPECT_EQ(frm.lblFilePos.text(), "Pos: ---");
    EXPECT_EQ(frm.lblFileSize.text(), "Size: ---");
    EXPECT_EQ(frm.lblFileSize.tooltip(), "");
    EXPECT_FALSE(m.exists("C:\\gone.bin"));
    EXPECT_EQ(frm.hFile, h);
    EXPECT_EQ(frm.lblHandle.text(), handleLabel);
    EXPECT_EQ(Count("CloseHandle"), 0);
    frm.cmdGetFileType.click();  // still usable
    EXPECT_EQ(Result(), "GetFileType res=1   type=FILE_TYPE_DISK");
}

// --- GetFileType ----------------------------------------------------------------------------

TEST_F(HandleCalls, FileTypeOfWhatTheHandleIs) {
    m.addFile("C:\\t.bin", "t");
    struct Row {
        const char* name;
        const char* access;
        const char* line;
    };
    const Row rows[] = {
        {"C:\\t.bin", "0x80000000", "GetFileType res=1   type=FILE_TYPE_DISK"},
        {"C:\\t.bin", "0x0", "GetFileType res=1   type=FILE_TYPE_DISK"},  // any access
        {"\\\\.\\COM1", "0xC0000000", "GetFileType res=1   type=FILE_TYPE_CHAR"},
        {"\\\\.\\PhysicalDrive0", "0x0", "GetFileType res=1   type=FILE_TYPE_DISK"},
    };
    for (const Row& r : rows) {
        if (frm.hFile > 0) frm.cmdCloseHandle.click();
        Open(r.name, r.access, 1 | 2);
        frm.cmdGetFileType.click();
        EXPECT_EQ(Result(), r.line) << r.name;
        EXPECT_EQ(m.calls(), (std::vector<std::string>{"SetLastError", "GetFileType"}));
        EXPECT_EQ(tk.pointerHistory, kBusyThenDefault);
        EXPECT_TRUE(tk.repaints.empty());
    }
}

TEST_F(HandleCalls, FileTypeFailures) {
    frm.cmdGetFileType.click();  // no handle yet: 0
    EXPECT_EQ(Result(), "GetFileType Err=6  (INVALID_HANDLE)");
    FailedOpen();
    frm.cmdGetFileType.click();
    EXPECT_EQ(Result(), "GetFileType Err=6  (INVALID_HANDLE)");
}

TEST_F(HandleCalls, UnknownTypeWithAClearedErrorIsAnAnswer) {
    // An error left by an earlier call must not turn FILE_TYPE_UNKNOWN into a failure.
    m.addFile("C:\\u.bin", "u");
    Open("C:\\u.bin");
    m.SetLastError(5);
    frm.cmdGetFileType.click();
    EXPECT_EQ(Result(), "GetFileType res=1   type=FILE_TYPE_DISK");
    m.failNext("GetFileType", 0);
    frm.cmdGetFileType.click();
    EXPECT_EQ(Result(), "GetFileType res=1   type=FILE_TYPE_UNKNOWN");
}

}  // namespace
