// The visitors of member assignments: "=" sets a plain member, "<<" appends to an indexed member, and
// "+=" is the compound assignment. Each checks the member's value type and shape before writing.
#pragma once

#include "script/lang/TypedVisitor.h"
#include "script/object/MemberAccess.h"

namespace PM::Visitor {

// Fields and the type-error text shared by the three.
template <class D>
class MemberVisitor : public TypedVisitor<D> {
 public:
  // NOLINTNEXTLINE(bugprone-crtp-constructor-accessibility): the visitors inherit it as their own
  MemberVisitor(Lexer* lexer, ScriptObject* object, uint32_t memberId, uint32_t valueType, uint32_t flags)
      : TypedVisitor<D>(lexer), m_object(object), m_member(memberId), m_valueType(valueType), m_flags(flags) {}
  uint32_t TypeError(const char* typeName) override;

 protected:
  uint32_t Shape() const { return m_flags & (kMemberIndexed | kMemberArray); }
  ScriptObject* m_object;
  uint32_t m_member;
  uint32_t m_valueType;
  uint32_t m_flags;
};

class MemberSet : public MemberVisitor<MemberSet> {
 public:
  using MemberVisitor::MemberVisitor;
  static constexpr const char* kName = "MemberSet";
  template <class T>
  uint32_t Take(const typename T::Value& v) {
    if (m_valueType != T::kClassId || Shape()) return TypeError(T::kName);
    PM::MemberSet<T>(m_object, m_member, v);
    return 0;
  }
  uint32_t FoundObject(ScriptObject* object) override;
  // Sets an array member whole, or an indexed member element by element, dropping the elements past the
  // new ones.
  uint32_t FoundArray(void* array, uint32_t elementClassId) override;

 private:
  template <class Tag>
  uint32_t SetWhole(const void* array);
  template <class Tag>
  uint32_t SetEach(const void* array);
};

class MemberAppend : public MemberVisitor<MemberAppend> {
 public:
  using MemberVisitor::MemberVisitor;
  static constexpr const char* kName = "MemberAppend";
  template <class T>
  uint32_t Take(const typename T::Value& v) {
    if (m_valueType != T::kClassId || Shape() != kMemberIndexed) return TypeError(T::kName);
    PM::MemberSetAt<T>(m_object, m_member, MemberSize(m_object, m_member), v);
    return 0;
  }
  uint32_t FoundObject(ScriptObject* object) override;
  uint32_t FoundArray(void* array, uint32_t elementClassId) override;
};

class MemberAssignOp : public MemberVisitor<MemberAssignOp> {
 public:
  using MemberVisitor::MemberVisitor;
  static constexpr const char* kName = "MemberAssignOp";
  template <class T>
  uint32_t Take(const typename T::Value&) {
    if constexpr (std::is_same_v<T, VNameHash>) return 0x80000001u;
    if (m_valueType == T::kClassId && !Shape()) return 0x80000001u;
    return TypeError(T::kName);
  }
  uint32_t FoundObject(ScriptObject*) override;
  // Appends the elements to an indexed or array member.
  uint32_t FoundArray(void* array, uint32_t elementClassId) override;

 private:
  template <class Tag>
  void Append(const void* array);
};

}  // namespace PM::Visitor
