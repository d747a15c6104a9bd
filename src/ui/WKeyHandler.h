// A handler of KeyDown that answers only its key with the modifier state it asks for.
#pragma once

#include "ui/UIClass.h"
#include "ui/WHandler.h"
#include "ui/WidgetInput.h"

namespace PM {

class WKeyHandler_I : public EngineClass<WKeyHandler_I, WHandler_I, ClassId::WKeyHandler, "WKeyHandler"> {
 public:
  // Defines the class, then its own members.
  static void Define();

  WKeyHandler_I() { m_handle = kWEventKeyDown; }

  String GetKey() const { return m_key; }
  // Stores the key text and derives KeyCode from it; an unknown one is logged.
  void SetKey(const String& key);
  // Does the record's key, with its modifier state, match this handler.
  bool Matches(const WidgetInput& input) const;
  int32_t GetShift() const { return GetModifierBits(0); }
  void SetShift(int32_t v) { SetModifierBits(0, v); }
  int32_t GetControl() const { return GetModifierBits(4); }
  void SetControl(int32_t v) { SetModifierBits(4, v); }
  int32_t GetAlt() const { return GetModifierBits(8); }
  void SetAlt(int32_t v) { SetModifierBits(8, v); }
  int32_t GetModifierBits(int shift) const { return int32_t((m_modifier >> shift) & 0xF); }
  void SetModifierBits(int shift, int32_t v) {
    m_modifier = (m_modifier & ~(0xFu << shift)) | ((uint32_t(v) & 0xF) << shift);
  }

  String m_key;
  uint32_t m_keyCode = 0xFFFFFFFFu;
  // Shift in bits 0-3, Control in 4-7, Alt in 8-11.
  uint32_t m_modifier = 0xFFFu;
};

}  // namespace PM
