// The window's history: what a user does in the main window, written as a script that the
// runner replays to the same lines; and the Session window's Copy and Save as.
#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <sstream>

#include "app/FrmMain.h"
#include "session/FrmSession.h"
#include "session/History.h"
#include "session/Names.h"
#include "session/Runner.h"
#include "sys/SimMachine.h"
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
        {"queries on a volume",
         [](app::FrmMain& f, ui::Headless&) {
             f.cmdRead.click();  // no handle yet: a press all the same
             f.ctl("cmdIsMounted").click();
             f.ctl("cmdGetDiskLength").click();
             f.ctl("cmdGetDriveType").click();
             f.cmdCloseHandle.click();
         },
         {"press IsMounted", "expect IsMounted res=1 dwBytesRet=0", "press GetDiskLength",
          "press GetDriveType", "press CloseHandle", "expect CloseHandle res=1"}},
        {"a file written, read and deleted, both answers to the question",
         [](app::FrmMain& f, ui::Headless& tk) {
             f.cmdCloseHandle.click();
             f.cboFileName.setText("C:\\session.bin");
             f.cboCreation.setListIndex(2);  // CREATE_ALWAYS
             f.cmdCreateFile.click();
             f.txtCount.setText("16");
             tk.msgBoxAnswers.push_back(ui::kIdYes);
             f.cmdWrite.click();
             f.txtCount.setText("64");  // more than the buffer holds: asked again
             tk.msgBoxAnswers.push_back(ui::kIdNo);
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
        {"the pickers' values, and a cancelled picker",
         [](app::FrmMain& f, ui::Headless& tk) {
             f.cmdCloseHandle.click();
             Modal(tk, [](ui::Form& d) {
                 Set(d, "GENERIC_WRITE", "unchecked");
                 Click(d, "OK");
             });
             f.cmdAccess.click();
             Modal(tk, [](ui::Form& d) {
                 Set(d, "FILE_FLAG_NO_BUFFERING", "checked");
                 Click(d, "Cancel");
             });
             f.cmdFlagsAndAttributesList.click();
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
        // In order; the cancelled picker's flag is nowhere.
        const auto& got = b.history.lines();
        auto at = got.begin();
        for (const std::string& line : r.mustHave) {
            at = std::find(at, got.end(), line);
            ASSERT_NE(at, got.end()) << "no '" << line << "' (in order) in\n"
                                     << b.history.script("\n");
        }
        EXPECT_EQ(std::count_if(got.begin(), got.end(),
                                [](const std::string& l) { return l.find("FLAG") != l.npos; }),
                  0);
        ExpectReplayGivesTheSameLines(b.history);
    }
}

}  // namespace
