#include "support/TestEnv.h"

#include <sys/wait.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>

namespace PM::Test {

char g_processLogFolder[4096];

TempDir::TempDir() {
  std::string tmpl = (std::filesystem::temp_directory_path() / "pmtest.XXXXXX").string();
  char* p = mkdtemp(tmpl.data());
  m_path = p ? p : "";
}

TempDir::~TempDir() {
  if (m_path.empty()) return;
  if (const char* logs = std::getenv("PM_LOG_DIR"); logs && logs == m_path) {
    if (g_processLogFolder[0] == 0)
      unsetenv("PM_LOG_DIR");
    else
      setenv("PM_LOG_DIR", g_processLogFolder, 1);
  }
  std::error_code ec;
  std::filesystem::remove_all(m_path, ec);
}

std::string ReadFile(const std::string& path) {
  std::ifstream f(path, std::ios::binary);
  std::stringstream s;
  s << f.rdbuf();
  return s.str();
}

void WriteFile(const std::string& path, const std::string& bytes) {
  std::ofstream f(path, std::ios::binary | std::ios::trunc);
  f.write(bytes.data(), std::streamsize(bytes.size()));
}

int RunInChild(void (*fn)(void*), void* arg) {
  fflush(nullptr);
  pid_t pid = fork();
  if (pid == 0) {
    fn(arg);
    _exit(0);
  }
  int status = 0;
  waitpid(pid, &status, 0);
  return status;
}

}  // namespace PM::Test
