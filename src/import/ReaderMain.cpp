// pm-import-reader: opens one model file with Assimp, confined and under limits of its own, and writes the
// scene, with its textures decoded, to its standard output as an import scene stream (docs/formats.md).
// The importer module runs it, so that Assimp never runs inside a host.
//   pm-import-reader [OPTION VALUE]... [-- FILE]
// Without "-- FILE" it waits for its request (the same arguments, each ended by a zero byte) on standard
// input: the importer starts a reader ahead of the import it will serve, and it is confined only once it
// knows the file.
#include <assimp/postprocess.h>
#include <assimp/scene.h>
#include <dirent.h>
#include <fcntl.h>
#include <malloc.h>
#include <poll.h>
#include <signal.h>
#include <sys/prctl.h>
#include <sys/resource.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <unistd.h>
#include <assimp/Importer.hpp>

#include <algorithm>
#include <cctype>
#include <cerrno>
#include <climits>
#include <cstdlib>
#include <cstring>
#include <exception>
#include <fstream>
#include <memory>
#include <new>
#include <set>
#include <string>
#include <utility>
#include <vector>

#include "import/Ac3dFile.h"
#include "import/AssetRoot.h"
#include "import/AssimpSetup.h"
#include "import/AssimpWarnings.h"
#include "import/B3dChunks.h"
#include "import/ImageLibrary.h"
#include "import/InertText.h"
#include "import/IqmHeader.h"
#include "import/Plural.h"
#include "import/ReaderConfinement.h"
#include "import/ReaderIOSystem.h"
#include "import/ReaderProcess.h"
#include "import/ReaderRequest.h"
#include "import/SceneFromAssimp.h"
#include "import/SceneMending.h"
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
      if (n <= 0) {
        error = n < 0 ? errno : EPIPE;
        return false;
      }
      p += n;
      count -= static_cast<size_t>(n);
    }
    return true;
  }
  int error = EIO;  // why the last write failed

 private:
  int m_fd;
};

bool ParseArguments(const std::vector<std::string>& args, ReaderRequest& request, std::string& error) {
  if (!ParseReaderArguments(args, request, error)) return false;
  request.limits = WithDefaults(request.limits);
  if (request.limits.addressSpace == 0) {
    struct stat s {};
    const uint64_t bytes = stat(request.file.c_str(), &s) == 0 ? static_cast<uint64_t>(s.st_size) : 0;
    AddressSpaceFor(0, bytes, request.limits.addressSpace, request.addressSpaceCap);
  }
  request.addressSpaceCap = std::max(request.addressSpaceCap, request.limits.addressSpace);
  return true;
}

// The request on standard input: arguments ended by zero bytes, up to the end of the input. "" or why
// there is none.
std::string ReceiveRequest(std::vector<std::string>& args) {
  constexpr size_t kLongest = 1 << 16;
  std::string text;
  char buffer[4096];
  for (;;) {
    const ssize_t n = read(0, buffer, sizeof buffer);
    if (n < 0 && errno == EINTR) continue;
    if (n < 0) return std::string("its request could not be read: ") + std::strerror(errno);
    if (n == 0) break;
    text.append(buffer, static_cast<size_t>(n));
    if (text.size() > kLongest) return "its request is longer than " + std::to_string(kLongest) + " bytes";
  }
  for (size_t at = 0; at < text.size();) {
    const size_t end = text.find('\0', at);
    if (end == std::string::npos) return "its request does not end with a zero byte";
    args.push_back(text.substr(at, end - at));
    at = end + 1;
  }
  return {};
}

// Notes for the host's log, on standard error (ReaderProcess.h).
void Note(const char* prefix, const std::string& text) {
  const std::string line = prefix + text + "\n";
  if (write(2, line.data(), line.size()) < 0) return;
}

// Why the reader ends without a stream, on standard error: the host adds the line to the exit status.
int Fail(int status, const std::string& why) {
  Note("", why);
  return status;
}

