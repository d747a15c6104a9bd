#include "geometry/MeshStructure.h"

#include "classes/EngineClassRegistry.h"

namespace PM {

using M = MeshStructure_I;

static void DefineMeshStructureClasses() {
  const ClassDef classes[] = {
      ConcreteClass<MeshStructure_I>(Object_I::kClassId, "MeshStructure"),
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

static const bool kEntry = AddEngineClassEntry(0x0F8, &DefineMeshStructureClasses);

}  // namespace PM
