#include <gtest/gtest.h>

#include "tests/HandlerFixture.h"
#include "ui/Toolkit.h"

namespace {

using OpenClose = HandlerTest;

TEST_F(OpenClose, AFailedOpenShowsTheInvalidHandleInRed) {
    // The system's answers to each failing open are a script: tests/scripts/open-failures.txt.
    Params("C:\\missing.txt", "0xC0000000");
    frm.cmdCreateFile.click();
    EXPECT_EQ(Result(), "CreateFile res=-1 Err=2  (FILE_NOT_FOUND)");
    EXPECT_EQ(frm.OpenedFileName, "C:\\missing.txt");
    EXPECT_EQ(frm.hFile, -1);
    EXPECT_EQ(frm.lblHandle.text(), "0xFFFFFFFF");
    EXPECT_EQ(frm.lblHandle.foreColor(), ui::kColorRed);
    EXPECT_TRUE(frm.cmdCreateFile.enabled());
    EXPECT_EQ(frm.lblFilePos.text(), "Pos: ---");
    EXPECT_EQ(frm.lblFileSize.text(), "Size: ---");
    EXPECT_EQ(frm.lblFileSize.tooltip(), "");
    EXPECT_FALSE(frm.lblAbout.visible());
    // The next open that succeeds takes the red away again.
    m.addFile("C:\\there.txt", "x");
    Params("C:\\there.txt", "0x80000000");
    frm.cmdCreateFile.click();
    EXPECT_EQ(frm.lblHandle.foreColor(), ui::kColorButtonText);
}

TEST_F(OpenClose, SuccessfulOpenShowsHandleSizeAndDisablesTheButton) {
    m.addFile("C:\\t.bin", std::string(100, 'x'));
    Params("C:\\t.bin", "0x80000000", 1);
    frm.cmdCreateFile.click();
    EXPECT_EQ(Result(), "CreateFile success");
    ASSERT_GT(frm.hFile, 0);
    char hex[16];
    std::snprintf(hex, sizeof hex, "0x%X", static_cast<unsigned>(frm.hFile));
    EXPECT_EQ(frm.lblHandle.text(), hex);
    EXPECT_EQ(frm.lblHandle.foreColor(), ui::kColorButtonText);
    EXPECT_FALSE(frm.cmdCreateFile.enabled());
    EXPECT_EQ(frm.lblFilePos.text(), "Pos: 0");
    EXPECT_FALSE(frm.lblAbout.visible());
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

TEST_F(OpenClose, HexTextReachesTheCallAsItsBitPattern) {
    m.addFile("C:\\ro.txt", "x");
    m.setReadOnly("C:\\ro.txt", true);
    Params("C:\\ro.txt", "C0000000");  // no prefix: still GENERIC_READ | GENERIC_WRITE
    frm.cmdCreateFile.click();
    EXPECT_EQ(Result(), "CreateFile res=-1 Err=5  (ACCESS_DENIED)");
    Params("C:\\ro.txt", "8000");  // four digits with the top bit set stay positive
    frm.cmdCreateFile.click();
    EXPECT_EQ(Result(), "CreateFile success");
}

TEST_F(OpenClose, TextThatIsNotHexMakesNoCallAndChangesNothingElse) {
    struct Row {
        const char* access;
        const char* flags;
        const char* line;
    };
    const Row rows[] = {
        {"0X10", "0x0", "CreateFile Err: Access is not a hexadecimal number"},
        {"0x123456789", "0x0", "CreateFile Err: Access has more than 8 hexadecimal digits"},
        {"0x0", "", "CreateFile Err: FlagsAndAttributes is empty"},
    };
    for (const Row& r : rows) {
        Params("C:\\windows", r.access, 0, 3, r.flags);
        frm.cmdCreateFile.click();
        EXPECT_EQ(Result(), r.line);
    }
    EXPECT_TRUE(m.calls().empty()) << m.toString();
    EXPECT_EQ(frm.hFile, 0);
    EXPECT_EQ(frm.OpenedFileName, "");
    EXPECT_EQ(frm.lblHandle.text(), "0x0");
    EXPECT_EQ(frm.lblFilePos.text(), "Pos:");
    EXPECT_TRUE(frm.lblAbout.visible());
    EXPECT_TRUE(tk.pointerHistory.empty());
}

TEST_F(OpenClose, CloseLeavesTheLabelsAndNoClosedValueIsPassedAgain) {
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

TEST_F(OpenClose, CloseRightAfterStartAndAfterAFailedOpen) {
    frm.cmdCloseHandle.click();
    EXPECT_EQ(Result(), "CloseHandle Err=6  (INVALID_HANDLE)");
    EXPECT_EQ(frm.lblHandle.text(), "0x0");
    EXPECT_EQ(frm.lblHandle.foreColor(), ui::kColorRed);

    // After a failed open the handle is INVALID_HANDLE_VALUE, which the system takes for the
    // current process: the close succeeds, as Windows answers.
    Params("C:\\missing", "0x80000000");
    frm.cmdCreateFile.click();
    frm.cmdCloseHandle.click();
    EXPECT_EQ(Result(), "CloseHandle res=1");
}

TEST_F(OpenClose, UnloadClosesAnOpenHandleOnce) {
    m.addFile("C:\\u.txt", "x");
    Params("C:\\u.txt", "0x80000000");
    frm.cmdCreateFile.click();
    m.clearCalls();
    frm.close();
    EXPECT_EQ(m.openHandles(), 0);
    EXPECT_EQ(Count("CloseHandle"), 1);
}

TEST_F(OpenClose, RelativeNamesResolveOnTheWindowsDrive) {
    m.addFile("C:\\rel.txt", "x");  // Form_Load made the Windows drive current
    Params("rel.txt", "0x80000000");
    frm.cmdCreateFile.click();
    EXPECT_EQ(Result(), "CreateFile success");
}

}  // namespace
