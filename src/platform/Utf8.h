// Utf8: one UTF-8 sequence read where it starts, for the code that looks at text a character at a time
// (escaping controls, a window title's Latin-1 form).
#pragma once

#include <cstdint>
#include <string_view>

namespace PM {

struct Utf8Char {
  uint32_t code = 0;  // the code point
  size_t length = 0;  // the sequence's bytes; 0 when the bytes at the start are no valid sequence
};

// The character that starts at `at` of `text` (an ASCII byte is one of one byte). Overlong forms,
// surrogates, code points past U+10FFFF and cut sequences are no valid sequence.
inline Utf8Char DecodeUtf8(std::string_view text, size_t at) {
  const auto byte = [&](size_t i) { return static_cast<unsigned char>(text[i]); };
  const unsigned lead = byte(at);
  if (lead < 0x80) return {lead, 1};
  size_t length = 0;
  uint32_t code = 0, least = 0;
  if (lead >= 0xc2 && lead <= 0xdf) {
    length = 2, code = lead & 0x1f, least = 0x80;
  } else if (lead >= 0xe0 && lead <= 0xef) {
    length = 3, code = lead & 0x0f, least = 0x800;
  } else if (lead >= 0xf0 && lead <= 0xf4) {
    length = 4, code = lead & 0x07, least = 0x10000;
  } else {
    return {};
  }
  if (text.size() - at < length) return {};
  for (size_t i = 1; i < length; ++i) {
    if ((byte(at + i) & 0xc0) != 0x80) return {};
    code = code << 6 | (byte(at + i) & 0x3f);
  }
  if (code < least || code > 0x10ffff || (code >= 0xd800 && code <= 0xdfff)) return {};
  return {code, length};
}

}  // namespace PM
