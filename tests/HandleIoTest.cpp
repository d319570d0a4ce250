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
using Bytes = std::vector<std::uint8_t>;
const std::vector<int> kBusy{ui::kPointerHourglass, ui::kPointerDefault};
const Strings kResultPaint{"lblResult=Err=---"};
const Strings kResultAndCountPaint{"lblResult=Err=---", "lblRWcount="};

std::string Letters(std::size_t n) {
    std::string s(n, '\0');
    for (std::size_t i = 0; i < n; ++i) s[i] = static_cast<char>('A' + i % 26);
    return s;
}

TEST(HexView, NiceCharDotsControlCodesAndTheCodesCp1252LeavesUndefined) {
    std::string shown;
    for (int b : {0, 31, 32, 126, 127, 128, 129, 141, 143, 144, 157, 158, 255})
        shown += io::NiceChar(static_cast<std::uint8_t>(b));
    EXPECT_EQ(shown, ".. ~.\x80.....\x9E\xFF");
}

class HandleIo : public HandlerTest {
  protected:
    void Open(const std::string& name, const std::string& access = "0xC0000000",
              const std::string& flags = "0x00000000") {
        Params(name, access, 1 | 2, 3, flags);
        frm.cmdCreateFile.click();
        ASSERT_EQ(Result(), "CreateFile success") << name << "\n" << m.toString();
        Reset();
    }
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
    void Read(const std::string& count) {
        frm.txtCount.setText(count);
        frm.cmdRead.click();
    }
    void Write(const std::string& count) {
        frm.txtCount.setText(count);
        frm.cmdWrite.click();
    }
    void MoveTo(const std::string& high, const std::string& low) {
        frm.txtPosHigh.setText(high);
        frm.txtPosLow.setText(low);
        frm.cmdSetFilePointer.click();
    }
    void Enter(const std::string& name, ui::Control& button) {
        frm.cboFileName.setText(name);
        button.click();
    }
    Strings Lines() const {
        Strings lines;
        for (std::size_t i = 0; i < frm.lstHexView.count(); ++i)
            lines.push_back(frm.lstHexView.itemText(i));
        return lines;
    }
    std::string Pos() const { return frm.lblFilePos.text(); }
    std::string Size() const { return frm.lblFileSize.text(); }
    std::string Boxes() const { return frm.txtPosHigh.text() + " " + frm.txtPosLow.text(); }
};

// --- Read and write ---------------------------------------------------------------------------

TEST_F(HandleIo, ReadOfAHundredByteFileWithCount512ThenAtTheEnd) {
    const std::string data = Letters(100);
    m.addFile("C:\\h.bin", data);
    Open("C:\\h.bin", "0x80000000");
    Read("512");
    EXPECT_EQ(Result(), "ReadFile res=1 dwBytesRead=100");
    EXPECT_EQ(frm.lblRWcount.text(), "BytesRead: 0x64 (100)");
    EXPECT_EQ(Pos(), "Pos: 0x64 (100)");
    const Strings lines = Lines();
    ASSERT_EQ(lines.size(), 7u);
    EXPECT_EQ(lines[0], "4142434445464748494A4B4C4D4E4F50  ABCDEFGHIJKLMNOP");
    EXPECT_EQ(lines[6], "53545556  STUV");
    Bytes buf(data.begin(), data.end());
    buf.resize(513);  // indices 0..512, zero past what was read
    EXPECT_EQ(frm.Buf, buf);
    EXPECT_EQ(tk.repaints, kResultAndCountPaint);
    EXPECT_EQ(tk.pointerHistory, kBusy);
    EXPECT_EQ(m.liveAllocations(), 0u);

    frm.lblFilePos.setText("stale");
    Read("512");
    EXPECT_EQ(Result(), "ReadFile res=1 dwBytesRead=0");
    EXPECT_EQ(frm.lblRWcount.text(), "BytesRead: 0x0 (0)");
    EXPECT_EQ(Pos(), "Pos: 0x64 (100)");
    EXPECT_EQ(frm.lstHexView.count(), 0u);
    EXPECT_EQ(frm.Buf, Bytes(513, 0));
}

