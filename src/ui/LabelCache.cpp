#include "ui/LabelCache.h"

#include <cstring>
#include <numeric>

#include "core/Log.h"
#include "engine/RenderEngine.h"
#include "render/FontTexture2D.h"
#include "render/RenderShader.h"
#include "ui/FontStyle.h"
#include "ui/UIShaderTexture.h"
#include "ui/Widget.h"
#include "ui/WidgetDrawContext.h"
#include "ui/WidgetStyle.h"

namespace PM {

namespace {

// What a rebuild tells the polygon caches: the counts and every array it writes changed.
constexpr uint32_t kRebuilt = PolygonData::kCountsChanged | PolygonData::kDynamicIndices |
                              PolygonData::kDynamicPositions | PolygonData::kDynamicColors |
                              PolygonData::kDynamicTexCoords0;

// The label's own font style, else the fallback; null when neither is set.
const FontStyle_I* StyleOf(const Obj<FontStyle_I>& own, const FontStyle_I* fallback) {
  if (!own.IsNil()) return own.Get();
  return fallback && !IsNilObject(fallback) ? fallback : nullptr;
}

void Unload(Ptr<RenderPolygonCache>& cache) {
  if (!cache) return;
  cache->Unload();
  cache.Clear();
}

// translation(offset) * m, with row vectors.
Matrix4f Translated(const Vector3f& t, const Matrix4f& m) {
  Matrix4f out = m;
  for (int c = 0; c < 4; ++c) out.m[12 + c] = t.x * m.m[c] + t.y * m.m[4 + c] + t.z * m.m[8 + c] + m.m[12 + c];
  return out;
}

}  // namespace

FontTexture2D_I* FontTextureOf(const FontStyle_I* style) {
  Texture2D_I* texture = UIShaderTexture(style->m_fontShader.Get());
  if (!texture) return nullptr;
  if (!texture->IsA(FontTexture2D_I::kClassId)) {
    ScriptObject::ExpectFailed(texture, FontTexture2D_I::kClassId);
    return nullptr;
  }
  return static_cast<FontTexture2D_I*>(texture);
}

LabelCache::LabelCache() {
  record.resizeModeX = record.resizeModeY = kResizeMin;
  polygon.PrimType = PrimitiveType::kQuad;
}

LabelCache::~LabelCache() {
  Unload(textCache);
  Unload(shadowCache);
}

void LabelCache::MakeStale() {
  valid = 0;
  record.minimumSize.x = -1.0f;
  if (owner) owner->NoteLayoutEdit();  // the next measure may change the control's minimum
}

void LabelCache::SetText(const String& t) {
  if (t.Length() == text.Length() && std::memcmp(t.CStr(), text.CStr(), size_t(t.Length())) == 0) return;
  text = t;
  MakeStale();
}

void LabelCache::SetFontStyle(FontStyle_I* style) {
  fontStyle = style ? style : static_cast<FontStyle_I*>(NilScriptObject());
  MakeStale();
}

WidgetLayout* LabelCache::CalcDimMin(FontStyle_I* fallback) {
  if (Measured()) return &record;
  record.minimumSize = {0, 0, 0};
  if (text.Length() == 0) return &record;
  const FontStyle_I* style = StyleOf(fontStyle, fallback);
  if (!style) return &record;
  FontTexture2D_I* font = FontTextureOf(style);
  if (!font) {
    LogError("LabelCache::CalcDimMin: unsupported shader structure in FontShader.");
    return &record;
  }
  float advance = 0.0f;
  record.minimumSize = {font->MeasureText(text.CStr(), text.Length(), &style->m_fontSize.x, &advance),
                        style->m_fontSize.y, 0};
  return &record;
}

void LabelCache::CommitLayout(const WidgetLayout& parent) {
  record.computedSize = record.minimumSize;
  record.ApplyParent(parent);
  record.PlaceIn(parent.world);
  record.InheritClip(parent);
}

bool LabelCache::Build(FontTexture2D_I* font, const FontStyle_I& style) {
  const size_t n = size_t(text.Length()) * 4;
  positions.resize(n);
  coords.resize(n);
  if (indices.size() != n) {
    indices.resize(n);
    std::iota(indices.begin(), indices.end(), 0u);
  }
  int32_t written = n == 0 ? 0
                           : font->BuildTextQuads(text.CStr(), text.Length(), positions.data(), coords.data(),
                                                  style.m_fontSize, Vector3f{0, 0, 0});
  // Only whole quads the font wrote are drawn; none leaves the cache stale so that it tries again.
  written = std::clamp(written, 0, int32_t(n)) / 4 * 4;
  if (written == 0) return false;
  polygon.PrimType = PrimitiveType::kQuad;
  polygon.PrimCount = written / 4;
  polygon.IndexCount = written;
  polygon.VertexCount = written;
  polygon.IndexArray = indices.data();
  polygon.VertexArray = positions.data();
  polygon.TexCoordArray0 = coords.data();
  if (textCache) textCache->SetDirty(kRebuilt);
  if (shadowCache) shadowCache->SetDirty(kRebuilt);
  valid = 1;
  return true;
}

template <class... A>
void LabelCache::ReportDrawError(const char* what, const void* key, const A&... parts) {
  if (!owner) return LogError(parts..., ".");
  if (!owner->m_reports.First(ReportOnce::Key(what, uint64_t(reinterpret_cast<uintptr_t>(key))))) return;
  const String style = owner->m_style.IsNil() ? String() : owner->m_style->m_name;
  LogError(parts..., " (", owner->GetClassName(), " \"", owner->m_name, "\", WidgetStyle \"", style, "\").");
}

void LabelCache::Draw(WidgetDrawContext* context, RenderEngine* engine, FontStyle_I* fallbackStyle,
                      const Vector4f& fallbackColor) {
  DrawInColor(context, engine, fallbackStyle, fontColor.w >= 0.0f ? fontColor : fallbackColor);
}

void LabelCache::DrawInColor(WidgetDrawContext* context, RenderEngine* engine, FontStyle_I* fallbackStyle,
                             const Vector4f& own) {
  const FontStyle_I* style = StyleOf(fontStyle, fallbackStyle);
  if (!style) {
    // Keyed by the widget's style: a misspelt style name gives an empty style, met every frame.
    const void* key = owner && !owner->m_style.IsNil() ? owner->m_style.Get() : nullptr;
    ReportDrawError("FontStyle", key, "LabelCache::Draw: FontStyle of \"", text, "\" must not be Nil");
    return;
  }
  FontTexture2D_I* font = FontTextureOf(style);
  if (!font) {
    ReportDrawError("FontShader", style, "WControl_D::Draw: unsupported shader structure in FontShader \"", text, "\"");
    return;
  }
  engine->SetShaderBase(style->m_fontShader.Get(), true);
  if (!valid && !Build(font, *style)) return;
  engine->SetClipRect(record.clipRect, record.clipState != kClipNone);
  const Vector3f normal{0, 0, 1};
  const Vector3f& offset = style->m_shadowOffset;
  if (offset.x != 0.0f || offset.y != 0.0f || offset.z != 0.0f) {
    const Matrix4f shadowMatrix = Translated(offset, record.world);
    engine->SetModelViewMatrix(&shadowMatrix);
    engine->UpdateClipRect();
    // The label record never carries input flags, so the shadow is always at half its alpha.
    const Vector4f& s = style->m_shadowColor;
    Vector4f color{s.x, s.y, s.z, s.w * 0.5f * own.w};
    color *= context->color;
    // Direct3D 8 leaves the material colour alone and colours glyphs by the record's constant colour.
    polygon.ConstantColor = color;
    engine->SetMaterialColor(&color);
    engine->SetNormal(&normal);
    engine->DrawPolygonDataClipped(&polygon, &shadowCache);
  }
  engine->SetModelViewMatrix(&record.world);
  engine->UpdateClipRect();
  Vector4f color = own;
  color *= context->color;
  polygon.ConstantColor = color;
  engine->SetMaterialColor(&color);
  engine->SetNormal(&normal);
  engine->DrawPolygonDataClipped(&polygon, &textCache);
  engine->ResetMaterialColor();
}

}  // namespace PM
