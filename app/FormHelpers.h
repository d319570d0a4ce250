// Window routines every form shares.
#pragma once

#include <cstdint>
#include <string>

#include "sys/Kernel.h"
#include "ui/Form.h"
#include "ui/Toolkit.h"

namespace app {

// Draws every control without visual styles and replaces the font name "MS Sans Serif" by
// "Microsoft Sans Serif"; errors of single controls are ignored.
void PrepareFormControls(ui::Form& form);

// GDI character set for an ANSI code page (0, ANSI_CHARSET, for any code page not listed).
int CharsetForCodePage(std::uint32_t codePage);

// Puts text on the clipboard; a busy clipboard gets one more try after 100 ms. False when
// neither try had it.
bool CopyToClipboard(ui::Toolkit& toolkit, sys::Kernel& k, const std::string& text);

// The Windows directory, or "" when the call fails.
std::string GetWindowsDir(sys::Kernel& k);

// Where a dialog goes, in twips: centred on its owner (never at negative coordinates), or on
// the screen when it has no owner.
struct Placement {
    int left = 0, top = 0;
};
struct Screen {
    int widthPx = 0, heightPx = 0, dpiX = 96, dpiY = 96;
};
Placement PlaceForm(int formWidth, int formHeight, const ui::Rect* owner, const Screen& screen);

}  // namespace app
