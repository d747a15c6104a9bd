// The reader's own reading of an AC3D file (sidedness, the objects' places): any bytes end the read,
// with no crash, and no more objects, materials or surfaces than the bytes hold lines for.
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>

#include "import/Ac3dFile.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size == 0) return 0;
  FILE* f = fmemopen(const_cast<uint8_t*>(data), size, "rb");
  if (!f) return 0;
  PM::Import::Ac3dFile file;
  std::string error;
  const bool ok = PM::Import::ReadAc3d(f, file, error);
  std::fclose(f);
  if (!ok && error.empty()) abort();
  uint64_t surfaces = 0;
  for (const PM::Import::Ac3dObject& o : file.objects) surfaces += o.polygons + o.lines;
  if (file.objects.size() + file.materials.size() + surfaces > size / 4) abort();
  if (file.oneSided.size() != file.materials.size() || file.twoSided.size() != file.materials.size()) abort();
  return 0;
}
