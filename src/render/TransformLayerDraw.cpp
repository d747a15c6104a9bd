// The transform layer's drawing: the reading window and its steps, the colour stages and the combine
// modes, row by row: source and target in place where their rows are contiguous, else through span buffers.
#include <algorithm>
#include <cmath>
#include <cstdint>
#include <utility>
#include <vector>

#include "engine/ColorAdjust.h"
#include "render/LayerBlend.h"
#include "render/TransformLayer.h"

namespace PM {

namespace {

// Positions, sizes and factors as integers: truncated toward zero, NaN as 0, and kept far enough inside
// int range that sums and products of a few of them cannot overflow.
constexpr double kCoordLimit = double(1 << 30);
constexpr double kFactorLimit = double(1 << 20);
int Saturate(double v, double limit) {
  if (!(v == v)) return 0;
  return int(std::clamp(v, -limit, limit));
}

int Clamp255(int64_t v) { return v < 0 ? 0 : (v > 255 ? 255 : int(v)); }

// An image's pixels as the drawing reads them: its size asked once, and its rows where they lie when it
// has four bytes a pixel (null otherwise).
struct Plane {
  explicit Plane(Image_I* image)
      : pixels(image->GetBytesPerPixel() == 4 ? reinterpret_cast<R8G8B8A8*>(image->GetData()) : nullptr),
        width(image->GetWidth()),
        height(image->GetHeight()) {}
  bool Inside(int x, int y, int dx, int dy, int count) const {
    const int64_t ex = int64_t(x) + int64_t(dx) * (count - 1), ey = int64_t(y) + int64_t(dy) * (count - 1);
    auto in = [&](int64_t px, int64_t py) { return px >= 0 && py >= 0 && px < width && py < height; };
    return count > 0 && in(x, y) && in(ex, ey);
  }
  // The pixels from (x, y) to (x + count - 1, y) when they all lie inside; null otherwise.
  R8G8B8A8* Row(int x, int y, int count) const {
    if (!pixels || !Inside(x, y, 1, 0, count)) return nullptr;
    return pixels + size_t(y) * size_t(width) + size_t(x);
  }
  R8G8B8A8* pixels;
  int width, height;
};

// One loop per mode and stage; F maps (s, t) channel values to the result pixel, written to out (which
// may be s or t: each pixel is read before it is written).
template <class F>
void ForEachPixel(const R8G8B8A8* s, const R8G8B8A8* t, R8G8B8A8* out, int count, F f) {
  for (int i = 0; i < count; ++i) out[i] = f(s[i], t[i]);
}

R8G8B8A8 Pixel(int64_t r, int64_t g, int64_t b, int64_t a) {
  return {uint8_t(Clamp255(r)), uint8_t(Clamp255(g)), uint8_t(Clamp255(b)), uint8_t(Clamp255(a))};
}

template <int kMode>
void CombinePlain(const R8G8B8A8* s, const R8G8B8A8* t, R8G8B8A8* out, int n, const int*, const int*) {
  switch (kMode) {
    case 1:
      if (out != s) std::copy(s, s + n, out);
      return;
    case 2:
      return BlendRow(s, t, out, n);
    case 3:
      return ForEachPixel(s, t, out, n, [](R8G8B8A8 a, R8G8B8A8 b) {
        return Pixel(a.R * b.R / 255, a.G * b.G / 255, a.B * b.B / 255, a.A * b.A / 255);
      });
    case 4:
      return ForEachPixel(s, t, out, n,
                          [](R8G8B8A8 a, R8G8B8A8 b) { return Pixel(a.R + b.R, a.G + b.G, a.B + b.B, a.A + b.A); });
    case 5:
      return ForEachPixel(s, t, out, n,
                          [](R8G8B8A8 a, R8G8B8A8 b) { return Pixel(a.R - b.R, a.G - b.G, a.B - b.B, a.A - b.A); });
    case 6:
      return ForEachPixel(s, t, out, n,
                          [](R8G8B8A8 a, R8G8B8A8 b) { return Pixel(b.R - a.R, b.G - a.G, b.B - a.B, b.A - a.A); });
    case 7:
      return ForEachPixel(s, t, out, n, [](R8G8B8A8 a, R8G8B8A8 b) {
        int64_t al = a.A;
        return Pixel(a.R * al / 255 + b.R, a.G * al / 255 + b.G, a.B * al / 255 + b.B, b.A + al);
      });
    default:
      return;
  }
}

template <int kMode>
void CombineStaged(const R8G8B8A8* s, const R8G8B8A8* t, R8G8B8A8* out, int n, const int* mulIn, const int* addIn) {
  const int64_t m[4] = {mulIn[0], mulIn[1], mulIn[2], mulIn[3]};
  const int64_t d[4] = {addIn[0], addIn[1], addIn[2], addIn[3]};
  // s' + add for each channel.
  auto lifted = [&](R8G8B8A8 a, int64_t channels[4]) {
    channels[0] = a.R * m[0] / 255 + d[0];
    channels[1] = a.G * m[1] / 255 + d[1];
    channels[2] = a.B * m[2] / 255 + d[2];
    channels[3] = a.A * m[3] / 255 + d[3];
  };
  switch (kMode) {
    case 1:
      return ForEachPixel(s, t, out, n, [&](R8G8B8A8 a, R8G8B8A8) {
        int64_t v[4];
        lifted(a, v);
        return Pixel(v[0], v[1], v[2], v[3]);
      });
    case 2:
      return ForEachPixel(s, t, out, n, [&](R8G8B8A8 a, R8G8B8A8 b) {
        int64_t v[4];
        lifted(a, v);
        int64_t al = v[3], inv = 255 - al;
        return Pixel((v[0] * al + b.R * inv) / 255, (v[1] * al + b.G * inv) / 255, (v[2] * al + b.B * inv) / 255,
                     (al * al + b.A * inv) / 255);
      });
    case 3:
      return ForEachPixel(s, t, out, n, [&](R8G8B8A8 a, R8G8B8A8 b) {
        int64_t v[4];
        lifted(a, v);
        return Pixel(v[0] * b.R / 255, v[1] * b.G / 255, v[2] * b.B / 255, v[3] * b.A / 255);
      });
    case 4:
      return ForEachPixel(s, t, out, n, [&](R8G8B8A8 a, R8G8B8A8 b) {
        int64_t v[4];
        lifted(a, v);
        return Pixel(v[0] + b.R, v[1] + b.G, v[2] + b.B, v[3] + b.A);
      });
    case 5:
      return ForEachPixel(s, t, out, n, [&](R8G8B8A8 a, R8G8B8A8 b) {
        int64_t v[4];
        lifted(a, v);
        return Pixel(v[0] - b.R, v[1] - b.G, v[2] - b.B, v[3] - b.A);
      });
    case 6:
      return ForEachPixel(s, t, out, n, [&](R8G8B8A8 a, R8G8B8A8 b) {
        return Pixel(b.R - a.R * m[0] / 255 + d[0], b.G - a.G * m[1] / 255 + d[1], b.B - a.B * m[2] / 255 + d[2],
                     b.A - a.A * m[3] / 255 + d[3]);
      });
    case 7:
      return ForEachPixel(s, t, out, n, [&](R8G8B8A8 a, R8G8B8A8 b) {
        int64_t al = a.A * m[3] / 255;
        return Pixel(a.R * al * m[0] / 65025 + d[0] + b.R, a.G * al * m[1] / 65025 + d[1] + b.G,
                     a.B * al * m[2] / 65025 + d[2] + b.B, b.A + al + d[3]);
      });
    default:
      return;
  }
}

// The row loop of a mode (1..7) with or without the RGBA stage, chosen once per drawing.
using RowCombine = void (*)(const R8G8B8A8* s, const R8G8B8A8* t, R8G8B8A8* out, int n, const int* mul, const int* add);
RowCombine CombineFor(int mode, bool staged) {
  static constexpr RowCombine kPlain[] = {CombinePlain<1>, CombinePlain<2>, CombinePlain<3>, CombinePlain<4>,
                                          CombinePlain<5>, CombinePlain<6>, CombinePlain<7>};
  static constexpr RowCombine kStaged[] = {CombineStaged<1>, CombineStaged<2>, CombineStaged<3>, CombineStaged<4>,
                                           CombineStaged<5>, CombineStaged<6>, CombineStaged<7>};
  return (staged ? kStaged : kPlain)[mode - 1];
}

// The RGBA stage's integer factors (255 x member, truncated); returns whether the stage is active.
bool RgbaFactors(const Vector4f& mulIn, const Vector4f& addIn, int mul[4], int add[4]) {
  const float* mulF = &mulIn.x;
  const float* addF = &addIn.x;
  bool active = false;
  for (int c = 0; c < 4; ++c) {
    mul[c] = Saturate(255.0 * double(mulF[c]), kFactorLimit);
    add[c] = Saturate(255.0 * double(addF[c]), kFactorLimit);
    active = active || mul[c] != 255 || add[c] != 0;
  }
  return active;
}

// The row loop with the RGBA stage's factors (null when the stage is off).
struct Combine {
  void operator()(const R8G8B8A8* s, const R8G8B8A8* t, R8G8B8A8* out, int n) const { rows(s, t, out, n, mul, add); }
  RowCombine rows;
  const int *mul, *add;
};

// Four-byte rows read straight ahead (no colour stage changing them first) are combined where they lie
// when the whole window, w x h from (sx, sy) stepping rowY a row, lies inside the source and at (x0, y0)
// inside the target; rows that follow each other in both images are one run. The caller never draws an
// image onto itself. Returns false, having drawn nothing, when the window leaves either image.
bool CombineInPlace(const Plane& from, const Plane& to, int sx, int sy, int rowY, int x0, int y0, int w, int h,
                    const Combine& combine) {
  const R8G8B8A8* in = from.Row(sx, sy, w);
  R8G8B8A8* out = to.Row(x0, y0, w);
  if (!in || !out || !from.Row(sx, sy + (h - 1) * rowY, w) || !to.Row(x0, y0 + h - 1, w)) return false;
  if (rowY == 1 && w == from.width && w == to.width) {
    combine(in, out, out, w * h);
    return true;
  }
  const ptrdiff_t inStep = ptrdiff_t(rowY) * from.width;
  for (int r = 0; r < h; ++r, in += inStep, out += to.width) combine(in, out, out, w);
  return true;
}

}  // namespace

void CombineRow(int mode, const R8G8B8A8* s, const R8G8B8A8* t, R8G8B8A8* out, int count, const int* mul,
                const int* add) {
  if (mode >= 1 && mode <= 7) CombineFor(mode, mul && add)(s, t, out, count, mul, add);
}

void TransformLayer_I::Draw(Image_I* source, Image_I* target) {
  const int tw = target->GetWidth(), th = target->GetHeight();
  const int ow = source->GetWidth(), oh = source->GetHeight();
  const int mode = int(m_combineMode >> 24);
  if ((m_combineMode & 0x00FFFFFF) != 0x00FFF0B4 || mode < 1 || mode > 7) return;

  const double ax = m_parentDimension.x != 0.0f ? tw : 1.0,
               kx = m_parentDimension.x != 0.0f ? 1.0 / m_parentDimension.x : 1.0;
  const double ay = m_parentDimension.y != 0.0f ? th : 1.0,
               ky = m_parentDimension.y != 0.0f ? 1.0 / m_parentDimension.y : 1.0;
  auto px = [&](float v) { return Saturate(kx * double(v) * ax, kCoordLimit); };
  auto py = [&](float v) { return Saturate(ky * double(v) * ay, kCoordLimit); };
  const int x0 = px(m_position.x), y0 = py(m_position.y);

  int mul[4], add[4];
  const bool rgba = RgbaFactors(m_colorMulRGBA, m_colorAddRGBA, mul, add);
  const bool hsv = !(m_colorMulHSV == Vector3f{1.0f, 1.0f, 1.0f} && m_colorAddHSV == Vector3f{0.0f, 0.0f, 0.0f});
  const HSVAdjust hsvAdjust{m_colorMulHSV.x, m_colorMulHSV.y, m_colorMulHSV.z,
                            m_colorAddHSV.x, m_colorAddHSV.y, 255.0f * m_colorAddHSV.z};
  const bool curve = m_colorCurveRGB.Count() >= 2;
  uint8_t table[256];
  if (curve) BuildCurveTable(m_colorCurveRGB.Data(), m_colorCurveRGB.Count(), table);

  int w = std::min(ow, tw), h = std::min(oh, th);
  const int cx = px(m_cropPosition.x), cy = py(m_cropPosition.y);
  const int cw = px(m_cropDimension.x), ch = py(m_cropDimension.y);
  if (cw != 0) w = cw;
  if (ch != 0) h = ch;
  // Spans longer than any image side are refused whatever their place: nothing can be drawn.
  if (w < 1 || h < 1 || w > kImageMaxSide || h > kImageMaxSide) return;

  uint32_t f = m_flipMode;
  if (f & kFlipTranspose) f ^= kFlipY;
  int stepX = 1, stepY = 0, rowX = 0, rowY = 1;
  if (f & kFlipTranspose) std::swap(stepX, stepY), std::swap(rowX, rowY);
  if (f & kFlipX) stepX = -stepX, rowX = -rowX;
  if (f & kFlipY) stepY = -stepY, rowY = -rowY;
  const int startX = (stepX < 0 || rowX < 0) ? cx + w - 1 : cx;
  const int startY = (stepY < 0 || rowY < 0) ? cy + h - 1 : cy;
  if (f & kFlipTranspose) std::swap(w, h);

  const Combine combine{CombineFor(mode, rgba), rgba ? mul : nullptr, rgba ? add : nullptr};
  const Plane from(source), to(target);
  if (stepX == 1 && stepY == 0 && !hsv && !curve &&
      CombineInPlace(from, to, startX, startY, rowY, x0, y0, w, h, combine))
    return;
  // Otherwise each row goes through a buffer; a four-byte target row is combined where it lies, and rows
  // that leave the target go through the span calls, which report them.
  std::vector<R8G8B8A8> src(size_t(std::max(w, h))), dst(size_t(std::max(w, h)));
  for (int r = 0; r < h; ++r) {
    const int sx = startX + r * rowX, sy = startY + r * rowY;
    const bool sourceOk = from.Inside(sx, sy, stepX, stepY, w);
    R8G8B8A8* row = to.Row(x0, y0 + r, w);
    source->GetSpanR8G8B8A8(sx, sy, stepX, stepY, w, src.data());
    // A refused source row would write whatever the buffer held before: skip it.
    if (!sourceOk) continue;
    if (hsv) AdjustHSV(&src[0].R, w, hsvAdjust);
    if (curve) ApplyCurveTable(table, &src[0].R, w);
    if (row) {
      combine(src.data(), row, row, w);
      continue;
    }
    if (mode != 1) target->GetSpanR8G8B8A8(x0, y0 + r, 1, 0, w, dst.data());
    combine(src.data(), dst.data(), src.data(), w);
    target->SetSpanR8G8B8A8(x0, y0 + r, 1, 0, w, src.data());
  }
}

}  // namespace PM
