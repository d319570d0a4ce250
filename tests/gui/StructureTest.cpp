// What the main window is made of: child windows, their styles, texts, fonts and tips.
#include "MainWindowFixture.h"

#include <cmath>
#include <vector>

namespace guitest {
namespace {

using ui::Kind;

const struct {
    Kind kind;
    DWORD styleMask, style;  // (GWL_STYLE & styleMask) == style
} kKindWindows[] = {
    {Kind::Label, SS_TYPEMASK | SS_NOTIFY, SS_LEFT | SS_NOTIFY},
    {Kind::TextBox, WS_TABSTOP, WS_TABSTOP},
    {Kind::ComboBox, 3 | WS_TABSTOP, CBS_DROPDOWN | WS_TABSTOP},
    {Kind::DropDownList, 3 | WS_TABSTOP, CBS_DROPDOWNLIST | WS_TABSTOP},
    {Kind::CheckBox, BS_TYPEMASK | WS_TABSTOP, BS_AUTOCHECKBOX | WS_TABSTOP},
    {Kind::Button, BS_TYPEMASK | WS_TABSTOP, BS_PUSHBUTTON | WS_TABSTOP},
    {Kind::VirtualList, LVS_TYPEMASK | LVS_OWNERDATA | LVS_NOCOLUMNHEADER,
     LVS_REPORT | LVS_OWNERDATA | LVS_NOCOLUMNHEADER},
    {Kind::Frame, SS_TYPEMASK, SS_ETCHEDVERT},
};

TEST_F(MainWindow, CaptionWithPidAndATableRowsChildOfItsStyleTextAndFontNoneOverlapping) {
    EXPECT_EQ(TextOf(hwnd), "Handlebench - pid:" + std::to_string(GetCurrentProcessId()));
    HDC dc = GetDC(hwnd);
    const int dpi = GetDeviceCaps(dc, LOGPIXELSY);
    ReleaseDC(hwnd, dc);
    std::vector<std::pair<std::string, RECT>> shown;
    for (const auto& c : frm->controls()) {
        SCOPED_TRACE(c->fullName());
        HWND h = GetDlgItem(hwnd, c->id());
        ASSERT_NE(h, nullptr);
        const auto* w = std::begin(kKindWindows);
        while (w != std::end(kKindWindows) && w->kind != c->kind()) ++w;
        ASSERT_NE(w, std::end(kKindWindows)) << "kind not on the main window";
        const auto style = static_cast<DWORD>(GetWindowLongA(h, GWL_STYLE));
        if (c->kind() == Kind::Label && c->autoSize()) {
            // One line of data: never wrapped, no mnemonics.
            const DWORD mask = SS_TYPEMASK | SS_NOTIFY | SS_NOPREFIX;
            EXPECT_EQ(style & mask, DWORD{SS_LEFTNOWORDWRAP | SS_NOTIFY | SS_NOPREFIX});
        } else {
            EXPECT_EQ(style & w->styleMask, w->style);
        }
        if (c->kind() != Kind::VirtualList && c->kind() != Kind::DropDownList) {
            EXPECT_EQ(TextOf(h), c->text());
        }
        EXPECT_EQ(IsWindowVisible(h) != 0, c->visible());
        if (RECT r; IsWindowVisible(h) && GetWindowRect(h, &r)) {
            for (const auto& [other, at] : shown)
                if (RECT both; IntersectRect(&both, &r, &at)) ADD_FAILURE() << "overlaps " << other;
            shown.push_back({c->fullName(), r});
        }
        if (c->kind() == Kind::Frame) continue;  // a rule: no text, no font
        LOGFONTA lf{};
        auto font = reinterpret_cast<HFONT>(SendMessageA(h, WM_GETFONT, 0, 0));
        ASSERT_TRUE(GetObjectA(font, sizeof lf, &lf));
        EXPECT_STREQ(lf.lfFaceName,
                     c->name() == "lstHexView" ? "Courier New" : "Microsoft Sans Serif");
        EXPECT_EQ(lf.lfHeight, -std::lround(8.25 * dpi / 72.0));
    }
}

TEST_F(MainWindow, EveryButtonHasItsTooltip) {
    for (const auto& c : frm->controls()) {
        if (c->kind() != Kind::Button || c->tooltip().empty()) continue;
        EXPECT_EQ(TipOf(hwnd, GetDlgItem(hwnd, c->id())), c->tooltip()) << c->fullName();
    }
    EXPECT_EQ(TipOf(hwnd, item("cmdCreateFile")), "FileName must be an existing Win32 object");
}

}  // namespace
}  // namespace guitest
