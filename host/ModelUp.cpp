#include "ModelUp.h"

#include <cmath>
#include <cstring>

#include <pelmora/core/Log.h>
#include <pelmora/core/Matrix4f.h>
#include <pelmora/scene/Transform.h>

namespace PMHost {

using namespace PM;

namespace {

// The words, in the importer's UpAxis order: +X, +Y, +Z, -X, -Y, -Z.
constexpr const char* kAxes[] = {"x", "y", "z", "-x", "-y", "-z"};
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

// The turn as the importer makes it: the up axis to +Y and the front a turn about one axis keeps to +Z
// (-Y for +Z up, +Y for -Z up, else +Z). Rows of the engine's matrix are the images of X, Y and Z.
Matrix4f UpTurn(int axis) {
  float u[3] = {0, 0, 0}, f[3] = {0, 0, 0};
  u[axis % 3] = axis < 3 ? 1.0f : -1.0f;
  if (axis % 3 == 2)
    f[1] = axis == 2 ? -1.0f : 1.0f;
  else
    f[2] = 1;
  const float r[3] = {u[1] * f[2] - u[2] * f[1], u[2] * f[0] - u[0] * f[2], u[0] * f[1] - u[1] * f[0]};
  Matrix4f m = kIdentityMatrix4f;
  for (int i = 0; i < 3; ++i) {
    m.m[i * 4 + 0] = r[i];
    m.m[i * 4 + 1] = u[i];
    m.m[i * 4 + 2] = f[i];
  }
  return m;
}

}  // namespace

bool SetModelUp(ScriptObject* importRoot, const std::string& axis) {
  int index = -1;
  for (int i = 0; i < 6; ++i)
    if (axis == kAxes[i]) index = i;
  if (index < 0) {
    LogError("SetModelUp: \"", axis.c_str(), "\" is no axis; up is one of x, y, z, -x, -y, -z.");
    return false;
  }
  STransform_I* s = UpTransform(importRoot);
  if (!s) {
    LogError("SetModelUp: the node is not an imported model's up turn (a TTransform \"", kUpName, "\").");
    return false;
  }
  Vector3f translation, scale, shear, radians;
  Matrix4fC::Decompose(UpTurn(index), 0, translation, scale, shear, radians);
  s->SetRotation(radians * kRadToDeg);
  return true;
}

std::string ModelUpAxis(ScriptObject* importRoot) {
  STransform_I* s = UpTransform(importRoot);
  if (!s) return {};
  const Matrix4f m = s->GetLocalMatrix();
  // The file axis whose image is +Y: the row whose Y column is 1 (the turn may scale: by its length).
  for (int i = 0; i < 3; ++i) {
    const float* row = &m.m[i * 4];
    const float length = std::sqrt(row[0] * row[0] + row[1] * row[1] + row[2] * row[2]);
    if (!(length > 0)) continue;
    const float y = row[1] / length;
    if (y > 0.999f) return kAxes[i];
    if (y < -0.999f) return kAxes[i + 3];
  }
  return {};
}

}  // namespace PMHost
