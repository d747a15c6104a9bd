// Adding one character's animation clips to another character built with the same connections.
#pragma once

#include "core/Array.h"
#include "core/String.h"
#include "core/Vector4f.h"
#include "script/object/ScriptObject.h"

namespace PM {

// Appends copies of the source scheduler's clips to the target scheduler. Connections are matched by
// object name (CharacterNamesMatch with `namePairs`, entry 2i in target names, 2i+1 in source names)
// and member; when the source lists them in another order, the target group and its libraries'
// ports are rearranged to the source order first. Copies are renamed by the first matching rule of
// `renameRules` ("label/find*/replace*suffix/"), start `timeOffset` later, and have parent ids in
// [swap.x, swap.y) and [swap.z, swap.w) exchanged in curves of their own. A mismatch of the
// connections is logged and changes nothing. Neither scheduler is owned; null counts as nil.
void MergeCharacter(ScriptObject* target, ScriptObject* source, double timeOffset, const Array<String>& renameRules,
                    const Array<String>& namePairs, const Vector4f& swap);

}  // namespace PM
