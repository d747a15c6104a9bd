// ArrayGenericValue: collects the values of an argument list as objects (scalars boxed), filtered by an
// element class; ParseArgumentList reads such a list up to its ")".
#pragma once

#include "core/Array.h"
#include "core/Obj.h"
#include "script/lang/TypedVisitor.h"
#include "script/object/ValueBox.h"

namespace PM::Visitor {

class ArrayGenericValue : public TypedVisitor<ArrayGenericValue> {
 public:
  ArrayGenericValue(Lexer* lexer, uint32_t filterClassId, Array<Obj<ScriptObject>>& target)
      : TypedVisitor(lexer), m_filter(filterClassId), m_target(target) {}
  template <class T>
  uint32_t Take(const typename T::Value& v) {
    m_target.Append(Obj<ScriptObject>(NewBox<T>(v)));
    return 0;
  }
  uint32_t FoundObject(ScriptObject* object) override;
  uint32_t FoundArray(void* array, uint32_t elementClassId) override;
  uint32_t TypeError(const char* typeName) override;

 private:
  uint32_t m_filter;
  Array<Obj<ScriptObject>>& m_target;
};

// After "(": values separated by "," up to ")", which is consumed. 0x80000008 on a value error or a
// missing ")".
uint32_t ParseArgumentList(Lexer& lexer, ArrayGenericValue& visitor);

}  // namespace PM::Visitor
