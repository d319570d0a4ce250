// A path typed into the real cboFileName reaches the call as its bytes, and the line the window.
// The lines are tested on the simulated machine, what kernel32 answers in the conformance table.
#include "MainWindowFixture.h"

#include <string>

namespace guitest {
namespace {

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
