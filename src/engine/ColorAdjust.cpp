#include "engine/ColorAdjust.h"

#include <cmath>

namespace PM {

namespace {

// Truncates toward zero and clamps to a byte; NaN gives 0 (no float-to-int conversion out of range).
inline uint8_t ByteOf(float v) {
  if (!(v > 0.0f)) return 0;
  if (v >= 255.0f) return 255;
  return uint8_t(int(v));
}

}  // namespace

void AdjustHSV(uint8_t* rgba, int count, const HSVAdjust& a) {
  for (int i = 0; i < count; ++i, rgba += 4) {
    float r = rgba[0], g = rgba[1], b = rgba[2];
    // Ties keep G as the maximum; B is tested as the minimum first and then not as the maximum.
    float max = g, min = r;
    int maxChannel = 1;
    if (r > g) {
      max = r;
      min = g;
      maxChannel = 0;
    }
    if (b < min) {
      min = b;
    } else if (b > max) {
      max = b;
      maxChannel = 2;
    }
    float v = max * a.mulV + a.addV;
    float d = max - min;
    float s, hue;
    if (d == 0.0f) {
      s = a.addS;
      hue = a.addH;
    } else {
      s = d / max * a.mulS + a.addS;
      if (maxChannel == 0)
        hue = 60.0f * (g - b) / d;
      else if (maxChannel == 1)
        hue = 60.0f * (b - r) / d + 120.0f;
      else
        hue = 60.0f * (r - g) / d + 240.0f;
    }
    // 1536 is 256 turns of six sectors: it keeps h positive for any hue in use.
    float h = (hue * a.mulH + a.addH) * 0.016666668f + 1536.0f;
    if (!(h >= 0.0f) || !std::isfinite(h)) {
      rgba[0] = rgba[1] = rgba[2] = 0;
      continue;
    }
    float f = h - std::floor(h);
    int k = int(std::fmod(std::trunc(h), 6.0f));
    float p = v * (1.0f - s);
    float q = v * (1.0f - s * f);
    float t = v * (f * s + 1.0f - s);
    float out[3];
    switch (k) {
      case 0:
        out[0] = v;
        out[1] = t;
        out[2] = p;
        break;
      case 1:
        out[0] = q;
        out[1] = v;
        out[2] = p;
        break;
      case 2:
        out[0] = p;
        out[1] = v;
        out[2] = t;
        break;
      case 3:
        out[0] = p;
        out[1] = q;
        out[2] = v;
        break;
      case 4:
        out[0] = t;
        out[1] = p;
        out[2] = v;
        break;
      default:
        out[0] = v;
        out[1] = p;
        out[2] = q;
        break;
    }
    rgba[0] = ByteOf(out[0]);
    rgba[1] = ByteOf(out[1]);
    rgba[2] = ByteOf(out[2]);
  }
}

void BuildCurveTable(const Vector2f* points, int count, uint8_t table[256]) {
  for (int i = 0; i < 256; ++i) table[i] = 128;
  int lowest = 256, highest = -1;
  float x1 = 0.0f, y1 = 0.0f;  // the previous sample carries over from one segment to the next
  for (int seg = 0; seg + 1 < count; ++seg) {
    const Vector2f& p0 = points[seg > 0 ? seg - 1 : seg];
    const Vector2f& p1 = points[seg];
    const Vector2f& p2 = points[seg + 1];
    const Vector2f& p3 = points[seg + 2 < count ? seg + 2 : seg + 1];
    for (int step = 0; step < 512; ++step) {
      float u = float(step) * 0.001953125f;
      float u2 = u * u, u3 = u2 * u;
      float x2 = 0.5f * (2.0f * p1.x + (p2.x - p0.x) * u + (2.0f * p0.x - 5.0f * p1.x + 4.0f * p2.x - p3.x) * u2 +
                         (3.0f * p1.x - p0.x - 3.0f * p2.x + p3.x) * u3);
      float y2 = 0.5f * (2.0f * p1.y + (p2.y - p0.y) * u + (2.0f * p0.y - 5.0f * p1.y + 4.0f * p2.y - p3.y) * u2 +
                         (3.0f * p1.y - p0.y - 3.0f * p2.y + p3.y) * u3);
      if (step > 0 && x1 < x2 && std::ceil(x1) <= std::floor(x2)) {
        // Only the integers inside 0..255 are visited, whatever the sample coordinates are.
        float from = std::fmax(std::ceil(x1), 0.0f), to = std::fmin(std::floor(x2), 255.0f);
        for (int i = from <= to ? int(from) : 256; float(i) <= to && i <= 255; ++i) {
          if (i <= highest) continue;  // the first part of the curve that reaches an input wins
          float y = (float(i) - x1) * (y2 - y1) / (x2 - x1) + y1 + 0.5f;
          table[i] = ByteOf(std::trunc(y));
          if (i < lowest) lowest = i;
          highest = i;
        }
      }
      x1 = x2;
      y1 = y2;
    }
    if (highest >= 0) {
      for (int i = 0; i < lowest; ++i) table[i] = table[lowest];
      for (int i = highest + 1; i < 256; ++i) table[i] = table[highest];
    }
  }
}

void ApplyCurveTable(const uint8_t table[256], uint8_t* rgba, int count) {
  for (int i = 0; i < count; ++i, rgba += 4) {
    rgba[0] = table[rgba[0]];
    rgba[1] = table[rgba[1]];
    rgba[2] = table[rgba[2]];
  }
}

}  // namespace PM
