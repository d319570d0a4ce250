#include "ui/Control.h"

#include "ui/Form.h"
#include "ui/Toolkit.h"

namespace ui {

Control::Control(Form& form, std::string name, int index, Kind kind, Rect rect, std::string text,
                 std::string tooltip, int id)
    : form_(&form),
      name_(std::move(name)),
      index_(index),
      kind_(kind),
      id_(id),
      text_(std::move(text)),
      tooltip_(std::move(tooltip)),
      rect_(rect) {}

std::string Control::fullName() const {
    return index_ < 0 ? name_ : name_ + "(" + std::to_string(index_) + ")";
}

void Control::changed(Prop what) {
    if (form_->loaded()) form_->toolkit().changed(*this, what);
}

void Control::setText(std::string text) {
    text_ = std::move(text);
    changed(Prop::Text);
}

void Control::setEnabled(bool on) {
    enabled_ = on;
    changed(Prop::Enabled);
}

void Control::setVisible(bool on) {
    visible_ = on;
    changed(Prop::Visible);
}

void Control::setForeColor(std::uint32_t color) {
    foreColor_ = color;
    changed(Prop::ForeColor);
}

void Control::setTooltip(std::string text) {
    tooltip_ = std::move(text);
    changed(Prop::Tooltip);
}

void Control::setFont(Font font) {
    font_ = std::move(font);
    changed(Prop::Font);
}

void Control::setRect(Rect rect) {
    rect_ = rect;
    changed(Prop::Geometry);
}

int Control::width() const {
    if (autoSize_ && kind_ == Kind::Label) return form_->toolkit().textWidth(font_, text_);
    return rect_.w;
}

void Control::setValue(int value) {
    if (value_ == value) return;
    value_ = value;
    changed(Prop::Value);
    click();
}

void Control::addItem(std::string item) {
    items_.push_back(std::move(item));
    checks_.push_back(false);
    changed(Prop::Items);
}

void Control::clear() {
    items_.clear();
    checks_.clear();
    listIndex_ = -1;
    count_ = 0;
    itemText_ = nullptr;
    changed(kind_ == Kind::VirtualList ? Prop::Count : Prop::Items);
}

void Control::setListIndex(int index) {
    userSetListIndex(index);
    changed(Prop::ListIndex);
}

void Control::userSetListIndex(int index) {
    const std::size_t n = kind_ == Kind::VirtualList ? count_ : items_.size();
    listIndex_ = index >= 0 && static_cast<std::size_t>(index) < n ? index : -1;
    if (kind_ == Kind::DropDownList) text_ = listIndex_ < 0 ? "" : items_[listIndex_];
}

bool Control::checked(int item) const {
    return item >= 0 && item < static_cast<int>(checks_.size()) && checks_[item];
}

void Control::setChecked(int item, bool on) {
    if (item < 0 || item >= static_cast<int>(checks_.size()) || checks_[item] == on) return;
    checks_[item] = on;
    changed(Prop::Checked);
    click();
}

void Control::userSetChecked(int item, bool on) {
    if (item < 0 || item >= static_cast<int>(checks_.size()) || checks_[item] == on) return;
    checks_[item] = on;
    click();
}

void Control::setVirtual(std::size_t count, std::function<std::string(std::size_t)> itemText) {
    count_ = count;
    itemText_ = std::move(itemText);
    changed(Prop::Count);
}

std::string Control::itemText(std::size_t line) const {
    if (kind_ == Kind::VirtualList) return itemText_ && line < count_ ? itemText_(line) : "";
    return line < items_.size() ? items_[line] : "";
}

void Control::click() {
    if (onClick) onClick();
}

void Control::dblClick() {
    if (onDblClick) onDblClick();
}

void Control::gotFocus() {
    if (onGotFocus) onGotFocus();
}

void Control::change() {
    if (onChange) onChange();
}

}  // namespace ui
