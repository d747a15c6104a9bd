// One atom of a UI element: a rectangle cut out of a 512 x 512 texture, placed against the drawing
// widget's anchor lines, coloured from its colour table and drawn with one of the element's shaders.
// Scripts see the atoms as a flat I32 array of kWords values each, in field order.
#pragma once

#include <cstdint>

namespace PM {

struct UIAtomStructure {
  static constexpr int kWords = 18;

  int32_t texLeft;   // texel column of the left edge
  int32_t texEdgeA;  // texel row paired with y0
  int32_t texRight;  // texel column of the right edge
  int32_t texEdgeB;  // texel row paired with y1
  int32_t anchorX0;  // indexes into the horizontal and vertical anchor tables
  int32_t anchorY0;
  int32_t anchorX1;
  int32_t anchorY1;
  int32_t offsetX0;  // whole units added to the anchors
  int32_t offsetY0;
  int32_t offsetX1;
  int32_t offsetY1;
  int32_t reserved12;
  int32_t reserved13;
  int32_t colorId;  // index into the colour table
  int32_t reserved15;
  int32_t shaderIndex;  // index into the element's ShaderArray
  int32_t hitId;        // above 0: hittable, and what the hit test answers
};
static_assert(sizeof(UIAtomStructure) == UIAtomStructure::kWords * sizeof(int32_t));

}  // namespace PM
