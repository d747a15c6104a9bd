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
#include "render/SizedFont.h"
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
  // NOLINTNEXTLINE(bugprone-suspicious-stringview-data-usage): the length goes with it
  const String quoted(source.data(), int32_t(std::min(source.size(), kQuotedTagLength)));
  const char* more = source.size() > kQuotedTagLength ? "..." : "";
  if (!t.closed)
    LogWarn("WText \"", m_name, "\": markup tag \"", quoted, more,
            "\" has no closing \"}\" and runs to the end of the text.");
  else
    LogWarn("WText \"", m_name, "\": unknown markup tag \"", quoted, more, "\" is skipped.");
}

namespace {

// The width lines break at; a self-sizing text breaks at its wrap width.
float BreakWidth(const WText_I& t) {
  const WidgetLayout& l = t.m_layout;
  if (l.resizeModeX == kResizeMin || l.resizeModeX == kResizeMinPercent)
    return t.m_wrapDimension.x > 0 ? t.m_wrapDimension.x : l.dimension.x;
  if (l.resizeModeX == kResizePercent) return l.computedSize.x;
  return l.dimension.x;
}

// The font size glyphs are built at: the style's font when the label names none.
Vector2f GlyphFontSize(WText_I& t) {
  const Vector2f fontSize = t.m_label.fontStyle.IsNil() ? Vector2f{64, 64} : t.m_label.fontStyle->m_fontSize;
  const FontStyle_I* styleFont = t.m_label.fontStyle.IsNil() ? t.GetFontStyle() : t.m_label.fontStyle.Get();
  return IsNilObject(styleFont) ? fontSize : styleFont->m_fontSize;
}

// Where "{Img=" names its tiles: the widget's collection, else the style's icons.
TileCollection_I* ImageTiles(const WText_I& t) {
  TileCollection_I* tiles = t.m_tileCollection.Get();
  if (IsNilObject(tiles) && !t.m_style.IsNil()) tiles = t.m_style->m_iconCollection.Get();
  return IsNilObject(tiles) ? nullptr : tiles;
}

// Sized for 4 vertices per character, the cells 4 more for the caret box; the indices only change with the size.
void SizeVertexArrays(WText_I& t, int32_t n) {
  t.m_positions.SetCount(4 * n);
  t.m_uvs.SetCount(4 * n);
  t.m_cells.SetCount(4 * n + 4);
  if (t.m_indices.Count() != 4 * n) {
    t.m_indices.SetCount(4 * n);
    for (int32_t v = 0; v < 4 * n; ++v) t.m_indices[v] = v;
  }
  t.m_colors.Clear();
  t.m_charToVertex.SetCount(n);  // placement writes every entry
}

// The bottom of the top line: a centred text is centred on the box, a bottom-aligned one (unless it sizes
// itself to the text) stands at the box's bottom.
float TopLine(const WidgetLayout& l, float textHeight, float lineHeight) {
  const float H = l.computedSize.y;
  if (l.alignmentModeY == kAlignCenter || l.alignmentModeY == kAlignBlock)
    return std::floor((textHeight + H) * 0.5f - lineHeight);
  if (l.alignmentModeY == kAlignMax && !(l.resizeModeY == kResizeMin || l.resizeModeY == kResizeMinPercent))
    return std::floor(H - lineHeight);
  return std::floor(textHeight - lineHeight);
}

// Where glyph quads go: the widget's arrays from vertex v on. Copied into locals for a run of tokens, so
// that the stores into the arrays do not make the compiler read it back for every token.
struct GlyphSink {
  Vector3f* positions;
  Vector2f* uvs;
  Vector3f* cells;
  Vector4f* colors;  // null while the whole text has one colour
  int32_t v, limit;
  float height;  // of the latest glyphs, whose caret box follows the text

