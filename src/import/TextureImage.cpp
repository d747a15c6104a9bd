#include "import/TextureImage.h"

#include <algorithm>
#include <vector>

namespace PM::Import {

namespace {

// Where target texel i of n samples a source of m texels (texel centres aligned), as a source index
// and the weight of the next one.
struct Tap {
  uint32_t at;
  float next;
};
std::vector<Tap> Taps(uint32_t n, uint32_t m) {
  std::vector<Tap> taps(n);
  const double scale = double(m) / n;
  for (uint32_t i = 0; i < n; ++i) {
    const double s = std::clamp((i + 0.5) * scale - 0.5, 0.0, double(m - 1));
    const auto at = uint32_t(s);
    taps[i] = {at, at + 1 < m ? float(s - at) : 0.0f};
  }
  return taps;
}

}  // namespace

uint32_t PowerOfTwoSide(uint32_t side) {
  // At least 2: the OpenGL engine builds mip levels below the image and reports a 1 x 1 image, which has
  // none, as a failure.
  uint32_t p = 2;
  while (p < side && p < kMaxTextureSide) p <<= 1;
  return p;
}

Obj<Image_I> MakeTextureImage(const Texture& texture, bool alpha, float cutoff) {
  const uint32_t sw = texture.width, sh = texture.height;
  if (sw == 0 || sh == 0 || texture.rgba.size() / 4 / sw < sh) return Obj<Image_I>();
  const uint32_t tw = PowerOfTwoSide(sw), th = PowerOfTwoSide(sh);
  Obj<Image_I> image(Image_I::New());
  image->Create(alpha ? 4 : 3, int32_t(tw), int32_t(th), 0);
  if (image->GetFormat() == 0) return Obj<Image_I>();
  const std::vector<Tap> xs = Taps(tw, sw), ys = Taps(th, sh);
  const uint8_t* src = texture.rgba.data();
  std::vector<R8G8B8A8> row(tw);
  for (uint32_t y = 0; y < th; ++y) {
    const uint8_t* r0 = src + size_t(ys[y].at) * sw * 4;
    const uint8_t* r1 = ys[y].next > 0 ? r0 + size_t(sw) * 4 : r0;
    const float fy = ys[y].next;
    for (uint32_t x = 0; x < tw; ++x) {
      const size_t a = size_t(xs[x].at) * 4, b = xs[x].next > 0 ? a + 4 : a;
      const float fx = xs[x].next;
      uint8_t out[4];
      for (int c = 0; c < 4; ++c) {
        const float top = float(r0[a + c]) + float(r0[b + c] - r0[a + c]) * fx;
        const float bottom = float(r1[a + c]) + float(r1[b + c] - r1[a + c]) * fx;
        out[c] = uint8_t(std::clamp(top + (bottom - top) * fy + 0.5f, 0.0f, 255.0f));
      }
      uint8_t opacity = alpha ? out[3] : uint8_t(255);
      if (alpha && cutoff >= 0 && cutoff <= 1) opacity = float(opacity) > cutoff * 255 ? 255 : 0;
      row[x] = {out[0], out[1], out[2], opacity};
    }
    // The texture's rows come top first, the image keeps them bottom first.
    image->SetSpanR8G8B8A8(0, int(th - 1 - y), 1, 0, int(tw), row.data());
  }
  return image;
}

}  // namespace PM::Import
