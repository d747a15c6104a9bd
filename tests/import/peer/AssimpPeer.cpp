// The tests' figures from Assimp itself: opens one file with the reader's post-processing and limits and
// prints what Assimp holds, without any code of the reader's in between.
//   pm-import-peer FILE       prints "loaded MESHES VERTICES TRIANGLES LINES POINTS" or "refused MESSAGE"
//   pm-import-peer --extensions   prints the extensions Assimp reads ("*.3ds;*.obj;...")
//   pm-import-peer --unvalidated FILE   the same as FILE, read without Assimp's validation step
//   pm-import-peer --skin FILE    prints each drawn skinned mesh, nodes depth first (a node's meshes before
//                                 its children): "mesh N" and its N vertices "x y z" in the world, skinned
//                                 from Assimp's bones (AssimpSkin.h)
//   pm-import-peer --skin-corpus ROOT   the same for every model file under ROOT (but its invalid/ folder)
//                                 that Assimp reads with a drawn skinned mesh, in one run: "file PATH", then
//                                 "pose rest" and the meshes in the file's pose, then, when the file has an
//                                 animation, "pose start" and the meshes at its first animation's time 0
//                                 (as --pose). Each file is read in a child process under the limits; one that
//                                 fails prints "failed PATH"
//   pm-import-peer --pose A SECONDS FILE   prints "node NAME" and its world matrix (16 numbers, row vectors:
//                                 the transpose of Assimp's) for each node, depth first, with animation A at
//                                 SECONDS: keys held outside their times, vectors linear between keys,
//                                 rotations by aiQuaternion::Interpolate; a kind without keys stays as the
//                                 node's matrix decomposes
//   pm-import-peer --morph A SECONDS FILE   prints each drawn mesh with morph targets and no skin, nodes
//                                 depth first: "mesh N" and its N vertices "x y z" in the world (the nodes
//                                 as the file places them), morphed as base + the sum of weight x (target -
//                                 base), each target's weight linear between the keys of animation A's first
//                                 morph channel of the node that set it, held outside them, and the target's
//                                 own weight where no key sets it
#include <assimp/postprocess.h>
#include <assimp/scene.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>
#include <assimp/Importer.hpp>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <string>
#include <utility>
#include <vector>

#include "AssimpSkin.h"

#include "import/AssimpSetup.h"
#include "import/ReaderProcess.h"

