// AssetRoot: the folder a model's reader may read beneath (by default the model's own folder). Every file
// the reader opens for a model (the model, its buffers, materials, textures, included files) is opened
// through it: a path that leaves the root, by "..", by an absolute path or by a symbolic link, and
// anything that is not a regular file (a FIFO, a device, a folder) is refused with one warning.
#pragma once

#include <cstdint>
#include <cstdio>
#include <functional>
#include <set>
#include <string>

namespace PM::Import {

class AssetRoot {
 public:
  // `folder` as the system resolves it (symbolic links followed); empty when it does not exist.
  explicit AssetRoot(const std::string& folder);

  const std::string& Folder() const { return m_folder; }

  // Opens `path` for reading, or answers null: when it does not exist (silently), or when it is refused
  // (warned once a path, through the warning callback).
  FILE* Open(const std::string& path);
  // Whether Open would open `path` (a refusal is warned as Open warns it).
  bool Exists(const std::string& path);
  // The resolved form of `path` when it is a file Open would open, else "" (the same file named two ways
  // resolves alike).
  std::string Resolve(const std::string& path);

  // Where refusals go: one sentence naming the path and the root.
  std::function<void(const std::string&)> warn;
  // Told each file opened (resolved) and its size, for the memory budget that follows what the model names.
  std::function<void(const std::string&, uint64_t)> opened;

 private:
  bool Refuse(const std::string& path, const char* reason);

  std::string m_folder;
  std::set<std::string> m_warned;
};

// The folder holding `file` (the model's default root).
std::string FolderOf(const std::string& file);

}  // namespace PM::Import
