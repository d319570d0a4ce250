#include "ui/Form.h"

#include <stdexcept>

#include "ui/Toolkit.h"

namespace ui {

Form::Form(Toolkit& toolkit, std::string name, std::string caption, int clientWidth,
           int clientHeight, const std::vector<ControlSpec>& table)
    : toolkit_(&toolkit),
      name_(std::move(name)),
      caption_(std::move(caption)),
      clientWidth_(clientWidth),
      clientHeight_(clientHeight) {
    int row = 0;
    for (const ControlSpec& s : table) {
        int id = s.id != 0 ? s.id : 1000 + row;
        controls_.push_back(std::make_unique<Control>(*this, s.name, s.index, s.kind, s.rect,
                                                      s.text, s.tooltip, id));
        if (s.fontName != nullptr) {
            Font f;
            f.name = s.fontName;
            if (s.fontSize > 0) f.size = s.fontSize;
            controls_.back()->setFont(f);
        }
        ++row;
    }
    // A name and index given twice would leave the second control out of every handler's reach.
    for (std::size_t i = 0; i < controls_.size(); ++i)
        for (std::size_t j = 0; j < i; ++j)
            if (controls_[i]->name() == controls_[j]->name() &&
                controls_[i]->index() == controls_[j]->index())
                throw std::logic_error("two controls " + controls_[i]->fullName() + " on " +
                                       name_);
}

Form::~Form() {
    if (loaded_) toolkit_->destroy(*this);
}

void Form::setCaption(std::string caption) {
    caption_ = std::move(caption);
    if (loaded_) toolkit_->captionChanged(*this);
}

Control& Form::ctl(const std::string& name, int index) const {
    for (const auto& c : controls_)
        if (c->name() == name && c->index() == index) return *c;
    throw std::logic_error("no control " + name + " on " + name_);
}

Control* Form::findById(int id) const {
    for (const auto& c : controls_)
        if (c->id() == id) return c.get();
    return nullptr;
}

void Form::load() {
    if (loaded_) return;
    loaded_ = true;
    toolkit_->create(*this);
    Form_Load();
}

void Form::show(bool modal) {
    load();
    Form_Activate();
    Observer* observer = modal ? toolkit_->observer : nullptr;
    if (!observer) return toolkit_->show(*this, modal);
    observer->modalShowing(*this);
    // However the show ends (a headless script may throw), the observer lets go of the form.
    struct Ended {
        Observer* observer;
        Form* form;
        ~Ended() { observer->modalEnded(*form); }
    } ended{observer, this};
    toolkit_->show(*this, modal);
}

void Form::hide() {
    if (loaded_) toolkit_->hide(*this);
}

void Form::close() {
    if (Form_QueryClose()) return;
    Form_Unload();
    if (loaded_) {
        toolkit_->destroy(*this);
        loaded_ = false;
        shown_ = false;
    }
}

}  // namespace ui
