// A stand-alone scroll bar with two arrows and a thumb.
#pragma once

#include "ui/UIClass.h"
#include "ui/WControl.h"

namespace PM {

class WScroll_I : public EngineClass<WScroll_I, WControl_I, ClassId::WScroll, "WScroll"> {
 public:
  // Defines the class, then its own members.
  static void Define();

  int32_t m_orientation = 0;
};

}  // namespace PM
