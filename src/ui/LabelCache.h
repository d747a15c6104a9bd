// The label of a control: its text, font style and colour, with the text measured once and its glyph
// quads built once and drawn from the cache every frame until the text or the font style changes.
#pragma once

#include <cstdint>
#include <vector>

#include "core/Obj.h"
#include "core/String.h"
#include "core/Vector2f.h"
#include "core/Vector4f.h"
#include "engine/PolygonData.h"
#include "engine/RenderPolygonCache.h"
#include "ui/WidgetLayout.h"

namespace PM {

class FontStyle_I;
class FontTexture2D_I;
class RenderEngine;
class Widget_I;
struct WidgetDrawContext;

class LabelCache {
 public:
  LabelCache();
  ~LabelCache();
  LabelCache(const LabelCache&) = delete;
  LabelCache& operator=(const LabelCache&) = delete;

  // Stores a different text and makes the cache stale; an equal text changes nothing.
  void SetText(const String& text);
  // Stores the style (nil allowed) and always makes the cache stale.
  void SetFontStyle(FontStyle_I* style);
  // Measures the text once (own font style, else the fallback) into the label record's minimum size.
  WidgetLayout* CalcDimMin(FontStyle_I* fallback);
  // Has the text been measured since it or the font style last changed (CalcDimMin then needs no fallback).
  bool Measured() const { return record.minimumSize.x >= 0.0f; }
  // Places the label at its measured size inside the parent record.
  void CommitLayout(const WidgetLayout& parent);
  // Draws the shadow and the text from the cached quads, building them first when stale.
  void Draw(WidgetDrawContext* context, RenderEngine* engine, FontStyle_I* fallbackStyle,
            const Vector4f& fallbackColor);
  // The same in `color`, whatever the label's own colour is.
  void DrawInColor(WidgetDrawContext* context, RenderEngine* engine, FontStyle_I* fallbackStyle, const Vector4f& color);

  // The label's place in its control: measured size, and the record's alignment modes (centred unless the
  // control says otherwise) inside the control's client area.
  WidgetLayout record;
  String text;
  Vector4f fontColor{-1, -1, -1, -1};
  Obj<FontStyle_I> fontStyle;
  int32_t valid = 0;
  PolygonData polygon;
  Ptr<RenderPolygonCache> textCache, shadowCache;
  std::vector<uint32_t> indices;
  std::vector<Vector3f> positions;
  std::vector<Vector2f> coords;
  // The control that shows the label: named in its errors, which it logs once per widget and style.
  const Widget_I* owner = nullptr;

 private:
  // Logs a drawing error (the parts after the message's start), once per owner and `key` object.
  template <class... A>
  void ReportDrawError(const char* what, const void* key, const A&... parts);
  // Builds the glyph quads; false (and stale) when the font wrote none.
  bool Build(FontTexture2D_I* font, const FontStyle_I& style);
  void MakeStale();
};

// The font texture a font style draws with; nullptr, with a failed cast reported for a texture of
// another class, when its FontShader does not lead to one.
FontTexture2D_I* FontTextureOf(const FontStyle_I* style);

}  // namespace PM
