// Small reads of scene nodes shared by the constraint and IK solvers: class tests, names, the parent's
// matrix and scaling.
#pragma once

#include "core/Matrix4f.h"
#include "scene/SimpleTransform.h"

namespace PM {

// o as a T when it is one (or derived), else null; nil and null answer null.
template <class T>
T* As(ScriptObject* o) {
  return o && o->IsA(T::kClassId) ? static_cast<T*>(o) : nullptr;
}
template <class T>
T* As(const WeakObj<T>& o) {
  return o.IsNil() ? nullptr : o.Get();
}

// The Name of an Object, empty for anything else.
const String& NameOf(const ScriptObject* o);

// The model-view matrix of the node's nearest transform ancestor; `root` (the pass's starting matrix)
// when there is none.
const Matrix4f& ParentMatrixOf(const TNode_I* node, const Matrix4f& root);

// The Scaling of the parent's S-node when the parent is a simple transform, else (1,1,1).
Vector3f ParentScalingOf(const TNode_I* node);

// The S-node of a T-node as class S, or null.
template <class S>
S* SNodeOf(const TNode_I* node) {
  return As<S>(node->m_sNode.Get());
}

inline Vector3f TranslationOf(const Matrix4f& m) { return m.Row(3); }

// a · b of affine matrices.
inline Matrix4f Product(const Matrix4f& a, const Matrix4f& b) {
  Matrix4f r;
  r.SetProductAffine(a, b);
  return r;
}

// The row-vector matrix of a rotation quaternion (normalised first).
Matrix4f RowRotation(const Quaternionf& q);

inline Vector3f Scaled(const Vector3f& v, float f) { return {v.x * f, v.y * f, v.z * f}; }
inline Vector3f Diff(const Vector3f& a, const Vector3f& b) { return {a.x - b.x, a.y - b.y, a.z - b.z}; }
inline Vector3f Sum(const Vector3f& a, const Vector3f& b) { return {a.x + b.x, a.y + b.y, a.z + b.z}; }
inline Vector3f Cross(const Vector3f& a, const Vector3f& b) {
  Vector3f r;
  r.SetCross(a, b);
  return r;
}
// v normalised, or false (v untouched) when its length is too small to give a direction.
bool NormalizeChecked(Vector3f& v);

}  // namespace PM
