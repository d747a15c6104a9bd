#include "SkeletonSticks.h"

#include <cmath>
#include <unordered_map>
#include <unordered_set>
#include <vector>

#include <pelmora/core/Matrix4f.h>
#include <pelmora/geometry/SkinPolygonGeometry.h>
#include <pelmora/render/RenderMaterial.h>
#include <pelmora/render/RenderShader.h>
#include <pelmora/render/ShaderPhong.h>
#include <pelmora/scene/ImportModule.h>
#include <pelmora/scene/Joint.h>
#include <pelmora/scene/VertexData.h>
#include <pelmora/scene/VertexDataUsage.h>

namespace PMHost {

using namespace PM;

namespace {

// Bright on the view's dark background, unlit: the same from every side; the joints apart from the bones.
constexpr Vector4f kStickColor{0.95f, 0.75f, 0.2f, 1.0f}, kMarkerColor{0.8f, 0.8f, 0.8f, 1.0f};
// The joints of one geometry at most: a skin has a weight stream as long as its vertices for each joint,
// so one geometry for a whole skeleton would grow with the square of its joints.
constexpr int32_t kJointsAGeometry = 64;
// A skeleton's joints branch a few ways (a hand into five fingers); a motion-capture marker set (CSM)
// hangs tens of markers from one node, and sticks from it to each would draw a fan, not a figure.
constexpr size_t kMostBranches = 8;
// Drawn after the model's own layer, the markers' layer before the sticks': the order is the layers', the
// same on every engine (within a layer the engine orders by shader), and a stick is never under a marker.
constexpr int32_t kMarkerLayer = 17, kStickLayer = 18;

template <class T>
Obj<T> Make() {
  return Obj<T>(static_cast<T*>(T::Create()));
}

Vector3f Position(const TJoint_I* joint) {
  const Matrix4f& m = joint->m_modelViewMatrix;
  return {m.m[12], m.m[13], m.m[14]};
}

// Triangles whose every vertex one joint carries, drawn unlit in one colour over whatever is drawn
// before them, made into skinned geometries of at most kJointsAGeometry joints each.
class Shapes {
 public:
  Shapes(const Vector4f& color, int32_t layer, ScriptObject* parent)
      : m_color(color), m_layer(layer), m_parent(parent) {}
  ~Shapes() { Flush(); }

  // Room for `joints` more joints in the geometry being filled: else it is made and a new one begun.
  void Reserve(int32_t joints) {
    if (m_joints.Count() + joints > kJointsAGeometry) Flush();
  }
  int32_t Add(const Vector3f& v, TJoint_I* joint) {
    auto [at, added] = m_local.emplace(joint, m_joints.Count());
    if (added) m_joints.Append(WeakObj<TJoint_I>(joint));
    m_jointOf.push_back(at->second);
    m_vertices.Append(v);
    return m_vertices.Count() - 1;
  }
  void Triangle(int32_t a, int32_t b, int32_t c) {
    for (int32_t i : {a, b, c}) m_indices.Append(i);
  }

 private:
  void Flush();

