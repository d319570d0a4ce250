// Record and replay in the real window: presses, a question and dialogs in the main window,
// the session copied from the Session window through the clipboard, and the copy replayed by
// hbrun.exe, which must show the same lines. (hbrun.exe's own traits under Wine: BlockingCall.)
// clang-format off
#include "session/FrmSession.h"
#include "MainWindowFixture.h"
// clang-format on

#include <algorithm>
#include <iterator>
#include <sstream>

namespace guitest {
namespace {

template <class Char = char>
std::basic_string<Char> ClipboardText(UINT format = CF_TEXT) {
    std::basic_string<Char> text;
    if (!OpenClipboard(nullptr)) return text;
    if (HANDLE h = GetClipboardData(format)) {
        if (const Char* p = static_cast<const Char*>(GlobalLock(h))) text = p;
        GlobalUnlock(h);
    }
    CloseClipboard();
    return text;
}

// The lines of a text, CR LF or LF, without the shown handle: another process gets another.
std::vector<std::string> Comparable(const std::string& text) {
    std::vector<std::string> lines;
    std::istringstream in(text);
    for (std::string line; std::getline(in, line);) {
        if (!line.empty() && line.back() == '\r') line.pop_back();
        if (line.rfind("# lblHandle:", 0) == 0 || line == "# Handlebench session") continue;
        lines.push_back(line);
    }
    return lines;
}

class SessionWindow : public MainWindow {
  protected:
    void SetUp() override {
        MainWindow::SetUp();
        session = std::make_unique<session::MainSession>(*frm);
    }
    // Ctrl+key (and another key held with it) in the file name box, as the keyboard gives it.
    void ctrlKey(char k, int alsoHeld = 0) {
        BYTE before[256], state[256];
        GetKeyboardState(before);
        std::copy(std::begin(before), std::end(before), state);
        state[VK_CONTROL] = 0x80;
        if (alsoHeld) state[alsoHeld] = 0x80;
        SetKeyboardState(state);
        SetFocus(item("cboFileName"));
        key(static_cast<WPARAM>(k));
        SetKeyboardState(before);
    }
    std::unique_ptr<session::MainSession> session;
};

TEST_F(SessionWindow, ASessionCopiedFromTheWindowReplaysToTheSameLines) {
    const std::string content = "0123456789abcdef";
    TempFile file("hb-gui-session.bin", content);
    open(file.path, "0xC0000000");
    type("txtCount", "8");
    press("cmdRead");
    type("txtPosLow", "0x2");
    press("cmdSetFilePointer");
    type("txtCount", "32");  // more than was read: the question
    pressDuringModal("cmdWrite", "Warning", [](HWND box) {
        PostMessageA(box, WM_COMMAND, MAKEWPARAM(IDYES, BN_CLICKED),
                     reinterpret_cast<LPARAM>(GetDlgItem(box, IDYES)));
    });
    press("cmdGetFileType");
    press("cmdGetDiskLength");
    // Any request, its input pasted in two lines: Wine refuses input to it on a file, and
    // answers it without.
    pressDuringModal("cmdDeviceIoControl", "DeviceIoControl", [](HWND dlg) {
        SetWindowTextA(GetDlgItem(dlg, 1001), "IOCTL_STORAGE_GET_DEVICE_NUMBER");
        SetWindowTextA(GetDlgItem(dlg, 1007), "12");
        SendMessageA(GetDlgItem(dlg, 1004), EM_REPLACESEL, TRUE,
                     reinterpret_cast<LPARAM>("01 02\r\n03"));
        Click(dlg, "Send");
    });
    EXPECT_EQ(text("lblResult"), "DeviceIoControl res=0  Err=87  (INVALID_PARAMETER)");
    pressDuringModal("cmdDeviceIoControl", "DeviceIoControl", [](HWND dlg) {
        SetWindowTextA(GetDlgItem(dlg, 1004), "");
        Click(dlg, "Send");
    });
    EXPECT_EQ(text("lblResult"), "DeviceIoControl res=1 dwBytesRet=12");
    pressDuringModal("cmdSetDiskAttributes", "IOCTL_DISK_SET_DISK_ATTRIBUTES", [](HWND dlg) {
        Click(dlg, "DISK_ATTRIBUTE_READ_ONLY");
        Click(dlg, "Set");
    });
    press("cmdCloseHandle");
    EXPECT_EQ(file.size(), 34);

    // Ctrl+Shift+H is not the command.
    ctrlKey('H', VK_SHIFT);
    EXPECT_EQ(FindWindowA(nullptr, "Session"), nullptr);
    // Ctrl+H shows the Session window with every line of the history.
    ctrlKey('H');
    HWND window = FindWindowA(nullptr, "Session");
    ASSERT_NE(window, nullptr);
    EXPECT_TRUE(IsWindowVisible(window));
    HWND list = GetDlgItem(window, session->window()->lstSession.id());
    const auto lines = static_cast<LRESULT>(session->history.lines().size());
    EXPECT_EQ(SendMessageA(list, LVM_GETITEMCOUNT, 0, 0), lines);
    // Scrolled to the newest line.
    EXPECT_GE(
        SendMessageA(list, LVM_GETTOPINDEX, 0, 0) + SendMessageA(list, LVM_GETCOUNTPERPAGE, 0, 0),
        lines);

    OpenClipboard(nullptr);
    EmptyClipboard();
    CloseClipboard();
    Click(window, "&Copy");
    const std::string copied = ClipboardText();
    EXPECT_EQ(copied, session->history.script("\r\n"));
    for (const char* line : {"  Input: 01 02  03\r\n", "# lstHexView: DeviceType=7  DeviceNumber="})
        EXPECT_NE(copied.find(line), std::string::npos) << line;
    EXPECT_EQ(ClipboardText<wchar_t>(CF_UNICODETEXT), std::wstring(copied.begin(), copied.end()));
    kit.pumpPending();
    Screenshot(window, "session");

    // Save as, through the system's dialog: the file holds what was copied.
    TempFile saved("hb-gui-saved.txt", "");
    DeleteFileA(saved.path.c_str());  // a new file: no question about replacing it
    duringModal(
        [&] { Click(window, "Save &as..."); }, "Save As",
        [&](HWND dlg) {
            // The file name box: the edit inside the dialog's name combo box.
            HWND name = nullptr;
            for (HWND c = FindWindowExA(dlg, nullptr, nullptr, nullptr); c && !name;
                 c = FindWindowExA(dlg, c, nullptr, nullptr))
                if (GetDlgCtrlID(c) == 0x47C || GetDlgCtrlID(c) == 0x480) name = c;
            while (HWND inner = name ? FindWindowExA(name, nullptr, nullptr, nullptr) : nullptr)
                name = inner;
            ASSERT_NE(name, nullptr);
            SetWindowTextA(name, saved.path.c_str());
            SendMessageA(GetDlgItem(dlg, IDOK), BM_CLICK, 0, 0);
        });
    {
        std::ifstream in(saved.path, std::ios::binary);
        EXPECT_EQ(std::string(std::istreambuf_iterator<char>(in), {}), copied);
    }

    // Escape hides it, as its close box does; the main window's system menu shows it again.
    SetForegroundWindow(window);
    SetFocus(FindWindowExA(window, nullptr, "Button", "&Copy"));
    key(VK_ESCAPE);
    EXPECT_FALSE(IsWindowVisible(window));
    HMENU menu = GetSystemMenu(hwnd, FALSE);
    const int items = GetMenuItemCount(menu);
    ASSERT_GT(items, 0);
    char caption[64] = "";
    GetMenuStringA(menu, static_cast<UINT>(items - 1), caption, sizeof caption, MF_BYPOSITION);
    EXPECT_STREQ(caption, "Session...\tCtrl+H");
    SendMessageA(hwnd, WM_SYSCOMMAND, GetMenuItemID(menu, items - 1), 0);
    EXPECT_TRUE(IsWindowVisible(window));
    EXPECT_EQ(FindWindowA(nullptr, "Session"), window);

    // The replay starts from the file as the recording did.
    std::ofstream(file.path, std::ios::binary | std::ios::trunc) << content;
    TempFile script("hb-gui-session.txt", copied);
    const RunnerRun replay = RunRunner("--allow-changes \"" + script.path + "\"");
    EXPECT_EQ(replay.status, 0u) << replay.out;
    EXPECT_EQ(Comparable(replay.out), Comparable(copied)) << replay.out;
    EXPECT_EQ(file.size(), 34);
}

}  // namespace
}  // namespace guitest
