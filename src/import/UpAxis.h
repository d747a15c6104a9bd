// UpAxis: which way is up in a model file, for the import's turn to the engine's Y-up (docs/decisions/import.md,
// "Imported models stand Y-up").
#pragma once

#include <string>

#include "import/ImportScene.h"

struct aiScene;

namespace PM::Import {

// Sets `scene`'s up and front axes and where they come from: Assimp's UpAxis, UpAxisSign, FrontAxis and
// FrontAxisSign metadata where the file gives them, else the convention of the formats that are Z-up and
// that Assimp leaves as the file has them (by `file`'s extension), else +Y.
void ChooseUpAxis(const aiScene& source, const std::string& file, Scene& scene);

}  // namespace PM::Import
