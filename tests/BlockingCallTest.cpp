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

std::string Text(std::initializer_list<std::uint64_t> values) {
    std::string s;
    for (std::uint64_t v : values) s += std::to_string(v) + " ";
    return s;
}

struct Side {
    Kernel& k;
    Handle h = kInvalidHandle;
    void* block = nullptr;
};

TEST(WaitingKernel, CallsThatReachAFileOrDeviceRunOnTheWaiterAndTheirLastErrorComesBack) {
    // The same script on a bare machine and, through the waiting kernel, on its twin. The
    // machine keeps a last error per thread, as Windows does: an error not carried back from
    // the worker would be missing on the caller's thread. Each step starts from an error of 42,
    // which calls that leave it untouched must leave.
    SimMachine direct, inner;
    for (SimMachine* m : {&direct, &inner}) m->addFile("C:\\f.txt", "hello");
    std::vector<std::string> waited;
    std::string current;
    WaitingKernel waiting(inner, [&](const std::function<void()>& call) {
        waited.push_back(current);
        std::thread(call).join();
    });

    struct Step {
        const char* call;
        std::function<std::string(Side&)> run;
    };
    const Step steps[] = {
        {"CreateFileA",
         [](Side& r) {
             r.h = r.k.CreateFileA("C:\\f.txt", w::GENERIC_READ | w::GENERIC_WRITE, 0,
                                   w::OPEN_EXISTING, 0);
             return Text({std::uint64_t(r.h)});
         }},
        {"CreateFileA",  // fails: the file is held without sharing
         [](Side& r) {
             return Text({std::uint64_t(
                 r.k.CreateFileA("C:\\f.txt", w::GENERIC_READ, 0, w::OPEN_EXISTING, 0))});
         }},
        {"WriteFile",
         [](Side& r) {
             DWORD n = 7;
             return Text({DWORD(r.k.WriteFile(r.h, "abc", 3, &n)), n});
         }},
        {"SetFilePointer",
         [](Side& r) {
             std::int32_t high = -1;
             return Text({r.k.SetFilePointer(r.h, -2, &high, w::FILE_CURRENT), DWORD(high)});
         }},
        {"ReadFile",
         [](Side& r) {
             char buf[8] = {};
             DWORD n = 9;
             return Text({DWORD(r.k.ReadFile(r.h, buf, 8, &n)), n}) + buf;
         }},
        {"ReadFile",  // at the end: succeeds and leaves the last error as it was
         [](Side& r) {
             char buf[8] = {};
             DWORD n = 9;
             return Text({DWORD(r.k.ReadFile(r.h, buf, 8, &n)), n});
         }},
        {"GetFileSize",
         [](Side& r) {
             DWORD high = 7;
             return Text({r.k.GetFileSize(r.h, &high), high});
         }},
        {"GetFileType", [](Side& r) { return Text({r.k.GetFileType(r.h)}); }},
        {"SetEndOfFile", [](Side& r) { return Text({DWORD(r.k.SetEndOfFile(r.h))}); }},
        {"FlushFileBuffers", [](Side& r) { return Text({DWORD(r.k.FlushFileBuffers(r.h))}); }},
        {"DeviceIoControl",
         [](Side& r) {
             char out[24];
             DWORD n = 9;
             return Text(
                 {DWORD(r.k.DeviceIoControl(r.h, 0x7405C, nullptr, 0, out, sizeof out, &n)), n});
         }},
        {"CloseHandle", [](Side& r) { return Text({DWORD(r.k.CloseHandle(r.h))}); }},
        {"CloseHandle", [](Side& r) { return Text({DWORD(r.k.CloseHandle(r.h))}); }},
        {"DeleteFileA", [](Side& r) { return Text({DWORD(r.k.DeleteFileA("C:\\f.txt"))}); }},
        {"GetDriveTypeA", [](Side& r) { return Text({r.k.GetDriveTypeA("Q:\\")}); }},
        {"GetDiskFreeSpaceA",
         [](Side& r) {
             DWORD a = 1, b = 2, c = 3, d = 4;
             return Text({DWORD(r.k.GetDiskFreeSpaceA("C:\\", &a, &b, &c, &d)), a, b, c, d});
         }},
        {"GetDiskFreeSpaceExA",
         [](Side& r) {
             std::uint64_t a = 1, b = 2, c = 3;
             return Text({DWORD(r.k.GetDiskFreeSpaceExA("Q:\\", &a, &b, &c)), a, b, c});
         }},
        {"GetVolumeInformationA",
         [](Side& r) {
             char label[16] = {}, fs[16] = {};
             DWORD serial = 0, component = 0, flags = 0;
             const BOOL ok = r.k.GetVolumeInformationA("C:\\", label, sizeof label, &serial,
                                                       &component, &flags, fs, sizeof fs);
             return Text({DWORD(ok), serial, component, flags}) + label + " " + fs;
         }},
        {"GetVolumePathNameA",
         [](Side& r) {
             char path[8] = {};
             return Text({DWORD(r.k.GetVolumePathNameA("C:\\windows\\x", path, 3))}) + path;
         }},
        {"GetFileAttributesA",
         [](Side& r) { return Text({r.k.GetFileAttributesA("C:\\missing")}); }},
        // Never waits: memory, the process, the thread's own state.
        {"VirtualAlloc",
         [](Side& r) {
             r.block = r.k.VirtualAlloc(100, w::MEM_COMMIT, w::PAGE_READWRITE);
             return Text({r.block != nullptr});
         }},
        {"VirtualLock", [](Side& r) { return Text({DWORD(r.k.VirtualLock(r.block, 100))}); }},
        {"VirtualFree",
         [](Side& r) { return Text({DWORD(r.k.VirtualFree(r.block, 0, w::MEM_RELEASE))}); }},
        {"Sleep",
         [](Side& r) {
             r.k.Sleep(7);
             return std::string();
         }},
        {"SetDllDirectoryA", [](Side& r) { return Text({DWORD(r.k.SetDllDirectoryA("C:\\d"))}); }},
        {"GetCurrentProcessId", [](Side& r) { return Text({r.k.GetCurrentProcessId()}); }},
        {"SetErrorMode", [](Side& r) { return Text({r.k.SetErrorMode(0x8001)}); }},
        {"GetACP", [](Side& r) { return Text({r.k.GetACP()}); }},
        {"GetWindowsDirectoryA",
         [](Side& r) {
             char dir[32] = {};
             return Text({r.k.GetWindowsDirectoryA(dir, sizeof dir)}) + dir;
         }},
        {"SetCurrentDirectoryA",
         [](Side& r) { return Text({DWORD(r.k.SetCurrentDirectoryA("C:\\windows"))}); }},
    };
    const std::set<std::string> neverWaits{
        "VirtualAlloc",         "VirtualLock",         "VirtualFree",  "Sleep",
        "SetDllDirectoryA",     "GetCurrentProcessId", "SetErrorMode", "GetACP",
        "GetWindowsDirectoryA", "SetCurrentDirectoryA"};

    Side bare{direct}, through{waiting};
    std::vector<std::string> expected;
    for (const Step& step : steps) {
        SCOPED_TRACE(step.call);
        current = step.call;
        direct.SetLastError(42);
        waiting.SetLastError(42);
        const std::string want = step.run(bare);
        const DWORD wantError = direct.GetLastError();
        EXPECT_EQ(step.run(through), want);
        EXPECT_EQ(waiting.GetLastError(), wantError);
        if (!neverWaits.count(step.call)) expected.push_back(step.call);
    }
    EXPECT_EQ(waited, expected);
    direct.clearCalls();
    inner.clearCalls();
    EXPECT_EQ(inner.toString(), direct.toString());
}

