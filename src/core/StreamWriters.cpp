// The value writers and the simple text readers of StreamPipeRef.
#include <charconv>
#include <cstring>

#include "core/Matrix4f.h"
#include "core/Spheref.h"
#include "core/StreamPipe.h"
#include "core/Vector2f.h"
#include "core/Vector3f.h"
#include "core/Vector4f.h"

namespace PM {

namespace {

// Shortest "%.*g" text of v with the given significant digits; a "." is placed before the exponent
// (or at the end) when the text has none, so the value always reads back as a floating-point literal.
// Infinities and NaN are written as "inf", "-inf" and "nan" without a point.
int FormatFloat(char* out, double v, int digits) {
  if (v != v) {                  // a NaN's sign bit says nothing: "nan" whatever it is
    std::memcpy(out, "nan", 3);  // NOLINT(bugprone-not-null-terminated-result): returns the length
    return 3;
  }
  char buf[48];
  auto r = std::to_chars(buf, buf + sizeof buf, v, std::chars_format::general, digits);
  int n = int(r.ptr - buf);
  bool finite = v - v == 0;
  if (!finite || std::memchr(buf, '.', size_t(n))) {
    std::memcpy(out, buf, size_t(n));
    return n;
  }
  const char* e = static_cast<const char*>(std::memchr(buf, 'e', size_t(n)));
  int mantissa = e ? int(e - buf) : n;
  std::memcpy(out, buf, size_t(mantissa));
  out[mantissa] = '.';
  std::memcpy(out + mantissa + 1, buf + mantissa, size_t(n - mantissa));
  return n + 1;
}

void WriteFloats(StreamPipeRef& s, const float* v, int count) {
  s.WriteChar('(');
  for (int i = 0; i < count; ++i) {
    if (i) s.WriteChar(',');
    s.WriteF32(v[i]);
  }
  s.WriteChar(')');
}

const char* NamedEscape(unsigned char c) {
  switch (c) {
    case '\b':
      return "\\b";
    case '\t':
      return "\\t";
    case '\n':
      return "\\n";
    case '\f':
      return "\\f";
    case '\r':
      return "\\r";
    case '"':
      return "\\\"";
    case '\'':
      return "\\'";
    case '\\':
      return "\\\\";
    default:
      return nullptr;
  }
}

int HexDigit(int c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  return -1;
}

}  // namespace

StreamPipeRef& StreamPipeRef::WriteF32(float v) {
  char buf[48];
  return Write(buf, FormatFloat(buf, v, 7));
}

StreamPipeRef& StreamPipeRef::WriteF64(double v) {
  char buf[48];
  return Write(buf, FormatFloat(buf, v, 18));
}

StreamPipeRef& StreamPipeRef::WriteQuoted(const char* text, int length, int quote) {
  if (!text) text = "";
  size_t n = length < 0 ? std::strlen(text) : size_t(length);
  char q = char(quote);
  Lock();  // the quoted text is one piece even when written in runs
  if (quote) Write(&q, 1);
  size_t run = 0;  // start of the pending run of bytes that need no escape
  for (size_t i = 0; i < n; ++i) {
    unsigned char c = static_cast<unsigned char>(text[i]);
    const char* named = NamedEscape(c);
    if (!named && c >= 0x20 && c != 0x7F) continue;
    Write(text + run, int64_t(i - run));
    run = i + 1;
    if (named) {
      Write(named, 2);
    } else {
      static const char kHex[] = "0123456789ABCDEF";
      char esc[4] = {'\\', 'x', kHex[c >> 4], kHex[c & 15]};
      Write(esc, 4);
    }
  }
  Write(text + run, int64_t(n - run));
  if (quote) Write(&q, 1);
  Unlock();
  return *this;
}

StreamPipeRef& StreamPipeRef::WriteVector2f(const Vector2f& v) {
  const float f[] = {v.x, v.y};
  WriteFloats(*this, f, 2);
  return *this;
}

StreamPipeRef& StreamPipeRef::WriteVector3f(const Vector3f& v) {
  const float f[] = {v.x, v.y, v.z};
  WriteFloats(*this, f, 3);
  return *this;
}

StreamPipeRef& StreamPipeRef::WriteVector4f(const Vector4f& v) {
  const float f[] = {v.x, v.y, v.z, v.w};
  WriteFloats(*this, f, 4);
  return *this;
}

StreamPipeRef& StreamPipeRef::WriteMatrix4f(const Matrix4f& m) {
  WriteFloats(*this, m.m, 16);
  return *this;
}

StreamPipeRef& StreamPipeRef::WriteSpheref(const Spheref& s) {
  WriteChar('(');
  WriteVector3f(s.center);
  WriteChar(',');
  WriteF32(s.radius);
  return WriteChar(')');
}

void StreamPipeRef::SkipSpaces() {
  for (;;) {
    int c = m_p->PeekByte();
    if (c != ' ' && (c < '\t' || c > '\r')) return;
    m_p->ReadByte();
  }
}

int StreamPipeRef::ReadQuoted(String& out, int quote) {
  out.Clear();
  if (quote <= 0) quote = '"';
  if (m_p->PeekByte() != quote) return 0;
  m_p->ReadByte();
  String text;
  for (;;) {
    int c = m_p->ReadByte();
    if (c < 0) return 0;  // no closing quote: nothing is returned
    if (c == quote) break;
    if (c == '\\') {
      int e = m_p->ReadByte();
      if (e < 0) return 0;
      switch (e) {
        case 'b':
          c = '\b';
          break;
        case 't':
          c = '\t';
          break;
        case 'n':
          c = '\n';
          break;
        case 'f':
          c = '\f';
          break;
        case 'r':
          c = '\r';
          break;
        case 'x': {
          int hi = HexDigit(m_p->PeekByte());
          if (hi < 0) {
            c = 'x';
            break;
          }
          m_p->ReadByte();
          int lo = HexDigit(m_p->PeekByte());
          if (lo < 0) {
            c = hi;
            break;
          }
          m_p->ReadByte();
          c = hi * 16 + lo;
          break;
        }
        default:
          c = e;
      }
    }
    text.AppendChar(char(c));
  }
  out = text;
  return 1;
}

}  // namespace PM
