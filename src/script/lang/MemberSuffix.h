// Member suffixes: what may follow an object in a value position. Reading a member ("obj.X?"), an
// attribute block ("obj . { .X 1; }"), a member call ("obj.F(a, b)"), a class test ("obj.Is(Class)"),
// indexed reads ("obj.Items[2]?", "list[0]", "hash[.Key]"), and the named objects that start them.
#pragma once

#include <cstdint>

#include "core/String.h"
#include "script/lang/TypedVisitor.h"

namespace PM {

class Parser;
class ScriptNamespace;

namespace Visitor {

// An I32 or U32 index expression.
class Index : public TypedVisitor<Index> {
 public:
  using TypedVisitor::TypedVisitor;
  template <class T>
  uint32_t Take(const typename T::Value& v);
  uint32_t FoundObject(ScriptObject*) override;
  uint32_t FoundArray(void*, uint32_t) override;
  int32_t Value() const { return m_index; }

 private:
  int32_t m_index = -1;
};

// A String key expression.
class Key : public TypedVisitor<Key> {
 public:
  using TypedVisitor::TypedVisitor;
  template <class T>
  uint32_t Take(const typename T::Value& v);
  uint32_t FoundObject(ScriptObject*) override;
  uint32_t FoundArray(void*, uint32_t) override;
  const String& Value() const { return m_key; }

 private:
  String m_key;
};

}  // namespace Visitor

// Calls the visitor slot that the boxed value's class chooses (a value box, a boxed array, else the
// object itself).
uint32_t DeliverBoxedValue(ValueVisitor& visitor, ScriptObject* value);
// Parses zero or one suffix after `object`; `consumed` is set to 1 when the suffix delivered a value.
uint32_t ParseMemberSuffix(Parser& parser, ValueVisitor& visitor, ScriptObject* object, uint32_t& consumed);
// The suffixes of a value, then the value itself unless a suffix delivered one.
uint32_t ContinueWithValue(Parser& parser, ValueVisitor& visitor, ScriptObject* value);
// Finds the object by handle or name in the namespace (or creates it of the named class), then
// continues with it. An object found with another class is replaced and nothing is delivered.
uint32_t ParseObjectReference(Parser& parser, ValueVisitor& visitor, const String& className, ScriptNamespace* ns,
                              const String& name, uint32_t handle);
uint32_t GetMemberValue(Parser& parser, ValueVisitor& visitor, ScriptObject* object, uint32_t memberId);
uint32_t GetMemberValueAt(Parser& parser, ValueVisitor& visitor, ScriptObject* object, uint32_t memberId,
                          int32_t index);
uint32_t CallMemberFunction(Parser& parser, ValueVisitor& visitor, ScriptObject* object, uint32_t memberId,
                            const Array<Obj<ScriptObject>>& arguments);

}  // namespace PM
