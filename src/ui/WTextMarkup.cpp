#include "ui/WTextMarkup.h"

#include <charconv>
#include <cmath>
#include <cstring>
#include <string_view>

namespace PM {
namespace {

bool StartsWith(std::string_view s, std::string_view prefix) { return s.substr(0, prefix.size()) == prefix; }

// One "%f" value at s[at]: leading white space skipped, a finite decimal number; advances `at`.
bool ScanFloat(std::string_view s, size_t& at, float& out) {
  while (at < s.size() && (s[at] == ' ' || (s[at] >= '\t' && s[at] <= '\r'))) ++at;
  size_t from = at;
  if (from < s.size() && s[from] == '+') ++from;  // from_chars takes '-' only
  float v = 0;
  const auto [end, ec] = std::from_chars(s.data() + from, s.data() + s.size(), v);
  if (ec != std::errc() || !std::isfinite(v)) return false;  // NaN and infinity would reach integer casts
  at = size_t(end - s.data());
  out = v;
  return true;
}

// "(%f,%f...)" with n values at s[at]: writes the values that scan, in order; true when all n did.
bool ScanTuple(std::string_view s, size_t at, int n, float* out) {
  if (at >= s.size() || s[at] != '(') return false;
  ++at;
  for (int i = 0; i < n; ++i) {
    if (i > 0) {
      if (at >= s.size() || s[at] != ',') return false;
      ++at;
    }
    if (!ScanFloat(s, at, out[i])) return false;
  }
  return true;
}

// The value after a parameter's leading string: up to the next ";" or "}" (or the tag's end).
std::string_view ValueAt(std::string_view s, size_t at) {
  const size_t stop = s.find_first_of(";}", at);
  return s.substr(at, stop == std::string_view::npos ? std::string_view::npos : stop - at);
}

// A tile given by index (the value starts with a digit) or by name.
void ReadTile(std::string_view value, int32_t& tile, std::string& name) {
  if (value.empty() || value[0] < '0' || value[0] > '9') {
    tile = -1;
    name.assign(value);
    return;
  }
  int64_t n = 0;
  for (char c : value) {
    if (c < '0' || c > '9') break;
    n = n * 10 + (c - '0');
    if (n > INT32_MAX) {
      tile = 0;  // past the int range: no tile
      return;
    }
  }
  tile = int32_t(n);
}

// Where a parameter's value starts inside the tag, or npos.
size_t Param(std::string_view tag, std::string_view lead) {
  const size_t at = tag.find(lead);
  return at == std::string_view::npos ? at : at + lead.size();
}

void ReadParams(std::string_view tag, TextTag& t) {
  if (size_t at = Param(tag, ";Dim="); at != std::string_view::npos) t.syntaxError |= !ScanTuple(tag, at, 2, t.dim);
  if (size_t at = Param(tag, ";Pos="); at != std::string_view::npos) t.syntaxError |= !ScanTuple(tag, at, 2, t.pos);
  if (size_t at = Param(tag, ";Color="); at != std::string_view::npos) {
    float c[4] = {t.color.x, t.color.y, t.color.z, t.color.w};
    t.syntaxError |= !ScanTuple(tag, at, 4, c);
    t.color = {c[0], c[1], c[2], c[3]};
  }
  if (size_t at = Param(tag, ";Inc="); at != std::string_view::npos) {
    t.hasInc = ScanFloat(tag, at, t.inc);
    t.syntaxError |= !t.hasInc;
  }
  if (size_t at = Param(tag, ";Icon="); at != std::string_view::npos) {
    t.hasIcon = true;
    ReadTile(ValueAt(tag, at), t.iconTile, t.iconName);
  }
}

}  // namespace

TextTag ReadTextTag(const char* text, int32_t begin, int32_t length, const Vector4f& defaultColor) {
  TextTag t;
  const std::string_view all(text + begin, size_t(length - begin));
  const size_t close = all.find('}');
  const std::string_view tag = close == std::string_view::npos ? all : all.substr(0, close + 1);
  t.end = begin + int32_t(tag.size());
  t.closed = close != std::string_view::npos;
  if (StartsWith(tag, "{Img=")) {
    t.kind = TextTagKind::Image;
    ReadTile(ValueAt(tag, 5), t.tile, t.name);
    ReadParams(tag, t);
  } else if (StartsWith(tag, "{Key=")) {
    t.kind = TextTagKind::Key;
    t.name.assign(ValueAt(tag, 5));
    ReadParams(tag, t);
  } else if (StartsWith(tag, "{Button=") || StartsWith(tag, "{Button;")) {
    t.kind = TextTagKind::Button;
    if (tag[7] == '=') t.name.assign(ValueAt(tag, 8));
    ReadParams(tag, t);
  } else if (StartsWith(tag, "{Mouse=")) {
    t.kind = TextTagKind::Mouse;
    for (char c : tag.substr(7))
      if (const char* at = c ? std::strchr(kMouseFlagLetters, c) : nullptr)
        t.mouseFlags |= 1u << (at - kMouseFlagLetters);
  } else if (StartsWith(tag, "{Scale=")) {
    t.kind = TextTagKind::Scale;
    size_t at = 7;
    t.hasScale = ScanFloat(tag, at, t.scale);
    t.syntaxError = !t.hasScale;
  } else if (StartsWith(tag, "{Color=")) {
    t.kind = TextTagKind::Color;
    float c[4] = {defaultColor.x, defaultColor.y, defaultColor.z, defaultColor.w};
    t.syntaxError = !ScanTuple(tag, 7, 4, c);
    t.color = {c[0], c[1], c[2], c[3]};
  } else if (StartsWith(tag, "{Color}")) {
    t.kind = TextTagKind::ColorReset;
  }
  return t;
}

}  // namespace PM
