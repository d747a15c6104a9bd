// Marks the rectangle of the interface that a 3D render channel fills: each draw works out where the
// widget lies on the screen, in normalised coordinates, for the host to copy into the channel.
#pragma once

#include "ui/UIClass.h"
#include "ui/Widget.h"

namespace PM {

class WChannel_I : public EngineClass<WChannel_I, Widget_I, ClassId::WChannel, "WChannel"> {
 public:
  // Defines the class, then its own members.
  static void Define();

  void DrawSelf(WidgetDrawContext* context, RenderEngine* engine) override;

  // (left, right, bottom, top), each 0 to 1 across the screen.
  Vector4f m_viewport{0, 0, 1, 1};
};

}  // namespace PM
