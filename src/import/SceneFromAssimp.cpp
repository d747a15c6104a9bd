#include "import/SceneFromAssimp.h"

#include <assimp/anim.h>
#include <assimp/camera.h>
#include <assimp/light.h>
#include <assimp/material.h>
#include <assimp/scene.h>

#include <algorithm>
#include <cstdio>
#include <memory>
#include <unordered_map>
#include <utility>
#include <vector>

#include "import/AssetRoot.h"
#include "import/Plural.h"
#include "import/SceneStream.h"
#include "import/TextureDecoder.h"
#include "import/TexturePath.h"

namespace PM::Import {

namespace {

std::string Text(const aiString& s) { return std::string(s.C_Str(), s.length); }

// A list longer than the stream carries is refused, never cut: false, with `error` naming the list's
// holder, its count and the cap.
bool Fits(uint64_t count, uint64_t cap, const std::string& holder, const char* items, std::string& error) {
  if (count <= cap) return true;
  error = holder + " has " + std::to_string(count) + " " + items + ", more than the " + std::to_string(cap) +
          " an import takes";
  return false;
}

std::string Quoted(const aiString& s) { return "\"" + Text(s) + "\""; }

// Each texture a material names, decoded once, found by the name the material gives; a file two names
// lead to is decoded once too.
class Textures {
 public:
  Textures(const aiScene& source, const std::string& folder, const std::vector<std::string>& folders, AssetRoot& root,
           Scene& scene)
      : m_source(source), m_folder(folder), m_folders(folders), m_root(root), m_scene(scene) {}

  int32_t Find(const aiString& name) {
    const std::string key = Text(name);
    if (const auto it = m_index.find(key); it != m_index.end()) return it->second;
    const auto index = static_cast<int32_t>(m_scene.textures.size());
    m_index.emplace(key, index);
    Texture texture;
    texture.source = key;
    if (const aiTexture* embedded = m_source.GetEmbeddedTexture(key.c_str())) {
      DecodeEmbeddedTexture(*embedded, texture);
    } else if (const std::string file = Locate(key, texture.fault); file.empty()) {
      texture.missing = true;
    } else if (const auto same = m_byFile.find(file); same != m_byFile.end()) {
      m_index[key] = same->second;
      return same->second;
    } else {
      m_byFile.emplace(file, index);
      std::unique_ptr<FILE, int (*)(FILE*)> f(m_root.Open(file, PathUse::kTexture), std::fclose);
      if (f) {
        DecodeTextureFile(f.get(), texture);
      } else {
        // Put in the file's place since it was found (the root's warning says so), or not readable.
        texture.missing = true;
        texture.fault = m_root.Refused(file) ? TextureFault::kNotRegular : TextureFault::kAbsent;
      }
    }
    m_scene.textures.push_back(std::move(texture));
    return index;
  }

 private:
  // The resolved file `name` stands for, or "" with `fault`: the first place the root lets a texture be
  // read from. A file found where the root refuses it is warned of only when no other place has one.
  std::string Locate(const std::string& name, TextureFault& fault) {
    std::string resolved, refusedPath;
    Refusal refused = Refusal::kNone;
    FindTextureFile(m_folder, name, m_folders, [&](const std::string& path) {
      Refusal why = Refusal::kNone;
      resolved = m_root.Check(path, PathUse::kTexture, why);
      if (resolved.empty() && refused == Refusal::kNone) {
        refused = why;
        refusedPath = path;
      }
      return !resolved.empty();
    });
    if (!resolved.empty()) return resolved;
    m_root.Warn(refusedPath, refused, PathUse::kTexture);
    fault = refused == Refusal::kOutside      ? TextureFault::kOutside
            : refused == Refusal::kNotRegular ? TextureFault::kNotRegular
                                              : TextureFault::kAbsent;
    return {};
  }