// The host's end of the watch pipe closes when the host ends, however it ends, and the kernel then sends
// SIGIO to the pipe's owner, which its default action ends: no reader outlives its host. "" or why the
// watch could not be set (a reader run by hand has no such pipe and needs none).
std::string WatchHost() {
  struct stat s {};
  if (fstat(kReaderWatchFd, &s) != 0 || !S_ISFIFO(s.st_mode)) return {};
  if (fcntl(kReaderWatchFd, F_SETOWN, getpid()) != 0 || fcntl(kReaderWatchFd, F_SETFL, O_ASYNC | O_NONBLOCK) != 0)
    return std::string("its host could not be watched: ") + std::strerror(errno);
  pollfd fd{kReaderWatchFd, POLLIN, 0};  // a host gone before the watch was set
  if (poll(&fd, 1, 0) > 0 && (fd.revents & POLLHUP)) return "its host is gone";
  return {};
}

// The address-space limit, which follows what the model names: 64 times the bytes of the files it has
// opened, never below the starting budget, never above the cap. Only the soft limit moves; the hard one
// is the cap.
class MemoryBudget {
 public:
  // Neither above the hard limit the host set, which the reader cannot pass.
  explicit MemoryBudget(const ReaderRequest& request) : m_limit(request.limits.addressSpace) {
    rlimit now{};
    m_cap = getrlimit(RLIMIT_AS, &now) == 0 ? std::min<rlim_t>(request.addressSpaceCap, now.rlim_max)
                                            : request.addressSpaceCap;
    m_limit = std::min(m_limit, m_cap);
  }

  bool Set() const {
    const rlimit as{m_limit, m_cap};
    return setrlimit(RLIMIT_AS, &as) == 0;
  }

  // A failure to grow leaves the limit as it was, and the host hears of it.
  void Opened(const std::string& file, uint64_t bytes) {
    if (!m_files.insert(file).second) return;
    m_bytes += bytes;
    const rlim_t mib = rlim_t{1} << 20;
    const rlim_t wanted = std::min(m_cap, (m_bytes * kAddressSpacePerFileByte + mib - 1) / mib * mib);
    if (wanted <= m_limit) return;
    const rlim_t was = std::exchange(m_limit, wanted);
    if (Set()) return;
    Note(kNoteWarn, "the reader's memory budget could not grow from " + FormatBytes(was) + " to " +
                        FormatBytes(wanted) + ": " + std::strerror(errno));
    m_limit = was;
  }

  uint64_t Limit() const { return m_limit; }

  // Room for a library loaded on demand (ImageLibrary), within the cap.
  void Widen(uint64_t bytes) {
    const rlim_t was = m_limit;
    m_limit = std::min<rlim_t>(m_cap, m_limit + bytes);
    if (m_limit != was && !Set()) m_limit = was;
  }

