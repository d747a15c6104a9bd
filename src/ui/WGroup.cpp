#include "ui/WGroup.h"

namespace PM {

void WGroup_I::Define() { DefineUIClass<WGroup_I, WFrame_I>(); }

void WGroup_I::DrawSelf(WidgetDrawContext* context, RenderEngine* engine) {
  if (m_layout.visibility == 0 || m_layout.clipState < 0) return;
  for (const Obj<Widget_I>& child : m_widgetArray)
    if (!child.IsNil()) child->Draw(context, engine);
}

}  // namespace PM
