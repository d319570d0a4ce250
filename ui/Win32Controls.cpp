// One child window per control: its class and styles by kind, and how each property reaches it.
#include <windows.h>

#include <commctrl.h>

#include <cmath>

#include "ui/Win32Peer.h"

namespace ui {

namespace {

struct WindowKind {
    const char* cls;
    DWORD style;
    DWORD exStyle;
};

WindowKind KindOf(const Control& c) {
    constexpr DWORD child = WS_CHILD | WS_CLIPSIBLINGS;
    switch (c.kind()) {
        case Kind::Label:
            // SS_NOTIFY: tooltips see the mouse and double clicks arrive as STN_DBLCLK. A label
            // sized to its text shows one line of data: it never wraps, and & is a character.
            return {"STATIC",
                    child | SS_NOTIFY | (c.autoSize() ? SS_LEFTNOWORDWRAP | SS_NOPREFIX : SS_LEFT),
                    0};
        case Kind::TextBox:
            return {
                "EDIT",
                child | WS_TABSTOP | (c.readOnly() ? ES_READONLY : 0) |
                    (c.multiLine() ? ES_MULTILINE | ES_AUTOVSCROLL | WS_VSCROLL : ES_AUTOHSCROLL),
                WS_EX_CLIENTEDGE};
        case Kind::ComboBox:
            return {"COMBOBOX", child | WS_TABSTOP | WS_VSCROLL | CBS_DROPDOWN | CBS_AUTOHSCROLL,
                    0};
        case Kind::DropDownList:
            return {"COMBOBOX", child | WS_TABSTOP | WS_VSCROLL | CBS_DROPDOWNLIST, 0};
        case Kind::CheckBox:
            return {"BUTTON",
                    child | WS_TABSTOP | BS_AUTOCHECKBOX | (c.textOnLeft() ? BS_LEFTTEXT : 0), 0};
        case Kind::ListBox:
            return {"LISTBOX", child | WS_TABSTOP | WS_VSCROLL | LBS_NOTIFY | LBS_NOINTEGRALHEIGHT,
                    WS_EX_CLIENTEDGE};
        case Kind::CheckList:
            return {WC_LISTVIEWA,
                    child | WS_TABSTOP | LVS_REPORT | LVS_NOCOLUMNHEADER | LVS_SINGLESEL |
                        LVS_SHOWSELALWAYS,
                    WS_EX_CLIENTEDGE};
        case Kind::VirtualList:
            return {WC_LISTVIEWA,
                    child | WS_TABSTOP | LVS_REPORT | LVS_NOCOLUMNHEADER | LVS_OWNERDATA |
                        LVS_SHOWSELALWAYS,
                    WS_EX_CLIENTEDGE};
        case Kind::Button:
            return {"BUTTON", child | WS_TABSTOP | BS_PUSHBUTTON, 0};
        case Kind::Frame: {
            if (!c.text().empty()) return {"BUTTON", child | BS_GROUPBOX, 0};
            // A rule when thin in one direction, else an etched box.
            const Rect& r = c.rect();
            DWORD look = r.w <= 120 ? SS_ETCHEDVERT : r.h <= 120 ? SS_ETCHEDHORZ : SS_ETCHEDFRAME;
            return {"STATIC", child | look, 0};
        }
    }
    return {"STATIC", child, 0};
}

bool IsListView(Kind k) {
    return k == Kind::CheckList || k == Kind::VirtualList;
}

bool IsAutoSizeLabel(const Control& c) {
    return c.kind() == Kind::Label && c.autoSize();
}

RECT RectInForm(const Win32FormPeer& peer, HWND hwnd) {
    RECT r;
    GetWindowRect(hwnd, &r);
    MapWindowPoints(nullptr, peer.hwnd, reinterpret_cast<POINT*>(&r), 2);
    return r;
}

// A control's own tip; a label that runs past the form's right edge shows its whole text there.
void ShowTip(Win32FormPeer& peer, const Control& c, HWND hwnd) {
    RECT client;
    GetClientRect(peer.hwnd, &client);
    const bool cut = IsAutoSizeLabel(c) && RectInForm(peer, hwnd).right > client.right;
    SetTooltip(peer, hwnd, cut ? c.text() : c.tooltip());
}

// An auto-sized label is one line exactly as large as its text, taken from the model's text
// before the window shows it: a static control may paint a new text at once (Wine's does), in
// whatever rectangle it has then. Where the old text lay and the new one does not is not the
// label's any more; the form and the controls under it repaint it.
void FitLabel(Win32FormPeer& peer, Control& c, HWND hwnd) {
    const RECT before = RectInForm(peer, hwnd);
    const SIZE s = peer.kit->textExtentPixels(c.font(), c.text(), peer.dpiY);
    const int x = peer.px(c.rect().x), y = peer.py(c.rect().y);
    SetWindowPos(hwnd, nullptr, x, y, s.cx, s.cy, SWP_NOZORDER | SWP_NOACTIVATE);
    const RECT after{x, y, x + s.cx, y + s.cy};
    RECT both;
    UnionRect(&both, &before, &after);
    RedrawWindow(peer.hwnd, &both, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_ALLCHILDREN);
    ShowTip(peer, c, hwnd);
}

void FitColumn(HWND hwnd) {
    RECT rc;
    GetClientRect(hwnd, &rc);
    int w = rc.right - rc.left;
    // Leave room for a scroll bar the items will need, so that no horizontal one appears with
    // it; a list that fits keeps its whole width for the text.
    const bool willScroll = ListView_GetItemCount(hwnd) > ListView_GetCountPerPage(hwnd);
    if (willScroll && !(GetWindowLongA(hwnd, GWL_STYLE) & WS_VSCROLL))
        w -= GetSystemMetrics(SM_CXVSCROLL);
    ListView_SetColumnWidth(hwnd, 0, w > 0 ? w : 0);
}

void SetListViewCheck(HWND hwnd, int item, bool on) {
    ListView_SetItemState(hwnd, item, INDEXTOSTATEIMAGEMASK(on ? 2 : 1), LVIS_STATEIMAGEMASK);
}

// Items only ever grow by addItem or empty by clear(), so the window's items are a prefix of the
// control's: append the missing ones rather than rebuilding a long list item by item.
void SyncItems(Win32FormPeer& peer, Control& c, HWND hwnd) {
    const auto& items = c.items();
    int have = 0;
    switch (c.kind()) {
        case Kind::ComboBox:
        case Kind::DropDownList: {
            have = static_cast<int>(SendMessageA(hwnd, CB_GETCOUNT, 0, 0));
            if (items.empty() || have > static_cast<int>(items.size())) {
                SendMessageA(hwnd, CB_RESETCONTENT, 0, 0);
                have = 0;
                // Emptying the list also empties an editable combo box's text.
                if (c.kind() == Kind::ComboBox) SetWindowTextA(hwnd, c.text().c_str());
            }
            for (std::size_t i = have; i < items.size(); ++i)
                SendMessageA(hwnd, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(items[i].c_str()));
            break;
        }
        case Kind::ListBox:
            have = static_cast<int>(SendMessageA(hwnd, LB_GETCOUNT, 0, 0));
            if (items.empty() || have > static_cast<int>(items.size())) {
                SendMessageA(hwnd, LB_RESETCONTENT, 0, 0);
                have = 0;
            }
            for (std::size_t i = have; i < items.size(); ++i)
                SendMessageA(hwnd, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(items[i].c_str()));
            break;
        case Kind::CheckList: {
            have = ListView_GetItemCount(hwnd);
            if (items.empty() || have > static_cast<int>(items.size())) {
                ListView_DeleteAllItems(hwnd);
                have = 0;
            }
            for (std::size_t i = have; i < items.size(); ++i) {
                LVITEMA it{};
                it.mask = LVIF_TEXT;
                it.iItem = static_cast<int>(i);
                it.pszText = const_cast<char*>(items[i].c_str());
                SendMessageA(hwnd, LVM_INSERTITEMA, 0, reinterpret_cast<LPARAM>(&it));
                SetListViewCheck(hwnd, static_cast<int>(i), c.checked(static_cast<int>(i)));
            }
            FitColumn(hwnd);
            break;
        }
        case Kind::VirtualList:
            ApplyProp(peer, c, hwnd, Prop::Count);
            break;
        default:
            break;
    }
}

void SyncListIndex(Control& c, HWND hwnd) {
    int i = c.listIndex();
    switch (c.kind()) {
        case Kind::ComboBox:
            SendMessageA(hwnd, CB_SETCURSEL, static_cast<WPARAM>(i), 0);
            // A selection replaces the edit text; the control keeps its own text.
            SetWindowTextA(hwnd, c.text().c_str());
            break;
        case Kind::DropDownList:
            SendMessageA(hwnd, CB_SETCURSEL, static_cast<WPARAM>(i), 0);
            break;
        case Kind::ListBox:
            SendMessageA(hwnd, LB_SETCURSEL, static_cast<WPARAM>(i), 0);
            break;
        case Kind::CheckList:
        case Kind::VirtualList:
            ListView_SetItemState(hwnd, -1, 0, LVIS_SELECTED | LVIS_FOCUSED);
            if (i >= 0) {
                ListView_SetItemState(hwnd, i, LVIS_SELECTED | LVIS_FOCUSED,
                                      LVIS_SELECTED | LVIS_FOCUSED);
                ListView_EnsureVisible(hwnd, i, FALSE);
            }
            break;
        default:
            break;
    }
}

void SyncText(Control& c, HWND hwnd) {
    switch (c.kind()) {
        case Kind::DropDownList: {
            // Only an item's text can be shown: select it (or nothing).
            LRESULT i = SendMessageA(hwnd, CB_FINDSTRINGEXACT, static_cast<WPARAM>(-1),
                                     reinterpret_cast<LPARAM>(c.text().c_str()));
            SendMessageA(hwnd, CB_SETCURSEL, i == CB_ERR ? static_cast<WPARAM>(-1) : i, 0);
            break;
        }
        case Kind::ListBox:
        case Kind::CheckList:
        case Kind::VirtualList:
            break;
        default:
            SetWindowTextA(hwnd, c.text().c_str());
            break;
    }
}

void MoveFocusAway(HWND hwnd) {
    if (GetFocus() != hwnd) return;
    HWND parent = GetParent(hwnd);
    HWND next = GetNextDlgTabItem(parent, hwnd, FALSE);
    SetFocus(next && next != hwnd ? next : parent);
}

}  // namespace

int Win32FormPeer::MulDivRound(int twips, int dpi) {
    return static_cast<int>(std::lround(static_cast<double>(twips) * dpi / 1440.0));
}

std::string WindowText(HWND hwnd) {
    int n = GetWindowTextLengthA(hwnd);
    std::string s(static_cast<std::size_t>(n) + 1, '\0');
    n = GetWindowTextA(hwnd, s.data(), n + 1);
    s.resize(static_cast<std::size_t>(n > 0 ? n : 0));
    return s;
}

COLORREF ResolveColor(std::uint32_t color) {
    if (color & kSystemColor) return GetSysColor(static_cast<int>(color & 0xFF));
    return static_cast<COLORREF>(color & 0xFFFFFF);
}

HWND CreateControlWindow(Win32FormPeer& peer, Control& c) {
    WindowKind k = KindOf(c);
    DWORD style = k.style | (c.visible() ? WS_VISIBLE : 0) | (c.enabled() ? 0 : WS_DISABLED);
    const char* text = IsListView(c.kind()) || c.kind() == Kind::ListBox ? "" : c.text().c_str();
    HWND hwnd = CreateWindowExA(k.exStyle, k.cls, text, style, 0, 0, 0, 0, peer.hwnd,
                                reinterpret_cast<HMENU>(static_cast<INT_PTR>(c.id())),
                                GetModuleHandleA(nullptr), nullptr);
    if (!hwnd) return nullptr;
    Mute mute(peer);
    SendMessageA(hwnd, WM_SETFONT, reinterpret_cast<WPARAM>(peer.kit->font(c.font(), peer.dpiY)),
                 FALSE);
    if (IsListView(c.kind())) {
        DWORD ex = LVS_EX_FULLROWSELECT | (c.kind() == Kind::CheckList ? LVS_EX_CHECKBOXES : 0);
        ListView_SetExtendedListViewStyle(hwnd, ex);
        LVCOLUMNA col{};
        col.mask = LVCF_WIDTH;
        SendMessageA(hwnd, LVM_INSERTCOLUMNA, 0, reinterpret_cast<LPARAM>(&col));
    }
    ApplyGeometry(peer, c, hwnd);
    SyncItems(peer, c, hwnd);
    if (c.listIndex() >= 0) SyncListIndex(c, hwnd);
    // A combo box does not take its window name as its text.
    if (c.kind() == Kind::ComboBox || (c.kind() == Kind::DropDownList && c.listIndex() < 0))
        SyncText(c, hwnd);
    if (c.kind() == Kind::CheckBox) SendMessageA(hwnd, BM_SETCHECK, c.value() ? BST_CHECKED : 0, 0);
    if (!c.tooltip().empty() || IsAutoSizeLabel(c)) ShowTip(peer, c, hwnd);
    return hwnd;
}

void ApplyGeometry(Win32FormPeer& peer, Control& c, HWND hwnd) {
    if (IsAutoSizeLabel(c)) return FitLabel(peer, c, hwnd);
    const Rect& r = c.rect();
    int x = peer.px(r.x), y = peer.py(r.y);
    // Edges are rounded rather than sizes, so controls that touch in twips touch on screen.
    int w = peer.px(r.x + r.w) - x, h = peer.py(r.y + r.h) - y;
    // A combo box's window height includes its drop-down list.
    if (c.kind() == Kind::ComboBox || c.kind() == Kind::DropDownList) h += peer.py(3000);
    SetWindowPos(hwnd, nullptr, x, y, w, h, SWP_NOZORDER | SWP_NOACTIVATE);
    if (IsListView(c.kind())) FitColumn(hwnd);
}

void SetTooltip(Win32FormPeer& peer, HWND hwnd, const std::string& text) {
    if (!peer.tooltip) return;
    // The sub-window of an editable combo box takes the mouse there: it gets the tip as well.
    HWND parts[2] = {hwnd, nullptr};
    char cls[16] = "";
    GetClassNameA(hwnd, cls, sizeof cls);
    if (lstrcmpiA(cls, "ComboBox") == 0) parts[1] = FindWindowExA(hwnd, nullptr, "Edit", nullptr);
    for (HWND part : parts) {
        if (!part) continue;
        TTTOOLINFOA ti{};
        ti.cbSize = TTTOOLINFOA_V2_SIZE;
        ti.uFlags = TTF_IDISHWND | TTF_SUBCLASS;
        ti.hwnd = peer.hwnd;
        ti.uId = reinterpret_cast<UINT_PTR>(part);
        SendMessageA(peer.tooltip, TTM_DELTOOLA, 0, reinterpret_cast<LPARAM>(&ti));
        if (text.empty()) continue;
        ti.lpszText = const_cast<char*>(text.c_str());
        SendMessageA(peer.tooltip, TTM_ADDTOOLA, 0, reinterpret_cast<LPARAM>(&ti));
    }
}

void ApplyProp(Win32FormPeer& peer, Control& c, HWND hwnd, Prop what) {
    Mute mute(peer);
    switch (what) {
        case Prop::Text:
            if (IsAutoSizeLabel(c)) FitLabel(peer, c, hwnd);  // before the text is shown
            SyncText(c, hwnd);
            break;
        case Prop::Enabled:
            if (!c.enabled()) MoveFocusAway(hwnd);
            EnableWindow(hwnd, c.enabled());
            break;
        case Prop::Visible:
            if (!c.visible()) MoveFocusAway(hwnd);
            ShowWindow(hwnd, c.visible() ? SW_SHOWNA : SW_HIDE);
            break;
        case Prop::ForeColor:
            InvalidateRect(hwnd, nullptr, TRUE);
            break;
        case Prop::Tooltip:
            ShowTip(peer, c, hwnd);
            break;
        case Prop::Font:
            SendMessageA(hwnd, WM_SETFONT,
                         reinterpret_cast<WPARAM>(peer.kit->font(c.font(), peer.dpiY)), TRUE);
            if (IsAutoSizeLabel(c)) FitLabel(peer, c, hwnd);
            break;
        case Prop::Items:
            SyncItems(peer, c, hwnd);
            break;
        case Prop::ListIndex:
            SyncListIndex(c, hwnd);
            break;
        case Prop::Value:
            SendMessageA(hwnd, BM_SETCHECK, c.value() ? BST_CHECKED : BST_UNCHECKED, 0);
            break;
        case Prop::Checked:
            if (c.kind() != Kind::CheckList) break;
            for (int i = 0, n = ListView_GetItemCount(hwnd); i < n; ++i)
                if ((ListView_GetCheckState(hwnd, i) != 0) != c.checked(i))
                    SetListViewCheck(hwnd, i, c.checked(i));
            break;
        case Prop::Count:
            if (c.kind() == Kind::VirtualList) {
                // A virtual list view refuses more than 100,000,000 items (1.6 GB of dump);
                // past that it shows the first ones rather than nothing.
                constexpr std::size_t kMaxVirtualItems = 100000000;
                const std::size_t n = c.count() < kMaxVirtualItems ? c.count() : kMaxVirtualItems;
                ListView_SetItemCountEx(hwnd, static_cast<int>(n), 0);
                InvalidateRect(hwnd, nullptr, TRUE);
            } else {
                SyncItems(peer, c, hwnd);
            }
            break;
        case Prop::Geometry:
            ApplyGeometry(peer, c, hwnd);
            break;
    }
}

}  // namespace ui
