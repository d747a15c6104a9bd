// Linear blend skinning of 100,000 vertices with four influences each over 64 joints, positions and
// normals: a skin's DrawSkinned through the recording engine (arrays not copied) against a plain loop
// that gathers four (joint, weight) pairs per vertex with the same matrices.
#include <benchmark/benchmark.h>

#include <cstdint>
#include <vector>

#include "SkinScene.h"

namespace {

using namespace PM;
using namespace PM::Bench;

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
