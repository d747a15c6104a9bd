// Drawing a text: selection, key caps, buttons and mouse pictures, the shadow, the glyphs from their
// cache, the inline images, the blinking cursor and the children.
#include <algorithm>
#include <cmath>

#include "engine/RenderEngine.h"
#include "render/RenderShader.h"
#include "ui/FontStyle.h"
#include "ui/TileCollection.h"
#include "ui/UIElement.h"
#include "ui/UIShaderTexture.h"
#include "ui/WFrame.h"
#include "ui/WText.h"
#include "ui/WidgetDrawContext.h"
#include "ui/WidgetStyle.h"

namespace PM {
namespace {

// ElementTextEdit's colour table: entry 0 lights the selection atoms, entry 1 the cursor atoms.
constexpr int kSelectionColor = 0, kCursorColor = 1;
constexpr float kCursorWidth = 2.0f;
constexpr double kBlinkRate = 4.999999925494195;
// Parts of a mouse picture: the body, then one per flag bit.
constexpr int kMouseParts = 14;
// The colour table handed to key caps and buttons: the record colour lights the "up" atoms (entry 0).
constexpr int kFrameColors = 6;

Vector4f Transparent(Vector4f c) {
  c.w = 0;
  return c;
}

// Draws `e` over the rectangle from (left, bottom) of size (w, h) with six anchors per axis: edges,
// edges inset by the element's borders and the floored middles.
void DrawElementRect(WidgetDrawContext* context, RenderEngine* engine, UIElement_I* e, float left, float bottom,
                     float w, float h, int colorCount, const Vector4f* colors) {
  float x[6], y[6];
  ElementAnchors(w, e->m_borderMin.x, e->m_borderMax.x, x);
  ElementAnchors(h, e->m_borderMin.y, e->m_borderMax.y, y);
  for (int i = 0; i < 6; ++i) x[i] += left, y[i] += bottom;
  e->Draw(context, engine, 6, x, 6, y, colorCount, colors);
}

}  // namespace

double WText_I::BlinkAlpha(double seconds) { return std::clamp(std::cos(seconds * kBlinkRate - 1.0) + 0.5, 0.0, 1.0); }

Vector4f WText_I::DefaultTextColor() const {
  const UIElement_I* frame = StyleElement(&WidgetStyle_I::m_elementFrame);
  return frame ? frame->m_fontColor : Vector4f{1, 1, 1, 1};
}

bool WText_I::ValidVertex(int32_t index) const {
  if (index < 0 || index >= m_charToVertex.Count()) return false;
  const int32_t v = m_charToVertex[index];
  return v >= 0 && v + 4 <= m_cells.Count();
}

void WText_I::DrawSelf(WidgetDrawContext* context, RenderEngine* engine) {
  if (m_layout.visibility == 0 || m_layout.clipState < 0) return;
  FontTexture2D_I* font = TextFont("WText::Draw");
  if (!font) return;
  if (LayoutOutdated()) m_layoutValid = false;
  if (!m_layoutValid) Layout(font, DefaultTextColor());
  Vector4f textColor = m_label.fontColor.w >= 0 ? m_label.fontColor : DefaultTextColor();
  if ((m_layout.ownInputFlags & 1) && m_handlerArray.Count() > 0 && !m_style.IsNil())
    textColor = m_style->m_focusTextColor;

  engine->SetClipRect(m_layout.clipRect, m_layout.clipState != kClipNone);
  engine->SetModelViewMatrix(&m_layout.world);
  engine->UpdateClipRect();
  DrawSelection(context, engine);
  DrawFrameRecords(context, engine);
  DrawGlyphs(context, engine, textColor);
  engine->SetModelViewMatrix(&m_layout.world);
  engine->UpdateClipRect();
  for (const WTextImg& image : m_imageRecords) {
    Vector4f color = image.color;
    color *= context->color;
    DrawTile(engine, image.position, image.dimension, color, image.id, 0);
  }
  DrawCursor(context, engine);
  for (const Obj<Widget_I>& child : m_widgetArray)
    if (!child.IsNil()) child->Draw(context, engine);
}

void WText_I::DrawSelection(WidgetDrawContext* context, RenderEngine* engine) {
  UIElement_I* e = StyleElement(&WidgetStyle_I::m_elementTextEdit);
  if (!e || m_selectionStart < 0 || m_selectionStart >= m_selectionEnd) return;
  const Vector4f colors[2] = {context->color, Transparent(context->color)};
  const int32_t end = std::min(m_selectionEnd, m_charToVertex.Count());
  int32_t previous = -1;
  for (int32_t i = m_selectionStart; i < end; ++i) {
    if (!ValidVertex(i)) continue;  // the characters of a tag have no quad
    const int32_t v = m_charToVertex[i];
    if (v == previous) continue;
    previous = v;
    const float left = std::floor(m_cells[v].x), right = std::floor(m_cells[v + 2].x);
    const float bottom = std::floor(m_cells[v].y), top = std::floor(m_cells[v + 2].y);
    DrawElementRect(context, engine, e, left, bottom, right - left, top - bottom, 2, colors);
  }
}

void WText_I::DrawFrameRecords(WidgetDrawContext* context, RenderEngine* engine) {
  for (const WTextImg& r : m_frameRecords) {
    const bool mouse = r.id != kTextFrameKey && r.id != kTextFrameButton && r.id != kTextFrameIconButton;
    UIElement_I* e = StyleElement(mouse                      ? &WidgetStyle_I::m_elementMouse
                                  : r.id == kTextFrameKey    ? &WidgetStyle_I::m_elementKey
                                  : r.id == kTextFrameButton ? &WidgetStyle_I::m_elementButton
                                                             : &WidgetStyle_I::m_elementIconButton);
    if (!e) continue;
    if (mouse) {
      Vector4f parts[kMouseParts];
      parts[0] = context->color;
      for (int k = 0; k + 1 < kMouseParts; ++k)
        parts[k + 1] = (uint32_t(r.id) >> k) & 1u ? context->color : Transparent(context->color);
      DrawElementRect(context, engine, e, r.position.x, r.position.y, r.dimension.x, r.dimension.y, kMouseParts, parts);
    } else {
      Vector4f color = r.color;
      color *= context->color;
      Vector4f colors[kFrameColors];
      colors[0] = color;
      for (int i = 1; i < kFrameColors; ++i) colors[i] = Transparent(color);
      DrawElementRect(context, engine, e, r.position.x, r.position.y, r.dimension.x, r.dimension.y, kFrameColors,
                      colors);
    }
  }
}

void WText_I::DrawGlyphs(WidgetDrawContext* context, RenderEngine* engine, const Vector4f& textColor) {
  if (m_glyphs.record.PrimCount <= 0) return;
  const FontStyle_I* style = m_label.fontStyle.IsNil() ? GetFontStyle() : m_label.fontStyle.Get();
  engine->SetShaderBase(style->m_fontShader.Get(), true);
  const Vector3f normal{0, 0, 1};
  const Vector3f& offset = style->m_shadowOffset;
  if (offset.x != 0.0f || offset.y != 0.0f || offset.z != 0.0f) {
    Matrix4f shadowMatrix = m_layout.world;
    for (int c = 0; c < 4; ++c)
      shadowMatrix.m[12 + c] +=
          offset.x * m_layout.world.m[c] + offset.y * m_layout.world.m[4 + c] + offset.z * m_layout.world.m[8 + c];
    engine->SetModelViewMatrix(&shadowMatrix);
    engine->UpdateClipRect();
    const Vector4f& s = style->m_shadowColor;
    Vector4f color{s.x, s.y, s.z, s.w * ((m_layout.combinedInputFlags & 2) ? 1.0f : 0.5f) * textColor.w};
    color *= context->color;
    // Direct3D 8 leaves the material colour alone and colours the shadow by the record's constant colour.
    m_glyphs.record.ConstantColor = color;
    engine->SetMaterialColor(&color);
    engine->SetNormal(&normal);
    // The shadow is one colour: its own cache never sees the colour array.
    const Vector4f* colors = m_glyphs.record.ColorArray;
    m_glyphs.record.ColorArray = nullptr;
    engine->DrawPolygonDataClipped(&m_glyphs.record, &m_glyphs.shadowCache);
    m_glyphs.record.ColorArray = colors;
  }
  engine->SetModelViewMatrix(&m_layout.world);
  engine->UpdateClipRect();
  Vector4f color = textColor;
  color *= context->color;
  m_glyphs.record.ConstantColor = color;
  engine->SetNormal(&normal);
  engine->SetMaterialColor(&color);
  m_glyphs.ScaleColors(context->color);
  engine->DrawPolygonDataClipped(&m_glyphs.record, &m_glyphs.textCache);
  engine->ResetMaterialColor();
}

void WText_I::DrawCursor(WidgetDrawContext* context, RenderEngine* engine) {
  UIElement_I* e = StyleElement(&WidgetStyle_I::m_elementTextEdit);
  const int32_t count = m_charToVertex.Count();
  // A cursor at the map's length draws none; one beyond it stands on the last entry.
  if (!e || m_cursorPos < 0 || count == 0 || m_cursorPos == count) return;
  const int32_t at = std::min(m_cursorPos, count - 1);
  if (!ValidVertex(at)) return;
  const int32_t v = m_charToVertex[at];
  Vector4f colors[2] = {Transparent(context->color), context->color};
  colors[kCursorColor].w *= float(BlinkAlpha(m_blink.GetElapsedSeconds()));
  static_assert(kSelectionColor == 0 && kCursorColor == 1);
  const float left = std::floor(m_cells[v].x), bottom = std::floor(m_cells[v].y);
  const float top = std::floor(m_cells[v + 2].y);
  DrawElementRect(context, engine, e, left, bottom, kCursorWidth, top - bottom, 2, colors);
}

void WText_I::DrawTile(RenderEngine* engine, const Vector3f& position, const Vector3f& dimension, const Vector4f& color,
                       int32_t tile, int32_t) {
  const TileCollection_I* tiles = m_tileCollection.Get();
  if (IsNilObject(tiles)) tiles = m_style.IsNil() ? nullptr : m_style->m_iconCollection.Get();
  if (!tiles || IsNilObject(tiles) || tile < 0 || tile >= tiles->m_shaderArray.Count()) return;
  RenderShader_I* shader = tiles->m_shaderArray[tile].Get();
  if (IsNilObject(shader)) return;
  const int32_t select = tile < tiles->m_tileSelectArray.Count() ? tiles->m_tileSelectArray[tile] : -1;
  engine->SetShaderBase(shader, true);
  float uv[8];
  UITileTexCoords(UIShaderTexture(shader), select, uv);
  engine->DrawQuadClipped(position.x, position.x + dimension.x, position.y, position.y + dimension.y, uv, &color);
}

}  // namespace PM
