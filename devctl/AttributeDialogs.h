// The two dialogs that edit what the change requests send: disk attributes and a GPT volume's
// attribute word. Both are loaded anew for every use and hand their outcome back through
// public variables; Result is true only when the user confirmed.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "ui/Form.h"

namespace app {

class FrmSetDiskAttributes : public ui::Form {
  public:
    explicit FrmSetDiskAttributes(ui::Toolkit& toolkit);

    std::int32_t Attr = 0;      // the attribute bits to set
    std::int32_t AttrMask = 0;  // which of them the system is to apply
    std::uint8_t Persist = 0;
    bool Result = false;

    ui::Control& txtAttr;
    ui::Control& txtAttrMask;
    ui::Control& chkPersist;
    ui::Control& cmdSet;
    ui::Control& cmdCancel;
    // Index = the value of the bit the box stands for: 1 offline, 2 read-only.
    ui::Control& chkAttr(int i) const { return ctl("chkAttr", i); }
    ui::Control& chkAttrMask(int i) const { return ctl("chkAttrMask", i); }

    void Form_Load() override;
    void Form_Activate() override;
    bool Form_QueryClose() override;
    void chkAttr_Click(int index);
    void chkAttrMask_Click(int index);
    void chkPersist_Click();
    void cmdSet_Click();
    void cmdCancel_Click();
};

class FrmSetGptAttribs : public ui::Form {
  public:
    explicit FrmSetGptAttribs(ui::Toolkit& toolkit);

    bool Result = false;

    ui::Control& txtGptAttributes;
    ui::Control& txtApplyToAllConnectedVolumes;
    ui::Control& txtRevertOnClose;
    ui::Control& cmdOK;
    ui::Control& cmdCancel;

    void Form_Load() override;
    bool Form_QueryClose() override;
    void cmdOK_Click();
    void cmdCancel_Click();
    // Tabbing into a box selects its text so that typing replaces it; a click keeps the caret
    // where it landed.
    void SelectAllOnFocus(ui::Control& focused);
};

// The 64-bit word of a GPT text: every "0x" removed, the last eight characters read as the
// low half and the ones before them as the high half, each as its leading hex digits.
std::uint64_t ValueOfHex64(std::string_view text);

// A GPT text the change may carry: blanks at its ends, an optional "0x" or "0X", then 1 to 16
// hex digits and nothing else. Anything else is refused with the reason ("is empty", ...).
struct GptText {
    bool ok = false;
    std::uint64_t value = 0;
    std::string problem;
};
GptText ParseGptText(std::string_view text);

// An option box's byte: one whole number, decimal or hexadecimal after "&H" or "0x", blanks at
// its ends aside, from 0 to 255. Anything else is refused with the reason ("is empty", "is not a
// whole number", "is out of range"): a slip must not send a byte the user did not type.
struct OptionText {
    bool ok = false;
    std::uint8_t value = 0;
    std::string problem;
};
OptionText ParseOptionByte(std::string_view text);

}  // namespace app
