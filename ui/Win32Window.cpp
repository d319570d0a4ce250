// The form window's procedure: the one place where window messages become control state and
// events (rules in Win32Toolkit.h).
#include <windows.h>

#include <commctrl.h>

#include <cstring>

#include "ui/Win32Peer.h"

namespace ui {

namespace {

Win32FormPeer* PeerOf(HWND hwnd) {
    return reinterpret_cast<Win32FormPeer*>(GetWindowLongPtrA(hwnd, GWLP_USERDATA));
}

// What the window shows is what a press uses: texts, check marks and selections put in without
// a notification (by automation, a screen reader, a test) reach the controls before any handler
// runs. A check mark found changed counts as the click it stands for, so values derived from it
// follow.
void ReadBackState(Win32FormPeer& peer) {
    for (const auto& c : peer.form->controls()) {
        HWND h = GetDlgItem(peer.hwnd, c->id());
        if (!h) continue;
        switch (c->kind()) {
            case Kind::TextBox:
            case Kind::ComboBox: {
                std::string t = WindowText(h);
                if (t != c->text()) c->userSetText(std::move(t));
                if (c->kind() == Kind::ComboBox) {
                    const int i = static_cast<int>(SendMessageA(h, CB_GETCURSEL, 0, 0));
                    if (i != c->listIndex()) c->userSetListIndex(i);
                }
                break;
            }
            case Kind::DropDownList: {
                const int i = static_cast<int>(SendMessageA(h, CB_GETCURSEL, 0, 0));
                if (i != c->listIndex()) c->userSetListIndex(i);
                break;
            }
            case Kind::ListBox: {
                const int i = static_cast<int>(SendMessageA(h, LB_GETCURSEL, 0, 0));
                if (i != c->listIndex()) c->userSetListIndex(i);
                break;
            }
            case Kind::CheckBox: {
                const int v = SendMessageA(h, BM_GETCHECK, 0, 0) == BST_CHECKED ? 1 : 0;
                if (v != c->value()) {
                    c->userSetValue(v);
                    c->click();
                }
                break;
            }
            case Kind::CheckList:
                for (int i = 0; i < static_cast<int>(c->items().size()); ++i) {
                    const bool on = ListView_GetCheckState(h, i) != 0;
                    if (on != c->checked(i)) c->userSetChecked(i, on);  // raises the click
                }
                break;
            default:
                break;
        }
    }
}

std::string ComboItem(HWND combo, int index) {
    LRESULT n = SendMessageA(combo, CB_GETLBTEXTLEN, static_cast<WPARAM>(index), 0);
    if (n == CB_ERR) return "";
    std::string s(static_cast<std::size_t>(n) + 1, '\0');
    n = SendMessageA(combo, CB_GETLBTEXT, static_cast<WPARAM>(index),
                     reinterpret_cast<LPARAM>(s.data()));
    s.resize(n > 0 ? static_cast<std::size_t>(n) : 0);
    return s;
}

void Press(Win32FormPeer& peer, Control* button) {
    if (!button || !button->enabled() || !button->visible()) return;
    ReadBackState(peer);
    button->click();
}

void OnCommand(Win32FormPeer& peer, int id, int code, HWND from) {
    // While a call runs, nothing the window is told (by automation: the user's input is
    // dropped) becomes a press or a change; a press reads the window's state anyway.
    if (peer.kit->waiting()) return;
    Control* c = peer.form->findById(id);
    if (!c) {
        // Enter with no default id, and Escape, as the dialog manager reports them.
        if (id == IDOK) Press(peer, peer.form->defaultButton);
        if (id == IDCANCEL && peer.form->cancelButton)
            Press(peer, peer.form->cancelButton);
        else if (id == IDCANCEL && peer.form->escapeCloses)
            PostMessageA(peer.hwnd, WM_CLOSE, 0, 0);
        return;
    }
    if (peer.muted > 0) return;
    switch (c->kind()) {
        case Kind::Button:
            if (code == BN_CLICKED) Press(peer, c);
            break;
        case Kind::CheckBox:
            if (code == BN_CLICKED) {
                c->userSetValue(SendMessageA(from, BM_GETCHECK, 0, 0) == BST_CHECKED ? 1 : 0);
                ReadBackState(peer);
                c->click();
            }
            break;
        case Kind::TextBox:
            if (code == EN_CHANGE) {
                c->userSetText(WindowText(from));
                c->change();
            }
            if (code == EN_SETFOCUS) c->gotFocus();
            break;
        case Kind::ComboBox:
            if (code == CBN_EDITCHANGE) {
                c->userSetText(WindowText(from));
                c->change();
            }
            if (code == CBN_SELCHANGE) {
                int i = static_cast<int>(SendMessageA(from, CB_GETCURSEL, 0, 0));
                c->userSetListIndex(i);
                // The edit part shows the item only after this notification: take it from the list.
                if (i >= 0) c->userSetText(ComboItem(from, i));
                c->change();
            }
            break;
        case Kind::DropDownList:
            if (code == CBN_SELCHANGE)
                c->userSetListIndex(static_cast<int>(SendMessageA(from, CB_GETCURSEL, 0, 0)));
            break;
        case Kind::ListBox:
            if (code == LBN_SELCHANGE)
                c->userSetListIndex(static_cast<int>(SendMessageA(from, LB_GETCURSEL, 0, 0)));
            break;
        case Kind::Label:
            if (code == STN_DBLCLK) {
                ReadBackState(peer);
                c->dblClick();
            }
            break;
        default:
            break;
    }
}

LRESULT OnNotify(Win32FormPeer& peer, NMHDR* nm) {
    Control* c = peer.form->findById(static_cast<int>(nm->idFrom));
    if (!c) return 0;
    if (c->kind() == Kind::VirtualList && nm->code == LVN_GETDISPINFOA) {
        // Asked only for lines on screen: a long list costs what is shown.
        LVITEMA& it = reinterpret_cast<NMLVDISPINFOA*>(nm)->item;
        if ((it.mask & LVIF_TEXT) && it.pszText && it.cchTextMax > 0)
            lstrcpynA(it.pszText, c->itemText(static_cast<std::size_t>(it.iItem)).c_str(),
                      it.cchTextMax);
        return 0;
    }
    if (c->kind() == Kind::VirtualList && nm->code == LVN_GETDISPINFOW) {
        LVITEMW& it = reinterpret_cast<NMLVDISPINFOW*>(nm)->item;
        if ((it.mask & LVIF_TEXT) && it.pszText && it.cchTextMax > 0) {
            std::string s = c->itemText(static_cast<std::size_t>(it.iItem));
            int n = MultiByteToWideChar(CP_ACP, 0, s.c_str(), static_cast<int>(s.size()),
                                        it.pszText, it.cchTextMax - 1);
            it.pszText[n] = L'\0';
        }
        return 0;
    }
    if (c->kind() == Kind::CheckList && nm->code == LVN_ITEMCHANGED && peer.muted == 0 &&
        !peer.kit->waiting()) {
        auto* lv = reinterpret_cast<NMLISTVIEW*>(nm);
        if (!(lv->uChanged & LVIF_STATE) || lv->iItem < 0) return 0;
        if ((lv->uNewState & LVIS_SELECTED) && !(lv->uOldState & LVIS_SELECTED))
            c->userSetListIndex(lv->iItem);
        UINT oldImage = lv->uOldState & LVIS_STATEIMAGEMASK;
        UINT newImage = lv->uNewState & LVIS_STATEIMAGEMASK;
        // Image 0 -> 1 is the list giving a new item its box, not a user's check.
        if (oldImage != 0 && newImage != oldImage)
            c->userSetChecked(lv->iItem, newImage == INDEXTOSTATEIMAGEMASK(2));
    }
    return 0;
}

LRESULT OnCtlColorStatic(Win32FormPeer& peer, HDC dc, HWND child) {
    Control* c = peer.form->findById(GetDlgCtrlID(child));
    if (!c || (c->kind() != Kind::Label && c->kind() != Kind::CheckBox && c->kind() != Kind::Frame))
        return -1;
    // A group box leaves its inside unpainted, and the form clips its children out of its own
    // background: the box fills it before it draws its edge.
    if (c->kind() == Kind::Frame && !c->text().empty()) {
        RECT inside;
        GetClientRect(child, &inside);
        FillRect(dc, &inside, GetSysColorBrush(COLOR_BTNFACE));
    }
    SetTextColor(dc, ResolveColor(c->foreColor()));
    SetBkColor(dc, GetSysColor(COLOR_BTNFACE));
    return reinterpret_cast<LRESULT>(GetSysColorBrush(COLOR_BTNFACE));
}

// Fonts and positions follow the monitor when the window moves to one of another density.
void OnDpiChanged(Win32FormPeer& peer, int dpi, const RECT* suggested) {
    peer.dpiX = peer.dpiY = dpi;
    for (const auto& c : peer.form->controls()) {
        HWND h = GetDlgItem(peer.hwnd, c->id());
        if (!h) continue;
        ApplyProp(peer, *c, h, Prop::Font);
        ApplyGeometry(peer, *c, h);
    }
    SetWindowPos(peer.hwnd, nullptr, suggested->left, suggested->top,
                 suggested->right - suggested->left, suggested->bottom - suggested->top,
                 SWP_NOZORDER | SWP_NOACTIVATE);
}

// WM_NEXTDLGCTL: to the given window, or to the next (wp 0) or previous tab stop.
void NextControl(HWND form, WPARAM wp, bool given) {
    HWND target = reinterpret_cast<HWND>(wp);
    if (!given) {
        HWND from = GetFocus();
        // The focus may sit in a part of a control (the edit of a combo box).
        while (from && GetParent(from) != form)
            from = IsChild(form, from) ? GetParent(from) : nullptr;
        target = GetNextDlgTabItem(form, from, wp != 0);
    }
    if (!target) return;
    SetFocus(target);
    if (SendMessageA(target, WM_GETDLGCODE, 0, 0) & DLGC_HASSETSEL)
        SendMessageA(target, EM_SETSEL, 0, -1);
}

}  // namespace

const char* FormWindowClass() {
    static const char* name = [] {
        WNDCLASSEXA wc{};
        wc.cbSize = sizeof wc;
        wc.lpfnWndProc = FormWindowProc;
        wc.hInstance = GetModuleHandleA(nullptr);
        wc.hCursor = LoadCursorA(nullptr, reinterpret_cast<LPCSTR>(IDC_ARROW));
        wc.hbrBackground = reinterpret_cast<HBRUSH>(static_cast<INT_PTR>(COLOR_BTNFACE + 1));
        wc.lpszClassName = "HandlebenchForm";
        RegisterClassExA(&wc);
        return "HandlebenchForm";
    }();
    return name;
}

int WindowDpi(HWND hwnd, bool vertical) {
    using GetDpiForWindowFn = UINT(WINAPI*)(HWND);
    static auto getDpi = reinterpret_cast<GetDpiForWindowFn>(reinterpret_cast<void (*)()>(
        GetProcAddress(GetModuleHandleA("user32.dll"), "GetDpiForWindow")));
    if (getDpi && hwnd) {
        UINT dpi = getDpi(hwnd);
        if (dpi > 0) return static_cast<int>(dpi);
    }
    HDC dc = GetDC(hwnd);
    int dpi = GetDeviceCaps(dc, vertical ? LOGPIXELSY : LOGPIXELSX);
    ReleaseDC(hwnd, dc);
    return dpi > 0 ? dpi : 96;
}

LRESULT CALLBACK FormWindowProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) {
    if (msg == WM_NCCREATE) {
        auto* cs = reinterpret_cast<CREATESTRUCTA*>(lp);
        SetWindowLongPtrA(hwnd, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(cs->lpCreateParams));
        return DefWindowProcA(hwnd, msg, wp, lp);
    }
    Win32FormPeer* peer = PeerOf(hwnd);
    if (!peer) return DefWindowProcA(hwnd, msg, wp, lp);
    switch (msg) {
        case WM_COMMAND:
            OnCommand(*peer, LOWORD(wp), HIWORD(wp), reinterpret_cast<HWND>(lp));
            return 0;
        case WM_NOTIFY:
            return OnNotify(*peer, reinterpret_cast<NMHDR*>(lp));
        case WM_CTLCOLORSTATIC: {
            LRESULT r =
                OnCtlColorStatic(*peer, reinterpret_cast<HDC>(wp), reinterpret_cast<HWND>(lp));
            if (r != -1) return r;
            break;
        }
        case WM_SYSCOMMAND:
            for (const auto& c : peer->commands)
                if ((wp & 0xFFF0) == c.id) {
                    const auto action = c.action;
                    action();
                    return 0;
                }
            break;
        case DM_GETDEFID:
            if (Control* d = peer->form->defaultButton) return MAKELRESULT(d->id(), DC_HASDEFID);
            return 0;
        case WM_SETCURSOR:
            if (peer->kit->mousePointer() == kPointerHourglass) {
                SetCursor(LoadCursorA(nullptr, reinterpret_cast<LPCSTR>(IDC_WAIT)));
                return TRUE;
            }
            break;
        case WM_ACTIVATE:
            if (LOWORD(wp) == WA_INACTIVE) {
                HWND f = GetFocus();
                if (f && IsChild(hwnd, f)) peer->lastFocus = f;
            } else {
                HWND f = peer->lastFocus;
                if (!f || !IsWindow(f) || !IsWindowEnabled(f) || !IsWindowVisible(f))
                    f = GetNextDlgTabItem(hwnd, nullptr, FALSE);
                if (f) SetFocus(f);
            }
            return 0;
        case WM_NEXTDLGCTL:
            // The dialog manager moves the focus with this message (Tab, a label's mnemonic);
            // only dialog windows' own procedure would answer it.
            NextControl(hwnd, wp, LOWORD(lp) != 0);
            return 0;
        case WM_CLOSE:
            // A handler is waiting for a call under this message: cancel the call, close later.
            if (peer->kit->waiting()) {
                peer->kit->closeAfterWait(hwnd);
                return 0;
            }
            // Form_QueryClose decides, on what the boxes hold now (a multi-line box tells of no
            // text set by message); an unload destroys this window (and may free the peer).
            ReadBackState(*peer);
            peer->form->close();
            return 0;
        case 0x02E0:  // WM_DPICHANGED
            OnDpiChanged(*peer, HIWORD(wp), reinterpret_cast<const RECT*>(lp));
            return 0;
        default:
            break;
    }
    return DefWindowProcA(hwnd, msg, wp, lp);
}

}  // namespace ui
