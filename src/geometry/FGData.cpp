#include "geometry/FGData.h"

#include "classes/EngineClassRegistry.h"

namespace PM {

using F = FGData_I;

static void DefineFGDataClasses() {
  const ClassDef classes[] = {
      ConcreteClass<FGData_I>(Object_I::kClassId, "FGData"),
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

static const bool kEntry = AddEngineClassEntry(0x0EF, &DefineFGDataClasses);

}  // namespace PM
