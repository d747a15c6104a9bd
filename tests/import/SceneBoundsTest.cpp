// What an import takes and what it refuses by name: every key of a channel up to the scene's bound of
// keys (never cut short at the stream's cap for other lists), and coordinates a float cannot hold, which
// end the import with an Error before anything is built. Every file is made here.
#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <filesystem>
#include <limits>
#include <string>
#include <vector>

#include "ImportTestSupport.h"
#include "core/ResultCode.h"
#include "import/ImportScene.h"
#include "import/ReaderProcess.h"
#include "import/SceneBounds.h"
#include "import/SceneStream.h"
#include "scene/ImportModule.h"
#include "support/LogCapture.h"
#include "support/TestEnv.h"

namespace PM::Test {
namespace {

using Import::kMaxKeys;

template <class T>
void Put(std::string& out, T v) {
  out.append(reinterpret_cast<const char*>(&v), sizeof v);
}

// A glTF of one node "a" moved by a clip of `count` translation keys, read from the file "keys.bin" beside
// it: `count` times then `count` XYZ values, or, when `sparse`, one time and one value for the last key
// and zeros for the rest (no bytes a key).
std::string KeysGltf(size_t count, bool sparse) {
  const std::string n = std::to_string(count);
  std::string accessors, views;
  if (!sparse) {
    accessors = R"({"bufferView":0,"componentType":5126,"count":)" + n + R"(,"type":"SCALAR","min":[0],"max":[)" +
                std::to_string((count - 1) / 1000.0) + R"(]},{"bufferView":1,"componentType":5126,"count":)" + n +
                R"(,"type":"VEC3"})";
    views = R"({"buffer":0,"byteLength":)" + std::to_string(count * 4) + R"(},{"buffer":0,"byteOffset":)" +
            std::to_string(count * 4) + R"(,"byteLength":)" + std::to_string(count * 12) + "}";
  } else {
    const std::string last = R"("sparse":{"count":1,"indices":{"bufferView":0,"componentType":5125},"values":)";
    accessors = R"({"componentType":5126,"count":)" + n + R"(,"type":"SCALAR","min":[0],"max":[1],)" + last +
                R"({"bufferView":1}}},{"componentType":5126,"count":)" + n + R"(,"type":"VEC3",)" + last +
                R"({"bufferView":2}}})";
    views = R"({"buffer":0,"byteLength":4},{"buffer":0,"byteOffset":4,"byteLength":4},)"
            R"({"buffer":0,"byteOffset":8,"byteLength":12})";
  }
  const size_t bytes = sparse ? 20 : count * 16;
  return R"({"asset":{"version":"2.0"},"scene":0,"scenes":[{"nodes":[0]}],"nodes":[{"name":"a"}],)"
         R"("buffers":[{"uri":"keys.bin","byteLength":)" +
         std::to_string(bytes) + R"(}],"bufferViews":[)" + views + R"(],"accessors":[)" + accessors + R"(],
    "animations":[{"channels":[{"sampler":0,"target":{"node":0,"path":"translation"}}],
                   "samplers":[{"input":0,"output":1}]}]})";
}

class KeyCountTest : public ::testing::Test {
 protected:
  void SetUp() override {
    if (!std::filesystem::exists(PM_BINARY_DIR "/pm-import-reader")) GTEST_SKIP() << "the reader is not built";
    setenv(Import::kReaderOverride, PM_BINARY_DIR "/pm-import-reader", 1);
  }
  void TearDown() override { unsetenv(Import::kReaderOverride); }
  TempDir m_dir;
};

