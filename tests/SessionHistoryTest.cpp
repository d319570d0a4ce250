// The window's history: what a user does in the main window, written as a script that the
// runner replays to the same lines; and the Session window's Copy and Save as.
#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <sstream>

#include "app/FrmMain.h"
#include "devctl/IoControl.h"
#include "session/FrmSession.h"
#include "session/History.h"
#include "session/Names.h"
#include "session/Runner.h"
#include "session/Script.h"
#include "sys/CodePage.h"
#include "sys/SimMachine.h"
#include "tests/HandlerFixture.h"
#include "ui/Headless.h"

namespace {

using session::History;

std::vector<std::string> LinesOf(const std::string& text) {
    std::vector<std::string> lines;
    std::istringstream in(text);
    for (std::string line; std::getline(in, line);) {
        if (!line.empty() && line.back() == '\r') line.pop_back();
        lines.push_back(line);
    }
    return lines;
}

// Sets a control of a form by the name a script gives it, as the user would.
void Set(ui::Form& form, const char* name, const char* value) {
    const auto targets = session::Targets(form);
    const session::Target* t = session::FindTarget(targets, name);
    ASSERT_NE(t, nullptr) << name;
    session::SetValue(*t, value);
}
void Click(ui::Form& form, const char* name) {
    const auto targets = session::Targets(form);
    const session::Target* t = session::FindTarget(targets, name);
    ASSERT_NE(t, nullptr) << name;
    t->control->click();
}

// The main window on the simulated machine, its history kept from the start.
struct Bench {
    explicit Bench(std::string commandLine = "") : frm(tk, m, std::move(commandLine)) {
        frm.load();
    }
    void OpenVolume() {
        frm.cboFileName.setText("\\\\.\\C:");
        frm.txtAccess.setText("0xC0000000");
        frm.chkShare(0).setValue(1);
        frm.chkShare(1).setValue(1);
        frm.cmdCreateFile.click();
    }
    ui::Headless tk;
    sys::SimMachine m;
    app::FrmMain frm;
    History history{frm};
};

// The recorded session replayed by the runner on a machine as fresh as the bench's was: every
// line the same, the shown labels too.
void ExpectReplayGivesTheSameLines(const History& history) {
    sys::SimMachine fresh;
    std::ostringstream out;
    const std::string script = history.script("\r\n");
    EXPECT_EQ(session::RunScript(script, fresh, {.allowChanges = true}, out), 0)
        << script << "\n--- replay:\n"
        << out.str();
    EXPECT_EQ(LinesOf(out.str()), history.lines()) << script;
}

using Action = std::function<void(app::FrmMain&, ui::Headless&)>;

void Modal(ui::Headless& tk, std::function<void(ui::Form&)> script) {
    tk.modalScripts.push_back(std::move(script));
}

TEST(History, EverySequenceReplaysToTheSameLines) {
    struct Row {
        const char* what;
        Action act;
        std::vector<std::string> mustHave;  // lines of the session, in order
    };
    const Row rows[] = {
        {"a file written, read and deleted, both answers to the question",
         [](app::FrmMain& f, ui::Headless& tk) {
             f.cmdCloseHandle.click();
             f.cboFileName.setText("C:\\session.bin");
             f.cboCreation.setListIndex(2);  // CREATE_ALWAYS
             f.cmdCreateFile.click();
             f.txtCount.setText("16");
             tk.msgBoxAnswers.push_back(ui::kIdYes);
             f.cmdWrite.click();
             f.txtCount.setText("64");                   // more than the buffer holds: asked again
             tk.msgBoxAnswers.push_back(ui::kIdCancel);  // No after Escape, under Wine
             f.cmdWrite.click();
             f.txtCount.setText("12");
             f.txtPosLow.setText("0x4");
             f.cmdSetFilePointer.click();
             f.cmdRead.click();
             f.cmdSetEndOfFile.click();
             f.cmdCloseHandle.click();
             f.cmdDelete.click();
         },
         {"Creation: CREATE_ALWAYS", "press CreateFile", "Count: 16", "press Write", "answer Yes",
          "expect WriteFile res=1 dwBytesWritten=16", "Count: 64", "press Write", "answer No",
          "Count: 12", "PosLow: 0x4", "press SetFilePointer", "press Read",
          "expect ReadFile res=1 dwBytesRead=12", "press DeleteFile", "expect DeleteFile res=1"}},
        {"the disk attribute dialog: Set, Cancel and its close box",
         [](app::FrmMain& f, ui::Headless& tk) {
             f.cmdCloseHandle.click();
             f.cboFileName.setText("\\\\.\\PhysicalDrive0");
             f.cmdCreateFile.click();
             Modal(tk, [](ui::Form& d) {
                 Set(d, "Attributes / DISK_ATTRIBUTE_OFFLINE", "checked");
                 Set(d, "Attributes Mask / DISK_ATTRIBUTE_OFFLINE", "checked");
                 Set(d, "Persist", "checked");
                 Click(d, "Set");
             });
             f.ctl("cmdSetDiskAttributes").click();
             f.ctl("cmdGetDiskAttributes").click();
             Modal(tk, [](ui::Form& d) {
                 Set(d, "Attributes Mask / DISK_ATTRIBUTE_READ_ONLY", "checked");
                 Click(d, "Cancel");
             });
             f.ctl("cmdSetDiskAttributes").click();
             Modal(tk, [](ui::Form& d) {
                 Set(d, "Attributes / DISK_ATTRIBUTE_READ_ONLY", "checked");
                 d.close();
             });
             f.ctl("cmdSetDiskAttributes").click();
             f.ctl("cmdGetDiskAttributes").click();
         },
         {"press SetDiskAttributes", "  Attributes Mask / DISK_ATTRIBUTE_OFFLINE: checked",
          "  Attributes / DISK_ATTRIBUTE_OFFLINE: checked", "  Persist: checked", "  press Set",
          "press GetDiskAttributes", "expect GetDiskAttributes res=1 dwBytesRet=16  Attr=0x1",
          "press SetDiskAttributes", "  Attributes Mask / DISK_ATTRIBUTE_READ_ONLY: checked",
          "  press Cancel", "press SetDiskAttributes",
          "  Attributes / DISK_ATTRIBUTE_READ_ONLY: checked", "  press Cancel",
          "expect GetDiskAttributes res=1 dwBytesRet=16  Attr=0x1"}},
        {"the GPT dialog, its boxes typed in",
         [](app::FrmMain& f, ui::Headless& tk) {
             Modal(tk, [](ui::Form& d) {
                 Set(d, "GptAttributes", "0x8000000000000001");
                 Set(d, "RevertOnClose", "1");
                 Click(d, "OK");
             });
             f.ctl("cmdVolSetGptAttr").click();
             Modal(tk, [](ui::Form& d) {
                 Set(d, "GptAttributes", "0xZZ");
                 Click(d, "OK");
             });
             f.ctl("cmdVolSetGptAttr").click();
             f.ctl("cmdVolGetGptAttr").click();
         },
         {"press Vol Set GPT Attr", "  GptAttributes: 0x8000000000000001", "  RevertOnClose: 1",
          "  press OK", "  GptAttributes: 0xZZ", "  press OK",
          "expect res=1  attr=0x8000000000000001"}},
        {"DeviceIoControl... with a pasted dump of three lines, then left by Cancel",
         [](app::FrmMain& f, ui::Headless& tk) {
             Modal(tk, [](ui::Form& d) {
                 Set(d, "Code", "IOCTL_STORAGE_QUERY_PROPERTY");
                 Set(d, "Input", "00 00 00 00\r\n00 00 00 00\r\n00000000");
                 Set(d, "Output size", "1024");
                 Click(d, "Send");
             });
             f.ctl("cmdDeviceIoControl").click();
             Modal(tk, [](ui::Form& d) { Click(d, "Cancel"); });
             f.ctl("cmdDeviceIoControl").click();
         },
         {"press DeviceIoControl...", "  Code: IOCTL_STORAGE_QUERY_PROPERTY",
          "  Input: 00 00 00 00  00 00 00 00  00000000", "  press Send",
          "expect DeviceIoControl res=1 dwBytesRet=85", "# lstHexView: Product=SIMULATED NVME DISK",
          "  press Cancel", "expect DeviceIoControl res=1 dwBytesRet=85"}},
        {"a picker's value, as its box shows it",
         [](app::FrmMain& f, ui::Headless& tk) {
             f.cmdCloseHandle.click();
             Modal(tk, [](ui::Form& d) {
                 Set(d, "GENERIC_WRITE", "unchecked");
                 Click(d, "OK");
             });
             f.cmdAccess.click();
             f.cmdCreateFile.click();
             tk.msgBoxAnswers.push_back(ui::kIdYes);
             f.cmdWrite.click();
         },
         {"Access: 0x80000000", "press CreateFile", "press Write", "answer Yes",
          "expect WriteFile Err=5  (ACCESS_DENIED)"}},
    };
    for (const Row& r : rows) {
        SCOPED_TRACE(r.what);
        Bench b;
        b.OpenVolume();
        r.act(b.frm, b.tk);
        EXPECT_TRUE(b.tk.modalScripts.empty() && b.tk.msgBoxAnswers.empty());
        // In order (a cancelled picker leaving nothing is the next test's).
        const auto& got = b.history.lines();
        auto at = got.begin();
        for (const std::string& line : r.mustHave) {
            at = std::find(at, got.end(), line);
            ASSERT_NE(at, got.end()) << "no '" << line << "' (in order) in\n"
                                     << b.history.script("\n");
        }
        ExpectReplayGivesTheSameLines(b.history);
    }
}

}  // namespace

