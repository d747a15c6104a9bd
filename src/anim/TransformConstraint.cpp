#include "anim/TransformConstraint.h"

#include "classes/EngineClassRegistry.h"

namespace PM {

namespace {

void DefineTransformConstraintClass() {
  const ClassDef classes[] = {ConcreteClass<TransformConstraint_I>(Constraint_I::kClassId, "TransformConstraint")};
  DefineClasses(classes);
  const MemberDef members[] = {
      FieldMember<&TransformConstraint_I::m_constraintType, VEnum>(0x01FFF05B, "ConstraintType"),
      FieldMember<&TransformConstraint_I::m_orientOffset>(0x02FFF05B, "OrientOffset"),
  };
  DefineMembers(members);
  static const char* const kValueNames[] = {"Point", "Orient", "Parent", "Scale"};
  DefineEnumType(MakeEnumType(0xFFFFF05C, "TransformConstraint", "ConstraintTypeEnum", kValueNames));
}

[[maybe_unused]] const bool kEntry = AddEngineClassEntry(0x05B, &DefineTransformConstraintClass);

}  // namespace
}  // namespace PM
