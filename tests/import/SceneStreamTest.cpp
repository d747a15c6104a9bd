// The import scene stream: its bytes, and a decoder that turns every lie, cut and excess into an error
// without a crash or an allocation the bytes did not pay for.
#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "import/SceneStream.h"

#if defined(__SANITIZE_ADDRESS__)
// AddressSanitizer's count of live heap bytes (its allocator interface; g++ ships no header for it).
extern "C" size_t __sanitizer_get_current_allocated_bytes();
#else
#include <malloc.h>
#endif

namespace PM::Import {
namespace {

// The heap's live bytes: AddressSanitizer's count where it replaces the allocator, else glibc's (small
// blocks in use and mapped large ones).
size_t LiveHeapBytes() {
#if defined(__SANITIZE_ADDRESS__)
  return __sanitizer_get_current_allocated_bytes();
#else
  const struct mallinfo2 m = mallinfo2();
  return m.uordblks + m.hblkhd;
#endif
}

class StringSink : public ByteSink {
 public:
  bool Write(const void* bytes, size_t count) override {
    data.append(static_cast<const char*>(bytes), count);
    return true;
  }
  std::string data;
};

// Hands out the bytes in pieces of at most `piece`, as a pipe does.
class StringSource : public ByteSource {
 public:
  explicit StringSource(std::string bytes, size_t piece = 7) : m_bytes(std::move(bytes)), m_piece(piece) {}
  size_t Read(void* into, size_t count) override {
    const size_t n = std::min({count, m_piece, m_bytes.size() - m_pos});
    std::memcpy(into, m_bytes.data() + m_pos, n);
    m_pos += n;
    return n;
  }

