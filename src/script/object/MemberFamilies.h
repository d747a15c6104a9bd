// The typed member-operation families: per value type and shape, the generic Compare, CopyTo and Write
// of the valid tables and the logging stubs of the invalid tables (also the Set of read-only members).
#pragma once

#include "script/object/MemberAccess.h"

namespace PM {

// ---- stubs shared by every value type -------------------------------------------------------------

int32_t StubSize(ScriptObject* obj, uint32_t member);
void StubRemove(ScriptObject* obj, uint32_t member, int32_t start, int32_t count);
int32_t StubCompare(ScriptObject* a, ScriptObject* b, uint32_t member);
void StubCopyTo(ScriptObject* src, ScriptObject* dst, uint32_t member);
void StubWrite(ScriptObject* obj, uint32_t member, StreamPipeRef& out);
Obj<ScriptObject> StubCall(ScriptObject* self, uint32_t member, int32_t argc, ScriptObject** argv);

// ---- stubs of one value type: log, change nothing, answer the neutral value (nil for objects) -------

template <class Tag>
struct MemberStubs {
  using V = typename Tag::Value;
  using E = typename Tag::Element;
  static V Neutral() {
    if constexpr (std::is_same_v<Tag, VObject>)
      return NilScriptObject();
    else
      return V{};
  }
  static V Get(ScriptObject* o, uint32_t m) {
    ReportInvalidAccess("Get", o, m);
    return Neutral();
  }
  static void GetP(ScriptObject* o, uint32_t m, V*) { ReportInvalidAccess("Get", o, m); }
  static void Set(ScriptObject* o, uint32_t m, V) { ReportInvalidAccess("Set", o, m); }
  static void SetP(ScriptObject* o, uint32_t m, const V*) { ReportInvalidAccess("Set", o, m); }
  static V GetAt(ScriptObject* o, uint32_t m, int32_t) {
    ReportInvalidAccess("Get", o, m);
    return Neutral();
  }
  static void GetAtP(ScriptObject* o, uint32_t m, int32_t, V*) { ReportInvalidAccess("Get", o, m); }
  static void SetAt(ScriptObject* o, uint32_t m, int32_t, V) { ReportInvalidAccess("Set", o, m); }
  static void SetAtP(ScriptObject* o, uint32_t m, int32_t, const V*) { ReportInvalidAccess("Set", o, m); }
  static void GetArray(ScriptObject* o, uint32_t m, Array<E>*) { ReportInvalidAccess("Get", o, m); }
  static void SetArray(ScriptObject* o, uint32_t m, const Array<E>*) { ReportInvalidAccess("Set", o, m); }

  // The Get and Set stubs of a shape, in the record's signatures.
  static AnyMemberFn GetFor(uint32_t shape) {
    if (shape == kShapeArray) return EraseFn(&GetArray);
    if constexpr (Tag::kByValue)
      return shape == kShapeIndexed ? EraseFn(&GetAt) : EraseFn(&Get);
    else
      return shape == kShapeIndexed ? EraseFn(&GetAtP) : EraseFn(&GetP);
  }
  static AnyMemberFn SetFor(uint32_t shape) {
    if (shape == kShapeArray) return EraseFn(&SetArray);
    if constexpr (Tag::kByValue)
      return shape == kShapeIndexed ? EraseFn(&SetAt) : EraseFn(&Set);
    else
      return shape == kShapeIndexed ? EraseFn(&SetAtP) : EraseFn(&SetP);
  }
};

// ---- generic operations of one value type and shape ---------------------------------------------------

template <class Tag, uint32_t Shape>
struct MemberGeneric {
  using E = typename Tag::Element;

  static Array<E> Elements(ScriptObject* o, uint32_t m) {
    if constexpr (Shape == kShapeArray) {
      return MemberGetArray<Tag>(o, m);
    } else {
      Array<E> a;
      int32_t n = MemberSize(o, m);
      a.Reserve(n);
      for (int32_t i = 0; i < n; ++i) a.Append(E(MemberGetAt<Tag>(o, m, i)));
      return a;
    }
  }

