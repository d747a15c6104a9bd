// The layout engine of the widget tree: places its visible children in a row, a column or a grid.
#pragma once

#include "ui/UIClass.h"
#include "ui/WControl.h"

namespace PM {

class WSizerItem_I;

// WSizer.SizerModeEnum values: each is its own member id.
enum : uint32_t {
  kClassSizerMode = 0xFFFFF0E6,
  kSizerHorizontal = 0x01FFF0E6,
  kSizerVertical = 0x02FFF0E6,
  kSizerHorizontalRev = 0x03FFF0E6,
  kSizerVerticalRev = 0x04FFF0E6,
};

class WSizer_I : public EngineClass<WSizer_I, WControl_I, ClassId::WSizer, "WSizer"> {
 public:
  // Defines the class, then its own members.
  static void Define();

  WSizer_I() {
    m_layout.resizeModeX = kResizeMin;
    m_layout.resizeModeY = kResizeMin;
    m_focusTransparent = true;
  }
  // Defines WSizer.SizerModeEnum.
  static void DefineSizerModeEnum();

  Array<Obj<WSizerItem_I>> m_sizerItemArray;
  uint32_t m_sizerMode = kSizerHorizontal;
  Vector3f m_borderSpacing{0, 0, 0};
  Vector3f m_itemSpacing{0, 0, 0};
  Vector3f m_gridDimension{0, 0, 0};
  int32_t m_gridCountX = -1;
  int32_t m_gridCountY = -1;
};

}  // namespace PM
