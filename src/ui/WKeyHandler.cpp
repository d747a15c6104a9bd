#include "ui/WKeyHandler.h"

#include <cstring>

#include "core/Log.h"
#include "render/InputTracker.h"

namespace PM {

namespace {

constexpr uint32_t kVirtualBit = 0x80000000u;

// Names of virtual keys without a pattern, with their Windows virtual-key codes.
struct KeyName {
  const char* name;
  uint32_t code;
};
const KeyName kKeyNames[] = {
    {"VK_BACK", 8},
    {"VK_TAB", 9},
    {"VK_CLEAR", 12},
    {"VK_RETURN", 13},
    {"VK_ESCAPE", 27},
    {"VK_SPACE", 32},
    {"VK_PRIOR", 33},
    {"VK_NEXT", 34},
    {"VK_END", 35},
    {"VK_HOME", 36},
    {"VK_LEFT", 37},
    {"VK_UP", 38},
    {"VK_RIGHT", 39},
    {"VK_DOWN", 40},
    {"VK_INSERT", 45},
    {"VK_DELETE", 46},
    {"VK_MULTIPLY", 106},
    {"VK_ADD", 107},
    {"VK_SEPARATOR", 108},
    {"VK_SUBTRACT", 109},
    {"VK_DECIMAL", 110},
    {"VK_DIVIDE", 111},
    {"VK_NUMLOCK", 144},
    {"VK_SCROLL", 145},
    {"VK_OEM_1", 186},
    {"VK_OEM_2", 191},
    {"VK_OEM_3", 192},
    {"VK_OEM_4", 219},
    {"VK_OEM_5", 220},
    {"VK_OEM_6", 221},
    {"VK_OEM_7", 222},
    {"VK_OEM_102", 226},
    {"VK_BROWSER_BACK", 166},
    {"VK_BROWSER_FORWARD", 167},
    {"VK_BROWSER_REFRESH", 168},
    {"VK_BROWSER_STOP", 169},
    {"VK_BROWSER_SEARCH", 170},
    {"VK_BROWSER_FAVORITES", 171},
    {"VK_BROWSER_HOME", 172},
    {"VK_VOLUME_MUTE", 173},
    {"VK_VOLUME_DOWN", 174},
    {"VK_VOLUME_UP", 175},
    {"VK_MEDIA_NEXT_TRACK", 176},
    {"VK_MEDIA_PREV_TRACK", 177},
    {"VK_MEDIA_STOP", 178},
    {"VK_MEDIA_PLAY_PAUSE", 179},
    {"VK_LAUNCH_MAIL", 180},
    {"VK_LAUNCH_MEDIA_SELECT", 181},
    {"VK_LAUNCH_APP1", 182},
    {"VK_LAUNCH_APP2", 183},
};

bool IsDigit(char c) { return c >= '0' && c <= '9'; }
bool IsCapital(char c) { return c >= 'A' && c <= 'Z'; }

// The virtual-key code of a "VK_" name, 0 when the name is unknown.
uint32_t VirtualKeyOfName(const char* s, size_t n) {
  if (n == 4 && (IsDigit(s[3]) || IsCapital(s[3]))) return uint32_t(uint8_t(s[3]));
  if (n >= 10 && std::strncmp(s, "VK_NUMPAD", 9) == 0 && IsDigit(s[9])) return 96 + uint32_t(s[9] - '0');
  if (n == 5 && std::strncmp(s, "VK_F", 4) == 0 && s[4] >= '1' && s[4] <= '9') return 111 + uint32_t(s[4] - '0');
  if (n == 6 && std::strncmp(s, "VK_F1", 5) == 0 && IsDigit(s[5])) return 121 + uint32_t(s[5] - '0');
  if (n == 6 && std::strncmp(s, "VK_F2", 5) == 0 && s[5] >= '0' && s[5] <= '4') return 131 + uint32_t(s[5] - '0');
  for (const KeyName& k : kKeyNames)
    if (std::strcmp(s, k.name) == 0) return k.code;
  return 0;
}

// The code of a plain key text, 0 when it is refused.
uint32_t PlainKeyCode(const char* s, size_t n) {
  const auto byte = [&](size_t i) { return uint32_t(uint8_t(s[i])); };
  if (n == 1) return byte(0) >= 8 && byte(0) <= 126 ? byte(0) : 0;
  if (n == 2) return s[0] == '^' && byte(1) >= 'A' && byte(1) <= '[' ? byte(1) - 64 : 0;
  if (n == 3 || n == 4) {
    uint32_t code = 0;
    for (size_t i = 0; i < n; ++i) {
      if (!IsCapital(s[i])) return 0;
      code |= byte(i) << (8 * i);
    }
    return code;
  }
  return 0;
}

}  // namespace

void WKeyHandler_I::SetKey(const String& key) {
  m_key = key;
  m_keyCode = 0;
  const char* s = key.CStr();
  const size_t n = std::strlen(s);
  uint32_t code = 0;
  if (std::strncmp(s, "VK_", 3) == 0) {
    code = VirtualKeyOfName(s, n) | kVirtualBit;
    if (const uint32_t translated = TranslateVirtualKey(code)) code = translated;
    m_keyCode = code;
    if (code != kVirtualBit) return;
  } else {
    m_keyCode = code = PlainKeyCode(s, n);
    if (code != 0) return;
  }
  LogWarn("WKeyHandler: key \"", key, "\" is unknown.");
}

bool WKeyHandler_I::Matches(const WidgetInput& input) const {
  if (m_keyCode != input.character && m_keyCode != (input.virtualKey | kVirtualBit)) return false;
  const uint32_t m = m_modifier;
  return (((m >> 3) & 0x111u) * 15u | (input.modifiers & 0x111u)) == m;
}

void WKeyHandler_I::Define() {
  DefineUIClass<WKeyHandler_I, WHandler_I>();
  const MemberDef members[] = {
      AccessorMember<&WKeyHandler_I::GetKey, &WKeyHandler_I::SetKey>(0x01FFF0BC, "Key"),
      AccessorMember<&WKeyHandler_I::GetShift, &WKeyHandler_I::SetShift>(0x02FFF0BC, "Shift"),
      AccessorMember<&WKeyHandler_I::GetControl, &WKeyHandler_I::SetControl>(0x03FFF0BC, "Control"),
      AccessorMember<&WKeyHandler_I::GetAlt, &WKeyHandler_I::SetAlt>(0x04FFF0BC, "Alt"),
      FieldMember<&WKeyHandler_I::m_keyCode>(0x05FFF0BC, "KeyCode", 0x1),
      FieldMember<&WKeyHandler_I::m_modifier>(0x06FFF0BC, "Modifier", 0x1),
  };
  DefineMembers(members);
}

}  // namespace PM
