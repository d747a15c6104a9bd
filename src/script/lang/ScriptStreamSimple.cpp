#include "script/lang/ScriptStreamSimple.h"

#include <cstring>

#include "core/Log.h"
#include "core/Vector2f.h"
#include "core/Vector3f.h"
#include "core/Vector4f.h"
#include "script/lang/CompiledFormat.h"

namespace PM {

ScriptStreamSimple* ScriptStreamSimple::Create(StreamPipe* stream) {
  if (!stream) {
    LogError("ScriptStreamSimple::Create: no stream.");
    return nullptr;
  }
  return NewCounted<ScriptStreamSimple>(stream);
}

ScriptStreamSimple::ScriptStreamSimple(StreamPipe* stream) : m_stream(stream) {
  m_stream->Write(CompiledFormat::kHeader, 4);
}

int64_t ScriptStreamSimple::WriteTagged(uint8_t tag, const void* payload, int n) {
  uint8_t record[1 + 64];
  record[0] = tag;
  std::memcpy(record + 1, payload, size_t(n));
  return m_stream->Write(record, 1 + n);
}

int64_t ScriptStreamSimple::Write(bool v) {
  uint8_t b = v ? 1 : 0;
  return WriteTagged(8, &b, 1);
}
int64_t ScriptStreamSimple::Write(int32_t v) { return WriteTagged(10, &v, 4); }
int64_t ScriptStreamSimple::Write(uint32_t v) { return WriteTagged(12, &v, 4); }
int64_t ScriptStreamSimple::Write(float v) { return WriteTagged(14, &v, 4); }
int64_t ScriptStreamSimple::Write(double v) { return WriteTagged(15, &v, 8); }
int64_t ScriptStreamSimple::Write(const Vector2f& v) { return WriteTagged(16, &v, 8); }
int64_t ScriptStreamSimple::Write(const Vector3f& v) { return WriteTagged(18, &v, 12); }
int64_t ScriptStreamSimple::Write(const Vector4f& v) { return WriteTagged(20, &v, 16); }

int64_t ScriptStreamSimple::WriteWords(const void* words, int count) {
  uint32_t n = uint32_t(count);
  WriteTagged(78, &n, 4);
  return m_stream->Write(words, int64_t(count) * 4);
}
int64_t ScriptStreamSimple::Write(const Array<int32_t>& v) { return WriteWords(v.Data(), v.Count()); }
int64_t ScriptStreamSimple::Write(const Array<uint32_t>& v) { return WriteWords(v.Data(), v.Count()); }
int64_t ScriptStreamSimple::Write(const Array<float>& v) { return WriteWords(v.Data(), v.Count()); }

int64_t ScriptStreamSimple::WriteString(const String& s) { return WriteString(s.CStr(), s.Length()); }

int64_t ScriptStreamSimple::WriteString(const void* bytes, int length) {
  if (length < 0 || length > kMaxString) {
    LogError("ScriptStreamSimple::WriteString: a string of ", int32_t(length), " bytes is longer than ",
             int32_t(kMaxString), ".");
    return -1;
  }
  uint32_t n = uint32_t(length);
  WriteTagged(9, &n, 4);
  uint8_t buffer[kMaxString];
  uint8_t key = CompiledFormat::PlainTextKey(n);
  const uint8_t* src = static_cast<const uint8_t*>(bytes);
  for (uint32_t i = 0; i < n; ++i) buffer[i] = src[i] ^ key;
  return m_stream->Write(buffer, n);
}

int64_t ScriptStreamSimple::WriteName(uint8_t tag, const char* text, size_t length) {
  if (length > size_t(kMaxName)) {
    LogError("ScriptStreamSimple::WriteName: a name of ", uint64_t(length), " bytes is longer than 255.");
    return -1;
  }
  uint8_t record[2 + kMaxName];
  record[0] = tag;
  record[1] = uint8_t(length);
  uint8_t key = CompiledFormat::PlainTextKey(uint32_t(length));
  for (size_t i = 0; i < length; ++i) record[2 + i] = uint8_t(text[i]) ^ key;
  m_stream->Write(record, 2);
  return m_stream->Write(record + 2, int64_t(length));
}

int64_t ScriptStreamSimple::WriteName160(const char* text) {
  return WriteName(160, text ? text : "", text ? std::strlen(text) : 0);
}
int64_t ScriptStreamSimple::WriteName161(const char* text) {
  return WriteName(161, text ? text : "", text ? std::strlen(text) : 0);
}
int64_t ScriptStreamSimple::WriteName162(const String& s) { return WriteName(162, s.CStr(), size_t(s.Length())); }

int64_t ScriptStreamSimple::WriteToken(int code) {
  if (code == 251 || code == 252) return code;
  uint8_t b = uint8_t(code);
  return m_stream->Write(&b, 1);
}

}  // namespace PM