  // Glyph quads for `length` characters, as many as the arrays have room for; returns the vertices written.
  // The caret box goes after the last glyphs of the text only: each run's would be overwritten by the next.
  inline int32_t Write(const SizedFont& font, const char* s, int32_t length, float x, float y, const Vector4f& c) {
    length = std::min(length, (limit - v) / 4);
    if (length <= 0 || !font.HasGlyphs()) return 0;
    font.Build(s, length, positions + v, uvs + v, {x, y, 0}, cells + v);
    height = font.Height();
    const int32_t written = 4 * length;
    if (colors) std::fill_n(colors + v, written, c);
    v += written;
    return written;
  }
};

// One layout of a text: what the measuring, the line breaking and the placement share.
struct LayoutRun {
  LayoutRun(WText_I& owner, FontTexture2D_I* f, const std::string& working, const Vector2f& fontSize,
            const Vector4f& textColor)
      : t(owner),
        font(f),
        text(working.c_str()),
        n(int32_t(working.size())),
        markup(owner.m_hasMarkup && !owner.m_editable),
        fs(fontSize),
        defaultColor(textColor),
        W(owner.m_layout.computedSize.x),
        tiles(ImageTiles(owner)),
        keyElement(owner.StyleElement(&WidgetStyle_I::m_elementKey)),
        buttonElement(owner.StyleElement(&WidgetStyle_I::m_elementButton)),
        iconButtonElement(owner.StyleElement(&WidgetStyle_I::m_elementIconButton)),
        mouseElement(owner.StyleElement(&WidgetStyle_I::m_elementMouse)),
        sized(*f, fontSize),
        color(textColor) {
    spaceWidth = sized.Measure(" ", 1, &spaceAdvance);
  }

  WText_I& t;
  FontTexture2D_I* font;
  const char* text;
  int32_t n;
  bool markup;
  Vector2f fs;
  Vector4f defaultColor;
  float W;
  TileCollection_I* tiles;
  UIElement_I* keyElement;
  UIElement_I* buttonElement;
  UIElement_I* iconButtonElement;
  UIElement_I* mouseElement;

  std::vector<Token> tokens;
  std::vector<TextTag> tags;
  std::vector<Line> lines;
  float scale = 1.0f;
  // The font's glyphs at the font size times the scale, so that a token costs no call into the font.
  SizedFont sized;
  float spaceWidth = 0, spaceAdvance = 0;  // a lone space at that size
  float textWidth = 0;
  bool syntaxReported = false;
  // Placement: the vertices written so far and the colour of the text.
  GlyphSink out{};
  Vector4f color;

  const UIElement_I* FrameElement(const TextTag& tag) const {
    if (tag.kind == TextTagKind::Key) return keyElement;
    return tag.hasIcon ? iconButtonElement : buttonElement;
  }

  void SetScale(float s) {
    if (s == scale) return;
    scale = s;
    sized = SizedFont(*font, {fs.x * scale, fs.y * scale});
    spaceWidth = sized.Measure(" ", 1, &spaceAdvance);
  }

  // Words are measured at the glyphs' width, as they are built: the font scales a run by its x size.
  inline float Measure(const char* s, int32_t length, float* advance) const {
    return sized.Measure(s, length, advance);
  }

  // A tag's width and pen advance; images and frames without a size take the line's height and their label.
  void MeasureTag(Token& k, TextTag& tag) const {
    const float h = fs.y * scale;
    const Vector3f zero{0, 0, 0};
    switch (tag.kind) {
      case TextTagKind::Image:
        if (tag.dim[0] == 0) tag.dim[0] = h;
        if (tag.dim[1] == 0) tag.dim[1] = h;
        k.width = k.advance = tag.hasInc ? tag.inc : tag.dim[0];
        break;
      case TextTagKind::Key:
      case TextTagKind::Button: {
        const bool key = tag.kind == TextTagKind::Key;
        const UIElement_I* e = FrameElement(tag);
        const Vector3f bmin = e ? e->m_borderMin : zero, bmax = e ? e->m_borderMax : zero;
        float advance = 0;
        k.width = Measure(tag.name.data(), int32_t(tag.name.size()), &advance);
        if (tag.dim[0] == 0)
          tag.dim[0] = key ? std::max(std::floor(advance) + bmin.x + bmax.x, e ? e->m_defaultDim.x : 0.0f)
                           : std::floor(advance + bmin.x + bmax.x);
        if (tag.dim[1] == 0) tag.dim[1] = std::floor(h) + bmin.y + bmax.y;
        k.advance = tag.dim[0];
        break;
      }
      case TextTagKind::Mouse:
        k.advance = mouseElement ? mouseElement->m_defaultDim.x : 0.0f;
        break;
      default:
        break;
    }
  }

