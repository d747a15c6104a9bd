#include "import/AssetRoot.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cstdlib>
#include <memory>

#include "import/InertText.h"

namespace PM::Import {

namespace {

std::string RealPath(const std::string& path) {
  std::unique_ptr<char, void (*)(void*)> resolved(realpath(path.c_str(), nullptr), std::free);
  return resolved ? std::string(resolved.get()) : std::string();
}

// Whether `path` (resolved) is `folder` or lies beneath it.
bool Beneath(const std::string& path, const std::string& folder) {
  if (folder.empty()) return false;
  if (folder == "/") return true;
  return path.size() > folder.size() && path.compare(0, folder.size(), folder) == 0 && path[folder.size()] == '/';
}

// `absolute` without "." and ".." components nor repeated separators, as letters alone say.
std::string Normal(const std::string& absolute) {
  std::string normal;
  for (size_t at = 0; at <= absolute.size();) {
    size_t end = absolute.find('/', at);
    if (end == std::string::npos) end = absolute.size();
    const std::string part = absolute.substr(at, end - at);
    if (part == "..")
      normal.erase(std::min(normal.size(), normal.rfind('/')));
    else if (!part.empty() && part != ".")
      normal += "/" + part;
    at = end + 1;
  }
  return normal.empty() ? "/" : normal;
}

std::string Absolute(const std::string& path) { return path[0] == '/' ? path : RealPath(".") + "/" + path; }

constexpr size_t kMaxWarned = 1000;

}  // namespace

std::string FolderOf(const std::string& file) {
  const size_t slash = file.rfind('/');
  return slash == std::string::npos ? "." : slash == 0 ? "/" : file.substr(0, slash);
}

AssetRoot::AssetRoot(const std::string& folder) : m_folder(RealPath(folder)) {}

bool AssetRoot::Refuse(const std::string& path, const char* reason) {
  // Once a file, however a reader spells it; Assimp tries cut forms of a name it failed to open as well
  // (a start of the same path), which are not warned again.
  const std::string key = Normal(Absolute(path));
  const auto after = m_warned.lower_bound(key);
  if (after != m_warned.end() && after->compare(0, key.size(), key) == 0) return false;
  if (warn && m_warned.size() < kMaxWarned && m_warned.insert(key).second)
    warn("\"" + InertText(path) + "\" is not opened: " + reason + " (the asset root is \"" + InertText(m_folder) +
         "\").");
  return false;
}

std::string AssetRoot::Resolve(const std::string& path) {
  if (path.empty()) return {};
  std::string resolved = RealPath(path);
  if (resolved.empty()) {
    // A name that does not exist is no refusal (readers try names in turn), unless its letters alone
    // leave the root.
    if (!Beneath(Normal(Absolute(path)), m_folder)) Refuse(path, "it lies outside the asset root");
    return {};
  }
  if (!Beneath(resolved, m_folder)) return Refuse(path, "it lies outside the asset root"), std::string();
  struct stat s {};
  if (stat(resolved.c_str(), &s) != 0) return {};
  if (!S_ISREG(s.st_mode)) return Refuse(path, "it is not a regular file"), std::string();
  return resolved;
}

bool AssetRoot::Exists(const std::string& path) { return !Resolve(path).empty(); }

FILE* AssetRoot::Open(const std::string& path) {
  const std::string resolved = Resolve(path);
  if (resolved.empty()) return nullptr;
  // Opened without waiting (a FIFO put in the file's place since would block) and looked at again.
  const int fd = open(resolved.c_str(), O_RDONLY | O_NONBLOCK | O_NOFOLLOW | O_CLOEXEC);
  if (fd < 0) return nullptr;
  struct stat s {};
  if (fstat(fd, &s) != 0 || !S_ISREG(s.st_mode)) {
    close(fd);
    Refuse(path, "it is not a regular file");
    return nullptr;
  }
  fcntl(fd, F_SETFL, fcntl(fd, F_GETFL) & ~O_NONBLOCK);
  FILE* file = fdopen(fd, "rb");
  if (!file) {
    close(fd);
    return nullptr;
  }
  if (opened) opened(resolved, static_cast<uint64_t>(s.st_size));
  return file;
}

}  // namespace PM::Import
