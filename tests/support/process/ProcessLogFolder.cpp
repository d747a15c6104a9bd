// Compiled into every test program (an interface source of pm_testsupport): the program's log files go
// to a fresh temporary folder of its own, removed when it ends, so that tests running side by side
// never share a log file and none lands in the user's state folder. A PM_LOG_DIR given from outside is
// kept.
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <string>

#include "support/TestEnv.h"

namespace PM::Test {
namespace {

class OwnLogFolder {
 public:
  OwnLogFolder() {
    if (const char* given = std::getenv("PM_LOG_DIR"); given && *given) return;
    std::error_code e;
    std::string name = (std::filesystem::temp_directory_path(e) / "pmlogs.XXXXXX").string();
    if (e || !mkdtemp(name.data())) return;
    m_owner = getpid();
    m_path = ProcessLogFolder() = name;
    setenv("PM_LOG_DIR", name.c_str(), 1);
  }
  ~OwnLogFolder() {
    // A forked child that ends through exit() leaves the folder to the test that made it.
    if (m_path.empty() || getpid() != m_owner) return;
    std::error_code e;
    std::filesystem::remove_all(m_path, e);
  }

 private:
  std::string m_path;
  pid_t m_owner = 0;
};

const OwnLogFolder g_folder;

}  // namespace
}  // namespace PM::Test
