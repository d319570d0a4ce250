// The toolkit's own behaviour on real windows, with small forms of the tests' own: modal shows,
// default and cancel buttons, check lists, virtual lists, the pointer, the command line.
#include "MainWindowFixture.h"

#include <commctrl.h>

#include <cstdlib>

namespace guitest {
namespace {

using ui::Kind;

const std::vector<ui::ControlSpec>& HostTable() {
    static const std::vector<ui::ControlSpec> t = {
        {"txt", -1, Kind::TextBox, "host", {120, 120, 2000, 315}},
        {"lines", -1, Kind::VirtualList, "", {120, 600, 3000, 2000}},
        {"cmdOpen", -1, Kind::Button, "&Open", {120, 2800, 1200, 405}},
    };
    return t;
}

const std::vector<ui::ControlSpec>& DialogTable() {
    static const std::vector<ui::ControlSpec> t = {
        {"lst", -1, Kind::CheckList, "", {120, 120, 3000, 2000}},
        {"lblCount", -1, Kind::Label, "0", {120, 2200, 1000, 255}},
        {"cmdOK", -1, Kind::Button, "OK", {120, 2600, 1200, 405}},
        {"cmdCancel", -1, Kind::Button, "Cancel", {1500, 2600, 1200, 405}},
    };
    return t;
}

struct Dialog : ui::Form {
    explicit Dialog(ui::Toolkit& kit) : ui::Form(kit, "dlg", "Dialog", 3400, 3200, DialogTable()) {
        for (const char* s : {"alpha", "beta", "gamma"}) ctl("lst").addItem(s);
        ctl("lst").onClick = [this] {
            int n = 0;
            for (int i = 0; i < 3; ++i) n += ctl("lst").checked(i) ? 1 : 0;
            ctl("lblCount").setText(std::to_string(n));
            ++clicks;
        };
        ctl("cmdOK").onClick = [this] {
            result = "ok";
            hide();
        };
        ctl("cmdCancel").onClick = [this] {
            result = "cancel";
            hide();
        };
    }
    void Form_Load() override {
        defaultButton = &ctl("cmdOK");
        cancelButton = &ctl("cmdCancel");
    }
    std::string result;
    int clicks = 0;
};

class Toolkit : public ::testing::Test {
protected:
    void SetUp() override {
        host.load();
        host.show(false);
        hostWindow = kit.window(host);
    }
    // Runs `step` from inside the next modal loop, once the dialog is up.
    static void DuringModal(std::function<void()> step) {
        pending() = std::move(step);
        SetTimer(nullptr, 0, 10, RunPending);
    }
    static void CALLBACK RunPending(HWND, UINT, UINT_PTR id, DWORD) {
        KillTimer(nullptr, id);
        auto step = std::move(pending());
        if (step) step();
    }
    static std::function<void()>& pending() {
        static std::function<void()> p;
        return p;
    }
    // A key as the message loop gets it.
    void key(HWND to, WPARAM vk) {
        MSG m{};
        m.hwnd = to;
        m.message = WM_KEYDOWN;
        m.wParam = vk;
        m.lParam = 1;
        kit.dispatch(m);
    }

