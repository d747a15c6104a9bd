// What the drawing traversal of a window carries from widget to widget: the priority level being drawn,
// the colour the branch colours multiply into, the widgets deferred to a higher level, and the effects
// met on the way with the widgets that own them.
#pragma once

#include <cstdint>

#include "core/Array.h"
#include "core/Matrix4f.h"
#include "core/Obj.h"
#include "core/Vector4f.h"

namespace PM {

class Widget_I;
class WEffect_I;

struct WidgetDrawContext {
  int32_t level = 0;
  Vector4f color{1, 1, 1, 1};
  Vector4f secondColor{0, 0, 0, 0};
  int32_t word = 0;
  // The projection the window's widgets are placed by, without an engine's half-pixel shift; null: the
  // engine's projection in force.
  const Matrix4f* windowProjection = nullptr;
  Array<Obj<Widget_I>> deferred;
  Array<Obj<WEffect_I>> effects;
  Array<Obj<Widget_I>> effectOwners;
};

}  // namespace PM
