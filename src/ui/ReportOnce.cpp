#include "ui/ReportOnce.h"

#include <cmath>
#include <cstdio>
#include <cstring>
#include <string>

#include "core/Log.h"
#include "ui/Widget.h"

namespace PM {

bool ReportOnce::First(uint64_t key) {
  if (!m_keys) m_keys = std::make_unique<uint64_t[]>(kKept);
  for (int i = 0; i < m_count; ++i)
    if (m_keys[i] == key) return false;
  // Full: the oldest makes room, so a widget that meets many faults stays bounded.
  m_keys[m_next] = key;
  m_next = uint8_t((m_next + 1) % kKept);
  if (m_count < kKept) ++m_count;
  return true;
}

uint64_t ReportOnce::Key(std::string_view what, uint64_t value) {
  uint64_t h = 1469598103934665603ull;  // FNV-1a
  for (char c : what) h = (h ^ uint8_t(c)) * 1099511628211ull;
  return h ^ (value * 0x9E3779B97F4A7C15ull);
}

namespace {

// A value as a script writes it: "-1", "0.5", "nan", "1e+30".
String Written(float v) {
  char text[32];
  std::snprintf(text, sizeof text, "%g", double(v));
  return String(text);
}

}  // namespace

float SaneLayoutValue(const Widget_I* widget, std::string_view member, float value, bool sane, float neutral) {
  if (sane) return value;
  uint32_t bits;
  std::memcpy(&bits, &value, sizeof bits);
  if (widget->m_reports.First(ReportOnce::Key(member, bits)))
    LogWarn(widget->GetClassName(), " \"", widget->m_name, "\": ", String(member.data(), int32_t(member.size())), " ",
            Written(value), " cannot be laid out; ", Written(neutral), " is used.");
  return neutral;
}

Vector3f SaneSpacing(const Widget_I* widget, std::string_view member, const Vector3f& value) {
  Vector3f out = value;
  float* c[3] = {&out.x, &out.y, &out.z};
  for (int i = 0; i < 3; ++i) {
    if (std::isfinite(*c[i]) && *c[i] >= 0) continue;
    std::string name(member);
    name += i == 0 ? ".x" : i == 1 ? ".y" : ".z";
    *c[i] = SaneLayoutValue(widget, name, *c[i], false, 0.0f);
  }
  return out;
}

}  // namespace PM
