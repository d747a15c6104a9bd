// Typed member access by member id: the one look-up through the object's class row, the check that the
// record holds the expected value type and shape, and the call of the record's operation. Anything else
// (unknown ids, undefined classes, wrong types) reaches a logging stub with a neutral result.
#pragma once

#include <type_traits>

#include "script/object/MemberRecord.h"
#include "script/object/ScriptObject.h"
#include "script/object/ValueTypes.h"

namespace PM {

// Record shapes (flags & kMemberShape).
enum : uint32_t { kShapeSingle = 0, kShapeIndexed = kMemberIndexed, kShapeArray = kMemberArray };

// The operation signatures a record of value type Tag holds.
template <class Tag>
struct MemberSig {
  using V = typename Tag::Value;
  using E = typename Tag::Element;
  using Get = std::conditional_t<Tag::kByValue, V (*)(ScriptObject*, uint32_t), void (*)(ScriptObject*, uint32_t, V*)>;
  using Set = std::conditional_t<Tag::kByValue, void (*)(ScriptObject*, uint32_t, V),
                                 void (*)(ScriptObject*, uint32_t, const V*)>;
  using GetAt = std::conditional_t<Tag::kByValue, V (*)(ScriptObject*, uint32_t, int32_t),
                                   void (*)(ScriptObject*, uint32_t, int32_t, V*)>;
  using SetAt = std::conditional_t<Tag::kByValue, void (*)(ScriptObject*, uint32_t, int32_t, V),
                                   void (*)(ScriptObject*, uint32_t, int32_t, const V*)>;
  using GetArray = void (*)(ScriptObject*, uint32_t, Array<E>*);
  using SetArray = void (*)(ScriptObject*, uint32_t, const Array<E>*);
};

// Logs a member call that names no usable record ("expected" describes what the caller wanted).
[[gnu::cold]] void ReportMemberMisuse(const char* op, const ScriptObject* obj, uint32_t member, uint32_t expectedType,
                                      uint32_t expectedShape);
// Logs a call that reached an invalid-table stub (object of another class, nil, read-only member).
[[gnu::cold]] void ReportInvalidAccess(const char* op, const ScriptObject* obj, uint32_t member);

template <class Tag>
inline const MemberRecord* TypedRecord(const ScriptObject* obj, uint32_t member, uint32_t shape) {
  const MemberRecord* r = obj->FindRecord(member);
  if (r && r->signature == MemberSignature(Tag::kClassId, shape)) [[likely]]
    return r;
  return nullptr;
}

// ---- single values ----------------------------------------------------------------------------

template <class Tag>
typename Tag::Value MemberGet(ScriptObject* obj, uint32_t member) {
  using S = MemberSig<Tag>;
  if (const MemberRecord* r = TypedRecord<Tag>(obj, member, kShapeSingle)) [[likely]] {
    if constexpr (Tag::kByValue) {
      return TypedFn<typename S::Get>(r->ops.get)(obj, member);
    } else {
      typename Tag::Value v{};
      TypedFn<typename S::Get>(r->ops.get)(obj, member, &v);
      return v;
    }
  }
  ReportMemberMisuse("Get", obj, member, Tag::kClassId, kShapeSingle);
  if constexpr (std::is_same_v<Tag, VObject>)
    return NilScriptObject();
  else
    return typename Tag::Value{};
}

template <class Tag>
void MemberSet(ScriptObject* obj, uint32_t member, const typename Tag::Value& v) {
  using S = MemberSig<Tag>;
  if (const MemberRecord* r = TypedRecord<Tag>(obj, member, kShapeSingle)) [[likely]] {
    if constexpr (Tag::kByValue)
      TypedFn<typename S::Set>(r->ops.set)(obj, member, v);
    else
      TypedFn<typename S::Set>(r->ops.set)(obj, member, &v);
    return;
  }
  ReportMemberMisuse("Set", obj, member, Tag::kClassId, kShapeSingle);
}

// ---- indexed values -----------------------------------------------------------------------------

template <class Tag>
typename Tag::Value MemberGetAt(ScriptObject* obj, uint32_t member, int32_t index) {
  using S = MemberSig<Tag>;
  if (const MemberRecord* r = TypedRecord<Tag>(obj, member, kShapeIndexed)) [[likely]] {
    if constexpr (Tag::kByValue) {
      return TypedFn<typename S::GetAt>(r->ops.get)(obj, member, index);
    } else {
      typename Tag::Value v{};
      TypedFn<typename S::GetAt>(r->ops.get)(obj, member, index, &v);
      return v;
    }
  }
  ReportMemberMisuse("Get", obj, member, Tag::kClassId, kShapeIndexed);
  if constexpr (std::is_same_v<Tag, VObject>)
    return NilScriptObject();
  else
    return typename Tag::Value{};
}

template <class Tag>
void MemberSetAt(ScriptObject* obj, uint32_t member, int32_t index, const typename Tag::Value& v) {
  using S = MemberSig<Tag>;
  if (const MemberRecord* r = TypedRecord<Tag>(obj, member, kShapeIndexed)) [[likely]] {
    if constexpr (Tag::kByValue)
      TypedFn<typename S::SetAt>(r->ops.set)(obj, member, index, v);
    else
      TypedFn<typename S::SetAt>(r->ops.set)(obj, member, index, &v);
    return;
  }
  ReportMemberMisuse("Set", obj, member, Tag::kClassId, kShapeIndexed);
}

// ---- whole arrays -------------------------------------------------------------------------------

template <class Tag>
Array<typename Tag::Element> MemberGetArray(ScriptObject* obj, uint32_t member) {
  Array<typename Tag::Element> a;
  if (const MemberRecord* r = TypedRecord<Tag>(obj, member, kShapeArray)) [[likely]]
    TypedFn<typename MemberSig<Tag>::GetArray>(r->ops.get)(obj, member, &a);
  else
    ReportMemberMisuse("Get", obj, member, Tag::kClassId, kShapeArray);
  return a;
}

template <class Tag>
void MemberSetArray(ScriptObject* obj, uint32_t member, const Array<typename Tag::Element>& a) {
  if (const MemberRecord* r = TypedRecord<Tag>(obj, member, kShapeArray)) [[likely]]
    TypedFn<typename MemberSig<Tag>::SetArray>(r->ops.set)(obj, member, &a);
  else
    ReportMemberMisuse("Set", obj, member, Tag::kClassId, kShapeArray);
}

// ---- operations every shape shares ---------------------------------------------------------------

// Element count of an indexed or array member; 0 (logged) for others.
int32_t MemberSize(ScriptObject* obj, uint32_t member);
// Removes count elements from start (-1: to the end) of an indexed or array member.
void MemberRemove(ScriptObject* obj, uint32_t member, int32_t start, int32_t count);
int32_t MemberCompare(ScriptObject* a, ScriptObject* b, uint32_t member);
void MemberCopyTo(ScriptObject* src, ScriptObject* dst, uint32_t member);
void MemberWrite(ScriptObject* obj, uint32_t member, StreamPipeRef& out);
// Calls a function member (flag 0x8000): its boxed result, or nil when there is none.
Obj<ScriptObject> MemberCall(ScriptObject* obj, uint32_t member, int32_t argc, ScriptObject** argv);

}  // namespace PM
