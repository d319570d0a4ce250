#include "app/FormHelpers.h"

#include <cmath>

#include "ui/Toolkit.h"

namespace app {

void PrepareFormControls(ui::Form& form) {
    for (const auto& c : form.controls()) {
        form.toolkit().disableTheme(*c);
        if (c->font().name == "MS Sans Serif") {
            ui::Font f = c->font();
            f.name = "Microsoft Sans Serif";
            c->setFont(f);
        }
    }
}

int CharsetForCodePage(std::uint32_t codePage) {
    struct Row {
        std::uint32_t codePage;
        int charset;
    };
    static constexpr Row kRows[] = {
        {874, 222},  {932, 128},  {949, 129},  {950, 136},  {1250, 238}, {1251, 204}, {1253, 161},
        {1254, 162}, {1255, 177}, {1256, 178}, {1257, 186}, {1258, 163}, {1361, 130}, {20936, 134},
    };
    for (const Row& r : kRows)
        if (r.codePage == codePage) return r.charset;
    return 0;
}

bool CopyToClipboard(ui::Toolkit& toolkit, sys::Kernel& k, const std::string& text) {
    auto copy = [&] { return toolkit.clipboardClear() && toolkit.clipboardSetText(text); };
    if (copy()) return true;
    k.Sleep(100);
    return copy();
}

std::string GetWindowsDir(sys::Kernel& k) {
    char buffer[260] = {};
    const sys::DWORD n = k.GetWindowsDirectoryA(buffer, sizeof buffer);
    // A result of the buffer size or more is the size needed, not a length: nothing was copied.
    if (n == 0 || n >= sizeof buffer) return {};
    return std::string(buffer, n);
}

Placement PlaceForm(int formWidth, int formHeight, const ui::Rect* owner, const Screen& screen) {
    auto round = [](double v) { return static_cast<int>(std::nearbyint(v)); };
    if (owner == nullptr) {
        const double twipsPerPxX = 1440.0 / screen.dpiX, twipsPerPxY = 1440.0 / screen.dpiY;
        return {round(screen.widthPx * twipsPerPxX / 2 - formWidth / 2.0),
                round(screen.heightPx * twipsPerPxY / 2 - formHeight / 2.0)};
    }
    Placement p{round(owner->w / 2.0 + owner->x - formWidth / 2.0),
                round(owner->h / 2.0 + owner->y - formHeight / 2.0)};
    if (p.left < 0) p.left = 0;
    if (p.top < 0) p.top = 0;
    return p;
}

}  // namespace app
