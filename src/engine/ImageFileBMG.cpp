// The engine's own image file (also the texture cache): a 16-byte big-endian header, the pixels as the
// image stores them, then every mip level's pixels in chain order.
#include "core/Log.h"
#include "engine/Image.h"
#include "engine/ImageFileIO.h"

namespace PM {

namespace {

inline uint32_t Big16(const uint8_t* p) { return uint32_t(p[0]) << 8 | p[1]; }
inline uint32_t Big32(const uint8_t* p) { return Big16(p) << 16 | Big16(p + 2); }
inline void PutBig16(uint8_t* p, uint32_t v) { p[0] = uint8_t(v >> 8), p[1] = uint8_t(v); }

constexpr uint32_t kHasMipLevels = 1;

// Reads the whole file into `image`; on failure logs at Error why, naming the file.
bool ReadBMG(Image_I& image, const String& name, StreamPipe* pipe) {
  auto fail = [&](const auto&... why) {
    Log(LogOutPipe(), kLevelError, "Image_D::ImportFileBMG: failed to read ", QuotedName{name}, ": ", why..., ".");
    return false;
  };
  uint8_t h[16];
  if (!ReadFully(pipe, h, 16)) return fail("the header is cut short");
  // The first four bytes are not checked: the sizes and the format number decide.
  uint32_t flags = Big32(h + 4), bpp = Big16(h + 8), width = Big16(h + 10), height = Big16(h + 12);
  if (Big16(h + 14) != 1) return fail("format number ", Big16(h + 14));
  if (bpp == 0 || bpp > 4) return fail(bpp, " bytes per pixel");
  if (width == 0 || height == 0 || width > uint32_t(kImageMaxSide) || height > uint32_t(kImageMaxSide))
    return fail("size ", width, "x", height);
  if (int64_t(width) * height * bpp > ImageBudget::kMaxBytes)
    return fail("size ", width, "x", height, "x", bpp, " exceeds the image budget of ", ImageBudget::kMaxBytes,
                " bytes");
  image.Create(int(bpp), int(width), int(height), 0);
  if (!ReadFully(pipe, image.GetData(), int64_t(image.DataBytes()))) return fail("the pixels are cut short");
  if (flags & kHasMipLevels) {
    image.AllocateMipMap();
    int level = 1;
    for (Image_I* mip = image.GetMipMap(); mip; mip = mip->GetMipMap(), ++level) {
      if (!ReadFully(pipe, mip->GetData(), int64_t(mip->DataBytes())))
        return fail("mip level ", level, " is cut short");
    }
  }
  return true;
}

}  // namespace

ResultCode Image_D::ImportFileBMG(Image_I& image, const String& name, StreamPipe* pipe) {
  if (ReadBMG(image, name, pipe)) return SOK;
  Clear();
  return EFail;
}

ResultCode Image_D::ExportFileBMG(Image_I& image, const String& name, StreamPipe* pipe) {
  // Sides above the limit would not read back (and above 65535 would not even fit the header).
  bool ok = width <= kImageMaxSide && height <= kImageMaxSide;
  if (ok) {
    uint8_t h[16] = {'B', 'M', 'G', 1, 0, 0, 0, uint8_t(mipMap ? kHasMipLevels : 0)};
    PutBig16(h + 8, bytesPerPixel);
    PutBig16(h + 10, uint32_t(width));
    PutBig16(h + 12, uint32_t(height));
    PutBig16(h + 14, 1);
    ok = WriteFully(pipe, h, 16);
    for (Image_I* level = &image; ok && level; level = level->GetMipMap()) {
      ok = WriteFully(pipe, level->GetData(), int64_t(level->DataBytes()));
    }
  }
  if (ok) return SOK;
  Log(LogOutPipe(), kLevelInfo, "Image_D::ExportFileBMG: failed to write ", QuotedName{name}, ".");
  return EFail;
}

}  // namespace PM
