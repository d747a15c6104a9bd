// Member-definition helpers: declaring a member is one line of a class's member table, e.g.
//   static const MemberDef kMembers[] = {
//     FieldMember<&Object_I::m_name>(0x01FFF040, "Name"),
//     AccessorMember<&TNode_I::GetSNode, &TNode_I::SetSNode>(0x01FFF043, "SNode"),
//     ReadOnly(FieldMember<&TGeometry_I::m_triangles>(0x08FFF076, "TriangleCount", 0x5)),
//     EnumValue(0x01FFF038, "XYZ"),
//   };
//   DefineMembers(kMembers);
// Each helper supplies the value type's operation families and stubs, its class id and the form's flags.
#pragma once

#include <cstddef>
#include <tuple>
#include <type_traits>
#include <utility>

#include "script/object/MemberFamilies.h"

namespace PM {

struct MemberDef {
  uint32_t id = 0;
  const char* name = nullptr;
  uint32_t flags = 0;
  uint32_t valueType = 0;
  MemberOps valid;
  MemberOps invalid;
  uint32_t validWord = 1;
  bool isEnumValue = false;
  int32_t enumValue = 0;
};

void DefineMember(const MemberDef& def);
inline void DefineMembers(const MemberDef* defs, size_t n) {
  for (size_t i = 0; i < n; ++i) DefineMember(defs[i]);
}
template <size_t N>
void DefineMembers(const MemberDef (&defs)[N]) {
  DefineMembers(defs, N);
}

// One class of a class table, in CreateClass's order.
struct ClassDef {
  uint32_t id;
  uint32_t base;
  const char* nameSpace;
  const char* name;
  const TypeRecord* type;
  ScriptFactory factory;
  ScriptFactoryExtra factoryExtra;
  uint32_t kind;
};
inline void DefineClasses(const ClassDef* defs, size_t n) {
  for (size_t i = 0; i < n; ++i)
    CreateClass(defs[i].id, defs[i].base, defs[i].nameSpace, defs[i].name, defs[i].type, defs[i].factory,
                defs[i].factoryExtra, defs[i].kind);
}
template <size_t N>
void DefineClasses(const ClassDef (&defs)[N]) {
  DefineClasses(defs, N);
}

// ---- building blocks -----------------------------------------------------------------------------

template <class T>
inline constexpr bool kIsObj = false;
template <class T>
inline constexpr bool kIsObj<Obj<T>> = true;
template <class T>
inline constexpr bool kIsWeakObj = false;
template <class T>
inline constexpr bool kIsWeakObj<WeakObj<T>> = true;
template <class T>
inline constexpr bool kIsArray = false;
template <class T>
inline constexpr bool kIsArray<Array<T>> = true;
template <class T>
struct ElementOf {
  using Type = void;
};
template <class T>
struct ElementOf<Array<T>> {
  using Type = T;
};
template <class T>
struct PointeeOf {
  using Type = ScriptObject;
};
template <class T>
struct PointeeOf<Obj<T>> {
  using Type = T;
};
template <class T>
struct PointeeOf<WeakObj<T>> {
  using Type = T;
};
template <class T>
struct PointeeOf<T*> {
  using Type = T;
};

// The value tag of a C++ type (uint32_t is U32: pass VEnum or VMemberID explicitly for those).
template <class T>
struct TagOfType {
  using Type = void;
};
template <>
struct TagOfType<bool> {
  using Type = VBool;
};
template <>
struct TagOfType<int32_t> {
  using Type = VI32;
};
template <>
struct TagOfType<int64_t> {
  using Type = VI64;
};
template <>
struct TagOfType<uint32_t> {
  using Type = VU32;
};
template <>
struct TagOfType<uint64_t> {
  using Type = VU64;
};
template <>
struct TagOfType<float> {
  using Type = VF32;
};
template <>
struct TagOfType<double> {
  using Type = VF64;
};
template <>
struct TagOfType<Vector2f> {
  using Type = VVector2f;
};
template <>
struct TagOfType<Vector3f> {
  using Type = VVector3f;
};
template <>
struct TagOfType<Vector4f> {
  using Type = VVector4f;
};
template <>
struct TagOfType<Matrix4f> {
  using Type = VMatrix4f;
};
template <>
struct TagOfType<Spheref> {
  using Type = VSpheref;
};
template <>
struct TagOfType<String> {
  using Type = VString;
};
template <>
struct TagOfType<NameHash> {
  using Type = VNameHash;
};
template <>
struct TagOfType<ScriptObject*> {
  using Type = VObject;
};
template <class T>
struct TagOfType<T*> {
  using Type = VObject;
};
template <class T>
struct TagOfType<Obj<T>> {
  using Type = VObject;
};
template <class T>
struct TagOfType<WeakObj<T>> {
  using Type = VObject;
};
template <class T>
using TagOf = typename TagOfType<std::remove_cvref_t<T>>::Type;

// The class an object-typed field or accessor demands (0: any object): T::kClassId when T declares it.
template <class T>
constexpr uint32_t ClassIdOf() {
  if constexpr (requires { T::kClassId; })
    return T::kClassId;
  else
    return 0;
}

// nil passes; an object of another class is reported and replaced by nil.
template <class T>
T* CheckedObject(ScriptObject* v) {
  if (!v) v = NilScriptObject();
  if constexpr (ClassIdOf<T>() != 0) {
    if (!IsNilObject(v) && !v->IsA(ClassIdOf<T>())) {
      ScriptObject::ExpectFailed(v, ClassIdOf<T>());
      v = NilScriptObject();
    }
  }
  return static_cast<T*>(v);
}

// Logs an element index outside an indexed member.
[[gnu::cold]] void ReportBadIndex(const char* op, const ScriptObject* obj, uint32_t member, int32_t index,
                                  int32_t count);

// Set(i) on an indexed member grows it to i + 1 elements, up to this many: a larger index (a mistyped
// number in a script) is refused like a negative one rather than allocating gigabytes or overflowing.
constexpr int32_t kMaxGrowIndex = (1 << 24) - 1;
// True when Set may write element i of a member of `count` elements; otherwise logs the bad-index line.
inline bool SetIndexOk(const ScriptObject* obj, uint32_t member, int32_t index, int32_t count) {
  if (index >= 0 && (index < count || index <= kMaxGrowIndex)) return true;
  ReportBadIndex("Set", obj, member, index, count);
  return false;
}

template <class M>
struct DataMemberOf;
template <class C, class F>
struct DataMemberOf<F C::*> {
  using Class = C;
  using Field = F;
};
template <class M>
struct MethodOf;
template <class C, class R, class... A>
struct MethodOf<R (C::*)(A...)> {
  using Class = C;
  using Ret = R;
  template <size_t I>
  using Arg = std::tuple_element_t<I, std::tuple<A...>>;
};
template <class C, class R, class... A>
struct MethodOf<R (C::*)(A...) const> : MethodOf<R (C::*)(A...)> {};

// Reads and writes one value V of an object, by value or through the pointer the signature wants; only
// the thunk the signature takes is instantiated (a by-value setter of a String would copy it for nothing).
template <class Tag, class Access>
struct SingleThunks {
  using V = typename Tag::Value;
  static V Get(ScriptObject* o, uint32_t) { return Access::Read(o); }
  static void GetP(ScriptObject* o, uint32_t, V* out) { *out = Access::Read(o); }
  static void Set(ScriptObject* o, uint32_t, V v) { Access::Write(o, v); }
  static void SetP(ScriptObject* o, uint32_t, const V* v) { Access::Write(o, *v); }
  static AnyMemberFn GetFn() {
    if constexpr (Tag::kByValue)
      return EraseFn(&Get);
    else
      return EraseFn(&GetP);
  }
  static AnyMemberFn SetFn() {
    if constexpr (Tag::kByValue)
      return EraseFn(&Set);
    else
      return EraseFn(&SetP);
  }
};
template <class Tag, class Access>
struct IndexedThunks {
  using V = typename Tag::Value;
  static V GetAt(ScriptObject* o, uint32_t m, int32_t i) { return Access::ReadAt(o, m, i); }
  static void GetAtP(ScriptObject* o, uint32_t m, int32_t i, V* out) { *out = Access::ReadAt(o, m, i); }
  static void SetAt(ScriptObject* o, uint32_t m, int32_t i, V v) { Access::WriteAt(o, m, i, v); }
  static void SetAtP(ScriptObject* o, uint32_t m, int32_t i, const V* v) { Access::WriteAt(o, m, i, *v); }
  static int32_t Size(ScriptObject* o, uint32_t) { return Access::Count(o); }
  static void Remove(ScriptObject* o, uint32_t, int32_t start, int32_t count) { Access::Remove(o, start, count); }
  static AnyMemberFn GetFn() {
    if constexpr (Tag::kByValue)
      return EraseFn(&GetAt);
    else
      return EraseFn(&GetAtP);
  }
  static AnyMemberFn SetFn() {
    if constexpr (Tag::kByValue)
      return EraseFn(&SetAt);
    else
      return EraseFn(&SetAtP);
  }
};

template <class Tag, uint32_t Shape>
MemberDef MakeMemberDef(uint32_t id, const char* name, uint32_t flags, AnyMemberFn get, AnyMemberFn set,
                        AnyMemberFn size = nullptr, AnyMemberFn remove = nullptr) {
  MemberDef d;
  d.id = id;
  d.name = name;
  d.flags = flags;
  d.valueType = Tag::kClassId;
  d.valid = ValidFamily<Tag, Shape>(get, set, size, remove);
  d.invalid = InvalidFamily<Tag, Shape>();
  return d;
}

// The flags a form adds.
template <class Tag, uint32_t Shape>
constexpr uint32_t FormFlags() {
  if constexpr (std::is_same_v<Tag, VObject>)
    return Shape == kShapeSingle ? 0x1200 : Shape == kShapeIndexed ? 0x2600 : 0x4A00;
  else
    return Shape;
}

// ---- fields ---------------------------------------------------------------------------------------

template <auto Field, class Tag>
struct FieldAccess {
  using C = typename DataMemberOf<decltype(Field)>::Class;
  using F = typename DataMemberOf<decltype(Field)>::Field;
  using V = typename Tag::Value;
  static F& Ref(ScriptObject* o) { return static_cast<C*>(o)->*Field; }
  static V Read(ScriptObject* o) {
    if constexpr (kIsObj<F> || kIsWeakObj<F>)
      return Ref(o).Get();
    else
      return V(Ref(o));
  }
  static void Write(ScriptObject* o, const V& v) {
    if constexpr (kIsObj<F> || kIsWeakObj<F>)
      Ref(o) = CheckedObject<typename PointeeOf<F>::Type>(v);
    else
      Ref(o) = F(v);
  }
};

template <auto Field, uint32_t Mask>
struct MaskedFieldAccess {
  using C = typename DataMemberOf<decltype(Field)>::Class;
  static uint32_t Read(ScriptObject* o) { return (static_cast<C*>(o)->*Field) & Mask; }
  static void Write(ScriptObject* o, uint32_t v) {
    uint32_t& f = static_cast<C*>(o)->*Field;
    f = (f & ~Mask) | (v & Mask);
  }
};

// Element i of an Array that holds an indexed member: an index outside is reported and reads the
// neutral value; Set past the end grows the array, a negative or huge index is refused.
template <class Tag, class E>
typename Tag::Value ReadElement(Array<E>& a, ScriptObject* o, uint32_t m, int32_t i) {
  if (i < 0 || i >= a.Count()) {
    ReportBadIndex("Get", o, m, i, a.Count());
    return MemberStubs<Tag>::Neutral();
  }
  if constexpr (kIsObj<E>)
    return a[i].Get();
  else
    return typename Tag::Value(a[i]);
}
template <class Tag, class E>
void WriteElement(Array<E>& a, ScriptObject* o, uint32_t m, int32_t i, const typename Tag::Value& v) {
  if (!SetIndexOk(o, m, i, a.Count())) return;
  E e = [&] {
    if constexpr (kIsObj<E>)
      return E(CheckedObject<typename PointeeOf<E>::Type>(v));
    else
      return E(v);
  }();
  if (i >= a.Count()) a.Grow(i + 1);
  a[i] = std::move(e);
}

// Elements of an Array field.
template <auto Field, class Tag>
struct ArrayFieldAccess {
  using C = typename DataMemberOf<decltype(Field)>::Class;
  using A = typename DataMemberOf<decltype(Field)>::Field;
  using V = typename Tag::Value;
  static A& Ref(ScriptObject* o) { return static_cast<C*>(o)->*Field; }
  static V ReadAt(ScriptObject* o, uint32_t m, int32_t i) { return ReadElement<Tag>(Ref(o), o, m, i); }
  static void WriteAt(ScriptObject* o, uint32_t m, int32_t i, const V& v) { WriteElement<Tag>(Ref(o), o, m, i, v); }
  static int32_t Count(ScriptObject* o) { return Ref(o).Count(); }
  static void Remove(ScriptObject* o, int32_t start, int32_t count) { Ref(o).Remove(start, count); }
  // Whole-array access (array form).
  static void Get(ScriptObject* o, uint32_t, Array<typename Tag::Element>* out) {
    if constexpr (std::is_same_v<A, Array<typename Tag::Element>>) *out = Ref(o);
  }
  static void Set(ScriptObject* o, uint32_t, const Array<typename Tag::Element>* in) {
    if constexpr (std::is_same_v<A, Array<typename Tag::Element>>) Ref(o) = *in;
  }
};

// An Array<E> field read and written whole (array form: 0x800, object arrays 0x4A00).
template <auto Field, class Tag = void>
MemberDef ArrayFieldMember(uint32_t id, const char* name, uint32_t flags = 0) {
  using F = typename DataMemberOf<decltype(Field)>::Field;
  using T = std::conditional_t<std::is_void_v<Tag>, TagOf<typename ElementOf<F>::Type>, Tag>;
  static_assert(std::is_same_v<F, Array<typename T::Element>>, "array field of another element type");
  using Acc = ArrayFieldAccess<Field, T>;
  return MakeMemberDef<T, kShapeArray>(id, name, flags | FormFlags<T, kShapeArray>(), EraseFn(&Acc::Get),
                                       EraseFn(&Acc::Set));
}

// A field: a value (flags as given), Obj<T> or WeakObj<T> (single reference, 0x1200), Array<Obj<T>>
// (indexed references, 0x2600) or Array<E> of values (array, 0x800). Tag overrides the value type of
// a uint32_t field (VEnum, VMemberID).
template <auto Field, class Tag = void>
MemberDef FieldMember(uint32_t id, const char* name, uint32_t flags = 0) {
  using F = typename DataMemberOf<decltype(Field)>::Field;
  if constexpr (kIsArray<F>) {
    using E = typename ElementOf<F>::Type;
    using T = std::conditional_t<std::is_void_v<Tag>, TagOf<E>, Tag>;
    using Acc = ArrayFieldAccess<Field, T>;
    if constexpr (kIsObj<E>) {
      using Th = IndexedThunks<T, Acc>;
      return MakeMemberDef<T, kShapeIndexed>(id, name, flags | FormFlags<T, kShapeIndexed>(), Th::GetFn(), Th::SetFn(),
                                             EraseFn(&Th::Size), EraseFn(&Th::Remove));
    } else {
      return ArrayFieldMember<Field, T>(id, name, flags);
    }
  } else {
    using T = std::conditional_t<std::is_void_v<Tag>, TagOf<F>, Tag>;
    static_assert(!std::is_void_v<T>, "no value type for this field");
    using Th = SingleThunks<T, FieldAccess<Field, T>>;
    return MakeMemberDef<T, kShapeSingle>(id, name, flags | FormFlags<T, kShapeSingle>(), Th::GetFn(), Th::SetFn());
  }
}

// An Array<E> field of values exposed element by element (indexed, 0x400).
template <auto Field, class Tag = void>
MemberDef IndexedFieldMember(uint32_t id, const char* name, uint32_t flags = 0) {
  using F = typename DataMemberOf<decltype(Field)>::Field;
  using E = typename ElementOf<F>::Type;
  using T = std::conditional_t<std::is_void_v<Tag>, TagOf<E>, Tag>;
  using Th = IndexedThunks<T, ArrayFieldAccess<Field, T>>;
  return MakeMemberDef<T, kShapeIndexed>(id, name, flags | FormFlags<T, kShapeIndexed>(), Th::GetFn(), Th::SetFn(),
                                         EraseFn(&Th::Size), EraseFn(&Th::Remove));
}

// A uint32_t field of which only the bits in Mask are read and written.
template <auto Field, uint32_t Mask>
MemberDef MaskedFieldMember(uint32_t id, const char* name, uint32_t flags = 0) {
  using Th = SingleThunks<VU32, MaskedFieldAccess<Field, Mask>>;
  return MakeMemberDef<VU32, kShapeSingle>(id, name, flags, Th::GetFn(), Th::SetFn());
}

// ---- the class's own accessors (member functions) ----------------------------------------------------

template <auto Get, auto Set, class Tag>
struct MethodAccess {
  using C = typename MethodOf<decltype(Get)>::Class;
  using V = typename Tag::Value;
  static V Read(ScriptObject* o) {
    if constexpr (std::is_same_v<Tag, VObject>)
      return CallGet(o);
    else
      return V(CallGet(o));
  }
  static decltype(auto) CallGet(ScriptObject* o) {
    if constexpr (std::is_same_v<Tag, VObject>)
      return static_cast<ScriptObject*>((static_cast<C*>(o)->*Get)());
    else
      return (static_cast<C*>(o)->*Get)();
  }
  static void Write(ScriptObject* o, const V& v) {
    if constexpr (!std::is_same_v<decltype(Set), std::nullptr_t>) {
      using SC = typename MethodOf<decltype(Set)>::Class;
      using A = std::remove_cvref_t<typename MethodOf<decltype(Set)>::template Arg<0>>;
      if constexpr (std::is_same_v<Tag, VObject>)
        (static_cast<SC*>(o)->*Set)(CheckedObject<typename PointeeOf<A>::Type>(v));
      else
        (static_cast<SC*>(o)->*Set)(v);
    }
  }
};

// Get: V (C::*)() [const]; Set: void (C::*)(V or const V&), or nullptr for a read-only member. Object
// accessors take and give T* (or Obj<T>): the setter receives only nil or a T.
template <auto Get, auto Set, class Tag = TagOf<typename MethodOf<decltype(Get)>::Ret>>
MemberDef AccessorMember(uint32_t id, const char* name, uint32_t flags = 0) {
  using Th = SingleThunks<Tag, MethodAccess<Get, Set, Tag>>;
  constexpr bool readOnly = std::is_same_v<decltype(Set), std::nullptr_t>;
  return MakeMemberDef<Tag, kShapeSingle>(id, name, flags | FormFlags<Tag, kShapeSingle>(), Th::GetFn(),
                                          readOnly ? nullptr : Th::SetFn());
}

template <auto GetAtFn, auto SetAtFn, auto SizeFn, auto RemoveFn, class Tag>
struct IndexedMethodAccess {
  using C = typename MethodOf<decltype(GetAtFn)>::Class;
  using V = typename Tag::Value;
  static V ReadAt(ScriptObject* o, uint32_t, int32_t i) {
    if constexpr (std::is_same_v<Tag, VObject>)
      return static_cast<ScriptObject*>((static_cast<C*>(o)->*GetAtFn)(i));
    else
      return V((static_cast<C*>(o)->*GetAtFn)(i));
  }
  static void WriteAt(ScriptObject* o, uint32_t, int32_t i, const V& v) {
    if constexpr (!std::is_same_v<decltype(SetAtFn), std::nullptr_t>) {
      using A = std::remove_cvref_t<typename MethodOf<decltype(SetAtFn)>::template Arg<1>>;
      if constexpr (std::is_same_v<Tag, VObject>)
        (static_cast<C*>(o)->*SetAtFn)(i, CheckedObject<typename PointeeOf<A>::Type>(v));
      else
        (static_cast<C*>(o)->*SetAtFn)(i, v);
    }
  }
  static int32_t Count(ScriptObject* o) { return int32_t((static_cast<C*>(o)->*SizeFn)()); }
  static void Remove(ScriptObject* o, int32_t start, int32_t count) {
    if constexpr (!std::is_same_v<decltype(RemoveFn), std::nullptr_t>) (static_cast<C*>(o)->*RemoveFn)(start, count);
  }
};

// GetAt: V (C::*)(int32_t); SetAt: void (C::*)(int32_t, V) or nullptr; Size: int32_t (C::*)();
// Remove: void (C::*)(int32_t start, int32_t count) or nullptr (the logging stub answers).
template <auto GetAt, auto SetAt, auto Size, auto Remove = nullptr,
          class Tag = TagOf<typename MethodOf<decltype(GetAt)>::Ret>>
MemberDef IndexedAccessorMember(uint32_t id, const char* name, uint32_t flags = 0) {
  using Th = IndexedThunks<Tag, IndexedMethodAccess<GetAt, SetAt, Size, Remove, Tag>>;
  constexpr bool readOnly = std::is_same_v<decltype(SetAt), std::nullptr_t>;
  constexpr bool noRemove = std::is_same_v<decltype(Remove), std::nullptr_t>;
  return MakeMemberDef<Tag, kShapeIndexed>(id, name, flags | FormFlags<Tag, kShapeIndexed>(), Th::GetFn(),
                                           readOnly ? nullptr : Th::SetFn(), EraseFn(&Th::Size),
                                           noRemove ? nullptr : EraseFn(&Th::Remove));
}

// ---- plain callbacks in the record's own signatures --------------------------------------------------

template <class Tag>
MemberDef CallbackMember(uint32_t id, const char* name, typename MemberSig<Tag>::Get get,
                         typename MemberSig<Tag>::Set set, uint32_t flags = 0) {
  return MakeMemberDef<Tag, kShapeSingle>(id, name, flags | FormFlags<Tag, kShapeSingle>(), EraseFn(get),
                                          set ? EraseFn(set) : nullptr);
}
template <class Tag>
MemberDef CallbackIndexedMember(uint32_t id, const char* name, typename MemberSig<Tag>::GetAt get,
                                typename MemberSig<Tag>::SetAt set, MemberSizeFn size, MemberRemoveFn remove,
                                uint32_t flags = 0) {
  return MakeMemberDef<Tag, kShapeIndexed>(id, name, flags | FormFlags<Tag, kShapeIndexed>(), EraseFn(get),
                                           set ? EraseFn(set) : nullptr, size ? EraseFn(size) : nullptr,
                                           remove ? EraseFn(remove) : nullptr);
}

// ---- modifiers, enum values, function members -----------------------------------------------------------

// The member's Set becomes its value type's logging stub.
inline MemberDef ReadOnly(MemberDef d) {
  d.valid.set = d.invalid.set;
  return d;
}

// An enum value; the value defaults to the member id itself.
inline MemberDef EnumValue(uint32_t id, const char* name, int64_t value = -1LL << 40, uint32_t flags = 0) {
  MemberDef d;
  d.id = id;
  d.name = name;
  d.flags = flags | kMemberEnumValue;
  d.valueType = kClassEnum;
  d.isEnumValue = true;
  d.enumValue = value == (-1LL << 40) ? int32_t(id) : int32_t(value);
  return d;
}

// A function member without storage: its Set slot is the call entry.
MemberDef FunctionMember(uint32_t id, const char* name, MemberCallFn call, uint32_t flags = 0);

}  // namespace PM
