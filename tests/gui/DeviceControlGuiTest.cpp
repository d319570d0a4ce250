// The request buttons in the real window against the real kernel32, one of each kind: with no
// handle, a decoded answer, and answers that are only a result. Their lines are the one runner's,
// tested on the simulated machine; what Wine answers is stated here where no other test says it.
#include "MainWindowFixture.h"

#include <string>
#include <utility>

namespace guitest {
namespace {

TEST_F(MainWindow, RequestButtonsWithNoHandleAndOnAVolume) {
    if (!sys::RunningUnderWine()) GTEST_SKIP() << "the lines are Wine's";
    press("cmdGetDiskGeo");
    EXPECT_EQ(text("lblResult"), "GetDiskGeo res=0  Err=6  (INVALID_HANDLE)");
    // Wine answers a mounted test on no handle (Windows: 6), leaving a stale byte count.
    press("cmdIsMounted");
    EXPECT_EQ(text("lblResult").rfind("IsMounted res=1 dwBytesRet=", 0), 0u) << text("lblResult");

    open("\\\\.\\C:", "0xC0000000");
    ASSERT_EQ(text("lblResult"), "CreateFile success");
    const std::string handle = text("lblHandle");
    press("cmdGetDiskGeo");
    EXPECT_EQ(text("lblResult"),
              "res=1 Cy=10000 TrPerCy=255 SecPerTr=63 BytesPerSec=512 MType=12 -> Size=82252800000 "
              "Bytes");
    // A request Wine refuses, and one whose dialog does not open after its read is refused.
    for (const char* button : {"cmdIsDirty", "cmdVolSetGptAttr"}) {
        press(button);
        EXPECT_EQ(text("lblResult").substr(text("lblResult").find(' ') + 1),
                  "res=0  Err=50  (NOT_SUPPORTED)")
            << button;
    }
    EXPECT_EQ(text("lblHandle"), handle);
    Screenshot(hwnd, "device-controls");
}

}  // namespace
}  // namespace guitest
