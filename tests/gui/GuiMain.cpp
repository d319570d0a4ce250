// Entry of the GUI suite. Under Wine a program that cannot start can still exit 0, so the run
// counts what it ran and fails when nothing did.
#include <windows.h>

#include <commctrl.h>
#include <gtest/gtest.h>

#include <cstdio>

int main(int argc, char** argv) {
    INITCOMMONCONTROLSEX icc{};
    icc.dwSize = sizeof icc;
    icc.dwICC = ICC_LISTVIEW_CLASSES | ICC_STANDARD_CLASSES | ICC_WIN95_CLASSES;
    InitCommonControlsEx(&icc);

    ::testing::InitGoogleTest(&argc, argv);
    int rc = RUN_ALL_TESTS();
    const auto& u = *::testing::UnitTest::GetInstance();
    int ran = u.test_to_run_count();
    int failed = u.failed_test_count();
    std::printf("%d tests run\n%d passed, %d failed\n", ran, u.successful_test_count(), failed);
    std::fflush(stdout);
    return (rc != 0 || ran == 0 || failed != 0) ? 1 : 0;
}
