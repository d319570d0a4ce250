// The two picker dialogs: desired access and flags-and-attributes. Each is a check list of
// "NAME   0xVALUE" texts; the values are read back from the texts, so what the user reads is
// exactly what gets OR-ed.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "ui/Form.h"

namespace app {

// Item texts, in list order: 21 of 37 characters, and 24 of 46 characters.
const std::vector<std::string>& AccessItems();
const std::vector<std::string>& FlagsItems();

// An access item's value: its last 10 characters trimmed ("0x0020", "0x80000000").
std::uint32_t AccessItemValue(std::string_view item);
// A flags item's value: its last 8 characters as hexadecimal.
std::uint32_t FlagsItemValue(std::string_view item);
// An access item's name: its first 24 characters trimmed.
std::string AccessItemName(std::string_view item);

// What both pickers share: the list, the running value, OK and Cancel.
class PickerForm : public ui::Form {
  public:
    bool Exit_OK = false;

    ui::Control& lst;
    ui::Control& cmdOK;
    ui::Control& cmdCancel;
    ui::Control& lblValue;

    void Form_Load() override;
    // The title-bar close box: Cancel, and the dialog stays for the next use.
    bool Form_QueryClose() override;

    void lst_Click();
    void cmdOK_Click();
    void cmdCancel_Click();

    std::uint32_t ItemValue(int index) const;
    // Checks every item that shares a bit with mask; marks already set stay.
    void CheckItemsOf(std::uint32_t mask);

  protected:
    using ValueOf = std::uint32_t (*)(std::string_view);
    PickerForm(ui::Toolkit& toolkit, std::string name, std::string caption, int clientWidth,
               int clientHeight, const std::vector<std::string>& items, ValueOf valueOf);

  private:
    ValueOf valueOf_;
};

class FrmAccess : public PickerForm {
  public:
    explicit FrmAccess(ui::Toolkit& toolkit);
    // Names of the checked items in list order, joined by " | "; "" when none is checked.
    std::string GetAccessName() const;
};

class FrmFlagsAndAttributes : public PickerForm {
  public:
    explicit FrmFlagsAndAttributes(ui::Toolkit& toolkit);
};

// Shrinks label's font (8.25, else 6.75, else 5 pt) until its caption fits its width, measured
// with the hidden auto-sizing label measure. An equal width fits.
void FitFontToWidth(ui::Control& label, ui::Control& measure);

}  // namespace app
