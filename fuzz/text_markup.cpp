// The text widget's markup reader: any bytes read as a text give tags that end inside it and move on.
#include <cmath>
#include <cstdint>
#include <cstdlib>

#include "ui/WTextMarkup.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const char* text = reinterpret_cast<const char*>(data);
  const int32_t length = int32_t(size > 1 << 20 ? 1 << 20 : size);
  for (int32_t i = 0; i < length;) {
    if (text[i] != '{') {
      ++i;
      continue;
    }
    const PM::TextTag t = PM::ReadTextTag(text, i, length, {1, 1, 1, 1});
    if (t.end <= i || t.end > length) abort();
    const float values[] = {t.dim[0], t.dim[1], t.pos[0], t.pos[1], t.inc, t.scale, t.color.x, t.color.w};
    for (float v : values)
      if (!std::isfinite(v)) abort();
    if (t.mouseFlags >= 0x2000 || t.tile < -1 || t.iconTile < -1) abort();
    i = t.end;
  }
  return 0;
}
