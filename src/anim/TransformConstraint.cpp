#include "anim/TransformConstraint.h"

#include "classes/EngineClassRegistry.h"

namespace PM {

void TransformConstraint_I::Define() {
  const ClassDef classes[] = {ConcreteClass<TransformConstraint_I>()};
  DefineClasses(classes);
  const MemberDef members[] = {
      FieldMember<&TransformConstraint_I::m_constraintType, VEnum>(0x01FFF05B, "ConstraintType"),
      FieldMember<&TransformConstraint_I::m_orientOffset>(0x02FFF05B, "OrientOffset"),
  };
  DefineMembers(members);
  static const char* const kValueNames[] = {"Point", "Orient", "Parent", "Scale"};
  DefineEnumType(MakeEnumType(0xFFFFF05C, "TransformConstraint", "ConstraintTypeEnum", kValueNames));
}

// Entered in the engine class table, which defines it in the order list's order.
static const bool kClassEntered = EnterEngineClasses<TransformConstraint_I>();

}  // namespace PM
