// MeshData: the per-point data of a mesh: positions, normals, vertex streams, shaders and skinning.
#pragma once

#include "scene/Joint.h"
#include "scene/VertexData.h"

namespace PM {

class MeshData_I : public EngineClass<MeshData_I, Object_I, ClassId::MeshData, "MeshData"> {
 public:
  static void Define();
  int32_t m_originalVertexCount = 0;
  Array<Vector3f> m_vertices;
  Array<Vector3f> m_normals;
  Array<Obj<VertexData_I>> m_vertexData;
  Array<int32_t> m_similar;
  Array<int32_t> m_faceShaders;
  Array<Obj<ScriptObject>> m_shaders;  // RenderShader objects
  Array<Obj<TJoint_I>> m_joints;
  Matrix4f m_geometryMatrix = kIdentityMatrix4f;
  Array<Matrix4f> m_bindMatrixInverse;
  Array<Obj<ScriptObject>> m_blendControls;  // BlendControl objects
  Array<Obj<ScriptObject>> m_blendTexCoordControls;  // RenderShader objects
};

}  // namespace PM
