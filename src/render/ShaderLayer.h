// An ordered list of surface expressions drawn one over the other.
#pragma once

#include "classes/EngineClass.h"
#include "render/ShaderExpression.h"

namespace PM {

class ShaderLayer_I : public ShaderExpression_I {
 public:
  static constexpr uint32_t kClassId = ClassId::ShaderLayer;
  static const TypeRecord& GetTypeRecord() { return EngineTypeRecord<ShaderLayer_I>("ShaderLayer"); }
  static ScriptObject* Create() { return NewEngineObject<ShaderLayer_I>(); }
  static ScriptObject* CreateExtra(uint32_t extraBytes) { return NewEngineObject<ShaderLayer_I>(extraBytes); }

  Array<Obj<ShaderExpression_I>> m_layer;
};

}  // namespace PM
