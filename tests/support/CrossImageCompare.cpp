#include "support/CrossImageCompare.h"

#include <algorithm>
#include <cstdlib>
#include <sstream>
#include <vector>

namespace PM::Test {

namespace {

constexpr int kSlack = 8;
constexpr double kMaxBeyondShare = 0.005;
constexpr double kMaxMeanDifference = 2.0;

struct Rgb {
  std::vector<uint8_t> c;  // width x height x 3
  int w = 0, h = 0;
  int At(int x, int y, int ch) const { return c[(size_t(y) * size_t(w) + size_t(x)) * 3 + size_t(ch)]; }
};

Rgb Channels(Image_I& image) {
  Rgb out;
  out.w = image.GetWidth(), out.h = image.GetHeight();
  out.c.resize(size_t(out.w) * size_t(out.h) * 3);
  for (int y = 0; y < out.h; ++y)
    for (int x = 0; x < out.w; ++x) {
      R8G8B8A8 p;
      image.GetPixel(p, x, y);
      uint8_t* o = &out.c[(size_t(y) * size_t(out.w) + size_t(x)) * 3];
      o[0] = p.R, o[1] = p.G, o[2] = p.B;
    }
  return out;
}

// Whether every channel of a's pixel lies within the slackened range of b's 3 x 3 neighbourhood.
bool Within(const Rgb& a, const Rgb& b, int x, int y) {
  for (int ch = 0; ch < 3; ++ch) {
    int lo = 255, hi = 0;
    for (int dy = -1; dy <= 1; ++dy)
      for (int dx = -1; dx <= 1; ++dx) {
        const int nx = x + dx, ny = y + dy;
        if (nx < 0 || ny < 0 || nx >= b.w || ny >= b.h) continue;
        const int v = b.At(nx, ny, ch);
        lo = std::min(lo, v), hi = std::max(hi, v);
      }
    const int v = a.At(x, y, ch);
    if (v < lo - kSlack || v > hi + kSlack) return false;
  }
  return true;
}

}  // namespace

bool CrossImageResult::Passed(int pixelCount) const {
  if (!sameSize) return false;
  if (beyond > kMaxBeyondShare * pixelCount) return false;
  return std::all_of(meanDifference, meanDifference + 3, [](double d) { return d <= kMaxMeanDifference; });
}

std::string CrossImageResult::Describe(int pixelCount) const {
  std::ostringstream s;
  if (!sameSize) return "the images differ in size";
  s << beyond << " of " << pixelCount << " pixels beyond their neighbourhoods (at most "
    << int(kMaxBeyondShare * pixelCount) << "), mean differences " << meanDifference[0] << ", " << meanDifference[1]
    << ", " << meanDifference[2] << " (at most " << kMaxMeanDifference << ")";
  return s.str();
}

CrossImageResult CompareAcrossBackEnds(Image_I& ai, Image_I& bi) {
  CrossImageResult r;
  if (ai.GetWidth() != bi.GetWidth() || ai.GetHeight() != bi.GetHeight()) return r;
  r.sameSize = true;
  const Rgb a = Channels(ai), b = Channels(bi);
  double sum[3] = {0, 0, 0};
  for (int y = 0; y < a.h; ++y)
    for (int x = 0; x < a.w; ++x) {
      if (!Within(a, b, x, y) || !Within(b, a, x, y)) ++r.beyond;
      for (int ch = 0; ch < 3; ++ch) sum[ch] += std::abs(a.At(x, y, ch) - b.At(x, y, ch));
    }
  const double n = std::max(1.0, double(a.w) * double(a.h));
  for (int ch = 0; ch < 3; ++ch) r.meanDifference[ch] = sum[ch] / n;
  return r;
}

std::string CheckAcrossBackEnds(Image_I& got, Image_I& want, const std::string& outBase) {
  const CrossImageResult r = CompareAcrossBackEnds(got, want);
  const int pixels = got.GetWidth() * got.GetHeight();
  if (r.Passed(pixels)) return std::string();
  got.ExportFile(String((outBase + ".got.png").c_str()));
  want.ExportFile(String((outBase + ".want.png").c_str()));
  if (r.sameSize) {
    const Rgb a = Channels(got), b = Channels(want);
    Obj<Image_I> diff(Image_I::New());
    diff->Create(3, a.w, a.h, 0);
    for (int y = 0; y < a.h; ++y)
      for (int x = 0; x < a.w; ++x) {
        const uint8_t v = Within(a, b, x, y) && Within(b, a, x, y) ? 0 : 255;
        diff->SetPixel(x, y, R8G8B8A8{v, v, v, 255});
      }
    diff->ExportFile(String((outBase + ".diff.png").c_str()));
  }
  return r.Describe(pixels) + "; images written to " + outBase + ".{got,want,diff}.png";
}

}  // namespace PM::Test
