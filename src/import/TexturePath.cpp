#include "import/TexturePath.h"

#include <algorithm>
#include <filesystem>
#include <system_error>
#include <vector>

namespace PM::Import {

namespace {

namespace fs = std::filesystem;

// Bounds on what one look-up reads: path components, and directory entries a component scans.
constexpr size_t kMaxComponents = 64;
constexpr size_t kMaxEntries = 100000;

bool IsFile(const fs::path& p) {
  std::error_code ec;
  return fs::is_regular_file(p, ec);
}

bool SameIgnoringCase(const std::string& a, const std::string& b) {
  return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(), [](char x, char y) {
           auto lower = [](char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c; };
           return lower(x) == lower(y);
         });
}

// `path` with each component that does not exist as written replaced by one of its folder's entries that
// differs only in letter case, or "" when some component has none.
fs::path ResolveIgnoringCase(const fs::path& path) {
  fs::path at = path.root_path();
  size_t components = 0;
  for (const fs::path& part : path.relative_path()) {
    if (++components > kMaxComponents) return {};
    const std::string name = part.string();
    std::error_code ec;
    if (name == "." || name == ".." || fs::exists(at / part, ec)) {
      at /= part;
      continue;
    }
    fs::path found;
    size_t entries = 0;
    for (fs::directory_iterator it(at.empty() ? fs::path(".") : at, ec), end; !ec && it != end && found.empty();
         it.increment(ec)) {
      if (++entries > kMaxEntries) return {};
      if (SameIgnoringCase(it->path().filename().string(), name)) found = it->path().filename();
    }
    if (found.empty()) return {};
    at /= found;
  }
  return at;
}

}  // namespace

std::vector<std::string> TextureCandidates(const std::string& folder, const std::string& given) {
  std::vector<std::string> out;
  if (given.empty() || given[0] == '*') return out;
  auto add = [&](const fs::path& p) {
    const std::string text = p.string();
    if (!text.empty() && std::find(out.begin(), out.end(), text) == out.end()) out.push_back(text);
  };
  auto placed = [&](const std::string& name) {
    const fs::path p(name);
    return p.is_absolute() ? p : fs::path(folder) / p;
  };
  add(placed(given));
  std::string slashed = given;
  std::replace(slashed.begin(), slashed.end(), '\\', '/');
  add(placed(slashed));
  // A root of another machine ("\..\LWO\x.jpg", "/x.jpg") or Blender's "//": the model's folder.
  if (slashed[0] == '/') {
    const size_t rest = slashed.find_first_not_of('/');
    if (rest != std::string::npos) add(fs::path(folder) / slashed.substr(rest));
  }
  if (const fs::path base = fs::path(slashed).filename(); !base.empty() && base != "." && base != "..")
    add(fs::path(folder) / base);
  return out;
}

std::string FindTextureFile(const std::string& folder, const std::string& given) {
  const std::vector<std::string> tries = TextureCandidates(folder, given);
  for (const std::string& p : tries)
    if (IsFile(p)) return p;
  for (const std::string& p : tries)
    if (const fs::path found = ResolveIgnoringCase(fs::path(p).lexically_normal()); !found.empty() && IsFile(found))
      return found.string();
  return {};
}

}  // namespace PM::Import
