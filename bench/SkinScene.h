// The skinning benchmark's mesh: 100,000 vertices with four influences each over 64 joints, positions
// and normals, drawn once through the recording engine (arrays not copied) so that its lists are built.
// The benchmarks that compare a cost per skinned vertex with it share it.
#pragma once

#include <cmath>
#include <vector>

#include "BenchWorld.h"
#include "classes/EngineClasses.h"
#include "geometry/SkinPolygonGeometry.h"
#include "script/object/ObjectModel.h"
#include "support/RecordingRenderEngine.h"

namespace PM::Bench {

constexpr int kVertices = 100000, kJoints = 64, kInfluences = 4;
constexpr float kWeights[kInfluences] = {0.4f, 0.3f, 0.2f, 0.1f};

inline int JointOf(int v, int k) { return (v * 7 + k * 16) % kJoints; }

inline Vector3f Position(int v) { return {float(v % 317) * 0.1f, float(v / 317) * 0.1f, std::sin(float(v) * 0.01f)}; }

inline Matrix4f ModelView(int j) {
  Matrix4f m;
  const float a = 0.05f * float(j);
  m = kIdentityMatrix4f;
  m.m[0] = std::cos(a);
  m.m[1] = std::sin(a);
  m.m[4] = -std::sin(a);
  m.m[5] = std::cos(a);
  m.SetTranslation({float(j), 0.5f * float(j), -20.0f});
  return m;
}

inline Matrix4f BindInverse(int j) {
  Matrix4f m = kIdentityMatrix4f;
  m.SetTranslation({-0.25f * float(j), 0, 0});
  return m;
}

// The mesh with its joints.
struct SkinScene {
  Obj<TSkinPolygonGeometry_I> node;
  std::vector<Obj<TJoint_I>> joints;
  Test::RecordingRenderEngine engine;

  SkinScene() {
    node = Obj<TSkinPolygonGeometry_I>(
        static_cast<TSkinPolygonGeometry_I*>(ScriptObject::Create(TSkinPolygonGeometry_I::kClassId)));
    auto* s = static_cast<SSkinPolygonGeometry_I*>(node->GetSNode());
    Array<Vector3f> positions, normals;
    for (int v = 0; v < kVertices; ++v) {
      positions.Append(Position(v));
      normals.Append({0, 0, 1});
    }
    s->SetPrimCount(kVertices / 3);
    s->SetVertexArray(positions);
    s->SetNormalArray(normals);
    for (int j = 0; j < kJoints; ++j) {
      Obj<VertexDataF32_I> w(static_cast<VertexDataF32_I*>(ScriptObject::Create(VertexDataF32_I::kClassId)));
      w->m_usage = 0x80000u | uint32_t(j);
      w->m_data.SetCountFill(kVertices, 0.0f);
      s->SetVertexDataAt(j, w);
      s->SetBindMatrixInverseAt(j, BindInverse(j));
      Obj<TJoint_I> joint(static_cast<TJoint_I*>(ScriptObject::Create(TJoint_I::kClassId)));
      joint->m_modelViewMatrix = ModelView(j);
      node->m_joints.Append(WeakObj<TJoint_I>(joint.Get()));
      joints.push_back(joint);
    }
    for (int v = 0; v < kVertices; ++v)
      for (int k = 0; k < kInfluences; ++k)
        static_cast<VertexDataF32_I*>(s->GetVertexDataAt(JointOf(v, k)))->m_data[v] = kWeights[k];
    engine.copyArrays = false;
    node->DrawFromSNode(&engine, 0);
  }
};

}  // namespace PM::Bench
