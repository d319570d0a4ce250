// The two pickers driven from the main window's "..." buttons, headless.
#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

#include "open/Pickers.h"
#include "tests/HandlerFixture.h"
#include "ui/Toolkit.h"

namespace {

enum class Leave { OK, Cancel, CloseBox };
using Names = std::vector<std::string>;

class Pickers : public HandlerTest {
protected:
    // The dialog as the last script found it when it opened.
    struct Seen {
        std::vector<std::string> checked;  // names, in list order
        std::string value;
        bool exitOK = false;
    } seen;

    // The next modal picker: record how it opened, flip the named marks as a user would, leave.
    void Script(std::vector<std::string> flip, Leave how,
                std::function<void(app::PickerForm&)> more = {}) {
        tk.modalScripts.push_back([this, flip, how, more](ui::Form& f) {
            auto& p = dynamic_cast<app::PickerForm&>(f);
            seen = {Checked(p), p.lblValue.text(), p.Exit_OK};
            for (const std::string& name : flip) {
                const int i = IndexOf(p, name);
                p.lst.userSetChecked(i, !p.lst.checked(i));
                EXPECT_EQ(p.lblValue.text().size(), 10u) << name;
            }
            if (more) more(p);
            switch (how) {
                case Leave::OK: p.cmdOK.click(); break;
                case Leave::Cancel: p.cmdCancel.click(); break;
                case Leave::CloseBox: p.close(); break;
            }
        });
    }

    std::string Access(const std::string& box, std::vector<std::string> flip, Leave how) {
        frm.txtAccess.setText(box);
        Script(std::move(flip), how);
        frm.cmdAccess.click();
        return frm.txtAccess.text();
    }

    std::string Flags(const std::string& box, std::vector<std::string> flip, Leave how) {
        frm.txtFlagsAndAttibutes.setText(box);
        Script(std::move(flip), how);
        frm.cmdFlagsAndAttributesList.click();
        return frm.txtFlagsAndAttibutes.text();
    }

    static std::string NameOf(const std::string& item) { return item.substr(0, item.find(' ')); }

    static int IndexOf(const app::PickerForm& p, const std::string& name) {
        const auto& items = p.lst.items();
        for (std::size_t i = 0; i < items.size(); ++i)
            if (NameOf(items[i]) == name) return static_cast<int>(i);
        ADD_FAILURE() << "no item " << name;
        return -1;
    }

    static std::vector<std::string> Checked(const app::PickerForm& p) {
        std::vector<std::string> names;
        for (std::size_t i = 0; i < p.lst.items().size(); ++i)
            if (p.lst.checked(static_cast<int>(i))) names.push_back(NameOf(p.lst.items()[i]));
        return names;
    }

