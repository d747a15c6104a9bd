// B3dChunks: what a Blitz3D file's chunks hold, counted by walking them. Assimp refuses a Blitz3D file
// without a mesh ("No meshes") though its clips are whole: a game keeps clips apart from their model.
#pragma once

#include <cstdint>
#include <cstdio>

namespace PM::Import {

struct B3dCounts {
  uint32_t meshes = 0, clips = 0, keyedNodes = 0;
  int64_t frames = 0;  // of the first clip
};

// The chunks of the Blitz3D file at the start of `file` (at most its first 64 MiB); false when it is none.
bool CountB3dChunks(FILE* file, B3dCounts& counts);

}  // namespace PM::Import
