// A layer showing an image file, with its size and default colour.
#pragma once

#include "classes/EngineClass.h"
#include "render/ExpressionLayer.h"

namespace PM {

class ImageLayer_I : public ExpressionLayer_I {
 public:
  static constexpr uint32_t kClassId = ClassId::ImageLayer;
  static const TypeRecord& GetTypeRecord() { return EngineTypeRecord<ImageLayer_I>("ImageLayer"); }
  static ScriptObject* Create() { return NewEngineObject<ImageLayer_I>(); }
  static ScriptObject* CreateExtra(uint32_t extraBytes) { return NewEngineObject<ImageLayer_I>(extraBytes); }

  Obj<ScriptObject> m_fileObject;
  Vector3f m_dimension = {0.0f, 0.0f, 0.0f};
  Vector4f m_defaultColor = {-1.0f, -1.0f, -1.0f, 0.0f};
};

}  // namespace PM
