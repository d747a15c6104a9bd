// The calling thread's last error code as text.
#pragma once

#include <cstdint>

#include "core/String.h"

namespace PM {

// Reads the last error code first, then sets `text` to the system's message for it (empty for 0) and
// returns the code. Modules carry no message tables here: `moduleName` is accepted but not loaded,
// since loading a shared object would run its code.
uint32_t FormatLastError(String& text, const String& moduleName);

}  // namespace PM
