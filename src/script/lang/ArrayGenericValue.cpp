#include "script/lang/ArrayGenericValue.h"

#include "script/lang/BoxArray.h"
#include "script/lang/OperatorContinuation.h"
#include "script/lang/Parser.h"

namespace PM::Visitor {

uint32_t ArrayGenericValue::FoundObject(ScriptObject* object) {
  if (m_filter != kClassScriptObject && !object->IsA(m_filter)) return TypeError("ScriptObject");
  m_target.Append(Obj<ScriptObject>(object));
  return 0;
}

uint32_t ArrayGenericValue::FoundArray(void* array, uint32_t elementClassId) {
  if (m_filter != kClassScriptObject && m_filter != elementClassId) return TypeError("Array");
  Obj<ScriptObject> box = BoxArray(array, elementClassId);
  if (box.IsNil()) {
    ReportFor(*m_lexer, "ArrayGenericValue::FoundArray not yet supported for type 0x",
              Hex{ClassIndex(elementClassId), 3}, ".");
    return 0x80000001u;
  }
  m_target.Append(box);
  return 0;
}

uint32_t ArrayGenericValue::TypeError(const char* typeName) {
  ReportFor(*m_lexer, "ArrayGenericValue: cannot add type \"", typeName, "\" to array of type \"", ClassName(m_filter),
            "\".");
  return 0x80000003u;
}

uint32_t ParseArgumentList(Lexer& lexer, ArrayGenericValue& visitor) {
  if (lexer.Accept(kTokParenClose) == 0) return 0;
  for (;;) {
    OperatorContinuation next(&lexer, visitor);
    if (ParseValueCB(lexer, next) != 0) return 0x80000008u;
    if (lexer.Accept(kTokComma) == 0) continue;
    if (lexer.Accept(kTokParenClose) == 0) return 0;
    ReportFor(lexer, "Value: ArrayGeneric: missing either ',' or ')', assuming ')'.");
    return 0x80000008u;
  }
}

}  // namespace PM::Visitor
