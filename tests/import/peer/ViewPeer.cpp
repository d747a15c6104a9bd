// The viewer's figures from Assimp itself: opens a file with triangulation (and faces sorted by primitive
// type) only and prints the summary line `pm-run --view` prints, counted the same way (a mesh that two
// nodes use counts twice, bounds over every vertex the faces use after the node transforms), with no
// code of the importer in between. Textures are not Assimp's to count: the field says 0. Each camera and
// light stands under a placement node of its own in the engine's tree, which the node count includes. Bones'
// nodes and the nodes of skinned meshes count as joints, and a skinned mesh's vertices are skinned.
//   pm-import-view-peer FILE
//   pm-import-view-peer --moved A SECONDS1 SECONDS2 FILE   the triangles that animation A moves between the
//       two times (Assimp's interpolation and skinning, AssimpSkin.h; a time "none" is the file's own pose):
//       "triangle" and their corners in the world at the first time then at the second (18 numbers), then
//       "still N", the triangles left in place
//   pm-import-view-peer --list FILE   what --list takes from the file: "clip NAME SECONDS" for each animation,
//       "camera NAME", "light NAME", "material NAME TEXTURE" (its diffuse texture's path, or "-") in Assimp's
//       order, "material NAME TEXTURE not found" when the texture is neither embedded nor a file where the
//       importer looks for one (TexturePath.h, from the model's folder)
#include <assimp/postprocess.h>
#include <assimp/scene.h>

#include <algorithm>
#include <assimp/Importer.hpp>
#include <cfloat>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <unordered_set>
#include <utility>
#include <vector>

#include "AssimpSkin.h"
#include "import/AssetRoot.h"
#include "import/TexturePath.h"

namespace {

// A vertex moved when its blended matrix changed: by more than 1e-4 in its rotation and scaling part (its
// normal turned), or by more than 1e-4 of the model's size in its translation.
bool Moved(const aiMatrix4x4& a, const aiMatrix4x4& b, float size) {
  for (unsigned row = 0; row < 3; ++row)
    for (unsigned col = 0; col < 4; ++col)
      if (!(std::fabs(a[row][col] - b[row][col]) <= (col == 3 ? 1e-4f * size : 1e-4f))) return true;
  return false;
}

void PrintCorners(const aiFace& face, const std::vector<aiVector3D>& positions) {
  for (unsigned k = 0; k < 3; ++k) {
    const aiVector3D& p = positions[face.mIndices[k]];
    std::printf(" %.9g %.9g %.9g", double(p.x), double(p.y), double(p.z));
  }
}

// A time "none": the file's own pose.
PM::ImportPeer::Worlds PoseAt(const aiScene& scene, const aiAnimation* animation, const char* seconds) {
  if (!std::strcmp(seconds, "none")) return PM::ImportPeer::Worlds(scene);
  return PM::ImportPeer::Worlds(scene, animation, std::strtod(seconds, nullptr));
}

int PrintMoved(const aiScene& scene, unsigned animation, const char* first, const char* second) {
  if (animation >= scene.mNumAnimations) return 1;
  const PM::ImportPeer::Worlds a = PoseAt(scene, scene.mAnimations[animation], first);
  const PM::ImportPeer::Worlds b = PoseAt(scene, scene.mAnimations[animation], second);
  // The model's size: the diagonal of its bounds at the first time.
  aiVector3D lo(FLT_MAX, FLT_MAX, FLT_MAX), hi(-FLT_MAX, -FLT_MAX, -FLT_MAX);
  for (const auto& [node, world] : a.world)
    for (unsigned i = 0; i < node->mNumMeshes; ++i)
      for (const aiVector3D& v : a.Positions(*scene.mMeshes[node->mMeshes[i]], node)) {
        lo = aiVector3D(std::min(lo.x, v.x), std::min(lo.y, v.y), std::min(lo.z, v.z));
        hi = aiVector3D(std::max(hi.x, v.x), std::max(hi.y, v.y), std::max(hi.z, v.z));
      }
  const float size = lo.x <= hi.x ? (hi - lo).Length() : 1.0f;
  long still = 0;
  for (const auto& [node, world] : a.world) {
    for (unsigned i = 0; i < node->mNumMeshes; ++i) {
      const aiMesh& mesh = *scene.mMeshes[node->mMeshes[i]];
      const std::vector<aiMatrix4x4> ma = a.Blended(mesh, node), mb = b.Blended(mesh, node);
      const std::vector<aiVector3D> pa = a.Positions(mesh, node), pb = b.Positions(mesh, node);
      for (unsigned f = 0; f < mesh.mNumFaces; ++f) {
        const aiFace& face = mesh.mFaces[f];
        if (face.mNumIndices != 3) continue;
        bool moved = false;
        for (unsigned k = 0; k < 3; ++k) moved = moved || Moved(ma[face.mIndices[k]], mb[face.mIndices[k]], size);
        if (!moved) {
          ++still;
          continue;
        }
        std::printf("triangle");
        PrintCorners(face, pa);
        PrintCorners(face, pb);
        std::printf("\n");
      }
    }
  }
  std::printf("still %ld\n", still);
  return 0;
}

int PrintList(const aiScene& scene, const std::string& file) {
  for (unsigned i = 0; i < scene.mNumAnimations; ++i) {
    const aiAnimation& a = *scene.mAnimations[i];
    // Assimp's convention: no ticks per second given means 25.
    const double ticks = a.mTicksPerSecond > 0 ? a.mTicksPerSecond : 25;
    std::printf("clip %s %g\n", a.mName.C_Str(), a.mDuration / ticks);
  }
  for (unsigned i = 0; i < scene.mNumCameras; ++i) std::printf("camera %s\n", scene.mCameras[i]->mName.C_Str());
  for (unsigned i = 0; i < scene.mNumLights; ++i) std::printf("light %s\n", scene.mLights[i]->mName.C_Str());
  for (unsigned i = 0; i < scene.mNumMaterials; ++i) {
    aiString name, texture;
    scene.mMaterials[i]->Get(AI_MATKEY_NAME, name);
    const bool textured = scene.mMaterials[i]->GetTexture(aiTextureType_DIFFUSE, 0, &texture) == AI_SUCCESS;
    const bool found = !textured || scene.GetEmbeddedTexture(texture.C_Str()) ||
                       !PM::Import::FindTextureFile(PM::Import::FolderOf(file), texture.C_Str()).empty();
    std::printf("material %s %s%s\n", name.C_Str(), textured ? texture.C_Str() : "-", found ? "" : " not found");
  }
  return 0;
}

}  // namespace

int main(int argc, char** argv) {
  const bool moved = argc == 6 && !std::strcmp(argv[1], "--moved");
  const bool list = argc == 3 && !std::strcmp(argv[1], "--list");
  if (argc != 2 && !moved && !list) return 2;
  Assimp::Importer importer;
  const aiScene* scene = importer.ReadFile(
      argv[argc - 1], aiProcess_Triangulate | aiProcess_SortByPType | aiProcess_ValidateDataStructure);
  if (!scene || !scene->mRootNode) {
    std::printf("refused %s\n", importer.GetErrorString());
    return 1;
  }
  if (moved) return PrintMoved(*scene, unsigned(std::strtoul(argv[2], nullptr, 10)), argv[3], argv[4]);
  if (list) return PrintList(*scene, argv[argc - 1]);
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
