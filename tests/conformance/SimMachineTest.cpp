// The simulated machine's own set-up and inspection API, and the behaviour only it can show
// cheaply (sparse files past 4 GiB, raw sectors, drives without media).
#include <gtest/gtest.h>

#include <cstring>
#include <stdexcept>
#include <string>
#include <vector>

#include "sys/SimMachine.h"

namespace {

using sys::DWORD;
using sys::Handle;
using sys::kInvalidHandle;
namespace w = sys::w;
namespace err = sys::err;

constexpr DWORD kRW = w::FILE_SHARE_READ | w::FILE_SHARE_WRITE;
constexpr DWORD kReadWrite = w::GENERIC_READ | w::GENERIC_WRITE;

class Sim : public ::testing::Test {
protected:
    void TearDown() override {
        if (HasFailure()) std::cerr << m.toString();
    }
    Handle open(const std::string& name, DWORD access, DWORD disposition = w::OPEN_EXISTING,
                DWORD share = kRW) {
        return m.CreateFileA(name, access, share, disposition, 0);
    }
    sys::SimMachine m;
};

// --- Fault injection ----------------------------------------------------------------------------

TEST_F(Sim, FailNextFailsOnceAndChangesNothing) {
    m.failNext("CreateFileA", err::NOT_READY);
    EXPECT_EQ(open("C:\\a.txt", w::GENERIC_WRITE, w::CREATE_NEW), kInvalidHandle);
    EXPECT_EQ(m.GetLastError(), err::NOT_READY);
    EXPECT_FALSE(m.exists("C:\\a.txt"));
    EXPECT_EQ(m.openHandles(), 0);
    Handle h = open("C:\\a.txt", kReadWrite, w::CREATE_NEW);
    ASSERT_NE(h, kInvalidHandle);

    DWORD n = 0;
    ASSERT_TRUE(m.WriteFile(h, "abcdef", 6, &n));
    m.SetFilePointer(h, 0, nullptr, w::FILE_BEGIN);
    m.failNext("ReadFile", err::HANDLE_EOF);
    char buf[8];
    n = 99;
    EXPECT_FALSE(m.ReadFile(h, buf, 3, &n));
    EXPECT_EQ(n, 0u);
    EXPECT_EQ(m.GetLastError(), err::HANDLE_EOF);
    // The failed read did not move the pointer.
    ASSERT_TRUE(m.ReadFile(h, buf, 3, &n));
    EXPECT_EQ(std::string(buf, n), "abc");
}

TEST_F(Sim, FailNextGivesEachCallItsFailureValue) {
    Handle h = open("C:\\f.txt", kReadWrite, w::CREATE_NEW);
    DWORD high = 0;
    m.failNext("SetFilePointer", err::INVALID_PARAMETER);
    EXPECT_EQ(m.SetFilePointer(h, 0, nullptr, w::FILE_BEGIN), sys::kInvalidSetFilePointer);
    m.failNext("GetFileSize", err::ACCESS_DENIED);
    EXPECT_EQ(m.GetFileSize(h, &high), sys::kInvalidSetFilePointer);
    m.failNext("GetFileAttributesA", err::ACCESS_DENIED);
    EXPECT_EQ(m.GetFileAttributesA("C:\\f.txt"), sys::kInvalidFileAttributes);
    m.failNext("VirtualAlloc", err::NOT_ENOUGH_MEMORY);
    EXPECT_EQ(m.VirtualAlloc(4096, w::MEM_COMMIT, w::PAGE_READWRITE), nullptr);
    EXPECT_EQ(m.GetLastError(), err::NOT_ENOUGH_MEMORY);
    EXPECT_EQ(m.liveAllocations(), 0u);
    m.failNext("CloseHandle", err::INVALID_HANDLE);
    EXPECT_FALSE(m.CloseHandle(h));
    EXPECT_EQ(m.openHandles(), 1);  // still open
    EXPECT_TRUE(m.CloseHandle(h));
}

TEST_F(Sim, FailNextRefusesCallsThatCannotFail) {
    for (const char* call : {"GetLastError", "SetLastError", "Sleep", "GetACP", "ReadFIle", ""})
        EXPECT_THROW(m.failNext(call, 5), std::invalid_argument) << call;
}

// --- Call log -----------------------------------------------------------------------------------

TEST_F(Sim, CallLogRecordsEveryCallButGetLastError) {
    m.clearCalls();
    Handle h = open("C:\\windows\\x", w::GENERIC_READ);
    m.GetLastError();
    m.SetLastError(0);
    m.CloseHandle(h);
    m.Sleep(250);
    m.GetACP();
    const std::vector<std::string> want = {"CreateFileA", "SetLastError", "CloseHandle", "Sleep", "GetACP"};
    EXPECT_EQ(m.calls(), want);
    EXPECT_EQ(m.sleeps(), std::vector<DWORD>{250});
    m.clearCalls();
    EXPECT_TRUE(m.calls().empty());
}

// --- Memory -------------------------------------------------------------------------------------

TEST_F(Sim, AllocLimitRefusesLargerBlocksOnly) {
    m.setAllocLimit(8192);
    void* ok = m.VirtualAlloc(8192, w::MEM_COMMIT, w::PAGE_READWRITE);
    EXPECT_NE(ok, nullptr);
    EXPECT_EQ(m.VirtualAlloc(8193, w::MEM_COMMIT, w::PAGE_READWRITE), nullptr);
    EXPECT_EQ(m.GetLastError(), err::NOT_ENOUGH_MEMORY);
    EXPECT_EQ(m.liveAllocations(), 1u);
    m.setAllocLimit(0);
    void* big = m.VirtualAlloc(1 << 20, w::MEM_COMMIT, w::PAGE_READWRITE);
    EXPECT_NE(big, nullptr);
    EXPECT_EQ(m.liveAllocations(), 2u);
    EXPECT_FALSE(m.VirtualLock(static_cast<char*>(ok) + 4096, 8192));  // runs off the block
    EXPECT_EQ(m.GetLastError(), err::INVALID_ADDRESS);
    EXPECT_TRUE(m.VirtualFree(ok, 0, w::MEM_RELEASE));
    EXPECT_FALSE(m.VirtualFree(static_cast<char*>(big) + 4096, 0, w::MEM_RELEASE));
    EXPECT_EQ(m.GetLastError(), err::INVALID_ADDRESS);
    EXPECT_EQ(m.liveAllocations(), 1u);
    // The machine cannot commit more than it has, whatever the limit says.
    EXPECT_EQ(m.VirtualAlloc(std::size_t(3) << 30, w::MEM_COMMIT, w::PAGE_READWRITE), nullptr);
    EXPECT_EQ(m.GetLastError(), err::NOT_ENOUGH_MEMORY);
}

// --- State dump ---------------------------------------------------------------------------------

TEST_F(Sim, ToStringShowsFilesHandlesAndErrors) {
    m.addFile("C:\\windows\\notes.txt", "hi\n");
    Handle h = open("C:\\windows\\notes.txt", w::GENERIC_READ);
    m.failNext("ReadFile", 38);
    open("C:\\missing", w::GENERIC_READ);
    const std::string dump = m.toString();
    for (const char* part : {"C:\\windows\\notes.txt", "\"hi\\x0a\"", "last error 2", "handle 0x",
                             "next ReadFile fails with 38", "PhysicalDrive0"})
        EXPECT_NE(dump.find(part), std::string::npos) << part << "\n" << dump;
    m.CloseHandle(h);
}

// --- Handles and names --------------------------------------------------------------------------

TEST_F(Sim, HandleValuesAreMultiplesOfFourAndReused) {
    Handle a = open("C:\\windows", w::GENERIC_READ);  // a directory: refused, takes no slot
    EXPECT_EQ(a, kInvalidHandle);
    Handle h1 = open("\\\\.\\NUL", 0), h2 = open("\\\\.\\NUL", 0);
    EXPECT_EQ(h1, 0x100);
    EXPECT_EQ(h2, 0x104);
    m.CloseHandle(h1);
    EXPECT_EQ(open("\\\\.\\NUL", 0), 0x100);
}

TEST_F(Sim, NamesResolveLikeWin32) {
    m.addFile("C:\\windows\\a.txt", "a");
    struct Row {
        const char* name;
        DWORD attributesOrError;
        bool ok;
    } rows[] = {
        {"c:/WINDOWS/A.TXT", w::FILE_ATTRIBUTE_ARCHIVE, true},
        {"C:\\windows\\a.txt.", w::FILE_ATTRIBUTE_ARCHIVE, true},  // trailing dots dropped
        {"\\windows\\a.txt", w::FILE_ATTRIBUTE_ARCHIVE, true},     // root of the current drive
        {"windows\\.\\a.txt", w::FILE_ATTRIBUTE_ARCHIVE, true},    // relative to C:\ .
        {"C:windows\\a.txt", w::FILE_ATTRIBUTE_ARCHIVE, true},     // drive-relative
        {"C:\\windows\\a.txt\\", err::INVALID_NAME, false},        // a file is no directory
        {"C:\\windows\\a?.txt", err::INVALID_NAME, false},
        {"C:\\windows\\a.txt\\b", err::PATH_NOT_FOUND, false},
        {"\\\\server\\share\\x", err::BAD_NETPATH, false},
    };
    for (const Row& r : rows) {
        SCOPED_TRACE(r.name);
        const DWORD a = m.GetFileAttributesA(r.name);
        if (r.ok) {
            EXPECT_EQ(a, r.attributesOrError);
        } else {
            EXPECT_EQ(a, sys::kInvalidFileAttributes);
            EXPECT_EQ(m.GetLastError(), r.attributesOrError);
        }
    }
    // DOS device names work in any directory.
    Handle nul = open("C:\\windows\\nul.txt", w::GENERIC_WRITE);
    ASSERT_NE(nul, kInvalidHandle);
    EXPECT_EQ(m.GetFileType(nul), w::FILE_TYPE_CHAR);
}

TEST_F(Sim, SetCurrentDirectoryChangesDrive) {
    m.addRemovableDrive('A', true);
    m.addDirectory("A:\\data");
    m.addDirectory("C:\\windows\\system32");
    ASSERT_TRUE(m.SetCurrentDirectoryA("C:\\WINDOWS\\system32"));
    EXPECT_EQ(m.currentDirectory(), "C:\\windows\\system32");
    ASSERT_TRUE(m.SetCurrentDirectoryA("A:\\data"));
    EXPECT_EQ(m.currentDirectory(), "A:\\data");
    // "C:" returns to C:'s own current directory.
    ASSERT_TRUE(m.SetCurrentDirectoryA("C:"));
    EXPECT_EQ(m.currentDirectory(), "C:\\windows\\system32");
    ASSERT_TRUE(m.SetCurrentDirectoryA("A:"));
    EXPECT_EQ(m.currentDirectory(), "A:\\data");
    EXPECT_FALSE(m.SetCurrentDirectoryA("Q:"));
    EXPECT_EQ(m.GetLastError(), err::PATH_NOT_FOUND);
}

// --- Files --------------------------------------------------------------------------------------

TEST_F(Sim, SparseFilesPastFourGiB) {
    const std::uint64_t fiveGiB = std::uint64_t(5) << 30;
    Handle h = open("C:\\big.bin", kReadWrite, w::CREATE_NEW);
    std::int32_t high = 1;
    m.SetFilePointer(h, 0x40000000 - 4, &high, w::FILE_BEGIN);
    DWORD n = 0;
    ASSERT_TRUE(m.WriteFile(h, "tail", 4, &n));
    EXPECT_EQ(m.fileSize("C:\\big.bin"), fiveGiB);
    high = 1;
    m.SetFilePointer(h, 0x40000000 - 8, &high, w::FILE_BEGIN);
    char buf[16];
    ASSERT_TRUE(m.ReadFile(h, buf, 16, &n));
    EXPECT_EQ(n, 8u);  // cut at the end
    EXPECT_EQ(std::string(buf, 8), std::string(4, '\0') + "tail");
    // Shrinking drops what was written beyond the new end.
    m.SetFilePointer(h, 0, &(high = 1), w::FILE_BEGIN);
    ASSERT_TRUE(m.SetEndOfFile(h));
    m.setFileSize("C:\\big.bin", fiveGiB);
    high = 1;
    m.SetFilePointer(h, 0x40000000 - 4, &high, w::FILE_BEGIN);
    ASSERT_TRUE(m.ReadFile(h, buf, 4, &n));
    EXPECT_EQ(std::string(buf, 4), std::string(4, '\0'));
}

TEST_F(Sim, OverlappingWritesMerge) {
    Handle h = open("C:\\m.bin", kReadWrite, w::CREATE_NEW);
    DWORD n = 0;
    const struct {
        std::int32_t at;
        const char* bytes;
    } writes[] = {{10, "KLMN"}, {0, "abc"}, {4, "efghijk"}, {2, "C"}, {13, "nop"}};
    for (const auto& wr : writes) {
        m.SetFilePointer(h, wr.at, nullptr, w::FILE_BEGIN);
        ASSERT_TRUE(m.WriteFile(h, wr.bytes, DWORD(std::strlen(wr.bytes)), &n));
    }
    EXPECT_EQ(m.fileContents("C:\\m.bin"), std::string("abC\0efghijkLMnop", 16));
}

TEST_F(Sim, DeletePendingUntilLastHandleCloses) {
    m.addFile("C:\\p.txt", "p");
    Handle h = open("C:\\p.txt", w::GENERIC_READ, w::OPEN_EXISTING,
                    kRW | w::FILE_SHARE_DELETE);
    ASSERT_TRUE(m.DeleteFileA("C:\\p.txt"));
    EXPECT_TRUE(m.exists("C:\\p.txt") == false);
    // The name is still taken: opening it is refused until the last handle goes.
    EXPECT_EQ(open("C:\\p.txt", w::GENERIC_READ), kInvalidHandle);
    EXPECT_EQ(m.GetLastError(), err::ACCESS_DENIED);
    EXPECT_EQ(open("C:\\p.txt", w::GENERIC_WRITE, w::CREATE_ALWAYS), kInvalidHandle);
    m.CloseHandle(h);
    EXPECT_EQ(m.GetFileAttributesA("C:\\p.txt"), sys::kInvalidFileAttributes);
    EXPECT_EQ(m.GetLastError(), err::FILE_NOT_FOUND);
}

TEST_F(Sim, AppendOnlyHandleWritesAtTheEnd) {
    m.addFile("C:\\log.txt", "one");
    Handle h = open("C:\\log.txt", w::FILE_APPEND_DATA);
    DWORD n = 0;
    m.SetFilePointer(h, 0, nullptr, w::FILE_BEGIN);
    ASSERT_TRUE(m.WriteFile(h, "two", 3, &n));
    EXPECT_EQ(m.fileContents("C:\\log.txt"), "onetwo");
    EXPECT_FALSE(m.SetEndOfFile(h));  // needs write data, not just append
    EXPECT_EQ(m.GetLastError(), err::ACCESS_DENIED);
}

// --- Drives, volumes and devices ----------------------------------------------------------------

TEST_F(Sim, RemovableDriveWithoutMedia) {
    m.addRemovableDrive('A');
    EXPECT_EQ(open("A:\\Test.txt", w::GENERIC_READ), kInvalidHandle);
    EXPECT_EQ(m.GetLastError(), err::NOT_READY);
    EXPECT_EQ(m.GetDriveTypeA("A:\\"), w::DRIVE_REMOVABLE);
    EXPECT_EQ(m.GetFileAttributesA("A:\\"), sys::kInvalidFileAttributes);
    EXPECT_EQ(m.GetLastError(), err::NOT_READY);
    EXPECT_FALSE(m.GetVolumeInformationA("A:\\", nullptr, 0, nullptr, nullptr, nullptr, nullptr, 0));
    EXPECT_EQ(m.GetLastError(), err::NOT_READY);
    EXPECT_FALSE(m.GetDiskFreeSpaceExA("A:\\", nullptr, nullptr, nullptr));
    EXPECT_EQ(m.GetLastError(), err::NOT_READY);
    char vp[8];
    EXPECT_TRUE(m.GetVolumePathNameA("A:\\Test.txt", vp, sizeof vp));
    EXPECT_STREQ(vp, "A:\\");
    // The drive's device opens; asking it anything needs the media.
    Handle vol = open("\\\\.\\A:", 0);
    ASSERT_NE(vol, kInvalidHandle);
    char g[24];
    DWORD n = 5;
    EXPECT_FALSE(m.DeviceIoControl(vol, w::IOCTL_DISK_GET_DRIVE_GEOMETRY, nullptr, 0, g, 24, &n));
    EXPECT_EQ(m.GetLastError(), err::NOT_READY);
    EXPECT_EQ(n, 0u);

    m.setMediaPresent('A', true);
    EXPECT_TRUE(m.DeviceIoControl(vol, w::IOCTL_DISK_GET_DRIVE_GEOMETRY, nullptr, 0, g, 24, &n));
    DWORD media = 0;
    std::memcpy(&media, g + 8, 4);
    EXPECT_EQ(media, 2u);  // a 3.5" 1.44 MB floppy
    Handle f = open("A:\\Test.txt", w::GENERIC_WRITE, w::CREATE_NEW);
    EXPECT_NE(f, kInvalidHandle);
}

TEST_F(Sim, SectorsOfDiskAndVolume) {
    const std::string mbr = std::string(510, '\0') + "\x55\xAA";
    m.setDeviceBytes("PhysicalDrive0", 0, mbr);
    m.setDeviceBytes("PhysicalDrive0", 1 << 20, "NTFS boot");
    Handle disk = open("\\\\.\\PhysicalDrive0", kReadWrite);
    std::vector<char> s(1024);
    DWORD n = 0;
    ASSERT_TRUE(m.ReadFile(disk, s.data(), 512, &n));
    EXPECT_EQ(std::string(s.data(), 512), mbr);
    // The volume starts 1 MiB into the disk.
    Handle vol = open("\\\\.\\C:", w::GENERIC_READ);
    ASSERT_TRUE(m.ReadFile(vol, s.data(), 512, &n));
    EXPECT_EQ(std::string(s.data(), 9), "NTFS boot");

    struct Row {
        const char* what;
        Handle h;
        std::int64_t at;
        DWORD count;
        bool write;
        DWORD error;
    } rows[] = {
        {"unaligned size", disk, 0, 100, false, err::INVALID_PARAMETER},
        {"unaligned offset", disk, 7, 512, false, err::INVALID_PARAMETER},
        {"write into the mounted volume", disk, 1 << 20, 512, true, err::ACCESS_DENIED},
        {"write to the volume handle", vol, 0, 512, true, err::ACCESS_DENIED},
        {"past the end of the disk", disk, 82252800000 - 512, 1024, false, err::INVALID_PARAMETER},
        {"gap before the partition", disk, 512, 512, true, err::SUCCESS},
        {"last sector of the disk", disk, 82252800000 - 512, 512, false, err::SUCCESS},
        {"exactly at the end", disk, 82252800000, 512, false, err::SUCCESS},
    };
    for (const Row& r : rows) {
        SCOPED_TRACE(r.what);
        std::int32_t high = std::int32_t(r.at >> 32);
        m.SetFilePointer(r.h, std::int32_t(std::uint32_t(r.at)), &high, w::FILE_BEGIN);
        m.SetLastError(0);
        const sys::BOOL ok = r.write ? m.WriteFile(r.h, s.data(), r.count, &n)
                                     : m.ReadFile(r.h, s.data(), r.count, &n);
        EXPECT_EQ(ok != 0, r.error == err::SUCCESS);
        EXPECT_EQ(m.GetLastError(), r.error);
    }
}

TEST_F(Sim, DeviceControlsKnowTheirTargets) {
    m.addFile("C:\\f.txt", "x");
    Handle file = open("C:\\f.txt", w::GENERIC_READ);
    Handle disk = open("\\\\.\\PhysicalDrive0", w::GENERIC_READ);
    Handle vol = open("\\\\.\\C:", w::GENERIC_READ);
    Handle com = open("\\\\.\\COM1", kReadWrite);
    std::uint64_t len = 0;
    DWORD n = 0;
    struct Row {
        const char* what;
        Handle h;
        DWORD code, outSize, error;
        std::uint64_t length;
    } rows[] = {
        {"disk length", disk, w::IOCTL_DISK_GET_LENGTH_INFO, 8, 0, 82252800000},
        {"volume length", vol, w::IOCTL_DISK_GET_LENGTH_INFO, 8, 0, 82252800000 - (1 << 20)},
        {"short buffer", disk, w::IOCTL_DISK_GET_LENGTH_INFO, 4, err::INSUFFICIENT_BUFFER, 0},
        {"plain file", file, w::IOCTL_DISK_GET_LENGTH_INFO, 8, err::INVALID_FUNCTION, 0},
        {"serial port", com, w::IOCTL_DISK_GET_LENGTH_INFO, 8, err::INVALID_FUNCTION, 0},
        {"unknown code", disk, 0x00FF0000, 8, err::INVALID_FUNCTION, 0},
    };
    for (const Row& r : rows) {
        SCOPED_TRACE(r.what);
        len = 0;
        const sys::BOOL ok = m.DeviceIoControl(r.h, r.code, nullptr, 0, &len, r.outSize, &n);
        EXPECT_EQ(ok != 0, r.error == 0);
        if (ok) {
            EXPECT_EQ(len, r.length);
            EXPECT_EQ(n, 8u);
        } else {
            EXPECT_EQ(m.GetLastError(), r.error);
        }
    }
}

TEST_F(Sim, CharacterDevicesAndPipes) {
    Handle com = open("\\\\.\\COM1", kReadWrite, w::OPEN_EXISTING, 0);
    ASSERT_NE(com, kInvalidHandle);
    EXPECT_EQ(m.GetFileType(com), w::FILE_TYPE_CHAR);
    // A serial port is exclusive.
    EXPECT_EQ(open("\\\\.\\COM1", kReadWrite, w::OPEN_EXISTING, kRW), kInvalidHandle);
    EXPECT_EQ(m.GetLastError(), err::ACCESS_DENIED);

    m.addNamedPipe("hb");
    Handle pipe = open("\\\\.\\pipe\\hb", kReadWrite);
    ASSERT_NE(pipe, kInvalidHandle);
    EXPECT_EQ(m.GetFileType(pipe), w::FILE_TYPE_PIPE);
    DWORD n = 0;
    ASSERT_TRUE(m.WriteFile(pipe, "ping", 4, &n));
    char buf[8];
    ASSERT_TRUE(m.ReadFile(pipe, buf, 8, &n));
    EXPECT_EQ(std::string(buf, n), "ping");
}

TEST_F(Sim, VolumeSetUpShowsInQueries) {
    m.setVolumeSpace('C', 4096ull * 1000, 4096ull * 250);
    m.setVolumeLabel('C', "SYSTEM", 0x1234ABCD);
    DWORD spc = 0, bps = 0, freeC = 0, totalC = 0;
    ASSERT_TRUE(m.GetDiskFreeSpaceA("C:\\", &spc, &bps, &freeC, &totalC));
    EXPECT_EQ(spc * bps, 4096u);
    EXPECT_EQ(freeC, 250u);
    EXPECT_EQ(totalC, 1000u);
    char label[4];
    DWORD serial = 0;
    ASSERT_TRUE(m.GetVolumeInformationA("C:\\", label, sizeof label, &serial, nullptr, nullptr,
                                        nullptr, 0));
    EXPECT_STREQ(label, "SYS");  // cut to the buffer, still terminated
    EXPECT_EQ(serial, 0x1234ABCDu);
    char vp[4];
    EXPECT_TRUE(m.GetVolumePathNameA("C:\\windows", vp, 3));
    EXPECT_STREQ(vp, "C:");  // one short: the backslash is dropped
    EXPECT_FALSE(m.GetVolumePathNameA("C:\\windows", vp, 2));
    EXPECT_EQ(m.GetLastError(), err::FILENAME_EXCED_RANGE);
}

TEST_F(Sim, ProcessSetUp) {
    m.setAcp(1251);
    m.setProcessId(4242);
    EXPECT_EQ(m.GetACP(), 1251u);
    EXPECT_EQ(m.GetCurrentProcessId(), 4242u);
    EXPECT_EQ(m.SetErrorMode(w::SEM_FAILCRITICALERRORS), 0u);
    EXPECT_EQ(m.errorMode(), w::SEM_FAILCRITICALERRORS);
    EXPECT_TRUE(m.SetDllDirectoryA("C:\\windows"));
    EXPECT_EQ(m.dllDirectory(), "C:\\windows");
}

}  // namespace