TEST(History, KeepsPressesOnlyWithTheEditsBeforeThem) {
    Bench b;
    b.frm.txtCount.setText("77");
    const std::string posLow = b.frm.txtPosLow.text();
    b.frm.txtPosLow.setText("0x9");
    b.frm.txtPosLow.setText(posLow);  // back as it was: no line
    EXPECT_TRUE(b.history.lines().empty());
    // A cancelled picker leaves nothing either.
    b.tk.modalScripts.push_back([](ui::Form& d) {
        Set(d, "GENERIC_READ", "checked");
        Click(d, "Cancel");
    });
    b.frm.cmdAccess.click();
    EXPECT_TRUE(b.history.lines().empty());
    b.frm.cmdGetFileType.click();
    EXPECT_EQ(b.history.lines(),
              (std::vector<std::string>{"Count: 77", "press GetFileType",
                                        "expect GetFileType Err=6  (INVALID_HANDLE)"}));
    EXPECT_EQ(b.history.presses(), 1u);
}

// A driver may claim any number of extents, or texts of any length: the history lists a whole
// table's worth, or 64 KiB, and says how many more lines the list shows.
TEST(History, ADecodedAnswerIsListedUpToAWholeTable) {
    Bench b;
    b.OpenVolume();
    // A press of DeviceIoControl... that the driver answers with these bytes.
    auto send = [&](const char* code, const char* input, std::vector<std::uint8_t> answer) {
        const auto size = sys::DWORD(answer.size());
        b.m.answerNextControl(devctl::FindRequest(code)->code, std::move(answer), size);
        b.tk.modalScripts.push_back([=](ui::Form& d) {
            Set(d, "Code", code);
            Set(d, "Input", input);
            Set(d, "Output size", "65536");
            Click(d, "Send");
        });
        b.frm.ctl("cmdDeviceIoControl").click();
    };
    const auto& lines = b.history.lines();
    auto decoded = [&] {
        return std::count_if(lines.begin(), lines.end(), [](const std::string& l) {
            return l.rfind("# lstHexView: ", 0) == 0;
        });
    };
    std::vector<std::uint8_t> extents(8 + 24 * 130);  // a head and 130 lines
    extents[0] = 130;
    send("IOCTL_VOLUME_GET_VOLUME_DISK_EXTENTS", "", extents);
    EXPECT_EQ(decoded(), 131);
    EXPECT_EQ(lines.back(), "# lstHexView: and 1 more line");
    // A vendor text of 64 KiB with no NUL: the lines before it, then how many more.
    std::vector<std::uint8_t> descriptor(40 + 65536, 'A');
    std::fill_n(descriptor.begin(), 40, 0);
    descriptor[12] = 40;  // VendorIdOffset
    send("IOCTL_STORAGE_QUERY_PROPERTY", "00 00 00 00 00 00 00 00 00 00 00 00", descriptor);
    EXPECT_EQ(decoded(), 131 + 2);
    EXPECT_EQ(lines.back(), "# lstHexView: and 4 more lines");
}

