// Entry of the GUI suite. Under Wine a program that cannot start can still exit 0, so the run
// counts what it ran and fails when nothing did.
#include <windows.h>

#include <commctrl.h>
#include <gtest/gtest.h>

#include <cstdio>

int main(int argc, char** argv) {
    INITCOMMONCONTROLSEX icc{sizeof icc, ICC_WIN95_CLASSES | ICC_STANDARD_CLASSES};
    InitCommonControlsEx(&icc);
    ::testing::InitGoogleTest(&argc, argv);
    const int rc = RUN_ALL_TESTS();
    const auto& u = *::testing::UnitTest::GetInstance();
    std::printf("%d tests run\n%d passed, %d failed\n", u.test_to_run_count(),
                u.successful_test_count(), u.failed_test_count());
    std::fflush(stdout);
    return (rc != 0 || u.test_to_run_count() == 0 || u.failed_test_count() != 0) ? 1 : 0;
}
