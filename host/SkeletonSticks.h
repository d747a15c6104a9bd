// The bones of a model that has a skeleton and no mesh to skin with it, drawn by pm-run's view as bright
// sticks with a marker at each joint, following the joints: Assimp's stand-in mesh for such a file is
// thin and dark, and shows a walking figure as a few dots.
#pragma once

#include <cstdint>

#include <pelmora/script/object/ScriptObject.h>

namespace PMHost {

// Adds skinned geometries under `parent`: a stick `width` across from each joint under `root` whose
// parent is a joint to that joint, and a marker a little wider at each such joint, bound in the pose the
// joints' matrices hold now (their world matrices, after a tree update), drawn unlit over the model,
// the sticks over the markers.
// Returns the number of sticks: 0, with nothing added, when `width` is not a positive number or a joint
// has more than 8 joints under it (markers of a motion capture, not bones).
int32_t AddSkeletonSticks(PM::ScriptObject* root, PM::ScriptObject* parent, float width);

}  // namespace PMHost
