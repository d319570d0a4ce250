#include "app/Presses.h"

#include <string_view>

#include "app/FrmMain.h"
#include "devctl/IoControl.h"
#include "devctl/Requests.h"
#include "open/HexText.h"
#include "pathq/Queries.h"

namespace app {

namespace {

constexpr sys::Effect Reads = sys::Effect::Reads, Changes = sys::Effect::Changes;

constexpr ButtonRow kOtherButtons[] = {
    {"cmdCreateFile", -1, Reads},  // as asked: see OpensToChange
    {"cmdCloseHandle", -1, Reads},
    {"cmdAccess", -1, Reads},
    {"cmdFlagsAndAttributesList", -1, Reads},
    {"cmdRead", -1, Reads},
    {"cmdWrite", -1, Changes},
    {"cmdSetFilePointer", -1, Reads},
    {"cmdSetEndOfFile", -1, Changes},
    {"cmdFlush", -1, Reads},
    {"cmdDelete", -1, Changes},
    {"cmdGetFileType", -1, Reads},
    {"cmdSetDiskAttributes", -1, Changes},
    {"cmdVolSetGptAttr", -1, Changes},
};

bool Is(const ui::Control& c, const char* name, int index) {
    return c.name() == std::string_view(name) && c.index() == index;
}

// An open that may create or truncate a file, or delete it when the handle closes.
bool OpensToChange(const FrmMain& f) {
    const int disposition = f.cboCreation.listIndex();
    if (disposition != static_cast<int>(sys::w::OPEN_EXISTING) && disposition > 0) return true;
    const HexText flags = ParseHexText(f.txtFlagsAndAttibutes.text());
    return flags.ok && (flags.value & sys::w::FILE_FLAG_DELETE_ON_CLOSE) != 0;
}

}  // namespace

std::span<const ButtonRow> OtherButtons() {
    return kOtherButtons;
}

std::optional<sys::Effect> EffectOfPress(const FrmMain& form, const ui::Control& button) {
    if (&button == &form.cmdCreateFile) return OpensToChange(form) ? Changes : Reads;
    if (Is(button, "cmdDeviceIoControl", -1)) {
        // The request the dialog's texts name; texts the press refuses send nothing.
        const devctl::CodeText code = devctl::ParseCodeText(form.ioControl.code);
        return code.ok ? devctl::EffectOfCode(code.code) : Reads;
    }
    for (const ButtonRow& r : kOtherButtons)
        if (Is(button, r.button, r.index)) return r.effect;
    for (const devctl::Request& r : devctl::Requests())
        if (Is(button, r.button, r.index)) return r.effect;
    for (const pathq::Query& q : pathq::Queries())
        if (Is(button, q.button, -1)) return q.effect;
    return std::nullopt;
}

}  // namespace app
