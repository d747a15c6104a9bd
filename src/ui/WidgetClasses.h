// The user interface's part of the engine class table and the error report
// of a global script function called with unusable arguments.
#pragma once

#include <cstdint>

#include "classes/EngineClasses.h"

namespace PM {

// Defines the UI classes, their members and enumeration values; the last step of RegisterEngineClasses.
void RegisterWidgetClasses();

// Logs at Error: GCall: invalid arguments for function 0x0006 "Sqrt".
void GCall(uint32_t functionId);

}  // namespace PM
