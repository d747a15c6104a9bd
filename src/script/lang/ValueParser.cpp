#include "script/lang/ValueParser.h"

#include "script/lang/Parser.h"
#include "script/lang/ValueVisitor.h"

namespace PM {

namespace {

constexpr uint32_t kFailed = 0x80000008u;

// The element class of a typed array token.
uint32_t ArrayElementClass(int32_t kind) {
  switch (kind) {
    case kTokArraySpheref: return kClassSpheref;
    case kTokArrayVector2f: return kClassVector2f;
    case kTokArrayVector3f: return kClassVector3f;
    case kTokArrayVector4f: return kClassVector4f;
    case kTokArrayMatrix4f: return kClassMatrix4f;
    case kTokArrayBool: return kClassBool;
    case kTokArrayString: return kClassString;
    case kTokArrayF32: return kClassF32;
    case kTokArrayF64: return kClassF64;
    case kTokArrayI32: return kClassI32;
    case kTokArrayI64: return kClassI64;
    case kTokArrayU32: return kClassU32;
    case kTokArrayU64: return kClassU64;
    default: return 0;
  }
}

// Floats of a vector token, copied before the lexer moves on.
struct Floats {
  float f[16];
};

}  // namespace

uint32_t ValueParser::NotYet(Lexer& lexer, const char* what) {
  ReportFor(lexer, "ParseValueCB: ", what, " not supported yet.");
  return 0x80000001u;
}

uint32_t ValueParser::ParseValueCB(Lexer& lx, ValueVisitor& v) {
  const int32_t kind = lx.Kind();
  switch (kind) {
    case kTokError: {
      int32_t code = lx.Value().i32;
      ReportFor(lx, code == kLexErrorSyntax    ? "ParseValueCB: syntax error."
                    : code == kLexErrorRange   ? "ParseValueCB: value or length overflow."
                    : code == kLexErrorControl ? "ParseValueCB: unterminated string or illegal character in string."
                                               : "ParseValueCB: lexer error.");
      lx.Lex();
      ReportFor(lx, "Value: unexpected tokens.");
      return kFailed;
    }
    case kTokMinus:
    case kTokPlus:
    case kTokTilde:
    case kTokNot: return NotYet(lx, "prefix operators are");
    case kTokBracketOpen: return NotYet(lx, "array literals are");
    case kTokParenOpen: return NotYet(lx, "parenthesised groups are");
    case kTokBraceOpen: return NotYet(lx, "hash literals are");
    case kTokAt: return NotYet(lx, "\"@\" forms are");
    case kTokNameCall: return NotYet(lx, "function calls and defined() are");
    case kTokEnumId: {
      uint32_t id = lx.Value().u32;
      lx.Lex();
      return v.FoundEnum(id);
    }
    case kTokSpheref:
    case kTokVector2f:
    case kTokVector3f:
    case kTokVector4f:
    case kTokMatrix4f: {
      Floats f;
      __builtin_memcpy(f.f, lx.Value().f, sizeof f.f);
      lx.Lex();
      switch (kind) {
        case kTokSpheref: return v.FoundSpheref(f.f);
        case kTokVector2f: return v.FoundVector2f(f.f);
        case kTokVector3f: return v.FoundVector3f(f.f);
        case kTokVector4f: return v.FoundVector4f(f.f);
        default: return v.FoundMatrix4f(f.f);
      }
    }
    case kTokBool: {
      bool b = lx.Value().b;
      lx.Lex();
      return v.FoundBool(b);
    }
    case kTokString: {
      String s(lx.Text(), lx.TextLength());
      lx.Lex();
      return v.FoundString(s);
    }
    case kTokF32: { float x = lx.Value().f32; lx.Lex(); return v.FoundF32(x); }
    case kTokF64: { double x = lx.Value().f64; lx.Lex(); return v.FoundF64(x); }
    case kTokI32: { int32_t x = lx.Value().i32; lx.Lex(); return v.FoundI32(x); }
    case kTokI64: { int64_t x = lx.Value().i64; lx.Lex(); return v.FoundI64(x); }
    case kTokU32: { uint32_t x = lx.Value().u32; lx.Lex(); return v.FoundU32(x); }
    case kTokU64: { uint64_t x = lx.Value().u64; lx.Lex(); return v.FoundU64(x); }
    case kTokUnknownChar: {
      char c = char(lx.Value().u32);
      ReportFor(lx, "ParseValueCB: unexpected character \"", c, "\".");
      lx.Lex();
      return kFailed;
    }
    default: break;
  }
  if (uint32_t element = ArrayElementClass(kind)) {
    // The lexer keeps the array alive until its next token.
    void* array = element == kClassString ? static_cast<void*>(const_cast<String*>(lx.Strings().Data())) : lx.Elements();
    uint32_t r = v.FoundArray(array, element);
    lx.Lex();
    return r;
  }
  if (kind == kTokName || kind == kTokColonName || kind == kTokColonNameColon || kind == kTokClassId) {
    Parser* parser = Parser::Of(lx);
    if (!parser) return NotYet(lx, "names outside a parser run are");
    if (kind == kTokName) return NameForms(*parser, v);
    if (kind == kTokClassId) return ClassIdForms(*parser, v);
    return BarePath(*parser, v);
  }
  ReportFor(lx, "ParseValueCB: unexpected token LT_0x", Hex{uint32_t(kind), 8}, ".");
  lx.Lex();
  return kFailed;
}

uint32_t ValueParser::NameForms(Parser& parser, ValueVisitor& v) {
  Lexer& lx = parser.GetLexer();
  String name(lx.Text(), lx.TextLength());
  lx.Lex();
  if (name == "True") return v.FoundBool(true);
  if (name == "False") return v.FoundBool(false);
  String prefix;
  while (lx.Kind() == kTokAttribute) {
    prefix = prefix.IsEmpty() ? name : String::FromConcat(String::FromConcatCStr(prefix, "."), name);
    name = String(lx.Text(), lx.TextLength());
    lx.Lex();
  }
  switch (lx.Kind()) {
    case kTokBracketOpen: return NotYet(lx, "typed array literals are");
    case kTokColonName:
    case kTokColonNameColon:
    case kTokDollar:
    case kTokPeriod: return NotYet(lx, "objects by class and name are");
    default: break;
  }
  if (name == "Nil") return v.FoundObject(NilScriptObject());
  uint32_t classId = prefix.IsEmpty() ? 0 : parser.FindClass(prefix);
  if (!classId) {
    parser.Report("Value: expected ClassID but found \"", prefix, "\".");
    return kFailed;
  }
  uint32_t memberId = FindMemberID(classId, name.CStr());
  if (!memberId) {
    parser.Report("Value: expected MemberID but found \"", name, "\".");
    return kFailed;
  }
  return v.FoundEnum(memberId);
}

uint32_t ValueParser::NamespacePath(Parser& parser, Obj<ScriptNamespace>& ns, String& name) {
  Lexer& lx = parser.GetLexer();
  ns = parser.GetNamespace();
  if (ns.IsNil()) return kFailed;
  bool first = true;
  while (lx.Kind() == kTokColonNameColon) {
    String segment(lx.Text(), lx.TextLength());
    ScriptObject* child;
    if (segment.IsEmpty()) {  // "::" starts at the root
      ScriptNamespace* root = ns.Get();
      while (root->GetParent()) root = root->GetParent();
      child = root;
    } else {
      child = ns->FindChild(segment, first);
    }
    if (IsNilObject(child)) {
      parser.Report("Object: unknown namespace \"", segment, "\".");
      if (lx.Kind() != kTokSemicolon) lx.SkipStatement();
      return kFailed;
    }
    ns = static_cast<ScriptNamespace*>(child);
    lx.Lex();
    first = false;
  }
  if (lx.Kind() != kTokColonName) return kFailed;
  name = String(lx.Text(), lx.TextLength());
  lx.Lex();
  return 0;
}

uint32_t ValueParser::BarePath(Parser& parser, ValueVisitor&) {
  Obj<ScriptNamespace> ns;
  String name;
  if (uint32_t r = NamespacePath(parser, ns, name)) return r;
  Lexer& lx = parser.GetLexer();
  if (lx.Kind() != kTokAssign) return NotYet(lx, "objects by path are");
  lx.Lex();
  return parser.AssignVar(ns, name);
}

uint32_t ValueParser::ClassIdForms(Parser& parser, ValueVisitor& v) {
  Lexer& lx = parser.GetLexer();
  uint32_t id = lx.Value().u32;
  lx.Lex();
  if (!ClassExists(id)) {
    parser.Report("ParseValueCB: unknown token ", id, ".");
    return kFailed;
  }
  if (lx.Kind() != kTokBracketOpen && id == kClassNil) return v.FoundObject(NilScriptObject());
  return NotYet(lx, "objects by class id are");
}

}  // namespace PM
