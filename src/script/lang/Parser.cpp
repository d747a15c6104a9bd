#include "script/lang/Parser.h"

#include "core/ErrorTally.h"
#include "core/LogMsg.h"
#include "platform/InertText.h"
#include "script/lang/BinaryLexer.h"
#include "script/lang/NestingDepth.h"
#include "script/lang/OperatorContinuation.h"
#include "script/lang/StatementVisitors.h"
#include "script/lang/ValueParser.h"
#include "script/object/GlobalFunctions.h"

namespace PM {

namespace {

Obj<ScriptObject> RunStream(ScriptEngine* engine, StreamPipe* stream, const String& name, uint32_t flags) {
  return Parser::ParseStream(engine, stream, name, flags);
}

// The language plugs itself into the lexers and the script engine when the library loads.
const bool g_hooksInstalled = (SetParseValueCB(&ValueParser::ParseValueCB), SetScriptStreamParser(&RunStream), true);

ScriptNamespace* NamespaceOf(ScriptEngine* engine, ScriptNamespace* ns) {
  if (ns && !IsNilObject(ns)) return ns;
  if (engine && !IsNilObject(engine)) return engine->GetNamespace();
  return nullptr;
}

}  // namespace

Parser::Parser(Lexer* lexer, ScriptEngine* engine, ScriptNamespace* ns, const String& name, uint32_t flags)
    : m_lexer(lexer),
      m_engine(engine && !IsNilObject(engine) ? engine : nullptr),
      m_namespace(NamespaceOf(engine, ns)),
      m_quiet((flags & kParseQuiet) != 0),
      m_name(name) {
  (void)g_hooksInstalled;
  m_lexer->SetOwner(this);
}

Parser::~Parser() {
  if (m_lexer->Owner() == this) m_lexer->SetOwner(nullptr);
}

Parser* Parser::Of(const Lexer& lexer) { return dynamic_cast<Parser*>(lexer.Owner()); }

// ---- error report ----

StreamPipeRef Parser::ReportError() {
  ++m_errorCount;
  CountErrorReport();
  if (m_firstLine == 0) {
    m_firstLine = m_lexer->GetLine();
    m_firstColumn = m_lexer->GetColumn();
  }
  if (m_quiet) return DiscardPipe();
  StreamPipeRef s = LogOutPipe();
  s.Lock();
  s.SetColor(11, 0);
  s.WriteText("File: ").WriteText(InertText(m_name.View()).c_str()).WriteText("(");
  s.WriteI32(m_lexer->GetLine()).WriteText(") x=").WriteI32(m_lexer->GetColumn()).WriteText(" :\n    ");
  return s;
}

// ---- lookups ----

uint32_t Parser::FindClass(const String& name) const {
  if (uint32_t id = FindClassID(name.CStr())) return id;
  return m_namespace.IsNil() ? 0 : m_namespace->FindClassIdByName(name);
}

uint32_t Parser::FindFunction(const String& name) const {
  if (uint32_t id = FindFunctionID(name.CStr())) return id;
  return m_namespace.IsNil() ? 0 : m_namespace->FindFunctionIdByName(name);
}

// ---- the run ----

Obj<ScriptObject> Parser::Parse(ScriptProgress* progress, StreamPipe* stream, int64_t fileLength, uint32_t flags) {
  if (m_namespace.IsNil()) m_namespace = static_cast<ScriptNamespace*>(ScriptNamespace::Create(String()));
  if (m_namespace.IsNil()) return Obj<ScriptObject>();  // the script world is not started (logged)
  m_namespace->SetResult(NilScriptObject());
  m_quiet = (flags & kParseQuiet) != 0;
  NestingDepth level(NestingDepth::kRunLevel);
  if (level.TooDeep()) {
    Report("Execute: runs nested too deeply (limit ", NestingDepth::kLimit, "); nothing is run.");
    return Obj<ScriptObject>();
  }
  bool stopped = false;  // by a statement without its ";" (even one cut off by the end of the file)
  while (m_lexer->Kind() != kTokEnd && m_lexer->Kind() != kTokError) {
    if (ParseStatement() != 0) {
      stopped = true;
      break;
    }
    if (progress && stream && fileLength > 0)
      progress->SetFraction(float(double(stream->SeekCompressed(0, kSeekCurrent)) / double(fileLength)));
  }
  if (stopped || m_lexer->Kind() != kTokEnd) Report("Execute: parsing stopped before end of file.");
  if (m_errorCount != 0) {
    if (m_quiet) return Obj<ScriptObject>();
    LogMsg(0x80000008u, m_name.CStr(), "Parser::Parse", kLogMsgNoDialog,
           "The parsed file contains errors.\n\n  File: #1\n  Line: #2  Column: #3\n  Errors: #4", m_name, m_firstLine,
           m_firstColumn, m_errorCount);
  }
  return Obj<ScriptObject>(m_namespace->GetResult());
}

// ---- entry points ----

Obj<ScriptObject> Parser::ParseText(ScriptEngine* engine, const String& text, const String& name, uint32_t flags,
                                    int* errors) {
  Lexer lexer(text.CStr(), size_t(text.Length()), (flags & kParseCountLines) | Lexer::kParserMode);
  Parser parser(&lexer, engine, nullptr, name, flags);
  lexer.Lex();
  Obj<ScriptObject> result = parser.Parse(nullptr, nullptr, 0, flags);
  if (errors) *errors = parser.ErrorCount();
  return result;
}

Obj<ScriptObject> Parser::ParseStream(ScriptEngine* engine, StreamPipe* stream, const String& name, uint32_t flags,
                                      int* errors) {
  int failed = 1;
  if (!errors) errors = &failed;
  *errors = 0;
  StreamPipeRef in(stream);
  if (engine && IsNilObject(engine)) engine = nullptr;
  ScriptProgress* progress = engine ? engine->GetProgress() : nullptr;
  int64_t length = progress ? in->GetFileLength() : 0;
  const char* location = "Parse: ";
  if (in->PeekByte() < 0) {
    LogMsg(0x8000000Au, location, "IDCheck", kLogMsgNoDialog, "The file \"#1\" does not exist.", name);
    *errors = 1;
    return Obj<ScriptObject>();
  }
  if (in->PeekByte() != 'B') return Obj<ScriptObject>();
  int header[4];
  for (int& b : header) b = in->ReadByte();
  if (header[0] != 'B' || header[1] != 'S' || header[2] != 'B') {
    LogMsg(0x80000001u, location, "IDCheck", kLogMsgNoDialog,
           "The file \"#1\" has an invalid binary script header, please reconvert it.", name);
    *errors = 1;
    return Obj<ScriptObject>();
  }
  if (header[3] != 5) {
    LogMsg(0x80000001u, location, "IDCheck", kLogMsgNoDialog,
           "The file \"#1\" has an incompatible binary script header, please reconvert it.", name);
    *errors = 1;
    return Obj<ScriptObject>();
  }
  BinaryLexer lexer(in.Get(), (flags & kParseCountLines) | 0x1E);
  Parser parser(&lexer, engine, nullptr, name, flags);
  lexer.Lex();
  Obj<ScriptObject> result = parser.Parse(progress, in.Get(), length, flags);
  *errors = parser.ErrorCount();
  return result;
}

Obj<ScriptObject> Parser::ParseMemory(ScriptEngine* engine, const void* bytes, size_t length, const String& name,
                                      uint32_t flags) {
  const auto* b = static_cast<const uint8_t*>(bytes);
  if (!b || length < 4) return Obj<ScriptObject>();
  if (b[0] != 'B' || b[1] != 'S' || b[2] != 'B') {
    LogMsg(0x80000001u, "Parse: ", "IDCheck", kLogMsgNoDialog,
           "The file \"#1\" has an invalid binary script header, please reconvert it.", name);
    return Obj<ScriptObject>();
  }
  if (b[3] != 5) {
    LogMsg(0x80000001u, "Parse: ", "IDCheck", kLogMsgNoDialog,
           "The file \"#1\" has an incompatible binary script header, please reconvert it.", name);
    return Obj<ScriptObject>();
  }
  BinaryLexer lexer(b + 4, length - 4, Lexer::kParserMode);
  Parser parser(&lexer, engine, nullptr, name, flags);
  lexer.Lex();
  return parser.Parse(nullptr, nullptr, 0, flags);
}

Obj<ScriptObject> Parser::ParseExpression(ScriptEngine* engine, const String& text) {
  Lexer lexer(text.CStr(), size_t(text.Length()), Lexer::kParserMode);
  Parser parser(&lexer, engine, nullptr, String(), 0);
  Obj<ScriptObject> result;
  Visitor::Return value(&lexer, result);
  Visitor::OperatorContinuation next(&lexer, value);
  if (lexer.ParseValue(next) != 0) {
    parser.Report("ParseCondition: error in expression.");
    return Obj<ScriptObject>();
  }
  return result;
}

uint32_t Parser::ParseCondition(ScriptEngine* engine, const String& text) {
  Lexer lexer(text.CStr(), size_t(text.Length()), Lexer::kParserMode);
  Parser parser(&lexer, engine, nullptr, String(), 0);
  Visitor::If value(&lexer);
  Visitor::OperatorContinuation next(&lexer, value);
  if (uint32_t r = lexer.ParseValue(next)) {
    parser.Report("ParseCondition: error in expression.");
    return r;
  }
  if (!value.FoundBoolValue()) {
    parser.Report("ParseCondition: result is not Bool.");
    return kParseInvalidArgument;
  }
  return value.Value() ? 1 : 0;
}

}  // namespace PM
