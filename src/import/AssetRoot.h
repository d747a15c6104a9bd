// AssetRoot: the folders a model's reader may read beneath (by default the model's own folder). Every file
// the reader opens for a model (the model, its buffers, materials, textures, included files) is opened
// through it: a path that leaves the root, by "..", by an absolute path or by a symbolic link, and
// anything that is not a regular file (a FIFO, a device, a folder) is refused with one warning. Textures
// may also come from the folders of the texture path.
#pragma once

#include <sys/types.h>
#include <cstdint>
#include <cstdio>
#include <functional>
#include <set>
#include <string>
#include <vector>

namespace PM::Import {

// Why a path is not opened.
enum class Refusal : uint8_t {
  kNone,
  kOutside,     // it lies outside the asset root (and, for a texture, the texture path)
  kNotRegular,  // a FIFO, a socket, a device or a folder
};

// What a path is opened for: a texture may also lie beneath a folder of the texture path.
enum class PathUse : uint8_t { kModel, kTexture };

class AssetRoot {
 public:
  // `folder` as the system resolves it (symbolic links followed); empty when it does not exist.
  explicit AssetRoot(const std::string& folder);
  // The root of several folders, the first of which is named in messages, and the folders textures may
  // come from besides; folders that do not exist are left out (the first is then empty).
  AssetRoot(const std::vector<std::string>& folders, const std::vector<std::string>& textureFolders);

  const std::string& Folder() const { return m_folders.front(); }
  const std::vector<std::string>& Folders() const { return m_folders; }
  const std::vector<std::string>& TextureFolders() const { return m_textureFolders; }

  // Opens `path` for reading, or answers null: when it does not exist (silently), or when it is refused
  // (warned once a path, through the warning callback).
  FILE* Open(const std::string& path, PathUse use = PathUse::kModel);
  // Whether Open would open `path` (a refusal is warned as Open warns it).
  bool Exists(const std::string& path);
  // The resolved form of `path` when it is a file Open would open, else "" (the same file named two ways
  // resolves alike).
  std::string Resolve(const std::string& path, PathUse use = PathUse::kModel);
  // As Resolve, without warning: `why` says why "" was answered for a path that exists (kNone when it
  // does not, unless its letters alone leave the root).
  std::string Check(const std::string& path, PathUse use, Refusal& why) const;
  // Warns of the refusal of `path`, once a file however it is spelled.
  void Warn(const std::string& path, Refusal why, PathUse use);
  // Whether a refusal of `path` was warned.
  bool Refused(const std::string& path) const;

  // Where refusals go: one sentence naming the path, the root and how to widen it.
  std::function<void(const std::string&)> warn;
  // Told each file opened (resolved) and its size, for the memory budget that follows what the model names.
  std::function<void(const std::string&, uint64_t)> opened;

 private:
  bool Allowed(const std::string& resolved, PathUse use) const;

  std::vector<std::string> m_folders, m_textureFolders;
  std::set<std::string> m_warned;
};

// What a file of `mode` that is not a regular file is, as messages name it: "a folder", "a FIFO", "a socket"
// or "a device".
const char* FileKindOf(mode_t mode);

// The folder holding `file` (the model's default root).
std::string FolderOf(const std::string& file);

// Where a model named `file` lies: `file` itself, unless it is a symbolic link to a file in another
// folder: then the real file, whose folder holds what the model names, and the link's own folder.
struct ModelPlace {
  std::string file;        // what the reader reads
  std::string folder;      // the folder of `file`: the model's own
  std::string linkFolder;  // the folder of the link named, when it leads elsewhere, else ""
};
ModelPlace PlaceOf(const std::string& file);

}  // namespace PM::Import
