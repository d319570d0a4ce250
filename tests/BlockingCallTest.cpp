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
#include "tests/KernelScript.h"
#include "ui/Headless.h"

namespace {

using namespace sys;
using kernelscript::EveryKernelCall;
using kernelscript::Side;
using kernelscript::Step;
using kernelscript::Text;

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

    const std::set<std::string> neverWaits{
        "VirtualAlloc",         "VirtualLock",          "VirtualFree",  "Sleep",
        "SetDllDirectoryA",     "GetCurrentProcessId",  "SetErrorMode", "GetACP",
        "GetWindowsDirectoryA", "SetCurrentDirectoryA", "SetLastError"};

    Side bare{direct}, through{waiting};
    std::vector<std::string> expected;
    for (const Step& step : EveryKernelCall()) {
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
