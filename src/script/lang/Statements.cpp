// The statements of the language: the keyword statements, expression statements, blocks and the
// right-hand side of attribute assignments. Each runs as soon as it is read.
#include <cstring>
#include <utility>
#include <vector>

#include "script/lang/ArrayGenericValue.h"
#include "script/lang/MemberVisitors.h"
#include "script/lang/NestingDepth.h"
#include "script/lang/OperatorContinuation.h"
#include "script/lang/Parser.h"
#include "script/lang/StatementVisitors.h"
#include "script/lang/ValueParser.h"
#include "script/object/ScriptClass_I.h"

namespace PM {

namespace {

bool IsName(const Lexer& lexer, const char* text) {
  return lexer.Kind() == kTokName && std::strcmp(lexer.Text(), text) == 0;
}

}  // namespace

uint32_t Parser::ParseStatement() {
  Lexer& lx = *m_lexer;
  NestingDepth level(NestingDepth::kStatementLevel);
  if (level.TooDeep()) {
    // The statement is passed over whole, blocks and all, so the enclosing block and the run go on.
    Report("Statement: nested too deeply (limit ", NestingDepth::kLimit, ").");
    SkipNestedStatement();
    return lx.ReadExpect(kTokSemicolon);
  }
  if (lx.Kind() == kTokName && uint8_t(lx.Text()[0]) >= '_') {
    static const char* const kKeywords[] = {"var", "if", "class", "enum", "print", "p", "pl", "include", "del"};
    int keyword = -1;
    for (int i = 0; i < int(std::size(kKeywords)) && keyword < 0; ++i)
      if (std::strcmp(lx.Text(), kKeywords[i]) == 0) keyword = i;
    if (keyword >= 0) {
      lx.Lex();
      switch (keyword) {
        case 0:
          VarStatement();
          break;
        case 1:
          IfStatement();
          break;
        case 2:
          ClassStatement();
          break;
        case 3:
          EnumStatement();
          break;
        case 4:
        case 5:
          PrintStatement(false);
          break;
        case 6:
          PrintStatement(true);
          break;
        case 7:
          IncludeStatement();
          break;
        default:
          DelStatement();
          break;
      }
      return lx.ReadExpect(kTokSemicolon);
    }
  }
  Visitor::Expression value(&lx);
  const ValueVisitor* outer = std::exchange(m_statementValue, &value);
  const uint32_t failed = ParseValueCB(lx, value);
  m_statementValue = outer;
  if (failed != 0) {
    Report("Expression: unsupported or invalid statement.");
    lx.SkipToStatementEnd();
  }
  return lx.ReadExpect(kTokSemicolon);
}

uint32_t Parser::ReadGlobalName(Obj<ScriptNamespace>& ns, String& name) {
  return ValueParser::NamespacePath(*this, ns, name) ? uint32_t(kParseError) : 0u;
}

uint32_t Parser::VarStatement() {
  Obj<ScriptNamespace> ns;
  String name;
  if (ReadGlobalName(ns, name)) return kParseError;
  Visitor::DefVar value(m_lexer, ns, name);
  Visitor::OperatorContinuation next(m_lexer, value);
  if (ParseValueCB(*m_lexer, next) != 0) {
    Report("Var: unsupported or invalid value.");
    m_lexer->SkipToStatementEnd();
  }
  return 0;
}

uint32_t Parser::AssignVar(ScriptNamespace* ns, const String& name) {
  Visitor::SetVar value(m_lexer, ns, name);
  Visitor::OperatorContinuation next(m_lexer, value);
  if (ParseValueCB(*m_lexer, next) != 0) {
    Report("Var: unsupported or invalid value.");
    m_lexer->SkipToStatementEnd();
  }
  return 0;
}

uint32_t Parser::DelStatement() {
  Obj<ScriptNamespace> ns;
  String name;
  if (ReadGlobalName(ns, name)) return kParseError;
  ns->RemoveVar(name);
  return 0;
}

uint32_t Parser::RunBlock(const char* failure) {
  Lexer& lx = *m_lexer;
  while (lx.Kind() != kTokBraceClose) {
    if (uint32_t r = ParseStatement()) {
      Report(failure);
      return r;
    }
  }
  if (lx.Accept(kTokBraceClose)) {
    Report("If: missing { block; } closing brace.");
    return kParseError;
  }
  return 0;
}

uint32_t Parser::IfStatement() {
  Lexer& lx = *m_lexer;
  Visitor::If condition(&lx);
  Visitor::OperatorContinuation next(&lx, condition);
  if (uint32_t r = ParseValueCB(lx, next)) {
    Report("If: error in condition expression.");
    lx.SkipToStatementEnd();
    return r;
  }
  if (!condition.FoundBoolValue()) {
    Report("If: result of expression is not Bool.");
    lx.SkipToStatementEnd();
    return kParseUnsupported;
  }
  if (lx.Kind() != kTokBraceOpen) {
    Report("If: missing { block; } after condition.");
    return kParseError;
  }
  if (condition.Value()) {
    lx.Lex();
    if (uint32_t r = RunBlock("If: error in 'if' block.")) return r;
    if (IsName(lx, "else")) {
      lx.Lex();
      if (lx.Kind() == kTokBraceOpen) return SkipBlock();
      Report("If: missing { block; } after else.");
      return kParseError;
    }
    return 0;
  }
  if (uint32_t r = SkipBlock()) return r;
  if (IsName(lx, "else")) {
    lx.Lex();
    if (lx.Accept(kTokBraceOpen)) {
      Report("If: missing { block; } after else.");
      return kParseError;
    }
    return RunBlock("If: error in 'else' block.");
  }
  return 0;
}

namespace {

bool IsOpener(int32_t kind) { return kind == kTokBracketOpen || kind == kTokParenOpen || kind == kTokBraceOpen; }
bool IsCloser(int32_t kind) { return kind == kTokBracketClose || kind == kTokParenClose || kind == kTokBraceClose; }

}  // namespace

uint32_t Parser::SkipBlock() {
  Lexer& lx = *m_lexer;
  if (!IsOpener(lx.Kind())) {
    Report("SkipBlock: encountered invalid brace type.");
    return kParseError;
  }
  // The closers still expected, innermost last: "]" ")" "}" follow their openers.
  std::vector<int32_t> closers{lx.Kind() + 1};
  lx.Lex();
  while (!closers.empty()) {
    int32_t k = lx.Kind();
    if (k == kTokError || k == kTokEnd) {
      Report("SkipBlock: reached EOF. missing closing brace somewhere.");
      return kParseError;
    }
    if (IsOpener(k)) {
      closers.push_back(k + 1);
    } else if (IsCloser(k)) {
      if (k != closers.back()) {
        Report("SkipBlock: found nonmatching brace. missing closing brace somewhere.");
        return kParseError;
      }
      closers.pop_back();
    }
    lx.Lex();
  }
  return 0;
}

void Parser::SkipNestedStatement() {
  Lexer& lx = *m_lexer;
  int64_t open = 0;
  for (;;) {
    int32_t k = lx.Kind();
    if (k == kTokError || k == kTokEnd || (open == 0 && k == kTokSemicolon)) return;
    if (IsOpener(k)) {
      ++open;
    } else if (IsCloser(k)) {
      if (open == 0) return;  // the enclosing block's closer
      --open;
    }
    lx.Lex();
  }
}

bool Parser::ClassNameTaken(const String& name) const { return FindClass(name) != 0; }

uint32_t Parser::ClassStatement() {
  Lexer& lx = *m_lexer;
  if (lx.Kind() != kTokName) {
    Report("Class: expected identifier after 'class'.");
    return kParseInvalidArgument;
  }
  String name(lx.Text(), lx.TextLength());
  lx.Lex();
  if (lx.Kind() == kTokSemicolon) {
    LogInfo("Class: forward of \"", name, "\" ignored (not yet supported). Line ", lx.GetLine());
    return 0;
  }
  if (ClassNameTaken(name)) {
    Report("Class: redefinition of class \"", name, "\" not supported.");
    return kParseInvalidArgument;
  }
  uint32_t baseId = 0;
  if (lx.Accept(kTokGreater) == 0) {
    if (lx.Kind() != kTokName) {
      Report("Class: expected identifier after 'class T>'.");
      return kParseInvalidArgument;
    }
    String base(lx.Text(), lx.TextLength());
    baseId = FindClass(base);
    if (!baseId) {
      Report("Class: undefined baseclass \"", base, "\".");
      return kParseInvalidArgument;
    }
    lx.Lex();
  }
  Obj<ScriptObject> made(ScriptClass::Create());
  if (made.IsNil()) return kParseCreateFailed;
  auto* cls = static_cast<ScriptClass_I*>(made.Get());
  m_namespace->AddClass(cls);
  cls->DefFromBase(name, baseId);
  if (lx.Accept(kTokPeriod) == 0 && lx.ReadExpect(kTokBraceOpen) == 0) {
    while (lx.Kind() == kTokAttribute || lx.Kind() == kTokAttributeCall) {
      String member(lx.Text(), lx.TextLength());
      if (lx.Kind() == kTokAttribute) {
        Visitor::Class value(&lx, cls, 0, member);
        if (lx.ParseValue(value) != 0) {
          Report("Class: unsupported or invalid value.");
          lx.SkipToStatementEnd();
        }
      } else {
        lx.Lex();
        lx.ReadExpect(kTokParenOpen);
        Array<Obj<ScriptObject>> arguments;
        Visitor::ArrayGenericValue collect(&lx, kClassScriptObject, arguments);
        Visitor::ParseArgumentList(lx, collect);
        String text;
        if (lx.Kind() == kTokString) {
          text = String(lx.Text(), lx.TextLength());
          lx.Lex();
        }
        cls->DefMemberFunction(member, text, kMemberFunction);
      }
      lx.ReadExpect(kTokSemicolon);
    }
    lx.ReadExpect(kTokBraceClose);
  }
  cls->EndDefinition();
  return 0;
}

uint32_t Parser::EnumStatement() {
  Lexer& lx = *m_lexer;
  if (lx.Kind() != kTokName) {
    Report("Enum: expected identifier after 'enum'.");
    return kParseInvalidArgument;
  }
  String name(lx.Text(), lx.TextLength());
  lx.Lex();
  if (ClassNameTaken(name)) {
    Report("Enum: redefinition of enum \"", name, "\" not supported.");
    return kParseInvalidArgument;
  }
  Obj<ScriptObject> made(ScriptClass::Create());
  if (made.IsNil()) return kParseCreateFailed;
  auto* cls = static_cast<ScriptClass_I*>(made.Get());
  m_namespace->AddClass(cls);
  cls->DefEnum(name, 0);
  if (lx.Accept(kTokPeriod) == 0 && lx.ReadExpect(kTokBraceOpen) == 0) {
    while (lx.Kind() == kTokAttribute) {
      Visitor::Enum value(&lx, cls, 0, String(lx.Text(), lx.TextLength()));
      if (lx.ParseValue(value) != 0) {
        Report("Enum: unsupported or invalid value.");
        lx.SkipToStatementEnd();
      }
      lx.ReadExpect(kTokSemicolon);
    }
    lx.ReadExpect(kTokBraceClose);
  }
  cls->EndDefinition();
  return 0;
}

uint32_t Parser::PrintStatement(bool lineFeed) {
  Lexer& lx = *m_lexer;
  StreamPipeRef& out = PrintPipe();
  while (lx.Kind() != kTokSemicolon) {
    Visitor::Print value(&lx);
    Visitor::OperatorContinuation next(&lx, value);
    if (ParseValueCB(lx, next) != 0) {
      out->Flush();
      Report("Print: unsupported or invalid value.");
      lx.SkipToStatementEnd();
      break;  // pl still ends the line, so the next line of output starts clean
    }
  }
  if (lineFeed)
    out.EndLine();
  else
    out->Flush();
  return 0;
}

uint32_t Parser::IncludeStatement() {
  Lexer& lx = *m_lexer;
  Visitor::Include value(&lx);
  Visitor::OperatorContinuation next(&lx, value);
  if (ParseValueCB(lx, next) != 0) {
    Report("Include: unsupported or invalid value.");
    lx.SkipToStatementEnd();
    return 0;
  }
  if (!m_engine) {
    Report("Include: no script engine runs this script; \"", value.FileName(), "\" is not included.");
    return 0;
  }
  if (NestingDepth::WouldPass(NestingDepth::kRunLevel)) {
    Report("Include: \"", value.FileName(), "\" nested too deeply (limit ", NestingDepth::kLimit, ").");
    return 0;
  }
  m_engine->LoadFile(value.FileName(), 1, 0);
  return 0;
}

uint32_t Parser::ParseAttributeValue(ScriptObject* object, uint32_t memberId) {
  Lexer& lx = *m_lexer;
  const MemberRecord* record = object->FindRecord(memberId);
  uint32_t valueType = record ? record->valueType : 0;
  uint32_t flags = record ? record->flags : 0;
  uint32_t r = 0;
  int32_t op = lx.Kind();
  if (op == kTokShiftLeft) {
    do {
      Visitor::MemberAppend value(&lx, object, memberId, valueType, flags);
      Visitor::OperatorContinuation next(&lx, value);
      r = lx.ParseValue(next);
    } while (r == 0 && lx.Kind() == kTokShiftLeft);
  } else if (op == kTokPlusAssign) {
    do {
      Visitor::MemberAssignOp value(&lx, object, memberId, valueType, flags);
      Visitor::OperatorContinuation next(&lx, value);
      r = lx.ParseValue(next);
    } while (r == 0 && lx.Kind() == kTokShiftLeft);
  } else {
    Visitor::MemberSet value(&lx, object, memberId, valueType, flags);
    Visitor::OperatorContinuation next(&lx, value);
    r = ParseValueCB(lx, next);
  }
  if (r != 0) {
    Report("ParseAttributeValue: unsupported or invalid value.");
    return kParseInvalidArgument;
  }
  return 0;
}

}  // namespace PM
