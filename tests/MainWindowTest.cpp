#include <gtest/gtest.h>

#include <algorithm>
#include <functional>

#include "app/CommandLine.h"
#include "app/FormHelpers.h"
#include "tests/HandlerFixture.h"
#include "ui/Toolkit.h"

namespace {

using MainWindow = HandlerTest;

TEST(MainWindowStart, ResultFontFollowsTheCodePage) {
    for (auto [acp, charset] :
         {std::pair{1251u, 204}, {874u, 222}, {1361u, 130}, {20936u, 134}, {936u, 0}, {1252u, 0}}) {
        ui::Headless tk;
        sys::SimMachine m;
        m.setAcp(acp);
        app::FrmMain frm(tk, m, "");
        frm.load();
        EXPECT_EQ(frm.lblResult.font().charset, charset) << acp;
    }
}

// The retry and the giving up are the Session window's Copy test's; here, the line copied, and
// the pause before the second try.
TEST_F(MainWindow, ResultLineDoubleClickCopiesIt) {
    frm.lblResult.setText("CreateFile success");
    frm.lblResult.dblClick();
    EXPECT_EQ(Count("Sleep"), 0);
    tk.clipboard = "old";
    tk.clipboardBusy = 1;
    frm.lblResult.dblClick();
    EXPECT_EQ(tk.clipboard, "CreateFile success");
    EXPECT_EQ(Count("Sleep"), 1);
}

TEST_F(MainWindow, VersionLabelStandsAsideWhileTheResultLineReachesIt) {
    m.addFile("C:\\v.txt", "v");
    const std::string shortLine = "CloseHandle res=1", longLine(100, 'W');
    const struct {
        const char* what;
        std::function<void()> act;
        bool shown;
    } steps[] = {
        {"short", [&] { frm.SetResult(shortLine); }, true},
        {"long", [&] { frm.SetResult(longLine); }, false},
        {"short again", [&] { frm.SetResultNow(shortLine); }, true},
        {"an open", [&] { Open("C:\\v.txt"); }, false},
        {"short after an open", [&] { frm.SetResult(shortLine); }, false},
    };
    for (const auto& s : steps) {
        s.act();
        EXPECT_EQ(frm.lblAbout.visible(), s.shown) << s.what;
    }
}

TEST(PlaceForm, CentresAndClampsOnlyWithAnOwner) {
    const app::Screen screen{1024, 768, 96, 96};
    // 1024 px = 15360 twips: centred, halves to even.
    EXPECT_EQ(app::PlaceForm(5000, 3001, nullptr, screen).left, 15360 / 2 - 2500);
    EXPECT_EQ(app::PlaceForm(5000, 3001, nullptr, screen).top, 4260);  // 4259.5: halves to even
    const ui::Rect small{100, 50, 2000, 1000};
    const app::Placement p = app::PlaceForm(5000, 4000, &small, screen);
    EXPECT_EQ(p.left, 0);
    EXPECT_EQ(p.top, 0);
    const app::Placement q = app::PlaceForm(20000, 20000, nullptr, screen);
    EXPECT_LT(q.left, 0);  // no clamp without an owner
    const ui::Rect big{3000, 2000, 8000, 6000};
    EXPECT_EQ(app::PlaceForm(4000, 2000, &big, screen).left, 5000);
    EXPECT_EQ(app::PlaceForm(4000, 2000, &big, screen).top, 4000);
}

TEST(GetWindowsDir, TakesTheResultsLength) {
    sys::SimMachine m;
    EXPECT_EQ(app::GetWindowsDir(m), "C:\\windows");
    m.failNext("GetWindowsDirectoryA", 8);
    EXPECT_EQ(app::GetWindowsDir(m), "");
}

}  // namespace

namespace {

TEST(CommandLineArguments, KeepsEverythingAfterTheProgramName) {
    const std::pair<const char*, const char*> rows[] = {
        {"hb.exe", ""},
        {"hb.exe \\\\.\\PhysicalDrive0", "\\\\.\\PhysicalDrive0"},
        {"\"C:\\Program Files\\hb.exe\"  C:\\a b.txt ", "C:\\a b.txt "},
        {"\"C:\\x y\\hb.exe\"\t\"quoted arg\"", "\"quoted arg\""},
        {"\"unterminated", ""},
        {"", ""},
    };
    for (const auto& [line, args] : rows) EXPECT_EQ(app::CommandLineArguments(line), args) << line;
}

}  // namespace
