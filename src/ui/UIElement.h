// How one kind of widget is drawn: atoms cut out of shader textures, the measures its layout uses,
// its font, and the sounds and cursor of focus and click.
#pragma once

#include "classes/Object.h"
#include "core/Array.h"
#include "core/String.h"
#include "ui/UIAtomStructure.h"
#include "ui/UIClass.h"

namespace PM {

class RenderShader_I;
class FontStyle_I;
class RenderEngine;
// The drawing pass's shared state; elements are handed it but do not read it.
struct WidgetDrawContext;

class UIElement_I : public EngineClass<UIElement_I, Object_I, ClassId::UIElement, "UIElement"> {
 public:
  // Defines the class, then its own members.
  static void Define();

  // Draws every atom as a clipped, textured quad: corners from the anchor tables plus the atom's
  // offsets, colour from the colour table. An atom whose colour is transparent is skipped; a colour id
  // outside the table ends the drawing (logged); an atom whose anchors lie outside their tables is
  // skipped (logged once per call); a shader index outside ShaderArray draws with nil.
  void Draw(WidgetDrawContext* context, RenderEngine* engine, int32_t hCount, const float* h, int32_t vCount,
            const float* v, int32_t colorCount, const Vector4f* colors);
  // The hit id of the first atom whose rectangle holds (x, y) (low edges in, high edges out), or -1.
  // Atoms with hit id 0 or below, a transparent colour or anchors outside their tables never match;
  // an atom whose colour id lies outside the table does.
  int32_t HitTest(int32_t x, int32_t y, int32_t hCount, const float* h, int32_t vCount, const float* v,
                  int32_t colorCount, const Vector4f* colors) const;

  // AtomData: kWords values per atom. Set refuses (logged) a count that is not a multiple of kWords.
  Array<int32_t> AtomData() const;
  void SetAtomData(const Array<int32_t>& data);

  Array<Obj<RenderShader_I>> m_shaderArray;
  Array<UIAtomStructure> m_atoms;
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
