// Where the log files go: the folder PM_LOG_DIR names, else the user's state folder, made when missing
// below a home or state folder that is there;
// a folder that cannot be made is said once and the pipe goes on with its console.
#include <sys/stat.h>
#include <unistd.h>
#include <filesystem>

#include <cstdlib>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "core/ErrorTally.h"
#include "core/Log.h"
#include "core/LogFolder.h"
#include "core/LogPipe.h"
#include "support/TestEnv.h"

namespace PM {
namespace {

using Test::ReadFile;
using Test::TempDir;
using Test::WriteFile;

// Sets the variables for the life of the object (an absent value unsets), and puts them back after.
class Environment {
 public:
  Environment(std::optional<std::string> logDir, std::optional<std::string> stateHome,
              std::optional<std::string> home) {
    Set("PM_LOG_DIR", logDir);
    Set("XDG_STATE_HOME", stateHome);
    Set("HOME", home);
  }
  ~Environment() {
    for (auto& [name, value] : m_saved) value ? setenv(name.c_str(), value->c_str(), 1) : unsetenv(name.c_str());
  }

 private:
  void Set(const std::string& name, const std::optional<std::string>& value) {
    const char* old = std::getenv(name.c_str());
    m_saved.emplace_back(name, old ? std::optional<std::string>(old) : std::nullopt);
    value ? setenv(name.c_str(), value->c_str(), 1) : unsetenv(name.c_str());
  }
  std::vector<std::pair<std::string, std::optional<std::string>>> m_saved;
};

// A private log pipe writing "Xout.log" with its console on a pipe of its own, which the test reads.
class ConsolePipe {
 public:
  ConsolePipe() {
    EXPECT_EQ(::pipe(m_fds), 0);
    m_log = NewCounted<LogPipe>();
    m_ref = StreamPipeRef(m_log);
    m_log->OpenConsole(m_fds[1]);
    m_log->Open("Xout.log");
  }
  ~ConsolePipe() {
    m_log->CloseFile();
    ::close(m_fds[0]);
    ::close(m_fds[1]);
  }
  void Line(const std::string& text) {
    m_log->BeginMessage(kLevelInfo);
    m_log->Write((text + "\n").data(), int64_t(text.size() + 1));
    m_log->EndMessage();
  }
  std::string Console() {
    std::string s;
    char buf[1024];
    for (ssize_t n; (n = ::read(m_fds[0], buf, sizeof buf)) > 0;) {
      s.append(buf, size_t(n));
      if (size_t(n) < sizeof buf) break;
    }
    return s;
  }
  LogPipe& Log() { return *m_log; }

