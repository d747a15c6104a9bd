// Drawing a widget branch: deferral to higher priority levels, the branch colour, the class's own drawing.
#include "core/Trace.h"
#include "ui/Widget.h"
#include "ui/WidgetDrawContext.h"
#include "ui/WidgetWalk.h"

namespace PM {

void Widget_I::Draw(WidgetDrawContext* context, RenderEngine* engine) {
  if (m_drawPriority > context->level) {
    context->deferred.Append(Obj<Widget_I>(this));
    return;
  }
  WidgetWalkGuard guard("Widget::Draw", this);
  if (!guard.Entered()) return;
  SetTraceGlobal2(m_name.CStr());  // names the widget in a crash report
  const Vector4f saved = context->color;
  context->color *= m_branchColor;
  DrawSelf(context, engine);
  context->color = saved;
}

void Widget_I::DrawSelf(WidgetDrawContext*, RenderEngine*) {}

}  // namespace PM
