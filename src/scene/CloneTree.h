// Cloning a subtree of T-nodes into new nodes that share the S-nodes (and geometry shaders) of their
// sources, so that only the placement data is new.
#pragma once

#include "core/Obj.h"

namespace PM {

class ScriptObject;

// The clone of `root` with its subtree, or nil when root is not a T-node (silently; null counts as
// nil). The root is borrowed. Clones get the name, S-node, bounding data and shader of their source;
// constraints and other members are not copied, and each cloned branch lists its children in the
// reverse order of its source. Node types beyond transforms, joints, polygon geometry and spline
// curves, and constraints, are reported as not supported yet; the clone is made all the same. A tree
// with more levels than kMaxTreeDepth (scene/TreeDepth.h) is refused with an Error and gives nil.
Obj<ScriptObject> CloneTree(ScriptObject* root);

}  // namespace PM
