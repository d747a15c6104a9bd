// The in-memory raster of textures, layers and the render back ends.
#pragma once

#include "classes/EngineClass.h"
#include "classes/Object.h"

namespace PM {

class Image_I : public EngineClass<Image_I, Object_I, ClassId::Image, "Image"> {
 public:
  static void Define();
};

}  // namespace PM
