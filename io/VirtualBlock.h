// A committed, page-aligned block for one read or write, released when the handler leaves by
// any path (an early return, a thrown allocation failure, a message box that throws in tests).
#pragma once

#include <cstddef>
#include <cstdint>

#include "sys/Kernel.h"

namespace io {

class VirtualBlock {
  public:
    explicit VirtualBlock(sys::Kernel& k) : k_(k) {}
    ~VirtualBlock() { release(); }
    VirtualBlock(const VirtualBlock&) = delete;
    VirtualBlock& operator=(const VirtualBlock&) = delete;

    // VirtualAlloc(NULL, size, MEM_COMMIT, PAGE_READWRITE); false when the system refused.
    bool allocate(std::size_t size) {
        p_ = static_cast<std::uint8_t*>(
            k_.VirtualAlloc(size, sys::w::MEM_COMMIT, sys::w::PAGE_READWRITE));
        size_ = size;
        return p_ != nullptr;
    }
    // Keeps the block in memory for the call; a refusal only costs speed, so it is ignored.
    void lock() { k_.VirtualLock(p_, size_); }
    void release() {
        if (p_ != nullptr) k_.VirtualFree(p_, 0, sys::w::MEM_RELEASE);
        p_ = nullptr;
    }
    std::uint8_t* data() const { return p_; }

  private:
    sys::Kernel& k_;
    std::uint8_t* p_ = nullptr;
    std::size_t size_ = 0;
};

}  // namespace io
