// The window toolkit seam: what forms need beyond their controls' state. Two implementations:
// Win32 (real windows, Win32Toolkit.cpp) and headless (tests, Headless.h).
#pragma once

#include <cstdint>
#include <functional>
#include <string>

#include "ui/Control.h"

namespace ui {

class Form;

// Told what the user settles in modal forms and message boxes; the session history listens.
class Observer {
  public:
    virtual ~Observer() = default;
    // A modal form is about to show, its values set; it has been hidden again.
    virtual void modalShowing(Form&) {}
    virtual void modalEnded(Form&) {}
    // A question was answered.
    virtual void answered(const std::string& /*question*/, int /*answer*/) {}
};

inline constexpr int kPointerDefault = 0;
inline constexpr int kPointerHourglass = 11;

inline constexpr int kIdCancel = 2;  // Escape or the close box, where the box allows it
inline constexpr int kIdYes = 6;
inline constexpr int kIdNo = 7;
inline constexpr std::uint32_t kYesNoQuestion = 0x24;  // MB_YESNO | MB_ICONQUESTION

class Toolkit {
  public:
    virtual ~Toolkit() = default;

    // Form lifetime. create() makes the windows of a loaded form (hidden).
    virtual void create(Form& form) = 0;
    // Show the form; modal shows return once the form is hidden (owner disabled meanwhile).
    virtual void show(Form& form, bool modal) = 0;
    virtual void hide(Form& form) = 0;
    virtual void destroy(Form& form) = 0;
    virtual void captionChanged(Form& form) = 0;

    // A control's state changed by the program: mirror it to its window.
    virtual void changed(Control& control, Prop what) = 0;
    // Repaint a control at once (before a slow call).
    virtual void refresh(Control& control) = 0;

    // The application-wide mouse pointer: kPointerHourglass or kPointerDefault.
    virtual void setMousePointer(int pointer) = 0;

    // Modal message box; returns kIdYes or kIdNo for a Yes/No box, though a system may answer
    // otherwise (Wine gives kIdCancel for No once Escape was pressed): only kIdYes is a yes.
    virtual int msgBox(const std::string& text, const std::string& title, std::uint32_t style) = 0;
    // The same, told to the observer: what forms call.
    int ask(const std::string& text, const std::string& title, std::uint32_t style) {
        const int answer = msgBox(text, title, style);
        if (observer) observer->answered(text, answer);
        return answer;
    }
    Observer* observer = nullptr;

    // A command of the form's system menu ("caption\tCtrl+key"), also run by Ctrl+key while the
    // form is the active window.
    virtual void addCommand(Form& form, const std::string& caption, char ctrlKey,
                            std::function<void()> action) = 0;
    // Takes the command of this Ctrl+key away again (its action may refer to what goes).
    virtual void removeCommand(Form& form, char ctrlKey) = 0;
    // Asks where to save a file ("Save as"); "" when the user cancelled.
    virtual std::string saveFileName(Form& owner, const std::string& suggested) = 0;

    // The clipboard. Each returns false when the clipboard could not be had.
    virtual bool clipboardClear() = 0;
    virtual bool clipboardSetText(const std::string& text) = 0;

    // Width in twips of one line of text in this font, as a label sizing itself would take.
    virtual int textWidth(const Font& font, const std::string& text) = 0;

    // Start-up chores on real windows; no-ops where the platform has no counterpart.
    // Big and small icon from the named icon resource; the big one also goes to the owner
    // window that stands for the program on the task bar.
    virtual void setIcons(Form& form, const std::string& resourceName) = 0;
    virtual void addExStyle(Form& form, std::uint32_t exStyle) = 0;  // GWL_EXSTYLE |= exStyle
    virtual void setComboMinVisible(Control& combo, int count) = 0;  // CB_SETMINVISIBLE
    // True when the focus just arrived by a mouse click rather than from the keyboard.
    virtual bool focusCameByMouse() = 0;
    // Select the whole text of a text box.
    virtual void selectAllText(Control& textBox) = 0;

    // Draw the control without visual styles (SetWindowTheme with " " and " ").
    virtual void disableTheme(Control& control) = 0;

    // Makes one call that may block on a worker thread and returns once it has ended. Meanwhile
    // the windows repaint and show the hourglass but take no input: Escape, or a window's close
    // box, cancels the call, which then fails as the system reports a cancelled call (and a
    // close box closes its window once the event that made the call has ended).
    virtual void waitFor(const std::function<void()>& call) = 0;
};

}  // namespace ui
