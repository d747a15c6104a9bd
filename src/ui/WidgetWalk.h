// Bounds the recursive walks over a widget tree (layout passes, drawing): each level holds a guard, and
// a level past kMaxWidgetDepth is refused so that its branch is skipped. The Error line is written once
// per window frame (once per outermost walk outside a frame). Derived classes that replace a walking
// operation hold a guard in it as the base does.
#pragma once

#include <cstdint>

namespace PM {

class Widget_I;

class WidgetWalkGuard {
 public:
  // `operation` names the walk in the Error line; `widget` is the widget being entered.
  WidgetWalkGuard(const char* operation, const Widget_I* widget);
  ~WidgetWalkGuard();
  WidgetWalkGuard(const WidgetWalkGuard&) = delete;
  WidgetWalkGuard& operator=(const WidgetWalkGuard&) = delete;

  // False when the level lies past the limit: the caller skips the widget and its branch.
  bool Entered() const { return m_entered; }

  // A window frame starts and ends: one Error line at most between them.
  static void BeginFrame();
  static void EndFrame();

 private:
  bool m_entered;
};

}  // namespace PM
