// What every engine class shares: its type record, its factories and its row of a class table.
// A class is declared once, through its base:
//   class SLight_I : public EngineClass<SLight_I, SLeaf_I, ClassId::SLight, "SLight"> { ... };
// and a T-node names the S-node class its factories attach:
//   class TLight_I : public EngineClass<TLight_I, TLeaf_I, ClassId::TLight, "TLight", SLight_I> { ... };
#pragma once

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <type_traits>

#include "classes/EngineClassIds.h"
#include "script/object/MemberDef.h"
#include "script/object/ScriptObject.h"

namespace PM {

// The type record of engine class T: its instance size and its destroy function.
template <class T>
const TypeRecord& EngineTypeRecord(const char* name) {
  static const TypeRecord record(name, sizeof(T), DestroyScriptObject<T>);
  return record;
}

template <class T>
ScriptObject* NewEngineObject(uint32_t extraBytes = 0) {
  return NewScriptObject<T>(T::GetTypeRecord(), T::kClassId, extraBytes);
}

// A T-node with a fresh S-node of class S attached. The two are made one right after the other in the
// node arena: a walk over the tree reads both, and finds them side by side.
template <class T, class S>
ScriptObject* NewEngineNode(uint32_t extraBytes = 0) {
  T* t = NewScriptNodeObject<T>(T::GetTypeRecord(), T::kClassId, extraBytes);
  t->SetSNodeMember(NewScriptNodeObject<S>(S::GetTypeRecord(), S::kClassId));
  return t;
}

// A class name as a template argument.
template <size_t N>
struct EngineClassName {
  char text[N];
  constexpr EngineClassName(const char (&s)[N]) { std::copy_n(s, N, text); }  // NOLINT: implicit by design
};

// The base every engine class T derives through: it sits between T and T's C++ base and gives T its id,
// its name, its type record and its factories. SNode, when given, is the S-node class that a new T-node
// gets attached.
template <class T, class Base, uint32_t Id, EngineClassName Name, class SNode = void>
class EngineClass : public Base {  // NOLINT(bugprone-crtp-constructor-accessibility): T inherits Base's
 public:
  using Base::Base;
  using EngineBase = Base;
  static constexpr uint32_t kClassId = Id;
  static constexpr const char* kName = Name.text;
  static const TypeRecord& GetTypeRecord() { return EngineTypeRecord<T>(kName); }
  static ScriptObject* Create() { return CreateExtra(0); }
  static ScriptObject* CreateExtra(uint32_t extraBytes) {
    if constexpr (std::is_void_v<SNode>)
      return NewEngineObject<T>(extraBytes);
    else
      return NewEngineNode<T, SNode>(extraBytes);
  }
};

// Rows of a class table.
template <class T>
ClassDef ConcreteClass(uint32_t baseId, const char* name) {
  return {T::kClassId, baseId, "", name, &T::GetTypeRecord(), &T::Create, &T::CreateExtra, kClassKindObject};
}
template <class T>
ClassDef AbstractClass(uint32_t baseId, const char* name) {
  return {T::kClassId, baseId, "", name, &T::GetTypeRecord(), nullptr, nullptr, kClassKindObject};
}
// The rows of a class whose class-table base is its C++ base.
template <class T>
ClassDef ConcreteClass() {
  return ConcreteClass<T>(T::EngineBase::kClassId, T::kName);
}
template <class T>
ClassDef AbstractClass() {
  return AbstractClass<T>(T::EngineBase::kClassId, T::kName);
}

// An enum type: a class of kind 5 in its owner's namespace whose members are its values. Value n has the
// member id (n << 24) | 0x00FFF000 | index; `values` lists the names in index order. The values are
// defined from `firstDefined` on (index 1 by default), then the ones before it.
struct EnumTypeDef {
  uint32_t id;
  const char* owner;
  const char* name;
  const char* const* values;
  uint32_t count;
  uint32_t firstDefined = 1;
};
// The definition of an enum type whose value count is taken from its name list.
template <size_t N>
constexpr EnumTypeDef MakeEnumType(uint32_t id, const char* owner, const char* name, const char* const (&values)[N],
                                   uint32_t firstDefined = 1) {
  return {id, owner, name, values, uint32_t(N), firstDefined};
}
void DefineEnumType(const EnumTypeDef& def);
template <size_t N>
void DefineEnumTypes(const EnumTypeDef (&defs)[N]) {
  for (const EnumTypeDef& d : defs) DefineEnumType(d);
}

// Elements of an Array<Obj<ScriptObject>> field whose entries must be of class Id (or derive from it): a
// class of a higher layer, known here only by its id. Exposed as indexed object references (0x2600) like
// any object array: Set past the end grows the array with nil; an object of another class is reported
// and stored as nil; Get outside the array is reported and reads nil.
template <auto Field, uint32_t Id>
struct ClassArrayAccess {
  using C = typename DataMemberOf<decltype(Field)>::Class;
  static Array<Obj<ScriptObject>>& Ref(ScriptObject* o) { return static_cast<C*>(o)->*Field; }
  static ScriptObject* GetAt(ScriptObject* o, uint32_t m, int32_t i) { return ReadElement<VObject>(Ref(o), o, m, i); }
  static void SetAt(ScriptObject* o, uint32_t m, int32_t i, ScriptObject* v) {
    Array<Obj<ScriptObject>>& a = Ref(o);
    if (!SetIndexOk(o, m, i, a.Count())) return;
    if (!v) v = NilScriptObject();
    if (!IsNilObject(v) && !v->IsA(Id)) {
      ScriptObject::ExpectFailed(v, Id);
      v = NilScriptObject();
    }
    if (i >= a.Count()) a.Grow(i + 1);
    a[i] = v;
  }
  static int32_t Size(ScriptObject* o, uint32_t) { return Ref(o).Count(); }
  static void Remove(ScriptObject* o, uint32_t, int32_t start, int32_t count) { Ref(o).Remove(start, count); }
};

template <auto Field, uint32_t Id>
MemberDef ClassArrayFieldMember(uint32_t id, const char* name, uint32_t flags = 0) {
  using Acc = ClassArrayAccess<Field, Id>;
  return CallbackIndexedMember<VObject>(id, name, &Acc::GetAt, &Acc::SetAt, &Acc::Size, &Acc::Remove, flags);
}

// The 4-byte type record every enum type passes.
const TypeRecord& EnumTypeRecord();

}  // namespace PM
