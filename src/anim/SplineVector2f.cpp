#include "anim/SplineVector2f.h"

#include "anim/SplineAssembly.h"
#include "classes/EngineClassRegistry.h"

namespace PM {

bool SplineVector2f_I::SetFromScalarSplines(SplineScalarf_I* x, SplineScalarf_I* y) {
  SplineScalarf_I* const parts[] = {x, y};
  const bool ok = AssembleFromScalarSplines(m_keys, "SplineVector2f", parts);
  Touch();
  return ok;
}

namespace {}  // namespace

void SplineVector2f_I::Define() {
  const ClassDef classes[] = {ConcreteClass<SplineVector2f_I>()};
  DefineClasses(classes);
  const MemberDef members[] = {
      SplineVector2f_I::KeyFieldMember<&KeyVector2f::value>(0x01FFF097, "KeyValue"),
      SplineVector2f_I::KeyFieldMember<&KeyVector2f::inTangent>(0x02FFF097, "KeyTangentIn"),
      SplineVector2f_I::KeyFieldMember<&KeyVector2f::outTangent>(0x03FFF097, "KeyTangentOut"),
  };
  DefineMembers(members);
}

// Entered in the engine class table, which defines it in the order list's order.
static const bool kClassEntered = EnterEngineClasses<SplineVector2f_I>();

}  // namespace PM
