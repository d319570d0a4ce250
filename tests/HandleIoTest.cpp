// The handle I/O buttons and the position and size labels, driven headless.
#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <tuple>
#include <vector>

#include "io/HexView.h"
#include "tests/HandlerFixture.h"
#include "ui/Toolkit.h"

namespace {

using Strings = std::vector<std::string>;
const std::vector<int> kBusy{ui::kPointerHourglass, ui::kPointerDefault};
const Strings kResultPaint{"lblResult=Err=---"};
const Strings kResultAndCountPaint{"lblResult=Err=---", "lblRWcount="};

TEST(HexView, NiceCharDotsControlCodesAndTheCodesCp1252LeavesUndefined) {
    std::string shown;
    for (int b : {0, 31, 32, 126, 127, 128, 129, 141, 143, 144, 157, 158, 255})
        shown += io::NiceChar(static_cast<std::uint8_t>(b));
    EXPECT_EQ(shown, ".. ~.\x80.....\x9E\xFF");
}

class HandleIo : public HandlerTest {
  protected:
    void Reset() {
        m.clearCalls();
        tk.pointerHistory.clear();
        tk.repaints.clear();
    }
    // Clicks button, making the named call fail first.
    void Click(ui::Control& button, const char* failing = nullptr, sys::DWORD error = 0) {
        if (failing) m.failNext(failing, error);
        button.click();
    }
    void Enter(const std::string& name, ui::Control& b) {
        frm.cboFileName.setText(name);
        b.click();
    }
    std::string Pos() const { return frm.lblFilePos.text(); }
    std::string Labels() const {  // position | size | size tooltip
        return Pos() + " | " + frm.lblFileSize.text() + " | " + frm.lblFileSize.tooltip();
    }
};

// --- Read and write ---------------------------------------------------------------------------

TEST_F(HandleIo, ReadOfAHundredByteFileWithCount512ThenAtTheEnd) {
    std::string data;  // A to Z, then again
    for (int i = 0; i < 100; ++i) data += static_cast<char>('A' + i % 26);
    m.addFile("C:\\h.bin", data);
    Open("C:\\h.bin", "0x80000000");
    Read("512");
    EXPECT_EQ(Result() + " | " + Pos(), "ReadFile res=1 dwBytesRead=100 | Pos: 0x64 (100)");
    ASSERT_EQ(frm.lstHexView.count(), 7u);
    EXPECT_EQ(frm.lstHexView.itemText(6), "53545556  STUV");
    std::vector<std::uint8_t> buf(data.begin(), data.end());
    buf.resize(513);  // indices 0..512, zero past what was read
    EXPECT_EQ(frm.Buf, buf);

    frm.lblFilePos.setText("stale");
    Read("512");
    EXPECT_EQ(Result() + " | " + Pos(), "ReadFile res=1 dwBytesRead=0 | Pos: 0x64 (100)");
    EXPECT_EQ(frm.lstHexView.count(), 0u);
}

TEST_F(HandleIo, CountTextsAreRoundedHalvesToEvenAndOutsideTheirRangeOrGrammarMakeNoCall) {
    m.addFile("C:\\r.bin", std::string("\x41\x00\x7F\xFF", 4) + std::string(60, 'x'));
    Open("C:\\r.bin");
    Read("4");
    EXPECT_EQ(frm.lstHexView.itemText(0), "41007FFF  A..\xFF");
    // A read needs 1 to 2^31-1; a write refuses only what is beyond signed 32 bits.
    const std::pair<const char*, bool> rows[] = {
        {"0.4", false}, {"0x80000000", false}, {"2147483647.5", true}, {"-2147483649", true}};
    Reset();
    for (const auto& [text, beyond32Bits] : rows) {
        Read(text);
        EXPECT_EQ(Result(), "Err: wrong read count") << text;
        if (beyond32Bits) {
            Write(text);
            EXPECT_EQ(Result(), "WriteFile Err: Count is out of range") << text;
        }
    }
    // Text that is not one number (the grammar is NumberText's) is left in its box.
    Write("12abc");
    EXPECT_EQ(Result(), "WriteFile Err: Count is not a number");
    MoveTo("0", "12abc");
    EXPECT_EQ(Result() + " " + frm.txtPosLow.text(),
              "SetFilePointer Err: PosLow is not a number 12abc");
    MoveTo("2147483648", "0x100000000");  // both halves beyond 32 bits: the low one is named
    EXPECT_EQ(Result(), "SetFilePointer Err: PosLow is out of range");
    EXPECT_TRUE(m.calls().empty() && tk.pointerHistory.empty());
    EXPECT_EQ(frm.lstHexView.count(), 1u);
    for (const auto& [text, read] : {std::pair{"2.5", "2"}, {"3.5", "4"}}) {
        MoveTo("0", "0");
        Read(text);
        EXPECT_EQ(Result(), std::string("ReadFile res=1 dwBytesRead=") + read) << text;
    }
}

TEST_F(HandleIo, WritingZerosIsAskedFirstAndAllocationFailuresChangeNothing) {
    m.addFile("C:\\w.bin", "abc");
    Open("C:\\w.bin");
    Read("2");
    // Only Yes writes: No, and whatever else a box may return (IDCANCEL after Escape, IDOK, 0).
    for (const int answer : {ui::kIdNo, ui::kIdCancel, 1, 0, -1}) {
        tk.msgBoxAnswers = {answer};
        Reset();
        Write("3");
        EXPECT_EQ(Result(), "Err=---") << answer;
        EXPECT_EQ(Count("WriteFile") + Count("VirtualAlloc"), 0) << answer;
    }
    tk.msgBoxAnswers = {ui::kIdYes, ui::kIdYes};
    m.setAllocLimit(512);
    Reset();
    Read("1024");
    EXPECT_EQ(Result(), "Err: alloc mem failed");
    EXPECT_EQ(frm.lstHexView.count(), 1u);
    EXPECT_EQ(frm.Buf.size(), 3u);  // as No left it
    EXPECT_EQ(tk.pointerHistory, kBusy);

    MoveTo("0", "0");
    Reset();
    Write("512");
    const auto& box = tk.msgBoxes.back();
    EXPECT_EQ(box.text + "|" + box.title + "|" + std::to_string(box.style),
              "Writing ZEROS! Sure?|Warning|36");  // Yes/No, question mark
    EXPECT_EQ(Result(), "WriteFile res=1 dwBytesWritten=512");
    EXPECT_EQ(frm.lblRWcount.text(), "BytesWritten: 0x200 (512)");
    EXPECT_EQ(m.fileContents("C:\\w.bin"), "ab" + std::string(510, '\0'));
    EXPECT_EQ(frm.Buf.size(), 513u);  // extended keeping its bytes
    EXPECT_EQ(tk.repaints, kResultAndCountPaint);
    Write("1024");
    EXPECT_EQ(Result(), "Err: alloc mem failed");
    EXPECT_EQ(frm.Buf.size(), 1025u);  // extended once Yes was answered
    EXPECT_EQ(Count("WriteFile"), 1);  // only the write of 512
    EXPECT_EQ(m.liveAllocations(), 0u);
}

// --- Calls on the handle ----------------------------------------------------------------------

TEST_F(HandleIo, EveryCallOnTheHandleOfAFailedOpen) {
    Params("C:\\missing.bin", "0x80000000");
    frm.cmdCreateFile.click();
    ASSERT_EQ(frm.hFile, -1);
    frm.txtCount.setText("512");
    const std::string invalid = "6  (INVALID_HANDLE)";
    struct Row {
        ui::Control* button;
        std::string line;
        Strings paints;  // repainted at once, before the call
        std::string pos;
    };
    const Row rows[] = {
        {&frm.cmdRead, "ReadFile res=0 Err=" + invalid, kResultAndCountPaint, "kept"},
        {&frm.cmdSetFilePointer, "SetFilePointer Err=" + invalid, kResultPaint,
         "Pos: Error 6 (INVALID_HANDLE)"},
        {&frm.cmdSetEndOfFile, "SetEndOfFile Err=" + invalid, kResultPaint, "kept"},
        {&frm.cmdFlush, "FlushFileBuffers Err=" + invalid, {}, "kept"},
        {&frm.cmdGetFileType, "GetFileType Err=" + invalid, {}, "kept"},
    };
    for (const auto& [button, line, paints, pos] : rows) {
        Reset();
        frm.lblFilePos.setText("kept");
        button->click();
        EXPECT_EQ(Result() + " | " + Pos(), line + " | " + pos);
        EXPECT_EQ(tk.repaints, paints) << line;
        EXPECT_EQ(tk.pointerHistory, kBusy) << line;
    }
    EXPECT_EQ(m.liveAllocations(), 0u);
}

TEST_F(HandleIo, SetFilePointerJoinsTheHalvesAndJudgesByTheLastError) {
    m.addFile("C:\\p.bin");
    m.setFileSize("C:\\p.bin", 0x140000000ULL);
    Open("C:\\p.bin");
    m.SetLastError(87);  // left over from an earlier call
    MoveTo("0x0", "0xFFFFFFFF");
    EXPECT_EQ(Result() + " " + Pos(), "SetFilePointer success Pos: 0xFFFFFFFF (4294967295)");
    MoveTo("0", "0x10");
    MoveTo("-1", "0x0");  // before the start
    EXPECT_EQ(Result(), "SetFilePointer Err=131  (NEGATIVE_SEEK)");
    EXPECT_EQ(frm.txtPosHigh.text() + frm.txtPosLow.text() + " " + Pos(), "errerr Pos: 0x10 (16)");

    // Cutting beyond 4 GiB (reading and writing there is LargeSizesTest's).
    MoveTo("0x1", "0x10");
    frm.cmdSetEndOfFile.click();
    EXPECT_EQ(Result(), "SetEndOfFile res=1");
    EXPECT_EQ(m.fileSize("C:\\p.bin"), 0x100000010ULL);
}

// --- The position and size labels -------------------------------------------------------------

TEST_F(HandleIo, WhatEachClickShowsAndWhichLabelsItRefreshes) {
    m.addFile("C:\\t", std::string(100, 't'));
    m.addFile("C:\\o", "o");
    const std::string P = "mark pos", S = "mark size", T = "mark tip";
    Params("", "0xC0000000", 1 | 2);
    // What is done, then the result line (not checked when empty) and the labels it leaves.
    struct Step {
        std::function<void()> act;
        std::string line, pos, size, tip;
    };
    const Step steps[] = {
        {[&] { Enter("C:\\x", frm.cmdCreateFile); }, "", "Pos: ---", "Size: ---", ""},
        {[&] { Enter("C:\\t", frm.cmdCreateFile); }, "CreateFile success", "Pos: 0",
         "0x64 (100 Bytes)", ""},
        {[&] { Click(frm.cmdRead); }, "ReadFile res=1 dwBytesRead=16", "Pos: 0x10 (16)", S, T},
        {[&] { Click(frm.cmdRead, "ReadFile", 23); }, "ReadFile res=0 Err=23  (CRC)", P, S, T},
        {[&] { Click(frm.cmdWrite); }, "WriteFile res=1 dwBytesWritten=16", "Pos: 0x20 (32)", S, T},
        {[&] { Click(frm.cmdWrite, "WriteFile", 112); }, "WriteFile Err=112  (DISK_FULL)",
         "Pos: 0x20 (32)", S, T},
        {[&] { MoveTo("0", "0x1000"); }, "SetFilePointer success", "Pos: 0x1000 (4096)", S, T},
        {[&] { Click(frm.cmdSetEndOfFile); }, "SetEndOfFile res=1", P, S, T},
        {[&] { Click(frm.cmdFlush); }, "FlushFileBuffers res=1", P, S, T},
        {[&] { Enter("C:\\t", frm.cmdDelete); }, "DeleteFile Err=32  (SHARING_VIOLATION)", P, S, T},
        {[&] { Enter("C:\\x", frm.cmdDelete); }, "DeleteFile Err=2  (FILE_NOT_FOUND)", P, S, T},
        {[&] { Enter("C:\\o", frm.cmdDelete); }, "DeleteFile res=1", "Pos: ---", "Size: ---", ""},
        {[&] { Click(frm.cmdGetFileType); }, "GetFileType res=1   type=FILE_TYPE_DISK", P, S, T},
        {[&] { Click(frm.cmdGetFileType, "GetFileType", 0); },  // no error: an answer
         "GetFileType res=1   type=FILE_TYPE_UNKNOWN", P, S, T},
    };
    frm.txtCount.setText("16");
    for (const auto& [act, line, pos, size, tip] : steps) {
        frm.lblFilePos.setText(P);
        frm.lblFileSize.setText(S);
        frm.lblFileSize.setTooltip(T);
        act();
        EXPECT_EQ((line.empty() ? "" : Result()) + " | " + Labels(),
                  line + " | " + pos + " | " + size + " | " + tip);
    }
    EXPECT_EQ(m.fileSize("C:\\t"), 4096u);
}

TEST_F(HandleIo, SizeLabelFromEachQuery) {
    m.addFile("C:\\e.bin", "e");
    m.addFile("C:\\5g.bin");
    m.setFileSize("C:\\5g.bin", 0x140000000ULL);
    m.setVolumeSpace('C', 500107862016ULL + 1000, 1000);
    const char *read = "0x80000000", *none = "0x0";
    const std::string disk = "0x1326A62000 (82.3 GB)";
    // Name, access, calls made to fail with error, then the size label and its tooltip.
    struct Row {
        const char *name, *access;
        Strings failing;
        sys::DWORD error;
        std::string label, tip;
    };
    const Row rows[] = {
        {"C:\\5g.bin", read, {}, 0, "0x140000000 (5.4 GB)", ""},
        // A directory shows its volume's total: bytes, else whole clusters, else its own size.
        {"C:\\windows", read, {}, 0, "0x7470C063E8 (500.1 GB)", ""},
        {"C:\\windows", read, {"GetDiskFreeSpaceExA"}, 5, "0x7470C06000 (500.1 GB)", ""},
        {"C:\\windows", read, {"GetDiskFreeSpaceExA", "GetDiskFreeSpaceA"}, 5, "0x0 (0 Bytes)", ""},
        // A volume's length query answers with its partition, the geometry with the whole disk.
        {"\\\\.\\C:", read, {}, 0, "0x1326962000 (82.3 GB)", ""},
        {"\\\\.\\C:", none, {}, 0, disk, ""},
        // No size: the last query's error; 87 on an "X:\" name is a fixed text.
        {"C:\\e.bin", read, {"GetFileSize"}, 5, "err=1  (INVALID_FUNCTION)", "INVALID_FUNCTION"},
        {"C:\\e.bin", read, {"GetFileSize"}, 87, "err=87 (ERROR_INVALID_PARAMETER)", "tip"},
        {"\\\\.\\PhysicalDrive0", none, {"GetFileSize"}, 87, disk, ""},
    };
    for (const auto& [name, access, failing, error, label, tip] : rows) {
        frm.lblFileSize.setTooltip("tip");
        for (const std::string& call : failing) m.failNext(call, error);
        Open(name, access, "0x02000000");  // backup semantics, which directories need
        EXPECT_EQ(Labels(), "Pos: 0 | " + label + " | " + tip) << name;
        frm.cmdCloseHandle.click();
    }
    Open("C:\\e.bin", read);
    frm.cboFileName.setText("C:\\");  // the box's text is asked, not the opened name
    frm.RefreshFileSizeLabel();
    EXPECT_EQ(frm.lblFileSize.text(), "0x7470C063E8 (500.1 GB)");
}

}  // namespace
