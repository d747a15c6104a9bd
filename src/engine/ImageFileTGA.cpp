// TGA: written only, as uncompressed true colour with the origin at the bottom left.
#include <vector>

#include "core/Log.h"
#include "engine/Image.h"
#include "engine/ImageFileIO.h"

namespace PM {

ResultCode Image_D::ImportFileTGA(Image_I&, const String&, StreamPipe*) {
  Log(LogOutPipe(), kLevelInfo, "Image_D::ImportFileTGA: not supported.");
  Clear();
  return EFail;
}

ResultCode Image_D::ExportFileTGA(Image_I& image, const String& name, StreamPipe* pipe) {
  // The header holds each side in 16 bits: a larger image is refused rather than written wrong.
  bool ok = width <= 0xFFFF && height <= 0xFFFF;
  if (ok) {
    uint8_t h[18] = {0, 0, 2};
    h[12] = uint8_t(width), h[13] = uint8_t(width >> 8);
    h[14] = uint8_t(height), h[15] = uint8_t(height >> 8);
    h[16] = uint8_t(8 * bytesPerPixel);
    ok = WriteFully(pipe, h, 18);
  }
  if (ok && (bytesPerPixel == 3 || bytesPerPixel == 4) && flags == 0) {
    // Channels as TGA keeps them: B, G, R (, A).
    size_t rowBytes = image.RowBytes();
    std::vector<uint8_t> row(rowBytes);
    const uint8_t* src = data.Data();
    for (int y = 0; ok && y < height; ++y, src += rowBytes) {
      for (size_t i = 0; i < rowBytes; i += bytesPerPixel) {
        row[i] = src[i + 2], row[i + 1] = src[i + 1], row[i + 2] = src[i];
        if (bytesPerPixel == 4) row[i + 3] = src[i + 3];
      }
      ok = WriteFully(pipe, row.data(), int64_t(rowBytes));
    }
  } else if (ok) {
    ok = WriteFully(pipe, data.Data(), data.Count());
  }
  if (ok) return SOK;
  Log(LogOutPipe(), kLevelInfo, "Image_D::ExportFileTGA: failed to write ", QuotedName{name}, ".");
  return EFail;
}

}  // namespace PM
