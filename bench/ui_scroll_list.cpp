// A long list in a scroll frame, one frame per iteration: minimum sizes, layout, drawing into an engine
// that keeps nothing, and the window's input pass with one wheel step. 1,000 and 10,000 list items,
// labelled in DejaVu Sans.
// The peer is Dear ImGui doing the same frame in the same process: as many Selectable items in a child
// window, NewFrame to Render, no clipper, the wheel turned each frame.
#include <benchmark/benchmark.h>

#include <string>
#include <vector>

#include "BenchWorld.h"
#include "render/FontTexture2D.h"
#include "render/RenderShader.h"
#include "render/ShaderPhong.h"
#include "render/ShaderTexture.h"
#include "support/RecordingRenderEngine.h"
#include "ui/FontStyle.h"
#include "ui/UIElement.h"
#include "ui/WListItem.h"
#include "ui/WScrollFrame.h"
#include "ui/WidgetDrawContext.h"
#include "ui/WidgetInput.h"
#include "ui/WidgetStyle.h"
#include "ui/Window.h"

#include <imgui.h>

namespace PM {
namespace {

constexpr float kRow = 22.0f;

template <class T>
T* Make() {
  return static_cast<T*>(T::Create());
}

// DejaVu Sans at 16 units, its glyphs rasterised once into a font texture (no render system needed).
Obj<FontStyle_I> MakeFont() {
  Obj<FontTexture2D_I> font(Make<FontTexture2D_I>());
  font->m_fontName = "DejaVu Sans";
  font->CreateFontImage();
  Obj<ShaderTexture_I> texture(Make<ShaderTexture_I>());
  texture->m_texture = font.Get();
  Obj<ShaderPhong_I> phong(Make<ShaderPhong_I>());
  phong->m_color = texture.Get();
  Obj<RenderShader_I> shader(Make<RenderShader_I>());
  shader->m_surface = phong.Get();
  Obj<FontStyle_I> style(Make<FontStyle_I>());
  style->m_fontShader = shader.Get();
  style->m_fontSize = {16, 16};
  return style;
}

// A style whose scroll and list item elements have one atom each, and a font for the item labels.
Obj<WidgetStyle_I> MakeStyle() {
  Obj<WidgetStyle_I> style(static_cast<WidgetStyle_I*>(WidgetStyle_I::Create()));
  style->m_fontStyle = MakeFont();
  for (Obj<UIElement_I>* slot : {&style->m_elementScroll, &style->m_elementListItem}) {
    Obj<UIElement_I> e(static_cast<UIElement_I*>(UIElement_I::Create()));
    UIAtomStructure a{};
    a.texRight = a.texEdgeB = 64;
    a.anchorX1 = a.anchorY1 = 1;
    e->m_atoms.Append(a);
    e->m_arrowDim = e->m_barDim = {16, 16, 0};
    *slot = e;
  }
  return style;
}

struct ScrollList {
  Obj<WidgetStyle_I> style = MakeStyle();
  Obj<WScrollFrame_I> frame;
  Obj<TWindow_I> window;
  WidgetLayout screen;
  Test::RecordingRenderEngine engine;

  explicit ScrollList(int items) {
    engine.copyArrays = false;
    frame = static_cast<WScrollFrame_I*>(WScrollFrame_I::Create());
    frame->m_style = style;
    frame->m_layout.dimension = {300, 400, 0};
    Obj<Widget_I> content(static_cast<Widget_I*>(WFrame_I::Create()));
    content->m_layout.dimension = {280, kRow * float(items), 0};
    content->SetParent(frame.Get());
    for (int i = 0; i < items; ++i) {
      auto* item = static_cast<WListItem_I*>(WListItem_I::Create());
      item->m_style = style;
      item->m_layout.alignmentModeY = kAlignMin;
      item->m_layout.position = {0, kRow * float(i), 0};
      item->m_layout.dimension = {1.0f, kRow, 0};
      item->SetLabel(String(("Item " + std::to_string(i)).c_str()));
      item->SetParent(content.Get());
    }
    screen.computedSize = {1024, 768, 0};
    // As a window's own record: unclipped, its rectangle one unit beyond the screen.
    screen.clipRect[0] = screen.clipRect[2] = -1;
    screen.clipRect[1] = 1025;
    screen.clipRect[3] = 769;
    screen.PlaceIn(kIdentityMatrix4f);
    window = static_cast<TWindow_I*>(TWindow_I::Create());
    window->m_rootWidget = frame.Get();
    window->m_drawn.Append(WeakObj<Widget_I>(frame.Get()));
  }
  ~ScrollList() {
    window->m_rootWidget.Clear();
    window->m_input = WidgetInput();
  }
  void Frame() {
    frame->CalcDimMin();
    frame->UpdateLayoutTree(&screen, 0);
    WidgetDrawContext context;
    frame->Draw(&context, &engine);
    // The records are dropped each frame (their room kept), as a real engine keeps no history.
    engine.draws.clear();
    engine.calls.clear();
    engine.quads.clear();
    WidgetInput r;
    r.hoverPending = 1;
    r.window = window.Get();
    r.rayOrigin = {512, 384, 1};
    r.rayDirection = {0, 0, -1};
    r.character = 0;
    r.wheel = -1.0f;
    window->DispatchInput(&r);
  }
};

void BM_ScrollFrameList(benchmark::State& state) {
  Bench::InitOnce();
  ScrollList list(int(state.range(0)));
  for (auto _ : state) list.Frame();
  state.SetItemsProcessed(state.iterations() * state.range(0));
}
BENCHMARK(BM_ScrollFrameList)->Arg(1000)->Arg(10000)->Arg(100000);

void BM_ImGuiSelectableList(benchmark::State& state) {
  ImGui::CreateContext();
  ImGuiIO& io = ImGui::GetIO();
  io.DisplaySize = {1024, 768};
  io.IniFilename = nullptr;
  unsigned char* pixels;
  int w, h;
  io.Fonts->GetTexDataAsRGBA32(&pixels, &w, &h);
  const int items = int(state.range(0));
  std::vector<std::string> labels;
  for (int i = 0; i < items; ++i) labels.push_back("Item " + std::to_string(i));
  for (auto _ : state) {
    io.DeltaTime = 1.0f / 60;
    io.MousePos = {160, 200};
    io.MouseWheel = -1.0f;
    ImGui::NewFrame();
    ImGui::SetNextWindowPos({0, 0});
    ImGui::SetNextWindowSize({320, 420});
    ImGui::Begin("list");
    ImGui::BeginChild("rows", {300, 400});
    for (int i = 0; i < items; ++i) ImGui::Selectable(labels[i].c_str());
    ImGui::EndChild();
    ImGui::End();
    ImGui::Render();
    benchmark::DoNotOptimize(ImGui::GetDrawData());
  }
  ImGui::DestroyContext();
  state.SetItemsProcessed(state.iterations() * items);
}
BENCHMARK(BM_ImGuiSelectableList)->Arg(1000)->Arg(10000)->Arg(100000);

}  // namespace
}  // namespace PM
