// Importing a model: ours (the reader program under its limits, the stream through a pipe, the host's
// checked decoding) against Assimp's own ReadFile with the same post-processing in this process, on the
// corpus's largest models and a generated 1M-vertex OBJ. Each also reports the peak memory of the side
// that holds the result (our host: the decoded scene; Assimp: its scene), measured in a child process.
#include <assimp/scene.h>
#include <benchmark/benchmark.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>
#include <assimp/Importer.hpp>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>

#include "import/AssimpSetup.h"
#include "import/ImportScene.h"
#include "import/ReaderProcess.h"

namespace PM::Import {
namespace {

namespace fs = std::filesystem;

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
    default:
      return GridObj();
  }
}

const char* const kNames[] = {"2CylinderEngine.glb", "yxa_1.blend", "SuzanneSubdiv_252.blend", "grid1M.obj"};

void SetReader() { setenv(kReaderOverride, PM_BENCH_READER, 1); }

// Where the module's building of engine objects from the decoded scene joins ours: it is not on this
// side of the importer, so ours stops at the decoded scene.
void BuildEngineObjects(const Scene& scene) { benchmark::DoNotOptimize(scene.nodes.data()); }

bool LoadOurs(const std::string& file, Scene& scene) {
  std::string error;
  const bool ok = ReadModelFile(file, {}, scene, error);
  if (ok) BuildEngineObjects(scene);
  return ok;
}

bool LoadAssimp(Assimp::Importer& importer, const std::string& file) {
  ConfigureImporter(importer);
  return importer.ReadFile(file, ReaderPostProcessing()) != nullptr;
}

// The growth of this process's peak resident size while `load` runs, in MiB, measured in a child so that
// earlier runs do not hide it.
template <class F>
double PeakGrowthMiB(F load) {
  int pipefd[2];
  if (pipe(pipefd) != 0) return -1;
  const pid_t pid = fork();
  if (pid == 0) {
    close(pipefd[0]);
    rusage before{}, after{};
    getrusage(RUSAGE_SELF, &before);
    const bool ok = load();
    getrusage(RUSAGE_SELF, &after);
    const double mib = ok ? static_cast<double>(after.ru_maxrss - before.ru_maxrss) / 1024.0 : -1;
    if (write(pipefd[1], &mib, sizeof mib) != sizeof mib) _exit(1);
    _exit(0);
  }
  close(pipefd[1]);
  double mib = -1;
  if (read(pipefd[0], &mib, sizeof mib) != sizeof mib) mib = -1;
  close(pipefd[0]);
  waitpid(pid, nullptr, 0);
  return mib;
}

void Ours(benchmark::State& state) {
  SetReader();
  const std::string file = Model(static_cast<int>(state.range(0)));
  state.SetLabel(kNames[state.range(0)]);
  Scene scene;
  if (!LoadOurs(file, scene)) return state.SkipWithError("our import failed");
  for (auto _ : state) {
    Scene s;
    benchmark::DoNotOptimize(LoadOurs(file, s));
  }
  state.counters["host_peak_MiB"] = PeakGrowthMiB([&] {
    Scene s;
    return LoadOurs(file, s);
  });
}

void AssimpReadFile(benchmark::State& state) {
  const std::string file = Model(static_cast<int>(state.range(0)));
  state.SetLabel(kNames[state.range(0)]);
  for (auto _ : state) {
    Assimp::Importer importer;
    if (!LoadAssimp(importer, file)) return state.SkipWithError("Assimp refused the file");
  }
  state.counters["host_peak_MiB"] = PeakGrowthMiB([&] {
    Assimp::Importer importer;
    return LoadAssimp(importer, file);
  });
}

// Both sides of each model in one run, five repetitions each, reported by their medians.
void Models(benchmark::internal::Benchmark* b) {
  b->DenseRange(0, 3)->Unit(benchmark::kMillisecond)->Repetitions(5)->ReportAggregatesOnly(true)->UseRealTime();
}
BENCHMARK(AssimpReadFile)->Apply(Models);
BENCHMARK(Ours)->Apply(Models);

}  // namespace
}  // namespace PM::Import
