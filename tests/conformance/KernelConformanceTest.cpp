// One behaviour table for every Kernel: the simulated machine, and in the Windows build the real
// kernel32 on real files. Each expectation is what Windows answers; where Wine answers otherwise
// the test names Wine's answer with onWine(windows, wine). Devices are only ever read.
#include <gtest/gtest.h>

#include <cctype>
#include <cstring>
#include <iostream>
#include <string>
#include <vector>

#include "KernelEnv.h"

namespace hbtest {
namespace {

using sys::DWORD;
using sys::Handle;
using sys::kInvalidHandle;
namespace w = sys::w;
namespace err = sys::err;

constexpr DWORD kSentinel = 0xDEADBEEF;  // a last error no call sets
constexpr DWORD kSame = 0xFFFFFFFE;      // a Wine column that agrees with Windows
constexpr DWORD kRW = w::FILE_SHARE_READ | w::FILE_SHARE_WRITE;
constexpr DWORD kShareAll = kRW | w::FILE_SHARE_DELETE;
constexpr DWORD kRead = w::GENERIC_READ, kWrite = w::GENERIC_WRITE, kReadWrite = kRead | kWrite;

std::string upperCase(std::string s) {
    for (char& c : s) c = char(std::toupper(static_cast<unsigned char>(c)));
    return s;
}

class Conformance : public ::testing::TestWithParam<std::string> {
protected:
    void SetUp() override { env = KernelEnv::make(GetParam()); }
    void TearDown() override {
        for (Handle h : opened) k().CloseHandle(h);
        if (HasFailure() && env->sim()) std::cerr << env->sim()->toString();
        env.reset();
    }
    sys::Kernel& k() { return env->k(); }
    std::string P(const std::string& leaf) { return env->path(leaf); }
    // "%D" in a table row stands for the test's directory.
    std::string expand(std::string name) {
        const auto at = name.find("%D");
        if (at != std::string::npos) name.replace(at, 2, env->dir());
        return name;
    }
    Handle open(const std::string& name, DWORD access, DWORD share = kShareAll,
                DWORD disposition = w::OPEN_EXISTING, DWORD flags = 0) {
        Handle h = k().CreateFileA(name, access, share, disposition, flags);
        if (h != kInvalidHandle) opened.push_back(h);
        return h;
    }
    void close(Handle h) {
        EXPECT_TRUE(k().CloseHandle(h));
        std::erase(opened, h);
    }
    // A device opened for a query only; on Windows itself raw disks need an administrator.
    Handle openDevice(const std::string& name, DWORD access) {
        Handle h = open(name, access, kRW);
        if (h == kInvalidHandle && !env->simulated() && !env->wine() &&
            k().GetLastError() == err::ACCESS_DENIED)
            return kInvalidHandle;
        EXPECT_NE(h, kInvalidHandle) << name << " error " << k().GetLastError();
        return h;
    }

