#include "geometry/PolygonGeometry.h"


namespace PM {

using S = SPolygonGeometry_I;

void SPolygonGeometry_I::Define() {
  const ClassDef classes[] = {
      ConcreteClass<SPolygonGeometry_I>(),
      ConcreteClass<TPolygonGeometry_I>(),
  };
  DefineClasses(classes);
  const MemberDef members[] = {
      FieldMember<&S::m_primType, VEnum>(0x01FFF076, "PrimType"),
      FieldMember<&S::m_primCount>(0x02FFF076, "PrimCount"),
      FieldMember<&S::m_primLengths>(0x03FFF076, "PrimLengthArray"),
      FieldMember<&S::m_indices>(0x04FFF076, "IndexArray"),
      FieldMember<&S::m_vertexData>(0x05FFF076, "VertexData"),
      FieldMember<&S::m_vertices>(0x06FFF076, "VertexArray"),
      FieldMember<&S::m_normals>(0x07FFF076, "NormalArray"),
      ReadOnly(FieldMember<&S::m_triangleCount>(0x08FFF076, "TriangleCount", 0x5)),
  };
  DefineMembers(members);
}
}  // namespace PM