  Vector4f m_color;
  int32_t m_layer;
  ScriptObject* m_parent;
  Array<WeakObj<TJoint_I>> m_joints;
  std::unordered_map<const TJoint_I*, int32_t> m_local;
  Array<Vector3f> m_vertices;
  Array<int32_t> m_indices;
  std::vector<int32_t> m_jointOf;
};

void Shapes::Flush() {
  if (m_indices.IsEmpty()) return;
  Obj<SSkinPolygonGeometry_I> s = Make<SSkinPolygonGeometry_I>();
  s->SetPrimType(PrimitiveType::kTriangle);
  s->SetPrimCount(m_indices.Count() / 3);
  const int32_t n = m_vertices.Count();
  s->TakeIndexArray(std::move(m_indices));
  s->TakeVertexArray(std::move(m_vertices));
  // A weight stream a joint (its vertices at 1) and the inverse of where the joint stands now.
  std::vector<Obj<VertexDataF32_I>> weights;
  for (int32_t j = 0; j < m_joints.Count(); ++j) {
    Obj<VertexDataF32_I> w = Make<VertexDataF32_I>();
    w->m_usage = VertexUsageWord(kVertexUsageJointWeights, uint32_t(j));
    w->m_data.SetCount(n);  // zeros
    s->SetVertexDataAt(j, w);
    weights.push_back(w);
    Matrix4f inverse = kIdentityMatrix4f;
    inverse.SetInverseAffine(m_joints[j]->m_modelViewMatrix);
    s->SetBindMatrixInverseAt(j, inverse);
  }
  for (int32_t v = 0; v < n; ++v) weights[size_t(m_jointOf[size_t(v)])]->m_data[v] = 1;
  Obj<RenderMaterial_I> material = Make<RenderMaterial_I>();
  material->m_diffuseColor = {m_color.x, m_color.y, m_color.z};
  Obj<ShaderPhong_I> phong = Make<ShaderPhong_I>();
  phong->m_material = material;
  Obj<RenderShader_I> shader = Make<RenderShader_I>();
  shader->m_surface = phong.Get();
  shader->m_lightEnable = false;
  shader->m_cullEnable = false;
  shader->m_depthTestEnable = false;  // over the stand-in mesh, whose pyramids are wider than a stick
  shader->m_multiDrawLayer = m_layer;
  Obj<TSkinPolygonGeometry_I> t = Make<TSkinPolygonGeometry_I>();
  t->m_joints = std::move(m_joints);
  t->SetSNode(s);
  t->SetShader(shader);
  t->m_colorMul = m_color;  // unlit, the engines draw white times the node's colour factor
  t->SetParent(m_parent);
  m_joints = {};
  m_local.clear();
  m_vertices = {};
  m_indices = {};
  m_jointOf.clear();
}

}  // namespace

int32_t AddSkeletonSticks(ScriptObject* root, ScriptObject* parent, float width) {
  if (!(width > 0) || !std::isfinite(width)) return 0;
  Array<Obj<ScriptObject>> nodes;
  CollectSubtree(root, nodes);
  std::unordered_set<const ScriptObject*> joints;
  for (const Obj<ScriptObject>& node : nodes)
    if (node->IsA(TJoint_I::kClassId)) joints.insert(node.Get());
  std::unordered_map<const ScriptObject*, size_t> branches;
  for (const Obj<ScriptObject>& node : nodes) {
    if (!joints.count(node.Get())) continue;
    const ScriptObject* up = static_cast<const TJoint_I*>(node.Get())->GetParent();
    if (joints.count(up) && ++branches[up] > kMostBranches) return 0;
  }
  // A marker wider than a stick's diagonal, so it shows round the sticks drawn over it.
  const float half = width * 0.5f, r = width * 0.8f;
  int32_t count = 0;
  {
    Shapes markers(kMarkerColor, kMarkerLayer, parent), sticks(kStickColor, kStickLayer, parent);
    std::unordered_set<const TJoint_I*> marked;
    // A marker: an octahedron round the joint.
    auto mark = [&](TJoint_I* joint, const Vector3f& at) {
      if (!marked.insert(joint).second) return;
      markers.Reserve(1);
      int32_t v[6];
      const Vector3f d[6] = {{r, 0, 0}, {-r, 0, 0}, {0, r, 0}, {0, -r, 0}, {0, 0, r}, {0, 0, -r}};
      for (int k = 0; k < 6; ++k) v[k] = markers.Add(at + d[k], joint);
      for (int32_t x : {0, 1})
        for (int32_t y : {2, 3})
          for (int32_t z : {4, 5}) markers.Triangle(v[x], v[y], v[z]);
    };
    for (const Obj<ScriptObject>& node : nodes) {
      if (!joints.count(node.Get())) continue;
      auto* joint = static_cast<TJoint_I*>(node.Get());
      ScriptObject* up = joint->GetParent();
      if (!joints.count(up)) continue;
      auto* from = static_cast<TJoint_I*>(up);
      const Vector3f a = Position(from), b = Position(joint), along = b - a;
      const float length = along.Length();
      if (!(length > 0) || !std::isfinite(length)) continue;
      // A square prism, each end's four corners on that end's joint: it stretches and turns with the bone.
      const Vector3f axis = along * (1 / length);
      Vector3f side = Cross(axis, Vector3f{1, 0, 0});
      if (side.Length() < 0.5f) side = Cross(axis, Vector3f{0, 1, 0});
      side = side * (1 / side.Length());
      const Vector3f other = Cross(axis, side);
      const Vector3f corners[4] = {side * half, other * half, side * -half, other * -half};
      sticks.Reserve(2);
      int32_t v[8];
      for (int k = 0; k < 4; ++k) v[k] = sticks.Add(a + corners[k], from);
      for (int k = 0; k < 4; ++k) v[4 + k] = sticks.Add(b + corners[k], joint);
      for (int k = 0; k < 4; ++k) {
        const int q = (k + 1) % 4;
        sticks.Triangle(v[k], v[q], v[4 + q]);
        sticks.Triangle(v[k], v[4 + q], v[4 + k]);
      }
      mark(from, a);
      mark(joint, b);
      ++count;
    }
  }  // the last geometries made
  return count;
}

}  // namespace PMHost
