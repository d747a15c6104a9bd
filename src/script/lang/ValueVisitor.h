// ValueVisitor: the typed receiver of every parsed value. Each value reaches exactly one Found operation;
// a visitor that cannot use a value calls its own TypeError slot with the value's type name.
#pragma once

#include <cstdint>

#include "core/String.h"
#include "script/object/ClassID.h"

namespace PM {

class Lexer;
class NameHash;
class ScriptObject;

class ValueVisitor {
 public:
  explicit ValueVisitor(Lexer* lexer) : m_lexer(lexer) {}
  ValueVisitor(const ValueVisitor&) = delete;
  ValueVisitor& operator=(const ValueVisitor&) = delete;

  // Each returns a result code, 0 on success.
  /* 0 */ virtual uint32_t FoundBool(bool v) = 0;
  /* 1 */ virtual uint32_t FoundI32(int32_t v) = 0;
  /* 2 */ virtual uint32_t FoundI64(int64_t v) = 0;
  /* 3 */ virtual uint32_t FoundU32(uint32_t v) = 0;
  /* 4 */ virtual uint32_t FoundU64(uint64_t v) = 0;
  /* 5 */ virtual uint32_t FoundF32(float v) = 0;
  /* 6 */ virtual uint32_t FoundF64(double v) = 0;
  /* 7 */ virtual uint32_t FoundVector2f(const float* v) = 0;
  /* 8 */ virtual uint32_t FoundVector3f(const float* v) = 0;
  /* 9 */ virtual uint32_t FoundVector4f(const float* v) = 0;
  /* 10 */ virtual uint32_t FoundMatrix4f(const float* m) = 0;
  /* 11 */ virtual uint32_t FoundSpheref(const float* s) = 0;  // centre, radius
  /* 12 */ virtual uint32_t FoundString(const String& v) = 0;
  /* 13 */ virtual uint32_t FoundEnum(uint32_t memberId) = 0;
  /* 14 */ virtual uint32_t FoundMemberID(uint32_t memberId) = 0;
  /* 15 */ virtual uint32_t FoundObject(ScriptObject* object) = 0;  // borrowed
  // `array` is the payload of a counted array block (its header holds the count) of elements of the class.
  /* 16 */ virtual uint32_t FoundArray(void* array, uint32_t elementClassId) = 0;
  /* 17 */ virtual uint32_t FoundNameHash(const NameHash& hash) = 0;
  /* 18 */ virtual ~ValueVisitor() = default;
  // Writes the visitor's type-error message for a value of the named type and returns its code.
  /* 19 */ virtual uint32_t TypeError(const char* typeName) {
    (void)typeName;
    return 0;
  }

  Lexer* GetLexer() const { return m_lexer; }

 protected:
  Lexer* m_lexer;
};

}  // namespace PM
