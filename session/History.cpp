#include "session/History.h"

#include "app/FrmMain.h"
#include "session/InertKernel.h"
#include "session/Lines.h"
#include "ui/Headless.h"

namespace session {

namespace {

// Buttons have no value, and a box that only shows one is never set by a script.
bool Recorded(const Target& t) {
    return t.control->kind() != ui::Kind::Button && !t.control->readOnly();
}

std::vector<std::string> ValuesOf(const std::vector<Target>& targets) {
    std::vector<std::string> values;
    values.reserve(targets.size());
    for (const Target& t : targets) values.push_back(Recorded(t) ? ShownValue(t) : "");
    return values;
}

// What a fresh main window shows, as a replay starts from: the one the runner makes, with no
// file name given, touching nothing.
std::vector<std::string> FreshValues() {
    ui::Headless toolkit;
    InertKernel kernel;
    app::FrmMain fresh(toolkit, kernel, "");
    fresh.load();
    return ValuesOf(Targets(fresh));
}

// Leaves a flag set for the life of a scope, whatever way it is left.
class Raise {
  public:
    explicit Raise(bool& flag) : flag_(flag) { flag_ = true; }
    ~Raise() { flag_ = false; }
    Raise(const Raise&) = delete;
    Raise& operator=(const Raise&) = delete;

  private:
    bool& flag_;
};

// Wraps the click of every button among the targets: `wrap` gets the target and the handler
// it had, which Unhook puts back.
template <class Hooks, class Wrap>
void Hook(const std::vector<Target>& targets, Hooks& hooks, Wrap wrap) {
    for (const Target& t : targets) {
        if (t.control->kind() != ui::Kind::Button) continue;
        hooks.emplace_back(t.control, t.control->onClick);
        t.control->onClick = [&t, wrap, handler = t.control->onClick] { wrap(t, handler); };
    }
}

template <class Hooks>
void Unhook(Hooks& hooks) {
    for (auto& [control, handler] : hooks) control->onClick = std::move(handler);
    hooks.clear();
}

}  // namespace

History::History(app::FrmMain& form, std::size_t maxLines, std::size_t maxBytes)
    : form_(form),
      previousObserver_(form.toolkit().observer),
      targets_(Targets(form)),
      values_(FreshValues()),
      maxLines_(maxLines),
      maxBytes_(maxBytes) {
    if (values_.size() != targets_.size()) values_ = ValuesOf(targets_);
    Hook(targets_, hooked_,
         [this](const Target& t, const std::function<void()>& handler) { press(t, handler); });
    form.toolkit().observer = this;
}

History::~History() {
    Unhook(hooked_);
    if (form_.toolkit().observer == this) form_.toolkit().observer = previousObserver_;
}

std::string History::script(std::string_view newline) const {
    std::size_t size = 32;
    for (const std::string& line : lines_) size += line.size() + newline.size();
    std::string text;
    text.reserve(size);
    text += "# Handlebench session";
    text += newline;
    for (const std::string& line : lines_) {
        text += line;
        text += newline;
    }
    return text;
}

void History::add(std::string line) {
    bytes_ += line.size() + 2;
    lines_.push_back(std::move(line));
}

// A press writes at most a line per control of the window and of its dialog, the lines of a
// decoded answer, and a few more:
// one is begun only when all of them fit, so a press is never cut off in the middle.
bool History::roomForAPress() const {
    constexpr std::size_t kLinesOfADialog = 64, kLongestValue = 1 << 16;
    const std::size_t lines = targets_.size() + kLinesOfADialog + kMostDecodedLines + 1;
    return lines_.size() + lines < maxLines_ && bytes_ + lines * kLongestValue < maxBytes_;
}

void History::addChangedValues(const std::vector<Target>& targets, std::vector<std::string>& values,
                               bool inDialog, const ui::Control* only) {
    for (std::size_t i = 0; i < targets.size(); ++i) {
        const Target& t = targets[i];
        if (!Recorded(t) || (only && t.control != only)) continue;
        std::string now = ShownValue(t);
        if (now == values[i]) continue;
        add(Writable(now) ? SetLine(t.name, now, inDialog) : UnwritableLine(t.name, inDialog));
        values[i] = std::move(now);
    }
}

void History::press(const Target& button, const std::function<void()>& handler) {
    // A press made by a handler is part of the press under way.
    if (pressing_ || full_) {
        if (handler) handler();
        return;
    }
    const std::size_t before = lines_.size();
    if (!roomForAPress()) {
        full_ = true;
        add("# the history is full: later presses are not recorded");
        if (onChange) onChange();
        if (handler) handler();
        return;
    }
    const Raise pressing(pressing_);
    // The pickers make no call: what they leave in their box is a value to set. Other edits
    // wait for the press that uses them.
    const ui::Control* pickerBox = button.control == &form_.cmdAccess ? &form_.txtAccess
                                   : button.control == &form_.cmdFlagsAndAttributesList
                                       ? &form_.txtFlagsAndAttibutes
                                       : nullptr;
    if (pickerBox) {
        if (handler) handler();
        addChangedValues(targets_, values_, false, pickerBox);
    } else {
        addChangedValues(targets_, values_, false);
        // A dialog left by a press that did not end (an exception) is no longer there.
        dialogs_.clear();
        add(PressLine(button.name, false));
        const Shown shown = ShownBy(form_);
        answer_.clear();
        {
            const Raise recording(recording_);
            if (handler) handler();
        }
        // A script answers after the dialog, whenever the question came.
        if (!answer_.empty()) add(std::move(answer_));
        add(ExpectLine(form_.lblResult.text()));
        for (std::string& line : ShownLines(shown, form_)) add(std::move(line));
        ++presses_;
        // What the handler itself put in the boxes is no edit of the user's.
        values_ = ValuesOf(targets_);
    }
    if (lines_.size() != before && onChange) onChange();
}

void History::modalShowing(ui::Form& form) {
    if (previousObserver_) previousObserver_->modalShowing(form);
    if (!recording_ || &form == &form_) return;
    Dialog d{&form, Targets(form), {}, {}, {}};
    d.values = ValuesOf(d.targets);
    dialogs_.push_back(std::move(d));
    Dialog& dialog = dialogs_.back();
    Hook(dialog.targets, dialog.hooked,
         [&dialog](const Target& t, const std::function<void()>& handler) {
             dialog.pressed = t.name;
             if (handler) handler();
         });
}

void History::modalEnded(ui::Form& form) {
    if (!dialogs_.empty() && dialogs_.back().form == &form) {
        Dialog& d = dialogs_.back();
        Unhook(d.hooked);
        addChangedValues(d.targets, d.values, true);
        // The close box does what Cancel does in every dialog of the window.
        if (d.pressed.empty() && FindTarget(d.targets, "Cancel")) d.pressed = "Cancel";
        if (!d.pressed.empty()) add(PressLine(d.pressed, true));
        dialogs_.pop_back();
    }
    if (previousObserver_) previousObserver_->modalEnded(form);
}

void History::answered(const std::string& question, int answer) {
    // A script holds one answer a press; a later question of the same press is asked again on
    // replay and answered No there.
    if (recording_ && answer_.empty()) answer_ = AnswerLine(answer);
    if (previousObserver_) previousObserver_->answered(question, answer);
}

}  // namespace session
