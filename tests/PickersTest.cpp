// The two pickers: their item texts, and the dialogs driven from the main window's buttons.
#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <tuple>
#include <vector>

#include "open/Pickers.h"
#include "tests/HandlerFixture.h"
#include "ui/Toolkit.h"

namespace {

using Names = std::vector<std::string>;

// A few texts whose blanks, digits and widths (37 for access, 46 for flags) tell the layout;
// every value is proved by the all-checked pickers below.
TEST(PickerItems, TelltaleTextsAndWhatIsReadBackFromThem) {
    const auto& access = app::AccessItems();
    const auto& flags = app::FlagsItems();
    ASSERT_EQ(access.size(), 21u);
    ASSERT_EQ(flags.size(), 24u);
    struct Row {
        std::string item;
        const char* text;
        std::uint32_t value;
    };
    const Row rows[] = {
        {access[0], "FILE_READ_DATA                 0x0001", 0x1},
        {access[6], "FILE_TRAVERSE                  0x0020", 0x20},
        {access[17], "GENERIC_READ               0x80000000", 0x80000000},
    };
    for (const auto& [item, text, value] : rows) {
        EXPECT_EQ(item, text);
        EXPECT_EQ(app::AccessItemValue(item), value) << text;
        EXPECT_EQ(app::AccessItemName(item), item.substr(0, item.find(' ')));
    }
    EXPECT_EQ(flags[12], "FILE_ATTRIBUTE_NOT_CONTENT_INDEXED  0x00002000");
    EXPECT_EQ(app::FlagsItemValue(flags[12]), 0x2000u);
    // The columns line up only while every item has its list's width.
    for (const auto& [items, width] : {std::pair{&access, 37u}, {&flags, 46u}})
        for (const std::string& item : *items) EXPECT_EQ(item.size(), width) << item;
}

enum class Leave { OK, Cancel, CloseBox };

Names NamesOf(const std::vector<std::string>& items) {
    Names names;
    for (const std::string& item : items) names.push_back(item.substr(0, item.find(' ')));
    return names;
}

class Pickers : public HandlerTest {
  protected:
    Names checked;        // in list order, as the last picker opened
    bool exitOK = false;  // likewise

