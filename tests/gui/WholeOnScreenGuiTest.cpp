// What the windows show is whole: every number box its widest value, in the font it really has.
#include "MainWindowFixture.h"
#include "devctl/AttributeDialogs.h"

#include <vector>

namespace guitest {
namespace {

// "0x" and the font's widest hex digit (not F in every font) that many times.
std::string WidestHex(HWND box, int digits) {
    char widest = '0';
    for (char c : std::string("0123456789ABCDEF"))
        if (TextSize(box, {c}).cx > TextSize(box, {widest}).cx) widest = c;
    return "0x" + std::string(static_cast<std::size_t>(digits), widest);
}

TEST_F(MainWindow, EveryNumberBoxShowsItsWidestValueWholeWithTheCaretAtItsEnd) {
    app::FrmSetDiskAttributes disk(kit);
    app::FrmSetGptAttribs gpt(kit);
    disk.load();
    gpt.load();
    const char* const kInt32 = "-2147483648";
    struct Box {
        const char* name;
        int hexDigits;
        const char* decimal;  // "": none
    };
    const struct {
        ui::Form& form;
        const char* picture;
        std::vector<Box> boxes;
    } windows[] = {
        {*frm,
         "number-boxes-widest",
         {{"txtAccess", 8, ""},
          {"txtFlagsAndAttibutes", 8, ""},
          {"txtCount", 8, kInt32},
          {"txtPosLow", 8, kInt32},
          {"txtPosHigh", 8, kInt32}}},
        {disk, "number-boxes-widest-disk-attributes", {{"txtAttr", 8, ""}, {"txtAttrMask", 8, ""}}},
        {gpt,
         "number-boxes-widest-gpt-attributes",
         {{"txtGptAttributes", 16, ""},
          {"txtApplyToAllConnectedVolumes", 2, "255"},
          {"txtRevertOnClose", 2, "255"}}},
    };
    for (const auto& w : windows) {
        if (!w.form.shown()) w.form.show(false);  // before the values: showing sets its own
        for (const Box& b : w.boxes) {
            HWND box = GetDlgItem(kit.window(w.form), w.form.ctl(b.name).id());
            std::vector<std::string> values;
            if (*b.decimal) values.push_back(b.decimal);
            values.push_back(WidestHex(box, b.hexDigits));  // the wider: left shown
            for (const std::string& value : values) {
                SCOPED_TRACE(std::string(b.name) + " " + value);
                SetWindowTextA(box, value.c_str());
                const auto end = static_cast<WPARAM>(value.size());
                SendMessageA(box, EM_SETSEL, end, static_cast<LPARAM>(end));
                SendMessageA(box, EM_SCROLLCARET, 0, 0);
                RECT client;
                GetClientRect(box, &client);
                const auto margins = static_cast<DWORD>(SendMessageA(box, EM_GETMARGINS, 0, 0));
                const int needed = LOWORD(margins) + TextSize(box, value).cx + HIWORD(margins);
                EXPECT_LE(needed, client.right);
                EXPECT_EQ(SendMessageA(box, EM_GETFIRSTVISIBLELINE, 0, 0), 0) << "scrolled";
            }
        }
        settle();
        Screenshot(kit.window(w.form), w.picture);
        if (&w.form != frm.get()) w.form.hide();
    }
}

}  // namespace
}  // namespace guitest