  const aiScene& m_source;
  const std::string& m_folder;
  const std::vector<std::string>& m_folders;
  AssetRoot& m_root;
  Scene& m_scene;
  std::unordered_map<std::string, int32_t> m_index;
  std::unordered_map<std::string, int32_t> m_byFile;  // by the file's resolved path
};

void Colour(const aiMaterial& m, const char* key, unsigned type, unsigned index, float* into, int count) {
  aiColor4D c;
  if (m.Get(key, type, index, c) != AI_SUCCESS) return;
  const float v[4] = {c.r, c.g, c.b, c.a};
  std::copy(v, v + count, into);
}

void AlphaMode(const aiMaterial& m, Material& out) {
  aiString mode;
  if (m.Get("$mat.gltf.alphaMode", 0, 0, mode) == AI_SUCCESS) {  // glTF states it
    const std::string text = Text(mode);
    out.alphaMode = text == "MASK" ? 1 : text == "BLEND" ? 2 : 0;
    m.Get("$mat.gltf.alphaCutoff", 0, 0, out.alphaCutoff);
    return;
  }
  out.alphaMode = out.diffuse[3] < 1 ? 2 : 0;
}

Material MaterialFrom(const aiMaterial& m, Textures& textures) {
  Material out;
  aiString name;
  if (m.Get(AI_MATKEY_NAME, name) == AI_SUCCESS) out.name = Text(name);
  Colour(m, AI_MATKEY_COLOR_DIFFUSE, out.diffuse, 4);
  Colour(m, AI_MATKEY_COLOR_SPECULAR, out.specular, 3);
  Colour(m, AI_MATKEY_COLOR_EMISSIVE, out.emissive, 3);
  Colour(m, AI_MATKEY_COLOR_AMBIENT, out.ambient, 3);
  float opacity = 1;
  const bool opacityStated = m.Get(AI_MATKEY_OPACITY, opacity) == AI_SUCCESS;
  if (opacityStated) out.diffuse[3] = opacity;
  m.Get(AI_MATKEY_SHININESS, out.shininess);
  m.Get(AI_MATKEY_SHININESS_STRENGTH, out.shininessStrength);
  int twoSided = 0;
  if (m.Get(AI_MATKEY_TWOSIDED, twoSided) == AI_SUCCESS)
    out.twoSided = twoSided != 0;
  else
    out.sidesUnknown = true;
  const bool metallic = m.Get(AI_MATKEY_METALLIC_FACTOR, out.metallic) == AI_SUCCESS;
  const bool roughness = m.Get(AI_MATKEY_ROUGHNESS_FACTOR, out.roughness) == AI_SUCCESS;
  out.metalRoughness = metallic || roughness;
  if (out.metalRoughness) Colour(m, AI_MATKEY_BASE_COLOR, out.diffuse, 4);
  AlphaMode(m, out);
  // A diffuse colour's alpha of 0 where the file states no opacity (MDL's palette colours) is a leftover,
  // not a wish to hide the faces; a stated opacity of 0 (AC3D's `trans 1`) is meant.
  if (!opacityStated && !out.metalRoughness) out.opacityZeroSlip = true;
  for (aiTextureType type : {aiTextureType_DIFFUSE, aiTextureType_BASE_COLOR}) {
    aiString path;
    unsigned uvSet = 0;
    if (m.GetTexture(type, 0, &path, nullptr, &uvSet) != AI_SUCCESS || path.length == 0) continue;
    out.diffuseTexture = textures.Find(path);
    out.diffuseUVSet = uvSet <= 1 ? uvSet : 0;
    break;
  }
  out.opacityTexture = m.GetTextureCount(aiTextureType_OPACITY) > 0;
  out.emissiveTexture =
      m.GetTextureCount(aiTextureType_EMISSIVE) > 0 || m.GetTextureCount(aiTextureType_EMISSION_COLOR) > 0;
  return out;
}

uint8_t PrimitiveOf(const aiMesh& m) {
  if (m.mPrimitiveTypes & aiPrimitiveType_TRIANGLE) return 3;
  if (m.mPrimitiveTypes & aiPrimitiveType_LINE) return 2;
  if (m.mPrimitiveTypes & aiPrimitiveType_POINT) return 1;
  return 3;
}

Mesh MeshFrom(const aiMesh& m, size_t materials) {
  Mesh out;
  out.name = Text(m.mName);
  out.primitive = PrimitiveOf(m);
  out.material = m.mMaterialIndex < materials ? m.mMaterialIndex : 0;
  const size_t n = m.mNumVertices;
  if (!m.mVertices) return out;
  out.positions.resize(n * 3);
  for (size_t v = 0; v < n; ++v) std::copy(&m.mVertices[v].x, &m.mVertices[v].x + 3, &out.positions[v * 3]);
  if (m.mNormals) {
    out.normals.resize(n * 3);
    for (size_t v = 0; v < n; ++v) std::copy(&m.mNormals[v].x, &m.mNormals[v].x + 3, &out.normals[v * 3]);
  }
  for (unsigned set = 0; set < 2; ++set) {
    if (!m.mTextureCoords[set]) continue;
    out.uv[set].resize(n * 2);
    for (size_t v = 0; v < n; ++v) {
      out.uv[set][v * 2] = m.mTextureCoords[set][v].x;
      out.uv[set][v * 2 + 1] = m.mTextureCoords[set][v].y;
    }
  }
  if (m.mColors[0]) {
    out.colors.resize(n * 4);
    for (size_t v = 0; v < n; ++v) std::copy(&m.mColors[0][v].r, &m.mColors[0][v].r + 4, &out.colors[v * 4]);
  }
  // Faces of another size than the mesh's primitive (none after sorting) or with a bad index are dropped.
  out.indices.reserve(size_t{m.mNumFaces} * out.primitive);
  for (unsigned f = 0; f < m.mNumFaces && m.mFaces; ++f) {
    const aiFace& face = m.mFaces[f];
    if (face.mNumIndices != out.primitive || !face.mIndices) continue;
    if (std::any_of(face.mIndices, face.mIndices + face.mNumIndices, [n](unsigned i) { return i >= n; })) continue;
    out.indices.insert(out.indices.end(), face.mIndices, face.mIndices + face.mNumIndices);
  }
  return out;
}

// Nodes parents first, depth first, with an explicit stack: the tree's depth does not reach the call stack.
bool NodesFrom(const aiScene& source, Scene& scene, std::string& error) {
  std::vector<std::pair<const aiNode*, int32_t>> stack{{source.mRootNode, -1}};
  while (!stack.empty()) {
    const auto [node, parent] = stack.back();
    stack.pop_back();
    if (!node) continue;
    if (scene.nodes.size() >= kMaxItems) {
      error = "the scene has more than " + std::to_string(kMaxItems) + " nodes";
      return false;
    }
    Node out;
    out.name = Text(node->mName);
    out.parent = parent;
    std::copy(&node->mTransformation.a1, &node->mTransformation.a1 + 16, out.matrix);
    if (node->mMeshes && !Fits(node->mNumMeshes, kMaxItems, "the node " + Quoted(node->mName), "meshes", error))
      return false;
    for (unsigned i = 0; i < node->mNumMeshes && node->mMeshes; ++i)
      if (node->mMeshes[i] < scene.meshes.size()) out.meshes.push_back(node->mMeshes[i]);
    const auto index = static_cast<int32_t>(scene.nodes.size());
    scene.nodes.push_back(std::move(out));
    for (unsigned i = node->mNumChildren; i-- > 0 && node->mChildren;) stack.emplace_back(node->mChildren[i], index);
  }
  if (scene.nodes.empty()) {
    error = "the scene has no root node";
    return false;
  }
  return true;
}

void Copy3(const aiVector3D& v, float* into) { into[0] = v.x, into[1] = v.y, into[2] = v.z; }
void Copy3(const aiColor3D& c, float* into) { into[0] = c.r, into[1] = c.g, into[2] = c.b; }

// Assimp places a camera or light at the first node (depth first) of its name; the root when none has it.
class NodeByName {
 public:
  explicit NodeByName(const Scene& scene) {
    for (size_t i = scene.nodes.size(); i-- > 0;) m_index[scene.nodes[i].name] = static_cast<uint32_t>(i);
  }
  uint32_t operator()(const aiString& name) const {
    const auto it = m_index.find(Text(name));
    return it == m_index.end() ? 0 : it->second;
  }