    ui::Win32Toolkit kit;
    ui::Form host{kit, "host", "Host", 4000, 3600, HostTable()};
    HWND hostWindow = nullptr;
};

TEST_F(Toolkit, ModalShowDisablesTheOwnerUntilTheDialogIsHidden) {
    Dialog dlg(kit);
    dlg.load();
    bool ownerEnabledDuring = true;
    DuringModal([&] {
        ownerEnabledDuring = IsWindowEnabled(hostWindow) != 0;
        SendMessageA(GetDlgItem(kit.window(dlg), dlg.ctl("cmdOK").id()), BM_CLICK, 0, 0);
    });
    dlg.show(true);  // returns once OK hid it
    EXPECT_FALSE(ownerEnabledDuring);
    EXPECT_TRUE(IsWindowEnabled(hostWindow));
    EXPECT_FALSE(IsWindowVisible(kit.window(dlg)));
    EXPECT_EQ(dlg.result, "ok");
}

TEST_F(Toolkit, EnterPressesTheDefaultButtonEscapeTheCancelButton) {
    Dialog dlg(kit);
    dlg.load();
    HWND lst = GetDlgItem(kit.window(dlg), dlg.ctl("lst").id());
    for (auto [vk, expected] : {std::pair{VK_RETURN, "ok"}, std::pair{VK_ESCAPE, "cancel"}}) {
        dlg.result.clear();
        DuringModal([&, vk = vk] {
            SetFocus(lst);
            key(lst, vk);
        });
        dlg.show(true);
        EXPECT_EQ(dlg.result, expected);
    }
    EXPECT_EQ(GetWindowLongA(GetDlgItem(kit.window(dlg), dlg.ctl("cmdOK").id()), GWL_STYLE) &
                  BS_TYPEMASK,
              BS_DEFPUSHBUTTON);
}

TEST_F(Toolkit, CheckMarksGoBothWaysWithoutEchoes) {
    Dialog dlg(kit);
    dlg.load();
    HWND lst = GetDlgItem(kit.window(dlg), dlg.ctl("lst").id());
    ASSERT_EQ(ListView_GetItemCount(lst), 3);

    // The program checks an item: the window shows it, and onClick runs once (not twice).
    dlg.ctl("lst").setChecked(1, true);
    EXPECT_TRUE(ListView_GetCheckState(lst, 1));
    EXPECT_EQ(dlg.clicks, 1);

    // The user checks an item: the control learns it before onClick runs.
    ListView_SetCheckState(lst, 2, TRUE);
    EXPECT_TRUE(dlg.ctl("lst").checked(2));
    EXPECT_EQ(dlg.clicks, 2);
    EXPECT_EQ(TextOf(GetDlgItem(kit.window(dlg), dlg.ctl("lblCount").id())), "2");

    ListView_SetCheckState(lst, 1, FALSE);
    EXPECT_FALSE(dlg.ctl("lst").checked(1));
    EXPECT_EQ(dlg.ctl("lblCount").text(), "1");
}

TEST_F(Toolkit, VirtualListAsksOnlyForTheLinesItShows) {
    int asked = 0;
    ui::Control& lines = host.ctl("lines");
    lines.setVirtual(1000000, [&](std::size_t i) {
        ++asked;
        return "line " + std::to_string(i);
    });
    HWND lv = kit.window(lines);
    EXPECT_EQ(SendMessageA(lv, LVM_GETITEMCOUNT, 0, 0), 1000000);
    UpdateWindow(hostWindow);
    kit.pumpPending();
    EXPECT_LT(asked, 1000);

    // What a screen reader does: ask for one line's text.
    char buf[64] = "";
    LVITEMA it{};
    it.iSubItem = 0;
    it.pszText = buf;
    it.cchTextMax = sizeof buf;
    SendMessageA(lv, LVM_GETITEMTEXTA, 777777, reinterpret_cast<LPARAM>(&it));
    EXPECT_STREQ(buf, "line 777777");

    lines.clear();
    EXPECT_EQ(SendMessageA(lv, LVM_GETITEMCOUNT, 0, 0), 0);
}

TEST_F(Toolkit, HourglassShowsOverTheProgramsWindowsUntilReset) {
    HWND txt = kit.window(host.ctl("txt"));
    auto cursorOver = [&](HWND h) {
        SetCursor(nullptr);
        SendMessageA(h, WM_SETCURSOR, reinterpret_cast<WPARAM>(h),
                     MAKELPARAM(HTCLIENT, WM_MOUSEMOVE));
        return GetCursor();
    };
    HCURSOR wait = LoadCursorA(nullptr, reinterpret_cast<LPCSTR>(IDC_WAIT));
    kit.setMousePointer(ui::kPointerHourglass);
    EXPECT_EQ(cursorOver(txt), wait);
    EXPECT_EQ(cursorOver(hostWindow), wait);
    kit.setMousePointer(ui::kPointerDefault);
    EXPECT_NE(cursorOver(txt), wait);
}

TEST_F(Toolkit, ProgramChangesOfATextRaiseNoEventAndUserEditsReachTheControl) {
    ui::Control& txt = host.ctl("txt");
    HWND h = kit.window(txt);
    txt.setText("from program");
    EXPECT_EQ(TextOf(h), "from program");
    SendMessageA(h, WM_SETTEXT, 0, reinterpret_cast<LPARAM>("typed"));
    EXPECT_EQ(txt.text(), "typed");
}

TEST_F(Toolkit, ClipboardTakesTheText) {
    ASSERT_TRUE(kit.clipboardClear());
    ASSERT_TRUE(kit.clipboardSetText("CloseHandle res=1"));
    ASSERT_TRUE(OpenClipboard(nullptr));
    HANDLE data = GetClipboardData(CF_TEXT);
    std::string got = data ? static_cast<const char*>(GlobalLock(data)) : "";
    if (data) GlobalUnlock(data);
    CloseClipboard();
    EXPECT_EQ(got, "CloseHandle res=1");
}

struct CommandLine {
    const char* line;
    const char* arguments;
};

class CommandLines : public ::testing::TestWithParam<CommandLine> {};

TEST_P(CommandLines, ArgumentsAreWhatFollowsTheProgramName) {
    EXPECT_EQ(ui::CommandLineArguments(GetParam().line), GetParam().arguments);
}

INSTANTIATE_TEST_SUITE_P(
    Toolkit, CommandLines,
    ::testing::Values(CommandLine{"handlebench.exe", ""},
                      CommandLine{"handlebench.exe \\\\.\\PhysicalDrive0", "\\\\.\\PhysicalDrive0"},
                      CommandLine{"\"C:\\Program Files\\hb\\handlebench.exe\" C:\\a b.txt",
                                  "C:\\a b.txt"},
                      CommandLine{"\"C:\\x y\\handlebench.exe\"", ""},
                      CommandLine{"\"C:\\x y\\handlebench.exe\"\t  \"quoted\"  ", "\"quoted\"  "},
                      CommandLine{"hb.exe   two  blanks", "two  blanks"},
                      CommandLine{"\"unterminated quote", ""}, CommandLine{"", ""}));

// Not a check: a picture of the real main window for people to look at (HB_SCREENSHOT=path).
TEST_F(MainWindow, SavesAScreenshotWhenAsked) {
    const char* path = std::getenv("HB_SCREENSHOT");
    if (!path || !*path) GTEST_SKIP() << "HB_SCREENSHOT not set";
    ShowWindow(hwnd, SW_SHOWNORMAL);
    SetWindowPos(hwnd, HWND_TOP, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE);
    RedrawWindow(hwnd, nullptr, nullptr,
                 RDW_INVALIDATE | RDW_ERASE | RDW_ALLCHILDREN | RDW_UPDATENOW);
    for (int i = 0; i < 20; ++i) {
        kit.pumpPending();
        Sleep(25);
    }
    EXPECT_TRUE(SaveWindowBitmap(hwnd, path));
}

}  // namespace
}  // namespace guitest
