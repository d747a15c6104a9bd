// ObjectCycles: reference cycles among script objects (an object whose member refers back to itself,
// or a ring of objects) keep their counts above zero after every outside holder let go. When a holder
// of many objects goes (a namespace), the objects it leaves that only it and each other still hold
// drop their object references, so the cycle falls apart and its objects are freed with the holder.
#pragma once

#include <vector>

namespace PM {

class ScriptObject;

// `held` names one entry per reference the departing holder owns (an object held twice is named
// twice). Objects that anything else still holds, and all they reach, are left untouched.
void ReleaseObjectCycles(const std::vector<ScriptObject*>& held);

}  // namespace PM
