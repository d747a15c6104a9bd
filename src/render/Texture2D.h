// A two-dimensional texture with its wrap modes.
#pragma once

#include "classes/EngineClass.h"
#include "render/Texture.h"

namespace PM {

class Texture2D_I : public Texture_I {
 public:
  static constexpr uint32_t kClassId = ClassId::Texture2D;
  static const TypeRecord& GetTypeRecord() { return EngineTypeRecord<Texture2D_I>("Texture2D"); }
  static ScriptObject* Create() { return NewEngineObject<Texture2D_I>(); }
  static ScriptObject* CreateExtra(uint32_t extraBytes) { return NewEngineObject<Texture2D_I>(extraBytes); }

  uint32_t m_wrapU = kWrapRepeat;
  uint32_t m_wrapV = kWrapRepeat;
};

}  // namespace PM
