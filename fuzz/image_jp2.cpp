// The image reader for ".jp2" files over a memory view: any bytes give an image or a refusal; a refusal
// leaves nothing larger than the limit, and what is read is a whole image of 1 to 4 bytes per pixel.
#include <cstdint>
#include <cstdlib>

#include "core/Log.h"
#include "render/engine/Image.h"
#include "storage/Streams.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  using namespace PM;
  static bool quiet = (g_LogLevel = kLevelFatal, true);
  (void)quiet;
  Obj<Image_I> image(Image_I::New());
  StreamPipeRef in(NewMemoryViewStream(data, size));
  ResultCode r = image->ImportFileFromStream(String("fuzz.jp2"), in.Get());
  if (r != SOK && r != EFail) abort();
  int w = image->GetWidth(), h = image->GetHeight(), bpp = image->GetBytesPerPixel();
  if (w < 0 || h < 0 || w > kImageMaxSide || h > kImageMaxSide || bpp < 0 || bpp > 4) abort();
  if (image->DataBytes() != size_t(w) * size_t(h) * size_t(bpp)) abort();
  if (r == SOK && bpp == 0 && "jp2"[0] != 'b') abort();
  return 0;
}
