// The font of labels and text: shader, size and drop shadow.
#pragma once

#include "classes/Object.h"
#include "ui/UIClass.h"

namespace PM {

class RenderShader_I;

class FontStyle_I : public EngineClass<FontStyle_I, Object_I, ClassId::FontStyle, "FontStyle"> {
 public:
  // Defines the class, then its own members.
  static void Define();

  Obj<RenderShader_I> m_fontShader;
  Vector2f m_fontSize{64, 64};
  Vector3f m_shadowOffset{0, 0, 0};
  Vector4f m_shadowColor{0, 0, 0, 1};
};

}  // namespace PM
