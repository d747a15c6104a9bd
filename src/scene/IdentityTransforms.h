// Recognising transforms that change nothing and removing them from a tree, their children handed to
// the transform's parent. Meant for static trees: constraints and animation connections on a removed
// transform are not looked at.
#pragma once

namespace PM {

class ScriptObject;

// True for a visible simple transform (or derived) whose values are all neutral within 2^-23: no
// translation, rotation, limits, scaling; for a full transform no shear, rotation axis or pivot
// translations; for a joint no rotation axis, joint orientation or enabled parent scaling. A transform
// that is not flat is logged at Info as NonFlat; other nodes (and null) answer false silently.
bool IsTransformFlat(ScriptObject* node);
// Removes every flat transform below `branch` (children first), appending its children to its
// parent's. The branch itself stays; nodes that are not branches are left alone.
void RemoveIdentityTransforms(ScriptObject* branch);

}  // namespace PM
