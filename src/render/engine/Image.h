// The in-memory raster of textures, layers and the render back ends.
#pragma once

#include "classes/EngineClass.h"
#include "classes/Object.h"

namespace PM {

class Image_I : public Object_I {
 public:
  static constexpr uint32_t kClassId = ClassId::Image;
  static const TypeRecord& GetTypeRecord() { return EngineTypeRecord<Image_I>("Image"); }
  static ScriptObject* Create() { return NewEngineObject<Image_I>(); }
  static ScriptObject* CreateExtra(uint32_t extraBytes) { return NewEngineObject<Image_I>(extraBytes); }
};

}  // namespace PM
