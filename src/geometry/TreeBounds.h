// Bounds of T-node subtrees in the model-view frame of the last drawn frame: spheres and an
// axis-aligned box around them.
#pragma once

#include "core/Array.h"
#include "core/Matrix4f.h"
#include "core/Obj.h"
#include "core/Spheref.h"

namespace PM {

class ScriptObject;

// Grows `bounds` by the subtree of `node`, whose parent's frame is `frame`. Hidden subtrees add
// nothing; polygon geometry adds its bounding sphere carried by the frame, skinned geometry its own
// view-space sphere; spheres of 1e10 or more are left out. With jointSpheres every transform adds a
// 0.1 sphere at its origin. Null and nil add nothing, nor do spheres that are not finite (a Debug
// line) and levels deeper than kMaxTreeDepth (one Error).
void AddTreeBounds(ScriptObject* node, Spheref& bounds, const Matrix4f& frame, bool jointSpheres);
// The sphere of the listed subtrees, from the last to the first, in the frame of the first node's
// parent transform; an empty list gives the empty sphere of radius -1e16.
void ComputeNodesBounds(const Array<Obj<ScriptObject>>& nodes, Spheref& bounds, bool jointSpheres);
// The box around the subtree's sphere with its centre carried by m; false, with min and max left
// alone, when the sphere is empty or infinite.
bool ComputeTreeBoundingBox(ScriptObject* node, const Matrix4f& m, Vector3f& min, Vector3f& max);

// The empty start of the outer results.
inline constexpr Spheref kEmptyBounds{{0.0f, 0.0f, 0.0f}, -1e16f};

}  // namespace PM
