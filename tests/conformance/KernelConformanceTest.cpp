// One behaviour table per rule, run against every Kernel: the simulated machine, and in the
// Windows build the real kernel32 on real files. Each row holds what Windows answers; where Wine
// answers otherwise the row says so with onWine(windows, wine). Devices are only ever read.
#include <gtest/gtest.h>

#include <array>
#include <cctype>
#include <filesystem>
#include <functional>
#include <random>
#include <span>
#include <sstream>
#include <thread>

#include "sys/Ioctl.h"
#include "sys/Kernel.h"
#include "sys/SimMachine.h"
#include "sys/WaitingKernel.h"

// "Waiting": the simulated machine behind the waiting kernel, each call made on a thread of its
// own as the window makes it: every answer and last error must come back unchanged.
#ifdef HB_WITH_WIN32_KERNEL
const auto kBackends = ::testing::Values("Sim", "Waiting", "Win32");
#else
const auto kBackends = ::testing::Values("Sim", "Waiting");
#endif

namespace hbtest {
namespace {

using namespace sys;
namespace fs = std::filesystem;

// kSentinel: a last error no call sets; kAny: the last error is not checked; kBad:
// INVALID_SET_FILE_POINTER and INVALID_FILE_ATTRIBUTES.
constexpr DWORD kSentinel = 0xDEADBEEF, kAny = 0xFFFFFFFE, kBad = 0xFFFFFFFF;
constexpr DWORD kRW = w::FILE_SHARE_READ | w::FILE_SHARE_WRITE, kAll = kRW | w::FILE_SHARE_DELETE;
constexpr DWORD kRead = w::GENERIC_READ, kWrite = w::GENERIC_WRITE, kReadWrite = kRead | kWrite;
constexpr DWORD kOpen = w::OPEN_EXISTING;

// One call, what it returns and the last error after it.
using Call = std::function<std::int64_t()>;
struct Step {
    const char* what;
    Call call;
    std::int64_t result;
    DWORD error;
};

class Conformance : public ::testing::TestWithParam<std::string> {
  protected:
    // The simulated machine, or the real kernel32 in a fresh directory under the temporary
    // directory. Either way the directory starts with f.txt ("hello"), read-only ro.txt and sub.
    void SetUp() override {
#ifdef HB_WITH_WIN32_KERNEL
        if (GetParam() == "Win32") {
            kernel = MakeWin32Kernel();
            isWine = RunningUnderWine();
            static unsigned counter = std::random_device{}();
            do dir = (fs::temp_directory_path() / ("hbconf-" + std::to_string(++counter))).string();
            while (!fs::create_directory(dir));
        }
#endif
        if (GetParam() == "Waiting") {
            waitedOn = std::make_unique<SimMachine>();
            kernel = std::make_unique<WaitingKernel>(
                *waitedOn, [](const std::function<void()>& call) { std::thread(call).join(); });
            sim = waitedOn.get();
            sim->addDirectory(dir = "C:\\hbtest");
        }
        if (!kernel) {
            kernel.reset(sim = new SimMachine);
            sim->addDirectory(dir = "C:\\hbtest");
        }
        makeFile("f.txt", "hello");
        makeFile("ro.txt");
        sim ? sim->setReadOnly(P("ro.txt"), true)
            : fs::permissions(P("ro.txt"), fs::perms::owner_write, fs::perm_options::remove);
        sim ? sim->addDirectory(P("sub")) : void(fs::create_directory(P("sub")));
    }
    void TearDown() override {
        for (Handle h : held) k().CloseHandle(h);
        if (HasFailure() && sim) ADD_FAILURE() << "The machine:\n" << sim->toString();
        if (sim) return;
        std::error_code ec;  // leave the directory first; a read-only file does not delete
        fs::current_path(cwd, ec);
        fs::permissions(P("ro.txt"), fs::perms::owner_write, fs::perm_options::add, ec);
        fs::remove_all(dir, ec);
    }
    Kernel& k() {
        return *kernel;
    }
    std::string P(const std::string& leaf) {
        return dir + "\\" + leaf;
    }
    auto onWine(auto windows, decltype(windows) wine) const {
        return isWine ? wine : windows;
    }

