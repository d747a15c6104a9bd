// Exchanging two ranges of parent ids in the parent-id curves of a merged clip, without touching the
// curves and libraries that other clips share.
#pragma once

#include "core/Obj.h"
#include "core/Vector4f.h"
#include "script/object/ScriptObject.h"

namespace PM {

// The curve with values in [x, y) moved to [z, ...) and values in [z, w) moved to [x, ...): the curve
// itself when no value changes, else a new SplineScalarf of the same name and keys with the changes.
Obj<ScriptObject> RemapCurveValues(ScriptObject* curve, const Vector4f& swap);

// A new library of the same name and times listing the same curves (shared) and ports.
Obj<ScriptObject> CopyAnimationLibrary(ScriptObject* library);

// Remaps curve `index` of `library` when it is exactly a SplineScalarf. The first change for a clip
// (`*copied` still false) replaces `library` by a copy first; true when this call made that copy.
bool RemapParentCurve(Obj<ScriptObject>& library, int32_t index, bool* copied, const Vector4f& swap);

}  // namespace PM
