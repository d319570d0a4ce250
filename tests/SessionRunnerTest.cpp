// The script runner on the simulated machine: exit statuses, the guard on changing presses, the
// dry run, every dialog outcome, and the scripts under tests/scripts with their transcripts.
#include <gtest/gtest.h>

#include <algorithm>
#include <set>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <sstream>
#include <thread>

#include "app/FrmMain.h"
#include "app/Presses.h"
#include "session/Names.h"
#include "session/Runner.h"
#include "sys/CodePage.h"
#include "sys/Ioctl.h"
#include "sys/SimMachine.h"
#include "ui/Headless.h"

namespace {

using session::RunOptions;

struct Outcome {
    int status;
    std::string out;
};

class Runner : public ::testing::Test {
  protected:
    Outcome Run(const std::string& script, RunOptions options = {}) {
        std::ostringstream out;
        const int status = session::RunScript(script, m, options, out);
        return {status, out.str()};
    }
    // Calls the steps made, the window's start-up left out.
    std::vector<std::string> StepCalls() const {
        std::vector<std::string> calls;
        for (const std::string& c : m.calls())
            if (c != "GetWindowsDirectoryA" && c != "SetCurrentDirectoryA" && c != "GetACP" &&
                c != "SetErrorMode" && c != "GetCurrentProcessId")
                calls.push_back(c);
        return calls;
    }
    sys::SimMachine m;
};

const char* const kOpenVolume =
    "FileName: \\\\.\\C:\n"
    "Access: 0xC0000000\n"
    "FILE_SHARE_READ: checked\n"
    "FILE_SHARE_WRITE: checked\n"
    "press CreateFile\n";

TEST_F(Runner, ExitStatusSaysWhetherEveryExpectHeld) {
    const std::tuple<const char*, int, const char*> rows[] = {
        {"FileName: C:\\\npress GetDriveType\nexpect GetDriveType  res=DRIVE_FIXED\n", 0, ""},
        {"FileName: C:\\\npress GetDriveType\nexpect *FIXED\nexpect GetDriveType*\n", 0, ""},
        // A failed expect is named, and the run goes on.
        {"FileName: C:\\\npress GetDriveType\nexpect *REMOTE\npress GetFileType\n", 1,
         "# line 3: expected '*REMOTE', the window shows 'GetDriveType  res=DRIVE_FIXED'\n"
         "press GetFileType\n"},
        {"press Nothing\n", 2, "line 1: the main window has no button 'Nothing'"},
        {"press CreateFile\nCreation: OPEN_SOMETIMES\n", 2, "line 2: Creation has no item"},
        {"FILE_SHARE_READ: yes\n", 2, "line 1: FILE_SHARE_READ takes checked or unchecked"},
        {"press CreateFile\nflub\n", 2, "line 2: not a step"},
        {"press FILE_SHARE_READ\n", 2, "line 1: FILE_SHARE_READ is not a button"},
        // The disk-attribute values follow the check boxes: a set line would read as a change.
        {"FileName: \\\\.\\C:\npress CreateFile\npress SetDiskAttributes\n  Attributes: 0x3\n"
         "  press Set\n",
         2, "line 4: Attributes only shows a value and cannot be set"},
        {"FileName: \\\\.\\C:\npress CreateFile\npress SetDiskAttributes\n"
         "  Attributes / DISK_ATTRIBUTE_OFLINE: checked\n  press Set\n",
         2, "line 4: the dialog IOCTL_DISK_SET_DISK_ATTRIBUTES has no control "
            "'Attributes / DISK_ATTRIBUTE_OFLINE'"},
    };
    for (const auto& [script, status, text] : rows) {
        m.clearCalls();
        const Outcome o = Run(script);
        EXPECT_EQ(o.status, status) << script << o.out;
        EXPECT_NE(o.out.find(text), std::string::npos) << script << o.out;
        // A script error is found before the first call: not even the window's start-up.
        if (status == 2) {
            EXPECT_TRUE(m.calls().empty()) << script;
        }
    }
}

// The open's own rule, and a guard that holds back the presses before the changing one too.
TEST_F(Runner, ChangingPressesRunOnlyWhenAllowed) {
    const std::tuple<std::string, int> rows[] = {
        {"FileName: C:\\a\nCreation: CREATE_NEW\npress CreateFile\n", 3},
        {"FileName: C:\\a\nCreation: CREATE_ALWAYS\npress CreateFile\n", 3},
        {"FileName: C:\\a\nCreation: OPEN_ALWAYS\npress CreateFile\n", 3},
        {"FileName: C:\\a\nCreation: TRUNCATE_EXISTING\npress CreateFile\n", 3},
        {"FlagsAndAttributes: 0x04000000\npress CreateFile\n", 2},
    };
    for (const auto& [script, line] : rows) {
        m.clearCalls();
        const Outcome o = Run(script);
        EXPECT_EQ(o.status, 2) << script;
        EXPECT_EQ(o.out.rfind("line " + std::to_string(line) + ": press ", 0), 0u) << o.out;
        EXPECT_NE(o.out.find("--allow-changes"), std::string::npos) << o.out;
        EXPECT_TRUE(m.calls().empty()) << script;
    }
}

// Every button of the window has a row that says what it changes; without --allow-changes
// exactly those that change are refused, before any call. The README lists the same ones.
TEST_F(Runner, EveryButtonIsGuardedAsItsRowSays) {
    ui::Headless tk;
    app::FrmMain fresh(tk, m, "");
    fresh.load();
    std::set<std::string> changing;
    for (const session::Target& t : session::Targets(fresh)) {
        if (t.control->kind() != ui::Kind::Button) continue;
        const std::optional<sys::Effect> effect = app::EffectOfPress(fresh, *t.control);
        ASSERT_TRUE(effect.has_value()) << t.name << " has no row";
        if (effect->changes()) changing.insert(t.name);
        m.clearCalls();
        const Outcome o = Run("FileName: C:\\\npress " + t.name + "\n");
        const bool refused = o.out.find("--allow-changes") != std::string::npos;
        EXPECT_EQ(refused, effect->changes()) << t.name << "\n" << o.out;
        if (refused) {
            EXPECT_TRUE(m.calls().empty()) << t.name;
        }
    }
    std::ifstream readme(HB_README);
    const std::string text(std::istreambuf_iterator<char>(readme), {});
    const std::string open = "<!-- changing presses -->", close = "<!-- /changing presses -->";
    const std::size_t from = text.find(open), to = text.find(close);
    ASSERT_TRUE(from != std::string::npos && to != std::string::npos) << "no list in the README";
    std::set<std::string> listed;
    std::istringstream list(text.substr(from + open.size(), to - from - open.size()));
    for (std::string item; std::getline(list, item, ',');) {
        std::istringstream words(item);  // the README wraps its lines anywhere
        std::string name;
        for (std::string w; words >> w;) name += (name.empty() ? "" : " ") + w;
        listed.insert(name);
    }
    EXPECT_EQ(listed, changing);
}

TEST_F(Runner, ACallThatWaitsIsCancelledByTheTimeoutOrByCtrlC) {
    m.addFile("C:\\f.bin", "abc");
    const std::string script = "FileName: C:\\f.bin\npress CreateFile\npress Read\npress GetFileType\n";
    bool stuck = true;  // a call the system does not cancel at first
    session::ThreadWaiter waiter([&] {
        if (!stuck) m.cancelBlocked();
    });
    int gaveUp = 0;
    waiter.giveUpMs = 100;
    waiter.giveUp = [&](session::CallWaiter::Cancelled) { ++gaveUp, stuck = false; };
    waiter.timeoutMs = 1000;
    m.blockNext("ReadFile");
    Outcome o = Run(script, {.waiter = &waiter});
    EXPECT_EQ(o.status, 1) << o.out;
    const std::string cancelled = "press Read\nexpect ReadFile res=0 Err=995  (OPERATION_ABORTED)\n";
    EXPECT_NE(o.out.find(cancelled), std::string::npos) << o.out;
    EXPECT_NE(o.out.find("# line 3: a call was still waiting after 1 s: cancelled\n"),
              std::string::npos) << o.out;
    EXPECT_NE(o.out.find("expect GetFileType res=1"), std::string::npos) << o.out;  // it goes on
    EXPECT_EQ(gaveUp, 1);

    // Ctrl+C: the call cancelled, the transcript up to it, and nothing after.
    waiter.timeoutMs = 0;
    m.blockNext("ReadFile");
    std::thread user([&] {
        if (m.waitUntilBlocked()) waiter.interrupted = true;
    });
    o = Run(script, {.waiter = &waiter});
    user.join();
    EXPECT_EQ(o.status, session::kRunInterrupted) << o.out;
    EXPECT_NE(o.out.find(cancelled), std::string::npos) << o.out;
    EXPECT_NE(o.out.find("# line 3: interrupted (Ctrl+C)"), std::string::npos) << o.out;
    EXPECT_EQ(o.out.find("GetFileType"), std::string::npos) << o.out;
    // Set before a step, it stops the run there.
    o = Run(script, {.waiter = &waiter});
    EXPECT_EQ(o.status, session::kRunInterrupted);
    EXPECT_EQ(o.out, "# line 1: interrupted (Ctrl+C) before this line: the run stops here\n");
}

TEST_F(Runner, ScriptsAreUtf8AndTheSystemGetsItsCodePage) {
    // "ü€" is FC 80 in Windows-1252; a byte-order mark is no part of the first line.
    const Outcome o = Run("\xEF\xBB\xBF" "FileName: C:\\\xC3\xBC\xE2\x82\xAC.txt\n"
                          "Creation: CREATE_NEW\npress CreateFile\n", {.allowChanges = true});
    EXPECT_EQ(o.status, 0) << o.out;
    EXPECT_EQ(o.out.rfind("FileName: C:\\\xC3\xBC\xE2\x82\xAC.txt\n", 0), 0u) << o.out;
    EXPECT_TRUE(m.exists("C:\\\xFC\x80.txt"));
    // What the code page cannot hold, or what is not UTF-8, names its line; nothing is called.
    for (const char* bad : {"\xCE\xA9", "\xC3", "\xC0\x80", "\xED\xA0\x80", "\xF4\x90\x80\x80"}) {
        m.clearCalls();
        const Outcome refused = Run("# ok\nFileName: C:\\" + std::string(bad) + "\n");
        EXPECT_EQ(refused.status, 2) << bad;
        EXPECT_EQ(refused.out, "line 2: not UTF-8, or a character that code page 1252 cannot hold\n");
        EXPECT_TRUE(m.calls().empty());
    }
    // Every byte of the code page goes to UTF-8 and back unchanged.
    std::string every;
    for (int b = 1; b < 256; ++b) every += static_cast<char>(b);
    EXPECT_EQ(sys::Windows1252().FromUtf8(sys::Windows1252().ToUtf8(every)), every);
}

// Whether a dialog opens is the system's to say (the GPT dialog needs its read to succeed): the
// script is run, and the difference makes it fail.
TEST_F(Runner, ADialogWithoutLinesIsClosedAndOneThatDidNotOpenFails) {
    const Outcome unscripted =
        Run(std::string(kOpenVolume) + "press SetDiskAttributes\n", {.allowChanges = true});
    EXPECT_EQ(unscripted.status, 1);
    EXPECT_NE(unscripted.out.find("# line 6: SetDiskAttributes opened a dialog that the script "
                                  "gives no lines for: closed as by its close box"),
              std::string::npos)
        << unscripted.out;
    EXPECT_EQ(m.lastControl().code, sys::ioctl::IOCTL_DISK_GET_DISK_ATTRIBUTES);

    sys::SimMachine fresh;
    std::ostringstream out;
    const int status =
        session::RunScript("press Vol Set GPT Attr\n  GptAttributes: 0x1\n  press OK\n", fresh,
                           {.allowChanges = true}, out);
    EXPECT_EQ(status, 1);
    EXPECT_NE(out.str().find("# line 2: the dialog did not open"), std::string::npos) << out.str();
}

TEST_F(Runner, AQuestionWithoutAnAnswerIsAnsweredNoAndFails) {
    const Outcome o = Run(std::string(kOpenVolume) + "press Write\n", {.allowChanges = true});
    EXPECT_EQ(o.status, 1);
    EXPECT_NE(o.out.find("# line 6: 'Writing ZEROS! Sure?' was asked and the script gives no "
                         "answer: No"),
              std::string::npos)
        << o.out;
    EXPECT_EQ(std::count(m.calls().begin(), m.calls().end(), "WriteFile"), 0);
}

TEST_F(Runner, ADisabledButtonIsNotPressed) {
    const Outcome o = Run(std::string(kOpenVolume) + "press CreateFile\n");
    EXPECT_EQ(o.status, 1);
    EXPECT_NE(o.out.find("# line 6: CreateFile is disabled: not pressed"), std::string::npos);
    EXPECT_EQ(std::count(m.calls().begin(), m.calls().end(), "CreateFileA"), 1);
}

// Each script under tests/scripts with its transcript, one test each. A first line "# hbrun
// FLAGS" gives the flags. A script that passes is its own transcript: after its heading comments
// come the steps with the lines the run prints for them. Any other has a NAME.out, ending in the
// exit status; a transcript that passed replays to itself.
std::vector<std::string> ScriptNames() {
    std::vector<std::string> names;
    for (const auto& entry : std::filesystem::directory_iterator(HB_TEST_SCRIPTS))
        if (entry.path().extension() == ".txt") names.push_back(entry.path().stem().string());
    std::sort(names.begin(), names.end());
    return names;
}

// The transcript of a script that is its own: all but its heading comments.
std::string OwnTranscript(const std::string& script) {
    std::size_t from = 0;
    while (from < script.size() && script[from] == '#')
        from = std::min(script.size(), script.find('\n', from) + 1);
    return script.substr(from) + "exit 0\n";
}

class RunnerTranscript : public ::testing::TestWithParam<std::string> {};

TEST_P(RunnerTranscript, ScriptGivesItsTranscript) {
    const std::filesystem::path base = std::filesystem::path(HB_TEST_SCRIPTS) / GetParam();
    auto read = [](std::filesystem::path p) {
        std::ifstream f(p, std::ios::binary);
        return std::string(std::istreambuf_iterator<char>(f), {});
    };
    const std::string script = read(std::filesystem::path(base).concat(".txt"));
    const std::filesystem::path golden = std::filesystem::path(base).concat(".out");
    const std::string wanted =
        std::filesystem::exists(golden) ? read(golden) : OwnTranscript(script);
    RunOptions options;
    const std::size_t bom = script.rfind("\xEF\xBB\xBF", 0) == 0 ? 3 : 0;
    if (script.compare(bom, 8, "# hbrun ") == 0) {
        const std::string flags = script.substr(bom + 8, script.find('\n') - bom - 8);
        options.allowChanges = flags.find("--allow-changes") != std::string::npos;
        options.dryRun = flags.find("--dry-run") != std::string::npos;
    }
    // hbrun's machine.
    sys::SimMachine machine, again;
    machine.addPartitionedDisks();
    again.addPartitionedDisks();
    std::ostringstream out;
    const int status = session::RunScript(script, machine, options, out);
    EXPECT_EQ(out.str() + "exit " + std::to_string(status) + "\n", wanted);
    if (status != 0 || options.dryRun) return;
    std::ostringstream replay;
    EXPECT_EQ(session::RunScript(out.str(), again, options, replay), 0);
    EXPECT_EQ(replay.str(), out.str());
}

// A folder that could not be read would leave the suite above with no test at all.
TEST(RunnerTranscripts, TheScriptsAreFound) {
    EXPECT_FALSE(ScriptNames().empty());
}

INSTANTIATE_TEST_SUITE_P(Scripts, RunnerTranscript, ::testing::ValuesIn(ScriptNames()),
                         [](const auto& p) {
                             std::string name = p.param;
                             std::replace(name.begin(), name.end(), '-', '_');
                             return name;
                         });

}  // namespace
