#include "ui/WComboBox.h"

#include <algorithm>
#include <cmath>

#include "engine/RenderEngine.h"
#include "ui/UIElement.h"
#include "ui/WEvent.h"
#include "ui/WMenuItem.h"
#include "ui/WPopup.h"
#include "ui/WidgetDrawContext.h"
#include "ui/WidgetInput.h"
#include "ui/WidgetStyle.h"
#include "ui/WidgetWalk.h"
#include "ui/Window.h"

namespace PM {

void WComboBox_I::Define() {
  DefineUIClass<WComboBox_I, WButton_I>();
  const MemberDef members[] = {
      FieldMember<&WComboBox_I::m_comboValue>(0x01FFF0C9, "ComboValue"),
      FieldMember<&WComboBox_I::m_editable>(0x02FFF0C9, "Editable"),
  };
  DefineMembers(members);
}

int32_t WComboBox_I::PositionTest(float x, float y) {
  const UIElement_I* e = m_style.IsNil() ? nullptr : m_style->m_elementComboBox.Get();
  const Vector3f arrow = IsNilObject(e) ? Vector3f{0, 0, 0} : e->m_arrowDim;
  const float w = m_layout.computedSize.x, h = m_layout.computedSize.y;
  const float y0 = std::floor(h * 0.5f) - std::floor(arrow.y) * 0.5f;
  if (y < y0 || y > y0 + arrow.y) return -1;
  if (x >= w - arrow.x && x <= w) return 1;
  if (x >= 0 && x <= w - arrow.x) return 0;
  return -1;
}

WidgetLayout* WComboBox_I::CalcDimMin() {
  WidgetWalkGuard guard("WComboBox::CalcDimMin", this);
  if (!guard.Entered()) return &m_layout;
  Vector3f m = m_label.CalcDimMin(GetFontStyle())->minimumSize;
  RaiseMinimum(m, ChildrenMinimum(this, false, &WidgetLayout::minimumSize));
  const UIElement_I* e = GetUIElement();
  if (!IsNilObject(e)) {
    m.x += e->m_arrowDim.x + e->m_arrowSpacing.x + e->m_borderMin.x + e->m_borderMax.x;
    m.y = std::max(m.y, e->m_arrowDim.y) + e->m_borderMin.y + e->m_borderMax.y;
  }
  m_layout.ComputeMinimum(m);
  if (!m_subMenu.IsNil()) m_subMenu->CalcDimMin();
  return &m_layout;
}

void WComboBox_I::PlaceComboPopup() {
  WidgetLayout& p = m_subMenu->m_layout;
  const WidgetLayout& b = m_layout;
  const float bx = b.world.m[12], by = b.world.m[13];
  // The area available is the box's clip rectangle in world units; unclipped, there is no bound.
  const bool bounded = b.clipState != kClipNone;
  const float right = bounded ? b.clipRect[1] : 1e30f, floor = bounded ? b.clipRect[2] : -1e30f;
  const float pw = p.minimumSize.x, ph = p.minimumSize.y;
  p.position.x = bx + pw > right ? right - bx - pw : 0.0f;
  if (by - ph >= floor) {
    p.alignmentModeY = kAlignMax;
    p.position.y = -b.computedSize.y;
  } else {
    p.alignmentModeY = kAlignMin;
    p.position.y = b.computedSize.y;
  }
  p.position.z = 0.0f;
  // Without a parent the box's own priority stands in for its parent's.
  const Widget_I* owner = m_parent.Get();
  m_subMenu->m_drawPriority = (IsNilObject(owner) ? m_drawPriority : owner->m_drawPriority) + 1;
}

void WComboBox_I::UpdateLayoutTree(const WidgetLayout* parent, int32_t keepSize) {
  if (m_layout.visibility == 0) return;
  WidgetWalkGuard guard("WComboBox::UpdateLayoutTree", this);
  if (!guard.Entered()) return;
  CommitLayout(parent, keepSize);
  const UIElement_I* e = GetUIElement();
  Vector3f low{0, 0, 0}, high{0, 0, 0};
  if (!IsNilObject(e)) {
    low = e->m_borderMin;
    high = {e->m_borderMax.x + e->m_arrowDim.x, e->m_borderMax.y, e->m_borderMax.z};
  }
  BuildClientRecord(low, high, parent);
  m_label.CommitLayout(m_clientLayout);
  if (!m_subMenu.IsNil()) PlaceComboPopup();
  for (const Obj<Widget_I>& child : m_widgetArray)
    if (!child.IsNil()) child->UpdateLayoutTree(&m_clientLayout, 0);
  if (!m_subMenu.IsNil()) m_subMenu->UpdateLayoutTree(&m_layout, 0);
}

void WComboBox_I::ProcessInput(WidgetDrawContext* context, WidgetInput* input) {
  if (m_layout.visibility == 0 || m_layout.inputVisibility == 0) return;
  if (!m_subMenu.IsNil()) {
    const Obj<WPopup_I> menu = m_subMenu;
    menu->TraverseInput(context, input);
  }
  WButton_I::ProcessInput(context, input);
}

void WComboBox_I::FillAndShowPopup(WidgetInput* input) {
  const Obj<WPopup_I> popup = m_subMenu;
  popup->RemoveChildren(0, -1);
  for (int32_t i = 0; i < m_widgetArray.Count(); ++i) {
    Widget_I* choice = m_widgetArray[i].Get();
    if (IsNilObject(choice) || choice->m_layout.visibility == 0) continue;
    const Obj<WMenuItem_I> item(static_cast<WMenuItem_I*>(ScriptObject::Create(ClassId::WMenuItem)));
    item->m_style = choice->m_style;
    if (choice->IsA(ClassId::WControl)) item->SetLabel(static_cast<WControl_I*>(choice)->GetLabel());
    if (choice->IsA(ClassId::WButton)) item->m_iconId = static_cast<WButton_I*>(choice)->m_iconId;
    item->m_userValue = uint32_t(i);
    item->m_infoText = choice->m_infoText;
    item->SetParent(popup.Get());
  }
  popup->SendEvent(kWEventShowWidget, input);
}

// Events go on to the widget: a combo box uses neither the button's press handling nor the frame's.
void WComboBox_I::SendEvent(uint32_t event, WidgetInput* input) {
  if (m_style.IsNil() || m_style->m_elementComboBox.IsNil() || !input) return Widget_I::SendEvent(event, input);
  const Obj<Widget_I> keep(this);  // handlers may drop the box
  Vector3f mouse;
  input->ProjectRay(&mouse, &m_layout);
  TWindow_I* window = input->window.Get();
  const bool hasWindow = !IsNilObject(window);
  switch (event) {
    case kWEventMouseLeftDown: {
      m_pressState = 0;
      const int32_t part = PositionTest(mouse.x, mouse.y);
      if (part < 0 || (part == 0 && m_editable)) break;
      m_pressState = 5;
      m_boxFlags[0] = m_boxFlags[1] = 0;
      if (m_subMenu.IsNil()) {
        const Obj<WPopup_I> popup(static_cast<WPopup_I*>(ScriptObject::Create(ClassId::WPopup)));
        popup->m_style = m_style;
        popup->m_layout.visibility = 0;
        popup->SetParent(this);  // attaching a popup to a button makes it the sub menu
      }
      if (m_subMenu.IsNil()) break;
      if (m_subMenu->m_layout.visibility == 0)
        FillAndShowPopup(input);
      else
        m_subMenu->SendEvent(kWEventHideWidget, input);
      if (hasWindow) window->SetCaptureMenu(m_subMenu.Get());
      Widget_I::SendEvent(kWEventButtonDown, input);
      break;
    }
    case kWEventMouseLeftUp:
      if (m_pressState != 0 && hasWindow && window->GetCaptureWidget() == this)
        window->SetCaptureWidget(NilScriptObject());
      m_pressState = 0;
      m_boxFlags[0] &= ~1u;
      m_boxFlags[1] &= ~1u;
      break;
    case kWEventFocusLost:
      m_boxFlags[0] &= ~4u;
      m_boxFlags[1] &= ~4u;
      break;
    case kWEventFocusActive:
      if (hasWindow && IsNilObject(window->GetCaptureWidget()) && IsNilObject(window->GetCaptureMenu())) {
        const int32_t part = PositionTest(mouse.x, mouse.y);
        const bool over = part == 1 || (part == 0 && !m_editable);
        m_boxFlags[0] = over ? (m_boxFlags[0] | 4u) : (m_boxFlags[0] & ~4u);
      }
      break;
    default:
      break;
  }
  Widget_I::SendEvent(event, input);
}

void WComboBox_I::DrawSelf(WidgetDrawContext* context, RenderEngine* engine) {
  if (m_layout.visibility == 0 || m_layout.clipState < 0 || m_style.IsNil()) return;
  UIElement_I* e = m_style->m_elementComboBox.Get();
  engine->SetClipRect(m_layout.clipRect, m_layout.clipState != kClipNone);
  engine->SetModelViewMatrix(&m_layout.world);
  engine->UpdateClipRect();
  const bool popupOpen = !m_subMenu.IsNil() && m_subMenu->m_layout.visibility != 0;
  StepFade((m_boxFlags[0] & 4u) != 0);
  const float a = context->color.w, on = m_enable ? a : 0.0f;
  // 0 the box, 1 and 2 the enabled box and arrow, 3 the highlight, 4 the open look.
  const float alpha[8] = {
      a, on, on, (m_boxFlags[0] & 4u) ? on : 0.0f, (m_boxFlags[0] != 0 || (popupOpen && m_fade < 1.0f)) ? on : 0.0f,
      0, 0,  0};
  Vector4f colors[8];
  for (int i = 0; i < 8; ++i) colors[i] = {context->color.x, context->color.y, context->color.z, alpha[i]};
  if (!IsNilObject(e)) {
    float x[6], y[6];
    ElementAnchors(m_layout.computedSize.x, e->m_borderMin.x, e->m_borderMax.x + e->m_arrowDim.x, x);
    ElementAnchors(m_layout.computedSize.y, e->m_borderMin.y, e->m_borderMax.y, y);
    e->Draw(context, engine, 6, x, 6, y, 8, colors);
  }
  if (m_label.text.Length() > 0)
    m_label.Draw(context, engine, GetFontStyle(), IsNilObject(e) ? Vector4f{1, 1, 1, 1} : e->m_fontColor);
  if (m_comboValue >= 0 && m_comboValue < m_widgetArray.Count() && !m_widgetArray[m_comboValue].IsNil())
    m_widgetArray[m_comboValue]->Draw(context, engine);
  if (!m_subMenu.IsNil()) m_subMenu->Draw(context, engine);
}

}  // namespace PM