    static Names NamesOf(const std::vector<std::string>& items) {
        std::vector<std::string> names;
        for (const auto& item : items) names.push_back(NameOf(item));
        return names;
    }
};

TEST_F(Pickers, AreMadeAtFirstUseThenOnlyHidden) {
    EXPECT_EQ(frm.frmAccess, nullptr);
    EXPECT_EQ(frm.frmFlagsAndAttributes, nullptr);
    // Fresh: nothing checked, a zero value.
    Access("0x00000000", {}, Leave::Cancel);
    EXPECT_EQ(seen.checked, Names{});
    EXPECT_EQ(seen.value, "0x00000000");
    EXPECT_FALSE(seen.exitOK);
    Flags("0x00000000", {}, Leave::Cancel);
    EXPECT_EQ(seen.checked, Names{});
    EXPECT_EQ(seen.value, "0x00000000");
    ASSERT_NE(frm.frmAccess, nullptr);
    ASSERT_NE(frm.frmFlagsAndAttributes, nullptr);
    struct Row {
        app::PickerForm* form;
        const char* caption;
        int w, h;
        std::size_t items;
    };
    const Row rows[] = {
        {frm.frmAccess.get(), "dwDesiredAccess", 4890, 6780, 21},
        {frm.frmFlagsAndAttributes.get(), "dwFlagsAndAttributes", 5355, 6840, 24},
    };
    for (const Row& r : rows) {
        app::PickerForm& p = *r.form;
        SCOPED_TRACE(r.caption);
        EXPECT_EQ(p.caption(), r.caption);
        EXPECT_EQ(p.clientWidth(), r.w);
        EXPECT_EQ(p.clientHeight(), r.h);
        EXPECT_TRUE(p.loaded());
        EXPECT_FALSE(p.shown());
        EXPECT_EQ(p.lst.kind(), ui::Kind::CheckList);
        EXPECT_EQ(p.lst.items().size(), r.items);
        EXPECT_EQ(p.defaultButton, &p.cmdOK);
        EXPECT_EQ(p.cancelButton, &p.cmdCancel);
        EXPECT_EQ(p.cmdOK.text(), "OK");
        EXPECT_EQ(p.cmdCancel.text(), "Cancel");
        for (const ui::Control* c : {&p.lst, &p.lblValue}) {
            EXPECT_EQ(c->font().name, "Courier New");
            EXPECT_EQ(c->font().size, 9);
        }
        // The list lies above the buttons and inside the dialog.
        EXPECT_LE(p.lst.rect().y + p.lst.rect().h, p.cmdOK.rect().y);
        EXPECT_LE(p.cmdCancel.rect().x + p.cmdCancel.rect().w, r.w);
        EXPECT_LE(p.cmdCancel.rect().y + p.cmdCancel.rect().h, r.h);
    }
    // Form_Load prepared the controls.
    const auto& c = tk.chores;
    EXPECT_NE(std::find(c.begin(), c.end(), "disableTheme(lst)"), c.end());

    const app::FrmAccess* first = frm.frmAccess.get();
    Access("0x00000000", {}, Leave::OK);
    EXPECT_EQ(frm.frmAccess.get(), first);
}

TEST_F(Pickers, EachItemAloneGivesItsValueInTenCharacters) {
    struct Row {
        bool access;
        const char* name;
        const char* value;
    };
    const Row rows[] = {
        {true, "FILE_READ_DATA", "0x00000001"},     {true, "FILE_EXECUTE", "0x00000020"},
        {true, "FILE_TRAVERSE", "0x00000020"},      {true, "FILE_WRITE_ATTRIBUTES", "0x00000100"},
        {true, "DELETE", "0x00010000"},             {true, "MAXIMUM_ALLOWED", "0x02000000"},
        {true, "GENERIC_READ", "0x80000000"},       {true, "GENERIC_ALL", "0x10000000"},
        {false, "FILE_ATTRIBUTE_READONLY", "0x00000001"},
        {false, "FILE_ATTRIBUTE_ENCRYPTED", "0x00004000"},
        {false, "FILE_FLAG_WRITE_THROUGH", "0x80000000"},
        {false, "FILE_FLAG_OPEN_NO_RECALL", "0x00100000"},
    };
    for (const Row& r : rows) {
        // Check it, read the value, uncheck it again before leaving.
        std::string value;
        auto look = [&](app::PickerForm& p) {
            const int i = IndexOf(p, r.name);
            p.lst.userSetChecked(i, true);
            value = p.lblValue.text();
            p.lst.userSetChecked(i, false);
        };
        if (r.access) {
            frm.txtAccess.setText("0x00000000");
            Script({}, Leave::Cancel, look);
            frm.cmdAccess.click();
        } else {
            frm.txtFlagsAndAttibutes.setText("0x00000000");
            Script({}, Leave::Cancel, look);
            frm.cmdFlagsAndAttributesList.click();
        }
        EXPECT_EQ(value, r.value) << r.name;
    }
}

TEST_F(Pickers, OkWritesValueAndNames) {
    EXPECT_EQ(Access("0x00000000", {"GENERIC_READ", "GENERIC_WRITE"}, Leave::OK), "0xC0000000");
    EXPECT_EQ(frm.lblAccessName.text(), "GENERIC_READ | GENERIC_WRITE");
    EXPECT_TRUE(frm.frmAccess->Exit_OK);
    EXPECT_EQ(frm.lblAccessName.font().size, 8.25);

    EXPECT_EQ(Flags("0x00000000", {"FILE_FLAG_NO_BUFFERING", "FILE_FLAG_WRITE_THROUGH"}, Leave::OK),
              "0xA0000000");
    EXPECT_TRUE(frm.frmFlagsAndAttributes->Exit_OK);
}

TEST_F(Pickers, NamesFollowListOrderNotClickOrder) {
    Access("0x00000000", {"GENERIC_READ", "FILE_READ_DATA"}, Leave::OK);
    EXPECT_EQ(frm.lblAccessName.text(), "FILE_READ_DATA | GENERIC_READ");
    EXPECT_EQ(frm.txtAccess.text(), "0x80000001");
    // Unchecking everything leaves no names at all.
    Access("0x80000001", {"GENERIC_READ", "FILE_READ_DATA"}, Leave::OK);
    EXPECT_EQ(frm.txtAccess.text(), "0x00000000");
    EXPECT_EQ(frm.lblAccessName.text(), "");
    EXPECT_EQ(frm.frmAccess->GetAccessName(), "");
}

TEST_F(Pickers, TheBoxValueChecksEveryItemSharingABit) {
    struct Row {
        bool access;
        const char* box;
        std::vector<std::string> checked;
        const char* value;
    };
    const Row rows[] = {
        {true, "0x20", {"FILE_EXECUTE", "FILE_TRAVERSE"}, "0x00000020"},
        {true, "C0000000", {"GENERIC_READ", "GENERIC_WRITE"}, "0xC0000000"},
        {true, "0x00000201", {"FILE_READ_DATA"}, "0x00000001"},  // 0x200: no item
        {true, "0x0000FE00", {}, "0x00000000"},
        {false, "0x02000080", {"FILE_ATTRIBUTE_NORMAL", "FILE_FLAG_BACKUP_SEMANTICS"},
         "0x02000080"},
        {false, "0x00008001", {"FILE_ATTRIBUTE_READONLY"}, "0x00000001"},  // 0x8000: no item
        {false, "0x00C00008", {}, "0x00000000"},
    };
    for (const Row& r : rows) {
        SCOPED_TRACE(r.box);
        // Fresh dialogs each row, so no marks are left from the row before.
        frm.frmAccess.reset();
        frm.frmFlagsAndAttributes.reset();
        const std::string ok = r.access ? Access(r.box, {}, Leave::OK) : Flags(r.box, {}, Leave::OK);
        EXPECT_EQ(seen.checked, r.checked);
        EXPECT_EQ(seen.value, r.value);
        EXPECT_EQ(ok, r.value);  // bits no item carries are dropped
    }
}

TEST_F(Pickers, SharedBitStaysWhileEitherItemCarriesIt) {
    EXPECT_EQ(Access("0x00000020", {"FILE_EXECUTE"}, Leave::OK), "0x00000020");
    EXPECT_EQ(frm.lblAccessName.text(), "FILE_TRAVERSE");
    EXPECT_EQ(Access("0x00000000", {"FILE_TRAVERSE"}, Leave::OK), "0x00000000");
    EXPECT_EQ(seen.checked, Names{"FILE_TRAVERSE"});
    // Loading the bit again checks both.
    Access("0x00000020", {}, Leave::OK);
    EXPECT_EQ(seen.checked, (Names{"FILE_EXECUTE", "FILE_TRAVERSE"}));
}

TEST_F(Pickers, CancelAndTheCloseBoxKeepMarksButChangeNothing) {
    for (Leave how : {Leave::Cancel, Leave::CloseBox}) {
        SCOPED_TRACE(how == Leave::Cancel ? "Cancel" : "close box");
        frm.frmAccess.reset();
        frm.frmFlagsAndAttributes.reset();
        frm.lblAccessName.setText("---");

        EXPECT_EQ(Access("0x00000000", {"GENERIC_READ"}, how), "0x00000000");
        EXPECT_EQ(frm.lblAccessName.text(), "---");
        EXPECT_FALSE(frm.frmAccess->Exit_OK);
        EXPECT_TRUE(frm.frmAccess->loaded());  // hidden, not destroyed
        EXPECT_FALSE(frm.frmAccess->shown());
        // Next time: the old mark together with the bits of the box as it is then.
        EXPECT_EQ(Access("0x00000001", {}, Leave::OK), "0x80000001");
        EXPECT_EQ(seen.checked, (Names{"FILE_READ_DATA", "GENERIC_READ"}));
        EXPECT_EQ(frm.lblAccessName.text(), "FILE_READ_DATA | GENERIC_READ");

        EXPECT_EQ(Flags("0x00000000", {"FILE_FLAG_OVERLAPPED"}, how), "0x00000000");
        EXPECT_FALSE(frm.frmFlagsAndAttributes->Exit_OK);
        EXPECT_EQ(Flags("0x00000002", {}, Leave::OK), "0x40000002");
        EXPECT_EQ(seen.checked, (Names{"FILE_ATTRIBUTE_HIDDEN", "FILE_FLAG_OVERLAPPED"}));
    }
}

TEST_F(Pickers, ExitOkIsFalseAgainAfterCancelFollowingOk) {
    Access("0x00000000", {"DELETE"}, Leave::OK);
    EXPECT_EQ(Access("0x00000000", {"WRITE_DAC"}, Leave::Cancel), "0x00000000");
    EXPECT_TRUE(seen.exitOK);  // as the last use left it
    EXPECT_FALSE(frm.frmAccess->Exit_OK);
    EXPECT_EQ(frm.lblAccessName.text(), "DELETE");
}

TEST_F(Pickers, TextThatIsNotHexAddsNothingAndSaysNothing) {
    const char* boxes[] = {"", "0X10", "0x1G", "123456789", "-1", "0x"};
    for (const char* box : boxes) {
        SCOPED_TRACE(box);
        frm.frmAccess.reset();
        frm.frmFlagsAndAttributes.reset();
        Access("0x00000001", {}, Leave::Cancel);
        Flags("0x00000001", {}, Leave::Cancel);
        frm.lblResult.setText("untouched");

        EXPECT_EQ(Access(box, {}, Leave::OK), "0x00000001");
        EXPECT_EQ(seen.checked, Names{"FILE_READ_DATA"});
        EXPECT_EQ(frm.lblAccessName.text(), "FILE_READ_DATA");
        EXPECT_EQ(Flags(box, {}, Leave::OK), "0x00000001");
        EXPECT_EQ(seen.checked, Names{"FILE_ATTRIBUTE_READONLY"});
        EXPECT_EQ(frm.lblResult.text(), "untouched");
        EXPECT_TRUE(tk.msgBoxes.empty());
    }
}

TEST_F(Pickers, EveryItemChecked) {
    frm.txtAccess.setText("0x00000000");
    Script({}, Leave::OK, [](app::PickerForm& p) {
        for (int i = 0; i < static_cast<int>(p.lst.items().size()); ++i) p.lst.userSetChecked(i, true);
    });
    frm.cmdAccess.click();
    EXPECT_EQ(frm.txtAccess.text(), "0xF31F01FF");
    std::string names;
    for (const std::string& n : NamesOf(app::AccessItems())) names += (names.empty() ? "" : " | ") + n;
    EXPECT_EQ(frm.lblAccessName.text(), names);
    EXPECT_EQ(frm.lblAccessName.font().size, 5);  // too long even at 6.75 pt

    // Loading every bit checks every item.
    EXPECT_EQ(Flags("0xFFFFFFFF", {}, Leave::OK), "0xFF307FF7");
    EXPECT_EQ(seen.checked, NamesOf(app::FlagsItems()));
}

TEST_F(Pickers, FontShrinksOnlyAsFarAsNeededAndAnEqualWidthFits) {
    auto perChar = [&](double size) { return tk.textWidth({"Microsoft Sans Serif", size}, "W"); };
    ASSERT_GT(perChar(8.25), perChar(6.75));
    struct Row {
        double widthAt;  // the label is as wide as 100 characters at this size
        std::size_t chars;
        double shown;
    };
    const Row rows[] = {
        {8.25, 100, 8.25}, {8.25, 101, 6.75}, {8.25, 1, 8.25}, {8.25, 0, 8.25},
        {6.75, 100, 6.75}, {6.75, 101, 5},    {5, 100, 5},     {5, 101, 5},
    };
    for (const Row& r : rows) {
        SCOPED_TRACE(testing::Message() << r.widthAt << " pt, " << r.chars << " chars");
        ui::Rect rect = frm.lblAccessName.rect();
        rect.w = 100 * perChar(r.widthAt);
        frm.lblAccessName.setRect(rect);
        frm.lblAccessName.setFont({"Courier New", 12});  // whatever it had before
        frm.lblAccessName.setText(std::string(r.chars, 'W'));
        app::FitFontToWidth(frm.lblAccessName, frm.lblTestTextWidht);
        EXPECT_EQ(frm.lblAccessName.font().name, "Microsoft Sans Serif");
        EXPECT_EQ(frm.lblAccessName.font().size, r.shown);
        EXPECT_EQ(frm.lblAccessName.text(), std::string(r.chars, 'W'));
        EXPECT_FALSE(frm.lblTestTextWidht.visible());
    }
}

TEST_F(Pickers, FontIsFittedAfterCancelToo) {
    // The label keeps whatever it shows when Cancel is pressed, and that is fitted too.
    const int label = frm.lblAccessName.width();
    ASSERT_EQ(label, 7620);
    const int at825 = tk.textWidth({"Microsoft Sans Serif", 8.25}, "W");
    frm.lblAccessName.setText(std::string(static_cast<std::size_t>(label / at825 + 1), 'W'));
    Access("0x00000000", {}, Leave::Cancel);
    EXPECT_EQ(frm.lblAccessName.font().size, 6.75);
    // A short name grows back to the full size.
    Access("0x00000000", {"SYNCHRONIZE"}, Leave::OK);
    EXPECT_EQ(frm.lblAccessName.font().size, 8.25);
}

TEST_F(Pickers, DoubleClickCopiesTheNamesOnceWithoutRetry) {
    Access("0x00000000", {"GENERIC_READ", "GENERIC_WRITE"}, Leave::OK);
    frm.lblAccessName.dblClick();
    EXPECT_EQ(tk.clipboard, "GENERIC_READ | GENERIC_WRITE");
    EXPECT_EQ(tk.clipboardAttempts, 1);

    tk.clipboardBusy = 5;
    m.clearCalls();
    frm.lblAccessName.dblClick();
    EXPECT_EQ(tk.clipboardAttempts, 2);
    EXPECT_EQ(Count("Sleep"), 0);
    EXPECT_EQ(frm.lblResult.text(), "--");
}

}  // namespace
