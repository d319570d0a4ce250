// The two pickers in the real window: opened by their "..." buttons, driven through list-view
// and button messages while their modal loop runs, read back from the main window's controls.
// Our headers first: <windows.h> turns names such as GENERIC_READ into macros.
#include "open/Pickers.h"
#include "tests/gui/MainWindowFixture.h"

#include <windows.h>

#include <commctrl.h>

#include <cstdlib>
#include <functional>
#include <string>
#include <vector>

namespace {

using guitest::TextOf;

// What to do once the dialog is up. A press of "..." only returns when the dialog is hidden,
// so the script runs from a thread timer, which the dialog's own message loop dispatches.
struct DialogScript {
    std::string title;
    std::function<void(HWND dialog)> act;
    bool ran = false;
    HWND dialog = nullptr;
    int ticks = 0;
};
DialogScript* g_script = nullptr;

void CALLBACK OnTick(HWND, UINT, UINT_PTR id, DWORD) {
    DialogScript& s = *g_script;
    if (s.ran) {
        // Posted keys act later, in the dialog's loop; a dialog that never goes would block the
        // test for ever.
        if (!IsWindowVisible(s.dialog)) {
            KillTimer(nullptr, id);
        } else if (++s.ticks > 60) {
            KillTimer(nullptr, id);
            ADD_FAILURE() << s.title << " still shown after its script";
            SendMessageA(s.dialog, WM_CLOSE, 0, 0);
        }
        return;
    }
    HWND dlg = FindWindowA(nullptr, s.title.c_str());
    DWORD pid = 0;
    if (dlg) GetWindowThreadProcessId(dlg, &pid);
    if (dlg && pid == GetCurrentProcessId() && IsWindowVisible(dlg)) {
        s.ran = true;
        s.dialog = dlg;
        s.ticks = 0;
        s.act(dlg);
        return;
    }
    if (++s.ticks > 200) KillTimer(nullptr, id);
}

HWND ListOf(HWND dlg) { return FindWindowExA(dlg, nullptr, WC_LISTVIEWA, nullptr); }
HWND ButtonOf(HWND dlg, const char* caption) {
    return FindWindowExA(dlg, nullptr, "Button", caption);
}

void SetCheck(HWND list, int item, bool on) {
    LVITEMA it{};
    it.stateMask = LVIS_STATEIMAGEMASK;
    it.state = INDEXTOSTATEIMAGEMASK(on ? 2 : 1);
    SendMessageA(list, LVM_SETITEMSTATE, static_cast<WPARAM>(item), reinterpret_cast<LPARAM>(&it));
}

std::vector<int> CheckedItems(HWND list) {
    std::vector<int> items;
    const int n = static_cast<int>(SendMessageA(list, LVM_GETITEMCOUNT, 0, 0));
    for (int i = 0; i < n; ++i) {
        const auto state = static_cast<UINT>(
            SendMessageA(list, LVM_GETITEMSTATE, static_cast<WPARAM>(i), LVIS_STATEIMAGEMASK));
        if (state == INDEXTOSTATEIMAGEMASK(2)) items.push_back(i);
    }
    return items;
}

std::string ItemText(HWND list, int item) {
    char buf[128] = "";
    LVITEMA it{};
    it.iSubItem = 0;
    it.pszText = buf;
    it.cchTextMax = sizeof buf;
    SendMessageA(list, LVM_GETITEMTEXTA, static_cast<WPARAM>(item), reinterpret_cast<LPARAM>(&it));
    return buf;
}

// Keys go through the dialog's message loop, as typed keys do.
void PostKey(HWND target, WPARAM key) {
    PostMessageA(target, WM_KEYDOWN, key, 1);
    PostMessageA(target, WM_KEYUP, key, 0xC0000001);
}

void Screenshot(HWND dlg, const char* name) {
    const char* dir = std::getenv("HB_SCREENSHOT_DIR");
    if (dir == nullptr || *dir == '\0') return;
    UpdateWindow(dlg);
    EXPECT_TRUE(guitest::SaveWindowBitmap(dlg, std::string(dir) + "\\" + name + ".bmp"));
}

class PickersGui : public guitest::MainWindow {
protected:
    // Presses the "..." button and lets act drive the dialog; returns once it is hidden.
    void Open(const char* button, const char* title, std::function<void(HWND)> act) {
        DialogScript s{title, std::move(act)};
        g_script = &s;
        const UINT_PTR timer = SetTimer(nullptr, 0, 50, OnTick);
        press(button);
        KillTimer(nullptr, timer);
        g_script = nullptr;
        EXPECT_TRUE(s.ran) << title << " never showed";
        EXPECT_TRUE(IsWindowEnabled(hwnd)) << "main window left disabled";
    }
    std::string ValueShown(HWND dlg, const app::PickerForm& p) {
        return TextOf(GetDlgItem(dlg, p.lblValue.id()));
    }
};

TEST_F(PickersGui, AccessPickerOkCancelAndReopen) {
    type("txtAccess", "0x00000000");
    Open("cmdAccess", "dwDesiredAccess", [&](HWND dlg) {
        HWND list = ListOf(dlg);
        ASSERT_NE(list, nullptr);
        EXPECT_EQ(SendMessageA(list, LVM_GETITEMCOUNT, 0, 0), 21);
        EXPECT_EQ(ItemText(list, 6), "FILE_TRAVERSE                  0x0020");
        EXPECT_EQ(CheckedItems(list), std::vector<int>{});
        SetCheck(list, 17, true);  // GENERIC_READ
        SetCheck(list, 18, true);  // GENERIC_WRITE
        EXPECT_EQ(ValueShown(dlg, *frm->frmAccess), "0xC0000000");
        Screenshot(dlg, "frmAccess");
        SendMessageA(ButtonOf(dlg, "OK"), BM_CLICK, 0, 0);
    });
    EXPECT_EQ(text("txtAccess"), "0xC0000000");
    EXPECT_EQ(text("lblAccessName"), "GENERIC_READ | GENERIC_WRITE");

    // Cancel changes nothing on the main window but keeps the marks.
    Open("cmdAccess", "dwDesiredAccess", [&](HWND dlg) {
        HWND list = ListOf(dlg);
        EXPECT_EQ(CheckedItems(list), (std::vector<int>{17, 18}));
        SetCheck(list, 18, false);
        SetCheck(list, 0, true);
        SendMessageA(ButtonOf(dlg, "Cancel"), BM_CLICK, 0, 0);
    });
    EXPECT_EQ(text("txtAccess"), "0xC0000000");
    EXPECT_EQ(text("lblAccessName"), "GENERIC_READ | GENERIC_WRITE");

    // Reopened with the box at 0x20: the kept marks plus both items of the shared bit; Enter
    // presses OK.
    type("txtAccess", "0x20");
    Open("cmdAccess", "dwDesiredAccess", [&](HWND dlg) {
        HWND list = ListOf(dlg);
        EXPECT_EQ(CheckedItems(list), (std::vector<int>{0, 5, 6, 17}));
        EXPECT_EQ(ValueShown(dlg, *frm->frmAccess), "0x80000021");
        PostKey(list, VK_RETURN);
    });
    EXPECT_EQ(text("txtAccess"), "0x80000021");
    EXPECT_EQ(text("lblAccessName"), "FILE_READ_DATA | FILE_EXECUTE | FILE_TRAVERSE | GENERIC_READ");
}

TEST_F(PickersGui, AccessCloseBoxActsAsCancelAndLongNamesShrink) {
    HWND dialog = nullptr;
    Open("cmdAccess", "dwDesiredAccess", [&](HWND dlg) {
        dialog = dlg;
        SetCheck(ListOf(dlg), 10, true);  // DELETE
        SendMessageA(dlg, WM_SYSCOMMAND, SC_CLOSE, 0);
    });
    EXPECT_TRUE(IsWindow(dialog));  // hidden, not destroyed
    EXPECT_EQ(text("txtAccess"), "0x00000000");
    EXPECT_EQ(text("lblAccessName"), "---");

    Open("cmdAccess", "dwDesiredAccess", [&](HWND dlg) {
        EXPECT_EQ(dlg, dialog);
        HWND list = ListOf(dlg);
        EXPECT_EQ(CheckedItems(list), std::vector<int>{10});
        for (int i = 0; i < 21; ++i) SetCheck(list, i, true);
        PostKey(list, VK_RETURN);
    });
    EXPECT_EQ(text("txtAccess"), "0xF31F01FF");
    // Every name is too long for the label even at 6.75 pt: it shows them at 5 pt.
    EXPECT_EQ(frm->lblAccessName.font().size, 5);
    LOGFONTA lf{};
    auto font = reinterpret_cast<HFONT>(SendMessageA(item("lblAccessName"), WM_GETFONT, 0, 0));
    ASSERT_NE(font, nullptr);
    GetObjectA(font, sizeof lf, &lf);
    EXPECT_EQ(std::abs(lf.lfHeight), MulDiv(5, dpi(), 72));
}

TEST_F(PickersGui, FlagsPickerOkCancelAndReopen) {
    type("txtFlagsAndAttibutes", "0x00000000");
    Open("cmdFlagsAndAttributesList", "dwFlagsAndAttributes", [&](HWND dlg) {
        HWND list = ListOf(dlg);
        ASSERT_NE(list, nullptr);
        EXPECT_EQ(SendMessageA(list, LVM_GETITEMCOUNT, 0, 0), 24);
        EXPECT_EQ(ItemText(list, 12), "FILE_ATTRIBUTE_NOT_CONTENT_INDEXED  0x00002000");
        SetCheck(list, 16, true);  // FILE_FLAG_NO_BUFFERING
        SetCheck(list, 14, true);  // FILE_FLAG_WRITE_THROUGH
        EXPECT_EQ(ValueShown(dlg, *frm->frmFlagsAndAttributes), "0xA0000000");
        Screenshot(dlg, "frmFlagsAndAttributes");
        SendMessageA(ButtonOf(dlg, "OK"), BM_CLICK, 0, 0);
    });
    EXPECT_EQ(text("txtFlagsAndAttibutes"), "0xA0000000");

    // Escape cancels; the mark made before it stays.
    Open("cmdFlagsAndAttributesList", "dwFlagsAndAttributes", [&](HWND dlg) {
        HWND list = ListOf(dlg);
        SetCheck(list, 0, true);
        PostKey(list, VK_ESCAPE);
    });
    EXPECT_EQ(text("txtFlagsAndAttibutes"), "0xA0000000");

    type("txtFlagsAndAttibutes", "0x02000080");
    Open("cmdFlagsAndAttributesList", "dwFlagsAndAttributes", [&](HWND dlg) {
        EXPECT_EQ(CheckedItems(ListOf(dlg)), (std::vector<int>{0, 6, 14, 16, 20}));
        SendMessageA(ButtonOf(dlg, "OK"), BM_CLICK, 0, 0);
    });
    EXPECT_EQ(text("txtFlagsAndAttibutes"), "0xA2000081");
}

}  // namespace
