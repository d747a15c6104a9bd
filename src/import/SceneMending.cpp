#include "import/SceneMending.h"

#include <assimp/anim.h>
#include <assimp/postprocess.h>
#include <assimp/scene.h>
#include <assimp/Importer.hpp>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <tuple>
#include <vector>

#include "import/Ac3dFile.h"
#include "import/ImportScene.h"
#include "import/Plural.h"

namespace PM::Import {

namespace {

// Assimp's validation lets a key stand this far past its clip's end.
constexpr double kDurationSlack = 0.001;
// Clips named in the sentence; the rest are counted.
constexpr size_t kNamedClips = 3;

template <class Key>
bool TimesFinite(const Key* keys, unsigned count) {
  return std::all_of(keys, keys + count, [](const Key& k) { return std::isfinite(k.mTime); });
}

template <class Key>
double LastTime(const Key* keys, unsigned count, double last) {
  for (unsigned k = 0; k < count; ++k)
    if (std::isfinite(keys[k].mTime)) last = std::max(last, keys[k].mTime);
  return last;
}

constexpr auto Earlier = [](const auto& a, const auto& b) { return a.mTime < b.mTime; };

// Keys of a channel in time order (keys of one time keep the file's order); a time that is not a number
// leaves them as they are, for the validation to judge. True when they were moved.
template <class Key>
bool Sort(Key* keys, unsigned count) {
  if (!keys || count < 2 || !TimesFinite(keys, count) || std::is_sorted(keys, keys + count, Earlier)) return false;
  std::stable_sort(keys, keys + count, Earlier);
  return true;
}

// A morph key owns its arrays (its destructor frees them): its fields are moved, never the keys.
bool Sort(aiMeshMorphKey* keys, unsigned count) {
  if (!keys || count < 2 || !TimesFinite(keys, count) || std::is_sorted(keys, keys + count, Earlier)) return false;
  std::vector<std::tuple<double, unsigned*, double*, unsigned>> fields;
  fields.reserve(count);
  for (unsigned k = 0; k < count; ++k)
    fields.emplace_back(keys[k].mTime, keys[k].mValues, keys[k].mWeights, keys[k].mNumValuesAndWeights);
  std::stable_sort(fields.begin(), fields.end(),
                   [](const auto& a, const auto& b) { return std::get<0>(a) < std::get<0>(b); });
  for (unsigned k = 0; k < count; ++k)
    std::tie(keys[k].mTime, keys[k].mValues, keys[k].mWeights, keys[k].mNumValuesAndWeights) = fields[k];
  return true;
}

std::string Ticks(double t) {
  char text[32];
  std::snprintf(text, sizeof text, "%g", t);
  return text;
}

std::string ClipName(const aiAnimation& a, unsigned index) {
  return a.mName.length ? "\"" + std::string(a.mName.C_Str()) + "\"" : "clip " + std::to_string(index);
}

// Whether `scene` holds no mesh but clips or a tree of nodes (a skeleton, or clips meant for another
// model): Assimp's validation refuses a scene without meshes unless it is marked incomplete.
bool HoldsOnlyAnimation(const aiScene& scene) {
  return scene.mNumMeshes == 0 && (scene.mNumAnimations > 0 || (scene.mRootNode && scene.mRootNode->mNumChildren > 0));
}

}  // namespace

std::string MendAnimations(aiScene& scene) {
  std::string stretched, emptied;
  size_t stretchedCount = 0, emptiedCount = 0, sortedChannels = 0;
  for (unsigned i = 0; i < scene.mNumAnimations && scene.mAnimations; ++i) {
    aiAnimation* a = scene.mAnimations[i];
    if (!a) continue;
    double last = 0;
    for (unsigned c = 0; c < a->mNumChannels && a->mChannels; ++c) {
      aiNodeAnim* ch = a->mChannels[c];
      if (!ch) continue;
      const bool position = Sort(ch->mPositionKeys, ch->mNumPositionKeys);
      const bool rotation = Sort(ch->mRotationKeys, ch->mNumRotationKeys);
      const bool scaling = Sort(ch->mScalingKeys, ch->mNumScalingKeys);
      sortedChannels += position || rotation || scaling;
      if (ch->mPositionKeys) last = LastTime(ch->mPositionKeys, ch->mNumPositionKeys, last);
      if (ch->mRotationKeys) last = LastTime(ch->mRotationKeys, ch->mNumRotationKeys, last);
      if (ch->mScalingKeys) last = LastTime(ch->mScalingKeys, ch->mNumScalingKeys, last);
    }
    for (unsigned c = 0; c < a->mNumMorphMeshChannels && a->mMorphMeshChannels; ++c) {
      aiMeshMorphAnim* ch = a->mMorphMeshChannels[c];
      if (!ch || !ch->mKeys) continue;
      sortedChannels += Sort(ch->mKeys, ch->mNumKeys);
      last = LastTime(ch->mKeys, ch->mNumKeys, last);
    }
    if (!(last > 0)) continue;
    if (a->mDuration == 0) {
      a->mDuration = last;
      if (emptiedCount++ < kNamedClips) emptied += (emptiedCount > 1 ? ", " : "") + ClipName(*a, i);
    } else if (a->mDuration > 0 && last > a->mDuration + kDurationSlack) {
      if (stretchedCount++ < kNamedClips)
        stretched += (stretchedCount > 1 ? ", " : "") + ClipName(*a, i) + " from " + Ticks(a->mDuration) + " to " +
                     Ticks(last) + " ticks";
      a->mDuration = last;
    }
  }
  auto more = [](size_t count) {
    return count > kNamedClips ? " and " + std::to_string(count - kNamedClips) + " more" : std::string();
  };
  std::vector<std::string> parts;
  if (stretchedCount)
    parts.push_back(Plural(stretchedCount, " clip shorter than its keys", " clips shorter than their keys") +
                    " lengthened to the last key (" + stretched + more(stretchedCount) + ")");
  if (emptiedCount)
    parts.push_back(Plural(emptiedCount, " clip", " clips") + " of no length given the last key's time (" + emptied +
                    more(emptiedCount) + ")");
  if (sortedChannels)
    parts.push_back("the keys of " + Plural(sortedChannels, " channel", " channels") + " put in time order");
  std::string sentence;
  for (const std::string& part : parts) sentence += (sentence.empty() ? "its clips were mended: " : "; ") + part;
  return sentence;
}

const aiScene* ValidateScene(Assimp::Importer& importer) {
  // The importer's scene is Assimp's to change, as its own steps do.
  auto* scene = const_cast<aiScene*>(importer.GetScene());
  if (!scene) return nullptr;
  const unsigned flags = scene->mFlags;
  const bool animationOnly = HoldsOnlyAnimation(*scene);
  if (animationOnly) scene->mFlags |= AI_SCENE_FLAGS_INCOMPLETE;
  auto* valid = const_cast<aiScene*>(importer.ApplyPostProcessing(aiProcess_ValidateDataStructure));
  if (valid) valid->mFlags = flags;
  return valid;
}

std::string MendAc3dScene(Scene& scene, const Ac3dFile& file) {
  // Assimp names each material after the file's (one a mesh); a name the file gives no surface keeps
  // "cannot say".
  for (Material& m : scene.materials) {
    uint64_t one = 0, two = 0;
    for (size_t i = 0; i < file.materials.size(); ++i)
      if (file.materials[i] == m.name) one += file.oneSided[i], two += file.twoSided[i];
    if (one + two == 0) continue;
    m.twoSided = two > 0;
    m.sidesUnknown = false;
  }
  // Assimp's nodes are the file's objects, depth first as the file lists them; where they differ nothing is
  // moved.
  if (scene.nodes.size() != file.objects.size()) return "";
  uint64_t placed = 0;
  for (size_t i = 0; i < file.objects.size(); ++i) {
    const Ac3dObject& o = file.objects[i];
    float* m = scene.nodes[i].matrix;
    const bool linesAlone = o.lines > 0 && o.polygons == 0;
    const bool named = o.name.empty() || o.name == scene.nodes[i].name;
    const bool dropped = m[3] == 0 && m[7] == 0 && m[11] == 0;
    if (!linesAlone || !named || !dropped || (o.loc[0] == 0 && o.loc[1] == 0 && o.loc[2] == 0)) continue;
    m[3] = o.loc[0], m[7] = o.loc[1], m[11] = o.loc[2];
    ++placed;
  }
  if (placed == 0) return "";
  return Plural(placed, " object of lines alone was", " objects of lines alone were") +
         " placed at the loc the file gives (Assimp 5.2 leaves such objects at their group's origin)";
}

}  // namespace PM::Import
