// InertText: text from a file (a model's path and names, a script's path, a reader's messages) made safe
// to print on a terminal, in a log or a window title: the characters that could move a terminal's cursor,
// retitle it, forge a log line or turn the line's text around are shown as escapes. Every line the host
// and the library print with such text goes through it.
#pragma once

#include <cstdio>
#include <string>
#include <string_view>

#include "platform/Utf8.h"

namespace PM {

// `text` with every C0 control byte and DEL as "\n", "\t", "\r" or "\xHH"; a C1 control written in
// UTF-8 (U+0080 to U+009F, which some terminals obey) and the bidirectional controls (U+202A to U+202E,
// U+2066 to U+2069) as "\uHHHH"; a byte 0x80 to 0x9F that is no part of valid UTF-8 (a one-byte CSI on
// some terminals) as "\xHH". Other bytes, valid or not, pass unchanged, so that escaping twice changes
// nothing more.
inline std::string InertText(std::string_view text) {
  std::string out;
  out.reserve(text.size());
  char escape[12];
  for (size_t i = 0; i < text.size();) {
    const auto c = static_cast<unsigned char>(text[i]);
    if (c == '\n') {
      out += "\\n";
    } else if (c == '\t') {
      out += "\\t";
    } else if (c == '\r') {
      out += "\\r";
    } else if (c < 0x20 || c == 0x7f) {
      std::snprintf(escape, sizeof escape, "\\x%02x", c);
      out += escape;
    } else if (c >= 0x80) {
      const Utf8Char u = DecodeUtf8(text, i);
      const bool control = (u.code >= 0x80 && u.code <= 0x9f) || (u.code >= 0x202a && u.code <= 0x202e) ||
                           (u.code >= 0x2066 && u.code <= 0x2069);
      if (u.length && control) {
        std::snprintf(escape, sizeof escape, "\\u%04x", unsigned(u.code));
        out += escape;
      } else if (u.length) {
        out.append(text.substr(i, u.length));
      } else if (c <= 0x9f) {
        std::snprintf(escape, sizeof escape, "\\x%02x", c);
        out += escape;
      } else {
        out += static_cast<char>(c);
      }
      i += u.length ? u.length : 1;
      continue;
    } else {
      out += static_cast<char>(c);
    }
    ++i;
  }
  return out;
}

}  // namespace PM
