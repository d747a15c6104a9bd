// The reader as an attacker meets it: confined before it parses (no_new_privs, a seccomp filter, its own
// process group, none of the host's environment), reading nothing outside its asset root, killed on anything it must
// not do, ending fast on FIFOs and within its budget on files that amplify. Every hostile file is made here.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/inotify.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>
#include <zlib.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <optional>
#include <string>
#include <thread>
#include <vector>

#include "import/ImportScene.h"
#include "import/InertText.h"
#include "import/ReaderProcess.h"
#include "support/TestEnv.h"

namespace PM::Import {
namespace {

namespace fs = std::filesystem;
const std::string kModels = "/usr/share/assimp/models";
const std::string kReader = PM_BINARY_DIR "/pm-import-reader";
const std::string kTestReader = PM_BINARY_DIR "/tests/pm-import-reader-test";

// Sets a variable for its scope, then gives it back its value.
class ScopedEnv {
 public:
  ScopedEnv(const char* name, const std::string& value) : m_name(name) {
    if (const char* was = std::getenv(name)) m_was = was;
    setenv(name, value.c_str(), 1);
  }
  ~ScopedEnv() {
    if (m_was)
      setenv(m_name, m_was->c_str(), 1);
    else
      unsetenv(m_name);
  }

 private:
  const char* m_name;
  std::optional<std::string> m_was;
};

// A triangle, with whatever lines a case puts before it.
std::string Obj(const std::string& head) { return head + "v 0 0 0\nv 1 0 0\nv 0 1 0\nvt 0 0\nf 1/1 2/1 3/1\n"; }

class ReaderConfinementTest : public ::testing::Test {
 protected:
  void SetUp() override {
    if (!fs::exists(kReader) || !fs::exists(kModels)) GTEST_SKIP() << "the reader or assimp-testmodels is missing";
    for (const char* folder : {"model", "secret", "textures", "links"}) fs::create_directories(Folder(folder));
  }
  std::string Folder(const std::string& name) const { return m_dir.File(name); }
  std::string Write(const std::string& name, const std::string& bytes) const {
    PM::Test::WriteFile(m_dir.File(name), bytes);
    return m_dir.File(name);
  }
  bool Read(const std::string& file, std::string assetRoot = {}, ReaderLimits limits = {},
            std::vector<std::string> texturePath = {}) {
    notes.clear();
    const auto start = std::chrono::steady_clock::now();
    const bool ok =
        ReadModelFile(ReadRequest{file, std::move(assetRoot), limits, std::move(texturePath)}, scene, error, &notes);
    seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    return ok;
  }
  // Points the import at the reader built for the tests, told to try `hook` once confined: a link to it
  // in the test's folder, beside the file that names the hook.
  ScopedEnv Hooked(const std::string& hook) {
    const std::string link = m_dir.File("pm-import-reader-test");
    if (!fs::exists(link)) fs::create_symlink(kTestReader, link);
    PM::Test::WriteFile(link + ".hook", hook + "\n");
    return ScopedEnv(kReaderOverride, link);
  }
  std::string Warnings() const {
    std::string text;
    for (const ReaderNote& n : notes)
      if (n.warning) text += n.text + "\n";
    return text;
  }
  ScopedEnv m_real{kReaderOverride, kReader};
  PM::Test::TempDir m_dir;
  Scene scene;
  std::string error;
  std::vector<ReaderNote> notes;
  double seconds = 0;
};

// A model outside the root it is given is the confinement's refusal, said as such: Assimp never opens it.
TEST_F(ReaderConfinementTest, AModelOutsideItsRootSaysSo) {
  const std::string root = fs::canonical(Folder("model")).string();
  const std::string obj = Write("secret/away.obj", Obj(""));
  EXPECT_FALSE(Read(obj, root));
  EXPECT_EQ(error, "Cannot import \"" + obj + "\": it lies outside the asset root \"" + root +
                       "\" (ImportModel's second argument widens it).");
  EXPECT_EQ(Warnings(), "");
}

// Paths in a model that leave its folder: a glTF buffer, an OBJ material library, an absolute texture
// path, a symbolic link out. Each is warned once with the root, and a watcher on the secret folder sees
// nothing opened.
TEST_F(ReaderConfinementTest, PathsLeavingTheRootAreNotOpened) {
  const std::string secret = Folder("secret"), root = fs::canonical(Folder("model")).string();
  Write("secret/s.bin", std::string(72, '\x40'));
  Write("secret/x.mtl", "newmtl m\nKd 1 0 0\n");
  Write("secret/t.png", "not opened");
  fs::create_symlink(secret + "/t.png", Folder("model/link.png"));
  const int watch = inotify_init1(IN_NONBLOCK | IN_CLOEXEC);
  ASSERT_GE(watch, 0);
  ASSERT_GE(inotify_add_watch(watch, secret.c_str(), IN_OPEN | IN_ACCESS), 0);

  const std::string gltf = Write("model/buffer.gltf", R"({"asset":{"version":"2.0"},
    "buffers":[{"uri":"../secret/s.bin","byteLength":72}],"bufferViews":[{"buffer":0,"byteLength":72}],
    "accessors":[{"bufferView":0,"componentType":5126,"count":6,"type":"VEC3","min":[0,0,0],"max":[1,1,1]}],
    "meshes":[{"primitives":[{"attributes":{"POSITION":0}}]}],"nodes":[{"mesh":0}],"scenes":[{"nodes":[0]}]})");
  EXPECT_FALSE(Read(gltf));
  EXPECT_EQ(error.rfind("Cannot import \"" + gltf + "\": Assimp refused it: ", 0), 0u) << error;
  EXPECT_NE(Warnings().find("\"" + root + "/../secret/s.bin\" is not opened: it lies outside the asset root \"" + root +
                            "\" (ImportModel's second argument widens the root).\n"),
            std::string::npos)
      << Warnings();

