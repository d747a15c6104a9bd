// What a widget has already logged about its bad values, so that a fault it meets every frame is
// written once, not once per frame.
#pragma once

#include <cstdint>
#include <memory>
#include <string_view>

#include "core/Vector3f.h"

namespace PM {

class Widget_I;

class ReportOnce {
 public:
  // True the first time `key` is seen; the last kKept distinct keys are remembered.
  bool First(uint64_t key);
  // A key for a member (or any text) and a value.
  static uint64_t Key(std::string_view what, uint64_t value);

  static constexpr int kKept = 16;

 private:
  std::unique_ptr<uint64_t[]> m_keys;  // made at the first report: most widgets never have one
  uint8_t m_count = 0, m_next = 0;
};

// A layout value that cannot lay out (`sane` false): one Warn naming the widget, the member and the
// value, once per widget, member and value; the neutral value is used instead.
float SaneLayoutValue(const Widget_I* widget, std::string_view member, float value, bool sane, float neutral);
// Each component non-negative and finite, else 0 (no spacing, no share): spacings, margins and ratios.
// `member` is named with the component ("ItemSpacing.x").
Vector3f SaneSpacing(const Widget_I* widget, std::string_view member, const Vector3f& value);

}  // namespace PM
