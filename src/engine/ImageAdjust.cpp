// Colour transforms and fills.
#include <algorithm>
#include <cmath>
#include <vector>

#include "core/Log.h"
#include "engine/Image.h"

namespace PM {

namespace {

constexpr char kTransformSizeError[] = "Image::TransformHSV: cannot copy to different image size.";

// Runs `adjust` on each row of `source` (top row first) and writes the row into `target`.
template <class F>
void TransformRows(Image_I& target, Image_I* source, F&& adjust) {
  if (source->GetWidth() != target.GetWidth() || source->GetHeight() != target.GetHeight()) {
    Log(LogOutPipe(), kLevelError, kTransformSizeError);
    return;
  }
  int w = target.GetWidth();
  std::vector<R8G8B8A8> row(size_t(std::max(w, 0)));
  for (int y = target.GetHeight() - 1; y >= 0; --y) {
    source->GetSpanR8G8B8A8(0, y, 1, 0, w, row.data());
    adjust(reinterpret_cast<uint8_t*>(row.data()), w);
    target.SetSpanR8G8B8A8(0, y, 1, 0, w, row.data());
  }
}

// A float times 255, truncated; out-of-range values saturate instead of overflowing the conversion.
int Scaled255(float v) {
  float s = v * 255.0f;
  if (!(s == s)) return 0;
  return int(std::clamp(s, -2147483520.0f, 2147483520.0f));
}

}  // namespace

void Image_I::TransformHSV(Image_I* source, const Vector3f& scale, const Vector3f& offset) {
  HSVAdjust a{scale.x, scale.y, scale.z, offset.x, offset.y, offset.z * 255.0f};
  TransformRows(*this, source, [&](uint8_t* rgba, int n) { AdjustHSV(rgba, n, a); });
}

void Image_I::TransformHSV(Image_I* source, const Vector4f& scale, const Vector4f& offset) {
  const int s[4] = {Scaled255(scale.x), Scaled255(scale.y), Scaled255(scale.z), Scaled255(scale.w)};
  const int o[4] = {Scaled255(offset.x), Scaled255(offset.y), Scaled255(offset.z), Scaled255(offset.w)};
  TransformRows(*this, source, [&](uint8_t* rgba, int n) {
    for (int i = 0; i < n * 4; ++i) {
      int c = i & 3;
      rgba[i] = uint8_t(std::clamp<int64_t>(int64_t(rgba[i]) * s[c] / 255 + o[c], 0, 255));
    }
  });
}

void Image_I::FillRect(int x, int y, int width, int height, R8G8B8A8 color) {
  int64_t x0 = std::max<int64_t>(x, 0), y0 = std::max<int64_t>(y, 0);
  int64_t x1 = std::min<int64_t>(int64_t(x) + width, m.width), y1 = std::min<int64_t>(int64_t(y) + height, m.height);
  for (int64_t py = y0; py < y1; ++py) {
    for (int64_t px = x0; px < x1; ++px) SetPixel(int(px), int(py), color);
  }
}

// Blocks of 2 x 2 cells from (x, y): colour 1 in the lower left and upper right cell, colour 2 in the others.
// Only the cells that meet both the rectangle and the image are visited, so the work is bounded by the
// image whatever the rectangle; cells are cut at the rectangle's edges.
void Image_I::FillChecker(int x, int y, int width, int height, int cellWidth, int cellHeight, R8G8B8A8 color1,
                          R8G8B8A8 color2) {
  if (cellWidth <= 0 || cellHeight <= 0) {
    Log(LogOutPipe(), kLevelError, "Image::FillChecker: cell size ", cellWidth, " x ", cellHeight, " is empty.");
    return;
  }
  int64_t right = std::min<int64_t>(int64_t(x) + width, m.width),
          top = std::min<int64_t>(int64_t(y) + height, m.height);
  int64_t left = std::max<int64_t>(x, 0), bottom = std::max<int64_t>(y, 0);
  if (left >= right || bottom >= top) return;
  for (int64_t j = (bottom - y) / cellHeight; y + j * cellHeight < top; ++j) {
    int64_t cy = y + j * cellHeight, cy1 = std::min<int64_t>(cy + cellHeight, top);
    for (int64_t i = (left - x) / cellWidth; x + i * cellWidth < right; ++i) {
      int64_t cx = x + i * cellWidth, cx1 = std::min<int64_t>(cx + cellWidth, right);
      FillRect(int(cx), int(cy), int(cx1 - cx), int(cy1 - cy), ((i + j) & 1) == 0 ? color1 : color2);
    }
  }
}

void Image_I::EnhanceContrast(float exponent) {
  uint8_t table[256];
  double e = exponent, whole = std::pow(256.0, e);
  for (int i = 0; i < 256; ++i) {
    double v = std::pow(double(i), e) * 256.0 / whole;
    table[i] = !(v < 255.0) ? 255 : uint8_t(std::max(v, 0.0));
  }
  if (m.bytesPerPixel == 2 || m.bytesPerPixel == 4) {
    // Logged and still applied to every byte, alpha included.
    Log(LogOutPipe(), kLevelError, "EnhanceContrast for grayscale images only.");
  }
  uint8_t* p = m.data.Data();
  for (int i = 0, n = m.data.Count(); i < n; ++i) p[i] = table[p[i]];
}

}  // namespace PM
