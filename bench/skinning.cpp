// Linear blend skinning of 100,000 vertices with four influences each over 64 joints, positions and
// normals: a skin's DrawSkinned through the recording engine (arrays not copied) against a plain loop
// that gathers four (joint, weight) pairs per vertex with the same matrices.
#include <benchmark/benchmark.h>

#include <cmath>
#include <cstdint>
#include <vector>

#include "BenchWorld.h"
#include "classes/EngineClasses.h"
#include "geometry/SkinPolygonGeometry.h"
#include "script/object/ObjectModel.h"
#include "support/RecordingRenderEngine.h"

namespace {

using namespace PM;

constexpr int kVertices = 100000, kJoints = 64, kInfluences = 4;
constexpr float kWeights[kInfluences] = {0.4f, 0.3f, 0.2f, 0.1f};

using Bench::InitOnce;

int JointOf(int v, int k) { return (v * 7 + k * 16) % kJoints; }

Vector3f Position(int v) { return {float(v % 317) * 0.1f, float(v / 317) * 0.1f, std::sin(float(v) * 0.01f)}; }

Matrix4f ModelView(int j) {
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

Matrix4f BindInverse(int j) {
  Matrix4f m = kIdentityMatrix4f;
  m.SetTranslation({-0.25f * float(j), 0, 0});
  return m;
}

// A skin with its joints, drawn once so that its lists are built.
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

void BM_DrawSkinned(benchmark::State& state) {
  InitOnce();
  SkinScene scene;
  auto* s = static_cast<SSkinPolygonGeometry_I*>(scene.node->GetSNode());
  for (auto _ : state) {
    s->DrawSkinned(&scene.engine, scene.node->m_joints, &scene.node->m_colorMul);
    scene.engine.draws.clear();
    benchmark::DoNotOptimize(s->m_deformedPositions.Data());
  }
  state.counters["ns/vertex"] = benchmark::Counter(double(kVertices) * double(state.iterations()),
                                                   benchmark::Counter::kIsRate | benchmark::Counter::kInvert);
}
BENCHMARK(BM_DrawSkinned)->Unit(benchmark::kMicrosecond);

// The same deformation written plainly: per vertex, four (joint, weight) pairs.
void BM_PlainGatherLoop(benchmark::State& state) {
  struct Influence {
    int32_t joint[kInfluences];
    float weight[kInfluences];
  };
  std::vector<Vector3f> positions(kVertices), normals(kVertices, Vector3f{0, 0, 1});
  std::vector<Vector3f> outP(kVertices), outN(kVertices);
  std::vector<Influence> influences(kVertices);
  for (int v = 0; v < kVertices; ++v) {
    positions[v] = Position(v);
    for (int k = 0; k < kInfluences; ++k) {
      influences[v].joint[k] = JointOf(v, k);
      influences[v].weight[k] = kWeights[k];
    }
  }
  std::vector<Matrix4f> skin(kJoints), modelView(kJoints), mats(kJoints);
  for (int j = 0; j < kJoints; ++j) {
    skin[j] = BindInverse(j);
    modelView[j] = ModelView(j);
  }
  for (auto _ : state) {
    for (int j = 0; j < kJoints; ++j) mats[j].SetProduct(skin[j], modelView[j]);
    for (int v = 0; v < kVertices; ++v) {
      const Vector3f p = positions[v], n = normals[v];
      Vector3f ap{0, 0, 0}, an{0, 0, 0};
      for (int k = 0; k < kInfluences; ++k) {
        const float* m = mats[influences[v].joint[k]].m;
        const float w = influences[v].weight[k];
        ap.x += w * (p.x * m[0] + p.y * m[4] + p.z * m[8] + m[12]);
        ap.y += w * (p.x * m[1] + p.y * m[5] + p.z * m[9] + m[13]);
        ap.z += w * (p.x * m[2] + p.y * m[6] + p.z * m[10] + m[14]);
        an.x += w * (n.x * m[0] + n.y * m[4] + n.z * m[8]);
        an.y += w * (n.x * m[1] + n.y * m[5] + n.z * m[9]);
        an.z += w * (n.x * m[2] + n.y * m[6] + n.z * m[10]);
      }
      outP[v] = ap;
      outN[v] = an;
    }
    benchmark::DoNotOptimize(outP.data());
    benchmark::DoNotOptimize(outN.data());
  }
  state.counters["ns/vertex"] = benchmark::Counter(double(kVertices) * double(state.iterations()),
                                                   benchmark::Counter::kIsRate | benchmark::Counter::kInvert);
}
BENCHMARK(BM_PlainGatherLoop)->Unit(benchmark::kMicrosecond);

}  // namespace
