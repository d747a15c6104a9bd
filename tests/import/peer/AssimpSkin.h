// Skinning computed straight from Assimp's scene, for the tests' figures: each node's world matrix (in the
// file's pose, or with an animation at a time by Assimp's own interpolation), the node Assimp finds by a
// name (the first, depth first), and a skinned mesh's vertices in that pose. Weights are scaled to sum to 1
// per vertex, and a vertex no bone weighs stays with its mesh's node.
#pragma once

#include <assimp/scene.h>

#include <cmath>
#include <string>
#include <unordered_map>
#include <utility>
#include <vector>

namespace PM::ImportPeer {

// The keys around `ticks`: the last key at or before it and the next, with the fraction between them.
template <class Key>
void Around(const Key* keys, unsigned n, double ticks, unsigned& a, unsigned& b, double& f) {
  a = b = 0;
  f = 0;
  if (n == 0 || ticks <= keys[0].mTime) return;
  if (ticks >= keys[n - 1].mTime) {
    a = b = n - 1;
    return;
  }
  while (a + 1 < n && keys[a + 1].mTime <= ticks) ++a;
  b = a + 1;
  f = (ticks - keys[a].mTime) / (keys[b].mTime - keys[a].mTime);
}

inline aiVector3D VectorAt(const aiVectorKey* keys, unsigned n, double ticks, const aiVector3D& fallback) {
  if (n == 0) return fallback;
  unsigned a, b;
  double f;
  Around(keys, n, ticks, a, b, f);
  return keys[a].mValue + (keys[b].mValue - keys[a].mValue) * ai_real(f);
}

// A node's matrix under its channel at `ticks`: keys held outside their times, vectors linear between keys,
// rotations by aiQuaternion::Interpolate; a kind without keys stays as the node's own matrix decomposes.
inline aiMatrix4x4 LocalAt(const aiNodeAnim& c, double ticks, const aiMatrix4x4& own) {
  aiVector3D scaling, position;
  aiQuaternion rotation;
  own.Decompose(scaling, rotation, position);
  if (c.mNumRotationKeys) {
    unsigned a, b;
    double f;
    Around(c.mRotationKeys, c.mNumRotationKeys, ticks, a, b, f);
    aiQuaternion::Interpolate(rotation, c.mRotationKeys[a].mValue.Normalize(), c.mRotationKeys[b].mValue.Normalize(),
                              ai_real(f));
    rotation.Normalize();
  }
  position = VectorAt(c.mPositionKeys, c.mNumPositionKeys, ticks, position);
  scaling = VectorAt(c.mScalingKeys, c.mNumScalingKeys, ticks, scaling);
  return aiMatrix4x4(scaling, rotation, position);
}

struct Worlds {
  std::unordered_map<const aiNode*, aiMatrix4x4> world;
  std::unordered_map<std::string, const aiNode*> byName;  // the first node of each name, depth first

  // The file's pose, or `animation` (may be null) at `seconds` (tick rate 0 counts 25 a second); a channel
  // drives the first node of its name.
  explicit Worlds(const aiScene& scene, const aiAnimation* animation = nullptr, double seconds = 0) {
    std::vector<const aiNode*> walk{scene.mRootNode};
    while (!walk.empty()) {
      const aiNode* node = walk.back();
      walk.pop_back();
      byName.try_emplace(std::string(node->mName.C_Str()), node);
      for (unsigned i = node->mNumChildren; i-- > 0;) walk.push_back(node->mChildren[i]);
    }
    std::unordered_map<const aiNode*, const aiNodeAnim*> channels;
    for (unsigned i = 0; animation && i < animation->mNumChannels; ++i)
      if (const aiNode* n = Find(animation->mChannels[i]->mNodeName)) channels.try_emplace(n, animation->mChannels[i]);
    const double ticks = animation ? seconds * (animation->mTicksPerSecond > 0 ? animation->mTicksPerSecond : 25.0) : 0;
    std::vector<std::pair<const aiNode*, aiMatrix4x4>> pending{{scene.mRootNode, aiMatrix4x4()}};
    while (!pending.empty()) {
      auto [node, parent] = pending.back();
      pending.pop_back();
      const auto c = channels.find(node);
      const aiMatrix4x4 w =
          parent * (c == channels.end() ? node->mTransformation : LocalAt(*c->second, ticks, node->mTransformation));
      world[node] = w;
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
    std::vector<aiVector3D> sum(mesh.mNumVertices, aiVector3D(0, 0, 0));
    const std::vector<float> total =
        Weigh(mesh, [&](unsigned v, const aiMatrix4x4& m, float w) { sum[v] += (m * mesh.mVertices[v]) * w; });
    const aiMatrix4x4& own = world.at(node);
    for (unsigned v = 0; v < mesh.mNumVertices; ++v)
      sum[v] = total[v] > 0 ? sum[v] / total[v] : own * mesh.mVertices[v];
    return sum;
  }
  // Each vertex's matrix: its bones' matrices blended by its weights, or the world matrix of `node`. Two
  // poses that give a vertex the same matrix put it, and its normal, in the same place.
  std::vector<aiMatrix4x4> Blended(const aiMesh& mesh, const aiNode* node) const {
    std::vector<aiMatrix4x4> sum(mesh.mNumVertices, aiMatrix4x4() * 0.0f);
    const std::vector<float> total =
        Weigh(mesh, [&](unsigned v, const aiMatrix4x4& m, float w) { sum[v] = sum[v] + m * w; });
    const aiMatrix4x4& own = world.at(node);
    for (unsigned v = 0; v < mesh.mNumVertices; ++v) sum[v] = total[v] > 0 ? sum[v] * (1.0f / total[v]) : own;
    return sum;
  }

 private:
  // Calls `add(vertex, bone matrix, weight)` for each usable weight; each vertex's weight total.
  template <class Add>
  std::vector<float> Weigh(const aiMesh& mesh, Add add) const {
    std::vector<float> total(mesh.mNumVertices, 0.0f);
    for (unsigned b = 0; b < mesh.mNumBones; ++b) {
      const aiBone* bone = mesh.mBones[b];
      const aiNode* at = Find(bone->mName);
      if (!at) continue;
      const aiMatrix4x4 m = world.at(at) * bone->mOffsetMatrix;
      for (unsigned k = 0; k < bone->mNumWeights; ++k) {
        const aiVertexWeight& w = bone->mWeights[k];
        if (w.mVertexId >= mesh.mNumVertices || !(w.mWeight > 0) || !std::isfinite(w.mWeight)) continue;
        add(w.mVertexId, m, w.mWeight);
        total[w.mVertexId] += w.mWeight;
      }
    }
    return total;
  }
};

}  // namespace PM::ImportPeer