TEST_F(HandleIo, CountTextsAreRoundedHalvesToEvenAndOutsideTheirRangeMakeNoCall) {
    m.addFile("C:\\r.bin", std::string("\x41\x00\x7F\xFF", 4) + Letters(60));
    Open("C:\\r.bin");
    Read("4");
    const Strings dump = Lines();
    EXPECT_EQ(dump, Strings{"41007FFF  A..\xFF"});
    // A read needs 1 to 2^31-1; a write refuses only what is beyond signed 32 bits.
    const std::pair<const char*, bool> rows[] = {
        {"0", false},           {"-5", false},         {"abc", false},       {"", false},
        {"0.4", false},         {"0x80000000", false}, {"2147483648", true}, {"1e10", true},
        {"2147483647.5", true}, {"-2147483649", true}, {"1e999", true},      {"0x100000000", true}};
    for (const auto& [text, beyond32Bits] : rows) {
        Reset();
        Read(text);
        EXPECT_EQ(Result(), "Err: wrong read count") << text;
        if (beyond32Bits) {
            Write(text);
            EXPECT_EQ(Result(), "WriteFile Err: Count is out of range") << text;
        }
        EXPECT_TRUE(m.calls().empty() && tk.pointerHistory.empty()) << text;
        EXPECT_EQ(frm.lblRWcount.text(), "BytesRead: 0x4 (4)") << text;
        EXPECT_EQ(Lines(), dump) << text;
        EXPECT_EQ(frm.Buf.size(), 5u) << text;
    }
    const std::pair<const char*, const char*> rounded[] = {
        {"2.5", "2"}, {"3.5", "4"}, {"0.5000001", "1"}, {" 1 2", "12"}, {"0x200", "64"}};
    for (const auto& [text, read] : rounded) {
        MoveTo("0", "0");
        Read(text);
        EXPECT_EQ(Result(), std::string("ReadFile res=1 dwBytesRead=") + read) << text;
    }
}

TEST_F(HandleIo, ReadResizesBufDiscardingItsBytesAndNeverShrinksIt) {
    const std::string data = Letters(2000);
    m.addFile("C:\\g.bin", data);
    Open("C:\\g.bin");
    Read("512");
    MoveTo("0", "1000");
    Read("16");
    ASSERT_EQ(frm.Buf.size(), 513u);
    EXPECT_EQ(std::string(frm.Buf.begin(), frm.Buf.begin() + 512),
              data.substr(1000, 16) + data.substr(16, 496));
    MoveTo("0", "1990");
    Read("1024");  // 10 bytes there; the rest of the larger Buf is zero, not old bytes
    Bytes buf(data.begin() + 1990, data.end());
    buf.resize(1025);
    EXPECT_EQ(frm.Buf, buf);

    Click(frm.cmdRead, "ReadFile", 23);  // a failure keeps Buf and empties the view
    EXPECT_EQ(frm.Buf, buf);
    EXPECT_EQ(frm.lstHexView.count(), 0u);
}

TEST_F(HandleIo, WritingZerosIsAskedFirstAndAllocationFailuresChangeNothing) {
    m.addFile("C:\\w.bin", "abc");
    Open("C:\\w.bin");
    Read("2");
    tk.msgBoxAnswers = {ui::kIdNo, ui::kIdYes, ui::kIdYes};
    Reset();
    Write("3");
    EXPECT_EQ(Result(), "Err=---");
    EXPECT_EQ(Count("WriteFile") + Count("VirtualAlloc"), 0);
    EXPECT_EQ(frm.Buf.size(), 3u);
    MoveTo("0", "0");
    Reset();
    Write("512");
    ASSERT_EQ(tk.msgBoxes.size(), 2u);
    EXPECT_EQ(tk.msgBoxes[1].text + "|" + tk.msgBoxes[1].title, "Writing ZEROS! Sure?|Warning");
    EXPECT_EQ(tk.msgBoxes[1].style, 0x24u);
    EXPECT_EQ(Result(), "WriteFile res=1 dwBytesWritten=512");
    EXPECT_EQ(frm.lblRWcount.text(), "BytesWritten: 0x200 (512)");
    EXPECT_EQ(Pos(), "Pos: 0x200 (512)");
    EXPECT_EQ(m.fileContents("C:\\w.bin"), "ab" + std::string(510, '\0'));
    EXPECT_EQ(frm.Buf.size(), 513u);  // extended keeping its bytes
    EXPECT_EQ(frm.lstHexView.count(), 0u);
    EXPECT_EQ(tk.repaints, kResultAndCountPaint);

    MoveTo("0", "0");
    Read("16");
    const Strings dump = Lines();
    const Bytes buf = frm.Buf;
    m.setAllocLimit(512);
    Reset();
    Read("1024");
    EXPECT_EQ(Result(), "Err: alloc mem failed");
    EXPECT_EQ(Lines(), dump);
    EXPECT_EQ(frm.Buf, buf);
    EXPECT_EQ(tk.pointerHistory, kBusy);
    Write("1024");
    EXPECT_EQ(Result(), "Err: alloc mem failed");
    EXPECT_EQ(frm.Buf.size(), 1025u);  // extended once Yes was answered
    EXPECT_EQ(Count("ReadFile") + Count("WriteFile"), 0);
    EXPECT_EQ(m.liveAllocations(), 0u);
}

