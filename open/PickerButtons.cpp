// The main window's "..." buttons beside txtAccess and txtFlagsAndAttibutes, and the copy of
// the access names.
#include "app/FrmMain.h"
#include "open/HexText.h"
#include "open/Pickers.h"
#include "ui/Toolkit.h"

namespace app {

namespace {

// Made at first use and then only hidden, so the marks stay between uses.
template <class Picker>
Picker& FirstUse(std::unique_ptr<Picker>& form, ui::Toolkit& toolkit) {
    if (!form) {
        form = std::make_unique<Picker>(toolkit);
        form->load();
    }
    return *form;
}

// Adds the marks of the box's value and shows the dialog until OK or Cancel hides it. A box
// that is not hexadecimal adds nothing: the dialog still opens, with the marks it had.
void OpenPicker(PickerForm& picker, const ui::Control& box) {
    const HexText mask = ParseHexText(box.text());
    if (mask.ok) picker.CheckItemsOf(mask.value);
    picker.show(true);
}

}  // namespace

void FrmMain::cmdAccess_Click() {
    FrmAccess& picker = FirstUse(frmAccess, toolkit());
    OpenPicker(picker, txtAccess);
    if (picker.Exit_OK) {
        txtAccess.setText(picker.lblValue.text());
        lblAccessName.setText(picker.GetAccessName());
    }
    FitFontToWidth(lblAccessName, lblTestTextWidht);
}

void FrmMain::cmdFlagsAndAttributesList_Click() {
    FrmFlagsAndAttributes& picker = FirstUse(frmFlagsAndAttributes, toolkit());
    OpenPicker(picker, txtFlagsAndAttibutes);
    if (picker.Exit_OK) txtFlagsAndAttibutes.setText(picker.lblValue.text());
}

void FrmMain::lblAccessName_DblClick() {
    // Failures are ignored: no retry, no message.
    toolkit().clipboardClear();
    toolkit().clipboardSetText(lblAccessName.text());
}

}  // namespace app
