// Pictures of the real windows for people to look at; not checks.
#include "MainWindowFixture.h"

#include <cstdlib>
#include <fstream>

namespace guitest {
namespace {

// Writes the window as it is on screen, frame included, to a 24-bit .bmp file.
bool SaveWindowBitmap(HWND hwnd, const std::string& path) {
    RECT r;
    GetWindowRect(hwnd, &r);
    BITMAPINFO bi{};
    bi.bmiHeader = {
        sizeof bi.bmiHeader, r.right - r.left, r.bottom - r.top, 1, 24, BI_RGB, 0, 0, 0, 0, 0};
    const DWORD stride = (static_cast<DWORD>(bi.bmiHeader.biWidth) * 3 + 3) & ~3u;
    bi.bmiHeader.biSizeImage = stride * static_cast<DWORD>(bi.bmiHeader.biHeight);
    BITMAPFILEHEADER fh{};
    fh.bfType = 0x4D42;  // "BM"
    fh.bfOffBits = sizeof fh + sizeof bi.bmiHeader;
    fh.bfSize = fh.bfOffBits + bi.bmiHeader.biSizeImage;
    HDC screen = GetDC(nullptr), mem = CreateCompatibleDC(screen);
    void* bits = nullptr;
    HBITMAP dib = CreateDIBSection(screen, &bi, DIB_RGB_COLORS, &bits, nullptr, 0);
    HGDIOBJ old = SelectObject(mem, dib);
    bool ok = dib &&
              BitBlt(mem, 0, 0, r.right - r.left, r.bottom - r.top, screen, r.left, r.top, SRCCOPY);
    GdiFlush();
    std::ofstream f(path, std::ios::binary);
    f.write(reinterpret_cast<const char*>(&fh), sizeof fh);
    f.write(reinterpret_cast<const char*>(&bi.bmiHeader), sizeof bi.bmiHeader);
    if (ok) f.write(static_cast<const char*>(bits), bi.bmiHeader.biSizeImage);
    f.close();
    SelectObject(mem, old);
    DeleteObject(dib);
    DeleteDC(mem);
    ReleaseDC(nullptr, screen);
    return ok && !f.fail();
}

TEST_F(MainWindow, SavesAScreenshotWhenAsked) {
    const char* path = std::getenv("HB_SCREENSHOT");
    if (!path || !*path) GTEST_SKIP() << "HB_SCREENSHOT not set";
    ShowWindow(hwnd, SW_SHOWNORMAL);
    SetWindowPos(hwnd, HWND_TOP, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE);
    RedrawWindow(hwnd, nullptr, nullptr,
                 RDW_INVALIDATE | RDW_ERASE | RDW_ALLCHILDREN | RDW_UPDATENOW);
    for (int i = 0; i < 20; ++i, Sleep(25)) kit.pumpPending();
    EXPECT_TRUE(SaveWindowBitmap(hwnd, path));
}

}  // namespace

void Screenshot(HWND window, const std::string& name) {
    const char* dir = std::getenv("HB_SCREENSHOT_DIR");
    if (dir == nullptr || *dir == '\0') return;
    // Children keep their own update regions: paint them too before the capture.
    RedrawWindow(window, nullptr, nullptr, RDW_UPDATENOW | RDW_ALLCHILDREN);
    EXPECT_TRUE(SaveWindowBitmap(window, std::string(dir) + "\\" + name + ".bmp"));
}

}  // namespace guitest
