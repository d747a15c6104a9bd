// Indexed members over an Array field that read a fill value past the end and grow with it on Set:
// nil for references, 0 for numbers, or a value of the member's own.
#pragma once

#include "script/object/MemberDef.h"

namespace PM {

// An Array field exposed element by element, whose reads past the end give Fill() and whose writes past
// the end grow the array with Fill() (object arrays, counted or weak: nil). Negative indexes are
// reported; Remove(start, -1) removes to the end.
template <class E>
inline constexpr bool kIsRef = kIsObj<E> || kIsWeakObj<E>;

template <auto Field, class Tag, auto Fill>
struct FilledArrayAccess {
  using C = typename DataMemberOf<decltype(Field)>::Class;
  using A = typename DataMemberOf<decltype(Field)>::Field;
  using E = typename ElementOf<A>::Type;
  using V = typename Tag::Value;
  static A& Ref(ScriptObject* o) { return static_cast<C*>(o)->*Field; }
  static E FillElement() {
    if constexpr (kIsRef<E>)
      return E();
    else
      return E(Fill());
  }
  static V ReadAt(ScriptObject* o, uint32_t m, int32_t i) {
    A& a = Ref(o);
    if (i < 0) ReportBadIndex("Get", o, m, i, a.Count());
    if (i < 0 || i >= a.Count()) {
      if constexpr (kIsRef<E>)
        return NilScriptObject();
      else
        return V(Fill());
    }
    if constexpr (kIsRef<E>)
      return a[i].Get();
    else
      return V(a[i]);
  }
  static void WriteAt(ScriptObject* o, uint32_t m, int32_t i, const V& v) {
    A& a = Ref(o);
    if (!SetIndexOk(o, m, i, a.Count())) return;
    E e = [&] {
      if constexpr (kIsRef<E>)
        return E(CheckedObject<typename PointeeOf<E>::Type>(v));
      else
        return E(v);
    }();
    if (i >= a.Count()) a.SetCountFill(i + 1, FillElement());
    a[i] = std::move(e);
  }
  static int32_t Count(ScriptObject* o) { return Ref(o).Count(); }
  static void Remove(ScriptObject* o, int32_t start, int32_t count) { Ref(o).Remove(start, count); }
};

template <class T>
T NoFill() {
  return T();
}

// An indexed member over an Array field (values 0x400, object references 0x2600) with a fill value.
template <auto Field, auto Fill = nullptr, class Tag = void>
MemberDef FilledIndexedMember(uint32_t id, const char* name, uint32_t flags = 0) {
  using F = typename DataMemberOf<decltype(Field)>::Field;
  using E = typename ElementOf<F>::Type;
  using T = std::conditional_t<std::is_void_v<Tag>, TagOf<E>, Tag>;
  constexpr auto fill = [] {
    if constexpr (std::is_same_v<decltype(Fill), std::nullptr_t>)
      return &NoFill<typename T::Value>;
    else
      return Fill;
  }();
  using Th = IndexedThunks<T, FilledArrayAccess<Field, T, fill>>;
  return MakeMemberDef<T, kShapeIndexed>(id, name, flags | FormFlags<T, kShapeIndexed>(), Th::GetFn(), Th::SetFn(),
                                         EraseFn(&Th::Size), EraseFn(&Th::Remove));
}

}  // namespace PM
