#include "script/lang/OperatorContinuation.h"

#include "script/lang/Parser.h"

namespace PM::Visitor {

bool OperatorContinuation::NextIsOperator() const { return TokenPrecedence(m_lexer->Kind()) != kNoPrecedence; }

}  // namespace PM::Visitor
