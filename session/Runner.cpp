#include "session/Runner.h"

#include <fstream>
#include <iostream>
#include <iterator>
#include <optional>
#include <sstream>
#include <stdexcept>
#include <string>
#include <variant>

#include "app/FrmMain.h"
#include "app/Presses.h"
#include "session/InertKernel.h"
#include "session/Lines.h"
#include "session/Names.h"
#include "session/Script.h"
#include "sys/WaitingKernel.h"
#include "ui/Headless.h"

namespace session {

namespace {

using Kind = Step::Kind;

// A script error found while rehearsing: the run stops before the real kernel sees a call.
struct Fault {
    int line;
    std::string message;
};

// Questions nobody scripted are answered No, which never writes, and noted.
class RunnerToolkit : public ui::Headless {
  public:
    std::vector<std::string> unanswered;
    int msgBox(const std::string& text, const std::string& title, std::uint32_t style) override {
        if (!msgBoxAnswers.empty()) return Headless::msgBox(text, title, style);
        msgBoxes.push_back({text, title, style});
        unanswered.push_back(text);
        return ui::kIdNo;
    }
};

// A press counts as a change unless its row says it only reads: a button without a row is
// not run unguarded.
bool Changes(const app::FrmMain& f, const ui::Control& button) {
    const std::optional<sys::Effect> effect = app::EffectOfPress(f, button);
    return !effect || effect->changes();
}

std::string SetLineOf(const Step& s) {
    return SetLine(s.name, s.value, s.inDialog);
}

enum class Mode { Rehearse, Run };

// One pass of the script through a fresh main window.
class Pass {
  public:
    Pass(sys::Kernel& kernel, Mode mode, std::ostream* out, const sys::CodePage& codePage,
         const char* decimalSeparator, CallWaiter* waiter = nullptr)
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

    // Rehearsal: the calls of each press are listed when a dry run asks for them.
    InertKernel* listing = nullptr;
    int firstChangingLine = 0;
    std::string firstChangingStep;
    bool failed = false;
    bool interrupted = false;  // Ctrl+C: the run stopped there

