// Key records of the animation splines: a time, a value and, for the interpolated kinds, the
// in and out tangents. Defaults are all zero, except the quaternion key's identity rotation.
#pragma once

#include <cstdint>

#include "core/Quaternionf.h"
#include "core/Vector2f.h"
#include "core/Vector3f.h"
#include "core/Vector4f.h"

namespace PM {

template <class V>
struct KeyOf {
  float time = 0;
  V value{};
  V inTangent{};
  V outTangent{};
};
using KeyScalarf = KeyOf<float>;
using KeyVector2f = KeyOf<Vector2f>;
using KeyVector3f = KeyOf<Vector3f>;
using KeyVector4f = KeyOf<Vector4f>;

struct KeyQuaternionf {
  float time = 0;
  Quaternionf value{0, 0, 0, 1};
};

// A one-word key.
struct KeyWord {
  uint32_t value = 0;
};

}  // namespace PM
