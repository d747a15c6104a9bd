#include "geometry/SkinPolygonGeometry.h"

#include "classes/EngineClassRegistry.h"
#include "scene/NodeWalk.h"

namespace PM {

using S = SSkinPolygonGeometry_I;

namespace {

constexpr uint32_t kMemberBindMatrixInverse = 0x02FFF078;

// The joints of a skin: weak references to TJoint objects. Reading past the end gives nil quietly, as
// the skin's draw reads fewer joints than it has weight streams.
struct JointArray {
  static Array<WeakObj<TJoint_I>>& Ref(ScriptObject* o) { return static_cast<TSkinPolygonGeometry_I*>(o)->m_joints; }
  static ScriptObject* GetAt(ScriptObject* o, uint32_t, int32_t i) {
    const Array<WeakObj<TJoint_I>>& a = Ref(o);
    return i >= 0 && i < a.Count() ? a[i].Get() : NilScriptObject();
  }
  static void SetAt(ScriptObject* o, uint32_t m, int32_t i, ScriptObject* v) {
    Array<WeakObj<TJoint_I>>& a = Ref(o);
    if (!SetIndexOk(o, m, i, a.Count())) return;
    TJoint_I* joint = CheckedObject<TJoint_I>(v);
    if (i >= a.Count()) a.Grow(i + 1);
    a[i] = joint;
  }
  static int32_t Size(ScriptObject* o, uint32_t) { return Ref(o).Count(); }
  static void Remove(ScriptObject* o, uint32_t, int32_t start, int32_t count) { Ref(o).Remove(start, count); }
};

}  // namespace

void SSkinPolygonGeometry_I::Define() {
  const ClassDef classes[] = {
      ConcreteClass<SSkinPolygonGeometry_I>(),
      ConcreteClass<TSkinPolygonGeometry_I>(),
  };
  DefineClasses(classes);
  const MemberDef members[] = {
      AccessorMember<&S::GetGeometryMatrix, &S::SetGeometryMatrix>(0x01FFF078, "GeometryMatrix"),
      IndexedAccessorMember<&S::GetBindMatrixInverseAt, &S::SetBindMatrixInverseAt, &S::GetBindMatrixInverseCount,
                            &S::RemoveBindMatrixInverse>(kMemberBindMatrixInverse, "BindMatrixInverse"),
      ClassArrayFieldMember<&S::m_blendControls, ClassId::BlendControl>(0x03FFF078, "BlendControl"),
      ClassArrayFieldMember<&S::m_blendTexCoordControls, ClassId::BlendControl>(0x04FFF078, "BlendTexCoordControl"),
      FieldMember<&S::m_cullThreshold>(0x05FFF078, "CullThreshold"),
      FieldMember<&S::m_cullStatic>(0x06FFF078, "CullStatic"),
      CallbackIndexedMember<VObject>(0x01FFF079, "Joint", &JointArray::GetAt, &JointArray::SetAt, &JointArray::Size,
                                     &JointArray::Remove),
  };
  DefineMembers(members);
}

void SSkinPolygonGeometry_I::SetGeometryMatrix(const Matrix4f& m) {
  m_geometryMatrix = m;
  for (int32_t j = m_skinMatrices.Count() - 1; j >= 0; --j)
    m_skinMatrices[j].SetProduct(m_geometryMatrix, m_bindMatrixInverse[j]);
}

Matrix4f SSkinPolygonGeometry_I::GetBindMatrixInverseAt(int32_t j) {
  if (j < 0 || j >= m_bindMatrixInverse.Count()) {
    ReportBadIndex("Get", this, kMemberBindMatrixInverse, j, m_bindMatrixInverse.Count());
    return kIdentityMatrix4f;
  }
  return m_bindMatrixInverse[j];
}

void SSkinPolygonGeometry_I::SetBindMatrixInverseAt(int32_t j, const Matrix4f& m) {
  if (!SetIndexOk(this, kMemberBindMatrixInverse, j, m_bindMatrixInverse.Count())) return;
  m_bindMatrixInverse.SetCountFill(j + 1, kIdentityMatrix4f);
  m_skinMatrices.SetCountFill(j + 1, m_geometryMatrix);
  m_bindMatrixInverse[j] = m;
  m_skinMatrices[j].SetProduct(m_geometryMatrix, m);
}

void SSkinPolygonGeometry_I::RemoveBindMatrixInverse(int32_t start, int32_t count) {
  m_bindMatrixInverse.Remove(start, count);
  m_skinMatrices.Remove(start, count);
}

int32_t SSkinPolygonGeometry_I::IntersectRay(TriangleQuery* query) {
  if (m_deformedPositions.IsEmpty()) return 0;
  return WalkTriangles(query, m_deformedPositions.Data(), m_deformedPositions.Count(), m_deformedNormals.Data());
}

void SSkinPolygonGeometry_I::ComputeBoundingSphere(Spheref* out) {
  out->center = {0, 0, 0};
  out->radius = 1e16f;
}

void SSkinPolygonGeometry_I::BuildRenderData() {
  SPolygonGeometry_I::BuildRenderData();
  m_listVertexCount = -1;
}

SSkinPolygonGeometry_I* TSkinPolygonGeometry_I::Skin() { return As<SSkinPolygonGeometry_I>(GetSNode()); }

int32_t TSkinPolygonGeometry_I::DrawFromSNode(RenderEngine* engine, int32_t frameStamp) {
  SSkinPolygonGeometry_I* s = Skin();
  if (!s) return TPolygonGeometry_I::DrawFromSNode(engine, frameStamp);
  if (!s->DrawSkinned(engine, m_joints, &m_colorMul)) return 0;
  m_updateStamp = frameStamp;
  return 1;
}

void TSkinPolygonGeometry_I::GetDynamicSphere(Spheref* out) {
  if (SSkinPolygonGeometry_I* s = Skin())
    s->GetDynamicSphere(m_joints, out);
  else
    *out = kEmptySpheref;
}

void TSkinPolygonGeometry_I::GetDeformedPositions(Array<Vector3f>* out) {
  if (SSkinPolygonGeometry_I* s = Skin())
    s->GetDeformedPositions(out);
  else
    *out = Array<Vector3f>();
}

// Entered in the engine class table, which defines it in the order list's order.
static const bool kClassEntered = EnterEngineClasses<SSkinPolygonGeometry_I>();

}  // namespace PM
