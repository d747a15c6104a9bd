// The in-memory raster of textures, layers and the render back ends: 1 to 4 byte channels per pixel,
// rows stored bottom row first, an optional chain of smaller mip levels, pixel operations through the
// R8G8B8A8 exchange pixel, and the image files (BMG, PNG, JPEG 2000 read; BMG, PNG, TGA written).
#pragma once

#include <cstdint>

#include "classes/EngineClass.h"
#include "classes/Object.h"
#include "core/Array.h"
#include "core/Obj.h"
#include "core/ResultCode.h"
#include "core/String.h"
#include "core/Vector3f.h"
#include "core/Vector4f.h"
#include "engine/ColorAdjust.h"

namespace PM {

class StreamPipe;
class Image_I;

// The exchange pixel: R in the lowest byte of the word, then G, B, A.
struct R8G8B8A8 {
  uint8_t R, G, B, A;
  bool operator==(const R8G8B8A8&) const = default;
};
static_assert(sizeof(R8G8B8A8) == 4);

// What one image file may cost to read, checked by every reader from the file's header before it allocates
// (docs/decisions/render.md, "The image budget"). Memory: the decoded pixels, and what a decoder holds
// beside them (OpenJPEG keeps two 32-bit words a sample, so a JPEG 2000 file costs at most about 10 times
// kMaxBytes). Time: JPEG 2000's work grows with its tiles, code blocks and quality layers, not its bytes.
struct ImageBudget {
  static constexpr int kMaxSide = 8192;                         // either side, in pixels
  static constexpr int64_t kMaxBytes = int64_t(64) << 20;       // width x height x channels (one byte each)
  static constexpr int64_t kMaxTiles = 4096;                    // JPEG 2000 tiles
  static constexpr int64_t kMaxCodeBlocks = int64_t(1) << 16;   // JPEG 2000 code blocks, all tiles and components
  static constexpr int64_t kMaxPackets = int64_t(1) << 20;      // JPEG 2000 packets (precincts x layers)
  static constexpr int64_t kMaxBlockLayers = int64_t(1) << 21;  // JPEG 2000 code blocks x layers
  static constexpr int64_t kMaxChunkBytes = int64_t(8) << 20;   // one PNG chunk held whole (text, profiles)
};

// Sides above this are refused by the importers (and by the BMG exporter, whose header holds them).
constexpr int kImageMaxSide = ImageBudget::kMaxSide;

// Flag bit of MipMap and Reformat: 2 x 2 reductions of 2- and 4-channel images weight colour by alpha.
constexpr int kMipMapAlphaWeighted = 1;

struct Image_D {
  String Name;
  int32_t width = 0;
  int32_t height = 0;
  uint32_t bytesPerPixel = 0;  // 1 grey, 2 grey + alpha, 3 R G B, 4 R G B A; 0 empty
  uint32_t flags = 0;          // only the TGA exporter reads it: 0 means the channel order above
  Array<uint8_t> data;         // width x height x bytes per pixel, bottom row first
  Ptr<Image_I> mipMap;

  // Drops pixels and mip chain and sets every field to the empty image's.
  void Clear();

  ResultCode ImportFileBMG(Image_I& image, const String& name, StreamPipe* pipe);
  ResultCode ExportFileBMG(Image_I& image, const String& name, StreamPipe* pipe);
  ResultCode ImportFileTGA(Image_I& image, const String& name, StreamPipe* pipe);
  ResultCode ExportFileTGA(Image_I& image, const String& name, StreamPipe* pipe);
};

// Through libpng and OpenJPEG; 0 or EFail.
ResultCode ImportFilePNG(Image_I& image, const String& name, StreamPipe* pipe);
ResultCode ExportFilePNG(Image_I& image, const String& name, StreamPipe* pipe, int format, int variant);
ResultCode ImportFileJP2(Image_I& image, const String& name, StreamPipe* pipe);

class Image_I : public EngineClass<Image_I, Object_I, ClassId::Image, "Image"> {
 public:
  static void Define();
  using EngineClass::Create;  // beside the virtual Create that sizes the pixels
  // An empty image with count 0 (the caller takes the first reference).
  static Image_I* New() { return static_cast<Image_I*>(Create()); }

