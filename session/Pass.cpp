#include "session/Pass.h"

#include "app/Presses.h"
#include "session/Lines.h"

namespace session {

namespace {

using Kind = Step::Kind;

// A press counts as a change unless its row says it only reads: a button without a row is
// not run unguarded.
bool Changes(const app::FrmMain& f, const ui::Control& button) {
    const std::optional<sys::Effect> effect = app::EffectOfPress(f, button);
    return !effect || effect->changes();
}

std::string SetLineOf(const Step& s) {
    return SetLine(s.name, s.value, s.inDialog);
}

int AnswerOf(const Step& answer) {
    return answer.value == "Yes" ? ui::kIdYes : ui::kIdNo;
}

}  // namespace

int RunnerToolkit::msgBox(const std::string& text, const std::string& title, std::uint32_t style) {
    if (!msgBoxAnswers.empty()) return Headless::msgBox(text, title, style);
    msgBoxes.push_back({text, title, style});
    unanswered.push_back(text);
    return ui::kIdNo;
}

Pass::Pass(sys::Kernel& kernel, Mode mode, std::ostream* out, const sys::CodePage& codePage,
           const char* decimalSeparator, CallWaiter* waiter)
    : mode_(mode),
      out_(out),
      codePage_(codePage),
      waiter_(waiter),
      waiting_(kernel, [this](const std::function<void()>& call) { wait(call); }),
      frm_(tk_, waiting_, "") {
    frm_.decimalSeparator = decimalSeparator;
    frm_.load();
    targets_ = Targets(frm_);
}

void Pass::run(const Script& script) {
    const auto& steps = script.steps;
    for (std::size_t i = 0; i < steps.size() && !interrupted; ++i) {
        const Step& s = steps[i];
        if (waiter_ && waiter_->interrupted) {
            note(s.line, "interrupted (Ctrl+C) before this line: the run stops here");
            interrupted = true;
            break;
        }
        switch (s.kind) {
            case Kind::Set:
                set(s);
                break;
            case Kind::Press: {
                std::vector<Step> dialog;
                std::size_t j = i + 1;
                for (; j < steps.size() && steps[j].inDialog; ++j) dialog.push_back(steps[j]);
                const Step* answer =
                    j < steps.size() && steps[j].kind == Kind::Answer ? &steps[j] : nullptr;
                press(s, dialog, answer);
                i = answer ? j : j - 1;
                break;
            }
            case Kind::Answer:  // the parser puts it right after its press
                break;
            case Kind::Expect:
                expect(s);
                break;
        }
    }
    if (mode_ == Mode::Run) frm_.close();  // Form_Unload closes a handle left open
}

void Pass::wait(const std::function<void()>& call) {
    if (!waiter_) return call();
    waiter_->wait(call);
    if (waiter_->cancelled != CallWaiter::Cancelled::No) cancelled_ = waiter_->cancelled;
}

void Pass::print(const std::string& line) {
    if (out_) *out_ << codePage_.ToUtf8(line) << '\n';
}

void Pass::note(int line, const std::string& what) {
    if (firstFailure.empty()) firstFailure = "line " + std::to_string(line) + ": " + what;
    print("# line " + std::to_string(line) + ": " + what);
    failed = true;
}

void Pass::set(const Step& s) {
    const Target* t = FindTarget(targets_, s.name);
    if (!t) throw Fault{s.line, "the main window has no control '" + s.name + "'"};
    if (std::string refusal = RefusalOf(*t, s.value); !refusal.empty())
        throw Fault{s.line, refusal};
    SetValue(*t, s.value);
    print(SetLineOf(s));
}

void Pass::press(const Step& s, const std::vector<Step>& dialog, const Step* answer) {
    ui::Control& button = buttonOf(s);
    ++presses;
    print(PressLine(s.name, false));
    if (!button.enabled()) {
        // The rehearsal's opens all succeed; only the real run knows.
        if (mode_ == Mode::Run) note(s.line, s.name + " is disabled: not pressed");
        return;
    }
    DialogPlay play;
    playDialog(dialog, play);
    if (answer) tk_.msgBoxAnswers.push_back(AnswerOf(*answer));
    tk_.unanswered.clear();
    const std::size_t asked = tk_.msgBoxes.size();
    const Shown before = ShownBy(frm_);
    frm_.refused = false;

    click(s, button);
    // After the click: a press that asks what to send changes as its dialog's values say.
    const bool changes = Changes(frm_, button);
    if (changes && firstChangingLine == 0) {
        firstChangingLine = s.line;
        firstChangingStep = "press " + s.name;
    }
    const bool answered = tk_.msgBoxAnswers.empty() && answer;
    tk_.msgBoxAnswers.clear();

    reportDialog(s, dialog, play);
    reportAnswer(s, answer, answered, asked);
    if (listing) listCalls(changes);
    if (mode_ == Mode::Run) {
        print(ExpectLine(frm_.lblResult.text()));
        for (const std::string& line : ShownLines(before, frm_)) print(line);
    }
    reportCancel(s);
}

ui::Control& Pass::buttonOf(const Step& s) {
    const Target* t = FindTarget(targets_, s.name);
    if (!t) throw Fault{s.line, "the main window has no button '" + s.name + "'"};
    if (t->control->kind() != ui::Kind::Button)
        throw Fault{s.line, s.name + " is not a button: write '" + s.name + ": VALUE'"};
    return *t->control;
}

// What the user does in the dialog the press opens, if it opens one.
void Pass::playDialog(const std::vector<Step>& dialog, DialogPlay& play) {
    tk_.modalScripts.push_back([this, &dialog, &play](ui::Form& form) {
        play.shown = true;
        // Whether a dialog opens can depend on the system (a read before it that fails): one
        // the script says nothing about is left as by its close box, which sends nothing.
        if (dialog.empty()) {
            play.unscripted = true;
            return form.close();
        }
        const std::vector<Target> targets = Targets(form);
        for (const Step& d : dialog) {
            const Target* dt = FindTarget(targets, d.name);
            if (!dt)
                throw Fault{d.line,
                            "the dialog " + form.caption() + " has no control '" + d.name + "'"};
            if (d.kind == Kind::Set) {
                if (std::string refusal = RefusalOf(*dt, d.value); !refusal.empty())
                    throw Fault{d.line, refusal};
                SetValue(*dt, d.value);
                play.lines.push_back(SetLineOf(d));
            } else {
                if (dt->control->kind() != ui::Kind::Button)
                    throw Fault{d.line, d.name + " is not a button"};
                play.lines.push_back(PressLine(d.name, true));
                dt->control->click();
            }
        }
    });
}

void Pass::click(const Step& s, ui::Control& button) {
    try {
        button.click();
    } catch (const Fault& f) {
        if (mode_ == Mode::Rehearse) throw;
        note(f.line, f.message);
    } catch (const ui::Unanswered& e) {
        // A dialog that would wait for ever.
        const std::string what =
            "the dialog stays open after its lines (" + std::string(e.what()) + ")";
        if (mode_ == Mode::Rehearse) throw Fault{s.line, what};
        note(s.line, what);
    }
    tk_.modalScripts.clear();
}

void Pass::reportDialog(const Step& s, const std::vector<Step>& dialog, const DialogPlay& play) {
    for (const std::string& line : play.lines) print(line);
    if (!dialog.empty() && !play.shown) {
        if (mode_ == Mode::Rehearse) throw Fault{dialog.front().line, s.name + " opens no dialog"};
        note(dialog.front().line, "the dialog did not open");
    }
    if (play.unscripted && mode_ == Mode::Run)
        note(s.line, s.name +
                         " opened a dialog that the script gives no lines for: closed as by its "
                         "close box");
}

void Pass::reportAnswer(const Step& s, const Step* answer, bool answered, std::size_t asked) {
    if (answered && tk_.msgBoxes.size() > asked) print(AnswerLine(AnswerOf(*answer)));
    if (mode_ == Mode::Run)
        for (const std::string& question : tk_.unanswered)
            note(s.line, "'" + question + "' was asked and the script gives no answer: No");
}

// A dry run's listing: the calls the press made on the inert kernel, or the window's refusal.
void Pass::listCalls(bool changes) {
    if (changes) print("# changes data or a device's state");
    for (const std::string& call : listing->calls) print("#   " + call);
    if (frm_.refused) print("#   refused, no call: " + frm_.lblResult.text());
    listing->calls.clear();
}

void Pass::reportCancel(const Step& s) {
    if (cancelled_ == CallWaiter::Cancelled::Timeout) {
        note(s.line, "a call was still waiting after " + std::to_string(waiter_->timeoutMs / 1000) +
                         " s: cancelled");
    } else if (cancelled_ == CallWaiter::Cancelled::Interrupt) {
        note(s.line, "interrupted (Ctrl+C): the call under way was cancelled, the run stops");
        interrupted = true;
    }
    cancelled_ = CallWaiter::Cancelled::No;
}

void Pass::expect(const Step& s) {
    if (mode_ != Mode::Run) return;
    const std::string& result = frm_.lblResult.text();
    if (MatchesPattern(s.value, result)) return;
    if (firstFailure.empty())
        firstFailure = "line " + std::to_string(s.line) + ": expect " + s.value + ", got " + result;
    note(s.line, "expected '" + s.value + "', the window shows '" + result + "'");
}

}  // namespace session
