#include "CompiledScriptWriter.h"

#include <cstring>

namespace PM {

CompiledScriptWriter::CompiledScriptWriter(bool header) {
  if (header) m_out.assign(reinterpret_cast<const char*>(CompiledFormat::kHeader), 4);
}

void CompiledScriptWriter::Word(uint32_t v) {
  for (int i = 0; i < 4; ++i) m_out.push_back(char(v >> (8 * i)));
}

void CompiledScriptWriter::Text(std::string_view text) {
  std::string bytes(text);
  m_state.ScrambleText(reinterpret_cast<uint8_t*>(bytes.data()), uint32_t(bytes.size()));
  m_out += bytes;
}

void CompiledScriptWriter::Token(int kind) { Code(kind); }

bool CompiledScriptWriter::Name(int kind, std::string_view text) {
  if (text.size() > 255) return false;
  Code(kind);
  m_out.push_back(char(text.size()));
  Text(text);
  return true;
}

bool CompiledScriptWriter::String(std::string_view text) {
  if (text.size() >= size_t(Lexer::kTextSize)) return false;
  Code(kTokString);
  Word(uint32_t(text.size()));
  Text(text);
  return true;
}

void CompiledScriptWriter::Dollar(uint32_t v) {
  Code(kTokDollar);
  Word(v);
}

void CompiledScriptWriter::MemberId(int kind, uint32_t memberId) {
  Code(kind);
  Word(memberId << 16 | memberId >> 16);  // the reader rotates right by 16 and sets 0x00FFF000
}

void CompiledScriptWriter::Bool(bool v) {
  Code(kTokBool);
  m_out.push_back(v ? 1 : 0);
}

void CompiledScriptWriter::I32(int32_t v) {
  Code(kTokI32);
  Word(uint32_t(v));
  m_state.a += uint32_t(v);
}

void CompiledScriptWriter::F32(float v) {
  uint32_t bits;
  std::memcpy(&bits, &v, 4);
  Code(kTokF32);
  Word(bits);
  m_state.a += bits;
}

void CompiledScriptWriter::U32(uint32_t v) {
  Code(kTokU32);
  Word(v);
}

void CompiledScriptWriter::I64(int64_t v) {
  Code(kTokI64);
  Raw(&v, 8);
}

void CompiledScriptWriter::U64(uint64_t v) {
  Code(kTokU64);
  Raw(&v, 8);
}

void CompiledScriptWriter::F64(double v) {
  Code(kTokF64);
  Raw(&v, 8);
}

void CompiledScriptWriter::Floats(int kind, const float* v, int count) {
  Code(kind);
  Raw(v, size_t(count) * 4);
  if (kind == kTokVector3f) {
    uint32_t first;
    std::memcpy(&first, v, 4);
    m_state.a += first;
  }
}

void CompiledScriptWriter::Array(int kind, const void* elements, uint32_t count, uint32_t size) {
  Code(kind);
  Word(count);
  Raw(elements, size_t(count) * size);
}

void CompiledScriptWriter::StringArray(const std::vector<std::string>& strings) {
  Code(kTokArrayString);
  Word(uint32_t(strings.size()));
  for (const std::string& s : strings) {
    Word(uint32_t(s.size()));
    Text(s);
  }
}

}  // namespace PM
