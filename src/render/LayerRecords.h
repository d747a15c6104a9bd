// The two records passed down an image-layer tree while it composes: where files are found, and the
// image produced so far.
#pragma once

#include <cstdint>

#include "core/Obj.h"
#include "core/String.h"
#include "engine/Image.h"

namespace PM {

// Deeper layer trees are refused: composing recurses once per level.
constexpr int kMaxLayerDepth = 64;

struct LayerApplyContext {
  String imagePath;       // the folder file names are resolved against
  uint8_t alternate = 0;  // non-zero: image layers load into their alternate cache and always reload
  int depth = 0;          // levels entered so far
};

struct LayerImageResult {
  Ptr<Image_I> image;
  int32_t flag1 = 1;
  int32_t complete = 0;
};

}  // namespace PM
