#include "script/object/ScriptMemberStorage.h"

#include <new>
#include <type_traits>

#include "script/object/MemberDef.h"
#include "script/object/ScriptClass_I.h"

namespace PM {

namespace {

template <class Tag>
using SingleStore = std::conditional_t<std::is_same_v<Tag, VObject>, Obj<ScriptObject>, typename Tag::Value>;

template <class S>
S& Ref(ScriptObject* o, uint32_t m) {
  return *static_cast<S*>(ScriptClass_I::MemberStorage(o, m));
}

template <class Tag>
struct SingleAccess {
  using S = SingleStore<Tag>;
  using V = typename Tag::Value;
  static V Read(ScriptObject* o, uint32_t m) {
    if constexpr (std::is_same_v<Tag, VObject>)
      return Ref<S>(o, m).Get();
    else
      return Ref<S>(o, m);
  }
  static void Write(ScriptObject* o, uint32_t m, const V& v) {
    if constexpr (std::is_same_v<Tag, VObject>)
      Ref<S>(o, m) = CheckedObject<ScriptObject>(v);
    else
      Ref<S>(o, m) = v;
  }
  static V Get(ScriptObject* o, uint32_t m) { return Read(o, m); }
  static void GetP(ScriptObject* o, uint32_t m, V* out) { *out = Read(o, m); }
  static void Set(ScriptObject* o, uint32_t m, V v) { Write(o, m, v); }
  static void SetP(ScriptObject* o, uint32_t m, const V* v) { Write(o, m, *v); }

  static void FromValue(void* dst, const void* value) {
    if constexpr (std::is_same_v<Tag, VObject>)
      new (dst) S(value ? *static_cast<ScriptObject* const*>(value) : nullptr);
    else
      new (dst) S(value ? *static_cast<const V*>(value) : V{});
  }
};

template <class Tag>
struct IndexedAccess {
  using S = Array<typename Tag::Element>;
  using V = typename Tag::Value;
  static V GetAt(ScriptObject* o, uint32_t m, int32_t i) { return ReadElement<Tag>(Ref<S>(o, m), o, m, i); }
  static void GetAtP(ScriptObject* o, uint32_t m, int32_t i, V* out) { *out = ReadElement<Tag>(Ref<S>(o, m), o, m, i); }
  static void SetAt(ScriptObject* o, uint32_t m, int32_t i, V v) { WriteElement<Tag>(Ref<S>(o, m), o, m, i, v); }
  static void SetAtP(ScriptObject* o, uint32_t m, int32_t i, const V* v) {
    WriteElement<Tag>(Ref<S>(o, m), o, m, i, *v);
  }
  static int32_t Size(ScriptObject* o, uint32_t m) { return Ref<S>(o, m).Count(); }
  static void Remove(ScriptObject* o, uint32_t m, int32_t start, int32_t count) { Ref<S>(o, m).Remove(start, count); }

  static void FromValue(void* dst, const void* value) {
    if (value)
      new (dst) S(*static_cast<const S*>(value));
    else
      new (dst) S();
  }
};

template <class S>
void CopyStore(void* dst, const void* src) {
  new (dst) S(*static_cast<const S*>(src));
}
template <class S>
void DestroyStore(void* p) {
  static_cast<S*>(p)->~S();
}

template <class Tag>
ScriptMemberStorage MakeSingle() {
  using A = SingleAccess<Tag>;
  using S = typename A::S;
  static_assert(sizeof(S) <= sizeof(ScriptClassMember::defaultValue));
  // Only the thunks of the family's passing are instantiated, as MemberDef.h's.
  AnyMemberFn get, set;
  if constexpr (Tag::kByValue) {
    get = EraseFn(&A::Get);
    set = EraseFn(&A::Set);
  } else {
    get = EraseFn(&A::GetP);
    set = EraseFn(&A::SetP);
  }
  return {sizeof(S),
          alignof(S),
          &A::FromValue,
          &CopyStore<S>,
          &DestroyStore<S>,
          ValidFamily<Tag, kShapeSingle>(get, set),
          InvalidFamily<Tag, kShapeSingle>()};
}

template <class Tag>
ScriptMemberStorage MakeIndexed() {
  using A = IndexedAccess<Tag>;
  using S = typename A::S;
  AnyMemberFn get, set;
  if constexpr (Tag::kByValue) {
    get = EraseFn(&A::GetAt);
    set = EraseFn(&A::SetAt);
  } else {
    get = EraseFn(&A::GetAtP);
    set = EraseFn(&A::SetAtP);
  }
  return {sizeof(S),
          alignof(S),
          &A::FromValue,
          &CopyStore<S>,
          &DestroyStore<S>,
          ValidFamily<Tag, kShapeIndexed>(get, set, EraseFn(&A::Size), EraseFn(&A::Remove)),
          InvalidFamily<Tag, kShapeIndexed>()};
}

}  // namespace

const ScriptMemberStorage* FindMemberStorage(uint32_t valueClassId, bool indexed) {
  const ScriptMemberStorage* found = nullptr;
  WithValueTag(valueClassId, [&](auto tag) {
    using Tag = decltype(tag);
    static const ScriptMemberStorage single = MakeSingle<Tag>();
    static const ScriptMemberStorage many = MakeIndexed<Tag>();
    found = indexed ? &many : &single;
  });
  return found;
}

}  // namespace PM
