#include "devctl/AttributeDialogs.h"

#include "app/FormHelpers.h"
#include "io/Numbers.h"
#include "ui/Toolkit.h"

namespace app {

using ui::Kind;

namespace {

constexpr int kButtonW = 1095, kButtonH = 375;

// Table order is the focus order: the mask's boxes first, so the dialog opens on the mask's
// offline box. Frames and labels take no focus.
std::vector<ui::ControlSpec> DiskAttributesTable() {
    return {
        {"fraAttr", -1, Kind::Frame, "Attributes", {120, 120, 4560, 1455}},
        {"fraMask", -1, Kind::Frame, "Attributes Mask", {120, 1695, 4560, 1455}},
        {"lblAttr", -1, Kind::Label, "Attributes:", {300, 1125, 1300, 255}},
        {"lblAttrMask", -1, Kind::Label, "AttributesMask:", {300, 2700, 1300, 255}},
        {"chkAttrMask", 1, Kind::CheckBox, "DISK_ATTRIBUTE_OFFLINE", {300, 1965, 4200, 285}},
        {"txtAttrMask", -1, Kind::TextBox, "0x00000000", {1680, 2655, 1335, 315}},
        {"chkAttrMask", 2, Kind::CheckBox, "DISK_ATTRIBUTE_READ_ONLY", {300, 2295, 4200, 285}},
        {"chkAttr", 2, Kind::CheckBox, "DISK_ATTRIBUTE_READ_ONLY", {300, 720, 4200, 285}},
        {"txtAttr", -1, Kind::TextBox, "0x00000000", {1680, 1080, 1335, 315}},
        {"chkAttr", 1, Kind::CheckBox, "DISK_ATTRIBUTE_OFFLINE", {300, 390, 4200, 285}},
        {"cmdSet", -1, Kind::Button, "Set", {1200, 3750, kButtonW, kButtonH}},
        {"cmdCancel", -1, Kind::Button, "Cancel", {2520, 3750, kButtonW, kButtonH}},
        {"chkPersist", -1, Kind::CheckBox, "Persist:", {120, 3300, 1095, 285}},
    };
}

std::vector<ui::ControlSpec> GptAttributesTable() {
    return {
        {"lblGptAttributes", -1, Kind::Label, "GptAttributes:", {120, 165, 2400, 255}},
        {"lblApplyToAllConnectedVolumes",
         -1,
         Kind::Label,
         "ApplyToAllConnectedVolumes:",
         {120, 585, 2400, 255}},
        {"lblRevertOnClose", -1, Kind::Label, "RevertOnClose:", {120, 1005, 2400, 255}},
        {"txtGptAttributes", -1, Kind::TextBox, "0x0000000000000000", {2580, 120, 2640, 315}},
        {"txtApplyToAllConnectedVolumes", -1, Kind::TextBox, "0", {2580, 540, 735, 315}},
        {"txtRevertOnClose", -1, Kind::TextBox, "0", {2580, 960, 735, 315}},
        {"cmdOK", -1, Kind::Button, "OK", {2580, 1500, kButtonW, kButtonH}},
        {"cmdCancel", -1, Kind::Button, "Cancel", {3840, 1500, kButtonW, kButtonH}},
    };
}

// Sets or clears one bit of a value from a check box.
void Follow(std::int32_t& value, std::int32_t bit, const ui::Control& box) {
    value = box.value() == 1 ? (value | bit) : (value & ~bit);
}

}  // namespace

// --- Disk attributes ---------------------------------------------------------------------------

FrmSetDiskAttributes::FrmSetDiskAttributes(ui::Toolkit& toolkit)
    : ui::Form(toolkit, "frmSetDiskAttributes", "IOCTL_DISK_SET_DISK_ATTRIBUTES", 4800, 4260,
               DiskAttributesTable()),
      txtAttr(ctl("txtAttr")),
      txtAttrMask(ctl("txtAttrMask")),
      chkPersist(ctl("chkPersist")),
      cmdSet(ctl("cmdSet")),
      cmdCancel(ctl("cmdCancel")) {
    // Enter cancels unless Set has the focus; Escape does nothing.
    defaultButton = &cmdCancel;
    cancelButton = nullptr;
    chkPersist.setTextOnLeft(true);
    // The two values follow the check boxes; typing there would send nothing of what was typed.
    txtAttr.setReadOnly(true);
    txtAttrMask.setReadOnly(true);
    for (int i : {1, 2}) {
        chkAttr(i).onClick = [this, i] { chkAttr_Click(i); };
        chkAttrMask(i).onClick = [this, i] { chkAttrMask_Click(i); };
    }
    chkPersist.onClick = [this] { chkPersist_Click(); };
    cmdSet.onClick = [this] { cmdSet_Click(); };
    cmdCancel.onClick = [this] { cmdCancel_Click(); };
}

void FrmSetDiskAttributes::Form_Load() {
    PrepareFormControls(*this);
    Attr = 0;
    AttrMask = 0;
    Persist = 0;
    Result = false;
}

void FrmSetDiskAttributes::Form_Activate() {
    // Showing the values must not change them: each box's own click would rebuild the value
    // from boxes not yet set, so both values are kept and written back whole.
    const std::int32_t attr = Attr, mask = AttrMask;
    for (int i : {1, 2}) chkAttr(i).setValue((attr & i) != 0 ? 1 : 0);
    for (int i : {1, 2}) chkAttrMask(i).setValue((mask & i) != 0 ? 1 : 0);
    Attr = attr;
    AttrMask = mask;
    txtAttr.setText("0x" + io::HexPad(Attr, 8));
    txtAttrMask.setText("0x" + io::HexPad(AttrMask, 8));
}

bool FrmSetDiskAttributes::Form_QueryClose() {
    // The title-bar close box is a Cancel; the caller unloads the dialog.
    cmdCancel_Click();
    return true;
}

void FrmSetDiskAttributes::chkAttr_Click(int) {
    Follow(Attr, 1, chkAttr(1));
    Follow(Attr, 2, chkAttr(2));
    txtAttr.setText("0x" + io::HexPad(Attr, 8));
}

void FrmSetDiskAttributes::chkAttrMask_Click(int) {
    Follow(AttrMask, 1, chkAttrMask(1));
    Follow(AttrMask, 2, chkAttrMask(2));
    txtAttrMask.setText("0x" + io::HexPad(AttrMask, 8));
}

void FrmSetDiskAttributes::chkPersist_Click() {
    Persist = chkPersist.value() == 1 ? 1 : 0;
}

void FrmSetDiskAttributes::cmdSet_Click() {
    Result = true;
    hide();
}

void FrmSetDiskAttributes::cmdCancel_Click() {
    Result = false;
    hide();
}

// --- GPT attributes ----------------------------------------------------------------------------

FrmSetGptAttribs::FrmSetGptAttribs(ui::Toolkit& toolkit)
    : ui::Form(toolkit, "frmSetGptAttribs", "IOCTL_VOLUME_SET_GPT_ATTRIBUTES", 5340, 2040,
               GptAttributesTable()),
      txtGptAttributes(ctl("txtGptAttributes")),
      txtApplyToAllConnectedVolumes(ctl("txtApplyToAllConnectedVolumes")),
      txtRevertOnClose(ctl("txtRevertOnClose")),
      cmdOK(ctl("cmdOK")),
      cmdCancel(ctl("cmdCancel")) {
    defaultButton = &cmdOK;
    cancelButton = &cmdCancel;
    cmdOK.onClick = [this] { cmdOK_Click(); };
    cmdCancel.onClick = [this] { cmdCancel_Click(); };
    for (ui::Control* box : {&txtGptAttributes, &txtApplyToAllConnectedVolumes, &txtRevertOnClose})
        box->onGotFocus = [this, box] { SelectAllOnFocus(*box); };
}

void FrmSetGptAttribs::Form_Load() {
    PrepareFormControls(*this);
    Result = false;
}

bool FrmSetGptAttribs::Form_QueryClose() {
    cmdCancel_Click();
    return true;
}

void FrmSetGptAttribs::cmdOK_Click() {
    Result = true;
    hide();
}

void FrmSetGptAttribs::cmdCancel_Click() {
    Result = false;
    hide();
}

void FrmSetGptAttribs::SelectAllOnFocus(ui::Control& focused) {
    if (focused.kind() != Kind::TextBox) return;
    if (toolkit().focusCameByMouse()) return;
    toolkit().selectAllText(focused);
}

// --- Texts -------------------------------------------------------------------------------------

namespace {

// Leading hex digits as 32 bits: more than eight keep their last eight, as a 32-bit register
// shifted digit by digit would.
std::uint32_t LeadingHex32(std::string_view s) {
    std::uint32_t v = 0;
    for (char c : s) {
        const int d = io::HexDigit(c);
        if (d < 0) break;
        v = (v << 4) | static_cast<std::uint32_t>(d);
    }
    return v;
}

}  // namespace

std::uint64_t ValueOfHex64(std::string_view text) {
    std::string s;
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (text[i] == '0' && i + 1 < text.size() && text[i + 1] == 'x') {
            ++i;
            continue;
        }
        s += text[i];
    }
    const std::string_view rest(s);
    const std::size_t n = rest.size();
    const std::uint32_t low = LeadingHex32(n > 8 ? rest.substr(n - 8) : rest);
    const std::uint32_t high = n > 8 ? LeadingHex32(rest.substr(0, n - 8)) : 0;
    return (static_cast<std::uint64_t>(high) << 32) | low;
}

