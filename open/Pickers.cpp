#include "open/Pickers.h"

#include "app/FrmMain.h"

namespace app {

FrmAccess::FrmAccess(ui::Toolkit& toolkit)
    : ui::Form(toolkit, "frmAccess", "dwDesiredAccess", 4890, 6780, {}) {}

FrmFlagsAndAttributes::FrmFlagsAndAttributes(ui::Toolkit& toolkit)
    : ui::Form(toolkit, "frmFlagsAndAttributes", "dwFlagsAndAttributes", 5355, 6840, {}) {}

void FrmMain::cmdAccess_Click() {}
void FrmMain::cmdFlagsAndAttributesList_Click() {}
void FrmMain::lblAccessName_DblClick() {}

}  // namespace app
