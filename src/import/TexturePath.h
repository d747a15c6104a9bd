// TexturePath: where the image file a material names is, as modelling packages write those names: Windows
// separators, Blender's "//" for the model's folder, other letter cases than the file system's, folders
// that moved, and game packs' textures kept in a folder of their own and named by file name alone.
#pragma once

#include <functional>
#include <string>
#include <vector>

#include "import/AssetRoot.h"

namespace PM::Import {

// The paths a texture `name` of a model in `folder` is looked for at, in order, each once, without
// touching the file system (so that a caller can confine each to where a model may read): the name as
// written (relative to `folder` unless absolute); with "\" as "/"; relative to `folder` when it begins
// with "\" or "/" (a drive's root on another machine) or Blender's "//" (the model's folder); its base
// name in `folder`; then its base name in each of `folders`. None for an empty name or an embedded
// texture's ("*0").
std::vector<std::string> TextureCandidates(const std::string& folder, const std::string& name,
                                           const std::vector<std::string>& folders = {});

// The file `name` stands for, for a model in `folder`, or "" when there is none: the first of
// TextureCandidates that `accept` takes, looking in `folder` first exactly, then matching every path
// component without regard to ASCII letter case, then in each of `folders` in turn, exactly and then in
// any case. `accept` is offered each path that exists (a file, a folder, a FIFO), each once; by default it
// takes regular files.
std::string FindTextureFile(const std::string& folder, const std::string& name,
                            const std::vector<std::string>& folders = {},
                            const std::function<bool(const std::string&)>& accept = {});

// The folders, besides the model's own, that the textures of the model named `file` are looked for in by
// base name: the folder of the link named when the model is a link to another folder (PlaceOf), then
// `texturePath`.
std::vector<std::string> TextureFolders(const std::string& file, const std::vector<std::string>& texturePath);

// Where the textures of a model at `place` are looked for: its own folder, then `folders` (TextureFolders).
// The reader searches these, and the warning of a texture it did not find names their candidates.
struct TextureSearch {
  std::string folder;
  std::vector<std::string> folders;
};
TextureSearch TextureSearchOf(const ModelPlace& place, const std::vector<std::string>& texturePath);

}  // namespace PM::Import
