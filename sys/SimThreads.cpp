// What the simulated machine keeps per thread, and the call that blocks until the test lets it
// go on or cancels it: calls may come from a worker thread while the caller's thread waits.
#include <atomic>
#include <chrono>
#include <cstdint>

#include "sys/SimState.h"

namespace sys::sim {

namespace {
// Thread ids are reused once a thread ends; a new thread must still start without an error.
std::uint64_t ThisThread() {
    static std::atomic<std::uint64_t> last{0};
    thread_local const std::uint64_t self = ++last;
    return self;
}
}  // namespace

ThreadErrors& ThreadErrors::operator=(DWORD code) {
    const std::lock_guard lock(m_);
    codes_[ThisThread()] = code;
    return *this;
}

ThreadErrors::operator DWORD() const {
    const std::lock_guard lock(m_);
    const auto it = codes_.find(ThisThread());
    return it == codes_.end() ? err::SUCCESS : it->second;
}

bool blockedAndCancelled(State& s, const char* call) {
    Blocking& b = s.blocking;
    std::unique_lock lock(b.m);
    if (b.armed.empty() || b.armed != call) return false;
    b.armed.clear();
    b.waiting = true;
    b.end = Blocking::End::None;
    b.cv.notify_all();
    b.cv.wait(lock, [&] { return b.end != Blocking::End::None; });
    b.waiting = false;
    if (b.end != Blocking::End::Cancel) return false;
    lock.unlock();
    s.lastError = err::OPERATION_ABORTED;
    return true;
}

}  // namespace sys::sim

namespace sys {

using namespace sys::sim;

void SimMachine::blockNext(const std::string& call) {
    const std::lock_guard lock(s_->blocking.m);
    s_->blocking.armed = call;
}

bool SimMachine::waitUntilBlocked(int milliseconds) {
    Blocking& b = s_->blocking;
    std::unique_lock lock(b.m);
    return b.cv.wait_for(lock, std::chrono::milliseconds(milliseconds),
                         [&] { return b.waiting && b.end == Blocking::End::None; });
}

namespace {
bool End(Blocking& b, Blocking::End how) {
    const std::lock_guard lock(b.m);
    if (!b.waiting || b.end != Blocking::End::None) return false;
    b.end = how;
    b.cv.notify_all();
    return true;
}
}  // namespace

bool SimMachine::releaseBlocked() {
    return End(s_->blocking, Blocking::End::Release);
}

bool SimMachine::cancelBlocked() {
    return End(s_->blocking, Blocking::End::Cancel);
}

}  // namespace sys
