// Parenthesis: the visitor of a "(" in a value position. It either groups one expression, "(a + b)",
// or collects two, three, four or sixteen numeric components into a vector or matrix, "(x, y, z)".
#pragma once

#include "script/lang/TypedVisitor.h"

namespace PM::Visitor {

class Parenthesis : public TypedVisitor<Parenthesis> {
 public:
  Parenthesis(Lexer* lexer, ValueVisitor& outer) : TypedVisitor(lexer), m_outer(outer) {}
  static constexpr const char* kName = "Parenthesis";

  template <class T>
  uint32_t Take(const typename T::Value& v);
  uint32_t FoundObject(ScriptObject* object) override;
  uint32_t FoundArray(void*, uint32_t) override { return 0x80000001u; }

 private:
  uint32_t Component(float f);
  uint32_t Deliver();
  uint32_t NotComponent(const char* typeName);

  ValueVisitor& m_outer;
  float m_components[16] = {};
  uint32_t m_count = 0;
  uint32_t m_listState = 0;  // 0 before the first ",", 1 in a component list
};

}  // namespace PM::Visitor
