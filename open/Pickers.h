// The two picker dialogs: desired access and flags-and-attributes.
#pragma once

#include "ui/Form.h"

namespace app {

class FrmAccess : public ui::Form {
public:
    explicit FrmAccess(ui::Toolkit& toolkit);
    bool Exit_OK = false;
};

class FrmFlagsAndAttributes : public ui::Form {
public:
    explicit FrmFlagsAndAttributes(ui::Toolkit& toolkit);
    bool Exit_OK = false;
};

}  // namespace app
