// Whole frames of 1,000 and 10,000 lit, fogged cubes that share one geometry, in a 256 x 256 window:
// our traversal, pipe and OpenGL engine (buffer objects, and client arrays with GL_ARB_vertex_buffer_object
// switched off in the registry) beside Irrlicht 1.8's OpenGL driver drawing the same cubes as mesh scene
// nodes on static hardware buffers, in the same process. Each side makes its own context current before
// its loop. Reported per configuration: frames per second (wall clock), the drawing thread's CPU time per
// frame and the whole process's (which adds the rasteriser's threads). Before timing, one frame of each
// side is read back and must show the cubes. Needs an X display (run under xvfb-run).
#include <benchmark/benchmark.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "core/Log.h"
#include "core/RegistryKey.h"
#include "core/StartUp.h"
#include "peers/CubeField.h"
#include "peers/IrrlichtCubes.h"
#include "render/RenderPipe.h"
#include "render/RenderStatistics.h"
#include "render/RenderSystemTraverse.h"
#include "render/opengl/RenderEngineOpenGL.h"
#include "script/lang/Parser.h"
#include "script/object/ScriptEngine.h"

namespace {

using namespace PM;
using namespace PM::Bench::CubeField;

constexpr double kStep = 1.0 / 60;
// Frames drawn before the check and the timing: the rasteriser compiles its state variants on first use.
constexpr int kWarmUpFrames = 3;

// The timed loop both sides share: frames per second by the wall clock, CPU time per frame of this
// thread and of the whole process.
template <class Frame>
void TimeFrames(benchmark::State& state, Frame&& frame) {
  auto cpu = [](clockid_t id) {
    timespec t{};
    clock_gettime(id, &t);
    return double(t.tv_sec) + double(t.tv_nsec) * 1e-9;
  };
  const double thread0 = cpu(CLOCK_THREAD_CPUTIME_ID), process0 = cpu(CLOCK_PROCESS_CPUTIME_ID);
  const auto wall0 = std::chrono::steady_clock::now();
  for (auto _ : state) frame();
  const double wall = std::chrono::duration<double>(std::chrono::steady_clock::now() - wall0).count();
  const double frames = double(state.iterations());
  state.counters["fps"] = frames / wall;
  state.counters["thread_cpu_ms"] = (cpu(CLOCK_THREAD_CPUTIME_ID) - thread0) * 1e3 / frames;
  state.counters["process_cpu_ms"] = (cpu(CLOCK_PROCESS_CPUTIME_ID) - process0) * 1e3 / frames;
}

bool HaveDisplay(benchmark::State& state) {
  if (std::getenv("DISPLAY")) return true;
  state.SkipWithError("needs an X display (run under xvfb-run -a)");
  return false;
}

// ---- ours -----------------------------------------------------------------------------------------

std::string Vec(float x, float y, float z) {
  char b[96];
  std::snprintf(b, sizeof b, "(%g, %g, %g)", double(x), double(y), double(z));
  return b;
}

// The scene as a script, the way tests/scripts/render/lit_scene.bs makes its lit, fogged scene. The pipe
// presents without a rate limit (its default holds frames to 120 per second).
std::string SceneScript(int n) {
  std::string s;
  s += "RenderPipe:Pipe . { .Resolution (" + std::to_string(kSide) + ", " + std::to_string(kSide) +
       "); .ColorBits 24; .DepthBits 24; .StencilBits 8; .SwapInterval 0; .SwapRateLimit 0.0; };\n";
  s += "TTransform:root . { };\n";
  s += "STransform:camS . { .Translation " + Vec(0, 0, CameraDistance(n)) + "; };\n";
  s += "TTransform:camT . { .SNode STransform:camS; .Parent TTransform:root; };\n";
  s += "SCamera:lens . { .FieldOfView 45.0; };\n";
  s += "TCamera:camera . { .SNode SCamera:lens; .Parent TTransform:camT; };\n";
  s += "STransform:sunS . { .Rotation (-40, 30, 0); };\n";
  s += "TTransform:sunT . { .SNode STransform:sunS; .Parent TTransform:root; };\n";
  s += "SLight:sun . { .Type SLight.TypeEnum.Directional; .Color (1, 1, 1); };\n";
  s += "TLight:sunLight . { .SNode SLight:sun; .Parent TTransform:sunT; };\n";
  s += "SFog:mist . { .Type SFog.TypeEnum.Linear; .NearFar (" + std::to_string(FogNear(n)) + ", " +
       std::to_string(FogFar(n)) + "); .Color " + Vec(kFogColor[0], kFogColor[1], kFogColor[2]) + "; };\n";
  s += "TFog:fog . { .SNode SFog:mist; .Parent TTransform:root; };\n";
  s += "RenderMaterial:red . { .DiffuseColor " + Vec(kDiffuse[0], kDiffuse[1], kDiffuse[2]) + "; };\n";
  s += "ShaderPhong:redSurface . { .Material RenderMaterial:red; };\n";
  s += "RenderShader:redShader . { .Surface ShaderPhong:redSurface; };\n";
  std::string indices, corners, normals;
  for (int f = 0; f < 6; ++f)
    for (int k : kQuadIndices) indices.append(indices.empty() ? "" : ", ").append(std::to_string(4 * f + k));
  for (int v = 0; v < 24; ++v) {
    const float* c = kCorners[v];
    const float* m = kFaceNormals[v / 4];
    corners.append(v ? ", " : "").append(Vec(c[0], c[1], c[2]));
    normals.append(v ? ", " : "").append(Vec(m[0], m[1], m[2]));
  }
  s += "SPolygonGeometry:cubeMesh . { .PrimType Primitive.TypeEnum.Triangle; .PrimCount 12; .IndexArray [" + indices +
       "]; .VertexArray [" + corners + "]; .NormalArray [" + normals + "]; };\n";
  const std::string rotation = Vec(kRotation[0], kRotation[1], kRotation[2]);
  for (int i = 0; i < n; ++i) {
    const std::string k = std::to_string(i);
    const Place p = CubePlace(i, n);
    s += "STransform:s" + k + " . { .Translation " + Vec(p.x, p.y, -p.back) + "; .Rotation " + rotation + "; };\n";
    s += "TTransform:t" + k + " . { .SNode STransform:s" + k + "; .Parent TTransform:root; };\n";
    s += "TPolygonGeometry:g" + k + " . { .SNode SPolygonGeometry:cubeMesh; .Shader RenderShader:redShader; " +
         ".Parent TTransform:t" + k + "; };\n";
  }
  s += "RenderChannel:Channel0 . { .SceneRoot TTransform:root; .Camera TCamera:camera; };\n";
  return s;
}

// One of our configurations: its script engine (which holds the scene), pipe, window and traversal.
struct Ours {
  Obj<ScriptEngine> engine;
  RenderPipe_I* pipe = nullptr;
  Ptr<RenderSystemTraverse_I> traverse;
  double time = 0;
  std::string fault;  // empty: the set-up drew what it should

