#include "import/IqmHeader.h"

#include <cstring>

namespace PM::Import {

namespace {

// The header: the magic, then 27 little-endian u32 of which these are counts (as iqm.h numbers them).
constexpr char kMagic[16] = "INTERQUAKEMODEL";
constexpr size_t kWords = 27;
constexpr size_t kMeshes = 5, kJoints = 13, kPoses = 15, kAnims = 17, kFrames = 19;

uint32_t Word(const unsigned char* at) {
  return uint32_t(at[0]) | uint32_t(at[1]) << 8 | uint32_t(at[2]) << 16 | uint32_t(at[3]) << 24;
}

}  // namespace

bool ReadIqmCounts(FILE* file, IqmCounts& counts) {
  unsigned char header[sizeof kMagic + kWords * 4];
  if (!file || std::fread(header, 1, sizeof header, file) != sizeof header ||
      std::memcmp(header, kMagic, sizeof kMagic) != 0)
    return false;
  const unsigned char* words = header + sizeof kMagic;
  counts.meshes = Word(words + kMeshes * 4);
  counts.joints = Word(words + kJoints * 4);
  counts.poses = Word(words + kPoses * 4);
  counts.anims = Word(words + kAnims * 4);
  counts.frames = Word(words + kFrames * 4);
  return true;
}

}  // namespace PM::Import