// A channel of 1.5 million keys that jumps after key 2^20 + 10 comes in whole: the jump is there, and the
// clip lasts to the last key.
TEST_F(KeyCountTest, EveryKeyOfAChannelWithinTheScenesBoundComesIn) {
  constexpr size_t kKeys = 1500000, kJump = (size_t{1} << 20) + 11;
  std::string bin;
  bin.reserve(kKeys * 16);
  for (size_t k = 0; k < kKeys; ++k) Put(bin, float(double(k) / 1000));
  for (size_t k = 0; k < kKeys; ++k) Put(bin, k < kJump ? 0.0f : 100.0f), Put(bin, 0.0f), Put(bin, 0.0f);
  WriteFile(m_dir.File("keys.bin"), bin);
  const std::string file = m_dir.File("long.gltf");
  WriteFile(file, KeysGltf(kKeys, false));
  Import::Scene scene;
  std::string error;
  ASSERT_TRUE(Import::ReadModelFile(file, {}, scene, error)) << error;
  ASSERT_EQ(scene.animations.size(), 1u);
  ASSERT_EQ(scene.animations[0].channels.size(), 1u);
  const Import::Keys& keys = scene.animations[0].channels[0].translation;
  ASSERT_EQ(keys.times.size(), kKeys);
  ASSERT_EQ(keys.values.size(), kKeys * 3);
  EXPECT_EQ(keys.values[(kJump - 1) * 3], 0);
  EXPECT_EQ(keys.values[kJump * 3], 100);
  EXPECT_GE(scene.animations[0].duration, keys.times.back());
}

// One key past the bound: the import is refused with the channel and its count named, not cut.
TEST_F(KeyCountTest, AChannelPastTheBoundIsRefusedByName) {
  std::string bin;
  Put(bin, uint32_t(kMaxKeys));  // the last key's index, its time and its value
  for (float v : {1.f, 5.f, 0.f, 0.f}) Put(bin, v);
  WriteFile(m_dir.File("keys.bin"), bin);
  const std::string file = m_dir.File("longer.gltf");
  WriteFile(file, KeysGltf(size_t{kMaxKeys} + 1, true));
  Import::Scene scene;
  std::string error;
  EXPECT_FALSE(Import::ReadModelFile(file, {}, scene, error));
  EXPECT_EQ(error, "Cannot import \"" + file +
                       "\": the reader refused it: the channel of node \"a\" in clip 0 has 8388609 translation keys, "
                       "more than the 8388608 an import takes.");
}

class MemorySink : public Import::ByteSink {
 public:
  bool Write(const void* bytes, size_t count) override {
    data.append(static_cast<const char*>(bytes), count);
    return true;
  }
  std::string data;
};

class MemorySource : public Import::ByteSource {
 public:
  explicit MemorySource(const std::string& bytes) : m_bytes(bytes) {}
  size_t Read(void* into, size_t count) override {
    const size_t n = std::min(count, m_bytes.size() - m_at);
    std::memcpy(into, m_bytes.data() + m_at, n);
    m_at += n;
    return n;
  }

 private:
  const std::string& m_bytes;
  size_t m_at = 0;
};

// The stream carries a channel's keys up to the bound, rotation and morph keys alike, and no further.
TEST(SceneStreamKeys, AChannelOfMoreKeysThanOtherListsCrossesWhole) {
  Import::Scene scene;
  scene.nodes.emplace_back();
  Import::Animation& a = scene.animations.emplace_back();
  Import::Channel& c = a.channels.emplace_back();
  constexpr size_t kKeys = (size_t{1} << 20) + 3;
  c.rotation.times.assign(kKeys, 0);
  c.rotation.values.assign(kKeys * 4, 0.5f);
  Import::MorphChannel& m = a.morphChannels.emplace_back();
  m.times.assign(kKeys, 0);
  m.counts.assign(kKeys, 0);
  MemorySink sink;
  ASSERT_TRUE(WriteSceneStream(scene, sink));
  MemorySource source(sink.data);
  Import::Scene out;
  const Import::DecodeResult r = DecodeSceneStream(source, uint64_t{1} << 31, out);
  ASSERT_EQ(r.kind, Import::DecodeResult::Scene) << r.message;
  EXPECT_EQ(out.animations[0].channels[0].rotation.times.size(), kKeys);
  EXPECT_EQ(out.animations[0].morphChannels[0].times.size(), kKeys);
}

// A scene of one node per matrix (each the child of the one before) and one mesh of `positions` under
// the last.
Import::Scene Placed(const std::vector<std::vector<float>>& matrices, const std::vector<float>& positions) {
  Import::Scene s;
  for (size_t i = 0; i < matrices.size(); ++i) {
    Import::Node& n = s.nodes.emplace_back();
    n.name = std::string("n").append(std::to_string(i));
    n.parent = int32_t(i) - 1;
    std::copy(matrices[i].begin(), matrices[i].end(), n.matrix);
  }
  s.meshes.emplace_back().name = "m";
  s.meshes[0].positions = positions;
  s.nodes.back().meshes = {0};
  return s;
}

