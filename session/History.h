// The session of a main window: every press of a button that makes a call, with the values the
// user changed before it, the dialog and question it settled, and what the window showed after,
// kept as the lines of a script that replays it (session/Script.h). Kept in memory only.
#pragma once

#include <cstddef>
#include <deque>
#include <functional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "session/Names.h"
#include "ui/Toolkit.h"

namespace app {
class FrmMain;
}

namespace session {

class History : private ui::Observer {
  public:
    // A window left pressing for days stops recording rather than eat the memory: no press
    // starts once the lines, or their bytes, are within one press's worth of these.
    static constexpr std::size_t kMaxLines = 100000;
    static constexpr std::size_t kMaxBytes = std::size_t(64) << 20;

    // Hooks the buttons of a loaded main window; unhooks them when it goes.
    // One History per main window: it hooks the buttons and the toolkit's observer.
    explicit History(app::FrmMain& form, std::size_t maxLines = kMaxLines,
                     std::size_t maxBytes = kMaxBytes);
    ~History() override;
    History(const History&) = delete;
    History& operator=(const History&) = delete;

    const std::vector<std::string>& lines() const { return lines_; }
    std::size_t presses() const { return presses_; }
    // The session as a script, each line ended by `newline`.
    std::string script(std::string_view newline) const;

    // Told after lines were added.
    std::function<void()> onChange;

  private:
    // Buttons whose click is wrapped, with the handler each had.
    using Hooks = std::vector<std::pair<ui::Control*, std::function<void()>>>;

    struct Dialog {
        ui::Form* form;
        std::vector<Target> targets;
        std::vector<std::string> values;  // as shown when it opened
        std::string pressed;              // the button that closed it
        Hooks hooked;
    };

    void press(const Target& button, const std::function<void()>& handler);
    // A line for each value that differs from `values` (only `only`'s, when given).
    void addChangedValues(const std::vector<Target>& targets, std::vector<std::string>& values,
                          bool inDialog, const ui::Control* only = nullptr);
    void add(std::string line);
    bool roomForAPress() const;
    void modalShowing(ui::Form& form) override;
    void modalEnded(ui::Form& form) override;
    void answered(const std::string& question, int answer) override;

    app::FrmMain& form_;
    ui::Observer* previousObserver_;
    std::vector<Target> targets_;
    std::vector<std::string> values_;  // as of the last line written or the last press
    Hooks hooked_;
    std::deque<Dialog> dialogs_;  // open dialogs, innermost last; their hooks point here
    std::string answer_;          // the answer of the press under way
    bool pressing_ = false;       // a press under way
    bool recording_ = false;      // ... whose dialogs and answers are recorded
    std::size_t maxLines_;
    std::size_t maxBytes_;
    std::size_t bytes_ = 0;
    bool full_ = false;
    std::size_t presses_ = 0;
    std::vector<std::string> lines_;
};

}  // namespace session
