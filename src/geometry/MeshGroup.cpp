#include "geometry/MeshGroup.h"

#include "classes/EngineClassRegistry.h"

namespace PM {

using T = TMeshGroup_I;

void SMeshGroup_I::Define() {
  const ClassDef classes[] = {
      ConcreteClass<SMeshGroup_I>(),
      ConcreteClass<TMeshGroup_I>(),
  };
  DefineClasses(classes);
  const MemberDef members[] = {
      FieldMember<&T::m_meshStructure>(0x01FFF0FB, "MeshStructure"),
      FieldMember<&T::m_meshData>(0x02FFF0FB, "MeshData"),
      FieldMember<&T::m_subDivLevel>(0x03FFF0FB, "SubDivLevel"),
      FieldMember<&T::m_replaceMeshes>(0x04FFF0FB, "ReplaceMeshArray"),
      FieldMember<&T::m_sourceStartFaces>(0x05FFF0FB, "SourceStartFaceArray"),
      FieldMember<&T::m_sourceStartEdges>(0x06FFF0FB, "SourceStartEdgeArray"),
      FieldMember<&T::m_targetStartFaces>(0x07FFF0FB, "TargetStartFaceArray"),
      FieldMember<&T::m_targetStartEdges>(0x08FFF0FB, "TargetStartEdgeArray"),
      FieldMember<&T::m_targetStartSubFaces>(0x09FFF0FB, "TargetStartSubFaceArray"),
      FieldMember<&T::m_replaceVertices>(0x0AFFF0FB, "ReplaceVertexArray"),
  };
  DefineMembers(members);
}

// Entered in the engine class table, which defines it in the order list's order.
static const bool kClassEntered = EnterEngineClasses<SMeshGroup_I>();

}  // namespace PM
