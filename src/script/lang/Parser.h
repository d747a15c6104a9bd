// Parser: the context of one script run. It executes statements as it reads them (there is no syntax
// tree), counts and locates every error it or its lexer reports, and offers the language's entry points.
#pragma once

#include <cstdint>

#include "core/Obj.h"
#include "core/String.h"
#include "script/lang/ErrorReport.h"
#include "script/lang/Lexer.h"
#include "script/object/ScriptEngine.h"
#include "script/object/ScriptNamespace.h"

namespace PM {

// Result codes of the language.
enum ParseResult : uint32_t {
  kParseOk = 0,
  kParseUnsupported = 0x80000001u,
  kParseCreateFailed = 0x80000002u,
  kParseInvalidArgument = 0x80000003u,
  kParseError = 0x80000008u,
  kParseUnexpected = 0x8000000Au,
};

// Flags of a run.
enum ParseFlags : uint32_t {
  kParseCountLines = 0x1,     // text scripts only
  kParseQuiet = 0x40000000u,  // no error text, no summary; a run with errors returns nil
};

class Parser : public ErrorReport {
 public:
  // Makes itself the lexer's owner. `engine` may be null (no include, no progress); `ns` null means the
  // engine's namespace.
  Parser(Lexer* lexer, ScriptEngine* engine, ScriptNamespace* ns, const String& name, uint32_t flags);
  ~Parser() override;

  // ---- entry points (each owns its lexer and context for the call) ----
  // `errors`, when given, receives the number of errors the run reported (a missing file or a bad
  // header counts as one), so a host can tell a failed run from one that returned nil.
  static Obj<ScriptObject> ParseText(ScriptEngine* engine, const String& text, const String& name, uint32_t flags,
                                     int* errors = nullptr);
  static Obj<ScriptObject> ParseStream(ScriptEngine* engine, StreamPipe* stream, const String& name, uint32_t flags,
                                       int* errors = nullptr);
  static Obj<ScriptObject> ParseMemory(ScriptEngine* engine, const void* bytes, size_t length, const String& name,
                                       uint32_t flags);
  // The boxed value of one expression; nil on failure.
  static Obj<ScriptObject> ParseExpression(ScriptEngine* engine, const String& text);
  // 1 for true, 0 for false, else the failure code (0x80000003 for a value that is not Bool).
  static uint32_t ParseCondition(ScriptEngine* engine, const String& text);

  // ---- the run ----
  // The statement loop; the run's result or nil.
  Obj<ScriptObject> Parse(ScriptProgress* progress, StreamPipe* stream, int64_t fileLength, uint32_t flags);
  // One statement with its ";": 0, or the code of a failed ";" check.
  uint32_t ParseStatement();
  uint32_t SkipBlock();
  // Passes the rest of a statement up to its ";" (left current), bracketed blocks included.
  void SkipNestedStatement();
  // The right-hand side of an attribute assignment ("=", "<<" or "+=" at the current token).
  uint32_t ParseAttributeValue(ScriptObject* object, uint32_t memberId);
  // The global assignment after "name =" (the "=" passed): parses the value into the existing variable.
  uint32_t AssignVar(ScriptNamespace* ns, const String& name);
  // A path of namespace steps (":a:") ending in ":name": the namespace and the name; 0x80000008 when
  // the path is malformed (an unknown namespace is reported and the statement skipped).
  uint32_t ReadGlobalName(Obj<ScriptNamespace>& ns, String& name);

  // Whether `value` receives the value that heads the statement being run (an object reference given to
  // it is the statement's own object, as in "Class:name . { ... }").
  bool HeadsStatement(const ValueVisitor& value) const { return &value == m_statementValue; }

  // Class and function ids by name: built-in and engine ones first, then the namespace's; 0 when unknown.
  uint32_t FindClass(const String& name) const;
  uint32_t FindFunction(const String& name) const;

  // ---- error report ----
  StreamPipeRef ReportError() override;
  int ErrorCount() const override { return m_errorCount; }
  int FirstLine() const override { return m_firstLine; }
  int FirstColumn() const override { return m_firstColumn; }

  // The parser that owns a lexer (null when the lexer runs outside a parser).
  static Parser* Of(const Lexer& lexer);

  Lexer& GetLexer() const { return *m_lexer; }
  ScriptEngine* GetEngine() const { return m_engine; }
  ScriptNamespace* GetNamespace() const { return m_namespace; }
  const String& GetName() const { return m_name; }
  bool IsQuiet() const { return m_quiet; }

  // Writes one message through the report: Report("If: ", "missing brace", ".").
  template <class... A>
  void Report(const A&... parts) {
    ReportErrorLine(*this, parts...);
  }

 private:
  uint32_t VarStatement();
  uint32_t IfStatement();
  uint32_t ClassStatement();
  uint32_t EnumStatement();
  uint32_t PrintStatement(bool lineFeed);
  uint32_t IncludeStatement();
  uint32_t DelStatement();
  uint32_t RunBlock(const char* failure);  // statements up to "}"
  bool ClassNameTaken(const String& name) const;

  Lexer* m_lexer;
  ScriptEngine* m_engine;
  Obj<ScriptNamespace> m_namespace;
  int m_errorCount = 0;
  int m_firstLine = 0;
  int m_firstColumn = 0;
  bool m_quiet;
  String m_name;
  const ValueVisitor* m_statementValue = nullptr;
};

// Writes a message through the report of the lexer's parser, or to the error log outside a parser.
template <class... A>
void ReportFor(const Lexer& lexer, const A&... parts) {
  ReportOrLog(lexer.Owner(), parts...);
}

}  // namespace PM