TEST(SimulatedMachine, KeepsTheLastErrorPerThread) {
    SimMachine m;
    m.SetLastError(5);
    DWORD seen = 99, left = 99;
    std::thread([&] {
        seen = m.GetLastError();
        m.CloseHandle(0);  // fails with INVALID_HANDLE on this thread
        left = m.GetLastError();
    }).join();
    EXPECT_EQ(seen, 0u) << "a new thread starts without an error";
    EXPECT_EQ(left, err::INVALID_HANDLE);
    EXPECT_EQ(m.GetLastError(), 5u);
}

TEST(SimulatedMachine, ABlockedCallGoesOnWhenReleasedAndFailsUnchangedWhenCancelled) {
    for (const bool cancel : {false, true}) {
        SCOPED_TRACE(cancel ? "cancelled" : "released");
        SimMachine m;
        m.addFile("C:\\f.txt", "old");
        const Handle h = m.CreateFileA("C:\\f.txt", w::GENERIC_WRITE, 0, w::OPEN_EXISTING, 0);
        EXPECT_FALSE(m.cancelBlocked()) << "nothing blocks yet";
        m.blockNext("WriteFile");
        BOOL ok = 7;
        DWORD written = 9, error = 0;
        std::thread worker([&] {
            ok = m.WriteFile(h, "new", 3, &written);
            error = m.GetLastError();
        });
        ASSERT_TRUE(m.waitUntilBlocked());
        EXPECT_EQ(ok, 7) << "returned before it was let go";
        EXPECT_TRUE(cancel ? m.cancelBlocked() : m.releaseBlocked());
        worker.join();
        EXPECT_FALSE(m.cancelBlocked()) << "nothing blocks any more";
        EXPECT_EQ(ok, cancel ? 0 : 1);
        EXPECT_EQ(written, cancel ? 0u : 3u);  // the count is zeroed first, as Windows does
        EXPECT_EQ(error, cancel ? err::OPERATION_ABORTED : err::SUCCESS);
        EXPECT_EQ(m.fileContents("C:\\f.txt"), cancel ? "old" : "new");
        // Only the next call blocks.
        EXPECT_EQ(m.WriteFile(h, "!", 1, &written), 1);
    }
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

TEST_F(CallThatBlocks, AReadCancelledThenReleasedShowsNothingThenTheBytes) {
    Open("C:\\f.txt", "0x80000000");
    frm.txtCount.setText("5");
    m.blockNext("ReadFile");
    WhileBlocked(true);
    frm.cmdRead.click();
    EXPECT_EQ(frm.lblResult.text(), "ReadFile res=0 Err=995  (OPERATION_ABORTED)");
    EXPECT_EQ(frm.lblRWcount.text(), "BytesRead: 0x0 (0)");
    EXPECT_EQ(frm.lstHexView.count(), 0u);

    // The same press again, the call let go this time: as if it had never waited.
    m.blockNext("ReadFile");
    WhileBlocked(false);
    frm.cmdRead.click();
    EXPECT_EQ(frm.lblResult.text(), "ReadFile res=1 dwBytesRead=5");
    EXPECT_EQ(frm.lstHexView.itemText(0), "68656C6C6F  hello");
    EXPECT_EQ(Count("ReadFile"), 2);
}

}  // namespace
