// Vector2f: the math value type (its operations are added with the math library).
#pragma once

namespace PM {

struct Vector2f {
  float x, y;
};

}  // namespace PM
