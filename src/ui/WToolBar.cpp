#include "ui/WToolBar.h"

namespace PM {

void WToolBar_I::Define() { DefineUIClass<WToolBar_I, WSizer_I>(); }

void WToolBar_I::DrawSelf(WidgetDrawContext* context, RenderEngine* engine) {
  if (m_layout.visibility == 0 || m_layout.clipState < 0) return;
  DrawElement(context, engine, ClassId::WToolBar);
}

}  // namespace PM
