// The software Direct3D 8 device's vertex stage: 65,536 points with normals, lit by a directional and a
// point light with local-viewer specular (and, for the cost of lighting itself, unlit), drawn from a
// vertex buffer onto a 64 × 64 target, one pixel each. The peer is Mesa's llvmpipe doing the same
// fixed-function lighting on the same points (client arrays, glDrawArrays, glFinish) in the OpenGL
// engine's context. Runs under an X display (xvfb-run -a).
#include <benchmark/benchmark.h>

#include <cmath>
#include <cstdlib>
#include <cstring>
#include <vector>

#include "platform/ModuleLoader.h"
#include "platform/PlatformWindow.h"
#include "platform/WindowClass.h"
#include "platform/d3d8/D3D8.h"
#include "render/opengl/RenderEngineOpenGL.h"

namespace PM {
namespace {

constexpr int kPoints = 65536;

struct Point {
  float x, y, z, nx, ny, nz;
};

std::vector<Point> MakePoints() {
  std::vector<Point> p(kPoints);
  for (int i = 0; i < kPoints; ++i) {
    const float a = float(i) * 0.001f, b = float(i) * 0.0007f;
    p[size_t(i)] = {std::sin(a) * 0.9f, std::cos(b) * 0.9f, 0.5f, std::sin(b), std::cos(a) * 0.5f, -1.0f};
  }
  return p;
}

intptr_t Quiet(PlatformWindow*, uint32_t, uintptr_t, intptr_t) { return 0; }

PlatformWindow* BenchWindow() {
  static PlatformWindow* window = [] {
    PlatformWindow* w = nullptr;
    if (std::getenv("DISPLAY") && RegisterWindowClass("PelmoraD3D8Bench", CS_OWNDC, &Quiet)) {
      WindowCreateInfo info;
      info.className = "PelmoraD3D8Bench";
      info.width = info.height = 64;
      w = CreatePlatformWindow(info);
    }
    return w;
  }();
  return window;
}

struct SoftDevice {
  IDirect3D8* d3d = nullptr;
  IDirect3DDevice8* device = nullptr;
  IDirect3DVertexBuffer8* buffer = nullptr;

