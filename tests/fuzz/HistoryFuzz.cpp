// A user whose every choice is the input's next byte: what is typed, pressed and answered, and
// how each dialog is left. The session the window recorded, saved as the Session window saves
// it and replayed on a fresh machine, shows the same lines; one holding a value no line can
// hold is refused before any call.
#include <array>
#include <sstream>

#include "app/FrmMain.h"
#include "session/History.h"
#include "session/Names.h"
#include "session/Runner.h"
#include "sys/CodePage.h"
#include "sys/SimMachine.h"
#include "tests/fuzz/Fuzz.h"
#include "ui/Headless.h"

namespace {

struct User : ui::Headless {
    fuzz::Bytes in;

    int msgBox(const std::string&, const std::string&, std::uint32_t) override {
        return std::array{ui::kIdYes, ui::kIdNo, ui::kIdCancel}[in.pick(3)];  // Cancel: Escape
    }
    // A dialog: a few values, then a button or the close box.
    void show(ui::Form& form, bool modal) override {
        form.setShown(true);
        if (!modal) return;
        const auto targets = session::Targets(form);
        for (std::size_t i = targets.empty() ? 0 : in.pick(4); i > 0; --i)
            Edit(targets[in.pick(targets.size())]);
        if (in.pick(5) == 0 || !Press(targets)) form.close();
    }
    bool Press(const std::vector<session::Target>& targets) {
        std::vector<ui::Control*> buttons;
        for (const auto& t : targets)
            if (t.control->kind() == ui::Kind::Button && t.control->enabled())
                buttons.push_back(t.control);
        if (!buttons.empty()) buttons[in.pick(buttons.size())]->click();
        return !buttons.empty();
    }
    // A value from a stock of likely ones, or any bytes.
    void Edit(const session::Target& t) {
        // clang-format off
        static const char* const kTexts[] = {"", "0", "1", "16", "512", "-1", "0x4", "0x0", "x",
            "0x80000000", "0xC0000000", "2.5", "\\\\.\\C:", "C:\\r.bin", "\\\\.\\PhysicalDrive0",
            "0x8000000000000001"};
        // clang-format on
        const std::size_t i = in.pick(std::size(kTexts) + 1);
        const ui::Kind kind = t.control->kind();
        if (kind == ui::Kind::CheckBox || kind == ui::Kind::CheckList)
            session::SetValue(t, i % 2 ? "checked" : "unchecked");
        else if (kind == ui::Kind::DropDownList)
            t.control->setListIndex(int(in.pick(t.control->items().size())));
        else if (const std::string typed = i < std::size(kTexts) ? kTexts[i] : in.text(12);
                 kind != ui::Kind::Button && (t.name != "Count" || !fuzz::Huge(typed)))
            t.control->setText(typed);
    }
};

void History(std::string_view input) {
    User user;
    user.in.rest = input;
    sys::SimMachine machine;
    app::FrmMain frm(user, machine, "");
    frm.load();
    session::History history(frm);
    const auto targets = session::Targets(frm);
    for (int step = 0; step < 40 && !user.in.rest.empty(); ++step) {
        if (user.in.pick(3) == 0)
            user.Edit(targets[user.in.pick(targets.size())]);
        else
            user.Press(targets);
    }
    frm.close();

    // Saved and replayed in UTF-8, as the Session window writes it and hbrun reads it.
    const sys::CodePage& cp = sys::Windows1252();
    std::string recorded;
    bool unwritable = false;
    for (const std::string& line : history.lines()) {
        recorded += cp.ToUtf8(line) + '\n';
        unwritable |= line.starts_with("!") || line.starts_with("  !");
    }
    sys::SimMachine fresh;
    std::ostringstream out;
    const int rc =
        session::RunScript(cp.ToUtf8(history.script("\n")), fresh, {.allowChanges = true}, out);
    FUZZ_CHECK(rc == (unwritable ? session::kRunScriptError : session::kRunPassed));
    FUZZ_CHECK(unwritable || out.str() == recorded);
}

}  // namespace

FUZZ_TARGET(history, History)
