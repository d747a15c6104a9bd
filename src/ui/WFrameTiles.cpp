// The tile path of a frame without a frame element: border pieces cut from the style's tiles, coloured
// by the widget's state.
#include <algorithm>

#include "engine/RenderEngine.h"
#include "render/RenderShader.h"
#include "render/TileTexture2D.h"
#include "ui/TileCollection.h"
#include "ui/UIShaderTexture.h"
#include "ui/WFrame.h"
#include "ui/WidgetDrawContext.h"
#include "ui/WidgetStyle.h"

namespace PM {

namespace {

constexpr int32_t kFrameTiles = 18;

// How often a tile repeats along an edge of `span` with corners `width` wide; a zero width counts once.
float Repeat(float span, float width) { return width != 0.0f ? span / width : 1.0f; }

}  // namespace

void NarrowCrossedEdges(float e[4]) {
  if (e[1] <= e[2]) return;
  const float d = (e[1] - e[2]) * 0.5f;
  e[3] += d;
  e[0] -= d;
  const float middle = ((e[1] - d) + (e[2] + d)) * 0.5f;
  e[1] = e[2] = middle;
}

void WFrame_I::DrawTiles(WidgetDrawContext* context, RenderEngine* engine) {
  const WidgetStyle_I& s = *m_style;
  engine->SetClipRect(m_layout.clipRect, m_layout.clipState != kClipNone);
  engine->SetModelViewMatrix(&m_layout.world);
  engine->UpdateClipRect();

  const bool focus = (m_layout.combinedInputFlags & 1) != 0;
  const int32_t state = m_widgetState;
  Vector4f color = context->color;
  int32_t o = 0;
  if (state == -2)
    color *= s.m_inactiveFrameColor;
  else if (state == -1)
    color *= s.m_defaultFrameColor;
  else if (focus) {
    color *= s.m_focusFrameColor;
    o = s.m_focusFrameTileOffset;
  } else
    color *= (state == 1 || state == 2) ? s.m_enableFrameColor : s.m_disableFrameColor;

  const float w = m_layout.computedSize.x, h = m_layout.computedSize.y;
  const bool titled = !m_titleWidget.IsNil();
  const float t = titled ? m_titleLayout.computedSize.y : 0.0f;
  const Vector3f &wmin = s.m_borderWidthMin, &wmax = s.m_borderWidthMax;
  const Vector3f &omin = s.m_borderOverlapMin, &omax = s.m_borderOverlapMax;
  float x[4] = {omin.x - wmin.x, omin.x, w - omax.x, 0};
  x[3] = x[2] + wmax.x;
  // Rows: bottom, middle, then the top row (no title) or the title band and the top row.
  float y[5] = {omin.y - wmin.y, omin.y, 0, 0, 0};
  if (titled) {
    y[2] = std::max(h, omin.y);
    y[3] = h + t - omax.y;
    y[4] = y[3] + wmax.y;
  } else {
    y[2] = h - omax.y;
    y[3] = y[2] + wmax.y;
    NarrowCrossedEdges(y);
  }
  NarrowCrossedEdges(x);

  const Array<int32_t>& sel = s.m_tileSelectArray;
  if (sel.Count() < kFrameTiles) return;
  const TileCollection_I* icons = s.m_iconCollection.Get();
  const bool collection = !IsNilObject(icons);
  const Texture2D_I* texture = nullptr;
  if (!collection) {
    texture = UIShaderTexture(s.m_widgetShader.Get());
    if (!texture || !texture->IsA(TileTexture2D_I::kClassId)) return;
    engine->SetShaderBase(s.m_widgetShader.Get(), true);
  }
  const float rx = Repeat(x[2] - x[1], x[1] - x[0]), ry = Repeat(y[2] - y[1], y[1] - y[0]);
  const int32_t rows = titled ? 4 : 3;
  const bool joined = titled && y[1] == y[2];
  for (int32_t r = 0; r < rows; ++r) {
    for (int32_t c = 0; c < 3; ++c) {
      int32_t slot = o + r * 3 + c;
      if (r == 0 && joined) slot = 9 + c;
      if (titled && r >= 2) slot = 12 + (r - 2) * 3 + c;
      const int32_t tile = (slot >= 0 && slot < sel.Count()) ? sel[slot] : -1;
      float uv[8];
      if (collection) {
        const float u = c == 1 ? rx : 1.0f, v = r == 1 ? ry : 1.0f;
        const float corners[8] = {0, 0, u, 0, 0, v, u, v};
        std::copy(corners, corners + 8, uv);
        const bool known = tile >= 0 && tile < icons->m_shaderArray.Count();
        engine->SetShaderBase(known ? static_cast<ScriptObject*>(icons->m_shaderArray[tile].Get()) : NilScriptObject(),
                              true);
      } else {
        UITileTexCoords(texture, tile, uv);
      }
      engine->DrawQuadClipped(x[c], x[c + 1], y[r], y[r + 1], uv, &color);
    }
  }
}

}  // namespace PM
