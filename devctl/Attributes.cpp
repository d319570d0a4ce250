// "SetDiskAttributes" and "Vol Set GPT Attr": read, let the user edit in a dialog loaded for
// this one use, then send the change. The reading buttons are rows of the request table.
#include "app/FrmMain.h"
#include "devctl/AttributeDialogs.h"
#include "devctl/Requests.h"
#include "io/Numbers.h"

namespace app {

namespace L = sys::ioctl;

void FrmMain::cmdSetDiskAttributes_Click() {
    // The current attributes. The outcome is neither tested nor shown: a failed read leaves
    // them 0 and the dialog opens all the same.
    using G = L::GET_DISK_ATTRIBUTES;
    std::uint8_t got[G::kSize] = {};
    L::Put(got, G::Version, G::kSize);
    sys::DWORD returned = 0;
    const sys::BOOL read = k.DeviceIoControl(hFile, L::IOCTL_DISK_GET_DISK_ATTRIBUTES, nullptr, 0,
                                             got, sizeof got, &returned);
    CaptureLastError();
    const std::span<const std::uint8_t> answer(
        got, read ? std::min<std::size_t>(returned, G::kSize) : 0);

    FrmSetDiskAttributes dialog(toolkit());
    dialog.load();
    // The low 32 bits, as the dialog shows them.
    dialog.Attr = static_cast<std::int32_t>(L::Get(answer, G::Attributes));
    dialog.show(true);
    if (!dialog.Result) return;  // nothing sent, the result line as it was

    using S = L::SET_DISK_ATTRIBUTES;
    std::uint8_t change[S::kSize] = {};
    L::Put(change, S::Version, S::kSize);
    L::Put(change, S::Persist, dialog.Persist);
    // Only the low 32 bits go out; the high ones stay 0.
    L::Put(change, S::Attributes, static_cast<std::uint32_t>(dialog.Attr));
    L::Put(change, S::AttributesMask, static_cast<std::uint32_t>(dialog.AttrMask));
    RunRequest(devctl::kSetDiskAttributes, change);
}

void FrmMain::cmdVolSetGptAttr_Click() {
    SetResult("");
    devctl::OutBuffer out;
    const std::optional<devctl::Reply> current =
        SendRequest(devctl::GetGptAttributesRow(), {}, out);
    if (!current) return;  // the read's failure line, and no dialog

    using S = L::VOLUME_SET_GPT_ATTRIBUTES_INFORMATION;
    std::uint8_t change[S::kSize] = {};
    {
        FrmSetGptAttribs dialog(toolkit());
        dialog.load();
        dialog.txtGptAttributes.setText(
            "0x" + io::Hex64(static_cast<std::int64_t>(current->Value(
                                 L::VOLUME_GET_GPT_ATTRIBUTES_INFORMATION::GptAttributes)),
                             16));
        dialog.show(true);
        if (!dialog.Result) return;  // nothing sent, the result line stays empty

        // These bytes rewrite a partition's attributes: a slip in a box sends nothing.
        const GptText word = ParseGptText(dialog.txtGptAttributes.text());
        if (!word.ok) return Refuse("SetGptAttr Err: GptAttributes " + word.problem);
        const OptionText applyToAll = ParseOptionByte(dialog.txtApplyToAllConnectedVolumes.text());
        if (!applyToAll.ok)
            return Refuse("SetGptAttr Err: ApplyToAllConnectedVolumes " + applyToAll.problem);
        const OptionText revert = ParseOptionByte(dialog.txtRevertOnClose.text());
        if (!revert.ok) return Refuse("SetGptAttr Err: RevertOnClose " + revert.problem);

        L::Put(change, S::GptAttributes, word.value);
        L::Put(change, S::RevertOnClose, revert.value);
        L::Put(change, S::ApplyToAllConnectedVolumes, applyToAll.value);
    }  // the dialog is unloaded before the change goes out
    RunRequest(devctl::kSetGptAttributes, change);
}

}  // namespace app
