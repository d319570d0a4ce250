// Rules that a regression would break without any line looking wrong at first: how Buf grows,
// what Write does with counts of 0 and below, which size the label falls back to, how the
// program starts, and the toolkit's event rules that every dialog depends on.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "sys/Ioctl.h"
#include "tests/HandlerFixture.h"
#include "ui/Toolkit.h"

namespace {

using BufRules = HandlerTest;

TEST_F(BufRules, ASmallerReadKeepsBufAndALargerOneResizesIt) {
    std::string data(1000, 'a');
    for (int i = 0; i < 100; ++i) data[512 + i] = 'b';
    m.addFile("C:\\buf.bin", data);
    Open("C:\\buf.bin");
    Read("512");
    EXPECT_EQ(frm.lblRWcount.text(), "BytesRead: 0x200 (512)");
    Read("100");  // bytes 512..611: only the first 100 of Buf change
    ASSERT_EQ(frm.Buf.size(), 513u);
    EXPECT_EQ(std::string(frm.Buf.begin(), frm.Buf.begin() + 100), std::string(100, 'b'));
    EXPECT_EQ(std::string(frm.Buf.begin() + 100, frm.Buf.end() - 1), std::string(412, 'a'));

    // A write of the old size asks nothing (no answer is scripted: a question would throw) and
    // writes Buf as the two reads left it.
    MoveTo("0", "0");
    Write("512");
    EXPECT_EQ(Result(), "WriteFile res=1 dwBytesWritten=512");
    EXPECT_EQ(m.fileContents("C:\\buf.bin").substr(0, 512),
              std::string(100, 'b') + std::string(412, 'a'));

    MoveTo("0", "900");
    Read("600");  // larger: Buf is sized anew, zero past the 100 bytes read
    ASSERT_EQ(frm.Buf.size(), 601u);
    EXPECT_EQ(std::vector<std::uint8_t>(frm.Buf.begin() + 100, frm.Buf.end()),
              std::vector<std::uint8_t>(501, 0));
    EXPECT_EQ(frm.lblRWcount.text(), "BytesRead: 0x64 (100)");
}

TEST_F(BufRules, AFailedReadShowsNoBytesAndKeepsBuf) {
    m.addFile("C:\\f.bin", "xyz");
    Open("C:\\f.bin");
    Read("3");
    m.failNext("ReadFile", sys::err::NOT_READY);
    Read("3");
    EXPECT_EQ(Result(), "ReadFile res=0 Err=21  (NOT_READY)");
    EXPECT_EQ(frm.lblRWcount.text(), "BytesRead: 0x0 (0)");
    EXPECT_EQ(frm.lstHexView.count(), 0u);
    EXPECT_EQ(std::string(frm.Buf.begin(), frm.Buf.end() - 1), "xyz");
    // A failed read that needs a larger Buf leaves it all zeros: no old byte is written later.
    m.failNext("ReadFile", sys::err::NOT_READY);
    Read("5");
    EXPECT_EQ(frm.Buf, std::vector<std::uint8_t>(6, 0));
}

TEST_F(BufRules, WriteWithACountOfZeroOrBelowWritesNothing) {
    m.addFile("C:\\z.bin", "keep");
    Open("C:\\z.bin");
    // Buf never sized: 0 asks first, and a Yes sizes Buf to one byte; -1 does not ask.
    tk.msgBoxAnswers = {ui::kIdYes};
    Write("0");
    EXPECT_EQ(Result(), "Err: alloc mem failed");
    EXPECT_EQ(tk.msgBoxes.size(), 1u);
    EXPECT_EQ(frm.Buf.size(), 1u);
    for (const char* count : {"0", "-1", "-2147483648"}) {
        Write(count);
        EXPECT_EQ(Result(), "Err: alloc mem failed") << count;
    }
    EXPECT_EQ(tk.msgBoxes.size(), 1u);
    EXPECT_EQ(Count("WriteFile"), 0);
    EXPECT_EQ(m.fileContents("C:\\z.bin"), "keep");
    EXPECT_EQ(tk.pointer, ui::kPointerDefault);
    EXPECT_EQ(m.liveAllocations(), 0u);
}

TEST_F(BufRules, ASizeFromTheGeometryWhenTheLengthAnswerIsNotEightBytes) {
    m.addDisk("PhysicalDrive1");
    m.setDiskGeometry("PhysicalDrive1", 1000, 255, 63, 512);  // 8,225,280,000 bytes
    m.setDiskSize("PhysicalDrive1", 9000000000);
    // A length answer of four bytes is no length: the size comes from the geometry.
    m.answerNextControl(sys::ioctl::IOCTL_DISK_GET_LENGTH_INFO, {0, 0, 0, 1}, 4);
    Open("\\\\.\\PhysicalDrive1");
    EXPECT_EQ(frm.lblFileSize.text(), "0x1EA43D000 (8.2 GB)");
    frm.cmdCloseHandle.click();
    Open("\\\\.\\PhysicalDrive1");  // an honest answer: the disk's own length
    EXPECT_EQ(frm.lblFileSize.text(), "0x218711A00 (9.0 GB)");
}

TEST(StartUp, NoSystemErrorBoxesAndOnAnotherDriveTheWindowsDriveBecomesCurrent) {
    ui::Headless tk;
    sys::SimMachine m;
    m.addRemovableDrive('E', true);
    ASSERT_EQ(m.SetCurrentDirectoryA("E:\\"), 1);
    ASSERT_EQ(m.currentDirectory(), "E:\\");
    app::FrmMain frm(tk, m, "");
    frm.load();
    EXPECT_EQ(frm.caption(), "Handlebench - pid:312");
    EXPECT_EQ(m.errorMode(), 0x8003u);  // no critical-error or open-file boxes
    EXPECT_EQ(m.currentDirectory(), "C:\\");
    // A relative name now means the Windows drive.
    m.addFile("C:\\rel.txt", "x");
    frm.cboFileName.setText("rel.txt");
    frm.txtAccess.setText("0x80000000");
    frm.cmdCreateFile.click();
    EXPECT_EQ(frm.lblResult.text(), "CreateFile success");
}

TEST(ToolkitEvents, ProgramChangesRaiseClicksUserChangesDoNot) {
    ui::Headless tk;
    ui::Form form(tk, "f", "f", 1000, 1000,
                  {{"chk", -1, ui::Kind::CheckBox, "c", {0, 0, 100, 100}},
                   {"lst", -1, ui::Kind::CheckList, "", {0, 0, 100, 100}},
                   {"txt", -1, ui::Kind::TextBox, "", {0, 0, 100, 100}}});
    std::vector<std::string> events;
    for (const auto& c : form.controls()) {
        const std::string n = c->name();
        c->onClick = [&events, n] { events.push_back(n); };
    }
    ui::Control& chk = form.ctl("chk");
    ui::Control& lst = form.ctl("lst");
    ui::Control& txt = form.ctl("txt");
    lst.addItem("a");
    chk.setValue(1);      // raises, as the box's own click would
    chk.setValue(1);      // no change, no event
    chk.userSetValue(0);  // the toolkit writing back what the user did: the toolkit raises
    lst.setChecked(0, true);
    lst.userSetChecked(0, false);  // a mark the user changed raises its click
    txt.setText("x");              // a text never raises
    txt.userSetText("y");
    EXPECT_EQ(events, (std::vector<std::string>{"chk", "lst", "lst"}));
    EXPECT_EQ(chk.value(), 0);
    EXPECT_EQ(txt.text(), "y");
}

}  // namespace
