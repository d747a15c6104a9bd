// ReadModelFile with the real reader program and with stand-ins for it (PM_IMPORT_READER): every way a
// reader can fail ends in one sentence that names the file and the cause, in bounded time.
#include <dlfcn.h>
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cmath>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

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
  // An empty model file of the test's, for a stand-in reader that reads none.
  std::string Model(const std::string& name) {
    PM::Test::WriteFile(m_dir.File(name), "");
    return m_dir.File(name);
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
}

// The host looks at the model before a reader is asked for it: what the system says of a file that is
// absent or may not be read, what a file is instead of a regular one; never Assimp's refusal.
TEST_F(ReaderProcessTest, AModelNoReaderCouldReadIsNamedInTheSystemsWords) {
  Scene scene;
  std::string error;
  EXPECT_FALSE(Read(m_dir.File("nothing.obj"), scene, error));
  EXPECT_EQ(error, "Cannot import \"" + m_dir.File("nothing.obj") + "\": No such file or directory.");
  EXPECT_FALSE(Read(m_dir.File("nothing/box.obj"), scene, error));
  EXPECT_EQ(error, "Cannot import \"" + m_dir.File("nothing/box.obj") + "\": No such file or directory.");
  EXPECT_FALSE(Read(m_dir.Path(), scene, error));
  EXPECT_EQ(error, "Cannot import \"" + m_dir.Path() + "\": it is a folder, not a regular file.");
  // Unreadable: as another user than root, which reads everything (in a process of its own).
  const std::string closed = m_dir.File("closed.obj");
  std::filesystem::copy_file(kModels + "/OBJ/box.obj", closed);
  chmod(closed.c_str(), 0);
  int result[2];
  ASSERT_EQ(pipe(result), 0);
  const pid_t child = fork();
  if (child == 0) {
    if (setgid(65534) == 0 && setuid(65534) == 0) Read(closed, scene, error);
    _exit(write(result[1], error.data(), error.size()) < 0);
  }
  close(result[1]);
  char text[1024];
  const ssize_t got = read(result[0], text, sizeof text);
  close(result[0]);
  waitpid(child, nullptr, 0);
  EXPECT_EQ(std::string(text, static_cast<size_t>(std::max<ssize_t>(got, 0))),
            "Cannot import \"" + closed + "\": Permission denied.");
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
  EXPECT_FALSE(Read(Model("model.fbx"), scene, error));
  EXPECT_EQ(error, "Cannot import \"" + Model("model.fbx") +
                       "\": the reader stopped on signal 11 (SIGSEGV, Segmentation fault) "
                       "(Assertion failed: x).");
}

TEST_F(ReaderProcessTest, TheCpuLimitIsNamed) {
  ReaderOverride standIn(StandIn("kill -XCPU $$"));
  Scene scene;
  std::string error;
  ReaderLimits limits;
  limits.cpuSeconds = 3;
  EXPECT_FALSE(Read(Model("slow.blend"), scene, error, limits));
  EXPECT_EQ(error, "Cannot import \"" + Model("slow.blend") + "\": the reader reached its CPU-time limit of 3 s.");
}

TEST_F(ReaderProcessTest, AReaderThatSleepsMeetsTheTimeOut) {
  ReaderLimits limits;
  limits.wallSeconds = 1;
  Scene scene;
  std::string error;
  {
    ReaderOverride standIn(StandIn("exec sleep 30"));
    EXPECT_FALSE(Read(Model("a.obj"), scene, error, limits));
    EXPECT_EQ(error, "Cannot import \"" + Model("a.obj") + "\": the reader did not finish within the time-out of 1 s.");
    EXPECT_LT(seconds, 5);
  }
  // Its output closed, then asleep: the time-out holds while the host waits for its end.
  {
    ReaderOverride standIn(StandIn("exec >&- 2>&-; exec sleep 30"));
    EXPECT_FALSE(Read(Model("z.obj"), scene, error, limits));
    EXPECT_EQ(error, "Cannot import \"" + Model("z.obj") + "\": the reader did not finish within the time-out of 1 s.");
    EXPECT_LT(seconds, 5);
  }
  // A whole stream sent, then no end: the time-out still holds and nothing is kept.
  {
    ReaderOverride standIn(
        StandIn("'" PM_BINARY_DIR "/pm-import-reader' -- '" + kModels + "/OBJ/box.obj'; exec sleep 30"));
    EXPECT_FALSE(Read(Model("b.obj"), scene, error, limits));
    EXPECT_EQ(error, "Cannot import \"" + Model("b.obj") + "\": the reader did not finish within the time-out of 1 s.");
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
    ReaderOverride standIn(StandIn(reader + "; echo 'left in a hurry' >&2; exit 5"));
    EXPECT_FALSE(Read(Model("c.obj"), scene, error));
    EXPECT_EQ(error,
              "Cannot import \"" + Model("c.obj") + "\": the reader ended with exit status 5 (left in a hurry).");
  }
  {
    ReaderOverride standIn(StandIn(reader + "; kill -BUS $$"));
    EXPECT_FALSE(Read(Model("d.obj"), scene, error));
    EXPECT_EQ(error, "Cannot import \"" + Model("d.obj") + "\": the reader stopped on signal 7 (SIGBUS, Bus error).");
  }
  EXPECT_TRUE(scene.nodes.empty());
  {
    ReaderOverride standIn(StandIn("exec " + reader));
    EXPECT_TRUE(Read(Model("e.obj"), scene, error)) << error;
    EXPECT_FALSE(scene.nodes.empty());
  }
}

