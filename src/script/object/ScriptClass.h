// ScriptClass: a class or enum type that a script defines at run time. It takes a free class id from 256
// on, keeps its member variables in the extra bytes of its objects, and gives the id back when it dies.
#pragma once

#include <cstdint>

#include "core/String.h"
#include "script/object/ScriptObject.h"

namespace PM {

class ScriptClass : public ScriptObject {
 public:
  static constexpr uint32_t kClassId = 0xFFFFF003;

  // A new class (count 0) holding a reserved run-time id; nil, logged, when no id is left.
  static ScriptObject* Create();

  // Names the class, gives it its base (0: none) and defines it in the class table. False, logged, for
  // an empty or taken name, an unknown base, or a class already defined.
  virtual bool DefFromBase(const String& name, uint32_t baseId) = 0;
  // The same for an enum type (base 0).
  virtual bool DefEnum(const String& name, uint32_t baseId) = 0;
  // A member variable of a value class with storage, initialised in every new object from the default
  // (a pointer to the value, or to an Array of elements for indexed members; null: the neutral value).
  // Returns the member id, 0 on failure (logged).
  virtual uint32_t DefMemberVar(const String& name, uint32_t valueClassId, uint32_t flags,
                                const void* defaultValue) = 0;
  // A function member without storage; `text` is kept as its declaration.
  virtual uint32_t DefMemberFunction(const String& name, const String& text, uint32_t flags) = 0;
  // The next value of an enum type: its value is the number given (or -1).
  virtual uint32_t DefMemberEnum(const String& name, int32_t value, uint32_t flags) = 0;
  // Builds the member-name hash; objects can be created from then on, and no member is added after.
  virtual void EndDefinition() = 0;
  // The id of the class this object defines (hides ScriptObject::GetClassID, which is ScriptClass's own).
  virtual uint32_t GetClassID() const = 0;  // NOLINT(bugprone-derived-method-shadowing-base-method): see above
  virtual String GetName() const = 0;
};

}  // namespace PM
