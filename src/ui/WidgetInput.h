// One frame's input as the host hands it to a window, passed through the input pass, to every
// Widget::SendEvent and to host callbacks. A window keeps a second one for what survives between frames.
#pragma once

#include <cstdint>

#include "core/Obj.h"
#include "core/String.h"
#include "core/Vector3f.h"

namespace PM {

class Widget_I;
class TWindow_I;

// Raw button bits of the buttons field.
enum : uint32_t { kInputButtonLeft = 1, kInputButtonRight = 2, kInputButtonMiddle = 4, kInputDoubleClick = 0x80 };
// Modifier bits.
enum : uint32_t { kInputShift = 0x1, kInputControl = 0x10, kInputAlt = 0x100 };

struct WidgetLayout;
struct Matrix4f;

struct WidgetInput {
  WidgetInput();

  // 1 when the mouse ray meets the widget's rectangle (inside its clip), else 0.
  int32_t HitTest(WidgetLayout* layout) const;
  // Where the mouse ray, or the ray at the last press, meets the widget's plane, in the widget's own
  // coordinates with z 0. A ray along the plane, or a widget scaled to nothing, gives (0, 0, 0).
  void ProjectRay(Vector3f* out, WidgetLayout* layout) const;
  void ProjectDragRay(Vector3f* out, WidgetLayout* layout) const;
  // For hosts filling the record: the mouse ray through the clip-space point (x, y) (a pixel's centre,
  // y up) from the near plane to the far one, taken back through a window's matrix. A matrix without an
  // inverse leaves the ray as it was and answers false.
  bool SetPointerRay(const Matrix4f& windowMatrix, float x, float y);

  int32_t reserved = 0;
  int32_t hoverPending = 0;  // the mouse is over the window; the first widget to take the hover clears it
  int32_t inputBlocked = 0;  // a modal widget was met: widgets after it do nothing
  int32_t captureSeen = 0;
  int32_t keyCaptureSeen = 0;
  // Down, hold, up, double-click for left, then right, then middle.
  bool buttonFlags[12] = {};
  int32_t dragState = 0;  // 0 idle, -1 pressed, -2 waiting for movement, -3 start due, 1 dragging
  int32_t dragActive = 0;
  int32_t drop = 0;
  uint32_t buttons = 0;
  float wheel = 0.0f;
  uint32_t character = 0;
  uint32_t virtualKey = 0;
  uint32_t modifiers = 0;
  int32_t keyConsumed = 0;
  String text;
  Vector3f rayOrigin{0, 0, 0};
  Vector3f rayDirection{0, 0, 0};
  Vector3f dragRayOrigin{0, 0, 0};
  Vector3f dragRayDirection{0, 0, 0};
  Obj<Widget_I> previousWidget;
  Obj<Widget_I> hoverWidget;
  Obj<Widget_I> captureWidget;
  Obj<Widget_I> captureMenu;
  Obj<Widget_I> keyCaptureWidget;
  Obj<Widget_I> openPopup;
  WeakObj<Widget_I> dragSource;
  WeakObj<TWindow_I> window;
  float virtualScreen[4] = {-65536.0f, 65536.0f, -65536.0f, 65536.0f};
};

}  // namespace PM
