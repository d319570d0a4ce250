// The toolkit on real Windows windows: one top-level window per form, one child window of a
// standard or common-control class per control, made from the form's control table.
//
// Event rules (how window messages become control state and events):
// - All routing is in one place (Win32Window.cpp): WM_COMMAND and WM_NOTIFY find the control by
//   its child window id, WM_CTLCOLORSTATIC colours labels, WM_CLOSE runs Form::close().
// - What the user did is written to the control first (userSetText, userSetValue,
//   userSetListIndex, userSetChecked), then the event is raised (click, dblClick).
//   EN_CHANGE / CBN_EDITCHANGE: text.  CBN_SELCHANGE: list index (and text).  LBN_SELCHANGE: list
//   index.  BN_CLICKED: a check box's value, then onClick; a button's onClick.  STN_DBLCLK:
//   onDblClick.  LVN_ITEMCHANGED of a check mark: userSetChecked (which raises onClick).
// - Before a click or double click is raised, the live state of every control is read back from
//   its window (texts, check marks, list and combo selections), so state put in without a
//   notification (BM_SETCHECK, CB_SETCURSEL, WM_SETTEXT) is still what handlers see; a check
//   mark found changed raises its click as the user's click would.
// - Changes made by the program (Toolkit::changed) are mirrored to the window with notifications
//   muted: they never come back as user changes or events.
// - A command added to a form's system menu runs from WM_SYSCOMMAND, and from its Ctrl+key while
//   the form is active (taken in the message loop, so an edit box never sees the key).
// - Enter presses the form's default button, Escape its cancel button (IsDialogMessage in the
//   message loop; DM_GETDEFID answers the default button's id).
// - While a call that may block runs on the worker (waitFor), windows paint, timers run and sent
//   messages are answered, but keyboard and client-area mouse input is dropped and no
//   notification becomes state or an event. Escape cancels the call; WM_CLOSE cancels it and
//   runs once the event that made the call has ended. A call that the system does not let go
//   within seconds of the main window's close ends the program.
#pragma once

#include <windows.h>

#include <functional>
#include <map>
#include <memory>
#include <string>
#include <tuple>
#include <vector>

#include "ui/Form.h"
#include "ui/Toolkit.h"

namespace ui {

struct Win32FormPeer;
class Win32Worker;

class Win32Toolkit : public Toolkit {
  public:
    Win32Toolkit();
    ~Win32Toolkit() override;
    Win32Toolkit(const Win32Toolkit&) = delete;
    Win32Toolkit& operator=(const Win32Toolkit&) = delete;

    void create(Form& form) override;
    void show(Form& form, bool modal) override;
    void hide(Form& form) override;
    void destroy(Form& form) override;
    void captionChanged(Form& form) override;
    void changed(Control& control, Prop what) override;
    void refresh(Control& control) override;
    void setMousePointer(int pointer) override;
    int msgBox(const std::string& text, const std::string& title, std::uint32_t style) override;
    bool clipboardClear() override;
    bool clipboardSetText(const std::string& text) override;
    int textWidth(const Font& font, const std::string& text) override;
    void setIcons(Form& form, const std::string& resourceName) override;
    void addExStyle(Form& form, std::uint32_t exStyle) override;
    void setComboMinVisible(Control& combo, int count) override;
    void disableTheme(Control& control) override;
    bool focusCameByMouse() override;
    void selectAllText(Control& textBox) override;
    void waitFor(const std::function<void()>& call) override;
    void addCommand(Form& form, const std::string& caption, char ctrlKey,
                    std::function<void()> action) override;
    void removeCommand(Form& form, char ctrlKey) override;
    std::string saveFileName(Form& owner, const std::string& suggested) override;

    // The window of a loaded form or of one of its controls; nullptr when there is none.
    HWND window(const Form& form) const;
    HWND window(const Control& control) const;
    int mousePointer() const { return pointer_; }

    // Runs the program's message loop until `form` is unloaded (or WM_QUIT); returns the exit code.
    int run(Form& form);
    // Handles every message already waiting, then returns (for tests and start-up).
    void pumpPending();

    // Shared by the window procedure and the control code.
    HFONT font(const Font& font, int dpi);
    // One line of text: its width, and the font's line height.
    SIZE textExtentPixels(const Font& font, const std::string& text, int dpi);
    bool dispatch(MSG& msg);  // false for WM_QUIT
    bool isFormWindow(HWND hwnd) const;
    // True while a call runs on the worker: the windows take no input then.
    bool waiting() const { return wait_ != nullptr; }
    // The close box of `window` while a call runs: the call is cancelled, and the window closes
    // once the event that made the call has ended.
    void closeAfterWait(HWND window);

  private:
    struct Wait;
    HWND mainWindow() const;
    HWND activeFormWindow() const;
    void enableOthers(Win32FormPeer& modal, bool on);
    // Disables every shown form but one and says which; EnableAgain undoes it.
    std::vector<HWND> disableAllBut(HWND keep) const;
    static void EnableAgain(std::vector<HWND>& disabled);
    void waitPainting();
    void closeIfAsked();
    bool commandKey(const MSG& msg, HWND root);

    // The window records of loaded forms, owned here; the first is the main window's.
    std::vector<std::unique_ptr<Win32FormPeer>> peers_;
    std::map<std::tuple<std::string, long, int, bool>, HFONT> fonts_;
    int pointer_ = kPointerDefault;
    std::unique_ptr<Win32Worker> worker_;  // made at the first call that may block
    Wait* wait_ = nullptr;                 // the wait under way
    HWND closeAsked_ = nullptr;            // closed when the event that waited has ended
    int closeDepth_ = 0;                   // how deep in dispatches that event was
    int depth_ = 0;                        // dispatches under way
};

}  // namespace ui
