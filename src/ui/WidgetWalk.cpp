#include "ui/WidgetWalk.h"

#include "core/Log.h"
#include "ui/Widget.h"

namespace PM {

constinit thread_local WidgetWalkState t_widgetWalk;

void WidgetWalkGuard::Refuse(const char* operation, const Widget_I* widget) {
  if (t_widgetWalk.reported) return;
  t_widgetWalk.reported = true;
  LogError(operation, ": the branch at \"", widget->m_name, "\" lies more than ", kMaxWidgetDepth,
           " levels deep and is skipped.");
}

void WidgetWalkGuard::BeginFrame() {
  if (t_widgetWalk.frames++ == 0) t_widgetWalk.reported = false;
}

void WidgetWalkGuard::EndFrame() { --t_widgetWalk.frames; }

}  // namespace PM
