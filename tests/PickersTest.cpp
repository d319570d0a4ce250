// The two pickers: their item texts, and the dialogs driven from the main window's buttons.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <functional>
#include <iterator>
#include <sstream>
#include <string>
#include <tuple>
#include <vector>

#include "open/Pickers.h"
#include "tests/HandlerFixture.h"
#include "ui/Toolkit.h"

namespace {

using Names = std::vector<std::string>;

// The items in list order: their names, and their values as the Windows headers define them.
const char kAccessNames[] =
    "FILE_READ_DATA FILE_WRITE_DATA FILE_APPEND_DATA FILE_READ_EA FILE_WRITE_EA FILE_EXECUTE "
    "FILE_TRAVERSE FILE_DELETE_CHILD FILE_READ_ATTRIBUTES FILE_WRITE_ATTRIBUTES DELETE "
    "READ_CONTROL WRITE_DAC WRITE_OWNER SYNCHRONIZE ACCESS_SYSTEM_SECURITY MAXIMUM_ALLOWED "
    "GENERIC_READ GENERIC_WRITE GENERIC_EXECUTE GENERIC_ALL";
const std::uint32_t kAccessValues[] = {
    0x1,      0x2,       0x4,       0x8,        0x10,       0x20,       0x20,
    0x40,     0x80,      0x100,     0x10000,    0x20000,    0x40000,    0x80000,
    0x100000, 0x1000000, 0x2000000, 0x80000000, 0x40000000, 0x20000000, 0x10000000};
const char kFlagsNames[] =
    "FILE_ATTRIBUTE_READONLY FILE_ATTRIBUTE_HIDDEN FILE_ATTRIBUTE_SYSTEM FILE_ATTRIBUTE_DIRECTORY "
    "FILE_ATTRIBUTE_ARCHIVE FILE_ATTRIBUTE_DEVICE FILE_ATTRIBUTE_NORMAL FILE_ATTRIBUTE_TEMPORARY "
    "FILE_ATTRIBUTE_SPARSE_FILE FILE_ATTRIBUTE_REPARSE_POINT FILE_ATTRIBUTE_COMPRESSED "
    "FILE_ATTRIBUTE_OFFLINE FILE_ATTRIBUTE_NOT_CONTENT_INDEXED FILE_ATTRIBUTE_ENCRYPTED "
    "FILE_FLAG_WRITE_THROUGH FILE_FLAG_OVERLAPPED FILE_FLAG_NO_BUFFERING FILE_FLAG_RANDOM_ACCESS "
    "FILE_FLAG_SEQUENTIAL_SCAN FILE_FLAG_DELETE_ON_CLOSE FILE_FLAG_BACKUP_SEMANTICS "
    "FILE_FLAG_POSIX_SEMANTICS FILE_FLAG_OPEN_REPARSE_POINT FILE_FLAG_OPEN_NO_RECALL";
const std::uint32_t kFlagsValues[] = {
    0x1,        0x2,        0x4,       0x10,      0x20,      0x40,      0x80,       0x100,
    0x200,      0x400,      0x800,     0x1000,    0x2000,    0x4000,    0x80000000, 0x40000000,
    0x20000000, 0x10000000, 0x8000000, 0x4000000, 0x2000000, 0x1000000, 0x200000,   0x100000};

Names Split(const std::string& names) {
    std::istringstream in(names);
    return {std::istream_iterator<std::string>(in), std::istream_iterator<std::string>()};
}

// The name, blanks, and the value in `digits` hexadecimal digits ending at column `width`.
std::string Text(std::string name, std::uint32_t value, std::size_t width, int digits) {
    char hex[16];
    std::snprintf(hex, sizeof hex, "0x%0*X", digits, static_cast<unsigned>(value));
    name.resize(width - std::strlen(hex), ' ');
    return name + hex;
}

TEST(PickerItems, TextsAndTheValuesAndNamesReadFromThem) {
    const auto& access = app::AccessItems();
    const Names accessNames = Split(kAccessNames), flagsNames = Split(kFlagsNames);
    ASSERT_EQ(access.size(), accessNames.size());
    ASSERT_EQ(access.size(), std::size(kAccessValues));
    for (std::size_t i = 0; i < access.size(); ++i) {
        const std::uint32_t value = kAccessValues[i];
        EXPECT_EQ(access[i], Text(accessNames[i], value, 37, value < 0x10000 ? 4 : 8));
        EXPECT_EQ(app::AccessItemValue(access[i]), value) << accessNames[i];
        EXPECT_EQ(app::AccessItemName(access[i]), accessNames[i]);
    }
    const auto& flags = app::FlagsItems();
    ASSERT_EQ(flags.size(), flagsNames.size());
    ASSERT_EQ(flags.size(), std::size(kFlagsValues));
    for (std::size_t i = 0; i < flags.size(); ++i) {
        EXPECT_EQ(flags[i], Text(flagsNames[i], kFlagsValues[i], 46, 8));
        EXPECT_EQ(app::FlagsItemValue(flags[i]), kFlagsValues[i]) << flagsNames[i];
    }
    EXPECT_EQ(access[6], "FILE_TRAVERSE                  0x0020");
    EXPECT_EQ(flags[12], "FILE_ATTRIBUTE_NOT_CONTENT_INDEXED  0x00002000");
}

enum class Leave { OK, Cancel, CloseBox };

Names NamesOf(const std::vector<std::string>& items) {
    Names names;
    for (const std::string& item : items) names.push_back(item.substr(0, item.find(' ')));
    return names;
}

class Pickers : public HandlerTest {
  protected:
    struct Seen {
        Names checked;  // in list order
        std::string value;
        bool exitOK = false;
    } seen;  // the last dialog as it opened