TEST(History, AFileNameFromTheCommandLineIsSetByTheScript) {
    Bench b("C:\\Windows\\win.ini");
    b.frm.cmdCreateFile.click();
    ASSERT_GE(b.history.lines().size(), 2u);
    EXPECT_EQ(b.history.lines()[0], "FileName: C:\\Windows\\win.ini");
    EXPECT_EQ(b.history.lines()[1], "press CreateFile");
}

TEST(History, AValueNoLineCanHoldStopsTheReplayBeforeAnyCall) {
    // Replayed without the value, the open would go to the box's previous name.
    Bench b;
    b.frm.cboFileName.setText("C:\\keep.bin");
    b.frm.cboCreation.setListIndex(2);  // CREATE_ALWAYS
    b.frm.cmdCreateFile.click();
    b.frm.cmdCloseHandle.click();
    b.frm.cboFileName.setText(std::string("C:\\a\x01z"));
    b.frm.cmdCreateFile.click();
    const auto& lines = b.history.lines();
    EXPECT_NE(std::find(lines.begin(), lines.end(),
                        "! FileName held a control character, which a script cannot set"),
              lines.end());
    sys::SimMachine fresh;
    fresh.clearCalls();
    std::ostringstream out;
    EXPECT_EQ(session::RunScript(b.history.script("\n"), fresh, {.allowChanges = true}, out), 2);
    EXPECT_NE(out.str().find(": cannot be replayed: FileName held a control character"),
              std::string::npos)
        << out.str();
    EXPECT_TRUE(fresh.calls().empty());
}

