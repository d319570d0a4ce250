#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "io/Numbers.h"
#include "tests/HandlerFixture.h"
#include "ui/Toolkit.h"

namespace {

class ReadWrite : public HandlerTest {
  protected:
    // Opens name through the window; access is the txtAccess text.
    void Open(const std::string& name, const std::string& access = "0xC0000000",
              unsigned share = 1 | 2) {
        Params(name, access, share);
        frm.cmdCreateFile.click();
        ASSERT_EQ(Result(), "CreateFile success") << m.toString();
        m.clearCalls();
        tk.pointerHistory.clear();
        tk.repaints.clear();
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
    std::vector<std::string> Lines() const {
        std::vector<std::string> lines;
        for (std::size_t i = 0; i < frm.lstHexView.count(); ++i)
            lines.push_back(frm.lstHexView.itemText(i));
        return lines;
    }
    static std::string Counting(std::size_t n) {
        std::string s(n, '\0');
        for (std::size_t i = 0; i < n; ++i) s[i] = static_cast<char>('A' + i % 26);
        return s;
    }
    const std::vector<int> kBusyThenDefault{ui::kPointerHourglass, ui::kPointerDefault};
};

// --- Read -----------------------------------------------------------------------------------

TEST_F(ReadWrite, CountsThatAreNoPositive32BitNumberMakeNoCall) {
    m.addFile("C:\\r.bin", Counting(64));
    Open("C:\\r.bin");
    Read("16");
    const std::vector<std::string> dump = Lines();
    for (const char* text :
         {"0", "-5", "abc", "", "0.4", "-0.5", "0x80000000", "0xFFFFFFFF", "2147483648",
          "2147483647.5", "-2147483649", "1e10", "1e999", "0x100000000"}) {
        m.clearCalls();
        tk.pointerHistory.clear();
        frm.lblRWcount.setText("kept");
        Read(text);
        EXPECT_EQ(Result(), "Err: wrong read count") << text;
        EXPECT_TRUE(m.calls().empty()) << text;
        EXPECT_TRUE(tk.pointerHistory.empty()) << text;
        EXPECT_EQ(frm.lblRWcount.text(), "kept") << text;
        EXPECT_EQ(Lines(), dump) << text;
        EXPECT_EQ(frm.Buf.size(), 17u) << text;
    }
}

TEST_F(ReadWrite, CountTextIsRoundedHalvesToEven) {
    m.addFile("C:\\r.bin", Counting(64));
    Open("C:\\r.bin");
    const std::pair<const char*, const char*> rows[] = {
        {"0x200", "ReadFile res=1 dwBytesRead=64"},  // 512 asked, 64 there
        {"2.5", "ReadFile res=1 dwBytesRead=2"},       {"3.5", "ReadFile res=1 dwBytesRead=4"},
        {"0.5000001", "ReadFile res=1 dwBytesRead=1"}, {" 1 2", "ReadFile res=1 dwBytesRead=12"},
    };
    for (const auto& [text, line] : rows) {
        MoveTo("0x0", "0x0");
        Read(text);
        EXPECT_EQ(Result(), line) << text;
    }
    EXPECT_EQ(Result(), "ReadFile res=1 dwBytesRead=12");
}

TEST_F(ReadWrite, ShortReadOfAHundredByteFile) {
    const std::string data = Counting(100);
    m.addFile("C:\\h.bin", data);
    Open("C:\\h.bin", "0x80000000", 1);
    Read("512");
    EXPECT_EQ(Result(), "ReadFile res=1 dwBytesRead=100");
    EXPECT_EQ(frm.lblRWcount.text(), "BytesRead: 0x64 (100)");
    EXPECT_EQ(frm.lblFilePos.text(), "Pos: 0x64 (100)");
    EXPECT_EQ(frm.lblHandle.text(), io::HexNoPad(static_cast<std::uint32_t>(frm.hFile)));
    const std::vector<std::string> lines = Lines();
    ASSERT_EQ(lines.size(), 7u);
    EXPECT_EQ(lines[0], "4142434445464748494A4B4C4D4E4F50  ABCDEFGHIJKLMNOP");
    EXPECT_EQ(lines[6], "53545556  STUV");
    for (std::size_t i = 0; i < 6; ++i) EXPECT_EQ(lines[i].size(), 50u) << i;
    EXPECT_EQ(frm.lstHexView.itemText(7), "");
    // Buf: indices 0..512, what was read, then zeros.
    ASSERT_EQ(frm.Buf.size(), 513u);
    EXPECT_EQ(std::string(frm.Buf.begin(), frm.Buf.begin() + 100), data);
    EXPECT_EQ(std::vector<std::uint8_t>(frm.Buf.begin() + 100, frm.Buf.end()),
              std::vector<std::uint8_t>(413, 0));
    // Placeholders painted before the slow call; busy pointer for the whole click.
    EXPECT_EQ(tk.repaints, (std::vector<std::string>{"lblResult=Err=---", "lblRWcount="}));
    EXPECT_EQ(tk.pointerHistory, kBusyThenDefault);
    EXPECT_EQ(Count("VirtualAlloc"), 1);
    EXPECT_EQ(Count("VirtualLock"), 1);
    EXPECT_EQ(Count("Sleep"), 1);
    EXPECT_EQ(Count("ReadFile"), 1);
    EXPECT_EQ(Count("VirtualFree"), 1);
    EXPECT_EQ(m.liveAllocations(), 0u);
}

TEST_F(ReadWrite, ReadAtEndOfFileShowsNothingAndRefreshesThePosition) {
    m.addFile("C:\\h.bin", Counting(100));
    Open("C:\\h.bin");
    Read("512");
    frm.lblFilePos.setText("stale");
    Read("512");
    EXPECT_EQ(Result(), "ReadFile res=1 dwBytesRead=0");
    EXPECT_EQ(frm.lblRWcount.text(), "BytesRead: 0x0 (0)");
    EXPECT_EQ(frm.lstHexView.count(), 0u);
    EXPECT_EQ(frm.lblFilePos.text(), "Pos: 0x64 (100)");
    // The zero-filled block was copied: the earlier bytes are gone from Buf.
    EXPECT_EQ(frm.Buf[0], 0);
}

TEST_F(ReadWrite, ReadAfterAFailedOpen) {
    Params("C:\\missing.bin", "0x80000000");
    frm.cmdCreateFile.click();
    ASSERT_EQ(frm.hFile, -1);
    Read("512");
    EXPECT_EQ(Result(), "ReadFile res=0 Err=6  (INVALID_HANDLE)");
    EXPECT_EQ(frm.lblHandle.text(), "0xFFFFFFFF");
    EXPECT_EQ(frm.lblRWcount.text(), "BytesRead: 0x0 (0)");
    EXPECT_EQ(frm.lstHexView.count(), 0u);
    EXPECT_EQ(frm.lblFilePos.text(), "Pos: ---");
    EXPECT_EQ(frm.Buf.size(), 513u);  // sized before the call, all zero
    EXPECT_EQ(m.liveAllocations(), 0u);
}

TEST_F(ReadWrite, BytesShowAsHexAndNiceCharacters) {
    m.addFile("C:\\b.bin", std::string("\x41\x00\x7F\xFF", 4));
    Open("C:\\b.bin");
    Read("4");
    EXPECT_EQ(Lines(), (std::vector<std::string>{"41007FFF  A..\xFF"}));
}

TEST_F(ReadWrite, FailedReadEmptiesTheViewAndKeepsBufUnlessItGrew) {
    m.addFile("C:\\f.bin", Counting(64));
    Open("C:\\f.bin");
    Read("32");
    ASSERT_EQ(frm.lstHexView.count(), 2u);
    m.failNext("ReadFile", 23);
    Read("16");
    EXPECT_EQ(Result(), "ReadFile res=0 Err=23  (CRC)");
    EXPECT_EQ(frm.lstHexView.count(), 0u);
    EXPECT_EQ(frm.lblFilePos.text(), "Pos: 0x20 (32)");  // not refreshed
    EXPECT_EQ(std::string(frm.Buf.begin(), frm.Buf.begin() + 32), Counting(32));
    m.failNext("ReadFile", 23);
    Read("64");
    EXPECT_EQ(frm.Buf, std::vector<std::uint8_t>(65, 0));  // resized before the call
    EXPECT_EQ(m.liveAllocations(), 0u);
}

TEST_F(ReadWrite, BufNeverShrinksAndGrowsClearedForALargerCount) {
    const std::string data = Counting(2000);
    m.addFile("C:\\g.bin", data);
    Open("C:\\g.bin");
    Read("512");
    MoveTo("0x0", "1000");
    Read("16");
    ASSERT_EQ(frm.Buf.size(), 513u);
    EXPECT_EQ(std::string(frm.Buf.begin(), frm.Buf.begin() + 16), data.substr(1000, 16));
    EXPECT_EQ(std::string(frm.Buf.begin() + 16, frm.Buf.begin() + 512), data.substr(16, 496));
    EXPECT_EQ(frm.lstHexView.count(), 1u);  // the view shows what this read got
    MoveTo("0x0", "1990");
    Read("1024");  // 10 bytes there: the rest of the larger Buf is zero, not old bytes
    ASSERT_EQ(frm.Buf.size(), 1025u);
    EXPECT_EQ(std::string(frm.Buf.begin(), frm.Buf.begin() + 10), data.substr(1990));
    EXPECT_EQ(std::vector<std::uint8_t>(frm.Buf.begin() + 10, frm.Buf.end()),
              std::vector<std::uint8_t>(1015, 0));
}

TEST_F(ReadWrite, AllocationFailureLeavesViewAndBufAsTheyWere) {
    m.addFile("C:\\a.bin", Counting(64));
    Open("C:\\a.bin");
    Read("32");
    const auto dump = Lines();
    const auto buf = frm.Buf;
    m.setAllocLimit(256);
    tk.pointerHistory.clear();
    Read("512");
    EXPECT_EQ(Result(), "Err: alloc mem failed");
    EXPECT_EQ(Lines(), dump);
    EXPECT_EQ(frm.Buf, buf);
    EXPECT_EQ(frm.lblRWcount.text(), "");
    EXPECT_EQ(tk.pointerHistory, kBusyThenDefault);
    EXPECT_EQ(m.liveAllocations(), 0u);
}

TEST_F(ReadWrite, ViewLinesComeFromBufWhenAsked) {
    m.addFile("C:\\v.bin", Counting(40));
    Open("C:\\v.bin");
    Read("40");
    ASSERT_EQ(frm.lstHexView.count(), 3u);
    // Nothing is kept per line: the texts follow Buf.
    frm.Buf[32] = 0x7E;
    EXPECT_EQ(frm.lstHexView.itemText(2), "7E48494A4B4C4D4E  ~HIJKLMN");
}

TEST_F(ReadWrite, PositionsBeyondFourGiBOnASparseFile) {
    m.addFile("C:\\sparse.bin");
    m.setFileSize("C:\\sparse.bin", 0x140000000ULL);  // 5 GiB
    Open("C:\\sparse.bin");
    MoveTo("0x1", "0x0");
    EXPECT_EQ(Result(), "SetFilePointer success");
    EXPECT_EQ(frm.lblFilePos.text(), "Pos: 0x100000000 (4294967296)");
    Read("16");
    EXPECT_EQ(Result(), "ReadFile res=1 dwBytesRead=16");
    EXPECT_EQ(frm.lblFilePos.text(), "Pos: 0x100000010 (4294967312)");
    EXPECT_EQ(Lines(),
              (std::vector<std::string>{"00000000000000000000000000000000  ................"}));
    MoveTo("0x1", "0x3FFFFFF8");  // 8 bytes before the end
    Read("512");
    EXPECT_EQ(Result(), "ReadFile res=1 dwBytesRead=8");
    EXPECT_EQ(frm.lblFilePos.text(), "Pos: 0x140000000 (5368709120)");
}

// --- Write ----------------------------------------------------------------------------------

TEST_F(ReadWrite, WriteRightAfterStartAsksAndWritesZeros) {
    m.addFile("C:\\w.bin");
    Open("C:\\w.bin");
    tk.msgBoxAnswers.push_back(ui::kIdYes);
    Write("512");
    ASSERT_EQ(tk.msgBoxes.size(), 1u);
    EXPECT_EQ(tk.msgBoxes[0].text, "Writing ZEROS! Sure?");
    EXPECT_EQ(tk.msgBoxes[0].title, "Warning");
    EXPECT_EQ(tk.msgBoxes[0].style, 0x24u);
    EXPECT_EQ(Result(), "WriteFile res=1 dwBytesWritten=512");
    EXPECT_EQ(frm.lblRWcount.text(), "BytesWritten: 0x200 (512)");
    EXPECT_EQ(frm.lblFilePos.text(), "Pos: 0x200 (512)");
    EXPECT_EQ(m.fileContents("C:\\w.bin"), std::string(512, '\0'));
    EXPECT_EQ(frm.Buf.size(), 513u);
    EXPECT_EQ(tk.repaints, (std::vector<std::string>{"lblResult=Err=---", "lblRWcount="}));
    EXPECT_EQ(tk.pointerHistory, kBusyThenDefault);
    EXPECT_EQ(m.liveAllocations(), 0u);
}

TEST_F(ReadWrite, AnsweringNoWritesNothingAndChangesNothing) {
    m.addFile("C:\\w.bin", "abc");
    Open("C:\\w.bin");
    Read("2");
    const auto dump = Lines();
    tk.msgBoxAnswers.push_back(ui::kIdNo);
    m.clearCalls();
    tk.pointerHistory.clear();
    Write("3");
    EXPECT_EQ(tk.msgBoxes.size(), 1u);
    EXPECT_EQ(Result(), "Err=---");
    EXPECT_EQ(Count("WriteFile"), 0);
    EXPECT_EQ(Count("VirtualAlloc"), 0);
    EXPECT_EQ(m.fileContents("C:\\w.bin"), "abc");
    EXPECT_EQ(frm.Buf.size(), 3u);
    EXPECT_EQ(Lines(), dump);
    EXPECT_EQ(tk.pointerHistory, kBusyThenDefault);
}

TEST_F(ReadWrite, WriteBackWhatWasReadWithoutAsking) {
    const std::string data = Counting(1024);
    m.addFile("C:\\c.bin", data);
    Open("C:\\c.bin");
    Read("512");
    Write("512");  // at 512: the second half becomes a copy of the first
    EXPECT_TRUE(tk.msgBoxes.empty());
    EXPECT_EQ(Result(), "WriteFile res=1 dwBytesWritten=512");
    EXPECT_EQ(frm.lblFilePos.text(), "Pos: 0x400 (1024)");
    EXPECT_EQ(m.fileContents("C:\\c.bin"), data.substr(0, 512) + data.substr(0, 512));
    EXPECT_EQ(frm.lstHexView.count(), 32u);  // the view stays
}

TEST_F(ReadWrite, ExtendingBufKeepsItsBytesAndClearsTheView) {
    const std::string data = Counting(512);
    m.addFile("C:\\e.bin", data);
    Open("C:\\e.bin");
    Read("512");
    MoveTo("0x0", "0x0");
    tk.msgBoxAnswers.push_back(ui::kIdYes);
    Write("513");
    EXPECT_EQ(tk.msgBoxes.size(), 1u);
    EXPECT_EQ(Result(), "WriteFile res=1 dwBytesWritten=513");
    EXPECT_EQ(m.fileContents("C:\\e.bin"), data + std::string(1, '\0'));
    EXPECT_EQ(frm.Buf.size(), 514u);
    EXPECT_EQ(frm.lstHexView.count(), 0u);
}

TEST_F(ReadWrite, AfterAShortReadTheWriteCarriesItsZeroPadding) {
    const std::string data = Counting(100);
    m.addFile("C:\\p.bin", data);
    Open("C:\\p.bin");
    Read("512");
    MoveTo("0x0", "0x0");
    Write("512");
    EXPECT_TRUE(tk.msgBoxes.empty());
    EXPECT_EQ(m.fileContents("C:\\p.bin"), data + std::string(412, '\0'));
}

TEST_F(ReadWrite, WriteThroughAReadOnlyHandle) {
    m.addFile("C:\\ro.bin", "abc");
    Open("C:\\ro.bin", "0x80000000", 1);
    Read("3");
    Write("3");
    EXPECT_EQ(Result(), "WriteFile Err=5  (ACCESS_DENIED)");
    EXPECT_EQ(frm.lblRWcount.text(), "BytesWritten: 0x0 (0)");
    EXPECT_EQ(frm.lblFilePos.text(), "Pos: 0x3 (3)");  // refreshed after a failure too
    EXPECT_EQ(m.fileContents("C:\\ro.bin"), "abc");
    EXPECT_EQ(m.liveAllocations(), 0u);
}

TEST_F(ReadWrite, WriteFailureShowsTheWritesErrorNotThePointerQuerys) {
    m.addFile("C:\\d.bin");
    Open("C:\\d.bin");
    tk.msgBoxAnswers.push_back(ui::kIdYes);
    m.failNext("WriteFile", 112);
    Write("16");
    EXPECT_EQ(Result(), "WriteFile Err=112  (DISK_FULL)");
    EXPECT_EQ(frm.lblFilePos.text(), "Pos: 0x0 (0)");
}

TEST_F(ReadWrite, WriteCountsOutOfRangeMakeNoCallAndLeaveBuf) {
    m.addFile("C:\\o.bin", "abc");
    Open("C:\\o.bin");
    Read("3");
    for (const char* text :
         {"2147483648", "-2147483649", "1e10", "-1e10", "0x100000000", "2147483647.5", "1e999"}) {
        m.clearCalls();
        tk.pointerHistory.clear();
        Write(text);
        EXPECT_EQ(Result(), "WriteFile Err: Count is out of range") << text;
        EXPECT_TRUE(m.calls().empty()) << text;
        EXPECT_TRUE(tk.msgBoxes.empty()) << text;
        EXPECT_TRUE(tk.pointerHistory.empty()) << text;
        EXPECT_EQ(frm.Buf.size(), 4u) << text;
    }
    EXPECT_EQ(m.fileContents("C:\\o.bin"), "abc");
}

TEST_F(ReadWrite, CountsOfZeroOrBelowFailTheAllocation) {
    m.addFile("C:\\z.bin");
    Open("C:\\z.bin");
    Write("-5");  // Buf never sized: -1 is not below -5, so no question
    EXPECT_TRUE(tk.msgBoxes.empty());
    EXPECT_EQ(Result(), "Err: alloc mem failed");
    EXPECT_TRUE(frm.Buf.empty());
    tk.msgBoxAnswers.push_back(ui::kIdYes);
    Write("0");  // -1 is below 0: the question comes first, and Yes sizes Buf to one byte
    EXPECT_EQ(tk.msgBoxes.size(), 1u);
    EXPECT_EQ(Result(), "Err: alloc mem failed");
    EXPECT_EQ(frm.Buf.size(), 1u);
    EXPECT_EQ(Count("WriteFile"), 0);
    EXPECT_EQ(m.liveAllocations(), 0u);
}

TEST_F(ReadWrite, WriteAllocationFailure) {
    m.addFile("C:\\l.bin");
    Open("C:\\l.bin");
    m.setAllocLimit(256);
    tk.msgBoxAnswers.push_back(ui::kIdYes);
    Write("512");
    EXPECT_EQ(Result(), "Err: alloc mem failed");
    EXPECT_EQ(Count("WriteFile"), 0);
    EXPECT_EQ(frm.Buf.size(), 513u);  // the extension was confirmed before
    EXPECT_EQ(tk.pointerHistory, kBusyThenDefault);
    EXPECT_EQ(m.liveAllocations(), 0u);
}

}  // namespace
