// The text widget over any bytes: its markup reader gives tags that end inside the text; the layout at
// three widths, its drawing, and, when the first byte is odd, editing keys taken from the bytes stay
// inside the widget's arrays (the sanitizers watch every index).
#include <cmath>
#include <cstdint>
#include <cstdlib>

#include "ScriptRun.h"
#include "engine/RenderEngine.h"
#include "render/DefaultShaders.h"
#include "render/FontTexture2D.h"
#include "render/RenderShader.h"
#include "script/object/MemberAccess.h"
#include "ui/FontStyle.h"
#include "ui/TileCollection.h"
#include "ui/WEvent.h"
#include "ui/WText.h"
#include "ui/WTextMarkup.h"
#include "ui/WidgetDrawContext.h"
#include "ui/WidgetInput.h"

namespace {

// Every tag read from the text is well formed.
void ReadTags(const char* text, int32_t length) {
  for (int32_t i = 0; i < length;) {
    if (text[i] != '{') {
      ++i;
      continue;
    }
    const PM::TextTag t = PM::ReadTextTag(text, i, length, {1, 1, 1, 1});
    if (t.end <= i || t.end > length) abort();
    const float values[] = {t.dim[0], t.dim[1], t.pos[0], t.pos[1], t.inc, t.scale, t.color.x, t.color.w};
    for (float v : values)
      if (!std::isfinite(v)) abort();
    if (t.mouseFlags >= 0x2000 || t.tile < -1 || t.iconTile < -1) abort();
    i = t.end;
  }
}

// An engine that reads every vertex a glyph record indexes, so that a record pointing past its arrays
// trips the sanitizer.
class ReadingEngine final : public PM::RenderEngine {
 public:
  void DrawPolygonDataClipped(const PM::PolygonData* d, PM::Ptr<PM::RenderPolygonCache>*) override {
    for (int32_t i = 0; i < d->IndexCount; ++i) {
      const uint32_t v = d->IndexArray[i];
      if (v >= uint32_t(d->VertexCount)) abort();
      sum += d->VertexArray[v].x + d->TexCoordArray0[v].x + (d->ColorArray ? d->ColorArray[v].w : 0.0f);
    }
  }
  float sum = 0;
};

// Lays the text out and draws it under white and under grey (the scaled colour copy).
void Draw(PM::WText_I* t) {
  static ReadingEngine engine;
  PM::WidgetDrawContext context;
  for (const PM::Vector4f color : {PM::Vector4f{1, 1, 1, 1}, PM::Vector4f{0.5f, 0.5f, 0.5f, 1}}) {
    context.color = color;
    t->DrawSelf(&context, &engine);
  }
}

// A text widget on DejaVu Sans Mono with a tile collection, made once per process.
PM::WText_I* TextWidget() {
  static PM::WText_I* text = [] {
    using namespace PM;
    auto* font = static_cast<FontTexture2D_I*>(ScriptObject::Create(FindClassID("FontTexture2D")));
    font->m_fontName = "DejaVu Sans Mono";
    font->m_characterSize = {0, 16};
    Obj<ScriptObject> shader = CreateTexturedShader("font", "", true, false);
    ScriptObject* phong = MemberGet<VObject>(shader.Get(), 0x01FFF082);
    MemberSet<VObject>(MemberGet<VObject>(phong, 0x01FFF084), 0x01FFF085, font);
    auto* style = static_cast<FontStyle_I*>(ScriptObject::Create(FindClassID("FontStyle")));
    style->m_fontShader = static_cast<RenderShader_I*>(shader.Get());
    style->m_fontSize = {16, 16};
    static Obj<ScriptObject> held(ScriptObject::Create(FindClassID("WText")));  // for the life of the process
    auto* t = static_cast<WText_I*>(held.Get());
    t->m_label.fontStyle = style;
    t->m_tileCollection = static_cast<TileCollection_I*>(ScriptObject::Create(FindClassID("TileCollection")));
    return t;
  }();
  return text;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size > 1 << 16 || !PM::Fuzz::StartLibraryOnce()) return 0;
  const char* bytes = reinterpret_cast<const char*>(data);
  ReadTags(bytes, int32_t(size));
  PM::WText_I* t = TextWidget();
  const bool editable = size > 0 && (data[0] & 1);
  t->SetEditable(editable);
  if (!editable) {
    t->SetText(PM::String(bytes, int(size)));
    for (float width : {50.0f, 300.0f, 1000.0f}) {
      t->m_layout.dimension.x = width;
      t->MarkLayoutStale();
      t->GetTextWidth();
      Draw(t);
    }
    return 0;
  }
  // Editable: the bytes after the first are key records (character, virtual key, modifiers).
  t->SetText("start {Img=1}");
  t->m_cursorPos = 3;
  t->m_maxLength = 64;
  t->m_maxLines = 3;
  for (size_t i = 1; i + 2 < size; i += 3) {
    if (!t->LayoutValid()) t->GetTextWidth();
    PM::WidgetInput in;
    in.character = data[i];
    in.virtualKey = data[i + 1] % 48;
    in.modifiers = data[i + 2] & 1;
    in.text = "pasted\ntext";
    t->m_cursorPos = data[i + 2] & 0x80 ? int32_t(data[i + 2]) : t->m_cursorPos;  // stored values out of range
    t->SendEvent(PM::kWEventKeyDown, &in);
  }
  t->m_selectionEnd = 1000;  // stored values past the text draw nothing beyond it
  Draw(t);
  return 0;
}
