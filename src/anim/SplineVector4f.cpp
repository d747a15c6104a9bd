#include "anim/SplineVector4f.h"

#include "anim/SplineAssembly.h"
#include "classes/EngineClassRegistry.h"

namespace PM {

bool SplineVector4f_I::SetFromScalarSplines(SplineScalarf_I* x, SplineScalarf_I* y, SplineScalarf_I* z,
                                            SplineScalarf_I* w) {
  SplineScalarf_I* const parts[] = {x, y, z, w};
  const bool ok = AssembleFromScalarSplines(m_keys, "SplineVector4f", parts);
  Touch();
  return ok;
}

namespace {}  // namespace

void SplineVector4f_I::Define() {
  const ClassDef classes[] = {ConcreteClass<SplineVector4f_I>()};
  DefineClasses(classes);
  const MemberDef members[] = {
      SplineVector4f_I::KeyFieldMember<&KeyVector4f::value>(0x01FFF099, "KeyValue"),
      SplineVector4f_I::KeyFieldMember<&KeyVector4f::inTangent>(0x02FFF099, "KeyTangentIn"),
      SplineVector4f_I::KeyFieldMember<&KeyVector4f::outTangent>(0x03FFF099, "KeyTangentOut"),
  };
  DefineMembers(members);
}

// Entered in the engine class table, which defines it in the order list's order.
static const bool kClassEntered = EnterEngineClasses<SplineVector4f_I>();

}  // namespace PM
