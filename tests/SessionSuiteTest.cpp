// hbrun's suites on the simulated machine: tests/suite holds a passing, a failing and a broken
// script with the golden transcripts of the two that run.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <regex>
#include <sstream>

#include "session/Suite.h"
#include "sys/SimMachine.h"

namespace {

namespace fs = std::filesystem;

struct SuiteRun {
    int status;
    std::string out, err;
};

class Suite : public ::testing::Test {
  protected:
    SuiteRun Run(std::vector<std::string> paths, session::SuiteOptions suite = {},
                 session::RunOptions options = {}) {
        std::ostringstream out, err;
        const int status = session::RunSuite(paths, m, options, suite, out, err);
        // Times differ from run to run.
        return {status, std::regex_replace(out.str(), std::regex(R"(\d+\.\d\d s\))"), "T s)"),
                err.str()};
    }
    // A copy of tests/suite to change.
    fs::path Copy() {
        const fs::path to = fs::temp_directory_path() /
                            (std::string("hbsuite-") +
                             ::testing::UnitTest::GetInstance()->current_test_info()->name());
        fs::remove_all(to);
        fs::copy(HB_TEST_SUITE, to);
        return to;
    }
    static void Write(const fs::path& p, const std::string& text) {
        std::ofstream(p, std::ios::binary) << text;
    }
    static std::string Read(const fs::path& p) {
        std::ifstream f(p, std::ios::binary);
        return {std::istreambuf_iterator<char>(f), {}};
    }
    sys::SimMachine m;
};

const char* const kSummary =
    "PASS  drive.hbs  (1 press, T s)\n"
    "FAIL  no-handle.hbs  line 3: expect GetFileType res=1*, got GetFileType Err=6  "
    "(INVALID_HANDLE)\n"
    "ERROR typo.hbs  line 2: the main window has no button 'NoSuchButton'\n"
    "3 scripts: 1 passed, 1 failed, 1 error\n";

TEST_F(Suite, EachScriptOnAFreshWindowThenALinePerScriptAndTheTotal) {
    const SuiteRun r = Run({HB_TEST_SUITE});
    EXPECT_EQ(r.status, session::kRunScriptError);
    EXPECT_NE(r.out.find("# == typo.hbs\nline 2: the main window has no button 'NoSuchButton'\n" +
                         std::string(kSummary)),
              std::string::npos)
        << r.out;
    // Without the broken one: a failure is 1; the passing one alone, 0.
    const std::string dir = HB_TEST_SUITE;
    EXPECT_EQ(Run({dir + "/drive.hbs", dir + "/no-handle.hbs"}).status, session::kRunExpectFailed);
    EXPECT_EQ(Run({dir + "/drive.hbs"}, {.junit = ""}).status, session::kRunPassed);
    // A handle left open by one script is not the next one's.
    const fs::path d = Copy();
    Write(d / "a.hbs", "FileName: C:\\\nAccess: 0x0\nFlagsAndAttributes: 0x02000000\npress CreateFile\n");
    Write(d / "b.hbs", "press GetFileType\nexpect GetFileType Err=6  (INVALID_HANDLE)\n");
    fs::remove(d / "typo.hbs");
    fs::remove(d / "no-handle.hbs");
    EXPECT_EQ(Run({d.string()}).status, session::kRunPassed) << Run({d.string()}).out;
    fs::remove_all(d);
}

TEST_F(Suite, OneChangingScriptWithoutAllowChangesAndNothingRuns) {
    const fs::path d = Copy();
    fs::remove(d / "typo.hbs");
    Write(d / "write.hbs", "FileName: C:\\w.bin\nCreation: CREATE_NEW\npress CreateFile\n");
    m.clearCalls();
    const SuiteRun r = Run({d.string()});
    EXPECT_EQ(r.status, session::kRunScriptError);
    EXPECT_TRUE(m.calls().empty());
    EXPECT_NE(r.out.find("SKIP  drive.hbs  not run: another script changes data or a device's state\n"
                         "SKIP  no-handle.hbs  not run: another script changes data or a device's "
                         "state\n"
                         "ERROR write.hbs  line 3: press CreateFile changes data or a device's "
                         "state; nothing was run (--allow-changes runs it)\n"
                         "3 scripts: 0 passed, 0 failed, 1 error, 2 not run\n"),
              std::string::npos)
        << r.out;
    EXPECT_EQ(Run({d.string()}, {}, {.dryRun = true}).status, session::kRunPassed);
    EXPECT_TRUE(m.calls().empty());
    EXPECT_EQ(Run({d.string()}, {}, {.allowChanges = true}).status, session::kRunExpectFailed);
    EXPECT_TRUE(m.exists("C:\\w.bin"));
    fs::remove_all(d);
}

TEST_F(Suite, GoldenTranscriptsJudgeTheRunAndAreWrittenOnlyWhenAsked) {
    EXPECT_EQ(Run({HB_TEST_SUITE}, {.golden = true}).out.find("FAIL"), std::string::npos);
    const fs::path d = Copy();
    fs::remove(d / "typo.hbs");
    // A golden that wants another line, and a handle value that is never compared.
    std::string golden = Read(d / "drive.out");
    golden.replace(golden.find("DRIVE_FIXED"), 11, "DRIVE_REMOTE");
    Write(d / "drive.out", "# lblHandle: 0x1234\n" + golden);
    SuiteRun r = Run({d.string()}, {.golden = true});
    EXPECT_EQ(r.status, session::kRunExpectFailed);
    EXPECT_NE(r.out.find("--- drive.out\n+++ drive.hbs (this run)\n@@ -1,4 +1,4 @@\n FileName: C:\\\n"
                         " press GetDriveType\n-expect GetDriveType  res=DRIVE_REMOTE\n"
                         "+expect GetDriveType  res=DRIVE_FIXED\n exit 0\n"),
              std::string::npos)
        << r.out;
    EXPECT_NE(r.out.find("FAIL  drive.hbs  differs from drive.out\nPASS  no-handle.hbs"),
              std::string::npos);
    // Updating writes what differs, and then the goldens hold.
    fs::remove(d / "no-handle.out");
    const auto kept = fs::last_write_time(d / "no-handle.hbs");
    r = Run({d.string()}, {.updateGolden = true});
    EXPECT_EQ(r.err, "hbrun: wrote " + (d / "drive.out").string() + "\nhbrun: wrote " +
                         (d / "no-handle.out").string() + "\n");
    EXPECT_EQ(Read(d / "drive.out"), Read(fs::path(HB_TEST_SUITE) / "drive.out"));
    EXPECT_EQ(fs::last_write_time(d / "no-handle.hbs"), kept);
    EXPECT_EQ(Run({d.string()}, {.golden = true}).status, session::kRunPassed);
    fs::remove_all(d);
}

TEST_F(Suite, JUnitHasACaseForEveryScript) {
    const fs::path xml = fs::temp_directory_path() / "hbsuite-junit.xml";
    Run({HB_TEST_SUITE}, {.junit = xml.string()});
    const std::string text = Read(xml);
    for (const char* part :
         {"<testsuite name=\"hbrun\" tests=\"3\" failures=\"1\" errors=\"1\" skipped=\"0\"",
          "<testcase classname=\"hbrun\" name=\"drive.hbs\"",
          "<failure message=\"line 3: expect GetFileType res=1*, got GetFileType Err=6  "
          "(INVALID_HANDLE)\"",
          "<error message=\"line 2: the main window has no button &apos;NoSuchButton&apos;\""})
        EXPECT_NE(text.find(part), std::string::npos) << part << "\n" << text;
    fs::remove(xml);
    std::ostringstream out, err;
    session::SuiteOptions unwritable{.junit = "/no/such/folder/x.xml"};
    EXPECT_EQ(session::RunSuite({std::string(HB_TEST_SUITE) + "/drive.hbs"}, m, {}, unwritable,
                                out, err),
              session::kRunScriptError);
}

TEST(SuiteReports, XmlTextKeepsUtf8AndReplacesWhatXmlCannotHold) {
    const std::pair<std::string, std::string> rows[] = {
        {"a&b<c>\"d'", "a&amp;b&lt;c&gt;&quot;d&apos;"},
        {"tab\tcr\rlf\n", "tab\tcr\rlf\n"},
        {std::string("\x01\x1F\x7F\0", 4), "\xEF\xBF\xBD\xEF\xBF\xBD\xEF\xBF\xBD\xEF\xBF\xBD"},
        {"\xC3\xBC\xE2\x82\xAC\xF0\x9F\x98\x80", "\xC3\xBC\xE2\x82\xAC\xF0\x9F\x98\x80"},
        // Cut, overlong, surrogate, beyond U+10FFFF, a lone continuation, U+FFFF, C1 control.
        {"\xC3", "\xEF\xBF\xBD"},
        {"\xC0\x80", "\xEF\xBF\xBD\xEF\xBF\xBD"},
        {"\xED\xA0\x80", "\xEF\xBF\xBD\xEF\xBF\xBD\xEF\xBF\xBD"},
        {"\xF4\x90\x80\x80", "\xEF\xBF\xBD\xEF\xBF\xBD\xEF\xBF\xBD\xEF\xBF\xBD"},
        {"\x80x", "\xEF\xBF\xBDx"},
        {"\xEF\xBF\xBF", "\xEF\xBF\xBD\xEF\xBF\xBD\xEF\xBF\xBD"},
        {"\xC2\x85", "\xEF\xBF\xBD\xEF\xBF\xBD"},
    };
    for (const auto& [text, xml] : rows) EXPECT_EQ(session::XmlText(text), xml) << text;
}

TEST(SuiteReports, UnifiedDiffHunksWithThreeLinesOfContext) {
    using V = std::vector<std::string>;
    const V ten{"1", "2", "3", "4", "5", "6", "7", "8", "9", "10"};
    V two = ten;  // changes at both ends, far enough apart for two hunks
    two[0] = "one";
    two.push_back("11");
    const std::pair<V, std::string> rows[] = {
        {ten, ""},
        {two,
         "--- a\n+++ b\n@@ -1,4 +1,4 @@\n-1\n+one\n 2\n 3\n 4\n@@ -8,3 +8,4 @@\n 8\n 9\n 10\n+11\n"},
        {V{}, "--- a\n+++ b\n@@ -1,10 +0,0 @@\n-1\n-2\n-3\n-4\n-5\n-6\n-7\n-8\n-9\n-10\n"},
        {V{"1", "2", "3", "4", "x", "5", "6", "7", "8", "9", "10"},
         "--- a\n+++ b\n@@ -2,6 +2,7 @@\n 2\n 3\n 4\n+x\n 5\n 6\n 7\n"},
    };
    for (const auto& [to, diff] : rows) EXPECT_EQ(session::UnifiedDiff(ten, to, "a", "b"), diff);
}

}  // namespace
