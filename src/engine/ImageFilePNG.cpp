// PNG files through libpng, read from and written to the engine's streams.
//
// libpng reports errors through a callback that must not return: it leaves by longjmp to the setjmp
// in ReadRows / WriteRows. Those frames, and every callback libpng calls, hold only plain values, so the
// jump skips no destructor; the structures are created and destroyed by the callers around them.
#include <png.h>

#include <csetjmp>

#include "core/Log.h"
#include "engine/Image.h"
#include "engine/ImageFileIO.h"

namespace PM {

namespace {

// The error pointer is the file's name: a failure names the file it happened in.
[[noreturn]] void OnError(png_structp png, png_const_charp message) {
  Log(LogOutPipe(), kLevelError, "PNG: ", message, " in ",
      QuotedName{*static_cast<const String*>(png_get_error_ptr(png))}, ".");
  png_longjmp(png, 1);
}

void OnWarning(png_structp, png_const_charp message) { Log(LogOutPipe(), kLevelWarn, message); }

void OnRead(png_structp png, png_bytep data, size_t n) {
  if (!ReadFully(static_cast<StreamPipe*>(png_get_io_ptr(png)), data, int64_t(n))) png_error(png, "Read Error");
}

void OnWrite(png_structp png, png_bytep data, size_t n) {
  if (!WriteFully(static_cast<StreamPipe*>(png_get_io_ptr(png)), data, int64_t(n))) png_error(png, "Write Error");
}

void OnFlush(png_structp png) { static_cast<StreamPipe*>(png_get_io_ptr(png))->Flush(); }

// Channels after the transforms by colour type: 0 grey, 4 grey + alpha, 2 RGB, 6 RGBA.
int ChannelsOf(int colorType) {
  switch (colorType) {
    case PNG_COLOR_TYPE_GRAY:
      return 1;
    case PNG_COLOR_TYPE_GRAY_ALPHA:
      return 2;
    case PNG_COLOR_TYPE_RGB:
      return 3;
    case PNG_COLOR_TYPE_RGB_ALPHA:
      return 4;
    default:
      return 0;
  }
}

// Strip 16 bits, packing and expand (palette and low depths arrive as 8-bit grey, grey + alpha, RGB or
// RGBA, tRNS as alpha); rows land in the image bottom row first. The header's sides are checked against
// the user limits before any pixel memory exists.
bool ReadRows(png_structp png, png_infop info, Image_I* image) {
  if (setjmp(png_jmpbuf(png))) return false;
  png_set_user_limits(png, kImageMaxSide, kImageMaxSide);
  png_set_chunk_malloc_max(png, ImageBudget::kMaxChunkBytes);
  png_read_info(png, info);
  png_set_strip_16(png);
  png_set_packing(png);
  png_set_expand(png);
  int passes = png_set_interlace_handling(png);
  png_read_update_info(png, info);
  int channels = ChannelsOf(png_get_color_type(png, info));
  if (channels == 0 || png_get_bit_depth(png, info) != 8) {
    Log(LogOutPipe(), kLevelError, "ImportFilePNG: unsupported color format in ",
        QuotedName{*static_cast<const String*>(png_get_error_ptr(png))}, ".");
    return false;
  }
  int width = int(png_get_image_width(png, info)), height = int(png_get_image_height(png, info));
  if (int64_t(width) * height * channels > ImageBudget::kMaxBytes) {
    Log(LogOutPipe(), kLevelError, "ImportFilePNG: ", width, " x ", height, " x ", channels,
        " bytes exceed the image budget of ", ImageBudget::kMaxBytes, " in ",
        QuotedName{*static_cast<const String*>(png_get_error_ptr(png))}, ".");
    return false;
  }
  image->Create(channels, width, height, 0);
  if (image->GetFormat() != channels || png_get_rowbytes(png, info) != image->RowBytes()) return false;
  uint8_t* data = image->GetData();
  for (int pass = 0; pass < passes; ++pass) {
    for (int y = 0; y < height; ++y) png_read_row(png, data + size_t(height - 1 - y) * image->RowBytes(), nullptr);
  }
  png_read_end(png, nullptr);
  return true;
}

bool WriteRows(png_structp png, png_infop info, Image_I* image, int bitDepth, int colorType) {
  if (setjmp(png_jmpbuf(png))) return false;
  int height = image->GetHeight();
  png_set_IHDR(png, info, png_uint_32(image->GetWidth()), png_uint_32(height), bitDepth, colorType, PNG_INTERLACE_NONE,
               PNG_COMPRESSION_TYPE_DEFAULT, PNG_FILTER_TYPE_DEFAULT);
  png_write_info(png, info);
  const uint8_t* data = image->GetData();
  for (int y = height - 1; y >= 0; --y) png_write_row(png, data + size_t(y) * image->RowBytes());
  png_write_end(png, info);
  return true;
}

}  // namespace

ResultCode ImportFilePNG(Image_I& image, const String& name, StreamPipe* pipe) {
  png_structp png = png_create_read_struct(PNG_LIBPNG_VER_STRING, const_cast<String*>(&name), OnError, OnWarning);
  png_infop info = png ? png_create_info_struct(png) : nullptr;
  bool ok = false;
  if (info) {
    png_set_read_fn(png, pipe, OnRead);
    ok = ReadRows(png, info, &image);
  }
  png_destroy_read_struct(png ? &png : nullptr, info ? &info : nullptr, nullptr);
  if (ok) return SOK;
  image.m.Clear();  // rows cut short leave no half image behind
  return EFail;
}

ResultCode ExportFilePNG(Image_I& image, const String& name, StreamPipe* pipe, int, int variant) {
  static const int kColorTypes[5] = {-1, PNG_COLOR_TYPE_GRAY, PNG_COLOR_TYPE_GRAY_ALPHA, PNG_COLOR_TYPE_RGB,
                                     PNG_COLOR_TYPE_RGB_ALPHA};
  int bpp = image.GetBytesPerPixel();
  int colorType = bpp >= 1 && bpp <= 4 ? kColorTypes[bpp] : -1;
  if (colorType < 0) {
    Log(LogOutPipe(), kLevelError, "ExportFilePNG: unsupported color format.");
    return EFail;
  }
  int bitDepth = 8;
  if (variant == 1 && bpp == 2) {
    // 16-bit grey: each pixel's two bytes are the sample, first byte high (PNG order).
    colorType = PNG_COLOR_TYPE_GRAY;
    bitDepth = 16;
  }
  png_structp png = png_create_write_struct(PNG_LIBPNG_VER_STRING, const_cast<String*>(&name), OnError, OnWarning);
  png_infop info = png ? png_create_info_struct(png) : nullptr;
  bool ok = false;
  if (info) {
    png_set_write_fn(png, pipe, OnWrite, OnFlush);
    ok = WriteRows(png, info, &image, bitDepth, colorType);
  }
  png_destroy_write_struct(png ? &png : nullptr, info ? &info : nullptr);
  return ok ? SOK : EFail;
}

}  // namespace PM
