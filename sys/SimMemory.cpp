// The simulated machine's memory: committed blocks from the host heap, with Windows' rules.
#include <cstring>
#include <new>
#include <set>

#include "sys/SimState.h"

namespace sys {

using namespace sys::sim;

namespace {

constexpr std::size_t kPage = 4096;
// What the machine can commit in all. Beyond it VirtualAlloc fails as Windows does when the
// commit limit is reached, instead of exhausting the host.
constexpr std::size_t kCommitCapacity = std::size_t(1) << 30;

}  // namespace

void* SimMachine::VirtualAlloc(std::size_t size, DWORD allocationType, DWORD protect) {
    State& s = *s_;
    if (failing(s, "VirtualAlloc")) return nullptr;
    auto fail = Failing(s, static_cast<void*>(nullptr));
    static const std::set<DWORD> protections = {0x01, 0x02, 0x04, 0x08, 0x10, 0x20, 0x40, 0x80};
    if (size == 0 || !(allocationType & (w::MEM_COMMIT | w::MEM_RESERVE)) ||
        !protections.count(protect & 0xFF))
        return fail(err::INVALID_PARAMETER);
    if (s.allocLimit && size > s.allocLimit) return fail(err::NOT_ENOUGH_MEMORY);
    if (size > kCommitCapacity) return fail(err::NOT_ENOUGH_MEMORY);
    const std::size_t rounded = (size + kPage - 1) / kPage * kPage;
    std::size_t live = 0;
    for (const auto& [p, a] : s.allocations) live += a.size;
    if (live + rounded > kCommitCapacity) return fail(err::NOT_ENOUGH_MEMORY);
    // Allocation granularity is 64 KiB, and fresh pages read as zeros.
    void* p = ::operator new(rounded, std::align_val_t(65536), std::nothrow);
    if (!p) return fail(err::NOT_ENOUGH_MEMORY);
    std::memset(p, 0, rounded);
    s.allocations[static_cast<char*>(p)] = {rounded, 0};
    return p;
}

namespace {

State::Allocation* allocationHolding(State& s, void* address, std::size_t size, char** base) {
    auto* a = static_cast<char*>(address);
    auto it = s.allocations.upper_bound(a);
    if (it == s.allocations.begin()) return nullptr;
    --it;
    // Measured from the block's base, so that no size can wrap the end past it.
    const auto offset = static_cast<std::size_t>(a - it->first);
    if (a < it->first || offset > it->second.size || size > it->second.size - offset)
        return nullptr;
    if (base) *base = it->first;
    return &it->second;
}

}  // namespace

BOOL SimMachine::VirtualLock(void* address, std::size_t size) {
    State& s = *s_;
    if (failing(s, "VirtualLock")) return 0;
    auto fail = Failing(s, 0);
    State::Allocation* a = allocationHolding(s, address, size, nullptr);
    if (!a) return fail(err::INVALID_ADDRESS);
    a->locked += size;
    return 1;
}

BOOL SimMachine::VirtualFree(void* address, std::size_t size, DWORD freeType) {
    State& s = *s_;
    if (failing(s, "VirtualFree")) return 0;
    auto fail = Failing(s, 0);
    if (freeType == w::MEM_RELEASE) {
        // A release takes the whole allocation, named by its base, with size 0.
        if (size != 0) return fail(err::INVALID_PARAMETER);
        auto it = s.allocations.find(static_cast<char*>(address));
        if (it == s.allocations.end()) return fail(err::INVALID_ADDRESS);
        ::operator delete(it->first, std::align_val_t(65536));
        s.allocations.erase(it);
        return 1;
    }
    if (freeType == w::MEM_DECOMMIT) {
        if (!allocationHolding(s, address, size, nullptr)) return fail(err::INVALID_ADDRESS);
        return 1;
    }
    return fail(err::INVALID_PARAMETER);
}

}  // namespace sys
