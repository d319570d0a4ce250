// What each button of the main window may change, said once in its row: the request table
// (devctl/), the query table (pathq/), and below the small table of the other buttons.
#pragma once

#include <optional>
#include <span>

#include "sys/Effect.h"
#include "ui/Control.h"

namespace app {

class FrmMain;

struct ButtonRow {
    const char* button;  // control name of the main window
    int index;           // control-array index, -1 outside an array
    sys::Effect effect;
};

// The buttons outside the request and query tables: open, close, read, write, pointer, end of
// file, flush, delete, type, the two attribute changes, and the two pickers (which call nothing).
std::span<const ButtonRow> OtherButtons();

// What pressing this button may change with the window as it is now; nullopt for a control that
// has no row. CreateFile changes when it may create, truncate, or delete on close;
// DeviceIoControl... as the request its dialog's texts name (known only after the dialog).
std::optional<sys::Effect> EffectOfPress(const FrmMain& form, const ui::Control& button);

}  // namespace app
