#include "geometry/MeshData.h"

namespace PM {

using M = MeshData_I;

void MeshData_I::Define() {
  const ClassDef classes[] = {
      ConcreteClass<MeshData_I>(),
  };
  DefineClasses(classes);
  const MemberDef members[] = {
      FieldMember<&M::m_originalVertexCount>(0x01FFF0F9, "OriginalVertexCount"),
      FieldMember<&M::m_vertices>(0x02FFF0F9, "VertexArray"),
      FieldMember<&M::m_normals>(0x03FFF0F9, "NormalArray"),
      FieldMember<&M::m_vertexData>(0x04FFF0F9, "VertexData"),
      FieldMember<&M::m_similar>(0x05FFF0F9, "SimilarArray"),
      FieldMember<&M::m_faceShaders>(0x06FFF0F9, "FaceShaderArray"),
      ClassArrayFieldMember<&M::m_shaders, ClassId::RenderShader>(0x07FFF0F9, "ShaderArray"),
      FieldMember<&M::m_joints>(0x08FFF0F9, "JointArray"),
      FieldMember<&M::m_geometryMatrix>(0x09FFF0F9, "GeometryMatrix"),
      IndexedFieldMember<&M::m_bindMatrixInverse>(0x0AFFF0F9, "BindMatrixInverse"),
      ClassArrayFieldMember<&M::m_blendControls, ClassId::BlendControl>(0x0BFFF0F9, "BlendControl"),
      ClassArrayFieldMember<&M::m_blendTexCoordControls, ClassId::RenderShader>(0x0CFFF0F9, "BlendTexCoordControl"),
  };
  DefineMembers(members);
}
}  // namespace PM
