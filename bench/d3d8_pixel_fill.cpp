// Fill rate of the software Direct3D 8 device's rasterizer and pixel stage against llvmpipe in the same
// process: 640 x 480, a clear and ten full-window quads a frame at one depth (LESSEQUAL, so every pixel
// passes and writes), then glFinish on the OpenGL side. Two scenes: Gouraud colour only, and a 256 x 256
// RGBA texture with mips, trilinear, modulated with the colour, linear fog. Screen-aligned quads whose
// coordinates run 1.5 texels per pixel, so trilinear blends two levels everywhere. The device side draws
// through the rasterizer directly (the vertex stage is a handful of vertices a frame).
// llvmpipe reads LP_NUM_THREADS once per process: run once with LP_NUM_THREADS=1 and once without.
// Runs under an X display (xvfb-run -a).
#include <benchmark/benchmark.h>

#include <cstddef>
#include <cstdlib>
#include <vector>

#include "platform/PlatformWindow.h"
#include "platform/WindowClass.h"
#include "platform/d3d8/Rasterizer.h"
#include "render/opengl/RenderEngineOpenGL.h"

namespace PM {
namespace {

constexpr int32_t kWidth = 640, kHeight = 480, kTextureSize = 256, kQuads = 10;
constexpr float kTexelsPerPixel = 1.5f;

// The texture's levels as RGBA bytes, level 0 first: a hashed pattern, each level its own.
std::vector<std::vector<uint8_t>> TextureLevels() {
  std::vector<std::vector<uint8_t>> levels;
  for (int32_t size = kTextureSize; size >= 1; size /= 2) {
    std::vector<uint8_t> bytes(size_t(size) * size * 4);
    for (size_t i = 0; i < bytes.size(); ++i) bytes[i] = uint8_t((i + levels.size()) * 2654435761u >> 24);
    levels.push_back(std::move(bytes));
  }
  return levels;
}

void BM_Device(benchmark::State& state, bool textured) {
  using namespace SoftD3D;
  PixelStore color, depth;
  color.Allocate(kWidth, kHeight, FindFormat(D3DFMT_X8R8G8B8));
  depth.Allocate(kWidth, kHeight, FindFormat(D3DFMT_D24S8));
  std::vector<PixelStore> levels;
  for (const std::vector<uint8_t>& rgba : TextureLevels()) {
    levels.emplace_back();
    const uint32_t size = uint32_t(kTextureSize) >> (levels.size() - 1);
    levels.back().Allocate(size, size, FindFormat(D3DFMT_A8R8G8B8));
    for (size_t i = 0; i < rgba.size() / 4; ++i) {
      const uint32_t argb = uint32_t(rgba[i * 4 + 3]) << 24 | uint32_t(rgba[i * 4]) << 16 |
                            uint32_t(rgba[i * 4 + 1]) << 8 | rgba[i * 4 + 2];
      StorePixel(levels.back().bytes.data() + i * 4, 4, argb);
    }
  }
  std::vector<PixelStore*> levelPointers;
  for (PixelStore& l : levels) levelPointers.push_back(&l);

  RasterState rs;
  rs.depthTest = true;
  rs.depthFunc = D3DCMP_LESSEQUAL;
  rs.cull = D3DCULL_NONE;
  PixelState& p = rs.pixel;
  for (size_t offset :
       {offsetof(ClipVertex, r), offsetof(ClipVertex, g), offsetof(ClipVertex, b), offsetof(ClipVertex, a)})
    p.AddAttribute(offset);
  if (textured) {
    std::vector<uint32_t> ts(kD3DTextureStageStateCount, 0);
    ts[D3DTSS_MAGFILTER] = ts[D3DTSS_MINFILTER] = ts[D3DTSS_MIPFILTER] = D3DTEXF_LINEAR;
    ts[D3DTSS_ADDRESSU] = ts[D3DTSS_ADDRESSV] = D3DTADDRESS_WRAP;
    p.stageCount = 1;
    StageSetup& s = p.stages[0];
    s.colorOp = s.alphaOp = D3DTOP_MODULATE;
    s.colorArgs[0] = s.alphaArgs[0] = D3DTA_TEXTURE;
    s.colorArgs[1] = s.alphaArgs[1] = D3DTA_DIFFUSE;
    s.textured = p.samplers[0].Build(levelPointers.data(), int32_t(levelPointers.size()), ts.data());
    p.texSlot[0] = p.AddAttribute(offsetof(ClipVertex, tex));
    p.AddAttribute(offsetof(ClipVertex, tex) + 4);
    p.fog = FogSource::kTable;
    p.fogTable = D3DFOG_LINEAR;
    p.fogFromW = false;
    p.fogStart = 0.0f, p.fogEnd = 2.0f;
    p.fogColor[0] = p.fogColor[1] = p.fogColor[2] = 0.5f;
  }
  const float u1 = kTexelsPerPixel * kWidth / kTextureSize, v1 = kTexelsPerPixel * kHeight / kTextureSize;
  auto corner = [](float x, float y, float u, float v) {
    ClipVertex c{};
    c.x = x, c.y = y, c.z = 0.5f, c.w = 1.0f;
    c.r = 1.0f, c.g = 0.8f, c.b = 0.6f, c.a = 1.0f;
    c.fog = 1.0f;
    c.tex[0][0] = u, c.tex[0][1] = v;
    return c;
  };
  const ClipVertex a = corner(-1, 1, 0, 0), b = corner(1, 1, u1, 0), c = corner(1, -1, u1, v1),
                   d = corner(-1, -1, 0, v1);
  const D3DVIEWPORT8 viewport{0, 0, kWidth, kHeight, 0.0f, 1.0f};
  for (auto _ : state) {
    std::fill(color.bytes.begin(), color.bytes.end(), uint8_t(0x40));
    std::fill(depth.bytes.begin(), depth.bytes.end(), uint8_t(0xFF));
    Rasterizer r(&color, &depth, viewport, rs);
    for (int32_t q = 0; q < kQuads; ++q) r.Triangle(a, b, c), r.Triangle(a, c, d);
    benchmark::DoNotOptimize(color.bytes.data());
  }
  state.counters["Mpixel/s"] =
      benchmark::Counter(double(state.iterations()) * kWidth * kHeight * kQuads / 1e6, benchmark::Counter::kIsRate);
}
BENCHMARK_CAPTURE(BM_Device, Gouraud, false)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK_CAPTURE(BM_Device, TrilinearFog, true)->Unit(benchmark::kMillisecond)->UseRealTime();

intptr_t Quiet(PlatformWindow*, uint32_t, uintptr_t, intptr_t) { return 0; }

// A 640 x 480 window with an OpenGL context on it (llvmpipe under Xvfb) and the texture with its levels.
struct GLContext {
  PlatformWindow* window = nullptr;
  Ptr<RenderEngine_I> handle;
  GLuint texture = 0;

