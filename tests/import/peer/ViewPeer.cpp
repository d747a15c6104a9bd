// The viewer's figures from Assimp itself: opens a file with triangulation (and faces sorted by primitive
// type) only and prints the summary line `pm-run --view` prints, counted the same way (a mesh that two
// nodes use counts twice, bounds over every vertex the faces use after the node transforms), with no
// code of the importer in between. Textures are not Assimp's to count: the field says 0. Each camera and
// light stands under a placement node of its own in the engine's tree, which the node count includes. Bones'
// nodes and the nodes of skinned meshes count as joints, and a skinned mesh's vertices are skinned.
//   pm-import-view-peer FILE
#include <assimp/postprocess.h>
#include <assimp/scene.h>

#include <assimp/Importer.hpp>
#include <cfloat>
#include <cstdio>
#include <unordered_set>
#include <utility>
#include <vector>

#include "AssimpSkin.h"

int main(int argc, char** argv) {
  if (argc != 2) return 2;
  Assimp::Importer importer;
  const aiScene* scene =
      importer.ReadFile(argv[1], aiProcess_Triangulate | aiProcess_SortByPType | aiProcess_ValidateDataStructure);
  if (!scene || !scene->mRootNode) {
    std::printf("refused %s\n", importer.GetErrorString());
    return 1;
  }
  const PM::ImportPeer::Worlds worlds(*scene);
  std::unordered_set<const aiNode*> joints;  // bones' nodes and skinned meshes' nodes
  long nodes = 0, geometries = 0, counts[4] = {0, 0, 0, 0};
  aiVector3D lo(FLT_MAX, FLT_MAX, FLT_MAX), hi(-FLT_MAX, -FLT_MAX, -FLT_MAX);
  std::vector<std::pair<const aiNode*, aiMatrix4x4>> pending{{scene->mRootNode, aiMatrix4x4()}};
  while (!pending.empty()) {
    auto [node, parent] = pending.back();
    pending.pop_back();
    const aiMatrix4x4 world = parent * node->mTransformation;
    ++nodes;
    for (unsigned i = 0; i < node->mNumMeshes; ++i) {
      const aiMesh* mesh = scene->mMeshes[node->mMeshes[i]];
      const bool skinned = worlds.Skinned(*mesh);
      if (skinned) {
        joints.insert(node);
        for (unsigned b = 0; b < mesh->mNumBones; ++b)
          if (const aiNode* at = worlds.Find(mesh->mBones[b]->mName)) joints.insert(at);
      }
      if (!mesh->mNumFaces) continue;
      ++geometries;
      const std::vector<aiVector3D> positions = worlds.Positions(*mesh, node);
      for (unsigned f = 0; f < mesh->mNumFaces; ++f) {
        const aiFace& face = mesh->mFaces[f];
        if (face.mNumIndices >= 1 && face.mNumIndices <= 3) ++counts[face.mNumIndices];
        for (unsigned k = 0; k < face.mNumIndices; ++k) {
          const aiVector3D v = positions[face.mIndices[k]];
          lo = aiVector3D(std::min(lo.x, v.x), std::min(lo.y, v.y), std::min(lo.z, v.z));
          hi = aiVector3D(std::max(hi.x, v.x), std::max(hi.y, v.y), std::max(hi.z, v.z));
        }
      }
    }
    for (unsigned i = 0; i < node->mNumChildren; ++i) pending.emplace_back(node->mChildren[i], world);
  }
  if (lo.x > hi.x) lo = hi = aiVector3D(0, 0, 0);
  long lights = 0;
  for (unsigned i = 0; i < scene->mNumLights; ++i)
    lights += scene->mLights[i]->mType >= aiLightSource_DIRECTIONAL && scene->mLights[i]->mType <= aiLightSource_AREA;
  nodes += long(scene->mNumCameras) + lights;
  std::printf(
      "%s: %ld nodes, %ld geometries, %ld triangles, %ld lines, %ld points, 0 textures, %zu joints, %u clips, %u "
      "cameras, "
      "%ld lights; bounds "
      "(%g, "
      "%g, %g) - (%g, %g, %g)\n",
      argv[1], nodes, geometries, counts[3], counts[2], counts[1], joints.size(), scene->mNumAnimations,
      scene->mNumCameras, lights, double(lo.x), double(lo.y), double(lo.z), double(hi.x), double(hi.y), double(hi.z));
  return 0;
}
