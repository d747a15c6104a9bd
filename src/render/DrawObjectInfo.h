// One geometry the culling pass collected for drawing: the model-view matrix it is drawn with, its
// shader, the node and the depth-sort keys. Records hold no references: the scene tree keeps the nodes
// and shaders alive for the frame.
#pragma once

#include <cstdint>

#include "core/Matrix4f.h"

namespace PM {

class ScriptObject;
class TGeometry_I;

struct DrawObjectInfo {
  Matrix4f modelView = kIdentityMatrix4f;
  ScriptObject* shader = nullptr;  // a RenderShader or the nil object once collected
  TGeometry_I* node = nullptr;
  float depth = 0.0f;     // view depth of the depth-sorted layers; 0 when collected
  int32_t sortIndex = 0;  // their tie-break; 0 when collected
};

}  // namespace PM
