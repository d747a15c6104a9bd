// Matrix4f: the math value type (its operations are added with the math library).
#pragma once

namespace PM {

struct Matrix4f {
  float m[16];  // row-major, row vectors, translation in m[12..14]
};

}  // namespace PM
