// ValueParser: the operand parser of the language. It reads one operand at the lexer's current token
// (a literal, True, False, Nil, an enum value, a namespace path, a variable assignment) and hands it to
// a value visitor; the lexers call it for every token that is no plain literal.
#pragma once

#include <cstdint>

#include "core/Obj.h"
#include "script/lang/Lexer.h"
#include "script/object/ScriptNamespace.h"

namespace PM {

class Parser;

class ValueParser {
 public:
  // 0 or the visitor's result on success; 0x80000008 after a reported syntax error; 0x80000001 for
  // operand forms that are not supported yet.
  static uint32_t ParseValueCB(Lexer& lexer, ValueVisitor& visitor);
  // Namespace steps (":a:", "::") and a final ":name": the namespace and the name. An unknown namespace
  // is reported and the statement skipped (0x80000008); a path without its final name gives 0x80000008
  // without a report.
  static uint32_t NamespacePath(Parser& parser, Obj<ScriptNamespace>& ns, String& name);

 private:
  static uint32_t NameForms(Parser& parser, ValueVisitor& visitor);
  static uint32_t BarePath(Parser& parser, ValueVisitor& visitor);
  static uint32_t ClassIdForms(Parser& parser, ValueVisitor& visitor);
  // After a class name: ":name", ":ns:name", "$handle" or "." name the object (found or created).
  static uint32_t ObjectForms(Parser& parser, ValueVisitor& visitor, const String& className);
  static uint32_t AtForms(Parser& parser, ValueVisitor& visitor);
  static uint32_t CallForms(Parser& parser, ValueVisitor& visitor);
  static uint32_t NotYet(Lexer& lexer, const char* what);
};

}  // namespace PM
