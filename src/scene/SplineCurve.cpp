#include "scene/SplineCurve.h"


namespace PM {

void SSplineCurve_I::Define() {
  const ClassDef classes[] = {
      ConcreteClass<SSplineCurve_I>(),
      ConcreteClass<TSplineCurve_I>(),
  };
  DefineClasses(classes);
  const MemberDef members[] = {
      FieldMember<&SSplineCurve_I::m_knots>(0x01FFF0F2, "KnotArray"),
      FieldMember<&SSplineCurve_I::m_cvs>(0x02FFF0F2, "CVArray"),
  };
  DefineMembers(members);
}
}  // namespace PM
