// Ac3dFile: what the reader reads from an AC3D file itself where Assimp 5.2 drops it: each surface's
// sidedness (SURF flag 0x20), each object's place (`loc`) and whether the file holds any surface at all.
#pragma once

#include <cstdint>
#include <cstdio>
#include <string>
#include <vector>

namespace PM::Import {

struct Ac3dObject {
  std::string name;  // as the file names it, or empty
  float loc[3] = {0, 0, 0};
  uint32_t polygons = 0, lines = 0;  // surfaces of each kind (closed and open lines both lines)
};

struct Ac3dFile {
  std::vector<std::string> materials;  // the MATERIAL lines' names, in order
  // Polygon surfaces of each material (by its index) the file marks one-sided and two-sided.
  std::vector<uint32_t> oneSided, twoSided;
  std::vector<Ac3dObject> objects;  // depth first, as the file lists them
};

// The most objects, surfaces a object and materials read; past them the file is refused as too large.
inline constexpr uint32_t kMaxAc3dItems = 1u << 22;

// Reads `file` (from its start) into `out`. False, with `error` naming the line, when it is no AC3D file,
// breaks the format or passes kMaxAc3dItems.
bool ReadAc3d(FILE* file, Ac3dFile& out, std::string& error);

}  // namespace PM::Import
