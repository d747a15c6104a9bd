// ArrayValue and HashValue: the collecting visitors of the array literal "[a, b, ...]" and the hash
// literal "{ .key value; ... }", and the drivers that read those literals.
#pragma once

#include <variant>

#include "core/Array.h"
#include "core/NameHash.h"
#include "script/lang/TypedVisitor.h"

namespace PM::Visitor {

// Appends each value to one typed array; the first value fixes the element class unless it was preset.
class ArrayValue : public TypedVisitor<ArrayValue> {
 public:
  ArrayValue(Lexer* lexer, uint32_t elementClassId) : TypedVisitor(lexer), m_element(elementClassId) {}
  template <class T>
  uint32_t Take(const typename T::Value& v);
  uint32_t FoundObject(ScriptObject* object) override;
  uint32_t FoundArray(void* array, uint32_t elementClassId) override;
  uint32_t TypeError(const char* typeName) override;

  // Hands the array to the receiver: FoundArray(payload, element class; 0 for an empty literal).
  uint32_t DeliverTo(ValueVisitor& receiver);

 private:
  template <class E>
  Array<E>& Elements();
  void AppendObject(ScriptObject* object);

  uint32_t m_element;
  std::variant<std::monostate, Array<bool>, Array<int32_t>, Array<int64_t>, Array<uint32_t>, Array<uint64_t>,
               Array<float>, Array<double>, Array<Vector2f>, Array<Vector3f>, Array<Vector4f>, Array<Matrix4f>,
               Array<Spheref>, Array<String>, Array<NameHash>, Array<Obj<ScriptObject>>>
      m_array;
};

// Stores each value boxed under the current key.
class HashValue : public TypedVisitor<HashValue> {
 public:
  using TypedVisitor::TypedVisitor;
  template <class T>
  uint32_t Take(const typename T::Value& v);
  uint32_t FoundObject(ScriptObject* object) override;
  uint32_t FoundArray(void* array, uint32_t elementClassId) override;
  uint32_t TypeError(const char*) override { return 0x80000003u; }

  void SetKey(const String& key) { m_key = key; }
  const NameHash& Hash() const { return m_hash; }

 private:
  String m_key;
  NameHash m_hash;
};

// After "[": the elements up to "]", delivered as one array. `elementClassId` presets the element class
// (0: the first element fixes it).
uint32_t ParseArrayLiteral(Lexer& lexer, ValueVisitor& receiver, uint32_t elementClassId);
// After "{": the entries up to "}", delivered as one hash.
uint32_t ParseHashLiteral(Lexer& lexer, ValueVisitor& receiver);

}  // namespace PM::Visitor
