// The window's input pass over a laid-out tree of 10,000 widgets (fan-out 10): the pointer moves every
// frame and clicks every tenth frame. The peer is a plain C++ walk over the same tree shape doing the same
// hit tests (the ray through each widget's inverse world matrix onto its plane, topmost child first,
// until one takes the hover) and the same button bookkeeping; no packaged library dispatches input over
// a retained 3D widget tree.
#include <benchmark/benchmark.h>

#include <cmath>
#include <vector>

#include "BenchWorld.h"
#include "ui/WFrame.h"
#include "ui/Widget.h"
#include "ui/WidgetInput.h"
#include "ui/Window.h"

namespace PM {
namespace {

constexpr int kFanOut = 10;
constexpr int kCount = 10000;

// Widget i: a grid of small frames inside each parent, so that the pointer hits something at most frames.
void Describe(int i, WidgetLayout& l) {
  l.alignmentModeX = l.alignmentModeY = kAlignMin;
  l.dimension = i == 0 ? Vector3f{2048, 1536, 0} : Vector3f{float(200 >> (i % 3)), float(150 >> (i % 3)), 0};
  l.position = {float((i % kFanOut) * 19), float((i % 7) * 13), 0};
}

// The pointer of frame f: a slow sweep across the lower-left part of the screen.
Vector3f Pointer(int64_t f) { return {-1024.0f + float(f % 600), -768.0f + float((f * 7) % 400), 1.0f}; }

// ---- the peer -------------------------------------------------------------------------------------------

struct PlainWidget {
  float inverse[16];
  float size[2];
  int flags = 0;
  std::vector<PlainWidget*> children;
};

struct PlainInput {
  Vector3f origin, direction;
  bool pending = true;
  PlainWidget* hover = nullptr;
  bool flags[12] = {};
  uint32_t buttons = 0, previous = 0;
};

bool PlainHit(const PlainWidget& w, const PlainInput& r) {
  const float* m = w.inverse;
  const Vector3f& o = r.origin;
  const Vector3f& d = r.direction;
  const float ox = o.x * m[0] + o.y * m[4] + o.z * m[8] + m[12], oy = o.x * m[1] + o.y * m[5] + o.z * m[9] + m[13];
  const float oz = o.x * m[2] + o.y * m[6] + o.z * m[10] + m[14];
  const float dx = d.x * m[0] + d.y * m[4] + d.z * m[8], dy = d.x * m[1] + d.y * m[5] + d.z * m[9];
  const float dz = d.x * m[2] + d.y * m[6] + d.z * m[10];
  const float t = oz / dz;
  const float x = ox - dx * t, y = oy - dy * t;
  return x >= 0 && x < w.size[0] && y >= 0 && y < w.size[1];
}

void PlainProcess(PlainWidget& w, PlainInput& r) {
  const bool pending = r.pending;
  for (size_t i = w.children.size(); i-- > 0;) PlainProcess(*w.children[i], r);
  int f = r.pending != pending ? 4 : 0;
  if (r.pending && PlainHit(w, r)) {
    f |= 1;
    r.pending = false;
    r.hover = &w;
  }
  w.flags = f;
}

void PlainDispatch(PlainWidget& root, PlainInput& r) {
  const uint32_t cur = r.buttons & 7, prev = r.previous & 7;
  for (int i = 0; i < 3; ++i) {
    const uint32_t b = 1u << i;
    r.flags[4 * i] = cur == b && prev == 0;
    r.flags[4 * i + 1] = (r.buttons & b) != 0;
    r.flags[4 * i + 2] = cur != b && prev == b;
  }
  r.previous = r.buttons;
  r.pending = true;
  r.hover = nullptr;
  PlainProcess(root, r);
}

// ---- the benchmarks -------------------------------------------------------------------------------------

struct Tree {
  std::vector<Obj<Widget_I>> widgets;
  Obj<TWindow_I> window;
  Tree() {
    Bench::InitOnce();
    widgets.reserve(kCount);
    for (int i = 0; i < kCount; ++i) {
      widgets.emplace_back(static_cast<Widget_I*>(WFrame_I::Create()));
      Describe(i, widgets.back()->m_layout);
      if (i > 0) widgets[(i - 1) / kFanOut]->SetChild(widgets[(i - 1) / kFanOut]->ChildCount(), widgets[i]);
    }
    WidgetLayout screen;
    screen.computedPosition = {-1024, -768, 0};
    screen.computedSize = {2048, 1536, 0};
    screen.PlaceIn(kIdentityMatrix4f);
    widgets[0]->CalcDimMin();
    widgets[0]->UpdateLayoutTree(&screen, 0);
    window = static_cast<TWindow_I*>(TWindow_I::Create());
    window->m_rootWidget = widgets[0];
    window->m_drawn.Append(WeakObj<Widget_I>(widgets[0].Get()));
  }
  ~Tree() {
    window->m_rootWidget.Clear();
    window->m_input = WidgetInput();
    for (Obj<Widget_I>& w : widgets) w->SetParent(nullptr);
  }
};

void BM_WidgetDispatchInput(benchmark::State& state) {
  Tree tree;
  int64_t frame = 0, hits = 0;
  WidgetInput r;
  for (auto _ : state) {
    r = WidgetInput();
    r.hoverPending = 1;
    r.window = tree.window.Get();
    r.rayOrigin = Pointer(frame);
    r.rayDirection = {0, 0, -1};
    r.buttons = frame % 10 == 0 ? 1 : 0;
    tree.window->DispatchInput(&r);
    hits += r.hoverWidget.IsNil() ? 0 : 1;
    ++frame;
  }
  state.counters["hit_frames"] = double(hits) / double(frame);
  state.SetItemsProcessed(state.iterations() * kCount);
}
BENCHMARK(BM_WidgetDispatchInput);

void BM_PlainInputWalk(benchmark::State& state) {
  Tree tree;
  std::vector<PlainWidget> plain(kCount);
  for (int i = 0; i < kCount; ++i) {
    WidgetLayout& l = tree.widgets[i]->m_layout;
    l.UpdateInverse();
    std::copy(l.inverseWorld.m, l.inverseWorld.m + 16, plain[i].inverse);
    plain[i].size[0] = l.computedSize.x;
    plain[i].size[1] = l.computedSize.y;
    if (i > 0) plain[(i - 1) / kFanOut].children.push_back(&plain[i]);
  }
  int64_t frame = 0, hits = 0;
  PlainInput r;
  for (auto _ : state) {
    r.origin = Pointer(frame);
    r.direction = {0, 0, -1};
    r.buttons = frame % 10 == 0 ? 1 : 0;
    PlainDispatch(plain[0], r);
    hits += r.hover ? 1 : 0;
    ++frame;
  }
  state.counters["hit_frames"] = double(hits) / double(frame);
  state.SetItemsProcessed(state.iterations() * kCount);
}
BENCHMARK(BM_PlainInputWalk);

}  // namespace
}  // namespace PM
