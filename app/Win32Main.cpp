// The program's entry on Windows: prepare the process, show the main window, run the loop.
// Our headers first: <windows.h> turns names such as GENERIC_READ into macros.
#include "app/CommandLine.h"
#include "app/FrmMain.h"
#include "session/FrmSession.h"
#include "sys/Kernel.h"
#include "sys/CodePage.h"
#include "sys/WaitingKernel.h"
#include "ui/Win32Toolkit.h"

#include <windows.h>

#include <commctrl.h>

#include <cstring>
#include <functional>
#include <memory>
#include <string>

namespace {

// DLLs the program loads by name come from its own directory first. A system without
// SetDllDirectoryA (or a failure) changes nothing.
void UseProgramDirectoryForDlls() {
    using SetDllDirectoryFn = BOOL(WINAPI*)(LPCSTR);
    auto setDllDirectory = reinterpret_cast<SetDllDirectoryFn>(reinterpret_cast<void (*)()>(
        GetProcAddress(GetModuleHandleA("kernel32.dll"), "SetDllDirectoryA")));
    if (!setDllDirectory) return;
    char path[MAX_PATH];
    DWORD n = GetModuleFileNameA(nullptr, path, MAX_PATH);
    if (n == 0 || n >= MAX_PATH) return;
    char* slash = std::strrchr(path, '\\');
    if (!slash) return;
    *slash = '\0';
    setDllDirectory(path);
}

}  // namespace

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int) {
    UseProgramDirectoryForDlls();
    InitCommonControls();
    INITCOMMONCONTROLSEX icc{};
    icc.dwSize = sizeof icc;
    icc.dwICC = ICC_LISTVIEW_CLASSES | ICC_STANDARD_CLASSES | ICC_WIN95_CLASSES;
    InitCommonControlsEx(&icc);

    ui::Win32Toolkit toolkit;
    std::unique_ptr<sys::Kernel> system = sys::MakeWin32Kernel();
    // A call that blocks runs on a worker while the window paints; Escape cancels it.
    sys::WaitingKernel kernel(
        *system, [&toolkit](const std::function<void()>& call) { toolkit.waitFor(call); });
    app::FrmMain frm(toolkit, kernel, app::CommandLineArguments(GetCommandLineA()));
    // Sizes are written with the user's decimal separator.
    char separator[8] = {};
    if (GetLocaleInfoA(LOCALE_USER_DEFAULT, LOCALE_SDECIMAL, separator, sizeof separator) > 1)
        frm.decimalSeparator = separator;
    frm.load();
    // Every press is kept; the system menu and Ctrl+H show the session.
    const std::unique_ptr<sys::CodePage> codePage = sys::MakeWin32CodePage();
    session::MainSession session(frm, *codePage);
    frm.show(false);
    // Closing the main window unloads it (Form_Unload), which ends the loop and the program.
    return toolkit.run(frm);
}
