// Vector3f: the math value type (its operations are added with the math library).
#pragma once

namespace PM {

struct Vector3f {
  float x, y, z;
};

}  // namespace PM
