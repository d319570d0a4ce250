// CreateFile and CloseHandle: the handle label, its colour and the buttons they leave. What the
// system answers to each open is the conformance table's; the labels of a failed open are in
// tests/scripts/expect-fails.out.
#include <gtest/gtest.h>

#include "tests/HandlerFixture.h"
#include "ui/Toolkit.h"

namespace {

using OpenClose = HandlerTest;

TEST_F(OpenClose, AFailedOpenShowsTheInvalidHandleInRedAndASuccessfulOneInButtonText) {
    m.addFile("C:\\t.bin", std::string(100, 'x'));
    Params("C:\\missing.txt", "0xC0000000");
    frm.cmdCreateFile.click();
    EXPECT_EQ(frm.OpenedFileName, "C:\\missing.txt");
    EXPECT_EQ(frm.hFile, -1);
    EXPECT_EQ(frm.lblHandle.foreColor(), ui::kColorRed);
    EXPECT_TRUE(frm.cmdCreateFile.enabled());
    EXPECT_EQ(frm.lblFileSize.tooltip(), "");
    EXPECT_FALSE(frm.lblAbout.visible());

    tk.pointerHistory.clear();
    m.clearCalls();
    Params("C:\\t.bin", "0x80000000", 1);
    frm.cmdCreateFile.click();
    EXPECT_EQ(Result(), "CreateFile success");
    EXPECT_GT(frm.hFile, 0);
    EXPECT_EQ(frm.lblHandle.foreColor(), ui::kColorButtonText);
    EXPECT_FALSE(frm.cmdCreateFile.enabled());
    // The pointer is the hourglass for the whole open and the default afterwards.
    EXPECT_EQ(tk.pointerHistory, (std::vector<int>{ui::kPointerHourglass, ui::kPointerDefault}));
    EXPECT_EQ(Count("CreateFileA"), 1);
}

TEST_F(OpenClose, ShareBoxesComposeTheShareMode) {
    // Another open holding the file without sharing makes every later open conflict; one that
    // shares only what is asked lets the open through: so the mask reached the call.
    m.addFile("C:\\s.txt", "x");
    const sys::Handle other = m.CreateFileA("C:\\s.txt", sys::w::GENERIC_READ,
                                            sys::w::FILE_SHARE_READ | sys::w::FILE_SHARE_DELETE,
                                            sys::w::OPEN_EXISTING, 0);
    ASSERT_NE(other, -1);
    Params("C:\\s.txt", "0x80000000", 4);  // share delete only: the other handle reads
    frm.cmdCreateFile.click();
    EXPECT_EQ(Result(), "CreateFile res=-1 Err=32  (SHARING_VIOLATION)");
    Params("C:\\s.txt", "0x80000000", 1 | 4);
    frm.cmdCreateFile.click();
    EXPECT_EQ(Result(), "CreateFile success");
}

// The refusals themselves are in tests/scripts/dry-run-refusals.out.
TEST_F(OpenClose, TextThatIsNotHexMakesNoCallAndChangesNothingElse) {
    for (const auto& [access, flags] : {std::pair{"0X10", "0x0"}, {"0x0", ""}}) {
        Params("C:\\windows", access, 0, 3, flags);
        frm.cmdCreateFile.click();
    }
    EXPECT_EQ(Result(), "CreateFile Err: FlagsAndAttributes is empty");
    EXPECT_TRUE(m.calls().empty()) << m.toString();
    EXPECT_EQ(frm.hFile, 0);
    EXPECT_EQ(frm.OpenedFileName, "");
    EXPECT_EQ(frm.lblHandle.text(), "0x0");
    EXPECT_EQ(frm.lblFilePos.text(), "Pos:");
    EXPECT_TRUE(frm.lblAbout.visible());
    EXPECT_TRUE(tk.pointerHistory.empty());
}

TEST_F(OpenClose, CloseLeavesTheLabelsAndNoClosedValueIsPassedAgain) {
    frm.cmdCloseHandle.click();  // right after the start
    EXPECT_EQ(Result(), "CloseHandle Err=6  (INVALID_HANDLE)");
    EXPECT_EQ(frm.lblHandle.text(), "0x0");
    EXPECT_EQ(frm.lblHandle.foreColor(), ui::kColorRed);

    m.addFile("C:\\c.txt", "x");
    Params("C:\\c.txt", "0x80000000");
    frm.cmdCreateFile.click();
    const std::string handleText = frm.lblHandle.text();
    const std::string size = frm.lblFileSize.text();
    frm.cmdCloseHandle.click();
    EXPECT_EQ(Result(), "CloseHandle res=1");
    EXPECT_EQ(frm.lblHandle.text(), handleText);
    EXPECT_EQ(frm.lblHandle.foreColor(), ui::kColorRed);
    EXPECT_EQ(frm.lblFilePos.text(), "Pos: 0");
    EXPECT_EQ(frm.lblFileSize.text(), size);
    EXPECT_TRUE(frm.cmdCreateFile.enabled());
    EXPECT_EQ(m.openHandles(), 0);

    // A second close passes 0, never the closed value.
    m.clearCalls();
    frm.cmdCloseHandle.click();
    EXPECT_EQ(Result(), "CloseHandle Err=6  (INVALID_HANDLE)");
    EXPECT_EQ(frm.hFile, 0);
    // Nor does the end of the program.
    frm.close();
    EXPECT_EQ(Count("CloseHandle"), 1);
}

TEST_F(OpenClose, UnloadClosesAnOpenHandleOnce) {
    m.addFile("C:\\u.txt", "x");
    Open("C:\\u.txt", "0x80000000");
    frm.close();
    EXPECT_EQ(m.openHandles(), 0);
    EXPECT_EQ(Count("CloseHandle"), 1);
}

}  // namespace
