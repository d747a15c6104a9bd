#include "script/lang/PlainTokenReader.h"

#include <algorithm>
#include <cstring>

#include "script/lang/CompiledFormat.h"

namespace PM {

PlainTokenReader::PlainTokenReader(StreamPipe* stream, uint32_t mode) : m_stream(stream), m_mode(mode) {
  InitLexerTables();
  m_text[0] = 0;
  m_buffer = new uint8_t[kPieceSize];
  m_cur = m_end = m_buffer;
  // Collect the first four bytes (a stream may hand out short pieces) and skip the header if present.
  while (m_end - m_buffer < 4) {
    int64_t n = m_stream->Read(const_cast<uint8_t*>(m_end), kPieceSize - (m_end - m_buffer));
    if (n <= 0) break;
    m_end += std::min<int64_t>(n, kPieceSize - (m_end - m_buffer));
  }
  if (m_end - m_buffer >= 4 && std::memcmp(m_buffer, CompiledFormat::kHeader, 4) == 0) m_cur += 4;
}

PlainTokenReader::~PlainTokenReader() { delete[] m_buffer; }

bool PlainTokenReader::Fill() {
  int64_t n = m_stream->Read(m_buffer, kPieceSize);
  n = std::clamp<int64_t>(n, 0, kPieceSize);
  m_cur = m_buffer;
  m_end = m_buffer + n;
  return n > 0;
}

int PlainTokenReader::ReadByte() {
  if (m_cur == m_end && !Fill()) return -1;
  return *m_cur++;
}

size_t PlainTokenReader::ReadBytes(void* out, size_t n) {
  uint8_t* dst = static_cast<uint8_t*>(out);
  while (n > 0) {
    if (m_cur == m_end && !Fill()) break;
    size_t k = std::min(n, size_t(m_end - m_cur));
    std::memcpy(dst, m_cur, k);
    m_cur += k;
    dst += k;
    n -= k;
  }
  return n;
}

void PlainTokenReader::ReadText(uint32_t n) {
  uint32_t got = n - uint32_t(ReadBytes(m_text, n));
  uint8_t key = CompiledFormat::PlainTextKey(n);
  for (uint32_t i = 0; i < got; ++i) m_text[i] = char(uint8_t(m_text[i]) ^ key);
  m_text[got] = 0;
  m_textLength = int32_t(got);
  m_value.text = m_text;
}

void PlainTokenReader::Lex() {
  for (;;) {
    int code = ReadByte();
    std::memset(&m_value, 0, sizeof m_value);
    if (code < 0) {
      m_kind = kTokEnd;
      return;
    }
    m_kind = code;
    switch (code) {
      case 8: {
        uint8_t b = 0;
        ReadBytes(&b, 1);
        m_value.b = b != 0;
        return;
      }
      case 9: {
        uint8_t w[4] = {};
        ReadBytes(w, 4);
        uint32_t n = CompiledFormat::LoadWord(w);
        if (n >= uint32_t(kPieceSize)) {
          m_kind = kTokError;
          m_value.i32 = kLexErrorRange;
          return;
        }
        return ReadText(n);
      }
      case 10:
      case 12:
      case 14:
        ReadBytes(m_value.bytes, 4);
        return;
      case 15:
      case 16:
        ReadBytes(m_value.bytes, 8);
        return;
      case 18:
        ReadBytes(m_value.bytes, 12);
        return;
      case 20:
        ReadBytes(m_value.bytes, 16);
        return;
      case 78: {
        m_elements.Clear();
        uint8_t w[4] = {};
        bool ok = ReadBytes(w, 4) == 0;
        uint32_t count = CompiledFormat::LoadWord(w);
        // Elements are appended as their bytes arrive: a corrupt count cannot make a large allocation.
        for (uint32_t i = 0; ok && i < count; ++i) {
          ok = ReadBytes(w, 4) == 0;
          if (ok) m_elements.Append(CompiledFormat::LoadWord(w));
        }
        if (!ok) {
          m_elements.Clear();
          m_kind = kTokError;
          m_value.i32 = kLexErrorRange;
        }
        return;
      }
      case 160:
      case 161:
      case 162: {
        uint8_t n = 0;
        ReadBytes(&n, 1);
        return ReadText(n);
      }
      case 251:
      case 252:
        continue;
      case 255:
        return;
      default:
        if ((code >= 176 && code <= 181) || (code >= 240 && code <= 244)) return;
        m_kind = kTokError;
        m_value.i32 = kLexErrorControl;
        return;
    }
  }
}

}  // namespace PM
