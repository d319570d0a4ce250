// The toolkit without windows, for tests: it keeps what a user would see and lets a test script
// what a user would do in modal dialogs and message boxes.
#pragma once

#include <deque>
#include <functional>
#include <stdexcept>
#include <string>
#include <vector>

#include "ui/Form.h"
#include "ui/Toolkit.h"

namespace ui {

// A modal form or message box that nothing answers: a real one would wait for ever. Its own type,
// so that a fault of the program (a misspelt control name) is not taken for it.
class Unanswered : public std::runtime_error {
  public:
    using std::runtime_error::runtime_error;
};

class Headless : public Toolkit {
  public:
    // What the user does in the next modal form, in order of showing ("check item 17, press OK").
    // A modal show with no script left, or a script that leaves the form shown, throws: a real
    // window would wait for ever.
    std::deque<std::function<void(Form&)>> modalScripts;
    // Answers to the next message boxes (kIdYes / kIdNo); a box with none left throws.
    std::deque<int> msgBoxAnswers;
    struct MsgBox {
        std::string text, title;
        std::uint32_t style;
    };
    std::vector<MsgBox> msgBoxes;

    int pointer = kPointerDefault;
    std::vector<int> pointerHistory;  // every change, in order
    // "name=text" of every immediate repaint, in order.
    std::vector<std::string> repaints;

    std::string clipboard;
    int clipboardBusy = 0;  // the next so many clipboard opens fail
    int clipboardAttempts = 0;

    // Start-up chores, as "setIcons(frmMain,APPICON)", "addExStyle(frmMain,0x40000)", ...
    std::vector<std::string> chores;

    void create(Form& form) override;
    void show(Form& form, bool modal) override;
    void hide(Form& form) override;
    void destroy(Form& form) override;
    void captionChanged(Form&) override {}
    void changed(Control&, Prop) override {}
    void refresh(Control& control) override;
    void setMousePointer(int p) override;
    int msgBox(const std::string& text, const std::string& title, std::uint32_t style) override;
    bool clipboardClear() override;
    bool clipboardSetText(const std::string& text) override;
    // Deterministic: every character is round(size * 9) twips wide.
    int textWidth(const Font& font, const std::string& text) override;
    void setIcons(Form& form, const std::string& resourceName) override;
    void addExStyle(Form& form, std::uint32_t exStyle) override;
    void setComboMinVisible(Control& combo, int count) override;
    void disableTheme(Control& control) override;

    // Commands by form and caption; runCommand runs one as its menu item would, key() as its
    // Ctrl+key would on that form (false when there is none).
    struct Command {
        Form* form;
        std::string caption;
        char key;
        std::function<void()> action;
    };
    std::vector<Command> commands;
    void addCommand(Form& form, const std::string& caption, char ctrlKey,
                    std::function<void()> action) override;
    void removeCommand(Form& form, char ctrlKey) override;
    bool ctrlKey(Form& form, char key);
    // The names the user gives in the next save dialogs ("" cancels); none left cancels.
    std::deque<std::string> saveNames;
    std::vector<std::string> savePrompts;  // the suggested names, in order
    std::string saveFileName(Form& owner, const std::string& suggested) override;
    // What the next focusCameByMouse() answers; every selectAllText, by control name.
    bool focusByMouse = false;
    std::vector<std::string> selectedAll;
    bool focusCameByMouse() override { return focusByMouse; }
    void selectAllText(Control& textBox) override { selectedAll.push_back(textBox.fullName()); }

    // Each call runs on a thread of its own. Meanwhile the next script, if any, runs here: what
    // happens while the call waits (the simulated machine's blocked call released, or cancelled
    // as Escape would). A call with no script left just runs to its end.
    std::deque<std::function<void()>> waitScripts;
    void waitFor(const std::function<void()>& call) override;
};

}  // namespace ui
