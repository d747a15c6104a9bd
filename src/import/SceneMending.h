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

namespace PM::Import {

struct Scene;
struct Ac3dFile;

// What an AC3D file says that Assimp 5.2 drops, put back into the scene it gave: each material's sidedness
// from its surfaces' SURF flags (two-sided where any of its polygons is), and the place (`loc`) of each
// object of lines alone, which Assimp leaves at its parent's origin. Returns one sentence naming the
// objects placed, or "".
std::string MendAc3dScene(Scene& scene, const Ac3dFile& file);

}  // namespace PM::Import