namespace {

// The drawn skinned meshes in pose `worlds`; false when there is none.
bool PrintSkins(const aiScene& scene, const PM::ImportPeer::Worlds& worlds, const char* header = "") {
  bool any = false;
  std::vector<const aiNode*> pending{scene.mRootNode};
  while (!pending.empty()) {
    const aiNode* node = pending.back();
    pending.pop_back();
    for (unsigned i = 0; i < node->mNumMeshes; ++i) {
      const aiMesh* mesh = scene.mMeshes[node->mMeshes[i]];
      if (!mesh->mNumFaces || !worlds.Skinned(*mesh)) continue;
      if (!any) std::printf("%s", header);
      any = true;
      const std::vector<aiVector3D> positions = worlds.Positions(*mesh, node);
      std::printf("mesh %zu\n", positions.size());
      for (const aiVector3D& p : positions) std::printf("%.9g %.9g %.9g\n", double(p.x), double(p.y), double(p.z));
    }
    for (unsigned i = node->mNumChildren; i-- > 0;) pending.push_back(node->mChildren[i]);
  }
  return any;
}

void LimitSelf() {
  const rlimit as{PM::Import::kDefaultAddressSpace, PM::Import::kDefaultAddressSpace};
  const rlimit cpu{PM::Import::kDefaultCpuSeconds, PM::Import::kDefaultCpuSeconds + 1};
  const rlimit core{0, 0};
  setrlimit(RLIMIT_AS, &as);
  setrlimit(RLIMIT_CPU, &cpu);
  setrlimit(RLIMIT_CORE, &core);
}

// One file of --skin-corpus, in the child that reads it.
void PrintCorpusFile(const std::string& file) {
  LimitSelf();
  Assimp::Importer importer;
  PM::Import::ConfigureImporter(importer);
  const aiScene* scene = importer.ReadFile(file, PM::Import::ReaderPostProcessing());
  if (!scene || !scene->mRootNode) return;
  const std::string header = "file " + file + "\npose rest\n";
  if (!PrintSkins(*scene, PM::ImportPeer::Worlds(*scene), header.c_str()) || !scene->mNumAnimations) return;
  PrintSkins(*scene, PM::ImportPeer::Worlds(*scene, scene->mAnimations[0], 0), "pose start\n");
}

// The model files under `root` but its invalid/ folder, in name order: those with an extension Assimp
// reads, and those with none (its format detection tests).
int PrintSkinCorpus(const std::string& root) {
  namespace fs = std::filesystem;
  Assimp::Importer importer;
  std::vector<std::string> files;
  std::error_code error;
  for (fs::recursive_directory_iterator it(root, error), end; !error && it != end; it.increment(error)) {
    if (it->is_directory() && it->path().filename() == "invalid" && it.depth() == 0) it.disable_recursion_pending();
    if (!it->is_regular_file()) continue;
    const std::string ext = it->path().extension().string();
    if (ext.empty() || importer.IsExtensionSupported(ext)) files.push_back(it->path().string());
  }
  if (error) return 1;
  std::sort(files.begin(), files.end());
  for (const std::string& file : files) {
    std::fflush(stdout);
    const pid_t child = fork();
    if (child == 0) {
      PrintCorpusFile(file);
      std::fflush(stdout);
      _exit(0);
    }
    int status = 0;
    if (child < 0 || waitpid(child, &status, 0) != child || !WIFEXITED(status) || WEXITSTATUS(status) != 0)
      std::printf("failed %s\n", file.c_str());
  }
  return 0;
}

void PrintPose(const aiScene& scene, unsigned animation, double seconds) {
  if (animation >= scene.mNumAnimations) return;
  const PM::ImportPeer::Worlds worlds(scene, scene.mAnimations[animation], seconds);
  std::vector<const aiNode*> pending{scene.mRootNode};
  while (!pending.empty()) {
    const aiNode* node = pending.back();
    pending.pop_back();
    const aiMatrix4x4& w = worlds.world.at(node);
    std::printf("node %s\n", node->mName.C_Str());
    for (int col = 0; col < 4; ++col)
      for (int row = 0; row < 4; ++row) std::printf("%.9g%c", double(w[row][col]), row == 3 && col == 3 ? '\n' : ' ');
    for (unsigned i = node->mNumChildren; i-- > 0;) pending.push_back(node->mChildren[i]);
  }
}

// Target `t`'s weight at `ticks` from the keys of `c` that set it; `fallback` when none does.
float MorphWeight(const aiMeshMorphAnim* c, unsigned t, double ticks, float fallback) {
  std::vector<std::pair<double, double>> keys;
  for (unsigned k = 0; c && k < c->mNumKeys; ++k)
    for (unsigned p = 0; p < c->mKeys[k].mNumValuesAndWeights; ++p)
      if (c->mKeys[k].mValues[p] == t) keys.emplace_back(c->mKeys[k].mTime, c->mKeys[k].mWeights[p]);
  if (keys.empty()) return fallback;
  if (ticks <= keys.front().first) return float(keys.front().second);
  if (ticks >= keys.back().first) return float(keys.back().second);
  size_t a = 0;
  while (keys[a + 1].first <= ticks) ++a;
  const double f = (ticks - keys[a].first) / (keys[a + 1].first - keys[a].first);
  return float(keys[a].second + (keys[a + 1].second - keys[a].second) * f);
}

void PrintMorphs(const aiScene& scene, unsigned animation, double seconds) {
  const aiAnimation* a = animation < scene.mNumAnimations ? scene.mAnimations[animation] : nullptr;
  const double ticks = seconds * (a && a->mTicksPerSecond > 0 ? a->mTicksPerSecond : 25.0);
  const PM::ImportPeer::Worlds worlds(scene);
  std::unordered_map<const aiNode*, const aiMeshMorphAnim*> channels;
  for (unsigned i = 0; a && i < a->mNumMorphMeshChannels; ++i)
    if (const aiNode* n = worlds.Find(a->mMorphMeshChannels[i]->mName))
      channels.try_emplace(n, a->mMorphMeshChannels[i]);
  std::vector<const aiNode*> pending{scene.mRootNode};
  while (!pending.empty()) {
    const aiNode* node = pending.back();
    pending.pop_back();
    const auto c = channels.find(node);
    for (unsigned i = 0; i < node->mNumMeshes; ++i) {
      const aiMesh* mesh = scene.mMeshes[node->mMeshes[i]];
      if (!mesh->mNumFaces || !mesh->mNumAnimMeshes || worlds.Skinned(*mesh)) continue;
      std::vector<aiVector3D> p(mesh->mVertices, mesh->mVertices + mesh->mNumVertices);
      for (unsigned t = 0; t < mesh->mNumAnimMeshes; ++t) {
        const aiAnimMesh* target = mesh->mAnimMeshes[t];
        if (target->mNumVertices != mesh->mNumVertices || !target->mVertices) continue;
        const float w = MorphWeight(c == channels.end() ? nullptr : c->second, t, ticks, target->mWeight);
        for (unsigned v = 0; v < mesh->mNumVertices; ++v) p[v] += (target->mVertices[v] - mesh->mVertices[v]) * w;
      }
      std::printf("mesh %zu\n", p.size());
      for (const aiVector3D& v : p) {
        const aiVector3D w = worlds.world.at(node) * v;
        std::printf("%.9g %.9g %.9g\n", double(w.x), double(w.y), double(w.z));
      }
    }
    for (unsigned i = node->mNumChildren; i-- > 0;) pending.push_back(node->mChildren[i]);
  }
}

}  // namespace

