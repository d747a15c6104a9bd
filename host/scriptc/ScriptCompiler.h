// ScriptCompiler: turns script text into a compiled script (header and scrambled token stream) that
// BinaryLexer reads back as exactly the text lexer's token sequence.
#pragma once

#include <cstdint>
#include <string>

#include "script/lang/Lexer.h"

namespace PM {

struct CompileResult {
  bool ok = false;
  std::string bytes;  // the compiled script
  std::string error;  // "line L, column C: reason" when not ok
};

// Lexes with `mode` (line counting is added for messages). Refused: lexing errors, tokens without a
// compiled form (":(" and characters that start no token), names over 255 bytes, strings of 8192 or more.
CompileResult CompileScript(const void* text, size_t length, uint32_t mode = Lexer::kParserMode, bool header = true);

}  // namespace PM