 private:
  rlim_t m_limit, m_cap, m_bytes = 0;
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

// One limit, neither part above the hard limit the host set. "" or why it could not be set.
std::string SetLimit(int resource, const char* name, rlim_t soft, rlim_t hard) {
  rlimit now{};
  if (getrlimit(resource, &now) != 0) return std::string("getrlimit ") + name + ": " + std::strerror(errno);
  const rlimit to{std::min(soft, now.rlim_max), std::min(hard, now.rlim_max)};
  if (setrlimit(resource, &to) != 0) return std::string("setrlimit ") + name + ": " + std::strerror(errno);
  return {};
}

// Before Assimp starts (the address space apart, MemoryBudget): its CPU time, the size of any file it would
// write, no core file. SIGXCPU ends the reader at the soft CPU limit; the hard limit, a second later, kills
// it outright. Set before the system-call filter, which lets only the address space move. "" or why a
// limit could not be set.
std::string SetLimits(const ReaderLimits& limits) {
  const rlim_t cpu = limits.cpuSeconds;
  std::string error = SetLimit(RLIMIT_CPU, "RLIMIT_CPU", cpu, cpu + 1);
  if (error.empty()) error = SetLimit(RLIMIT_FSIZE, "RLIMIT_FSIZE", limits.outputBytes, limits.outputBytes);
  if (error.empty()) error = SetLimit(RLIMIT_CORE, "RLIMIT_CORE", 0, 0);
  return error;
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

// Assimp's reading, then what the file plainly means mended (SceneMending), then its validation and the
// steps that need a valid scene. Null, with the importer's error string, when a step refuses the file.
const aiScene* ReadScene(Assimp::Importer& importer, const std::string& file, std::string& mended) {
  const aiScene* source = importer.ReadFile(file, 0);
  if (!source) return nullptr;
  mended = MendAnimations(*const_cast<aiScene*>(source));  // Assimp's own steps change its scene alike
  if (!ValidateScene(importer)) return nullptr;
  return importer.ApplyPostProcessing(ReaderPostProcessing() & ~aiProcess_ValidateDataStructure);
}

// The warning of a file that holds nothing to draw, whatever its format.
constexpr char kNothingToDraw[] = "it holds no geometry: nothing to draw";

// Whether a node places a mesh with something to draw: Assimp 5.2 keeps an AC3D object of vertices and no
// surface as a mesh of points on no node, which nothing draws.
bool PlacesAMesh(const Scene& scene) {
  return std::any_of(scene.nodes.begin(), scene.nodes.end(), [&](const Node& n) {
    return std::any_of(n.meshes.begin(), n.meshes.end(),
                       [&](uint32_t m) { return m < scene.meshes.size() && !scene.meshes[m].indices.empty(); });
  });
}

// The AC3D file's own statements (Ac3dFile), or false when it is none.
bool ReadAc3dOf(const std::string& file, AssetRoot& root, Ac3dFile& out) {
  std::unique_ptr<FILE, int (*)(FILE*)> f(root.Open(file), std::fclose);
  std::string error;
  return f && ReadAc3d(f.get(), out, error);
}

bool IsCollada(const std::string& file) {
  const size_t dot = file.rfind('.');
  std::string ext = dot == std::string::npos ? "" : file.substr(dot + 1);
  for (char& c : ext) c = char(std::tolower(static_cast<unsigned char>(c)));
  return ext == "dae" || ext == "zae";
}

// Why a file of clips alone that Assimp reads no mesh from is refused, where Assimp cannot say it: an IQM
// file (which Assimp 5.2 reads as an empty scene) or a Blitz3D one (which it refuses for having no mesh);
// "" for any other file.
std::string AnimationOnly(const std::string& file, AssetRoot& root) {
  std::unique_ptr<FILE, int (*)(FILE*)> f(root.Open(file), std::fclose);
  IqmCounts iqm;
  if (f && ReadIqmCounts(f.get(), iqm))
    return iqm.meshes || !(iqm.anims || iqm.joints)
               ? ""
               : "it holds only animation (" + Plural(iqm.anims, " clip", " clips") + " of " +
                     Plural(iqm.frames, " frame", " frames") +
                     ", no mesh), and Assimp reads no joints or clips from an IQM file";
  B3dCounts b3d;
  if (f && std::fseek(f.get(), 0, SEEK_SET) == 0 && CountB3dChunks(f.get(), b3d) && !b3d.meshes && b3d.clips)
    return "it holds only animation (" + Plural(b3d.clips, " clip", " clips") + " of " +
           Plural(uint64_t(std::max<int64_t>(b3d.frames, 0)), " frame", " frames") + " moving " +
           Plural(b3d.keyedNodes, " node", " nodes") +
           ", no mesh), which Assimp reads from a Blitz3D file only "
           "with a mesh";
  return "";
}

// The textures whose decoding needed more than the budget, each in one warning.
void WarnOverBudget(const Scene& scene) {
  for (const Texture& t : scene.textures)
    if (t.fault == TextureFault::kOverBudget)
      Note(kNoteWarn, "the texture \"" + InertText(t.source) +
                          "\" is not read: decoding it needs more than the reader's memory budget of " +
                          FormatBytes(g_budget->Limit()) + " (ImportOptions::readerMemory raises it).");
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
bool Run(const ReaderRequest& request, const ModelPlace& place, AssetRoot& root, ByteSink& out) {
  // The model itself outside the root is the confinement's refusal, not Assimp's "Unable to open file".
  if (Refusal why = Refusal::kNone; root.Check(place.file, PathUse::kModel, why).empty() && why == Refusal::kOutside)
    return WriteFailureStream(StreamOutcome::OutsideRoot, root.Folder(), out);
  Scene scene;
  {
    Assimp::Importer importer;
    importer.SetIOHandler(new ReaderIOSystem(root, place.file));
    ConfigureImporter(importer);
    AssimpWarnings warnings;
    std::string mended;
    const aiScene* source = ReadScene(importer, place.file, mended);
    Ac3dFile ac3d;
    const bool isAc3d = ReadAc3dOf(place.file, root, ac3d);
    if (!source) {
      const std::string message = importer.GetErrorString();
      if (message.find("bad_alloc") != std::string::npos) return WriteOutOfMemory(out);
      // Assimp refuses an AC3D file without a surface ("an unknown error"): it is an empty scene.
      if (isAc3d && std::none_of(ac3d.objects.begin(), ac3d.objects.end(),
                                 [](const Ac3dObject& o) { return o.polygons || o.lines; })) {
        scene.nodes.emplace_back().name = "world";
        scene.warnings.push_back(kNothingToDraw);
        g_streamStarted = true;
        return WriteSceneStream(scene, out);
      }
      if (const std::string why = AnimationOnly(place.file, root); !why.empty())
        return WriteFailureStream(StreamOutcome::ReaderRefused, why, out);
      return WriteFailureStream(StreamOutcome::Refused, message.empty() ? "no scene" : message, out);
    }
    std::string error;
    const TextureSearch search = TextureSearchOf(place, request.texturePath);
    if (!SceneFromAssimp(*source, search.folder, search.folders, root, scene, error))
      return WriteFailureStream(StreamOutcome::ReaderRefused, error, out);
    ChooseUpAxis(*source, place.file, scene);
    if (isAc3d)
      if (const std::string placed = MendAc3dScene(scene, ac3d); !placed.empty()) Note(kNoteInfo, placed);
    // COLLADA's exporters are the ones known to write an opacity of 0 for an opaque material.
    if (IsCollada(place.file))
      for (Material& m : scene.materials) m.opacityZeroSlip = true;
    // A library the root refused was warned of as such: it is not "missing".
    scene.warnings =
        warnings.Sentences([&](const std::string& library) { return root.Refused(place.folder + "/" + library); });
    if (!mended.empty()) scene.warnings.push_back(mended);
    // A file of clips or a skeleton alone comes in, for a script to put its clips on another model; one of
    // cameras and lights alone is a setting, not a model missing.
    const bool setting = !scene.cameras.empty() || !scene.lights.empty();
    const bool skeleton = scene.nodes.size() > 1 && !setting;
    if (scene.meshes.empty() && (!scene.animations.empty() || skeleton))
      scene.warnings.push_back("no mesh: " + std::to_string(scene.animations.size()) + " clips and " +
                               std::to_string(scene.nodes.size()) + " nodes, nothing to draw");
    else if (!PlacesAMesh(scene) && !setting)
      scene.warnings.push_back(kNothingToDraw);
  }
  WarnOverBudget(scene);
  if (const uint64_t size = SceneBodySize(scene); size > request.limits.outputBytes)
    return WriteFailureStream(StreamOutcome::OutputLimit, std::to_string(size) + " bytes", out);
  g_streamStarted = true;
  return WriteSceneStream(scene, out);
}

#ifdef PM_READER_TEST_HOOKS
// What the reader held as its main began that its host did not give it (every descriptor but 0, 1, 2 and
// kReaderWatchFd), and what descriptor 3 then read: a payload's look at what it inherited.
std::string g_inherited;
void NoteInherited() {
  std::string held;
  if (DIR* fds = opendir("/proc/self/fd")) {
    while (const dirent* entry = readdir(fds)) {
      const int fd = std::atoi(entry->d_name);
      if (entry->d_name[0] != '.' && fd != dirfd(fds) && fd > 2 && fd != kReaderWatchFd)
        held += (held.empty() ? "" : " ") + std::to_string(fd);
    }
    closedir(fds);
  }
  char bytes[64];
  const ssize_t n = read(kReaderStreamFd, bytes, sizeof bytes);
  if (!held.empty()) g_inherited = "descriptors " + held;
  if (n > 0) g_inherited += " and read \"" + InertText(std::string(bytes, size_t(n))) + "\" from 3";
}

// What a test asks a confined reader to try, to see the confinement hold: the reader built for the tests
// (pm-import-reader-test) reads it from the file named as the program is with ".hook" after it. A file it
// could open, or a limit it could raise past its hard one, ends it with this status.
constexpr int kEscapedHookExit = 7;
std::string TestHook(const char* program) {
  std::ifstream in(std::string(program) + ".hook");
  std::string hook;
  std::getline(in, hook);
  return hook;
}
void RunTestHook(const std::string& hook, const std::string& root, const std::string& file) {
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
    if (const int fd = open(hook.c_str() + 5, O_RDONLY | O_CLOEXEC); fd >= 0)
      _exit(Fail(kEscapedHookExit, "it opened " + hook.substr(5)));
  } else if (hook == "limits") {
    // Past its hard address-space limit (no capability left allows it), then another limit (the filter
    // lets only the address space move).
    rlimit as{};
    getrlimit(RLIMIT_AS, &as);
    const rlimit more{as.rlim_max + 4096, as.rlim_max + 4096};
    if (as.rlim_max != RLIM_INFINITY && setrlimit(RLIMIT_AS, &more) == 0)
      _exit(Fail(kEscapedHookExit, "it raised its hard address-space limit"));
    const rlimit cpu{RLIM_INFINITY, RLIM_INFINITY};
    setrlimit(RLIMIT_CPU, &cpu);
  } else if (hook == "inherited") {
    if (!g_inherited.empty()) _exit(Fail(kEscapedHookExit, "it held " + g_inherited));
  } else if (hook.rfind("fcntl:", 0) == 0) {
    // Each command that would reach past the reader: made to signal the host through its stream pipe,
    // to lease the model (another's open for writing waits), to watch the model's folder.
    const std::string what = hook.substr(6);
    const int model = open(file.c_str(), O_RDONLY | O_CLOEXEC);
    const int folder = open(root.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    int rc = -1;
    if (what == "setown") rc = fcntl(kReaderStreamFd, F_SETOWN, getppid());
    if (what == "setown_ex") {
      const f_owner_ex owner{F_OWNER_PID, getppid()};
      rc = fcntl(kReaderStreamFd, F_SETOWN_EX, &owner);
    }
    if (what == "setsig") rc = fcntl(kReaderStreamFd, F_SETSIG, SIGKILL);
    if (what == "async") rc = fcntl(kReaderStreamFd, F_SETFL, O_ASYNC);
    if (what == "setlease") rc = fcntl(model, F_SETLEASE, F_RDLCK);
    if (what == "notify") rc = fcntl(folder, F_NOTIFY, DN_ACCESS | DN_MULTISHOT);
    if (rc != -1) _exit(Fail(kEscapedHookExit, "fcntl " + what + " was allowed"));
  } else if (hook.rfind("dnotify:", 0) == 0) {
    // SIGKILL to another process, sent by the kernel when the reader reads the model's folder.
    const int folder = open(root.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    fcntl(folder, F_SETSIG, SIGKILL);
    fcntl(folder, F_SETOWN, std::atoi(hook.c_str() + 8));
    fcntl(folder, F_NOTIFY, DN_ACCESS | DN_MULTISHOT);
  } else if (hook == "immortal") {
    // Every catchable signal ignored and blocked, then asleep: only an uncatchable death ends it.
    struct sigaction ignore {};
    ignore.sa_handler = SIG_IGN;
    for (int sig = 1; sig < NSIG; ++sig) sigaction(sig, &ignore, nullptr);
    sigset_t all;
    sigfillset(&all);
    sigprocmask(SIG_BLOCK, &all, nullptr);
    sleep(60);
  } else if (hook == "undo") {
    prctl(PR_SET_PDEATHSIG, 0);
    _exit(Fail(kEscapedHookExit, "it unset its parent-death signal"));
  } else if (hook == "fork") {
    // A child that would outlive the reader holding its pipes, out of its process group.
    if (fork() == 0) {
      setsid();
      sleep(30);
      _exit(0);
    }
  }
}
#endif

// An allocation that fails where no handler can catch it (a destructor, a noexcept function) ends here:
// the host still hears which limit it was.
[[noreturn]] void Terminate() {
  bool outOfMemory = false;
  if (const std::exception_ptr e = std::current_exception()) try {
      std::rethrow_exception(e);
    } catch (const std::bad_alloc&) {
      outOfMemory = true;
    } catch (...) {  // NOLINT(bugprone-empty-catch): any other cause ends as std::terminate's would
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
#ifdef PM_READER_TEST_HOOKS
  NoteInherited();
#endif
  // The stream keeps the standard output (as a descriptor of its own); anything a library prints goes to
  // stderr instead of into it.
  if (dup2(1, kReaderStreamFd) != kReaderStreamFd || dup2(2, 1) < 0)
    return Fail(3, std::string("its stream could not be set up: ") + std::strerror(errno));
  if (const std::string why = WatchHost(); !why.empty()) return Fail(3, why);
  FdSink out(kReaderStreamFd);
  std::vector<std::string> args(argv + 1, argv + argc);
  // What does not depend on the file is done first, by a reader started ahead while it waits.
  ReaderConfinement confinement(kReaderStreamFd);
  if (std::find(args.begin(), args.end(), "--") == args.end()) {
    WarmHeap();
    if (const std::string why = ReceiveRequest(args); !why.empty()) return Fail(3, why);
  }
#ifdef PM_READER_TEST_HOOKS
  const std::string testHook = TestHook(argv[0]);  // once the request came: the hook of its import
#endif
  ReaderRequest request;
  std::string error;
  if (!ParseArguments(args, request, error)) {
    WriteFailureStream(StreamOutcome::ReaderFault, error + "; " + ReaderUsage(), out);
    return 2;
  }
  // A small budget asked for counts from an empty heap, as it would without the warming.
  if (request.addressSpaceCap < 16 * kWarmHeap) malloc_trim(0);
  MemoryBudget budget(request);
  g_budget = &budget;
  SetImageLibraryRoom([](uint64_t bytes) { g_budget->Widen(bytes); });
  g_reserve = std::malloc(kReserve);
  std::set_terminate(Terminate);
  // By default the model's own (real) folder; a link's folder from elsewhere gives textures only, so that
  // a link cannot lend a model the files beside it.
  const ModelPlace place = PlaceOf(request.file);
  const std::vector<std::string> roots = {!request.assetRoot.empty() ? request.assetRoot : place.folder};
  std::vector<std::string> textureFolders = request.texturePath;
  if (request.assetRoot.empty() && !place.linkFolder.empty()) textureFolders.push_back(place.linkFolder);
  AssetRoot root(roots, textureFolders);
  if (root.Folder().empty()) {
    WriteFailureStream(StreamOutcome::ReaderFault, "the asset root \"" + roots.front() + "\" does not exist", out);
    return 2;
  }
  if (struct stat s{}; stat(root.Folder().c_str(), &s) != 0 || !S_ISDIR(s.st_mode)) {
    WriteFailureStream(StreamOutcome::ReaderFault, "the asset root \"" + roots.front() + "\" is not a folder", out);
    return 2;
  }
  WarnTextureFolders(request.texturePath);
  root.warn = [](const std::string& text) { Note(kNoteWarn, text); };
  root.opened = [&budget](const std::string& file, uint64_t bytes) { budget.Opened(file, bytes); };
  if (error = SetLimits(request.limits); !error.empty()) {
    WriteFailureStream(StreamOutcome::ReaderFault, "its limits could not be set: " + error, out);
    return 2;
  }
  ConfinementResult confined;
  std::vector<std::string> readable = root.Folders();
  readable.insert(readable.end(), root.TextureFolders().begin(), root.TextureFolders().end());
  if (!confinement.Apply(readable, confined, error)) {
    WriteFailureStream(StreamOutcome::ReaderFault, "it could not be confined: " + error, out);
    return 2;
  }
  if (!confined.lacking.empty()) Note(kNoteInfo, confined.lacking);
  // The address space after the confinement, whose own set-up a small budget would not leave room for.
  if (!budget.Set()) {
    WriteFailureStream(StreamOutcome::ReaderFault,
                       std::string("its limits could not be set: setrlimit RLIMIT_AS: ") + std::strerror(errno), out);
    return 2;
  }
#ifdef PM_READER_TEST_HOOKS
  if (!testHook.empty()) RunTestHook(testHook, root.Folder(), place.file);
#endif
  TuneAllocator(request.limits);
  bool written = false;
  try {
    written = Run(request, place, root, out);
  } catch (const std::bad_alloc&) {
    written = WriteOutOfMemory(out);
  } catch (const std::exception& e) {
    written = WriteFailureStream(StreamOutcome::ReaderFault, e.what(), out);
  }
  // Nothing is left to free that the system would not: leaving at once spares tearing down a large scene.
  if (!written) _exit(Fail(1, std::string("its stream could not be written: ") + std::strerror(out.error)));
  _exit(0);
}
