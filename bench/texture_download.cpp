// Sending a 1024 x 1024 RGBA image with its full mip chain to OpenGL: the OpenGL engine's DownloadImage
// (which builds the chain with the image's own 2 x 2 reduction, then uploads every level) against GLU's
// gluBuild2DMipmaps doing the same in the same context. Each iteration starts from an image without a
// mip chain, so both sides build and upload all eleven levels. Runs under an X display (xvfb-run -a).
#include <benchmark/benchmark.h>

#include <GL/glu.h>

#include <cstdlib>

#include "platform/PlatformWindow.h"
#include "platform/WindowClass.h"
#include "render/opengl/RenderEngineOpenGL.h"

namespace PM {
namespace {

intptr_t Quiet(PlatformWindow*, uint32_t, uintptr_t, intptr_t) { return 0; }

struct Context {
  PlatformWindow* window = nullptr;
  Ptr<RenderEngine_I> handle;
  GLuint texture = 0;
  Obj<Image_I> image;

  Context() {
    if (!std::getenv("DISPLAY") || !RegisterWindowClass("PelmoraBench", CS_OWNDC, &Quiet)) return;
    WindowCreateInfo info;
    info.className = "PelmoraBench";
    info.width = info.height = 64;
    window = CreatePlatformWindow(info);
    handle = RenderEngine::Create(1);
    TextureSettingsInfo t;
    RenderFormatInfo f;
    f.Width = f.Height = 64;
    if (!window || !handle || handle->Engine()->InitializeRenderWindow(&t, &f, window) != SOK) {
      handle.Clear();
      return;
    }
    image = Image_I::New();
    image->Create(4, 1024, 1024, 0);
    uint8_t* p = image->GetData();
    for (size_t i = 0; i < image->DataBytes(); ++i) p[i] = uint8_t(i * 2654435761u >> 24);
    OpenGLAPI::Instance().glGenTextures(1, &texture);
    OpenGLAPI::Instance().glBindTexture(GL_TEXTURE_2D, texture);
  }
  ~Context() {
    if (handle) OpenGLAPI::Instance().glDeleteTextures(1, &texture);
    handle.Clear();
    if (window) DestroyPlatformWindow(window);
  }
  RenderEngineOpenGL_D* Engine() { return static_cast<RenderEngineOpenGL_D*>(handle->Engine()); }
};

Context& Shared() {
  static Context c;
  return c;
}

void BM_DownloadImageMipMaps(benchmark::State& state) {
  Context& c = Shared();
  if (!c.handle) return state.SkipWithError("no OpenGL context (run under xvfb-run -a)");
  c.Engine()->MakeCurrent();
  for (auto _ : state) {
    c.image->m.mipMap.Clear();
    benchmark::DoNotOptimize(c.Engine()->DownloadImage(GL_TEXTURE_2D, GL_RGBA8, 32, GL_RGBA, true, c.image, 0));
    OpenGLAPI::Instance().glFinish();
  }
}
BENCHMARK(BM_DownloadImageMipMaps)->Unit(benchmark::kMillisecond);

void BM_GluBuild2DMipmaps(benchmark::State& state) {
  Context& c = Shared();
  if (!c.handle) return state.SkipWithError("no OpenGL context (run under xvfb-run -a)");
  c.Engine()->MakeCurrent();
  for (auto _ : state) {
    benchmark::DoNotOptimize(
        gluBuild2DMipmaps(GL_TEXTURE_2D, GL_RGBA8, 1024, 1024, GL_RGBA, GL_UNSIGNED_BYTE, c.image->GetData()));
    OpenGLAPI::Instance().glFinish();
  }
}
BENCHMARK(BM_GluBuild2DMipmaps)->Unit(benchmark::kMillisecond);

}  // namespace
}  // namespace PM
