#include "scene/SplineCurve.h"

#include "classes/EngineClassRegistry.h"

namespace PM {

static void DefineSplineCurveClasses() {
  const ClassDef classes[] = {
      ConcreteClass<SSplineCurve_I>(SLeaf_I::kClassId, "SSplineCurve"),
      ConcreteClass<TSplineCurve_I>(TLeaf_I::kClassId, "TSplineCurve"),
  };
  DefineClasses(classes);
  const MemberDef members[] = {
      FieldMember<&SSplineCurve_I::m_knots>(0x01FFF0F2, "KnotArray"),
      FieldMember<&SSplineCurve_I::m_cvs>(0x02FFF0F2, "CVArray"),
  };
  DefineMembers(members);
}

static const bool kEntry = AddEngineClassEntry(0x0F2, &DefineSplineCurveClasses);

}  // namespace PM
