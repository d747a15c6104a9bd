// Drawing 1,000 widgets per frame through the OpenGL engine in a 1024 x 768 window (run under Xvfb):
// one-atom and nine-atom ElementWidgets laid out and drawn by their window, against the same quads sent
// to DrawQuadClipped in a plain loop, and against Dear ImGui drawing as many ImGui::Image quads with its
// OpenGL 2 renderer. Then the sample dialog of examples/ui (a widget of each kind that draws) against an
// ImGui window with the same widgets. Each iteration is one frame (clear, draw, present); real time gives
// the frame rate, CPU time the drawing thread's.
#include <benchmark/benchmark.h>

#include <cstdlib>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "core/StartUp.h"
#include "engine/RenderEngine.h"
#include "render/RenderPipe.h"
#include "render/RenderShader.h"
#include "render/RenderSystemTraverse.h"
#include "script/lang/Parser.h"
#include "script/object/ScriptEngine.h"
#include "support/ElementWidget.h"
#include "ui/UIElement.h"
#include "ui/Widget.h"
#include "ui/WidgetDrawContext.h"
#include "ui/Window.h"

#include <backends/imgui_impl_opengl2.h>
#include <imgui.h>

namespace PM {
namespace {

constexpr int kWidgets = 1000;
constexpr int kColumns = 40;
constexpr float kSize = 20, kStepX = 25, kStepY = 30;

constexpr const char* kScene =
    "RenderPipe:Pipe . { .Resolution (1024, 768); .ColorBits 24; .DepthBits 24; .SwapInterval 0; };\n"
    "TTransform:root . { };\n"
    "SCamera:lens . { .FieldOfView 45.0; };\n"
    "TCamera:camera . { .SNode SCamera:lens; .Parent TTransform:root; };\n"
    "TWindow:ui . { .VirtualResolution (1024, 768, 0); .Parent TTransform:root; };\n"
    "ShaderPhong:plain . { };\n"
    "RenderShader:flat . { .Surface ShaderPhong:plain; .LightEnable False; };\n"
    "RenderChannel:Channel0 . { .SceneRoot TTransform:root; .Camera TCamera:camera; };\n";

// The library with a pipe, its channel and a window, made once for all benchmarks.
struct World {
  Obj<ScriptEngine> engine;
  RenderPipe_I* pipe = nullptr;
  TWindow_I* window = nullptr;
  RenderShader_I* shader = nullptr;
  Ptr<RenderSystemTraverse_I> traverse;
  double time = 0;

