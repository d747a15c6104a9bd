// Editing a text widget: focus, the cursor placed by the mouse, the selection, and the editing keys. Each
// edit writes the Text member (so the setter sees the change) and raises ValueChanged.
#include <algorithm>
#include <cmath>
#include <string>

#include "core/Log.h"
#include "script/object/MemberAccess.h"
#include "ui/WEvent.h"
#include "ui/WText.h"
#include "ui/WidgetInput.h"
#include "ui/Window.h"

namespace PM {
namespace {

constexpr uint32_t kMemberControlText = 0x04FFF0EB;

enum : uint32_t {
  kKeyEnd = 35,
  kKeyHome = 36,
  kKeyLeft = 37,
  kKeyUp = 38,
  kKeyRight = 39,
  kKeyDown = 40,
  kKeyDelete = 46
};
enum : uint32_t {
  kCharSelectAll = 1,
  kCharCopy = 3,
  kCharBackspace = 8,
  kCharEnter = 13,
  kCharPaste = 22,
  kCharCut = 24
};

// The edit in progress: a copy of the text and the widget's cursor and selection.
struct Edit {
  WText_I* t;
  std::string text;
  bool HasSelection() const { return t->m_selectionStart >= 0; }
  void ClearSelection() { t->m_selectionStart = t->m_selectionEnd = -1; }
  // Deletes the selection; the cursor goes to its start.
  void DeleteSelection() {
    text.erase(size_t(t->m_selectionStart), size_t(t->m_selectionEnd - t->m_selectionStart));
    t->m_cursorPos = t->m_selectionStart;
    t->m_blink.Restart();
    ClearSelection();
  }
  int32_t Length() const { return int32_t(text.size()); }
  bool MayInsert(char c) const {
    if (t->m_maxLength >= 1 && Length() >= t->m_maxLength) return false;
    if (c == '\n' && t->m_maxLines >= 1 && std::count(text.begin(), text.end(), '\n') >= t->m_maxLines) return false;
    return true;
  }
  void Insert(char c) {
    if (!MayInsert(c)) return;
    text.insert(text.begin() + t->m_cursorPos, c);
    ++t->m_cursorPos;
  }
};

// Projects the mouse ray onto the widget's plane (z = 0 in widget space); false when parallel.
bool ProjectRay(WidgetLayout& l, const WidgetInput& in, float& x, float& y) {
  l.UpdateInverse();
  const float* m = l.inverseWorld.m;
  const Vector3f& o = in.rayOrigin;
  const Vector3f& d = in.rayDirection;
  const float oz = o.x * m[2] + o.y * m[6] + o.z * m[10] + m[14];
  const float dz = d.x * m[2] + d.y * m[6] + d.z * m[10];
  if (dz == 0 || !std::isfinite(oz / dz)) return false;
  const float s = -oz / dz;
  x = (o.x + s * d.x) * m[0] + (o.y + s * d.y) * m[4] + (o.z + s * d.z) * m[8] + m[12];
  y = (o.x + s * d.x) * m[1] + (o.y + s * d.y) * m[5] + (o.z + s * d.z) * m[9] + m[13];
  return true;
}

// Moves the cursor, or with shift held the selection's end, to `to`.
void MoveCursor(Edit& e, WidgetInput& in, int32_t to) {
  WText_I* t = e.t;
  if ((in.modifiers & kInputShift) != 0)
    t->MoveSelection(t->m_cursorPos, to);
  else {
    t->m_cursorPos = to;
    e.ClearSelection();
  }
  t->m_blink.Restart();
  in.keyConsumed = 1;
}

// Writes the edited text back through the Text member, so the setter sees the change, and tells the listeners.
void Commit(Edit& e, WidgetInput& in) {
  in.keyConsumed = 1;
  MemberSet<VString>(e.t, kMemberControlText, String(e.text.data(), int(e.text.size())));
  e.t->Widget_I::SendEvent(kWEventValueChanged, &in);
}

String SelectedText(const Edit& e) {
  return String(e.text.data() + e.t->m_selectionStart, e.t->m_selectionEnd - e.t->m_selectionStart);
}

// Select all, copy, cut and paste; false when the key is none of them. A text that is not editable keeps its
// text: cut and paste go on unconsumed.
bool ClipboardKey(Edit& e, WidgetInput& in) {
  WText_I* t = e.t;
  const uint32_t ch = in.character;
  const int32_t length = e.Length();
  if (ch == kCharSelectAll) {
    if (length > 0) {
      t->m_selectionStart = 0;
      t->m_selectionEnd = length;
    }
    t->m_cursorPos = length;
    t->m_blink.Restart();
    in.keyConsumed = 1;
  } else if (ch == kCharCopy) {
    if (e.HasSelection()) in.text = SelectedText(e);
    in.keyConsumed = 1;
  } else if (ch == kCharCut) {
    if (!t->m_editable) return true;
    if (e.HasSelection()) {
      in.text = SelectedText(e);
      e.DeleteSelection();
      Commit(e, in);
    }
    in.keyConsumed = 1;
  } else if (ch == kCharPaste) {
    if (!t->m_editable) return true;
    if (e.HasSelection()) e.DeleteSelection();
    const std::string_view paste = in.text.View();
    for (char c : paste) e.Insert(c);
    Commit(e, in);
  } else {
    return false;
  }
  return true;
}

// Backspace and delete: the selection, or else the character before or after the cursor.
bool EraseKey(Edit& e, WidgetInput& in) {
  WText_I* t = e.t;
  const bool back = in.character == kCharBackspace;
  if (!back && in.virtualKey != kKeyDelete) return false;
  if (!t->m_editable) return true;
  const int32_t length = e.Length();
  if (e.HasSelection()) {
    e.DeleteSelection();
    Commit(e, in);
  } else if (back && t->m_cursorPos >= 1 && t->m_cursorPos <= length) {
    --t->m_cursorPos;
    t->m_blink.Restart();
    e.text.erase(size_t(t->m_cursorPos), 1);
    Commit(e, in);
  } else if (!back && t->m_cursorPos < length) {
    e.text.erase(size_t(t->m_cursorPos), 1);
    Commit(e, in);
  }
  in.keyConsumed = 1;
  return true;
}

// The arrow keys: up and down go to the nearest character on the neighbouring line.
bool ArrowKey(Edit& e, WidgetInput& in) {
  WText_I* t = e.t;
  const uint32_t key = in.virtualKey;
  const int32_t at = t->m_cursorPos, length = e.Length();
  if (key == kKeyUp || key == kKeyDown) {
    int32_t to = at;
    if (key == kKeyUp ? at >= 1 : at < length) {
      const int32_t n = t->VerticalNeighbour(key == kKeyUp ? -1 : 1);
      if (n >= 0) to = n;
    }
    MoveCursor(e, in, to);
  } else if (key == kKeyLeft) {
    MoveCursor(e, in, at > 0 ? at - 1 : at);
  } else if (key == kKeyRight) {
    MoveCursor(e, in, at < length ? at + 1 : at);
  } else {
    return false;
  }
  return true;
}

// A typed character, kept when the character map allows it, and enter: a new line where lines are allowed,
// else the end of editing.
void TypeKey(Edit& e, WidgetInput& in) {
  WText_I* t = e.t;
  const uint32_t ch = in.character;
  if (ch >= 32 && ch <= 255) {
    if (!t->m_editable) return;
    const char c = char(ch);
    const bool typed =
        t->m_characterMap.IsEmpty() ? ch < 127 : t->m_characterMap.View().find(c) != std::string_view::npos;
    if (typed) {
      if (e.HasSelection()) e.DeleteSelection();
      e.Insert(c);
      t->m_blink.Restart();
      Commit(e, in);
    }
  } else if (ch == kCharEnter) {
    if (!t->m_editable) return;
    if (t->m_maxLines >= 0) {
      if (e.HasSelection()) e.DeleteSelection();
      e.Insert('\n');
      t->m_blink.Restart();
      Commit(e, in);
    } else {
      LogDebug("KeyboardFocusLost: WText (CR).");
      t->m_cursorPos = t->m_selectionStart = t->m_selectionEnd = -1;
    }
  }
}

}  // namespace

int32_t WText_I::HitIndex(float x, float y) const {
  const int32_t length = m_ownText.Length();
  for (int32_t i = std::min(m_charToVertex.Count(), length + 1); i-- > 0;) {
    const int32_t v = m_charToVertex[i];
    if (v < 0 || v + 4 > m_cells.Count()) continue;
    const float left = std::floor(m_cells[v].x), right = std::floor(m_cells[v + 2].x);
    const float y0 = std::floor(m_cells[v].y), y1 = std::floor(m_cells[v + 2].y);
    if (x < std::min(left, right) || x > std::max(left, right) || y < std::min(y0, y1) || y > std::max(y0, y1))
      continue;
    int32_t hit = i;
    if (x > std::floor((left + right) * 0.5f) + 1.0f) ++hit;
    return std::min(hit, length);
  }
  return -1;
}

void WText_I::MoveSelection(int32_t from, int32_t to) {
  int32_t& s = m_selectionStart;
  int32_t& e = m_selectionEnd;
  if (s < 0) {
    s = std::min(from, to);
    e = std::max(from, to);
  } else if (from == s || from == e) {
    const int32_t anchor = from == s ? e : s;
    s = std::min(anchor, to);
    e = std::max(anchor, to);
  }
  m_cursorPos = to;
  if (s >= e) s = e = -1;
}

int32_t WText_I::VerticalNeighbour(int32_t direction) const {
  const int32_t length = std::min(m_ownText.Length(), m_charToVertex.Count());
  auto valid = [&](int32_t i) { return m_charToVertex[i] >= 0 && m_charToVertex[i] + 4 <= m_cells.Count(); };
  if (m_cursorPos < 0 || m_cursorPos >= m_charToVertex.Count() || !valid(m_cursorPos)) return -1;
  const Vector3f& at = m_cells[m_charToVertex[m_cursorPos]];
  const float x0 = std::floor(at.x), y0 = std::floor(at.y);
  int32_t best = -1;
  float lineY = 0, bestDistance = 0;
  for (int32_t i = m_cursorPos + direction; i >= 0 && i < length; i += direction) {
    if (!valid(i)) continue;
    const Vector3f& c = m_cells[m_charToVertex[i]];
    const float y = std::floor(c.y);
    if (best < 0) {
      if (y == y0) continue;
      lineY = y;
    } else if (y != lineY) {
      break;
    }
    const float distance = std::fabs(std::floor(c.x) - x0);
    if (best < 0 || distance < bestDistance) {
      best = i;
      bestDistance = distance;
    }
  }
  return best;
}

// Events go on to the widget, not the frame: the text's focus and mouse handling replace the frame's.
void WText_I::SendEvent(uint32_t event, WidgetInput* input) {
  // Stored positions are plain members: bring them inside the text before using them.
  const int32_t length = m_ownText.Length();
  if (m_cursorPos > length) m_cursorPos = length;
  if (m_cursorPos < -1) m_cursorPos = -1;
  if (!(m_selectionStart == -1 && m_selectionEnd == -1) &&
      !(0 <= m_selectionStart && m_selectionStart < m_selectionEnd && m_selectionEnd <= length))
    m_selectionStart = m_selectionEnd = -1;

  TWindow_I* window = input ? input->window.Get() : nullptr;
  if (IsNilObject(window)) window = nullptr;
  switch (event) {
    case kWEventKeyboardFocus:
      LogDebug("KeyboardFocus: WText.");
      if (m_cursorPos == -1) {
        m_cursorPos = length;
        if (length > 0) {
          m_selectionStart = 0;
          m_selectionEnd = length;
        }
      }
      m_blink.Restart();
      break;
    case kWEventKeyboardFocusLost:
      LogDebug("KeyboardFocusLost: WText.");
      m_cursorPos = m_selectionStart = m_selectionEnd = -1;
      break;
    case kWEventMouseLeftDown:
    case kWEventMouseLeftHold: {
      if (!m_editable || !input) break;
      float x = 0, y = 0;
      const int32_t hit = ProjectRay(m_layout, *input, x, y) ? HitIndex(x, y) : -1;
      if (hit >= 0) {
        if (event == kWEventMouseLeftDown) {
          m_cursorPos = hit;
          m_selectionStart = m_selectionEnd = -1;
        } else {
          MoveSelection(std::max(m_cursorPos, 0), hit);
        }
      }
      if (window && window->GetKeyCaptureWidget() != this) window->SetKeyCaptureWidget(this);
      m_blink.Restart();
      break;
    }
    case kWEventKeyDown:
      if ((input && window && window->GetKeyCaptureWidget() != this) || m_cursorPos == -1 || !input) break;
      KeyDown(*input);
      break;
    default:
      break;
  }
  Widget_I::SendEvent(event, input);
}

void WText_I::KeyDown(WidgetInput& in) {
  Edit e{this, std::string(m_ownText.View())};
  const uint32_t key = in.virtualKey;
  // The keys are tried in a fixed order: a key event may carry both a key and a character.
  if (key == kKeyHome || key == kKeyEnd)
    MoveCursor(e, in, key == kKeyHome ? 0 : e.Length());
  else if (!ClipboardKey(e, in) && !EraseKey(e, in) && !ArrowKey(e, in))
    TypeKey(e, in);
}

}  // namespace PM