int main(int argc, char** argv) {
  const bool skins = argc == 3 && !std::strcmp(argv[1], "--skin");
  if (skins) --argc, ++argv;
  const bool unvalidated = argc == 3 && !std::strcmp(argv[1], "--unvalidated");
  if (unvalidated) --argc, ++argv;
  const bool pose = argc == 5 && !std::strcmp(argv[1], "--pose");
  const bool morph = argc == 5 && !std::strcmp(argv[1], "--morph");
  unsigned animation = 0;
  double seconds = 0;
  if (pose || morph) {
    animation = unsigned(std::strtoul(argv[2], nullptr, 10));
    seconds = std::strtod(argv[3], nullptr);
    argc -= 3, argv += 3;
  }
  if (argc == 3 && !std::strcmp(argv[1], "--skin-corpus")) return PrintSkinCorpus(argv[2]);
  if (argc != 2) return 2;
  Assimp::Importer importer;
  if (!std::strcmp(argv[1], "--extensions")) {
    std::string list;
    importer.GetExtensionList(list);
    std::printf("%s\n", list.c_str());
    return 0;
  }
  LimitSelf();
  PM::Import::ConfigureImporter(importer);
  const unsigned steps = PM::Import::ReaderPostProcessing();
  const aiScene* scene =
      importer.ReadFile(argv[1], unvalidated ? steps & ~unsigned(aiProcess_ValidateDataStructure) : steps);
  if (!scene) {
    std::printf("refused %s\n", importer.GetErrorString());
    return 0;
  }
  if (skins) {
    PrintSkins(*scene, PM::ImportPeer::Worlds(*scene));
    return 0;
  }
  if (pose) {
    PrintPose(*scene, animation, seconds);
    return 0;
  }
  if (morph) {
    PrintMorphs(*scene, animation, seconds);
    return 0;
  }
  unsigned long vertices = 0, faces[4] = {0, 0, 0, 0};
  for (unsigned i = 0; i < scene->mNumMeshes; ++i) {
    const aiMesh* m = scene->mMeshes[i];
    vertices += m->mNumVertices;
    for (unsigned f = 0; f < m->mNumFaces; ++f) {
      const unsigned n = m->mFaces[f].mNumIndices;
      if (n >= 1 && n <= 3) ++faces[n];
    }
  }
  std::printf("loaded %u %lu %lu %lu %lu\n", scene->mNumMeshes, vertices, faces[3], faces[2], faces[1]);
  return 0;
}
