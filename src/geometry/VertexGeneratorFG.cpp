#include "geometry/VertexGeneratorFG.h"


namespace PM {

using G = VertexGeneratorFG_I;

void VertexGeneratorFG_I::Define() {
  const ClassDef classes[] = {
      ConcreteClass<VertexGeneratorFG_I>(),
  };
  DefineClasses(classes);
  const MemberDef members[] = {
      FieldMember<&G::m_meshFile>(0x01FFF0FF, "MeshFileObject"),
      FieldMember<&G::m_matchFile>(0x02FFF0FF, "MatchFileObject"),
      FieldMember<&G::m_dataFile>(0x03FFF0FF, "DataFileObject"),
      FieldMember<&G::m_controlFile>(0x04FFF0FF, "ControlFileObject"),
      FieldMember<&G::m_symmetricControl>(0x05FFF0FF, "SymmetricControl"),
      FieldMember<&G::m_asymmetricControl>(0x06FFF0FF, "AsymmetricControl"),
      FieldMember<&G::m_useOriginalVertices>(0x07FFF0FF, "UseOriginalVertices"),
      IndexedFieldMember<&G::m_age>(0x08FFF0FF, "Age"),
      IndexedFieldMember<&G::m_gender>(0x09FFF0FF, "Gender"),
      IndexedFieldMember<&G::m_caricature>(0x0AFFF0FF, "Caricature"),
      IndexedFieldMember<&G::m_race>(0x0BFFF0FF, "Race"),
      IndexedFieldMember<&G::m_shape>(0x0CFFF0FF, "Shape"),
  };
  DefineMembers(members);
}
}  // namespace PM
