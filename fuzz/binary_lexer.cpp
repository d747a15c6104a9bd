// Fuzzes the compiled-script lexer (over memory and over a stream in small pieces) and the plain token
// reader; every byte a token exposes is read so the sanitizers see what was never filled.
#include <algorithm>
#include <cstdint>
#include <cstring>

#include "PieceStream.h"
#include "script/lang/BinaryLexer.h"
#include "script/lang/PlainTokenReader.h"

namespace {

using PM::Fuzz::PieceStream;

uint64_t Consume(const PM::Lexer& l) {
  uint64_t h = uint64_t(l.Kind());
  int k = l.Kind();
  if (k == 96 || k == 97 || k == 98 || (k >= 101 && k <= 103) || k == 107 || k == 233)
    for (int i = 0; i < l.TextLength(); ++i) h = h * 31 + uint8_t(l.Text()[i]);
  const uint8_t* e = static_cast<const uint8_t*>(l.Elements());
  const PM::BlockHeader* eh = PM::HeaderOf(e);
  int64_t bytes = int64_t(eh->count) * (eh->type ? eh->type->size : 0);
  for (int64_t i = 0; i < bytes; ++i) h += e[i];
  for (const PM::String& s : l.Strings()) h += uint64_t(s.Length());
  return h;
}

template <class L>
uint64_t Run(L& l) {
  uint64_t h = 0;
  for (int n = 0; n < 100000; ++n) {
    l.Lex();
    h += Consume(l);
    if (l.Kind() == 255 || l.Kind() == 0) break;
  }
  return h;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  volatile uint64_t sink = 0;
  {
    PM::BinaryLexer l(data, size, PM::Lexer::kParserMode);
    sink = sink + Run(l);
  }
  {
    PM::StreamPipeRef s(PM::NewCounted<PieceStream>(data, size, size_t(3)));
    PM::BinaryLexer l(s.Get(), 0);
    sink = sink + Run(l);
  }
  {
    PM::StreamPipeRef s(PM::NewCounted<PieceStream>(data, size, size_t(5)));
    PM::PlainTokenReader r(s.Get(), 0);
    for (int n = 0; n < 100000; ++n) {
      r.Lex();
      sink = sink + uint64_t(r.Kind()) + uint64_t(r.Elements().Count()) + uint64_t(r.TextLength());
      if (r.Kind() == 255 || r.Kind() == 0) break;
    }
  }
  return 0;
}