std::vector<float> Scaled(float k) { return {k, 0, 0, 0, 0, k, 0, 0, 0, 0, k, 0, 0, 0, 0, 1}; }
std::vector<float> Moved(float x) { return {1, 0, 0, x, 0, 1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1}; }

TEST(SceneCoordinates, WhatAFloatCannotHoldIsNamedAndTheRestPasses) {
  const float nan = std::numeric_limits<float>::quiet_NaN(), top = std::numeric_limits<float>::max();
  const struct {
    const char* what;
    Import::Scene scene;
    const char* error;
  } cases[] = {
      {"3e38 under a scale of 1e30", Placed({Scaled(1e30f)}, {3e38f, 0, 0, 0, 1, 0}),
       "coordinates too large: node \"n0\" puts mesh \"m\" past a float's range"},
      {"scales of 1e20 twice", Placed({Scaled(1e20f), Scaled(1e20f), Scaled(1)}, {0, 0, 0}),
       "coordinates too large: the transforms down to node \"n1\" multiply past a float's range"},
      {"a move and a vertex that add past the top", Placed({Moved(top)}, {top, 0, 0}),
       "coordinates too large: node \"n0\" puts mesh \"m\" past a float's range"},
      {"the largest float, once", Placed({Scaled(1)}, {top, -top, 0}), ""},
      {"huge and tiny scales that cancel", Placed({Scaled(1e30f), Scaled(1e-30f)}, {1e30f, 0, 0}), ""},
      {"a vertex that is not a number", Placed({Scaled(1)}, {nan, 0, 0, 1, 1, 1}), ""},
      {"a node matrix that is not a number", Placed({Scaled(nan), Scaled(2)}, {1, 1, 1}),
       "coordinates too large: node \"n0\" has a transform past a float's range"},
      {"a scale of 1e39, past a float", Placed({Scaled(1), Scaled(std::numeric_limits<float>::infinity())}, {1, 1, 1}),
       "coordinates too large: node \"n1\" has a transform past a float's range"},
      {"no vertex", Placed({Scaled(1e30f)}, {}), ""},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    std::string error;
    EXPECT_EQ(Import::CheckSceneCoordinates(c.scene, error), !*c.error);
    EXPECT_EQ(error, c.error);
  }
}

using HugeCoordinatesTest = ShippedReaderTest;

// A triangle at 3e38 under a node scaled by 1e30: one Error naming the file, and nothing built, where the
// summary printed bounds of NaN and the view failed on its camera. The node's name, which would clear a
// terminal, is named inert.
TEST_F(HugeCoordinatesTest, EndTheImportWithOneErrorNamingTheFile) {
  std::string bin;
  for (float v : {3e38f, 0.f, 0.f, 0.f, 3e38f, 0.f, 0.f, 0.f, 3e38f}) Put(bin, v);
  WriteFile(m_dir.File("far.bin"), bin);
  const std::string file = m_dir.File("far.gltf");
  WriteFile(file, R"({"asset":{"version":"2.0"},"scene":0,"scenes":[{"nodes":[0]}],
    "nodes":[{"name":"big\u001b[2J","scale":[1e30,1e30,1e30],"mesh":0}],
    "meshes":[{"name":"far","primitives":[{"attributes":{"POSITION":0}}]}],
    "buffers":[{"byteLength":36,"uri":"far.bin"}],"bufferViews":[{"buffer":0,"byteLength":36}],
    "accessors":[{"bufferView":0,"componentType":5126,"count":3,"type":"VEC3","min":[0,0,0],"max":[3e38,3e38,3e38]}]})");
  ImportModule* importer = ImportModule::CreateImportModule("Maya");
  ASSERT_NE(importer, nullptr);
  LogCapture log;
  EXPECT_EQ(importer->Import(file.c_str()), EFail);
  EXPECT_EQ(importer->TakeRoot(), nullptr);
  EXPECT_EQ(log.Text(), "Error Import: Cannot import \"" + file +
                            "\": the importer refused it: coordinates too large: node \"big\\x1b[2J\" puts mesh "
                            "\"far\" past a float's range.\n");
  importer->Release();
}

}  // namespace
}  // namespace PM::Test
