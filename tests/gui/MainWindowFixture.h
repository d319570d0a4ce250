// The real main window, made in this process, driven only through window messages.
#pragma once

// clang-format off
// Our headers first: <windows.h> turns names such as GENERIC_READ into macros.
#include "app/FrmMain.h"
#include "sys/Kernel.h"
#include "ui/Win32Toolkit.h"

#include <windows.h>
#include <commctrl.h>
// clang-format on

#include <gtest/gtest.h>

#include <fstream>
#include <functional>
#include <memory>
#include <string>

namespace guitest {

inline std::string TextOf(HWND h) {
    char buf[4096] = "";
    GetWindowTextA(h, buf, sizeof buf);
    return buf;
}

inline std::string ItemText(HWND list, int item) {
    char buf[256] = "";
    LVITEMA it{};
    it.pszText = buf;
    it.cchTextMax = sizeof buf;
    SendMessageA(list, LVM_GETITEMTEXTA, static_cast<WPARAM>(item), reinterpret_cast<LPARAM>(&it));
    return buf;
}

// Saves the window as drawn on screen to HB_SCREENSHOT_DIR\<name>.bmp when that is set.
void Screenshot(HWND window, const std::string& name);

// A file in the temp directory that exists for the test's lifetime.
struct TempFile {
    TempFile(const std::string& name, const std::string& content) {
        char dir[MAX_PATH];
        GetTempPathA(MAX_PATH, dir);
        path = dir + name;
        std::ofstream(path, std::ios::binary) << content;
    }
    ~TempFile() { DeleteFileA(path.c_str()); }
    std::string path;
};

// A press that raises a modal window returns only once that window is gone, so what the user
// does there runs from a thread timer, which the modal loop dispatches.
struct ModalScript {
    std::string title;
    std::function<void(HWND)> act;
    HWND window = nullptr;
    int ticks = 0;
};
inline ModalScript* g_modal = nullptr;

inline void CALLBACK OnModalTick(HWND, UINT, UINT_PTR timer, DWORD) {
    ModalScript& s = *g_modal;
    HWND w = s.window ? s.window : FindWindowA(nullptr, s.title.c_str());
    DWORD pid = 0;
    if (w) GetWindowThreadProcessId(w, &pid);
    if (!s.window && pid == GetCurrentProcessId() && IsWindowVisible(w)) {
        s.window = w;
        return s.act(w);
    }
    const bool stuck = ++s.ticks == 100;  // five seconds: never block the suite for ever
    if (stuck && s.window) ADD_FAILURE() << s.title << " still shown after its script";
    if (stuck && s.window) PostMessageA(s.window, WM_CLOSE, 0, 0);
    if (stuck || (s.window && !IsWindowVisible(s.window))) KillTimer(nullptr, timer);
}

class MainWindow : public ::testing::Test {
  protected:
    void SetUp() override {
        kernel = sys::MakeWin32Kernel();
        frm = std::make_unique<app::FrmMain>(kit, *kernel, "");
        frm->load();
        frm->show(false);
        hwnd = kit.window(*frm);
        ASSERT_NE(hwnd, nullptr);
        SetForegroundWindow(hwnd);
        kit.pumpPending();
    }
    void TearDown() override {
        // The title-bar close box: Form_Unload closes what the test left open.
        if (frm->loaded()) SendMessageA(hwnd, WM_CLOSE, 0, 0);
        EXPECT_FALSE(IsWindow(hwnd));
        frm.reset();
    }

    HWND item(const char* n, int i = -1) { return GetDlgItem(hwnd, frm->ctl(n, i).id()); }
    std::string text(const char* name) { return TextOf(item(name)); }
    void type(const char* name, const std::string& s) { SetWindowTextA(item(name), s.c_str()); }
    void press(const char* n, int i = -1) { SendMessageA(item(n, i), BM_CLICK, 0, 0); }
    void select(const char* name, int index) {
        SendMessageA(item(name), CB_SETCURSEL, static_cast<WPARAM>(index), 0);
        SendMessageA(hwnd, WM_COMMAND, MAKEWPARAM(frm->ctl(name).id(), CBN_SELCHANGE),
                     reinterpret_cast<LPARAM>(item(name)));
    }
    // Opens with FILE_SHARE_READ | FILE_SHARE_WRITE and OPEN_EXISTING.
    void open(const std::string& file, const char* access) {
        type("cboFileName", file);
        type("txtAccess", access);
        for (int i : {0, 1})
            if (SendMessageA(item("chkShare", i), BM_GETCHECK, 0, 0) != BST_CHECKED)
                press("chkShare", i);
        select("cboCreation", 3);
        press("cmdCreateFile");
    }
    // Presses button; act runs once the modal window called title shows. Returns that window.
    HWND pressDuringModal(const char* button, const char* title, std::function<void(HWND)> act) {
        ModalScript s{title, std::move(act)};
        g_modal = &s;
        const UINT_PTR timer = SetTimer(nullptr, 0, 50, OnModalTick);
        press(button);
        KillTimer(nullptr, timer);
        g_modal = nullptr;
        EXPECT_NE(s.window, nullptr) << title << " never showed";
        EXPECT_TRUE(IsWindowEnabled(hwnd)) << "main window left disabled";
        return s.window;
    }
    // The text colour the window gives a label when it paints it.
    COLORREF textColor(const char* name) {
        HDC dc = CreateCompatibleDC(nullptr);
        SendMessageA(hwnd, WM_CTLCOLORSTATIC, reinterpret_cast<WPARAM>(dc),
                     reinterpret_cast<LPARAM>(item(name)));
        COLORREF c = GetTextColor(dc);
        DeleteDC(dc);
        return c;
    }

    ui::Win32Toolkit kit;
    std::unique_ptr<sys::Kernel> kernel;
    std::unique_ptr<app::FrmMain> frm;
    HWND hwnd = nullptr;
};

}  // namespace guitest
