// Reads one inline markup tag of a text widget ("{Img=...}", "{Key=...}", "{Color=(...)}" ...): which tag
// it is, where it ends and its parameters. The text widget's layout decides what the tag draws.
#pragma once

#include <cstdint>
#include <string>

#include "core/Vector4f.h"

namespace PM {

enum class TextTagKind : uint8_t { Image, Key, Button, Mouse, Scale, Color, ColorReset, Other };

// Mouse picture parts, one letter each after "{Mouse=".
constexpr char kMouseFlagLetters[] = "LRMwWxXyY012H";

struct TextTag {
  TextTagKind kind = TextTagKind::Other;
  int32_t end = 0;     // one past the tag's last character ("}" included)
  bool closed = true;  // false: no "}" follows, and the tag runs to the end of the text
  // "{Img=": the tile index when the value is a number (0 past the int range: no tile), else -1 and the
  // name in `name`. "{Key=", "{Button=": the label.
  int32_t tile = -1;
  std::string name;
  // ";Icon=": present, and its tile index or name as for "{Img=".
  bool hasIcon = false;
  int32_t iconTile = -1;
  std::string iconName;
  // ";Dim=", ";Pos=": zero components were not given; ";Inc=" only when hasInc.
  float dim[2] = {0, 0};
  float pos[2] = {0, 0};
  bool hasInc = false;
  float inc = 0;
  // ";Color=" of images, keys and buttons (default white), or the colour of "{Color=" (starts from the
  // default colour handed in).
  Vector4f color{1, 1, 1, 1};
  uint32_t mouseFlags = 0;
  bool hasScale = false;
  float scale = 1;
  // A numeric value did not scan (or scanned as NaN or infinity): the caller logs the syntax line once.
  bool syntaxError = false;
};

// Reads the tag that starts at text[begin] (a "{") within text[0, length): it runs to the first "}" after
// it, inclusive, or to the end. `defaultColor` is where a "{Color=" tag starts from.
TextTag ReadTextTag(const char* text, int32_t begin, int32_t length, const Vector4f& defaultColor);

}  // namespace PM
