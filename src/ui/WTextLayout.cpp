// The text widget's layout: tokens measured once, lines broken on those widths, aligned and placed as
// glyph quads with the records of images, key caps, buttons and mouse pictures.
#include <algorithm>
#include <cmath>
#include <string>
#include <vector>

#include "core/Log.h"
#include "render/DefaultShaders.h"
#include "render/FontTexture2D.h"
#include "render/RenderShader.h"
#include "ui/FontStyle.h"
#include "ui/ReportOnce.h"
#include "ui/TileCollection.h"
#include "ui/UIElement.h"
#include "ui/WText.h"
#include "ui/WTextMarkup.h"
#include "ui/WidgetStyle.h"
#include "ui/WidgetWalk.h"

namespace PM {
namespace {

enum class TokenKind : uint8_t { Word, Space, LineBreak, Other, Tag };

struct Token {
  int32_t start, length;
  TokenKind kind;
  float width, advance;  // line-break width and pen advance
  int32_t tag;           // index into the tags of the layout, -1 for text
};

struct Line {
  int32_t first, end;  // tokens [first, end)
  float width, extra;  // width up to the last non-space token; block extra per token
};

// Scales a text can be drawn at; "{Scale=" values outside are taken as 1.
constexpr float kMinScale = 0.01f, kMaxScale = 100.0f;
// How much of a faulty tag its warning quotes.
constexpr size_t kQuotedTagLength = 40;

bool SelfSizing(const WText_I* t) {
  const uint32_t m = t->m_layout.resizeModeX;
  return (m == kResizeMin || m == kResizeMinPercent) && t->m_wrapDimension.x > 0;
}

// Does a line break before token k of width w: not for spaces, zero-width tags or a line's first token,
// nor for a line break, which ends the line it closes even when that line is already full.
bool BreaksBefore(const Token& k, float lineWidth, float W, bool firstOfLine) {
  if (firstOfLine || k.kind == TokenKind::Space || k.kind == TokenKind::LineBreak) return false;
  if (k.kind == TokenKind::Tag && k.width == 0) return false;
  return lineWidth + k.width >= W;
}

}  // namespace

UIElement_I* WText_I::StyleElement(Obj<UIElement_I> WidgetStyle_I::*element) const {
  if (m_style.IsNil()) return nullptr;
  UIElement_I* e = (m_style.Get()->*element).Get();
  return IsNilObject(e) ? nullptr : e;
}

bool WText_I::LayoutOutdated() const {
  const Vector4f& c = m_label.fontColor;
  return m_laidOutDimension != m_layout.computedSize || m_laidOutFontColor.x != c.x || m_laidOutFontColor.y != c.y ||
         m_laidOutFontColor.z != c.z || m_laidOutFontColor.w != c.w || m_laidOutFontStyle != m_label.fontStyle.Get();
}

FontTexture2D_I* WText_I::TextFont(const char* caller) {
  // Found again on every call (the style may change), but a missing font is reported once until found.
  FontStyle_I* style = m_label.fontStyle.IsNil() ? GetFontStyle() : m_label.fontStyle.Get();
  if (IsNilObject(style)) {
    if (!m_fontReported)
      LogError("WText::GetTextHeight: FontStyle of WidgetStyle \"", m_style.IsNil() ? String() : m_style->m_name,
               "\" must not be Nil.");
    m_fontReported = true;
    return nullptr;
  }
  Obj<ScriptObject> texture = GetShaderTexture(style->m_fontShader.Get());
  if (texture.IsNil() || !texture->IsA(FontTexture2D_I::kClassId)) {
    const RenderShader_I* shader = style->m_fontShader.Get();
    if (!m_fontReported)
      LogError(caller, ": unsupported shader structure in FontShader \"",
               IsNilObject(shader) ? String() : shader->m_name, "\".");
    m_fontReported = true;
    return nullptr;
  }
  m_fontReported = false;
  return static_cast<FontTexture2D_I*>(texture.Get());
}

float WText_I::GetTextHeight() {
  if (!m_layoutValid) {
    FontTexture2D_I* font = TextFont("WText::GetTextHeight");
    if (!font) return 0;
    Layout(font, DefaultTextColor());
  }
  return m_textHeight;
}

float WText_I::GetTextWidth() {
  if (!m_layoutValid) {
    FontTexture2D_I* font = TextFont("WText::GetTextWidth");
    if (!font) return 0;
    Layout(font, DefaultTextColor());
  }
  return m_textWidth;
}

WidgetLayout* WText_I::CalcDimMin() {
  WidgetWalkGuard guard("Widget::CalcDimMin", this);
  if (!guard.Entered()) return &m_layout;
  // A changed size, font colour or font style makes the layout stale.
  if (LayoutOutdated()) m_layoutValid = false;
  Vector3f m = ChildrenMinimum(this, false, &WidgetLayout::minimumSize);
  m.x = std::max(m.x, GetTextWidth());
  m.y = std::max(m.y, GetTextHeight());
  m_layout.ComputeMinimum(m);
  return &m_layout;
}

void WText_I::CheckTag(TextTag& t, std::string_view source) const {
  if (t.kind == TextTagKind::Scale && t.hasScale)
    t.scale = SaneLayoutValue(this, "Scale", t.scale, t.scale >= kMinScale && t.scale <= kMaxScale, 1.0f);
  if (t.closed && t.kind != TextTagKind::Other) return;
  if (!m_reports.First(ReportOnce::Key(source, t.closed))) return;
  const String quoted(source.data(), int32_t(std::min(source.size(), kQuotedTagLength)));
  const char* more = source.size() > kQuotedTagLength ? "..." : "";
  if (!t.closed)
    LogWarn("WText \"", m_name, "\": markup tag \"", quoted, more,
            "\" has no closing \"}\" and runs to the end of the text.");
  else
    LogWarn("WText \"", m_name, "\": unknown markup tag \"", quoted, more, "\" is skipped.");
}

void WText_I::Layout(FontTexture2D_I* font, const Vector4f& callerColor) {
  WidgetLayout& l = m_layout;
  ++m_layoutRuns;
  const Vector3f before = l.computedSize;  // what the next minimum pass compares with
  // 1. The width lines break at.
  float W = l.dimension.x;
  if (l.resizeModeX == kResizeMin || l.resizeModeX == kResizeMinPercent)
    W = m_wrapDimension.x > 0 ? m_wrapDimension.x : l.dimension.x;
  else if (l.resizeModeX == kResizePercent)
    W = l.computedSize.x;
  l.computedSize.x = W;
  // 2.-4.
  const Vector2f fontSize = m_label.fontStyle.IsNil() ? Vector2f{64, 64} : m_label.fontStyle->m_fontSize;
  const FontStyle_I* styleFont = m_label.fontStyle.IsNil() ? GetFontStyle() : m_label.fontStyle.Get();
  const Vector2f fs = IsNilObject(styleFont) ? fontSize : styleFont->m_fontSize;
  m_imageRecords.Clear();
  m_frameRecords.Clear();
  TileCollection_I* tiles = m_tileCollection.Get();
  if (IsNilObject(tiles) && !m_style.IsNil()) tiles = m_style->m_iconCollection.Get();
  if (IsNilObject(tiles)) tiles = nullptr;
  std::string working(m_ownText.View());
  if (m_editable) working += ' ';  // so that the cursor can stand after the last character
  const char* text = working.c_str();
  const int32_t n = int32_t(working.size());
  const bool markup = m_hasMarkup && !m_editable;
  const Vector4f defaultColor = m_label.fontColor.w >= 0 ? m_label.fontColor : callerColor;
  UIElement_I* keyElement = StyleElement(&WidgetStyle_I::m_elementKey);
  UIElement_I* buttonElement = StyleElement(&WidgetStyle_I::m_elementButton);
  UIElement_I* iconButtonElement = StyleElement(&WidgetStyle_I::m_elementIconButton);
  UIElement_I* mouseElement = StyleElement(&WidgetStyle_I::m_elementMouse);
  const Vector3f zero{0, 0, 0};

  // 5.-6. Measuring pass: every token once, and the widest line for self-sizing.
  std::vector<Token> tokens;
  tokens.reserve(size_t(n) / 2 + 1);  // prose has a token per two characters or fewer; growing costs more
  std::vector<TextTag> tags;
  float scale = 1.0f;
  bool syntaxReported = false;
  // Words are measured at the glyphs' width, as they are built: the font scales a run by its x size.
  struct Measured {
    float width, advance;
  };
  auto measure = [&](int32_t start, int32_t length) {
    const float size = fs.x * scale;
    Measured m{0, 0};
    m.width = font->MeasureText(text + start, length, &size, &m.advance);
    return m;
  };
  // A lone space measures the same at the same scale: measured again only when the scale changed.
  float spaceScale = 0;
  Measured space{0, 0};
  auto measureSpace = [&](int32_t at) {
    if (spaceScale != scale) {
      space = measure(at, 1);
      spaceScale = scale;
    }
    return space;
  };
  float lineWidth = 0, linePen = 0, widest = 0;
  for (int32_t i = 0; i < n;) {
    // Filled where it is kept: a token built beside and copied in is written in pieces and read whole.
    Token& k = tokens.emplace_back(Token{i, 1, TokenKind::Other, 0, 0, -1});
    const unsigned char c = static_cast<unsigned char>(text[i]);
    if (markup && c == '{') {
      TextTag t = ReadTextTag(text, i, n, defaultColor);
      if (t.syntaxError && !syntaxReported) {
        LogError("Invalid .Text syntax for \"", m_name, "\".");
        syntaxReported = true;
      }
      CheckTag(t, std::string_view(text + i, size_t(t.end - i)));
      k.kind = TokenKind::Tag;
      k.length = t.end - i;
      const float h = fs.y * scale;
      switch (t.kind) {
        case TextTagKind::Image:
          if (t.dim[0] == 0) t.dim[0] = h;
          if (t.dim[1] == 0) t.dim[1] = h;
          k.width = k.advance = t.hasInc ? t.inc : t.dim[0];
          break;
        case TextTagKind::Key:
        case TextTagKind::Button: {
          const bool key = t.kind == TextTagKind::Key;
          const UIElement_I* e = key ? keyElement : (t.hasIcon ? iconButtonElement : buttonElement);
          const Vector3f bmin = e ? e->m_borderMin : zero, bmax = e ? e->m_borderMax : zero;
          float advance = 0;
          const float size = fs.x * scale;
          k.width = font->MeasureText(t.name.data(), int32_t(t.name.size()), &size, &advance);
          if (t.dim[0] == 0)
            t.dim[0] = key ? std::max(std::floor(advance) + bmin.x + bmax.x, e ? e->m_defaultDim.x : 0.0f)
                           : std::floor(advance + bmin.x + bmax.x);
          if (t.dim[1] == 0) t.dim[1] = std::floor(h) + bmin.y + bmax.y;
          k.advance = t.dim[0];
          break;
        }
        case TextTagKind::Mouse:
          k.advance = mouseElement ? mouseElement->m_defaultDim.x : 0.0f;
          break;
        case TextTagKind::Scale:
          if (t.hasScale) scale = t.scale;
          break;
        default:
          break;
      }
      k.tag = int32_t(tags.size());
      tags.push_back(std::move(t));
    } else if (c > 32) {
      int32_t e = i;
      while (e<n&& static_cast<unsigned char>(text[e])> 32 && !(markup && text[e] == '{')) ++e;
      k.kind = TokenKind::Word;
      k.length = e - i;
      const Measured m = measure(i, k.length);
      k.width = m.width;
      k.advance = m.advance;
    } else if (c == ' ') {
      k.kind = TokenKind::Space;
      const Measured m = measureSpace(i);
      k.width = m.width;
      k.advance = m.advance;
    } else if (c == '\n') {
      k.kind = TokenKind::LineBreak;
    }
    // The widest line for self-sizing.
    if (k.kind != TokenKind::Space && (k.kind == TokenKind::LineBreak || (linePen > 0 && lineWidth + k.width >= W))) {
      widest = std::max(widest, std::min(lineWidth, W));
      lineWidth = linePen = 0;
    }
    if (k.kind != TokenKind::LineBreak) {
      linePen += k.advance;
      if (k.kind != TokenKind::Space) lineWidth = linePen;
    }
    i += k.length;
  }
  widest = std::max(widest, std::min(lineWidth, W));
  if (SelfSizing(this)) W = l.computedSize.x = widest;

  // 7. Vertex arrays: 4 per character, cells 4 more for the caret box.
  m_positions.SetCount(4 * n);
  m_uvs.SetCount(4 * n);
  m_cells.SetCount(4 * n + 4);
  if (m_indices.Count() != 4 * n) {
    m_indices.SetCount(4 * n);
    for (int32_t v = 0; v < 4 * n; ++v) m_indices[v] = v;
  }
  m_colors.Clear();
  m_charToVertex.SetCount(n);
  std::fill_n(m_charToVertex.Data(), n, -1);

  // 8.-9. Lines on the measured widths, aligned.
  std::vector<Line> lines;
  Line cur{0, 0, 0, 0};
  float pen = 0;
  float textWidth = 0;
  auto close = [&](int32_t end) {
    cur.end = end;
    cur.width = std::min(cur.width, W);
    textWidth = std::max(textWidth, cur.width);
    lines.push_back(cur);
    cur = {end, end, 0, 0};
    pen = 0;
  };
  for (int32_t t = 0; t < int32_t(tokens.size()); ++t) {
    const Token& k = tokens[t];
    if (BreaksBefore(k, cur.width, W, t == cur.first)) close(t);
    pen += k.advance;
    if (k.kind != TokenKind::Space && k.kind != TokenKind::LineBreak) cur.width = pen;
    if (k.kind == TokenKind::LineBreak) close(t + 1);
  }
  if (cur.first < int32_t(tokens.size()) || lines.empty()) close(int32_t(tokens.size()));
  for (Line& line : lines) {
    if (l.alignmentModeX != kAlignBlock) continue;
    int32_t count = line.end - line.first;
    if (count > 0 && tokens[line.end - 1].kind == TokenKind::LineBreak) --count;
    if (count > 0) line.extra = std::floor(std::floor(W - line.width) / float(count));
  }

  // 10.-11. Line heights and the top line's place.
  const float h = fs.y * scale;
  const float lineSpacing =
      SaneLayoutValue(this, "LineSpacing", m_lineSpacing, std::isfinite(m_lineSpacing) && m_lineSpacing >= 0, 1.0f);
  float offset = 0, textHeight = 0;
  std::vector<float> lineOffset(lines.size());
  for (size_t i = 0; i < lines.size(); ++i) {
    if (i > 0) offset = std::floor((lineSpacing - 1) * h + offset);
    lineOffset[i] = offset;
    offset += std::floor(h);
  }
  textHeight = offset;
  if (n == 0 && !m_editable) textHeight = 0;
  if (textHeight <= 0 && m_editable) textHeight = h;
  const float H = l.computedSize.y, T = textHeight;
  float top;
  const bool centred = l.alignmentModeY == kAlignCenter || l.alignmentModeY == kAlignBlock;
  if (centred)
    top = std::floor((T + H) * 0.5f - h);
  else if (l.alignmentModeY == kAlignMax && !(l.resizeModeY == kResizeMin || l.resizeModeY == kResizeMinPercent))
    top = std::floor(H - h);
  else
    top = std::floor(T - h);

  // 12.-13. Placement, with the colour array made once a colour differs.
  scale = 1.0f;
  Vector4f color = defaultColor;
  int32_t v = 0;
  auto colorsFrom = [&](const Vector4f& earlier) {
    if (m_colors.Count() > 0) return;
    m_colors.SetCount(4 * n);
    for (int32_t i = 0; i < v; ++i) m_colors[i] = earlier;
  };
  auto glyphs = [&](const char* s, int32_t length, float x, float y, const Vector4f& c) {
    const int32_t room = 4 * n - v;
    length = std::min(length, room / 4);
    if (length <= 0) return 0;
    const float size = fs.y * scale;
    const int32_t written =
        font->BuildTextQuads(s, length, &m_positions[v], &m_uvs[v], {fs.x * scale, size}, {x, y, 0}, &m_cells[v]);
    if (m_colors.Count() > 0)
      for (int32_t i = v; i < v + written; ++i) m_colors[i] = c;
    v += written;
    return written;
  };
  for (size_t li = 0; li < lines.size(); ++li) {
    const Line& line = lines[li];
    const float bottom = top - lineOffset[li];
    float x = 0;
    if (l.alignmentModeX == kAlignCenter)
      x = std::floor((W - line.width) * 0.5f);
    else if (l.alignmentModeX == kAlignMax)
      x = std::floor(W - line.width);
    for (int32_t ti = line.first; ti < line.end; ++ti) {
      const Token& k = tokens[ti];
      if (k.kind != TokenKind::Tag) {
        const int32_t first = v;
        if (glyphs(text + k.start, k.length, x, bottom, color) > 0) {
          int32_t* map = m_charToVertex.Data() + k.start;
          for (int32_t j = 0; j < k.length; ++j) map[j] = first + 4 * j;
        }
      } else {
        const TextTag& t = tags[k.tag];
        const float lh = fs.y * scale;
        auto centreY = [&](float height) { return bottom + std::floor((lh - height) * 0.5f); };
        switch (t.kind) {
          case TextTagKind::Image: {
            int32_t tile = t.tile;
            if (tile < 0) {
              tile = tiles ? tiles->FindName(String(t.name.c_str())) : -1;
              if (tile < 0)
                LogWarn("WText_D: cannot find image \"", String(t.name.c_str()), "\" for WText \"", m_name, "\".");
            }
            if (tile >= 1)
              m_imageRecords.Append({tile, {x + t.pos[0], bottom + t.pos[1], 0}, {t.dim[0], t.dim[1], 0}, t.color});
            break;
          }
          case TextTagKind::Key:
          case TextTagKind::Button: {
            const bool key = t.kind == TextTagKind::Key;
            const UIElement_I* e = key ? keyElement : (t.hasIcon ? iconButtonElement : buttonElement);
            const int32_t id = key ? kTextFrameKey : (t.hasIcon ? kTextFrameIconButton : kTextFrameButton);
            const float y = centreY(t.dim[1]);
            m_frameRecords.Append({id, {x, y, 0}, {t.dim[0], t.dim[1], 0}, t.color});
            const Vector4f labelColor = e ? e->m_fontColor : color;
            if (labelColor != color) colorsFrom(color);
            float advance = 0;
            const float size = fs.x * scale;
            font->MeasureText(t.name.data(), int32_t(t.name.size()), &size, &advance);
            glyphs(t.name.data(), int32_t(t.name.size()), x + std::floor((t.dim[0] - advance) * 0.5f),
                   y + std::floor((t.dim[1] - lh) * 0.5f), labelColor);
            if (t.hasIcon) {
              int32_t tile = t.iconTile;
              if (tile < 0) {
                tile = tiles ? tiles->FindName(String(t.iconName.c_str())) : -1;
                if (tile < 0)
                  LogWarn("WText_D: cannot find image \"", String(t.iconName.c_str()), "\" for WText \"", m_name,
                          "\".");
              }
              const Vector3f icon = key ? Vector3f{16, 16, 0} : (e ? e->m_iconDim : Vector3f{16, 16, 0});
              const float ix = key ? x + std::floor((t.dim[0] - icon.x) * 0.5f) : x + (e ? e->m_borderMin.x : 0.0f);
              if (tile >= 1) m_imageRecords.Append({tile, {ix, centreY(icon.y), 0}, icon, {1, 1, 1, 1}});
            }
            break;
          }
          case TextTagKind::Mouse: {
            const Vector3f d = mouseElement ? mouseElement->m_defaultDim : zero;
            m_frameRecords.Append({int32_t(t.mouseFlags), {x, centreY(d.y), 0}, d, {1, 1, 1, 1}});
            break;
          }
          case TextTagKind::Scale:
            if (t.hasScale) scale = t.scale;
            break;
          case TextTagKind::Color:
            if (t.color != defaultColor) colorsFrom(defaultColor);
            color = t.color;
            break;
          case TextTagKind::ColorReset:
            color = defaultColor;
            break;
          default:
            break;
        }
      }
      x += k.advance + line.extra;
    }
  }

  // 14. Results.
  m_vertexCount = v;
  m_glyphs.Rebuilt(reinterpret_cast<const uint32_t*>(m_indices.Data()), m_positions.Data(), m_uvs.Data(), v,
                   m_colors.Count() > 0 ? m_colors.Data() : nullptr, m_colors.Count(), m_maxLength);
  m_textHeight = textHeight;
  m_textWidth = textWidth;
  if (SelfSizing(this)) l.computedSize.x = textWidth;
  m_layoutValid = true;
  m_laidOutDimension = before;
  m_laidOutFontColor = m_label.fontColor;
  m_laidOutFontStyle = m_label.fontStyle.Get();
}

}  // namespace PM
