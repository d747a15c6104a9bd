// Base of the textures: source file or image layer, filtering and mip-mapping.
#pragma once

#include "classes/EngineClass.h"
#include "classes/Object.h"

namespace PM {

class ImageLayer_I;

class Texture_I : public EngineClass<Texture_I, Object_I, ClassId::Texture, "Texture"> {
 public:
  static void Define();
  // Values of Texture.WrapModeEnum and Texture.FilterModeEnum.
  enum : uint32_t { kWrapClamp = 0x01FFF0AC, kWrapRepeat = 0x02FFF0AC };
  enum : uint32_t { kFilterPoint = 0x01FFF0AF, kFilterLinear = 0x02FFF0AF };

  Obj<ScriptObject> m_fileObject;
  Vector4f m_defaultColor = {0.5f, 0.5f, 0.5f, 1.0f};
  bool m_mipMapEnable = true;
  float m_anisotropic = 1.0f;
  float m_lodBias = 0.0f;
  Obj<ImageLayer_I> m_imageLayer;
  uint32_t m_minFilter = kFilterLinear;
  uint32_t m_magFilter = kFilterLinear;
};

}  // namespace PM
