#include "ui/Headless.h"

#include <cmath>
#include <cstdio>
#include <exception>
#include <stdexcept>
#include <thread>

namespace ui {

void Headless::create(Form&) {}

void Headless::show(Form& form, bool modal) {
    form.setShown(true);
    if (!modal) return;
    if (modalScripts.empty())
        throw Unanswered("modal " + form.name() + " shown with nothing scripted");
    auto script = std::move(modalScripts.front());
    modalScripts.pop_front();
    script(form);
    if (form.shown()) throw Unanswered("modal " + form.name() + " left shown by its script");
}

void Headless::hide(Form& form) {
    form.setShown(false);
}

void Headless::destroy(Form& form) {
    form.setShown(false);
}

void Headless::refresh(Control& control) {
    repaints.push_back(control.fullName() + "=" + control.text());
}

void Headless::setMousePointer(int p) {
    pointer = p;
    pointerHistory.push_back(p);
}

int Headless::msgBox(const std::string& text, const std::string& title, std::uint32_t style) {
    msgBoxes.push_back({text, title, style});
    if (msgBoxAnswers.empty()) throw Unanswered("message box '" + text + "' not scripted");
    int answer = msgBoxAnswers.front();
    msgBoxAnswers.pop_front();
    return answer;
}

bool Headless::clipboardClear() {
    ++clipboardAttempts;
    if (clipboardBusy > 0) {
        --clipboardBusy;
        return false;
    }
    clipboard.clear();
    return true;
}

bool Headless::clipboardSetText(const std::string& text) {
    clipboard = text;
    return true;
}

int Headless::textWidth(const Font& font, const std::string& text) {
    return static_cast<int>(std::lround(font.size * 9)) * static_cast<int>(text.size());
}

void Headless::setIcons(Form& form, const std::string& resourceName) {
    chores.push_back("setIcons(" + form.name() + "," + resourceName + ")");
}

void Headless::addExStyle(Form& form, std::uint32_t exStyle) {
    char hex[16];
    std::snprintf(hex, sizeof hex, "0x%X", exStyle);
    chores.push_back("addExStyle(" + form.name() + "," + hex + ")");
}

void Headless::setComboMinVisible(Control& combo, int count) {
    chores.push_back("setComboMinVisible(" + combo.fullName() + "," + std::to_string(count) + ")");
}

void Headless::disableTheme(Control& control) {
    chores.push_back("disableTheme(" + control.fullName() + ")");
}

void Headless::addCommand(Form& form, const std::string& caption, char ctrlKey,
                          std::function<void()> action) {
    commands.push_back({&form, caption, ctrlKey, std::move(action)});
}

void Headless::removeCommand(Form& form, char ctrlKey) {
    std::erase_if(commands, [&](const Command& c) { return c.form == &form && c.key == ctrlKey; });
}

bool Headless::ctrlKey(Form& form, char key) {
    for (const Command& c : commands)
        if (c.form == &form && c.key == key) {
            const auto action = c.action;  // the action may change the commands
            action();
            return true;
        }
    return false;
}

std::string Headless::saveFileName(Form&, const std::string& suggested) {
    savePrompts.push_back(suggested);
    if (saveNames.empty()) return "";
    std::string name = std::move(saveNames.front());
    saveNames.pop_front();
    return name;
}

void Headless::waitFor(const std::function<void()>& call) {
    std::exception_ptr failure;
    std::thread worker([&] {
        try {
            call();
        } catch (...) {
            failure = std::current_exception();
        }
    });
    std::exception_ptr scriptFailure;
    if (!waitScripts.empty()) {
        auto script = std::move(waitScripts.front());
        waitScripts.pop_front();
        try {
            script();
        } catch (...) {
            scriptFailure = std::current_exception();
        }
    }
    worker.join();
    if (scriptFailure) std::rethrow_exception(scriptFailure);
    if (failure) std::rethrow_exception(failure);
}

}  // namespace ui
