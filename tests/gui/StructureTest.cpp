// What the main window is made of: child windows, their classes, texts, places, fonts, tips.
#include "MainWindowFixture.h"

#include <commctrl.h>

#include <algorithm>
#include <cstring>
#include <vector>

namespace guitest {
namespace {

using ui::Kind;

struct KindWindow {
    Kind kind;
    const char* cls;
    DWORD styleMask, style;  // (GWL_STYLE & styleMask) == style
};

const KindWindow kKindWindows[] = {
    {Kind::Label, "Static", SS_TYPEMASK | SS_NOTIFY, SS_LEFT | SS_NOTIFY},
    {Kind::TextBox, "Edit", WS_TABSTOP, WS_TABSTOP},
    {Kind::ComboBox, "ComboBox", 3 | WS_TABSTOP, CBS_DROPDOWN | WS_TABSTOP},
    {Kind::DropDownList, "ComboBox", 3 | WS_TABSTOP, CBS_DROPDOWNLIST | WS_TABSTOP},
    {Kind::CheckBox, "Button", BS_TYPEMASK | WS_TABSTOP, BS_AUTOCHECKBOX | WS_TABSTOP},
    {Kind::Button, "Button", BS_TYPEMASK | WS_TABSTOP, BS_PUSHBUTTON | WS_TABSTOP},
    {Kind::VirtualList, "SysListView32", LVS_TYPEMASK | LVS_OWNERDATA | LVS_NOCOLUMNHEADER,
     LVS_REPORT | LVS_OWNERDATA | LVS_NOCOLUMNHEADER},
    {Kind::Frame, "Static", SS_TYPEMASK, SS_ETCHEDVERT},
};

const KindWindow* WindowFor(Kind k) {
    for (const auto& w : kKindWindows)
        if (w.kind == k) return &w;
    return nullptr;
}

RECT ClientRectOf(HWND child) {
    RECT r;
    GetWindowRect(child, &r);
    MapWindowPoints(nullptr, GetParent(child), reinterpret_cast<POINT*>(&r), 2);
    return r;
}

TEST_F(MainWindow, EveryTableRowIsAChildWindowOfItsClassWithItsText) {
    for (const auto& c : frm->controls()) {
        SCOPED_TRACE(c->fullName());
        HWND h = GetDlgItem(hwnd, c->id());
        ASSERT_NE(h, nullptr);
        const KindWindow* w = WindowFor(c->kind());
        ASSERT_NE(w, nullptr) << "kind not on the main window";
        EXPECT_STRCASEEQ(ClassOf(h).c_str(), w->cls);
        DWORD style = static_cast<DWORD>(GetWindowLongA(h, GWL_STYLE));
        EXPECT_EQ(style & w->styleMask, w->style);
        if (c->kind() != Kind::VirtualList && c->kind() != Kind::DropDownList) {
            EXPECT_EQ(TextOf(h), c->text());
        }
        EXPECT_EQ(IsWindowVisible(h) != 0, c->visible());
    }
}

TEST_F(MainWindow, StartsAsTheProgramStartsIt) {
    EXPECT_EQ(text("lblHandle"), "0x0");
    EXPECT_EQ(text("lblResult"), "--");
    EXPECT_EQ(text("cboFileName"), "A:\\Test.txt");
    EXPECT_EQ(text("cboCreation"), "OPEN_EXISTING");
    EXPECT_EQ(SendMessageA(item("cboFileName"), CB_GETCOUNT, 0, 0), 14);
    EXPECT_EQ(SendMessageA(item("cboCreation"), CB_GETCOUNT, 0, 0), 6);
    EXPECT_EQ(SendMessageA(item("lstHexView"), LVM_GETITEMCOUNT, 0, 0), 0);
    EXPECT_FALSE(IsWindowVisible(item("lblTestTextWidht")));
    EXPECT_TRUE(IsWindowEnabled(item("cmdCreateFile")));
    EXPECT_EQ(textColor("lblHandle"), GetSysColor(COLOR_BTNTEXT));
}

TEST_F(MainWindow, CaptionCarriesTheProcessId) {
    EXPECT_EQ(TextOf(hwnd), "Handlebench - pid:" + std::to_string(GetCurrentProcessId()));
}

TEST_F(MainWindow, ClientAreaAndControlsStandWhereTheTwipsSay) {
    RECT client;
    GetClientRect(hwnd, &client);
    EXPECT_EQ(client.right, px(11145));
    EXPECT_EQ(client.bottom, px(7215));
    for (const auto& c : frm->controls()) {
        SCOPED_TRACE(c->fullName());
        RECT r = ClientRectOf(GetDlgItem(hwnd, c->id()));
        const ui::Rect& t = c->rect();
        EXPECT_NEAR(r.left, px(t.x), 1);
        EXPECT_NEAR(r.top, px(t.y), 1);
        if (!c->autoSize()) {
            EXPECT_NEAR(r.right - r.left, px(t.w), 1);
        }
        // A combo box's height is its font's, not the design's.
        if (c->kind() != Kind::ComboBox && c->kind() != Kind::DropDownList) {
            EXPECT_NEAR(r.bottom - r.top, px(t.h), 1);
        }
        EXPECT_LE(r.right, client.right);
        EXPECT_LE(r.bottom, client.bottom);
    }
}

TEST_F(MainWindow, NoTwoShownControlsOverlap) {
    std::vector<std::pair<std::string, RECT>> shown;
    for (const auto& c : frm->controls()) {
        HWND h = GetDlgItem(hwnd, c->id());
        if (IsWindowVisible(h)) shown.push_back({c->fullName(), ClientRectOf(h)});
    }
    for (std::size_t i = 0; i < shown.size(); ++i)
        for (std::size_t j = i + 1; j < shown.size(); ++j) {
            RECT both;
            EXPECT_FALSE(IntersectRect(&both, &shown[i].second, &shown[j].second))
                << shown[i].first << " and " << shown[j].first;
        }
}

TEST_F(MainWindow, AutoSizedResultLineTakesTheWidthOfItsText) {
    HWND result = item("lblResult");
    RECT before = ClientRectOf(result);
    press("cmdCloseHandle");  // a long failure line
    RECT after = ClientRectOf(result);
    EXPECT_GT(after.right - after.left, before.right - before.left);
    EXPECT_EQ(after.left, before.left);
    int twips = kit.textWidth(ctl("lblResult").font(), text("lblResult"));
    EXPECT_NEAR(after.right - after.left, px(twips), 1);
}

TEST_F(MainWindow, FontsAreTheDesignFonts) {
    const int height = -static_cast<int>(std::lround(8.25 * dpi() / 72.0));
    for (const auto& c : frm->controls()) {
        if (c->kind() == Kind::Frame) continue;  // a rule: no text, no font
        SCOPED_TRACE(c->fullName());
        auto f = reinterpret_cast<HFONT>(
            SendMessageA(GetDlgItem(hwnd, c->id()), WM_GETFONT, 0, 0));
        ASSERT_NE(f, nullptr);
        LOGFONTA lf{};
        ASSERT_EQ(GetObjectA(f, sizeof lf, &lf), static_cast<int>(sizeof lf));
        if (c->name() == "lstHexView") {
            EXPECT_STREQ(lf.lfFaceName, "Courier New");
        } else {
            EXPECT_STREQ(lf.lfFaceName, "Microsoft Sans Serif");
            EXPECT_EQ(lf.lfHeight, height);
        }
    }
}

struct FindTooltip {
    HWND form, found;
};

// A named stdcall function: a lambda cannot be one in the 32-bit build.
BOOL CALLBACK MatchTooltip(HWND h, LPARAM lp) {
    auto* f = reinterpret_cast<FindTooltip*>(lp);
    if (GetWindow(h, GW_OWNER) == f->form && ClassOf(h) == TOOLTIPS_CLASSA) {
        f->found = h;
        return FALSE;
    }
    return TRUE;
}

HWND TooltipOf(HWND form) {
    FindTooltip find{form, nullptr};
    EnumThreadWindows(GetCurrentThreadId(), MatchTooltip, reinterpret_cast<LPARAM>(&find));
    return find.found;
}

// The wide request: the ANSI one gives at most 80 characters.
std::string TipText(HWND tooltip, HWND form, HWND tool) {
    wchar_t wide[1024] = L"";
    TTTOOLINFOW ti{};
    ti.cbSize = TTTOOLINFOW_V2_SIZE;
    ti.hwnd = form;
    ti.uId = reinterpret_cast<UINT_PTR>(tool);
    ti.lpszText = wide;
    SendMessageW(tooltip, TTM_GETTEXTW, 1024, reinterpret_cast<LPARAM>(&ti));
    char buf[2048] = "";
    WideCharToMultiByte(CP_ACP, 0, wide, -1, buf, sizeof buf, nullptr, nullptr);
    return buf;
}

TEST_F(MainWindow, EveryButtonHasItsTooltip) {
    HWND tt = TooltipOf(hwnd);
    ASSERT_NE(tt, nullptr);
    int buttons = 0;
    for (const auto& c : frm->controls()) {
        if (c->kind() != Kind::Button || c->tooltip().empty()) continue;
        ++buttons;
        EXPECT_EQ(TipText(tt, hwnd, GetDlgItem(hwnd, c->id())), c->tooltip()) << c->fullName();
    }
    EXPECT_GT(buttons, 30);
    EXPECT_EQ(TipText(tt, hwnd, item("cmdCreateFile")),
              "FileName must be an existing Win32 object");
}

TEST_F(MainWindow, TooltipFollowsTheProgramIncludingToEmpty) {
    HWND tt = TooltipOf(hwnd);
    ASSERT_NE(tt, nullptr);
    int before = static_cast<int>(SendMessageA(tt, TTM_GETTOOLCOUNT, 0, 0));
    ctl("lblFileSize").setTooltip("FILE_NOT_FOUND");
    EXPECT_EQ(TipText(tt, hwnd, item("lblFileSize")), "FILE_NOT_FOUND");
    EXPECT_EQ(SendMessageA(tt, TTM_GETTOOLCOUNT, 0, 0), before + 1);
    ctl("lblFileSize").setTooltip("");
    EXPECT_EQ(SendMessageA(tt, TTM_GETTOOLCOUNT, 0, 0), before);
}

// Tab goes through the focusable controls in the table's order (rows, then left to right).
TEST_F(MainWindow, TabOrderIsTheTableOrder) {
    std::vector<HWND> expected;
    for (const auto& c : frm->controls()) {
        HWND h = GetDlgItem(hwnd, c->id());
        if ((GetWindowLongA(h, GWL_STYLE) & WS_TABSTOP) && IsWindowVisible(h) && IsWindowEnabled(h))
            expected.push_back(h);
    }
    ASSERT_GT(expected.size(), 50u);
    HWND h = expected.front();
    for (std::size_t i = 1; i < expected.size(); ++i) {
        h = GetNextDlgTabItem(hwnd, h, FALSE);
        ASSERT_EQ(h, expected[i]) << "after " << i - 1;
    }
    EXPECT_EQ(GetNextDlgTabItem(hwnd, h, FALSE), expected.front());
}

}  // namespace
}  // namespace guitest
