#include "ui/WGroupFrame.h"

namespace PM {

void WGroupFrame_I::Define() { DefineUIClass<WGroupFrame_I, WControl_I>(); }

void WGroupFrame_I::DrawSelf(WidgetDrawContext* context, RenderEngine* engine) {
  if (m_layout.visibility == 0 || m_layout.clipState < 0) return;
  DrawElement(context, engine, ClassId::WGroupFrame);
}

}  // namespace PM
