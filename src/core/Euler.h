// Euler: the six rotation orders. Enum values 1..6; the order index of Matrix4fC is the value less one.
#pragma once

namespace PM {

struct Euler {
  enum RotationOrderEnum : int { XYZ = 1, YZX = 2, ZXY = 3, XZY = 4, YXZ = 5, ZYX = 6 };

  static constexpr const char* kRotationOrderNames[6] = {"XYZ", "YZX", "ZXY", "XZY", "YXZ", "ZYX"};
  static constexpr int OrderIndex(int enumValue) { return enumValue - 1; }
};

}  // namespace PM