  Write("model/local.mtl", "newmtl a\nmap_Kd " + secret + "/t.png\nnewmtl b\nmap_Kd link.png\n");
  const std::string obj = Write("model/paths.obj", Obj("mtllib ../secret/x.mtl\nmtllib local.mtl\nusemtl a\n"));
  ASSERT_TRUE(Read(obj)) << error;
  for (const std::string& named : {secret + "/t.png", root + "/link.png"})
    EXPECT_NE(Warnings().find("\"" + named + "\" is not opened: it lies outside the asset root"), std::string::npos)
        << named << "\n"
        << Warnings();
  EXPECT_NE(Warnings().find("x.mtl\" is not opened: it lies outside the asset root"), std::string::npos) << Warnings();
  for (const Texture& t : scene.textures) EXPECT_TRUE(t.missing) << t.source;
  char events[4096];
  EXPECT_LT(read(watch, events, sizeof events), 0) << "a file of the secret folder was opened";

  // Widened on purpose, the root takes the secret folder in.
  ASSERT_TRUE(Read(obj, m_dir.Path())) << error;
  EXPECT_EQ(Warnings(), "");
  EXPECT_GT(read(watch, events, sizeof events), 0) << "the watcher sees opens when they happen";
  close(watch);
}

// Landlock on its own, past the asset root's check: the confined reader cannot open a file beside its root,
// and can once the root takes it in.
TEST_F(ReaderConfinementTest, LandlockHoldsWithoutTheRootsCheck) {
  const std::string box = m_dir.File("model/box.obj");
  fs::copy_file(kModels + "/OBJ/box.obj", box);
  Write("secret/s.bin", "secret");
  ScopedEnv hook = Hooked("open:" + m_dir.File("secret/s.bin"));
  EXPECT_TRUE(Read(box)) << error;
  EXPECT_FALSE(Read(box, m_dir.Path()));
  EXPECT_EQ(error, "Cannot import \"" + box + "\": the reader ended with exit status 7 (it opened " +
                       m_dir.File("secret/s.bin") + ").");
}

// The reader stopped by its test hook after confinement, looked at from outside: no_new_privs, a seccomp
// filter, no capability (this test runs as root, whose reader would otherwise hold them all), a process
// group of its own and none of the host's environment.
TEST_F(ReaderConfinementTest, TheReaderIsConfinedBeforeItParses) {
  ScopedEnv hook = Hooked("stop");
  std::atomic<bool> done{false};
  std::thread import([&] {
    Read(kModels + "/OBJ/box.obj");
    done = true;
  });
  std::string status, environ;
  pid_t reader = 0;
  for (int tries = 0; tries < 500 && !reader; ++tries) {
    for (const auto& entry : fs::directory_iterator("/proc")) {
      const std::string stat = PM::Test::ReadFile(entry.path().string() + "/stat");
      const size_t close = stat.rfind(')');
      if (close == std::string::npos || stat.compare(close + 2, 1, "T") != 0) continue;
      if (std::atoi(stat.c_str() + close + 4) != getpid()) continue;
      reader = std::atoi(entry.path().filename().c_str());
      status = PM::Test::ReadFile(entry.path().string() + "/status");
      environ = PM::Test::ReadFile(entry.path().string() + "/environ");
      EXPECT_EQ(getpgid(reader), reader);
    }
    if (!reader) std::this_thread::sleep_for(std::chrono::milliseconds(10));
  }
  ASSERT_GT(reader, 0) << "no reader stopped";
  kill(reader, SIGKILL);
  import.join();
  EXPECT_NE(status.find("NoNewPrivs:\t1\n"), std::string::npos) << status;
  EXPECT_NE(status.find("Seccomp:\t2\n"), std::string::npos) << status;
  for (const char* set : {"CapInh", "CapPrm", "CapEff", "CapBnd", "CapAmb"})
    EXPECT_NE(status.find(std::string(set) + ":\t0000000000000000\n"), std::string::npos) << set << "\n" << status;
  EXPECT_EQ(environ, std::string("GLIBC_TUNABLES=glibc.malloc.hugetlb=1\0LD_BIND_NOW=1\0", 52));
  EXPECT_FALSE(scene.nodes.size());
}

// What a reader run by a crafted model might try: each kills it, and the import fails with one sentence.
// ("limits": raising its hard address-space limit fails, another limit kills it; "undo": unsetting its
// parent-death signal.)
TEST_F(ReaderConfinementTest, AReaderThatTriesWhatItMustNotIsKilled) {
  const std::string box = m_dir.File("model/box.obj");
  fs::copy_file(kModels + "/OBJ/box.obj", box);
  for (const char* attempt : {"socket", "exec", "write", "fork", "limits", "undo"}) {
    ScopedEnv hook = Hooked(attempt);
    EXPECT_FALSE(Read(box)) << attempt;
    EXPECT_EQ(error, "Cannot import \"" + box +
                         "\": the reader was stopped by its confinement: it made a system call reading a model never "
                         "needs (signal 31, SIGSYS).")
        << attempt;
    EXPECT_LT(seconds, 5) << attempt;
  }
  EXPECT_FALSE(fs::exists(m_dir.File("model/written")));
  ASSERT_TRUE(Read(box)) << error;
}

// A reader may not reach another process through a descriptor: no fcntl command that names a process to
// signal, leases the model or watches its folder is allowed; each kills it. And the whole attack, a
// folder watch whose SIGKILL goes to another process when the reader reads the model, leaves that process
// alive.
TEST_F(ReaderConfinementTest, AReaderCannotSignalLeaseOrWatch) {
  const std::string box = m_dir.File("model/box.obj");
  fs::copy_file(kModels + "/OBJ/box.obj", box);
  const std::string killed = "Cannot import \"" + box +
                             "\": the reader was stopped by its confinement: it made a system call reading a model "
                             "never needs (signal 31, SIGSYS).";
  for (const char* command : {"setown", "setown_ex", "setsig", "async", "setlease", "notify"}) {
    ScopedEnv hook = Hooked(std::string("fcntl:") + command);
    EXPECT_FALSE(Read(box)) << command;
    EXPECT_EQ(error, killed) << command;
  }
  // Another program (a copy of this one would hold the pipes of the reader started ahead).
  const pid_t victim = fork();
  if (victim == 0) {
    execl("/bin/sleep", "sleep", "60", nullptr);
    _exit(127);
  }
  ASSERT_GT(victim, 0);
  {
    ScopedEnv hook = Hooked("dnotify:" + std::to_string(victim));
    EXPECT_FALSE(Read(box, {}, ReaderLimits{0, 0, 0, 10}));
    EXPECT_EQ(error, killed);
  }
  int status = 0;
  EXPECT_EQ(waitpid(victim, &status, WNOHANG), 0) << "the other process was killed (signal " << WTERMSIG(status) << ")";
  kill(victim, SIGKILL);
  waitpid(victim, nullptr, 0);
}

// A host killed (SIGKILL) while its reader ignores and blocks every signal it can and sleeps: the reader
// ends with it, not at its CPU limit (it spends none) or never.
TEST_F(ReaderConfinementTest, AReaderThatIgnoresEverySignalDiesWithItsHost) {
  const std::string box = m_dir.File("model/box.obj");
  fs::copy_file(kModels + "/OBJ/box.obj", box);
  ScopedEnv hook = Hooked("immortal");
  const pid_t host = fork();
  if (host == 0) {
    Read(box);
    _exit(0);
  }
  ASSERT_GT(host, 0);
  // Its reader once it ignores every signal.
  pid_t reader = 0;
  for (int tries = 0; tries < 500 && !reader; ++tries) {
    std::this_thread::sleep_for(std::chrono::milliseconds(10));
    for (const auto& entry : fs::directory_iterator("/proc")) {
      const std::string status = PM::Test::ReadFile(entry.path().string() + "/status");
      const size_t parent = status.find("\nPPid:\t"), ignored = status.find("\nSigIgn:\t");
      if (parent == std::string::npos || ignored == std::string::npos) continue;
      if (std::atoi(status.c_str() + parent + 7) == host && status.compare(ignored + 9, 16, "fffffffe7ffbfeff") == 0)
        reader = std::atoi(entry.path().filename().c_str());
    }
  }
  ASSERT_GT(reader, 0) << "no reader ignores every signal";
  kill(host, SIGKILL);
  waitpid(host, nullptr, 0);
  auto gone = [&] {
    const std::string stat = PM::Test::ReadFile("/proc/" + std::to_string(reader) + "/stat");
    return stat.empty() || stat.find(") Z") != std::string::npos;
  };
  for (int tries = 0; tries < 200 && !gone(); ++tries) std::this_thread::sleep_for(std::chrono::milliseconds(10));
  EXPECT_TRUE(gone()) << "the reader outlived its host";
  kill(reader, SIGKILL);
}

// A descriptor of the host's without close-on-exec (a library's, say) on 3, where the reader later puts
// its stream: the reader starts holding none of the host's descriptors but the four it is given.
TEST_F(ReaderConfinementTest, NothingOfTheHostsReachesTheReader) {
  const std::string box = m_dir.File("model/box.obj");
  fs::copy_file(kModels + "/OBJ/box.obj", box);
  const std::string secret = Write("secret/key", "the host's secret");
  const int saved = fcntl(3, F_DUPFD_CLOEXEC, 10);  // -1 when 3 is not open
  const int fd = open(secret.c_str(), O_RDONLY);
  ASSERT_GE(fd, 0);
  if (fd != 3) {
    ASSERT_EQ(dup2(fd, 3), 3);
    close(fd);
  }
  bool read = false;
  {
    ScopedEnv hook = Hooked("inherited");
    read = Read(box);
  }
  if (saved >= 0) {
    dup2(saved, 3);
    close(saved);
  } else {
    close(3);
  }
  EXPECT_TRUE(read) << error;
}

// The shipped reader has no test hooks: neither the host's environment nor a hook file beside it stops
// it.
TEST_F(ReaderConfinementTest, TheShippedReaderHasNoTestHooks) {
  ScopedEnv variable("PM_IMPORT_READER_TEST", "stop");
  const std::string link = m_dir.File("pm-import-reader");
  fs::create_symlink(kReader, link);
  PM::Test::WriteFile(link + ".hook", "stop\n");
  ScopedEnv reader(kReaderOverride, link);
  ReaderLimits limits;
  limits.wallSeconds = 10;
  ASSERT_TRUE(Read(kModels + "/OBJ/box.obj", {}, limits)) << error;
  EXPECT_EQ(PM::Test::ReadFile(kReader).find("open:"), std::string::npos) << "the hooks are compiled in";
  EXPECT_NE(PM::Test::ReadFile(kTestReader).find("open:"), std::string::npos);
}

// Whatever the reader leaves running goes with it, and holding its pipes does not keep the host waiting.
// (The stand-in waits for its request first: a spare started meanwhile runs the script too.)
TEST_F(ReaderConfinementTest, TheReadersChildrenDieWithIt) {
  const std::string pidFile = m_dir.File("child.pid");
  const std::string standIn = Write("reader.sh", "#!/bin/sh\ncat >/dev/null\nsleep 30 &\necho $! > '" + pidFile +
                                                     "'\nexec '" + kReader + "' -- '" + kModels + "/OBJ/box.obj'\n");
  chmod(standIn.c_str(), 0755);
  ScopedEnv reader(kReaderOverride, standIn);
  ASSERT_TRUE(Read(Write("model/any.obj", ""))) << error;
  EXPECT_LT(seconds, 5);
  const pid_t child = std::atoi(PM::Test::ReadFile(pidFile).c_str());
  ASSERT_GT(child, 0);
  // Killed with the reader's group (a signal takes a moment to end a process).
  auto gone = [&] {
    const std::string stat = PM::Test::ReadFile("/proc/" + std::to_string(child) + "/stat");
    return stat.empty() || stat.find(") Z") != std::string::npos;
  };
  for (int tries = 0; tries < 100 && !gone(); ++tries) std::this_thread::sleep_for(std::chrono::milliseconds(10));
  EXPECT_TRUE(gone());
}

// A FIFO as the model, as its material library and as its texture: refused at once, never waited on.
TEST_F(ReaderConfinementTest, FifosEndFast) {
  ASSERT_EQ(mkfifo(m_dir.File("model/fifo.obj").c_str(), 0600), 0);
  ASSERT_EQ(mkfifo(m_dir.File("model/fifo.mtl").c_str(), 0600), 0);
  ASSERT_EQ(mkfifo(m_dir.File("model/fifo.png").c_str(), 0600), 0);
  EXPECT_FALSE(Read(m_dir.File("model/fifo.obj")));
  EXPECT_LT(seconds, 5);
  EXPECT_EQ(error, "Cannot import \"" + m_dir.File("model/fifo.obj") + "\": it is a FIFO, not a regular file.");
  Write("model/tex.mtl", "newmtl a\nmap_Kd fifo.png\n");
  ASSERT_TRUE(Read(Write("model/named.obj", Obj("mtllib fifo.mtl\nmtllib tex.mtl\nusemtl a\n")))) << error;
  EXPECT_LT(seconds, 5);
  // The library once, however Assimp spells it, and the texture, each as what it is.
  EXPECT_EQ(Warnings(), "\"" + m_dir.File("model/fifo.mtl") +
                            "\" is not opened: it is not a regular file (a FIFO).\n\"" + m_dir.File("model/fifo.png") +
                            "\" is not opened: it is not a regular file (a FIFO).\n");
  ASSERT_EQ(scene.textures.size(), 1u);
  EXPECT_TRUE(scene.textures[0].missing);
  EXPECT_EQ(scene.textures[0].fault, TextureFault::kNotRegular);
  // A LightWave scene whose object is a FIFO.
  ASSERT_EQ(mkfifo(m_dir.File("model/fifo.lwo").c_str(), 0600), 0);
  Read(Write("model/scene.lws", "LWSC\n3\n\nFirstFrame 1\nLastFrame 60\n\nLoadObjectLayer 1 fifo.lwo\n"));
  EXPECT_LT(seconds, 5) << error;
  EXPECT_NE(Warnings().find("fifo.lwo\" is not opened: it is not a regular file"), std::string::npos) << Warnings();
}

// Zeros deflated at about 1,000 to 1 (run-length): `bytes` of them, after `head`, in the wrapping of
// `windowBits` (31: gzip; -15: raw deflate, after two bytes as a .zgl file has).
std::string Deflated(const std::string& head, size_t bytes, int windowBits) {
  z_stream z{};
  if (deflateInit2(&z, 1, Z_DEFLATED, windowBits, 9, Z_RLE) != Z_OK) return {};
  std::string out = windowBits < 0 ? std::string(2, '\0') : std::string();
  std::vector<unsigned char> in(1 << 20, 0), chunk(1 << 16);
  std::copy(head.begin(), head.end(), in.begin());
  for (size_t left = bytes;;) {
    const size_t n = std::min(left, in.size());
    z.next_in = in.data();
    z.avail_in = static_cast<uInt>(n);
    left -= n;
    const int flush = left ? Z_NO_FLUSH : Z_FINISH;
    int rc = Z_OK;
    do {
      z.next_out = chunk.data();
      z.avail_out = static_cast<uInt>(chunk.size());
      rc = deflate(&z, flush);
      out.append(reinterpret_cast<char*>(chunk.data()), chunk.size() - z.avail_out);
    } while (z.avail_out == 0);
    std::fill(in.begin(), in.begin() + static_cast<std::ptrdiff_t>(head.size()), 0);
    if (rc == Z_STREAM_END || !left) break;
  }
  deflateEnd(&z);
  return out;
}

// Compression bombs: a gzip-compressed .blend and a .zgl (deflated XGL), each about 1 MB, that inflate to
// 1.25 GiB. Their budget follows their size (1 GiB here), not what they hold.
TEST_F(ReaderConfinementTest, CompressionBombsEndWithinTheBudget) {
  const std::string blend = Write("model/bomb.blend", Deflated("BLENDER-v279", 1280u << 20, 31));
  const std::string zgl = Write("model/bomb.zgl", Deflated("<WORLD>", 1280u << 20, -15));
  for (const std::string& file : {blend, zgl}) {
    EXPECT_LT(fs::file_size(file), 4u << 20) << file;
    EXPECT_FALSE(Read(file)) << file;
    EXPECT_LT(seconds, 30) << file;
    EXPECT_NE(error.find("the reader reached its address-space limit of 1 GiB"), std::string::npos) << error;
  }
  rusage children{};
  getrusage(RUSAGE_CHILDREN, &children);
  EXPECT_LT(children.ru_maxrss, 1536L << 10);  // kilobytes
}

// Files of a few kilobytes that grow without end in Assimp: a glTF node graph of 2^30 paths and a Collada
// file of 2^30 instances. Each ends within its budget, quickly, reader and host under 1.5 GB.
TEST_F(ReaderConfinementTest, AmplificationEndsWithinTheBudget) {
  std::string nodes, visual;
  constexpr int kLevels = 30;
  for (int i = 0; i < kLevels; ++i) {
    const std::string next = std::to_string(2 * i + 2) + "," + std::to_string(2 * i + 3);
    const std::string children = i + 1 < kLevels ? ",\"children\":[" + next + "]" : ",\"mesh\":0";
    nodes += std::string(i ? "," : "") + "{\"name\":\"a" + std::to_string(i) + "\"" + children + "},{\"name\":\"b" +
             std::to_string(i) + "\"" + children + "}";
    const std::string inner = i + 1 < kLevels ? "<instance_node url=\"#n" + std::to_string(i + 1) +
                                                    "\"/><instance_node url=\"#n" + std::to_string(i + 1) + "\"/>"
                                              : "";
    visual += "<node id=\"n" + std::to_string(i) + "\">" + inner + "</node>";
  }
  const std::string gltf = Write("model/paths.gltf", R"({"asset":{"version":"2.0"},
    "buffers":[{"uri":"data:application/octet-stream;base64,AAAAAAAAAAAAAAAAAACAPwAAAAAAAAAAAAAAAAAAgD8AAAAA","byteLength":36}],
    "bufferViews":[{"buffer":0,"byteLength":36}],
    "accessors":[{"bufferView":0,"componentType":5126,"count":3,"type":"VEC3","min":[0,0,0],"max":[1,1,0]}],
    "meshes":[{"primitives":[{"attributes":{"POSITION":0}}]}],"nodes":[)" +
                                                         nodes + R"(],"scenes":[{"nodes":[0,1]}],"scene":0})");
  const std::string dae = Write("model/instances.dae",
                                R"(<?xml version="1.0"?><COLLADA xmlns="http://www.collada.org/2005/11/COLLADASchema" )"
                                R"(version="1.4.1"><library_nodes>)" +
                                    visual +
                                    R"(</library_nodes><library_visual_scenes><visual_scene id="s"><node id="top">)"
                                    R"(<instance_node url="#n0"/></node></visual_scene></library_visual_scenes>)"
                                    R"(<scene><instance_visual_scene url="#s"/></scene></COLLADA>)");
  for (const std::string& file : {gltf, dae}) {
    EXPECT_FALSE(Read(file)) << file;
    EXPECT_LT(seconds, 30) << file;
    EXPECT_NE(error.find("the reader reached its address-space limit of 1 GiB"), std::string::npos) << error;
  }
  rusage children{}, self{};
  getrusage(RUSAGE_CHILDREN, &children);
  getrusage(RUSAGE_SELF, &self);
  EXPECT_LT(children.ru_maxrss, 1536L << 10);  // kilobytes
  EXPECT_LT(self.ru_maxrss, 1536L << 10);
}

// One image named by two paths is decoded and sent once.
TEST_F(ReaderConfinementTest, ATextureNamedTwiceIsDecodedOnce) {
  fs::copy_file(kModels + "/glTF2/BoxTextured-glTF/CesiumLogoFlat.png", m_dir.File("model/big.png"));
  Write("model/two.mtl", "newmtl a\nmap_Kd big.png\nnewmtl b\nmap_Kd ./big.png\n");
  ASSERT_TRUE(Read(Write("model/two.obj",
                         "mtllib two.mtl\nv 0 0 0\nv 1 0 0\nv 0 1 0\nvt 0 0\nusemtl a\n"
                         "f 1/1 2/1 3/1\nusemtl b\nf 3/1 2/1 1/1\n")))
      << error;
  ASSERT_EQ(scene.textures.size(), 1u);
  EXPECT_FALSE(scene.textures[0].missing);
  int textured = 0;
  for (const Material& m : scene.materials) textured += m.diffuseTexture == 0;
  EXPECT_EQ(textured, 2);
}

// A PNG of one grey `value` in 8-bit grey, or in 1-bit grey (`bits` 1), which keeps a huge image a few
// kilobytes.
std::string Png(uint32_t width, uint32_t height, int bits, uint8_t value) {
  auto chunk = [](const std::string& type, const std::string& data) {
    std::string out;
    auto u32 = [&](uint64_t v) {
      for (int shift = 24; shift >= 0; shift -= 8) out.push_back(static_cast<char>((v >> shift) & 0xff));
    };
    u32(data.size());
    const std::string body = type + data;
    out += body;
    u32(crc32(0, reinterpret_cast<const Bytef*>(body.data()), static_cast<uInt>(body.size())));
    return out;
  };
  std::string header;
  for (const uint32_t v : {width, height})
    for (int shift = 24; shift >= 0; shift -= 8) header.push_back(static_cast<char>((v >> shift) & 0xff));
  header += {static_cast<char>(bits), 0, 0, 0, 0};
  const size_t rowBytes = bits == 1 ? (width + 7) / 8 : width;
  std::string raw;
  raw.reserve((rowBytes + 1) * height);
  for (uint32_t y = 0; y < height; ++y) raw.append(1, '\0').append(rowBytes, static_cast<char>(value));
  std::string packed(compressBound(static_cast<uLong>(raw.size())), '\0');
  uLongf size = static_cast<uLongf>(packed.size());
  compress2(reinterpret_cast<Bytef*>(packed.data()), &size, reinterpret_cast<const Bytef*>(raw.data()),
            static_cast<uLong>(raw.size()), 9);
  packed.resize(size);
  return "\x89PNG\r\n\x1a\n" + chunk("IHDR", header) + chunk("IDAT", packed) + chunk("IEND", "");
}

// A Quake 3 model (MD3) of one triangle whose surface's shader names `texture`.
std::string Md3(const std::string& texture) {
  std::string b;
  auto i32 = [&](int32_t v) { b.append(reinterpret_cast<const char*>(&v), 4); };
  auto f32 = [&](float v) { b.append(reinterpret_cast<const char*>(&v), 4); };
  auto name = [&](std::string n, size_t size) {
    n.resize(size, '\0');
    b += n;
  };
  constexpr int32_t kHeader = 108, kFrame = 56, kSurface = 108, kShader = 68;
  constexpr int32_t kTriangles = kSurface + kShader, kSt = kTriangles + 12, kXyz = kSt + 24, kEnd = kXyz + 24;
  b += "IDP3";
  i32(15);
  name("tri", 64);
  i32(0);
  for (const int32_t v : {1, 0, 1, 0, kHeader, kHeader + kFrame, kHeader + kFrame, kHeader + kFrame + kEnd}) i32(v);
  for (const float v : {0.f, 0.f, 0.f, 1.f, 1.f, 0.f, 0.f, 0.f, 0.f, 1.f}) f32(v);  // bounds, origin, radius
  name("frame", 16);
  b += "IDP3";
  name("surface", 64);
  i32(0);
  for (const int32_t v : {1, 1, 3, 1, kTriangles, kSurface, kSt, kXyz, kEnd}) i32(v);
  name(texture, 64);
  for (const int32_t v : {0, 0, 1, 2}) i32(v);  // the shader's index, the triangle
  for (const float v : {0.f, 0.f, 1.f, 0.f, 0.f, 1.f}) f32(v);
  for (const int v : {0, 0, 0, 0, 64, 0, 0, 0, 0, 64, 0, 0}) {
    const auto s = static_cast<int16_t>(v);
    b.append(reinterpret_cast<const char*>(&s), 2);
  }
  return b;
}

// What the root's refusal of a texture says.
std::string OutsideTheRoot(const std::string& path, const std::string& root) {
  return "\"" + path + "\" is not opened: it lies outside the asset root \"" + root +
         "\" (ImportModel's second argument widens the root; ImportModel's third argument or "
         "ImportOptions::texturePath looks for textures elsewhere too).\n";
}

// Two refused textures, one name the start of the other: each warned once by its own name.
TEST_F(ReaderConfinementTest, RefusedTexturesAreWarnedEachByItsOwnName) {
  Write("textures/wood.png", Png(4, 4, 8, 200));
  Write("textures/wood.png.old", Png(4, 4, 8, 100));
  Write("model/door.mtl", "newmtl a\nmap_Kd ../textures/wood.png.old\nnewmtl b\nmap_Kd ../textures/wood.png\n");
  const std::string obj = Write("model/door.obj", Obj("mtllib door.mtl\nusemtl a\n"));
  const std::string root = Folder("model");
  ASSERT_TRUE(Read(obj)) << error;
  EXPECT_EQ(Warnings(), OutsideTheRoot(root + "/../textures/wood.png.old", root) +
                            OutsideTheRoot(root + "/../textures/wood.png", root));
}

// A game pack's layout: textures in a folder beside the model's, named by a path that leaves the root or by
// file name alone. Refused (one warning, never "missing") or not found without the texture path; found
// in it with it, where the reader may read textures and nothing else.
TEST_F(ReaderConfinementTest, TexturesComeFromTheTexturePath) {
  Write("textures/wood.png", Png(4, 4, 8, 200));
  Write("textures/lib.mtl", "newmtl a\nKd 1 0 0\n");
  Write("model/door.mtl", "newmtl a\nmap_Kd ../textures/wood.png\nnewmtl b\nmap_Kd WOOD.PNG\n");
  const std::string obj = Write("model/door.obj", Obj("mtllib ../textures/lib.mtl\nmtllib door.mtl\nusemtl a\n"));
  const std::string root = Folder("model"), textures = Folder("textures");
  const std::string library = "\"" + root + "/../textures/lib.mtl\" is not opened: it lies outside the asset root \"" +
                              root + "\" (ImportModel's second argument widens the root).\n";
  const std::vector<std::string> refused = {
      "the material library \"../textures/lib.mtl\" it names is not read; the model's own \".mtl\" was read instead"};
  ASSERT_TRUE(Read(obj)) << error;
  EXPECT_EQ(Warnings(), library + OutsideTheRoot(root + "/../textures/wood.png", root));
  EXPECT_EQ(scene.warnings, refused);
  ASSERT_EQ(scene.textures.size(), 2u);
  EXPECT_EQ(scene.textures[0].fault, TextureFault::kOutside);
  EXPECT_EQ(scene.textures[1].fault, TextureFault::kAbsent);

  // With the texture path, both names lead to the one file; the library stays refused.
  ASSERT_TRUE(Read(obj, {}, {}, {Folder("nowhere"), textures})) << error;
  EXPECT_EQ(Warnings(), "the texture folder \"" + Folder("nowhere") +
                            "\" is not a folder; no texture is looked for there.\n" + library);
  EXPECT_EQ(scene.warnings, refused);
  ASSERT_EQ(scene.textures.size(), 1u);
  EXPECT_FALSE(scene.textures[0].missing);
  EXPECT_EQ(scene.textures[0].width, 4u);
  EXPECT_EQ(scene.textures[0].rgba[0], 200);

  // Landlock lets the confined reader read beneath the texture path too, past the root's own check.
  ScopedEnv hook = Hooked("open:" + textures + "/wood.png");
  EXPECT_TRUE(Read(obj)) << error;
  EXPECT_FALSE(Read(obj, {}, {}, {textures}));
  EXPECT_EQ(error, "Cannot import \"" + obj + "\": the reader ended with exit status 7 (it opened " + textures +
                       "/wood.png).");
}

// A texture that needs more memory than the reader's budget to decode is told as such, with the budget
// and the option that raises it: a 16384 x 16384 PNG of 33 kB, 1 GiB as RGBA.
TEST_F(ReaderConfinementTest, ATextureOverTheMemoryBudgetSaysSo) {
  Write("model/huge.png", Png(16384, 16384, 1, 0xff));
  Write("model/huge.mtl", "newmtl a\nmap_Kd huge.png\n");
  const std::string obj = Write("model/huge.obj", Obj("mtllib huge.mtl\nusemtl a\n"));
  ASSERT_TRUE(Read(obj, {}, ReaderLimits{uint64_t{1} << 30, 0, 0, 0})) << error;
  EXPECT_EQ(Warnings(),
            "the texture \"huge.png\" is not read: decoding it needs more than the reader's memory budget of 1 GiB "
            "(ImportOptions::readerMemory raises it).\n");
  ASSERT_EQ(scene.textures.size(), 1u);
  EXPECT_TRUE(scene.textures[0].missing);
  EXPECT_EQ(scene.textures[0].fault, TextureFault::kOverBudget);
}

// A Quake 3 model: Assimp's look-up of its shader file in the game's "scripts" folder (and its guesses at
// cut-down forms of that name) is no warning; its texture comes from the texture path.
TEST_F(ReaderConfinementTest, AnMd3ModelsShaderProbeIsNoWarning) {
  Write("textures/door.png", Png(2, 2, 8, 90));
  const std::string md3 = Write("model/door.md3", Md3("door.png"));
  ASSERT_TRUE(Read(md3)) << error;
  EXPECT_EQ(Warnings(), "");
  ASSERT_EQ(scene.textures.size(), 1u);
  EXPECT_EQ(scene.textures[0].fault, TextureFault::kAbsent);
  ASSERT_TRUE(Read(md3, {}, {}, {Folder("textures")})) << error;
  EXPECT_EQ(Warnings(), "");
  ASSERT_EQ(scene.textures.size(), 1u);
  EXPECT_FALSE(scene.textures[0].missing);
}

// A model named by a symbolic link from another folder is read from its real folder, with what it names
// there, and its textures may also lie beside the link.
TEST_F(ReaderConfinementTest, AModelReachedThroughALinkIsRead) {
  Write("model/wood.png", Png(2, 2, 8, 10));
  Write("links/stone.png", Png(2, 2, 8, 20));
  Write("model/door.mtl", "newmtl a\nmap_Kd wood.png\nnewmtl b\nmap_Kd stone.png\n");
  Write("model/door.obj", Obj("mtllib door.mtl\nusemtl a\n"));
  fs::create_symlink(Folder("model/door.obj"), Folder("links/door.obj"));
  ASSERT_TRUE(Read(Folder("links/door.obj"))) << error;
  EXPECT_EQ(Warnings(), "");
  ASSERT_EQ(scene.textures.size(), 2u);
  EXPECT_EQ(scene.textures[0].rgba.at(0), 10);
  EXPECT_EQ(scene.textures[1].rgba.at(0), 20);
}

// A model linked from another folder is confined to its real folder: a buffer it names beside the link
// is refused (textures beside the link are still looked for).
TEST_F(ReaderConfinementTest, ALinkLendsItsModelNoFileBesideIt) {
  fs::create_directories(Folder("home"));
  fs::create_directories(Folder("pack"));
  Write("home/secret.bin", std::string(36, '\x01'));
  Write("pack/evil.gltf", R"({"asset":{"version":"2.0"},"scene":0,"scenes":[{"nodes":[0]}],"nodes":[{"mesh":0}],
    "meshes":[{"primitives":[{"attributes":{"POSITION":0}}]}],
    "buffers":[{"byteLength":36,"uri":"../home/secret.bin"}],"bufferViews":[{"buffer":0,"byteLength":36}],
    "accessors":[{"bufferView":0,"componentType":5126,"count":3,"type":"VEC3","min":[0,0,0],"max":[1,1,1]}]})");
  fs::create_symlink("../pack/evil.gltf", Folder("home/evil.gltf"));
  EXPECT_FALSE(Read(Folder("home/evil.gltf")));
  const std::string pack = Folder("pack");
  EXPECT_NE(Warnings().find("\"" + pack + "/../home/secret.bin\" is not opened: it lies outside the asset root \"" +
                            pack + "\""),
            std::string::npos)
      << Warnings();
}

TEST(InertText, ControlCharactersAreEscaped) {
  EXPECT_EQ(InertText("plain name.png"), "plain name.png");
  EXPECT_EQ(InertText("\x1b]0;title\x07"), "\\x1b]0;title\\x07");
  EXPECT_EQ(InertText("a\nError Import: forged\r\tb\x7f"), "a\\nError Import: forged\\r\\tb\\x7f");
  EXPECT_EQ(InertText("\xc2\x9b"
                      "2J caf\xc3\xa9 \xc2\xb0"),
            "\\u009b2J caf\xc3\xa9 \xc2\xb0");
  EXPECT_EQ(InertText(std::string("nul\0end", 7)), "nul\\x00end");
}

}  // namespace
}  // namespace PM::Import
