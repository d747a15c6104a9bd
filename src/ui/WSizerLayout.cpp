// A sizer's two layout passes and its drawing: rows, columns and grids of cells, margins, spacing and
// spacers' shares of the free space.
#include <algorithm>
#include <cmath>
#include <string>

#include "core/Log.h"
#include "ui/ReportOnce.h"
#include "ui/UIElement.h"
#include "ui/WPopup.h"
#include "ui/WSizer.h"
#include "ui/WSizerItem.h"
#include "ui/WSpacer.h"
#include "ui/WidgetDrawContext.h"
#include "ui/WidgetStyle.h"
#include "ui/WidgetWalk.h"

namespace PM {
namespace {

Vector3f Add(const Vector3f& a, const Vector3f& b) { return {a.x + b.x, a.y + b.y, a.z + b.z}; }

// Does child c take part in the layout: not nil and visible.
bool TakesPart(const Widget_I* c, const void* nil) { return c != nil && c->m_layout.visibility != 0; }

// The popup element's borders of a popup sizer; zero for every other sizer.
void SizerBorders(const WSizer_I* s, Vector3f& bmin, Vector3f& bmax) {
  bmin = bmax = {0, 0, 0};
  if (!s->IsA(WPopup_I::kClassId) || s->m_style.IsNil()) return;
  const UIElement_I* e = s->m_style->m_elementPopup.Get();
  if (IsNilObject(e)) return;
  bmin = e->m_borderMin;
  bmax = e->m_borderMax;
}

// The extent left for one row or column of `count` grid lines (count > 0) sharing `space`; a stale count
// below one line gives the whole space rather than a division by zero.
float ShareOfGrid(float space, int32_t count, int32_t last, float spacing) {
  if (count <= 0) return std::floor(space);
  const int32_t lines = last / count;
  if (count > 1) space -= static_cast<float>(lines) * spacing;
  return std::floor(space / static_cast<float>(std::max(lines + 1, 1)));
}

bool Sane(float v) { return std::isfinite(v) && v >= 0; }

// A spacer's share of the free space along the layout: a ratio that cannot lay out takes none.
float SpacerShare(const WSpacer_I* spacer, bool horizontal, float free) {
  const float ratio = horizontal ? spacer->m_ratio.x : spacer->m_ratio.y;
  const char* member = horizontal ? "Ratio.x" : "Ratio.y";
  return std::floor(SaneLayoutValue(spacer, member, ratio, Sane(ratio), 0.0f) * free);
}

}  // namespace

Vector3f WSizer_I::MarginOf(int32_t i) const {
  if (i >= m_sizerItemArray.Count()) return {0, 0, 0};
  const WSizerItem_I* item = m_sizerItemArray[i].Get();
  if (IsNilObject(item)) return {0, 0, 0};
  const Vector3f& m = item->m_spacing;
  if (Sane(m.x) && Sane(m.y) && Sane(m.z)) return m;
  return SaneSpacing(this, "SizerItemArray[" + std::to_string(i) + "].Spacing", m);
}

WidgetLayout* WSizer_I::CalcDimMin() {
  WidgetWalkGuard guard("Widget::CalcDimMin", this);
  if (!guard.Entered()) return &m_layout;
  const bool horizontal = IsHorizontal();
  const Vector3f itemSpacing = SaneSpacing(this, "ItemSpacing", m_itemSpacing);
  const Vector3f borderSpacing = SaneSpacing(this, "BorderSpacing", m_borderSpacing);
  Vector3f cur{0, 0, 0};
  float sx = 0, sy = 0, mx = 0, my = 0;
  int32_t k = -1;
  const void* nil = NilObject();
  for (int32_t i = 0; i < m_widgetArray.Count(); ++i) {
    Widget_I* child = m_widgetArray[i].Get();
    if (!TakesPart(child, nil)) continue;
    ++k;
    if (horizontal && m_gridCountX > 0 && k % m_gridCountX == 0) sx = 0;
    if (!horizontal && m_gridCountY > 0 && k % m_gridCountY == 0) sy = 0;
    const Vector3f min = child->CalcDimMin()->outerMinimum;
    const Vector3f m = MarginOf(i);
    (horizontal ? cur.x : cur.y) = 0;
    cur.x = std::max(cur.x, 2 * m.x + min.x);
    cur.y = std::max(cur.y, 2 * m.y + min.y);
    sx += cur.x;
    sy += cur.y;
    mx = std::max(mx, sx);
    my = std::max(my, sy);
  }
  Vector3f r{0, 0, 0};
  int32_t n = k;
  if (horizontal) {
    if (m_gridCountX > 0 && k >= m_gridCountX) n = m_gridCountX - 1;
    r.x = n > 0 ? mx + static_cast<float>(n) * itemSpacing.x : mx;
    r.y = cur.y;
  } else {
    if (m_gridCountY > 0 && k >= m_gridCountY) n = m_gridCountY - 1;
    r.y = n > 0 ? my + static_cast<float>(n) * itemSpacing.y : my;
    r.x = cur.x;
  }
  if (m_gridCountY > 0) {
    const int32_t c = k / m_gridCountY + 1;
    r.x = static_cast<float>(c) * r.x + (c > 1 ? static_cast<float>(c - 1) * itemSpacing.x : 0.0f);
  }
  if (m_gridCountX > 0) {
    const int32_t rows = k / m_gridCountX + 1;
    r.y = static_cast<float>(rows) * r.y + (rows > 1 ? static_cast<float>(rows - 1) * itemSpacing.y : 0.0f);
  }
  Vector3f bmin, bmax;
  SizerBorders(this, bmin, bmax);
  r.x += 2 * borderSpacing.x + bmin.x + bmax.x;
  r.y += 2 * borderSpacing.y + bmin.y + bmax.y;
  r.z = 2 * borderSpacing.z;
  r.x = std::max(r.x, m_layout.dimension.x);
  r.y = std::max(r.y, m_layout.dimension.y);
  m_layout.ComputeMinimum(r);
  m_lastVisible = k;
  return &m_layout;
}

void WSizer_I::UpdateLayoutTree(const WidgetLayout* parent, int32_t keepSize) {
  if (m_layout.visibility == 0) return;
  WidgetWalkGuard guard("Widget::UpdateLayoutTree", this);
  if (!guard.Entered()) return;
  CommitLayout(parent, keepSize);
  const Vector3f itemSpacing = SaneSpacing(this, "ItemSpacing", m_itemSpacing);
  const Vector3f borderSpacing = SaneSpacing(this, "BorderSpacing", m_borderSpacing);
  const Vector3f D = m_layout.computedSize, M = m_layout.minimumSize, pos = m_layout.computedPosition;
  const int32_t last = m_lastVisible;
  Vector3f bmin, bmax;
  SizerBorders(this, bmin, bmax);
  const float cellW = ShareOfGrid(D.x - bmin.x - bmax.x - 2 * borderSpacing.x, m_gridCountY, last, itemSpacing.x);
  const float cellH = ShareOfGrid(D.y - bmin.y - bmax.y - 2 * borderSpacing.y, m_gridCountX, last, itemSpacing.y);
  const float x0 = borderSpacing.x + bmin.x;
  float y0 = borderSpacing.y + bmin.y;
  float free = D.x - M.x;
  if (m_sizerMode == kSizerVertical) y0 = M.y - borderSpacing.y - bmax.y;
  if (!IsHorizontal()) free = D.y - M.y;
  free = std::max(free, 0.0f);
  float x = x0, y = y0;
  if (m_widgetArray.Count() > 0) m_cell = m_layout;
  const void* nil = NilObject();
  int32_t k = -1;
  for (int32_t i = 0; i < m_widgetArray.Count(); ++i) {
    Widget_I* child = m_widgetArray[i].Get();
    if (!TakesPart(child, nil)) continue;
    ++k;
    const Vector3f m = MarginOf(i);
    Vector3f size = child->GetLayoutData()->outerMinimum;
    if (child->IsA(WSpacer_I::kClassId))
      (IsHorizontal() ? size.x : size.y) = SpacerShare(static_cast<WSpacer_I*>(child), IsHorizontal(), free);
    Vector3f at = m_cell.computedPosition;  // an unbuilt mode keeps the previous cell's position
    switch (m_sizerMode) {
      case kSizerHorizontal:
        if (m_gridCountX > 0 && k % m_gridCountX == 0) {
          const int32_t rowsBelow = last / m_gridCountX - k / m_gridCountX;  // whole rows
          x = x0;
          y = static_cast<float>(rowsBelow) * (cellH + itemSpacing.y) + y0;
        }
        size.y = cellH;
        at = Add(pos, {x + m.x, y + m.y, m.z});
        m_cell.cellOrigin = at;
        x += 2 * m.x + size.x + itemSpacing.x;
        break;
      case kSizerVertical:
      case kSizerVerticalRev:
        if (m_gridCountY > 0 && k % m_gridCountY == 0) {
          const int32_t column = k / m_gridCountY;
          x = (cellW + itemSpacing.x) * static_cast<float>(column) + x0;
          y = y0;
        }
        size.x = cellW;
        if (m_sizerMode == kSizerVerticalRev) {
          at = Add(pos, {x + m.x, y + m.y, m.z});
          y += 2 * m.y + size.y + itemSpacing.y;
        } else {
          const float below = y - 2 * m.y - size.y;
          at = Add(pos, {x + m.x, below + m.y, m.z});
          y = below - itemSpacing.y;
          m_cell.cellOrigin = {x, y, 0};
        }
        break;
      default:
        LogError("HorizontalRev not yet implemented.");
        break;
    }
    m_cell.computedSize = size;
    m_cell.computedPosition = at;
    m_cell.PlaceIn(parent->world);
    child->UpdateLayoutTree(&m_cell, 0);
  }
}

void WSizer_I::DrawSelf(WidgetDrawContext* context, RenderEngine* engine) {
  if (m_layout.visibility == 0 || m_layout.clipState < 0) return;
  const void* nil = NilObject();
  for (const Obj<Widget_I>& child : m_widgetArray)
    if (TakesPart(child.Get(), nil)) child->Draw(context, engine);
}

}  // namespace PM
