// The log stream: a stream that writes each message with a configurable line prefix to the console
// (with colours when it is a terminal) and to a log file that is cut at a size limit, in the log folder
// (core/LogFolder.h) unless its name is a full path.
#pragma once

#include <atomic>
#include <cstdint>
#include <mutex>
#include <string>

#include "core/StreamPipe.h"

namespace PM {

struct LogFolder;

// Parts of the line prefix, in the order they are written.
enum LogPrefixFlags : uint32_t {
  kPrefixBrackets = 0x01,  // the parts below inside "[" and "]"
  kPrefixLetter = 0x02,    // the level's letter: D I N W E F
  kPrefixWord = 0x04,  // the level's word: "Debug", "Info ", "Note ", "Warn ", "Error", "FATAL" (wins over the letter)
  kPrefixTime = 0x08,  // the UTC time of day, "hh:mm:ss.mmm"
  kPrefixThread = 0x10,  // the thread id, 8 upper-case hex digits
  kPrefixIndent = 0x20,  // two blanks per open trace section of the calling thread
};

constexpr uint32_t kDefaultPrefixFlags = kPrefixWord;
constexpr int64_t kDefaultLogFileLimit = 4 << 20;

// The console colour of each level (console indexes; 7 on 0 is normal).
int LogLevelColor(int level);

class LogPipe : public StreamPipe {
 public:
  LogPipe();
  ~LogPipe() override;

  void Lock() override;
  void Unlock() override;
  int64_t Write(const void* bytes, int64_t n) override;
  int32_t Flush() override;
  void SetColor(int foreground, int background) override;
  void BeginMessage(int level) override;  // level 0: the prefix without a level part
  void EndMessage() override;

  // Adds an output: "1>console" (standard output), "2>console" (standard error), or a log file name
  // (a relative name lies in the log folder, made when missing: PM_LOG_DIR, else the user's state
  // folder). A file is opened, emptied, on the first output after it was named or closed; without a
  // folder the pipe says so once and goes on with its console. Returns false for an empty target.
  bool Open(const char* target);
  void OpenConsole(int fd);  // a console on any descriptor (colours only when it is a terminal)
  void CloseConsole();
  int ConsoleFd();  // -1 without a console
  // While muted (hold Lock() around it), output goes to the file only: a host that puts two log pipes on
  // one console shows a message written to both there once.
  void SetConsoleMuted(bool muted);
  // Closes the file; the next output opens it again (finding the log folder again) and empties it.
  void CloseFile();
  // Opens the file now if it is named and not open (the crash handler wants it ready in advance).
  void OpenFileNow();

  void SetPrefixFlags(uint32_t flags);
  uint32_t PrefixFlags() const { return m_flags.load(std::memory_order_relaxed); }
  // Before each message: once the file holds `bytes` or more, "[=CUT=]" and a line end are written
  // and the file takes nothing more until it is reopened.
  void SetFileLimit(int64_t bytes);

  // The open, uncut log file's descriptor or -1; safe to read in a signal handler.
  int CrashFd() const { return m_crashFd.load(std::memory_order_relaxed); }
  // The full path of the file last opened (empty when none).
  std::string FilePath();

 private:
  void WritePrefix(int level);
  void Drain();
  void EnsureFile();
  bool PrepareFolder(const LogFolder& folder);
  void CheckCut();
  void Emit(const char* bytes, size_t n);

  std::recursive_mutex m_lock;
  std::atomic<uint32_t> m_flags{kDefaultPrefixFlags};
  int m_console = -1;
  bool m_muted = false;
  bool m_consoleTty = false;
  bool m_colored = false;
  std::string m_fileName;
  std::string m_filePath;
  int m_file = -1;
  bool m_fileFailed = false;
  bool m_cut = false;
  int64_t m_fileSize = 0;
  int64_t m_limit = kDefaultLogFileLimit;
  int m_depth = 0;  // nested messages
  std::atomic<int> m_crashFd{-1};
  size_t m_used = 0;
  char m_buf[4096];
};

// The process-wide log pipes as log streams (the same objects as LogOutPipe() and LogErrPipe()).
LogPipe& OutLogPipe();
LogPipe& ErrLogPipe();

}  // namespace PM
