#include "ui/WTabFrame.h"

#include <algorithm>

#include "core/Log.h"
#include "engine/RenderEngine.h"
#include "render/RenderShader.h"
#include "render/TileTexture2D.h"
#include "ui/UIShaderTexture.h"
#include "ui/WFrame.h"
#include "ui/WidgetDrawContext.h"
#include "ui/WidgetStyle.h"
#include "ui/WidgetWalk.h"

namespace PM {

namespace {

constexpr uint32_t kMemberTabWidgetArray = 0x01FFF0E1;
// The border takes tiles 0 to 6, the tab joint tile 7; the tab ends and middles follow the offsets.
constexpr int32_t kTabTiles = 18;

}  // namespace

void WTabFrame_I::Define() {
  DefineUIClass<WTabFrame_I, Widget_I>();
  const MemberDef members[] = {
      IndexedAccessorMember<&WTabFrame_I::GetTab, &WTabFrame_I::SetTab, &WTabFrame_I::TabCount,
                            &WTabFrame_I::RemoveTabs>(kMemberTabWidgetArray, "TabWidgetArray", 0x2600),
      FieldMember<&WTabFrame_I::m_tabSelect>(0x02FFF0E1, "TabSelect"),
  };
  DefineMembers(members);
}

WTabFrame_I::~WTabFrame_I() {
  // A tab held elsewhere outlives the frame: its parent link must not point at freed memory.
  for (Obj<Widget_I>& tab : m_tabWidgetArray)
    if (!tab.IsNil() && tab->m_parent.Get() == this) tab->m_parent = nullptr;
  m_tabWidgetArray.Clear();
}

Widget_I* WTabFrame_I::GetTab(int32_t i) const {
  if (i < 0) ReportBadIndex("Get", this, kMemberTabWidgetArray, i, m_tabWidgetArray.Count());
  if (i < 0 || i >= m_tabWidgetArray.Count()) return static_cast<Widget_I*>(NilScriptObject());
  return m_tabWidgetArray[i].Get();
}

void WTabFrame_I::SetTab(int32_t i, Widget_I* tab) {
  if (!tab) tab = static_cast<Widget_I*>(NilScriptObject());
  if (!SetIndexOk(this, kMemberTabWidgetArray, i, m_tabWidgetArray.Count())) return;
  if (RefusesWidgetCycle("WTabFrame::SetTabWidgetArray", this, tab)) return;
  if (i >= m_tabWidgetArray.Count()) m_tabWidgetArray.Grow(i + 1);
  if (m_tabWidgetArray[i].Get() == tab) return;
  Obj<Widget_I> keep(tab);
  if (!IsNilObject(tab)) tab->SetParent(nullptr);  // leaves its old place, which may be another tab entry
  Obj<Widget_I> old = m_tabWidgetArray[i];
  if (!old.IsNil() && old->m_parent.Get() == this) old->m_parent = nullptr;
  m_tabWidgetArray[i] = tab;
  if (!IsNilObject(tab)) tab->m_parent = this;
}

void WTabFrame_I::RemoveTabs(int32_t start, int32_t count) {
  const int32_t n = m_tabWidgetArray.Count();
  if (start < 0 || start >= n || count == 0) return;
  const int32_t end = count < 0 || count > n - start ? n : start + count;
  for (int32_t k = end - 1; k >= start; --k)
    if (!m_tabWidgetArray[k].IsNil() && m_tabWidgetArray[k]->m_parent.Get() == this)
      m_tabWidgetArray[k]->m_parent = nullptr;
  m_tabWidgetArray.Remove(start, end - start);
}

void WTabFrame_I::RemoveChild(Widget_I* child) {
  for (int32_t k = m_tabWidgetArray.Count() - 1; k >= 0; --k) {
    if (m_tabWidgetArray[k].Get() != child) continue;
    // The entry becomes nil rather than going, so the other tabs keep their pages.
    Obj<Widget_I> keep = m_tabWidgetArray[k];
    child->m_parent = nullptr;
    m_tabWidgetArray[k] = static_cast<Widget_I*>(NilScriptObject());
    return;
  }
  Widget_I::RemoveChild(child);
}

Widget_I* WTabFrame_I::SelectedPage() const {
  const int32_t i = m_tabSelect;
  if (i < 0 || i >= m_tabWidgetArray.Count() || i >= ChildCount() || m_widgetArray[i].IsNil()) return nullptr;
  return m_widgetArray[i].Get();
}

bool WTabFrame_I::ChildTakesInput(int32_t index) const {
  const Widget_I* page = SelectedPage();
  return page && page == m_widgetArray[index].Get();
}

WidgetLayout* WTabFrame_I::CalcDimMin() {
  WidgetLayout* own = Widget_I::CalcDimMin();
  // The tabs are measured for their own layout (a tab sized by its content needs its minimum) but
  // do not count towards the frame's.
  for (int32_t k = 0; k < m_tabWidgetArray.Count(); ++k) {
    const Obj<Widget_I> tab = m_tabWidgetArray[k];
    if (!tab.IsNil()) tab->CalcDimMin();
  }
  return own;
}

void WTabFrame_I::UpdateLayoutTree(const WidgetLayout* parent, int32_t keepSize) {
  if (m_layout.visibility == 0) return;
  WidgetWalkGuard guard("WTabFrame::UpdateLayoutTree", this);
  if (!guard.Entered()) return;
  Widget_I::UpdateLayoutTree(parent, keepSize);
  for (int32_t k = 0; k < m_tabWidgetArray.Count(); ++k) {
    const Obj<Widget_I> tab = m_tabWidgetArray[k];
    if (!tab.IsNil()) tab->UpdateLayoutTree(&m_layout, 0);
  }
}

void WTabFrame_I::ProcessInput(WidgetDrawContext* context, WidgetInput* input) {
  if (m_layout.visibility == 0 || m_layout.inputVisibility == 0) return;
  // The array is read again at every step: a tab's handler may change it.
  for (int32_t k = 0; k < m_tabWidgetArray.Count(); ++k) {
    const Obj<Widget_I> tab = m_tabWidgetArray[k];
    if (!tab.IsNil()) tab->TraverseInput(context, input);
  }
  Widget_I::ProcessInput(context, input);
}

void WTabFrame_I::DrawTiles(WidgetDrawContext* context, RenderEngine* engine) {
  const WidgetStyle_I& s = *m_style;
  const RenderShader_I* shader = s.m_widgetShader.Get();
  if (IsNilObject(shader)) return;
  const Texture2D_I* texture = UIShaderTexture(shader);
  const Array<int32_t>& sel = s.m_tileSelectArray;
  if (!texture || !texture->IsA(TileTexture2D_I::kClassId) || sel.Count() < kTabTiles) return;
  engine->SetShaderBase(s.m_widgetShader.Get(), true);
  engine->SetClipRect(m_layout.clipRect, m_layout.clipState != kClipNone);
  engine->SetModelViewMatrix(&m_layout.world);
  engine->UpdateClipRect();
  const Vector4f color = context->color;
  auto piece = [&](int32_t slot, float x0, float x1, float y0, float y1) {
    float uv[8];
    UITileTexCoords(texture, slot >= 0 && slot < sel.Count() ? sel[slot] : -1, uv);
    engine->DrawQuadClipped(x0, x1, y0, y1, uv, &color);
  };
  const float w = m_layout.computedSize.x, h = m_layout.computedSize.y;
  const Vector3f &wmin = s.m_borderWidthMin, &wmax = s.m_borderWidthMax;
  const Vector3f &omin = s.m_borderOverlapMin, &omax = s.m_borderOverlapMax;
  float x[4] = {omin.x - wmin.x, omin.x, w - omax.x, w - omax.x + wmax.x};
  float y[4] = {omin.y - wmin.y, omin.y, h - omax.y, h - omax.y + wmax.y};
  NarrowCrossedEdges(x);
  NarrowCrossedEdges(y);
  // Bottom row, the sides with the centre, then the top band the tabs stand on.
  for (int32_t c = 0; c < 3; ++c) piece(c, x[c], x[c + 1], y[0], y[1]);
  for (int32_t c = 0; c < 3; ++c) piece(3 + c, x[c], x[c + 1], y[1], y[2]);
  piece(6, x[0], x[3], y[2], y[3]);
  for (int32_t i = 0; i < m_tabWidgetArray.Count(); ++i) {
    const Widget_I* tab = m_tabWidgetArray[i].Get();
    if (IsNilObject(tab)) continue;
    const int32_t o = i == m_tabSelect ? s.m_activeTabTileOffset : s.m_inactiveTabTileOffset;
    const Vector3f p = tab->m_layout.position, d = tab->m_layout.dimension;
    float t[4] = {p.x, p.x + wmin.x, p.x + d.x - wmax.x, p.x + d.x};
    NarrowCrossedEdges(t);
    piece(7, t[0], t[3], p.y, p.y + d.y);
    for (int32_t c = 0; c < 3; ++c) piece(o + c, t[c], t[c + 1], p.y, p.y + d.y);
  }
}

void WTabFrame_I::DrawSelf(WidgetDrawContext* context, RenderEngine* engine) {
  if (m_layout.visibility == 0 || m_layout.clipState < 0) return;
  if (!m_style.IsNil()) DrawTiles(context, engine);
  for (int32_t k = 0; k < m_tabWidgetArray.Count(); ++k) {
    const Obj<Widget_I> tab = m_tabWidgetArray[k];
    if (!tab.IsNil()) tab->Draw(context, engine);
  }
  if (Widget_I* page = SelectedPage()) page->Draw(context, engine);
}

}  // namespace PM
