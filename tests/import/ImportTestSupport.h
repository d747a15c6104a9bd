// What the importer's tests share: where a node stands, where the engine's skinning puts a skin's
// vertices, the peer program's output read back, and a fixture that starts the library for imports
// through the module.
#pragma once

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
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
#include "render/TreeUpdateHook.h"
#include "scene/BaseTransform.h"
#include "scene/ImportModule.h"
#include "scene/NodeWalk.h"
#include "scene/VertexData.h"
#include "scene/VertexDataUsage.h"
#include "support/TestEnv.h"

namespace PM::Test {

inline const std::string kModels = "/usr/share/assimp/models/";
inline const std::string kPeer = PM_BINARY_DIR "/tests/pm-import-peer";

using Positions = std::vector<Vector3f>;

// What `pm-import-peer ARGS 'FILE'` prints, whole (empty when it cannot run).
inline std::string PeerOutput(const std::string& args, const std::string& file) {
  std::string text;
  if (FILE* p = popen((kPeer + " " + args + " '" + file + "'").c_str(), "r")) {
    char buffer[4096];
    while (size_t n = fread(buffer, 1, sizeof buffer, p)) text.append(buffer, n);
    pclose(p);
  }
  return text;
}

// The peer's meshes as it prints them for --skin and --morph: "mesh N" and N positions, mesh by mesh.
inline std::vector<Positions> PeerMeshes(const std::string& args, const std::string& file) {
  std::istringstream in(PeerOutput(args, file));
  std::vector<Positions> out;
  std::string word;
  size_t n = 0;
  while (in >> word >> n && word == "mesh") {
    Positions& p = out.emplace_back(n);
    for (Vector3f& v : p) in >> v.x >> v.y >> v.z;
  }
  return out;
}

// The diagonal of the box round every position: what a test's tolerance is a share of.
inline float SizeOf(const std::vector<Positions>& meshes) {
  Vector3f lo{1e30f, 1e30f, 1e30f}, hi{-1e30f, -1e30f, -1e30f};
  for (const Positions& p : meshes)
    for (const Vector3f& v : p)
      lo = {std::min(lo.x, v.x), std::min(lo.y, v.y), std::min(lo.z, v.z)},
      hi = {std::max(hi.x, v.x), std::max(hi.y, v.y), std::max(hi.z, v.z)};
  return (hi - lo).Length();
}

// A file imported through the module: the tree and the scheduler of its clips (empty on failure, which
// the test is told of).
struct ImportedModel {
  Obj<ScriptObject> root, scheduler;
};
inline ImportedModel ImportThroughModule(const std::string& file) {
  ImportedModel out;
  ImportModule* importer = ImportModule::CreateImportModule("Maya");
  EXPECT_NE(importer, nullptr);
  if (!importer) return out;
  EXPECT_EQ(importer->Import(file.c_str()), SOK) << file;
  out.root.Attach(importer->TakeRoot());
  out.scheduler.Attach(importer->TakeScheduler());
  importer->Release();
  return out;
}

// Where a node stands: its transform ancestors' local matrices (its own too), from the top down.
inline Matrix4f WorldOf(TNode_I* node) {
  std::vector<TNode_I*> chain;
  for (TNode_I* n = node; n && !IsNilObject(n); n = n->GetParent()) chain.push_back(n);
  Matrix4f world = kIdentityMatrix4f;
  for (size_t i = chain.size(); i-- > 0;) {
    Matrix4f out;
    if (auto* t = As<SBaseTransform_I>(chain[i]->GetSNode())) world = t->ApplyLocalMatrix(world, out);
  }
  return world;
}

// The tree `node` is in, placed by the engine's own tree update in world space (the pass a frame runs
// before its camera is known): each call a pass of its own, stamped apart from every frame's.
inline void PlaceInWorld(TNode_I* node) {
  static uint32_t frame = 0;
  TNode_I* root = node;
  for (TNode_I* p = root->GetParent(); p && !IsNilObject(p); p = p->GetParent()) root = p;
  TreeUpdatePass pass;
  pass.kind = TreeUpdatePass::kConstraint;
  pass.root = root;
  pass.frame = ++frame;
  TreeUpdateFn update = GetTreeUpdate();
  ASSERT_NE(update, nullptr);
  update(pass);
}

// A skin's vertices where the engine's draw puts them now, in the world: its tree placed by the tree
// update, then the draw's own deformation.
inline std::vector<Vector3f> Skinned(TSkinPolygonGeometry_I* g) {
  PlaceInWorld(g);
  Array<Vector3f> out;
  EXPECT_TRUE(static_cast<SSkinPolygonGeometry_I*>(g->GetSNode())->ComputeDeformedPositions(g->m_joints, &out));
  return std::vector<Vector3f>(out.begin(), out.end());
}

// The library started for imports through the installed module, its logs in a folder of the test's own;
// the test skips where the model it reads is not installed.
template <class Base>
class ImportModuleFixture : public Base {
 protected:
  // Call from SetUp with the model the test reads.
  void StartFor(const std::string& model) {
    if (!std::ifstream(model)) GTEST_SKIP() << "needs the model corpus (assimp-testmodels)";
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

// Imports through the shipped reader (the one without test hooks), named by PM_IMPORT_READER.
class ShippedReaderTest : public ImportModuleFixture<::testing::Test> {
 protected:
  void SetUp() override {
    StartFor(kModels + "OBJ/box.obj");
    setenv("PM_IMPORT_READER", PM_BINARY_DIR "/pm-import-reader", 1);
  }
  void TearDown() override {
    unsetenv("PM_IMPORT_READER");
    ImportModuleFixture::TearDown();
  }
};

}  // namespace PM::Test
