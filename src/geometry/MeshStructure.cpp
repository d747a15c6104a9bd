#include "geometry/MeshStructure.h"


namespace PM {

using M = MeshStructure_I;

void MeshStructure_I::Define() {
  const ClassDef classes[] = {
      ConcreteClass<MeshStructure_I>(),
  };
  DefineClasses(classes);
  const MemberDef members[] = {
      FieldMember<&M::m_numPoints>(0x01FFF0F8, "NumPoints"),
      FieldMember<&M::m_edgePoints>(0x02FFF0F8, "EdgePointArray"),
      FieldMember<&M::m_faceLengths>(0x03FFF0F8, "FaceLengthArray"),
      FieldMember<&M::m_faceEdges>(0x04FFF0F8, "FaceEdgeArray"),
      FieldMember<&M::m_faceAttrs>(0x05FFF0F8, "FaceAttrArray"),
  };
  DefineMembers(members);
}
}  // namespace PM
