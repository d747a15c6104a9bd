#include "script/lang/MemberVisitors.h"

#include "script/lang/Parser.h"

namespace PM::Visitor {

namespace {

// Object references go to members whose value type is ScriptObject or an object class.
bool TakesObjects(uint32_t valueType) {
  return valueType == kClassScriptObject ||
         (ClassExists(valueType) && ClassIndex(valueType) > ClassIndex(kClassNameHash) &&
          !(valueType >= kClassArrayScriptObject && valueType <= kClassArrayMatrix4f));
}

}  // namespace

template <class D>
uint32_t MemberVisitor<D>::TypeError(const char* typeName) {
  const char* className = ClassName(m_valueType);
  ReportFor(*this->m_lexer, D::kName, ": argument type error, expected ", Shape() ? "Array_" : "",
            className && *className ? className : "???", " but found ", typeName, ".");
  return 0x80000003u;
}

uint32_t MemberSet::FoundObject(ScriptObject* object) {
  if (!TakesObjects(m_valueType) || Shape()) return TypeError("ScriptObject");
  PM::MemberSet<VObject>(m_object, m_member, object);
  return 0;
}

uint32_t MemberAppend::FoundObject(ScriptObject* object) {
  if (!TakesObjects(m_valueType) || Shape() != kMemberIndexed) return TypeError("ScriptObject");
  PM::MemberSetAt<VObject>(m_object, m_member, MemberSize(m_object, m_member), object);
  return 0;
}

uint32_t MemberAssignOp::FoundObject(ScriptObject*) {
  if (TakesObjects(m_valueType) && !Shape()) return 0x80000001u;
  return TypeError("ScriptObject");
}

template class MemberVisitor<MemberSet>;
template class MemberVisitor<MemberAppend>;
template class MemberVisitor<MemberAssignOp>;

}  // namespace PM::Visitor
