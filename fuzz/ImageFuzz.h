// The image readers over a memory view: any bytes give an image or a refusal; what is read is a whole,
// non-empty image within the size limit of 1 to 4 bytes per pixel, and a refusal leaves the image empty.
#pragma once

#include <cstdint>
#include <cstdlib>

#include "core/Log.h"
#include "engine/Image.h"
#include "storage/Streams.h"

inline int FuzzImageFile(const char* name, const uint8_t* data, size_t size) {
  using namespace PM;
  static bool quiet = (g_LogLevel = kLevelFatal, true);
  (void)quiet;
  Obj<Image_I> image(Image_I::New());
  StreamPipeRef in(NewMemoryViewStream(data, size));
  ResultCode r = image->ImportFileFromStream(String(name), in.Get());
  if (r != SOK && r != EFail) abort();
  int w = image->GetWidth(), h = image->GetHeight(), bpp = image->GetBytesPerPixel();
  if (w < 0 || h < 0 || w > kImageMaxSide || h > kImageMaxSide || bpp < 0 || bpp > 4) abort();
  if (image->DataBytes() != size_t(w) * size_t(h) * size_t(bpp)) abort();
  if (r == SOK && (w == 0 || h == 0 || bpp == 0)) abort();
  if (r != SOK && (w != 0 || h != 0 || bpp != 0 || image->GetMipMap())) abort();
  return 0;
}
