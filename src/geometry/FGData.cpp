#include "geometry/FGData.h"

#include "classes/EngineClassRegistry.h"

namespace PM {

using F = FGData_I;

void FGData_I::Define() {
  const ClassDef classes[] = {
      ConcreteClass<FGData_I>(),
  };
  DefineClasses(classes);
  const MemberDef members[] = {
      FieldMember<&F::m_egmKey>(0x01FFF0EF, "EGMKey"), FieldMember<&F::m_egtKey>(0x02FFF0EF, "EGTKey"),
      FieldMember<&F::m_gs>(0x03FFF0EF, "GsArray"),    FieldMember<&F::m_ga>(0x04FFF0EF, "GaArray"),
      FieldMember<&F::m_ts>(0x05FFF0EF, "TsArray"),
  };
  DefineMembers(members);
}

// Entered in the engine class table, which defines it in the order list's order.
static const bool kClassEntered = EnterEngineClasses<FGData_I>();

}  // namespace PM
