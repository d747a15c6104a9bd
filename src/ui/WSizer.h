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

  // Minimum size from the visible children's, in rows, columns or a grid; remembers the last visible index.
  WidgetLayout* CalcDimMin() override;
  // Commits the sizer, then hands each visible child its cell through the cell record.
  void UpdateLayoutTree(const WidgetLayout* parent, int32_t keepSize) override;
  // Draws the visible children only: a sizer has no frame of its own.
  void DrawSelf(WidgetDrawContext* context, RenderEngine* engine) override;

  // The margin of child i: its item's Spacing, or zero without an item.
  Vector3f MarginOf(int32_t i) const;
  // Does the mode lay out along x (Horizontal, HorizontalRev)?
  bool IsHorizontal() const { return m_sizerMode == kSizerHorizontal || m_sizerMode == kSizerHorizontalRev; }

  Array<Obj<WSizerItem_I>> m_sizerItemArray;
  uint32_t m_sizerMode = kSizerHorizontal;
  Vector3f m_borderSpacing{0, 0, 0};
  Vector3f m_itemSpacing{0, 0, 0};
  Vector3f m_gridDimension{0, 0, 0};
  int32_t m_gridCountX = -1;
  int32_t m_gridCountY = -1;
  // The last visible child's count index from the latest minimum-size pass (-1: none visible).
  int32_t m_lastVisible = 0;
  // The parent record handed to one child at a time; holds the last child's cell afterwards.
  WidgetLayout m_cell;
};

}  // namespace PM