  GLContext() {
    if (!std::getenv("DISPLAY") || !RegisterWindowClass("PelmoraFillBench", CS_OWNDC, &Quiet)) return;
    WindowCreateInfo info;
    info.className = "PelmoraFillBench";
    info.width = kWidth, info.height = kHeight;
    window = CreatePlatformWindow(info);
    handle = RenderEngine::Create(1);
    TextureSettingsInfo t;
    RenderFormatInfo f;
    f.Width = kWidth, f.Height = kHeight, f.ColorBits = 24, f.DepthBits = 24;
    if (!window || !handle || handle->Engine()->InitializeRenderWindow(&t, &f, window) != SOK) {
      handle.Clear();
      return;
    }
    const OpenGLAPI& gl = OpenGLAPI::Instance();
    gl.glGenTextures(1, &texture);
    gl.glBindTexture(GL_TEXTURE_2D, texture);
    int32_t level = 0;
    for (const std::vector<uint8_t>& rgba : TextureLevels()) {
      const int32_t size = kTextureSize >> level;
      gl.glTexImage2D(GL_TEXTURE_2D, level++, GL_RGBA8, size, size, 0, GL_RGBA, GL_UNSIGNED_BYTE, rgba.data());
    }
  }
  ~GLContext() {
    if (handle) OpenGLAPI::Instance().glDeleteTextures(1, &texture);
    handle.Clear();
    if (window) DestroyPlatformWindow(window);
  }
  RenderEngineOpenGL_D* Engine() { return static_cast<RenderEngineOpenGL_D*>(handle->Engine()); }
};

GLContext& Shared() {
  static GLContext c;
  return c;
}

void BM_Llvmpipe(benchmark::State& state, bool textured) {
  GLContext& c = Shared();
  if (!c.handle) return state.SkipWithError("no OpenGL context (run under xvfb-run -a)");
  c.Engine()->MakeCurrent();
  const OpenGLAPI& gl = OpenGLAPI::Instance();
  gl.glViewport(0, 0, kWidth, kHeight);
  gl.glMatrixMode(GL_PROJECTION), gl.glLoadIdentity();
  gl.glMatrixMode(GL_MODELVIEW), gl.glLoadIdentity();
  gl.glDisable(GL_CULL_FACE), gl.glDisable(GL_LIGHTING), gl.glDisable(GL_BLEND), gl.glDisable(GL_ALPHA_TEST);
  gl.glEnable(GL_DEPTH_TEST), gl.glDepthFunc(GL_LEQUAL), gl.glDepthMask(GL_TRUE);
  if (textured) {
    gl.glEnable(GL_TEXTURE_2D);
    gl.glBindTexture(GL_TEXTURE_2D, c.texture);
    gl.glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_LINEAR_MIPMAP_LINEAR);
    gl.glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, GL_LINEAR);
    gl.glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_S, GL_REPEAT);
    gl.glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_T, GL_REPEAT);
    gl.glTexEnvi(GL_TEXTURE_ENV, GL_TEXTURE_ENV_MODE, GL_MODULATE);
    gl.glEnable(GL_FOG);
    gl.glFogi(GL_FOG_MODE, GL_LINEAR);
    gl.glFogf(GL_FOG_START, 0.0f), gl.glFogf(GL_FOG_END, 2.0f);
    const float fog[4] = {0.5f, 0.5f, 0.5f, 1.0f};
    gl.glFogfv(GL_FOG_COLOR, fog);
  } else {
    gl.glDisable(GL_TEXTURE_2D), gl.glDisable(GL_FOG);
  }
  const float u1 = kTexelsPerPixel * kWidth / kTextureSize, v1 = kTexelsPerPixel * kHeight / kTextureSize;
  gl.glClearColor(0.25f, 0.25f, 0.25f, 1.0f);
  for (auto _ : state) {
    gl.glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
    gl.glBegin(GL_QUADS);
    gl.glColor4f(1.0f, 0.8f, 0.6f, 1.0f);
    for (int32_t q = 0; q < kQuads; ++q) {
      gl.glTexCoord2f(0, 0), gl.glVertex3f(-1, 1, -0.5f);
      gl.glTexCoord2f(u1, 0), gl.glVertex3f(1, 1, -0.5f);
      gl.glTexCoord2f(u1, v1), gl.glVertex3f(1, -1, -0.5f);
      gl.glTexCoord2f(0, v1), gl.glVertex3f(-1, -1, -0.5f);
    }
    gl.glEnd();
    gl.glFinish();
  }
  gl.glDisable(GL_TEXTURE_2D), gl.glDisable(GL_FOG);
  state.counters["Mpixel/s"] =
      benchmark::Counter(double(state.iterations()) * kWidth * kHeight * kQuads / 1e6, benchmark::Counter::kIsRate);
}
BENCHMARK_CAPTURE(BM_Llvmpipe, Gouraud, false)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK_CAPTURE(BM_Llvmpipe, TrilinearFog, true)->Unit(benchmark::kMillisecond)->UseRealTime();

}  // namespace
}  // namespace PM
