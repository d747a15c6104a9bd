// A window's frame: the two layout passes over its widget tree, then the drawing traversal by priority.
#include <cmath>
#include <queue>
#include <utility>
#include <vector>

#include "core/Trace.h"
#include "engine/RenderEngine.h"
#include "ui/Widget.h"
#include "ui/WidgetDrawContext.h"
#include "ui/WidgetWalk.h"
#include "ui/Window.h"

namespace PM {

namespace {

// A deferred branch waiting for its level: lower priorities first, and among equals the one deferred
// first (the order of equals is not promised to scripts).
struct Pending {
  int32_t priority;
  uint64_t order;
  Obj<Widget_I> widget;
  bool operator>(const Pending& o) const { return priority != o.priority ? priority > o.priority : order > o.order; }
};
using PendingQueue = std::priority_queue<Pending, std::vector<Pending>, std::greater<Pending>>;

// The record the root is laid out in: the virtual screen centred on the origin.
void WindowLayout(WidgetLayout& w, const Vector3f& resolution, const Matrix4f& base) {
  const float x0 = std::floor(-0.5f * resolution.x), y0 = std::floor(-0.5f * resolution.y);
  w.position = w.computedPosition = {x0, y0, 0};
  w.dimension = w.computedSize = {resolution.x, resolution.y, 0};
  w.PlaceIn(base);
  w.clipRect[0] = x0 - 1;
  w.clipRect[1] = x0 + resolution.x + 1;
  w.clipRect[2] = y0 - 1;
  w.clipRect[3] = y0 + resolution.y + 1;
  w.clipState = kClipNone;
}

}  // namespace

void TWindow_I::Draw(RenderEngine* engine) {
  const bool ownProjection = std::exchange(m_matrixForDraw, false);
  if (m_rootWidget.IsNil()) return;
  const Obj<Widget_I> root = m_rootWidget;  // held while scripts' callbacks could replace it
  TraceEnter("TWindow::Draw");
  WidgetWalkGuard::BeginFrame();
  Matrix4f base;
  engine->GetModelViewMatrix(&base);
  WidgetLayout window;
  WindowLayout(window, m_virtualResolution, base);

  TraceMark("TWindow::Draw CalcDimMin");
  root->CalcDimMin();
  TraceMark("TWindow::Draw CommitDynamicLayout");
  root->UpdateLayoutTree(&window, 0);
  engine->SetModelViewMatrix(&window.world);
  m_drawn.Clear();

  TraceEnter("TWindow::Draw DrawTraverse");
  WidgetDrawContext context;
  context.windowProjection = ownProjection ? &m_matrix : nullptr;
  PendingQueue pending;
  uint64_t order = 0;
  pending.push({root->m_drawPriority, order++, root});
  while (!pending.empty()) {
    const Obj<Widget_I> w = pending.top().widget;
    pending.pop();
    context.level = w->m_drawPriority;
    context.color = {1, 1, 1, 1};
    context.secondColor = {0, 0, 0, 0};
    context.word = 0;
    w->Draw(&context, engine);
    m_drawn.Append(WeakObj<Widget_I>(w.Get()));
    for (const Obj<Widget_I>& d : context.deferred) pending.push({d->m_drawPriority, order++, d});
    context.deferred.Clear();
  }
  TraceLeave("TWindow::Draw DrawTraverse");
  engine->SetModelViewMatrix(&base);
  WidgetWalkGuard::EndFrame();
  TraceLeave("TWindow::Draw");
}

}  // namespace PM