// A window with no history of its own.
using BareWindow = HandlerTest;

TEST_F(BareWindow, AFullHistoryNeverCutsAPressAndThePressesGoOn) {
    // Room for a few presses beyond one press's worth of lines.
    History h(frm, session::Targets(frm).size() + 64 + 12);
    frm.cboFileName.setText("\\\\.\\PhysicalDrive0");
    frm.cmdCreateFile.click();
    for (int i = 0; i < 6; ++i) {
        tk.modalScripts.push_back([](ui::Form& d) {
            Set(d, "Attributes / DISK_ATTRIBUTE_OFFLINE", "checked");
            Click(d, "Set");
        });
        frm.ctl("cmdSetDiskAttributes").click();
    }
    EXPECT_TRUE(tk.modalScripts.empty());
    EXPECT_EQ(h.lines().back(), "# the history is full: later presses are not recorded");
    EXPECT_EQ(std::count(h.lines().begin(), h.lines().end(), h.lines().back()), 1);
    EXPECT_TRUE(std::holds_alternative<session::Script>(session::ParseScript(h.script("\n"))));
    frm.lblResult.setText("");
    frm.cmdGetFileType.click();
    EXPECT_NE(frm.lblResult.text(), "");
}

TEST_F(BareWindow, AHistoryGoneLeavesTheButtonsAndTheToolkitAsTheyWere) {
    {
        History h(frm);
        EXPECT_NE(tk.observer, nullptr);
    }
    EXPECT_EQ(tk.observer, nullptr);
    frm.cmdGetFileType.click();
    EXPECT_EQ(frm.lblResult.text(), "GetFileType Err=6  (INVALID_HANDLE)");
}

