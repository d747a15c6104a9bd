// Axis: the six directions along the coordinate axes by which model files say which way is up and which
// way they face. Header-only and std-only: the importer's reader program, which links no engine code,
// writes them into its scene records.
#pragma once

#include <cstdint>
#include <string_view>

namespace PM {

// The values travel in the importer's scene records: the axis index (X 0, Y 1, Z 2), plus 3 when negative.
enum class Axis : uint8_t { PlusX, PlusY, PlusZ, MinusX, MinusY, MinusZ, None = 255 };

inline constexpr Axis kAxes[] = {Axis::PlusX, Axis::PlusY, Axis::PlusZ, Axis::MinusX, Axis::MinusY, Axis::MinusZ};

// Whether `axis` is one of the six (a value read from a file may be anything).
constexpr bool IsAxis(Axis axis) { return axis <= Axis::MinusZ; }

// The coordinate `axis` runs along: 0 X, 1 Y, 2 Z.
constexpr int AxisIndex(Axis axis) { return int(axis) % 3; }

// +1 or -1: the way along its coordinate `axis` points.
constexpr float AxisSign(Axis axis) { return axis < Axis::MinusX ? 1.0f : -1.0f; }

// The axis along coordinate `index` (0 X, 1 Y, 2 Z) with `sign` +1 or -1; Axis::None for any other pair.
constexpr Axis AxisAlong(int index, int sign) {
  if (index < 0 || index > 2 || (sign != 1 && sign != -1)) return Axis::None;
  return Axis(index + (sign < 0 ? 3 : 0));
}

// The word users write for `axis` (pm-run's --up): "x", "y", "z", "-x", "-y", "-z"; "" for none.
constexpr const char* AxisWord(Axis axis) {
  constexpr const char* kWords[] = {"x", "y", "z", "-x", "-y", "-z"};
  return IsAxis(axis) ? kWords[int(axis)] : "";
}

// The axis `word` names as AxisWord writes it; Axis::None for any other word.
constexpr Axis AxisFromWord(std::string_view word) {
  for (Axis a : kAxes)
    if (word == AxisWord(a)) return a;
  return Axis::None;
}

// The name log lines give `axis`: "+X", "+Y", "+Z", "-X", "-Y", "-Z"; "" for none.
constexpr const char* AxisName(Axis axis) {
  constexpr const char* kNames[] = {"+X", "+Y", "+Z", "-X", "-Y", "-Z"};
  return IsAxis(axis) ? kNames[int(axis)] : "";
}

}  // namespace PM