    void run(const std::vector<Step>& steps) {
        for (const Step& s : steps) {
            SCOPED_TRACE(s.what);
            k().SetLastError(kSentinel);
            const std::int64_t result = s.call();
            const DWORD error = k().GetLastError();  // before a failure message can change it
            // A row that folds its check into 0 or 1 still shows what it read.
            EXPECT_EQ(result, s.result) << "last read \"" << got << "\", last answer " << Answer();
            EXPECT_EQ(s.error == kAny ? kAny : error, s.error) << "last error";
        }
    }
    void makeFile(const std::string& leaf, const std::string& contents = "") {
        const Handle h = k().CreateFileA(P(leaf), kWrite, 0, w::CREATE_ALWAYS, 0);
        ASSERT_TRUE(write(h, contents) == std::ssize(contents) && k().CloseHandle(h)) << leaf;
    }
    // A handle closed when the test ends.
    Handle open(const std::string& name, DWORD access, DWORD share = kAll, DWORD how = kOpen,
                DWORD flags = 0) {
        Handle h = k().CreateFileA(name, access, share, how, flags);
        if (h != kInvalidHandle) held.push_back(h);
        return h;
    }
    BOOL close(Handle h) {
        std::erase(held, h);
        return k().CloseHandle(h);
    }
    // Whether the name opens; what opens is closed again (which keeps the last error).
    Call opens(std::string name, DWORD access, DWORD how = kOpen, DWORD flags = 0,
               DWORD share = kRW) {
        return [=, this] {
            const Handle h = k().CreateFileA(name, access, share, how, flags);
            EXPECT_TRUE(h == kInvalidHandle || (h % 4 == 0 && k().CloseHandle(h))) << h;
            return h != kInvalidHandle;
        };
    }
    // Reads and writes answer the count moved, or -1 on failure with the count zeroed.
    std::int64_t write(Handle h, const std::string& s) {
        DWORD n = 7;
        return k().WriteFile(h, s.data(), DWORD(s.size()), &n) ? std::int64_t(n) : n ? -2 : -1;
    }
    std::int64_t read(Handle h, DWORD count) {
        got.assign(count, 'x');
        DWORD n = 7;
        const bool ok = k().ReadFile(h, got.data(), count, &n);
        got.resize(std::min(n, count));
        return ok ? std::int64_t(n) : n ? -2 : -1;
    }
    // Positions and sizes, or -1 on failure with the high part left alone.
    std::int64_t seek(Handle h, std::int64_t to, DWORD method) {
        std::int32_t high = std::int32_t(to >> 32);
        const DWORD low = k().SetFilePointer(h, std::int32_t(to), &high, method);
        if (low == kBad && k().GetLastError() != err::SUCCESS) return high == to >> 32 ? -1 : -2;
        return std::int64_t(high) << 32 | low;
    }
    std::int64_t size(Handle h) {
        DWORD high = 9;
        const DWORD low = k().GetFileSize(h, &high);
        if (low == kBad && k().GetLastError() != err::SUCCESS) return high == 9 ? -1 : -2;
        return std::int64_t(high) << 32 | low;
    }
    // DeviceIoControl into `out`: the bytes returned, or -1.
    std::int64_t ioctl(Handle h, DWORD code, DWORD outSize) {
        DWORD n = 0;
        const bool ok = k().DeviceIoControl(h, code, nullptr, 0, out.data(), outSize, &n);
        return ok ? std::int64_t(n) : -1;
    }
    std::int64_t out64() const {
        return out[0] | std::int64_t(out[1]) << 32;
    }
    Call attrs(std::string name) {
        return [=, this] { return k().GetFileAttributesA(name); };
    }

