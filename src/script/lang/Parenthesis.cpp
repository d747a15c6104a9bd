#include "script/lang/Parenthesis.h"

#include "script/lang/OperatorContinuation.h"
#include "script/lang/Parser.h"
#include "script/lang/VisitorSlot.h"

namespace PM::Visitor {

namespace {

constexpr uint32_t kUnsupported = 0x80000001u;
constexpr uint32_t kFailed = 0x80000008u;

bool IsBinaryOperator(int32_t kind) { return TokenPrecedence(kind) != kNoPrecedence; }

}  // namespace

template <class T>
uint32_t Parenthesis::Take(const typename T::Value& v) {
  constexpr bool groups = std::is_same_v<T, VBool> || std::is_same_v<T, VI32> || std::is_same_v<T, VU32> ||
                          std::is_same_v<T, VF32> || std::is_same_v<T, VVector3f> || std::is_same_v<T, VString>;
  if constexpr (groups) {
    const int32_t next = m_lexer->Kind();
    if (next == kTokParenClose && m_listState == 0) {
      m_lexer->Lex();
      return CallSlot<T>(m_outer, v);
    }
    // The value starts an operator chain whose result comes back here.
    if (IsBinaryOperator(next)) {
      OperatorContinuation chain(m_lexer, *this);
      return CallSlot<T>(chain, v);
    }
    if constexpr (std::is_same_v<T, VI32>)
      return Component(float(v));
    else if constexpr (std::is_same_v<T, VF32>)
      return Component(v);
    else
      return NotComponent(T::kName);
  } else if constexpr (std::is_same_v<T, VEnum> || std::is_same_v<T, VMemberID>) {
    return kUnsupported;
  } else {
    ReportFor(*m_lexer, "Eval: operator ((", kName, ",", T::kName, ") is not supported.");
    return kUnsupported;
  }
}

uint32_t Parenthesis::FoundObject(ScriptObject* object) {
  const int32_t next = m_lexer->Kind();
  if (next == kTokParenClose && m_listState == 0) {
    m_lexer->Lex();
    return m_outer.FoundObject(object);
  }
  if (IsBinaryOperator(next)) {
    m_lexer->Lex();
    ReportFor(*m_lexer, "Parenthesis: expression containing Object cannot be evaluated.");
    return kUnsupported;
  }
  return NotComponent("Object");
}

uint32_t Parenthesis::NotComponent(const char* typeName) {
  ReportFor(*m_lexer, "Parenthesis: invalid component type ", typeName, " for vector/matrix.");
  return kFailed;
}

uint32_t Parenthesis::Component(float f) {
  const int32_t next = m_lexer->Kind();
  if (next == kTokComma) {
    m_listState = 1;
    if (m_count >= 15) {
      ReportFor(*m_lexer, "Parenthesis: too many components for matrix.");
      return kFailed;
    }
    m_components[m_count++] = f;
    return m_lexer->ParseValue(*this);
  }
  if (next == kTokParenClose) {
    m_lexer->Lex();
    if (m_listState == 0) return m_outer.FoundF32(f);
    m_components[m_count++] = f;
    return Deliver();
  }
  ReportFor(*m_lexer, "Parenthesis: undefined operator.");
  return kUnsupported;
}

uint32_t Parenthesis::Deliver() {
  switch (m_count) {
    case 2:
      return m_outer.FoundVector2f(m_components);
    case 3:
      return m_outer.FoundVector3f(m_components);
    case 4:
      return m_outer.FoundVector4f(m_components);
    case 16:
      return m_outer.FoundMatrix4f(m_components);
    default:
      ReportFor(*m_lexer, "Parenthesis: invalid number of components for vector/matrix.");
      return kFailed;
  }
}

#define PM_INSTANTIATE_TAKE(Tag) template uint32_t Parenthesis::Take<Tag>(const typename Tag::Value&);
PM_FOR_EACH_VALUE_TAG(PM_INSTANTIATE_TAKE)
#undef PM_INSTANTIATE_TAKE

}  // namespace PM::Visitor
