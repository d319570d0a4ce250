// The script language and the names a script reaches controls by.
#include <gtest/gtest.h>

#include <map>
#include <variant>

#include "app/FrmMain.h"
#include "session/Lines.h"
#include "session/Names.h"
#include "session/Script.h"
#include "sys/SimMachine.h"
#include "ui/Headless.h"

namespace {

using session::ParseScript;
using session::Script;
using session::ScriptError;
using session::Step;
using K = Step::Kind;

Script Parsed(const std::string& text) {
    auto r = ParseScript(text);
    if (auto* e = std::get_if<ScriptError>(&r)) ADD_FAILURE() << e->line << ": " << e->message;
    return std::get_if<Script>(&r) ? std::get<Script>(r) : Script{};
}

TEST(SessionScript, EachKindOfLineReadsAsWritten) {
    const Script s = Parsed(
        "# a comment\r\n"
        "\n"
        "FileName: \\\\.\\C:\r\n"
        "FileName:  two leading blanks, one kept\n"
        "Count:\n"
        "press Vol Set GPT Attr  \n"
        "  GptAttributes:0x1\n"
        "\tpress OK\n"
        "answer No\n"
        "expect res=1  attr=*\n"
        "expect\n");
    struct Row {
        K kind;
        int line;
        bool inDialog;
        const char* name;
        const char* value;
    };
    const Row rows[] = {
        {K::Set, 3, false, "FileName", "\\\\.\\C:"},
        {K::Set, 4, false, "FileName", " two leading blanks, one kept"},
        {K::Set, 5, false, "Count", ""},
        {K::Press, 6, false, "Vol Set GPT Attr", ""},
        {K::Set, 7, true, "GptAttributes", "0x1"},
        {K::Press, 8, true, "OK", ""},
        {K::Answer, 9, false, "", "No"},
        {K::Expect, 10, false, "", "res=1  attr=*"},
        {K::Expect, 11, false, "", ""},
    };
    ASSERT_EQ(s.steps.size(), std::size(rows));
    for (std::size_t i = 0; i < std::size(rows); ++i) {
        const Step& st = s.steps[i];
        EXPECT_EQ(st.kind, rows[i].kind) << i;
        EXPECT_EQ(st.line, rows[i].line) << i;
        EXPECT_EQ(st.inDialog, rows[i].inDialog) << i;
        EXPECT_EQ(st.name, rows[i].name) << i;
        EXPECT_EQ(st.value, rows[i].value) << i;
    }
}

TEST(SessionScript, AnUnreadableLineIsNamedByItsNumber) {
    const std::pair<const char*, int> rows[] = {
        {"press CreateFile\nfrobnicate\n", 2},
        {"press CreateFile\npress \n", 2},
        {"press Write\nanswer Maybe\n", 2},
        {"expect CreateFile success\n", 1},
        {"Count: 1\nanswer Yes\n", 2},
        {"press Write\nexpect x\nanswer Yes\n", 3},
        {"  press OK\n", 1},
        {"Count: 1\n  Persist: checked\n", 2},
        {"press Read\nexpect\n  press OK\n", 3},
        {"press SetDiskAttributes\n  Persist: checked\nexpect\n", 3},
        {"press SetDiskAttributes\n  Persist: checked\n", 3},
        {"press SetDiskAttributes\n  press Set\n  press Set\n", 3},
        {"press SetDiskAttributes\n  answer Yes\n", 2},
        {": value\n", 1},
        {"FileName: a\x01z\n", 1},
        {"FileName: a\x1Fz\n", 1},  // the last control character
        {"Press CreateFile\n", 1},
    };
    for (const auto& [text, line] : rows) {
        auto r = ParseScript(text);
        const auto* e = std::get_if<ScriptError>(&r);
        ASSERT_NE(e, nullptr) << text;
        EXPECT_EQ(e->line, line) << text << " -> " << e->message;
        EXPECT_FALSE(e->message.empty());
    }
    EXPECT_EQ(std::get<ScriptError>(ParseScript("press Write\n  answer Yes\n")).message,
              "a dialog takes only values and the press of a button");
}

TEST(SessionNames, CaptionsReadWithoutAmpersandOrColon) {
    EXPECT_EQ(session::PlainCaption("&FileName:"), "FileName");
    EXPECT_EQ(session::PlainCaption("FlagsAnd&Attributes:"), "FlagsAndAttributes");
    EXPECT_EQ(session::PlainCaption("Cl&oseHandle"), "CloseHandle");
    EXPECT_EQ(session::PlainCaption("Save && Run"), "Save & Run");
    EXPECT_EQ(session::PlainCaption(" Persist: "), "Persist");
}

// Every form a script can reach: each name is unique, and the boxes are the ones their labels
// stand beside.
class SessionFormNames : public ::testing::Test {
  protected:
    ui::Headless tk;
    sys::SimMachine m;
    std::map<std::string, std::string> NamesOf(const ui::Form& form) {
        std::map<std::string, std::string> names;
        for (const session::Target& t : session::Targets(form)) {
            const std::string what = t.item >= 0
                                         ? t.control->fullName() + "#" + std::to_string(t.item)
                                         : t.control->fullName();
            EXPECT_TRUE(names.emplace(t.name, what).second) << "two controls named " << t.name;
        }
        return names;
    }
};

TEST_F(SessionFormNames, MainWindowBoxesAndAmbiguousButtons) {
    app::FrmMain frm(tk, m, "");
    const auto names = NamesOf(frm);
    // The names the scripts under tests/scripts use are proved by their transcripts.
    const std::pair<const char*, const char*> rows[] = {
        {"FlagsAndAttributes", "txtFlagsAndAttibutes"},
        {"FILE_SHARE_DELETE", "chkShare(2)"},
        {"FlagsAndAttributes / ...", "cmdFlagsAndAttributesList"},
    };
    for (const auto& [name, control] : rows) {
        ASSERT_TRUE(names.count(name)) << name;
        EXPECT_EQ(names.at(name), control) << name;
    }
    // Labels and the hex view are not settable.
    for (const char* name : {"Size", "Security", "Need a Path", "hFile", "---"})
        EXPECT_EQ(names.count(name), 0u) << name;
}

TEST_F(SessionFormNames, RefusedValuesSayWhy) {
    app::FrmMain frm(tk, m, "");
    const auto targets = session::Targets(frm);
    const std::tuple<const char*, const char*, bool> rows[] = {
        {"Creation", "CREATE_NEW", true},
        {"Creation", "create_new", false},
        {"Creation", "5", false},
        {"FILE_SHARE_READ", "checked", true},
        {"FILE_SHARE_READ", "1", false},
        {"Access", "not hex at all", true},  // the handler says so on the result line
        {"CreateFile", "x", false},
    };
    for (const auto& [name, value, taken] : rows) {
        const session::Target* t = session::FindTarget(targets, name);
        ASSERT_NE(t, nullptr) << name;
        EXPECT_EQ(session::RefusalOf(*t, value).empty(), taken) << name << ": " << value;
    }
}

}  // namespace

namespace {

// What the window showed, written as an expect line, reads back as a pattern that it matches.
TEST(ScriptLines, EveryResultReadsBackAsAnExpectItMeets) {
    const std::string results[] = {"",  "CreateFile success", "   ", "\t", "a  ", "x\x01y",
                                   "*", "res=1 Name= Ser=0"};
    for (const std::string& result : results) {
        SCOPED_TRACE(result);
        const auto parsed =
            session::ParseScript("press CloseHandle\n" + session::ExpectLine(result));
        ASSERT_TRUE(std::holds_alternative<session::Script>(parsed));
        const session::Step& expect = std::get<session::Script>(parsed).steps.back();
        EXPECT_TRUE(session::MatchesPattern(expect.value, result)) << expect.value;
    }
}

}  // namespace
