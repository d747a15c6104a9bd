#include "anim/NodeAccess.h"

#include <cmath>

#include "classes/Object.h"

namespace PM {

const String& NameOf(const ScriptObject* o) {
  static const String kEmpty;
  if (!o || !o->IsA(Object_I::kClassId)) return kEmpty;
  return static_cast<const Object_I*>(o)->m_name;
}

Vector3f ParentScalingOf(const TNode_I* node) {
  TBranch_I* parent = node->GetParent();
  if (!As<TSimpleTransform_I>(parent)) return {1, 1, 1};
  const SSimpleTransform_I* s = SNodeOf<SSimpleTransform_I>(parent);
  return s ? s->m_scaling : Vector3f{1, 1, 1};
}

Matrix4f RowRotation(const Quaternionf& q) {
  Matrix4f m;
  m.SetRotationQuaternion(q);
  m.Transpose3x3();
  return m;
}

bool NormalizeChecked(Vector3f& v) {
  const float l2 = v.LengthSquared();
  if (!(l2 > 1e-24f) || !std::isfinite(l2)) return false;
  v.Normalize();
  return true;
}

}  // namespace PM
