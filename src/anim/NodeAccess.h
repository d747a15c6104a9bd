// Small reads of scene nodes shared by the constraint and IK solvers: names, the parent's matrix and
// scaling (the class tests, S-node reads and parent matrix are scene/NodeWalk.h).
#pragma once

#include "core/Matrix4f.h"
#include "scene/NodeWalk.h"
#include "scene/SimpleTransform.h"

namespace PM {

// The Name of an Object, empty for anything else.
const String& NameOf(const ScriptObject* o);

// The Scaling of the parent's S-node when the parent is a simple transform, else (1,1,1).
Vector3f ParentScalingOf(const TNode_I* node);

inline Vector3f TranslationOf(const Matrix4f& m) { return m.Row(3); }

// a · b of affine matrices.
inline Matrix4f Product(const Matrix4f& a, const Matrix4f& b) {
  Matrix4f r;
  r.SetProductAffine(a, b);
  return r;
}

// The row-vector matrix of a rotation quaternion (normalised first).
Matrix4f RowRotation(const Quaternionf& q);

// v normalised, or false (v untouched) when its length is too small to give a direction.
bool NormalizeChecked(Vector3f& v);

}  // namespace PM
