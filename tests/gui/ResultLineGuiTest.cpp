// The result line as the screen shows it: one line as wide as its text, over no other control,
// and nothing of an older line left around it. Read from the screen's pixels, not from the
// window's text.
#include "MainWindowFixture.h"

#include <functional>
#include <string>
#include <vector>

namespace guitest {
namespace {

// A rectangle of the form's client area as it is on screen.
struct Pixels {
    RECT at{};
    std::string bits;  // as ScreenBits gives them
    COLORREF operator()(LONG x, LONG y) const {
        const auto i = (at.bottom - 1 - y) * BmpStride(at.right - at.left) + (x - at.left) * 3;
        const auto* p = reinterpret_cast<const BYTE*>(bits.data()) + i;
        return RGB(p[2], p[1], p[0]);
    }
    bool operator==(const Pixels& o) const { return EqualRect(&at, &o.at) && bits == o.bits; }
};

Pixels Capture(HWND form, RECT r) {
    Pixels p{r, {}};
    MapWindowPoints(form, nullptr, reinterpret_cast<POINT*>(&r), 2);
    p.bits = ScreenBits(r);
    return p;
}

RECT ClientRectOf(HWND form, HWND child) {
    RECT r;
    GetWindowRect(child, &r);
    MapWindowPoints(nullptr, form, reinterpret_cast<POINT*>(&r), 2);
    return r;
}

class ResultLine : public MainWindow {
  protected:
    HWND label() { return item("lblResult"); }
    int cuts = 0;  // steps that left a line cut at the window's edge

    // Where the other shown controls lie over the form's own background.
    std::vector<RECT> siblings() {
        std::vector<RECT> out;
        for (HWND c = GetWindow(hwnd, GW_CHILD); c; c = GetWindow(c, GW_HWNDNEXT))
            if (c != label() && IsWindowVisible(c)) out.push_back(ClientRectOf(hwnd, c));
        return out;
    }

    // What the screen shows after one step, against where the label stood before it.
    void checkLine(RECT before, const std::string& picture) {
        settle();
        Screenshot(hwnd, picture);
        const std::string shown = TextOf(label());
        const RECT now = ClientRectOf(hwnd, label());
        const SIZE extent = TextSize(label(), shown);
        EXPECT_EQ(now.bottom - now.top, extent.cy) << "not one text line high";
        EXPECT_GE(now.right - now.left, extent.cx) << "narrower than its text";
        RECT client;
        GetClientRect(hwnd, &client);
        const bool cut = now.left + extent.cx > client.right;
        cuts += cut;
        EXPECT_EQ(TipOf(hwnd, label()), cut ? shown : "") << (cut ? "a cut line" : "a whole line");
        const std::vector<RECT> others = siblings();
        for (const RECT& r : others)
            if (RECT both; IntersectRect(&both, &now, &r))
                ADD_FAILURE() << "a control under the line";

        // Where the old line stood and the new one does not: the form's background.
        RECT gone;
        IntersectRect(&gone, &before, &client);
        const Pixels old = Capture(hwnd, gone);
        const COLORREF face = GetSysColor(COLOR_BTNFACE);
        auto background = [&](POINT pt) {
            if (PtInRect(&now, pt)) return false;
            for (const RECT& r : others)
                if (PtInRect(&r, pt)) return false;
            return true;
        };
        int stale = 0;
        for (LONG y = gone.top; y < gone.bottom; ++y)
            for (LONG x = gone.left; x < gone.right; ++x)
                if (background({x, y}) && old(x, y) != face) ++stale;
        EXPECT_EQ(stale, 0) << "pixels of an older line left beside the new one";

        // And the line with its surroundings is what a full repaint draws.
        RECT both;
        UnionRect(&both, &before, &now);
        InflateRect(&both, 4, 4);
        IntersectRect(&both, &both, &client);
        const Pixels shownPixels = Capture(hwnd, both);
        RedrawWindow(hwnd, &both, nullptr,
                     RDW_INVALIDATE | RDW_ERASE | RDW_ALLCHILDREN | RDW_UPDATENOW);
        settle();
        EXPECT_TRUE(Capture(hwnd, both) == shownPixels) << "the screen differs from a repaint";
    }
};

TEST_F(ResultLine, StaysOneWholeLineWithNothingOfTheOldOneLeft) {
    TempFile file("hb-gui-result.txt", "the result line is one line");
    const std::string longLine =
        "DeviceIoControl res=1 dwBytesRet=40 " + std::string(30, 'W') +
        " and more words until the line runs past the right edge of the window";
    // Each step makes the line longer or shorter, whole or cut; what each press shows is the
    // native tests'.
    const std::pair<const char*, std::function<void()>> steps[] = {
        {"open", [&] { open(file.path, "0x80000000"); }},
        {"close", [&] { press("cmdCloseHandle"); }},
        {"free-space",
         [&] { type("cboFileName", "C:\\"), press("cmdFreeSpaceEx"); }},  // the host's
        {"long", [&] { frm->SetResult(longLine); }},
        {"short-after-long", [&] { press("cmdCloseHandle"); }},
    };
    for (const auto& [what, act] : steps) {
        SCOPED_TRACE(what);
        const RECT before = ClientRectOf(hwnd, label());
        act();
        checkLine(before, std::string("result-line-") + what);
    }
    EXPECT_GE(cuts, 1) << "no line ran past the window's edge";
}

}  // namespace
}  // namespace guitest