  // Releases data and mip chain and allocates width x height x bytes per pixel bytes (contents undefined).
  // A negative side, bytes per pixel outside 0..4 or more than 2^31 - 1 bytes: logged, image left empty.
  virtual void Create(int32_t bytesPerPixel, int32_t width, int32_t height, uint32_t flags);
  virtual int GetFormat() { return int(m.bytesPerPixel); }  // non-zero: a valid image
  virtual int GetWidth() { return m.width; }
  virtual int GetHeight() { return m.height; }
  virtual int GetFlags() { return int(m.flags); }
  virtual int GetBytesPerPixel() { return int(m.bytesPerPixel); }
  virtual uint8_t* GetData() { return m.data.Data(); }
  virtual Image_I* GetMipMap() { return m.mipMap.Get(); }
  // Unchecked: x and y must lie inside the image.
  virtual void GetPixel(R8G8B8A8& out, int x, int y);
  virtual void SetPixel(int x, int y, R8G8B8A8 pixel);
  virtual int GetGrey(int x, int y);
  virtual void SetGrey(int x, int y, int value);
  // `count` pixels from (x, y) stepping (dx, dy); refused (logged) unless both ends lie inside.
  virtual void GetSpanR8G8B8A8(int x, int y, int dx, int dy, int count, R8G8B8A8* out);
  virtual void SetSpanR8G8B8A8(int x, int y, int dx, int dy, int count, const R8G8B8A8* in);
  virtual void MipMap(int flags);
  virtual void CopyClipped(Image_I* source, int unused = 0);
  virtual void Reformat(Image_I* source, int flags);
  virtual void TransformHSV(Image_I* source, const Vector3f& scale, const Vector3f& offset);
  virtual void TransformHSV(Image_I* source, const Vector4f& scale, const Vector4f& offset);
  virtual void FillRect(int x, int y, int width, int height, R8G8B8A8 color);
  virtual void FillChecker(int x, int y, int width, int height, int cellWidth, int cellHeight, R8G8B8A8 color1,
                           R8G8B8A8 color2);
  virtual void EnhanceContrast(float exponent);
  virtual ResultCode ImportFileFromStream(const String& fileName, StreamPipe* pipe);
  virtual ResultCode ImportFile(const String& baseName);
  virtual ResultCode ExportFileToStream(const String& fileName, StreamPipe* pipe, int format = 0, int variant = 0);
  virtual ResultCode ExportFile(const String& fileName, int format = 0, int variant = 0);
  virtual void ReformatCopy(Image_I* source, int unused = 0);

  // Creates (or re-creates at the right size) every mip level without filling it.
  void AllocateMipMap();
  // Bytes of one row and of the whole top level.
  size_t RowBytes() const { return size_t(m.width) * m.bytesPerPixel; }
  size_t DataBytes() const { return size_t(m.data.Count()); }

  Image_D m;

 private:
  uint8_t* PixelAt(int x, int y) { return m.data.Data() + (size_t(y) * size_t(m.width) + size_t(x)) * m.bytesPerPixel; }
  bool SpanInside(int x, int y, int dx, int dy, int count);
  template <bool kAllocateOnly>
  void WalkMipChain(int flags, const char* caller);
};

// (v - 1) AND v is not above 0: 0 and 1 count as powers of two.
bool IsPowerOfTwo(int v);
// 1 below 2, else the smallest power of two >= v (at most 2^30).
int NextPowerOfTwo(int v);
// 0 below 2, else half of NextPowerOfTwo(v).
int PrevPowerOfTwo(int v);
// Grey of a colour: (30 R + 59 G + 11 B) / 100.
inline int GreyOf(R8G8B8A8 p) { return (30 * p.R + 59 * p.G + 11 * p.B) / 100; }

}  // namespace PM
