// The result line as the screen shows it: one line as wide as its text, over no other control,
// and nothing of an older line left around it. Read from the screen's pixels, not from the
// window's text.
#include "MainWindowFixture.h"

#include <functional>
#include <string>
#include <vector>

namespace guitest {
namespace {

// A rectangle of the form's client area as it is on screen, by rows.
struct Pixels {
    RECT at{};
    std::vector<std::uint32_t> px;  // 0x00RRGGBB
    COLORREF operator()(LONG x, LONG y) const {
        const auto p =
            px[static_cast<std::size_t>((y - at.top) * (at.right - at.left) + (x - at.left))];
        return RGB((p >> 16) & 0xFF, (p >> 8) & 0xFF, p & 0xFF);
    }
    bool operator==(const Pixels& o) const { return EqualRect(&at, &o.at) && px == o.px; }
};

Pixels Capture(HWND form, RECT r) {
    Pixels p{r, {}};
    MapWindowPoints(form, nullptr, reinterpret_cast<POINT*>(&r), 2);
    p.px = ScreenPixels(r);
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

    // Everything sent and posted handled, and painted through to the screen.
    void settle() {
        for (int i = 0; i < 8; ++i, Sleep(15)) {
            kit.pumpPending();
            RedrawWindow(hwnd, nullptr, nullptr, RDW_UPDATENOW | RDW_ALLCHILDREN);
        }
    }

    // Where the other shown controls lie over the form's own background.
    std::vector<RECT> siblings() {
        std::vector<RECT> out;
        for (HWND c = GetWindow(hwnd, GW_CHILD); c; c = GetWindow(c, GW_HWNDNEXT))
            if (c != label() && IsWindowVisible(c)) out.push_back(ClientRectOf(hwnd, c));
        return out;
    }

    // What the screen shows after one step, against where the label stood before it; an
    // expected line "": any.
    void checkLine(const std::string& expected, RECT before, const std::string& picture) {
        settle();
        Screenshot(hwnd, picture);
        const std::string shown = TextOf(label());
        EXPECT_EQ(expected.empty() ? shown : expected, shown);
        const RECT now = ClientRectOf(hwnd, label());
        const SIZE extent = TextSize(label(), shown);
        EXPECT_EQ(now.bottom - now.top, extent.cy) << "not one text line high";
        EXPECT_GE(now.right - now.left, extent.cx) << "narrower than its text";
        RECT client;
        GetClientRect(hwnd, &client);
        const bool cut = now.left + extent.cx > client.right;
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
    const std::string missing = file.path + ".missing";
    const std::string longLine =
        "DeviceIoControl res=1 dwBytesRet=40 " + std::string(30, 'W') +
        " and more words until the line runs past the right edge of the window";
    const struct {
        const char* what;
        std::function<void()> act;
        std::string line;
    } steps[] = {
        {"open", [&] { open(file.path, "0x80000000"); }, "CreateFile success"},
        {"close", [&] { press("cmdCloseHandle"); }, "CloseHandle res=1"},
        {"failed-close", [&] { press("cmdCloseHandle"); }, "CloseHandle Err=6  (INVALID_HANDLE)"},
        {"failed-open", [&] { open(missing, "0x80000000"); },
         "CreateFile res=-1 Err=2  (FILE_NOT_FOUND)"},
        // The handle is -1 since the failed open: the process's own pseudo handle closes.
        {"short", [&] { press("cmdCloseHandle"); }, "CloseHandle res=1"},
        {"free-space",  // the host's: a line that reaches the version label
         [&] {
             type("cboFileName", "C:\\");
             press("cmdFreeSpaceEx");
         },
         ""},
        {"long", [&] { frm->SetResult(longLine); }, longLine},
        {"short-after-long", [&] { press("cmdCloseHandle"); },
         "CloseHandle Err=6  (INVALID_HANDLE)"},
    };
    for (const auto& s : steps) {
        SCOPED_TRACE(s.what);
        const RECT before = ClientRectOf(hwnd, label());
        s.act();
        checkLine(s.line, before, std::string("result-line-") + s.what);
    }
}

}  // namespace
}  // namespace guitest
