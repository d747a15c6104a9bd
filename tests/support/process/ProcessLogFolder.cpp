// Compiled into every test program (an interface source of pm_testsupport): the program's log files go
// to a fresh temporary folder of its own, removed when it ends, so that tests running side by side
// never share a log file and none lands in the user's state folder. A PM_LOG_DIR given from outside is
// kept. Every message is written, as the tests check them (a program's default is warnings and errors).
#include <gtest/gtest.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>

#include "core/Log.h"
#include "support/TestEnv.h"

namespace PM::Test {
namespace {

// Made when the tests start, removed when they end. The removal takes the log files by name: with
// std::filesystem::remove_all there, LeakSanitizer (GCC 12) crashed in a few runs in a hundred while it
// scanned the threads' dynamic TLS at exit ("Tracer caught signal 11"), after every test had passed.
class OwnLogFolder : public ::testing::Environment {
 public:
  void SetUp() override {
    g_LogLevel = 0;  // every message, as the tests check them
    if (const char* given = std::getenv("PM_LOG_DIR"); given && *given) {
      std::snprintf(g_processLogFolder, sizeof g_processLogFolder, "%s", given);
      return;
    }
    const char* tmp = std::getenv("TMPDIR");
    const int n =
        std::snprintf(g_processLogFolder, sizeof g_processLogFolder, "%s/pmlogs.XXXXXX", tmp && *tmp ? tmp : "/tmp");
    if (n <= 0 || size_t(n) >= sizeof g_processLogFolder || !mkdtemp(g_processLogFolder)) {
      g_processLogFolder[0] = 0;
      return;
    }
    m_owner = getpid();
    setenv("PM_LOG_DIR", g_processLogFolder, 1);
  }
  void TearDown() override {
    // A forked child that ends through exit() leaves the folder to the program that made it.
    if (m_owner == 0 || getpid() != m_owner) return;
    // The log files by name, then the folder; a folder that holds more is left to remove_all.
    for (const char* name : {"Xout.log", "Xerr.log"}) {
      char path[sizeof g_processLogFolder + 16];
      std::snprintf(path, sizeof path, "%s/%s", g_processLogFolder, name);
      unlink(path);
    }
    if (rmdir(g_processLogFolder) == 0) return;
    std::error_code e;
    std::filesystem::remove_all(g_processLogFolder, e);
  }

 private:
  pid_t m_owner = 0;
};

const bool kRegistered = (::testing::AddGlobalTestEnvironment(new OwnLogFolder), true);

}  // namespace
}  // namespace PM::Test