// --- The Session window -------------------------------------------------------------------------

class SessionWindow : public HandlerTest {
  protected:
    SessionWindow() : session(std::make_unique<session::MainSession>(frm)) {}
    session::FrmSession& Window() {
        EXPECT_TRUE(tk.ctrlKey(frm, 'H'));
        session::FrmSession* w = session->window();
        EXPECT_TRUE(w && w->shown());
        return *w;
    }
    std::unique_ptr<session::MainSession> session;
};

// Opening it by its keys and its menu item, following the presses and hiding are the real
// window's test; here, the list's start and what goes when the session does.
TEST_F(SessionWindow, FollowsThePressesAndGoneTakesItsCommand) {
    session::FrmSession& w = Window();
    EXPECT_EQ(w.lstSession.count(), 0u);
    frm.cmdGetFileType.click();
    EXPECT_EQ(w.lstSession.itemText(0), "press GetFileType");
    EXPECT_EQ(w.lstSession.listIndex(), 1);  // the newest line in view
    session.reset();
    EXPECT_TRUE(tk.commands.empty());
    EXPECT_FALSE(tk.ctrlKey(frm, 'H'));
}

TEST_F(SessionWindow, CopyPutsTheScriptOnTheClipboardOrSaysItIsBusy) {
    frm.cmdGetFileType.click();
    session::FrmSession& w = Window();
    w.cmdCopy.click();
    EXPECT_EQ(tk.clipboard,
              "# Handlebench session\r\npress GetFileType\r\n"
              "expect GetFileType Err=6  (INVALID_HANDLE)\r\n");
    EXPECT_EQ(w.lblStatus.text(), "Copied 3 lines to the clipboard");
    // Busy once: the second try copies. Busy twice: nothing.
    for (const auto& [busy, status] : {std::pair{1, "Copied 3 lines to the clipboard"},
                                       std::pair{2, "The clipboard is busy: nothing copied"}}) {
        tk.clipboard = "before";
        tk.clipboardBusy = busy;
        tk.clipboardAttempts = 0;
        w.cmdCopy.click();
        EXPECT_EQ(tk.clipboardAttempts, 2);
        EXPECT_EQ(w.lblStatus.text(), status);
        EXPECT_EQ(tk.clipboard == "before", busy == 2);
    }
}

TEST_F(SessionWindow, SaveAsWritesOnlyTheFileTheUserNames) {
    frm.cmdGetFileType.click();
    session::FrmSession& w = Window();
    const std::size_t before = m.calls().size();
    w.cmdSaveAs.click();  // the dialog cancelled
    EXPECT_EQ(tk.savePrompts, std::vector<std::string>{"session.txt"});
    EXPECT_EQ(m.calls().size(), before);
    EXPECT_EQ(w.lblStatus.text(), "");

    tk.saveNames.push_back("C:\\saved.txt");
    w.cmdSaveAs.click();
    EXPECT_EQ(w.lblStatus.text(), "Saved 3 lines to C:\\saved.txt");
    EXPECT_EQ(m.fileContents("C:\\saved.txt"), session->history.script("\r\n"));
    // Saved again after more presses: the file is the whole session, not an addition, and
    // UTF-8 where the window's text is not ASCII ("\xFC" is the window's u with diaeresis).
    frm.cboFileName.setText("C:\\\xFC");
    frm.cmdFlush.click();
    tk.saveNames.push_back("C:\\saved.txt");
    w.cmdSaveAs.click();
    const std::string saved = m.fileContents("C:\\saved.txt");
    EXPECT_EQ(saved, sys::Windows1252().ToUtf8(session->history.script("\r\n")));
    EXPECT_NE(saved.find("FileName: C:\\\xC3\xBC\r\n"), std::string::npos) << saved;

    tk.saveNames.push_back("C:\\no such folder\\saved.txt");
    w.cmdSaveAs.click();
    EXPECT_EQ(w.lblStatus.text(), "Not saved: CreateFile Err=3  (PATH_NOT_FOUND)");
}
