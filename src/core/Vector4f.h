// Vector4f: the math value type (its operations are added with the math library).
#pragma once

namespace PM {

struct Vector4f {
  float x, y, z, w;
};

}  // namespace PM
