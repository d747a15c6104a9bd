// Importing a model: ours (the reader program under its limits, the stream through a pipe, the host's
// checked decoding, the engine objects built) against Assimp's own ReadFile with the same
// post-processing in this process, on the corpus's largest models, a generated 1M-vertex OBJ and an
// animated character (skins and clips built), both in each iteration. Also the peak memory of the side
// that holds the result (our host: the decoded scene and the engine objects; Assimp: its scene, over its
// whole import) and of our reader, each measured in a fresh process.
#include <assimp/scene.h>
#include <benchmark/benchmark.h>
#include <sys/resource.h>
#include <unistd.h>
#include <assimp/Importer.hpp>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <map>
#include <string>
#include <utility>

#include "BenchWorld.h"
#include "import/AssimpSetup.h"
#include "import/ImportScene.h"
#include "import/ModelBuilder.h"
#include "import/ReaderProcess.h"

namespace PM::Import {
namespace {

namespace fs = std::filesystem;
using Clock = std::chrono::steady_clock;

// The generated OBJ: a 1000 x 1000 grid of positions and texture coordinates, quads between them, written
// once into a temporary folder removed at exit.
const std::string& GridObj() {
  static const std::string path = [] {
    static const fs::path dir = fs::temp_directory_path() / ("pm-bench-import-" + std::to_string(getpid()));
    fs::create_directories(dir);
    std::atexit([] { fs::remove_all(dir); });
    const std::string file = (dir / "grid1M.obj").string();
    std::ofstream out(file);
    constexpr int n = 1000;
    char line[96];
    for (int y = 0; y < n; ++y)
      for (int x = 0; x < n; ++x) {
        std::snprintf(line, sizeof line, "v %d %d %.4f\n", x, y, 0.01 * ((x * 7 + y * 13) % 100));
        out << line;
      }
    for (int y = 0; y < n; ++y)
      for (int x = 0; x < n; ++x) {
        std::snprintf(line, sizeof line, "vt %.4f %.4f\n", x / (n - 1.0), y / (n - 1.0));
        out << line;
      }
    for (int y = 0; y + 1 < n; ++y)
      for (int x = 0; x + 1 < n; ++x) {
        const int a = y * n + x + 1, b = a + 1, c = a + n + 1, d = a + n;
        std::snprintf(line, sizeof line, "f %d/%d %d/%d %d/%d %d/%d\n", a, a, b, b, c, c, d, d);
        out << line;
      }
    return file;
  }();
  return path;
}

std::string Model(int which) {
  const std::string m = "/usr/share/assimp/models";
  switch (which) {
    case 0:
      return m + "/glTF2/2CylinderEngine-glTF-Binary/2CylinderEngine.glb";
    case 1:
      return m + "/BLEND/yxa_1.blend";
    case 2:
      return m + "/BLEND/SuzanneSubdiv_252.blend";
    case 3:
      return GridObj();
    default:  // an animated character: 37 bones, 3 clips
      return m + "/X/Testwuson.X";
  }
}

const char* const kNames[] = {"2CylinderEngine.glb", "yxa_1.blend", "SuzanneSubdiv_252.blend", "grid1M.obj",
                              "Testwuson.X"};

void SetReader() { setenv(kReaderOverride, PM_BENCH_READER, 1); }

// Ours ends as the module's Import does: with the engine objects built from the decoded scene. `read`
// gains the seconds the reader took (started ahead, confined, Assimp's read, the stream decoded), g_build
// those of building the objects.
double g_build = 0;
bool LoadOurs(const std::string& file, Scene& scene, double* read = nullptr) {
  Bench::InitOnce();
  std::string error;
  const auto start = Clock::now();
  if (!ReadModelFile(file, {}, scene, error)) return false;
  const auto decoded = Clock::now();
  if (read) *read += std::chrono::duration<double>(decoded - start).count();
  const Obj<ScriptObject> root = BuildModel(scene, file, error);
  if (read) g_build += std::chrono::duration<double>(Clock::now() - decoded).count();
  return !root.IsNil();
}

bool LoadAssimp(Assimp::Importer& importer, const std::string& file) {
  ConfigureImporter(importer);
  return importer.ReadFile(file, ReaderPostProcessing()) != nullptr;
}

std::string Quoted(const std::string& s) {
  std::string q = "'";
  for (char c : s) q += c == '\'' ? std::string("'\\''") : std::string(1, c);
  return q + "'";
}

// The peak resident size one load adds, in MiB, and the reader's own peak (ours only), each measured in a
// fresh run of this program (PM_BENCH_IMPORT_PEAK set), so that no earlier run's heap hides the growth.
struct Peaks {
  double host = -1, reader = 0;
};

Peaks MeasurePeaks(const char* side, const std::string& file) {
  char self[4096];
  const ssize_t n = readlink("/proc/self/exe", self, sizeof self - 1);
  Peaks peaks;
  if (n <= 0) return peaks;
  self[n] = 0;
  const std::string command =
      std::string("PM_BENCH_IMPORT_PEAK=") + side + " PM_BENCH_IMPORT_FILE=" + Quoted(file) + " " + Quoted(self);
  if (FILE* p = popen(command.c_str(), "r")) {
    if (std::fscanf(p, "%lf %lf", &peaks.host, &peaks.reader) != 2) peaks.host = -1;
    pclose(p);
  }
  return peaks;
}

// The fresh run: one load, its peaks on stdout, and out before the benchmarks start.
const bool kPeakRun = [] {
  const char* side = std::getenv("PM_BENCH_IMPORT_PEAK");
  const char* file = std::getenv("PM_BENCH_IMPORT_FILE");
  if (!side || !file) return false;
  // The engine is set up before counting: a host has it whatever it imports, and Assimp's side needs none.
  if (std::string(side) == "ours") Bench::InitOnce();
  rusage before{}, after{}, children{};
  getrusage(RUSAGE_SELF, &before);
  bool ok = false;
  if (std::string(side) == "ours") {
    SetReader();
    Scene scene;
    ok = LoadOurs(file, scene);
    getrusage(RUSAGE_SELF, &after);
  } else {
    Assimp::Importer importer;
    ok = LoadAssimp(importer, file);
    getrusage(RUSAGE_SELF, &after);
  }
  getrusage(RUSAGE_CHILDREN, &children);
  std::printf("%f %f\n", ok ? static_cast<double>(after.ru_maxrss - before.ru_maxrss) / 1024.0 : -1.0,
              static_cast<double>(children.ru_maxrss) / 1024.0);
  std::fflush(stdout);
  _exit(0);
}();

// Peaks of each model, measured once for all repetitions.
const Peaks& PeaksOf(int model, const char* side) {
  static std::map<std::pair<int, std::string>, Peaks> peaks;
  const auto key = std::make_pair(model, std::string(side));
  if (!peaks.count(key)) peaks[key] = MeasurePeaks(side, Model(model));
  return peaks[key];
}

double Seconds(Clock::time_point from, Clock::time_point to) {
  return std::chrono::duration<double>(to - from).count();
}

// Each iteration imports the model both ways, Assimp's first, so that both meet the same machine: the
// times of each side are counters (per import), the benchmark's own time is their sum.
void OursAgainstAssimp(benchmark::State& state) {
  SetReader();
  const int model = static_cast<int>(state.range(0));
  const std::string file = Model(model);
  state.SetLabel(kNames[model]);
  double assimp = 0, ours = 0, read = 0;
  for (auto _ : state) {
    const auto start = Clock::now();
    {
      Assimp::Importer importer;
      if (!LoadAssimp(importer, file)) return state.SkipWithError("Assimp refused the file");
    }
    const auto between = Clock::now();
    {
      Scene scene;
      if (!LoadOurs(file, scene, &read)) return state.SkipWithError("our import failed");
    }
    const auto end = Clock::now();
    assimp += Seconds(start, between);
    ours += Seconds(between, end);
  }
  const auto n = static_cast<double>(state.iterations());
  state.counters["assimp_ms"] = assimp / n * 1e3;
  state.counters["ours_ms"] = ours / n * 1e3;
  state.counters["ours_per_assimp"] = ours / assimp;
  state.counters["read_per_assimp"] = read / assimp;  // ours without building the engine objects
  state.counters["build_ms"] = g_build / n * 1e3;     // building them from the decoded scene
  g_build = 0;
  state.counters["assimp_peak_MiB"] = PeaksOf(model, "assimp").host;
  state.counters["host_peak_MiB"] = PeaksOf(model, "ours").host;
  state.counters["reader_peak_MiB"] = PeaksOf(model, "ours").reader;
}

// Five repetitions, reported by their medians (and mean, deviation).
BENCHMARK(OursAgainstAssimp)
    ->DenseRange(0, 4)
    ->Unit(benchmark::kMillisecond)
    ->Repetitions(5)
    ->ReportAggregatesOnly(true)
    ->UseRealTime();

}  // namespace
}  // namespace PM::Import
