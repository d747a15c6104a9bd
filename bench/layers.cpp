// The transform layer's Blend on a 1024 x 1024 image against pixman's OVER composite, and a texture
// load from a warm BMG cache against decoding the PNG source. Our blend mixes each source row into the
// target in place, (s a + t (255 - a)) / 255 per channel of straight (unpremultiplied) RGBA; pixman's
// OVER takes premultiplied ARGB, s + t (255 - a) / 255: one product a channel where ours has two. The
// shapes that leave the plain path are measured too: a layer three pixels wide on a target eight wide
// (every row shorter than a SIMD step, rows apart) against pixman on the same shape, and a mirrored
// layer, whose rows are gathered pixel by pixel.
#include <benchmark/benchmark.h>
#include <pixman.h>

#include <unistd.h>

#include <cstdio>
#include <filesystem>
#include <string>
#include <vector>

#include "core/Log.h"
#include "core/StartUp.h"
#include "render/ImageLayer.h"
#include "render/TextureLoad.h"
#include "render/TransformLayer.h"
#include "storage/Storage.h"

namespace {

using namespace PM;

constexpr int kSide = 1024;

bool Started() {
  static const bool ok = [] {
    g_LogLevel = kLevelError;
    return DLLInitialize(1) == 0;
  }();
  return ok;
}

Obj<Image_I> Pattern(int w, int h, uint32_t seed) {
  Obj<Image_I> image(Image_I::New());
  image->Create(4, w, h, 0);
  uint8_t* p = image->GetData();
  for (size_t i = 0; i < image->DataBytes(); ++i) p[i] = uint8_t((uint32_t(i) * 2654435761u + seed) >> 13);
  return image;
}

// A blend layer of w x h with FlipMode `flip` drawn over a target tw wide, once an iteration.
void Blend(benchmark::State& state, int w, int h, uint32_t flip, int tw) {
  if (!Started()) return state.SkipWithError("library did not start");
  Obj<ImageLayer_I> source(static_cast<ImageLayer_I*>(ImageLayer_I::Create()));
  source->m_image = Pattern(w, h, 1).Get();
  Obj<TransformLayer_I> layer(static_cast<TransformLayer_I*>(TransformLayer_I::Create()));
  layer->SetImageLayer(source);
  layer->m_combineMode = TransformLayer_I::kCombineBlend;
  layer->m_flipMode = flip;
  Obj<Image_I> target = Pattern(tw, h, 2);
  LayerApplyContext context;
  LayerImageResult result;
  result.image = target.Get();
  for (auto _ : state) {
    layer->ApplyToImage(context, result);
    benchmark::DoNotOptimize(target->GetData());
  }
  state.SetItemsProcessed(state.iterations() * int64_t(w) * h);
}

void BM_LayerBlend(benchmark::State& state) { Blend(state, kSide, kSide, 0, kSide); }
BENCHMARK(BM_LayerBlend)->Unit(benchmark::kMillisecond);

// Arguments: the source's width and height, FlipMode, the target's width.
void BM_LayerBlendShape(benchmark::State& state) {
  Blend(state, int(state.range(0)), int(state.range(1)), uint32_t(state.range(2)), int(state.range(3)));
}
BENCHMARK(BM_LayerBlendShape)->Args({3, 8192, 0, 8})->Args({kSide, kSide, 1, kSide})->Unit(benchmark::kMillisecond);

void BM_PixmanOver(benchmark::State& state) {
  std::vector<uint32_t> src(size_t(kSide) * kSide), dst(size_t(kSide) * kSide);
  for (size_t i = 0; i < src.size(); ++i) {
    src[i] = uint32_t(i) * 2654435761u;
    dst[i] = uint32_t(i) * 40503u;
  }
  pixman_image_t* s = pixman_image_create_bits(PIXMAN_a8r8g8b8, kSide, kSide, src.data(), kSide * 4);
  pixman_image_t* d = pixman_image_create_bits(PIXMAN_a8r8g8b8, kSide, kSide, dst.data(), kSide * 4);
  for (auto _ : state) {
    pixman_image_composite32(PIXMAN_OP_OVER, s, nullptr, d, 0, 0, 0, 0, 0, 0, kSide, kSide);
    benchmark::DoNotOptimize(dst.data());
  }
  pixman_image_unref(s);
  pixman_image_unref(d);
  state.SetItemsProcessed(state.iterations() * int64_t(kSide) * kSide);
}
BENCHMARK(BM_PixmanOver)->Unit(benchmark::kMillisecond);

// Arguments: the source's width and height, the target's width.
void BM_PixmanOverShape(benchmark::State& state) {
  const int w = int(state.range(0)), h = int(state.range(1)), tw = int(state.range(2));
  std::vector<uint32_t> src(size_t(w) * size_t(h)), dst(size_t(tw) * size_t(h));
  for (size_t i = 0; i < src.size(); ++i) src[i] = uint32_t(i) * 2654435761u;
  for (size_t i = 0; i < dst.size(); ++i) dst[i] = uint32_t(i) * 40503u;
  pixman_image_t* s = pixman_image_create_bits(PIXMAN_a8r8g8b8, w, h, src.data(), w * 4);
  pixman_image_t* d = pixman_image_create_bits(PIXMAN_a8r8g8b8, tw, h, dst.data(), tw * 4);
  for (auto _ : state) {
    pixman_image_composite32(PIXMAN_OP_OVER, s, nullptr, d, 0, 0, 0, 0, 0, 0, w, h);
    benchmark::DoNotOptimize(dst.data());
  }
  pixman_image_unref(s);
  pixman_image_unref(d);
  state.SetItemsProcessed(state.iterations() * int64_t(w) * h);
}
BENCHMARK(BM_PixmanOverShape)->Args({3, 8192, 8})->Unit(benchmark::kMillisecond);

// A 512 x 512 PNG with its cache in a scratch folder.
const std::string& TextureBase() {
  static const std::string base = [] {
    std::string dir = std::filesystem::temp_directory_path() / ("pm-bench-layers-" + std::to_string(::getpid()));
    std::filesystem::create_directories(dir);
    std::string b = dir + "/tex";
    Pattern(512, 512, 3)->ExportFile(String(b + ".png"));
    return b;
  }();
  return base;
}

void BM_LoadImageCachedWarm(benchmark::State& state) {
  if (!Started()) return state.SkipWithError("library did not start");
  const String base(TextureBase());
  LoadImageCached(base);  // writes the cache
  for (auto _ : state) benchmark::DoNotOptimize(LoadImageCached(base)->GetData());
}
BENCHMARK(BM_LoadImageCachedWarm)->Unit(benchmark::kMillisecond);

void BM_PngDecode(benchmark::State& state) {
  if (!Started()) return state.SkipWithError("library did not start");
  const String png(TextureBase() + ".png");
  for (auto _ : state) {
    Obj<Image_I> image(Image_I::New());
    StreamPipeRef pipe(Storage::OpenStreamSimple(png, Storage::kRead));
    image->ImportFileFromStream(png, pipe.Get());
    benchmark::DoNotOptimize(image->GetData());
  }
}
BENCHMARK(BM_PngDecode)->Unit(benchmark::kMillisecond);

}  // namespace
