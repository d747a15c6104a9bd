// ReadModelFile with the real reader program and with stand-ins for it (PM_IMPORT_READER): every way a
// reader can fail ends in one sentence that names the file and the cause, in bounded time.
#include <dlfcn.h>
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <chrono>
#include <cmath>
#include <cstdlib>
#include <filesystem>
#include <string>

#include "import/ImportScene.h"
#include "import/ReaderProcess.h"
#include "support/TestEnv.h"

namespace PM::Import {
namespace {

const std::string kModels = "/usr/share/assimp/models";

// Points PM_IMPORT_READER at a program for the test's length.
class ReaderOverride {
 public:
  explicit ReaderOverride(const std::string& program) { setenv(kReaderOverride, program.c_str(), 1); }
  ~ReaderOverride() { unsetenv(kReaderOverride); }
};

class ReaderProcessTest : public ::testing::Test {
 protected:
  void SetUp() override {
    if (!std::filesystem::exists(PM_BINARY_DIR "/pm-import-reader") || !std::filesystem::exists(kModels))
      GTEST_SKIP() << "the reader is not built, or assimp-testmodels is not installed";
  }
  // A stand-in reader: a shell script with `body` after the shebang.
  std::string StandIn(const std::string& body) {
    const std::string path = m_dir.File("reader" + std::to_string(m_scripts++));
    PM::Test::WriteFile(path, "#!/bin/sh\n" + body + "\n");
    chmod(path.c_str(), 0755);
    return path;
  }
  bool Read(const std::string& file, Scene& scene, std::string& error, ReaderLimits limits = {}) {
    const auto start = std::chrono::steady_clock::now();
    const bool ok = ReadModelFile(file, limits, scene, error);
    seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    return ok;
  }
  ReaderOverride real{PM_BINARY_DIR "/pm-import-reader"};
  PM::Test::TempDir m_dir;
  int m_scripts = 0;
  double seconds = 0;
};

TEST_F(ReaderProcessTest, ReadsATexturedGltf) {
  Scene scene;
  std::string error;
  ASSERT_TRUE(Read(kModels + "/glTF2/BoxTextured-glTF/BoxTextured.gltf", scene, error)) << error;
  EXPECT_EQ(error, "");
  ASSERT_EQ(scene.meshes.size(), 1u);
  EXPECT_EQ(scene.meshes[0].primitive, 3);
  EXPECT_EQ(scene.meshes[0].indices.size(), 36u);
  EXPECT_EQ(scene.meshes[0].positions.size(), 24u * 3);
  EXPECT_EQ(scene.meshes[0].normals.size(), 24u * 3);
  EXPECT_EQ(scene.meshes[0].uv[0].size(), 24u * 2);
  ASSERT_EQ(scene.textures.size(), 1u);
  EXPECT_EQ(scene.textures[0].source, "CesiumLogoFlat.png");
  EXPECT_FALSE(scene.textures[0].missing);
  EXPECT_EQ(scene.textures[0].width, 211u);
  EXPECT_EQ(scene.textures[0].height, 211u);
  EXPECT_EQ(scene.textures[0].rgba.size(), 211u * 211 * 4);
  const Material& m = scene.materials[scene.meshes[0].material];
  EXPECT_EQ(m.diffuseTexture, 0);
  EXPECT_TRUE(m.metalRoughness);
  EXPECT_EQ(m.alphaMode, 0);
  EXPECT_EQ(scene.nodes[0].parent, -1);
}

TEST_F(ReaderProcessTest, EmbeddedTexturesAreDecoded) {
  Scene scene;
  std::string error;
  ASSERT_TRUE(Read(kModels + "/glTF2/BoxTextured-glTF-Binary/BoxTextured.glb", scene, error)) << error;
  ASSERT_EQ(scene.textures.size(), 1u);
  EXPECT_EQ(scene.textures[0].source, "*0");
  EXPECT_EQ(scene.textures[0].width, 211u);
  ASSERT_TRUE(Read(kModels + "/glTF2/BoxTextured-glTF-Embedded/BoxTextured.gltf", scene, error)) << error;
  ASSERT_EQ(scene.textures.size(), 1u);
  EXPECT_FALSE(scene.textures[0].missing);
}

TEST_F(ReaderProcessTest, AMissingTextureIsNamedAndTheFileStillLoads) {
  const std::string from = kModels + "/glTF2/BoxTextured-glTF/";
  std::filesystem::copy_file(from + "BoxTextured.gltf", m_dir.File("box it's.gltf"));
  std::filesystem::copy_file(from + "BoxTextured0.bin", m_dir.File("BoxTextured0.bin"));
  Scene scene;
  std::string error;
  ASSERT_TRUE(Read(m_dir.File("box it's.gltf"), scene, error)) << error;  // no shell: any name goes
  EXPECT_EQ(std::distance(std::filesystem::directory_iterator(m_dir.Path()), {}), 2) << "no file written beside it";
  ASSERT_EQ(scene.textures.size(), 1u);
  EXPECT_TRUE(scene.textures[0].missing);
  EXPECT_EQ(scene.textures[0].source, "CesiumLogoFlat.png");
  EXPECT_TRUE(scene.textures[0].rgba.empty());
}

// The cube's two morph targets as deltas from its vertices, and the animation's morph channel, as Assimp
// reads them: target 0 lifts vertex 2 from y -0.01 to 0.00893253; every key sets both targets.
TEST_F(ReaderProcessTest, MorphTargetsAndTheirKeysArrive) {
  Scene scene;
  std::string error;
  ASSERT_TRUE(Read(kModels + "/glTF2/glTF-Sample-Models/AnimatedMorphCube-glTF/AnimatedMorphCube.gltf", scene, error))
      << error;
  EXPECT_EQ(scene.leftOut, "");
  ASSERT_EQ(scene.meshes.size(), 1u);
  const Mesh& cube = scene.meshes[0];
  ASSERT_EQ(cube.targets.size(), 2u);
  for (const MorphTarget& t : cube.targets) {
    EXPECT_EQ(t.name, "");
    EXPECT_EQ(t.weight, 0);
    EXPECT_EQ(t.positionDeltas.size(), cube.positions.size());
    EXPECT_EQ(t.normalDeltas.size(), cube.normals.size());
  }
  EXPECT_NEAR(cube.targets[0].positionDeltas[2 * 3 + 1], 0.01893253f, 1e-6f);
  EXPECT_EQ(cube.targets[0].positionDeltas[0], 0);
  ASSERT_EQ(scene.animations.size(), 1u);
  ASSERT_EQ(scene.animations[0].morphChannels.size(), 1u);
  const MorphChannel& c = scene.animations[0].morphChannels[0];
  EXPECT_EQ(scene.nodes[c.node].name, "AnimatedMorphCube");
  ASSERT_EQ(c.times.size(), 127u);
  EXPECT_EQ(c.counts, std::vector<uint32_t>(127, 2));
  EXPECT_EQ(c.targets[2], 0u);
  EXPECT_EQ(c.targets[3], 1u);
  EXPECT_NEAR(c.weights[2], 0.001284f, 1e-6f);
  ASSERT_TRUE(Read(kModels + "/glTF2/BoxTextured-glTF/BoxTextured.gltf", scene, error)) << error;
  EXPECT_EQ(scene.leftOut, "");
  EXPECT_TRUE(scene.meshes[0].targets.empty());
}

// A target named by the file (glTF's "targetNames") with its default weight, and keys that weigh a second
// target the mesh lacks (dropped, and named as left out) and one that is not a number (sent as it is).
TEST_F(ReaderProcessTest, StrayMorphKeysAreLeftOutAndNamed) {
  Scene scene;
  std::string error;
  ASSERT_TRUE(Read(PM_SOURCE_DIR "/tests/import/data/stray_morph_keys.gltf", scene, error)) << error;
  EXPECT_EQ(scene.leftOut, "Not imported: 2 morph key weights naming targets no mesh of their node has.");
  ASSERT_EQ(scene.meshes.size(), 1u);
  ASSERT_EQ(scene.meshes[0].targets.size(), 1u);
  const MorphTarget& lift = scene.meshes[0].targets[0];
  EXPECT_EQ(lift.name, "lift");
  EXPECT_EQ(lift.weight, 0.5f);
  EXPECT_EQ(lift.positionDeltas, (std::vector<float>{0, 0, 1, 0, 0, 1, 0, 0, 1}));
  EXPECT_TRUE(lift.normalDeltas.empty());  // the target has none; the mesh's are made by Assimp
  ASSERT_EQ(scene.animations.size(), 1u);
  ASSERT_EQ(scene.animations[0].morphChannels.size(), 1u);
  const MorphChannel& c = scene.animations[0].morphChannels[0];
  EXPECT_EQ(c.times, (std::vector<double>{0, 1000}));
  EXPECT_EQ(c.counts, (std::vector<uint32_t>{1, 1}));
  EXPECT_EQ(c.targets, (std::vector<uint32_t>{0, 0}));
  ASSERT_EQ(c.weights.size(), 2u);
  EXPECT_EQ(c.weights[0], 0);
  EXPECT_TRUE(std::isnan(c.weights[1]));
}

TEST_F(ReaderProcessTest, AssimpsRefusalIsTheCause) {
  Scene scene;
  std::string error;
  const std::string file = kModels + "/invalid/empty.obj";
  EXPECT_FALSE(Read(file, scene, error));
  EXPECT_EQ(error, "Cannot import \"" + file + "\": Assimp refused it: OBJ-file is too small.");
  EXPECT_TRUE(scene.nodes.empty());
  EXPECT_FALSE(Read(m_dir.File("nothing.obj"), scene, error));
  EXPECT_EQ(error.rfind("Cannot import \"" + m_dir.File("nothing.obj") + "\": Assimp refused it: ", 0), 0u) << error;
}

TEST_F(ReaderProcessTest, TheAddressSpaceLimitStopsAGreedyFileAtOnce) {
  Scene scene;
  std::string error;
  const std::string file = kModels + "/invalid/OutOfMemory.off";
  EXPECT_FALSE(Read(file, scene, error));
  // A file of a few bytes: the budget's floor.
  EXPECT_EQ(error, "Cannot import \"" + file + "\": the reader reached its address-space limit of 1 GiB.");
  EXPECT_LT(seconds, 1.0);
  ReaderLimits small;
  small.addressSpace = 26 << 20;
  const std::string engine = kModels + "/glTF2/2CylinderEngine-glTF-Binary/2CylinderEngine.glb";
  EXPECT_FALSE(Read(engine, scene, error, small));
  EXPECT_EQ(error, "Cannot import \"" + engine + "\": the reader reached its address-space limit of 26 MiB.");
}

TEST_F(ReaderProcessTest, TheOutputLimitIsNamed) {
  ReaderLimits limits;
  limits.outputBytes = 1000;
  Scene scene;
  std::string error;
  const std::string file = kModels + "/glTF2/BoxTextured-glTF/BoxTextured.gltf";
  EXPECT_FALSE(Read(file, scene, error, limits));
  EXPECT_EQ(error.rfind("Cannot import \"" + file +
                            "\": the scene is larger than the reader's output limit of 1000 "
                            "bytes (",
                        0),
            0u)
      << error;
}

TEST_F(ReaderProcessTest, AReaderKilledBySignalIsNamedWithWhatItSaid) {
  ReaderOverride standIn(StandIn("printf 'PMIS\\001\\000'; echo 'Assertion failed: x' >&2; kill -SEGV $$"));
  Scene scene;
  std::string error;
  EXPECT_FALSE(Read("model.fbx", scene, error));
  EXPECT_EQ(error,
            "Cannot import \"model.fbx\": the reader stopped on signal 11 (SIGSEGV, Segmentation fault) "
            "(Assertion failed: x).");
}

TEST_F(ReaderProcessTest, TheCpuLimitIsNamed) {
  ReaderOverride standIn(StandIn("kill -XCPU $$"));
  Scene scene;
  std::string error;
  ReaderLimits limits;
  limits.cpuSeconds = 3;
  EXPECT_FALSE(Read("slow.blend", scene, error, limits));
  EXPECT_EQ(error, "Cannot import \"slow.blend\": the reader reached its CPU-time limit of 3 s.");
}

TEST_F(ReaderProcessTest, AReaderThatSleepsMeetsTheTimeOut) {
  ReaderLimits limits;
  limits.wallSeconds = 1;
  Scene scene;
  std::string error;
  {
    ReaderOverride standIn(StandIn("exec sleep 30"));
    EXPECT_FALSE(Read("a.obj", scene, error, limits));
    EXPECT_EQ(error, "Cannot import \"a.obj\": the reader did not finish within the time-out of 1 s.");
    EXPECT_LT(seconds, 5);
  }
  // Its output closed, then asleep: the time-out holds while the host waits for its end.
  {
    ReaderOverride standIn(StandIn("exec >&- 2>&-; exec sleep 30"));
    EXPECT_FALSE(Read("z.obj", scene, error, limits));
    EXPECT_EQ(error, "Cannot import \"z.obj\": the reader did not finish within the time-out of 1 s.");
    EXPECT_LT(seconds, 5);
  }
  // A whole stream sent, then no end: the time-out still holds and nothing is kept.
  {
    ReaderOverride standIn(
        StandIn("'" PM_BINARY_DIR "/pm-import-reader' -- '" + kModels + "/OBJ/box.obj'; exec sleep 30"));
    EXPECT_FALSE(Read("b.obj", scene, error, limits));
    EXPECT_EQ(error, "Cannot import \"b.obj\": the reader did not finish within the time-out of 1 s.");
    EXPECT_TRUE(scene.nodes.empty());
    EXPECT_LT(seconds, 5);
  }
}

// A scene counts only from a reader that then ends cleanly.
TEST_F(ReaderProcessTest, AWholeStreamFromAFailingReaderCountsForNothing) {
  const std::string reader = "'" PM_BINARY_DIR "/pm-import-reader' -- '" + kModels + "/OBJ/box.obj'";
  Scene scene;
  std::string error;
  {
    ReaderOverride standIn(StandIn(reader + "; exit 5"));
    EXPECT_FALSE(Read("c.obj", scene, error));
    EXPECT_EQ(error, "Cannot import \"c.obj\": the reader ended with exit status 5.");
  }
  {
    ReaderOverride standIn(StandIn(reader + "; kill -BUS $$"));
    EXPECT_FALSE(Read("d.obj", scene, error));
    EXPECT_EQ(error, "Cannot import \"d.obj\": the reader stopped on signal 7 (SIGBUS, Bus error).");
  }
  EXPECT_TRUE(scene.nodes.empty());
  {
    ReaderOverride standIn(StandIn("exec " + reader));
    EXPECT_TRUE(Read("e.obj", scene, error)) << error;
    EXPECT_FALSE(scene.nodes.empty());
  }
}

// Without the override the reader is looked for beside the file that holds ReadModelFile (here the test
// program; in use the importer module).
TEST_F(ReaderProcessTest, TheReaderIsLookedForBesideItsCaller) {
  unsetenv(kReaderOverride);
  Scene scene;
  std::string error;
  EXPECT_FALSE(Read("f.obj", scene, error));
  const std::string beside = std::filesystem::canonical("/proc/self/exe").parent_path().string() + "/pm-import-reader";
  EXPECT_EQ(error, "Cannot import \"f.obj\": the reader program \"" + beside +
                       "\" could not be started (No such file or directory).");
  // In a module (loaded by a relative path, from another folder than the program's), beside the module.
  const std::string cwd = std::filesystem::current_path();
  std::filesystem::current_path(PM_BINARY_DIR);
  void* probe = dlopen("./tests/probe/pm_import_probe.so", RTLD_NOW | RTLD_LOCAL);
  std::filesystem::current_path(cwd);
  ASSERT_NE(probe, nullptr) << dlerror();
  auto read = reinterpret_cast<bool (*)(const char*, std::string*)>(dlsym(probe, "ProbeReadModelFile"));
  ASSERT_NE(read, nullptr);
  EXPECT_FALSE(read("g.obj", &error));
  EXPECT_EQ(error, "Cannot import \"g.obj\": the reader program \"" PM_BINARY_DIR
                   "/tests/probe/pm-import-reader\" could not be started (No such file or directory).");
  dlclose(probe);
}

TEST_F(ReaderProcessTest, BytesThatLieOrStopAreTheReadersFault) {
  Scene scene;
  std::string error;
  {
    ReaderOverride standIn(StandIn("printf 'PMIX\\001\\000\\000\\000\\000'"));
    EXPECT_FALSE(Read("lie.3ds", scene, error));
    EXPECT_EQ(error, "Cannot import \"lie.3ds\": the reader's stream is damaged: it does not begin with \"PMIS\".");
  }
  {
    ReaderOverride standIn(StandIn("printf 'PMIS\\004\\000\\000\\000\\000\\377\\377'"));
    EXPECT_FALSE(Read("cut.3ds", scene, error));
    EXPECT_EQ(error, "Cannot import \"cut.3ds\": the reader's stream stopped after 11 bytes.");
  }
  {
    ReaderOverride standIn(StandIn("echo 'no such option' >&2; exit 3"));
    EXPECT_FALSE(Read("x.ply", scene, error));
    EXPECT_EQ(error, "Cannot import \"x.ply\": the reader ended with exit status 3 (no such option).");
  }
  {
    ReaderOverride standIn(m_dir.File("absent-reader"));
    EXPECT_FALSE(Read("y.ply", scene, error));
    EXPECT_EQ(error, "Cannot import \"y.ply\": the reader program \"" + m_dir.File("absent-reader") +
                         "\" could not be started (No such file or directory).");
  }
  EXPECT_TRUE(scene.nodes.empty());
}

}  // namespace
}  // namespace PM::Import
