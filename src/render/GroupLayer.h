// A layer composed of an ordered list of layers.
#pragma once

#include "render/ImageLayer.h"
#include "scene/EngineClass.h"

namespace PM {

class GroupLayer_I : public ImageLayer_I {
 public:
  static constexpr uint32_t kClassId = 0xFFFFF0B2;
  static const TypeRecord& GetTypeRecord() { return EngineTypeRecord<GroupLayer_I>("GroupLayer"); }
  static ScriptObject* Create() { return NewEngineObject<GroupLayer_I>(); }
  static ScriptObject* CreateExtra(uint32_t extraBytes) { return NewEngineObject<GroupLayer_I>(extraBytes); }

  Array<Obj<ScriptObject>> m_layerArray;
};

}  // namespace PM
