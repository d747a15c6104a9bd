// A layer composed of an ordered list of layers.
#pragma once

#include "classes/EngineClass.h"
#include "render/ImageLayer.h"

namespace PM {

class GroupLayer_I : public EngineClass<GroupLayer_I, ImageLayer_I, ClassId::GroupLayer, "GroupLayer"> {
 public:
  static void Define();
  Array<Obj<ScriptObject>> m_layerArray;
};

}  // namespace PM
