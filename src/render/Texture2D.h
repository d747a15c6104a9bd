// A two-dimensional texture with its wrap modes.
#pragma once

#include "classes/EngineClass.h"
#include "render/Texture.h"

namespace PM {

class Texture2D_I : public EngineClass<Texture2D_I, Texture_I, ClassId::Texture2D, "Texture2D"> {
 public:
  static void Define();
  uint32_t m_wrapU = kWrapRepeat;
  uint32_t m_wrapV = kWrapRepeat;
};

}  // namespace PM
