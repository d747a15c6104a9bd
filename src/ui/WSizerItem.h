// The margin a sizer keeps around one of its children.
#pragma once

#include "classes/Object.h"
#include "core/Vector3f.h"
#include "ui/UIClass.h"

namespace PM {

class WSizerItem_I : public EngineClass<WSizerItem_I, Object_I, ClassId::WSizerItem, "WSizerItem"> {
 public:
  // Defines the class, then its own members.
  static void Define();

  Vector3f m_spacing{0, 0, 0};
};

}  // namespace PM
