#include "geometry/Geometry.h"


namespace PM {

using T = TGeometry_I;

void SGeometry_I::Define() {
  const ClassDef classes[] = {
      AbstractClass<SGeometry_I>(),
      AbstractClass<TGeometry_I>(),
  };
  DefineClasses(classes);
  const MemberDef members[] = {
      FieldMember<&T::m_shader>(0x01FFF061, "Shader", 0x4),
      FieldMember<&T::m_sortCenter>(0x02FFF061, "SortCenter"),
      FieldMember<&T::m_sortIndex>(0x03FFF061, "SortIndex"),
      FieldMember<&T::m_colorMul>(0x04FFF061, "ColorMul"),
      FieldMember<&T::m_colorAdd>(0x05FFF061, "ColorAdd"),
  };
  DefineMembers(members);
}
}  // namespace PM
