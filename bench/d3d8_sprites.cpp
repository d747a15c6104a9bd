// Particles drawn as sprites through the Direct3D 8 engine on the software device: quad sprites (one
// four-corner fan per sprite, each its own DrawIndexedPrimitive over the record's whole vertex range)
// against triangle sprites (one triangle list), from 1,000 to 1,000,000 sprites a frame. The counter
// "time/sprite" is the frame time per sprite, so a cost that grows with the square of the count shows as a
// rising figure. Each frame clears a 640 x 480 window, refills the positions (the sprites move) and draws
// every sprite about 2 pixels wide with a colour of its own, lighting off. Runs under an X display
// (xvfb-run -a).
#include <benchmark/benchmark.h>

#include <cstdint>
#include <vector>

#include "BenchEngineWindow.h"
#include "BenchWorld.h"
#include "core/Matrix4f.h"
#include "engine/Image.h"
#include "render/RenderChannel.h"

namespace PM {
namespace {

constexpr int32_t kWidth = 640, kHeight = 480;
constexpr float kHalfSize = 1.0f / kWidth * 2.0f;  // the view spans 2 units: about 2 pixels across

// Sprites scattered over the view by a hash, as a particle system's arrays hold them.
struct Sprites {
  std::vector<Vector3f> positions;
  std::vector<Vector4f> colors;
  std::vector<uint32_t> indices;
  PolygonData record;

  Sprites(int32_t count, bool quads) {
    const int32_t corners = quads ? 4 : 3;
    positions.reserve(size_t(count) * size_t(corners));
    uint32_t h = 12345;
    auto next = [&h] {
      h = h * 1664525u + 1013904223u;
      return float(h >> 8) / float(1u << 24);
    };
    for (int32_t i = 0; i < count; ++i) {
      const float x = next() * 1.9f - 0.95f, y = next() * 1.9f - 0.95f;
      const Vector4f c{next(), next(), next(), 1.0f};
      if (quads) {
        positions.insert(positions.end(), {{x - kHalfSize, y - kHalfSize, -1},
                                           {x + kHalfSize, y - kHalfSize, -1},
                                           {x + kHalfSize, y + kHalfSize, -1},
                                           {x - kHalfSize, y + kHalfSize, -1}});
      } else {  // one triangle around the same square
        positions.insert(positions.end(), {{x - kHalfSize, y - kHalfSize, -1},
                                           {x + 3 * kHalfSize, y - kHalfSize, -1},
                                           {x - kHalfSize, y + 3 * kHalfSize, -1}});
      }
      colors.insert(colors.end(), size_t(corners), c);
    }
    indices.resize(positions.size());
    for (size_t i = 0; i < indices.size(); ++i) indices[i] = uint32_t(i);
    record.PrimType = quads ? PrimitiveType::kQuad : PrimitiveType::kTriangle;
    record.PrimCount = count;
    record.IndexCount = record.VertexCount = int32_t(indices.size());
    record.IndexArray = indices.data();
    record.VertexArray = positions.data();
    record.ColorArray = colors.data();
    record.DynamicMask = PolygonData::kDynamicPositions;
  }
};

void Frame(Bench::EngineWindow& w, const Sprites& s) {
  RenderEngine* e = w.handle->Engine();
  e->MakeCurrent();
  ChannelClearInfo clear;
  e->ClearBuffer(&clear);
  const int32_t viewport[4] = {0, 0, kWidth, kHeight};
  e->SetViewport(viewport);
  Matrix4f lens;  // the far end at z = -1 is exactly the view's square
  lens.SetFrustum(-0.5f, 0.5f, -0.5f, 0.5f, 0.5f, 4.0f, e->HasZeroToOneDepthRange() != 0);
  e->LoadProjectionMatrix(&lens);
  e->LoadModelViewMatrix(&kIdentityMatrix4f);
  e->SetLightingEnable(0);
  e->BeginPass(PassMode::kMain);
  if (w.cache) w.cache->SetDirty(PolygonData::kDynamicPositions);
  e->DrawPolygonData(&s.record, &w.cache);
  e->ResetPass();
  e->Finish();
  e->SwapBuffers(true);
}

// Pixels of the frame that are not the clear colour: a frame without sprites fails the run.
int32_t DrawnPixels(Bench::EngineWindow& w) {
  Obj<Image_I> image(w.handle->Engine()->GetColorBufferImage());
  if (!image) return 0;
  R8G8B8A8 background, p;
  image->GetPixel(background, 0, 0);
  int32_t drawn = 0;
  for (int32_t y = 0; y < kHeight; y += 4)
    for (int32_t x = 0; x < kWidth; ++x) image->GetPixel(p, x, y), drawn += !(p == background);
  return drawn;
}

void BM_Sprites(benchmark::State& state, bool quads) {
  Bench::InitOnce();
  Bench::EngineWindow w("PelmoraSpriteBench", 2, kWidth, kHeight);
  if (!w.handle) return state.SkipWithError("no Direct3D 8 engine on a window (run under xvfb-run -a)");
  const int32_t count = int32_t(state.range(0));
  const Sprites s(count, quads);
  Frame(w, s);
  if (DrawnPixels(w) < std::min(count, 200)) return state.SkipWithError("the sprites are not drawn");
  for (auto _ : state) Frame(w, s);
  state.counters["time/sprite"] =
      benchmark::Counter(double(state.iterations()) * count, benchmark::Counter::kIsRate | benchmark::Counter::kInvert);
}
BENCHMARK_CAPTURE(BM_Sprites, Quads, true)
    ->RangeMultiplier(10)
    ->Range(1000, 1000000)
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime();
BENCHMARK_CAPTURE(BM_Sprites, Triangles, false)
    ->RangeMultiplier(10)
    ->Range(1000, 1000000)
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime();

}  // namespace
}  // namespace PM
