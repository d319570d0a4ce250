// The DeviceIoControl dialog: a code from the catalogue or typed, input bytes, an output size.
// Loaded anew for every use; the main window keeps its texts between uses. Result is true only
// when the user pressed Send.
#pragma once

#include "ui/Form.h"

namespace app {

class FrmIoControl : public ui::Form {
  public:
    explicit FrmIoControl(ui::Toolkit& toolkit);

    bool Result = false;

    ui::Control& cboCode;
    ui::Control& lblParts;
    ui::Control& txtInput;
    ui::Control& lblInputCount;
    ui::Control& txtOutSize;
    ui::Control& cmdSend;
    ui::Control& cmdCancel;

    void Form_Load() override;
    bool Form_QueryClose() override;
    // The labels that follow the boxes as the user types.
    void cboCode_Change();
    void txtInput_Change();
    void cmdSend_Click();
    void cmdCancel_Click();
};

}  // namespace app
