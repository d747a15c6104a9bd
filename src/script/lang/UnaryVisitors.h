// The prefix operators "!", "-", "+" and "~": each transforms the one value that follows it and hands
// the result to the outer visitor's slot of the same type; other types fail with 0x80000003.
#pragma once

#include "script/lang/TypedVisitor.h"

namespace PM::Visitor {

enum class UnaryOp { Not, Minus, Plus, Complement };

template <UnaryOp Op>
class Unary : public TypedVisitor<Unary<Op>> {
 public:
  Unary(Lexer* lexer, ValueVisitor& outer) : TypedVisitor<Unary<Op>>(lexer), m_outer(outer) {}
  template <class T>
  uint32_t Take(const typename T::Value& v);
  uint32_t FoundObject(ScriptObject*) override { return 0x80000003u; }
  uint32_t FoundArray(void*, uint32_t) override { return 0x80000003u; }

 private:
  ValueVisitor& m_outer;
};

using UnaryNot = Unary<UnaryOp::Not>;
using UnaryMinus = Unary<UnaryOp::Minus>;
using UnaryPlus = Unary<UnaryOp::Plus>;
using UnaryComplement = Unary<UnaryOp::Complement>;

}  // namespace PM::Visitor
