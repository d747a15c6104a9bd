// Fuzzes the text lexer: the first byte picks the mode, the rest is the script. The same text read from
// a stream in small pieces must give the same tokens as from memory.
#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "PieceStream.h"
#include "core/Log.h"
#include "script/lang/Lexer.h"

namespace {

using PM::Fuzz::PieceStream;

struct Token {
  int kind;
  std::string text;
  uint64_t bits;
  bool operator==(const Token& o) const { return kind == o.kind && text == o.text && bits == o.bits; }
};

uint64_t ValueBits(const PM::Lexer& l) {
  const PM::TokenValue& v = l.Value();
  switch (l.Kind()) {
    case 234:
    case 236:
    case 238:
    case 99:
    case 254:
    case 0:
      return v.u32;
    case 235:
    case 237:
    case 239:
      return v.u64;
    default:
      return 0;
  }
}

std::vector<Token> LexAll(PM::Lexer& l) {
  std::vector<Token> out;
  do {
    l.Lex();
    Token t{l.Kind(), {}, ValueBits(l)};
    if (t.kind == 96 || t.kind == 97 || t.kind == 98 || (t.kind >= 101 && t.kind <= 103) || t.kind == 107 ||
        t.kind == 233)
      t.text.assign(l.Text(), size_t(l.TextLength()));
    out.push_back(std::move(t));
    l.GetLine();
    l.GetColumn();
  } while (l.Kind() != 255 && l.Kind() != 0);
  return out;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  PM::g_LogLevel = 10;  // the raw-block debug line is not of interest here
  if (size == 0) return 0;
  uint32_t mode = data[0] & 0x7F;
  ++data;
  --size;
  PM::Lexer memory(data, size, mode);
  std::vector<Token> a = LexAll(memory);
  PM::StreamPipeRef stream(PM::NewCounted<PieceStream>(data, size, size_t(1 + (mode % 7))));
  PM::Lexer piecewise(stream.Get(), mode);
  std::vector<Token> b = LexAll(piecewise);
  if (!(a == b)) std::abort();
  return 0;
}