    std::unique_ptr<SimMachine> waitedOn;  // behind the waiting kernel
    std::unique_ptr<Kernel> kernel;
    SimMachine* sim = nullptr;  // null on the real kernel32
    std::string dir;            // no trailing backslash
    bool isWine = false;
    const fs::path cwd = fs::current_path();
    std::vector<Handle> held;
    std::string Answer() const {
        std::string text;
        for (DWORD d : out) text += std::to_string(d) + " ";
        return text;
    }
    std::string got;                        // what the last read read
    alignas(8) std::array<DWORD, 6> out{};  // what the last ioctl answered
};

TEST_P(Conformance, CreateFile) {
    makeFile("trunc.txt", "hello");
    // clang-format off
    run({
        {"missing file", opens(P("missing.txt"), kRead), 0, err::FILE_NOT_FOUND},
        {"missing directory", opens(P("nodir\\x.txt"), kWrite, w::CREATE_NEW), 0, err::PATH_NOT_FOUND},
        {"disposition 0", opens(P("f.txt"), kRead, 0), 0, err::INVALID_PARAMETER},
        {"drive without volume", opens("Q:\\x.txt", kRead), 0, onWine(err::PATH_NOT_FOUND, err::FILE_NOT_FOUND)},
        {"directory", opens(P("sub"), kRead), 0, err::ACCESS_DENIED},
        {"directory, backup semantics", opens(P("sub"), kRead, kOpen, w::FILE_FLAG_BACKUP_SEMANTICS), 1, err::SUCCESS},
        {"create new over a file", opens(P("f.txt"), kWrite, w::CREATE_NEW), 0, err::FILE_EXISTS},
        {"create always over a file", opens(P("f.txt"), kWrite, w::CREATE_ALWAYS), 1, err::ALREADY_EXISTS},
        {"open always, new", opens(P("new.txt"), kWrite, w::OPEN_ALWAYS), 1, err::SUCCESS},
        {"dots and other case", opens(P("sub\\..\\F.TXT"), kRead), 1, err::SUCCESS},
        {"truncate", opens(P("trunc.txt"), kWrite, w::TRUNCATE_EXISTING), 1, err::SUCCESS},
        // Wine keeps read-only in Unix mode bits, which do not stop root (as the tests run here).
        {"read-only for writing", opens(P("ro.txt"), kWrite), onWine(0, 1), onWine(err::ACCESS_DENIED, err::SUCCESS)},
        // Windows wants write access to truncate; Wine truncates for a reader too.
        {"truncate for reading", opens(P("f.txt"), kRead, w::TRUNCATE_EXISTING), onWine(0, 1), onWine(err::INVALID_PARAMETER, err::SUCCESS)},
        {"truncate missing for reading", opens(P("missing.txt"), kRead, w::TRUNCATE_EXISTING), 0, onWine(err::INVALID_PARAMETER, err::FILE_NOT_FOUND)},
        {"emptied by create always and truncate", [&] { return size(open(P("f.txt"), kRead)) + size(open(P("trunc.txt"), kRead)); }, 0, kAny},
    });
    // clang-format on
}

TEST_P(Conformance, ShareModesAreCheckedBothWays) {
    auto second = [&](DWORD access1, DWORD share1, DWORD access2, DWORD share2) {
        return [=, this] {
            const Handle first = open(P("f.txt"), access1, share1);
            const std::int64_t opened = opens(P("f.txt"), access2, kOpen, 0, share2)();
            return close(first) ? opened : -1;
        };
    };
    // clang-format off
    run({
        {"second writer not allowed", second(kRead, w::FILE_SHARE_READ, kWrite, kAll), 0, err::SHARING_VIOLATION},
        {"first writer not allowed", second(kWrite, kRW, kRead, w::FILE_SHARE_READ), 0, err::SHARING_VIOLATION},
        {"deleter, no delete sharing", second(w::DELETE, kAll, kRead, kRW), 0, err::SHARING_VIOLATION},
        {"both share read and write", second(kReadWrite, kRW, kReadWrite, kRW), 1, err::SUCCESS},
        {"query-only opens take no part", second(0, 0, kReadWrite, 0), 1, err::SUCCESS},
    });
    // clang-format on
}

TEST_P(Conformance, BadHandles) {
    const Handle closed = open(P("f.txt"), kReadWrite);
    ASSERT_TRUE(close(closed));
    for (Handle h : {Handle(0), closed, kInvalidHandle}) {
        SCOPED_TRACE(h);
        // clang-format off
        run({
            {"ReadFile", [&] { return read(h, 1); }, -1, err::INVALID_HANDLE},
            {"WriteFile", [&] { return write(h, "a"); }, -1, err::INVALID_HANDLE},
            {"SetFilePointer", [&] { return seek(h, 0, w::FILE_BEGIN); }, -1, err::INVALID_HANDLE},
            {"GetFileSize", [&] { return size(h); }, -1, err::INVALID_HANDLE},
            {"GetFileType", [&] { return k().GetFileType(h); }, w::FILE_TYPE_UNKNOWN, err::INVALID_HANDLE},
            {"DeviceIoControl", [&] { return ioctl(h, sys::ioctl::IOCTL_DISK_GET_DRIVE_GEOMETRY, 24); }, -1, err::INVALID_HANDLE},
        });
    }
    run({
        {"close -1, the current-process pseudo handle", [&] { return k().CloseHandle(kInvalidHandle); }, 1, kAny},
        {"close 0", [&] { return k().CloseHandle(0); }, 0, err::INVALID_HANDLE},
        {"close twice", [&] { return k().CloseHandle(closed); }, 0, err::INVALID_HANDLE},
    });
    // clang-format on
}

TEST_P(Conformance, ReadWriteAndPointer) {
    const Handle h = open(P("rw.txt"), kReadWrite, kAll, w::CREATE_NEW);
    const Handle ro = open(P("rw.txt"), kRead), wo = open(P("rw.txt"), kWrite);
    // clang-format off
    run({
        {"write", [&] { return write(h, "hello world"); }, 11, kAny},
        {"read the rest from 6", [&] { seek(h, 6, w::FILE_BEGIN); return read(h, 32) == 5 && got == "world"; }, 1, kAny},
        {"read at the end: nothing, last error left alone", [&] { return read(h, 32); }, 0, kSentinel},
        {"from the end", [&] { return seek(h, -5, w::FILE_END); }, 6, kAny},
        {"before the start", [&] { return seek(h, -100, w::FILE_CURRENT); }, -1, err::NEGATIVE_SEEK},
        {"method 3", [&] { return seek(h, 0, 3); }, -1, err::INVALID_PARAMETER},
        {"not moved by failures", [&] { return seek(h, 0, w::FILE_CURRENT); }, 6, kAny},
        {"write past the end", [&] { seek(h, 20, w::FILE_BEGIN); return write(h, "!") == 1 ? size(h) : -1; }, 21, kAny},
        {"zeros in the gap", [&] { seek(h, 10, w::FILE_BEGIN); return read(h, 11) == 11 && got == "d" + std::string(9, '\0') + "!"; }, 1, kAny},
        {"cut at the pointer", [&] { seek(h, 5, w::FILE_BEGIN); return k().SetEndOfFile(h) ? size(ro) : -1; }, 5, kAny},
        {"write, read-only handle", [&] { return write(ro, "x"); }, -1, err::ACCESS_DENIED},
        // Windows checks for write access; Wine complains about the parameter instead.
        {"cut, read-only handle", [&] { return k().SetEndOfFile(ro); }, 0, onWine(err::ACCESS_DENIED, err::INVALID_PARAMETER)},
        {"read, write-only handle", [&] { return read(wo, 1); }, -1, err::ACCESS_DENIED},
    });
    // clang-format on
}

TEST_P(Conformance, SparseFileBeyondFourGiB) {
    const Handle h = open(P("big.bin"), kReadWrite, 0, w::CREATE_NEW);
    const std::int64_t gib = std::int64_t(1) << 30;
    // clang-format off
    run({
        {"write", [&] { return write(h, "head"); }, 4, kAny},
        {"end at 5 GiB", [&] { return seek(h, 5 * gib, w::FILE_BEGIN) == 5 * gib && k().SetEndOfFile(h) ? size(h) : -1; }, 5 * gib, kAny},
        {"zeros in the middle", [&] { seek(h, 4 * gib, w::FILE_BEGIN); return read(h, 8) == 8 && got == std::string(8, '\0'); }, 1, kAny},
        // A low part of 0xFFFFFFFF is a success told apart by a cleared last error.
        {"move to 4 GiB - 1", [&] { return seek(h, 4 * gib - 1, w::FILE_BEGIN); }, 4 * gib - 1, err::SUCCESS},
        {"size 4 GiB - 1", [&] { k().SetEndOfFile(h); k().SetLastError(kSentinel); return size(h); }, 4 * gib - 1, err::SUCCESS},
        // Without a high part a move past 4 GiB cannot be answered: Windows refuses it, Wine
        // moves and answers the low part.
        {"beyond 4 GiB, no high part", [&] { return k().SetFilePointer(h, 0x7FFFFFFF, nullptr, w::FILE_END); }, onWine<std::int64_t>(kBad, 0x7FFFFFFE), onWine(err::INVALID_PARAMETER, kSentinel)},
        {"where it is", [&] { return seek(h, 0, w::FILE_CURRENT); }, onWine(4 * gib - 1, 6 * gib - 2), kAny},
    });
    // clang-format on
}

TEST_P(Conformance, DeleteFile) {
    for (const char* f : {"held.txt", "shared.txt"}) makeFile(f);
    open(P("held.txt"), kRead, kRW);
    Handle h = open(P("shared.txt"), kRead, kAll);
    auto del = [&](const char* leaf) { return [=, this] { return k().DeleteFileA(P(leaf)); }; };
    // clang-format off
    run({
        {"missing", del("missing.txt"), 0, err::FILE_NOT_FOUND},
        {"directory", del("sub"), 0, err::ACCESS_DENIED},
        {"read-only", del("ro.txt"), 0, err::ACCESS_DENIED},
        {"open without delete sharing", del("held.txt"), 0, err::SHARING_VIOLATION},
        {"open with delete sharing, gone once closed", [&] { return del("shared.txt")() && close(h) ? attrs(P("shared.txt"))() : 0; }, kBad, err::FILE_NOT_FOUND},
        {"delete on close: there while open, gone once closed", [&] { h = open(P("temp.txt"), kWrite, 0, w::CREATE_NEW, w::FILE_FLAG_DELETE_ON_CLOSE); return attrs(P("temp.txt"))() != kBad && close(h) ? attrs(P("temp.txt"))() : 0; }, kBad, err::FILE_NOT_FOUND},
    });
    // clang-format on
}

TEST_P(Conformance, DevicesAndFileTypes) {
    const Handle file = open(P("f.txt"), kRead), nul = open("\\\\.\\NUL", kReadWrite, kRW);
    const Handle vol0 = open("\\\\.\\C:", 0, kRW), disk0 = open("\\\\.\\PhysicalDrive0", 0, kRW);
    const DWORD geometry = sys::ioctl::IOCTL_DISK_GET_DRIVE_GEOMETRY,
                length = sys::ioctl::IOCTL_DISK_GET_LENGTH_INFO;
    auto type = [&](Handle h) { return [=, this] { return k().GetFileType(h); }; };
    // DISK_GEOMETRY: cylinders (64 bits), media, tracks/cylinder, sectors/track, bytes/sector.
    auto diskLength = [&] { return out64() * out[3] * out[4] * out[5]; };
    // clang-format off
    run({
        {"file", type(file), w::FILE_TYPE_DISK, kAny},
        {"NUL", type(nul), w::FILE_TYPE_CHAR, kAny},
        // Windows calls volumes and disks disk devices; Wine knows neither type and fails.
        {"volume", type(vol0), onWine(w::FILE_TYPE_DISK, w::FILE_TYPE_UNKNOWN), onWine(kAny, err::NOT_SUPPORTED)},
        {"disk", type(disk0), onWine(w::FILE_TYPE_DISK, w::FILE_TYPE_UNKNOWN), onWine(kAny, DWORD(66))},  // BAD_DEV_TYPE
        {"geometry of a file", [&] { return ioctl(file, geometry, 24); }, -1, onWine(err::INVALID_FUNCTION, err::NOT_SUPPORTED)},
        // Too small a buffer: Windows refuses it, Wine fills what fits.
        {"geometry into 20 bytes", [&] { return ioctl(disk0, geometry, 20); }, onWine(-1, 20), onWine(err::INSUFFICIENT_BUFFER, kAny)},
        {"disk length, query access", [&] { return ioctl(disk0, length, 8); }, -1, err::ACCESS_DENIED},
        {"volume geometry", [&] { return ioctl(vol0, geometry, 24); }, 24, kAny},
        // Fixed media (12) with 512-byte sectors.
        {"disk geometry, as the volume's", [&] { const auto volume = out; return ioctl(disk0, geometry, 24) == 24 && out == volume && out[2] == 12 && out[5] == 512; }, 1, kAny},
    });
    // The machine models the disk Wine describes; a real disk can be any size.
    if (sim || isWine) { EXPECT_EQ(diskLength(), 10000 * 255 * 63 * 512ll); }
    const Handle disk = open("\\\\.\\PhysicalDrive0", kRead, kRW), vol = open("\\\\.\\C:", kRead, kRW);
    if (disk == kInvalidHandle && !sim && !isWine) GTEST_SKIP() << "needs an administrator";
    // Wine does not implement the length request.
    run({{"disk length", [&, n = diskLength()] { return ioctl(disk, length, 8) == 8 && out64() == n; }, onWine(1, 0), onWine(kAny, err::NOT_SUPPORTED)}});
    for (Handle h : {disk, vol}) {
        SCOPED_TRACE(h == disk ? "disk" : "volume");
        run({
            {"size", [&] { return size(h); }, -1, err::INVALID_FUNCTION},
            // Flushing needs write access on Windows; Wine does not flush devices at all.
            {"flush", [&] { return k().FlushFileBuffers(h); }, 0, onWine(err::ACCESS_DENIED, err::INVALID_FUNCTION)},
            // Windows reads whole sectors only; Wine reads nothing from a device.
            {"read a sector", [&] { return read(h, 512); }, onWine(512, -1), onWine(kAny, err::INVALID_FUNCTION)},
            {"read part of a sector", [&] { return read(h, 100); }, -1, onWine(err::INVALID_PARAMETER, err::INVALID_FUNCTION)},
        });
    }
    // clang-format on
}

TEST_P(Conformance, DeviceControlRequests) {
    namespace L = sys::ioctl;
    using G = L::DISK_GEOMETRY;
    using N = L::STORAGE_DEVICE_NUMBER;
    using D = L::STORAGE_DEVICE_DESCRIPTOR;
    using X = L::VOLUME_DISK_EXTENTS;
    // Handles without access: Windows gives them to anyone, and the queries need no more.
    const Handle vol = open("\\\\.\\C:", 0, kRW), disk = open("\\\\.\\PhysicalDrive0", 0, kRW);
    // The buffers the bench sends: the geometry's fixed part and 260 bytes, a query with 260
    // parameter bytes (all zero: the standard query of the device descriptor), 101 extents.
    constexpr DWORD kGeometryEx = 292, kQuery = 268, kExtents = 8 + 101 * 24;
    const std::array<std::uint8_t, kQuery> query{};
    std::array<std::uint8_t, kExtents> answer;
    std::span<const std::uint8_t> filled;  // what the last request returned
    struct Request {
        const char* name;
        DWORD code, outSize;
    };
    const Request geometry{"geometry", L::IOCTL_DISK_GET_DRIVE_GEOMETRY, G::kSize},
        geometryEx{"geometry ex", L::IOCTL_DISK_GET_DRIVE_GEOMETRY_EX, kGeometryEx},
        number{"device number", L::IOCTL_STORAGE_GET_DEVICE_NUMBER, N::kSize},
        property{"property", L::IOCTL_STORAGE_QUERY_PROPERTY, D::kSize},
        extents{"extents", L::IOCTL_VOLUME_GET_VOLUME_DISK_EXTENTS, kExtents},
        layout{"layout", L::IOCTL_DISK_GET_DRIVE_LAYOUT_EX, kExtents},
        partition{"partition", L::IOCTL_DISK_GET_PARTITION_INFO_EX,
                  L::PARTITION_INFORMATION_EX::kSize},
        ntfs{"NTFS data", L::FSCTL_GET_NTFS_VOLUME_DATA, L::NTFS_VOLUME_DATA_BUFFER::kSize},
        lock{"lock", L::FSCTL_LOCK_VOLUME, 0}, unlock{"unlock", L::FSCTL_UNLOCK_VOLUME, 0};
    auto send = [&](Handle h, const Request& r, DWORD& n) {
        answer.fill(0);
        const bool isProperty = r.code == property.code;
        // The bench sends the descriptor's head with its Size already set.
        if (isProperty) L::Put(answer, D::Size, D::kSize);
        n = 0;
        const BOOL ok = k().DeviceIoControl(h, r.code, isProperty ? query.data() : nullptr,
                                            isProperty ? kQuery : 0, answer.data(), r.outSize, &n);
        filled = std::span(answer).first(ok ? std::min(n, r.outSize) : 0);
        return ok;
    };
    // The count returned, or -1.
    auto count = [&](Handle h, const Request& r) -> Call {
        return [&, h, r] {
            DWORD n;
            return send(h, r, n) ? std::int64_t(n) : -1;
        };
    };
    // The call's result alone: Wine leaves a stale count after the lock requests.
    auto result = [&](Handle h, const Request& r) -> Call {
        return [&, h, r] {
            DWORD n;
            return send(h, r, n);
        };
    };
    // One unsigned field of the answer; a field not returned reads as 0.
    auto field = [&](Handle h, const Request& r, auto f) -> Call {
        return [&, h, r, f] {
            DWORD n;
            send(h, r, n);
            const auto upTo = filled.first(std::min(filled.size(), f.offset + f.size));
            return std::int64_t(L::GetAt<std::uint64_t>(upTo, f.offset));
        };
    };
    // The machine models the disk Wine describes; a real disk is of any size, on any bus, and
    // C: can be any partition of it.
    const bool modelDisk = sim || isWine;
    for (Handle h : {vol, disk}) {
        SCOPED_TRACE(h == vol ? "volume" : "disk");
        // clang-format off
        run({
            {"geometry", count(h, geometry), 24, kAny},
            {"geometry: media type, fixed", field(h, geometry, G::MediaType), 12, kAny},
            {"geometry: tracks per cylinder", field(h, geometry, G::TracksPerCylinder), 255, kAny},
            {"geometry: sectors per track", field(h, geometry, G::SectorsPerTrack), 63, kAny},
            {"geometry: bytes per sector", field(h, geometry, G::BytesPerSector), 512, kAny},
            // Windows adds the partition and detection information (24 and 56 bytes); Wine
            // returns 8 zero bytes of it.
            {"geometry ex", count(h, geometryEx), onWine(112, 40), kAny},
            {"device number", count(h, number), 12, kAny},
            {"device number: type, disk", field(h, number, N::DeviceType), 7, kAny},
            // Cut to the buffer: the descriptor's strings follow its head.
            {"property", count(h, property), 40, kAny},
            // The SCSI peripheral type, 0 for a direct-access device; Wine gives the handle's
            // device type instead.
            {"property: SCSI device type", field(h, property, D::DeviceType), onWine(0, 7), kAny},
            {"property: not removable", field(h, property, D::RemovableMedia), 0, kAny},
        });
        if (modelDisk)
            run({
                {"geometry: cylinders", field(h, geometry, G::Cylinders), 10000, kAny},
                {"geometry ex: disk size", field(h, geometryEx, L::DISK_GEOMETRY_EX::DiskSize), 10000 * 255 * 63 * 512ll, kAny},
                // Wine calls every disk SCSI; the machine's is NVMe.
                {"property: bus type", field(h, property, D::BusType), onWine(17, 1), kAny},
            });
    }
    run({
        {"disk: device number", field(disk, number, N::DeviceNumber), 0, kAny},
        // Partition 0 stands for the whole disk.
        {"disk: partition number", field(disk, number, N::PartitionNumber), 0, kAny},
    });
    if (modelDisk)
        run({
            {"volume: device number", field(vol, number, N::DeviceNumber), 0, kAny},
            {"volume: partition number", field(vol, number, N::PartitionNumber), 1, kAny},
            // The partition starts 1 MiB into the disk and runs to its end; Wine has no extent.
            {"volume: extent start", field(vol, extents, L::Inside<X::Extents>(L::DISK_EXTENT::StartingOffset)), onWine(1 << 20, 0), kAny},
            {"volume: extent length", field(vol, extents, L::Inside<X::Extents>(L::DISK_EXTENT::ExtentLength)), onWine(82251751424ll, 0ll), kAny},
            // The disk's one partition, C:, and its NTFS data; Wine knows none of the three.
            {"disk: layout", count(disk, layout), onWine(48 + 144, -1), onWine(kAny, err::NOT_SUPPORTED)},
            {"volume: partition", count(vol, partition), onWine(144, -1), onWine(kAny, err::NOT_SUPPORTED)},
            {"volume: partition start", field(vol, partition, L::PARTITION_INFORMATION_EX::StartingOffset), onWine(1 << 20, 0), kAny},
            {"volume: NTFS data", count(vol, ntfs), onWine(96, -1), onWine(kAny, err::NOT_SUPPORTED)},
        });
    const std::int64_t volumeDisk = field(vol, number, N::DeviceNumber)();
    run({
        {"extents", count(vol, extents), 32, kAny},
        // Wine answers with no extent at all.
        {"extents: how many", field(vol, extents, X::NumberOfDiskExtents), onWine(1, 0), kAny},
        {"extents: on the volume's disk", field(vol, extents, L::Inside<X::Extents>(L::DISK_EXTENT::DiskNumber)), volumeDisk, kAny},
        // Only a volume has extents; Wine answers the disk as a volume.
        {"extents of a disk", count(disk, extents), onWine(-1, 32), onWine(err::INVALID_FUNCTION, kAny)},
    });
    // Windows never locks the system volume, nor one with a file open on it; Wine locks
    // anything, and unlocks what is not locked.
    open(P("f.txt"), kRead);
    run({
        {"unlock without a lock", result(vol, unlock), onWine(0, 1), onWine(err::NOT_LOCKED, kAny)},
        {"lock, a file on the volume open", result(vol, lock), onWine(0, 1), onWine(err::ACCESS_DENIED, kAny)},
    });
    // clang-format on
    // Handle 0: Wine lets the lock requests through.
    for (const Request& r : {geometry, geometryEx, number, property, extents, lock, unlock}) {
        const bool wineLets = r.code == lock.code || r.code == unlock.code;
        const DWORD error = wineLets ? onWine(err::INVALID_HANDLE, kAny) : err::INVALID_HANDLE;
        run({{r.name, result(0, r), wineLets ? onWine(0, 1) : 0, error}});
    }
    // The access a code names is checked before any driver sees the request.
    const Request online{"online", L::IOCTL_VOLUME_ONLINE, 0},
        offline{"offline", L::IOCTL_VOLUME_OFFLINE, 0},
        eject{"eject", L::IOCTL_STORAGE_EJECT_MEDIA, 0},
        load{"load", L::IOCTL_STORAGE_LOAD_MEDIA, 0};
    for (Handle h : {vol, disk}) {
        SCOPED_TRACE(h == vol ? "volume, no access" : "disk, no access");
        for (const Request& r : {online, offline, eject, load})
            run({{r.name, result(h, r), 0, err::ACCESS_DENIED}});
    }
    // Without access the volume's medium and length are not read, nor its dirty bit, declared
    // for any access; whether a medium is there and whether the volume is mounted need nothing.
    // Wine knows neither dirty-bit request, nor the second check of the medium.
    const Request verify{"check verify", L::IOCTL_STORAGE_CHECK_VERIFY, 4},
        verify2{"check verify 2", L::IOCTL_STORAGE_CHECK_VERIFY2, 4},
        length{"length", L::IOCTL_DISK_GET_LENGTH_INFO, 8},
        capacity{"read capacity", L::IOCTL_STORAGE_READ_CAPACITY, 32},
        dirty{"is dirty", L::FSCTL_IS_VOLUME_DIRTY, 4},
        markDirty{"mark dirty", L::FSCTL_MARK_VOLUME_DIRTY, 0},
        mounted{"is mounted", L::FSCTL_IS_VOLUME_MOUNTED, 0};
    for (const Request& r : {verify, length, capacity})
        run({{r.name, result(vol, r), 0, err::ACCESS_DENIED}});
    for (const Request& r : {dirty, markDirty})
        run({{r.name, result(vol, r), 0, onWine(err::ACCESS_DENIED, err::NOT_SUPPORTED)}});
    run({{verify2.name, result(vol, verify2), onWine(1, 0), onWine(kAny, err::NOT_SUPPORTED)},
         {mounted.name, result(vol, mounted), 1, kAny}});
    const Handle readVol = open("\\\\.\\C:", kRead, kRW),
                 readDisk = open("\\\\.\\PhysicalDrive0", kRead, kRW);
    if (readVol == kInvalidHandle && !sim && !isWine) GTEST_SKIP() << "needs an administrator";
    const Request setAttributes{"set disk attributes", L::IOCTL_DISK_SET_DISK_ATTRIBUTES, 0};
    for (Handle h : {readVol, readDisk}) {
        SCOPED_TRACE(h == readVol ? "volume, read access" : "disk, read access");
        for (const Request& r : {online, offline, setAttributes})
            run({{r.name, result(h, r), 0, err::ACCESS_DENIED}});
    }
    run({{"is dirty, read access", result(readVol, dirty), onWine(1, 0),
          onWine(kAny, err::NOT_SUPPORTED)}});
    using C = L::STORAGE_READ_CAPACITY;
    if (modelDisk)  // Wine does not answer it
        for (Handle h : {readVol, readDisk})
            run({{"read capacity: block length", field(h, capacity, C::BlockLength), onWine(512, 0), kAny},
                 {"read capacity: blocks", field(h, capacity, C::NumberOfBlocks), onWine(160650000, 0), kAny}});
}

TEST_P(Conformance, PathQueryAnswers) {
    // What each of the bench's six path queries answers, outputs included, on the names Wine
    // was watched on. Volume information is "label|serial|flags|file system" in hex, or
    // "#" and the error; the volume path is the path, or "#" and the error.
    ASSERT_TRUE(k().SetCurrentDirectoryA("C:\\"));  // so that "C:" is the root everywhere
    struct Row {
        std::string name;
        DWORD driveType;
        std::int64_t clusterShape;  // sectors per cluster << 32 | bytes per sector; -1: fails
        DWORD freeSpaceError;
        std::string volumeInfo, volumePath;
        DWORD attributes, attributesError;
    };
    const std::string root = dir.substr(0, 2) + "\\";  // of the test's directory
    const std::int64_t ok = std::int64_t(8) << 32 | 512, fails = -1;
    const DWORD noPath = err::PATH_NOT_FOUND;
    // NTFS with case-preserved names and persistent ACLs: Wine reports only those two flags.
    const std::string system = onWine<std::string>("|43000000|3E700FF|NTFS", "|43000000|A|NTFS");
    // A name below the root without a trailing backslash is a bad one; Wine calls it no root
    // once a backslash follows its first component.
    const std::string below = onWine<std::string>("#123", "#144");
    // clang-format off
    const Row rows[] = {
        // Windows marks the system drive's root hidden and system; Wine does not.
        {"C:\\", 3, ok, 0, system, "C:\\", onWine(0x16u, 0x10u), kAny},
        {"C:", 3, ok, 0, system, "C:\\", onWine(0x16u, 0x10u), kAny},
        // A directory below the root: no drive type without a trailing backslash (Wine gives
        // one), and no volume information: a bad name, or with the backslash no root.
        {P("sub"), onWine(1u, 3u), ok, 0, below, root, 0x10, kAny},
        {P("sub") + "\\", 3, ok, 0, "#144", root, 0x10, kAny},
        {P("sub\\missing"), 1, fails, err::FILE_NOT_FOUND, below, root, kBad, err::FILE_NOT_FOUND},
        {P("f.txt"), 1, fails, err::DIRECTORY, below, root, w::FILE_ATTRIBUTE_ARCHIVE, kAny},
        // Windows calls a missing directory's name bad for want of a trailing backslash; Wine, no root.
        {"C:\\nonexistent\\x", 1, fails, noPath, onWine<std::string>("#123", "#144"), "C:\\", kBad, noPath},
        {"", 1, fails, noPath, "#3", "#87", kBad, noPath},
        {"Q:\\", 1, fails, noPath, "#3", "#2", kBad, noPath},
        // The volume's device name. Wine knows no drive type for it (0), answers the free space
        // and fails the rest; Windows keeps the prefix in the volume path.
        {"\\\\.\\C:", onWine(1u, 0u), onWine(fails, ok), onWine(noPath, 0u), onWine<std::string>("#123", "#144"),
         onWine<std::string>("\\\\.\\C:\\", "#123"), onWine(w::FILE_ATTRIBUTE_NORMAL, kBad), onWine(kAny, DWORD(66))},
        // Wine maps Z: to the host's root, a directory and a reparse point; no drive here.
        {"Z:\\", onWine(1u, 3u), onWine(fails, ok), onWine(noPath, 0u), onWine<std::string>("#3", "|5A000000|A|NTFS"),
         onWine<std::string>("#2", "Z:\\"), onWine(kBad, 0x410u), onWine(noPath, kAny)},
    };
    // clang-format on
    auto orAny = [](DWORD error) { return error ? error : kAny; };
    for (const Row& r : rows) {
        SCOPED_TRACE("path \"" + r.name + "\"");
        const char* name = r.name.c_str();
        // clang-format off
        run({
            // Windows never sets the last error here; Wine leaves its own lookups' errors behind.
            {"drive type", [&] { return k().GetDriveTypeA(name); }, r.driveType, onWine(kSentinel, kAny)},
            // -2: succeeds, in clusters of another shape than the system drive's.
            {"free space", [&] {
                DWORD sectors = 0, bytes = 0, free = 0, total = 0;
                if (!k().GetDiskFreeSpaceA(name, &sectors, &bytes, &free, &total)) return fails;
                EXPECT_LE(free, total);
                const std::int64_t shape = std::int64_t(sectors) << 32 | bytes;
                return shape == ok ? ok : -2;
            }, r.clusterShape, orAny(r.freeSpaceError)},
            {"free space ex", [&] {
                std::uint64_t toCaller = 0, total = 0, free = 0;
                if (!k().GetDiskFreeSpaceExA(name, &toCaller, &total, &free)) return fails;
                EXPECT_TRUE(toCaller <= free && free <= total) << toCaller << " " << free << " " << total;
                return ok;
            }, r.freeSpaceError ? fails : ok, orAny(r.freeSpaceError)},
            {"volume information", [&] {
                char label[256] = "?", fsys[256] = "?";
                DWORD serial = 0, maxLen = 0, flags = 0;
                std::ostringstream o;
                if (k().GetVolumeInformationA(name, label, 256, &serial, &maxLen, &flags, fsys, 256)) {
                    o << label << std::uppercase << std::hex << '|' << serial << '|' << flags << '|' << fsys;
                    EXPECT_EQ(maxLen, 255u);
                } else
                    o << '#' << k().GetLastError();
                EXPECT_EQ(o.str(), r.volumeInfo);
                return 0;
            }, 0, kAny},
            {"volume path", [&] {
                char path[256] = "?";
                const bool answered = k().GetVolumePathNameA(name, path, 256);
                EXPECT_EQ(answered ? path : "#" + std::to_string(k().GetLastError()), r.volumePath);
                return 0;
            }, 0, kAny},
            {"attributes", attrs(name), r.attributes, r.attributesError},
        });
        // clang-format on
    }
}

TEST_P(Conformance, AttributesAndCurrentDirectory) {
    const DWORD archive = w::FILE_ATTRIBUTE_ARCHIVE;
    // clang-format off
    run({
        {"file", attrs(P("f.txt")), archive, kAny},
        {"read-only file", attrs(P("ro.txt")), archive | w::FILE_ATTRIBUTE_READONLY, kAny},
        {"directory", attrs(P("sub")), w::FILE_ATTRIBUTE_DIRECTORY, kAny},
        {"cd to a missing directory", [&] { return k().SetCurrentDirectoryA(P("missing")); }, 0, err::FILE_NOT_FOUND},
        {"cd to a file", [&] { return k().SetCurrentDirectoryA(P("f.txt")); }, 0, err::DIRECTORY},
        {"cd, relative names", [&] { return k().SetCurrentDirectoryA(dir) ? attrs("f.txt")() : 0; }, archive, kAny},
        // "C:" alone goes to drive C:'s current directory, which is where we are.
        {"cd to the drive alone", [&] { return k().SetCurrentDirectoryA("C:") ? attrs("f.txt")() : 0; }, archive, kAny},
    });
    // clang-format on
}

TEST_P(Conformance, MemoryAndProcess) {
    unsigned char* p = nullptr;
    char windows[64];
    // clang-format off
    run({
        {"allocate nothing", [&] { return k().VirtualAlloc(0, w::MEM_COMMIT, w::PAGE_READWRITE) != nullptr; }, 0, err::INVALID_PARAMETER},
        {"allocate, 64 KiB aligned", [&] { p = static_cast<unsigned char*>(k().VirtualAlloc(10000, w::MEM_COMMIT, w::PAGE_READWRITE)); return p ? std::uintptr_t(p) % 65536 : 1; }, 0, kAny},
        {"whole pages, zeroed", [&] { p[12287] = 1; return p[0] + p[9999] + p[12287]; }, 1, kAny},
        {"release with a size", [&] { return k().VirtualFree(p, 10000, w::MEM_RELEASE); }, 0, err::INVALID_PARAMETER},
        {"release", [&] { return k().VirtualFree(p, 0, w::MEM_RELEASE); }, 1, kAny},
        // Windows: the memory is not allocated; Wine calls it a bad parameter.
        {"release twice", [&] { return k().VirtualFree(p, 0, w::MEM_RELEASE); }, 0, onWine(err::INVALID_ADDRESS, err::INVALID_PARAMETER)},
        {"Windows directory", [&] { return k().GetWindowsDirectoryA(windows, 64) == 10 && std::toupper(windows[3]) == 'W'; }, 1, kAny},
        {"too small: the size needed with its NUL", [&] { return k().GetWindowsDirectoryA(windows, 5); }, 11, kAny},
        // A thread starts without the error of the thread that made it, and keeps its own.
        // (Starting and joining it may set the caller's.)
        {"last error per thread", [&] {
            DWORD seen = 9, left = 9;
            k().SetLastError(5);
            std::thread([&] {
                seen = k().GetLastError();
                k().CloseHandle(0);
                left = k().GetLastError();
            }).join();
            return seen == 0 && left == err::INVALID_HANDLE;
        }, 1, kAny},
    });
    // clang-format on
}

INSTANTIATE_TEST_SUITE_P(Kernels, Conformance, kBackends, [](const auto& p) { return p.param; });

}  // namespace
}  // namespace hbtest
