#include "SkeletonSticks.h"

#include <unordered_map>
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
constexpr Vector4f kStickColor{0.95f, 0.75f, 0.2f, 1.0f}, kMarkerColor{0.85f, 0.85f, 0.85f, 1.0f};

template <class T>
Obj<T> Make() {
  return Obj<T>(static_cast<T*>(T::Create()));
}

Vector3f Position(const TJoint_I* joint) {
  const Matrix4f& m = joint->m_modelViewMatrix;
  return {m.m[12], m.m[13], m.m[14]};
}

Vector3f Unit(const Vector3f& v) {
  const float n = v.Length();
  return n > 0 ? v * (1 / n) : Vector3f{0, 0, 0};
}

// Triangles whose every vertex one joint carries.
struct Shape {
  Array<Vector3f> vertices;
  Array<int32_t> indices;
  std::vector<int32_t> jointOf;
  void Add(const Vector3f& v, int32_t joint) {
    vertices.Append(v);
    jointOf.push_back(joint);
  }
};

// A skinned geometry of `shape` over `joints`, bound in the pose they hold now, drawn unlit in `color`
// over whatever is drawn before it.
void AddSkin(Shape& shape, const Array<WeakObj<TJoint_I>>& joints, const Vector4f& color, ScriptObject* parent) {
  Obj<SSkinPolygonGeometry_I> s = Make<SSkinPolygonGeometry_I>();
  s->SetPrimType(PrimitiveType::kTriangle);
  s->SetPrimCount(shape.indices.Count() / 3);
  const int32_t n = shape.vertices.Count();
  s->TakeIndexArray(std::move(shape.indices));
  s->TakeVertexArray(std::move(shape.vertices));
  // A weight stream a joint (its vertices at 1) and the inverse of where the joint stands now.
  for (int32_t j = 0; j < joints.Count(); ++j) {
    Obj<VertexDataF32_I> w = Make<VertexDataF32_I>();
    w->m_usage = VertexUsageWord(kVertexUsageJointWeights, uint32_t(j));
    w->m_data.SetCount(n);  // zeros
    for (int32_t v = 0; v < n; ++v)
      if (shape.jointOf[size_t(v)] == j) w->m_data[v] = 1;
    s->SetVertexDataAt(j, w);
    Matrix4f inverse = kIdentityMatrix4f;
    inverse.SetInverseAffine(joints[j]->m_modelViewMatrix);
    s->SetBindMatrixInverseAt(j, inverse);
  }
  Obj<RenderMaterial_I> material = Make<RenderMaterial_I>();
  material->m_diffuseColor = {color.x, color.y, color.z};
  Obj<ShaderPhong_I> phong = Make<ShaderPhong_I>();
  phong->m_material = material;
  Obj<RenderShader_I> shader = Make<RenderShader_I>();
  shader->m_surface = phong.Get();
  shader->m_lightEnable = false;
  shader->m_cullEnable = false;
  shader->m_depthTestEnable = false;  // over the stand-in mesh, whose pyramids are wider than a stick
  Obj<TSkinPolygonGeometry_I> t = Make<TSkinPolygonGeometry_I>();
  t->m_joints = joints;
  t->SetSNode(s);
  t->SetShader(shader);
  t->m_colorMul = color;  // unlit, the engines draw white times the node's colour factor
  t->SetParent(parent);
}

}  // namespace

int32_t AddSkeletonSticks(ScriptObject* root, ScriptObject* parent, float width) {
  Array<Obj<ScriptObject>> nodes;
  CollectSubtree(root, nodes);
  Array<WeakObj<TJoint_I>> joints;
  std::unordered_map<const ScriptObject*, int32_t> index;
  for (const Obj<ScriptObject>& node : nodes)
    if (node->IsA(TJoint_I::kClassId)) {
      index.emplace(node.Get(), joints.Count());
      joints.Append(WeakObj<TJoint_I>(static_cast<TJoint_I*>(node.Get())));
    }
  Shape sticks, markers;
  std::vector<bool> marked(size_t(joints.Count()), false);
  const float half = width * 0.5f;
  // A marker: an octahedron round the joint.
  auto mark = [&](int32_t j, const Vector3f& at) {
    if (marked[size_t(j)]) return;
    marked[size_t(j)] = true;
    const int32_t first = markers.vertices.Count();
    const float r = width * 0.65f;
    for (const Vector3f& d : {Vector3f{r, 0, 0}, Vector3f{-r, 0, 0}, Vector3f{0, r, 0}, Vector3f{0, -r, 0},
                              Vector3f{0, 0, r}, Vector3f{0, 0, -r}})
      markers.Add(at + d, j);
    for (int32_t x : {0, 1})
      for (int32_t y : {2, 3})
        for (int32_t z : {4, 5})
          for (int32_t i : {x, y, z}) markers.indices.Append(first + i);
  };
  int32_t count = 0;
  for (int32_t j = 0; j < joints.Count(); ++j) {
    TJoint_I* joint = joints[j].Get();
    const auto up = index.find(joint->GetParent());
    if (up == index.end()) continue;
    const Vector3f a = Position(joints[up->second].Get()), b = Position(joint), axis = Unit(b - a);
    if (axis.Length() == 0) continue;
    // A square prism, each end's four corners on that end's joint: it stretches and turns with the bone.
    Vector3f side = Unit(Cross(axis, Vector3f{1, 0, 0}));
    if (side.Length() < 0.5f) side = Unit(Cross(axis, Vector3f{0, 1, 0}));
    const Vector3f other = Cross(axis, side);
    const Vector3f corners[4] = {side * half, other * half, side * -half, other * -half};
    const int32_t first = sticks.vertices.Count();
    for (const Vector3f& c : corners) sticks.Add(a + c, up->second);
    for (const Vector3f& c : corners) sticks.Add(b + c, j);
    for (int32_t k = 0; k < 4; ++k) {
      const int32_t p = first + k, q = first + (k + 1) % 4;
      for (int32_t i : {p, q, q + 4, p, q + 4, p + 4}) sticks.indices.Append(i);
    }
    mark(up->second, a);
    mark(j, b);
    ++count;
  }
  if (count == 0) return 0;
  AddSkin(sticks, joints, kStickColor, parent);
  AddSkin(markers, joints, kMarkerColor, parent);
  return count;
}

}  // namespace PMHost