// --- Calls on the handle ----------------------------------------------------------------------

TEST_F(HandleIo, EveryCallOnTheHandleOfAFailedOpen) {
    Params("C:\\missing.bin", "0x80000000");
    frm.cmdCreateFile.click();
    ASSERT_EQ(frm.hFile, -1);
    frm.txtCount.setText("512");
    const std::string invalid = "6  (INVALID_HANDLE)";
    const std::tuple<ui::Control*, std::string, Strings, std::string> rows[] = {
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
        EXPECT_EQ(Result(), line);
        EXPECT_EQ(tk.repaints, paints) << line;
        EXPECT_EQ(tk.pointerHistory, kBusy) << line;
        EXPECT_EQ(Pos(), pos) << line;
    }
    EXPECT_EQ(frm.lblHandle.text(), "0xFFFFFFFF");
    EXPECT_EQ(frm.lblRWcount.text(), "BytesRead: 0x0 (0)");
    EXPECT_EQ(frm.Buf, Bytes(513, 0));  // sized before the read
    EXPECT_EQ(m.liveAllocations(), 0u);
}

TEST_F(HandleIo, SetFilePointerJoinsTheHalvesAndJudgesByTheLastError) {
    m.addFile("C:\\p.bin");
    m.setFileSize("C:\\p.bin", 0x140000000ULL);
    Open("C:\\p.bin");
    const char* rows[][3] = {
        {"0x0", "0xFFFFFFFF", "Pos: 0xFFFFFFFF (4294967295)"},
        {"0", "-1", "Pos: 0xFFFFFFFF (4294967295)"},
        {"0x1", "0x0", "Pos: 0x100000000 (4294967296)"},
        {"1", "2147483647", "Pos: 0x17FFFFFFF (6442450943)"},
        {"0", "2.5", "Pos: 0x2 (2)"},
        {"0", "3.5", "Pos: 0x4 (4)"},
    };
    for (const auto& [high, low, pos] : rows) {
        m.SetLastError(87);  // left over from an earlier call
        Reset();
        MoveTo(high, low);
        EXPECT_EQ(Result() + " " + Pos(), std::string("SetFilePointer success ") + pos);
        EXPECT_EQ(Boxes(), std::string(high) + " " + low);
        EXPECT_EQ(tk.repaints, kResultPaint);
        EXPECT_EQ(tk.pointerHistory, kBusy);
    }
    MoveTo("0", "0x10");
    MoveTo("-1", "0x0");  // before the start
    EXPECT_EQ(Result(), "SetFilePointer Err=131  (NEGATIVE_SEEK)");
    EXPECT_EQ(Boxes() + " " + Pos(), "err err Pos: 0x10 (16)");

    const char* beyond32Bits[][3] = {{"0", "3000000000", "PosLow"},
                                     {"0", "-2147483649", "PosLow"},
                                     {"2147483647.5", "0", "PosHigh"},
                                     {"2147483648", "0x100000000", "PosLow"}};
    for (const auto& [high, low, box] : beyond32Bits) {
        Reset();
        MoveTo(high, low);
        EXPECT_EQ(Result(), std::string("SetFilePointer Err: ") + box + " is out of range");
        EXPECT_TRUE(m.calls().empty() && tk.pointerHistory.empty()) << high << " " << low;
        EXPECT_EQ(Boxes() + " " + Pos(), std::string(high) + " " + low + " Pos: 0x10 (16)");
    }
    // Reading and cutting beyond 4 GiB.
    MoveTo("0x1", "0x0");
    Read("16");
    EXPECT_EQ(Pos(), "Pos: 0x100000010 (4294967312)");
    EXPECT_EQ(Lines(), Strings{"00000000000000000000000000000000  ................"});
    MoveTo("0x1", "0x3FFFFFF8");
    Read("512");
    EXPECT_EQ(Result(), "ReadFile res=1 dwBytesRead=8");
    EXPECT_EQ(Pos(), "Pos: 0x140000000 (5368709120)");
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
    struct Step {
        std::function<void()> act;
        std::string line, pos, size, tip;  // line "" is not checked
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
        {[&] { MoveTo("-1", "0"); }, "SetFilePointer Err=131  (NEGATIVE_SEEK)",
         "Pos: 0x1000 (4096)", S, T},
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
    for (const Step& s : steps) {
        frm.lblFilePos.setText(P);
        frm.lblFileSize.setText(S);
        frm.lblFileSize.setTooltip(T);
        s.act();
        EXPECT_EQ((s.line.empty() ? "" : Result()) + " | " + Pos() + " | " + Size() + " | " +
                      frm.lblFileSize.tooltip(),
                  s.line + " | " + s.pos + " | " + s.size + " | " + s.tip);
    }
    EXPECT_EQ(m.fileSize("C:\\t"), 4096u);
}

TEST_F(HandleIo, SizeLabelFromEachQuery) {
    m.addFile("C:\\e.bin", "e");
    m.addFile("C:\\4g.bin");
    m.setFileSize("C:\\4g.bin", 0xFFFFFFFFULL);
    m.addFile("C:\\5g.bin");
    m.setFileSize("C:\\5g.bin", 0x140000000ULL);
    m.setVolumeSpace('C', 500107862016ULL + 1000, 1000);
    const char *read = "0x80000000", *none = "0x0", *fn = "INVALID_FUNCTION";
    const std::string disk = "0x1326A62000 (82.3 GB)", volume = "0x1326962000 (82.3 GB)";
    struct Row {
        const char *name, *access;
        Strings failing;
        sys::DWORD error;
        std::string label, tip;
    };
    const Row rows[] = {
        {"C:\\4g.bin", read, {}, 0, "0xFFFFFFFF (4.3 GB)", ""},
        {"C:\\5g.bin", read, {}, 0, "0x140000000 (5.4 GB)", ""},
        // A directory shows its volume's total: bytes, else whole clusters, else its own size.
        {"C:\\windows", read, {}, 0, "0x7470C063E8 (500.1 GB)", ""},
        {"C:\\windows", read, {"GetDiskFreeSpaceExA"}, 5, "0x7470C06000 (500.1 GB)", ""},
        {"C:\\windows", read, {"GetDiskFreeSpaceExA", "GetDiskFreeSpaceA"}, 5, "0x0 (0 Bytes)", ""},
        // A volume's length query answers with its partition, the geometry with the whole disk.
        {"\\\\.\\C:", read, {}, 0, volume, ""},
        {"\\\\.\\C:", none, {}, 0, disk, ""},
        // No size: the last query's error; 87 on an "X:\" name is a fixed text.
        {"C:\\e.bin", read, {"GetFileSize"}, 5, "err=1  (INVALID_FUNCTION)", fn},
        {"C:\\e.bin", read, {"GetFileSize"}, 87, "err=87 (ERROR_INVALID_PARAMETER)", "tip"},
        {"\\\\.\\PhysicalDrive0", none, {"GetFileSize"}, 87, disk, ""},
    };
    for (const Row& r : rows) {
        frm.lblFileSize.setTooltip("tip");
        for (const std::string& call : r.failing) m.failNext(call, r.error);
        Open(r.name, r.access, "0x02000000");  // backup semantics, which directories need
        EXPECT_EQ(Size() + " | " + frm.lblFileSize.tooltip(), r.label + " | " + r.tip) << r.name;
        frm.cmdCloseHandle.click();
    }
    Open("C:\\e.bin", read);
    frm.cboFileName.setText("C:\\");  // the box's text is asked, not the opened name
    frm.RefreshFileSizeLabel();
    EXPECT_EQ(Size(), "0x7470C063E8 (500.1 GB)");
}

}  // namespace
