// A button drawn with the style's icon-button element.
#pragma once

#include "ui/UIClass.h"
#include "ui/WButton.h"

namespace PM {

class WIconButton_I : public EngineClass<WIconButton_I, WButton_I, ClassId::WIconButton, "WIconButton"> {
 public:
  // Defines the class, then its own members.
  static void Define();
};

}  // namespace PM
