#include "core/LogFolder.h"

#include <sys/stat.h>

#include <algorithm>
#include <cerrno>
#include <cstdlib>

namespace PM {

namespace {

const char* Env(const char* name) {
  const char* value = std::getenv(name);
  return value && *value ? value : nullptr;
}

bool IsFolder(const std::string& path) {
  struct stat s {};
  return ::stat(path.c_str(), &s) == 0 && S_ISDIR(s.st_mode);
}

}  // namespace

LogFolder FindLogFolder() {
  if (const char* dir = Env("PM_LOG_DIR")) return {dir, true, {}};
  // A relative XDG_STATE_HOME is ignored, as the desktop folder convention says.
  if (const char* state = Env("XDG_STATE_HOME"); state && state[0] == '/')
    return {std::string(state) + "/pelmora", false, state};
  if (const char* home = Env("HOME")) return {std::string(home) + "/.local/state/pelmora", false, home};
  return {};
}

int MakeLogFolder(const std::string& path, const std::string& base) {
  if (path.empty()) return ENOENT;
  if (IsFolder(path)) return 0;
  if (!base.empty()) {
    struct stat s {};
    if (path.compare(0, base.size(), base) != 0 || ::stat(base.c_str(), &s) != 0) return ENOENT;
    if (!S_ISDIR(s.st_mode)) return ENOTDIR;
  }
  // One step per component, from the top (or the base): a walk as long as the path's text.
  for (size_t end = path.find('/', std::max<size_t>(base.size(), 1));; end = path.find('/', end + 1)) {
    const std::string part = path.substr(0, end);
    if (!part.empty() && part.back() != '/' && ::mkdir(part.c_str(), 0700) != 0 && errno != EEXIST) return errno;
    if (end == std::string::npos) break;
  }
  return IsFolder(path) ? 0 : ENOTDIR;
}

}  // namespace PM
