// The host's bounds on what one import makes, each at its figure and one past it: scene records built
// here, as the reader's stream would give them, with the figures reached cheaply (a node placing one
// mesh many times, a mesh's morph targets multiplying its vertices, a morph channel's target list).
#include <gtest/gtest.h>

#include <string>

#include "import/SceneBounds.h"

namespace PM::Test {
namespace {

using namespace PM::Import;

// The scene passes `bounds`; one more of the figure (`grow`) and it is refused with `message`.
template <class Grow>
void AtAndPast(Scene& scene, const SceneBounds& bounds, const Grow& grow, const std::string& message) {
  std::string error;
  EXPECT_TRUE(CheckSceneBounds(scene, bounds, error)) << error;
  grow(scene);
  EXPECT_FALSE(CheckSceneBounds(scene, bounds, error));
  EXPECT_EQ(error, message);
}

TEST(ImportSceneBounds, TheBoundsAreTheFiguresTheGuideGives) {
  EXPECT_EQ(kSceneBounds.depth, 4094u);
  EXPECT_EQ(kSceneBounds.instances, uint64_t{1} << 18);
  EXPECT_EQ(kSceneBounds.vertices, uint64_t{1} << 26);
  EXPECT_EQ(kSceneBounds.keys, uint64_t{1} << 23);
  EXPECT_EQ(kSceneBounds.textureBytes, uint64_t{1} << 31);
}

TEST(ImportSceneBounds, NodeLevelsAtTheBoundAndOnePast) {
  Scene s;
  s.nodes.resize(kSceneBounds.depth);
  for (size_t i = 1; i < s.nodes.size(); ++i) s.nodes[i].parent = int32_t(i - 1);
  AtAndPast(
      s, kSceneBounds, [](Scene& s) { s.nodes.push_back({}), s.nodes.back().parent = int32_t(s.nodes.size() - 2); },
      "the scene has 4095 levels of nodes, more than the 4094 an import takes");
}

TEST(ImportSceneBounds, MeshInstancesAtTheBoundAndOnePast) {
  // One node places the one mesh 2^18 times; a second node places it once more.
  Scene s;
  s.meshes.resize(1);
  s.nodes.resize(1);
  s.nodes[0].meshes.assign(kSceneBounds.instances, 0);
  AtAndPast(
      s, kSceneBounds, [](Scene& s) { s.nodes.push_back({}), s.nodes.back().parent = 0, s.nodes.back().meshes = {0}; },
      "the scene has 262145 mesh instances, more than the 262144 an import takes");
}

TEST(ImportSceneBounds, VerticesAtTheBoundAndOnePast) {
  // 1,024 vertices in 65,536 shapes (the mesh and its morph targets) are 2^26; a mesh of one vertex more.
  Scene s;
  s.nodes.resize(1);
  Mesh& m = s.meshes.emplace_back();
  m.positions.assign(3 * 1024, 0.0f);
  m.targets.resize((kSceneBounds.vertices >> 10) - 1);
  AtAndPast(
      s, kSceneBounds,
      [](Scene& s) {
        s.meshes.emplace_back().positions = {0, 0, 0};
      },
      "the scene has 67108865 vertices, more than the 67108864 an import takes");
}

TEST(ImportSceneBounds, AnimationKeysAtTheBoundAndOnePast) {
  // A morph channel's key times and target list count; a rotation key on another channel is one more.
  Scene s;
  s.nodes.resize(1);
  Animation& a = s.animations.emplace_back();
  MorphChannel& c = a.morphChannels.emplace_back();
  c.times = {0};
  c.targets.assign(kSceneBounds.keys - 1, 0);
  AtAndPast(
      s, kSceneBounds, [](Scene& s) { s.animations[0].channels.emplace_back().rotation.times = {0}; },
      "the scene has 8388609 animation keys, more than the 8388608 an import takes");
}

TEST(ImportSceneBounds, TexturePixelBytesAtTheBoundAndOnePast) {
  // 2 GiB of pixels are more than a test should hold: the same check against a bound of 4 KiB, over two
  // textures.
  SceneBounds small = kSceneBounds;
  small.textureBytes = 4096;
  Scene s;
  s.textures.resize(2);
  s.textures[0].rgba.assign(4000, 0);
  s.textures[1].rgba.assign(96, 0);
  AtAndPast(
      s, small, [](Scene& s) { s.textures[1].rgba.push_back(0); },
      "the scene has 4097 bytes of texture pixels, more than the 4096 an import takes");
}

}  // namespace
}  // namespace PM::Test
