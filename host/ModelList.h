// pm-run --view FILE --list: what a model file holds, told without drawing it.
#pragma once

#include <string>

#include <pelmora/script/object/ScriptEngine.h>

namespace PMHost {

// Imports `file` and prints its summary line, then one line for each clip (its name and length in
// seconds), camera, light and material (with the texture it draws with, the one it names that is not
// drawn and why, or none), the clips in the import's order, the rest in the tree's:
//   clip "NAME" 2.5 s
//   camera "NAME"
//   light "NAME"
//   material "NAME" texture "SOURCE"   or   material "NAME" texture "SOURCE" WHY   or
//   material "NAME" no texture
// where WHY is "not found", "outside the asset root", "not a regular file", "over the reader's memory
// budget" or "not decoded".
// Non-zero (logged) when the import fails.
int ListModel(PM::ScriptEngine* engine, const std::string& file);

// After an import of `file` (viewed or listed): one warning for each cause of textures not drawn that a
// pm-run option reaches (--texture-path, --asset-root, --reader-memory), beside the library's own.
void TellTextureOptions(const std::string& file);

}  // namespace PMHost
