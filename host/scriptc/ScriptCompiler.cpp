#include "ScriptCompiler.h"

#include <string_view>

#include "CompiledScriptWriter.h"

namespace PM {

CompileResult CompileScript(const void* text, size_t length, uint32_t mode, bool header) {
  CompileResult result;
  Lexer lexer(text, length, mode | Lexer::kModeLines);
  CompiledScriptWriter out(header);
  auto fail = [&](const std::string& why) {
    result.error =
        "line " + std::to_string(lexer.GetLine()) + ", column " + std::to_string(lexer.GetColumn()) + ": " + why;
    return result;
  };
  for (;;) {
    lexer.Lex();
    const int kind = lexer.Kind();
    const TokenValue& v = lexer.Value();
    std::string_view t(lexer.Text() ? lexer.Text() : "", size_t(lexer.TextLength()));
    switch (kind) {
      case kTokError:
        return fail("lexing error " + std::to_string(v.i32) + ".");
      case kTokName:
      case kTokAttribute:
      case kTokColonName:
      case kTokAttributeCall:
      case kTokAttributeIndex:
      case kTokNameCall:
      case kTokColonNameColon:
        if (!out.Name(kind, t)) return fail("a name longer than 255 bytes.");
        break;
      case kTokString:
        if (!out.String(t)) return fail("a string of 8192 bytes or more.");
        break;
      case kTokDollar:
        out.Dollar(v.u32);
        break;
      case kTokF32:
        out.F32(v.f32);
        break;
      case kTokF64:
        out.F64(v.f64);
        break;
      case kTokI32:
        out.I32(v.i32);
        break;
      case kTokI64:
        out.I64(v.i64);
        break;
      case kTokU32:
        out.U32(v.u32);
        break;
      case kTokU64:
        out.U64(v.u64);
        break;
      case kTokColonParen:
      case kTokUnknownChar:
        return fail("token " + std::string(TokenKindName(kind).CStr()) + " has no compiled form.");
      default:
        out.Token(kind);  // punctuation, operators, 27, 28, 100 and the end
        break;
    }
    if (kind == kTokEnd) break;
  }
  result.ok = true;
  result.bytes = out.Bytes();
  return result;
}

}  // namespace PM
