// A form: a window made from one declarative table of controls, with its event procedures.
#pragma once

#include <memory>
#include <string>
#include <vector>

#include "ui/Control.h"

namespace ui {

class Toolkit;

// One row of a form's control table. Geometry is in twips; tab order is the table's order.
struct ControlSpec {
    const char* name;
    int index;  // -1 outside a control array
    Kind kind;
    const char* text;  // caption or initial text
    Rect rect;
    const char* tooltip = "";
    int id = 0;                      // child window id; 0 gives 1000 + row number
    const char* fontName = nullptr;  // nullptr: Microsoft Sans Serif 8.25 pt
    double fontSize = 0;
};

class Form {
  public:
    Form(Toolkit& toolkit, std::string name, std::string caption, int clientWidth, int clientHeight,
         const std::vector<ControlSpec>& table);
    virtual ~Form();
    Form(const Form&) = delete;
    Form& operator=(const Form&) = delete;

    Toolkit& toolkit() const { return *toolkit_; }
    const std::string& name() const { return name_; }
    const std::string& caption() const { return caption_; }
    void setCaption(std::string caption);
    int clientWidth() const { return clientWidth_; }    // twips
    int clientHeight() const { return clientHeight_; }  // twips

    // Controls in the form's control order (= tab order).
    const std::vector<std::unique_ptr<Control>>& controls() const { return controls_; }
    Control& ctl(const std::string& name, int index = -1) const;  // throws on a wrong name
    Control* findById(int id) const;

    // Default and cancel buttons of a dialog (Enter and Escape press them).
    Control* defaultButton = nullptr;
    Control* cancelButton = nullptr;
    // A window without a cancel button that Escape closes as its close box does.
    bool escapeCloses = false;

    // Create the windows (Toolkit) and run Form_Load once.
    void load();
    bool loaded() const { return loaded_; }
    // Show modeless, or modal: then returns once the form is hidden again.
    void show(bool modal = false);
    void hide();
    bool shown() const { return shown_; }
    // The title-bar close box, or the program ending: Form_QueryClose decides.
    void close();

    virtual void Form_Load() {}
    // Each show, before the form appears.
    virtual void Form_Activate() {}
    // A close by the title-bar box: return true to keep the window (then hide or not).
    virtual bool Form_QueryClose() { return false; }
    virtual void Form_Unload() {}

    // Toolkit bookkeeping.
    void setShown(bool on) { shown_ = on; }
    void* peer = nullptr;  // the toolkit's window record

  private:
    Toolkit* toolkit_;
    std::string name_;
    std::string caption_;
    int clientWidth_;
    int clientHeight_;
    std::vector<std::unique_ptr<Control>> controls_;
    bool loaded_ = false;
    bool shown_ = false;
};

}  // namespace ui
