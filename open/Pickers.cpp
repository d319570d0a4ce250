#include "open/Pickers.h"

#include "app/FormHelpers.h"
#include "io/Numbers.h"
#include "open/HexText.h"

namespace app {

namespace {

std::string_view Trim(std::string_view s) {
    while (!s.empty() && s.front() == ' ') s.remove_prefix(1);
    while (!s.empty() && s.back() == ' ') s.remove_suffix(1);
    return s;
}

std::string_view Last(std::string_view s, std::size_t n) {
    return s.size() > n ? s.substr(s.size() - n) : s;
}

// The list fills the dialog; the value and the two buttons share the row beneath it.
std::vector<ui::ControlSpec> PickerTable(int w, int h) {
    using ui::Kind;
    constexpr int kButtonW = 1095, kButtonH = 375;
    return {
        {"lst", -1, Kind::CheckList, "", {0, 0, w, h - 600}, "", 0, "Courier New", 9},
        {"lblValue",
         -1,
         Kind::Label,
         "0x00000000",
         {120, h - 435, 1500, 255},
         "",
         0,
         "Courier New",
         9},
        {"cmdOK", -1, Kind::Button, "OK", {w - 2 * kButtonW - 210, h - 495, kButtonW, kButtonH}},
        {"cmdCancel",
         -1,
         Kind::Button,
         "Cancel",
         {w - kButtonW - 120, h - 495, kButtonW, kButtonH}},
    };
}

}  // namespace

const std::vector<std::string>& AccessItems() {
    static const std::vector<std::string> items = {
        "FILE_READ_DATA                 0x0001", "FILE_WRITE_DATA                0x0002",
        "FILE_APPEND_DATA               0x0004", "FILE_READ_EA                   0x0008",
        "FILE_WRITE_EA                  0x0010", "FILE_EXECUTE                   0x0020",
        "FILE_TRAVERSE                  0x0020", "FILE_DELETE_CHILD              0x0040",
        "FILE_READ_ATTRIBUTES           0x0080", "FILE_WRITE_ATTRIBUTES          0x0100",
        "DELETE                     0x00010000", "READ_CONTROL               0x00020000",
        "WRITE_DAC                  0x00040000", "WRITE_OWNER                0x00080000",
        "SYNCHRONIZE                0x00100000", "ACCESS_SYSTEM_SECURITY     0x01000000",
        "MAXIMUM_ALLOWED            0x02000000", "GENERIC_READ               0x80000000",
        "GENERIC_WRITE              0x40000000", "GENERIC_EXECUTE            0x20000000",
        "GENERIC_ALL                0x10000000",
    };
    return items;
}

const std::vector<std::string>& FlagsItems() {
    static const std::vector<std::string> items = {
        "FILE_ATTRIBUTE_READONLY             0x00000001",
        "FILE_ATTRIBUTE_HIDDEN               0x00000002",
        "FILE_ATTRIBUTE_SYSTEM               0x00000004",
        "FILE_ATTRIBUTE_DIRECTORY            0x00000010",
        "FILE_ATTRIBUTE_ARCHIVE              0x00000020",
        "FILE_ATTRIBUTE_DEVICE               0x00000040",
        "FILE_ATTRIBUTE_NORMAL               0x00000080",
        "FILE_ATTRIBUTE_TEMPORARY            0x00000100",
        "FILE_ATTRIBUTE_SPARSE_FILE          0x00000200",
        "FILE_ATTRIBUTE_REPARSE_POINT        0x00000400",
        "FILE_ATTRIBUTE_COMPRESSED           0x00000800",
        "FILE_ATTRIBUTE_OFFLINE              0x00001000",
        "FILE_ATTRIBUTE_NOT_CONTENT_INDEXED  0x00002000",
        "FILE_ATTRIBUTE_ENCRYPTED            0x00004000",
        "FILE_FLAG_WRITE_THROUGH             0x80000000",
        "FILE_FLAG_OVERLAPPED                0x40000000",
        "FILE_FLAG_NO_BUFFERING              0x20000000",
        "FILE_FLAG_RANDOM_ACCESS             0x10000000",
        "FILE_FLAG_SEQUENTIAL_SCAN           0x08000000",
        "FILE_FLAG_DELETE_ON_CLOSE           0x04000000",
        "FILE_FLAG_BACKUP_SEMANTICS          0x02000000",
        "FILE_FLAG_POSIX_SEMANTICS           0x01000000",
        "FILE_FLAG_OPEN_REPARSE_POINT        0x00200000",
        "FILE_FLAG_OPEN_NO_RECALL            0x00100000",
    };
    return items;
}

std::uint32_t AccessItemValue(std::string_view item) {
    return ParseHexText(Trim(Last(item, 10))).value;
}

std::uint32_t FlagsItemValue(std::string_view item) {
    return ParseHexText(Last(item, 8)).value;
}

std::string AccessItemName(std::string_view item) {
    return std::string(Trim(item.substr(0, 24)));
}

// --- Shared picker behaviour ------------------------------------------------------------------

PickerForm::PickerForm(ui::Toolkit& toolkit, std::string name, std::string caption, int clientWidth,
                       int clientHeight, const std::vector<std::string>& items, ValueOf valueOf)
    : ui::Form(toolkit, std::move(name), std::move(caption), clientWidth, clientHeight,
               PickerTable(clientWidth, clientHeight)),
      lst(ctl("lst")),
      cmdOK(ctl("cmdOK")),
      cmdCancel(ctl("cmdCancel")),
      lblValue(ctl("lblValue")),
      valueOf_(valueOf) {
    defaultButton = &cmdOK;
    cancelButton = &cmdCancel;
    for (const std::string& item : items) lst.addItem(item);
    lst.onClick = [this] { lst_Click(); };
    cmdOK.onClick = [this] { cmdOK_Click(); };
    cmdCancel.onClick = [this] { cmdCancel_Click(); };
}

void PickerForm::Form_Load() {
    PrepareFormControls(*this);
}

bool PickerForm::Form_QueryClose() {
    cmdCancel_Click();
    return true;
}

std::uint32_t PickerForm::ItemValue(int index) const {
    return valueOf_(lst.items().at(static_cast<std::size_t>(index)));
}

void PickerForm::lst_Click() {
    std::uint32_t value = 0;
    for (int i = 0; i < static_cast<int>(lst.items().size()); ++i)
        if (lst.checked(i)) value |= ItemValue(i);
    lblValue.setText(io::Hex8(value));
}

void PickerForm::cmdOK_Click() {
    Exit_OK = true;
    hide();
}

void PickerForm::cmdCancel_Click() {
    Exit_OK = false;
    hide();
}

void PickerForm::CheckItemsOf(std::uint32_t mask) {
    for (int i = 0; i < static_cast<int>(lst.items().size()); ++i)
        if ((mask & ItemValue(i)) != 0) lst.setChecked(i, true);
}

// --- The two dialogs --------------------------------------------------------------------------

FrmAccess::FrmAccess(ui::Toolkit& toolkit)
    : PickerForm(toolkit, "frmAccess", "dwDesiredAccess", 4890, 6780, AccessItems(),
                 &AccessItemValue) {}

std::string FrmAccess::GetAccessName() const {
    std::string names;
    for (int i = 0; i < static_cast<int>(lst.items().size()); ++i) {
        if (!lst.checked(i)) continue;
        if (!names.empty()) names += " | ";
        names += AccessItemName(lst.items()[static_cast<std::size_t>(i)]);
    }
    return names;
}

FrmFlagsAndAttributes::FrmFlagsAndAttributes(ui::Toolkit& toolkit)
    : PickerForm(toolkit, "frmFlagsAndAttributes", "dwFlagsAndAttributes", 5355, 6840, FlagsItems(),
                 &FlagsItemValue) {}

// --- Fitting a caption into its label ---------------------------------------------------------

void FitFontToWidth(ui::Control& label, ui::Control& measure) {
    ui::Font f = measure.font();
    f.name = "Microsoft Sans Serif";
    f.size = 8.25;
    measure.setFont(f);
    measure.setText(label.text());
    ui::Font shown = label.font();
    shown.name = f.name;
    shown.size = f.size;
    label.setFont(shown);
    if (measure.width() <= label.width()) return;
    for (double size : {6.75, 5.0}) {
        f.size = size;
        measure.setFont(f);
        if (measure.width() <= label.width()) break;
    }
    shown.size = f.size;
    label.setFont(shown);
}

}  // namespace app
