#include "session/CallWaiter.h"

#include <chrono>
#include <condition_variable>
#include <exception>
#include <mutex>
#include <thread>
#include <utility>

namespace session {

namespace {
// How often the flag and the clock are looked at while a call waits, and a cancel made again.
constexpr int kPollMs = 50;
}  // namespace

void CallWaiter::wait(const std::function<void()>& call) {
    cancelled = Cancelled::No;
    start(call);
    using Clock = std::chrono::steady_clock;
    const auto since = [](Clock::time_point t) {
        return std::chrono::duration_cast<std::chrono::milliseconds>(Clock::now() - t).count();
    };
    const auto began = Clock::now();
    auto cancelledAt = began;
    bool gaveUp = false;
    while (!waitDone(kPollMs)) {
        if (cancelled == Cancelled::No) {
            if (interrupted)
                cancelled = Cancelled::Interrupt;
            else if (timeoutMs > 0 && since(began) >= timeoutMs)
                cancelled = Cancelled::Timeout;
            cancelledAt = Clock::now();
        }
        if (cancelled == Cancelled::No) continue;
        cancel();
        if (!gaveUp && giveUp && since(cancelledAt) >= giveUpMs) {
            gaveUp = true;
            giveUp(cancelled);
        }
    }
    finish();
}

struct ThreadWaiter::State {
    std::mutex mutex;
    std::condition_variable ended;
    bool done = true;
    std::exception_ptr failure;
    std::thread thread;
};

ThreadWaiter::ThreadWaiter(std::function<void()> cancel)
    : cancel_(std::move(cancel)), state_(std::make_unique<State>()) {}

ThreadWaiter::~ThreadWaiter() {
    if (state_->thread.joinable()) state_->thread.join();
}

void ThreadWaiter::start(const std::function<void()>& call) {
    State& s = *state_;
    s.done = false;
    s.failure = nullptr;
    s.thread = std::thread([&s, &call] {
        std::exception_ptr failure;
        try {
            call();
        } catch (...) {
            failure = std::current_exception();
        }
        const std::lock_guard<std::mutex> lock(s.mutex);
        s.failure = failure;
        s.done = true;
        s.ended.notify_all();
    });
}

bool ThreadWaiter::waitDone(int milliseconds) {
    std::unique_lock<std::mutex> lock(state_->mutex);
    return state_->ended.wait_for(lock, std::chrono::milliseconds(milliseconds),
                                  [this] { return state_->done; });
}

void ThreadWaiter::finish() {
    state_->thread.join();
    if (state_->failure) std::rethrow_exception(std::exchange(state_->failure, nullptr));
}

}  // namespace session
