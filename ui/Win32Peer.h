// Internals shared by the Win32 toolkit's files: the window record of a form and the functions
// that make and update the child window of one control.
#pragma once

#include <windows.h>

#include <exception>
#include <functional>
#include <string>
#include <vector>

#include "ui/Win32Toolkit.h"

namespace ui {

struct Win32FormPeer {
    Win32Toolkit* kit = nullptr;
    Form* form = nullptr;
    HWND hwnd = nullptr;
    HWND tooltip = nullptr;
    int dpiX = 96, dpiY = 96;
    bool placed = false;  // centred once, at the first show
    // > 0 while the program itself changes a window: notifications then are not user actions.
    int muted = 0;
    // Modal show: the windows it disabled, and where the focus was before.
    bool modal = false;
    std::vector<HWND> disabled;
    HWND focusBefore = nullptr;
    HWND lastFocus = nullptr;  // restored when the form is activated again
    // Commands of the system menu, each with its menu id and its Ctrl+key.
    struct Command {
        UINT id;
        char key;
        std::function<void()> action;
    };
    std::vector<Command> commands;

    int px(int twips) const { return MulDivRound(twips, dpiX); }
    int py(int twips) const { return MulDivRound(twips, dpiY); }
    static int MulDivRound(int twips, int dpi);
};

// One thread that makes the calls that may block, one at a time, so that the window's thread
// goes on painting meanwhile and can cancel them (CancelSynchronousIo needs the thread).
class Win32Worker {
  public:
    Win32Worker();
    // Only ever destroyed idle (a wait returns once its call has ended): the thread ends at once.
    ~Win32Worker();
    Win32Worker(const Win32Worker&) = delete;
    Win32Worker& operator=(const Win32Worker&) = delete;

    bool ready() const { return thread_ != nullptr; }
    void start(const std::function<void()>& call);
    // Set once the call has ended; reset by start().
    HANDLE done() const { return done_; }
    bool finished() const { return WaitForSingleObject(done_, 0) == WAIT_OBJECT_0; }
    // Asks the system to cancel the call's synchronous I/O; false when there was none (yet).
    bool cancel();
    // What the call threw, thrown again on the caller's thread.
    void rethrow();

  private:
    static DWORD WINAPI Main(void* self);
    HANDLE thread_ = nullptr, go_ = nullptr, done_ = nullptr;
    const std::function<void()>* call_ = nullptr;
    bool quit_ = false;
    std::exception_ptr failure_;
};

class Mute {
  public:
    explicit Mute(Win32FormPeer& peer) : peer_(peer) { ++peer_.muted; }
    ~Mute() { --peer_.muted; }
    Mute(const Mute&) = delete;
    Mute& operator=(const Mute&) = delete;

  private:
    Win32FormPeer& peer_;
};

inline Win32FormPeer* PeerOf(const Form& form) {
    return static_cast<Win32FormPeer*>(form.peer);
}

// Win32Controls.cpp
HWND CreateControlWindow(Win32FormPeer& peer, Control& control);
void ApplyProp(Win32FormPeer& peer, Control& control, HWND hwnd, Prop what);
void ApplyGeometry(Win32FormPeer& peer, Control& control, HWND hwnd);
void SetTooltip(Win32FormPeer& peer, HWND hwnd, const std::string& text);
std::string WindowText(HWND hwnd);
COLORREF ResolveColor(std::uint32_t color);

// Win32Window.cpp
const char* FormWindowClass();
LRESULT CALLBACK FormWindowProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp);
int WindowDpi(HWND hwnd, bool vertical);

}  // namespace ui
