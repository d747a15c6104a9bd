// A multi-line text with inline markup; a text field when Editable is set.
#pragma once

#include <string_view>

#include "core/Array.h"
#include "core/HighResTimer.h"
#include "core/Vector2f.h"
#include "ui/UIClass.h"
#include "ui/WControl.h"
#include "ui/WTextPolygon.h"

namespace PM {

class TileCollection_I;
class FontTexture2D_I;
class UIElement_I;
class WidgetStyle_I;
struct TextTag;

// An image, key cap, button or mouse picture laid out inside a text, in widget coordinates (y up).
struct WTextImg {
  int32_t id = 0;              // a tile index (images), or one of the kTextFrame... ids, or mouse flags
  Vector3f position{0, 0, 0};  // lower-left corner
  Vector3f dimension{0, 0, 0};
  Vector4f color{1, 1, 1, 1};
};

// Frame record ids; any other id of a frame record is a mouse picture with those parts highlighted.
enum : int32_t { kTextFrameKey = 0x7FFFFFFF, kTextFrameIconButton = 0x7FFFFFFE, kTextFrameButton = 0x7FFFFFFD };

class WText_I : public EngineClass<WText_I, WControl_I, ClassId::WText, "WText"> {
 public:
  // Defines the class, then its own members.
  static void Define();

  // The text is the widget's own: an equal text changes nothing; another one makes the layout stale,
  // decides whether markup applies and keeps the cursor within it.
  String GetText() const override { return m_ownText; }
  void SetText(const String& text) override;

  // Members whose setters do more than store.
  bool GetEditable() const { return m_editable; }
  void SetEditable(bool editable);
  int32_t GetCursorPos() const { return m_cursorPos; }
  void SetCursorPos(int32_t pos);
  Vector3f GetWrapDimension() const { return m_wrapDimension; }
  void SetWrapDimension(Vector3f wrap);
  int32_t GetMaxLength() const { return m_maxLength; }
  void SetMaxLength(int32_t length);

  // Is markup read from the text: it holds "{" and the text is not being edited.
  bool HasMarkup() const { return m_hasMarkup; }

  // The minimum is the largest of the children's and the laid-out text's width and height.
  WidgetLayout* CalcDimMin() override;
  // Height and widest line of the text, laying it out first when stale; 0 with an Error line without a font.
  float GetTextHeight();
  float GetTextWidth();
  // The font texture of the widget's font style, or null after an Error line naming `caller`.
  FontTexture2D_I* TextFont(const char* caller);
  // Focus, mouse placement of the cursor and the editing keys; every event then reaches the base.
  void SendEvent(uint32_t event, WidgetInput* input) override;
  // The character under (x, y) in widget coordinates, one further on a glyph's right half; -1 for none.
  int32_t HitIndex(float x, float y) const;
  // Sets the cursor to `to` and grows or shrinks the selection from the old cursor `from`.
  void MoveSelection(int32_t from, int32_t to);
  // The character on the neighbouring line (direction -1 up, +1 down) nearest the cursor's x; -1 for none.
  int32_t VerticalNeighbour(int32_t direction) const;
  // The editing keys of a focused text (KeyDown with the cursor placed).
  void KeyDown(WidgetInput& input);
  // Measures, breaks, aligns and places the text into glyph quads and records with `font`; colours
  // default to `defaultColor` unless FontColor's alpha is 0 or more.
  void Layout(FontTexture2D_I* font, const Vector4f& defaultColor);
  // A scale that cannot lay out becomes 1; an unclosed or unknown tag (its text `source`) is reported.
  // Each fault is logged once per widget.
  void CheckTag(TextTag& t, std::string_view source) const;
  bool LayoutValid() const { return m_layoutValid; }
  // Has the size, font colour or font style changed since the latest layout.
  bool LayoutOutdated() const;
  // The style's element, or null without a style or element.
  UIElement_I* StyleElement(Obj<UIElement_I> WidgetStyle_I::*element) const;
  // The colour of uncoloured text: the style's ElementFrame FontColor, else white.
  Vector4f DefaultTextColor() const;

  // Selection, frame records, shadow, glyphs, images, cursor and children (WTextDraw.cpp).
  void DrawSelf(WidgetDrawContext* context, RenderEngine* engine) override;
  // Draws tile `tile` of the TileCollection (else the style's IconCollection) over the rectangle; a nil
  // shader draws nothing. The last argument is unused.
  void DrawTile(RenderEngine* engine, const Vector3f& position, const Vector3f& dimension, const Vector4f& color,
                int32_t tile, int32_t unused);
  // The cursor's alpha factor `seconds` after its latest move: 1 right after, then a blink.
  static double BlinkAlpha(double seconds);
  void MarkLayoutStale() { m_layoutValid = false; }

  Obj<TileCollection_I> m_tileCollection;
  Vector3f m_wrapDimension{0, 0, 0};
  int32_t m_maxLength = -1;
  bool m_editable = false;
  bool m_keyFocus = false;
  int32_t m_maxLines = -1;
  int32_t m_cursorPos = -1;
  int32_t m_selectionStart = -1;
  int32_t m_selectionEnd = -1;
  float m_lineSpacing = 1.0f;
  String m_characterMap;

  String m_ownText;
  bool m_hasMarkup = false;
  bool m_layoutValid = false;
  HighResTimer m_blink;  // the cursor's blink clock, restarted by every move and edit

  // What the latest layout made.
  Vector3f m_laidOutDimension{-1, -1, -1};
  Vector4f m_laidOutFontColor{-1, -1, -1, -1};
  const void* m_laidOutFontStyle = nullptr;
  float m_textHeight = 0, m_textWidth = 0;
  uint32_t m_layoutRuns = 0;    // layouts made so far
  bool m_fontReported = false;  // the missing font was logged; quiet until a font is found again
  int32_t m_vertexCount = 0;
  Array<int32_t> m_indices;
  Array<Vector3f> m_positions;
  Array<Vector2f> m_uvs;
  Array<Vector4f> m_colors;       // empty while the whole text has one colour
  Array<Vector3f> m_cells;        // each glyph's cell, 4 per character plus the caret box
  Array<int32_t> m_charToVertex;  // per character of the working text: its first vertex, -1 without a quad
  Array<WTextImg> m_imageRecords, m_frameRecords;
  WTextPolygon m_glyphs;  // what the glyphs draw from

 private:
  // Does character `index` have a quad whose cell lies inside the cell array.
  bool ValidVertex(int32_t index) const;
  void DrawSelection(WidgetDrawContext* context, RenderEngine* engine);
  void DrawFrameRecords(WidgetDrawContext* context, RenderEngine* engine);
  void DrawGlyphs(WidgetDrawContext* context, RenderEngine* engine, const Vector4f& textColor);
  void DrawCursor(WidgetDrawContext* context, RenderEngine* engine);
};

}  // namespace PM
