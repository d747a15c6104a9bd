// pm-import-reader: opens one model file with Assimp, confined and under limits of its own, and writes the
// scene, with its textures decoded, to its standard output as an import scene stream (docs/formats.md).
// The importer module runs it, so that Assimp never runs inside a host.
//   pm-import-reader [OPTION VALUE]... [-- FILE]
// Without "-- FILE" it waits for its request (the same arguments, each ended by a zero byte) on standard
// input: the importer starts a reader ahead of the import it will serve, and it is confined only once it
// knows the file.
#include <assimp/scene.h>
#include <fcntl.h>
#include <malloc.h>
#include <signal.h>
#include <sys/resource.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <unistd.h>
#include <assimp/Importer.hpp>

#include <algorithm>
#include <cerrno>
#include <climits>
#include <cstdlib>
#include <cstring>
#include <exception>
#include <new>
#include <set>
#include <string>
#include <vector>

#include "import/AssetRoot.h"
#include "import/AssimpSetup.h"
#include "import/AssimpWarnings.h"
#include "import/InertText.h"
#include "import/ReaderConfinement.h"
#include "import/ReaderIOSystem.h"
#include "import/ReaderProcess.h"
#include "import/SceneFromAssimp.h"
#include "import/SceneStream.h"
#include "import/TexturePath.h"
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

// What the reader is asked to do.
struct Request {
  ReaderLimits limits;
  uint64_t addressSpaceCap = 0;
  std::string root, file, testHook;
  std::vector<std::string> texturePath;
  ModelPlace place;  // where the file lies: a link's real file is read
};

bool ParseArguments(const std::vector<std::string>& args, Request& request) {
  size_t i = 0;
  for (; i + 1 < args.size() && args[i] != "--"; i += 2) {
    const std::string& name = args[i];
    const std::string& text = args[i + 1];
    if (name == kArgAssetRoot) {
      request.root = text;
      continue;
    }
    if (name == kArgTestHook) {
      request.testHook = text;
      continue;
    }
    if (name == kArgTexturePath) {
      request.texturePath.push_back(text);
      continue;
    }
    uint64_t v = 0;
    if (!ParseNumber(text.c_str(), v)) return false;
    if (name == kArgAddressSpace)
      request.limits.addressSpace = v;
    else if (name == kArgAddressSpaceCap)
      request.addressSpaceCap = v;
    else if (name == kArgCpuSeconds)
      request.limits.cpuSeconds = static_cast<uint32_t>(std::min<uint64_t>(v, UINT32_MAX));
    else if (name == kArgOutputBytes)
      request.limits.outputBytes = v;
    else
      return false;
  }
  if (i + 2 != args.size() || args[i] != "--" || args[i + 1].empty()) return false;
  request.file = args[i + 1];
  request.place = PlaceOf(request.file);
  request.limits = WithDefaults(request.limits);
  if (request.limits.addressSpace == 0) {
    struct stat s {};
    const uint64_t bytes = stat(request.file.c_str(), &s) == 0 ? static_cast<uint64_t>(s.st_size) : 0;
    AddressSpaceFor(0, bytes, request.limits.addressSpace, request.addressSpaceCap);
  }
  request.addressSpaceCap = std::max(request.addressSpaceCap, request.limits.addressSpace);
  return true;
}

// The request on standard input: arguments ended by zero bytes, up to the end of the input.
bool ReceiveRequest(std::vector<std::string>& args) {
  constexpr size_t kLongest = 1 << 16;
  std::string text;
  char buffer[4096];
  for (;;) {
    const ssize_t n = read(0, buffer, sizeof buffer);
    if (n < 0 && errno == EINTR) continue;
    if (n < 0) return false;
    if (n == 0) break;
    text.append(buffer, static_cast<size_t>(n));
    if (text.size() > kLongest) return false;
  }
  for (size_t at = 0; at < text.size();) {
    const size_t end = text.find('\0', at);
    if (end == std::string::npos) return false;
    args.push_back(text.substr(at, end - at));
    at = end + 1;
  }
  return true;
}

// The address-space limit, which follows what the model names: 64 times the bytes of the files it has
// opened, never below the starting budget, never above the cap. Only the soft limit moves; the hard one
// is the cap.
class MemoryBudget {
 public:
  explicit MemoryBudget(const Request& request)
      : m_limit(request.limits.addressSpace), m_cap(request.addressSpaceCap) {}

  bool Set() const {
    const rlimit as{m_limit, m_cap};
    return setrlimit(RLIMIT_AS, &as) == 0;
  }

  void Opened(const std::string& file, uint64_t bytes) {
    if (!m_files.insert(file).second) return;
    m_bytes += bytes;
    const uint64_t mib = uint64_t{1} << 20;
    const uint64_t wanted = std::min(m_cap, (m_bytes * kAddressSpacePerFileByte + mib - 1) / mib * mib);
    if (wanted <= m_limit) return;
    m_limit = wanted;
    Set();
  }

  uint64_t Limit() const { return m_limit; }

 private:
  uint64_t m_limit, m_cap, m_bytes = 0;
  std::set<std::string> m_files;
};

