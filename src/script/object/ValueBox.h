// Boxed values: counted objects of a built-in value class whose member 1 "Value" holds the value, and
// the boxed arrays of the Array_ classes.
#pragma once

#include <string>

#include "script/object/ScriptObject.h"
#include "script/object/ValueTypes.h"

namespace PM {

// The Array_ class of an element type.
template <class Tag>
inline constexpr uint32_t kArrayClassOf = 0;
template <>
inline constexpr uint32_t kArrayClassOf<VObject> = kClassArrayScriptObject;
template <>
inline constexpr uint32_t kArrayClassOf<VBool> = kClassArrayBool;
template <>
inline constexpr uint32_t kArrayClassOf<VString> = kClassArrayString;
template <>
inline constexpr uint32_t kArrayClassOf<VI32> = kClassArrayI32;
template <>
inline constexpr uint32_t kArrayClassOf<VI64> = kClassArrayI64;
template <>
inline constexpr uint32_t kArrayClassOf<VU32> = kClassArrayU32;
template <>
inline constexpr uint32_t kArrayClassOf<VU64> = kClassArrayU64;
template <>
inline constexpr uint32_t kArrayClassOf<VF32> = kClassArrayF32;
template <>
inline constexpr uint32_t kArrayClassOf<VF64> = kClassArrayF64;
template <>
inline constexpr uint32_t kArrayClassOf<VVector2f> = kClassArrayVector2f;
template <>
inline constexpr uint32_t kArrayClassOf<VVector3f> = kClassArrayVector3f;
template <>
inline constexpr uint32_t kArrayClassOf<VVector4f> = kClassArrayVector4f;
template <>
inline constexpr uint32_t kArrayClassOf<VMatrix4f> = kClassArrayMatrix4f;

template <class Tag>
struct ValueBox final : ScriptObject {
  static constexpr uint32_t kClassId = Tag::kClassId;
  static const TypeRecord& Type() {
    static TypeRecord t(Tag::kName, sizeof(ValueBox), DestroyScriptObject<ValueBox>);
    return t;
  }
  static ScriptObject* New() { return NewScriptObject<ValueBox>(Type(), kClassId); }
  static ScriptObject* NewExtra(uint32_t extra) { return NewScriptObject<ValueBox>(Type(), kClassId, extra); }
  typename Tag::Value value{};
};

template <class Tag>
struct ArrayBox : ScriptObject {
  static constexpr uint32_t kClassId = kArrayClassOf<Tag>;
  static const TypeRecord& Type() {
    static const std::string name = std::string("Array_") + Tag::kName;
    static TypeRecord t(name.c_str(), sizeof(ArrayBox), DestroyScriptObject<ArrayBox>);
    return t;
  }
  static ScriptObject* New() { return NewScriptObject<ArrayBox>(Type(), kClassId); }
  static ScriptObject* NewExtra(uint32_t extra) { return NewScriptObject<ArrayBox>(Type(), kClassId, extra); }
  Array<typename Tag::Element> value;
};

// A new boxed value (count 0).
template <class Tag>
ScriptObject* NewBox(const typename Tag::Value& v) {
  auto* box = static_cast<ValueBox<Tag>*>(ValueBox<Tag>::New());
  box->value = v;
  return box;
}
template <class Tag>
ScriptObject* NewArrayBox(const Array<typename Tag::Element>& a) {
  auto* box = static_cast<ArrayBox<Tag>*>(ArrayBox<Tag>::New());
  box->value = a;
  return box;
}

// The member id of a box's "Value": 0x01FFF000 | class index.
constexpr uint32_t BoxValueMember(uint32_t classId) { return MakeMemberId(1, classId); }

// Defines ScriptObject, Nil, the value classes, the Array_ classes and Euler.RotationOrderEnum.
void RegisterBuiltinClasses();

}  // namespace PM
