// Scene nodes made from mesh data: a mesh group over a structure, and plain geometry nodes per shader.
#include "core/Log.h"
#include "geometry/MeshData.h"
#include "geometry/MeshGroup.h"
#include "geometry/SkinPolygonGeometry.h"

namespace PM {

Obj<TMeshGroup_I> MeshData_I::AssignToSkinGeometry(MeshStructure_I* structure, MeshData_I* data, const String& name,
                                                   int32_t level) {
  LogDebug("MeshData::AssignToSkinGeometry ", name, ".");
  Obj<TMeshGroup_I> group(static_cast<TMeshGroup_I*>(ScriptObject::Create(TMeshGroup_I::kClassId)));
  if (group.IsNil()) return group;
  SetNodeName(group.Get(), name);
  group->m_meshStructure = structure;
  group->m_meshData = data;
  group->m_subDivLevel = level;
  return group;
}

void MeshData_I::CreateGeometryNodes(MeshData_I* data, TBranch_I* parent, const String& name) {
  if (!data || IsNilObject(data) || !parent || IsNilObject(parent)) {
    LogError("MeshData::CreateGeometryNodes: no mesh data or no parent for \"", name, "\".");
    return;
  }
  Obj<TBranch_I> keep(parent);
  for (int32_t i = parent->ChildCount() - 1; i >= 0; --i) {
    ScriptObject* child = parent->GetChild(i);
    if (!IsNilObject(child)) static_cast<TNode_I*>(child)->SetParent(nullptr);
  }
  const bool skinned = data->NeedsSkin();
  const Array<Obj<ScriptObject>> shaders = data->m_shaders;  // the loop below runs scripts' setters
  for (const Obj<ScriptObject>& shader : shaders) {
    const uint32_t cls = skinned ? TSkinPolygonGeometry_I::kClassId : TPolygonGeometry_I::kClassId;
    Obj<TPolygonGeometry_I> node(static_cast<TPolygonGeometry_I*>(ScriptObject::Create(cls)));
    if (node.IsNil()) continue;
    if (skinned) static_cast<SSkinPolygonGeometry_I*>(node->GetSNode())->m_cullStatic = true;
    String nodeName = name;
    nodeName.Append("__", 2);
    const String shaderName = ShaderName(shader.Get());
    nodeName.Append(shaderName.CStr(), shaderName.Length());
    SetNodeName(node.Get(), nodeName);
    node->SetShader(shader.Get());
    node->SetParent(parent);
  }
}

}  // namespace PM
