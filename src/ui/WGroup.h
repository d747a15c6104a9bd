// An invisible container: draws only its children.
#pragma once

#include "ui/UIClass.h"
#include "ui/WFrame.h"

namespace PM {

class WGroup_I : public EngineClass<WGroup_I, WFrame_I, ClassId::WGroup, "WGroup"> {
 public:
  // Defines the class, then its own members.
  static void Define();

  void DrawSelf(WidgetDrawContext* context, RenderEngine* engine) override;
};

}  // namespace PM
