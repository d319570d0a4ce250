// Counts and offsets at the edges of what the program passes on, on 32-bit builds as on 64-bit
// ones: a count of 2^31 - 1 and file and disk offsets beyond 4 GiB.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <string>
#include <tuple>
#include <vector>

#include "io/Numbers.h"
#include "tests/HandlerFixture.h"
#include "ui/Toolkit.h"

namespace {

constexpr const char* kMaxCount = "2147483647";
constexpr std::size_t kMaxCountWithIndex0 = 2147483648u;  // what Buf needs for it

// True when Buf can hold a count of 2^31 - 1 at all (64-bit builds).
bool BufHoldsMaxCount() {
    return std::vector<std::uint8_t>().max_size() >= kMaxCountWithIndex0;
}

class LargeSizes : public HandlerTest {
  protected:
    void Click(ui::Control& button, const std::string& count) {
        frm.txtCount.setText(count);
        button.click();
    }
    void Seek(std::uint64_t position) {
        frm.txtPosHigh.setText(io::HexNoPad(static_cast<std::uint32_t>(position >> 32)));
        frm.txtPosLow.setText(io::HexNoPad(static_cast<std::uint32_t>(position)));
        frm.cmdSetFilePointer.click();
        ASSERT_EQ(Result(), "SetFilePointer success") << position;
    }
};

TEST_F(LargeSizes, ReadAndWriteOfTheLargestCountEndInTheAllocationFailureLine) {
    m.addFile("C:\\big.bin", "abcd");
    Open("C:\\big.bin", "0xC0000000");
    // The machine has no 2 GiB to commit, whatever its capacity.
    m.setAllocLimit(std::size_t(1) << 20);
    const std::vector<std::uint8_t> small = {'a', 'b', 'c', 0};
    for (ui::Control* button : {&frm.cmdRead, &frm.cmdWrite}) {
        SCOPED_TRACE(button->name());
        frm.Buf = small;
        tk.msgBoxAnswers = {ui::kIdYes};  // Write asks before writing zeros
        tk.pointerHistory.clear();
        Click(*button, kMaxCount);
        EXPECT_EQ(Result(), "Err: alloc mem failed");
        EXPECT_EQ(Count("ReadFile") + Count("WriteFile"), 0);
        EXPECT_EQ(m.liveAllocations(), 0u);
        EXPECT_EQ(tk.pointer, ui::kPointerDefault);
    }
    // Yes extends Buf where it can hold the count; a 32-bit Buf cannot and stays as it was.
    EXPECT_EQ(frm.Buf.size(), BufHoldsMaxCount() ? kMaxCountWithIndex0 : small.size());
    frm.Buf = std::vector<std::uint8_t>(small);  // moved in: the 2 GiB go now

    // Nothing was lost: the next small read and write work.
    m.setAllocLimit(0);
    Click(frm.cmdRead, "3");
    EXPECT_EQ(Result(), "ReadFile res=1 dwBytesRead=3");
    Click(frm.cmdWrite, "1");
    EXPECT_EQ(Result(), "WriteFile res=1 dwBytesWritten=1");
    EXPECT_EQ(m.fileContents("C:\\big.bin"), "abca");
}

// Grants blocks of any size without memory behind them, so that a read gets past its block to
// Buf; nothing may touch such a block.
class GrantingMachine : public sys::SimMachine {
  public:
    void* VirtualAlloc(std::size_t size, sys::DWORD type, sys::DWORD protect) override {
        if (size <= kBacked) return SimMachine::VirtualAlloc(size, type, protect);
        held = true;
        return &unbacked_;
    }
    sys::BOOL VirtualLock(void* address, std::size_t size) override {
        return address == &unbacked_ ? 1 : SimMachine::VirtualLock(address, size);
    }
    sys::BOOL VirtualFree(void* address, std::size_t size, sys::DWORD freeType) override {
        if (address != &unbacked_) return SimMachine::VirtualFree(address, size, freeType);
        held = false;
        return 1;
    }
    bool held = false;

