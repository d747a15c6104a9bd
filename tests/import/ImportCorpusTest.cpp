// Every model file of Debian's assimp-testmodels through ReadModelFile, beside Assimp's own figures for the
// same file (the peer program): each ends in a scene or one error naming it, and we load all Assimp loads,
// with the same counts.
#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstdio>
#include <filesystem>
#include <map>
#include <set>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

#include "import/ImportScene.h"
#include "import/ReaderProcess.h"

namespace PM::Import {
namespace {

namespace fs = std::filesystem;
const std::string kModels = "/usr/share/assimp/models";
const std::string kPeer = PM_BINARY_DIR "/tests/pm-import-peer";

// What a load holds: meshes, vertices, triangles, lines, points.
using Figures = std::vector<unsigned long>;

std::string Run(const std::string& command) {
  std::string out;
  if (FILE* p = popen(command.c_str(), "r")) {
    char buffer[4096];
    while (size_t n = fread(buffer, 1, sizeof buffer, p)) out.append(buffer, n);
    pclose(p);
  }
  return out;
}

std::string Quoted(const std::string& s) {
  std::string q = "'";
  for (char c : s) q += c == '\'' ? std::string("'\\''") : std::string(1, c);
  return q + "'";
}

struct Outcome {
  std::string file, folder;
  bool peerLoaded = false;
  std::string peerLine;
  Figures peer, ours;
  bool loaded = false;
  std::string error;
};

Figures FiguresOf(const Scene& scene) {
  Figures f{scene.meshes.size(), 0, 0, 0, 0};
  for (const Mesh& m : scene.meshes) {
    f[1] += m.positions.size() / 3;
    f[5 - m.primitive] += m.indices.size() / m.primitive;  // 3 -> 2, 2 -> 3, 1 -> 4
  }
  return f;
}

Outcome Import(const std::string& file) {
  Outcome o;
  o.file = file;
  o.folder = fs::relative(file, kModels).begin()->string();
  o.peerLine = Run(Quoted(kPeer) + " " + Quoted(file) + " 2>/dev/null");
  std::istringstream peer(o.peerLine);
  std::string word;
  peer >> word;
  o.peerLoaded = word == "loaded";
  for (unsigned long v; o.peerLoaded && peer >> v;) o.peer.push_back(v);
  Scene scene;
  o.loaded = ReadModelFile(file, {}, scene, o.error);
  if (o.loaded) o.ours = FiguresOf(scene);
  return o;
}

// The model files under `root`: those with an extension Assimp reads, and those with none (its format
// detection tests).
std::vector<std::string> ModelFiles(const std::string& root) {
  std::set<std::string> extensions;
  std::string list = Run(Quoted(kPeer) + " --extensions");
  std::replace(list.begin(), list.end(), ';', ' ');
  std::istringstream in(list);
  for (std::string e; in >> e;) extensions.insert(e.substr(e.rfind('.') + 1));
  std::vector<std::string> files;
  for (const auto& entry : fs::recursive_directory_iterator(root)) {
    if (!entry.is_regular_file()) continue;
    std::string ext = entry.path().extension().string();
    std::transform(ext.begin(), ext.end(), ext.begin(), [](unsigned char c) { return std::tolower(c); });
    if (ext.empty() || extensions.count(ext.substr(1))) files.push_back(entry.path().string());
  }
  std::sort(files.begin(), files.end());
  return files;
}

std::vector<Outcome> ImportAll(const std::vector<std::string>& files) {
  std::vector<Outcome> outcomes(files.size());
  std::atomic<size_t> next{0};
  std::vector<std::thread> workers;
  const unsigned n = std::clamp(std::thread::hardware_concurrency(), 1u, 4u);
  for (unsigned w = 0; w < n; ++w)
    workers.emplace_back([&] {
      for (size_t i; (i = next++) < files.size();) outcomes[i] = Import(files[i]);
    });
  for (auto& w : workers) w.join();
  return outcomes;
}

// Each outcome is a scene or one sentence naming its file; we load what Assimp loads, with its figures.
void CheckOutcome(const Outcome& o) {
  SCOPED_TRACE(o.file);
  if (o.loaded) {
    EXPECT_EQ(o.error, "");
    // Every scene we load is compared: a peer that loads nothing must not pass for agreement.
    EXPECT_TRUE(o.peerLoaded) << "we load it, Assimp's peer does not: " << o.peerLine;
    EXPECT_EQ(o.ours, o.peer);
    return;
  }
  EXPECT_EQ(o.error.rfind("Cannot import \"" + o.file + "\": ", 0), 0u) << o.error;
  EXPECT_EQ(o.error.find('\n'), std::string::npos) << o.error;
  EXPECT_EQ(o.error.back(), '.') << o.error;
  EXPECT_FALSE(o.peerLoaded) << "Assimp loads it: " << o.peerLine << "we said: " << o.error;
}

struct Totals {
  int files = 0, loaded = 0, refusedByAssimp = 0, refusedByUs = 0, assimpLoads = 0;
  void Add(const Outcome& o) {
    ++files;
    loaded += o.loaded;
    const bool assimp = o.error.find("\": Assimp refused it: ") != std::string::npos;
    refusedByAssimp += !o.loaded && assimp;
    refusedByUs += !o.loaded && !assimp;
    assimpLoads += o.peerLoaded;
  }
  void Print(const std::string& what) const {
    std::printf("%-12s %4d files: %4d loaded, %3d refused by Assimp, %3d refused by us; Assimp alone loads %4d\n",
                what.c_str(), files, loaded, refusedByAssimp, refusedByUs, assimpLoads);
  }
};

TEST(ImportCorpus, EveryModelFileEndsInASceneOrOneErrorNamingIt) {
  if (!fs::exists(kModels) || !fs::exists(kPeer)) GTEST_SKIP() << "assimp-testmodels or the peer is missing";
  setenv(kReaderOverride, PM_BINARY_DIR "/pm-import-reader", 1);
  std::vector<std::string> files = ModelFiles(kModels);
  files.erase(std::remove_if(files.begin(), files.end(),
                             [](const std::string& f) { return f.rfind(kModels + "/invalid/", 0) == 0; }),
              files.end());
  ASSERT_GT(files.size(), 400u);
  const auto start = std::chrono::steady_clock::now();
  const std::vector<Outcome> outcomes = ImportAll(files);
  const double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
  std::map<std::string, Totals> byFormat;
  Totals all;
  for (const Outcome& o : outcomes) {
    CheckOutcome(o);
    byFormat[o.folder].Add(o);
    all.Add(o);
  }
  for (const auto& [folder, totals] : byFormat) totals.Print(folder);
  all.Print("all");
  std::printf("%.1f s\n", seconds);
  EXPECT_GE(all.loaded, all.assimpLoads);
}

TEST(ImportCorpus, TheInvalidFolderEndsInErrorsNamingEachFile) {
  if (!fs::exists(kModels) || !fs::exists(kPeer)) GTEST_SKIP() << "assimp-testmodels or the peer is missing";
  setenv(kReaderOverride, PM_BINARY_DIR "/pm-import-reader", 1);
  const std::vector<std::string> files = ModelFiles(kModels + "/invalid");
  ASSERT_GE(files.size(), 13u);
  Totals totals;
  for (const Outcome& o : ImportAll(files)) {
    CheckOutcome(o);
    totals.Add(o);
    if (!o.loaded) std::printf("%s\n", o.error.c_str());
  }
  totals.Print("invalid");
}

// A glTF, an FBX and an OBJ: the counts after triangulation are Assimp's, and pinned.
TEST(ImportCorpus, KnownFilesHaveAssimpsFigures) {
  if (!fs::exists(kModels) || !fs::exists(kPeer)) GTEST_SKIP() << "assimp-testmodels or the peer is missing";
  setenv(kReaderOverride, PM_BINARY_DIR "/pm-import-reader", 1);
  const struct {
    const char* file;
    Figures figures;
  } known[] = {
      {"/glTF2/BoxTextured-glTF/BoxTextured.gltf", {1, 24, 12, 0, 0}},
      {"/FBX/box.fbx", {1, 24, 12, 0, 0}},
      {"/OBJ/spider.obj", {19, 902, 1368, 0, 0}},
  };
  for (const auto& k : known) {
    const Outcome o = Import(kModels + k.file);
    SCOPED_TRACE(k.file);
    ASSERT_TRUE(o.loaded) << o.error;
    ASSERT_TRUE(o.peerLoaded) << o.peerLine;
    EXPECT_EQ(o.ours, o.peer);
    EXPECT_EQ(o.ours, k.figures);
  }
}

}  // namespace
}  // namespace PM::Import