MemoryBudget* g_budget = nullptr;
bool g_streamStarted = false;
// Memory held back for telling the host the budget ran out: Assimp may leave what it took allocated.
void* g_reserve = nullptr;
constexpr size_t kReserve = 1 << 20;

// The failure stream of a budget that ran out, written from the memory held back for it.
bool WriteOutOfMemory(ByteSink& out) {
  std::free(g_reserve);
  g_reserve = nullptr;
  return WriteFailureStream(StreamOutcome::AddressSpace, std::to_string(g_budget->Limit()), out);
}

// Before Assimp starts: its address space and CPU time, the size of any file it would write, no core file.
// SIGXCPU ends the reader at the soft CPU limit; the hard limit, a second later, kills it outright.
bool SetLimits(const ReaderLimits& limits, const MemoryBudget& budget) {
  const rlimit cpu{limits.cpuSeconds, limits.cpuSeconds + 1};
  const rlimit fsize{limits.outputBytes, limits.outputBytes};
  const rlimit core{0, 0};
  return budget.Set() && setrlimit(RLIMIT_CPU, &cpu) == 0 && setrlimit(RLIMIT_FSIZE, &fsize) == 0 &&
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

// A reader started ahead touches the first pages of its heap while it waits, so that the import it serves
// does not pay for them: they stay in the heap, free, for Assimp (the heap is never trimmed).
constexpr size_t kWarmHeap = 16 << 20;
void WarmHeap() {
  mallopt(M_TRIM_THRESHOLD, INT_MAX);
  mallopt(M_MMAP_THRESHOLD, 32 << 20);
  // Written through a volatile pointer: a compiler turns malloc and a zeroing memset into calloc, which
  // skips memory fresh from the kernel, or drops stores to a block about to be freed.
  if (void* block = std::malloc(kWarmHeap)) {
    volatile char* bytes = static_cast<char*>(block);
    for (size_t at = 0; at < kWarmHeap; at += 4096) bytes[at] = 1;
    std::free(block);
  }
}

// Notes for the host's log, on standard error (ReaderProcess.h).
void Note(const char* prefix, const std::string& text) {
  const std::string line = prefix + text + "\n";
  if (write(2, line.data(), line.size()) < 0) return;
}

// The textures whose decoding needed more than the budget, each in one warning.
void WarnOverBudget(const Scene& scene) {
  for (const Texture& t : scene.textures)
    if (t.fault == TextureFault::kOverBudget)
      Note(kNoteWarn, "the texture \"" + InertText(t.source) +
                          "\" is not read: decoding it needs more than the reader's memory budget of " +
                          FormatBytes(g_budget->Limit()) + " (pm-run's --reader-memory MIB raises it).");
}

// Each folder of the texture path that is none, in one warning.
void WarnTextureFolders(const std::vector<std::string>& folders) {
  for (const std::string& folder : folders) {
    struct stat s {};
    if (stat(folder.c_str(), &s) != 0 || !S_ISDIR(s.st_mode))
      Note(kNoteWarn,
           "the texture folder \"" + InertText(folder) + "\" is not a folder; no texture is looked for there.");
  }
}

// Opens the file (the real one when the model was named by a link from another folder: what it names lies
// beside it) and writes the stream. Assimp turns a failed allocation into its error "std::bad_alloc".
bool Run(const Request& request, AssetRoot& root, ByteSink& out) {
  const ModelPlace& place = request.place;
  Scene scene;
  {
    Assimp::Importer importer;
    importer.SetIOHandler(new ReaderIOSystem(root, place.file));
    ConfigureImporter(importer);
    AssimpWarnings warnings;
    const aiScene* source = importer.ReadFile(place.file, ReaderPostProcessing());
    if (!source) {
      const std::string message = importer.GetErrorString();
      if (message.find("bad_alloc") != std::string::npos) return WriteOutOfMemory(out);
      return WriteFailureStream(StreamOutcome::Refused, message.empty() ? "no scene" : message, out);
    }
    std::string error;
    if (!SceneFromAssimp(*source, place.folder, TextureFolders(request.file, request.texturePath), root, scene, error))
      return WriteFailureStream(StreamOutcome::Refused, error, out);
    ChooseUpAxis(*source, place.file, scene);
    // A library the root refused was warned of as such: it is not "missing".
    scene.warnings =
        warnings.Sentences([&](const std::string& library) { return root.Refused(place.folder + "/" + library); });
  }
  WarnOverBudget(scene);
  if (const uint64_t size = SceneBodySize(scene); size > request.limits.outputBytes)
    return WriteFailureStream(StreamOutcome::OutputLimit, std::to_string(size) + " bytes", out);
  g_streamStarted = true;
  return WriteSceneStream(scene, out);
}

// What a test asks a confined reader to try, to see the confinement hold. A file it could open ends it
// with this status.
constexpr int kOpenedHookExit = 7;
void RunTestHook(const std::string& hook, const std::string& root) {
  if (hook == "stop") {
    kill(getpid(), SIGSTOP);
  } else if (hook == "socket") {
    socket(AF_INET, SOCK_STREAM, 0);
  } else if (hook == "exec") {
    const char* argv[] = {"/bin/true", nullptr};
    execve(argv[0], const_cast<char**>(argv), nullptr);
  } else if (hook == "write") {
    if (FILE* f = std::fopen((root + "/written").c_str(), "wb")) std::fclose(f);
  } else if (hook.rfind("open:", 0) == 0) {
    // Past the asset root's own check: only Landlock stands between the reader and the file.
    if (const int fd = open(hook.c_str() + 5, O_RDONLY | O_CLOEXEC); fd >= 0) _exit(kOpenedHookExit);
  } else if (hook == "fork") {
    // A child that would outlive the reader holding its pipes, out of its process group.
    if (fork() == 0) {
      setsid();
      sleep(30);
      _exit(0);
    }
  }
}

// An allocation that fails where no handler can catch it (a destructor, a noexcept function) ends here:
// the host still hears which limit it was.
[[noreturn]] void Terminate() {
  bool outOfMemory = false;
  if (const std::exception_ptr e = std::current_exception()) try {
      std::rethrow_exception(e);
    } catch (const std::bad_alloc&) {
      outOfMemory = true;
    } catch (...) {
    }
  if (outOfMemory && g_budget && !g_streamStarted && g_reserve) {
    FdSink out(kReaderStreamFd);
    WriteOutOfMemory(out);
    _exit(1);
  }
  // Without a stream the host still learns the cause from standard error.
  static constexpr char kOutOfMemory[] = "std::bad_alloc\n";
  if (outOfMemory && write(2, kOutOfMemory, sizeof kOutOfMemory - 1) < 0) _exit(1);
  std::abort();
}

}  // namespace

