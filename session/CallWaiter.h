// The calls of a run that may block are made on a worker, so that the run can give up on one:
// when it has waited longer than the run allows (--timeout), or when the user presses Ctrl+C.
// The call is then cancelled as Escape cancels it in the window (it fails with 995), never by
// ending the program in the middle of it. The worker and the cancel are the platform's.
#pragma once

#include <atomic>
#include <functional>
#include <memory>

namespace session {

class CallWaiter {
  public:
    enum class Cancelled { No, Timeout, Interrupt };

    virtual ~CallWaiter() = default;

    // Set by a Ctrl+C handler: the call under way is cancelled and the run stops.
    std::atomic<bool> interrupted{false};
    int timeoutMs = 0;  // 0: a call may wait as long as it takes

    // Makes the call on the worker and returns once it has ended; what cancelled it, if
    // anything, is kept in `cancelled` until the next call.
    void wait(const std::function<void()>& call);
    Cancelled cancelled = Cancelled::No;

    // Some calls the system will not cancel (a driver that ignores it; Wine's serial ports).
    // Once a cancelled call has not ended after this long, giveUp is told, once: it may end the
    // program, which frees the call; if it returns, the wait goes on.
    int giveUpMs = 5000;
    std::function<void(Cancelled)> giveUp;

  protected:
    virtual void start(const std::function<void()>& call) = 0;
    // True once the call has ended, waiting at most this long.
    virtual bool waitDone(int milliseconds) = 0;
    // Asks the system to cancel the call; asked again until the call ends, since a cancel made
    // before the call reached the system finds nothing to cancel.
    virtual void cancel() = 0;
    // After the call has ended: the worker is idle again, and what the call threw is thrown.
    virtual void finish() = 0;
};

// A worker thread per call, cancelled by the function given (the simulated machine's
// cancelBlocked(), in the native runner and the tests).
class ThreadWaiter : public CallWaiter {
  public:
    explicit ThreadWaiter(std::function<void()> cancel);
    ~ThreadWaiter() override;

  protected:
    void start(const std::function<void()>& call) override;
    bool waitDone(int milliseconds) override;
    void cancel() override { cancel_(); }
    void finish() override;

  private:
    struct State;
    std::function<void()> cancel_;
    std::unique_ptr<State> state_;
};

}  // namespace session
