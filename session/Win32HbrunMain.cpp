// hbrun.exe: a script through the main window's handlers on the real kernel, with no window.
#include "session/CallWaiter.h"
#include "session/Runner.h"
#include "sys/CodePage.h"
#include "sys/Kernel.h"
#include "ui/Win32Peer.h"

#include <windows.h>

#include <iostream>
#include <memory>

namespace {

// Calls on the toolkit's worker thread, cancelled as Escape cancels them in the window.
class Win32CallWaiter : public session::CallWaiter {
  protected:
    void start(const std::function<void()>& call) override {
        if (!worker_.ready()) {
            // No thread to be had: the call is made here, and cannot be cancelled.
            call();
            direct_ = true;
            return;
        }
        direct_ = false;
        worker_.start(call);
    }
    bool waitDone(int milliseconds) override {
        return direct_ ||
               WaitForSingleObject(worker_.done(), static_cast<DWORD>(milliseconds)) ==
                   WAIT_OBJECT_0;
    }
    void cancel() override { worker_.cancel(); }
    void finish() override {
        if (!direct_) worker_.rethrow();
    }

  private:
    ui::Win32Worker worker_;
    bool direct_ = false;
};

session::CallWaiter* interruptible = nullptr;

// Ctrl+C and Ctrl+Break: the run cancels its call and stops, rather than the process ending.
BOOL WINAPI OnConsoleControl(DWORD event) {
    if ((event != CTRL_C_EVENT && event != CTRL_BREAK_EVENT) || !interruptible) return FALSE;
    interruptible->interrupted = true;
    return TRUE;
}

}  // namespace

int main(int argc, char** argv) {
    // Critical-error boxes would wait for a user who is not there.
    SetErrorMode(SEM_FAILCRITICALERRORS | SEM_NOOPENFILEERRORBOX);
    // The transcript is UTF-8; a console shows it so.
    SetConsoleOutputCP(CP_UTF8);
    std::unique_ptr<sys::Kernel> kernel = sys::MakeWin32Kernel();
    Win32CallWaiter waiter;
    interruptible = &waiter;
    SetConsoleCtrlHandler(OnConsoleControl, TRUE);
    waiter.giveUp = [](session::CallWaiter::Cancelled why) {
        std::cout << "# a call that the system does not cancel: the run ends here" << std::endl;
        ExitProcess(why == session::CallWaiter::Cancelled::Interrupt ? 130 : 1);
    };
    // Sizes are written with the user's decimal separator, as the window writes them.
    char separator[8] = {};
    if (GetLocaleInfoA(LOCALE_USER_DEFAULT, LOCALE_SDECIMAL, separator, sizeof separator) <= 1)
        separator[0] = '.', separator[1] = '\0';
    const std::unique_ptr<sys::CodePage> codePage = sys::MakeWin32CodePage();
    const int status = session::RunnerMain(argc, argv, *kernel, waiter, *codePage, std::cout,
                                           std::cerr, separator);
    interruptible = nullptr;
    return status;
}
