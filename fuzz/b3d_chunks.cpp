// The reader's walk over a Blitz3D file's chunks (what a file Assimp refuses for want of a mesh holds):
// any bytes end the walk, with no crash, and no more chunks counted than the bytes hold headers for.
#include <cstdint>
#include <cstdio>
#include <cstdlib>

#include "import/B3dChunks.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size == 0) return 0;
  FILE* f = fmemopen(const_cast<uint8_t*>(data), size, "rb");
  if (!f) return 0;
  PM::Import::B3dCounts counts;
  const bool b3d = PM::Import::CountB3dChunks(f, counts);
  std::fclose(f);
  if (!b3d && (counts.meshes || counts.clips || counts.keyedNodes)) abort();
  if (uint64_t{counts.meshes} + counts.clips + counts.keyedNodes > size / 8) abort();
  return 0;
}
