// The importer's scene stream decoder (the bytes a reader program sends its host): any bytes decode or are
// refused, with no crash, no allocation beyond what arrived, and a scene that keeps every index in range and
// writes back to bytes that decode to the same scene (texts come in made inert, so not always the same bytes).
#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "import/SceneStream.h"

namespace {

using namespace PM::Import;

class MemorySource : public ByteSource {
 public:
  MemorySource(const uint8_t* data, size_t size) : m_data(data), m_size(size) {}
  size_t Read(void* into, size_t count) override {
    // Uneven pieces, as a pipe gives them.
    const size_t n = std::min({count, m_size - m_pos, size_t{1} + (m_pos * 7919) % 4099});
    std::memcpy(into, m_data + m_pos, n);
    m_pos += n;
    return n;
  }

 private:
  const uint8_t* m_data;
  size_t m_size;
  size_t m_pos = 0;
};

class StringSink : public ByteSink {
 public:
  bool Write(const void* bytes, size_t count) override {
    data.append(static_cast<const char*>(bytes), count);
    return true;
  }
  std::string data;
};

void CheckScene(const Scene& s) {
  if (s.nodes.empty() || s.nodes[0].parent != -1) abort();
  for (size_t i = 1; i < s.nodes.size(); ++i)
    if (s.nodes[i].parent < 0 || static_cast<size_t>(s.nodes[i].parent) >= i) abort();
  for (const Node& n : s.nodes)
    for (uint32_t m : n.meshes)
      if (m >= s.meshes.size()) abort();
  for (const Mesh& m : s.meshes) {
    if (m.material >= s.materials.size() || m.primitive < 1 || m.primitive > 3) abort();
    if (m.indices.size() % m.primitive != 0) abort();
    for (uint32_t i : m.indices)
      if (i >= m.positions.size() / 3) abort();
    if (m.targets.size() > kMaxMorphTargets) abort();
    for (const MorphTarget& t : m.targets)
      if ((!t.positionDeltas.empty() && t.positionDeltas.size() != m.positions.size()) ||
          (!t.normalDeltas.empty() && t.normalDeltas.size() != m.normals.size()))
        abort();
  }
  for (const Material& m : s.materials)
    if (m.diffuseTexture >= static_cast<int32_t>(s.textures.size())) abort();
  for (const Texture& t : s.textures)
    if (t.rgba.size() != size_t{t.width} * t.height * 4) abort();
  for (const Camera& c : s.cameras)
    if (c.node >= s.nodes.size()) abort();
  if (!IsAxis(s.upAxis) || (!IsAxis(s.frontAxis) && s.frontAxis != PM::Axis::None)) abort();
  for (const Light& l : s.lights)
    if (l.node >= s.nodes.size() || l.type < 1 || l.type > 5) abort();
  std::vector<bool> skinned(s.meshes.size());
  for (const Skin& skin : s.skins) {
    if (skin.mesh >= s.meshes.size() || skinned[skin.mesh]) abort();
    skinned[skin.mesh] = true;
    for (const Bone& b : skin.bones) {
      if (b.node >= s.nodes.size() || b.vertices.size() != b.weights.size()) abort();
      for (uint32_t v : b.vertices)
        if (v >= s.meshes[skin.mesh].positions.size() / 3) abort();
    }
  }
  for (const Animation& a : s.animations) {
    for (const Channel& c : a.channels) {
      if (c.node >= s.nodes.size() || c.preState > 3 || c.postState > 3) abort();
      if (c.translation.values.size() != c.translation.times.size() * 3 ||
          c.rotation.values.size() != c.rotation.times.size() * 4 ||
          c.scaling.values.size() != c.scaling.times.size() * 3)
        abort();
    }
    for (const MorphChannel& c : a.morphChannels) {
      if (c.node >= s.nodes.size() || c.counts.size() != c.times.size()) abort();
      uint64_t pairs = 0;
      for (uint32_t n : c.counts) pairs += n;
      if (pairs != c.targets.size() || pairs != c.weights.size()) abort();
      size_t targets = 0;
      for (uint32_t m : s.nodes[c.node].meshes) targets = std::max(targets, s.meshes[m].targets.size());
      for (uint32_t t : c.targets)
        if (t >= targets) abort();
    }
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  MemorySource source(data, size);
  Scene scene;
  const DecodeResult r = DecodeSceneStream(source, uint64_t{1} << 30, scene);
  if (r.kind != DecodeResult::Scene) {
    if (!scene.nodes.empty() || !scene.meshes.empty() || !scene.textures.empty()) abort();
    if (r.kind != DecodeResult::Failure && r.message.empty()) abort();
    return 0;
  }
  CheckScene(scene);
  // What decodes writes back to bytes that decode and write back to themselves.
  StringSink again;
  if (!WriteSceneStream(scene, again)) abort();
  MemorySource written(reinterpret_cast<const uint8_t*>(again.data.data()), again.data.size());
  Scene back;
  if (DecodeSceneStream(written, uint64_t{1} << 30, back).kind != DecodeResult::Scene) abort();
  StringSink twice;
  if (!WriteSceneStream(back, twice) || twice.data != again.data) abort();
  return 0;
}
