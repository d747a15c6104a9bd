// A layer composed of an ordered list of layers.
#pragma once

#include "classes/EngineClass.h"
#include "render/ImageLayer.h"

namespace PM {

class GroupLayer_I : public ImageLayer_I {
 public:
  static constexpr uint32_t kClassId = ClassId::GroupLayer;
  static const TypeRecord& GetTypeRecord() { return EngineTypeRecord<GroupLayer_I>("GroupLayer"); }
  static ScriptObject* Create() { return NewEngineObject<GroupLayer_I>(); }
  static ScriptObject* CreateExtra(uint32_t extraBytes) { return NewEngineObject<GroupLayer_I>(extraBytes); }

  Array<Obj<ScriptObject>> m_layerArray;
};

}  // namespace PM