    // The next picker: note its marks, flip the named ones, leave.
    void Script(Names flip, Leave how) {
        tk.modalScripts.push_back([this, flip, how](ui::Form& f) {
            auto& p = dynamic_cast<app::PickerForm&>(f);
            const Names names = NamesOf(p.lst.items());
            checked.clear();
            exitOK = p.Exit_OK;
            for (std::size_t i = 0; i < names.size(); ++i)
                if (p.lst.checked(static_cast<int>(i))) checked.push_back(names[i]);
            for (const std::string& name : flip) {
                const auto i = std::find(names.begin(), names.end(), name) - names.begin();
                ASSERT_LT(i, static_cast<long>(names.size())) << name;
                p.lst.userSetChecked(static_cast<int>(i), !p.lst.checked(static_cast<int>(i)));
            }
            if (how == Leave::OK) p.cmdOK.click();
            if (how == Leave::Cancel) p.cmdCancel.click();
            if (how == Leave::CloseBox) p.close();
        });
    }
    std::string Access(const std::string& box, Names flip = {}, Leave how = Leave::OK) {
        frm.txtAccess.setText(box);
        Script(std::move(flip), how);
        frm.cmdAccess.click();
        return frm.txtAccess.text();
    }
    std::string Flags(const std::string& box, Names flip = {}, Leave how = Leave::OK) {
        frm.txtFlagsAndAttibutes.setText(box);
        Script(std::move(flip), how);
        frm.cmdFlagsAndAttributesList.click();
        return frm.txtFlagsAndAttibutes.text();
    }
    std::string AccessName() const { return frm.lblAccessName.text(); }
};

TEST_F(Pickers, TheBoxChecksEveryItemSharingABitAndOkDropsTheOthers) {
    struct Row {
        bool access;  // the access picker, else the flags picker
        const char* box;
        Names marks;
        const char* value;
    };
    const Row rows[] = {
        {true, "0x20", {"FILE_EXECUTE", "FILE_TRAVERSE"}, "0x00000020"},
        {true, "0x00000201", {"FILE_READ_DATA"}, "0x00000001"},
        {false, "0x40000080", {"FILE_ATTRIBUTE_NORMAL", "FILE_FLAG_OVERLAPPED"}, "0x40000080"},
        {false, "0x00C00008", {}, "0x00000000"},
    };
    for (const auto& [access, box, marks, value] : rows) {
        frm.frmAccess.reset();  // no marks left from the row before
        frm.frmFlagsAndAttributes.reset();
        EXPECT_EQ(access ? Access(box) : Flags(box), value) << box;
        EXPECT_EQ(checked, marks) << box;
    }
    // The shared 0x20 stays while either item carries it.
    EXPECT_EQ(Access("0x00000020", {"FILE_EXECUTE"}), "0x00000020");
    EXPECT_EQ(AccessName(), "FILE_TRAVERSE");
    EXPECT_EQ(Access("0x00000000", {"FILE_TRAVERSE"}), "0x00000000");
}

TEST_F(Pickers, CancelAndTheCloseBoxChangeNothingButKeepTheMarks) {
    for (Leave how : {Leave::Cancel, Leave::CloseBox}) {
        frm.frmAccess.reset();
        frm.frmFlagsAndAttributes.reset();
        EXPECT_EQ(Access("0x00000000", {"DELETE"}), "0x00010000");
        EXPECT_EQ(Access("0x00010000", {"GENERIC_READ"}, how), "0x00010000");
        EXPECT_EQ(AccessName(), "DELETE");
        EXPECT_FALSE(frm.frmAccess->Exit_OK);
        EXPECT_TRUE(exitOK);  // as the OK before left it
        // Next time: the old marks together with the bits of the box as it is then.
        EXPECT_EQ(Access("0x00000001"), "0x80010001");
        EXPECT_EQ(checked, (Names{"FILE_READ_DATA", "DELETE", "GENERIC_READ"}));
        EXPECT_EQ(Flags("0x00000000", {"FILE_FLAG_OVERLAPPED"}, how), "0x00000000");
        EXPECT_EQ(Flags("0x00000002"), "0x40000002");
    }
}

TEST_F(Pickers, TextThatIsNotHexAddsNothingAndSaysNothing) {
    Access("0x00000001", {}, Leave::Cancel);
    Flags("0x00000001", {}, Leave::Cancel);
    frm.lblResult.setText("untouched");
    for (const char* box : {"", "0X10", "0x1G", "123456789", "-1", "0x"}) {
        EXPECT_EQ(Access(box), "0x00000001") << box;
        EXPECT_EQ(Flags(box), "0x00000001") << box;
    }
    EXPECT_EQ(Result(), "untouched");
    EXPECT_TRUE(tk.msgBoxes.empty());
}

TEST_F(Pickers, EveryItemCheckedGivesEveryValueAndTheNamesInListOrder) {
    const Names all = NamesOf(app::AccessItems());
    EXPECT_EQ(Access("0x00000000", all), "0xF31F01FF");
    std::string names;
    for (const std::string& n : all) names += (names.empty() ? "" : " | ") + n;
    EXPECT_EQ(AccessName(), names);
    EXPECT_EQ(frm.lblAccessName.font().size, 5);
    EXPECT_EQ(Flags("0xFFFFFFFF"), "0xFF307FF7");
    EXPECT_EQ(checked, NamesOf(app::FlagsItems()));
}

TEST_F(Pickers, TheNamesFontShrinksOnlyAsFarAsNeeded) {
    auto perChar = [&](double size) { return tk.textWidth({"Microsoft Sans Serif", size}, "W"); };
    // The label as wide as 100 characters at this size; characters; the size shown.
    const double rows[][3] = {
        {8.25, 100, 8.25}, {8.25, 101, 6.75}, {6.75, 100, 6.75}, {6.75, 101, 5}, {5, 101, 5}};
    for (const auto& [widthAt, chars, shown] : rows) {
        ui::Rect rect = frm.lblAccessName.rect();
        rect.w = 100 * perChar(widthAt);
        frm.lblAccessName.setRect(rect);
        frm.lblAccessName.setFont({"Courier New", 12});
        frm.lblAccessName.setText(std::string(static_cast<std::size_t>(chars), 'W'));
        app::FitFontToWidth(frm.lblAccessName, frm.lblTestTextWidht);
        EXPECT_EQ(frm.lblAccessName.font().name, "Microsoft Sans Serif");
        EXPECT_EQ(frm.lblAccessName.font().size, shown) << widthAt << " pt, " << chars;
    }
}

TEST_F(Pickers, DoubleClickCopiesTheNamesOnceWithoutRetry) {
    Access("0x00000000", {"GENERIC_READ", "GENERIC_WRITE"});
    frm.lblAccessName.dblClick();
    EXPECT_EQ(tk.clipboard, "GENERIC_READ | GENERIC_WRITE");
    EXPECT_EQ(tk.clipboardAttempts, 1);
    tk.clipboardBusy = 5;
    frm.lblAccessName.dblClick();
    EXPECT_EQ(tk.clipboardAttempts, 2);
    EXPECT_EQ(Result(), "--");
}

}  // namespace
