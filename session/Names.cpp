#include "session/Names.h"

#include <algorithm>
#include <map>

namespace session {

using ui::Kind;

namespace {

std::string_view Trim(std::string_view s) {
    while (!s.empty() && (s.front() == ' ' || s.front() == '\t')) s.remove_prefix(1);
    while (!s.empty() && (s.back() == ' ' || s.back() == '\t')) s.remove_suffix(1);
    return s;
}

bool Settable(Kind k) {
    return k == Kind::TextBox || k == Kind::ComboBox || k == Kind::DropDownList;
}

bool OnOneRow(const ui::Rect& a, const ui::Rect& b) {
    return a.y < b.y + b.h && b.y < a.y + a.h;
}

bool Inside(const ui::Rect& inner, const ui::Rect& outer) {
    return inner.x >= outer.x && inner.y >= outer.y && inner.x + inner.w <= outer.x + outer.w &&
           inner.y + inner.h <= outer.y + outer.h;
}

// The nearest label left of the control on its row whose caption ends in ":", as a form reads
// "Access: [box]".
const ui::Control* RowLabel(const ui::Form& form, const ui::Control& c) {
    const ui::Control* best = nullptr;
    for (const auto& l : form.controls()) {
        if (l->kind() != Kind::Label || l->rect().x >= c.rect().x) continue;
        const std::string_view caption = Trim(l->text());
        if (caption.empty() || caption.back() != ':') continue;
        if (!OnOneRow(l->rect(), c.rect())) continue;
        if (!best || l->rect().x > best->rect().x) best = l.get();
    }
    return best;
}

const ui::Control* FrameAround(const ui::Form& form, const ui::Control& c) {
    for (const auto& f : form.controls())
        if (f->kind() == Kind::Frame && !f->text().empty() && Inside(c.rect(), f->rect()))
            return f.get();
    return nullptr;
}

// A check-list item's name: its text up to the gap before the value ("GENERIC_READ").
std::string ItemName(std::string_view item) {
    item = Trim(item);
    const std::size_t gap = item.find("  ");
    return std::string(Trim(item.substr(0, gap)));
}

}  // namespace

std::string PlainCaption(std::string_view caption) {
    std::string out;
    for (std::size_t i = 0; i < caption.size(); ++i) {
        if (caption[i] == '&') {
            if (i + 1 < caption.size() && caption[i + 1] == '&') out += caption[++i];
            continue;
        }
        out += caption[i];
    }
    std::string_view s = Trim(out);
    if (!s.empty() && s.back() == ':') s.remove_suffix(1);
    return std::string(Trim(s));
}

std::vector<Target> Targets(const ui::Form& form) {
    std::vector<Target> targets;
    std::vector<const ui::Control*> needsQualifier;
    for (const auto& c : form.controls()) {
        if (c->kind() == Kind::Button || c->kind() == Kind::CheckBox) {
            targets.push_back({PlainCaption(c->text()), c.get(), -1});
        } else if (Settable(c->kind())) {
            if (const ui::Control* label = RowLabel(form, *c))
                targets.push_back({PlainCaption(label->text()), c.get(), -1});
        } else if (c->kind() == Kind::CheckList) {
            for (std::size_t i = 0; i < c->items().size(); ++i)
                targets.push_back({ItemName(c->items()[i]), c.get(), static_cast<int>(i)});
        }
    }
    // Two controls that read alike are told apart by the frame around them, or the label on
    // their row: "Attributes Mask / DISK_ATTRIBUTE_OFFLINE", "Access / ...".
    std::map<std::string, int> seen;
    for (const Target& t : targets) ++seen[t.name];
    for (Target& t : targets) {
        if (seen[t.name] < 2) continue;
        const ui::Control* q = FrameAround(form, *t.control);
        if (!q) q = RowLabel(form, *t.control);
        if (q) t.name = PlainCaption(q->text()) + " / " + t.name;
    }
    return targets;
}

const Target* FindTarget(const std::vector<Target>& targets, std::string_view name) {
    const auto it = std::find_if(targets.begin(), targets.end(),
                                 [&](const Target& t) { return t.name == name; });
    return it == targets.end() ? nullptr : &*it;
}

std::string ShownValue(const Target& t) {
    if (t.item >= 0) return t.control->checked(t.item) ? "checked" : "unchecked";
    if (t.control->kind() == Kind::CheckBox)
        return t.control->value() == 1 ? "checked" : "unchecked";
    // One script line holds a box of several lines: its only one, Input, reads a line break or
    // a tab as the blank it is written as.
    if (t.control->multiLine()) {
        std::string text = t.control->text();
        std::replace_if(
            text.begin(), text.end(), [](char c) { return c == '\r' || c == '\n' || c == '\t'; },
            ' ');
        return text;
    }
    return t.control->text();
}

std::string RefusalOf(const Target& t, std::string_view value) {
    const Kind k = t.control->kind();
    if (k == Kind::Button) return t.name + " is a button: write 'press " + t.name + "'";
    if (t.control->readOnly()) return t.name + " only shows a value and cannot be set";
    if (t.item >= 0 || k == Kind::CheckBox) {
        if (value == "checked" || value == "unchecked") return {};
        return t.name + " takes checked or unchecked, not '" + std::string(value) + "'";
    }
    if (k == Kind::DropDownList) {
        const auto& items = t.control->items();
        if (std::find(items.begin(), items.end(), value) != items.end()) return {};
        std::string list;
        for (const std::string& item : items) list += (list.empty() ? "" : ", ") + item;
        return t.name + " has no item '" + std::string(value) + "' (" + list + ")";
    }
    return {};
}

void SetValue(const Target& t, std::string_view value) {
    const bool on = value == "checked";
    if (t.item >= 0) return t.control->setChecked(t.item, on);
    switch (t.control->kind()) {
        case Kind::CheckBox:
            return t.control->setValue(on ? 1 : 0);  // raises the box's click when it changes
        case Kind::DropDownList: {
            const auto& items = t.control->items();
            const auto it = std::find(items.begin(), items.end(), value);
            return t.control->setListIndex(static_cast<int>(it - items.begin()));
        }
        default:
            return t.control->setText(std::string(value));
    }
}

}  // namespace session
