#include "script/lang/ValueParser.h"

#include <vector>

#include "script/lang/ArrayGenericValue.h"
#include "script/lang/ArrayValue.h"
#include "script/lang/MemberSuffix.h"
#include "script/lang/NestingDepth.h"
#include "script/lang/Parenthesis.h"
#include "script/lang/Parser.h"
#include "script/lang/StatementVisitors.h"
#include "script/lang/UnaryVisitors.h"
#include "script/lang/ValueVisitor.h"
#include "script/object/GlobalFunctions.h"
#include "script/object/ValueBox.h"

namespace PM {

namespace {

constexpr uint32_t kFailed = 0x80000008u;

// "a.b" from a prefix (may be empty) and a name.
String JoinDotted(const String& prefix, const String& name) {
  return prefix.IsEmpty() ? name : String::FromConcat(String::FromConcatCStr(prefix, "."), name);
}

// After an identifier `name` was read: the attribute tokens that follow make it a dotted chain, whose
// last component stays in `name` and the rest goes to `prefix` (A.B.C gives prefix A.B, name C).
void ReadDottedChain(Lexer& lx, String& name, String& prefix) {
  while (lx.Kind() == kTokAttribute) {
    prefix = JoinDotted(prefix, name);
    name = String(lx.Text(), lx.TextLength());
    lx.Lex();
  }
}

// The member `name` of the class named `prefix` (an enum value or a member), or 0 after a report.
uint32_t DottedMember(Parser& parser, const String& prefix, const String& name) {
  uint32_t classId = prefix.IsEmpty() ? 0 : parser.FindClass(prefix);
  if (!classId) {
    parser.Report("Value: expected ClassID but found \"", prefix, "\".");
    return 0;
  }
  uint32_t memberId = FindMemberID(classId, name.CStr());
  if (!memberId) parser.Report("Value: expected MemberID but found \"", name, "\".");
  return memberId;
}

// A prefix operator: the operand after it goes through the operator's visitor.
template <class Op>
uint32_t Prefix(Lexer& lx, ValueVisitor& v) {
  Op op(&lx, v);
  return lx.ParseValue(op);
}

}  // namespace

uint32_t ValueParser::NotYet(Lexer& lexer, const char* what) {
  ReportFor(lexer, "ParseValueCB: ", what, " not supported yet.");
  return 0x80000001u;
}

uint32_t ValueParser::ParseValueCB(Lexer& lx, ValueVisitor& v) {
  if (uint32_t r; lx.DeliverLiteral(v, r)) return r;
  NestingDepth level(NestingDepth::kValueLevel);
  if (level.TooDeep()) {
    ReportFor(lx, "Value: nested too deeply (limit ", NestingDepth::kLimit, ").");
    return kFailed;
  }
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
      return Prefix<Visitor::UnaryMinus>(lx, v);
    case kTokPlus:
      return Prefix<Visitor::UnaryPlus>(lx, v);
    case kTokTilde:
      return Prefix<Visitor::UnaryComplement>(lx, v);
    case kTokNot:
      return Prefix<Visitor::UnaryNot>(lx, v);
    case kTokBracketOpen:
      lx.Lex();
      return Visitor::ParseArrayLiteral(lx, v, 0);
    case kTokParenOpen: {
      Visitor::Parenthesis group(&lx, v);
      return lx.ParseValue(group);
    }
    case kTokBraceOpen:
      lx.Lex();
      return Visitor::ParseHashLiteral(lx, v);
    case kTokEnumId: {
      uint32_t id = lx.Value().u32;
      lx.Lex();
      return v.FoundEnum(id);
    }
    case kTokUnknownChar: {
      char c = char(lx.Value().u32);
      ReportFor(lx, "ParseValueCB: unexpected character \"", c, "\".");
      lx.Lex();
      return kFailed;
    }
    default:
      break;
  }
  if (kind == kTokName || kind == kTokColonName || kind == kTokColonNameColon || kind == kTokClassId ||
      kind == kTokAt || kind == kTokNameCall) {
    Parser* parser = Parser::Of(lx);
    if (!parser) return NotYet(lx, "names outside a parser run are");
    if (kind == kTokName) return NameForms(*parser, v);
    if (kind == kTokClassId) return ClassIdForms(*parser, v);
    if (kind == kTokAt) return AtForms(*parser, v);
    if (kind == kTokNameCall) return CallForms(*parser, v);
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
  String prefix;
  ReadDottedChain(lx, name, prefix);
  switch (lx.Kind()) {
    case kTokBracketOpen: {
      lx.Lex();
      String whole = JoinDotted(prefix, name);
      uint32_t classId = parser.FindClass(whole);
      if (!classId) {
        parser.Report("Value: expected ClassID but found \"", whole, "\".");
        return kFailed;
      }
      return Visitor::ParseArrayLiteral(lx, v, classId);
    }
    case kTokColonName:
    case kTokColonNameColon:
    case kTokDollar:
    case kTokPeriod:
      return ObjectForms(parser, v, name);
    default:
      break;
  }
  if (name == "Nil") return v.FoundObject(NilScriptObject());
  uint32_t memberId = DottedMember(parser, prefix, name);
  return memberId ? v.FoundEnum(memberId) : kFailed;
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
      lx.SkipToStatementEnd();
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

uint32_t ValueParser::BarePath(Parser& parser, ValueVisitor& v) {
  Obj<ScriptNamespace> ns;
  String name;
  if (uint32_t r = NamespacePath(parser, ns, name)) return r;
  Lexer& lx = parser.GetLexer();
  if (lx.Kind() != kTokAssign) return ParseObjectReference(parser, v, String(), ns, name, 0);
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
  if (lx.Accept(kTokBracketOpen) == 0) return Visitor::ParseArrayLiteral(lx, v, id);
  if (id == kClassNil) return v.FoundObject(NilScriptObject());
  switch (lx.Kind()) {
    case kTokColonName:
    case kTokColonNameColon:
    case kTokDollar:
    case kTokPeriod:
      return ObjectForms(parser, v, String(ClassName(id)));
    default:
      return kFailed;
  }
}

// ---- objects, "@" forms, calls ----

uint32_t ValueParser::ObjectForms(Parser& parser, ValueVisitor& v, const String& className) {
  Lexer& lx = parser.GetLexer();
  switch (lx.Kind()) {
    case kTokDollar: {
      uint32_t handle = lx.Value().u32;
      lx.Lex();
      return ParseObjectReference(parser, v, className, parser.GetNamespace(), String(), handle);
    }
    case kTokPeriod:
      return ParseObjectReference(parser, v, className, parser.GetNamespace(), String(), 0);
    default: {
      Obj<ScriptNamespace> ns;
      String name;
      if (uint32_t r = NamespacePath(parser, ns, name)) return r;
      return ParseObjectReference(parser, v, className, ns, name, 0);
    }
  }
}

uint32_t ValueParser::AtForms(Parser& parser, ValueVisitor& v) {
  Lexer& lx = parser.GetLexer();
  lx.Lex();  // "@"
  const int32_t kind = lx.Kind();
  switch (kind) {
    case kTokParenOpen: {
      Obj<ScriptObject> result;
      Visitor::Return value(&lx, result);
      Visitor::Parenthesis group(&lx, value);
      if (lx.ParseValue(group) != 0) {
        parser.Report("Parse@(expr): error in expression.");
        return kFailed;
      }
      return v.FoundObject(result);
    }
    case kTokName: {
      String name(lx.Text(), lx.TextLength());
      lx.Lex();
      String prefix;
      ReadDottedChain(lx, name, prefix);
      if (prefix.IsEmpty()) {
        parser.Report("Value: pure TypeID is not yet supported.");
        return kFailed;
      }
      uint32_t memberId = DottedMember(parser, prefix, name);
      return memberId ? v.FoundMemberID(memberId) : kFailed;
    }
    case kTokEnumId: {
      uint32_t id = lx.Value().u32;
      lx.Lex();
      return v.FoundMemberID(id);
    }
    case kTokVector2f:
    case kTokVector3f:
    case kTokVector4f:
    case kTokBool:
    case kTokString:
    case kTokF32:
    case kTokI32: {
      Obj<ScriptObject> box;
      const TokenValue& t = lx.Value();
      switch (kind) {
        case kTokVector2f:
          box = NewBox<VVector2f>(Vector2f{t.f[0], t.f[1]});
          break;
        case kTokVector3f:
          box = NewBox<VVector3f>(Vector3f{t.f[0], t.f[1], t.f[2]});
          break;
        case kTokVector4f:
          box = NewBox<VVector4f>(Vector4f{t.f[0], t.f[1], t.f[2], t.f[3]});
          break;
        case kTokBool:
          box = NewBox<VBool>(t.b);
          break;
        case kTokString:
          box = NewBox<VString>(String(lx.Text(), lx.TextLength()));
          break;
        case kTokF32:
          box = NewBox<VF32>(t.f32);
          break;
        default:
          box = NewBox<VI32>(t.i32);
          break;
      }
      lx.Lex();
      return v.FoundObject(box);
    }
    default:
      parser.Report("Value: expected identifier after '@'.");
      return kFailed;
  }
}

uint32_t ValueParser::CallForms(Parser& parser, ValueVisitor& v) {
  Lexer& lx = parser.GetLexer();
  String name(lx.Text(), lx.TextLength());
  lx.Lex();
  lx.ReadExpect(kTokParenOpen);
  if (int8_t(name.CStr()[0]) < '_') {
    NestingDepth level(NestingDepth::kCallLevel);  // a call's frames take about twice a group's stack
    if (level.TooDeep()) {
      parser.Report("Value: nested too deeply (limit ", NestingDepth::kLimit, ").");
      return kFailed;
    }
    uint32_t id = parser.FindFunction(name);
    if (!id) {
      parser.Report("ParseValueCB: unknown Function \"", name, "\".");
      return kFailed;
    }
    Array<Obj<ScriptObject>> arguments;
    Visitor::ArrayGenericValue collect(&lx, kClassScriptObject, arguments);
    if (uint32_t r = Visitor::ParseArgumentList(lx, collect)) return r;
    std::vector<ScriptObject*> argv;
    for (const Obj<ScriptObject>& a : arguments) argv.push_back(a.Get());
    InvalidArgumentsCatch refused;
    Obj<ScriptObject> result = CallGlobalFunction(id, int32_t(argv.size()), argv.data());
    // A refusal is the script's error: told with its file and line, and counted with the run's errors.
    if (refused.Caught()) parser.Report(InvalidArgumentsCatch::Message(id).c_str());
    return ContinueWithValue(parser, v, result);
  }
  if (name == "defined") {
    if (lx.Kind() == kTokName) {
      String text(lx.Text(), lx.TextLength()), prefix;
      lx.Lex();
      ReadDottedChain(lx, text, prefix);
      if (lx.ReadExpect(kTokParenClose) != 0) return kFailed;
      return v.FoundBool(parser.FindClass(JoinDotted(prefix, text)) != 0);
    }
    if (lx.Kind() == kTokColonName || lx.Kind() == kTokColonNameColon) {
      Obj<ScriptNamespace> ns;
      String path;
      if (uint32_t r = NamespacePath(parser, ns, path)) return r;
      if (lx.ReadExpect(kTokParenClose) != 0) return kFailed;
      ScriptObject* found = ns->FindObject(path);
      return v.FoundBool(found && !IsNilObject(found));
    }
    parser.Report("ParseValueCB: syntax error for defined().");
    return kFailed;
  }
  parser.Report("ParseValueCB: unknown Function \"", name, "\".");
  return kFailed;
}

}  // namespace PM
