// Compiled into every test program (an interface source of pm_testsupport): the program's log files go
// to a fresh temporary folder of its own, removed when it ends, so that tests running side by side
// never share a log file and none lands in the user's state folder. A PM_LOG_DIR given from outside is
// kept.
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>

#include "support/TestEnv.h"

namespace PM::Test {
namespace {

// Before main and without the heap: LeakSanitizer (GCC 12) can crash scanning dynamic TLS at exit when
// the heap's early layout shifts (it did here, one run in five, with a std::string made at this point).
class OwnLogFolder {
 public:
  OwnLogFolder() {
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
  ~OwnLogFolder() {
    // A forked child that ends through exit() leaves the folder to the program that made it.
    if (m_owner == 0 || getpid() != m_owner) return;
    std::error_code e;
    std::filesystem::remove_all(g_processLogFolder, e);
  }

 private:
  pid_t m_owner = 0;
};

const OwnLogFolder g_folder;

}  // namespace
}  // namespace PM::Test
