// Per-pixel colour adjustments on 8-bit R, G, B, A pixels: the hue, saturation and value transform and
// the tone curve table. Images and the transform layer share them; alpha is never touched.
#pragma once

#include <cstdint>

#include "core/Vector2f.h"

namespace PM {

// Limits an integer to 0..255.
inline int ClampByte(int v) { return v < 0 ? 0 : (v > 255 ? 255 : v); }

// Hue in degrees, saturation in 0..1 units, value in 0..255 units (a 0..1 value offset is passed times 255).
struct HSVAdjust {
  float mulH = 1.0f, mulS = 1.0f, mulV = 1.0f;
  float addH = 0.0f, addS = 0.0f, addV = 0.0f;
};

// Transforms `count` pixels of 4 bytes each (R, G, B, A) in place.
void AdjustHSV(uint8_t* rgba, int count, const HSVAdjust& adjust);

// The 256-entry tone table of a Catmull-Rom curve through `points` (input, output; both 0..255, in
// increasing input order). Fewer than two points leave the table at 128 everywhere.
void BuildCurveTable(const Vector2f* points, int count, uint8_t table[256]);

// Replaces R, G and B of `count` pixels by their table entries.
void ApplyCurveTable(const uint8_t table[256], uint8_t* rgba, int count);

}  // namespace PM
