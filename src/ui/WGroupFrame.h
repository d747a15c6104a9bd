// A control drawn with the style's group-frame element.
#pragma once

#include "ui/UIClass.h"
#include "ui/WControl.h"

namespace PM {

class WGroupFrame_I : public EngineClass<WGroupFrame_I, WControl_I, ClassId::WGroupFrame, "WGroupFrame"> {
 public:
  // Defines the class, then its own members.
  static void Define();

  void DrawSelf(WidgetDrawContext* context, RenderEngine* engine) override;
};

}  // namespace PM
