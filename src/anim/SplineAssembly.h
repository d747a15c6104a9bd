// Building a vector spline's keys from one scalar spline per component.
#pragma once

#include "core/Array.h"
#include "scene/SplineKeys.h"

namespace PM {

class SplineScalarf_I;

// Empties `keys`, then builds key i from key i of every part (component c from part c, the time from
// part 0). Parts with different key counts log "<className>_I(): individual SplineScalarf have
// different number of keys." and leave the keys empty; each key whose times differ by more than
// 0.0001 logs "... have different key times." and is still built. A null or nil part has no keys.
// True when neither happened.
template <class V>
bool AssembleFromScalarSplines(Array<KeyOf<V>>& keys, const char* className, SplineScalarf_I* const* parts);

}  // namespace PM
