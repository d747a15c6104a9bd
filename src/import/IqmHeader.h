// IqmHeader: the counts an Inter-Quake Model file's header gives. Assimp 5.2 reads only the meshes of an
// IQM file, so a file of clips alone (a game's animations kept apart from its model) comes from it as an
// empty scene: the header says what the file held.
#pragma once

#include <cstdint>
#include <cstdio>

namespace PM::Import {

struct IqmCounts {
  uint32_t meshes = 0, joints = 0, poses = 0, anims = 0, frames = 0;
};

// The counts of the IQM header at the start of `file`; false when it holds none.
bool ReadIqmCounts(FILE* file, IqmCounts& counts);

}  // namespace PM::Import
