// Member records and member tables: the cells of the master class table.
#pragma once

#include <cstdint>

#include "core/Block.h"
#include "core/Obj.h"
#include "script/object/ClassID.h"

namespace PM {

class ScriptObject;
class StreamPipeRef;

// Operations of a record are stored type-erased; the typed accessors cast them back to the signature
// that the record's value type and shape fix (see MemberAccess.h). The ones every shape shares:
using AnyMemberFn = void (*)();
using MemberSizeFn = int32_t (*)(ScriptObject* obj, uint32_t member);
using MemberRemoveFn = void (*)(ScriptObject* obj, uint32_t member, int32_t start, int32_t count);  // -1: to the end
using MemberCompareFn = int32_t (*)(ScriptObject* a, ScriptObject* b, uint32_t member);             // -1, 0, 1
using MemberCopyToFn = void (*)(ScriptObject* src, ScriptObject* dst, uint32_t member);
using MemberWriteFn = void (*)(ScriptObject* obj, uint32_t member, StreamPipeRef& out);  // literal syntax
// The call entry of a function member (in its Set slot): the boxed result, counted by the caller's Obj.
using MemberCallFn = Obj<ScriptObject> (*)(ScriptObject* self, uint32_t member, int32_t argc, ScriptObject** argv);

// The eight operations of one record, in CreateMember's order.
struct MemberOps {
  AnyMemberFn get = nullptr;
  AnyMemberFn set = nullptr;
  AnyMemberFn size = nullptr;
  AnyMemberFn remove = nullptr;
  AnyMemberFn compare = nullptr;
  AnyMemberFn copyTo = nullptr;
  AnyMemberFn write = nullptr;
  AnyMemberFn spare = nullptr;
};

template <class F>
AnyMemberFn EraseFn(F f) {
  return reinterpret_cast<AnyMemberFn>(f);
}
template <class F>
F TypedFn(AnyMemberFn f) {
  return reinterpret_cast<F>(f);
}

// One member of a class, in the valid table (real accessors) or the invalid table (logging stubs).
// An undefined index holds id 0 and value type 0, so no typed accessor accepts it.
struct MemberRecord {
  uint64_t signature;  // value type | shape << 32: what the typed accessors compare in one step
  uint32_t id;
  uint32_t flags;
  uint32_t valueType;  // a class id; for indexed and array members the element's
  uint32_t valid;
  const char* name;
  int32_t enumValue;  // the value of an enum value record
  MemberOps ops;
};

using ScriptFactory = ScriptObject* (*)();
using ScriptFactoryExtra = ScriptObject* (*)(uint32_t extraBytes);
// Destroys the script-declared member storage a class keeps in an object (run by ~ScriptObject).
using ClassStorageDestroyFn = void (*)(ScriptObject* obj, uint32_t classId);

constexpr uint64_t MemberSignature(uint32_t valueType, uint32_t flags) {
  return valueType | uint64_t(flags & kMemberShape) << 32;
}

// A class's valid or invalid member table: a header, then a record for every possible member index, so
// tables never move or grow (their pages are reserved, and only touched ones are ever committed) and a
// look-up needs no bounds check: an index past the last member finds an undefined (zero) record.
struct MemberTable {
  uint32_t classId;
  uint32_t baseId;  // 0 for none
  const char* nameSpace;
  const char* name;
  const TypeRecord* type;
  ScriptFactory factory;
  ScriptFactoryExtra factoryExtra;
  ClassStorageDestroyFn destroyStorage;
  uint32_t kind;
  bool isValid;
  int32_t count;  // records [1, count) may be defined; index 0 never is
  MemberRecord records[kMaxMembers];
};

// A row of the master table: one table pointer per class index.
using ClassRow = const MemberTable* const*;

}  // namespace PM
