// A layer showing an image file, with its size and default colour.
#pragma once

#include "classes/EngineClass.h"
#include "render/ExpressionLayer.h"

namespace PM {

class ImageLayer_I : public EngineClass<ImageLayer_I, ExpressionLayer_I, ClassId::ImageLayer, "ImageLayer"> {
 public:
  static void Define();
  Obj<ScriptObject> m_fileObject;
  Vector3f m_dimension = {0.0f, 0.0f, 0.0f};
  Vector4f m_defaultColor = {-1.0f, -1.0f, -1.0f, 0.0f};
};

}  // namespace PM
