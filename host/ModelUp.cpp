#include "ModelUp.h"

#include <cmath>
#include <cstring>

#include <pelmora/core/Log.h>
#include <pelmora/core/Matrix4f.h>
#include <pelmora/core/UpTurn.h>
#include <pelmora/scene/Transform.h>

namespace PMHost {

using namespace PM;

namespace {

constexpr const char* kUpName = "ModelUp";

// The STransform of an imported model's up turn: a TTransform named "ModelUp" or "ModelUp_N".
STransform_I* UpTransform(ScriptObject* root) {
  if (!root || IsNilObject(root) || !root->IsA(TTransform_I::kClassId)) return nullptr;
  const char* name = static_cast<TNode_I*>(root)->m_name.CStr();
  const size_t n = std::strlen(kUpName);
  if (std::strncmp(name, kUpName, n) != 0 || (name[n] != 0 && name[n] != '_')) return nullptr;
  ScriptObject* s = static_cast<TNode_I*>(root)->GetSNode();
  return s->IsA(STransform_I::kClassId) ? static_cast<STransform_I*>(s) : nullptr;
}

}  // namespace

bool SetModelUp(ScriptObject* importRoot, Axis axis) {
  if (!IsAxis(axis)) {
    LogError("SetModelUp: ", int(axis), " is no axis; up is one of x, y, z, -x, -y, -z.");
    return false;
  }
  STransform_I* s = UpTransform(importRoot);
  if (!s) {
    LogError("SetModelUp: the node is not an imported model's up turn (a TTransform \"", kUpName, "\").");
    return false;
  }
  Vector3f translation, scale, shear, radians;
  Matrix4fC::Decompose(UpTurnMatrix(axis), 0, translation, scale, shear, radians);
  s->SetRotation(radians * kRadToDeg);
  return true;
}

Axis ModelUpAxis(ScriptObject* importRoot) {
  STransform_I* s = UpTransform(importRoot);
  if (!s) return Axis::None;
  const Matrix4f m = s->GetLocalMatrix();
  // The file axis whose image is +Y: the row whose Y column is 1 (the turn may scale: by its length).
  for (Axis axis : kAxes) {
    const float* row = &m.m[AxisIndex(axis) * 4];
    const float length = std::sqrt(row[0] * row[0] + row[1] * row[1] + row[2] * row[2]);
    if (length > 0 && row[1] / length * AxisSign(axis) > 0.999f) return axis;
  }
  return Axis::None;
}

}  // namespace PMHost
