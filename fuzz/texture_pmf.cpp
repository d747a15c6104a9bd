// The texture description reader: any bytes give a type name and an alpha-mode name, or an error line.
#include <cstdint>
#include <cstdlib>

#include "ScriptRun.h"
#include "render/TextureLoad.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (!PM::Fuzz::StartLibraryOnce()) return 0;
  PM::String type, mode;
  PM::ParseTexturePMF(reinterpret_cast<const char*>(data), size, PM::String("fuzz/d"), type, mode);
  if (type.Length() > int(size) || mode.Length() > int(size)) abort();
  int value = -1;
  PM::ParseTextureAlphaMode(mode, value);
  if (value < -1 || value > 8) abort();
  return 0;
}
