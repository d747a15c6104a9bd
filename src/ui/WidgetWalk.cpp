#include "ui/WidgetWalk.h"

#include "core/Log.h"
#include "ui/Widget.h"

namespace PM {

namespace {

struct WalkState {
  int32_t depth = 0;
  bool reported = false;
  bool inFrame = false;
};
thread_local WalkState t_walk;

}  // namespace

WidgetWalkGuard::WidgetWalkGuard(const char* operation, const Widget_I* widget) {
  if (t_walk.depth == 0 && !t_walk.inFrame) t_walk.reported = false;
  m_entered = t_walk.depth < kMaxWidgetDepth;
  if (m_entered) {
    ++t_walk.depth;
    return;
  }
  if (t_walk.reported) return;
  t_walk.reported = true;
  LogError(operation, ": the branch at \"", widget->m_name, "\" lies more than ", kMaxWidgetDepth,
           " levels deep and is skipped.");
}

WidgetWalkGuard::~WidgetWalkGuard() {
  if (m_entered) --t_walk.depth;
}

void WidgetWalkGuard::BeginFrame() {
  t_walk.reported = false;
  t_walk.inFrame = true;
}

void WidgetWalkGuard::EndFrame() { t_walk.inFrame = false; }

}  // namespace PM