  void Frame() {
    traverse->Draw(time, kStep, 0);
    traverse->Present(0);
    time += kStep;
  }
};

// The registry word the engine reads for the buffer-object extension when it starts.
void SetBufferObjects(bool on) {
  RegistryKey key;
  if (key.CreateKey((std::string(kRegistryEngineKey) + "\\OpenGL").c_str()))
    key.SetValueDataString("GL_ARB_vertex_buffer_object", on ? "default" : "disable");
}

std::unique_ptr<Ours> BuildOurs(int n, bool bufferObjects) {
  auto o = std::make_unique<Ours>();
  o->engine = Obj<ScriptEngine>(static_cast<ScriptEngine*>(ScriptEngine::Create()));
  const std::string text = SceneScript(n);
  int errors = 0;
  Parser::ParseText(o->engine, String(text.data(), int(text.size())), String("cubes.bs"), kParseQuiet, &errors);
  ScriptObject* pipe = o->engine->GetNamespace()->FindObject(String("Pipe"));
  if (errors || !pipe || !pipe->IsA(RenderPipe_I::kClassId)) {
    o->fault = "the scene script did not build";
    return o;
  }
  o->pipe = static_cast<RenderPipe_I*>(pipe);
  SetBufferObjects(bufferObjects);
  o->pipe->ApplyFormat();
  auto* gl = static_cast<RenderEngineOpenGL_D*>(o->pipe->GetRenderEngine());
  if (!gl) {
    o->fault = "no OpenGL engine";
    return o;
  }
  if ((gl->Extensions().flags[kGL_ARB_vertex_buffer_object] != 0) != bufferObjects) {
    o->fault = "the engine did not take the registry's buffer-object word";
    return o;
  }
  o->traverse = RenderSystemTraverse_I::Create();
  o->traverse->SetRenderPipe(pipe);
  o->traverse->SetChannel(0, o->engine->GetNamespace()->FindObject(String("Channel0")));
  // Warm-up frames, then one read back before its swap: the cubes must cover the frame and all of them
  // be drawn.
  for (int i = 0; i < kWarmUpFrames; ++i) o->Frame();
  o->traverse->Draw(o->time, kStep, 0);
  Array<uint8_t> rgb;
  o->pipe->ReadColorBuffer(&rgb);
  o->traverse->Present(0);
  Ptr<RenderStatistics_I> stats(o->pipe->GetStatistics());
  if (rgb.Count() != 3 * kSide * kSide || CoveredShare(rgb.Data()) < kMinCovered)
    o->fault = "the frame shows too little besides the clear colour";
  else if (!stats || stats->GetPrimitiveCount() != kTriangles * n)
    o->fault = "not every cube was drawn: " + std::to_string(stats ? stats->GetPrimitiveCount() : -1) + " triangles";
  return o;
}

std::map<std::pair<int, bool>, std::unique_ptr<Ours>>& OurScenes() {
  static std::map<std::pair<int, bool>, std::unique_ptr<Ours>> scenes;
  return scenes;
}

// Scenes are built once per configuration and kept for every repetition.
Ours& OurScene(int n, bool bufferObjects) {
  std::unique_ptr<Ours>& o = OurScenes()[{n, bufferObjects}];
  if (!o) o = BuildOurs(n, bufferObjects);
  return *o;
}

void RunOurs(benchmark::State& state, bool bufferObjects) {
  if (!HaveDisplay(state)) return;
  Ours& o = OurScene(int(state.range(0)), bufferObjects);
  if (!o.fault.empty()) return state.SkipWithError(o.fault.c_str());
  o.pipe->MakeCurrent();
  TimeFrames(state, [&] { o.Frame(); });
}

void BM_OursBufferObjects(benchmark::State& state) { RunOurs(state, true); }
void BM_OursClientArrays(benchmark::State& state) { RunOurs(state, false); }

// ---- Irrlicht -------------------------------------------------------------------------------------

std::unique_ptr<Bench::IrrlichtCubes>& IrrlichtSide() {
  static std::unique_ptr<Bench::IrrlichtCubes> side;
  return side;
}

void BM_Irrlicht(benchmark::State& state) {
  if (!HaveDisplay(state)) return;
  static std::string fault;
  static std::map<int, bool> checked;
  std::unique_ptr<Bench::IrrlichtCubes>& side = IrrlichtSide();
  if (!side && fault.empty()) side = Bench::IrrlichtCubes::Open(&fault);
  if (!side) return state.SkipWithError(fault.c_str());
  const int n = int(state.range(0));
  side->MakeCurrent();
  side->Select(n);
  if (!checked[n]) {
    // Warm-up frames, then one read back before its swap, checked as ours is.
    for (int i = 0; i < kWarmUpFrames; ++i) side->Frame();
    std::vector<uint8_t> rgb;
    side->Frame(&rgb);
    if (CoveredShare(rgb.data()) < kMinCovered)
      fault = "Irrlicht's frame shows too little besides the clear colour";
    else if (side->LastPrimitiveCount() != uint32_t(kTriangles * n))
      fault = "Irrlicht did not draw every cube: " + std::to_string(side->LastPrimitiveCount()) + " triangles";
    checked[n] = fault.empty();
  }
  if (!checked[n]) return state.SkipWithError(fault.c_str());
  TimeFrames(state, [&] { side->Frame(); });
}

void Sizes(benchmark::internal::Benchmark* b) {
  b->Arg(1000)->Arg(10000)->Unit(benchmark::kMillisecond)->UseRealTime();
}
BENCHMARK(BM_OursBufferObjects)->Apply(Sizes);
BENCHMARK(BM_OursClientArrays)->Apply(Sizes);
BENCHMARK(BM_Irrlicht)->Apply(Sizes);

}  // namespace

// The library starts before the first benchmark and stops after the scenes are gone. The registry the
// engine reads is a file of this run's own, so a user's settings neither steer nor see it.
int main(int argc, char** argv) {
  char registry[] = "/tmp/pm-bench-registry-XXXXXX";
  const int fd = mkstemp(registry);
  if (fd >= 0) close(fd);
  setenv("PM_REGISTRY_FILE", registry, 1);
  PM::g_LogLevel = PM::kLevelInfo;  // warnings and errors only
  PM::DLLInitialize(0);
  benchmark::Initialize(&argc, argv);
  if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  OurScenes().clear();
  IrrlichtSide().reset();
  PM::DLLDeInitialize(0);
  unlink(registry);
  return 0;
}
