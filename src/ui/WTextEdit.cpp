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
  const int32_t length = e.Length();
  const bool shift = (in.modifiers & kInputShift) != 0;
  const uint32_t key = in.virtualKey, ch = in.character;
  const int32_t old = m_cursorPos;
  auto moved = [&](int32_t to) {
    if (shift)
      MoveSelection(old, to);
    else {
      m_cursorPos = to;
      e.ClearSelection();
    }
    m_blink.Restart();
    in.keyConsumed = 1;
  };
  auto commit = [&] {
    in.keyConsumed = 1;
    MemberSet<VString>(this, kMemberControlText, String(e.text.data(), int(e.text.size())));
    Widget_I::SendEvent(kWEventValueChanged, &in);
  };
  if (key == kKeyHome) {
    moved(0);
  } else if (key == kKeyEnd) {
    moved(length);
  } else if (ch == kCharSelectAll) {
    if (length > 0) {
      m_selectionStart = 0;
      m_selectionEnd = length;
    }
    m_cursorPos = length;
    m_blink.Restart();
    in.keyConsumed = 1;
  } else if (ch == kCharCopy) {
    if (e.HasSelection()) in.text = String(e.text.data() + m_selectionStart, m_selectionEnd - m_selectionStart);
    in.keyConsumed = 1;
  } else if (ch == kCharCut) {
    if (!m_editable) return;  // a text that is not editable keeps its text; the key goes on unconsumed
    if (e.HasSelection()) {
      in.text = String(e.text.data() + m_selectionStart, m_selectionEnd - m_selectionStart);
      e.DeleteSelection();
      commit();
    }
    in.keyConsumed = 1;
  } else if (ch == kCharPaste) {
    if (!m_editable) return;
    if (e.HasSelection()) e.DeleteSelection();
    const std::string_view paste = in.text.View();
    for (char c : paste) e.Insert(c);
    commit();
  } else if (ch == kCharBackspace) {
    if (!m_editable) return;
    if (e.HasSelection()) {
      e.DeleteSelection();
      commit();
    } else if (m_cursorPos >= 1 && m_cursorPos <= length) {
      --m_cursorPos;
      m_blink.Restart();
      e.text.erase(size_t(m_cursorPos), 1);
      commit();
    }
    in.keyConsumed = 1;
  } else if (key == kKeyDelete) {
    if (!m_editable) return;
    if (e.HasSelection()) {
      e.DeleteSelection();
      commit();
    } else if (m_cursorPos < length) {
      e.text.erase(size_t(m_cursorPos), 1);
      commit();
    }
    in.keyConsumed = 1;
  } else if (key == kKeyUp || key == kKeyDown) {
    int32_t to = m_cursorPos;
    if (key == kKeyUp ? m_cursorPos >= 1 : m_cursorPos < length) {
      const int32_t n = VerticalNeighbour(key == kKeyUp ? -1 : 1);
      if (n >= 0) to = n;
    }
    moved(to);
  } else if (key == kKeyLeft) {
    moved(m_cursorPos > 0 ? m_cursorPos - 1 : m_cursorPos);
  } else if (key == kKeyRight) {
    moved(m_cursorPos < length ? m_cursorPos + 1 : m_cursorPos);
  } else if (ch >= 32 && ch <= 255) {
    if (!m_editable) return;
    const char c = char(ch);
    const bool typed = m_characterMap.IsEmpty() ? ch < 127 : m_characterMap.View().find(c) != std::string_view::npos;
    if (typed) {
      if (e.HasSelection()) e.DeleteSelection();
      e.Insert(c);
      m_blink.Restart();
      commit();
    }
  } else if (ch == kCharEnter) {
    if (!m_editable) return;
    if (m_maxLines >= 0) {
      if (e.HasSelection()) e.DeleteSelection();
      e.Insert('\n');
      m_blink.Restart();
      commit();
    } else {
      LogDebug("KeyboardFocusLost: WText (CR).");
      m_cursorPos = m_selectionStart = m_selectionEnd = -1;
    }
  }
}

}  // namespace PM
