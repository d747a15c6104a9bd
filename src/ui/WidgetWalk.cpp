#include "ui/WidgetWalk.h"

#include "core/Log.h"
#include "ui/Widget.h"

namespace PM {

thread_local WidgetWalkState t_widgetWalk;

void WidgetWalkGuard::Refuse(const char* operation, const Widget_I* widget) {
  if (t_widgetWalk.reported) return;
  t_widgetWalk.reported = true;
  LogError(operation, ": the branch at \"", widget->m_name, "\" lies more than ", kMaxWidgetDepth,
           " levels deep and is skipped.");
}

void WidgetWalkGuard::BeginFrame() {
  t_widgetWalk.reported = false;
  t_widgetWalk.inFrame = true;
}

void WidgetWalkGuard::EndFrame() { t_widgetWalk.inFrame = false; }

}  // namespace PM
