// The simulated machine's set-up and inspection API, which the handler tests rely on.
#include <gtest/gtest.h>

#include <cstdint>
#include <stdexcept>

#include "sys/SimMachine.h"

namespace {

using namespace sys;

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

}  // namespace
