// The up axis of an imported model: the named up transform at the top of what ImportModel returns,
// turned so that the axis given points up (the engine's +y).
#pragma once

#include <string>

#include <pelmora/script/object/ScriptObject.h>

namespace PMHost {

// Turns the import's up transform so that `axis` ("x", "y", "z", "-x", "-y" or "-z") of the file points
// up; false (logged) when the axis is none of those or the root has no up transform.
bool SetModelUp(PM::ScriptObject* importRoot, const std::string& axis);
// The file's axis that points up now, as SetModelUp takes it ("y" when the root has no up transform).
std::string ModelUpAxis(PM::ScriptObject* importRoot);

}  // namespace PMHost
