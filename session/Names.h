// Controls by the names a user reads on the screen: a button's or check box's caption, the
// label left of a box on its row, a check list's item. The same rule names a control when a
// session is written down and finds it again when a script is run.
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "ui/Form.h"

namespace session {

// A caption as read: "&&" is "&", other "&" gone, blanks and one trailing ":" trimmed.
std::string PlainCaption(std::string_view caption);

// What a script line can reach in a form.
struct Target {
    std::string name;  // as written in a script
    ui::Control* control = nullptr;
    int item = -1;  // a check list's item, -1 for the control itself
};

// Every settable box, check box, check-list item and button of the form, by its name.
// Labels, frames and lists without check boxes have none.
std::vector<Target> Targets(const ui::Form& form);

// The target of this name, or nullptr.
const Target* FindTarget(const std::vector<Target>& targets, std::string_view name);

// What a settable target shows, as a script writes it ("checked", the text, the item).
std::string ShownValue(const Target& target);

// Whether a value would be taken, and taking it as the user would: a box's text, a drop-down
// list's item, a check mark. A refused value leaves the control as it was and says why.
std::string RefusalOf(const Target& target, std::string_view value);
void SetValue(const Target& target, std::string_view value);

}  // namespace session
