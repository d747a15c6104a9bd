// Every skinned file of the model corpus through the importer module, against a skinning computed straight
// from Assimp's scene (the peer program, one run for the whole corpus): every vertex of every drawn skin,
// where the engine's draw puts it, within 1e-4 of the bounds' diagonal of where Assimp's bones put it, in
// the file's pose and at the start of its first clip.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <map>
#include <sstream>
#include <string>
#include <vector>

#include "ImportTestSupport.h"
#include "anim/AnimationClip.h"
#include "anim/AnimationScheduler.h"
#include "geometry/SkinPolygonGeometry.h"
#include "scene/BaseTransform.h"
#include "scene/NodeWalk.h"

namespace PM::Test {
namespace {

// What the peer prints for one file: its skins in the file's pose, and at its first clip's start when it
// has a clip (else empty).
struct PeerFile {
  std::vector<Positions> rest, start;
};

// `pm-import-peer --skin-corpus` read back: the files by name, and those the peer could not read.
struct PeerCorpus {
  std::map<std::string, PeerFile> files;
  std::vector<std::string> failed;
};

PeerCorpus ReadPeerCorpus() {
  std::istringstream in(PeerOutput("--skin-corpus", kModels));
  PeerCorpus out;
  std::vector<Positions>* pose = nullptr;
  for (std::string word; in >> word;) {
    if (word == "file" || word == "failed") {
      std::string file;
      std::getline(in >> std::ws, file);
      if (word == "failed") {
        out.failed.push_back(file);
        pose = nullptr;
        continue;
      }
      PeerFile& f = out.files[file];
      pose = &f.rest;
    } else if (word == "pose") {
      in >> word;
      PeerFile* f = out.files.empty() ? nullptr : &out.files.rbegin()->second;
      pose = !f ? nullptr : word == "start" ? &f->start : &f->rest;
    } else if (word == "mesh" && pose) {
      size_t n = 0;
      in >> n;
      Positions& p = pose->emplace_back(n);
      for (Vector3f& v : p) in >> v.x >> v.y >> v.z;
    } else {
      ADD_FAILURE() << "the peer printed \"" << word << "\"";
      break;
    }
  }
  return out;
}

// The skinned geometry of the tree (with joints: blend shapes alone are not a skin) in the peer's order:
// nodes depth first, a node's geometry before its child nodes.
std::vector<TSkinPolygonGeometry_I*> SkinsOf(ScriptObject* root) {
  std::vector<TSkinPolygonGeometry_I*> out;
  std::vector<ScriptObject*> pending{root};
  while (!pending.empty()) {
    auto* node = As<TBranch_I>(pending.back());
    pending.pop_back();
    if (!node) continue;
    for (int32_t i = 0; i < node->ChildCount(); ++i)
      if (auto* g = As<TSkinPolygonGeometry_I>(node->m_children[i].Get()); g && !g->m_joints.IsEmpty())
        out.push_back(g);
    for (int32_t i = node->ChildCount(); i-- > 0;)
      if (As<TBaseTransform_I>(node->m_children[i].Get())) pending.push_back(node->m_children[i].Get());
  }
  return out;
}

// The largest distance of a vertex from Assimp's, as a share of the diagonal of Assimp's bounds; a
// mismatch of skins or vertices counts as 1.
// Assimp's positions are in the file's frame; ours under the import's up turn (`turn`, the identity for a
// Y-up file).
float WorstGap(const std::vector<TSkinPolygonGeometry_I*>& skins, const std::vector<Positions>& theirs,
               const Matrix4f& turn, std::string& where) {
  if (skins.size() != theirs.size()) {
    where = std::to_string(skins.size()) + " skins, Assimp " + std::to_string(theirs.size());
    return 1;
  }
  const float size = std::max(SizeOf(theirs), 1e-30f);
  float worst = 0;
  for (size_t m = 0; m < skins.size(); ++m) {
    const std::vector<Vector3f> ours = Skinned(skins[m]);
    if (ours.size() != theirs[m].size()) {
      where = "skin " + std::to_string(m) + " has " + std::to_string(ours.size()) + " vertices, Assimp's " +
              std::to_string(theirs[m].size());
      return 1;
    }
    for (size_t v = 0; v < ours.size(); ++v) {
      Vector3f expected;
      Matrix4fC::TransformPoint(expected, theirs[m][v], turn);
      const float gap = (ours[v] - expected).Length() / size;
      if (!(gap <= worst)) {
        worst = gap;
        where = "skin " + std::to_string(m) + " vertex " + std::to_string(v);
      }
    }
  }
  return worst;
}

class SkinPeerTest : public ImportModuleFixture<::testing::Test> {
 protected:
  void SetUp() override { StartFor(kModels + "FBX/huesitos.fbx"); }
};

TEST_F(SkinPeerTest, EverySkinnedCorpusFileDrawsWhereAssimpsBonesPutIt) {
  const PeerCorpus corpus = ReadPeerCorpus();
  for (const std::string& file : corpus.failed) std::printf("the peer could not read %s\n", file.c_str());
  // The rigs of many formats: X, MD5, SMD, glTF, FBX, Collada, Half-Life MDL, ...
  ASSERT_GE(corpus.files.size(), 20u);
  for (const auto& [file, theirs] : corpus.files) {
    SCOPED_TRACE(file);
    const ImportedModel model = ImportThroughModule(file);
    ASSERT_FALSE(model.root.IsNil());
    const std::vector<TSkinPolygonGeometry_I*> skins = SkinsOf(model.root.Get());
    Matrix4f turn = kIdentityMatrix4f, unused;
    if (auto* up = As<TBaseTransform_I>(model.root.Get()))
      if (auto* s = As<SBaseTransform_I>(up->GetSNode())) turn = s->ApplyLocalMatrix(kIdentityMatrix4f, unused);
    std::string where;
    const float rest = WorstGap(skins, theirs.rest, turn, where);
    EXPECT_LE(rest, 1e-4f) << "in the file's pose, " << where;
    std::string started = "no clip";
    if (!theirs.start.empty()) {
      // The first clip alone, at its start.
      auto* scheduler = As<AnimationScheduler_I>(model.scheduler.Get());
      ASSERT_NE(scheduler, nullptr);
      ASSERT_GT(scheduler->m_animationClip.Count(), 0);
      for (int32_t i = 0; i < scheduler->m_animationClip.Count(); ++i)
        scheduler->m_animationClip[i]->m_enabled = i == 0;
      scheduler->Update(0);
      const float start = WorstGap(skins, theirs.start, turn, where);
      EXPECT_LE(start, 1e-4f) << "at the first clip's start, " << where;
      char text[64];
      std::snprintf(text, sizeof text, "%.2g at the first clip's start", double(start));
      started = text;
    }
    std::printf("%s: %zu skins, worst gap %.2g of the diagonal at rest, %s\n", file.c_str() + kModels.size(),
                skins.size(), double(rest), started.c_str());
  }
}

}  // namespace
}  // namespace PM::Test
