// What every UI script class shares: its type record, its two factories and its class-table row,
// generated from the class's kClassId and kName.
#pragma once

#include "script/object/MemberDef.h"
#include "script/object/ScriptObject.h"

namespace PM {

template <class T>
const TypeRecord& UITypeRecord() {
  static TypeRecord t(T::kName, sizeof(T), DestroyScriptObject<T>);
  return t;
}

template <class T>
ScriptObject* UINew() {
  return NewScriptObject<T>(T::GetTypeRecord(), T::kClassId);
}

template <class T>
ScriptObject* UINewExtra(uint32_t extraBytes) {
  return NewScriptObject<T>(T::GetTypeRecord(), T::kClassId, extraBytes);
}

// The class-table row of a concrete class T over Base.
template <class T, class Base>
void DefineUIClass() {
  const ClassDef row[] = {{T::kClassId, Base::kClassId, "", T::kName, &T::GetTypeRecord(), &T::Create,
                           &T::CreateExtra, kClassKindObject}};
  DefineClasses(row);
}

// An Array field exposed element by element, whose reads past the end give Fill() and whose writes past
// the end grow the array with Fill() (object arrays: nil). Negative indexes are reported.
template <auto Field, class Tag, auto Fill>
struct FilledArrayAccess {
  using C = typename DataMemberOf<decltype(Field)>::Class;
  using A = typename DataMemberOf<decltype(Field)>::Field;
  using E = typename ElementOf<A>::Type;
  using V = typename Tag::Value;
  static A& Ref(ScriptObject* o) { return static_cast<C*>(o)->*Field; }
  static E FillElement() {
    if constexpr (kIsObj<E>) return E();
    else return E(Fill());
  }
  static V ReadAt(ScriptObject* o, uint32_t m, int32_t i) {
    A& a = Ref(o);
    if (i < 0) ReportBadIndex("Get", o, m, i, a.Count());
    if (i < 0 || i >= a.Count()) {
      if constexpr (kIsObj<E>) return NilScriptObject();
      else return V(Fill());
    }
    if constexpr (kIsObj<E>) return a[i].Get();
    else return V(a[i]);
  }
  static void WriteAt(ScriptObject* o, uint32_t m, int32_t i, const V& v) {
    A& a = Ref(o);
    if (i < 0) return ReportBadIndex("Set", o, m, i, a.Count());
    E e = [&] {
      if constexpr (kIsObj<E>) return E(CheckedObject<typename PointeeOf<E>::Type>(v));
      else return E(v);
    }();
    if (i >= a.Count()) a.SetCountFill(i + 1, FillElement());
    a[i] = std::move(e);
  }
  static int32_t Count(ScriptObject* o) { return Ref(o).Count(); }
  static void Remove(ScriptObject* o, int32_t start, int32_t count) { Ref(o).Remove(start, count); }
};

template <class T> T NoFill() { return T(); }

// An indexed member over an Array field (values 0x400, object references 0x2600) with a fill value.
template <auto Field, auto Fill = nullptr, class Tag = void>
MemberDef FilledIndexedMember(uint32_t id, const char* name, uint32_t flags = 0) {
  using F = typename DataMemberOf<decltype(Field)>::Field;
  using E = typename ElementOf<F>::Type;
  using T = std::conditional_t<std::is_void_v<Tag>, TagOf<E>, Tag>;
  constexpr auto fill = [] {
    if constexpr (std::is_same_v<decltype(Fill), std::nullptr_t>) return &NoFill<typename T::Value>;
    else return Fill;
  }();
  using Th = IndexedThunks<T, FilledArrayAccess<Field, T, fill>>;
  return MakeMemberDef<T, kShapeIndexed>(id, name, flags | FormFlags<T, kShapeIndexed>(), Th::GetFn(), Th::SetFn(),
                                         EraseFn(&Th::Size), EraseFn(&Th::Remove));
}

// Render shaders belong to the render classes; the UI only needs their class id to check what it stores.
struct RenderShaderRef : ScriptObject {
  static constexpr uint32_t kClassId = 0xFFFFF082;
};

}  // namespace PM

namespace PM {

// An enumeration class of the UI table: its own 4-byte type record, no factories, and the values
// 1..count named in order, each value its own member id.
void DefineUIEnum(uint32_t classId, const char* nameSpace, const char* name, const TypeRecord& type,
                  const char* const* valueNames, int count);

// The destroy function of enumeration type records: enumeration values are never allocated.
void NoUIEnumDestroy(void*);

}  // namespace PM