GptText ParseGptText(std::string_view text) {
    while (!text.empty() && text.front() == ' ') text.remove_prefix(1);
    while (!text.empty() && text.back() == ' ') text.remove_suffix(1);
    if (text.size() >= 2 && text[0] == '0' && (text[1] == 'x' || text[1] == 'X'))
        text.remove_prefix(2);
    if (text.empty()) return {false, 0, "is empty"};
    for (char c : text)
        if (io::HexDigit(c) < 0) return {false, 0, "is not a hexadecimal number"};
    if (text.size() > 16) return {false, 0, "has more than 16 hexadecimal digits"};
    // Digits alone: the word as the split into halves reads it.
    return {true, ValueOfHex64(text), {}};
}

OptionText ParseOptionByte(std::string_view text) {
    while (!text.empty() && (text.front() == ' ' || text.front() == '\t')) text.remove_prefix(1);
    while (!text.empty() && (text.back() == ' ' || text.back() == '\t')) text.remove_suffix(1);
    if (text.empty()) return {false, 0, "is empty"};
    const bool negative = text.front() == '-';
    if (negative) text.remove_prefix(1);
    int base = 10;
    if (text.size() >= 2 && ((text[0] == '&' && (text[1] == 'H' || text[1] == 'h')) ||
                             (text[0] == '0' && (text[1] == 'x' || text[1] == 'X')))) {
        base = 16;
        text.remove_prefix(2);
    }
    if (text.empty()) return {false, 0, "is not a whole number"};
    unsigned value = 0;
    for (const char c : text) {
        const int digit = base == 16 ? io::HexDigit(c) : (c >= '0' && c <= '9' ? c - '0' : -1);
        if (digit < 0) return {false, 0, "is not a whole number"};
        // Past a byte the digits still have to be digits, but the value no longer matters.
        value = std::min(value * static_cast<unsigned>(base) + static_cast<unsigned>(digit), 256u);
    }
    if (value > 255 || (negative && value != 0)) return {false, 0, "is out of range"};
    return {true, static_cast<std::uint8_t>(value), {}};
}

}  // namespace app
