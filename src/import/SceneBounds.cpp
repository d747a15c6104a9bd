#include "import/SceneBounds.h"

#include <algorithm>
#include <vector>

#include "import/SceneStream.h"
#include "scene/TreeDepth.h"

namespace PM::Import {

// The engine's walks take kMaxTreeDepth levels: the import's own root and the leaves under the deepest
// node take two of them.
const SceneBounds kSceneBounds = {uint64_t(kMaxTreeDepth) - 2, uint64_t{1} << 18, uint64_t{1} << 26, kMaxKeys,
                                  uint64_t{1} << 31};

namespace {

bool Exceeds(const char* what, uint64_t count, uint64_t bound, std::string& error) {
  if (count <= bound) return false;
  error = "the scene has " + std::to_string(count) + " " + what + ", more than the " + std::to_string(bound) +
          " an import takes";
  return true;
}

}  // namespace

bool CheckSceneBounds(const Scene& scene, const SceneBounds& bounds, std::string& error) {
  // Parents come first (the stream guarantees it), so one pass gives every depth.
  std::vector<uint32_t> depth(scene.nodes.size(), 1);
  uint64_t deepest = 0, instances = 0;
  for (size_t i = 0; i < scene.nodes.size(); ++i) {
    const int32_t parent = scene.nodes[i].parent;
    if (parent >= 0 && size_t(parent) < i) depth[i] = depth[size_t(parent)] + 1;
    deepest = std::max<uint64_t>(deepest, depth[i]);
    instances += scene.nodes[i].meshes.size();
  }
  uint64_t vertices = 0, keys = 0, textureBytes = 0;
  for (const Mesh& m : scene.meshes) vertices += m.positions.size() / 3 * (1 + m.targets.size());
  for (const Animation& a : scene.animations) {
    for (const Channel& c : a.channels)
      keys += c.translation.times.size() + c.rotation.times.size() + c.scaling.times.size();
    for (const MorphChannel& c : a.morphChannels) keys += c.times.size() + c.targets.size();
  }
  for (const Texture& t : scene.textures) textureBytes += t.rgba.size();
  return !Exceeds("levels of nodes", deepest, bounds.depth, error) &&
         !Exceeds("mesh instances", instances, bounds.instances, error) &&
         !Exceeds("vertices", vertices, bounds.vertices, error) &&
         !Exceeds("animation keys", keys, bounds.keys, error) &&
         !Exceeds("bytes of texture pixels", textureBytes, bounds.textureBytes, error);
}

}  // namespace PM::Import
