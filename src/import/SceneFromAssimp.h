// SceneFromAssimp: the reader program's copy of an Assimp scene into the scene record: nodes parents first,
// meshes one primitive type each, materials' values, and every texture they name decoded once.
#pragma once

#include <string>
#include <vector>

#include "import/ImportScene.h"

struct aiScene;

namespace PM::Import {
class AssetRoot;
}

namespace PM::Import {

// Fills `scene` from `source`, read from a file in `folder` (where texture files are looked for, then by
// file name in `textureFolders`; they are opened through `root`, and a file named by two paths is decoded
// once). False, with `error`, when the scene exceeds the stream's caps.
bool SceneFromAssimp(const aiScene& source, const std::string& folder, const std::vector<std::string>& textureFolders,
                     AssetRoot& root, Scene& scene, std::string& error);

}  // namespace PM::Import
