#include "geometry/SkinPolygonGeometry.h"

namespace PM {

using S = SSkinPolygonGeometry_I;

void SSkinPolygonGeometry_I::Define() {
  const ClassDef classes[] = {
      ConcreteClass<SSkinPolygonGeometry_I>(),
      ConcreteClass<TSkinPolygonGeometry_I>(),
  };
  DefineClasses(classes);
  const MemberDef members[] = {
      FieldMember<&S::m_geometryMatrix>(0x01FFF078, "GeometryMatrix"),
      IndexedFieldMember<&S::m_bindMatrixInverse>(0x02FFF078, "BindMatrixInverse"),
      ClassArrayFieldMember<&S::m_blendControls, ClassId::BlendControl>(0x03FFF078, "BlendControl"),
      ClassArrayFieldMember<&S::m_blendTexCoordControls, ClassId::BlendControl>(0x04FFF078, "BlendTexCoordControl"),
      FieldMember<&S::m_cullThreshold>(0x05FFF078, "CullThreshold"),
      FieldMember<&S::m_cullStatic>(0x06FFF078, "CullStatic"),
      WeakArrayFieldMember<&TSkinPolygonGeometry_I::m_joints>(0x01FFF079, "Joint"),
  };
  DefineMembers(members);
}
}  // namespace PM
