// A texture of rendered font glyphs.
#pragma once

#include "classes/EngineClass.h"
#include "render/Texture2D.h"

namespace PM {

class FontTexture2D_I : public EngineClass<FontTexture2D_I, Texture2D_I, ClassId::FontTexture2D, "FontTexture2D"> {
 public:
  static void Define();
  // The printable ASCII characters, then the Windows-1252 umlauts, sharp s and copyright sign.
  static const char kDefaultCharacterMap[];

  // Renders the glyphs of the character map into the texture's image and keeps their metrics; 0, or the
  // code of a font that could not be made.
  virtual ResultCode CreateFontImage();

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