  // A markup tag starting at i: read, checked and measured; a scale tag scales what follows.
  void ReadTag(Token& k, int32_t i) {
    TextTag tag = ReadTextTag(text, i, n, defaultColor);
    if (tag.syntaxError && !syntaxReported) {
      LogError("Invalid .Text syntax for \"", t.m_name, "\".");
      syntaxReported = true;
    }
    t.CheckTag(tag, std::string_view(text + i, size_t(tag.end - i)));
    k.kind = TokenKind::Tag;
    k.length = tag.end - i;
    MeasureTag(k, tag);
    if (tag.kind == TextTagKind::Scale && tag.hasScale) SetScale(tag.scale);
    k.tag = int32_t(tags.size());
    tags.push_back(std::move(tag));
  }

  inline void ReadToken(Token& k, int32_t i) {
    const unsigned char c = static_cast<unsigned char>(text[i]);
    if (markup && c == '{') {
      ReadTag(k, i);
    } else if (c > 32) {
      // A word runs to a space or control character, or with markup on to the next tag.
      const uint8_t tagStart = markup ? uint8_t('{') : uint8_t(0);
      k.kind = TokenKind::Word;
      k.length = sized.MeasureUntil(
          text + i, n - i, [tagStart](uint8_t b) { return b <= 32 || b == tagStart; }, &k.width, &k.advance);
    } else if (c == ' ') {
      k.kind = TokenKind::Space;
      k.width = spaceWidth;
      k.advance = spaceAdvance;
    } else if (c == '\n') {
      k.kind = TokenKind::LineBreak;
    }
  }

