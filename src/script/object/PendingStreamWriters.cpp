// Stand-in value writers while the stream writers are being completed elsewhere: weak definitions,
// so the real ones replace them as soon as they are linked in. Remove once they have landed.
#include <cstdio>
#include <cstring>

#include "core/Matrix4f.h"
#include "core/Spheref.h"
#include "core/Vector2f.h"
#include "core/Vector3f.h"
#include "core/Vector4f.h"
#include "storage/StreamPipe.h"

namespace PM {

static StreamPipeRef& WriteNumber(StreamPipeRef& s, const char* fmt, double v) {
  char text[48];
  int n = snprintf(text, sizeof text, fmt, v);
  s.Write(text, n);
  if (!strpbrk(text, ".eEn")) s.WriteChar('.');
  return s;
}

[[gnu::weak]] StreamPipeRef& StreamPipeRef::WriteF32(float v) { return WriteNumber(*this, "%.7g", v); }
[[gnu::weak]] StreamPipeRef& StreamPipeRef::WriteF64(double v) { return WriteNumber(*this, "%.18g", v); }

[[gnu::weak]] StreamPipeRef& StreamPipeRef::WriteQuoted(const char* text, int length, int quote) {
  if (!text) text = "";
  if (length < 0) length = int(strlen(text));
  if (quote) WriteChar(char(quote));
  for (int i = 0; i < length; ++i) {
    unsigned char c = static_cast<unsigned char>(text[i]);
    const char* esc = nullptr;
    switch (c) {
      case '\b': esc = "\\b"; break;
      case '\t': esc = "\\t"; break;
      case '\n': esc = "\\n"; break;
      case '\f': esc = "\\f"; break;
      case '\r': esc = "\\r"; break;
      case '"': esc = "\\\""; break;
      case '\'': esc = "\\'"; break;
      case '\\': esc = "\\\\"; break;
      default: break;
    }
    if (esc) WriteText(esc);
    else if (c < 0x20) WriteText("\\x").WriteHexPadded(c, 2);
    else WriteChar(char(c));
  }
  if (quote) WriteChar(char(quote));
  return *this;
}

static StreamPipeRef& WriteFloats(StreamPipeRef& s, const float* v, int n) {
  s.WriteChar('(');
  for (int i = 0; i < n; ++i) {
    if (i) s.WriteChar(',');
    s.WriteF32(v[i]);
  }
  return s.WriteChar(')');
}

[[gnu::weak]] StreamPipeRef& StreamPipeRef::WriteVector2f(const Vector2f& v) { return WriteFloats(*this, &v.x, 2); }
[[gnu::weak]] StreamPipeRef& StreamPipeRef::WriteVector3f(const Vector3f& v) { return WriteFloats(*this, &v.x, 3); }
[[gnu::weak]] StreamPipeRef& StreamPipeRef::WriteVector4f(const Vector4f& v) { return WriteFloats(*this, &v.x, 4); }
[[gnu::weak]] StreamPipeRef& StreamPipeRef::WriteMatrix4f(const Matrix4f& m) { return WriteFloats(*this, m.m, 16); }
[[gnu::weak]] StreamPipeRef& StreamPipeRef::WriteSpheref(const Spheref& s) {
  WriteChar('(');
  WriteVector3f(s.center).WriteChar(',').WriteF32(s.radius);
  return WriteChar(')');
}

}  // namespace PM
