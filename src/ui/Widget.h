// The base of every W-class: the widget tree, the layout members, drawing order and event handlers.
// Scripts create only derived classes.
#pragma once

#include "classes/Object.h"
#include "core/String.h"
#include "ui/UIClass.h"

namespace PM {

class WidgetStyle_I;
class UIElement_I;
class WHandler_I;
class WEffect_I;

// Widget.ResizeModeEnum and Widget.AlignmentModeEnum values: each is its own member id.
enum : uint32_t {
  kClassWidgetResizeMode = 0xFFFFF0DA,
  kResizeExact = 0x01FFF0DA,
  kResizeMin = 0x02FFF0DA,
  kResizePercent = 0x03FFF0DA,
  kResizeMinPercent = 0x04FFF0DA,
  kResizeMax = 0x05FFF0DA,
  kClassWidgetAlignmentMode = 0xFFFFF0D9,
  kAlignCenter = 0x01FFF0D9,
  kAlignMin = 0x02FFF0D9,
  kAlignMax = 0x03FFF0D9,
  kAlignBlock = 0x04FFF0D9,
};

class Widget_I : public EngineClass<Widget_I, Object_I, ClassId::Widget, "Widget"> {
 public:
  // Defines the class, then its own members.
  static void Define();

  // Defines the two layout enumerations of the class.
  static void DefineResizeModeEnum();
  static void DefineAlignmentModeEnum();

  WeakObj<Widget_I> m_parent;
  Array<Obj<Widget_I>> m_widgetArray;
  Obj<WidgetStyle_I> m_style;
  Obj<UIElement_I> m_element;
  uint32_t m_visibility = 1;
  Vector3f m_position{0, 0, 0};
  Vector3f m_dimension{0, 0, 0};
  uint32_t m_resizeModeX = kResizeExact;
  uint32_t m_resizeModeY = kResizeExact;
  uint32_t m_resizeModeZ = kResizeExact;
  uint32_t m_alignmentModeX = kAlignCenter;
  uint32_t m_alignmentModeY = kAlignCenter;
  uint32_t m_alignmentModeZ = kAlignMin;
  uint32_t m_inputVisibility = 1;
  bool m_focusTransparent = false;
  bool m_enable = true;
  Vector4f m_branchColor{1, 1, 1, 1};
  int32_t m_drawPriority = 0;
  String m_infoText;
  uint32_t m_userValue = 0;
  Obj<ScriptObject> m_userObject;
  WeakObj<ScriptObject> m_userWeakObject;
  Array<Obj<WHandler_I>> m_handlerArray;
  Array<Obj<WEffect_I>> m_effectArray;
  int32_t m_childPriority = 0;
  bool m_modal = false;
  int32_t m_widgetState = -1;
};

}  // namespace PM