 private:
  int m_fds[2] = {-1, -1};
  LogPipe* m_log = nullptr;
  StreamPipeRef m_ref;
};

mode_t ModeOf(const std::string& path) {
  struct stat s {};
  return ::stat(path.c_str(), &s) == 0 ? s.st_mode & 07777 : 0;
}

TEST(LogFolder, NamedFolderElseTheStateFolderElseNone) {
  const struct {
    std::optional<std::string> logDir, stateHome, home;
    const char* path;
    bool named;
  } kCases[] = {
      {"/l", "/s", "/h", "/l", true},
      {"", "/s", "/h", "/s/pelmora", false},  // an empty variable counts as unset
      {std::nullopt, "/s", "/h", "/s/pelmora", false},
      {std::nullopt, "state", "/h", "/h/.local/state/pelmora", false},  // a relative state folder is ignored
      {std::nullopt, std::nullopt, "/h", "/h/.local/state/pelmora", false},
      {"logs", std::nullopt, std::nullopt, "logs", true},
      {std::nullopt, "", "", "", false},
  };
  for (const auto& c : kCases) {
    Environment env(c.logDir, c.stateHome, c.home);
    const LogFolder folder = FindLogFolder();
    EXPECT_EQ(folder.path, c.path);
    EXPECT_EQ(folder.named, c.named) << c.path;
  }
}

TEST(LogFolder, LogFilesGoToTheStateFolderMadeWhenMissingNeverTheWorkingFolder) {
  TempDir dir;
  // A working folder of the test's own: one an older program logged into proves nothing.
  const std::filesystem::path before = std::filesystem::current_path();
  std::filesystem::create_directory(dir.File("work"));
  std::filesystem::current_path(dir.File("work"));
  for (const bool xdg : {true, false}) {
    SCOPED_TRACE(xdg ? "XDG_STATE_HOME" : "HOME");
    const std::string base = dir.File(xdg ? "state" : "home");
    const std::string folder = xdg ? base + "/pelmora" : base + "/.local/state/pelmora";
    std::filesystem::create_directory(base);
    Environment env(std::nullopt, xdg ? std::optional(base) : std::nullopt, base);
    ConsolePipe p;
    p.Line("to the state folder");
    p.Log().Flush();
    EXPECT_EQ(ReadFile(folder + "/Xout.log"), "Info  to the state folder\n");
    EXPECT_EQ(p.Log().FilePath(), folder + "/Xout.log");
    EXPECT_EQ(ModeOf(folder), 0700u);  // state is the user's own
    EXPECT_EQ(ModeOf(xdg ? folder : base + "/.local"), 0700u);
    EXPECT_EQ(access("Xout.log", F_OK), -1);
  }
  std::filesystem::current_path(before);
}

// A home or state folder that is not there (root's HOME=/nonexistent) is never made: no log files, said
// once, and nothing new on disk.
TEST(LogFolder, MissingHomeOrStateFolderIsNotMade) {
  TempDir dir;
  for (const bool xdg : {true, false}) {
    SCOPED_TRACE(xdg ? "XDG_STATE_HOME" : "HOME");
    const std::string base = dir.File(xdg ? "nostate" : "nohome");
    const std::string folder = xdg ? base + "/pelmora" : base + "/.local/state/pelmora";
    Environment env(std::nullopt, xdg ? std::optional(base) : std::nullopt, base);
    ConsolePipe out, err;
    out.Line("one");
    err.Line("two");
    EXPECT_EQ(out.Console(), "Warn  LogPipe::Open: cannot make the log folder \"" + folder +
                                 "\": No such file or directory; the run goes on without log files.\nInfo  one\n");
    EXPECT_EQ(err.Console(), "Info  two\n");
    EXPECT_EQ(out.Log().FilePath(), "");
    EXPECT_EQ(access(base.c_str(), F_OK), -1);
    EXPECT_EQ(MakeLogFolder(folder, base), ENOENT);
    EXPECT_EQ(MakeLogFolder(folder, dir.Path()), 0);  // the same tail below a folder that is there
  }
}

TEST(LogFolder, NamedFolderIsMadeWithTheFoldersAboveIt) {
  TempDir dir;
  const std::string folder = dir.File("a/b/c");
  Environment env(folder + "/", std::nullopt, std::nullopt);  // a trailing slash too
  ConsolePipe p;
  p.Line("deep");
  p.Log().Flush();
  EXPECT_EQ(ReadFile(folder + "/Xout.log"), "Info  deep\n");
  EXPECT_EQ(p.Console(), "Info  deep\n");
  EXPECT_EQ(MakeLogFolder(folder), 0);  // already there
}

// A folder that cannot be made: one line for both pipes, the console goes on. Losing a named folder is an
// error report; losing the default one only a warning, so a host without room for state still runs.
TEST(LogFolder, FolderThatCannotBeMadeIsSaidOnceAndTheConsoleGoesOn) {
  TempDir dir;
  WriteFile(dir.File("file"), "not a folder");
  const std::string named = dir.File("file/logs"), home = dir.File("file");
  const struct {
    std::optional<std::string> logDir, home;
    std::string said;
    uint64_t errors;
  } kCases[] = {
      {named, std::nullopt,
       "Error LogPipe::Open: cannot make the log folder \"" + named +
           "\": Not a directory; the run goes on without log files.\n",
       1},
      {std::nullopt, home,
       "Warn  LogPipe::Open: cannot make the log folder \"" + home +
           "/.local/state/pelmora\": Not a directory; the run goes on without log files.\n",
       0},
      {std::nullopt, std::nullopt,
       "Warn  LogPipe::Open: no folder for the log files (PM_LOG_DIR, XDG_STATE_HOME and HOME are unset); the run "
       "goes on without them.\n",
       0},
  };
  for (const auto& c : kCases) {
    Environment env(c.logDir, std::nullopt, c.home);
    const uint64_t before = ErrorReportCount();
    ConsolePipe out, err;
    out.Line("one");
    out.Line("two");
    err.Line("three");
    EXPECT_EQ(out.Console(), c.said + "Info  one\nInfo  two\n");
    EXPECT_EQ(err.Console(), "Info  three\n");
    EXPECT_EQ(out.Log().FilePath(), "");
    EXPECT_EQ(ErrorReportCount() - before, c.errors);
  }
  EXPECT_EQ(MakeLogFolder(named), ENOTDIR);
  EXPECT_EQ(MakeLogFolder(""), ENOENT);
}

}  // namespace
}  // namespace PM
