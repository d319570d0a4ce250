// The real main window, made in this process, driven only through window messages.
#pragma once

// Our headers first: <windows.h> turns names such as GENERIC_READ into macros.
#include "app/FrmMain.h"
#include "sys/Kernel.h"
#include "ui/Win32Toolkit.h"

#include <windows.h>

#include <gtest/gtest.h>

#include <cmath>
#include <memory>
#include <string>

namespace guitest {

inline std::string TextOf(HWND h) {
    char buf[4096] = "";
    GetWindowTextA(h, buf, sizeof buf);
    return buf;
}

inline std::string ClassOf(HWND h) {
    char buf[64] = "";
    GetClassNameA(h, buf, sizeof buf);
    return buf;
}

// A file in the temp directory that exists for the test's lifetime.
class TempFile {
public:
    explicit TempFile(const std::string& name, const std::string& content = "handlebench") {
        char dir[MAX_PATH];
        GetTempPathA(MAX_PATH, dir);
        path_ = std::string(dir) + name;
        HANDLE h = CreateFileA(path_.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                               FILE_ATTRIBUTE_NORMAL, nullptr);
        DWORD written = 0;
        WriteFile(h, content.data(), static_cast<DWORD>(content.size()), &written, nullptr);
        CloseHandle(h);
    }
    ~TempFile() { DeleteFileA(path_.c_str()); }
    TempFile(const TempFile&) = delete;
    TempFile& operator=(const TempFile&) = delete;
    const std::string& path() const { return path_; }

private:
    std::string path_;
};

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

    ui::Control& ctl(const char* name, int index = -1) { return frm->ctl(name, index); }
    HWND item(const char* name, int index = -1) {
        return GetDlgItem(hwnd, ctl(name, index).id());
    }
    std::string text(const char* name, int index = -1) { return TextOf(item(name, index)); }
    void type(const char* name, const std::string& s) {
        SetWindowTextA(item(name), s.c_str());
    }
    void press(const char* name, int index = -1) {
        SendMessageA(item(name, index), BM_CLICK, 0, 0);
    }
    void select(const char* name, int index) {
        HWND combo = item(name);
        SendMessageA(combo, CB_SETCURSEL, static_cast<WPARAM>(index), 0);
        SendMessageA(hwnd, WM_COMMAND, MAKEWPARAM(ctl(name).id(), CBN_SELCHANGE),
                     reinterpret_cast<LPARAM>(combo));
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
    int dpi() const {
        HDC dc = GetDC(hwnd);
        int d = GetDeviceCaps(dc, LOGPIXELSY);
        ReleaseDC(hwnd, dc);
        return d;
    }
    int px(int twips) const { return static_cast<int>(std::lround(twips * dpi() / 1440.0)); }

    ui::Win32Toolkit kit;
    std::unique_ptr<sys::Kernel> kernel;
    std::unique_ptr<app::FrmMain> frm;
    HWND hwnd = nullptr;
};

// Writes the window as it is on screen to a 24-bit .bmp file; false when that failed.
bool SaveWindowBitmap(HWND hwnd, const std::string& path);

}  // namespace guitest
