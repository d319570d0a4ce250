// Handle I/O in the real window, and the read, write, pointer, end-of-file, delete and file-type
// handlers against the real kernel32 on real files (under Wine here).
// clang-format off
// Our headers first: <windows.h> turns names such as GENERIC_READ into macros.
#include "app/FrmMain.h"
#include "tests/gui/MainWindowFixture.h"
#include "ui/Headless.h"

#include <windows.h>
#include <commctrl.h>
// clang-format on

#include <memory>
#include <string>
#include <vector>

namespace {

using guitest::TempFile;
using guitest::TextOf;

// 100 bytes: 41 00 7F FF, then letters.
std::string HundredBytes() {
    std::string s("\x41\x00\x7F\xFF", 4);
    for (int i = 4; i < 100; ++i) s += static_cast<char>('a' + i % 26);
    return s;
}

std::string ItemText(HWND list, int item) {
    char buf[256] = "";
    LVITEMA it{};
    it.iSubItem = 0;
    it.pszText = buf;
    it.cchTextMax = sizeof buf;
    SendMessageA(list, LVM_GETITEMTEXTA, static_cast<WPARAM>(item), reinterpret_cast<LPARAM>(&it));
    return buf;
}

std::int64_t SizeOf(const std::string& path) {
    WIN32_FILE_ATTRIBUTE_DATA a{};
    if (!GetFileAttributesExA(path.c_str(), GetFileExInfoStandard, &a)) return -1;
    return (static_cast<std::int64_t>(a.nFileSizeHigh) << 32) | a.nFileSizeLow;
}

bool UnderWine() {
    return GetProcAddress(GetModuleHandleA("ntdll.dll"), "wine_get_version") != nullptr;
}

// The answer to the next message box, given from a thread timer that the box's own modal
// loop dispatches (the press that raised the box returns only once it is answered).
struct BoxAnswer {
    int button = IDNO;
    std::string text;  // what the box said
    bool answered = false;
    int ticks = 0;
};
BoxAnswer* g_answer = nullptr;

BOOL CALLBACK CollectText(HWND child, LPARAM out) {
    char cls[32] = "";
    GetClassNameA(child, cls, sizeof cls);
    if (lstrcmpiA(cls, "Static") == 0 && GetWindowTextLengthA(child) > 0)
        *reinterpret_cast<std::string*>(out) += TextOf(child);
    return TRUE;
}

void CALLBACK OnBoxTick(HWND, UINT, UINT_PTR id, DWORD) {
    BoxAnswer& a = *g_answer;
    HWND box = FindWindowA("#32770", "Warning");
    DWORD pid = 0;
    if (box) GetWindowThreadProcessId(box, &pid);
    if (box && pid == GetCurrentProcessId() && IsWindowVisible(box)) {
        KillTimer(nullptr, id);
        EnumChildWindows(box, CollectText, reinterpret_cast<LPARAM>(&a.text));
        a.answered = true;
        PostMessageA(box, WM_COMMAND, MAKEWPARAM(a.button, BN_CLICKED),
                     reinterpret_cast<LPARAM>(GetDlgItem(box, a.button)));
        return;
    }
    if (++a.ticks > 200) KillTimer(nullptr, id);
}

class IoGui : public guitest::MainWindow {
  protected:
    void open(const std::string& path, const char* access) {
        type("cboFileName", path);
        type("txtAccess", access);
        for (int i = 0; i < 2; ++i)
            if (SendMessageA(item("chkShare", i), BM_GETCHECK, 0, 0) != BST_CHECKED)
                press("chkShare", i);
        select("cboCreation", 3);
        press("cmdCreateFile");
        ASSERT_EQ(text("lblResult"), "CreateFile success");
    }
    // Presses "&Write" and answers the confirmation with button; false if no box came.
    bool writeAnswering(int button) {
        BoxAnswer a;
        a.button = button;
        g_answer = &a;
        const UINT_PTR timer = SetTimer(nullptr, 0, 50, OnBoxTick);
        press("cmdWrite");
        KillTimer(nullptr, timer);
        g_answer = nullptr;
        EXPECT_EQ(a.text, a.answered ? "Writing ZEROS! Sure?" : "");
        EXPECT_TRUE(IsWindowEnabled(hwnd)) << "main window left disabled";
        return a.answered;
    }
};

TEST_F(IoGui, ReadShowsTheDumpInTheListView) {
    TempFile file("hb-gui-read.bin", HundredBytes());
    open(file.path(), "0x80000000");
    EXPECT_EQ(text("lblFileSize"), "0x64 (100 Bytes)");
    type("txtCount", "512");
    press("cmdRead");
    EXPECT_EQ(text("lblResult"), "ReadFile res=1 dwBytesRead=100");
    EXPECT_EQ(text("lblRWcount"), "BytesRead: 0x64 (100)");
    EXPECT_EQ(text("lblFilePos"), "Pos: 0x64 (100)");
    HWND list = item("lstHexView");
    ASSERT_EQ(SendMessageA(list, LVM_GETITEMCOUNT, 0, 0), 7);
    EXPECT_EQ(ItemText(list, 0),
              "41007FFF65666768696A6B6C6D6E6F70  A..\xFF"
              "efghijklmnop");
    EXPECT_EQ(ItemText(list, 6), "73747576  stuv");

    press("cmdRead");  // at the end of the file
    EXPECT_EQ(text("lblResult"), "ReadFile res=1 dwBytesRead=0");
    EXPECT_EQ(text("lblRWcount"), "BytesRead: 0x0 (0)");
    EXPECT_EQ(SendMessageA(list, LVM_GETITEMCOUNT, 0, 0), 0);
    press("cmdCloseHandle");  // before the file goes
}

TEST_F(IoGui, WritingZerosAsksAndBothAnswersDoWhatTheySay) {
    TempFile file("hb-gui-write.bin", "");
    open(file.path(), "0xC0000000");
    type("txtCount", "16");
    ASSERT_TRUE(writeAnswering(IDNO));
    EXPECT_EQ(text("lblResult"), "Err=---");
    EXPECT_EQ(SizeOf(file.path()), 0);

    ASSERT_TRUE(writeAnswering(IDYES));
    EXPECT_EQ(text("lblResult"), "WriteFile res=1 dwBytesWritten=16");
    EXPECT_EQ(text("lblRWcount"), "BytesWritten: 0x10 (16)");
    EXPECT_EQ(text("lblFilePos"), "Pos: 0x10 (16)");
    EXPECT_EQ(SizeOf(file.path()), 16);

    EXPECT_FALSE(writeAnswering(IDYES));  // Buf holds 16 bytes now: no question
    EXPECT_EQ(text("lblResult"), "WriteFile res=1 dwBytesWritten=16");
    EXPECT_EQ(SizeOf(file.path()), 32);
    press("cmdCloseHandle");
}

// The handlers against kernel32 itself, on real files; the window is headless here.
class Win32Io : public ::testing::Test {
  protected:
    void SetUp() override {
        kernel = sys::MakeWin32Kernel();
        frm = std::make_unique<app::FrmMain>(tk, *kernel, "");
        frm->load();
    }
    void TearDown() override {
        if (frm->hFile > 0) frm->cmdCloseHandle.click();
    }
    void open(const std::string& path, const char* access, unsigned share = 1 | 2) {
        frm->cboFileName.setText(path);
        frm->txtAccess.setText(access);
        for (int i = 0; i < 3; ++i) frm->chkShare(i).setValue((share >> i) & 1);
        frm->cboCreation.setListIndex(3);
        frm->cmdCreateFile.click();
        ASSERT_EQ(result(), "CreateFile success");
    }
    void read(const char* count) {
        frm->txtCount.setText(count);
        frm->cmdRead.click();
    }
    void moveTo(const char* high, const char* low) {
        frm->txtPosHigh.setText(high);
        frm->txtPosLow.setText(low);
        frm->cmdSetFilePointer.click();
    }
    std::string result() const { return frm->lblResult.text(); }

