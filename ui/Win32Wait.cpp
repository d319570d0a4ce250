// Calls that may block: made on one worker thread while the window's thread waits in a message
// loop that paints, shows the hourglass, drops the user's input and cancels the call on Escape
// or a close box.
#include <windows.h>

#include <algorithm>
#include <exception>
#include <memory>
#include <string>
#include <utility>

#include "ui/Win32Peer.h"

namespace ui {

namespace {

// Most calls end at once. Those that do within this time leave no trace: not one message is
// handled while they run, so a press looks as it always did.
constexpr DWORD kQuietMs = 50;
// A cancel made before the call reached the system finds nothing to cancel; it is made again
// this often until the call ends.
constexpr DWORD kCancelAgainMs = 50;
// Some calls the system will not cancel (a driver that ignores it; Wine's serial ports): they
// hold the thread, and the handler that waits for them, for ever. Once the main window has been
// closed and its call has not ended this long after, the program ends, which frees them.
constexpr DWORD kGiveUpMs = 3000;
// A call still waiting after this long says so in the main window's title, with how to stop it.
constexpr DWORD kTitleAfterMs = 1000;
constexpr char kWaitingTitle[] = " - waiting (Esc cancels)";

bool IsKeyboard(UINT msg) {
    return msg >= WM_KEYFIRST && msg <= WM_KEYLAST;
}
bool IsClientMouse(UINT msg) {
    return msg >= WM_MOUSEFIRST && msg <= WM_MOUSELAST;
}

}  // namespace

// --- The worker --------------------------------------------------------------------------------

Win32Worker::Win32Worker() {
    go_ = CreateEventA(nullptr, FALSE, FALSE, nullptr);
    done_ = CreateEventA(nullptr, TRUE, FALSE, nullptr);
    if (go_ && done_) thread_ = CreateThread(nullptr, 0, Main, this, 0, nullptr);
}

Win32Worker::~Win32Worker() {
    if (thread_) {
        quit_ = true;
        SetEvent(go_);
        WaitForSingleObject(thread_, INFINITE);
        CloseHandle(thread_);
    }
    if (go_) CloseHandle(go_);
    if (done_) CloseHandle(done_);
}

DWORD WINAPI Win32Worker::Main(void* self) {
    auto& w = *static_cast<Win32Worker*>(self);
    // The events order every access to call_, failure_ and quit_ between the two threads.
    while (WaitForSingleObject(w.go_, INFINITE) == WAIT_OBJECT_0 && !w.quit_) {
        try {
            (*w.call_)();
        } catch (...) {
            w.failure_ = std::current_exception();
        }
        SetEvent(w.done_);
    }
    return 0;
}

void Win32Worker::start(const std::function<void()>& call) {
    call_ = &call;
    failure_ = nullptr;
    ResetEvent(done_);
    SetEvent(go_);
}

bool Win32Worker::cancel() {
    using CancelFn = BOOL(WINAPI*)(HANDLE);
    // Windows Vista and later; where it is missing, a call that blocks cannot be cancelled.
    static const auto cancelSynchronousIo = reinterpret_cast<CancelFn>(reinterpret_cast<void (*)()>(
        GetProcAddress(GetModuleHandleA("kernel32.dll"), "CancelSynchronousIo")));
    return cancelSynchronousIo && cancelSynchronousIo(thread_);
}

void Win32Worker::rethrow() {
    if (failure_) std::rethrow_exception(std::exchange(failure_, nullptr));
}

// --- The wait ----------------------------------------------------------------------------------

struct Win32Toolkit::Wait {
    bool cancel = false;
    bool quit = false;
    WPARAM quitCode = 0;
    bool closingProgram = false;  // the main window was closed meanwhile
    DWORD closedAt = 0;
};

void Win32Toolkit::waitFor(const std::function<void()>& call) {
    if (!worker_) worker_ = std::make_unique<Win32Worker>();
    // Without a thread, or from within a wait (a window procedure that made a call), the call
    // is made here as it always was.
    if (!worker_->ready() || wait_) return call();
    worker_->start(call);
    if (WaitForSingleObject(worker_->done(), kQuietMs) != WAIT_OBJECT_0) waitPainting();
    worker_->rethrow();
}

void Win32Toolkit::waitPainting() {
    Wait w;
    wait_ = &w;
    // A window already asked to close wants no more waiting: every call before it closes is
    // cancelled at once.
    w.cancel = closeAsked_ != nullptr;
    w.closingProgram = closeAsked_ && closeAsked_ == mainWindow();
    w.closedAt = GetTickCount();
    const int pointerBefore = pointer_;
    setMousePointer(kPointerHourglass);
    const HANDLE done = worker_->done();
    const DWORD began = GetTickCount();
    HWND titled = nullptr;
    std::string title;
    while (!worker_->finished()) {
        if (w.closingProgram && GetTickCount() - w.closedAt >= kGiveUpMs) ExitProcess(0);
        if (w.cancel) worker_->cancel();
        DWORD timeout = w.cancel ? kCancelAgainMs : INFINITE;
        if (!titled) {
            const DWORD waited = GetTickCount() - began;
            if (waited < kTitleAfterMs) {
                timeout = std::min(timeout, kTitleAfterMs - waited);
            } else if (HWND main = mainWindow(); main && IsWindow(main)) {
                titled = main;
                title = WindowText(main);
                SetWindowTextA(main, (title + kWaitingTitle).c_str());
            }
        }
        MsgWaitForMultipleObjectsEx(1, &done, timeout, QS_ALLINPUT, MWMO_INPUTAVAILABLE);
        MSG msg;
        while (!worker_->finished() && PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
            if (msg.message == WM_QUIT) {
                // The program is ending: the call goes first, then the quit goes on outward.
                w.quit = true, w.quitCode = msg.wParam, w.cancel = true;
            } else if (IsKeyboard(msg.message)) {
                if (msg.message == WM_KEYDOWN && msg.wParam == VK_ESCAPE && !w.cancel) {
                    w.cancel = true;
                    worker_->cancel();
                }
            } else if (!IsClientMouse(msg.message)) {
                // Painting, timers, and the title bar: the window can be moved and closed.
                DispatchMessageA(&msg);
            }
        }
    }
    wait_ = nullptr;
    if (titled && IsWindow(titled)) SetWindowTextA(titled, title.c_str());
    setMousePointer(pointerBefore);
    if (w.quit) PostQuitMessage(static_cast<int>(w.quitCode));
}

void Win32Toolkit::closeAfterWait(HWND window) {
    closeAsked_ = window;
    closeDepth_ = depth_;
    if (!wait_) return;
    if (window == mainWindow() && !wait_->closingProgram) {
        wait_->closingProgram = true;
        wait_->closedAt = GetTickCount();
    }
    if (!wait_->cancel) {
        wait_->cancel = true;
        worker_->cancel();
    }
}

// Once the dispatch that carried the waiting event is over (or at the top, when the event came
// from outside any dispatch), the close goes through as the close box meant it.
void Win32Toolkit::closeIfAsked() {
    if (!closeAsked_ || wait_ || (depth_ >= closeDepth_ && depth_ > 0)) return;
    HWND window = std::exchange(closeAsked_, nullptr);
    if (IsWindow(window)) SendMessageA(window, WM_CLOSE, 0, 0);
}

}  // namespace ui
