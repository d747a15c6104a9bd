// SceneBounds: what one import may make of the engine's objects and memory, checked in one linear pass over
// the scene the reader sent before anything is built: a small file that names a node or a key sampler a
// million times is refused with one Error instead of taking the host's time and memory, and a tree the
// engine would refuse to draw is refused at import.
#pragma once

#include <cstdint>
#include <string>

#include "import/ImportScene.h"

namespace PM::Import {

struct SceneBounds {
  uint64_t depth;      // levels of the node tree (node 0 is level 1)
  uint64_t instances;  // meshes placed by nodes, counted once a placement
  uint64_t vertices;   // of all meshes, morph targets included
  uint64_t keys;       // animation keys of all channels
  uint64_t textureBytes;
};

// The bounds of an import: a model of a million vertices with its textures and animations lies well inside.
extern const SceneBounds kSceneBounds;

// False, with `error` naming the figure and its bound, when `scene` passes a bound (its coordinates too).
bool CheckSceneBounds(const Scene& scene, const SceneBounds& bounds, std::string& error);

// False, with `error` ("coordinates too large: ...") naming the node, when a node's transforms multiplied
// down the tree, or a mesh's finite vertices where a node puts them, pass a float's range: the engine's
// float sums would end in infinities and not-a-numbers. One pass over the nodes and vertices.
bool CheckSceneCoordinates(const Scene& scene, std::string& error);

}  // namespace PM::Import
