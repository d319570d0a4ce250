// Open and close through the real window: boxes typed into, buttons pressed, lines read back.
#include "MainWindowFixture.h"

#include <regex>

namespace guitest {
namespace {

constexpr COLORREF kRed = RGB(255, 0, 0);

TEST_F(MainWindow, OpenThenCloseThenCloseAgain) {
    TempFile file("hb-gui-open.txt", "handlebench");
    open(file.path, "0x80000000");
    EXPECT_EQ(text("lblResult"), "CreateFile success");
    const std::string handle = text("lblHandle");
    EXPECT_TRUE(std::regex_match(handle, std::regex("0x[1-9A-F][0-9A-F]*"))) << handle;
    EXPECT_NE(handle, "0xFFFFFFFF");
    EXPECT_FALSE(IsWindowEnabled(item("cmdCreateFile")));
    EXPECT_EQ(textColor("lblHandle"), GetSysColor(COLOR_BTNTEXT));

    for (const char* line : {"CloseHandle res=1", "CloseHandle Err=6  (INVALID_HANDLE)"}) {
        press("cmdCloseHandle");
        EXPECT_EQ(text("lblResult"), line);
        EXPECT_EQ(text("lblHandle"), handle);
        EXPECT_EQ(textColor("lblHandle"), kRed);
        EXPECT_TRUE(IsWindowEnabled(item("cmdCreateFile")));
    }
}

// In this order, in one window: the first makes no call, so the handle keeps its start value.
TEST_F(MainWindow, FailedOpensShowTheErrorLine) {
    TempFile file("hb-gui-failed.txt", "handlebench");
    const struct {
        std::string name;
        const char *access, *result, *handle;
        int creation;
    } rows[] = {
        {file.path, "0xZZ", "CreateFile Err: Access is not a hexadecimal number", "0x0", 3},
        {file.path + ".missing", "0x80000000", "CreateFile res=-1 Err=2  (FILE_NOT_FOUND)",
         "0xFFFFFFFF", 3},
        {file.path, "0x80000000", "CreateFile res=-1 Err=87  (INVALID_PARAMETER)", "0xFFFFFFFF", 0},
    };
    for (const auto& r : rows) {
        type("cboFileName", r.name);
        type("txtAccess", r.access);
        select("cboCreation", r.creation);
        press("cmdCreateFile");
        EXPECT_EQ(text("lblResult"), r.result);
        EXPECT_EQ(text("lblHandle"), r.handle);
        EXPECT_EQ(textColor("lblHandle"),
                  std::string(r.handle) == "0x0" ? GetSysColor(COLOR_BTNTEXT) : kRed);
        EXPECT_TRUE(IsWindowEnabled(item("cmdCreateFile")));
    }
}

}  // namespace
}  // namespace guitest
