#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <functional>
#include <initializer_list>
#include <string>
#include <vector>

#include "sys/ForwardingKernel.h"
#include "sys/SimMachine.h"

namespace {

using namespace sys;

// Overrides one call and leaves the rest to the base.
class StubbedAttributes : public ForwardingKernel {
  public:
    using ForwardingKernel::ForwardingKernel;
    std::vector<std::string> asked;

    DWORD GetFileAttributesA(const std::string& fileName) override {
        asked.push_back(fileName);
        return 0x1234;
    }
};

// One machine's side of the script: the handle and block the earlier steps got.
struct Side {
    Kernel& k;
    Handle h = kInvalidHandle;
    void* block = nullptr;
};

std::string Text(std::initializer_list<std::uint64_t> values) {
    std::string s;
    for (std::uint64_t v : values) s += std::to_string(v) + " ";
    return s;
}

TEST(ForwardingKernel, OneOverrideTakesItsCallAndEveryOtherReachesTheInnerKernelUnchanged) {
    // The same script runs on a bare machine and, through the wrapper, on its twin: every call
    // but the stubbed one must give the same answers, out-parameters and last error, and leave
    // the twin in the same state. Distinct values in each out-parameter catch swapped arguments.
    SimMachine direct, inner;
    for (SimMachine* m : {&direct, &inner}) {
        m->addFile("C:\\f.txt", "hello");
        m->setVolumeLabel('C', "DATA", 0x1234ABCD);
    }
    StubbedAttributes wrapped(inner);

    struct Step {
        const char* call;
        std::function<std::string(Side&)> run;
    };
    const Step steps[] = {
        {"CreateFileA",
         [](Side& r) {
             r.h = r.k.CreateFileA("C:\\f.txt", w::GENERIC_READ | w::GENERIC_WRITE,
                                   w::FILE_SHARE_READ, w::OPEN_EXISTING, 0);
             return Text({std::uint64_t(r.h)});
         }},
        {"WriteFile",
         [](Side& r) {
             DWORD n = 0;
             return Text({DWORD(r.k.WriteFile(r.h, "abc", 3, &n)), n});
         }},
        {"SetFilePointer",
         [](Side& r) {
             // Back two from the end of "abc" as a 64-bit move: the high part goes in as -1
             // and comes back as 0.
             std::int32_t high = -1;
             return Text({r.k.SetFilePointer(r.h, -2, &high, w::FILE_CURRENT), DWORD(high)});
         }},
        {"ReadFile",
         [](Side& r) {
             char buf[8] = {};
             DWORD n = 0;
             return Text({DWORD(r.k.ReadFile(r.h, buf, 3, &n)), n}) + buf;
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
             // The disk's length: no answer for a plain file.
             const BOOL ok = r.k.DeviceIoControl(r.h, 0x7405C, nullptr, 0, out, sizeof out, &n);
             return Text({DWORD(ok), n});
         }},
        {"CloseHandle", [](Side& r) { return Text({DWORD(r.k.CloseHandle(r.h))}); }},
        {"DeleteFileA", [](Side& r) { return Text({DWORD(r.k.DeleteFileA("C:\\f.txt"))}); }},
        {"GetDriveTypeA", [](Side& r) { return Text({r.k.GetDriveTypeA("C:\\")}); }},
        {"GetDiskFreeSpaceA",
         [](Side& r) {
             DWORD a = 0, b = 0, c = 0, d = 0;
             return Text({DWORD(r.k.GetDiskFreeSpaceA("C:\\", &a, &b, &c, &d)), a, b, c, d});
         }},
        {"GetDiskFreeSpaceExA",
         [](Side& r) {
             std::uint64_t a = 0, b = 0, c = 0;
             return Text({DWORD(r.k.GetDiskFreeSpaceExA("C:\\", &a, &b, &c)), a, b, c});
         }},
        {"GetVolumeInformationA",
         [](Side& r) {
             char label[16] = {}, fs[16] = {};
             DWORD serial = 0, component = 0, flags = 0;
             const BOOL ok = r.k.GetVolumeInformationA("C:\\", label, 3, &serial, &component,
                                                       &flags, fs, sizeof fs);
             return Text({DWORD(ok), serial, component, flags}) + label + " " + fs;
         }},
        {"GetVolumePathNameA",
         [](Side& r) {
             char path[8] = {};
             return Text({DWORD(r.k.GetVolumePathNameA("C:\\windows\\x", path, 3))}) + path;
         }},
        {"GetFileAttributesA",
         [](Side& r) { return Text({r.k.GetFileAttributesA("C:\\windows")}); }},
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
        {"SetLastError",
         [](Side& r) {
             r.k.SetLastError(42);
             return std::string();
         }},
        {"SetDllDirectoryA", [](Side& r) { return Text({DWORD(r.k.SetDllDirectoryA("C:\\d"))}); }},
        {"GetCurrentProcessId", [](Side& r) { return Text({r.k.GetCurrentProcessId()}); }},
        {"SetErrorMode", [](Side& r) { return Text({r.k.SetErrorMode(0x8001)}); }},
        {"GetACP", [](Side& r) { return Text({r.k.GetACP()}); }},
        {"GetWindowsDirectoryA",
         [](Side& r) {
             // Just room for "C:\\windows" and its NUL.
             char dir[32] = {};
             return Text({r.k.GetWindowsDirectoryA(dir, 11)}) + dir;
         }},
        {"SetCurrentDirectoryA",
         [](Side& r) { return Text({DWORD(r.k.SetCurrentDirectoryA("C:\\windows"))}); }},
    };

    Side bare{direct}, through{wrapped};
    for (const Step& step : steps) {
        const std::string want = step.run(bare);
        const DWORD wantError = direct.GetLastError();
        const std::string got = step.run(through);
        const DWORD gotError = wrapped.GetLastError();
        const bool stubbed = std::string(step.call) == "GetFileAttributesA";
        EXPECT_EQ(got, stubbed ? Text({0x1234}) : want) << step.call;
        EXPECT_EQ(gotError, wantError) << step.call;
    }

    EXPECT_EQ(wrapped.asked, std::vector<std::string>{"C:\\windows"});
    std::vector<std::string> expected = direct.calls();
    expected.erase(std::remove(expected.begin(), expected.end(), "GetFileAttributesA"),
                   expected.end());
    EXPECT_EQ(inner.calls(), expected);
    EXPECT_EQ(inner.sleeps(), direct.sleeps());
    direct.clearCalls();
    inner.clearCalls();
    EXPECT_EQ(inner.toString(), direct.toString());
}

}  // namespace
