// Spheref: the math value type (its operations are added with the math library).
#pragma once

#include "core/Vector3f.h"
namespace PM {

struct Spheref {
  Vector3f center;
  float radius;  // < 0 empty, >= 1e16 infinite
};

}  // namespace PM
