// The private data of a ScriptFunction_I.
#pragma once

#include <cstdint>

#include "core/String.h"

namespace PM {

struct ScriptFunction_D {
  uint32_t id = 0;  // its entry in the global function table, freed with the function
  String name;
};

}  // namespace PM
