// Pictures of the real windows for people to look at; not checks.
#include "MainWindowFixture.h"

#include <cstdlib>
#include <fstream>

namespace guitest {

std::string ScreenBits(const RECT& r) {
    const LONG w = r.right - r.left, h = r.bottom - r.top;
    std::string px;
    if (w <= 0 || h <= 0) return px;
    BITMAPINFO bi{{sizeof bi.bmiHeader, w, h, 1, 24, BI_RGB, 0, 0, 0, 0, 0}, {}};
    HDC screen = GetDC(nullptr), mem = CreateCompatibleDC(screen);
    void* bits = nullptr;
    HBITMAP dib = CreateDIBSection(screen, &bi, DIB_RGB_COLORS, &bits, nullptr, 0);
    HGDIOBJ old = SelectObject(mem, dib);
    if (dib && BitBlt(mem, 0, 0, w, h, screen, r.left, r.top, SRCCOPY) && GdiFlush())
        px.assign(static_cast<const char*>(bits), static_cast<std::size_t>(BmpStride(w) * h));
    SelectObject(mem, old);
    DeleteDC(mem);  // before the bitmap it holds
    DeleteObject(dib);
    ReleaseDC(nullptr, screen);
    return px;
}

namespace {

// Writes the window as it is on screen, frame included, to a 24-bit .bmp file.
bool SaveWindowBitmap(HWND hwnd, const std::string& path) {
    // Children keep their own update regions: paint them too before the capture.
    RedrawWindow(hwnd, nullptr, nullptr, RDW_UPDATENOW | RDW_ALLCHILDREN);
    RECT r;
    GetWindowRect(hwnd, &r);
    const std::string px = ScreenBits(r);
    const auto size = static_cast<DWORD>(px.size());
    const DWORD head = sizeof(BITMAPFILEHEADER) + sizeof(BITMAPINFOHEADER);
    const BITMAPFILEHEADER fh{0x4D42, head + size, 0, 0, head};  // "BM"
    const BITMAPINFOHEADER bi{
        sizeof bi, r.right - r.left, r.bottom - r.top, 1, 24, BI_RGB, size, 0, 0, 0, 0};
    std::ofstream f(path, std::ios::binary);
    f.write(reinterpret_cast<const char*>(&fh), sizeof fh)
        .write(reinterpret_cast<const char*>(&bi), sizeof bi)
        .write(px.data(), size);
    return !px.empty() && f.flush().good();
}

TEST_F(MainWindow, SavesAScreenshotWhenAsked) {
    const char* path = std::getenv("HB_SCREENSHOT");
    if (!path || !*path) GTEST_SKIP() << "HB_SCREENSHOT not set";
    for (int i = 0; i < 20; ++i, Sleep(25)) kit.pumpPending();
    EXPECT_TRUE(SaveWindowBitmap(hwnd, path));
}

}  // namespace

void Screenshot(HWND window, const std::string& name) {
    const char* dir = std::getenv("HB_SCREENSHOT_DIR");
    if (!dir || !*dir) return;
    EXPECT_TRUE(SaveWindowBitmap(window, std::string(dir) + "\\" + name + ".bmp"));
}

}  // namespace guitest