// Without the override the reader is looked for beside the file that holds ReadModelFile (here the test
// program; in use the importer module).
TEST_F(ReaderProcessTest, TheReaderIsLookedForBesideItsCaller) {
  unsetenv(kReaderOverride);
  Scene scene;
  std::string error;
  EXPECT_FALSE(Read(Model("f.obj"), scene, error));
  const std::string beside = std::filesystem::canonical("/proc/self/exe").parent_path().string() + "/pm-import-reader";
  EXPECT_EQ(error, "Cannot import \"" + Model("f.obj") + "\": the reader program \"" + beside +
                       "\" could not be started (No such file or directory).");
  // In a module (loaded by a relative path, from another folder than the program's), beside the module.
  const std::string cwd = std::filesystem::current_path();
  std::filesystem::current_path(PM_BINARY_DIR);
  void* probe = dlopen("./tests/probe/pm_import_probe.so", RTLD_NOW | RTLD_LOCAL);
  std::filesystem::current_path(cwd);
  ASSERT_NE(probe, nullptr) << dlerror();
  auto read = reinterpret_cast<bool (*)(const char*, std::string*)>(dlsym(probe, "ProbeReadModelFile"));
  ASSERT_NE(read, nullptr);
  EXPECT_FALSE(read(Model("g.obj").c_str(), &error));
  EXPECT_EQ(error, "Cannot import \"" + Model("g.obj") +
                       "\": the reader program \"" PM_BINARY_DIR
                       "/tests/probe/pm-import-reader\" could not be started (No such file or directory).");
  dlclose(probe);
}

TEST_F(ReaderProcessTest, BytesThatLieOrStopAreTheReadersFault) {
  Scene scene;
  std::string error;
  {
    ReaderOverride standIn(StandIn("printf 'PMIX\\001\\000\\000\\000\\000'"));
    EXPECT_FALSE(Read(Model("lie.3ds"), scene, error));
    EXPECT_EQ(error, "Cannot import \"" + Model("lie.3ds") +
                         "\": the reader's stream is damaged: it does not begin with \"PMIS\".");
  }
  {
    ReaderOverride standIn(StandIn("printf 'PMIS\\004\\000\\000\\000\\000\\377\\377'"));
    EXPECT_FALSE(Read(Model("cut.3ds"), scene, error));
    EXPECT_EQ(error, "Cannot import \"" + Model("cut.3ds") + "\": the reader's stream stopped after 11 bytes.");
  }
  {
    ReaderOverride standIn(StandIn("echo 'no such option' >&2; exit 3"));
    EXPECT_FALSE(Read(Model("x.ply"), scene, error));
    EXPECT_EQ(error, "Cannot import \"" + Model("x.ply") + "\": the reader ended with exit status 3 (no such option).");
  }
  {
    ReaderOverride standIn(m_dir.File("absent-reader"));
    EXPECT_FALSE(Read(Model("y.ply"), scene, error));
    EXPECT_EQ(error, "Cannot import \"" + Model("y.ply") + "\": the reader program \"" + m_dir.File("absent-reader") +
                         "\" could not be started (No such file or directory).");
  }
  EXPECT_TRUE(scene.nodes.empty());
}

