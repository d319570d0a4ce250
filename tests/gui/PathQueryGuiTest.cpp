// The path-query buttons in the real window, with paths typed into the real cboFileName: one line
// of each kind. The lines are tested on the simulated machine, what kernel32 answers in the
// conformance table; here the window's box reaches the call and the line reaches the window.
#include "MainWindowFixture.h"

#include <string>

namespace guitest {
namespace {

TEST_F(MainWindow, PathQueriesAskForThePathInTheBox) {
    if (!sys::RunningUnderWine()) GTEST_SKIP() << "the lines are Wine's";
    const struct {
        const char *button, *path, *line;
    } rows[] = {
        {"cmdGetDriveType", "C:\\", "GetDriveType  res=DRIVE_FIXED"},
        {"cmdGetVolumeInfo", "C:\\", "res=1 Name= Ser=43000000 FsFlags=A FsName=NTFS"},
        {"cmdGetFileAttributes", "Z:\\",
         "GetFileAttributes  Attribs=0x410  (DIRECTORY, REPARSE_POINT)"},
        {"cmdGetVolumePathName", "", "GetVolumePathName Err=87  (INVALID_PARAMETER)"},
    };
    for (const auto& r : rows) {
        type("cboFileName", r.path);
        press(r.button);
        EXPECT_EQ(text("lblResult"), r.line) << r.button << " " << r.path;
    }
    Screenshot(hwnd, "path-queries");
}

TEST_F(MainWindow, ThePathGoesOutAsTheBytesOfTheBox) {
    if (GetACP() != 1252) GTEST_SKIP() << "needs code page 1252";
    // "café" made through the ANSI call with the same bytes that are then typed.
    char temp[MAX_PATH];
    ASSERT_GT(GetTempPathA(MAX_PATH, temp), 0u);
    const std::string path = std::string(temp) + "hb-gui-caf\xE9.txt";
    CloseHandle(CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr));
    type("cboFileName", path);
    press("cmdGetFileAttributes");
    EXPECT_EQ(text("lblResult"), "GetFileAttributes  Attribs=0x20  (ARCHIVE)");
    EXPECT_EQ(text("cboFileName"), path);
    EXPECT_TRUE(DeleteFileA(path.c_str()));
}

}  // namespace
}  // namespace guitest
