// How both engines read a light node: its colour and where it shines from in the space of the matrix
// the traversal collected for it.
#pragma once

#include "core/Matrix4f.h"
#include "core/Vector3f.h"
#include "core/Vector4f.h"

namespace PM {

class ScriptObject;

struct LightPlacement {
  Vector3f color = {1.0f, 1.0f, 1.0f};
  // A directional light's unit direction (the matrix's z axis, w 0), another light's position (the
  // matrix's translation, w 1). A nil light shines white along z.
  Vector4f vector = {0.0f, 0.0f, 1.0f, 0.0f};
  bool IsDirectional() const { return vector.w == 0.0f; }
};

// The light node's placement under the matrix (null: identity).
LightPlacement PlaceLight(const Matrix4f* matrix, ScriptObject* light);

}  // namespace PM
