// Files as games ship them that Assimp's validation refuses though they plainly mean something: a key past
// its clip's end, keys out of order, a clip of no length, clips without a mesh. The reader mends what it
// can with one Warn and keeps Assimp's refusal for the rest. Every file is made here.
#include <gtest/gtest.h>

#include <cstdint>
#include <cstring>
#include <filesystem>
#include <string>
#include <vector>

#include "ImportTestSupport.h"
#include "core/ResultCode.h"
#include "import/ImportScene.h"
#include "import/ReaderProcess.h"
#include "scene/ImportModule.h"
#include "support/LogCapture.h"
#include "support/TestEnv.h"

namespace PM::Test {
namespace {

template <class T>
void Put(std::string& out, T v) {
  out.append(reinterpret_cast<const char*>(&v), sizeof v);
}

// A Blitz3D chunk: its tag, its length, its body.
std::string Chunk(const char* tag, const std::string& body) {
  std::string out(tag, 4);
  Put(out, int32_t(body.size()));
  return out + body;
}

std::string B3dNode(const std::string& name, const std::string& inside) {
  std::string body = name + '\0';
  for (float v : {0.f, 0.f, 0.f, 1.f, 1.f, 1.f, 1.f, 0.f, 0.f, 0.f}) Put(body, v);  // position, scale, rotation
  return Chunk("NODE", body + inside);
}

// One triangle, weighed wholly by the bone below it.
std::string B3dTriangle() {
  std::string vertices, triangles, mesh, bone;
  for (int32_t v : {0, 0, 0}) Put(vertices, v);  // flags, texture-coordinate sets and their size
  for (float v : {0.f, 0.f, 0.f, 1.f, 0.f, 0.f, 0.f, 1.f, 0.f}) Put(vertices, v);
  for (int32_t v : {-1, 0, 1, 2}) Put(triangles, v);
  Put(mesh, int32_t(-1));
  return Chunk("MESH", mesh + Chunk("VRTS", vertices) + Chunk("TRIS", triangles));
}

std::string B3dBone() {
  std::string weights;
  for (int32_t v = 0; v < 3; ++v) Put(weights, v), Put(weights, 1.0f);
  return Chunk("BONE", weights);
}

// Position keys at `frames`, each at (frame, 0, 0).
std::string B3dKeys(const std::vector<int32_t>& frames) {
  std::string keys;
  Put(keys, int32_t(1));
  for (int32_t f : frames) Put(keys, f), Put(keys, float(f)), Put(keys, 0.f), Put(keys, 0.f);
  return Chunk("KEYS", keys);
}

// A clip of `frames` ticks at 60 a second.
std::string B3dClip(int32_t frames) {
  std::string anim;
  Put(anim, int32_t(0));
  Put(anim, frames);
  Put(anim, 60.0f);
  return Chunk("ANIM", anim);
}

std::string B3dFile(const std::string& root) {
  std::string version;
  Put(version, int32_t(1));
  return Chunk("BB3D", version + root);
}

// A skinned triangle with a clip of `frames` ticks whose bone has keys at `keys`.
std::string SkinnedClip(int32_t frames, const std::vector<int32_t>& keys) {
  return B3dFile(B3dNode("root", B3dTriangle() + B3dClip(frames) + B3dNode("bone", B3dBone() + B3dKeys(keys))));
}

// A glTF of two nodes and a clip of two keys that moves the second: no mesh.
const char kClipOnlyGltf[] =
    R"({"asset":{"version":"2.0"},"scene":0,"scenes":[{"nodes":[0]}],
  "nodes":[{"name":"hips","children":[1]},{"name":"spine"}],
  "buffers":[{"byteLength":32,"uri":"data:application/octet-stream;base64,AAAAAAAAgD8AAAAAAAAAAAAAAAAAAAAAAACAPwAAAAA="}],
  "bufferViews":[{"buffer":0,"byteOffset":0,"byteLength":8},{"buffer":0,"byteOffset":8,"byteLength":24}],
  "accessors":[{"bufferView":0,"componentType":5126,"count":2,"type":"SCALAR","min":[0],"max":[1]},
               {"bufferView":1,"componentType":5126,"count":2,"type":"VEC3"}],
  "animations":[{"name":"wave","channels":[{"sampler":0,"target":{"node":1,"path":"translation"}}],
                 "samplers":[{"input":0,"output":1}]}]})";

