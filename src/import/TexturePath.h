// TexturePath: where the image file a material names is, as modelling packages write those names: Windows
// separators, Blender's "//" for the model's folder, other letter cases than the file system's, folders
// that moved.
#pragma once

#include <string>

namespace PM::Import {

// The file `name` stands for, for a model in `folder`, or "" when there is none. Tried in turn: the name as
// given (relative to `folder` unless absolute), then its bare file name in `folder`; each first exactly,
// then matching every path component without regard to ASCII letter case.
std::string FindTextureFile(const std::string& folder, const std::string& name);

}  // namespace PM::Import
