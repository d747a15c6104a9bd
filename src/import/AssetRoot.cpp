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

// Where a path that does not exist would be: its deepest folder that exists as the system resolves it
// (a folder reached through a link lies where the link leads), then the rest as letters say.
std::string WouldBe(const std::string& path) {
  constexpr int kMostComponents = 64;
  std::string normal = Normal(Absolute(path));
  std::string at = normal;
  for (int i = 0; i < kMostComponents && at != "/"; ++i) {
    at = FolderOf(at);
    if (const std::string real = RealPath(at); !real.empty())
      return (real == "/" ? std::string() : real) + normal.substr(at == "/" ? 0 : at.size());
  }
  return normal;
}

// What a file that is not a regular one is, for the warning.
const char* KindOf(const std::string& path) {
  struct stat s {};
  return stat(path.c_str(), &s) != 0 ? "a file of another kind" : FileKindOf(s.st_mode);
}

constexpr size_t kMaxWarned = 1000;

}  // namespace

const char* FileKindOf(mode_t mode) {
  return S_ISDIR(mode) ? "a folder" : S_ISFIFO(mode) ? "a FIFO" : S_ISSOCK(mode) ? "a socket" : "a device";
}

std::string FolderOf(const std::string& file) {
  const size_t slash = file.rfind('/');
  return slash == std::string::npos ? "." : slash == 0 ? "/" : file.substr(0, slash);
}

ModelPlace PlaceOf(const std::string& file) {
  const std::string real = RealPath(file), named = RealPath(FolderOf(file));
  if (real.empty() || named.empty() || FolderOf(real) == named) return {file, FolderOf(file), {}};
  return {real, FolderOf(real), FolderOf(file)};
}

AssetRoot::AssetRoot(const std::string& folder) : m_folders{RealPath(folder)} {}

AssetRoot::AssetRoot(const std::vector<std::string>& folders, const std::vector<std::string>& textureFolders)
    : m_folders{folders.empty() ? std::string() : RealPath(folders.front())} {
  // A texture folder that is a file was warned of and is skipped: confining the reader to it would fail.
  auto add = [](std::vector<std::string>& to, const std::string& folder) {
    struct stat s {};
    if (std::string real = RealPath(folder); !real.empty() && stat(real.c_str(), &s) == 0 && S_ISDIR(s.st_mode) &&
                                             std::find(to.begin(), to.end(), real) == to.end())
      to.push_back(std::move(real));
  };
  for (size_t i = 1; i < folders.size(); ++i) add(m_folders, folders[i]);
  for (const std::string& folder : textureFolders) add(m_textureFolders, folder);
}

bool AssetRoot::Allowed(const std::string& resolved, PathUse use) const {
  auto beneath = [&](const std::string& folder) { return Beneath(resolved, folder); };
  return std::any_of(m_folders.begin(), m_folders.end(), beneath) ||
         (use == PathUse::kTexture && std::any_of(m_textureFolders.begin(), m_textureFolders.end(), beneath));
}

std::string AssetRoot::Check(const std::string& path, PathUse use, Refusal& why) const {
  why = Refusal::kNone;
  if (path.empty()) return {};
  std::string resolved = RealPath(path);
  if (resolved.empty()) {
    // A name that does not exist is no refusal (readers try names in turn), unless it would leave the root.
    if (!Allowed(WouldBe(path), use)) why = Refusal::kOutside;
    return {};
  }
  if (!Allowed(resolved, use)) return why = Refusal::kOutside, std::string();
  struct stat s {};
  if (stat(resolved.c_str(), &s) != 0) return {};
  if (!S_ISREG(s.st_mode)) return why = Refusal::kNotRegular, std::string();
  return resolved;
}

void AssetRoot::Warn(const std::string& path, Refusal why, PathUse use) {
  if (why == Refusal::kNone || path.empty()) return;
  // Once a file, however a reader spells it; Assimp tries cut forms of a name it failed to open as well
  // (a start of the same path), which are not warned again.
  const std::string key = Normal(Absolute(path));
  const auto after = m_warned.lower_bound(key);
  // A file that exists is warned by its own name even when a warned name starts with it.
  const bool exists = access(key.c_str(), F_OK) == 0;
  if (!exists && after != m_warned.end() && after->compare(0, key.size(), key) == 0) return;
  if (!warn || m_warned.size() >= kMaxWarned || !m_warned.insert(key).second) return;
  const std::string named = "\"" + InertText(path) + "\" is not opened: ";
  if (why == Refusal::kNotRegular) return warn(named + "it is not a regular file (" + KindOf(path) + ").");
  std::string root;
  for (size_t i = 0; i < m_folders.size(); ++i)
    root += (i == 0 ? "\"" : i + 1 < m_folders.size() ? ", \"" : " and \"") + InertText(m_folders[i]) + "\"";
  warn(named + "it lies outside the asset root " + root + " (ImportModel's second argument widens the root" +
       (use == PathUse::kTexture
            ? "; ImportModel's third argument or ImportOptions::texturePath looks for textures elsewhere too)."
            : ")."));
}

bool AssetRoot::Refused(const std::string& path) const {
  return !path.empty() && m_warned.count(Normal(Absolute(path))) > 0;
}

std::string AssetRoot::Resolve(const std::string& path, PathUse use) {
  Refusal why = Refusal::kNone;
  std::string resolved = Check(path, use, why);
  Warn(path, why, use);
  return resolved;
}

bool AssetRoot::Exists(const std::string& path) { return !Resolve(path).empty(); }

FILE* AssetRoot::Open(const std::string& path, PathUse use) {
  const std::string resolved = Resolve(path, use);
  if (resolved.empty()) return nullptr;
  // Opened without waiting (a FIFO put in the file's place since would block) and looked at again.
  const int fd = open(resolved.c_str(), O_RDONLY | O_NONBLOCK | O_NOFOLLOW | O_CLOEXEC);
  if (fd < 0) return nullptr;
  struct stat s {};
  if (fstat(fd, &s) != 0 || !S_ISREG(s.st_mode)) {
    close(fd);
    Warn(path, Refusal::kNotRegular, use);
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