  SoftDevice() {
    PlatformWindow* window = BenchWindow();
    ModuleHandle module = window ? Module::Load("d3d8.dll") : nullptr;
    auto create = module ? reinterpret_cast<Direct3DCreate8Fn>(Module::Symbol(module, "Direct3DCreate8")) : nullptr;
    d3d = create ? create(D3D_SDK_VERSION) : nullptr;
    if (!d3d) return;
    D3DPRESENT_PARAMETERS p;
    p.BackBufferWidth = p.BackBufferHeight = 64, p.BackBufferFormat = D3DFMT_X8R8G8B8, p.BackBufferCount = 1;
    p.hDeviceWindow = window, p.Windowed = 1;
    if (d3d->CreateDevice(0, D3DDEVTYPE_HAL, window, D3DCREATE_HARDWARE_VERTEXPROCESSING, &p, &device) != D3D_OK)
      return;
    const std::vector<Point> points = MakePoints();
    device->CreateVertexBuffer(UINT(points.size() * sizeof(Point)), D3DUSAGE_WRITEONLY, 0, D3DPOOL_MANAGED, &buffer);
    uint8_t* bytes = nullptr;
    buffer->Lock(0, 0, &bytes, 0);
    std::memcpy(bytes, points.data(), points.size() * sizeof(Point));
    buffer->Unlock();
    device->SetStreamSource(0, buffer, sizeof(Point));
    device->SetVertexShader(D3DFVF_XYZ | D3DFVF_NORMAL);
    D3DLIGHT8 sun;
    sun.Type = D3DLIGHT_DIRECTIONAL, sun.Direction = {0.3f, -0.2f, 0.93f};
    sun.Diffuse = {0.8f, 0.8f, 0.7f, 0}, sun.Specular = {0.5f, 0.5f, 0.5f, 0};
    D3DLIGHT8 lamp;
    lamp.Type = D3DLIGHT_POINT, lamp.Position = {0.5f, 0.5f, -1.0f}, lamp.Range = 100;
    lamp.Diffuse = {0.4f, 0.5f, 0.6f, 0}, lamp.Specular = {0.3f, 0.3f, 0.3f, 0};
    lamp.Attenuation0 = 1, lamp.Attenuation1 = 0.1f;
    device->SetLight(0, &sun);
    device->SetLight(1, &lamp);
    device->LightEnable(0, 1), device->LightEnable(1, 1);
    D3DMATERIAL8 m;
    m.Diffuse = {0.6f, 0.5f, 0.4f, 1}, m.Ambient = {0.3f, 0.3f, 0.3f, 1}, m.Specular = {0.8f, 0.8f, 0.8f, 1};
    m.Power = 16;
    device->SetMaterial(&m);
    device->SetRenderState(D3DRS_AMBIENT, 0xFF202020);
    device->SetRenderState(D3DRS_SPECULARENABLE, 1);
    device->SetRenderState(D3DRS_NORMALIZENORMALS, 1);
  }
  ~SoftDevice() {
    if (device) device->SetStreamSource(0, nullptr, 0), device->Release();
    if (buffer) buffer->Release();
    if (d3d) d3d->Release();
  }
};

SoftDevice& Device() {
  static SoftDevice d;
  return d;
}

void DrawSoft(benchmark::State& state, DWORD lighting) {
  SoftDevice& d = Device();
  if (!d.device) return state.SkipWithError("no software device (d3d8.so beside the library, xvfb-run -a)");
  d.device->SetRenderState(D3DRS_LIGHTING, lighting);
  for (auto _ : state) {
    d.device->BeginScene();
    d.device->DrawPrimitive(D3DPT_POINTLIST, 0, kPoints);
    d.device->EndScene();
  }
  state.SetItemsProcessed(int64_t(state.iterations()) * kPoints);
}

void BM_SoftDeviceLitPoints(benchmark::State& state) { DrawSoft(state, 1); }
BENCHMARK(BM_SoftDeviceLitPoints)->Unit(benchmark::kMillisecond)->UseRealTime();

void BM_SoftDeviceUnlitPoints(benchmark::State& state) { DrawSoft(state, 0); }
BENCHMARK(BM_SoftDeviceUnlitPoints)->Unit(benchmark::kMillisecond)->UseRealTime();

struct GLContext {
  Ptr<RenderEngine_I> handle;
  std::vector<Point> points = MakePoints();
  GLContext() {
    PlatformWindow* window = BenchWindow();
    if (!window) return;
    handle = RenderEngine::Create(1);
    TextureSettingsInfo t;
    RenderFormatInfo f;
    f.Width = f.Height = 64;
    if (!handle || handle->Engine()->InitializeRenderWindow(&t, &f, window) != SOK) handle.Clear();
  }
  RenderEngineOpenGL_D* Engine() { return static_cast<RenderEngineOpenGL_D*>(handle->Engine()); }
};

void BM_LlvmpipeLitPoints(benchmark::State& state) {
  static GLContext c;
  if (!c.handle) return state.SkipWithError("no OpenGL context (run under xvfb-run -a)");
  c.Engine()->MakeCurrent();
  auto& gl = OpenGLAPI::Instance();
  const GLfloat identity[16] = {1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1};
  gl.glMatrixMode(GL_PROJECTION), gl.glLoadMatrixf(identity);
  gl.glMatrixMode(GL_MODELVIEW), gl.glLoadMatrixf(identity);
  gl.glViewport(0, 0, 64, 64);
  gl.glDisable(GL_DEPTH_TEST), gl.glDisable(GL_CULL_FACE), gl.glDisable(GL_TEXTURE_2D), gl.glDisable(GL_FOG);
  gl.glEnable(GL_LIGHTING), gl.glEnable(GL_NORMALIZE), gl.glEnable(GL_LIGHT0), gl.glEnable(GL_LIGHT1);
  gl.glLightModeli(GL_LIGHT_MODEL_LOCAL_VIEWER, 1);
  const GLfloat ambient[4] = {0.125f, 0.125f, 0.125f, 1};
  gl.glLightModelfv(GL_LIGHT_MODEL_AMBIENT, ambient);
  const GLfloat sunDirection[4] = {-0.3f, 0.2f, -0.93f, 0}, sunDiffuse[4] = {0.8f, 0.8f, 0.7f, 1},
                sunSpecular[4] = {0.5f, 0.5f, 0.5f, 1};
  gl.glLightfv(GL_LIGHT0, GL_POSITION, sunDirection);
  gl.glLightfv(GL_LIGHT0, GL_DIFFUSE, sunDiffuse);
  gl.glLightfv(GL_LIGHT0, GL_SPECULAR, sunSpecular);
  const GLfloat lampPosition[4] = {0.5f, 0.5f, -1.0f, 1}, lampDiffuse[4] = {0.4f, 0.5f, 0.6f, 1},
                lampSpecular[4] = {0.3f, 0.3f, 0.3f, 1};
  gl.glLightfv(GL_LIGHT1, GL_POSITION, lampPosition);
  gl.glLightfv(GL_LIGHT1, GL_DIFFUSE, lampDiffuse);
  gl.glLightfv(GL_LIGHT1, GL_SPECULAR, lampSpecular);
  const GLfloat lampFade = 0.1f;
  gl.glLightfv(GL_LIGHT1, GL_LINEAR_ATTENUATION, &lampFade);
  const GLfloat diffuse[4] = {0.6f, 0.5f, 0.4f, 1}, matAmbient[4] = {0.3f, 0.3f, 0.3f, 1},
                specular[4] = {0.8f, 0.8f, 0.8f, 1};
  gl.glMaterialfv(GL_FRONT_AND_BACK, GL_DIFFUSE, diffuse);
  gl.glMaterialfv(GL_FRONT_AND_BACK, GL_AMBIENT, matAmbient);
  gl.glMaterialfv(GL_FRONT_AND_BACK, GL_SPECULAR, specular);
  gl.glMaterialf(GL_FRONT_AND_BACK, GL_SHININESS, 16);
  gl.glEnableClientState(GL_VERTEX_ARRAY), gl.glEnableClientState(GL_NORMAL_ARRAY);
  gl.glVertexPointer(3, GL_FLOAT, sizeof(Point), &c.points[0].x);
  gl.glNormalPointer(GL_FLOAT, sizeof(Point), &c.points[0].nx);
  for (auto _ : state) {
    gl.glDrawArrays(GL_POINTS, 0, kPoints);
    gl.glFinish();
  }
  gl.glDisableClientState(GL_VERTEX_ARRAY), gl.glDisableClientState(GL_NORMAL_ARRAY);
  gl.glDisable(GL_LIGHTING);
  state.SetItemsProcessed(int64_t(state.iterations()) * kPoints);
}
BENCHMARK(BM_LlvmpipeLitPoints)->Unit(benchmark::kMillisecond)->UseRealTime();

}  // namespace
}  // namespace PM
