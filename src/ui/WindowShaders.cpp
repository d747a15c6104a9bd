// The shaders a window's widget tree draws with, for the render system's forced texture loading.
#include "core/Log.h"
#include "render/RenderShader.h"
#include "ui/TileCollection.h"
#include "ui/WImage.h"
#include "ui/Widget.h"
#include "ui/WidgetStyle.h"
#include "ui/Window.h"

namespace PM {

namespace {
// A widget tree that is its own descendant would never end; this many widgets is far beyond any real one.
constexpr int32_t kMaxWidgets = 1 << 20;
}  // namespace

void TWindow_I::ListShaderCandidates(Array<ScriptObject*>& out) {
  // Depth first, each widget before its children, children in order: pushed last to first.
  Array<Widget_I*> stack;
  if (m_rootWidget->IsA(Widget_I::kClassId)) stack.Append(m_rootWidget.Get());
  for (int32_t visited = 0; stack.Count() > 0; ++visited) {
    if (visited == kMaxWidgets) {
      LogError("TWindow::ListShaderCandidates: more than ", kMaxWidgets, " widgets under \"", m_name, "\".");
      return;
    }
    Widget_I* w = stack.Last();
    stack.SetCount(stack.Count() - 1);
    if (w->m_style->IsA(WidgetStyle_I::kClassId)) out.Append(w->m_style->m_widgetShader.Get());
    if (w->IsA(WImage_I::kClassId)) {
      auto* image = static_cast<WImage_I*>(w);
      out.Append(image->m_imageShader.Get());
      if (image->m_tileCollection->IsA(TileCollection_I::kClassId)) {
        const Array<Obj<RenderShader_I>>& tiles = image->m_tileCollection->m_shaderArray;
        for (int32_t i = tiles.Count() - 1; i >= 0; --i) out.Append(tiles[i].Get());
      }
    }
    for (int32_t i = w->m_widgetArray.Count() - 1; i >= 0; --i)
      if (w->m_widgetArray[i]->IsA(Widget_I::kClassId)) stack.Append(w->m_widgetArray[i].Get());
  }
}

}  // namespace PM
