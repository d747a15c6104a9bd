// The tests' figures from Assimp itself: opens one file with the reader's post-processing and limits and
// prints what Assimp holds, without any code of the reader's in between.
//   pm-import-peer FILE       prints "loaded MESHES VERTICES TRIANGLES LINES POINTS" or "refused MESSAGE"
//   pm-import-peer --extensions   prints the extensions Assimp reads ("*.3ds;*.obj;...")
//   pm-import-peer --skin FILE    prints each drawn skinned mesh, nodes depth first: "mesh N" and its N
//                                 vertices "x y z" in the world, skinned from Assimp's bones (AssimpSkin.h)
//   pm-import-peer --pose A SECONDS FILE   prints "node NAME" and its world matrix (16 numbers, row vectors:
//                                 the transpose of Assimp's) for each node, depth first, with animation A at
//                                 SECONDS: keys held outside their times, vectors linear between keys,
//                                 rotations by aiQuaternion::Interpolate; a kind without keys stays as the
//                                 node's matrix decomposes
#include <assimp/scene.h>
#include <sys/resource.h>
#include <assimp/Importer.hpp>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <utility>
#include <vector>

#include "AssimpSkin.h"

#include "import/AssimpSetup.h"
#include "import/ReaderProcess.h"

namespace {

void PrintSkins(const aiScene& scene) {
  const PM::ImportPeer::Worlds worlds(scene);
  std::vector<const aiNode*> pending{scene.mRootNode};
  while (!pending.empty()) {
    const aiNode* node = pending.back();
    pending.pop_back();
    for (unsigned i = 0; i < node->mNumMeshes; ++i) {
      const aiMesh* mesh = scene.mMeshes[node->mMeshes[i]];
      if (!mesh->mNumFaces || !worlds.Skinned(*mesh)) continue;
      const std::vector<aiVector3D> positions = worlds.Positions(*mesh, node);
      std::printf("mesh %zu\n", positions.size());
      for (const aiVector3D& p : positions) std::printf("%.9g %.9g %.9g\n", double(p.x), double(p.y), double(p.z));
    }
    for (unsigned i = node->mNumChildren; i-- > 0;) pending.push_back(node->mChildren[i]);
  }
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

}  // namespace

int main(int argc, char** argv) {
  const bool skins = argc == 3 && !std::strcmp(argv[1], "--skin");
  if (skins) --argc, ++argv;
  const bool pose = argc == 5 && !std::strcmp(argv[1], "--pose");
  unsigned animation = 0;
  double seconds = 0;
  if (pose) {
    animation = unsigned(std::strtoul(argv[2], nullptr, 10));
    seconds = std::strtod(argv[3], nullptr);
    argc -= 3, argv += 3;
  }
  if (argc != 2) return 2;
  Assimp::Importer importer;
  if (!std::strcmp(argv[1], "--extensions")) {
    std::string list;
    importer.GetExtensionList(list);
    std::printf("%s\n", list.c_str());
    return 0;
  }
  const rlimit as{PM::Import::kDefaultAddressSpace, PM::Import::kDefaultAddressSpace};
  const rlimit cpu{PM::Import::kDefaultCpuSeconds, PM::Import::kDefaultCpuSeconds + 1};
  const rlimit core{0, 0};
  setrlimit(RLIMIT_AS, &as);
  setrlimit(RLIMIT_CPU, &cpu);
  setrlimit(RLIMIT_CORE, &core);
  PM::Import::ConfigureImporter(importer);
  const aiScene* scene = importer.ReadFile(argv[1], PM::Import::ReaderPostProcessing());
  if (!scene) {
    std::printf("refused %s\n", importer.GetErrorString());
    return 0;
  }
  if (skins) {
    PrintSkins(*scene);
    return 0;
  }
  if (pose) {
    PrintPose(*scene, animation, seconds);
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
