// Bounds the recursive walks over a widget tree (layout passes, drawing): each level holds a guard, and
// a level past kMaxWidgetDepth is refused so that its branch is skipped. The Error line is written once
// per window frame (once per outermost walk outside a frame). Derived classes that replace a walking
// operation hold a guard in it as the base does.
#pragma once

#include <cstdint>

#include "ui/Widget.h"

namespace PM {

// The calling thread's walk: its depth, and whether the limit was reported in this frame. Initial-exec:
// every widget of a walk reads it twice, and the general model of a shared library costs a call each time;
// constinit spares each reader the call to the variable's initialisation wrapper.
struct WidgetWalkState {
  int32_t depth = 0;
  bool reported = false;
  int32_t frames = 0;  // window frames open on the thread (a channel widget may draw a window inside one)
};
[[gnu::tls_model("initial-exec")]] extern constinit thread_local WidgetWalkState t_widgetWalk;

class WidgetWalkGuard {
 public:
  // `operation` names the walk in the Error line; `widget` is the widget being entered.
  WidgetWalkGuard(const char* operation, const Widget_I* widget) {
    WidgetWalkState& s = t_widgetWalk;
    if (s.depth == 0 && s.frames == 0) s.reported = false;
    m_entered = s.depth < kMaxWidgetDepth;
    if (m_entered)
      ++s.depth;
    else
      Refuse(operation, widget);
  }
  ~WidgetWalkGuard() {
    if (m_entered) --t_widgetWalk.depth;
  }
  WidgetWalkGuard(const WidgetWalkGuard&) = delete;
  WidgetWalkGuard& operator=(const WidgetWalkGuard&) = delete;

  // False when the level lies past the limit: the caller skips the widget and its branch.
  bool Entered() const { return m_entered; }

  // A window frame starts and ends: one Error line at most between them.
  static void BeginFrame();
  static void EndFrame();

 private:
  // Logs the skipped branch, once per frame.
  static void Refuse(const char* operation, const Widget_I* widget);
  bool m_entered;
};

}  // namespace PM
