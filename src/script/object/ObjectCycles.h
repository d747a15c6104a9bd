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

// Does obj hold any object reference that could lead back to it (a non-nil object member, or a
// non-empty array or indexed member of objects)? Costs the number of its members, not what they reach.
bool HoldsObjectReferences(ScriptObject* obj);

}  // namespace PM
