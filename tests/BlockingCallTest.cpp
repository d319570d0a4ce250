// Calls that block: made through a waiter on a thread of their own, the last error travelling
// back with them, and cancelled as the user's Escape cancels them.
#include <gtest/gtest.h>

#include <cstdint>
#include <functional>
#include <initializer_list>
#include <set>
#include <string>
#include <thread>
#include <vector>

#include "app/FrmMain.h"
#include "sys/SimMachine.h"
#include "sys/WaitingKernel.h"
#include "ui/Headless.h"

namespace {

using namespace sys;

// Every answer through the waiting kernel is the conformance table's ("Waiting"); here, which
// calls it hands to the waiter: those that reach a file system or a device, and no other.
TEST(WaitingKernel, OnlyCallsThatReachAFileOrDeviceAreHandedToTheWaiter) {
    SimMachine m;
    int waited = 0;
    WaitingKernel k(m, [&](const std::function<void()>& call) { ++waited, call(); });
    void* block = k.VirtualAlloc(4096, w::MEM_COMMIT, w::PAGE_READWRITE);
    k.VirtualLock(block, 4096);
    k.VirtualFree(block, 0, w::MEM_RELEASE);
    char dir[64];
    k.GetWindowsDirectoryA(dir, sizeof dir);
    k.SetCurrentDirectoryA(dir);
    k.SetDllDirectoryA("");
    k.SetLastError(k.GetLastError());
    k.Sleep(0);
    k.SetErrorMode(k.GetACP() & 0);
    k.GetCurrentProcessId();
    EXPECT_EQ(waited, 0);
    const Handle h = k.CreateFileA(dir, w::GENERIC_READ, 3, w::OPEN_EXISTING, 0x02000000);
    DWORD n = 0, a = 0, b = 0, c = 0;
    std::uint64_t x = 0, y = 0, z = 0;
    k.ReadFile(h, dir, 1, &n);
    k.WriteFile(h, dir, 1, &n);
    k.SetFilePointer(h, 0, nullptr, w::FILE_BEGIN);
    k.SetEndOfFile(h);
    k.FlushFileBuffers(h);
    k.GetFileSize(h, &n);
    k.GetFileType(h);
    k.DeviceIoControl(h, 0x70000, nullptr, 0, dir, 24, &n);
    k.CloseHandle(h);
    k.DeleteFileA("C:\\x");
    k.GetDriveTypeA("C:\\");
    k.GetDiskFreeSpaceA("C:\\", &a, &b, &c, &n);
    k.GetDiskFreeSpaceExA("C:\\", &x, &y, &z);
    k.GetVolumeInformationA("C:\\", dir, 8, &a, &b, &c, dir + 8, 8);
    k.GetVolumePathNameA("C:\\", dir, 8);
    k.GetFileAttributesA("C:\\");
    EXPECT_EQ(waited, 17);
}

// The main window wired as the program wires it, headless, against the simulated machine.
class CallThatBlocks : public ::testing::Test {
  protected:
    CallThatBlocks() : frm(tk, k, "") {
        m.addFile("C:\\f.txt", "hello");
        frm.load();
    }
    void Open(const std::string& name, const std::string& access) {
        frm.cboFileName.setText(name);
        frm.txtAccess.setText(access);
        frm.cmdCreateFile.click();
        ASSERT_EQ(frm.lblResult.text(), "CreateFile success") << m.toString();
        m.clearCalls();
    }
    // What the user does while the next call waits.
    void WhileBlocked(bool cancel) {
        tk.waitScripts.push_back([this, cancel] {
            ASSERT_TRUE(m.waitUntilBlocked()) << "the call never blocked";
            EXPECT_TRUE(cancel ? m.cancelBlocked() : m.releaseBlocked());
        });
    }
    int Count(const std::string& call) const {
        int n = 0;
        for (const auto& c : m.calls()) n += c == call;
        return n;
    }

    ui::Headless tk;
    SimMachine m;
    WaitingKernel k{m, [this](const std::function<void()>& call) { tk.waitFor(call); }};
    app::FrmMain frm;
};

TEST_F(CallThatBlocks, ACancelledCallTakesItsHandlersFailurePath) {
    const struct {
        const char* button;
        const char* open;  // the handle the press works on; "" for none
        const char* access;
        const char* name;  // the file name box at the press
        const char* call;
        const char* line;
    } rows[] = {
        {"cmdRead", "C:\\f.txt", "0x80000000", "C:\\f.txt", "ReadFile",
         "ReadFile res=0 Err=995  (OPERATION_ABORTED)"},
        {"cmdWrite", "C:\\f.txt", "0xC0000000", "C:\\f.txt", "WriteFile",
         "WriteFile Err=995  (OPERATION_ABORTED)"},
        {"cmdFlush", "C:\\f.txt", "0xC0000000", "C:\\f.txt", "FlushFileBuffers",
         "FlushFileBuffers Err=995  (OPERATION_ABORTED)"},
        {"cmdCheckVerify", "\\\\.\\C:", "0x80000000", "\\\\.\\C:", "DeviceIoControl",
         "CheckVerify res=0  Err=995  (OPERATION_ABORTED)"},
        {"cmdGetVolumeInfo", "", "", "C:\\", "GetVolumeInformationA",
         "GetVolumeInformation Err=995  (OPERATION_ABORTED)"},
        {"cmdCreateFile", "", "0x80000000", "C:\\f.txt", "CreateFileA",
         "CreateFile res=-1 Err=995  (OPERATION_ABORTED)"},
    };
    frm.txtCount.setText("5");
    for (const auto& r : rows) {
        SCOPED_TRACE(r.button);
        if (*r.open) Open(r.open, r.access);
        frm.cboFileName.setText(r.name);
        const Handle before = frm.hFile;
        m.clearCalls();
        m.blockNext(r.call);
        WhileBlocked(true);
        frm.ctl(r.button).click();
        EXPECT_TRUE(tk.waitScripts.empty()) << "the call never waited";
        EXPECT_EQ(frm.lblResult.text(), r.line);
        EXPECT_EQ(Count(r.call), 1) << "one press, one call";
        EXPECT_EQ(frm.hFile, std::string(r.call) == "CreateFileA" ? kInvalidHandle : before);
        EXPECT_EQ(m.fileContents("C:\\f.txt"), "hello");
        if (frm.hFile > 0) frm.cmdCloseHandle.click();
    }
    EXPECT_EQ(frm.lblHandle.text(), "0xFFFFFFFF");
    EXPECT_EQ(m.openHandles(), 0);
}

// A cancelled read is one of the rows above; one let go is as if it had never waited.
TEST_F(CallThatBlocks, AReadLetGoShowsTheBytes) {
    Open("C:\\f.txt", "0x80000000");
    frm.txtCount.setText("5");
    m.blockNext("ReadFile");
    WhileBlocked(false);
    frm.cmdRead.click();
    EXPECT_EQ(frm.lblResult.text(), "ReadFile res=1 dwBytesRead=5");
    EXPECT_EQ(frm.lstHexView.itemText(0), "68656C6C6F  hello");
    EXPECT_EQ(Count("ReadFile"), 1);
}

}  // namespace
