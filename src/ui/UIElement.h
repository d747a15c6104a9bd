// How one kind of widget is drawn: atoms cut out of shader textures, the measures its layout uses,
// its font, and the sounds and cursor of focus and click.
#pragma once

#include "classes/Object.h"
#include "core/Array.h"
#include "core/String.h"
#include "ui/UIClass.h"

namespace PM {

class RenderShader_I;
class FontStyle_I;

class UIElement_I : public EngineClass<UIElement_I, Object_I, ClassId::UIElement, "UIElement"> {
 public:
  // Defines the class, then its own members.
  static void Define();

  Array<Obj<RenderShader_I>> m_shaderArray;
  Array<int32_t> m_atomData;
  Vector3f m_defaultDim{0, 0, 0};
  Vector3f m_borderMin{0, 0, 0};
  Vector3f m_borderMax{0, 0, 0};
  Vector3f m_iconDim{32, 32, 0};
  Vector3f m_iconSpacing{0, 0, 0};
  Vector3f m_arrowDim{32, 32, 0};
  Vector3f m_arrowSpacing{32, 32, 0};
  Vector3f m_barDim{32, 32, 0};
  Vector3f m_handleDim{16, 16, 0};
  Obj<FontStyle_I> m_fontStyle;
  Vector4f m_fontColor{1, 1, 1, 1};
  String m_soundFocus;
  String m_soundClick;
  int32_t m_cursorFocus = 0;
  Vector3f m_iconPos{0, 0, 0};
};

}  // namespace PM
