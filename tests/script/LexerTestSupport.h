// Helpers of the lexer tests: a memory stream handing out pieces of a chosen size, and token lists.
#pragma once

#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <string>
#include <vector>

#include "core/Obj.h"
#include "core/StreamPipe.h"
#include "script/lang/BinaryLexer.h"
#include "script/lang/Lexer.h"
#include "script/lang/ValueVisitor.h"

namespace PM::Test {

// Reads from a copy of the bytes, at most `piece` bytes per Read; Write appends.
class PieceStream : public StreamPipe {
 public:
  explicit PieceStream(std::string bytes = {}, size_t piece = 1u << 30) : m_bytes(std::move(bytes)), m_piece(piece) {}
  int64_t Read(void* buffer, int64_t n) override {
    size_t k = std::min({size_t(n), m_piece, m_bytes.size() - m_pos});
    std::memcpy(buffer, m_bytes.data() + m_pos, k);
    m_pos += k;
    return int64_t(k);
  }
  int64_t Write(const void* bytes, int64_t n) override {
    m_bytes.append(static_cast<const char*>(bytes), size_t(n));
    return n;
  }
  const std::string& Bytes() const { return m_bytes; }

 private:
  std::string m_bytes;
  size_t m_piece;
  size_t m_pos = 0;
};

// One token as the tests compare them: kind, and the value as text or as the raw value bytes.
struct Tok {
  int kind;
  std::string text;   // names and strings
  uint64_t bits = 0;  // numbers and other values (the low 8 bytes of the value area)
  bool operator==(const Tok& o) const { return kind == o.kind && text == o.text && bits == o.bits; }
};

inline bool HasText(int kind) {
  return kind == 96 || kind == 97 || kind == 98 || kind == 101 || kind == 102 || kind == 103 || kind == 107 ||
         kind == 233;
}

inline Tok TokenOf(const Lexer& l) {
  Tok t{l.Kind(), {}, 0};
  if (HasText(t.kind)) {
    t.text.assign(l.Text(), size_t(l.TextLength()));
  } else if (t.kind == 232) {
    t.bits = l.Value().b;
  } else if (t.kind == 234 || t.kind == 236 || t.kind == 238 || t.kind == 99 || t.kind == 104 || t.kind == 105 ||
             t.kind == 106 || t.kind == 254 || t.kind == 0) {
    t.bits = l.Value().u32;
  } else if (t.kind >= 235 && t.kind <= 239) {
    t.bits = l.Value().u64;
  }
  return t;
}

inline std::vector<Tok> LexAll(Lexer& l, size_t limit = 1u << 20) {
  std::vector<Tok> out;
  do {
    l.Lex();
    out.push_back(TokenOf(l));
  } while (l.Kind() != 255 && l.Kind() != 0 && out.size() < limit);
  return out;
}

inline std::vector<Tok> LexText(const std::string& s, uint32_t mode = Lexer::kParserMode) {
  Lexer l(s.data(), s.size(), mode);
  return LexAll(l);
}

inline std::vector<Tok> LexCompiled(const std::string& s, uint32_t mode = Lexer::kParserMode) {
  BinaryLexer l(s.data(), s.size(), mode);
  return LexAll(l);
}

inline void PrintTo(const Tok& t, std::ostream* os) { *os << "{" << t.kind << " '" << t.text << "' " << t.bits << "}"; }

inline Tok I32(int32_t v) { return {236, {}, uint32_t(v)}; }
inline Tok Name(const char* s) { return {96, s, 0}; }
inline Tok Kind(int k) { return {k, {}, 0}; }
inline Tok End() { return {255, {}, 0}; }
inline Tok Err(int code) { return {0, {}, uint32_t(code)}; }

// Records what reaches each slot.
class Recorder : public ValueVisitor {
 public:
  using ValueVisitor::ValueVisitor;
  std::string seen;
  uint32_t FoundBool(bool v) override { return Put("Bool", v ? "true" : "false"); }
  uint32_t FoundI32(int32_t v) override { return Put("I32", std::to_string(v)); }
  uint32_t FoundI64(int64_t v) override { return Put("I64", std::to_string(v)); }
  uint32_t FoundU32(uint32_t v) override { return Put("U32", std::to_string(v)); }
  uint32_t FoundU64(uint64_t v) override { return Put("U64", std::to_string(v)); }
  uint32_t FoundF32(float v) override { return Put("F32", std::to_string(v)); }
  uint32_t FoundF64(double v) override { return Put("F64", std::to_string(v)); }
  uint32_t FoundVector2f(const float* v) override { return Put("Vector2f", std::to_string(v[1])); }
  uint32_t FoundVector3f(const float* v) override { return Put("Vector3f", std::to_string(v[2])); }
  uint32_t FoundVector4f(const float* v) override { return Put("Vector4f", std::to_string(v[3])); }
  uint32_t FoundMatrix4f(const float* v) override { return Put("Matrix4f", std::to_string(v[15])); }
  uint32_t FoundSpheref(const float* v) override { return Put("Spheref", std::to_string(v[3])); }
  uint32_t FoundString(const String& v) override { return Put("String", v.CStr()); }
  uint32_t FoundEnum(uint32_t v) override { return Put("Enum", std::to_string(v)); }
  uint32_t FoundMemberID(uint32_t v) override { return Put("MemberID", std::to_string(v)); }
  uint32_t FoundObject(ScriptObject*) override { return Put("Object", ""); }
  uint32_t FoundArray(void* a, uint32_t id) override {
    char hex[16];
    std::snprintf(hex, sizeof hex, "%X", id);
    return Put("Array", std::string(hex) + "x" + std::to_string(HeaderOf(a)->count));
  }
  uint32_t FoundNameHash(const NameHash&) override { return Put("NameHash", ""); }

 private:
  uint32_t Put(const char* type, const std::string& v) {
    seen += std::string(type) + ":" + v + " ";
    return 0;
  }
};

}  // namespace PM::Test
