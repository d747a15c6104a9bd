// TexturePath: where the image file a material names is, as modelling packages write those names: Windows
// separators, Blender's "//" for the model's folder, other letter cases than the file system's, folders
// that moved.
#pragma once

#include <string>
#include <vector>

namespace PM::Import {

// The paths a texture `name` of a model in `folder` is looked for at, in order, each once, without
// touching the file system (so that a caller can confine each to where a model may read): the name as
// written (relative to `folder` unless absolute); with "\" as "/"; relative to `folder` when it begins
// with "\" or "/" (a drive's root on another machine) or Blender's "//" (the model's folder); its base
// name in `folder`. None for an empty name or an embedded texture's ("*0").
std::vector<std::string> TextureCandidates(const std::string& folder, const std::string& name);

// The file `name` stands for, for a model in `folder`, or "" when there is none: the first of
// TextureCandidates that is a file, first exactly, then matching every path component without regard to
// ASCII letter case.
std::string FindTextureFile(const std::string& folder, const std::string& name);

}  // namespace PM::Import
