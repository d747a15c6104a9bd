#include "ui/WButton.h"

#include <algorithm>

#include "ui/PopupPlacement.h"
#include "ui/UIElement.h"
#include "ui/WListItem.h"
#include "ui/WMenuItem.h"
#include "ui/WPopup.h"
#include "ui/WidgetStyle.h"
#include "ui/WidgetWalk.h"

namespace PM {

namespace {

// The element measures a button uses, zero without an element.
struct ButtonMeasures {
  Vector3f borderMin{0, 0, 0}, borderMax{0, 0, 0}, defaultDim{0, 0, 0};
  Vector3f iconPos{0, 0, 0}, iconDim{0, 0, 0}, iconSpacing{0, 0, 0}, arrowDim{0, 0, 0};
};

ButtonMeasures MeasuresOf(const UIElement_I* e, const void* nil) {
  if (e == nil) return {};
  return {e->m_borderMin, e->m_borderMax, e->m_defaultDim, e->m_iconPos, e->m_iconDim, e->m_iconSpacing, e->m_arrowDim};
}

}  // namespace

void WButton_I::Define() {
  DefineUIClass<WButton_I, WControl_I>();
  const MemberDef members[] = {
      FieldMember<&WButton_I::m_state>(0x01FFF0E9, "State"),
      MinimumFieldMember<&WButton_I::m_iconId>(0x02FFF0E9, "IconID"),
      AccessorMember<&WButton_I::GetIconWidget, &WButton_I::SetIconWidget>(0x03FFF0E9, "IconWidget"),
      FieldMember<&WButton_I::m_iconState>(0x04FFF0E9, "IconState"),
      AccessorMember<&WButton_I::GetSubMenu, &WButton_I::SetSubMenu>(0x05FFF0E9, "SubMenu"),
      FieldMember<&WButton_I::m_buttonMode>(0x06FFF0E9, "ButtonMode"),
  };
  DefineMembers(members);
}

WButton_I::~WButton_I() {
  if (!m_subMenu.IsNil() && m_subMenu->m_parent.Get() == this) m_subMenu->m_parent = nullptr;
}

void WButton_I::SetIconWidget(Widget_I* icon) {
  if (!icon) icon = static_cast<Widget_I*>(NilScriptObject());
  if (RefusesWidgetCycle("WButton::SetIconWidget", this, icon)) return;
  OutOfViewIndex::NoteEdit();
  m_iconWidget = icon;
}

void WButton_I::SetSubMenu(WPopup_I* popup) {
  if (!popup) popup = static_cast<WPopup_I*>(NilScriptObject());
  if (popup == m_subMenu.Get()) return;
  if (RefusesWidgetCycle("WButton::SetSubMenu", this, popup)) return;
  OutOfViewIndex::NoteEdit();
  Obj<WPopup_I> old = m_subMenu;  // released once, when this function returns
  if (!old.IsNil() && old->m_parent.Get() == this) old->m_parent = nullptr;
  m_subMenu = popup;
  if (IsNilObject(popup)) return;
  popup->SetParent(nullptr);
  popup->m_parent = this;
}

void WButton_I::RemoveChild(Widget_I* child) {
  if (!m_subMenu.IsNil() && child == m_subMenu.Get()) {
    Obj<WPopup_I> old = m_subMenu;
    old->m_parent = nullptr;
    m_subMenu = static_cast<WPopup_I*>(NilScriptObject());
  }
  Widget_I::RemoveChild(child);
}

UIElement_I* WButton_I::ButtonElement() {
  const void* nil = NilObject();
  if (m_element.Get() != nil) return m_element.Get();
  if (m_style.Get() == nil) return static_cast<UIElement_I*>(NilScriptObject());
  const WidgetStyle_I& s = *m_style;
  // The object's own class never changes: found once, as every layout pass of every row asks.
  if (m_ownClass == 0) m_ownClass = GetClassID();
  switch (m_ownClass) {
    case ClassId::WMenuItem:
      return s.m_elementMenuItem.Get();
    case ClassId::WListItem:
      return s.m_elementListItem.Get();
    case ClassId::WIconButton:
      return s.m_elementIconButton.Get();
    default:
      return s.m_elementButton.Get();
  }
}

bool WButton_I::IdleOutOfView() const {
  const void* nil = NilObject();
  return m_innerRecordsEmpty && m_layout.visibility != 0 && m_layout.ownInputFlags == 0 && !m_modal &&
         m_effectArray.IsEmpty() && m_subMenu.Get() == nil && m_titleWidget.Get() == nil;
}

const UIElement_I* WButton_I::MinimumElement() {
  const void* nil = NilObject();
  if (!m_widgetArray.IsEmpty() || m_iconWidget.Get() != nil || m_subMenu.Get() != nil || m_element.Get() != nil)
    return nullptr;
  return ButtonElement();
}

bool WButton_I::HasIcon() const { return !m_iconWidget.IsNil() || m_iconId >= 0; }

bool WButton_I::ShowsArrow() const {
  if (!IsA(ClassId::WMenuItem) || m_subMenu.IsNil()) return false;
  const Widget_I* parent = m_parent.Get();
  return static_cast<const WMenuItem_I*>(this)->m_showArrow || (!IsNilObject(parent) && parent->IsA(ClassId::WPopup));
}

WidgetLayout* WButton_I::CalcDimMin() {
  WidgetWalkGuard guard("WButton::CalcDimMin", this);
  if (!guard.Entered()) return &m_layout;
  // Every row of a long list runs this each frame: the nil object is fetched once, not per test.
  const void* nil = NilObject();
  Vector3f m = m_widgetArray.IsEmpty() ? Vector3f{0, 0, 0} : ChildrenMinimum(this);
  if (m_iconWidget.Get() != nil) RaiseMinimum(m, m_iconWidget->CalcDimMin()->outerMinimum);
  // The fallback font style is looked up only to measure: a measured label keeps its size.
  RaiseMinimum(m, (m_label.Measured() ? &m_label.record : m_label.CalcDimMin(GetFontStyle()))->minimumSize);
  const ButtonMeasures e = MeasuresOf(ButtonElement(), nil);
  const bool menuItem = IsA(ClassId::WMenuItem);
  if (menuItem && m_label.text.Length() == 0) {
    m.y += 4.0f;  // a separator
  } else {
    m = {m.x + e.borderMin.x + e.borderMax.x, m.y + e.borderMin.y + e.borderMax.y, m.z + e.borderMin.z + e.borderMax.z};
    if ((menuItem || IsA(ClassId::WListItem)) && (m_iconWidget.Get() != nil || m_iconId >= 0)) {
      m.x += e.iconPos.x + e.iconDim.x + e.iconSpacing.x;
      m.y = std::max(m.y, e.iconDim.y);
    }
    if (menuItem && ShowsArrow()) m.x += e.arrowDim.x;
  }
  RaiseMinimum(m, DefaultSize(m_layout.dimension, e.defaultDim));
  m_layout.ComputeMinimum(m);
  if (m_subMenu.Get() != nil) m_subMenu->CalcDimMin();
  return &m_layout;
}

Vector2f WButton_I::SubMenuOffset() {
  const WidgetLayout& b = m_layout;
  const WidgetLayout& p = m_subMenu->m_layout;
  const Widget_I* parent = m_parent.Get();
  const bool beside = !IsNilObject(parent) && parent->IsA(ClassId::WPopup);
  PopupPlacement place{b.world.m[12],
                       b.world.m[13],
                       b.computedSize.x,
                       b.computedSize.y,
                       {p.minimumSize.x, p.minimumSize.y},
                       {-1e30f, 1e30f, -1e30f, 1e30f},
                       beside ? parent->m_layout.computedSize.x : 0.0f,
                       p.alignmentModeX,
                       p.alignmentModeY,
                       beside};
  if (b.clipState != kClipNone) std::copy(b.clipRect, b.clipRect + 4, place.clip);
  return PlacePopup(place);
}

void WButton_I::UpdateLayoutTree(const WidgetLayout* parent, int32_t keepSize) {
  if (m_layout.visibility == 0) return;
  WidgetWalkGuard guard("WButton::UpdateLayoutTree", this);
  if (!guard.Entered()) return;
  const void* nil = NilObject();
  const UIElement_I* element = ButtonElement();
  if (keepSize == 0) {
    m_layout.computedSize = DefaultSize(m_layout.dimension, element != nil ? element->m_defaultDim : Vector3f{0, 0, 0});
    m_layout.ApplyParent(*parent);
  }
  CommitLayout(parent, 1);
  const bool iconWidget = m_iconWidget.Get() != nil, subMenu = m_subMenu.Get() != nil;
  // A button with nothing inside but its label, far out of its clip (a row scrolled away in a long
  // list), draws nothing of its own and takes no pointer (see DrawElement and WidgetInput::HitTest):
  // its inner records are only marked empty, and laid out again once it comes back into view.
  const bool unseen = m_widgetArray.IsEmpty() && !iconWidget && m_layout.OutsideClip(m_layout.computedSize);
  if (unseen) {
    // Marked once: only the layout in view below writes them again.
    if (!m_innerRecordsEmpty) {
      m_clientLayout.ClipAll();
      m_label.record.ClipAll();
      m_innerRecordsEmpty = true;
    }
  } else {
    m_innerRecordsEmpty = false;
    const ButtonMeasures e = MeasuresOf(element, nil);
    Vector3f low = e.borderMin, high = e.borderMax;
    if (HasIcon()) low.x += e.iconPos.x + e.iconDim.x + e.iconSpacing.x;
    if (ShowsArrow()) high.x += e.arrowDim.x;
    BuildClientRecord(low, high, parent);
  }
  if (iconWidget) {
    const ButtonMeasures e = MeasuresOf(element, nil);
    WidgetLayout& r = m_iconLayout;
    r = m_layout;
    const Vector3f move{e.borderMin.x + e.iconPos.x, e.borderMin.y, e.borderMin.z};
    r.position = {r.position.x + move.x, r.position.y + move.y, r.position.z + move.z};
    r.computedPosition = {r.computedPosition.x + move.x, r.computedPosition.y + move.y, r.computedPosition.z + move.z};
    r.computedSize = {e.iconDim.x, m_clientLayout.computedSize.y, 0};
    r.PlaceIn(parent->world);
  }
  if (subMenu) {
    const Vector2f o = SubMenuOffset();
    m_subMenu->m_layout.position = {o.x, o.y, 0};
    const Widget_I* owner = m_parent.Get();
    m_subMenu->m_drawPriority = (IsNilObject(owner) ? 0 : owner->m_drawPriority) + 1;
  }
  if (iconWidget) m_iconWidget->UpdateLayoutTree(&m_iconLayout, 0);
  if (!unseen) m_label.CommitLayout(m_clientLayout);
  for (const Obj<Widget_I>& child : m_widgetArray)
    if (child.Get() != nil) child->UpdateLayoutTree(&m_clientLayout, 0);
  if (subMenu) m_subMenu->UpdateLayoutTree(&m_layout, 0);
}

}  // namespace PM
