// The simulated machine's set-up and inspection API, which the handler tests rely on.
#include <gtest/gtest.h>

#include <array>
#include <cstdint>
#include <stdexcept>
#include <thread>

#include "sys/Ioctl.h"
#include "sys/SimMachine.h"

namespace {

using namespace sys;
std::string Text(std::initializer_list<std::uint64_t> values) {
    std::string s;
    for (std::uint64_t v : values) s += std::to_string(v) + " ";
    return s;
}

TEST(Sim, FailNextFailsOnceAndChangesNothing) {
    SimMachine m;
    m.failNext("CreateFileA", err::NOT_READY);
    EXPECT_EQ(m.CreateFileA("C:\\a.txt", w::GENERIC_WRITE, 0, w::CREATE_NEW, 0), kInvalidHandle);
    EXPECT_EQ(m.GetLastError(), err::NOT_READY);
    EXPECT_FALSE(m.exists("C:\\a.txt"));
    m.addFile("C:\\a.txt", "abcdef");
    const Handle h = m.CreateFileA("C:\\a.txt", w::GENERIC_READ, 0, w::OPEN_EXISTING, 0);
    m.failNext("ReadFile", err::HANDLE_EOF);
    char buf[8];
    DWORD n = 99;
    EXPECT_FALSE(m.ReadFile(h, buf, 3, &n));
    EXPECT_EQ(n, 0u);
    EXPECT_EQ(m.GetLastError(), err::HANDLE_EOF);
    ASSERT_TRUE(m.ReadFile(h, buf, 3, &n));  // from where it was
    EXPECT_EQ(std::string(buf, n), "abc");
    // Calls that cannot fail, and names of no call.
    for (const char* call : {"GetLastError", "ReadFIle", ""})
        EXPECT_THROW(m.failNext(call, 5), std::invalid_argument) << call;
}

TEST(Sim, CallLogHasEveryCallButGetLastError) {
    SimMachine m;
    m.clearCalls();
    m.CloseHandle(m.CreateFileA("C:\\windows", w::GENERIC_READ, 0, w::OPEN_EXISTING, 0));
    m.GetLastError();
    m.SetLastError(0);
    m.Sleep(250);
    const std::vector<std::string> want = {"CreateFileA", "CloseHandle", "SetLastError", "Sleep"};
    EXPECT_EQ(m.calls(), want);
    EXPECT_EQ(m.sleeps(), std::vector<DWORD>{250});
}

TEST(Sim, AllocLimitRefusesLargerBlocksOnly) {
    SimMachine m;
    m.setAllocLimit(8192);
    EXPECT_NE(m.VirtualAlloc(8192, w::MEM_COMMIT, w::PAGE_READWRITE), nullptr);
    EXPECT_EQ(m.VirtualAlloc(8193, w::MEM_COMMIT, w::PAGE_READWRITE), nullptr);
    EXPECT_EQ(m.GetLastError(), err::NOT_ENOUGH_MEMORY);
    m.setAllocLimit(0);
    EXPECT_NE(m.VirtualAlloc(1 << 20, w::MEM_COMMIT, w::PAGE_READWRITE), nullptr);
    EXPECT_EQ(m.liveAllocations(), 2u);
}

TEST(Sim, LocksAndDecommitsStayInsideTheirBlock) {
    SimMachine m;
    auto* p = static_cast<char*>(m.VirtualAlloc(8192, w::MEM_COMMIT, w::PAGE_READWRITE));
    ASSERT_NE(p, nullptr);
    EXPECT_EQ(m.VirtualLock(p + 4096, 4096), 1);
    // Sizes that would wrap the block's end past it on any width.
    for (std::size_t size :
         {std::size_t(4097), SIZE_MAX, SIZE_MAX - 4095, std::size_t(-1) / 2 + 1}) {
        EXPECT_EQ(m.VirtualLock(p + 4096, size), 0) << size;
        EXPECT_EQ(m.GetLastError(), err::INVALID_ADDRESS) << size;
        EXPECT_EQ(m.VirtualFree(p + 4096, size, w::MEM_DECOMMIT), 0) << size;
    }
}

TEST(Sim, ABlockedCallGoesOnWhenReleasedAndFailsUnchangedWhenCancelled) {
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

// --- Paths the conformance table cannot put to the system here -------------------------------
// Other drives and media, quotas, and attribute words as set.

TEST(SimPaths, VolumePathsOfNamesOnAnyDrive) {
    SimMachine m;
    m.addDrive('D', w::DRIVE_CDROM);
    m.addRemovableDrive('A');  // the volume path needs no medium
    const std::pair<const char*, const char*> rows[] = {
        {"c:/windows/", "C:\\"},
        {"windows\\a\\..\\b", "C:\\"},  // relative: the current drive
        {"D:\\a\\b\\c\\", "D:\\"},
        {"A:\\movie\\part1", "A:\\"},
        {"\\\\?\\c:\\windows\\x", "\\\\?\\c:\\"},  // the prefix and the letter stay
        {"\\\\.\\PhysicalDrive0", "#123"},
    };
    for (const auto& [name, volume] : rows) {
        char path[64] = "?";
        std::string got = m.GetVolumePathNameA(name, path, sizeof path) ? path : "#";
        if (got == "#") got += std::to_string(m.GetLastError());
        EXPECT_EQ(got, volume) << name;
    }
}

TEST(SimPaths, MediaFileSystemsQuotasAndAttributes) {
    SimMachine m;
    m.addRemovableDrive('A');
    m.addDrive('D', w::DRIVE_CDROM);
    m.setVolumeSpace('C', 2000 * 4096, 1000 * 4096);
    m.setCallerQuota('C', 100 * 4096);
    DWORD sectors = 0, bytes = 0, free = 0, total = 0;
    EXPECT_FALSE(m.GetDiskFreeSpaceA("A:\\", &sectors, &bytes, &free, &total));
    EXPECT_EQ(m.GetLastError(), err::NOT_READY) << "no medium";
    EXPECT_EQ(m.GetFileAttributesA("A:\\"), 0xFFFFFFFFu);
    EXPECT_EQ(m.GetLastError(), err::NOT_READY);
    ASSERT_TRUE(m.GetDiskFreeSpaceA("D:\\", &sectors, &bytes, &free, &total));
    EXPECT_EQ(Text({sectors, bytes, free, total}), "1 2048 0 333000 ");
    char label[16], fs[16];
    DWORD serial = 0, length = 0, flags = 0;
    ASSERT_TRUE(m.GetVolumeInformationA("D:\\", label, 16, &serial, &length, &flags, fs, 16));
    EXPECT_EQ(Text({serial, flags}) + fs, "1140850688 524293 CDFS");
    EXPECT_TRUE(
        m.GetVolumeInformationA("\\\\?\\C:\\", label, 16, &serial, &length, &flags, fs, 16));
    EXPECT_FALSE(
        m.GetVolumeInformationA("C:\\nonexistent\\", label, 16, &serial, &length, &flags, fs, 16));
    EXPECT_EQ(m.GetLastError(), err::FILE_NOT_FOUND);
    // What a quota leaves is what the cluster form counts as free.
    ASSERT_TRUE(m.GetDiskFreeSpaceA("C:\\windows", &sectors, &bytes, &free, &total));
    EXPECT_EQ(Text({sectors, bytes, free, total}), "8 512 100 2000 ");
    // NORMAL is kept only alone, and a file with no attribute has it.
    m.addFile("C:\\f.bin");
    m.addDirectory("C:\\hidden");
    m.setAttributes("C:\\hidden", 0x2 | 0x80);
    EXPECT_EQ(m.GetFileAttributesA("C:\\hidden"), 0x12u);
    for (const auto& [set, got] : {std::pair{0xA0u, 0x20u}, {0u, 0x80u}}) {
        m.setAttributes("C:\\f.bin", set);
        EXPECT_EQ(m.GetFileAttributesA("C:\\f.bin"), got) << set;
    }
}

// --- The volume, medium and disk state the request buttons change --------------------------
// No real system volume shows it: Windows never locks or dismounts the system volume, a fixed
// disk has no medium, and Wine would unmount the host's file system.

namespace L = sys::ioctl;

struct Answer {
    DWORD error = 0;  // 0: the request succeeded
    std::array<DWORD, 16> out{};
};
Answer Ask(SimMachine& m, Handle h, DWORD code) {
    Answer a;
    const std::array<std::uint8_t, 268> query{};  // the standard query of the device descriptor
    const bool property = code == L::IOCTL_STORAGE_QUERY_PROPERTY;
    DWORD n = 0;
    if (!m.DeviceIoControl(h, code, property ? query.data() : nullptr, property ? 268 : 0,
                           a.out.data(), sizeof a.out, &n))
        a.error = m.GetLastError();
    return a;
}
Handle Open(SimMachine& m, const char* name) {
    return m.CreateFileA(name, w::GENERIC_READ | w::GENERIC_WRITE, 7, w::OPEN_EXISTING, 0);
}

TEST(SimVolume, ALockHoldsOffEveryOtherOpenUntilItsHandleCloses) {
    SimMachine m;
    m.addFile("C:\\f.txt", "x");
    const Handle file = Open(m, "C:\\f.txt"), vol = Open(m, "\\\\.\\C:");
    EXPECT_EQ(Ask(m, vol, L::FSCTL_LOCK_VOLUME).error, err::ACCESS_DENIED) << "a file is open";
    m.CloseHandle(file);
    EXPECT_EQ(Ask(m, vol, L::FSCTL_LOCK_VOLUME).error, 0u);
    EXPECT_EQ(Ask(m, vol, L::FSCTL_LOCK_VOLUME).error, err::ACCESS_DENIED) << "locked already";
    EXPECT_EQ(Open(m, "C:\\f.txt"), kInvalidHandle);
    EXPECT_EQ(m.GetLastError(), err::ACCESS_DENIED);
    EXPECT_EQ(Ask(m, vol, L::FSCTL_UNLOCK_VOLUME).error, 0u);
    EXPECT_EQ(Ask(m, vol, L::FSCTL_UNLOCK_VOLUME).error, err::NOT_LOCKED);
    EXPECT_EQ(Ask(m, vol, L::FSCTL_LOCK_VOLUME).error, 0u);
    m.CloseHandle(vol);
    EXPECT_NE(Open(m, "C:\\f.txt"), kInvalidHandle) << "closing the locking handle unlocks";
}

TEST(SimVolume, ADismountCutsOffTheOtherHandlesUntilTheNextOpenMountsIt) {
    SimMachine m;
    m.addFile("C:\\f.txt", "data");
    const Handle file = Open(m, "C:\\f.txt"), vol = Open(m, "\\\\.\\C:");
    EXPECT_EQ(Ask(m, vol, L::FSCTL_LOCK_VOLUME).error, err::ACCESS_DENIED);
    EXPECT_EQ(Ask(m, vol, L::FSCTL_DISMOUNT_VOLUME).error, 0u) << "forced without a lock";
    char buf[4];
    DWORD read = 0;
    EXPECT_EQ(m.ReadFile(file, buf, 4, &read), 0);
    EXPECT_EQ(m.GetLastError(), err::NOT_READY);
    EXPECT_EQ(Ask(m, vol, L::FSCTL_IS_VOLUME_MOUNTED).error, err::NOT_READY);
    EXPECT_EQ(Ask(m, vol, L::IOCTL_DISK_GET_DRIVE_GEOMETRY).error, 0u) << "the handle goes on";
    EXPECT_NE(Open(m, "C:\\f.txt"), kInvalidHandle);
    EXPECT_EQ(Ask(m, vol, L::FSCTL_IS_VOLUME_MOUNTED).error, 0u);
}

TEST(SimVolume, EjectAndLoadMoveTheMediumAndCountTheChanges) {
    SimMachine m;
    m.addRemovableDrive('E', true);
    const Handle vol = m.CreateFileA("\\\\.\\E:", w::GENERIC_READ, 3, w::OPEN_EXISTING, 0);
    const Answer props = Ask(m, vol, L::IOCTL_STORAGE_QUERY_PROPERTY);
    EXPECT_EQ(props.out[2] >> 16 & 0xFF, 1u) << "RemovableMedia";
    EXPECT_EQ(props.out[7], 7u) << "USB";
    EXPECT_EQ(Ask(m, vol, L::IOCTL_STORAGE_CHECK_VERIFY).out[0], 0u);
    EXPECT_EQ(Ask(m, vol, L::IOCTL_STORAGE_EJECT_MEDIA).error, 0u);
    EXPECT_EQ(Ask(m, vol, L::IOCTL_STORAGE_CHECK_VERIFY).error, err::NOT_READY);
    EXPECT_EQ(Ask(m, vol, L::IOCTL_STORAGE_CHECK_VERIFY2).error, err::NOT_READY);
    EXPECT_EQ(Ask(m, vol, L::IOCTL_STORAGE_LOAD_MEDIA).error, 0u);
    const Answer loaded = Ask(m, vol, L::IOCTL_STORAGE_CHECK_VERIFY2);
    EXPECT_EQ(loaded.error, 0u);
    EXPECT_EQ(loaded.out[0], 2u) << "media changes";
}

TEST(SimVolume, DisksAndVolumesAnswerAsSetUp) {
    SimMachine m;
    m.addDisk("PhysicalDrive1");
    m.setDiskSize("PhysicalDrive1", std::uint64_t(2) << 40);
    m.setDiskIdentity("PhysicalDrive1", 1, 127, false);
    m.setDiskReadOnly("PhysicalDrive1", true);
    const Handle disk = Open(m, "\\\\.\\PhysicalDrive1");
    EXPECT_EQ(Ask(m, disk, L::IOCTL_DISK_GET_LENGTH_INFO).out[1], 0x200u);
    EXPECT_EQ(Ask(m, disk, L::IOCTL_STORAGE_GET_DEVICE_NUMBER).out[1], 1u);
    EXPECT_EQ(Ask(m, disk, L::IOCTL_STORAGE_QUERY_PROPERTY).out[7], 127u) << "bus type";
    EXPECT_EQ(Ask(m, disk, L::IOCTL_DISK_IS_WRITABLE).error, err::WRITE_PROTECT);
    EXPECT_EQ(Ask(m, disk, L::FSCTL_IS_VOLUME_DIRTY).error, err::INVALID_FUNCTION);
    // A volume on two disks: its extents in their order, and no one device number.
    const std::uint64_t gib = std::uint64_t(1) << 30;
    m.setVolumeExtents('C', {{"PhysicalDrive1", 5 * gib, gib}, {"PhysicalDrive0", 0, gib}});
    const Handle vol = Open(m, "\\\\.\\C:");
    const Answer extents = Ask(m, vol, L::IOCTL_VOLUME_GET_VOLUME_DISK_EXTENTS);
    EXPECT_EQ(extents.out[0], 2u);
    EXPECT_EQ(extents.out[2], 1u);
    EXPECT_EQ(extents.out[8], 0u);
    EXPECT_EQ(Ask(m, vol, L::IOCTL_STORAGE_GET_DEVICE_NUMBER).error, err::INVALID_FUNCTION);
}

}  // namespace