    std::unique_ptr<KernelEnv> env;
    std::vector<Handle> opened;
};

// --- Opening ------------------------------------------------------------------------------------

struct OpenRow {
    const char* what;
    const char* name;
    DWORD access, share, disposition, flags;
    bool opens;
    DWORD error;  // the last error after the call, success or not
    // Where Wine answers otherwise (kSame: as Windows).
    int wineOpens = -1;
    DWORD wineError = kSame;
};

TEST_P(Conformance, CreateFileAnswersEveryDispositionAndPath) {
    env->makeFile(P("exists.txt"), "hello");
    env->makeFile(P("keep.txt"), "hello");
    env->makeFile(P("trunc.txt"), "hello");
    env->makeFile(P("ro.txt"), "read only");
    env->setReadOnly(P("ro.txt"), true);
    env->makeDirectory(P("sub"));
    const OpenRow rows[] = {
        {"missing file", "%D\\missing.txt", kRead, kRW, w::OPEN_EXISTING, 0, false, err::FILE_NOT_FOUND},
        {"missing directory", "%D\\nodir\\x.txt", kRead, kRW, w::OPEN_EXISTING, 0, false, err::PATH_NOT_FOUND},
        {"create in missing directory", "%D\\nodir\\x.txt", kWrite, 0, w::CREATE_NEW, 0, false, err::PATH_NOT_FOUND},
        {"truncate missing", "%D\\missing.txt", kWrite, 0, w::TRUNCATE_EXISTING, 0, false, err::FILE_NOT_FOUND},
        {"disposition 0", "%D\\exists.txt", kRead, kRW, 0, 0, false, err::INVALID_PARAMETER},
        {"disposition 6", "%D\\exists.txt", kRead, kRW, 6, 0, false, err::INVALID_PARAMETER},
        {"empty name", "", kRead, kRW, w::OPEN_EXISTING, 0, false, err::PATH_NOT_FOUND},
        // Wine finds no file where Windows finds no path.
        {"drive without volume", "Q:\\x.txt", kRead, kRW, w::OPEN_EXISTING, 0, false, err::PATH_NOT_FOUND, 0, err::FILE_NOT_FOUND},
        {"volume of no drive", "\\\\.\\Q:", 0, kRW, w::OPEN_EXISTING, 0, false, err::FILE_NOT_FOUND},
        {"no such device", "\\\\.\\NoSuchDevice77", 0, kRW, w::OPEN_EXISTING, 0, false, err::FILE_NOT_FOUND},
        {"directory", "%D\\sub", kRead, kRW, w::OPEN_EXISTING, 0, false, err::ACCESS_DENIED},
        {"directory, backup semantics", "%D\\sub", kRead, kRW, w::OPEN_EXISTING, w::FILE_FLAG_BACKUP_SEMANTICS, true, err::SUCCESS},
        {"drive root", "C:\\", kRead, kRW, w::OPEN_EXISTING, 0, false, err::ACCESS_DENIED},
        {"drive root, backup semantics", "C:\\", kRead, kRW, w::OPEN_EXISTING, w::FILE_FLAG_BACKUP_SEMANTICS, true, err::SUCCESS},
        {"create new over existing", "%D\\exists.txt", kWrite, 0, w::CREATE_NEW, 0, false, err::FILE_EXISTS},
        {"create new over directory", "%D\\sub", kWrite, 0, w::CREATE_NEW, 0, false, err::FILE_EXISTS},
        {"create always, existing", "%D\\exists.txt", kWrite, 0, w::CREATE_ALWAYS, 0, true, err::ALREADY_EXISTS},
        {"open always, existing", "%D\\keep.txt", kRead, kRW, w::OPEN_ALWAYS, 0, true, err::ALREADY_EXISTS},
        {"open existing", "%D\\keep.txt", kRead, kRW, w::OPEN_EXISTING, 0, true, err::SUCCESS},
        {"truncate existing", "%D\\keep.txt", kWrite, kRW, w::TRUNCATE_EXISTING, 0, true, err::SUCCESS},
        {"create new", "%D\\new1.txt", kWrite, 0, w::CREATE_NEW, 0, true, err::SUCCESS},
        {"create always, new", "%D\\new2.txt", kWrite, 0, w::CREATE_ALWAYS, 0, true, err::SUCCESS},
        {"open always, new", "%D\\new3.txt", kWrite, 0, w::OPEN_ALWAYS, 0, true, err::SUCCESS},
        {"relative dots", "%D\\sub\\..\\keep.txt", kRead, kRW, w::OPEN_EXISTING, 0, true, err::SUCCESS},
        {"other case", "%D\\KEEP.TXT", kRead, kRW, w::OPEN_EXISTING, 0, true, err::SUCCESS},
        // Wine keeps the read-only attribute in the Unix mode bits, which do not stop root
        // (as the tests run here).
        {"read-only file for writing", "%D\\ro.txt", kWrite, kRW, w::OPEN_EXISTING, 0, false, err::ACCESS_DENIED, 1, err::SUCCESS},
        {"read-only file overwritten", "%D\\ro.txt", kWrite, kRW, w::CREATE_ALWAYS, 0, false, err::ACCESS_DENIED, 1, err::ALREADY_EXISTS},
        // Windows wants GENERIC_WRITE to truncate; Wine truncates for a reader too.
        {"truncate without write access", "%D\\trunc.txt", kRead, kRW, w::TRUNCATE_EXISTING, 0, false, err::INVALID_PARAMETER, 1, err::SUCCESS},
        {"truncate missing without write access", "%D\\missing.txt", kRead, kRW, w::TRUNCATE_EXISTING, 0, false, err::INVALID_PARAMETER, 0, err::FILE_NOT_FOUND},
        {"read-only file for reading", "%D\\ro.txt", kRead, kRW, w::OPEN_EXISTING, 0, true, err::SUCCESS},
        {"query access only", "%D\\ro.txt", 0, 0, w::OPEN_EXISTING, 0, true, err::SUCCESS},
        {"volume, no access", "\\\\.\\C:", 0, kRW, w::OPEN_EXISTING, 0, true, err::SUCCESS},
        {"disk, no access", "\\\\.\\PhysicalDrive0", 0, kRW, w::OPEN_EXISTING, 0, true, err::SUCCESS},
        {"NUL", "\\\\.\\NUL", kReadWrite, kRW, w::OPEN_EXISTING, 0, true, err::SUCCESS},
    };
    for (const OpenRow& r : rows) {
        SCOPED_TRACE(r.what);
        k().SetLastError(kSentinel);
        Handle h = open(expand(r.name), r.access, r.share, r.disposition, r.flags);
        const DWORD e = k().GetLastError();
        const bool wineDiffers = env->wine() && r.wineError != kSame;
        EXPECT_EQ(h != kInvalidHandle, wineDiffers ? r.wineOpens == 1 : r.opens);
        EXPECT_EQ(e, wineDiffers ? r.wineError : r.error);
        if (h != kInvalidHandle) {
            EXPECT_EQ(h % 4, 0);
            close(h);
        }
    }
    // CREATE_ALWAYS and TRUNCATE_EXISTING emptied what they opened.
    Handle h = open(P("exists.txt"), kRead);
    DWORD high = 7;
    EXPECT_EQ(k().GetFileSize(h, &high), 0u);
    EXPECT_EQ(high, 0u);
}

// --- Sharing ------------------------------------------------------------------------------------

struct ShareRow {
    const char* what;
    DWORD firstAccess, firstShare, secondAccess, secondShare;
    bool secondOpens;
};

TEST_P(Conformance, ShareModesAreCheckedBothWays) {
    env->makeFile(P("f.txt"), "data");
    const ShareRow rows[] = {
        {"reader excludes everyone", kRead, 0, kRead, kShareAll, false},
        {"readers sharing reads", kRead, w::FILE_SHARE_READ, kRead, w::FILE_SHARE_READ, true},
        {"writer not allowed by first", kRead, w::FILE_SHARE_READ, kWrite, kShareAll, false},
        {"first writer not allowed by second", kWrite, kRW, kRead, w::FILE_SHARE_READ, false},
        {"both share read and write", kReadWrite, kRW, kReadWrite, kRW, true},
        {"delete holder vs no delete sharing", w::DELETE, kShareAll, kRead, kRW, false},
        {"query-only open takes no part", 0, 0, kReadWrite, 0, true},
        {"query-only second open", kReadWrite, 0, 0, 0, true},
    };
    for (const ShareRow& r : rows) {
        SCOPED_TRACE(r.what);
        Handle first = open(P("f.txt"), r.firstAccess, r.firstShare);
        ASSERT_NE(first, kInvalidHandle) << k().GetLastError();
        Handle second = open(P("f.txt"), r.secondAccess, r.secondShare);
        EXPECT_EQ(second != kInvalidHandle, r.secondOpens);
        if (second == kInvalidHandle) { EXPECT_EQ(k().GetLastError(), err::SHARING_VIOLATION); }
        else close(second);
        close(first);
    }
}

// --- Handles ------------------------------------------------------------------------------------

TEST_P(Conformance, BadHandlesFailWithInvalidHandle) {
    env->makeFile(P("f.txt"), "x");
    Handle closed = open(P("f.txt"), kReadWrite);
    ASSERT_NE(closed, kInvalidHandle);
    close(closed);
    char buf[512];
    for (Handle h : {Handle(0), closed, kInvalidHandle}) {
        SCOPED_TRACE(h);
        DWORD n = 9, high = 9;
        k().SetLastError(kSentinel);
        EXPECT_FALSE(k().ReadFile(h, buf, 1, &n));
        EXPECT_EQ(k().GetLastError(), err::INVALID_HANDLE);
        EXPECT_EQ(n, 0u);  // zeroed before anything is checked
        EXPECT_FALSE(k().WriteFile(h, "a", 1, &n));
        EXPECT_EQ(k().GetLastError(), err::INVALID_HANDLE);
        EXPECT_EQ(k().SetFilePointer(h, 0, nullptr, w::FILE_BEGIN), sys::kInvalidSetFilePointer);
        EXPECT_EQ(k().GetLastError(), err::INVALID_HANDLE);
        EXPECT_FALSE(k().SetEndOfFile(h));
        EXPECT_EQ(k().GetLastError(), err::INVALID_HANDLE);
        EXPECT_FALSE(k().FlushFileBuffers(h));
        EXPECT_EQ(k().GetLastError(), err::INVALID_HANDLE);
        EXPECT_EQ(k().GetFileSize(h, &high), sys::kInvalidSetFilePointer);
        EXPECT_EQ(k().GetLastError(), err::INVALID_HANDLE);
        EXPECT_EQ(high, 9u);
        EXPECT_EQ(k().GetFileType(h), w::FILE_TYPE_UNKNOWN);
        EXPECT_EQ(k().GetLastError(), err::INVALID_HANDLE);
        EXPECT_FALSE(k().DeviceIoControl(h, w::IOCTL_DISK_GET_DRIVE_GEOMETRY, nullptr, 0, buf, 24, &n));
        EXPECT_EQ(k().GetLastError(), err::INVALID_HANDLE);
    }
    // -1 is also the current-process pseudo handle, which CloseHandle accepts.
    EXPECT_TRUE(k().CloseHandle(kInvalidHandle));
    for (Handle h : {Handle(0), closed}) {
        EXPECT_FALSE(k().CloseHandle(h));
        EXPECT_EQ(k().GetLastError(), err::INVALID_HANDLE);
    }
}

// --- Reading, writing and the file pointer ------------------------------------------------------

TEST_P(Conformance, ReadWriteAndPointerFollowWindows) {
    Handle h = open(P("rw.txt"), kReadWrite, 0, w::CREATE_NEW);
    ASSERT_NE(h, kInvalidHandle);
    DWORD n = 0;
    ASSERT_TRUE(k().WriteFile(h, "hello world", 11, &n));
    EXPECT_EQ(n, 11u);
    EXPECT_EQ(k().SetFilePointer(h, 6, nullptr, w::FILE_BEGIN), 6u);
    char buf[32] = {};
    ASSERT_TRUE(k().ReadFile(h, buf, sizeof buf, &n));
    EXPECT_EQ(std::string(buf, n), "world");
    // At the end a read succeeds with nothing and leaves the last error alone.
    k().SetLastError(kSentinel);
    EXPECT_TRUE(k().ReadFile(h, buf, sizeof buf, &n));
    EXPECT_EQ(n, 0u);
    EXPECT_EQ(k().GetLastError(), kSentinel);

    // Moves: relative, from the end, and refused before the start.
    EXPECT_EQ(k().SetFilePointer(h, -5, nullptr, w::FILE_END), 6u);
    EXPECT_EQ(k().SetFilePointer(h, -2, nullptr, w::FILE_CURRENT), 4u);
    std::int32_t high = -1;
    EXPECT_EQ(k().SetFilePointer(h, 0, &high, w::FILE_BEGIN), sys::kInvalidSetFilePointer);
    EXPECT_EQ(k().GetLastError(), err::NEGATIVE_SEEK);
    EXPECT_EQ(high, -1);  // left as passed
    EXPECT_EQ(k().SetFilePointer(h, -100, nullptr, w::FILE_CURRENT), sys::kInvalidSetFilePointer);
    EXPECT_EQ(k().GetLastError(), err::NEGATIVE_SEEK);
    EXPECT_EQ(k().SetFilePointer(h, 0, nullptr, w::FILE_CURRENT), 4u);  // not moved
    EXPECT_EQ(k().SetFilePointer(h, 0, nullptr, 3), sys::kInvalidSetFilePointer);
    EXPECT_EQ(k().GetLastError(), err::INVALID_PARAMETER);

    // Writing past the end extends the file with zeros between.
    EXPECT_EQ(k().SetFilePointer(h, 20, nullptr, w::FILE_BEGIN), 20u);
    ASSERT_TRUE(k().WriteFile(h, "!", 1, &n));
    DWORD sizeHigh = 5;
    EXPECT_EQ(k().GetFileSize(h, &sizeHigh), 21u);
    EXPECT_EQ(sizeHigh, 0u);
    k().SetFilePointer(h, 10, nullptr, w::FILE_BEGIN);
    ASSERT_TRUE(k().ReadFile(h, buf, 11, &n));
    EXPECT_EQ(std::string(buf, n), std::string("d") + std::string(9, '\0') + "!");

    // SetEndOfFile cuts at the pointer; FlushFileBuffers is fine on a writable handle.
    k().SetFilePointer(h, 5, nullptr, w::FILE_BEGIN);
    EXPECT_TRUE(k().SetEndOfFile(h));
    EXPECT_EQ(k().GetFileSize(h, nullptr), 5u);
    EXPECT_TRUE(k().FlushFileBuffers(h));
    close(h);

    // Access is checked per handle.
    Handle ro = open(P("rw.txt"), kRead);
    EXPECT_FALSE(k().WriteFile(ro, "x", 1, &n));
    EXPECT_EQ(k().GetLastError(), err::ACCESS_DENIED);
    EXPECT_FALSE(k().SetEndOfFile(ro));
    // Windows checks for write access; Wine complains about the parameter instead.
    EXPECT_EQ(k().GetLastError(), env->onWine(err::ACCESS_DENIED, err::INVALID_PARAMETER));
    EXPECT_FALSE(k().FlushFileBuffers(ro));
    EXPECT_EQ(k().GetLastError(), err::ACCESS_DENIED);
    Handle wo = open(P("rw.txt"), kWrite);
    EXPECT_FALSE(k().ReadFile(wo, buf, 1, &n));
    EXPECT_EQ(k().GetLastError(), err::ACCESS_DENIED);
}

TEST_P(Conformance, PositionsAndSizesBeyondFourGiB) {
    Handle h = open(P("big.bin"), kReadWrite, 0, w::CREATE_NEW);
    ASSERT_NE(h, kInvalidHandle);
    DWORD n = 0;
    ASSERT_TRUE(k().WriteFile(h, "head", 4, &n));
    // 5 GiB: low 0x40000000, high 1.
    std::int32_t high = 1;
    EXPECT_EQ(k().SetFilePointer(h, 0x40000000, &high, w::FILE_BEGIN), 0x40000000u);
    EXPECT_EQ(high, 1);
    ASSERT_TRUE(k().SetEndOfFile(h));
    DWORD sizeHigh = 0;
    EXPECT_EQ(k().GetFileSize(h, &sizeHigh), 0x40000000u);
    EXPECT_EQ(sizeHigh, 1u);
    // Inside the never-written middle the file reads as zeros.
    high = 1;
    k().SetFilePointer(h, 0, &high, w::FILE_BEGIN);
    char buf[8];
    std::memset(buf, 'x', sizeof buf);
    ASSERT_TRUE(k().ReadFile(h, buf, sizeof buf, &n));
    EXPECT_EQ(n, 8u);
    EXPECT_EQ(std::string(buf, 8), std::string(8, '\0'));
    // A low part of 0xFFFFFFFF is a success told apart by a cleared last error.
    high = 0;
    k().SetLastError(kSentinel);
    EXPECT_EQ(k().SetFilePointer(h, -1, &high, w::FILE_BEGIN), 0xFFFFFFFFu);
    EXPECT_EQ(k().GetLastError(), err::SUCCESS);
    EXPECT_EQ(high, 0);
    ASSERT_TRUE(k().SetEndOfFile(h));
    k().SetLastError(kSentinel);
    EXPECT_EQ(k().GetFileSize(h, &sizeHigh), 0xFFFFFFFFu);
    EXPECT_EQ(k().GetLastError(), err::SUCCESS);
    EXPECT_EQ(sizeHigh, 0u);
    // Without a high part a move past 4 GiB cannot be reported.
    k().SetFilePointer(h, 0, nullptr, w::FILE_BEGIN);
    k().SetLastError(kSentinel);
    const DWORD r = k().SetFilePointer(h, 0x7FFFFFFF, nullptr, w::FILE_END);
    if (env->wine()) {
        // Wine moves anyway and hands back the low part.
        EXPECT_EQ(r, 0x7FFFFFFEu);
        EXPECT_EQ(k().GetLastError(), kSentinel);
    } else {
        EXPECT_EQ(r, sys::kInvalidSetFilePointer);
        EXPECT_EQ(k().GetLastError(), err::INVALID_PARAMETER);
        EXPECT_EQ(k().SetFilePointer(h, 0, nullptr, w::FILE_CURRENT), 0u);
    }
}

// --- Deleting -----------------------------------------------------------------------------------

TEST_P(Conformance, DeleteFileRules) {
    env->makeFile(P("plain.txt"), "p");
    env->makeFile(P("ro.txt"), "r");
    env->setReadOnly(P("ro.txt"), true);
    env->makeFile(P("held.txt"), "h");
    env->makeFile(P("shared.txt"), "s");
    env->makeDirectory(P("sub"));
    struct Row {
        const char* what;
        const char* name;
        DWORD error;
    } rows[] = {
        {"missing", "%D\\missing.txt", err::FILE_NOT_FOUND},
        {"missing directory", "%D\\nodir\\x.txt", err::PATH_NOT_FOUND},
        {"empty name", "", err::PATH_NOT_FOUND},
        {"directory", "%D\\sub", err::ACCESS_DENIED},
        {"read-only", "%D\\ro.txt", err::ACCESS_DENIED},
    };
    for (const Row& r : rows) {
        SCOPED_TRACE(r.what);
        EXPECT_FALSE(k().DeleteFileA(expand(r.name)));
        EXPECT_EQ(k().GetLastError(), r.error);
    }
    Handle held = open(P("held.txt"), kRead, kRW);
    EXPECT_FALSE(k().DeleteFileA(P("held.txt")));
    EXPECT_EQ(k().GetLastError(), err::SHARING_VIOLATION);
    close(held);

    Handle shared = open(P("shared.txt"), kRead, kShareAll);
    EXPECT_TRUE(k().DeleteFileA(P("shared.txt")));
    close(shared);
    EXPECT_EQ(k().GetFileAttributesA(P("shared.txt")), sys::kInvalidFileAttributes);
    EXPECT_EQ(k().GetLastError(), err::FILE_NOT_FOUND);

    EXPECT_TRUE(k().DeleteFileA(P("plain.txt")));
    EXPECT_EQ(k().GetFileAttributesA(P("plain.txt")), sys::kInvalidFileAttributes);

    Handle temp = open(P("temp.txt"), kWrite, 0, w::CREATE_NEW, w::FILE_FLAG_DELETE_ON_CLOSE);
    ASSERT_NE(temp, kInvalidHandle);
    EXPECT_NE(k().GetFileAttributesA(P("temp.txt")), sys::kInvalidFileAttributes);
    close(temp);
    EXPECT_EQ(k().GetFileAttributesA(P("temp.txt")), sys::kInvalidFileAttributes);
    EXPECT_EQ(k().GetLastError(), err::FILE_NOT_FOUND);
}

// --- File types and devices ---------------------------------------------------------------------

TEST_P(Conformance, FileTypes) {
    env->makeFile(P("f.txt"), "x");
    Handle file = open(P("f.txt"), kRead);
    EXPECT_EQ(k().GetFileType(file), w::FILE_TYPE_DISK);
    Handle dir = open(env->dir(), kRead, kShareAll, w::OPEN_EXISTING, w::FILE_FLAG_BACKUP_SEMANTICS);
    EXPECT_EQ(k().GetFileType(dir), w::FILE_TYPE_DISK);
    Handle nul = open("\\\\.\\NUL", kReadWrite, kRW);
    EXPECT_EQ(k().GetFileType(nul), w::FILE_TYPE_CHAR);

    // Windows calls volumes and disks disk devices; Wine knows neither type and fails.
    Handle vol = openDevice("\\\\.\\C:", 0);
    k().SetLastError(kSentinel);
    EXPECT_EQ(k().GetFileType(vol), env->onWine(w::FILE_TYPE_DISK, w::FILE_TYPE_UNKNOWN));
    if (env->wine()) { EXPECT_EQ(k().GetLastError(), err::NOT_SUPPORTED); }
    Handle disk = openDevice("\\\\.\\PhysicalDrive0", 0);
    if (disk == kInvalidHandle) GTEST_SKIP() << "raw disks need an administrator";
    k().SetLastError(kSentinel);
    EXPECT_EQ(k().GetFileType(disk), env->onWine(w::FILE_TYPE_DISK, w::FILE_TYPE_UNKNOWN));
    if (env->wine()) { EXPECT_EQ(k().GetLastError(), 66u); }  // ERROR_BAD_DEV_TYPE
}

TEST_P(Conformance, VolumeAndDiskHandles) {
    Handle disk = openDevice("\\\\.\\PhysicalDrive0", kRead);
    if (disk == kInvalidHandle) GTEST_SKIP() << "raw disks need an administrator";
    Handle vol = openDevice("\\\\.\\C:", kRead);
    for (Handle h : {disk, vol}) {
        SCOPED_TRACE(h == disk ? "disk" : "volume");
        DWORD high = 3;
        EXPECT_EQ(k().GetFileSize(h, &high), sys::kInvalidSetFilePointer);
        EXPECT_EQ(k().GetLastError(), err::INVALID_FUNCTION);
        EXPECT_EQ(high, 3u);
        // Flushing needs write access on Windows; Wine does not flush devices at all.
        EXPECT_FALSE(k().FlushFileBuffers(h));
        EXPECT_EQ(k().GetLastError(), env->onWine(err::ACCESS_DENIED, err::INVALID_FUNCTION));
        // Windows reads whole sectors; Wine reads nothing from a device.
        std::vector<char> sector(512);
        DWORD n = 7;
        const sys::BOOL ok = k().ReadFile(h, sector.data(), 512, &n);
        EXPECT_EQ(ok, env->onWine(1, 0));
        EXPECT_EQ(n, env->onWine(512u, 0u));
        if (env->wine()) { EXPECT_EQ(k().GetLastError(), err::INVALID_FUNCTION); }
        if (!env->wine()) {
            // Not a whole sector: refused.
            EXPECT_FALSE(k().ReadFile(h, sector.data(), 100, &n));
            EXPECT_EQ(k().GetLastError(), err::INVALID_PARAMETER);
        }
    }
}

TEST_P(Conformance, DiskGeometryAndLength) {
    Handle disk = openDevice("\\\\.\\PhysicalDrive0", 0);
    if (disk == kInvalidHandle) GTEST_SKIP() << "raw disks need an administrator";
    unsigned char g[32];
    std::memset(g, 0xAA, sizeof g);
    DWORD n = 0;
    ASSERT_TRUE(k().DeviceIoControl(disk, w::IOCTL_DISK_GET_DRIVE_GEOMETRY, nullptr, 0, g, 24, &n))
        << k().GetLastError();
    EXPECT_EQ(n, 24u);
    std::int64_t cylinders;
    DWORD media, tracks, sectors, bytes;
    std::memcpy(&cylinders, g, 8);
    std::memcpy(&media, g + 8, 4);
    std::memcpy(&tracks, g + 12, 4);
    std::memcpy(&sectors, g + 16, 4);
    std::memcpy(&bytes, g + 20, 4);
    EXPECT_EQ(media, 12u);  // FixedMedia
    EXPECT_EQ(bytes, 512u);
    if (env->simulated() || env->wine()) {
        // The machine models the disk Wine describes.
        EXPECT_EQ(cylinders, 10000);
        EXPECT_EQ(tracks, 255u);
        EXPECT_EQ(sectors, 63u);
    }
    // The volume answers with its disk's geometry.
    Handle vol = openDevice("\\\\.\\C:", 0);
    unsigned char gv[24];
    EXPECT_TRUE(k().DeviceIoControl(vol, w::IOCTL_DISK_GET_DRIVE_GEOMETRY, nullptr, 0, gv, 24, &n));
    EXPECT_EQ(std::memcmp(g, gv, 24), 0);

    // Too small a buffer: Windows refuses it, Wine fills what fits.
    k().SetLastError(kSentinel);
    const sys::BOOL shortOk =
        k().DeviceIoControl(disk, w::IOCTL_DISK_GET_DRIVE_GEOMETRY, nullptr, 0, g, 20, &n);
    EXPECT_EQ(shortOk, env->onWine(0, 1));
    if (!env->wine()) { EXPECT_EQ(k().GetLastError(), err::INSUFFICIENT_BUFFER); }

    // A plain file is no disk: Windows answers INVALID_FUNCTION, Wine NOT_SUPPORTED.
    env->makeFile(P("f.txt"), "x");
    Handle file = open(P("f.txt"), kRead);
    EXPECT_FALSE(k().DeviceIoControl(file, w::IOCTL_DISK_GET_DRIVE_GEOMETRY, nullptr, 0, g, 24, &n));
    EXPECT_EQ(k().GetLastError(), env->onWine(err::INVALID_FUNCTION, err::NOT_SUPPORTED));

    // The length needs a handle with read access.
    Handle readable = openDevice("\\\\.\\PhysicalDrive0", kRead);
    std::uint64_t length = 0;
    const sys::BOOL lenOk =
        k().DeviceIoControl(readable, w::IOCTL_DISK_GET_LENGTH_INFO, nullptr, 0, &length, 8, &n);
    // Wine does not implement the length request.
    EXPECT_EQ(lenOk, env->onWine(1, 0));
    if (env->wine()) {
        EXPECT_EQ(k().GetLastError(), err::NOT_SUPPORTED);
    } else {
        EXPECT_EQ(n, 8u);
        EXPECT_EQ(length, std::uint64_t(cylinders) * tracks * sectors * bytes);
        EXPECT_FALSE(k().DeviceIoControl(disk, w::IOCTL_DISK_GET_LENGTH_INFO, nullptr, 0, &length, 8, &n));
        EXPECT_EQ(k().GetLastError(), err::ACCESS_DENIED);
    }
}

// --- Queries on a path --------------------------------------------------------------------------

struct PathRow {
    const char* name;
    DWORD driveType;
    DWORD freeSpaceError;   // 0: succeeds
    DWORD volumeInfoError;  // 0: succeeds
    const char* volumePath;  // nullptr: fails with volumePathError
    DWORD volumePathError;
    DWORD attributes;  // kInvalidFileAttributes: fails with attributesError
    DWORD attributesError;
    DWORD wineDriveTypeError;  // Wine's GetDriveTypeA sets the last error
};

constexpr DWORD kBad = sys::kInvalidFileAttributes;
constexpr DWORD kNoSuchDevice = 433;  // ERROR_NO_SUCH_DEVICE

TEST_P(Conformance, PathQueries) {
    // The root of the system drive: Windows marks it hidden and system, Wine does not.
    const DWORD rootAttributes = env->onWine(0x16u, 0x10u);
    const PathRow rows[] = {
        {"C:\\", 3, 0, 0, "C:\\", 0, rootAttributes, 0, err::MORE_DATA},
        {"C:\\windows", 3, 0, err::INVALID_NAME, "C:\\", 0, 0x10, 0, err::MORE_DATA},
        {"C:\\windows\\", 3, 0, err::DIR_NOT_ROOT, "C:\\", 0, 0x10, 0, err::MORE_DATA},
        {"", 1, err::PATH_NOT_FOUND, err::PATH_NOT_FOUND, nullptr, err::INVALID_PARAMETER, kBad, err::PATH_NOT_FOUND, kNoSuchDevice},
        {"Q:\\", 1, err::PATH_NOT_FOUND, err::PATH_NOT_FOUND, nullptr, err::FILE_NOT_FOUND, kBad, err::PATH_NOT_FOUND, kNoSuchDevice},
        {"C:\\nonexistent\\x", 1, err::PATH_NOT_FOUND, err::DIR_NOT_ROOT, "C:\\", 0, kBad, err::PATH_NOT_FOUND, err::MORE_DATA},
    };
    for (const PathRow& r : rows) {
        SCOPED_TRACE(std::string("path \"") + r.name + "\"");
        k().SetLastError(kSentinel);
        EXPECT_EQ(k().GetDriveTypeA(r.name), r.driveType);
        // Windows never sets the last error here; Wine leaves its own lookups' errors behind.
        EXPECT_EQ(k().GetLastError(), env->onWine(kSentinel, r.wineDriveTypeError));

        DWORD spc = 0, bps = 0, freeC = 0, totalC = 0;
        const sys::BOOL free = k().GetDiskFreeSpaceA(r.name, &spc, &bps, &freeC, &totalC);
        EXPECT_EQ(free, r.freeSpaceError ? 0 : 1);
        if (!free) { EXPECT_EQ(k().GetLastError(), r.freeSpaceError); }
        else { EXPECT_GT(totalC, 0u); }
        std::uint64_t a = 0, b = 0, c = 0;
        EXPECT_EQ(k().GetDiskFreeSpaceExA(r.name, &a, &b, &c), r.freeSpaceError ? 0 : 1);
        if (r.freeSpaceError) { EXPECT_EQ(k().GetLastError(), r.freeSpaceError); }
        else { EXPECT_LE(c, b); }

        char label[256], fs[256];
        std::memset(label, 'x', sizeof label);
        std::memset(fs, 'x', sizeof fs);
        DWORD serial = 0, maxLen = 0, flags = 0;
        const sys::BOOL info =
            k().GetVolumeInformationA(r.name, label, 256, &serial, &maxLen, &flags, fs, 256);
        EXPECT_EQ(info, r.volumeInfoError ? 0 : 1);
        if (!info) {
            EXPECT_EQ(k().GetLastError(), r.volumeInfoError);
        } else {
            EXPECT_STREQ(fs, "NTFS");
            EXPECT_EQ(maxLen, 255u);
            EXPECT_NE(std::memchr(label, 0, sizeof label), nullptr);
            EXPECT_EQ(flags & 0xA, 0xAu);  // case-preserved names, persistent ACLs
            if (env->simulated() || env->wine()) {
                EXPECT_STREQ(label, "");
                EXPECT_EQ(serial, 0x43000000u);  // Wine's serial for C:, which the machine uses
            }
            if (env->wine()) { EXPECT_EQ(flags, 0xAu); }
        }

        char vp[256];
        std::memset(vp, 'x', sizeof vp);
        const sys::BOOL path = k().GetVolumePathNameA(r.name, vp, 256);
        EXPECT_EQ(path, r.volumePath ? 1 : 0);
        if (r.volumePath) { EXPECT_STREQ(vp, r.volumePath); }
        else { EXPECT_EQ(k().GetLastError(), r.volumePathError); }

        const DWORD attrs = k().GetFileAttributesA(r.name);
        EXPECT_EQ(attrs, r.attributes);
        if (attrs == kBad) { EXPECT_EQ(k().GetLastError(), r.attributesError); }
    }
}

TEST_P(Conformance, FileAttributes) {
    env->makeFile(P("f.txt"), "x");
    env->makeFile(P("ro.txt"), "x");
    env->setReadOnly(P("ro.txt"), true);
    env->makeDirectory(P("sub"));
    EXPECT_EQ(k().GetFileAttributesA(P("f.txt")), w::FILE_ATTRIBUTE_ARCHIVE);
    EXPECT_EQ(k().GetFileAttributesA(P("ro.txt")), w::FILE_ATTRIBUTE_ARCHIVE | w::FILE_ATTRIBUTE_READONLY);
    EXPECT_EQ(k().GetFileAttributesA(P("sub")), w::FILE_ATTRIBUTE_DIRECTORY);
    EXPECT_EQ(k().GetFileAttributesA(P("missing")), kBad);
    EXPECT_EQ(k().GetLastError(), err::FILE_NOT_FOUND);
    EXPECT_EQ(k().GetFileAttributesA(P("missing\\x")), kBad);
    EXPECT_EQ(k().GetLastError(), err::PATH_NOT_FOUND);
}

// --- Memory and process -------------------------------------------------------------------------

TEST_P(Conformance, VirtualMemory) {
    k().SetLastError(kSentinel);
    EXPECT_EQ(k().VirtualAlloc(0, w::MEM_COMMIT, w::PAGE_READWRITE), nullptr);
    EXPECT_EQ(k().GetLastError(), err::INVALID_PARAMETER);

    auto* p = static_cast<unsigned char*>(k().VirtualAlloc(10000, w::MEM_COMMIT, w::PAGE_READWRITE));
    ASSERT_NE(p, nullptr);
    EXPECT_EQ(reinterpret_cast<std::uintptr_t>(p) % 65536, 0u);
    for (int i : {0, 4095, 9999, 12287}) EXPECT_EQ(p[i], 0) << i;  // whole pages, zeroed
    p[12287] = 1;
    EXPECT_TRUE(k().VirtualLock(p, 10000));
    EXPECT_FALSE(k().VirtualFree(p, 10000, w::MEM_RELEASE));
    EXPECT_EQ(k().GetLastError(), err::INVALID_PARAMETER);
    EXPECT_TRUE(k().VirtualFree(p, 0, w::MEM_RELEASE));
    EXPECT_FALSE(k().VirtualFree(p, 0, w::MEM_RELEASE));
    // Windows: the memory is not allocated; Wine calls it a bad parameter.
    EXPECT_EQ(k().GetLastError(), env->onWine(err::INVALID_ADDRESS, err::INVALID_PARAMETER));
}

TEST_P(Conformance, ProcessCalls) {
    char buf[64];
    std::memset(buf, 'x', sizeof buf);
    EXPECT_EQ(k().GetWindowsDirectoryA(buf, sizeof buf), 10u);
    EXPECT_EQ(std::string(buf).size(), 10u);
    EXPECT_EQ(upperCase(buf), "C:\\WINDOWS");
    // Too small: the size needed, with the terminating NUL.
    EXPECT_EQ(k().GetWindowsDirectoryA(buf, 5), 11u);

    const DWORD before = k().SetErrorMode(w::SEM_FAILCRITICALERRORS);
    EXPECT_EQ(k().SetErrorMode(before), w::SEM_FAILCRITICALERRORS);
    EXPECT_NE(k().GetCurrentProcessId(), 0u);
    EXPECT_NE(k().GetACP(), 0u);
    EXPECT_TRUE(k().SetDllDirectoryA(""));
}

TEST_P(Conformance, CurrentDirectory) {
    env->makeFile(P("f.txt"), "x");
    env->makeDirectory(P("sub"));
    ASSERT_TRUE(k().SetCurrentDirectoryA(env->dir()));
    // Relative names now resolve here.
    EXPECT_EQ(k().GetFileAttributesA("f.txt"), w::FILE_ATTRIBUTE_ARCHIVE);
    EXPECT_TRUE(k().SetCurrentDirectoryA("sub"));
    EXPECT_EQ(k().GetFileAttributesA("..\\f.txt"), w::FILE_ATTRIBUTE_ARCHIVE);
    EXPECT_FALSE(k().SetCurrentDirectoryA(P("missing")));
    EXPECT_EQ(k().GetLastError(), err::FILE_NOT_FOUND);
    EXPECT_FALSE(k().SetCurrentDirectoryA(P("f.txt")));
    EXPECT_EQ(k().GetLastError(), err::DIRECTORY);
    // "C:" alone goes to drive C:'s current directory, which is where we are.
    EXPECT_TRUE(k().SetCurrentDirectoryA("C:"));
    EXPECT_EQ(upperCase(env->currentDirectory()), upperCase(P("sub")));
}

std::vector<std::string> backends() {
#ifdef HB_WITH_WIN32_KERNEL
    return {"Sim", "Win32"};
#else
    return {"Sim"};
#endif
}

INSTANTIATE_TEST_SUITE_P(Kernels, Conformance, ::testing::ValuesIn(backends()),
                         [](const auto& p) { return p.param; });

}  // namespace
}  // namespace hbtest
