// Skinned corpus files through the importer module, against a skinning computed straight from Assimp's
// scene (the peer program): every vertex of every drawn skin, where the engine's joints put it, within a
// thousandth of the model's size of where Assimp's bones put it.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "ImportTestSupport.h"
#include "core/Matrix4f.h"
#include "core/ResultCode.h"
#include "core/StartUp.h"
#include "geometry/SkinPolygonGeometry.h"
#include "scene/BaseTransform.h"
#include "scene/ImportModule.h"
#include "scene/NodeWalk.h"
#include "scene/VertexData.h"
#include "support/TestEnv.h"

namespace PM::Test {
namespace {

// The drawn skins of the tree, nodes depth first, each node's geometry after its child nodes as the
// module builds them (the peer lists a node's meshes in the file's order, which is the same).
std::vector<Positions> SkinsOf(ScriptObject* root) {
  std::vector<Positions> out;
  std::vector<ScriptObject*> pending{root};
  while (!pending.empty()) {
    ScriptObject* node = pending.back();
    pending.pop_back();
    if (auto* g = As<TSkinPolygonGeometry_I>(node)) out.push_back(Skinned(g));
    if (auto* b = As<TBranch_I>(node))
      for (int32_t i = b->ChildCount(); i-- > 0;) pending.push_back(b->m_children[i].Get());
  }
  return out;
}

class SkinPeerTest : public ImportModuleFixture<::testing::TestWithParam<const char*>> {
 protected:
  void SetUp() override { StartFor(kModels + GetParam()); }
};

TEST_P(SkinPeerTest, EveryVertexStandsWhereAssimpsBonesPutIt) {
  const std::string file = kModels + GetParam();
  const std::vector<Positions> theirs = PeerMeshes("--skin", file);
  ASSERT_FALSE(theirs.empty()) << "the peer found no skin in " << file;
  const ImportedModel model = ImportThroughModule(file);
  const std::vector<Positions> ours = SkinsOf(model.root.Get());
  ASSERT_EQ(ours.size(), theirs.size());
  const float size = SizeOf(theirs);
  for (size_t m = 0; m < ours.size(); ++m) {
    ASSERT_EQ(ours[m].size(), theirs[m].size()) << "skin " << m;
    float worst = 0;
    for (size_t v = 0; v < ours[m].size(); ++v) worst = std::max(worst, (ours[m][v] - theirs[m][v]).Length());
    EXPECT_LE(worst, 1e-3f * size) << "skin " << m << " of " << file;
  }
}

INSTANTIATE_TEST_SUITE_P(Corpus, SkinPeerTest,
                         ::testing::Values("X/BCN_Epileptic.X", "glTF2/simple_skin/simple_skin.gltf",
                                           "FBX/huesitos.fbx"));

}  // namespace
}  // namespace PM::Test
