// ScriptStreamSimple: writes plain token records (a tag byte and its payload) after the "BSB" header to
// a stream, for the host; PlainTokenReader reads them back. Strings and names are XOR-scrambled.
#pragma once

#include <cstdint>

#include "core/Array.h"
#include "core/Obj.h"
#include "core/StreamPipe.h"
#include "core/String.h"

namespace PM {

struct Vector2f;
struct Vector3f;
struct Vector4f;

class ScriptStreamSimple {
 public:
  static constexpr int kMaxString = 8191;  // the plain reader's limit
  static constexpr int kMaxName = 255;     // a name's length is one byte

  // A new writer (count 0) that has written the header, or null (logged) for a null stream.
  static ScriptStreamSimple* Create(StreamPipe* stream);
  explicit ScriptStreamSimple(StreamPipe* stream);  // in place; the stream must not be null

  // Each returns the result of its last stream Write (bytes written or the stream's error value).
  // Over-long strings and names are refused with a logged error: nothing is written and -1 returned.
  int64_t Write(bool v);
  int64_t Write(int32_t v);
  int64_t Write(uint32_t v);
  int64_t Write(float v);
  int64_t Write(double v);
  int64_t Write(const Vector2f& v);
  int64_t Write(const Vector3f& v);
  int64_t Write(const Vector4f& v);
  int64_t Write(const Array<int32_t>& v);
  int64_t Write(const Array<uint32_t>& v);
  int64_t Write(const Array<float>& v);
  int64_t WriteString(const String& s);
  int64_t WriteString(const void* bytes, int length);
  int64_t WriteName160(const char* text);
  int64_t WriteName161(const char* text);
  int64_t WriteName162(const String& s);
  // One code byte; the codes 251 and 252 are never written (the code is returned instead).
  int64_t WriteToken(int code);

 private:
  int64_t WriteTagged(uint8_t tag, const void* payload, int n);
  int64_t WriteWords(const void* words, int count);
  int64_t WriteName(uint8_t tag, const char* text, size_t length);

  StreamPipeRef m_stream;
};

}  // namespace PM
