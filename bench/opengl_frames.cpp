// Whole frames of 1,000 and 10,000 lit, fogged cubes that share one geometry, in a 256 x 256 window:
// our traversal, pipe and OpenGL engine (buffer objects, and client arrays with GL_ARB_vertex_buffer_object
// switched off in the registry) beside Irrlicht 1.8's OpenGL driver drawing the same cubes as mesh scene
// nodes (a 24-corner mesh, which Irrlicht keeps in client arrays: it makes buffer objects only for larger
// ones), in the same process. Every run of a benchmark owns what it draws with: it opens its window,
// context and scene, draws warm-up frames and reads one back (it must show the cubes), waits for OpenGL,
// times its frames (the last one waited for too) and closes all of it again, so that no run inherits a
// window, a context, rasteriser threads, GL objects or queued frames from the one before and the order of
// the runs does not matter. Reported per configuration: frames per second (wall clock), the drawing
// thread's CPU time per frame and the whole process's (which adds the rasteriser's threads). Needs an X
// display (run under xvfb-run).
#include <benchmark/benchmark.h>
#include <malloc.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <ctime>
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
#include "render/opengl/OpenGLAPI.h"
#include "render/opengl/RenderEngineOpenGL.h"
#include "script/lang/Parser.h"
#include "script/object/ScriptEngine.h"

// Last: Xlib's macros (None, Bool, Status) would otherwise reach the headers above.
#include <X11/Xlib.h>

namespace {

using namespace PM;
using namespace PM::Bench::CubeField;

constexpr double kStep = 1.0 / 60;
// Frames drawn before the check and the timing: the rasteriser compiles its state variants on first use.
constexpr int kWarmUpFrames = 3;

// The timed loop both sides share: frames per second by the wall clock, CPU time per frame of this
// thread and of the whole process. OpenGL is idle when it starts, and the last frame is waited for
// before it ends, so a run counts all the work of its own frames and none of another's.
template <class Frame, class Finish>
void TimeFrames(benchmark::State& state, Frame&& frame, Finish&& finish) {
  auto cpu = [](clockid_t id) {
    timespec t{};
    clock_gettime(id, &t);
    return double(t.tv_sec) + double(t.tv_nsec) * 1e-9;
  };
  finish();
  const double thread0 = cpu(CLOCK_THREAD_CPUTIME_ID), process0 = cpu(CLOCK_PROCESS_CPUTIME_ID);
  const auto wall0 = std::chrono::steady_clock::now();
  benchmark::IterationCount left = state.max_iterations;
  for (auto _ : state) {
    frame();
    if (--left == 0) finish();
  }
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

// One of our configurations: its script engine (which holds the scene, the pipe with its window and
// context) and traversal. Destroyed, it closes them all.
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
  void Finish() { OpenGLAPI::Instance().glFinish(); }
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
  SetBufferObjects(bufferObjects);
  static_cast<RenderPipe_I*>(pipe)->ApplyFormat();
  auto* gl = static_cast<RenderEngineOpenGL_D*>(static_cast<RenderPipe_I*>(pipe)->GetRenderEngine());
  if (!gl) {
    o->fault = "no OpenGL engine";
    return o;
  }
  o->pipe = static_cast<RenderPipe_I*>(pipe);
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

void RunOurs(benchmark::State& state, bool bufferObjects) {
  if (!HaveDisplay(state)) return;
  std::unique_ptr<Ours> o = BuildOurs(int(state.range(0)), bufferObjects);
  if (!o->fault.empty()) return state.SkipWithError(o->fault.c_str());
  o->pipe->MakeCurrent();
  TimeFrames(
      state, [&] { o->Frame(); }, [&] { o->Finish(); });
}

void BM_OursBufferObjects(benchmark::State& state) { RunOurs(state, true); }
void BM_OursClientArrays(benchmark::State& state) { RunOurs(state, false); }

// ---- Irrlicht -------------------------------------------------------------------------------------

// Irrlicht's device with the field of n cubes, warmed up and checked as ours is; null, with the reason.
std::unique_ptr<Bench::IrrlichtCubes> OpenIrrlicht(int n, std::string* fault) {
  std::unique_ptr<Bench::IrrlichtCubes> side = Bench::IrrlichtCubes::Open(n, fault);
  if (!side) return nullptr;
  side->MakeCurrent();
  for (int i = 0; i < kWarmUpFrames; ++i) side->Frame();
  std::vector<uint8_t> rgb;
  side->Frame(&rgb);
  if (CoveredShare(rgb.data()) < kMinCovered)
    *fault = "Irrlicht's frame shows too little besides the clear colour";
  else if (side->LastPrimitiveCount() != uint32_t(kTriangles * n))
    *fault = "Irrlicht did not draw every cube: " + std::to_string(side->LastPrimitiveCount()) + " triangles";
  return fault->empty() ? std::move(side) : nullptr;
}

void BM_Irrlicht(benchmark::State& state) {
  if (!HaveDisplay(state)) return;
  std::string fault;
  std::unique_ptr<Bench::IrrlichtCubes> side = OpenIrrlicht(int(state.range(0)), &fault);
  if (!side) return state.SkipWithError(fault.c_str());
  TimeFrames(
      state, [&] { side->Frame(); }, [&] { side->Finish(); });
}

void Sizes(benchmark::internal::Benchmark* b) {
  b->Arg(1000)->Arg(10000)->Unit(benchmark::kMillisecond)->UseRealTime();
}
BENCHMARK(BM_OursBufferObjects)->Apply(Sizes);
BENCHMARK(BM_OursClientArrays)->Apply(Sizes);
BENCHMARK(BM_Irrlicht)->Apply(Sizes);

}  // namespace

// glibc raises its threshold for serving large blocks from fresh mappings (and for giving memory back)
// the first time such a block is freed, after which both sides' per-frame allocations (the driver's
// among them) stop faulting in new pages: whichever run came after one that freed a large block drew up
// to a third faster. Fixed from the start, the allocator behaves alike for every run in any order.
void FixAllocatorThresholds() {
  mallopt(M_MMAP_THRESHOLD, 32 << 20);
  mallopt(M_TRIM_THRESHOLD, 64 << 20);
}

// The library starts before the first benchmark and stops after the last. The registry the
// engine reads is a file of this run's own, so a user's settings neither steer nor see it. An X server
// resets when its last client leaves and refuses connections meanwhile: the run holds a connection of
// its own throughout, so that the windows each run opens and closes never leave the server empty.
int main(int argc, char** argv) {
  FixAllocatorThresholds();
  Display* held = XOpenDisplay(nullptr);
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
  PM::DLLDeInitialize(0);
  unlink(registry);
  if (held) XCloseDisplay(held);
  return 0;
}