// A host's child handling takes nothing from an import. A host that ignores SIGCHLD has the kernel reap
// the reader unseen as it ends (although it has no exit signal), and another thread that reaps every
// child with __WALL takes it too: either way the cause is read from the reader's pidfd, and the reader
// started ahead still serves the next import.
TEST_F(ReaderProcessTest, TheHostsChildHandlingChangesNothing) {
  Scene scene;
  std::string error;
  struct sigaction ignore {
  }, old{};
  ignore.sa_handler = SIG_IGN;
  ASSERT_EQ(sigaction(SIGCHLD, &ignore, &old), 0);
  {
    ReaderOverride standIn(StandIn("echo 'Assertion failed: y' >&2; kill -SEGV $$"));
    EXPECT_FALSE(Read(Model("crash.fbx"), scene, error));
    EXPECT_EQ(error, "Cannot import \"" + Model("crash.fbx") +
                         "\": the reader stopped on signal 11 (SIGSEGV, Segmentation fault) (Assertion failed: y).");
  }
  sigaction(SIGCHLD, &old, nullptr);

  std::atomic<bool> stop{false};
  std::mutex mutex;
  std::vector<int> reaped;  // the signal each child the other thread reaped ended on, or 0
  std::thread reaper([&] {
    while (!stop) {
      siginfo_t info{};
      if (waitid(P_ALL, 0, &info, WEXITED | __WALL) != 0 || info.si_pid == 0) {
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
        continue;
      }
      std::lock_guard<std::mutex> lock(mutex);
      reaped.push_back(info.si_code == CLD_EXITED ? 0 : info.si_status);
    }
  });
  auto takenBy = [&](int signal) {
    std::lock_guard<std::mutex> lock(mutex);
    return std::count(reaped.begin(), reaped.end(), signal) > 0;
  };
  // The import's thread, told of the stream's first bytes, waits until the other thread has taken the
  // reader, which ends right after them. (A stand-in started ahead waits for its request.)
  auto takenFirst = [&](int signal) {
    return [&, signal](uint64_t) {
      for (int tries = 0; tries < 300 && !takenBy(signal); ++tries)
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    };
  };
  {
    ReaderOverride standIn(
        StandIn("cat >/dev/null; printf 'PMIS\\001\\000'; echo 'Assertion failed: y' >&2; kill -SEGV $$"));
    EXPECT_FALSE(ReadModelFile(Model("crash.fbx"), {}, scene, error, takenFirst(SIGSEGV)));
    EXPECT_EQ(error, "Cannot import \"" + Model("crash.fbx") +
                         "\": the reader stopped on signal 11 (SIGSEGV, Segmentation fault) (Assertion failed: y).");
    EXPECT_TRUE(takenBy(SIGSEGV)) << "the other thread did not take the reader";
  }
  {
    ReaderOverride standIn(StandIn("cat >/dev/null; printf 'PMIS\\001\\000'; kill -XCPU $$"));
    ReaderLimits limits;
    limits.cpuSeconds = 2;
    EXPECT_FALSE(ReadModelFile(Model("slow.blend"), limits, scene, error, takenFirst(SIGXCPU)));
    EXPECT_EQ(error, "Cannot import \"" + Model("slow.blend") + "\": the reader reached its CPU-time limit of 2 s.");
    EXPECT_TRUE(takenBy(SIGXCPU)) << "the other thread did not take the reader";
  }
  // Each import takes the reader started ahead and starts one for the next: one start an import, and one.
  const std::string starts = m_dir.File("starts");
  ReaderOverride counted(StandIn("echo >> '" + starts + "'\nexec '" PM_BINARY_DIR "/pm-import-reader'"));
  for (int i = 0; i < 3; ++i) EXPECT_TRUE(Read(kModels + "/OBJ/box.obj", scene, error)) << error;
  // (The last one, started ahead, may still be on its way.)
  for (int tries = 0; tries < 200 && PM::Test::ReadFile(starts).size() < 4; ++tries)
    std::this_thread::sleep_for(std::chrono::milliseconds(10));
  EXPECT_EQ(PM::Test::ReadFile(starts), std::string(4, '\n'));
  stop = true;
  if (const pid_t wake = fork(); wake == 0) _exit(0);  // its end wakes the other thread
  reaper.join();
}