 private:
  std::string m_bytes;
  size_t m_piece;
  size_t m_pos = 0;
};

// The same, noting the most the heap held at any read.
class PeakSource : public StringSource {
 public:
  using StringSource::StringSource;
  size_t Read(void* into, size_t count) override {
    peak = std::max(peak, LiveHeapBytes());
    return StringSource::Read(into, count);
  }
  size_t peak = 0;
};

Scene SampleScene() {
  Scene s;
  Texture t;
  t.source = "logo.png";
  t.width = 2;
  t.height = 1;
  t.rgba = {255, 0, 0, 255, 0, 255, 0, 128};
  t.hasAlpha = true;
  s.textures.push_back(t);
  Texture gone;
  gone.source = "..\\maps\\gone.jpg";
  gone.missing = true;
  s.textures.push_back(gone);
  Material m;
  m.name = "paint";
  m.diffuse[0] = 0.25f;
  m.specular[1] = 0.5f;
  m.emissive[2] = 0.125f;
  m.ambient[0] = 1;
  m.shininess = 32;
  m.shininessStrength = 0.75f;
  m.twoSided = true;
  m.metalRoughness = true;
  m.emissiveTexture = true;
  m.metallic = 0.5f;
  m.roughness = 0.25f;
  m.alphaMode = 1;
  m.alphaCutoff = 0.4f;
  m.diffuseTexture = 0;
  m.diffuseUVSet = 1;
  s.materials.push_back(m);
  s.materials.emplace_back().opacityTexture = true;
  Mesh tri;
  tri.name = "tri";
  tri.material = 0;
  tri.positions = {0, 0, 0, 1, 0, 0, 0, 1, 0};
  tri.normals = {0, 0, 1, 0, 0, 1, 0, 0, 1};
  tri.uv[0] = {0, 0, 1, 0, 0, 1};
  tri.uv[1] = {0, 0, 0.5f, 0, 0, 0.5f};
  tri.colors = std::vector<float>(12, 0.5f);
  tri.indices = {0, 1, 2};
  MorphTarget bulge;
  bulge.name = "bulge";
  bulge.weight = 0.25f;
  bulge.positionDeltas = {0, 0, 1, 0, 0, 2, 0, 0, 3};
  bulge.normalDeltas = {0, 1, 0, 0, 1, 0, 0, 1, 0};
  tri.targets.push_back(bulge);
  MorphTarget flat;  // unnamed, positions only
  flat.positionDeltas = {1, 0, 0, 0, 0, 0, 0, 0, 0};
  tri.targets.push_back(flat);
  s.meshes.push_back(tri);
  Mesh line;
  line.name = "line";
  line.primitive = 2;
  line.material = 1;
  line.positions = {0, 0, 0, 2, 2, 2};
  line.indices = {0, 1};
  s.meshes.push_back(line);
  Node root;
  root.name = "root";
  s.nodes.push_back(root);
  Node child;
  child.name = "child";
  child.parent = 0;
  child.matrix[3] = 5;
  child.meshes = {0, 1, 0};
  s.nodes.push_back(child);
  Camera eye;
  eye.name = "eye";
  eye.node = 1;
  eye.position[2] = 4;
  eye.lookAt[2] = -1;
  eye.horizontalFov = 1.25f;
  eye.aspect = 1.5f;
  eye.clipNear = 0.25f;
  eye.clipFar = 250;
  eye.orthographicWidth = 3;
  s.cameras.push_back(eye);
  Light lamp;
  lamp.name = "lamp";
  lamp.node = 1;
  lamp.type = 3;
  lamp.position[0] = 2;
  lamp.direction[1] = -1;
  lamp.color[0] = 0.5f;
  lamp.ambient[2] = 0.25f;
  s.lights.push_back(lamp);
  Skin skin;
  skin.mesh = 0;
  Bone bone;
  bone.node = 1;
  bone.offset[3] = -5;
  bone.vertices = {0, 2};
  bone.weights = {0.5f, 1};
  skin.bones.push_back(bone);
  skin.bones.push_back(Bone{});  // the root, weighing nothing
  s.skins.push_back(skin);
  Animation walk;
  walk.name = "walk";
  walk.duration = 48;
  walk.ticksPerSecond = 24;
  Channel ch;
  ch.node = 1;
  ch.preState = 1;
  ch.postState = 3;
  ch.translation = {{0, 48}, {0, 0, 0, 1, 2, 3}};
  ch.rotation = {{12.5}, {1, 0, 0, 0}};
  walk.channels.push_back(ch);
  MorphChannel morph;
  morph.node = 1;
  morph.times = {0, 24};
  morph.counts = {2, 1};
  morph.targets = {0, 1, 0};
  morph.weights = {0, 0.5f, 1};
  walk.morphChannels.push_back(morph);
  s.animations.push_back(walk);
  s.leftOut = "Not imported: 1 animation.";
  s.warnings = {"the material library \"a.mtl\" it names is missing", ""};
  s.upAxis = Axis::PlusZ;
  s.frontAxis = Axis::MinusY;
  s.upFrom = "Blender files are Z-up";
  return s;
}

std::string Encode(const Scene& s) {
  StringSink sink;
  EXPECT_TRUE(WriteSceneStream(s, sink));
  return sink.data;
}

DecodeResult Decode(const std::string& bytes, Scene& scene, uint64_t maxBytes = uint64_t{1} << 31) {
  StringSource source(bytes);
  return DecodeSceneStream(source, maxBytes, scene);
}

template <class T>
void Put(std::string& bytes, size_t at, T value) {
  std::memcpy(bytes.data() + at, &value, sizeof value);
}

// Where a field of the sample's stream sits: the header is 17 bytes (magic, version, outcome, body size).
size_t Find(const std::string& bytes, const std::string& name) {
  const size_t at = bytes.find(name);
  EXPECT_NE(at, std::string::npos) << name;
  return at + name.size();
}

TEST(SceneStream, RoundTripKeepsEveryField) {
  const Scene in = SampleScene();
  const std::string bytes = Encode(in);
  EXPECT_EQ(bytes.size(), 17 + SceneBodySize(in));
  Scene out;
  const DecodeResult r = Decode(bytes, out);
  ASSERT_EQ(r.kind, DecodeResult::Scene) << r.message;
  ASSERT_EQ(out.textures.size(), 2u);
  EXPECT_EQ(out.textures[0].source, "logo.png");
  EXPECT_EQ(out.textures[0].rgba, in.textures[0].rgba);
  EXPECT_TRUE(out.textures[0].hasAlpha);
  EXPECT_TRUE(out.textures[1].missing);
  EXPECT_EQ(out.textures[1].source, "..\\maps\\gone.jpg");
  ASSERT_EQ(out.materials.size(), 2u);
  const Material& m = out.materials[0];
  EXPECT_EQ(m.name, "paint");
  EXPECT_EQ(m.diffuse[0], 0.25f);
  EXPECT_EQ(m.specular[1], 0.5f);
  EXPECT_EQ(m.emissive[2], 0.125f);
  EXPECT_EQ(m.ambient[0], 1);
  EXPECT_EQ(m.shininess, 32);
  EXPECT_EQ(m.shininessStrength, 0.75f);
  EXPECT_TRUE(m.twoSided && m.metalRoughness && m.emissiveTexture && !m.opacityTexture);
  EXPECT_TRUE(out.materials[1].opacityTexture && !out.materials[1].emissiveTexture);
  EXPECT_EQ(m.metallic, 0.5f);
  EXPECT_EQ(m.roughness, 0.25f);
  EXPECT_EQ(m.alphaMode, 1);
  EXPECT_EQ(m.alphaCutoff, 0.4f);
  EXPECT_EQ(m.diffuseTexture, 0);
  EXPECT_EQ(m.diffuseUVSet, 1u);
  EXPECT_EQ(out.materials[1].diffuseTexture, -1);
  ASSERT_EQ(out.meshes.size(), 2u);
  EXPECT_EQ(out.meshes[0].positions, in.meshes[0].positions);
  EXPECT_EQ(out.meshes[0].normals, in.meshes[0].normals);
  EXPECT_EQ(out.meshes[0].uv[0], in.meshes[0].uv[0]);
  EXPECT_EQ(out.meshes[0].uv[1], in.meshes[0].uv[1]);
  EXPECT_EQ(out.meshes[0].colors, in.meshes[0].colors);
  EXPECT_EQ(out.meshes[0].indices, in.meshes[0].indices);
  EXPECT_EQ(out.meshes[1].primitive, 2);
  EXPECT_EQ(out.meshes[1].material, 1u);
  EXPECT_TRUE(out.meshes[1].normals.empty() && out.meshes[1].uv[0].empty() && out.meshes[1].colors.empty());
  ASSERT_EQ(out.nodes.size(), 2u);
  EXPECT_EQ(out.nodes[1].name, "child");
  EXPECT_EQ(out.nodes[1].parent, 0);
  EXPECT_EQ(out.nodes[1].matrix[3], 5);
  EXPECT_EQ(out.nodes[1].meshes, (std::vector<uint32_t>{0, 1, 0}));
  EXPECT_EQ(out.leftOut, "Not imported: 1 animation.");
  EXPECT_EQ(out.warnings, in.warnings);
  EXPECT_EQ(out.upAxis, Axis::PlusZ);
  EXPECT_EQ(out.frontAxis, Axis::MinusY);
  EXPECT_EQ(out.upFrom, "Blender files are Z-up");
  ASSERT_EQ(out.cameras.size(), 1u);
  const Camera& eye = out.cameras[0];
  EXPECT_EQ(eye.name, "eye");
  EXPECT_EQ(eye.node, 1u);
  EXPECT_EQ(eye.position[2], 4);
  EXPECT_EQ(eye.lookAt[2], -1);
  EXPECT_EQ(eye.up[1], 1);
  EXPECT_EQ(eye.horizontalFov, 1.25f);
  EXPECT_EQ(eye.aspect, 1.5f);
  EXPECT_EQ(eye.clipNear, 0.25f);
  EXPECT_EQ(eye.clipFar, 250);
  EXPECT_EQ(eye.orthographicWidth, 3);
  ASSERT_EQ(out.lights.size(), 1u);
  const Light& lamp = out.lights[0];
  EXPECT_EQ(lamp.name, "lamp");
  EXPECT_EQ(lamp.node, 1u);
  EXPECT_EQ(lamp.type, 3);
  EXPECT_EQ(lamp.position[0], 2);
  EXPECT_EQ(lamp.direction[1], -1);
  EXPECT_EQ(lamp.color[0], 0.5f);
  EXPECT_EQ(lamp.ambient[2], 0.25f);
  ASSERT_EQ(out.skins.size(), 1u);
  ASSERT_EQ(out.skins[0].bones.size(), 2u);
  const Bone& bone = out.skins[0].bones[0];
  EXPECT_EQ(bone.node, 1u);
  EXPECT_EQ(bone.offset[3], -5);
  EXPECT_EQ(bone.offset[15], 1);
  EXPECT_EQ(bone.vertices, (std::vector<uint32_t>{0, 2}));
  EXPECT_EQ(bone.weights, (std::vector<float>{0.5f, 1}));
  EXPECT_TRUE(out.skins[0].bones[1].vertices.empty());
  ASSERT_EQ(out.animations.size(), 1u);
  const Animation& walk = out.animations[0];
  EXPECT_EQ(walk.name, "walk");
  EXPECT_EQ(walk.duration, 48);
  EXPECT_EQ(walk.ticksPerSecond, 24);
  ASSERT_EQ(walk.channels.size(), 1u);
  EXPECT_EQ(walk.channels[0].node, 1u);
  EXPECT_EQ(walk.channels[0].preState, 1);
  EXPECT_EQ(walk.channels[0].postState, 3);
  EXPECT_EQ(walk.channels[0].translation.times, (std::vector<double>{0, 48}));
  EXPECT_EQ(walk.channels[0].translation.values, (std::vector<float>{0, 0, 0, 1, 2, 3}));
  EXPECT_EQ(walk.channels[0].rotation.values, (std::vector<float>{1, 0, 0, 0}));
  EXPECT_TRUE(walk.channels[0].scaling.times.empty());
  ASSERT_EQ(out.meshes[0].targets.size(), 2u);
  const MorphTarget& bulge = out.meshes[0].targets[0];
  EXPECT_EQ(bulge.name, "bulge");
  EXPECT_EQ(bulge.weight, 0.25f);
  EXPECT_EQ(bulge.positionDeltas, in.meshes[0].targets[0].positionDeltas);
  EXPECT_EQ(bulge.normalDeltas, in.meshes[0].targets[0].normalDeltas);
  EXPECT_EQ(out.meshes[0].targets[1].name, "");
  EXPECT_EQ(out.meshes[0].targets[1].positionDeltas, in.meshes[0].targets[1].positionDeltas);
  EXPECT_TRUE(out.meshes[0].targets[1].normalDeltas.empty());
  EXPECT_TRUE(out.meshes[1].targets.empty());
  ASSERT_EQ(walk.morphChannels.size(), 1u);
  const MorphChannel& morph = walk.morphChannels[0];
  EXPECT_EQ(morph.node, 1u);
  EXPECT_EQ(morph.times, (std::vector<double>{0, 24}));
  EXPECT_EQ(morph.counts, (std::vector<uint32_t>{2, 1}));
  EXPECT_EQ(morph.targets, (std::vector<uint32_t>{0, 1, 0}));
  EXPECT_EQ(morph.weights, (std::vector<float>{0, 0.5f, 1}));
  // What decodes writes back to the same bytes.
  EXPECT_EQ(Encode(out), bytes);
}

// Arrays large enough to bypass the writer's buffer still follow the small fields before them.
// Why a texture is missing travels in its flags (bits 2 to 4); absent is 0 there, as before causes were
// sent, and a missing texture given no cause is absent.
TEST(SceneStream, AMissingTexturesCauseTravels) {
  using F = TextureFault;
  Scene in;
  for (const F f : {F::kNone, F::kAbsent, F::kOutside, F::kNotRegular, F::kOverBudget, F::kNotDecoded}) {
    Texture t;
    t.source = "t.png";
    t.missing = true;
    t.fault = f;
    in.textures.push_back(t);
  }
  in.materials.emplace_back();
  in.nodes.emplace_back();
  const std::string bytes = Encode(in);
  Scene out;
  const DecodeResult r = Decode(bytes, out);
  ASSERT_EQ(r.kind, DecodeResult::Scene) << r.message;
  ASSERT_EQ(out.textures.size(), 6u);
  const F expected[] = {F::kAbsent, F::kAbsent, F::kOutside, F::kNotRegular, F::kOverBudget, F::kNotDecoded};
  const uint8_t flags[] = {1, 1, 1 | 2 << 2, 1 | 3 << 2, 1 | 4 << 2, 1 | 5 << 2};
  for (size_t i = 0; i < 6; ++i) {
    EXPECT_TRUE(out.textures[i].missing) << i;
    EXPECT_EQ(out.textures[i].fault, expected[i]) << i;
    EXPECT_EQ(uint8_t(bytes[17 + 4 + i * (4 + 5 + 1 + 8) + 4 + 5]), flags[i]) << i;
  }
}

TEST(SceneStream, LargeArraysKeepTheirPlace) {
  Scene in = SampleScene();
  for (uint32_t side : {100u, 3u}) {
    Texture t;
    t.source = "big" + std::to_string(side);
    t.width = t.height = side;
    for (uint32_t i = 0; i < side * side * 4; ++i) t.rgba.push_back(static_cast<uint8_t>(i * 7));
    in.textures.push_back(t);
  }
  Mesh& big = in.meshes[0];
  for (int i = 0; i < 30000; ++i) {
    big.positions.insert(big.positions.end(), {float(i), 1, 2});
    big.normals.insert(big.normals.end(), {0, 0, 1});
    big.uv[0].insert(big.uv[0].end(), {0.5f, float(i)});
    big.uv[1].insert(big.uv[1].end(), {0.25f, 0});
    big.colors.insert(big.colors.end(), {1, 1, 1, 1});
    big.indices.insert(big.indices.end(), {0u, 1u, uint32_t(i + 3)});
  }
  Scene out;
  for (size_t piece : {size_t{1} << 20, size_t{4093}}) {
    StringSource source(Encode(in), piece);
    const DecodeResult r = DecodeSceneStream(source, uint64_t{1} << 31, out);
    ASSERT_EQ(r.kind, DecodeResult::Scene) << r.message;
    EXPECT_EQ(out.textures[2].rgba, in.textures[2].rgba);
    EXPECT_EQ(out.textures[3].rgba, in.textures[3].rgba);
    EXPECT_EQ(out.meshes[0].positions, big.positions);
    EXPECT_EQ(out.meshes[0].uv[0], big.uv[0]);
    EXPECT_EQ(out.meshes[0].colors, big.colors);
    EXPECT_EQ(out.meshes[0].indices, big.indices);
    EXPECT_EQ(out.meshes[1].positions, in.meshes[1].positions);
    EXPECT_EQ(out.nodes[1].meshes, in.nodes[1].meshes);
  }
}

TEST(SceneStream, BytesArePinned) {
  Scene s;
  s.materials.emplace_back();
  s.nodes.emplace_back();
  s.nodes[0].name = "r";
  const std::string bytes = Encode(s);
  // Header, body size 213, no textures, one default material, no meshes, one node "r", no cameras, no
  // lights, no skins, no animations, no note, no warnings, up +Y, no front, no source of the up axis, end.
  const std::string head(
      "PMIS"
      "\x04\0\0\0"
      "\0"
      "\xd5\0\0\0\0\0\0\0"
      "\0\0\0\0"
      "\x01\0\0\0"
      "\0\0\0\0",
      29);
  EXPECT_EQ(bytes.substr(0, 29), head);
  EXPECT_EQ(bytes.size(), 17u + 213u);
  EXPECT_EQ(bytes.substr(bytes.size() - 34), std::string(24, '\0') + "\x01\xff" + std::string(4, '\0') + "PMIE");
  EXPECT_EQ(bytes.substr(bytes.size() - 4), "PMIE");

  StringSink failure;
  ASSERT_TRUE(WriteFailureStream(StreamOutcome::Refused, "bad", failure));
  EXPECT_EQ(failure.data, std::string("PMIS\x04\0\0\0\x01\x03\0\0\0badPMIE", 20));
  Scene out;
  const DecodeResult r = Decode(failure.data, out);
  EXPECT_EQ(r.kind, DecodeResult::Failure);
  EXPECT_EQ(r.outcome, StreamOutcome::Refused);
  EXPECT_EQ(r.message, "bad");
}

TEST(SceneStream, EveryCutIsTruncatedAndLeavesNoScene) {
  const std::string bytes = Encode(SampleScene());
  for (size_t n = 0; n < bytes.size(); ++n) {
    Scene out;
    out.nodes.emplace_back();
    const DecodeResult r = Decode(bytes.substr(0, n), out);
    ASSERT_EQ(r.kind, DecodeResult::Truncated) << n;
    EXPECT_TRUE(out.nodes.empty() && out.meshes.empty() && out.textures.empty()) << n;
  }
}

TEST(SceneStream, LyingFieldsAreDamage) {
  const std::string good = Encode(SampleScene());
  struct Lie {
    const char* what;
    std::string bytes;
    const char* message;
  };
  std::vector<Lie> lies;
  auto lie = [&](const char* what, auto edit, const char* message) {
    std::string b = good;
    edit(b);
    lies.push_back({what, b, message});
  };
  const size_t tri = Find(good, "tri");  // primitive, attributes, material, vertices, faces follow
  const size_t line = Find(good, "line");
  const size_t paint = Find(good, "paint");
  const size_t child = Find(good, "child");
  const size_t eye = Find(good, "eye");
  const size_t lamp = Find(good, "lamp");
  lie(
      "magic", [](std::string& b) { b[0] = 'X'; }, "it does not begin with \"PMIS\"");
  lie(
      "version", [](std::string& b) { Put<uint32_t>(b, 4, 1); }, "its version is 1, not 4");
  lie(
      "outcome", [](std::string& b) { b[8] = 9; }, "its outcome 9 is unknown");
  lie(
      "primitive", [&](std::string& b) { b[tri] = 4; }, "mesh 0 has the primitive type 4");
  lie(
      "attributes", [&](std::string& b) { b[tri + 1] = 0x10; }, "mesh 0 has unknown attributes");
  lie(
      "material", [&](std::string& b) { Put<uint32_t>(b, tri + 2, 2); }, "mesh 0 names material 2 of 2");
  lie(
      "vertex count", [&](std::string& b) { Put<uint32_t>(b, tri + 6, 0x40000000); },
      "mesh 0's positions announces 3221225472 values");
  lie(
      "vertex index", [&](std::string& b) { Put<uint32_t>(b, line + 14 + 6 * 4 + 4, 2); },
      "mesh 1 has the index 2 for 2 vertices");
  lie(
      "texture index", [&](std::string& b) { Put<int32_t>(b, paint + 18 * 4 + 2, 2); },
      "material 0 names texture 2 of 2");
  lie(
      "alpha mode", [&](std::string& b) { b[paint + 18 * 4 + 1] = 3; }, "material 0 has the alpha mode 3");
  lie(
      "uv set", [&](std::string& b) { Put<uint32_t>(b, paint + 18 * 4 + 6, 2); },
      "material 0 reads texture-coordinate set 2");
  lie(
      "parent", [&](std::string& b) { Put<int32_t>(b, child, 1); }, "node 1 has the parent 1");
  lie(
      "node mesh", [&](std::string& b) { Put<uint32_t>(b, child + 4 + 64 + 4 + 4, 7); }, "node 1 names mesh 7 of 2");
  lie(
      "camera node", [&](std::string& b) { Put<uint32_t>(b, eye, 2); }, "camera 0 names node 2 of 2");
  lie(
      "light node", [&](std::string& b) { Put<uint32_t>(b, lamp, 5); }, "light 0 names node 5 of 2");
  lie(
      "light type", [&](std::string& b) { b[lamp + 4] = 6; }, "light 0 has the type 6");
  lie(
      "light type zero", [&](std::string& b) { b[lamp + 4] = 0; }, "light 0 has the type 0");
  lie(
      "camera count", [&](std::string& b) { Put<uint32_t>(b, eye - 3 - 4 - 4, 0x00100001); },
      "it announces 1048577 cameras");
  // The skin section: mesh, bone count, then the bone's node, offset, weight count, vertices, weights.
  const size_t skin = lamp + 4 + 1 + 12 * 4 + 4;
  lie(
      "skin mesh", [&](std::string& b) { Put<uint32_t>(b, skin, 2); }, "skin 0 names mesh 2 of 2");
  lie(
      "bone node", [&](std::string& b) { Put<uint32_t>(b, skin + 8, 2); }, "skin 0's bone 0 names node 2 of 2");
  lie(
      "bone vertex", [&](std::string& b) { Put<uint32_t>(b, skin + 8 + 4 + 64 + 4 + 4, 3); },
      "skin 0's bone 0 weighs vertex 3 of 3");
  lie(
      "weight count", [&](std::string& b) { Put<uint32_t>(b, skin + 8 + 4 + 64, 1000); },
      "skin 0's bone 0's vertices announces 1000 values");
  lie(
      "skin twice",
      [&](std::string& b) {
        // A second skin of mesh 0: the count says 2 and the bytes repeat the first (mesh and bone count, a
        // bone of two weights, a bone of none).
        const size_t end = skin + 8 + (4 + 64 + 4 + 2 * 8) + (4 + 64 + 4);
        const std::string first = b.substr(skin, end - skin);
        Put<uint32_t>(b, skin - 4, 2);
        b.insert(end, first);
        Put<uint64_t>(b, 9, b.size() - 17);
      },
      "skin 1 skins mesh 0 again");
  // The animation: name, duration, tick rate, channel count, then node, the two behaviours, key counts.
  const size_t walk = Find(good, "walk") + 16 + 4;
  lie(
      "channel node", [&](std::string& b) { Put<uint32_t>(b, walk, 2); }, "animation 0's channel 0 names node 2 of 2");
  lie(
      "behaviour", [&](std::string& b) { b[walk + 5] = 4; }, "animation 0's channel 0 has the behaviours 1 and 4");
  lie(
      "key count", [&](std::string& b) { Put<uint32_t>(b, walk + 6, 1000); },
      "animation 0's channel 0's translation's times announces 1000 values");
  // Mesh 0's morph targets: the count before the first's name, then its weight and attributes.
  const size_t bulge = Find(good, "bulge");
  lie(
      "target count", [&](std::string& b) { Put<uint32_t>(b, bulge - 5 - 8, kMaxMorphTargets + 1); },
      "mesh 0 announces 65537 morph targets, above the cap of 65536");
  lie(
      "target attributes", [&](std::string& b) { b[bulge + 4] = 4; }, "mesh 0's morph target 0 has unknown attributes");
  // The morph channel, after the node channel's keys: count, node, key count, times, sizes, targets, weights.
  const size_t morph = walk + 6 + (4 + 2 * 8 + 2 * 12) + (4 + 8 + 16) + 4;
  lie(
      "morph node", [&](std::string& b) { Put<uint32_t>(b, morph + 4, 2); },
      "animation 0's morph channel 0 names node 2 of 2");
  lie(
      "morph target", [&](std::string& b) { Put<uint32_t>(b, morph + 4 + 4 + 4 + 16 + 8 + 4, 2); },
      "animation 0's morph channel 0 names morph target 2 of 2");
  lie(
      "morph pairs", [&](std::string& b) { Put<uint32_t>(b, morph + 4 + 4 + 4 + 16, 0x7FFFFFFF); },
      "animation 0's morph channel 0 announces 2147483648 target weights, above the cap of 16777216");
  lie(
      "morph keys", [&](std::string& b) { Put<uint32_t>(b, morph + 4 + 4, 1000); },
      "animation 0's morph channel 0's times announces 1000 values");
  lie(
      "morph channels", [&](std::string& b) { Put<uint32_t>(b, morph, 0x00100001); },
      "it announces 1048577 morph channels of an animation");
  lie(
      "texture size", [&](std::string& b) { Put<uint32_t>(b, Find(good, "logo.png") + 1, 40000); },
      "texture 0 has the size 40000x1");
  lie(
      "missing with size", [&](std::string& b) { Put<uint32_t>(b, Find(good, "gone.jpg") + 1, 1); },
      "texture 1 is missing yet has a size");
  lie(
      "unknown cause", [&](std::string& b) { Put<uint8_t>(b, Find(good, "gone.jpg"), 1 | 6 << 2); },
      "texture 1 has unknown flags");
  lie(
      "cause with pixels", [&](std::string& b) { Put<uint8_t>(b, Find(good, "logo.png"), 2 | 2 << 2); },
      "texture 0 has pixels yet a cause for missing");
  lie(
      "string length", [&](std::string& b) { Put<uint32_t>(b, tri - 3 - 4, 1u << 30); },
      "a mesh's name is 1073741824 bytes long");
  lie(
      "item count", [&](std::string& b) { Put<uint32_t>(b, 17, 0xFFFFFFFF); }, "it announces 4294967295 textures");
  lie(
      "end marker", [](std::string& b) { b[b.size() - 1] = 'X'; }, "its end marker is wrong");
  // The up axis and the front axis before the source's string and the end marker.
  const size_t up = good.size() - 4 - 4 - std::string("Blender files are Z-up").size() - 2;
  lie(
      "up axis", [&](std::string& b) { b[up] = 6; }, "its axes are 6 and 4");
  lie(
      "front axis", [&](std::string& b) { b[up + 1] = 7; }, "its axes are 2 and 7");
  lie(
      "material flags", [&](std::string& b) { b[paint + 18 * 4] = 0x40; }, "material 0 has unknown flags");
  lie(
      "body too short", [](std::string& b) { Put<uint64_t>(b, 9, b.size() - 17 - 10); }, "bytes left of its body");
  lie(
      "body too long",
      [](std::string& b) {
        Put<uint64_t>(b, 9, b.size() - 17 + 3);
        b += "xyz";
      },
      "3 bytes of its announced body are left over");
  for (const Lie& l : lies) {
    Scene out;
    const DecodeResult r = Decode(l.bytes, out);
    EXPECT_EQ(r.kind, DecodeResult::Damaged) << l.what << ": " << r.message;
    EXPECT_NE(r.message.find(l.message), std::string::npos) << l.what << ": " << r.message;
    EXPECT_TRUE(out.nodes.empty() && out.meshes.empty()) << l.what;
  }
}

TEST(SceneStream, BodyAboveTheOutputLimitIsRefusedBeforeReadingIt) {
  const std::string bytes = Encode(SampleScene());
  Scene out;
  const DecodeResult r = Decode(bytes, out, 100);
  EXPECT_EQ(r.kind, DecodeResult::Failure);
  EXPECT_EQ(r.outcome, StreamOutcome::OutputLimit);
  EXPECT_TRUE(out.nodes.empty());
}

// A stream that announces 2 GiB of body and half a billion vertices, then stops: the decoder holds no
// more than a few MiB whatever was promised.
TEST(SceneStream, HugeAnnouncedSizesCostOnlyWhatArrives) {
  std::string b("PMIS\x04\0\0\0\0", 9);
  b.append(std::string("\0\0\0\x80\0\0\0\0", 8));           // body: 2 GiB
  b.append(std::string("\0\0\0\0\x01\0\0\0\0\0\0\0", 12));  // no textures, one material named ""
  b.append(std::string(18 * 4 + 2, '\0'));
  b.append(std::string("\xff\xff\xff\xff\0\0\0\0", 8));
  b.append(
      std::string("\x01\0\0\0"
                  "\0\0\0\0"
                  "\x03"
                  "\0"
                  "\0\0\0\0",
                  14));                            // one mesh "", triangles, material 0
  b.append(std::string("\0\0\0\x0a\0\0\0\0", 8));  // 167772160 vertices (1.9 GiB of positions), no faces
  b.append(std::string(1 << 16, '\x01'));          // and then only 64 KiB of them
  const size_t before = LiveHeapBytes();
  PeakSource source(b, 4096);
  Scene out;
  const DecodeResult r = DecodeSceneStream(source, uint64_t{4} << 30, out);
  EXPECT_EQ(r.kind, DecodeResult::Truncated) << r.message;
  // The count is read in every build, so that the bound holds where the sanitizer is not there to count.
  EXPECT_GT(source.peak, 0u);
  EXPECT_LT(source.peak - before, size_t{16} << 20);
}

// A lying reader's stream of a million empty animation channels (18 bytes each on the wire, ten times that
// in memory): refused once the decoded scene would pass four times the stream plus the slack, and the heap
// never holds more than that.
TEST(SceneStream, ManyEmptyItemsAreRefusedWithinTheMemoryBound) {
  Scene s;
  s.nodes.emplace_back().name = "root";
  s.animations.emplace_back().name = "anim";
  s.animations[0].channels.emplace_back();
  std::string b = Encode(s);
  const size_t count = Find(b, "anim") + 16;  // past the name, the duration and the ticks per second
  const std::string channel = b.substr(count + 4, 4 + 2 + 3 * 4);
  const uint32_t n = kMaxItems;
  Put(b, count, n);
  std::string many;
  many.reserve(channel.size() * (n - 1));
  for (uint32_t i = 1; i < n; ++i) many += channel;
  b.insert(count + 4 + channel.size(), many);
  Put(b, 9, uint64_t{b.size() - 17});
  const size_t before = LiveHeapBytes();
  PeakSource source(b, 1 << 16);
  Scene out;
  const DecodeResult r = DecodeSceneStream(source, uint64_t{4} << 30, out);
  EXPECT_EQ(r.kind, DecodeResult::Damaged) << r.message;
  EXPECT_NE(
      r.message.find("bytes of memory to hold (4 times its " + std::to_string(b.size() - 17) + " bytes and 64 MiB)"),
      std::string::npos)
      << r.message;
  EXPECT_TRUE(out.animations.empty());
  // The stream's own copy (in `source`) is not the decoder's.
  EXPECT_LT(source.peak - before, kDecodedFactor * b.size() + kDecodedSlack + (size_t{8} << 20));
}

// A string announced longer than what is left of the body is refused before its bytes are reserved.
TEST(SceneStream, AStringLongerThanTheBodyLeftIsRefused) {
  Scene s;
  s.nodes.emplace_back().name = "root";
  std::string b = Encode(s);
  Put(b, Find(b, "root") - 8, uint32_t{60000});
  Scene out;
  const DecodeResult r = Decode(b, out);
  EXPECT_EQ(r.kind, DecodeResult::Damaged);
  EXPECT_NE(r.message.find("a node's name is 60000 bytes long, more than the"), std::string::npos) << r.message;
}

// Every text of the stream arrives inert, before any check can print it; the reader's warnings are held to
// kMaxWarnings of kMaxWarningBytes and one line for the rest.
TEST(SceneStream, TextsArriveInertAndWarningsCapped) {
  Scene s;
  s.nodes.emplace_back().name = "\x1b]0;owned\x07";
  s.upFrom = "the \x1b[2J file";
  s.leftOut = "left\rout";
  for (int i = 0; i < 2000; ++i) s.warnings.push_back(std::string(i == 0 ? 1000 : 10, 'w') + "\x1b");
  Scene out;
  const DecodeResult r = Decode(Encode(s), out);
  ASSERT_EQ(r.kind, DecodeResult::Scene) << r.message;
  EXPECT_EQ(out.nodes[0].name, "\\x1b]0;owned\\x07");
  EXPECT_EQ(out.upFrom, "the \\x1b[2J file");
  EXPECT_EQ(out.leftOut, "left\\rout");
  ASSERT_EQ(out.warnings.size(), kMaxWarnings + 1);
  EXPECT_EQ(out.warnings[0], std::string(kMaxWarningBytes, 'w') + "...");
  EXPECT_EQ(out.warnings[1], std::string(10, 'w') + "\\x1b");
  EXPECT_EQ(out.warnings.back(), "the reader gave 1950 more warnings, not shown");
}

}  // namespace
}  // namespace PM::Import