  private:
    static constexpr std::size_t kBacked = std::size_t(1) << 20;
    unsigned char unbacked_ = 0;
};

TEST(LargeSizesBuf, ReadWhoseBlockIsHadButBufCannotHoldTheCopyReadsNothing) {
    if (BufHoldsMaxCount()) GTEST_SKIP() << "only a 32-bit Buf is too small for 2^31 bytes";
    ui::Headless tk;
    GrantingMachine m;
    app::FrmMain frm(tk, m, "");
    frm.load();
    m.addFile("C:\\g.bin", "abc");
    frm.cboFileName.setText("C:\\g.bin");
    frm.txtAccess.setText("0x80000000");
    frm.cmdCreateFile.click();
    ASSERT_EQ(frm.lblResult.text(), "CreateFile success");
    frm.Buf = {1, 2};
    m.clearCalls();
    frm.txtCount.setText(kMaxCount);
    frm.cmdRead.click();
    EXPECT_EQ(frm.lblResult.text(), "Err: alloc mem failed");
    const auto& calls = m.calls();
    EXPECT_EQ(std::count(calls.begin(), calls.end(), "ReadFile"), 0);
    EXPECT_FALSE(m.held) << "block not released";
    EXPECT_EQ(frm.lstHexView.count(), 0u);
    EXPECT_EQ(tk.pointer, ui::kPointerDefault);
}

TEST_F(LargeSizes, FileBytesBeyondFourGiBAreNotTheBytesFourGiBLower) {
    m.addFile("C:\\5g.bin");
    m.setFileSize("C:\\5g.bin", 0x140000000ULL);
    Open("C:\\5g.bin", "0xC0000000");
    frm.Buf = {'x', 'y', 'z', 0};
    Seek(0x100000010ULL);
    Click(frm.cmdWrite, "3");
    EXPECT_EQ(Result(), "WriteFile res=1 dwBytesWritten=3");
    EXPECT_EQ(frm.lblFilePos.text(), "Pos: 0x100000013 (4294967315)");
    // Each position, and the first hex view line read there.
    const std::pair<std::uint64_t, const char*> rows[] = {
        {0x10, "000000  ..."}, {0x100000010ULL, "78797A  xyz"}, {0x13FFFFFFDULL, "000000  ..."}};
    for (const auto& [at, line] : rows) {
        Seek(at);
        Click(frm.cmdRead, "3");
        EXPECT_EQ(Result(), "ReadFile res=1 dwBytesRead=3") << at;
        EXPECT_EQ(frm.lstHexView.itemText(0), line) << at;
    }
    EXPECT_EQ(m.fileSize("C:\\5g.bin"), 0x140000000ULL);
}

TEST_F(LargeSizes, DiskAndVolumeSectorsBeyondFourGiB) {
    // The volume starts 1 MiB into the disk. Each mark sits 4 GiB above another, so an offset
    // cut to 32 bits would read the wrong one.
    const std::uint64_t gib = std::uint64_t(1) << 30, mib = std::uint64_t(1) << 20;
    m.setDeviceBytes("PhysicalDrive0", 1 * gib, "disk 1G");
    m.setDeviceBytes("PhysicalDrive0", 5 * gib, "disk 5G");
    m.setDeviceBytes("PhysicalDrive0", mib + 2 * gib, "vol 2G");
    m.setDeviceBytes("PhysicalDrive0", mib + 6 * gib, "vol 6G");
    struct Row {
        const char* name;
        std::uint64_t offset;
        std::string bytes;
    };
    const Row rows[] = {
        {"\\\\.\\PhysicalDrive0", 1 * gib, "disk 1G"},
        {"\\\\.\\PhysicalDrive0", 5 * gib, "disk 5G"},
        {"\\\\.\\C:", 2 * gib, "vol 2G"},
        {"\\\\.\\C:", 6 * gib, "vol 6G"},
    };
    for (const auto& [name, at, mark] : rows) {
        SCOPED_TRACE(std::string(name) + " at " + std::to_string(at));
        Open(name, "0x80000000");
        Seek(at);
        Click(frm.cmdRead, "512");
        EXPECT_EQ(Result(), "ReadFile res=1 dwBytesRead=512");
        ASSERT_EQ(frm.Buf.size(), 513u);
        EXPECT_EQ(std::string(frm.Buf.begin(), frm.Buf.begin() + mark.size()), mark);
        frm.cmdCloseHandle.click();
    }
}

}  // namespace