  ScriptObject* Find(const char* name) { return engine->GetNamespace()->FindObject(String(name)); }
  void Draw() {
    traverse->Draw(time, 1.0 / 60, 0);
    time += 1.0 / 60;
  }
  void Frame() {
    Draw();
    traverse->Present(0);
  }
};

// Made on first use; released at exit, the pipe and its window before the library shuts down.
World* GetWorld() {
  static World* world = []() -> World* {
    if (!std::getenv("DISPLAY") || DLLInitialize(1) != 0) return nullptr;
    auto* w = new World;
    w->engine = static_cast<ScriptEngine*>(ScriptEngine::Create());
    Parser::ParseText(w->engine, String(kScene), String("ui_draw.bs"), 0);
    w->pipe = static_cast<RenderPipe_I*>(w->Find("Pipe"));
    w->window = static_cast<TWindow_I*>(w->Find("ui"));
    w->shader = static_cast<RenderShader_I*>(w->Find("flat"));
    if (w->pipe->ApplyFormat() != 0 || !w->pipe->GetRenderEngine()) return nullptr;
    w->traverse = RenderSystemTraverse_I::Create();
    w->traverse->SetRenderPipe(w->pipe);
    w->traverse->SetChannel(0, w->Find("Channel0"));
    std::atexit([] {
      delete GetWorld();
      DLLDeInitialize(0);
    });
    return w;
  }();
  return world;
}

// A Dear ImGui context with its OpenGL 2 renderer for one benchmark, over the 1024 x 768 window.
struct ImGuiSession {
  ImGuiSession() {
    ImGui::CreateContext();
    ImGuiIO& io = ImGui::GetIO();
    io.DisplaySize = ImVec2(1024, 768);
    io.IniFilename = nullptr;
    ImGui_ImplOpenGL2_Init();
  }
  ~ImGuiSession() {
    ImGui_ImplOpenGL2_Shutdown();
    ImGui::DestroyContext();
  }
  void NewFrame() {
    ImGui::GetIO().DeltaTime = 1.0f / 60;
    ImGui_ImplOpenGL2_NewFrame();
    ImGui::NewFrame();
  }
  void Render() {
    ImGui::Render();
    ImGui_ImplOpenGL2_RenderDrawData(ImGui::GetDrawData());
  }
};

// An element of `atoms` atoms: one covering the widget, or a 3 x 3 grid of cells.
Obj<UIElement_I> MakeElement(World& w, int atoms) {
  Obj<UIElement_I> e(static_cast<UIElement_I*>(UIElement_I::Create()));
  e->m_shaderArray.Append(Obj<RenderShader_I>(w.shader));
  const int side = atoms == 1 ? 1 : 3;
  const int cell = int(kSize) / side;
  for (int k = 0; k < side * side; ++k) {
    UIAtomStructure a{};
    a.texRight = a.texEdgeB = 512;
    a.offsetX0 = (k % side) * cell;
    a.offsetX1 = a.offsetX0 + cell;
    a.offsetY0 = (k / side) * cell;
    a.offsetY1 = a.offsetY0 + cell;
    e->m_atoms.Append(a);
  }
  return e;
}

// The window-sized root the widgets hang under.
Obj<Widget_I> MakeRoot(Widget_I* root) {
  root->m_layout.resizeModeX = root->m_layout.resizeModeY = kResizePercent;
  root->m_layout.dimension = {1, 1, 0};
  return Obj<Widget_I>(root);
}

void Report(benchmark::State& state, int atoms) {
  state.counters["fps"] = benchmark::Counter(double(state.iterations()), benchmark::Counter::kIsRate);
  state.SetItemsProcessed(state.iterations() * kWidgets * atoms);
}

void BM_ElementWidgets(benchmark::State& state) {
  World* w = GetWorld();
  if (!w) return state.SkipWithError("needs an X display with OpenGL (run under xvfb-run -a)");
  const int atoms = int(state.range(0));
  Obj<UIElement_I> element = MakeElement(*w, atoms);
  Obj<Widget_I> root = MakeRoot(Test::ElementWidget::Create());
  for (int i = 0; i < kWidgets; ++i) {
    Test::ElementWidget* e = Test::ElementWidget::Create();
    e->m_element = element.Get();
    e->m_layout.alignmentModeX = e->m_layout.alignmentModeY = kAlignMin;
    e->m_layout.position = {10 + kStepX * float(i % kColumns), 10 + kStepY * float(i / kColumns), 0};
    e->m_layout.dimension = {kSize, kSize, 0};
    root->SetChild(i, e);
  }
  w->window->m_rootWidget = root;
  for (auto _ : state) w->Frame();
  w->window->m_rootWidget.Clear();
  Report(state, atoms);
}
BENCHMARK(BM_ElementWidgets)->Arg(1)->Arg(9)->UseRealTime();

// The same quads from one widget's drawing: no tree, no layout, one matrix and clip for all.
class QuadLoop final : public Widget_I {
 public:
  static QuadLoop* Create() {
    static const TypeRecord record("QuadLoop", sizeof(QuadLoop), DestroyScriptObject<QuadLoop>);
    return NewScriptObject<QuadLoop>(record, Widget_I::kClassId);
  }
  void DrawSelf(WidgetDrawContext* context, RenderEngine* engine) override {
    engine->SetClipRect(m_layout.clipRect, false);
    engine->SetModelViewMatrix(&m_layout.world);
    engine->UpdateClipRect();
    engine->SetShaderBase(shader, true);
    static const float uv[8] = {0, 1, 1, 1, 0, 0, 1, 0};
    for (const float* r = rects.data(); r != rects.data() + rects.size(); r += 4)
      engine->DrawQuadClipped(r[0], r[1], r[2], r[3], uv, &context->color);
  }
  std::vector<float> rects;  // left, right, bottom, top
  ScriptObject* shader = nullptr;
};

void BM_PlainQuadLoop(benchmark::State& state) {
  World* w = GetWorld();
  if (!w) return state.SkipWithError("needs an X display with OpenGL (run under xvfb-run -a)");
  const int atoms = int(state.range(0)), side = atoms == 1 ? 1 : 3;
  const float cell = float(int(kSize) / side);
  QuadLoop* loop = QuadLoop::Create();
  Obj<Widget_I> root = MakeRoot(loop);
  loop->shader = w->shader;
  for (int i = 0; i < kWidgets; ++i)
    for (int k = 0; k < atoms; ++k) {
      const float x = 10 + kStepX * float(i % kColumns) + float(k % side) * cell;
      const float y = 10 + kStepY * float(i / kColumns) + float(k / side) * cell;
      loop->rects.insert(loop->rects.end(), {x, x + cell, y, y + cell});
    }
  w->window->m_rootWidget = root;
  for (auto _ : state) w->Frame();
  w->window->m_rootWidget.Clear();
  Report(state, atoms);
}
BENCHMARK(BM_PlainQuadLoop)->Arg(1)->Arg(9)->UseRealTime();

// Dear ImGui in the same context and frame: the window draws nothing, ImGui draws the images after it.
void BM_ImGuiImages(benchmark::State& state) {
  World* w = GetWorld();
  if (!w) return state.SkipWithError("needs an X display with OpenGL (run under xvfb-run -a)");
  const int atoms = int(state.range(0)), side = atoms == 1 ? 1 : 3;
  const float cell = float(int(kSize) / side);
  ImGuiSession session;
  ImGuiIO& io = ImGui::GetIO();
  const ImGuiWindowFlags flags = ImGuiWindowFlags_NoDecoration | ImGuiWindowFlags_NoBackground |
                                 ImGuiWindowFlags_NoSavedSettings | ImGuiWindowFlags_NoInputs;
  for (auto _ : state) {
    w->Draw();
    session.NewFrame();
    ImGui::SetNextWindowPos(ImVec2(0, 0));
    ImGui::SetNextWindowSize(ImVec2(1024, 768));
    ImGui::Begin("quads", nullptr, flags);
    for (int i = 0; i < kWidgets; ++i)
      for (int k = 0; k < atoms; ++k) {
        ImGui::SetCursorPos(ImVec2(10 + kStepX * float(i % kColumns) + float(k % side) * cell,
                                   768 - (10 + kStepY * float(i / kColumns) + float(k / side + 1) * cell)));
        ImGui::Image(io.Fonts->TexID, ImVec2(cell, cell), ImVec2(0, 0), ImVec2(0.01f, 0.01f));
      }
    ImGui::End();
    session.Render();
    w->traverse->Present(0);
  }
  Report(state, atoms);
}
BENCHMARK(BM_ImGuiImages)->Arg(1)->Arg(9)->UseRealTime();

std::string ReadFile(const std::string& path) {
  std::ifstream in(path);
  std::stringstream s;
  s << in.rdbuf();
  return s.str();
}

// The sample dialog parsed into the world's window: the sample style, then every_widget.bs.
void BM_SampleDialog(benchmark::State& state) {
  World* w = GetWorld();
  if (!w) return state.SkipWithError("needs an X display with OpenGL (run under xvfb-run -a)");
  const std::string dir = PM_EXAMPLES_DIR "/ui";
  const std::string text = "FileObject:skinFile . { .FileName 'absolute://" + dir + "/skin'; };\n" +
                           ReadFile(dir + "/style.bs") + ReadFile(dir + "/every_widget.bs");
  Parser::ParseText(w->engine, String(text.c_str()), String("every_widget.bs"), 0);
  for (auto _ : state) w->Frame();
  w->window->m_rootWidget.Clear();
  state.counters["fps"] = benchmark::Counter(double(state.iterations()), benchmark::Counter::kIsRate);
}
BENCHMARK(BM_SampleDialog)->UseRealTime();

// Dear ImGui's window with the same widgets: menu bar, check box, slider, combo, progress bar, tab bar,
// InputInt, image and labels, drawn over the world's (empty) frame.
void BM_ImGuiSampleDialog(benchmark::State& state) {
  World* w = GetWorld();
  if (!w) return state.SkipWithError("needs an X display with OpenGL (run under xvfb-run -a)");
  ImGuiSession session;
  bool sound = true;
  float volume = 0.5f;
  int choice = 1, value = 5;
  const char* items[] = {"Low", "Mid", "High"};
  for (auto _ : state) {
    w->Draw();
    session.NewFrame();
    ImGui::SetNextWindowPos(ImVec2(4, 4));
    ImGui::SetNextWindowSize(ImVec2(312, 232));
    ImGui::Begin("Every widget", nullptr, ImGuiWindowFlags_MenuBar | ImGuiWindowFlags_NoSavedSettings);
    if (ImGui::BeginMenuBar()) {
      if (ImGui::BeginMenu("File")) ImGui::EndMenu();
      ImGui::EndMenuBar();
    }
    ImGui::Checkbox("Sound", &sound);
    ImGui::SliderFloat("Volume", &volume, 0, 1);
    ImGui::Combo("Level", &choice, items, 3);
    ImGui::ProgressBar(0.6f, ImVec2(120, 0), "Loading");
    if (ImGui::BeginTabBar("tabs")) {
      for (const char* tab : {"One", "Two", "Six"})
        if (ImGui::BeginTabItem(tab)) {
          ImGui::Text("Second page");
          ImGui::EndTabItem();
        }
      ImGui::EndTabBar();
    }
    ImGui::InputInt("Count", &value);
    ImGui::Image(ImGui::GetIO().Fonts->TexID, ImVec2(24, 24));
    ImGui::Text("Text: two lines of markup.");
    ImGui::Button("OK");
    ImGui::End();
    session.Render();
    w->traverse->Present(0);
  }
  state.counters["fps"] = benchmark::Counter(double(state.iterations()), benchmark::Counter::kIsRate);
}
BENCHMARK(BM_ImGuiSampleDialog)->UseRealTime();

}  // namespace
}  // namespace PM
