// The log pipes: level test, prefixes, colours, the file cut.
#include <fcntl.h>
#include <poll.h>
#include <sys/stat.h>
#include <unistd.h>

#include <filesystem>

#include "LogTestUtil.h"
#include "core/Trace.h"

namespace PM {
namespace {

using Test::LogDir;
using Test::ReadFile;

// '#' in the pattern stands for a decimal digit, '%' for an upper-case hex digit.
bool Like(const std::string& s, const std::string& pattern) {
  if (s.size() != pattern.size()) return false;
  for (size_t i = 0; i < s.size(); ++i) {
    if (pattern[i] == '#'   ? !isdigit(uint8_t(s[i]))
        : pattern[i] == '%' ? !(isdigit(uint8_t(s[i])) || (s[i] >= 'A' && s[i] <= 'F'))
                            : pattern[i] != s[i])
      return false;
  }
  return true;
}

struct LevelGuard {
  ~LevelGuard() { g_LogLevel = 0; }
};

TEST(LogPipe, LevelFiveSuppressesWarnAndBelowButFatalAlwaysWrites) {
  LogDir dir;
  LevelGuard guard;
  g_LogLevel = 5;
  LogDebug("d");
  LogInfo("i");
  LogNote("n");
  LogWarn("w");
  LogError("e ", 6);
  LogFatal("f");
  g_LogLevel = 7;
  LogError("hidden");
  LogFatal("still");
  Log(LogOutPipe(), kLevelFatal, "out");
  EXPECT_EQ(dir.Err(), "Error e 6\nFATAL f\nFATAL still\n");
  EXPECT_EQ(dir.Out(), "FATAL out\n");
}

// A private pipe writing only to a file of its own.
struct FilePipe {
  Test::TempDir dir;
  StreamPipeRef ref{NewCounted<LogPipe>()};
  LogPipe& pipe() { return *static_cast<LogPipe*>(ref.Get()); }
  FilePipe() { pipe().Open(dir.File("p.log").c_str()); }
  std::string Text() {
    ref.Flush();
    return ReadFile(dir.File("p.log"));
  }
  void Line(int level, const char* text) {
    ref->BeginMessage(level);
    ref.WriteText(text).EndLine();
    ref->EndMessage();
  }
};

TEST(LogPipe, LevelWordsAndPrefixForms) {
  FilePipe f;
  for (int level = kLevelDebug; level <= kLevelFatal; ++level) f.Line(level, "x");
  f.Line(0, "plain");
  EXPECT_EQ(f.Text(), "Debug x\nInfo  x\nNote  x\nWarn  x\nError x\nFATAL x\nplain\n");

  f.pipe().SetPrefixFlags(kPrefixBrackets | kPrefixLetter);
  f.Line(kLevelWarn, "a");
  f.Line(0, "b");  // nothing to put in brackets
  f.pipe().SetPrefixFlags(kPrefixBrackets | kPrefixWord | kPrefixLetter | kPrefixTime | kPrefixThread);
  f.Line(kLevelInfo, "c");
  f.pipe().SetPrefixFlags(kPrefixLetter | kPrefixIndent);
  TraceEnter("one");
  TraceEnter("two");
  f.Line(kLevelError, "d");
  TraceLeave("two");
  TraceLeave("one");
  f.Line(kLevelError, "e");
  std::string text = f.Text();
  text = text.substr(text.find("plain\n") + 6);
  EXPECT_TRUE(Like(text, "[W] a\nb\n[Info  ##:##:##.### %%%%%%%%] c\nE     d\nE e\n")) << text;
}

TEST(LogPipe, FilePastItsLimitHoldsOneCutAndReopeningStartsAfresh) {
  FilePipe f;
  f.pipe().SetFileLimit(100);
  for (int i = 0; i < 40; ++i) f.Line(kLevelInfo, "0123456789");  // 17 bytes each
  std::string text = f.Text();
  EXPECT_EQ(text.size(), 6 * 17 + 8u);  // messages are whole: the one begun under the limit is kept
  EXPECT_EQ(text.substr(text.size() - 8), "[=CUT=]\n");
  EXPECT_EQ(text.find("[=CUT=]"), text.rfind("[=CUT=]"));
  EXPECT_EQ(f.pipe().CrashFd(), -1);

  f.pipe().CloseFile();
  f.Line(kLevelInfo, "again");
  EXPECT_EQ(f.Text(), "Info  again\n");
}

TEST(LogPipe, FileGoesToLogDirAndConsoleTargetsAreNamed) {
  LogDir dir;
  LogInfo("to the error log");
  Log(LogOutPipe(), kLevelInfo, "to the output log");
  EXPECT_EQ(dir.Err(), "Info  to the error log\n");
  EXPECT_EQ(dir.Out(), "Info  to the output log\n");
  EXPECT_EQ(ErrLogPipe().FilePath(), dir.File("Xerr.log"));
  LogPipe p;
  EXPECT_TRUE(p.Open("1>console"));
  EXPECT_FALSE(p.Open(""));
}

// What arrives on fd until nothing more comes for a while (a terminal hands its bytes on with a delay).
std::string ReadAvailable(int fd) {
  std::string s;
  char buf[256];
  pollfd p{fd, POLLIN, 0};
  for (ssize_t n; poll(&p, 1, 200) > 0 && (n = read(fd, buf, sizeof buf)) > 0;) s.append(buf, size_t(n));
  return s;
}

// A log name someone else planted a link, FIFO or folder under: the pipe refuses it and says why on
// its console, and nothing outside the log folder changes.
TEST(LogPipe, LinksFifosAndFoldersUnderTheLogNameAreRefused) {
  namespace fs = std::filesystem;
  enum Plant { kLinkToVictim, kDangling, kHardLink, kFifo, kLinkToNull, kFolder };
  const struct {
    Plant plant;
    const char* reason;
  } cases[] = {
      {kLinkToVictim, "it is a symbolic link"}, {kDangling, "it is a symbolic link"},
      {kHardLink, "it has other hard links"},   {kFifo, "it is not a regular file (a device, FIFO or socket)"},
      {kLinkToNull, "it is a symbolic link"},   {kFolder, "Is a directory"},
  };
  for (const auto& c : cases) {
    PM::Test::TempDir logs, outside;
    PM::Test::WriteFile(outside.File("victim"), "keep");
    std::string name = logs.File("Xerr.log");
    switch (c.plant) {
      case kLinkToVictim:
        fs::create_symlink(outside.File("victim"), name);
        break;
      case kDangling:
        fs::create_symlink(outside.File("new"), name);
        break;
      case kHardLink:
        fs::create_hard_link(outside.File("victim"), name);
        break;
      case kFifo:
        ASSERT_EQ(mkfifo(name.c_str(), 0644), 0);
        break;
      case kLinkToNull:
        fs::create_symlink("/dev/null", name);
        break;
      case kFolder:
        fs::create_directory(name);
        break;
    }
    int console[2];
    ASSERT_EQ(pipe2(console, O_NONBLOCK), 0);
    {
      StreamPipeRef ref(NewCounted<LogPipe>());
      static_cast<LogPipe*>(ref.Get())->OpenConsole(console[1]);
      ASSERT_TRUE(static_cast<LogPipe*>(ref.Get())->Open(name.c_str()));
      Log(ref, kLevelError, "a line for the file");
      ref.Flush();
    }
    std::string said = ReadAvailable(console[0]);
    EXPECT_NE(said.find("Error LogPipe::Open: cannot open \"" + name + "\": " + c.reason + ".\n"), std::string::npos)
        << said;
    EXPECT_NE(said.find("Error a line for the file\n"), std::string::npos) << said;
    EXPECT_EQ(ReadFile(outside.File("victim")), "keep") << c.reason;
    EXPECT_FALSE(fs::exists(outside.File("new")));
    close(console[0]);
    close(console[1]);
  }
}

TEST(LogPipe, ColoursOnlyOnATerminal) {
  int master = posix_openpt(O_RDWR | O_NOCTTY);
  ASSERT_GE(master, 0);
  ASSERT_EQ(grantpt(master), 0);
  ASSERT_EQ(unlockpt(master), 0);
  int tty = open(ptsname(master), O_RDWR | O_NOCTTY);
  ASSERT_GE(tty, 0);
  int pipeFds[2];
  ASSERT_EQ(pipe2(pipeFds, O_NONBLOCK), 0);
  fcntl(master, F_SETFL, O_NONBLOCK);

  for (int fd : {tty, pipeFds[1]}) {
    StreamPipeRef ref(NewCounted<LogPipe>());
    static_cast<LogPipe*>(ref.Get())->OpenConsole(fd);
    Log(ref, kLevelWarn, "careful");
    ref->BeginMessage(0);
    ref.SetColor(11, 0).WriteText("where").SetColor(7, 0).WriteText(" what").EndLine();
    ref->EndMessage();
  }
  std::string onTty = ReadAvailable(master);
  EXPECT_NE(onTty.find("\x1b[93;40mWarn  careful"), std::string::npos) << onTty;
  EXPECT_NE(onTty.find("\x1b[96;40mwhere\x1b[0m what"), std::string::npos) << onTty;
  EXPECT_EQ(ReadAvailable(pipeFds[0]), "Warn  careful\nwhere what\n");
  for (int fd : {master, tty, pipeFds[0], pipeFds[1]}) close(fd);
}

TEST(LogPipe, ProcessPipesAddNoBlocksOfTheirOwn) {
  long live = LiveBlockCount();
  LogDir dir;
  LogError("no blocks ", 1);
  EXPECT_EQ(LiveBlockCount(), live);
  EXPECT_EQ(PrintPipe().Get(), LogOutPipe().Get());
  EXPECT_TRUE(DiscardPipe().IsNull());
}

}  // namespace
}  // namespace PM
