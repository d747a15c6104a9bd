#include "scene/IKHandle.h"

#include "classes/EngineClassRegistry.h"
namespace PM {

void TIKHandle_I::SetStartJoint(TJoint_I* j) {
  TJoint_I* old = m_startJoint.Get();
  if (!IsNilObject(old) && old->m_ikDependency.Get() == this) old->SetIKDependency(NilScriptObject());
  m_startJoint = j;
  if (!IsNilObject(j)) j->SetIKDependency(this);
}

void SIKHandle_I::Define() {
  const ClassDef classes[] = {
      ConcreteClass<SIKHandle_I>(),
      ConcreteClass<TIKHandle_I>(),
  };
  DefineClasses(classes);
  using S = SIKHandle_I;
  using T = TIKHandle_I;
  const MemberDef members[] = {
      FieldMember<&S::m_poleVector>(0x01FFF052, "PoleVector"),
      FieldMember<&S::m_twist>(0x02FFF052, "Twist"),
      FieldMember<&S::m_solverEnable>(0x03FFF052, "SolverEnable"),
      FieldMember<&S::m_solverMode>(0x04FFF052, "SolverMode"),
      AccessorMember<&T::GetStartJoint, &T::SetStartJoint>(0x01FFF053, "StartJoint"),
      FieldMember<&T::m_endEffector>(0x02FFF053, "EndEffector"),
  };
  DefineMembers(members);
}

// Entered in the engine class table, which defines it in the order list's order.
static const bool kClassEntered = EnterEngineClasses<SIKHandle_I>();

}  // namespace PM
