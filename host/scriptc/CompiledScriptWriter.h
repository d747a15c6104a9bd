// CompiledScriptWriter: encodes tokens into the scrambled token stream that BinaryLexer reads, advancing
// the same running state. Part of the script compiler, outside the library.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "script/lang/CompiledFormat.h"
#include "script/lang/Lexer.h"
#include "script/lang/TokenKinds.h"

namespace PM {

class CompiledScriptWriter {
 public:
  // With `header`, the output starts with "BSB" and version 5.
  explicit CompiledScriptWriter(bool header = true);

  // Kinds without payload (punctuation, operators, 27, 28, 100, 255).
  void Token(int kind);
  // Name kinds 96-98, 101-103, 107: false (nothing written) for names longer than 255 bytes.
  bool Name(int kind, std::string_view text);
  // Kind 233: false (nothing written) for strings of 8192 bytes or more.
  bool String(std::string_view text);
  void Dollar(uint32_t v);
  void MemberId(int kind, uint32_t memberId);  // 105 or 106
  void Bool(bool v);
  void I32(int32_t v);
  void F32(float v);
  void U32(uint32_t v);
  void I64(int64_t v);
  void U64(uint64_t v);
  void F64(double v);
  // Vectors, Spheref and Matrix4f: kind 208, 210, 212, 194 or 214 with 2, 3, 4, 4 or 16 floats.
  void Floats(int kind, const float* v, int count);
  // Arrays of fixed-size elements (kinds 162, 176-182, 200, 202-207): count elements of `size` bytes.
  void Array(int kind, const void* elements, uint32_t count, uint32_t size);
  void StringArray(const std::vector<std::string>& strings);
  // Writes raw bytes without touching the state (tests use it to cut or corrupt streams).
  void Raw(const void* bytes, size_t n) { m_out.append(static_cast<const char*>(bytes), n); }

  const std::string& Bytes() const { return m_out; }

 private:
  void Code(int kind) { m_out.push_back(char(m_state.EncodeCode(kind))); }
  void Word(uint32_t v);
  void Text(std::string_view text);

  CompiledFormat::ScrambleState m_state;
  std::string m_out;
};

}  // namespace PM
