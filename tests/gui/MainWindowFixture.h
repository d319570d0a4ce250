// The real main window, made in this process, driven only through window messages.
#pragma once

// clang-format off
// Our headers first: <windows.h> turns names such as GENERIC_READ into macros.
#include "app/FrmMain.h"
#include "sys/Kernel.h"
#include "sys/WaitingKernel.h"
#include "ui/Win32Toolkit.h"

#include <windows.h>
#include <commctrl.h>
// clang-format on

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <functional>
#include <iterator>
#include <memory>
#include <string>
#include <vector>

namespace guitest {

inline std::string TextOf(HWND h) {
    char buf[4096] = "";
    GetWindowTextA(h, buf, sizeof buf);
    return buf;
}

// Saves the window as drawn on screen to HB_SCREENSHOT_DIR\<name>.bmp when that is set.
void Screenshot(HWND window, const std::string& name);
// The screen in a rectangle of screen coordinates as a 24-bit .bmp holds it: rows from the bottom,
// each of blue, green, red per pixel and padded to 4 bytes; nothing when it cannot be read.
std::string ScreenBits(const RECT& onScreen);
inline LONG BmpStride(LONG width) {
    return (width * 3 + 3) & ~3;
}

// A text in the font the control draws with: its width, and the font's line height.
inline SIZE TextSize(HWND control, const std::string& text) {
    HDC dc = GetDC(control);
    HGDIOBJ old =
        SelectObject(dc, reinterpret_cast<HFONT>(SendMessageA(control, WM_GETFONT, 0, 0)));
    SIZE size{0, 0};
    GetTextExtentPoint32A(dc, text.c_str(), static_cast<int>(text.size()), &size);
    TEXTMETRICA tm{};
    GetTextMetricsA(dc, &tm);
    size.cy = tm.tmHeight;
    SelectObject(dc, old);
    ReleaseDC(control, dc);
    return size;
}

// The tip of a tool of the form, as its tooltip window (a top-level window the form owns) holds
// it; asked for wide: the ANSI request gives at most 80 characters.
inline std::string TipOf(HWND form, HWND tool) {
    HWND tt = nullptr;
    do tt = FindWindowExA(nullptr, tt, TOOLTIPS_CLASSA, nullptr);
    while (tt && GetWindow(tt, GW_OWNER) != form);
    wchar_t wide[1024] = L"";
    TTTOOLINFOW ti{};
    ti.cbSize = TTTOOLINFOW_V2_SIZE, ti.hwnd = form, ti.lpszText = wide;
    ti.uId = reinterpret_cast<UINT_PTR>(tool);
    if (tt) SendMessageW(tt, TTM_GETTEXTW, 1024, reinterpret_cast<LPARAM>(&ti));
    return std::string(wide, wide + wcslen(wide));  // the tips are ASCII
}

// A button of a dialog, by its caption.
inline void Click(HWND dialog, const char* caption) {
    SendMessageA(FindWindowExA(dialog, nullptr, "Button", caption), BM_CLICK, 0, 0);
}

// A file in the temp directory that exists for the test's lifetime.
struct TempFile {
    TempFile(const std::string& name, const std::string& content)
        : path((std::filesystem::temp_directory_path() / name).string()) {
        std::ofstream(path, std::ios::binary) << content;
    }
    ~TempFile() { DeleteFileA(path.c_str()); }
    // On disk, -1 when there is no file.
    long long size() const { return std::ifstream(path, std::ios::binary | std::ios::ate).tellg(); }
    std::string path;
};

struct RunnerRun {
    DWORD status = 0;
    std::string out;
};

// hbrun.exe from beside this suite's directory, its output through a file, with LF line ends.
inline RunnerRun RunRunner(const std::string& arguments) {
    char self[MAX_PATH] = "";
    GetModuleFileNameA(nullptr, self, MAX_PATH);
    const auto runner = std::filesystem::path(self).parent_path().parent_path() / "hbrun.exe";
    const auto outPath = std::filesystem::temp_directory_path() / "hb-gui-hbrun.out";
    SECURITY_ATTRIBUTES inherit{sizeof inherit, nullptr, TRUE};
    HANDLE out = CreateFileA(outPath.string().c_str(), GENERIC_WRITE, FILE_SHARE_READ, &inherit,
                             CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    STARTUPINFOA si{};
    si.cb = sizeof si, si.dwFlags = STARTF_USESTDHANDLES;
    si.hStdOutput = si.hStdError = out, si.hStdInput = GetStdHandle(STD_INPUT_HANDLE);
    PROCESS_INFORMATION pi{};
    std::string command = "\"" + runner.string() + "\" " + arguments;
    RunnerRun run;
    if (CreateProcessA(nullptr, command.data(), nullptr, nullptr, TRUE, CREATE_NO_WINDOW, nullptr,
                       nullptr, &si, &pi)) {
        EXPECT_EQ(WaitForSingleObject(pi.hProcess, 60000), WAIT_OBJECT_0);
        GetExitCodeProcess(pi.hProcess, &run.status);
        CloseHandle(pi.hThread), CloseHandle(pi.hProcess);
    } else {
        ADD_FAILURE() << "cannot start " << command << ": " << GetLastError();
    }
    CloseHandle(out);
    std::ifstream in(outPath, std::ios::binary);
    run.out.assign(std::istreambuf_iterator<char>(in), {});
    std::erase(run.out, '\r');  // the console's text mode writes CR LF
    in.close();
    DeleteFileA(outPath.string().c_str());
    return run;
}

class MainWindow : public ::testing::Test {
  protected:
    void SetUp() override {
        // Wired as the program is: calls that may block run on the toolkit's worker.
        system = makeSystem();
        kernel = std::make_unique<sys::WaitingKernel>(
            *system, [this](const std::function<void()>& call) { kit.waitFor(call); });
        frm = std::make_unique<app::FrmMain>(kit, *kernel, "");
        frm->load();
        frm->show(false);
        ASSERT_NE(hwnd = kit.window(*frm), nullptr);
        SetForegroundWindow(hwnd);
        kit.pumpPending();
    }
    void TearDown() override {
        // The title-bar close box: Form_Unload closes what the test left open.
        if (frm->loaded()) SendMessageA(hwnd, WM_CLOSE, 0, 0);
        EXPECT_FALSE(IsWindow(hwnd));
    }

    // The system the window calls: Windows (here Wine), unless a test needs answers Wine
    // cannot give.
    virtual std::unique_ptr<sys::Kernel> makeSystem() { return sys::MakeWin32Kernel(); }

    HWND item(const char* n, int i = -1) { return GetDlgItem(hwnd, frm->ctl(n, i).id()); }
    std::string text(const char* name) { return TextOf(item(name)); }
    void type(const char* name, const std::string& s) { SetWindowTextA(item(name), s.c_str()); }
    void press(const char* n, int i = -1) { SendMessageA(item(n, i), BM_CLICK, 0, 0); }
    // With FILE_SHARE_READ | FILE_SHARE_WRITE and the window's own OPEN_EXISTING.
    void open(const std::string& file, const char* access) {
        type("cboFileName", file);
        type("txtAccess", access);
        for (int i : {0, 1}) press("chkShare", i);
        press("cmdCreateFile");
    }

    // A press that raises a modal window returns only once that window is gone, so act, what
    // the user does there, runs from a thread timer, which the modal loop dispatches.
    void pressDuringModal(const char* button, const char* title, std::function<void(HWND)> act) {
        duringModal([&] { press(button); }, title, std::move(act));
    }
    // The same around any call that shows a modal window.
    void duringModal(const std::function<void()>& show, const char* title,
                     std::function<void(HWND)> act) {
        modalTitle = title, modalAct = std::move(act), modalWindow = nullptr, modalTicks = 0;
        const UINT_PTR timer = SetTimer(nullptr, 0, 50, OnModalTick);
        show();
        KillTimer(nullptr, timer);
        EXPECT_NE(modalWindow, nullptr) << title << " never showed";
        EXPECT_TRUE(IsWindowEnabled(hwnd)) << "main window left disabled";
    }
    // Everything sent and posted handled, and painted through to the screen.
    void settle() {
        for (int i = 0; i < 8; ++i, Sleep(15)) {
            kit.pumpPending();
            RedrawWindow(hwnd, nullptr, nullptr, RDW_UPDATENOW | RDW_ALLCHILDREN);
        }
    }
    // A key pressed on the window with the focus, handled before this returns.
    void key(WPARAM vk) {
        HWND f = GetFocus();
        PostMessageA(f, WM_KEYDOWN, vk, 1);
        PostMessageA(f, WM_KEYUP, vk, 0xC0000001);
        kit.pumpPending();
    }

    ui::Win32Toolkit kit;
    std::unique_ptr<sys::Kernel> system;
    std::unique_ptr<sys::Kernel> kernel;
    std::unique_ptr<app::FrmMain> frm;
    HWND hwnd = nullptr;

  private:
    static inline std::string modalTitle;
    static inline std::function<void(HWND)> modalAct;
    static inline HWND modalWindow;
    static inline int modalTicks;
    static void CALLBACK OnModalTick(HWND, UINT, UINT_PTR, DWORD) {
        HWND w = FindWindowA(nullptr, modalTitle.c_str());
        if (!modalWindow && w && IsWindowVisible(w) &&
            GetWindowThreadProcessId(w, nullptr) == GetCurrentThreadId())
            return modalAct(modalWindow = w);
        // Five seconds: never block the suite for ever.
        if (modalWindow && IsWindowVisible(modalWindow) && ++modalTicks == 100) {
            ADD_FAILURE() << modalTitle << " still shown after its script";
            PostMessageA(modalWindow, WM_CLOSE, 0, 0);
        }
    }
};

}  // namespace guitest
