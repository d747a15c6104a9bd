#include "script/lang/OperatorContinuation.h"

#include "script/lang/Parser.h"

namespace PM::Visitor {

bool OperatorContinuation::NextIsOperator() const { return TokenPrecedence(m_lexer->Kind()) != kNoPrecedence; }

uint32_t OperatorContinuation::OperatorNotYet(const char* typeName) {
  ReportFor(*m_lexer, "OperatorContinuation: operator \"", TokenText(m_lexer->Kind()), "\" after a ", typeName,
            " value is not supported yet.");
  return 0x80000001u;
}

}  // namespace PM::Visitor
