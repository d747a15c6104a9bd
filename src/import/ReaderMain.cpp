// pm-import-reader: opens one model file with Assimp under limits of its own and writes the scene, with its
// textures decoded, to its standard output as an import scene stream (docs/formats.md). The importer
// module runs it, so that Assimp never runs inside a host.
//   pm-import-reader [--address-space BYTES] [--cpu-seconds N] [--output-bytes BYTES] -- FILE
#include <assimp/scene.h>
#include <malloc.h>
#include <sys/resource.h>
#include <unistd.h>
#include <assimp/Importer.hpp>

#include <algorithm>
#include <cerrno>
#include <climits>
#include <cstdlib>
#include <cstring>
#include <new>
#include <string>

#include "import/AssimpSetup.h"
#include "import/AssimpWarnings.h"
#include "import/ReaderProcess.h"
#include "import/SceneFromAssimp.h"
#include "import/SceneStream.h"
#include "import/UpAxis.h"

namespace {

using namespace PM::Import;

class FdSink : public ByteSink {
 public:
  explicit FdSink(int fd) : m_fd(fd) {}
  bool Write(const void* bytes, size_t count) override {
    const auto* p = static_cast<const char*>(bytes);
    while (count > 0) {
      const ssize_t n = write(m_fd, p, count);
      if (n < 0 && errno == EINTR) continue;
      if (n <= 0) return false;
      p += n;
      count -= static_cast<size_t>(n);
    }
    return true;
  }

 private:
  int m_fd;
};

bool ParseNumber(const char* text, uint64_t& value) {
  char* end = nullptr;
  errno = 0;
  const unsigned long long v = std::strtoull(text, &end, 10);
  if (errno || !end || *end || end == text) return false;
  value = v;
  return true;
}

bool ParseArguments(int argc, char** argv, ReaderLimits& limits, std::string& file) {
  int i = 1;
  for (; i + 1 < argc && std::strcmp(argv[i], "--") != 0; i += 2) {
    uint64_t v = 0;
    if (!ParseNumber(argv[i + 1], v)) return false;
    if (!std::strcmp(argv[i], kArgAddressSpace))
      limits.addressSpace = v;
    else if (!std::strcmp(argv[i], kArgCpuSeconds))
      limits.cpuSeconds = static_cast<uint32_t>(std::min<uint64_t>(v, UINT32_MAX));
    else if (!std::strcmp(argv[i], kArgOutputBytes))
      limits.outputBytes = v;
    else
      return false;
  }
  if (i + 2 != argc || std::strcmp(argv[i], "--") != 0) return false;
  file = argv[i + 1];
  limits = WithDefaults(limits);
  return true;
}

// Before Assimp starts: its address space and CPU time, the size of any file it would write, no core file.
// SIGXCPU ends the reader at the soft CPU limit; the hard limit, a second later, kills it outright.
bool SetLimits(const ReaderLimits& limits) {
  const rlimit as{limits.addressSpace, limits.addressSpace};
  const rlimit cpu{limits.cpuSeconds, limits.cpuSeconds + 1};
  const rlimit fsize{limits.outputBytes, limits.outputBytes};
  const rlimit core{0, 0};
  return setrlimit(RLIMIT_AS, &as) == 0 && setrlimit(RLIMIT_CPU, &cpu) == 0 && setrlimit(RLIMIT_FSIZE, &fsize) == 0 &&
         setrlimit(RLIMIT_CORE, &core) == 0;
}

// After the limits: a heap that grows in large steps (a thirty-second of the address space, at most 256 MiB),
// is never given back and takes large blocks too, so that one import spends less time in the kernel (a
// tenth of a small model's time).
void TuneAllocator(const ReaderLimits& limits) {
  const uint64_t pad = std::clamp<uint64_t>(limits.addressSpace / 32, 128 << 10, 256 << 20);
  mallopt(M_TOP_PAD, static_cast<int>(pad));
  mallopt(M_TRIM_THRESHOLD, INT_MAX);
  mallopt(M_MMAP_THRESHOLD, 32 << 20);
}

std::string FolderOf(const std::string& file) {
  const size_t slash = file.rfind('/');
  return slash == std::string::npos ? "." : slash == 0 ? "/" : file.substr(0, slash);
}

// Opens the file and writes the stream. Assimp turns a failed allocation into its error "std::bad_alloc".
bool Run(const std::string& file, const ReaderLimits& limits, ByteSink& out) {
  Scene scene;
  {
    Assimp::Importer importer;
    ConfigureImporter(importer);
    AssimpWarnings warnings;
    const aiScene* source = importer.ReadFile(file, ReaderPostProcessing());
    if (!source) {
      const std::string message = importer.GetErrorString();
      if (message.find("bad_alloc") != std::string::npos)
        return WriteFailureStream(StreamOutcome::AddressSpace, message, out);
      return WriteFailureStream(StreamOutcome::Refused, message.empty() ? "no scene" : message, out);
    }
    std::string error;
    if (!SceneFromAssimp(*source, FolderOf(file), scene, error))
      return WriteFailureStream(StreamOutcome::Refused, error, out);
    ChooseUpAxis(*source, file, scene);
    scene.warnings = warnings.Sentences();
  }
  if (const uint64_t size = SceneBodySize(scene); size > limits.outputBytes)
    return WriteFailureStream(StreamOutcome::OutputLimit, std::to_string(size) + " bytes", out);
  return WriteSceneStream(scene, out);
}

}  // namespace

int main(int argc, char** argv) {
  // The stream keeps the standard output; anything a library prints goes to stderr instead of into it.
  const int stream = dup(1);
  if (stream < 0 || dup2(2, 1) < 0) return 3;
  FdSink out(stream);
  ReaderLimits limits;
  std::string file;
  if (!ParseArguments(argc, argv, limits, file)) {
    WriteFailureStream(StreamOutcome::ReaderFault,
                       "usage: pm-import-reader [--address-space BYTES] [--cpu-seconds N] "
                       "[--output-bytes BYTES] -- FILE",
                       out);
    return 2;
  }
  if (!SetLimits(limits)) {
    WriteFailureStream(StreamOutcome::ReaderFault, std::string("its limits could not be set: ") + std::strerror(errno),
                       out);
    return 2;
  }
  TuneAllocator(limits);
  bool written = false;
  try {
    written = Run(file, limits, out);
  } catch (const std::bad_alloc&) {
    written = WriteFailureStream(StreamOutcome::AddressSpace, "std::bad_alloc", out);
  } catch (const std::exception& e) {
    written = WriteFailureStream(StreamOutcome::ReaderFault, e.what(), out);
  }
  // Nothing is left to free that the system would not: leaving at once spares tearing down a large scene.
  _exit(written ? 0 : 1);
}
