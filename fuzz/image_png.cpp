// The image reader for ".png" files over a memory view: any bytes give an image or a refusal; a refusal
// leaves nothing larger than the limit, and what is read is a whole image of 1 to 4 bytes per pixel.
#include "ImageFuzz.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  return FuzzImageFile("fuzz.png", data, size);
}