  // Every token measured once; returns the widest line, which a self-sizing text takes as its width.
  float MeasureTokens() {
    tokens.reserve(size_t(n) / 2 + 1);  // prose has a token per two characters or fewer; growing costs more
    float lineWidth = 0, linePen = 0, widest = 0;
    for (int32_t i = 0; i < n;) {
      // Filled where it is kept: a token built beside and copied in is written in pieces and read whole.
      Token& k = tokens.emplace_back(Token{i, 1, TokenKind::Other, 0, 0, -1});
      ReadToken(k, i);
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
    return std::max(widest, std::min(lineWidth, W));
  }

  // Lines broken on the measured widths; the text's width is its widest line.
  void BreakLines() {
    Line cur{0, 0, 0, 0};
    float pen = 0;
    auto close = [&](int32_t end) {
      cur.end = end;
      cur.width = std::min(cur.width, W);
      textWidth = std::max(textWidth, cur.width);
      lines.push_back(cur);
      cur = {end, end, 0, 0};
      pen = 0;
    };
    const int32_t count = int32_t(tokens.size());  // read once: the stores into the lines hide that it stays
    for (int32_t i = 0; i < count; ++i) {
      const Token& k = tokens[i];
      if (BreaksBefore(k, cur.width, W, i == cur.first)) close(i);
      pen += k.advance;
      if (k.kind != TokenKind::Space && k.kind != TokenKind::LineBreak) cur.width = pen;
      if (k.kind == TokenKind::LineBreak) close(i + 1);
    }
    if (cur.first < count || lines.empty()) close(count);
  }

  // A block-aligned line shares what it lacks of the full width among its tokens, in whole pixels.
  void SpreadBlockLines() {
    for (Line& line : lines) {
      int32_t count = line.end - line.first;
      if (count > 0 && tokens[line.end - 1].kind == TokenKind::LineBreak) --count;
      if (count > 0) line.extra = std::floor(std::floor(W - line.width) / float(count));
    }
  }

  // Each line's distance below the top line, in whole pixels; returns the height of the lines.
  float StackLines(std::vector<float>& lineOffset, float h) const {
    const float lineSpacing = SaneLayoutValue(&t, "LineSpacing", t.m_lineSpacing,
                                              std::isfinite(t.m_lineSpacing) && t.m_lineSpacing >= 0, 1.0f);
    float offset = 0;
    lineOffset.resize(lines.size());
    for (size_t i = 0; i < lines.size(); ++i) {
      if (i > 0) offset = std::floor((lineSpacing - 1) * h + offset);
      lineOffset[i] = offset;
      offset += std::floor(h);
    }
    return offset;
  }

  // The colour array is made only once a colour differs: the vertices so far take `earlier`.
  void ColorsFrom(const Vector4f& earlier) {
    if (out.colors) return;
    t.m_colors.SetCount(4 * n);
    out.colors = t.m_colors.Data();
    std::fill_n(out.colors, out.v, earlier);
  }

  // A tile named by a tag, found by its name when the tag gave none; a missing one is warned of.
  int32_t FindTile(int32_t tile, const std::string& name) const {
    if (tile >= 0) return tile;
    tile = tiles ? tiles->FindName(String(name.c_str())) : -1;
    if (tile < 0) LogWarn("WText_D: cannot find image \"", String(name.c_str()), "\" for WText \"", t.m_name, "\".");
    return tile;
  }

  // A key cap or button: its frame, its label centred in it, and its icon.
  void PlaceFrame(const TextTag& tag, float x, float bottom) {
    const bool key = tag.kind == TextTagKind::Key;
    const UIElement_I* e = FrameElement(tag);
    const int32_t id = key ? kTextFrameKey : (tag.hasIcon ? kTextFrameIconButton : kTextFrameButton);
    const float lh = fs.y * scale;
    const float y = bottom + std::floor((lh - tag.dim[1]) * 0.5f);
    t.m_frameRecords.Append({id, {x, y, 0}, {tag.dim[0], tag.dim[1], 0}, tag.color});
    const Vector4f labelColor = e ? e->m_fontColor : color;
    if (labelColor != color) ColorsFrom(color);
    float advance = 0;
    Measure(tag.name.data(), int32_t(tag.name.size()), &advance);
    out.Write(sized, tag.name.data(), int32_t(tag.name.size()), x + std::floor((tag.dim[0] - advance) * 0.5f),
              y + std::floor((tag.dim[1] - lh) * 0.5f), labelColor);
    if (!tag.hasIcon) return;
    const int32_t tile = FindTile(tag.iconTile, tag.iconName);
    const Vector3f icon = key ? Vector3f{16, 16, 0} : (e ? e->m_iconDim : Vector3f{16, 16, 0});
    const float ix = key ? x + std::floor((tag.dim[0] - icon.x) * 0.5f) : x + (e ? e->m_borderMin.x : 0.0f);
    if (tile >= 1)
      t.m_imageRecords.Append({tile, {ix, bottom + std::floor((lh - icon.y) * 0.5f), 0}, icon, {1, 1, 1, 1}});
  }

  // A tag at pen position x: its records, or the scale and colour of the text after it.
  void PlaceTag(const TextTag& tag, float x, float bottom) {
    switch (tag.kind) {
      case TextTagKind::Image: {
        const int32_t tile = FindTile(tag.tile, tag.name);
        if (tile >= 1)
          t.m_imageRecords.Append(
              {tile, {x + tag.pos[0], bottom + tag.pos[1], 0}, {tag.dim[0], tag.dim[1], 0}, tag.color});
        break;
      }
      case TextTagKind::Key:
      case TextTagKind::Button:
        PlaceFrame(tag, x, bottom);
        break;
      case TextTagKind::Mouse: {
        const Vector3f d = mouseElement ? mouseElement->m_defaultDim : Vector3f{0, 0, 0};
        const float lh = fs.y * scale;
        t.m_frameRecords.Append(
            {int32_t(tag.mouseFlags), {x, bottom + std::floor((lh - d.y) * 0.5f), 0}, d, {1, 1, 1, 1}});
        break;
      }
      case TextTagKind::Scale:
        if (tag.hasScale) SetScale(tag.scale);
        break;
      case TextTagKind::Color:
        if (tag.color != defaultColor) ColorsFrom(defaultColor);
        color = tag.color;
        break;
      case TextTagKind::ColorReset:
        color = defaultColor;
        break;
      default:
        break;
    }
  }

  // Glyph quads and records, line by line from the top; scale and colour start over from the text's own.
  void PlaceLines(const std::vector<float>& lineOffset, float top) {
    const WidgetLayout& l = t.m_layout;
    SetScale(1.0f);
    color = defaultColor;
    out = {t.m_positions.Data(), t.m_uvs.Data(), t.m_cells.Data(), nullptr, 0, 4 * n, 0};
    for (size_t li = 0; li < lines.size(); ++li) {
      const Line& line = lines[li];
      const float bottom = top - lineOffset[li];
      float x = 0;
      if (l.alignmentModeX == kAlignCenter)
        x = std::floor((W - line.width) * 0.5f);
      else if (l.alignmentModeX == kAlignMax)
        x = std::floor(W - line.width);
      PlaceTokens(line, x, bottom);
    }
    if (out.v > 0) SizedFont::CaretAfter(out.cells + out.v - 4, out.height, out.cells + out.v);
  }

  // A line's tokens from pen x: words, spaces and line breaks become glyph quads mapped to their
  // characters, tags their records. Between tags the sink, the glyphs and the colour are held in locals.
  void PlaceTokens(const Line& line, float x, float bottom) {
    GlyphSink sink = out;
    SizedFont glyphs = sized;
    Vector4f c = color;
    const float extra = line.extra;
    int32_t* const map = t.m_charToVertex.Data();
    const Token* const end = tokens.data() + line.end;
    for (const Token* token = tokens.data() + line.first; token != end; ++token) {
      const Token& k = *token;
      int32_t* m = map + k.start;
      const int32_t first = sink.v;
      if (k.kind == TokenKind::Tag) {
        std::fill_n(m, k.length, -1);
        out = sink;
        PlaceTag(tags[k.tag], x, bottom);
        sink = out;
        glyphs = sized;
        c = color;
      } else if (sink.Write(glyphs, text + k.start, k.length, x, bottom, c) > 0) {
        for (int32_t j = 0; j < k.length; ++j) m[j] = first + 4 * j;
      } else {
        std::fill_n(m, k.length, -1);
      }
      x += k.advance + extra;
    }
    out = sink;
  }
};

}  // namespace

void WText_I::Layout(FontTexture2D_I* font, const Vector4f& callerColor) {
  WidgetLayout& l = m_layout;
  ++m_layoutRuns;
  const Vector3f before = l.computedSize;  // what the next minimum pass compares with
  l.computedSize.x = BreakWidth(*this);
  const Vector2f fs = GlyphFontSize(*this);
  m_imageRecords.Clear();
  m_frameRecords.Clear();
  std::string working(m_ownText.View());
  if (m_editable) working += ' ';  // so that the cursor can stand after the last character
  const int32_t n = int32_t(working.size());
  // The glyphs are read from the font's tables directly, so they must be there first.
  if (font->m_glyphAdvance.IsEmpty()) font->CreateFontImage();
  LayoutRun run(*this, font, working, fs, m_label.fontColor.w >= 0 ? m_label.fontColor : callerColor);

  const float widest = run.MeasureTokens();
  if (SelfSizing(this)) run.W = l.computedSize.x = widest;
  SizeVertexArrays(*this, n);
  run.BreakLines();
  if (l.alignmentModeX == kAlignBlock) run.SpreadBlockLines();

  // Lines are as high as the text's last scale makes them.
  const float h = fs.y * run.scale;
  std::vector<float> lineOffset;
  float textHeight = run.StackLines(lineOffset, h);
  if (n == 0 && !m_editable) textHeight = 0;
  if (textHeight <= 0 && m_editable) textHeight = h;
  run.PlaceLines(lineOffset, TopLine(l, textHeight, h));

  m_vertexCount = run.out.v;
  m_glyphs.Rebuilt(reinterpret_cast<const uint32_t*>(m_indices.Data()), m_positions.Data(), m_uvs.Data(), run.out.v,
                   m_colors.Count() > 0 ? m_colors.Data() : nullptr, m_colors.Count(), m_maxLength);
  m_textHeight = textHeight;
  m_textWidth = run.textWidth;
  if (SelfSizing(this)) l.computedSize.x = run.textWidth;
  m_layoutValid = true;
  m_laidOutDimension = before;
  m_laidOutFontColor = m_label.fontColor;
  m_laidOutFontStyle = m_label.fontStyle.Get();
}

}  // namespace PM
