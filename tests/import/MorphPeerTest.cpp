// Morph targets of corpus files through the importer module, against a morph computed straight from
// Assimp's scene (the peer program's --morph): every vertex the engine draws, its clip played to a time,
// within a thousandth of the model's size of where Assimp's targets and keys put it.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <memory>
#include <sstream>
#include <string>
#include <vector>

#include "ImportTestSupport.h"
#include "anim/AnimationClip.h"
#include "anim/AnimationScheduler.h"
#include "anim/BlendControl.h"
#include "core/ResultCode.h"
#include "geometry/SkinPolygonGeometry.h"
#include "scene/ImportModelFunction.h"
#include "scene/ImportModule.h"
#include "script/lang/Parser.h"
#include "script/object/ScriptEngine.h"
#include "support/LogCapture.h"
#include "support/RecordingRenderEngine.h"

namespace PM::Test {
namespace {

// The geometries with blend shapes and no joints, nodes depth first as SkinPeerTest walks them.
std::vector<TSkinPolygonGeometry_I*> MorphedOf(ScriptObject* root) {
  std::vector<TSkinPolygonGeometry_I*> out;
  std::vector<ScriptObject*> pending{root};
  while (!pending.empty()) {
    ScriptObject* node = pending.back();
    pending.pop_back();
    if (auto* g = As<TSkinPolygonGeometry_I>(node); g && g->m_joints.IsEmpty()) out.push_back(g);
    if (auto* b = As<TBranch_I>(node))
      for (int32_t i = b->ChildCount(); i-- > 0;) pending.push_back(b->m_children[i].Get());
  }
  return out;
}

// Where the engine draws the geometry's vertices: the draw's positions (in the node's space) in the world.
Positions Drawn(TSkinPolygonGeometry_I* g) {
  RecordingRenderEngine engine;
  auto* s = static_cast<SSkinPolygonGeometry_I*>(g->GetSNode());
  EXPECT_EQ(s->DrawSkinned(&engine, g->m_joints, &g->m_colorMul), 1);
  Positions out;
  if (engine.draws.empty()) return out;
  const Matrix4f world = WorldOf(g);
  for (const Vector3f& p : engine.draws.back().positions) {
    Vector3f w;
    Matrix4fC::TransformPoint(w, p, world);
    out.push_back(w);
  }
  return out;
}

std::vector<Positions> PeerMorphs(const std::string& file, double seconds) {
  char args[64];
  std::snprintf(args, sizeof args, "--morph 0 %.9g", seconds);
  return PeerMeshes(args, file);
}

class MorphPeerTest : public ImportModuleFixture<::testing::TestWithParam<const char*>> {
 protected:
  void SetUp() override { StartFor(kModels + GetParam()); }
};

TEST_P(MorphPeerTest, EveryDrawnVertexStandsWhereAssimpsTargetsPutIt) {
  const std::string file = kModels + GetParam();
  const ImportedModel model = ImportThroughModule(file);
  ScriptObject* root = model.root.Get();
  auto* scheduler = As<AnimationScheduler_I>(model.scheduler.Get());
  ASSERT_NE(scheduler, nullptr);
  const std::vector<TSkinPolygonGeometry_I*> ours = MorphedOf(root);
  float size = 0, moved = 0;
  std::vector<Positions> before;
  // On keys and between them, past the last key (held), in increasing order as the scheduler plays.
  for (double t : {0.0, 0.0333333, 0.51, 1.25, 2.1, 3.3, 4.2, 9.0}) {
    const std::vector<Positions> theirs = PeerMorphs(file, t);
    ASSERT_FALSE(theirs.empty()) << "the peer found no morphed mesh in " << file;
    ASSERT_EQ(ours.size(), theirs.size()) << "at " << t << " s";
    if (size == 0) size = SizeOf(theirs);
    scheduler->Update(t);
    std::vector<Positions> drawn;
    for (size_t m = 0; m < ours.size(); ++m) {
      drawn.push_back(Drawn(ours[m]));
      ASSERT_EQ(drawn[m].size(), theirs[m].size()) << "mesh " << m;
      float worst = 0;
      for (size_t v = 0; v < drawn[m].size(); ++v) {
        worst = std::max(worst, (drawn[m][v] - theirs[m][v]).Length());
        if (!before.empty()) moved = std::max(moved, (drawn[m][v] - before[m][v]).Length());
      }
      EXPECT_LE(worst, 1e-3f * size) << "mesh " << m << " of " << file << " at " << t << " s";
    }
    before = drawn;
  }
  EXPECT_GT(moved, 0.1f * size) << "the clip moves the targets";
}

INSTANTIATE_TEST_SUITE_P(Corpus, MorphPeerTest,
                         ::testing::Values("glTF2/glTF-Sample-Models/AnimatedMorphCube-glTF/AnimatedMorphCube.gltf"));

class MorphImportTest : public ImportModuleFixture<::testing::Test> {
 protected:
  void SetUp() override { StartFor(kFile); }
  const std::string kFile = PM_SOURCE_DIR "/tests/import/data/stray_morph_keys.gltf";
};

// Keys weighing a target the mesh lacks and a weight that is not a number: the import goes on, each fault
// named once with the file; the target's curve keeps the key that is a number.
TEST_F(MorphImportTest, StrayKeysAndWeightsThatAreNoNumbersAreNamedOnce) {
  ImportModule* importer = ImportModule::CreateImportModule("Maya");
  ASSERT_NE(importer, nullptr);
  LogCapture log;
  ASSERT_EQ(importer->Import(kFile.c_str()), SOK);
  Obj<ScriptObject> root, taken;
  root.Attach(importer->TakeRoot());
  taken.Attach(importer->TakeScheduler());
  importer->Release();
  EXPECT_EQ(log.Text(), "Info  Import(\"" + kFile +
                            "\"): Not imported: 2 morph key weights naming targets no mesh of their node has.\n"
                            "Warn  Import(\"" +
                            kFile +
                            "\"): 1 morph weight is not a number; a target's default counts as 0 and a key's "
                            "is left out.\n");
  const std::vector<TSkinPolygonGeometry_I*> leaves = MorphedOf(root);
  ASSERT_EQ(leaves.size(), 1u);
  auto* skin = static_cast<SSkinPolygonGeometry_I*>(leaves[0]->GetSNode());
  ASSERT_EQ(skin->m_blendControls.Count(), 1);
  auto* lift = static_cast<BlendControl_I*>(skin->m_blendControls[0].Get());
  EXPECT_STREQ(lift->m_name.CStr(), "lift");
  EXPECT_EQ(lift->m_weight, 0.5f);
  auto* scheduler = As<AnimationScheduler_I>(taken.Get());
  ASSERT_NE(scheduler, nullptr);
  scheduler->Update(0.75);
  EXPECT_EQ(lift->m_weight, 0);
}

// ImportModel registers each blend control under its target's name: a script sets a target's weight.
TEST_F(MorphImportTest, AScriptFindsTheBlendControlsByTheirTargetsNames) {
  Obj<ScriptEngine> engine(static_cast<ScriptEngine*>(ScriptEngine::Create()));
  ASSERT_TRUE(RegisterImportModel(engine->GetNamespace()));
  int errors = 0;
  Parser::ParseText(
      engine,
      String(
          ("RenderChannel:c . { .SceneRoot ImportModel('" + kFile + "'); };\nBlendControl:lift.Weight 0.75;").c_str()),
      String("test"), kParseCountLines, &errors);
  EXPECT_EQ(errors, 0);
  auto* lift = As<BlendControl_I>(engine->GetNamespace()->FindObject(String("lift")));
  ASSERT_NE(lift, nullptr);
  EXPECT_EQ(lift->m_weight, 0.75f);
  EXPECT_TRUE(engine->GetNamespace()->FindObject(String("Leaf_2"))->IsA(SSkinPolygonGeometry_I::kClassId));
}

}  // namespace
}  // namespace PM::Test