    void run(const Script& script) {
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

  private:
    void wait(const std::function<void()>& call) {
        if (!waiter_) return call();
        waiter_->wait(call);
        if (waiter_->cancelled != CallWaiter::Cancelled::No) cancelled_ = waiter_->cancelled;
    }

    void print(const std::string& line) {
        if (out_) *out_ << codePage_.ToUtf8(line) << '\n';
    }
    void note(int line, const std::string& what) {
        print("# line " + std::to_string(line) + ": " + what);
        failed = true;
    }

    void set(const Step& s) {
        const Target* t = FindTarget(targets_, s.name);
        if (!t) throw Fault{s.line, "the main window has no control '" + s.name + "'"};
        if (std::string refusal = RefusalOf(*t, s.value); !refusal.empty())
            throw Fault{s.line, refusal};
        SetValue(*t, s.value);
        print(SetLineOf(s));
    }

    void press(const Step& s, const std::vector<Step>& dialog, const Step* answer) {
        const Target* t = FindTarget(targets_, s.name);
        if (!t) throw Fault{s.line, "the main window has no button '" + s.name + "'"};
        if (t->control->kind() != ui::Kind::Button)
            throw Fault{s.line, s.name + " is not a button: write '" + s.name + ": VALUE'"};
        ui::Control& button = *t->control;
        print(PressLine(s.name, false));
        if (!button.enabled()) {
            // The rehearsal's opens all succeed; only the real run knows.
            if (mode_ == Mode::Run) note(s.line, s.name + " is disabled: not pressed");
            return;
        }
        const bool changes = Changes(frm_, button);
        if (changes && firstChangingLine == 0) {
            firstChangingLine = s.line;
            firstChangingStep = "press " + s.name;
        }

        bool dialogShown = false;
        bool unscripted = false;
        std::vector<std::string> dialogLines;
        {
            tk_.modalScripts.push_back([&](ui::Form& form) {
                dialogShown = true;
                // Whether a dialog opens can depend on the system (a read before it that fails):
                // one the script says nothing about is left as by its close box, which sends
                // nothing.
                if (dialog.empty()) {
                    unscripted = true;
                    return form.close();
                }
                const std::vector<Target> targets = Targets(form);
                for (const Step& d : dialog) {
                    const Target* dt = FindTarget(targets, d.name);
                    if (!dt)
                        throw Fault{d.line, "the dialog " + form.caption() + " has no control '" +
                                                d.name + "'"};
                    if (d.kind == Kind::Set) {
                        if (std::string refusal = RefusalOf(*dt, d.value); !refusal.empty())
                            throw Fault{d.line, refusal};
                        SetValue(*dt, d.value);
                        dialogLines.push_back(SetLineOf(d));
                    } else {
                        if (dt->control->kind() != ui::Kind::Button)
                            throw Fault{d.line, d.name + " is not a button"};
                        dialogLines.push_back(PressLine(d.name, true));
                        dt->control->click();
                    }
                }
            });
        }
        if (answer) tk_.msgBoxAnswers.push_back(answer->value == "Yes" ? ui::kIdYes : ui::kIdNo);
        tk_.unanswered.clear();
        const std::size_t asked = tk_.msgBoxes.size();
        const Shown before = ShownBy(frm_);
        frm_.refused = false;

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
        const bool answered = tk_.msgBoxAnswers.empty() && answer;
        tk_.msgBoxAnswers.clear();

        for (const std::string& line : dialogLines) print(line);
        if (!dialog.empty() && !dialogShown) {
            if (mode_ == Mode::Rehearse)
                throw Fault{dialog.front().line, s.name + " opens no dialog"};
            note(dialog.front().line, "the dialog did not open");
        }
        if (unscripted && mode_ == Mode::Run)
            note(s.line, s.name +
                             " opened a dialog that the script gives no lines for: closed as by "
                             "its close box");
        if (answered && tk_.msgBoxes.size() > asked)
            print(AnswerLine(answer->value == "Yes" ? ui::kIdYes : ui::kIdNo));
        if (mode_ == Mode::Run)
            for (const std::string& question : tk_.unanswered)
                note(s.line, "'" + question + "' was asked and the script gives no answer: No");

        if (listing) {
            if (changes) print("# changes data or a device's state");
            for (const std::string& call : listing->calls) print("#   " + call);
            if (frm_.refused) print("#   refused, no call: " + frm_.lblResult.text());
            listing->calls.clear();
        }
        if (mode_ == Mode::Run) {
            print(ExpectLine(frm_.lblResult.text()));
            for (const std::string& line : ShownLines(before, ShownBy(frm_))) print(line);
        }
        if (cancelled_ == CallWaiter::Cancelled::Timeout) {
            note(s.line, "a call was still waiting after " +
                             std::to_string(waiter_->timeoutMs / 1000) + " s: cancelled");
        } else if (cancelled_ == CallWaiter::Cancelled::Interrupt) {
            note(s.line, "interrupted (Ctrl+C): the call under way was cancelled, the run stops");
            interrupted = true;
        }
        cancelled_ = CallWaiter::Cancelled::No;
    }

    void expect(const Step& s) {
        if (mode_ != Mode::Run) return;
        const std::string& result = frm_.lblResult.text();
        if (!MatchesPattern(s.value, result))
            note(s.line, "expected '" + s.value + "', the window shows '" + result + "'");
    }

    Mode mode_;
    std::ostream* out_;
    const sys::CodePage& codePage_;
    CallWaiter* waiter_;
    CallWaiter::Cancelled cancelled_ = CallWaiter::Cancelled::No;  // during the press under way
    sys::WaitingKernel waiting_;
    RunnerToolkit tk_;
    app::FrmMain frm_;
    std::vector<Target> targets_;
};

// Whole seconds, as --timeout takes them.
std::optional<int> TimeoutMs(std::string_view text) {
    int seconds = 0;
    if (text.empty() || text.size() > 5) return std::nullopt;
    for (const char c : text) {
        if (c < '0' || c > '9') return std::nullopt;
        seconds = seconds * 10 + (c - '0');
    }
    if (seconds < 1 || seconds > 86400) return std::nullopt;
    return seconds * 1000;
}

}  // namespace

// The script's UTF-8 (a byte-order mark allowed) in the window's code page, line by line, so
// that a character it cannot hold is named by its line.
std::variant<std::string, ScriptError> InCodePage(std::string_view utf8,
                                                  const sys::CodePage& codePage) {
    if (utf8.substr(0, 3) == "\xEF\xBB\xBF") utf8.remove_prefix(3);
    std::string ansi;
    ansi.reserve(utf8.size());
    int lineNo = 1;
    for (std::size_t at = 0; at <= utf8.size(); ++lineNo) {
        std::size_t end = utf8.find('\n', at);
        if (end == std::string_view::npos) end = utf8.size();
        const std::optional<std::string> line = codePage.FromUtf8(utf8.substr(at, end - at));
        if (!line)
            return ScriptError{lineNo, "not UTF-8, or a character that code page " +
                                           std::to_string(codePage.Number()) + " cannot hold"};
        ansi += *line;
        if (end < utf8.size()) ansi += '\n';
        at = end + 1;
    }
    return ansi;
}

static int RunScriptWith(std::string_view utf8, sys::Kernel& kernel, const RunOptions& options,
                         std::ostream& out, const char* decimalSeparator) {
    const sys::CodePage& codePage = options.codePage ? *options.codePage : sys::Windows1252();
    auto converted = InCodePage(utf8, codePage);
    auto parsed = std::holds_alternative<std::string>(converted)
                      ? ParseScript(std::get<std::string>(converted))
                      : std::variant<Script, ScriptError>(std::get<ScriptError>(converted));
    if (auto* e = std::get_if<ScriptError>(&parsed)) {
        out << "line " << e->line << ": " << codePage.ToUtf8(e->message) << '\n';
        return kRunScriptError;
    }
    const Script& script = std::get<Script>(parsed);

    int firstChangingLine = 0;
    std::string firstChangingStep;
    {
        InertKernel inert;
        std::ostringstream listing;
        Pass rehearsal(inert, Mode::Rehearse, options.dryRun ? &listing : nullptr, codePage,
                       decimalSeparator);
        inert.calls.clear();  // the window's start-up is not a step
        if (options.dryRun) rehearsal.listing = &inert;
        try {
            rehearsal.run(script);
        } catch (const Fault& f) {
            out << "line " << f.line << ": " << codePage.ToUtf8(f.message) << '\n';
            return kRunScriptError;
        }
        firstChangingLine = rehearsal.firstChangingLine;
        firstChangingStep = rehearsal.firstChangingStep;
        if (options.dryRun) {
            out << listing.str();
            return kRunPassed;
        }
    }
    if (firstChangingLine != 0 && !options.allowChanges) {
        out << "line " << firstChangingLine << ": " << codePage.ToUtf8(firstChangingStep)
            << " changes data or a device's state; nothing was run (--allow-changes runs it)\n";
        return kRunScriptError;
    }
    Pass pass(kernel, Mode::Run, &out, codePage, decimalSeparator, options.waiter);
    pass.run(script);
    if (pass.interrupted) return kRunInterrupted;
    return pass.failed ? kRunExpectFailed : kRunPassed;
}

int RunScript(std::string_view text, sys::Kernel& kernel, const RunOptions& options,
              std::ostream& out) {
    return RunScriptWith(text, kernel, options, out, ".");
}

int RunnerMain(int argc, char** argv, sys::Kernel& kernel, CallWaiter& waiter,
               const sys::CodePage& codePage, std::ostream& out, std::ostream& err,
               const char* decimalSeparator) {
    RunOptions options;
    options.waiter = &waiter;
    options.codePage = &codePage;
    const char* path = nullptr;
    for (int i = 1; i < argc; ++i) {
        const std::string arg = argv[i];
        if (arg == "--allow-changes") {
            options.allowChanges = true;
        } else if (arg == "--dry-run") {
            options.dryRun = true;
        } else if (arg == "--timeout" && i + 1 < argc) {
            const std::optional<int> ms = TimeoutMs(argv[++i]);
            if (!ms) {
                path = nullptr;
                break;
            }
            waiter.timeoutMs = *ms;
        } else if (path == nullptr && (arg == "-" || arg.rfind("--", 0) != 0)) {
            path = argv[i];
        } else {
            path = nullptr;
            break;
        }
    }
    if (path == nullptr) {
        err << "usage: hbrun [--allow-changes] [--dry-run] [--timeout SECONDS] SCRIPT\n"
               "  runs SCRIPT (\"-\" for standard input) through the bench's main window and\n"
               "  prints each step with the result line it showed; exit 0 when every expect\n"
               "  held, 1 when one did not, 2 for a script error (nothing run), 130 when\n"
               "  interrupted; a call still waiting after SECONDS (1 to 86400) is cancelled\n";
        return kRunScriptError;
    }
    std::string text;
    if (std::string(path) == "-") {
        text.assign(std::istreambuf_iterator<char>(std::cin), {});
    } else {
        std::ifstream file(path, std::ios::binary);
        if (!file) {
            err << "hbrun: cannot read " << path << '\n';
            return kRunScriptError;
        }
        text.assign(std::istreambuf_iterator<char>(file), {});
    }
    return RunScriptWith(text, kernel, options, out, decimalSeparator);
}

}  // namespace session
