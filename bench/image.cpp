// Image speed against plain peers in the same process: reading a 1024 x 1024 RGBA PNG through the
// engine's stream reader against libpng's simplified API, and building a mip chain (with and without
// alpha weighting) against plain loops: the 2 x 2 box filter is the peer of the plain chain, the
// alpha-weighted box filter (same rule, scalar) that of the weighted one.
#include <benchmark/benchmark.h>
#include <png.h>

#include <string>
#include <vector>

#include "engine/Image.h"
#include "storage/Streams.h"

namespace {

using namespace PM;

constexpr int kSide = 1024;

Obj<Image_I> Picture() {
  Obj<Image_I> image(Image_I::New());
  image->Create(4, kSide, kSide, 0);
  uint8_t* p = image->GetData();
  uint32_t noise = 12345;
  for (int y = 0; y < kSide; ++y) {
    for (int x = 0; x < kSide; ++x, p += 4) {
      noise = noise * 1664525u + 1013904223u;
      p[0] = uint8_t(x / 4 + (noise >> 29));
      p[1] = uint8_t(y / 4);
      p[2] = uint8_t((x + y) / 8);
      p[3] = uint8_t(x < kSide / 2 ? 255 : (noise >> 24));
    }
  }
  return image;
}

const std::string& PngFile() {
  static const std::string file = [] {
    StreamPipeRef out(NewMemoryStream());
    Picture()->ExportFileToStream(String("b.png"), out.Get());
    size_t n = 0;
    const uint8_t* bytes = MemoryStreamData(out.Get(), &n);
    return std::string(reinterpret_cast<const char*>(bytes), n);
  }();
  return file;
}

void BM_ImportPNG(benchmark::State& state) {
  const std::string& file = PngFile();
  for (auto _ : state) {
    Obj<Image_I> image(Image_I::New());
    StreamPipeRef in(NewMemoryViewStream(file.data(), file.size()));
    if (image->ImportFileFromStream(String("b.png"), in.Get()) != SOK) state.SkipWithError("import failed");
    benchmark::DoNotOptimize(image->GetData());
  }
}
BENCHMARK(BM_ImportPNG)->Unit(benchmark::kMillisecond);

void BM_PeerPngSimplified(benchmark::State& state) {
  const std::string& file = PngFile();
  for (auto _ : state) {
    png_image image{};
    image.version = PNG_IMAGE_VERSION;
    if (!png_image_begin_read_from_memory(&image, file.data(), file.size())) state.SkipWithError("begin failed");
    image.format = PNG_FORMAT_RGBA;
    std::vector<uint8_t> pixels(PNG_IMAGE_SIZE(image));
    if (!png_image_finish_read(&image, nullptr, pixels.data(), 0, nullptr)) state.SkipWithError("read failed");
    benchmark::DoNotOptimize(pixels.data());
  }
}
BENCHMARK(BM_PeerPngSimplified)->Unit(benchmark::kMillisecond);

// Arg: 0 plain, 1 alpha-weighted.
void BM_MipMap(benchmark::State& state) {
  Obj<Image_I> image = Picture();
  image->MipMap(0);  // the chain exists; each run fills it again
  for (auto _ : state) {
    image->MipMap(int(state.range(0)));
    benchmark::DoNotOptimize(image->GetMipMap()->GetData());
  }
}
BENCHMARK(BM_MipMap)->Arg(0)->Arg(1)->Unit(benchmark::kMicrosecond);

void BM_PeerBoxFilter(benchmark::State& state) {
  Obj<Image_I> image = Picture();
  std::vector<std::vector<uint8_t>> levels;
  for (int side = kSide / 2; side >= 1; side /= 2) levels.emplace_back(size_t(side) * side * 4);
  for (auto _ : state) {
    const uint8_t* src = image->GetData();
    int srcSide = kSide;
    for (std::vector<uint8_t>& level : levels) {
      int side = srcSide / 2;
      for (int y = 0; y < side; ++y) {
        const uint8_t* a = src + size_t(2 * y) * srcSide * 4;
        const uint8_t* b = a + size_t(srcSide) * 4;
        uint8_t* d = level.data() + size_t(y) * side * 4;
        for (int x = 0; x < side; ++x) {
          for (int c = 0; c < 4; ++c)
            d[4 * x + c] = uint8_t((a[8 * x + c] + a[8 * x + 4 + c] + b[8 * x + c] + b[8 * x + 4 + c]) >> 2);
        }
      }
      src = level.data();
      srcSide = side;
    }
    benchmark::DoNotOptimize(levels[0].data());
  }
}
BENCHMARK(BM_PeerBoxFilter)->Unit(benchmark::kMicrosecond);

// The like-for-like peer of the alpha-weighted chain: a plain loop over the same rule, each colour
// sum(c * a) / sum(a) by integer division, alpha sum(a) / 4, four zero alphas counting as 255 each.
void BM_PeerWeightedBoxFilter(benchmark::State& state) {
  Obj<Image_I> image = Picture();
  std::vector<std::vector<uint8_t>> levels;
  for (int side = kSide / 2; side >= 1; side /= 2) levels.emplace_back(size_t(side) * side * 4);
  for (auto _ : state) {
    const uint8_t* src = image->GetData();
    int srcSide = kSide;
    for (std::vector<uint8_t>& level : levels) {
      int side = srcSide / 2;
      for (int y = 0; y < side; ++y) {
        const uint8_t* a = src + size_t(2 * y) * srcSide * 4;
        const uint8_t* b = a + size_t(srcSide) * 4;
        uint8_t* d = level.data() + size_t(y) * side * 4;
        for (int x = 0; x < side; ++x) {
          const uint8_t* p[4] = {a + 8 * x, a + 8 * x + 4, b + 8 * x, b + 8 * x + 4};
          const int sum = p[0][3] + p[1][3] + p[2][3] + p[3][3];
          const int w = sum == 0 ? 255 : -1, divisor = sum == 0 ? 1020 : sum;
          for (int c = 0; c < 3; ++c) {
            int n = 0;
            for (const uint8_t* q : p) n += q[c] * (w < 0 ? q[3] : w);
            d[4 * x + c] = uint8_t(n / divisor);
          }
          d[4 * x + 3] = uint8_t(sum >> 2);
        }
      }
      src = level.data();
      srcSide = side;
    }
    benchmark::DoNotOptimize(levels[0].data());
  }
}
BENCHMARK(BM_PeerWeightedBoxFilter)->Unit(benchmark::kMicrosecond);

}  // namespace
