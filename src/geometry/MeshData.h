// MeshData: the per-point data of a mesh: positions, normals, vertex streams, shaders and skinning,
// and the helpers that make scene nodes from it.
#pragma once

#include "scene/Branch.h"
#include "scene/Joint.h"
#include "scene/VertexData.h"

namespace PM {

class MeshStructure_I;
class TMeshGroup_I;

// The member fields of mesh data as one record, as the mesh group reads them.
struct MeshDataFields {
  const int32_t& originalVertexCount;
  const Array<Vector3f>& vertices;
  const Array<Vector3f>& normals;
  const Array<Obj<VertexData_I>>& vertexData;
  const Array<int32_t>& similar;
  const Array<int32_t>& faceShaders;
  const Array<Obj<ScriptObject>>& shaders;
  const Array<Obj<TJoint_I>>& joints;
  const Matrix4f& geometryMatrix;
  const Array<Matrix4f>& bindMatrixInverse;
  const Array<Obj<ScriptObject>>& blendControls;
  const Array<Obj<ScriptObject>>& blendTexCoordControls;
};

class MeshData_I : public EngineClass<MeshData_I, Object_I, ClassId::MeshData, "MeshData"> {
 public:
  static void Define();
  virtual void ReservedSlot0() {}
  virtual MeshDataFields GetFields() const {
    return {m_originalVertexCount,
            m_vertices,
            m_normals,
            m_vertexData,
            m_similar,
            m_faceShaders,
            m_shaders,
            m_joints,
            m_geometryMatrix,
            m_bindMatrixInverse,
            m_blendControls,
            m_blendTexCoordControls};
  }

  // BindMatrixInverse: reading past the end gives the identity; writing past it grows the array with
  // identities.
  Matrix4f GetBindMatrixInverseAt(int32_t i);
  void SetBindMatrixInverseAt(int32_t i, const Matrix4f& m);
  int32_t GetBindMatrixInverseCount() { return m_bindMatrixInverse.Count(); }
  void RemoveBindMatrixInverse(int32_t start, int32_t count) { m_bindMatrixInverse.Remove(start, count); }

  // True when the data needs skinned geometry: joints, or a morph (usage kind 10) channel.
  bool NeedsSkin() const;

  // A new mesh group named `name` over the structure and this data, at the given level; counted.
  static Obj<TMeshGroup_I> AssignToSkinGeometry(MeshStructure_I* structure, MeshData_I* data, const String& name,
                                                int32_t level);
  // Detaches every child of `parent`, then hangs one polygon-geometry node per shader below it.
  static void CreateGeometryNodes(MeshData_I* data, TBranch_I* parent, const String& name);

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
  Array<Obj<ScriptObject>> m_blendControls;          // BlendControl objects
  Array<Obj<ScriptObject>> m_blendTexCoordControls;  // RenderShader objects
};

// The name of a shader (its Name), empty for nil or an object without one.
String ShaderName(ScriptObject* shader);

}  // namespace PM
