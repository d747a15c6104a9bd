// Quaternionf: the math value type (its operations are added with the math library).
#pragma once

namespace PM {

struct Quaternionf {
  float x, y, z, w;  // (x, y, z) vector part, w scalar part
};

}  // namespace PM
