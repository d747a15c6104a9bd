// Member variables of script classes: storage in the objects' extra bytes, one kind per value type and
// shape (a single value or an indexed array of values), with the record operations that reach it.
#pragma once

#include <cstdint>

#include "script/object/ScriptClass_D.h"

namespace PM {

// The storage of a value class as a single value or indexed (flags 0x400); null for other classes.
const ScriptMemberStorage* FindMemberStorage(uint32_t valueClassId, bool indexed);

}  // namespace PM
