// BoxArray: a parsed array held as a script object of its Array_ class (a boxed array).
#pragma once

#include <cstdint>

#include "core/Obj.h"
#include "script/object/ScriptObject.h"

namespace PM {

// A new boxed array holding a copy of the elements (objects and Strings by counted reference); nil for
// element classes without an Array_ class. `array` is the payload of a counted array block.
Obj<ScriptObject> BoxArray(const void* array, uint32_t elementClassId);

}  // namespace PM