 private:
  std::unordered_map<std::string, uint32_t> m_index;
};

// Assimp's glTF importer copies a camera's node translation into the camera's position, which it
// documents as relative to that node: the camera would stand twice as far out.
bool CameraPositionRepeatsNode(const aiScene& source) {
  aiString format;
  return source.mMetaData && source.mMetaData->Get("SourceAsset_Format", format) && Text(format).rfind("glTF", 0) == 0;
}

bool CamerasAndLights(const aiScene& source, Scene& scene, std::string& error) {
  if ((source.mCameras && !Fits(source.mNumCameras, kMaxItems, "the scene", "cameras", error)) ||
      (source.mLights && !Fits(source.mNumLights, kMaxItems, "the scene", "lights", error)))
    return false;
  const NodeByName nodeOf(scene);
  const bool repeated = CameraPositionRepeatsNode(source);
  for (unsigned i = 0; i < source.mNumCameras && source.mCameras; ++i) {
    const aiCamera* c = source.mCameras[i];
    if (!c) continue;
    Camera out;
    out.name = Text(c->mName);
    out.node = nodeOf(c->mName);
    Copy3(c->mPosition, out.position);
    const float* m = scene.nodes[out.node].matrix;
    if (repeated && out.position[0] == m[3] && out.position[1] == m[7] && out.position[2] == m[11])
      out.position[0] = out.position[1] = out.position[2] = 0;
    Copy3(c->mLookAt, out.lookAt);
    Copy3(c->mUp, out.up);
    out.horizontalFov = c->mHorizontalFOV;
    out.aspect = c->mAspect;
    out.clipNear = c->mClipPlaneNear;
    out.clipFar = c->mClipPlaneFar;
    out.orthographicWidth = c->mOrthographicWidth;
    scene.cameras.push_back(std::move(out));
  }
  for (unsigned i = 0; i < source.mNumLights && source.mLights; ++i) {
    const aiLight* l = source.mLights[i];
    if (!l || l->mType < aiLightSource_DIRECTIONAL || l->mType > aiLightSource_AREA) continue;
    Light out;
    out.name = Text(l->mName);
    out.node = nodeOf(l->mName);
    out.type = static_cast<uint8_t>(l->mType);
    Copy3(l->mPosition, out.position);
    Copy3(l->mDirection, out.direction);
    Copy3(l->mColorDiffuse, out.color);
    Copy3(l->mColorAmbient, out.ambient);
    scene.lights.push_back(std::move(out));
  }
  return true;
}

bool Skins(const aiScene& source, Scene& scene, std::string& error) {
  const NodeByName nodeOf(scene);
  std::unordered_map<std::string, bool> named;
  for (const Node& n : scene.nodes) named[n.name] = true;
  for (unsigned i = 0; i < source.mNumMeshes && source.mMeshes; ++i) {
    const aiMesh* m = source.mMeshes[i];
    if (!m || m->mNumBones == 0 || !m->mBones) continue;
    if (!Fits(m->mNumBones, kMaxItems, "the mesh " + Quoted(m->mName), "bones", error)) return false;
    Skin skin;
    skin.mesh = i;
    const size_t vertices = scene.meshes[i].positions.size() / 3;
    for (unsigned b = 0; b < m->mNumBones; ++b) {
      const aiBone* bone = m->mBones[b];
      // A bone without a node of its name has nothing to move it: its weights go to the others.
      if (!bone || !named.count(Text(bone->mName))) continue;
      if (bone->mWeights &&
          !Fits(bone->mNumWeights, kMaxItems, "the bone " + Quoted(bone->mName) + " of the mesh " + Quoted(m->mName),
                "weights", error))
        return false;
      Bone out;
      out.node = nodeOf(bone->mName);
      std::copy(&bone->mOffsetMatrix.a1, &bone->mOffsetMatrix.a1 + 16, out.offset);
      for (unsigned w = 0; w < bone->mNumWeights && bone->mWeights; ++w) {
        if (bone->mWeights[w].mVertexId >= vertices) continue;
        out.vertices.push_back(bone->mWeights[w].mVertexId);
        out.weights.push_back(bone->mWeights[w].mWeight);
      }
      skin.bones.push_back(std::move(out));
    }
    if (!skin.bones.empty()) scene.skins.push_back(std::move(skin));
  }
  return true;
}

// A mesh's morph targets (Assimp's animation meshes) as deltas from the mesh: Assimp gives the vertices
// and normals a target replaces the mesh's with. A target of another vertex count than its mesh's has no
// vertex to move and is left out; so are the texture coordinates and colours of targets (the engine
// blends positions and normals). Both are counted in `leftOut`.
struct MorphsLeftOut {
  size_t otherCount = 0, attributes = 0;
  size_t strayWeights = 0;  // key weights naming a target no mesh of the channel's node has
};

bool Morphs(const aiScene& source, Scene& scene, MorphsLeftOut& left, std::string& error) {
  for (unsigned i = 0; i < source.mNumMeshes && source.mMeshes; ++i) {
    const aiMesh* m = source.mMeshes[i];
    Mesh& mesh = scene.meshes[i];
    if (!m || !m->mAnimMeshes || mesh.positions.empty()) continue;
    const size_t n = mesh.positions.size() / 3;
    for (unsigned t = 0; t < m->mNumAnimMeshes; ++t) {
      const aiAnimMesh* a = m->mAnimMeshes[t];
      if (!a) continue;
      if (a->mNumVertices != n) {
        ++left.otherCount;
        continue;
      }
      if (!Fits(mesh.targets.size() + 1, kMaxMorphTargets, "the mesh " + Quoted(m->mName), "morph targets", error))
        return false;
      bool other = false;
      for (unsigned set = 0; set < AI_MAX_NUMBER_OF_TEXTURECOORDS; ++set) other = other || a->mTextureCoords[set];
      for (unsigned set = 0; set < AI_MAX_NUMBER_OF_COLOR_SETS; ++set) other = other || a->mColors[set];
      left.attributes += other;
      MorphTarget& out = mesh.targets.emplace_back();
      out.name = Text(a->mName);
      out.weight = a->mWeight;
      auto deltas = [n](const aiVector3D* to, const std::vector<float>& from, std::vector<float>& into) {
        if (!to || from.size() != n * 3) return;
        into.resize(n * 3);
        for (size_t v = 0; v < n; ++v)
          for (size_t c = 0; c < 3; ++c) into[v * 3 + c] = (&to[v].x)[c] - from[v * 3 + c];
      };
      deltas(a->mVertices, mesh.positions, out.positionDeltas);
      deltas(a->mNormals, mesh.normals, out.normalDeltas);
    }
  }
  return true;
}

// Morph channels name the node whose meshes they morph; a channel naming no node moves nothing, and a
// target index no mesh of its node has is dropped from its key (and counted in `left`).
bool MorphChannels(const aiAnimation& a, const std::string& clip,
                   const std::unordered_map<std::string, uint32_t>& nodeOf, const std::vector<size_t>& nodeTargets,
                   Animation& out, MorphsLeftOut& left, std::string& error) {
  if (a.mMorphMeshChannels && !Fits(a.mNumMorphMeshChannels, kMaxItems, clip, "morph channels", error)) return false;
  for (unsigned c = 0; c < a.mNumMorphMeshChannels && a.mMorphMeshChannels; ++c) {
    const aiMeshMorphAnim* channel = a.mMorphMeshChannels[c];
    if (!channel) continue;
    const auto node = nodeOf.find(Text(channel->mName));
    if (node == nodeOf.end()) continue;
    const std::string which = "the morph channel of node " + Quoted(channel->mName) + " in " + clip;
    if (channel->mKeys && !Fits(channel->mNumKeys, kMaxKeys, which, "keys", error)) return false;
    const size_t targets = nodeTargets[node->second];
    MorphChannel& ch = out.morphChannels.emplace_back();
    ch.node = node->second;
    for (unsigned k = 0; k < channel->mNumKeys && channel->mKeys; ++k) {
      const aiMeshMorphKey& key = channel->mKeys[k];
      uint32_t count = 0;
      for (unsigned p = 0; p < key.mNumValuesAndWeights && key.mValues && key.mWeights; ++p) {
        if (key.mValues[p] >= targets) {
          ++left.strayWeights;
          continue;
        }
        if (!Fits(ch.targets.size() + 1, kMaxMorphPairs, which, "target weights", error)) return false;
        ch.targets.push_back(key.mValues[p]);
        ch.weights.push_back(float(key.mWeights[p]));
        ++count;
      }
      ch.times.push_back(key.mTime);
      ch.counts.push_back(count);
    }
  }
  return true;
}

// Every key of a channel, or false with `error` when they are more than the stream carries.
template <class Key, class Copy>
bool KeysFrom(const Key* keys, unsigned count, Keys& out, Copy copy, const std::string& channel, const char* kind,
              std::string& error) {
  if (!keys) return true;
  if (!Fits(count, kMaxKeys, channel, kind, error)) return false;
  out.times.reserve(count);
  for (unsigned k = 0; k < count; ++k) {
    out.times.push_back(keys[k].mTime);
    copy(keys[k].mValue, out.values);
  }
  return true;
}

bool Animations(const aiScene& source, Scene& scene, MorphsLeftOut& left, std::string& error) {
  std::unordered_map<std::string, uint32_t> nodeOf;
  for (size_t i = scene.nodes.size(); i-- > 0;) nodeOf[scene.nodes[i].name] = static_cast<uint32_t>(i);
  std::vector<size_t> nodeTargets(scene.nodes.size());  // the most targets a mesh of each node has
  for (size_t i = 0; i < scene.nodes.size(); ++i)
    for (uint32_t m : scene.nodes[i].meshes) nodeTargets[i] = std::max(nodeTargets[i], scene.meshes[m].targets.size());
  auto vector3 = [](const aiVector3D& v, std::vector<float>& out) { out.insert(out.end(), {v.x, v.y, v.z}); };
  auto quaternion = [](const aiQuaternion& q, std::vector<float>& out) { out.insert(out.end(), {q.w, q.x, q.y, q.z}); };
  if (source.mAnimations && !Fits(source.mNumAnimations, kMaxItems, "the scene", "clips", error)) return false;
  for (unsigned i = 0; i < source.mNumAnimations && source.mAnimations; ++i) {
    const aiAnimation* a = source.mAnimations[i];
    if (!a) continue;
    const std::string clip = a->mName.length ? "the clip " + Quoted(a->mName) : "clip " + std::to_string(i);
    if (a->mChannels && !Fits(a->mNumChannels, kMaxItems, clip, "channels", error)) return false;
    Animation out;
    out.name = Text(a->mName);
    out.duration = a->mDuration;
    out.ticksPerSecond = a->mTicksPerSecond;
    for (unsigned c = 0; c < a->mNumChannels && a->mChannels; ++c) {
      const aiNodeAnim* channel = a->mChannels[c];
      // A channel whose node the scene lacks moves nothing.
      if (!channel) continue;
      const auto node = nodeOf.find(Text(channel->mNodeName));
      if (node == nodeOf.end()) continue;
      Channel& ch = out.channels.emplace_back();
      ch.node = node->second;
      ch.preState = static_cast<uint8_t>(std::min<unsigned>(channel->mPreState, 3));
      ch.postState = static_cast<uint8_t>(std::min<unsigned>(channel->mPostState, 3));
      const std::string which = "the channel of node " + Quoted(channel->mNodeName) + " in " + clip;
      if (!KeysFrom(channel->mPositionKeys, channel->mNumPositionKeys, ch.translation, vector3, which,
                    "translation keys", error) ||
          !KeysFrom(channel->mRotationKeys, channel->mNumRotationKeys, ch.rotation, quaternion, which, "rotation keys",
                    error) ||
          !KeysFrom(channel->mScalingKeys, channel->mNumScalingKeys, ch.scaling, vector3, which, "scaling keys", error))
        return false;
    }
    if (!MorphChannels(*a, clip, nodeOf, nodeTargets, out, left, error)) return false;
    scene.animations.push_back(std::move(out));
  }
  return true;
}

// What no engine object carries, told in one sentence.
void LeftOut(const MorphsLeftOut& left, Scene& scene) {
  auto targets = [](size_t n) { return Plural(n, " morph target", " morph targets"); };
  std::string parts;
  if (left.otherCount)
    parts = targets(left.otherCount) + (left.otherCount == 1 ? " whose vertex count differs from its mesh's"
                                                             : " whose vertex counts differ from their meshes'");
  if (left.attributes)
    parts += (parts.empty() ? "" : "; ") + ("the texture coordinates and colours of " + targets(left.attributes));
  if (left.strayWeights)
    parts += (parts.empty() ? "" : "; ") +
             Plural(left.strayWeights, " morph key weight naming a target", " morph key weights naming targets") +
             " no mesh of their node has";
  if (!parts.empty()) scene.leftOut = "Not imported: " + parts + ".";
}

}  // namespace

bool SceneFromAssimp(const aiScene& source, const std::string& folder, const std::vector<std::string>& textureFolders,
                     AssetRoot& root, Scene& scene, std::string& error) {
  scene = Scene();
  if (source.mNumMaterials > kMaxItems || source.mNumMeshes > kMaxItems) {
    error = "the scene has more than " + std::to_string(kMaxItems) + " materials or meshes";
    return false;
  }
  Textures textures(source, folder, textureFolders, root, scene);
  for (unsigned i = 0; i < source.mNumMaterials && source.mMaterials; ++i)
    scene.materials.push_back(source.mMaterials[i] ? MaterialFrom(*source.mMaterials[i], textures) : Material());
  if (scene.materials.empty()) scene.materials.emplace_back();
  for (unsigned i = 0; i < source.mNumMeshes && source.mMeshes; ++i)
    scene.meshes.push_back(source.mMeshes[i] ? MeshFrom(*source.mMeshes[i], scene.materials.size()) : Mesh());
  if (scene.textures.size() > kMaxItems) {
    error = "the scene names more than " + std::to_string(kMaxItems) + " textures";
    return false;
  }
  if (!NodesFrom(source, scene, error)) return false;
  MorphsLeftOut left;
  if (!CamerasAndLights(source, scene, error) || !Skins(source, scene, error) || !Morphs(source, scene, left, error) ||
      !Animations(source, scene, left, error))
    return false;
  LeftOut(left, scene);
  return true;
}

}  // namespace PM::Import