// A convex polygon of `corners` corners (Assimp takes up to 32767): its triangulation takes time in
// proportion to the square of its corners (7 s for 32000), and little memory.
std::string SlowObj(int corners) {
  std::string text;
  for (int i = 0; i < corners; ++i) {
    const double a = 6.283185307179586 * i / corners;
    text.append("v ")
        .append(std::to_string(std::cos(a)))
        .append(" ")
        .append(std::to_string(std::sin(a)))
        .append(" 0\n");
  }
  text += "f";
  for (int i = 1; i <= corners; ++i) text.append(" ").append(std::to_string(i));
  return text + "\n";
}

// The processes whose parent is `parent`.
std::vector<pid_t> ChildrenOf(pid_t parent) {
  std::vector<pid_t> out;
  for (const auto& entry : std::filesystem::directory_iterator("/proc")) {
    const std::string stat = PM::Test::ReadFile(entry.path().string() + "/stat");
    const size_t close = stat.rfind(')');
    if (close != std::string::npos && std::atoi(stat.c_str() + close + 4) == parent)
      out.push_back(std::atoi(entry.path().filename().c_str()));
  }
  return out;
}

bool Gone(pid_t pid) {
  const std::string stat = PM::Test::ReadFile("/proc/" + std::to_string(pid) + "/stat");
  return stat.empty() || stat.find(") Z") != std::string::npos;
}

// A host killed in the middle of an import (a copy of this test, forked) takes its readers with it: the
// one at work and the one started ahead end within a second or two, not at their CPU limit.
TEST_F(ReaderProcessTest, NoReaderOutlivesItsHost) {
  const std::string slow = m_dir.File("slow.obj");
  PM::Test::WriteFile(slow, SlowObj(32000));
  const pid_t host = fork();
  if (host == 0) {
    Scene scene;
    std::string error;
    ReadModelFile(slow, {}, scene, error);
    _exit(0);
  }
  ASSERT_GT(host, 0);
  std::vector<pid_t> readers;
  for (int tries = 0; tries < 500 && readers.size() < 2; ++tries) {
    std::this_thread::sleep_for(std::chrono::milliseconds(10));
    readers = ChildrenOf(host);
  }
  ASSERT_EQ(readers.size(), 2u) << "the import's reader and the one started ahead";
  std::this_thread::sleep_for(std::chrono::milliseconds(500));  // at work on the polygon
  for (const pid_t reader : readers) EXPECT_FALSE(Gone(reader)) << "the file is slow enough to read";
  kill(host, SIGKILL);
  waitpid(host, nullptr, 0);
  const auto killed = std::chrono::steady_clock::now();
  auto allGone = [&] { return std::all_of(readers.begin(), readers.end(), Gone); };
  while (!allGone() && std::chrono::steady_clock::now() - killed < std::chrono::seconds(2))
    std::this_thread::sleep_for(std::chrono::milliseconds(10));
  EXPECT_TRUE(allGone());
  for (const pid_t reader : readers) kill(reader, SIGKILL);  // whatever the outcome, nothing is left
}

// Every way the reader ends without a stream is told: a request cut short, a stream it cannot set up.
TEST_F(ReaderProcessTest, EveryEndOfTheReaderSaysWhy) {
  const std::string reader = "'" PM_BINARY_DIR "/pm-import-reader'";
  Scene scene;
  std::string error;
  {
    ReaderOverride standIn(StandIn("cat > /dev/null; printf -- '--cpu-seconds' | exec " + reader));
    EXPECT_FALSE(Read(Model("cut.obj"), scene, error));
    EXPECT_EQ(error, "Cannot import \"" + Model("cut.obj") +
                         "\": the reader ended with exit status 3 (its request does not end with a zero byte).");
  }
  {
    ReaderOverride standIn(StandIn("exec " + reader + " >&-"));
    EXPECT_FALSE(Read(Model("closed.obj"), scene, error));
    EXPECT_EQ(error, "Cannot import \"" + Model("closed.obj") +
                         "\": the reader ended with exit status 3 (its stream could not be set up: Bad file "
                         "descriptor).");
  }
  // The largest CPU time a request holds is a limit the reader sets.
  EXPECT_EQ(std::system((reader + " --cpu-seconds 4294967295 -- '" + kModels + "/OBJ/box.obj' > /dev/null").c_str()),
            0);
}

}  // namespace
}  // namespace PM::Import
