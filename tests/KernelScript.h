// Every Kernel call once, as a script that runs the same on two machines set up alike: a bare
// one and its twin reached through a wrapper. Tests of a wrapper compare the two sides step by
// step; distinct values in out-parameters catch swapped arguments, and the failing steps check
// that an error comes through as well as a result.
#pragma once

#include <cstdint>
#include <functional>
#include <initializer_list>
#include <string>
#include <vector>

#include "sys/Kernel.h"

namespace kernelscript {

using namespace sys;

// One side of the script: the handle and block its earlier steps got.
struct Side {
    Kernel& k;
    Handle h = kInvalidHandle;
    void* block = nullptr;
};

inline std::string Text(std::initializer_list<std::uint64_t> values) {
    std::string s;
    for (std::uint64_t v : values) s += std::to_string(v) + " ";
    return s;
}

struct Step {
    const char* call;  // the Kernel method it makes
    std::function<std::string(Side&)> run;
};

// Needs C:\f.txt ("hello") on both machines.
inline const std::vector<Step>& EveryKernelCall() {
    static const std::vector<Step> steps = {
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
             char dir[32] = {};
             return Text({r.k.GetWindowsDirectoryA(dir, sizeof dir)}) + dir;
         }},
        {"SetCurrentDirectoryA",
         [](Side& r) { return Text({DWORD(r.k.SetCurrentDirectoryA("C:\\windows"))}); }},
    };
    return steps;
}

}  // namespace kernelscript
