// The private data of a ScriptClass_I: its definition, the layout of its members in its objects' extra
// bytes, and their defaults.
#pragma once

#include <cstdint>
#include <deque>

#include "core/Obj.h"
#include "core/String.h"
#include "script/object/ClassID.h"
#include "script/object/MemberRecord.h"

namespace PM {

class ScriptClass_I;

// How one kind of member storage is made, copied and destroyed, and the record operations over it.
struct ScriptMemberStorage {
  uint32_t size;
  uint32_t align;
  void (*fromValue)(void* dst, const void* value);  // value: the value type's value, or null
  void (*copy)(void* dst, const void* src);
  void (*destroy)(void* p);
  MemberOps valid;
  MemberOps invalid;
};

struct ScriptClassMember {
  ScriptClassMember() = default;
  ScriptClassMember(const ScriptClassMember&) = delete;
  ScriptClassMember& operator=(const ScriptClassMember&) = delete;
  ~ScriptClassMember() {
    if (storage) storage->destroy(defaultValue);
  }

  String name;
  String text;  // a function member's declaration
  uint32_t id = 0;
  uint32_t offset = 0;                           // from the start of the class chain's storage
  const ScriptMemberStorage* storage = nullptr;  // null: no storage (functions, enum values)
  alignas(16) unsigned char defaultValue[64];
};

struct ScriptClass_D {
  uint32_t id = 0;
  String name;
  uint32_t baseId = 0;            // as given; 0 for none
  Obj<ScriptClass_I> scriptBase;  // the base when it is a script class
  uint32_t factoryClass = 0;      // the engine class whose extended factory makes the objects; 0: generic
  uint32_t kind = 0;
  bool defined = false;
  bool ended = false;
  uint32_t storageStart = 0;  // from the object's start: the engine object's size, rounded up to 16
  uint32_t storageEnd = 0;    // bytes of storage of the whole chain; 8 hold the objects' class reference
  uint32_t nextMember = 1;
  uint32_t offsets[kMaxMembers] = {};  // by member index
  std::deque<ScriptClassMember> members;
};

}  // namespace PM
