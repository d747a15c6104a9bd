// BinaryLexer: reads the scrambled token stream of a compiled script (the part after the "BSB" header)
// and delivers the same tokens as the text lexer, plus the literal kinds only compiled scripts carry.
#pragma once

#include <cstdint>
#include <vector>

#include "script/lang/CompiledFormat.h"
#include "script/lang/Lexer.h"

namespace PM {

class BinaryLexer : public Lexer {
 public:
  // Compiled scripts count no lines: mode bit 0x1 is always cleared.
  BinaryLexer(StreamPipe* stream, uint32_t mode) : Lexer(stream, mode & ~kModeLines) {}
  BinaryLexer(const void* bytes, size_t length, uint32_t mode) : Lexer(bytes, length, mode & ~kModeLines) {}

  /* 0 */ int32_t GetLine() override { return 0; }
  /* 2 */ void Lex() override;
  /* 3 */ uint32_t ParseValue(ValueVisitor& visitor) override;
  /* 4 */ void SkipLine() override {}

 private:
  // Reads n payload bytes into `bytes`; false when the input ends first.
  bool ReadPayload(std::vector<uint8_t>& bytes, uint64_t n);
  void ReadText(uint32_t n);
  void ReadArray(int32_t kind);
  void ReadStringArray();

  CompiledFormat::ScrambleState m_state;
};

}  // namespace PM
