#include "geometry/MeshData.h"

#include "classes/EngineClassRegistry.h"
#include "geometry/Geometry.h"
#include "geometry/SkinPolygonGeometry.h"

namespace PM {

using M = MeshData_I;

namespace {

// An array of references as an indexed member: Get past the end reads nil; Set past the end grows it
// with nil; an object that is not of class `Id` is reported and stored as nil; Remove(i, n)
// removes up to n entries from i, n = -1 meaning all from i on.
template <auto Field, uint32_t Id>
struct RefArray {
  template <class E>
  static Array<E>& Ref(ScriptObject* o, Array<E> M::*field) {
    return static_cast<M*>(o)->*field;
  }
  static ScriptObject* GetAt(ScriptObject* o, uint32_t, int32_t i) {
    auto& a = Ref(o, Field);
    return i >= 0 && i < a.Count() ? static_cast<ScriptObject*>(a[i].Get()) : NilScriptObject();
  }
  static void SetAt(ScriptObject* o, uint32_t m, int32_t i, ScriptObject* v) {
    auto& a = Ref(o, Field);
    if (!SetIndexOk(o, m, i, a.Count())) return;
    if (!v) v = NilScriptObject();
    if (!IsNilObject(v) && !v->IsA(Id)) {
      ScriptObject::ExpectFailed(v, Id);
      v = NilScriptObject();
    }
    if (i >= a.Count()) a.Grow(i + 1);
    using E = std::remove_cvref_t<decltype(a[0])>;
    a[i] = E(static_cast<typename PointeeOf<E>::Type*>(v));
  }
  static int32_t Size(ScriptObject* o, uint32_t) { return Ref(o, Field).Count(); }
  static void Remove(ScriptObject* o, uint32_t, int32_t start, int32_t count) { Ref(o, Field).Remove(start, count); }
  static MemberDef Member(uint32_t id, const char* name) {
    return CallbackIndexedMember<VObject>(id, name, &GetAt, &SetAt, &Size, &Remove);
  }
};

}  // namespace

void MeshData_I::Define() {
  const ClassDef classes[] = {
      ConcreteClass<MeshData_I>(),
  };
  DefineClasses(classes);
  const MemberDef members[] = {
      FieldMember<&M::m_originalVertexCount>(0x01FFF0F9, "OriginalVertexCount"),
      FieldMember<&M::m_vertices>(0x02FFF0F9, "VertexArray"),
      FieldMember<&M::m_normals>(0x03FFF0F9, "NormalArray"),
      RefArray<&M::m_vertexData, VertexData_I::kClassId>::Member(0x04FFF0F9, "VertexData"),
      FieldMember<&M::m_similar>(0x05FFF0F9, "SimilarArray"),
      FieldMember<&M::m_faceShaders>(0x06FFF0F9, "FaceShaderArray"),
      RefArray<&M::m_shaders, ClassId::RenderShader>::Member(0x07FFF0F9, "ShaderArray"),
      RefArray<&M::m_joints, TJoint_I::kClassId>::Member(0x08FFF0F9, "JointArray"),
      FieldMember<&M::m_geometryMatrix>(0x09FFF0F9, "GeometryMatrix"),
      IndexedAccessorMember<&M::GetBindMatrixInverseAt, &M::SetBindMatrixInverseAt, &M::GetBindMatrixInverseCount,
                            &M::RemoveBindMatrixInverse>(0x0AFFF0F9, "BindMatrixInverse"),
      RefArray<&M::m_blendControls, ClassId::BlendControl>::Member(0x0BFFF0F9, "BlendControl"),
      RefArray<&M::m_blendTexCoordControls, ClassId::RenderShader>::Member(0x0CFFF0F9, "BlendTexCoordControl"),
  };
  DefineMembers(members);
}

Matrix4f MeshData_I::GetBindMatrixInverseAt(int32_t i) {
  return i >= 0 && i < m_bindMatrixInverse.Count() ? m_bindMatrixInverse[i] : kIdentityMatrix4f;
}

void MeshData_I::SetBindMatrixInverseAt(int32_t i, const Matrix4f& m) {
  if (!SetIndexOk(this, 0x0AFFF0F9, i, m_bindMatrixInverse.Count())) return;
  if (i >= m_bindMatrixInverse.Count()) m_bindMatrixInverse.SetCountFill(i + 1, kIdentityMatrix4f);
  m_bindMatrixInverse[i] = m;
}

bool MeshData_I::NeedsSkin() const {
  if (!m_joints.IsEmpty()) return true;
  for (const Obj<VertexData_I>& v : m_vertexData)
    if (!v.IsNil() && (v->m_usage >> 16) == SSkinPolygonGeometry_I::kUsagePositionDelta) return true;
  return false;
}

String ShaderName(ScriptObject* shader) {
  if (!shader || IsNilObject(shader) || !shader->IsA(Object_I::kClassId)) return String();
  return static_cast<Object_I*>(shader)->m_name;
}

// Entered in the engine class table, which defines it in the order list's order.
static const bool kClassEntered = EnterEngineClasses<MeshData_I>();

}  // namespace PM
