// InertText: text from a model file (names, paths, Assimp's messages) made safe to print: control
// characters, which could move a terminal's cursor, retitle it or forge a log line, shown as escapes.
#pragma once

#include <cstdio>
#include <string>
#include <string_view>

namespace PM::Import {

// `text` with every C0 control byte and DEL as "\n", "\t", "\r" or "\xHH", and every C1 control written
// in UTF-8 (U+0080 to U+009F, which some terminals obey as well) as "\u00HH". Other bytes pass unchanged.
inline std::string InertText(std::string_view text) {
  std::string out;
  out.reserve(text.size());
  char escape[8];
  for (size_t i = 0; i < text.size(); ++i) {
    const auto c = static_cast<unsigned char>(text[i]);
    const auto next = i + 1 < text.size() ? static_cast<unsigned char>(text[i + 1]) : 0;
    if (c == '\n') {
      out += "\\n";
    } else if (c == '\t') {
      out += "\\t";
    } else if (c == '\r') {
      out += "\\r";
    } else if (c < 0x20 || c == 0x7f) {
      std::snprintf(escape, sizeof escape, "\\x%02x", c);
      out += escape;
    } else if (c == 0xc2 && next >= 0x80 && next <= 0x9f) {
      std::snprintf(escape, sizeof escape, "\\u%04x", next);
      out += escape;
      ++i;
    } else {
      out += static_cast<char>(c);
    }
  }
  return out;
}

}  // namespace PM::Import
