// Skinning computed straight from Assimp's scene, for the tests' figures: each node's world matrix, the
// node Assimp finds by a name (the first, depth first), and a skinned mesh's vertices in the bind pose the
// file's node matrices give. Weights are scaled to sum to 1 per vertex, and a vertex no bone weighs stays
// with its mesh's node.
#pragma once

#include <assimp/scene.h>

#include <cmath>
#include <string>
#include <unordered_map>
#include <utility>
#include <vector>

namespace PM::ImportPeer {

struct Worlds {
  std::unordered_map<const aiNode*, aiMatrix4x4> world;
  std::unordered_map<std::string, const aiNode*> byName;  // the first node of each name, depth first

  explicit Worlds(const aiScene& scene) {
    std::vector<std::pair<const aiNode*, aiMatrix4x4>> pending{{scene.mRootNode, aiMatrix4x4()}};
    while (!pending.empty()) {
      auto [node, parent] = pending.back();
      pending.pop_back();
      const aiMatrix4x4 w = parent * node->mTransformation;
      world[node] = w;
      byName.try_emplace(std::string(node->mName.C_Str()), node);
      for (unsigned i = node->mNumChildren; i-- > 0;) pending.emplace_back(node->mChildren[i], w);
    }
  }
  const aiNode* Find(const aiString& name) const {
    const auto it = byName.find(name.C_Str());
    return it == byName.end() ? nullptr : it->second;
  }
  // Whether the mesh is skinned as the importer takes it: a bone of it names a node.
  bool Skinned(const aiMesh& mesh) const {
    for (unsigned b = 0; b < mesh.mNumBones; ++b)
      if (Find(mesh.mBones[b]->mName)) return true;
    return false;
  }
  // The mesh's vertices in the world, skinned where it is skinned, else by the world matrix of `node`.
  std::vector<aiVector3D> Positions(const aiMesh& mesh, const aiNode* node) const {
    const aiMatrix4x4& own = world.at(node);
    std::vector<aiVector3D> sum(mesh.mNumVertices, aiVector3D(0, 0, 0));
    std::vector<float> total(mesh.mNumVertices, 0.0f);
    for (unsigned b = 0; b < mesh.mNumBones; ++b) {
      const aiBone* bone = mesh.mBones[b];
      const aiNode* at = Find(bone->mName);
      if (!at) continue;
      const aiMatrix4x4 m = world.at(at) * bone->mOffsetMatrix;
      for (unsigned k = 0; k < bone->mNumWeights; ++k) {
        const aiVertexWeight& w = bone->mWeights[k];
        if (w.mVertexId >= mesh.mNumVertices || !(w.mWeight > 0) || !std::isfinite(w.mWeight)) continue;
        sum[w.mVertexId] += (m * mesh.mVertices[w.mVertexId]) * w.mWeight;
        total[w.mVertexId] += w.mWeight;
      }
    }
    for (unsigned v = 0; v < mesh.mNumVertices; ++v)
      sum[v] = total[v] > 0 ? sum[v] / total[v] : own * mesh.mVertices[v];
    return sum;
  }
};

}  // namespace PM::ImportPeer
