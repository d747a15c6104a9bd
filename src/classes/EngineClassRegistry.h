// The engine class table is assembled from entries that each class's source file adds at static
// initialisation; RegisterEngineClasses then defines them in the table's fixed order.
#pragma once

#include <cstdint>

namespace PM {

// Defines one class of the table (or an S/T pair), then its own members, then any enum type it owns
// with its values.
using DefineClassFn = void (*)();

// Adds the entry for a class (a pair is entered under the id of the class listed first). Returns true
// so that it can initialise a static: `static const bool kEntry = AddEngineClassEntry(0x080, &Define);`
bool AddEngineClassEntry(uint32_t classIndex, DefineClassFn define);

// The entry of a class index, or null when no source file added one.
DefineClassFn FindEngineClassEntry(uint32_t classIndex);

}  // namespace PM
