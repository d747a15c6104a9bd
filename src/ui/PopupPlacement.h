// Where a button's popup opens: beside the button (items of a popup) or below it (a menu bar or a
// plain button), flipped to the other side when it would leave the clip rectangle and there is room,
// then pushed back inside.
#pragma once

#include <cstdint>

#include "core/Vector2f.h"

namespace PM {

struct PopupPlacement {
  float x, y, width, height;  // the button: world position of its lower left corner, its size
  Vector2f popup;             // the popup's minimum size
  float clip[4];              // x minimum, x maximum, y minimum, y maximum
  float parentWidth;          // beside: the width of the popup that holds the button
  uint32_t alignX, alignY;    // the popup's AlignmentModeX and AlignmentModeY
  bool beside;
};

// The popup's Position: per axis the offset of the edge its alignment mode names (AlignMin: its
// lower edge from the button's; AlignMax: its upper edge from the button's). Other modes warn and
// count as AlignMin.
Vector2f PlacePopup(const PopupPlacement& p);

}  // namespace PM
