// Form lifetime, modal shows, the message loop and the program-wide services (pointer, message
// box, clipboard, text measurement, start-up chores).
#include "ui/Win32Toolkit.h"

#include <commctrl.h>
#include <commdlg.h>

#include <cmath>
#include <cstring>

#include "ui/Win32Peer.h"

namespace ui {

namespace {

template <class Fn>
Fn SystemFunction(const char* dll, const char* name) {
    HMODULE m = GetModuleHandleA(dll);
    if (!m) {
        // Load by full path: the program's own directory is searched first otherwise.
        char path[MAX_PATH];
        UINT n = GetSystemDirectoryA(path, MAX_PATH);
        if (n == 0 || n + std::strlen(dll) + 2 > MAX_PATH) return nullptr;
        lstrcatA(path, "\\");
        lstrcatA(path, dll);
        m = LoadLibraryA(path);
    }
    if (!m) return nullptr;
    return reinterpret_cast<Fn>(reinterpret_cast<void (*)()>(GetProcAddress(m, name)));
}

bool IsMonospacedFace(const std::string& name) {
    for (const char* face : {"Courier New", "Courier", "Consolas", "Lucida Console", "Fixedsys"})
        if (lstrcmpiA(name.c_str(), face) == 0) return true;
    return false;
}

constexpr DWORD kMainStyle =
    WS_OVERLAPPED | WS_CAPTION | WS_SYSMENU | WS_MINIMIZEBOX | WS_CLIPCHILDREN;
constexpr DWORD kDialogStyle = WS_POPUP | WS_CAPTION | WS_SYSMENU | WS_CLIPCHILDREN;

// Outer size of a window whose client area is the form's, at the window's density.
SIZE OuterSize(const Win32FormPeer& p) {
    RECT rc{0, 0, p.px(p.form->clientWidth()), p.py(p.form->clientHeight())};
    DWORD style = static_cast<DWORD>(GetWindowLongA(p.hwnd, GWL_STYLE));
    DWORD ex = static_cast<DWORD>(GetWindowLongA(p.hwnd, GWL_EXSTYLE));
    using AdjustForDpiFn = BOOL(WINAPI*)(RECT*, DWORD, BOOL, DWORD, UINT);
    static auto adjustForDpi =
        SystemFunction<AdjustForDpiFn>("user32.dll", "AdjustWindowRectExForDpi");
    if (!adjustForDpi || !adjustForDpi(&rc, style, FALSE, ex, static_cast<UINT>(p.dpiY)))
        AdjustWindowRectEx(&rc, style, FALSE, ex);
    return {rc.right - rc.left, rc.bottom - rc.top};
}

// Centred on the owner when there is one (dialogs), else on the work area of its monitor.
void PlaceFirstTime(Win32FormPeer& p) {
    if (p.placed) return;
    p.placed = true;
    SIZE s = OuterSize(p);
    RECT area;
    HWND owner = GetWindow(p.hwnd, GW_OWNER);
    if (owner && IsWindowVisible(owner)) {
        GetWindowRect(owner, &area);
    } else {
        MONITORINFO mi{};
        mi.cbSize = sizeof mi;
        GetMonitorInfoA(MonitorFromWindow(p.hwnd, MONITOR_DEFAULTTOPRIMARY), &mi);
        area = mi.rcWork;
    }
    int x = area.left + (area.right - area.left - s.cx) / 2;
    int y = area.top + (area.bottom - area.top - s.cy) / 2;
    SetWindowPos(p.hwnd, nullptr, x > 0 ? x : 0, y > 0 ? y : 0, s.cx, s.cy,
                 SWP_NOZORDER | SWP_NOACTIVATE);
}

}  // namespace

Win32Toolkit::Win32Toolkit() = default;

Win32Toolkit::~Win32Toolkit() {
    std::vector<Form*> forms;
    for (const auto& p : peers_) forms.push_back(p->form);
    for (Form* f : forms) destroy(*f);
    for (auto& [key, f] : fonts_) DeleteObject(f);
}

HWND Win32Toolkit::window(const Form& form) const {
    const Win32FormPeer* p = PeerOf(form);
    return p ? p->hwnd : nullptr;
}

HWND Win32Toolkit::window(const Control& control) const {
    HWND form = window(control.form());
    return form ? GetDlgItem(form, control.id()) : nullptr;
}

HWND Win32Toolkit::mainWindow() const {
    return peers_.empty() ? nullptr : peers_.front()->hwnd;
}

bool Win32Toolkit::isFormWindow(HWND hwnd) const {
    for (const auto& p : peers_)
        if (p->hwnd == hwnd) return true;
    return false;
}

HWND Win32Toolkit::activeFormWindow() const {
    HWND active = GetActiveWindow();
    return isFormWindow(active) ? active : mainWindow();
}

void Win32Toolkit::create(Form& form) {
    if (form.peer) return;
    auto owned = std::make_unique<Win32FormPeer>();
    Win32FormPeer* p = owned.get();
    p->kit = this;
    p->form = &form;
    bool isMain = peers_.empty();
    // Later forms are dialogs owned by the main window: above it, no task bar button of their own.
    p->hwnd = CreateWindowExA(
        WS_EX_CONTROLPARENT | (isMain ? 0 : WS_EX_DLGMODALFRAME), FormWindowClass(),
        form.caption().c_str(), isMain ? kMainStyle : kDialogStyle, CW_USEDEFAULT, CW_USEDEFAULT,
        100, 100, isMain ? nullptr : mainWindow(), nullptr, GetModuleHandleA(nullptr), p);
    if (!p->hwnd) return;
    form.peer = p;
    peers_.push_back(std::move(owned));
    p->dpiX = WindowDpi(p->hwnd, false);
    p->dpiY = WindowDpi(p->hwnd, true);
    SIZE s = OuterSize(*p);
    SetWindowPos(p->hwnd, nullptr, 0, 0, s.cx, s.cy, SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);

    p->tooltip = CreateWindowExA(WS_EX_TOPMOST, TOOLTIPS_CLASSA, nullptr,
                                 WS_POPUP | TTS_ALWAYSTIP | TTS_NOPREFIX, CW_USEDEFAULT,
                                 CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT, p->hwnd, nullptr,
                                 GetModuleHandleA(nullptr), nullptr);
    if (p->tooltip) {
        // Long hints wrap, and stay long enough to be read.
        SendMessageA(p->tooltip, TTM_SETMAXTIPWIDTH, 0, p->px(6000));
        SendMessageA(p->tooltip, TTM_SETDELAYTIME, TTDT_AUTOPOP, 30000);
    }
    for (const auto& c : form.controls()) CreateControlWindow(*p, *c);
    // Children stack in creation order, the first on top. A frame must lie under the controls
    // it surrounds, or it hides them; it takes no focus, so the tab order stays the table's.
    for (const auto& c : form.controls())
        if (c->kind() == Kind::Frame)
            if (HWND h = window(*c))
                SetWindowPos(h, HWND_BOTTOM, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
}

void Win32Toolkit::show(Form& form, bool modal) {
    Win32FormPeer* p = PeerOf(form);
    if (!p) return;
    if (Control* d = form.defaultButton)
        if (HWND h = window(*d)) SendMessageA(h, BM_SETSTYLE, BS_DEFPUSHBUTTON, TRUE);
    // Labels sized to their text now have their final fonts.
    for (const auto& c : form.controls())
        if (c->kind() == Kind::Label && c->autoSize())
            if (HWND h = window(*c)) ApplyGeometry(*p, *c, h);
    PlaceFirstTime(*p);
    if (!modal) {
        ShowWindow(p->hwnd, SW_SHOW);
        form.setShown(true);
        UpdateWindow(p->hwnd);
        return;
    }
    HWND focusBefore = GetFocus();
    p->modal = true;
    enableOthers(*p, false);
    ShowWindow(p->hwnd, SW_SHOW);
    SetForegroundWindow(p->hwnd);
    form.setShown(true);
    MSG msg;
    while (form.loaded() && form.shown()) {
        if (GetMessageA(&msg, nullptr, 0, 0) <= 0) {
            // The program is ending: leave the quit for the outer loop.
            PostQuitMessage(static_cast<int>(msg.wParam));
            break;
        }
        dispatch(msg);
    }
    if ((p = PeerOf(form)) != nullptr) {
        enableOthers(*p, true);
        p->modal = false;
    }
    if (focusBefore && IsWindow(focusBefore)) {
        SetActiveWindow(GetAncestor(focusBefore, GA_ROOT));
        SetFocus(focusBefore);
    }
}

// A modal form disables every other shown form of the program, and enables them again first
// thing when it goes, so that activation returns to them rather than to another program.
void Win32Toolkit::enableOthers(Win32FormPeer& modal, bool on) {
    if (on) {
        EnableAgain(modal.disabled);
    } else {
        modal.disabled = disableAllBut(modal.hwnd);
    }
}

std::vector<HWND> Win32Toolkit::disableAllBut(HWND keep) const {
    std::vector<HWND> disabled;
    for (const auto& p : peers_)
        if (p->hwnd != keep && IsWindowVisible(p->hwnd) && IsWindowEnabled(p->hwnd)) {
            EnableWindow(p->hwnd, FALSE);
            disabled.push_back(p->hwnd);
        }
    return disabled;
}

void Win32Toolkit::EnableAgain(std::vector<HWND>& disabled) {
    for (HWND h : disabled)
        if (IsWindow(h)) EnableWindow(h, TRUE);
    disabled.clear();
}

void Win32Toolkit::hide(Form& form) {
    Win32FormPeer* p = PeerOf(form);
    form.setShown(false);
    if (!p) return;
    if (p->modal) enableOthers(*p, true);
    ShowWindow(p->hwnd, SW_HIDE);
}

void Win32Toolkit::destroy(Form& form) {
    Win32FormPeer* p = PeerOf(form);
    form.setShown(false);
    if (!p) return;
    if (p->modal) enableOthers(*p, true);
    // Messages sent while the windows go are no longer the form's business.
    SetWindowLongPtrA(p->hwnd, GWLP_USERDATA, 0);
    DestroyWindow(p->hwnd);  // its children and its tooltip window with it
    form.peer = nullptr;
    std::erase_if(peers_, [p](const auto& owned) { return owned.get() == p; });
}

void Win32Toolkit::captionChanged(Form& form) {
    if (HWND h = window(form)) SetWindowTextA(h, form.caption().c_str());
}

void Win32Toolkit::changed(Control& control, Prop what) {
    Win32FormPeer* p = PeerOf(control.form());
    HWND h = window(control);
    if (p && h) ApplyProp(*p, control, h, what);
}

void Win32Toolkit::refresh(Control& control) {
    HWND h = window(control);
    if (!h) return;
    // Repaint the parent under the control too: a label that shrank leaves its old text there.
    RECT rc;
    GetWindowRect(h, &rc);
    HWND parent = GetParent(h);
    MapWindowPoints(nullptr, parent, reinterpret_cast<POINT*>(&rc), 2);
    RedrawWindow(parent, &rc, nullptr,
                 RDW_INVALIDATE | RDW_ERASE | RDW_ALLCHILDREN | RDW_UPDATENOW);
}

void Win32Toolkit::setMousePointer(int pointer) {
    pointer_ = pointer;
    // Shown at once: the slow call that follows handles no messages.
    if (pointer == kPointerHourglass) {
        SetCursor(LoadCursorA(nullptr, reinterpret_cast<LPCSTR>(IDC_WAIT)));
        return;
    }
    // Back to the cursor of whatever of ours is under the pointer, without waiting for a move.
    POINT pt;
    if (!GetCursorPos(&pt)) return;
    HWND under = WindowFromPoint(pt);
    DWORD pid = 0;
    if (!under || (GetWindowThreadProcessId(under, &pid), pid != GetCurrentProcessId())) return;
    LRESULT hit = SendMessageA(under, WM_NCHITTEST, 0, MAKELPARAM(pt.x, pt.y));
    SendMessageA(under, WM_SETCURSOR, reinterpret_cast<WPARAM>(under),
                 MAKELPARAM(static_cast<WORD>(hit), WM_MOUSEMOVE));
}

int Win32Toolkit::msgBox(const std::string& text, const std::string& title, std::uint32_t style) {
    return MessageBoxA(activeFormWindow(), text.c_str(), title.c_str(), style | MB_APPLMODAL);
}

bool Win32Toolkit::clipboardClear() {
    if (!OpenClipboard(mainWindow())) return false;
    EmptyClipboard();
    CloseClipboard();
    return true;
}

namespace {
HGLOBAL GlobalCopy(const void* bytes, std::size_t size) {
    HGLOBAL mem = GlobalAlloc(GMEM_MOVEABLE, size);
    if (!mem) return nullptr;
    std::memcpy(GlobalLock(mem), bytes, size);
    GlobalUnlock(mem);
    return mem;
}
}  // namespace

bool Win32Toolkit::clipboardSetText(const std::string& text) {
    // The text as the window holds it, and as Unicode, which is what a program that pastes
    // UTF-8 (an editor) takes.
    const int n = MultiByteToWideChar(CP_ACP, 0, text.c_str(), -1, nullptr, 0);
    std::wstring wide(static_cast<std::size_t>(n > 0 ? n : 1), L'\0');
    if (n > 0) MultiByteToWideChar(CP_ACP, 0, text.c_str(), -1, wide.data(), n);
    HGLOBAL ansi = GlobalCopy(text.c_str(), text.size() + 1);
    HGLOBAL unicode = GlobalCopy(wide.c_str(), wide.size() * sizeof(wchar_t));
    bool ok = ansi && unicode && OpenClipboard(mainWindow());
    if (ok) {
        EmptyClipboard();
        // The clipboard owns each only once it has taken it.
        if (SetClipboardData(CF_UNICODETEXT, unicode)) unicode = nullptr;
        if (SetClipboardData(CF_TEXT, ansi)) ansi = nullptr;
        ok = !ansi && !unicode;
        CloseClipboard();
    }
    if (ansi) GlobalFree(ansi);
    if (unicode) GlobalFree(unicode);
    return ok;
}

HFONT Win32Toolkit::font(const Font& f, int dpi) {
    long height = -std::lround(f.size * dpi / 72.0);
    auto key = std::make_tuple(f.name, height, f.charset, f.bold);
    auto it = fonts_.find(key);
    if (it != fonts_.end()) return it->second;
    LOGFONTA lf{};
    lf.lfHeight = height;
    lf.lfWeight = f.bold ? FW_BOLD : FW_NORMAL;
    lf.lfCharSet = static_cast<BYTE>(f.charset);
    lstrcpynA(lf.lfFaceName, f.name.c_str(), LF_FACESIZE);
    // Where a monospaced face is missing (Wine), the font mapper still has to pick a monospaced
    // one: column-aligned lists depend on it.
    if (IsMonospacedFace(f.name)) lf.lfPitchAndFamily = FIXED_PITCH | FF_MODERN;
    HFONT h = CreateFontIndirectA(&lf);
    fonts_.emplace(key, h);
    return h;
}

SIZE Win32Toolkit::textExtentPixels(const Font& f, const std::string& text, int dpi) {
    HDC dc = GetDC(nullptr);
    HGDIOBJ old = SelectObject(dc, font(f, dpi));
    SIZE s{0, 0};
    GetTextExtentPoint32A(dc, text.c_str(), static_cast<int>(text.size()), &s);
    // An empty text is still one line high.
    TEXTMETRICA tm{};
    GetTextMetricsA(dc, &tm);
    s.cy = tm.tmHeight;
    SelectObject(dc, old);
    ReleaseDC(nullptr, dc);
    return s;
}

int Win32Toolkit::textWidth(const Font& f, const std::string& text) {
    int dpi = peers_.empty() ? WindowDpi(nullptr, false) : peers_.front()->dpiX;
    return static_cast<int>(std::lround(textExtentPixels(f, text, dpi).cx * 1440.0 / dpi));
}

void Win32Toolkit::setIcons(Form& form, const std::string& resourceName) {
    HWND h = window(form);
    if (!h) return;
    HINSTANCE inst = GetModuleHandleA(nullptr);
    HANDLE big = LoadImageA(inst, resourceName.c_str(), IMAGE_ICON, GetSystemMetrics(SM_CXICON),
                            GetSystemMetrics(SM_CYICON), LR_SHARED);
    SendMessageA(h, WM_SETICON, ICON_BIG, reinterpret_cast<LPARAM>(big));
    if (HWND owner = GetWindow(h, GW_OWNER))
        SendMessageA(owner, WM_SETICON, ICON_BIG, reinterpret_cast<LPARAM>(big));
    HANDLE small = LoadImageA(inst, resourceName.c_str(), IMAGE_ICON, GetSystemMetrics(SM_CXSMICON),
                              GetSystemMetrics(SM_CYSMICON), LR_SHARED);
    SendMessageA(h, WM_SETICON, ICON_SMALL, reinterpret_cast<LPARAM>(small));
}

void Win32Toolkit::addExStyle(Form& form, std::uint32_t exStyle) {
    HWND h = window(form);
    if (!h) return;
    LONG ex = GetWindowLongA(h, GWL_EXSTYLE);
    SetWindowLongA(h, GWL_EXSTYLE, static_cast<LONG>(static_cast<std::uint32_t>(ex) | exStyle));
    SetWindowPos(h, nullptr, 0, 0, 0, 0,
                 SWP_NOMOVE | SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE | SWP_FRAMECHANGED);
}

void Win32Toolkit::setComboMinVisible(Control& combo, int count) {
    if (HWND h = window(combo)) SendMessageA(h, 0x1701, static_cast<WPARAM>(count), 0);
}

void Win32Toolkit::disableTheme(Control& control) {
    using SetWindowThemeFn = HRESULT(WINAPI*)(HWND, LPCWSTR, LPCWSTR);
    static auto setTheme = SystemFunction<SetWindowThemeFn>("uxtheme.dll", "SetWindowTheme");
    HWND h = window(control);
    if (setTheme && h) setTheme(h, L" ", L" ");
}

bool Win32Toolkit::focusCameByMouse() {
    // Down now and pressed since the last query: the click that moved the focus.
    return GetAsyncKeyState(VK_LBUTTON) == static_cast<SHORT>(0x8001);
}

void Win32Toolkit::selectAllText(Control& textBox) {
    if (HWND h = window(textBox))
        SendMessageA(h, EM_SETSEL, 0, static_cast<LPARAM>(GetWindowTextLengthA(h)));
}

void Win32Toolkit::addCommand(Form& form, const std::string& caption, char ctrlKey,
                              std::function<void()> action) {
    Win32FormPeer* p = PeerOf(form);
    if (!p) return;
    HMENU menu = GetSystemMenu(p->hwnd, FALSE);
    // System command ids are multiples of 16 below 0xF000; ours start well clear of the system's.
    const UINT id = 0x1000 + 16 * static_cast<UINT>(p->commands.size());
    if (menu) {
        if (p->commands.empty()) AppendMenuA(menu, MF_SEPARATOR, 0, nullptr);
        const std::string item = caption + "\tCtrl+" + ctrlKey;
        AppendMenuA(menu, MF_STRING, id, item.c_str());
    }
    p->commands.push_back({id, ctrlKey, std::move(action)});
}

void Win32Toolkit::removeCommand(Form& form, char ctrlKey) {
    Win32FormPeer* p = PeerOf(form);
    if (!p) return;
    HMENU menu = GetSystemMenu(p->hwnd, FALSE);
    std::erase_if(p->commands, [&](const Win32FormPeer::Command& c) {
        if (c.key != ctrlKey) return false;
        if (menu) DeleteMenu(menu, c.id, MF_BYCOMMAND);
        return true;
    });
}

std::string Win32Toolkit::saveFileName(Form& owner, const std::string& suggested) {
    // Long paths too: a name that does not fit would fail like a Cancel.
    std::vector<char> name(32768, '\0');
    lstrcpynA(name.data(), suggested.c_str(), static_cast<int>(name.size()));
    OPENFILENAMEA ofn{};
    ofn.lStructSize = sizeof ofn;
    ofn.hwndOwner = window(owner);
    ofn.lpstrFilter = "Scripts (*.txt)\0*.txt\0All files (*.*)\0*.*\0";
    ofn.lpstrFile = name.data();
    ofn.nMaxFile = static_cast<DWORD>(name.size());
    ofn.lpstrDefExt = "txt";
    ofn.Flags = OFN_OVERWRITEPROMPT | OFN_PATHMUSTEXIST | OFN_HIDEREADONLY | OFN_NOCHANGEDIR;
    // Modal for the whole program, as our own dialogs are: the system's disables only its owner.
    std::vector<HWND> disabled = disableAllBut(ofn.hwndOwner);
    const bool chosen = GetSaveFileNameA(&ofn) != 0;
    EnableAgain(disabled);
    return chosen ? std::string(name.data()) : std::string();
}

// A Ctrl+key of a command of the active form: runs it and swallows the key.
bool Win32Toolkit::commandKey(const MSG& msg, HWND root) {
    if (msg.message != WM_KEYDOWN || !root || GetActiveWindow() != root) return false;
    if (GetKeyState(VK_CONTROL) >= 0 || GetKeyState(VK_MENU) < 0 || GetKeyState(VK_SHIFT) < 0)
        return false;
    for (const auto& p : peers_) {
        if (p->hwnd != root) continue;
        for (const auto& c : p->commands)
            if (static_cast<WPARAM>(c.key) == msg.wParam) {
                const auto action = c.action;  // the action may add commands
                action();
                return true;
            }
    }
    return false;
}

bool Win32Toolkit::dispatch(MSG& msg) {
    if (msg.message == WM_QUIT) return false;
    ++depth_;
    // Tab, mnemonics, Enter and Escape are the dialog manager's, in every form.
    HWND root = msg.hwnd ? GetAncestor(msg.hwnd, GA_ROOT) : nullptr;
    if (!commandKey(msg, root) && (!root || !isFormWindow(root) || !IsDialogMessageA(root, &msg))) {
        TranslateMessage(&msg);
        DispatchMessageA(&msg);
    }
    --depth_;
    closeIfAsked();
    return true;
}

int Win32Toolkit::run(Form& form) {
    MSG msg{};
    while (form.loaded()) {
        BOOL r = GetMessageA(&msg, nullptr, 0, 0);
        if (r == 0) return static_cast<int>(msg.wParam);
        if (r < 0) return 1;
        dispatch(msg);
    }
    return 0;
}

void Win32Toolkit::pumpPending() {
    MSG msg;
    while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
        if (!dispatch(msg)) {
            PostQuitMessage(static_cast<int>(msg.wParam));
            return;
        }
    }
    closeIfAsked();
}

}  // namespace ui