    ui::Headless tk;
    std::unique_ptr<sys::Kernel> kernel;
    std::unique_ptr<app::FrmMain> frm;
};

TEST_F(Win32Io, ReadOfAHundredByteFileThenAtItsEnd) {
    TempFile file("hb-io-read.bin", HundredBytes());
    open(file.path(), "0x80000000");
    read("512");
    EXPECT_EQ(result(), "ReadFile res=1 dwBytesRead=100");
    EXPECT_EQ(frm->lblRWcount.text(), "BytesRead: 0x64 (100)");
    EXPECT_EQ(frm->lblFilePos.text(), "Pos: 0x64 (100)");
    ASSERT_EQ(frm->lstHexView.count(), 7u);
    EXPECT_EQ(frm->lstHexView.itemText(6), "73747576  stuv");
    read("512");
    EXPECT_EQ(result(), "ReadFile res=1 dwBytesRead=0");
    EXPECT_EQ(frm->lblRWcount.text(), "BytesRead: 0x0 (0)");
    EXPECT_EQ(frm->lstHexView.count(), 0u);
    EXPECT_EQ(frm->lblFilePos.text(), "Pos: 0x64 (100)");
    frm->cmdCloseHandle.click();  // before the file goes
}

TEST_F(Win32Io, WriteAndEndOfFileThroughAReadOnlyHandle) {
    TempFile file("hb-io-ro.bin", "abc");
    open(file.path(), "0x80000000");
    read("3");
    frm->cmdWrite.click();  // Buf holds 3 bytes: no question
    EXPECT_EQ(result(), "WriteFile Err=5  (ACCESS_DENIED)");
    EXPECT_EQ(frm->lblRWcount.text(), "BytesWritten: 0x0 (0)");
    // Windows refuses with 5 wherever the pointer stands. Wine answers 87, and 6 when the
    // pointer is at the end of the file.
    frm->cmdSetEndOfFile.click();
    EXPECT_EQ(result(), UnderWine() ? "SetEndOfFile Err=6  (INVALID_HANDLE)"
                                    : "SetEndOfFile Err=5  (ACCESS_DENIED)");
    moveTo("0", "1");
    frm->cmdSetEndOfFile.click();
    EXPECT_EQ(result(), UnderWine() ? "SetEndOfFile Err=87  (INVALID_PARAMETER)"
                                    : "SetEndOfFile Err=5  (ACCESS_DENIED)");
    EXPECT_EQ(SizeOf(file.path()), 3);
    frm->cmdCloseHandle.click();
}

TEST_F(Win32Io, DeleteOfAFileOpenWithoutShareDelete) {
    TempFile file("hb-io-del.bin", "abc");
    open(file.path(), "0x80000000", 1 | 2);
    frm->cmdDelete.click();
    EXPECT_EQ(result(), "DeleteFile Err=32  (SHARING_VIOLATION)");
    EXPECT_EQ(frm->lblFilePos.text(), "Pos: 0");
    EXPECT_EQ(frm->lblFileSize.text(), "0x3 (3 Bytes)");
    frm->cmdCloseHandle.click();
    frm->cmdDelete.click();
    EXPECT_EQ(result(), "DeleteFile res=1");
    EXPECT_EQ(frm->lblFilePos.text(), "Pos: ---");
    EXPECT_EQ(frm->lblFileSize.text(), "Size: ---");
    frm->cmdDelete.click();
    EXPECT_EQ(result(), "DeleteFile Err=2  (FILE_NOT_FOUND)");
}

TEST_F(Win32Io, PositionsBeyondFourGiBOnASparseFile) {
    TempFile file("hb-io-sparse.bin", "");
    open(file.path(), "0xC0000000");
    moveTo("0x1", "0x40000000");
    ASSERT_EQ(result(), "SetFilePointer success");
    frm->cmdSetEndOfFile.click();
    ASSERT_EQ(result(), "SetEndOfFile res=1");
    EXPECT_EQ(SizeOf(file.path()), 0x140000000LL);
    moveTo("0x1", "0x0");
    EXPECT_EQ(frm->lblFilePos.text(), "Pos: 0x100000000 (4294967296)");
    read("16");
    EXPECT_EQ(result(), "ReadFile res=1 dwBytesRead=16");
    EXPECT_EQ(frm->lblFilePos.text(), "Pos: 0x100000010 (4294967312)");
    EXPECT_EQ(frm->lstHexView.itemText(0), "00000000000000000000000000000000  ................");
    moveTo("0", "0xFFFFFFFF");  // low all ones, high 0: a position, not a failure
    EXPECT_EQ(result(), "SetFilePointer success");
    EXPECT_EQ(frm->lblFilePos.text(), "Pos: 0xFFFFFFFF (4294967295)");
    moveTo("-1", "0");
    EXPECT_EQ(result(), "SetFilePointer Err=131  (NEGATIVE_SEEK)");
    EXPECT_EQ(frm->txtPosLow.text(), "err");
    EXPECT_EQ(frm->txtPosHigh.text(), "err");
    frm->cmdCloseHandle.click();
}

TEST_F(Win32Io, FileTypeAndFlushOfADiskFile) {
    TempFile file("hb-io-type.bin", "abc");
    open(file.path(), "0x80000000");
    frm->cmdGetFileType.click();
    EXPECT_EQ(result(), "GetFileType res=1   type=FILE_TYPE_DISK");
    frm->cmdFlush.click();
    EXPECT_EQ(result(), "FlushFileBuffers Err=5  (ACCESS_DENIED)");
    frm->cmdCloseHandle.click();  // before the file goes
    frm->cmdGetFileType.click();
    EXPECT_EQ(result(), "GetFileType Err=6  (INVALID_HANDLE)");
}

TEST_F(Win32Io, SetFilePointerOnAnInvalidHandleIsAFailure) {
    // The high part stays 0 as passed; only the last error tells the failure.
    frm->txtPosHigh.setText("0x0");
    frm->cmdSetFilePointer.click();  // handle 0 at start
    EXPECT_EQ(result(), "SetFilePointer Err=6  (INVALID_HANDLE)");
    EXPECT_EQ(frm->lblFilePos.text(), "Pos: Error 6 (INVALID_HANDLE)");
}

}  // namespace
