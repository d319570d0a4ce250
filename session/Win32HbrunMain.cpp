// hbrun.exe: a script through the main window's handlers on the real kernel, with no window.
#include "session/Runner.h"
#include "sys/Kernel.h"

#include <windows.h>

#include <iostream>
#include <memory>

int main(int argc, char** argv) {
    // Critical-error boxes would wait for a user who is not there.
    SetErrorMode(SEM_FAILCRITICALERRORS | SEM_NOOPENFILEERRORBOX);
    std::unique_ptr<sys::Kernel> kernel = sys::MakeWin32Kernel();
    // Sizes are written with the user's decimal separator, as the window writes them.
    char separator[8] = {};
    if (GetLocaleInfoA(LOCALE_USER_DEFAULT, LOCALE_SDECIMAL, separator, sizeof separator) <= 1)
        separator[0] = '.', separator[1] = '\0';
    return session::RunnerMain(argc, argv, *kernel, std::cout, std::cerr, separator);
}