  static int32_t Compare(ScriptObject* a, ScriptObject* b, uint32_t m) {
    if constexpr (Shape == kShapeSingle)
      return ValueOrder(MemberGet<Tag>(a, m), MemberGet<Tag>(b, m));
    else
      return ValueOrder(Elements(a, m), Elements(b, m));
  }

  static void CopyTo(ScriptObject* src, ScriptObject* dst, uint32_t m) {
    if constexpr (Shape == kShapeSingle) {
      MemberSet<Tag>(dst, m, MemberGet<Tag>(src, m));
    } else if constexpr (Shape == kShapeArray) {
      MemberSetArray<Tag>(dst, m, MemberGetArray<Tag>(src, m));
    } else {
      Array<E> a = Elements(src, m);  // read first: src and dst may be one object
      for (int32_t i = 0; i < a.Count(); ++i) MemberSetAt<Tag>(dst, m, i, a[i]);
      if (MemberSize(dst, m) > a.Count()) MemberRemove(dst, m, a.Count(), -1);
    }
  }

  static void Write(ScriptObject* o, uint32_t m, StreamPipeRef& out) {
    if constexpr (Shape == kShapeSingle)
      WriteValue(out, Tag{}, MemberGet<Tag>(o, m));
    else
      WriteArrayValue<Tag>(out, Elements(o, m));
  }

  // Size and Remove of array members, read and written through the whole array.
  static int32_t ArraySize(ScriptObject* o, uint32_t m) { return MemberGetArray<Tag>(o, m).Count(); }
  static void ArrayRemove(ScriptObject* o, uint32_t m, int32_t start, int32_t count) {
    Array<E> a = MemberGetArray<Tag>(o, m);
    a.Remove(start, count);
    MemberSetArray<Tag>(o, m, a);
  }
};

// The operation sets CreateMember receives for a member of value type Tag and shape.
template <class Tag, uint32_t Shape>
inline MemberOps ValidFamily(AnyMemberFn get, AnyMemberFn set, AnyMemberFn size = nullptr,
                             AnyMemberFn remove = nullptr) {
  using G = MemberGeneric<Tag, Shape>;
  MemberOps ops;
  ops.get = get ? get : MemberStubs<Tag>::GetFor(Shape);
  ops.set = set ? set : MemberStubs<Tag>::SetFor(Shape);  // read-only: the type's logging Set
  if constexpr (Shape == kShapeArray) {
    ops.size = EraseFn(&G::ArraySize);
    ops.remove = EraseFn(&G::ArrayRemove);
  } else if constexpr (Shape == kShapeIndexed) {
    ops.size = size ? size : EraseFn(&StubSize);
    ops.remove = remove ? remove : EraseFn(&StubRemove);
  }
  ops.compare = EraseFn(&G::Compare);
  ops.copyTo = EraseFn(&G::CopyTo);
  ops.write = EraseFn(&G::Write);
  return ops;
}

template <class Tag, uint32_t Shape>
inline MemberOps InvalidFamily() {
  MemberOps ops;
  ops.get = MemberStubs<Tag>::GetFor(Shape);
  ops.set = MemberStubs<Tag>::SetFor(Shape);
  if constexpr (Shape == kShapeArray) {
    ops.size = EraseFn(&MemberGeneric<Tag, Shape>::ArraySize);
    ops.remove = EraseFn(&MemberGeneric<Tag, Shape>::ArrayRemove);
  } else if constexpr (Shape == kShapeIndexed) {
    ops.size = EraseFn(&StubSize);
    ops.remove = EraseFn(&StubRemove);
  }
  ops.compare = EraseFn(&StubCompare);
  ops.copyTo = EraseFn(&StubCopyTo);
  ops.write = EraseFn(&StubWrite);
  return ops;
}

}  // namespace PM