// The header of an Inter-Quake Model file of one clip of 20 frames and nothing else.
std::string AnimationOnlyIqm() {
  std::string header("INTERQUAKEMODEL\0", 16);
  uint32_t words[27] = {};
  words[0] = 2;    // version
  words[1] = 124;  // file size
  words[17] = 1;   // clips
  words[19] = 20;  // frames
  for (uint32_t w : words) Put(header, w);
  return header;
}

std::string Figures(const Import::Scene& scene) {
  size_t vertices = 0, triangles = 0;
  for (const Import::Mesh& m : scene.meshes) vertices += m.positions.size() / 3, triangles += m.indices.size() / 3;
  return "loaded " + std::to_string(scene.meshes.size()) + " " + std::to_string(vertices) + " " +
         std::to_string(triangles) + " 0 0\n";
}

class SceneMendingTest : public ::testing::Test {
 protected:
  void SetUp() override {
    if (!std::filesystem::exists(PM_BINARY_DIR "/pm-import-reader") || !std::filesystem::exists(kPeer))
      GTEST_SKIP() << "the reader or the peer is not built";
    setenv(Import::kReaderOverride, PM_BINARY_DIR "/pm-import-reader", 1);
  }
  void TearDown() override { unsetenv(Import::kReaderOverride); }
  std::string Write(const std::string& name, const std::string& bytes) {
    WriteFile(m_dir.File(name), bytes);
    return m_dir.File(name);
  }
  TempDir m_dir;
};

