// The user interface's part of the engine class table, its shutdown counterpart, and the error report
// of a global script function called with unusable arguments.
#pragma once

#include <cstdint>

namespace PM {

// Defines the UI classes, their members and enumeration values; the last step of RegisterEngineClasses.
void RegisterWidgetClasses();
// Shutdown counterpart of the engine class table; the tables go with the object model.
void UninitEngineClasses();

// Logs at Error: GCall: invalid arguments for function 0x0006 "Sqrt".
void GCall(uint32_t functionId);

}  // namespace PM