    // The next picker: note how it opened, flip the named marks, leave.
    void Script(Names flip, Leave how) {
        tk.modalScripts.push_back([this, flip, how](ui::Form& f) {
            auto& p = dynamic_cast<app::PickerForm&>(f);
            const Names names = NamesOf(p.lst.items());
            seen = {{}, p.lblValue.text(), p.Exit_OK};
            for (std::size_t i = 0; i < names.size(); ++i)
                if (p.lst.checked(static_cast<int>(i))) seen.checked.push_back(names[i]);
            for (const std::string& name : flip) {
                const auto i =
                    static_cast<int>(std::find(names.begin(), names.end(), name) - names.begin());
                ASSERT_LT(i, static_cast<int>(names.size())) << name;
                p.lst.userSetChecked(i, !p.lst.checked(i));
                EXPECT_EQ(p.lblValue.text().size(), 10u) << name;
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

TEST_F(Pickers, AreMadeAtFirstUseThenOnlyHidden) {
    EXPECT_EQ(frm.frmAccess, nullptr);
    Access("0x00000000", {}, Leave::Cancel);
    const app::PickerForm* first = frm.frmAccess.get();
    ASSERT_NE(first, nullptr);
    EXPECT_TRUE(first->loaded() && !first->shown());
    Access("0x00000000");
    EXPECT_EQ(frm.frmAccess.get(), first);
}

TEST_F(Pickers, OkWritesTheValueAndTheNamesInListOrder) {
    EXPECT_EQ(Access("0x00000000", {"GENERIC_READ", "FILE_READ_DATA"}), "0x80000001");
    EXPECT_EQ(AccessName(), "FILE_READ_DATA | GENERIC_READ");
    EXPECT_TRUE(frm.frmAccess->Exit_OK);
    EXPECT_EQ(Access("0x80000001", {"GENERIC_READ", "FILE_READ_DATA"}), "0x00000000");
    EXPECT_EQ(AccessName(), "");
    EXPECT_EQ(Flags("0x0", {"FILE_FLAG_NO_BUFFERING", "FILE_FLAG_WRITE_THROUGH"}), "0xA0000000");
    EXPECT_TRUE(frm.frmFlagsAndAttributes->Exit_OK);
}

TEST_F(Pickers, TheBoxChecksEveryItemSharingABitAndOkDropsTheOthers) {
    const std::tuple<bool, const char*, Names, const char*> rows[] = {
        {true, "0x20", {"FILE_EXECUTE", "FILE_TRAVERSE"}, "0x00000020"},
        {true, "C0000000", {"GENERIC_READ", "GENERIC_WRITE"}, "0xC0000000"},
        {true, "0x00000201", {"FILE_READ_DATA"}, "0x00000001"},
        {true, "0x0000FE00", {}, "0x00000000"},
        {false, "0x40000080", {"FILE_ATTRIBUTE_NORMAL", "FILE_FLAG_OVERLAPPED"}, "0x40000080"},
        {false, "0x00008001", {"FILE_ATTRIBUTE_READONLY"}, "0x00000001"},
        {false, "0x00C00008", {}, "0x00000000"},
    };
    for (const auto& [access, box, checked, value] : rows) {
        frm.frmAccess.reset();  // no marks left from the row before
        frm.frmFlagsAndAttributes.reset();
        EXPECT_EQ(access ? Access(box) : Flags(box), value) << box;
        EXPECT_EQ(seen.checked, checked) << box;
        EXPECT_EQ(seen.value, value) << box;
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
        EXPECT_TRUE(seen.exitOK);  // as the OK before left it
        // Next time: the old marks together with the bits of the box as it is then.
        EXPECT_EQ(Access("0x00000001"), "0x80010001");
        EXPECT_EQ(seen.checked, (Names{"FILE_READ_DATA", "DELETE", "GENERIC_READ"}));
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
        EXPECT_EQ(AccessName(), "FILE_READ_DATA");
        EXPECT_EQ(Flags(box), "0x00000001") << box;
    }
    EXPECT_EQ(Result(), "untouched");
    EXPECT_TRUE(tk.msgBoxes.empty());
}

TEST_F(Pickers, EveryItemChecked) {
    const Names all = NamesOf(app::AccessItems());
    EXPECT_EQ(Access("0x00000000", all), "0xF31F01FF");
    std::string names;
    for (const std::string& n : all) names += (names.empty() ? "" : " | ") + n;
    EXPECT_EQ(AccessName(), names);
    EXPECT_EQ(frm.lblAccessName.font().size, 5);
    EXPECT_EQ(Flags("0xFFFFFFFF"), "0xFF307FF7");
    EXPECT_EQ(seen.checked, NamesOf(app::FlagsItems()));
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
