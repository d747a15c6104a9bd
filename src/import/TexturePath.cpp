#include "import/TexturePath.h"

#include <algorithm>
#include <filesystem>
#include <set>
#include <system_error>
#include <vector>

#include "import/AssetRoot.h"

namespace PM::Import {

namespace {

namespace fs = std::filesystem;

// Bounds on what one look-up reads: path components, and directory entries a component scans.
constexpr size_t kMaxComponents = 64;
constexpr size_t kMaxEntries = 100000;

bool IsFile(const std::string& p) {
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

// The name's last component, with "\" as a separator, or "" when it has none that names a file.
std::string BaseName(const std::string& name) {
  std::string slashed = name;
  std::replace(slashed.begin(), slashed.end(), '\\', '/');
  const fs::path base = fs::path(slashed).filename();
  return base.empty() || base == "." || base == ".." ? std::string() : base.string();
}

// The first of `tries` that exists, exactly and then in any letter case, that `accept` takes; each path
// is offered once (`offered`).
std::string FirstTaken(const std::vector<std::string>& tries, const std::function<bool(const std::string&)>& accept,
                       std::set<std::string>& offered) {
  auto take = [&](const std::string& p) { return offered.insert(p).second && accept(p); };
  for (const std::string& p : tries) {
    std::error_code ec;
    if (fs::exists(p, ec) && take(p)) return p;
  }
  for (const std::string& p : tries)
    if (const fs::path found = ResolveIgnoringCase(fs::path(p).lexically_normal()); !found.empty()) {
      std::error_code ec;
      if (fs::exists(found, ec) && take(found.string())) return found.string();
    }
  return {};
}

}  // namespace

std::vector<std::string> TextureCandidates(const std::string& folder, const std::string& given,
                                           const std::vector<std::string>& folders) {
  std::vector<std::string> out;
  if (given.empty() || given[0] == '*') return out;
  std::set<std::string> seen;
  auto add = [&](const fs::path& p) {
    std::string text = p.string();
    if (!text.empty() && seen.insert(text).second) out.push_back(std::move(text));
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
  if (const std::string base = BaseName(given); !base.empty()) {
    add(fs::path(folder) / base);
    for (const std::string& other : folders) add(fs::path(other) / base);
  }
  return out;
}

std::string FindTextureFile(const std::string& folder, const std::string& given,
                            const std::vector<std::string>& folders,
                            const std::function<bool(const std::string&)>& accept) {
  const auto& takes = accept ? accept : IsFile;
  std::set<std::string> offered;
  if (std::string found = FirstTaken(TextureCandidates(folder, given), takes, offered); !found.empty()) return found;
  const std::string base = BaseName(given);
  if (given.empty() || given[0] == '*' || base.empty()) return {};
  for (const std::string& other : folders)
    if (std::string found = FirstTaken({(fs::path(other) / base).string()}, takes, offered); !found.empty())
      return found;
  return {};
}

std::vector<std::string> TextureFolders(const std::string& file, const std::vector<std::string>& texturePath) {
  return TextureSearchOf(PlaceOf(file), texturePath).folders;
}

TextureSearch TextureSearchOf(const ModelPlace& place, const std::vector<std::string>& texturePath) {
  TextureSearch search{place.folder, {}};
  if (!place.linkFolder.empty()) search.folders.push_back(place.linkFolder);
  search.folders.insert(search.folders.end(), texturePath.begin(), texturePath.end());
  return search;
}

}  // namespace PM::Import
