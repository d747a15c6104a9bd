#include "script/object/ValueBox.h"

#include "script/object/MemberDef.h"

namespace PM {

namespace {

void NoDestroy(void*) {}

template <class Tag>
ClassDef ValueClass() {
  using B = ValueBox<Tag>;
  return {Tag::kClassId, kClassScriptObject, "", Tag::kName, &B::Type(), &B::New, &B::NewExtra, kClassKindObject};
}
template <class Tag>
MemberDef ValueMember() {
  return FieldMember<&ValueBox<Tag>::value, Tag>(BoxValueMember(Tag::kClassId), "Value");
}

template <class Tag>
ClassDef ArrayClass() {
  using B = ArrayBox<Tag>;
  return {B::kClassId, kClassScriptObject, "", B::Type().name, &B::Type(), &B::New, &B::NewExtra, kClassKindObject};
}
template <class Tag>
MemberDef ArrayMember() {
  return ArrayFieldMember<&ArrayBox<Tag>::value, Tag>(BoxValueMember(kArrayClassOf<Tag>), "Value");
}

const TypeRecord& ScriptObjectType() {
  static TypeRecord t("ScriptObject", sizeof(ScriptObject), DestroyScriptObject<ScriptObject>);
  return t;
}
const TypeRecord& RotationOrderType() {
  static TypeRecord t("Euler.RotationOrderEnum", 4, NoDestroy);
  return t;
}

}  // namespace

void RegisterBuiltinClasses() {
  const ClassDef roots[] = {
      {kClassScriptObject, 0, "", "ScriptObject", &ScriptObjectType(), nullptr, nullptr, kClassKindObject},
      {kClassNil, 0, "", "Nil", nullptr, nullptr, nullptr, kClassKindObject},
  };
  DefineClasses(roots);

  const ClassDef values[] = {
      ValueClass<VEnum>(),
      ValueClass<VMemberID>(),
      ValueClass<VBool>(),
      ValueClass<VString>(),
      ValueClass<VI32>(),
      ValueClass<VI64>(),
      ValueClass<VU32>(),
      ValueClass<VU64>(),
      ValueClass<VF32>(),
      ValueClass<VF64>(),
      ValueClass<VVector2f>(),
      ValueClass<VVector3f>(),
      ValueClass<VVector4f>(),
      ValueClass<VMatrix4f>(),
      ValueClass<VSpheref>(),
      ValueClass<VNameHash>(),
      ArrayClass<VObject>(),
      ArrayClass<VBool>(),
      ArrayClass<VString>(),
      ArrayClass<VI64>(),
      ArrayClass<VU32>(),
      ArrayClass<VU64>(),
      ArrayClass<VF64>(),
      ArrayClass<VI32>(),
      ArrayClass<VF32>(),
      ArrayClass<VVector2f>(),
      ArrayClass<VVector3f>(),
      ArrayClass<VVector4f>(),
      ArrayClass<VMatrix4f>(),
      {kClassEulerRotationOrder, kClassScriptObject, "Euler", "RotationOrderEnum", &RotationOrderType(), nullptr,
       nullptr, kClassKindEnum},
  };
  DefineClasses(values);

  const MemberDef members[] = {
      ValueMember<VEnum>(),         ValueMember<VMemberID>(),     ValueMember<VBool>(),
      ValueMember<VString>(),       ValueMember<VI32>(),          ValueMember<VI64>(),
      ValueMember<VU32>(),          ValueMember<VU64>(),          ValueMember<VF32>(),
      ValueMember<VF64>(),          ValueMember<VVector2f>(),     ValueMember<VVector3f>(),
      ValueMember<VVector4f>(),     ValueMember<VMatrix4f>(),     ValueMember<VSpheref>(),
      ValueMember<VNameHash>(),     ArrayMember<VObject>(),       ArrayMember<VBool>(),
      ArrayMember<VString>(),       ArrayMember<VI64>(),          ArrayMember<VU32>(),
      ArrayMember<VU64>(),          ArrayMember<VF64>(),          ArrayMember<VI32>(),
      ArrayMember<VF32>(),          ArrayMember<VVector2f>(),     ArrayMember<VVector3f>(),
      ArrayMember<VVector4f>(),     ArrayMember<VMatrix4f>(),     EnumValue(0x01FFF038, "XYZ"),
      EnumValue(0x02FFF038, "YZX"), EnumValue(0x03FFF038, "ZXY"), EnumValue(0x04FFF038, "XZY"),
      EnumValue(0x05FFF038, "YXZ"), EnumValue(0x06FFF038, "ZYX"),
  };
  DefineMembers(members);
}

}  // namespace PM
