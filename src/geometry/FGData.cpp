#include "geometry/FGData.h"


namespace PM {

using F = FGData_I;

void FGData_I::Define() {
  const ClassDef classes[] = {
      ConcreteClass<FGData_I>(),
  };
  DefineClasses(classes);
  const MemberDef members[] = {
      FieldMember<&F::m_egmKey>(0x01FFF0EF, "EGMKey"),
      FieldMember<&F::m_egtKey>(0x02FFF0EF, "EGTKey"),
      FieldMember<&F::m_gs>(0x03FFF0EF, "GsArray"),
      FieldMember<&F::m_ga>(0x04FFF0EF, "GaArray"),
      FieldMember<&F::m_ts>(0x05FFF0EF, "TsArray"),
  };
  DefineMembers(members);
}
}  // namespace PM
