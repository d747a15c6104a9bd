// The X11 front ends of the dialogs a person answers: the graphics configuration dialog and the message
// boxes, for hosts that want someone to answer them (by default both answer at once).
#pragma once

#include "render/dialog/GraphicsSetupDialog.h"

namespace PM {

// Runs the dialog in a modal X11 window over the owner; -1 when the display cannot be opened.
int ShowGraphicsSetupX11(GraphicsSetupDialog& dialog, PlatformWindow* owner);
// Installs the X11 graphics dialog and the X11 message box as the front ends.
void InstallX11DialogHandlers();

}  // namespace PM
