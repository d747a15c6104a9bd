#include "import/SceneBounds.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <limits>
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

// The box of a mesh's finite vertices (in its own space), as a centre and half extents; `any` false when
// it has none.
struct Box {
  double centre[3] = {0, 0, 0}, half[3] = {0, 0, 0};
  bool any = false;
};

Box BoxOf(const Mesh& mesh) {
  Box box;
  constexpr double kInf = std::numeric_limits<double>::infinity();
  double lo[3] = {kInf, kInf, kInf}, hi[3] = {-kInf, -kInf, -kInf};
  for (size_t k = 0; k + 2 < mesh.positions.size(); k += 3) {
    const float* p = &mesh.positions[k];
    if (!std::isfinite(p[0]) || !std::isfinite(p[1]) || !std::isfinite(p[2])) continue;
    for (int c = 0; c < 3; ++c) lo[c] = std::min(lo[c], double(p[c])), hi[c] = std::max(hi[c], double(p[c]));
    box.any = true;
  }
  for (int c = 0; box.any && c < 3; ++c) box.centre[c] = (lo[c] + hi[c]) / 2, box.half[c] = (hi[c] - lo[c]) / 2;
  return box;
}

// Past a float's range, or not a number while the file's own numbers are.
bool OutOfRange(double v) { return !(std::abs(v) <= double(std::numeric_limits<float>::max())); }

std::string Named(const char* what, const std::string& name, size_t index) {
  return std::string(what) + (name.empty() ? " " + std::to_string(index) : " \"" + name + "\"");
}

}  // namespace

bool CheckSceneCoordinates(const Scene& scene, std::string& error) {
  // World matrices (for column vectors, as the file gives them) in double, parents first: a product past
  // a float's range is where the engine's float one would overflow.
  std::vector<std::array<double, 16>> world(scene.nodes.size());
  std::vector<Box> boxes(scene.meshes.size());
  std::vector<bool> boxed(scene.meshes.size());
  for (size_t i = 0; i < scene.nodes.size(); ++i) {
    const Node& n = scene.nodes[i];
    std::array<double, 16>& w = world[i];
    bool finite = true;
    for (int e = 0; e < 16; ++e) finite = finite && std::isfinite(n.matrix[e]);
    const bool root = n.parent < 0 || size_t(n.parent) >= i;
    if (!finite) {
      // A scale past a float's range arrives as infinity: no bounds or camera can be made from it.
      error = "coordinates too large: " + Named("node", n.name, i) + " has a transform past a float's range";
      return false;
    }
    if (root) {
      std::copy(n.matrix, n.matrix + 16, w.begin());
    } else {
      const std::array<double, 16>& p = world[size_t(n.parent)];
      for (int r = 0; r < 4; ++r)
        for (int c = 0; c < 4; ++c) {
          double sum = 0;
          for (int k = 0; k < 4; ++k) sum += p[r * 4 + k] * double(n.matrix[k * 4 + c]);
          w[r * 4 + c] = sum;
        }
    }
    if (std::any_of(w.begin(), w.end(), OutOfRange)) {
      error = "coordinates too large: the transforms down to " + Named("node", n.name, i) +
              " multiply past a float's range";
      return false;
    }
    // Each mesh placed here: its box's corners where the node puts them, the centre moved and the half
    // extents through the absolute matrix.
    for (uint32_t m : n.meshes) {
      if (m >= scene.meshes.size()) continue;
      if (!boxed[m]) boxes[m] = BoxOf(scene.meshes[m]), boxed[m] = true;
      const Box& b = boxes[m];
      if (!b.any) continue;
      for (int r = 0; r < 3; ++r) {
        double centre = w[r * 4 + 3], half = 0;
        for (int k = 0; k < 3; ++k) {
          centre += w[r * 4 + k] * b.centre[k];
          half += std::abs(w[r * 4 + k]) * b.half[k];
        }
        if (OutOfRange(centre - half) || OutOfRange(centre + half)) {
          error = "coordinates too large: " + Named("node", n.name, i) + " puts " +
                  Named("mesh", scene.meshes[m].name, m) + " past a float's range";
          return false;
        }
      }
    }
  }
  return true;
}

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
         !Exceeds("bytes of texture pixels", textureBytes, bounds.textureBytes, error) &&
         CheckSceneCoordinates(scene, error);
}

}  // namespace PM::Import
