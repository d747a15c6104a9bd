#include "core/UpTurn.h"

#include <array>

namespace PM {

namespace {

std::array<float, 3> Direction(Axis axis) {
  std::array<float, 3> v{0, 0, 0};
  v[size_t(AxisIndex(axis))] = AxisSign(axis);
  return v;
}

}  // namespace

Matrix4f UpTurnMatrix(Axis up, Axis front) {
  if (!IsAxis(up)) up = Axis::PlusY;
  if (!IsAxis(front) || AxisIndex(front) == AxisIndex(up))
    front = AxisIndex(up) != AxisIndex(Axis::PlusZ) ? Axis::PlusZ : up == Axis::PlusZ ? Axis::MinusY : Axis::PlusY;
  const std::array<float, 3> u = Direction(up), f = Direction(front);
  const std::array<float, 3> r{u[1] * f[2] - u[2] * f[1], u[2] * f[0] - u[0] * f[2], u[0] * f[1] - u[1] * f[0]};
  // The file's axes u x f, u and f go to +X, +Y and +Z; the inverse of that, its transpose, has for rows
  // where the file's X, Y and Z go.
  Matrix4f m = kIdentityMatrix4f;
  for (size_t i = 0; i < 3; ++i) {
    m.m[i * 4 + 0] = r[i];
    m.m[i * 4 + 1] = u[i];
    m.m[i * 4 + 2] = f[i];
  }
  return m;
}

}  // namespace PM
