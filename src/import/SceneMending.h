// SceneMending: the reader's repair of what a file plainly means but Assimp's validation refuses (a key
// one tick past its clip's end, keys out of order, a clip of no length), and the validation itself, run
// as a step of its own between Assimp's reading and the steps that need a valid scene.
#pragma once

#include <string>

struct aiScene;

namespace Assimp {
class Importer;
}

namespace PM::Import {

// Mends the clips of `scene`: a clip shorter than its last key, or of no length, lasts to its last key;
// each channel's keys are put in time order. Returns one sentence naming what was mended, or "".
std::string MendAnimations(aiScene& scene);

// Assimp's validation of the importer's scene; a scene of animation without a mesh passes it as Assimp's
// own animation-only importers mark theirs (incomplete). Null, with the importer's error string, when the
// validation refuses the scene.
const aiScene* ValidateScene(Assimp::Importer& importer);

}  // namespace PM::Import