int main(int argc, char** argv) {
  // The stream keeps the standard output (as a descriptor of its own); anything a library prints goes to
  // stderr instead of into it.
  if (dup2(1, kReaderStreamFd) != kReaderStreamFd || dup2(2, 1) < 0) return 3;
  FdSink out(kReaderStreamFd);
  std::vector<std::string> args(argv + 1, argv + argc);
  // What does not depend on the file is done first, by a reader started ahead while it waits.
  ReaderConfinement confinement(kReaderStreamFd);
  if (std::find(args.begin(), args.end(), "--") == args.end()) {
    WarmHeap();
    if (!ReceiveRequest(args)) return 3;
  }
  Request request;
  if (!ParseArguments(args, request)) {
    WriteFailureStream(StreamOutcome::ReaderFault,
                       "usage: pm-import-reader [--address-space BYTES] [--address-space-cap BYTES] "
                       "[--cpu-seconds N] [--output-bytes BYTES] [--asset-root DIR] [--texture-path DIR]... -- FILE",
                       out);
    return 2;
  }
  // A small budget asked for counts from an empty heap, as it would without the warming.
  if (request.addressSpaceCap < 16 * kWarmHeap) malloc_trim(0);
  MemoryBudget budget(request);
  g_budget = &budget;
  g_reserve = std::malloc(kReserve);
  std::set_terminate(Terminate);
  // By default the model's own folder, and the link's when the model is a link from another folder.
  const ModelPlace& place = request.place;
  const std::vector<std::string> roots = !request.root.empty() ? std::vector<std::string>{request.root}
                                         : place.linkFolder.empty()
                                             ? std::vector<std::string>{place.folder}
                                             : std::vector<std::string>{place.folder, place.linkFolder};
  AssetRoot root(roots, request.texturePath);
  if (root.Folder().empty()) {
    WriteFailureStream(StreamOutcome::ReaderFault, "the asset root \"" + roots.front() + "\" does not exist", out);
    return 2;
  }
  WarnTextureFolders(request.texturePath);
  root.warn = [](const std::string& text) { Note(kNoteWarn, text); };
  root.opened = [&budget](const std::string& file, uint64_t bytes) { budget.Opened(file, bytes); };
  ConfinementResult confined;
  std::string error;
  std::vector<std::string> readable = root.Folders();
  readable.insert(readable.end(), root.TextureFolders().begin(), root.TextureFolders().end());
  if (!confinement.Apply(readable, confined, error)) {
    WriteFailureStream(StreamOutcome::ReaderFault, "it could not be confined: " + error, out);
    return 2;
  }
  if (!confined.lacking.empty()) Note(kNoteInfo, confined.lacking);
  // The limits after the confinement, whose own set-up a small budget would not leave room for.
  if (!SetLimits(request.limits, budget)) {
    WriteFailureStream(StreamOutcome::ReaderFault, std::string("its limits could not be set: ") + std::strerror(errno),
                       out);
    return 2;
  }
  if (!request.testHook.empty()) RunTestHook(request.testHook, root.Folder());
  TuneAllocator(request.limits);
  bool written = false;
  try {
    written = Run(request, root, out);
  } catch (const std::bad_alloc&) {
    written = WriteOutOfMemory(out);
  } catch (const std::exception& e) {
    written = WriteFailureStream(StreamOutcome::ReaderFault, e.what(), out);
  }
  // Nothing is left to free that the system would not: leaving at once spares tearing down a large scene.
  _exit(written ? 0 : 1);
}
