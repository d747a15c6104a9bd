// OperatorContinuation: wraps the visitor that wants a value, so that every value may be followed by a
// binary operator. Values of the types that start operator chains look at the token after them; the
// others are passed on whatever follows.
#pragma once

#include "script/lang/OperandVisitor.h"
#include "script/lang/TypedVisitor.h"

namespace PM::Visitor {

class OperatorContinuation : public TypedVisitor<OperatorContinuation> {
 public:
  OperatorContinuation(Lexer* lexer, ValueVisitor& inner) : TypedVisitor(lexer), m_inner(inner) {}

  template <class T>
  uint32_t Take(const typename T::Value& v) {
    if constexpr (kStartsChain<T>) {
      if (!NextIsOperator()) return PassOn<T>(v);
      return StartChain<T>(m_inner, v);
    } else {
      return PassOn<T>(v);
    }
  }
  uint32_t FoundObject(ScriptObject* object) override { return m_inner.FoundObject(object); }
  uint32_t FoundArray(void* array, uint32_t elementClassId) override {
    return m_inner.FoundArray(array, elementClassId);
  }

 private:
  bool NextIsOperator() const;
  template <class T>
  uint32_t PassOn(const typename T::Value& v);

  ValueVisitor& m_inner;
};

template <class T>
uint32_t OperatorContinuation::PassOn(const typename T::Value& v) {
  if constexpr (std::is_same_v<T, VBool>)
    return m_inner.FoundBool(v);
  else if constexpr (std::is_same_v<T, VI32>)
    return m_inner.FoundI32(v);
  else if constexpr (std::is_same_v<T, VI64>)
    return m_inner.FoundI64(v);
  else if constexpr (std::is_same_v<T, VU32>)
    return m_inner.FoundU32(v);
  else if constexpr (std::is_same_v<T, VU64>)
    return m_inner.FoundU64(v);
  else if constexpr (std::is_same_v<T, VF32>)
    return m_inner.FoundF32(v);
  else if constexpr (std::is_same_v<T, VF64>)
    return m_inner.FoundF64(v);
  else if constexpr (std::is_same_v<T, VVector2f>)
    return m_inner.FoundVector2f(&v.x);
  else if constexpr (std::is_same_v<T, VVector3f>)
    return m_inner.FoundVector3f(&v.x);
  else if constexpr (std::is_same_v<T, VVector4f>)
    return m_inner.FoundVector4f(&v.x);
  else if constexpr (std::is_same_v<T, VMatrix4f>)
    return m_inner.FoundMatrix4f(reinterpret_cast<const float*>(&v));
  else if constexpr (std::is_same_v<T, VSpheref>)
    return m_inner.FoundSpheref(reinterpret_cast<const float*>(&v));
  else if constexpr (std::is_same_v<T, VString>)
    return m_inner.FoundString(v);
  else if constexpr (std::is_same_v<T, VEnum>)
    return m_inner.FoundEnum(v);
  else if constexpr (std::is_same_v<T, VMemberID>)
    return m_inner.FoundMemberID(v);
  else
    return m_inner.FoundNameHash(v);
}

}  // namespace PM::Visitor
