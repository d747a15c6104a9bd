// ModelBuilder: turns an imported scene record into engine objects: transform nodes, polygon geometry,
// shaders with their materials and textures, cameras, lights and animation clips. docs/decisions/import.md states how
// materials are converted.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "core/Obj.h"
#include "import/ImportScene.h"
#include "scene/ImportModule.h"
#include "script/object/ScriptObject.h"

namespace PM::Import {

// The name of the transform at the top of every imported model that turns the file's up axis to the
// engine's +Y (the identity for a Y-up file): a script undoes or changes the turn through it.
inline constexpr const char* kModelUpName = "ModelUp";

// The engine's vertical field of view in degrees for the file's camera: the horizontal angle (Assimp's
// importers give the whole angle) over the aspect; an aspect of 0 (none given) counts as 1.
float VerticalFieldOfView(const Camera& c);

// The up turn (a TTransform named kModelUpName) over the root of `scene` (node 0) with its subtree, or nil
// with `error` naming the fault when the record is inconsistent (a parent after its child, an index
// outside its list). `file` names the model in the warnings (a missing texture) and the Info line on what
// the import leaves out. The animations' scheduler (ClipBuilder.h) goes to `scheduler` when given (nil
// for a still model); the materials built whose texture is not drawn go to `missing` when given. A missing
// texture's warning names the places looked at, `texturePath` among them.
Obj<ScriptObject> BuildModel(const Scene& scene, const std::string& file, std::string& error,
                             Obj<ScriptObject>* scheduler = nullptr, MissingTextures* missing = nullptr,
                             const std::vector<std::string>& texturePath = {});

}  // namespace PM::Import
