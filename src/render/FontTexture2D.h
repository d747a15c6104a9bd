// A texture of rendered font glyphs.
#pragma once

#include "classes/EngineClass.h"
#include "render/Texture2D.h"

namespace PM {

class FontTexture2D_I : public Texture2D_I {
 public:
  static constexpr uint32_t kClassId = ClassId::FontTexture2D;
  static const TypeRecord& GetTypeRecord() { return EngineTypeRecord<FontTexture2D_I>("FontTexture2D"); }
  static ScriptObject* Create() { return NewEngineObject<FontTexture2D_I>(); }
  static ScriptObject* CreateExtra(uint32_t extraBytes) { return NewEngineObject<FontTexture2D_I>(extraBytes); }

  // The printable ASCII characters, then the Windows-1252 umlauts, sharp s and copyright sign.
  static const char kDefaultCharacterMap[];

  String m_fontName = "Tahoma";
  float m_fontWeight = 0.0f;
  float m_fontItalic = 0.0f;
  Vector2f m_fakeShadow = {0.0f, 0.0f};
  Vector2f m_imageSize = {256.0f, 256.0f};
  Vector2f m_characterSize = {0.0f, 32.0f};
  Vector2f m_characterDistance = {4.0f, 4.0f};
  String m_characterMap = kDefaultCharacterMap;
  int32_t m_fontSmoothing = 3;
};

}  // namespace PM
