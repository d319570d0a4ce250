// The toolkit's controls as the forms see them: plain state plus events.
//
// Event rules, once for all controls:
// - Handlers set and read state here; a loaded form's toolkit mirrors every change to the real
//   window (Toolkit::changed), and writes what the user does back here before raising an event.
// - onClick: a button press; a check box or option change; a check mark of a check list changed
//   (by the user or by the program: setChecked raises it too, as the list's own click would).
// - onDblClick: a double click on a label.
// - onChange: the user edited a text or combo box, or picked a combo box's item. A program
//   change of a text never raises it.
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

namespace ui {

class Form;

enum class Kind {
    Label,         // static text; autoSize labels take the width of their text
    TextBox,       // single-line edit
    ComboBox,      // editable combo box: text plus a drop-down list of items
    DropDownList,  // combo box that only selects one of its items
    CheckBox,
    ListBox,      // plain list of items
    CheckList,    // list with a check box per item
    VirtualList,  // list whose lines are asked for when shown (count + itemText)
    Button,
    Frame,  // a rule or group box without caption
};

// Colours as the window toolkit knows them: a system colour (kSystemColor | index) or an RGB
// value laid out as a Windows COLORREF (0x00BBGGRR).
inline constexpr std::uint32_t kSystemColor = 0x80000000u;
inline constexpr std::uint32_t kColorButtonText = kSystemColor | 18;  // COLOR_BTNTEXT
inline constexpr std::uint32_t kColorRed = 0x000000FFu;

struct Font {
    std::string name = "Microsoft Sans Serif";
    double size = 8.25;  // points
    int charset = 0;     // GDI character set
    bool bold = false;
    bool operator==(const Font&) const = default;
};

// Where a control stands, in twips from the client area's top-left corner.
struct Rect {
    int x = 0, y = 0, w = 0, h = 0;
    bool operator==(const Rect&) const = default;
};

enum class Prop {
    Text,
    Enabled,
    Visible,
    ForeColor,
    Tooltip,
    Font,
    Items,
    ListIndex,
    Value,
    Checked,
    Count,
    Geometry
};

class Control {
  public:
    Control(Form& form, std::string name, int index, Kind kind, Rect rect, std::string text,
            std::string tooltip, int id);
    Control(const Control&) = delete;
    Control& operator=(const Control&) = delete;

    Form& form() const { return *form_; }
    const std::string& name() const { return name_; }
    int index() const { return index_; }  // -1 outside a control array
    Kind kind() const { return kind_; }
    int id() const { return id_; }  // the child window's control id
    std::string fullName() const;   // "chkShare(1)" or "cmdRead"

    // Caption of labels, buttons and check boxes; text of text and combo boxes.
    const std::string& text() const { return text_; }
    void setText(std::string text);

    bool enabled() const { return enabled_; }
    void setEnabled(bool on);
    bool visible() const { return visible_; }
    void setVisible(bool on);
    std::uint32_t foreColor() const { return foreColor_; }
    void setForeColor(std::uint32_t color);
    const std::string& tooltip() const { return tooltip_; }
    void setTooltip(std::string text);
    const Font& font() const { return font_; }
    void setFont(Font font);

    // Geometry in twips. An autoSize label's width follows its text (measured by the toolkit).
    const Rect& rect() const { return rect_; }
    void setRect(Rect rect);
    bool autoSize() const { return autoSize_; }
    void setAutoSize(bool on) { autoSize_ = on; }
    // Check boxes: the caption stands left of the box. Set before the form is loaded.
    bool textOnLeft() const { return textOnLeft_; }
    void setTextOnLeft(bool on) { textOnLeft_ = on; }
    // Text boxes that only show a value: the user can select and copy but not type. Set before
    // the form is loaded.
    bool readOnly() const { return readOnly_; }
    void setReadOnly(bool on) { readOnly_ = on; }
    // Text boxes of several lines: the text wraps and scrolls down, Ctrl+Enter breaks a line,
    // Enter and Tab still work the form. Set before the form is loaded.
    bool multiLine() const { return multiLine_; }
    void setMultiLine(bool on) { multiLine_ = on; }
    int width() const;

    // Check box value: 0 unchecked, 1 checked.
    int value() const { return value_; }
    void setValue(int value);

    // Item lists (combo boxes, list boxes, check lists).
    const std::vector<std::string>& items() const { return items_; }
    void addItem(std::string item);
    void clear();  // removes every item (and for a virtual list, sets its count to 0)
    int listIndex() const { return listIndex_; }  // -1 when nothing is selected
    // Selecting a line of a list also scrolls it into view.
    void setListIndex(int index);  // a drop-down list also takes the item's text

    // Check lists: a check mark per item. Changing a mark raises onClick.
    bool checked(int item) const;
    void setChecked(int item, bool on);

    // Virtual lists: the line count and a source of line texts, asked only for shown lines.
    std::size_t count() const { return kind_ == Kind::VirtualList ? count_ : items_.size(); }
    void setVirtual(std::size_t count, std::function<std::string(std::size_t)> itemText);
    std::string itemText(std::size_t line) const;

    // Written by the toolkit when the user acts, without echoing the change back to the window.
    void userSetText(std::string text) { text_ = std::move(text); }
    void userSetValue(int value) { value_ = value; }
    void userSetListIndex(int index);
    void userSetChecked(int item, bool on);

    std::function<void()> onClick;
    std::function<void()> onDblClick;
    // The control received the keyboard focus, by the user or the program.
    std::function<void()> onGotFocus;
    std::function<void()> onChange;

    // Raise the events as the user would (used by the toolkit, and by tests).
    void click();
    void dblClick();
    void gotFocus();
    void change();

  private:
    void changed(Prop what);

    Form* form_;
    std::string name_;
    int index_;
    Kind kind_;
    int id_;
    std::string text_;
    std::string tooltip_;
    Rect rect_;
    Font font_;
    bool enabled_ = true;
    bool visible_ = true;
    bool autoSize_ = false;
    bool textOnLeft_ = false;
    bool readOnly_ = false;
    bool multiLine_ = false;
    std::uint32_t foreColor_ = kColorButtonText;
    int value_ = 0;
    std::vector<std::string> items_;
    std::vector<bool> checks_;
    int listIndex_ = -1;
    std::size_t count_ = 0;
    std::function<std::string(std::size_t)> itemText_;
};

}  // namespace ui
