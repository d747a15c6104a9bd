// Drawing a button: its element with the up, highlight, down, disabled, arrow and separator colours,
// the icon from the style's icon collection, then the icon widget, the label, the children and the
// sub menu.
#include <cmath>

#include "engine/RenderEngine.h"
#include "render/RenderShader.h"
#include "ui/TileCollection.h"
#include "ui/UIElement.h"
#include "ui/UIShaderTexture.h"
#include "ui/WButton.h"
#include "ui/WPopup.h"
#include "ui/WidgetDrawContext.h"
#include "ui/WidgetStyle.h"

namespace PM {

void WButton_I::DrawSelf(WidgetDrawContext* context, RenderEngine* engine) {
  if (m_layout.visibility == 0 || m_layout.clipState < 0) return;
  // A button far out of its clip (a row scrolled away in a long list) shows nothing of its own; only an
  // open sub menu, which lies beside it, still draws. Its fade waits: the first step back in view covers
  // the time away, which lands where the steps in between would have (they all went one way, since a
  // button out of view is neither hovered nor newly focused).
  if (m_layout.OutsideClip(m_layout.computedSize)) {
    if (m_subMenu.Get() != NilObject()) m_subMenu->Draw(context, engine);
    return;
  }
  DrawElement(context, engine, IsA(ClassId::WIconButton) ? ClassId::WIconButton : ClassId::WButton);
}

// Reached through DrawSelf, which has left out a button out of view.
void WButton_I::DrawElement(WidgetDrawContext* context, RenderEngine* engine, uint32_t) {
  UIElement_I* e = ButtonElement();
  const bool hasElement = !IsNilObject(e);
  const Vector3f low = hasElement ? e->m_borderMin : Vector3f{0, 0, 0};
  const Vector3f high = hasElement ? e->m_borderMax : Vector3f{0, 0, 0};
  float x[6], y[6];
  ElementAnchors(m_layout.computedSize.x, low.x, high.x, x);
  ElementAnchors(m_layout.computedSize.y, low.y, high.y, y);
  engine->SetClipRect(m_layout.clipRect, m_layout.clipState != kClipNone);
  engine->SetModelViewMatrix(&m_layout.world);
  engine->UpdateClipRect();

  const float a = context->color.w;
  float alpha[6] = {0, 0, 0, 0, 0, 0};
  const bool menuItem = IsA(ClassId::WMenuItem), listItem = IsA(ClassId::WListItem);
  if (!m_enable) {
    StepFade(false);
    m_fade = 0.0f;
    alpha[3] = a;
  } else {
    StepFade(listItem ? (m_layout.ownInputFlags & 5) != 0 : m_focusFlag == 1);
    alpha[1] = a * m_fade;
    const bool menuOpen = m_fade < 1.0f && !m_subMenu.IsNil() && (m_subMenu->m_layout.visibility & 1);
    bool down;
    if (menuItem)
      down = m_frameState == 1 || m_state != 0 || menuOpen;
    else if (listItem)
      down = m_state != 0 || menuOpen;
    else
      down = m_pressedMode != 0 ? m_frameState == 1 : m_state == 1;
    alpha[down ? 2 : 0] = a;
  }
  if (menuItem) {
    if (ShowsArrow()) alpha[4] = a;
    if (m_label.text.Length() == 0) alpha[5] = a;
  }
  Vector4f colors[6];
  for (int i = 0; i < 6; ++i) colors[i] = {context->color.x, context->color.y, context->color.z, alpha[i]};
  if (hasElement) e->Draw(context, engine, 6, x, 6, y, 6, colors);
  if (hasElement) DrawIcon(engine, context, e);

  if (!m_iconWidget.IsNil()) m_iconWidget->Draw(context, engine);
  const Vector4f fallbackColor = hasElement ? e->m_fontColor : Vector4f{1, 1, 1, 1};
  if (m_label.text.Length() > 0) m_label.Draw(context, engine, GetFontStyle(), fallbackColor);
  for (const Obj<Widget_I>& child : m_widgetArray)
    if (!child.IsNil()) child->Draw(context, engine);
  if (!m_subMenu.IsNil()) m_subMenu->Draw(context, engine);
}

void WButton_I::DrawIcon(RenderEngine* engine, const WidgetDrawContext* context, const UIElement_I* e) {
  if (m_iconId < 0 || m_style.IsNil() || m_style->m_iconCollection.IsNil()) return;
  const TileCollection_I& icons = *m_style->m_iconCollection;
  const int32_t id = m_iconId;
  RenderShader_I* shader = id < icons.m_shaderArray.Count() ? icons.m_shaderArray[id].Get() : nullptr;
  Vector4f color = id < icons.m_colorArray.Count() ? icons.m_colorArray[id] : TileCollection_I::WhiteFill();
  color *= context->color;
  if (m_iconState == 1) color.w *= 0.5f;
  const int32_t tile = id < icons.m_tileSelectArray.Count() ? icons.m_tileSelectArray[id] : -1;
  engine->SetShaderBase(shader ? static_cast<ScriptObject*>(shader) : NilScriptObject(), true);
  const float w = m_layout.computedSize.x;
  const float left = (w - e->m_borderMin.x >= e->m_iconDim.x ? e->m_borderMin.x : 0.0f) + e->m_iconPos.x;
  const float bottom =
      std::floor((m_clientLayout.computedSize.y - e->m_iconDim.y) * 0.5f) + e->m_borderMin.y + e->m_iconPos.y;
  float uv[8];
  UITileTexCoords(shader ? UIShaderTexture(shader) : nullptr, tile, uv);
  engine->DrawQuadClipped(left, left + e->m_iconDim.x, bottom, bottom + e->m_iconDim.y, uv, &color);
}

}  // namespace PM
