// One textured rectangle filling the widget: its own shader or a tile of a tile collection, tinted by
// ImageColor, the collection's colour and the style's colour for the widget's state.
#pragma once

#include "ui/UIClass.h"
#include "ui/WFrame.h"

namespace PM {

class RenderShader_I;
class TileCollection_I;

class WImage_I : public EngineClass<WImage_I, WFrame_I, ClassId::WImage, "WImage"> {
 public:
  // Defines the class, then its own members.
  static void Define();

  void DrawSelf(WidgetDrawContext* context, RenderEngine* engine) override;

  Obj<RenderShader_I> m_imageShader;
  Vector4f m_imageColor{1, 1, 1, 1};
  int32_t m_tileSelect = 0;
  Obj<TileCollection_I> m_tileCollection;

 private:
  // The style's colour for the widget state; white without a style.
  Vector4f StateColor() const;
};

}  // namespace PM
