// The two layout passes (minimum sizes, then commit) over 10,000 widgets (and 1,000, which fit the cache) with fan-out
// 10 and mixed resize and alignment modes, against plain C++ structs doing the same math.
#include <benchmark/benchmark.h>

#include <algorithm>
#include <cmath>
#include <vector>

#include "BenchWorld.h"
#include "ui/WFrame.h"
#include "ui/Widget.h"

namespace PM {
namespace {

constexpr int kFanOut = 10;
const uint32_t kResizeModes[] = {kResizeExact, kResizeMin, kResizePercent, kResizeMinPercent, kResizeMax};
const uint32_t kAlignModes[] = {kAlignCenter, kAlignMin, kAlignMax, kAlignBlock};

// The modes and members of widget i.
void Describe(int i, WidgetLayout& l) {
  l.resizeModeX = kResizeModes[i % 5];
  l.resizeModeY = kResizeModes[(i / 5) % 5];
  l.alignmentModeX = kAlignModes[i % 4];
  l.alignmentModeY = kAlignModes[(i / 4) % 4];
  const bool percent = l.resizeModeX == kResizePercent || l.resizeModeX == kResizeMinPercent;
  l.dimension = {percent ? 0.5f : float(10 + i % 7), percent ? 0.25f : float(8 + i % 5), 0};
  l.position = {float(i % 5), float(i % 3) - 1, 0};
}

WidgetLayout WindowRecord() {
  WidgetLayout w;
  w.computedPosition = {-1024, -768, 0};
  w.computedSize = {2048, 1536, 0};
  w.PlaceIn(kIdentityMatrix4f);
  return w;
}

// ---- the peer: the same math over plain structs -----------------------------------------------------

struct PlainNode {
  uint32_t resizeX, resizeY, alignX, alignY;
  float dimension[2], position[2];
  float minimum[2], outer[2], size[2], at[2];
  float world[16];
  std::vector<PlainNode*> children;
};

float PlainMinimum(uint32_t mode, float a, float m) {
  switch (mode) {
    case kResizeExact:
      return std::floor(a);
    case kResizeMin:
      return std::floor(std::max(a, m));
    case kResizeMinPercent:
      return m;
    case kResizeMax:
      return std::floor(std::min(a, m));
    default:
      return 0.0f;
  }
}
float PlainOuter(uint32_t mode, float minimum, float p) {
  if (mode == kAlignMin) return std::max(minimum + std::floor(p), 0.0f);
  if (mode == kAlignMax) return std::max(minimum - std::floor(p), 0.0f);
  return minimum + 2.0f * std::floor(std::fabs(p));
}

void PlainCalcDimMin(PlainNode& n) {
  float m[2] = {0, 0};
  for (PlainNode* c : n.children) {
    PlainCalcDimMin(*c);
    m[0] = std::max(m[0], c->outer[0]);
    m[1] = std::max(m[1], c->outer[1]);
  }
  const uint32_t resize[2] = {n.resizeX, n.resizeY}, align[2] = {n.alignX, n.alignY};
  for (int a = 0; a < 2; ++a) {
    n.minimum[a] = PlainMinimum(resize[a], n.dimension[a], std::max(m[a], n.dimension[a]));
    n.outer[a] = PlainOuter(align[a], n.minimum[a], n.position[a]);
  }
}

void PlainCommit(PlainNode& n, const float* parentSize, const float* parentWorld) {
  const uint32_t resize[2] = {n.resizeX, n.resizeY}, align[2] = {n.alignX, n.alignY};
  for (int a = 0; a < 2; ++a) {
    float s = n.minimum[a];
    if (resize[a] == kResizePercent || resize[a] == kResizeMinPercent)
      s = std::floor(parentSize[a] * n.dimension[a]);
    else if (resize[a] == kResizeMin || resize[a] == kResizeMax)
      s = std::floor(n.minimum[a]);
    n.size[a] = s;
    if (align[a] == kAlignCenter)
      n.at[a] = std::floor((parentSize[a] - s) * 0.5f + n.position[a]);
    else if (align[a] == kAlignMax)
      n.at[a] = std::floor(parentSize[a] - s + n.position[a]);
    else
      n.at[a] = std::floor(n.position[a]);
  }
  for (int c = 0; c < 4; ++c) {
    n.world[c] = parentWorld[c];
    n.world[4 + c] = parentWorld[4 + c];
    n.world[8 + c] = parentWorld[8 + c];
    n.world[12 + c] = n.at[0] * parentWorld[c] + n.at[1] * parentWorld[4 + c] + parentWorld[12 + c];
  }
  for (PlainNode* c : n.children) PlainCommit(*c, n.size, n.world);
}

// ---- the benchmarks -------------------------------------------------------------------------------

void BM_WidgetLayout(benchmark::State& state) {
  Bench::InitOnce();
  const int count = int(state.range(0));
  std::vector<Obj<Widget_I>> widgets;
  widgets.reserve(count);
  for (int i = 0; i < count; ++i) {
    widgets.emplace_back(static_cast<Widget_I*>(WFrame_I::Create()));
    Describe(i, widgets.back()->m_layout);
    if (i > 0) widgets[(i - 1) / kFanOut]->SetChild(widgets[(i - 1) / kFanOut]->ChildCount(), widgets[i]);
  }
  const WidgetLayout window = WindowRecord();
  Widget_I* root = widgets[0].Get();
  for (auto _ : state) {
    root->CalcDimMin();
    root->UpdateLayoutTree(&window, 0);
    benchmark::DoNotOptimize(widgets.back()->m_layout.world.m[12]);
  }
  state.SetItemsProcessed(state.iterations() * count);
  for (Obj<Widget_I>& w : widgets) w->SetParent(nullptr);
}
BENCHMARK(BM_WidgetLayout)->Arg(10000)->Arg(1000);

void BM_PlainStructLayout(benchmark::State& state) {
  const int count = int(state.range(0));
  std::vector<PlainNode> nodes(count);
  for (int i = 0; i < count; ++i) {
    WidgetLayout l;
    Describe(i, l);
    PlainNode& n = nodes[i];
    n.resizeX = l.resizeModeX;
    n.resizeY = l.resizeModeY;
    n.alignX = l.alignmentModeX;
    n.alignY = l.alignmentModeY;
    n.dimension[0] = l.dimension.x;
    n.dimension[1] = l.dimension.y;
    n.position[0] = l.position.x;
    n.position[1] = l.position.y;
    if (i > 0) nodes[(i - 1) / kFanOut].children.push_back(&n);
  }
  const WidgetLayout window = WindowRecord();
  const float windowSize[2] = {window.computedSize.x, window.computedSize.y};
  for (auto _ : state) {
    PlainCalcDimMin(nodes[0]);
    PlainCommit(nodes[0], windowSize, window.world.m);
    benchmark::DoNotOptimize(nodes.back().world[12]);
  }
  state.SetItemsProcessed(state.iterations() * count);
}
BENCHMARK(BM_PlainStructLayout)->Arg(10000)->Arg(1000);

}  // namespace
}  // namespace PM
