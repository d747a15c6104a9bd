#include "ui/WMenuBar.h"

namespace PM {

void WMenuBar_I::Define() { DefineUIClass<WMenuBar_I, WSizer_I>(); }

void WMenuBar_I::DrawSelf(WidgetDrawContext* context, RenderEngine* engine) {
  if (m_layout.visibility == 0 || m_layout.clipState < 0) return;
  DrawElement(context, engine, ClassId::WMenuBar);
}

}  // namespace PM
