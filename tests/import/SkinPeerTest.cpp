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

const std::string kModels = "/usr/share/assimp/models/";
const std::string kPeer = PM_BINARY_DIR "/tests/pm-import-peer";

using Positions = std::vector<Vector3f>;

Matrix4f WorldOf(TNode_I* node) {
  std::vector<TNode_I*> chain;
  for (TNode_I* n = node; n && !IsNilObject(n); n = n->GetParent()) chain.push_back(n);
  Matrix4f world = kIdentityMatrix4f;
  for (size_t i = chain.size(); i-- > 0;) {
    Matrix4f out;
    if (auto* t = As<SBaseTransform_I>(chain[i]->GetSNode())) world = t->ApplyLocalMatrix(world, out);
  }
  return world;
}

// The engine's skinning of one geometry (Part of the skinned geometry's draw): the sum over the joints of
// weight x position x skin matrix x the joint's world matrix.
Positions Skinned(TSkinPolygonGeometry_I* g) {
  auto* s = static_cast<SSkinPolygonGeometry_I*>(g->GetSNode());
  Positions out(size_t(s->m_vertices.Count()), Vector3f{0, 0, 0});
  for (int32_t k = 0; k < s->GetVertexDataCount(); ++k) {
    auto* w = As<VertexDataF32_I>(s->m_vertexData[k].Get());
    if (!w) continue;
    const int32_t j = int32_t(w->m_usage & 0xFFFF);
    Matrix4f m;
    m.SetProduct(s->m_skinMatrices[j], WorldOf(g->m_joints[j].Get()));
    for (int32_t v = 0; v < s->m_vertices.Count(); ++v) {
      Vector3f p;
      Matrix4fC::TransformPoint(p, s->m_vertices[v], m);
      out[size_t(v)] += p * w->m_data[v];
    }
  }
  return out;
}

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

std::vector<Positions> PeerSkins(const std::string& file) {
  std::string text;
  if (FILE* p = popen((kPeer + " --skin '" + file + "'").c_str(), "r")) {
    char buffer[4096];
    while (size_t n = fread(buffer, 1, sizeof buffer, p)) text.append(buffer, n);
    pclose(p);
  }
  std::istringstream in(text);
  std::vector<Positions> out;
  std::string word;
  size_t n = 0;
  while (in >> word >> n && word == "mesh") {
    Positions& p = out.emplace_back(n);
    for (Vector3f& v : p) in >> v.x >> v.y >> v.z;
  }
  return out;
}

class SkinPeerTest : public ::testing::TestWithParam<const char*> {
 protected:
  void SetUp() override {
    if (!std::ifstream(kModels + GetParam())) GTEST_SKIP() << "needs the model corpus (assimp-testmodels)";
    setenv("PM_LOG_DIR", m_dir.Path().c_str(), 1);
    unsetenv("PM_MODULE_DIR");
    ASSERT_EQ(DLLInitialize(1), 0u);
    m_started = true;
  }
  void TearDown() override {
    if (m_started) DLLDeInitialize(0);
  }
  TempDir m_dir;
  bool m_started = false;
};

TEST_P(SkinPeerTest, EveryVertexStandsWhereAssimpsBonesPutIt) {
  const std::string file = kModels + GetParam();
  const std::vector<Positions> theirs = PeerSkins(file);
  ASSERT_FALSE(theirs.empty()) << "the peer found no skin in " << file;
  ImportModule* importer = ImportModule::CreateImportModule("Maya");
  ASSERT_NE(importer, nullptr);
  ASSERT_EQ(importer->Import(file.c_str()), SOK);
  Obj<ScriptObject> root;
  root.Attach(importer->TakeRoot());
  importer->Release();
  const std::vector<Positions> ours = SkinsOf(root);
  ASSERT_EQ(ours.size(), theirs.size());
  Vector3f lo{1e30f, 1e30f, 1e30f}, hi{-1e30f, -1e30f, -1e30f};
  for (const Positions& p : theirs)
    for (const Vector3f& v : p)
      lo = {std::min(lo.x, v.x), std::min(lo.y, v.y), std::min(lo.z, v.z)},
      hi = {std::max(hi.x, v.x), std::max(hi.y, v.y), std::max(hi.z, v.z)};
  const float size = (hi - lo).Length();
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
