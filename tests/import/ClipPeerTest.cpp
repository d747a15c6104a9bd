// Animated corpus files through the importer module, against Assimp's own interpolation (the peer
// program's --pose): every node's world matrix, played by the engine's scheduler, at times on keys,
// between keys and past the end.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <ostream>
#include <sstream>
#include <string>
#include <vector>

#include "ImportTestSupport.h"
#include "anim/AnimationClip.h"
#include "anim/AnimationScheduler.h"
#include "core/Matrix4f.h"
#include "core/ResultCode.h"
#include "core/StartUp.h"
#include "scene/BaseTransform.h"
#include "scene/Camera.h"
#include "scene/ImportModule.h"
#include "scene/Light.h"
#include "scene/NodeWalk.h"
#include "support/TestEnv.h"

namespace PM::Test {
namespace {

// The transforms the file's nodes became, depth first (children in order): the up turn over them and
// the placements of cameras and lights, which the file has no node for, left out.
std::vector<TBaseTransform_I*> FileNodes(ScriptObject* root) {
  std::vector<TBaseTransform_I*> out;
  std::vector<ScriptObject*> pending{static_cast<TBranch_I*>(root)->m_children[0].Get()};
  while (!pending.empty()) {
    auto* node = As<TBaseTransform_I>(pending.back());
    pending.pop_back();
    if (!node) continue;
    bool placement = false;
    for (int32_t i = 0; i < node->ChildCount(); ++i)
      placement = placement || As<TCamera_I>(node->m_children[i].Get()) || As<TLight_I>(node->m_children[i].Get());
    if (placement) continue;
    out.push_back(node);
    for (int32_t i = node->ChildCount(); i-- > 0;) pending.push_back(node->m_children[i].Get());
  }
  return out;
}

std::vector<Matrix4f> PeerPose(const std::string& file, int animation, double seconds) {
  char args[64];
  std::snprintf(args, sizeof args, "--pose %d %.9g", animation, seconds);
  std::istringstream in(PeerOutput(args, file));
  std::vector<Matrix4f> out;
  std::string word, name;
  while (in >> word && word == "node" && in >> name) {
    Matrix4f& m = out.emplace_back();
    for (float& v : m.m) in >> v;
  }
  return out;
}

struct Case {
  const char* name;  // the test's
  const char* file;
  int animation;
  std::vector<double> seconds;  // increasing: the scheduler plays forwards
};
void PrintTo(const Case& c, std::ostream* out) { *out << c.file; }

class ClipPeerTest : public ImportModuleFixture<::testing::TestWithParam<Case>> {
 protected:
  void SetUp() override { StartFor(kModels + GetParam().file); }
};

TEST_P(ClipPeerTest, WorldMatricesFollowAssimpsInterpolation) {
  const Case& c = GetParam();
  const std::string file = kModels + c.file;
  const ImportedModel model = ImportThroughModule(file);
  ScriptObject* root = model.root.Get();
  auto* scheduler = As<AnimationScheduler_I>(model.scheduler.Get());
  ASSERT_NE(scheduler, nullptr);
  ASSERT_GT(scheduler->m_animationClip.Count(), c.animation);
  for (int32_t i = 0; i < scheduler->m_animationClip.Count(); ++i)
    scheduler->m_animationClip[i]->m_enabled = i == c.animation;
  const std::vector<TBaseTransform_I*> nodes = FileNodes(root);
  std::vector<Matrix4f> before;
  float moved = 0;  // the largest change of an element between two of the times: the test sees motion
  for (double t : c.seconds) {
    const std::vector<Matrix4f> theirs = PeerPose(file, c.animation, t);
    ASSERT_EQ(nodes.size(), theirs.size()) << "at " << t << " s";
    scheduler->Update(t);
    float reach = 1;  // the farthest node from the origin: what the translations are relative to
    for (const Matrix4f& m : theirs) reach = std::max(reach, Vector3f{m.m[12], m.m[13], m.m[14]}.Length());
    float worst = 0;
    size_t worstNode = 0;
    for (size_t n = 0; n < nodes.size(); ++n) {
      const Matrix4f ours = WorldOf(nodes[n]);
      for (int k = 0; k < 16 && !before.empty(); ++k) moved = std::max(moved, std::fabs(ours.m[k] - before[n].m[k]));
      for (int row = 0; row < 4; ++row) {
        const float* a = &theirs[n].m[row * 4];
        const float scale = row == 3 ? reach : std::max(1.0f, Vector3f{a[0], a[1], a[2]}.Length());
        for (int col = 0; col < 4; ++col) {
          const float gap = std::fabs(ours.m[row * 4 + col] - a[col]) / scale;
          if (!(gap <= worst)) worst = gap, worstNode = n;
        }
      }
    }
    EXPECT_LE(worst, 1e-3f) << c.file << " at " << t << " s, node " << worstNode;
    before.clear();
    for (TBaseTransform_I* n : nodes) before.push_back(WorldOf(n));
  }
  EXPECT_GT(moved, 0.1f);
}

INSTANTIATE_TEST_SUITE_P(
    Corpus, ClipPeerTest,
    ::testing::Values(Case{"Bvh", "BVH/01_01.bvh", 0, {0, 0.004, 0.5, 1.2345, 3.3333, 7.1, 1000}},
                      Case{"Gltf", "glTF2/simple_skin/simple_skin.gltf", 0, {0, 0.25, 0.5, 1.1, 2.9, 3.3, 5.5, 100}}),
    [](const ::testing::TestParamInfo<Case>& info) { return std::string(info.param.name); });

}  // namespace
}  // namespace PM::Test