// A key one tick past its clip's end (Minetest's character and cart), keys out of order, a clip of no
// length: each comes in, its clip as long as its last key, its keys in time order, with one warning
// naming what was mended; the meshes are Assimp's without its validation.
TEST_F(SceneMendingTest, ClipsAreMendedWhereTheFilePlainlyMeansThem) {
  const struct {
    const char* name;
    int32_t frames;
    std::vector<int32_t> keys;
    const char* warning;
  } cases[] = {
      {"past",
       3,
       {1, 2, 3, 4},
       "its clips were mended: 1 clip shorter than its keys lengthened to the last key (clip 0 from 3 to 4 ticks)"},
      {"unordered", 4, {3, 1, 4, 2}, "its clips were mended: the keys of 1 channel put in time order"},
      {"still", 0, {1, 2, 3, 4}, "its clips were mended: 1 clip of no length given the last key's time (clip 0)"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    const std::string file = Write(std::string(c.name) + ".b3d", SkinnedClip(c.frames, c.keys));
    Import::Scene scene;
    std::string error;
    ASSERT_TRUE(Import::ReadModelFile(file, {}, scene, error)) << error;
    EXPECT_EQ(scene.warnings, std::vector<std::string>{c.warning});
    EXPECT_EQ(Figures(scene), PeerOutput("--unvalidated", file));
    ASSERT_EQ(scene.animations.size(), 1u);
    const Import::Animation& clip = scene.animations[0];
    EXPECT_EQ(clip.duration, 4);
    EXPECT_EQ(clip.ticksPerSecond, 60);
    ASSERT_EQ(clip.channels.size(), 1u);
    EXPECT_EQ(scene.nodes[clip.channels[0].node].name, "bone");
    EXPECT_EQ(clip.channels[0].translation.times, (std::vector<double>{1, 2, 3, 4}));
    // Each key keeps its value: (frame, 0, 0).
    EXPECT_EQ(clip.channels[0].translation.values, (std::vector<float>{1, 0, 0, 2, 0, 0, 3, 0, 0, 4, 0, 0}));
  }
  // A file Assimp's validation takes as it is: no warning.
  Import::Scene scene;
  std::string error;
  ASSERT_TRUE(Import::ReadModelFile(Write("fine.b3d", SkinnedClip(4, {1, 2, 3, 4})), {}, scene, error)) << error;
  EXPECT_TRUE(scene.warnings.empty());
}

// What cannot be mended keeps Assimp's refusal: an OBJ of points that names no face.
TEST_F(SceneMendingTest, WhatCannotBeMendedIsStillRefused) {
  const std::string file = Write("points.obj", "v 0 0 0\nv 1 0 0\nv 0 1 0\n# three points and not one face\n");
  Import::Scene scene;
  std::string error;
  EXPECT_FALSE(Import::ReadModelFile(file, {}, scene, error));
  EXPECT_EQ(error, "Cannot import \"" + file + "\": Assimp refused it: Validation failed: Mesh  contains no faces.");
}

// Games keep their players' clips in files of their own (Red Eclipse's IQM files, which Assimp reads as
// empty scenes; Blitz3D files, which it refuses for want of a mesh): the refusal says what they hold.
TEST_F(SceneMendingTest, AFileOfClipsAloneSaysItHoldsOnlyAnimation) {
  const struct {
    std::string file, said;
  } cases[] = {
      {Write("idle.iqm", AnimationOnlyIqm()),
       "it holds only animation (1 clip of 20 frames, no mesh), and Assimp reads no joints or clips from an IQM file"},
      {Write("walk.b3d", B3dFile(B3dNode("root", B3dClip(4) + B3dNode("bone", B3dKeys({1, 2, 3, 4}))))),
       "it holds only animation (1 clip of 4 frames moving 1 node, no mesh), which Assimp reads from a Blitz3D file "
       "only with a mesh"},
  };
  for (const auto& c : cases) {
    Import::Scene scene;
    std::string error;
    EXPECT_FALSE(Import::ReadModelFile(c.file, {}, scene, error));
    EXPECT_EQ(error, "Cannot import \"" + c.file + "\": the reader refused it: " + c.said + ".");
  }
  // A Blitz3D file with neither a mesh nor a clip keeps Assimp's own words.
  const std::string bare = Write("bare.b3d", B3dFile(B3dNode("root", "")));
  Import::Scene scene;
  std::string error;
  EXPECT_FALSE(Import::ReadModelFile(bare, {}, scene, error));
  EXPECT_EQ(error,
            "Cannot import \"" + bare + "\": Assimp refused it: B3D Importer - error in B3D file data: No meshes.");
}

using ClipsWithoutAMeshTest = ShippedReaderTest;

// A file of clips and joints without a mesh imports (a script may put its clips on another model) with
// one warning that it draws nothing, where it came in silently and drew an empty picture.
TEST_F(ClipsWithoutAMeshTest, ComesInWithOneWarningThatNothingIsDrawn) {
  const std::string file = m_dir.File("wave.gltf");
  WriteFile(file, kClipOnlyGltf);
  ImportModule* importer = ImportModule::CreateImportModule("Maya");
  ASSERT_NE(importer, nullptr);
  LogCapture log;
  ASSERT_EQ(importer->Import(file.c_str()), SOK);
  EXPECT_EQ(log.Text(), "Warn  Import(\"" + file + "\"): no mesh: 1 clips and 2 nodes, nothing to draw.\n");
  Obj<ScriptObject> root, scheduler;
  root.Attach(importer->TakeRoot());
  scheduler.Attach(importer->TakeScheduler());
  EXPECT_FALSE(root.IsNil());
  EXPECT_FALSE(scheduler.IsNil());
  importer->Release();
}

}  // namespace
}  // namespace PM::Test
