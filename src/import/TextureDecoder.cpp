#include "import/TextureDecoder.h"

#include <assimp/texture.h>
#include <stb/stb_image.h>

#include <climits>
#include <cstdio>
#include <cstring>
#include <memory>
#include <new>
#include <vector>

#include "import/ImageLibrary.h"
#include "import/SceneStream.h"

namespace PM::Import {

namespace {

bool SizeFits(uint64_t width, uint64_t height) {
  return width > 0 && height > 0 && width <= kMaxTextureSide && height <= kMaxTextureSide &&
         width * height <= kMaxTexturePixels;
}

void Missing(Texture& texture, TextureFault fault = TextureFault::kNotDecoded, std::string why = {}) {
  texture.missing = true;
  texture.undecoded = fault == TextureFault::kNotDecoded ? std::move(why) : std::string();
  texture.fault = fault;
  texture.width = texture.height = 0;
  texture.hasAlpha = false;
  texture.rgba = std::vector<uint8_t>();
}

// Why stb_image gave no pixels: an allocation the memory budget refused, or the file.
TextureFault DecodeFault() {
  const char* reason = stbi_failure_reason();
  const bool memory = reason && (std::strcmp(reason, "outofmem") == 0 || std::strcmp(reason, "Out of memory") == 0);
  return memory ? TextureFault::kOverBudget : TextureFault::kNotDecoded;
}

// Why stb_image gave no pixels for an image of `format` (ImageFormatOf), in the texture's words.
std::string StbWhy(const std::string& format) {
  static const char* const kStbFormats[] = {"PNG image", "JPEG image", "GIF image", "BMP image",
                                            "PSD image", "HDR image",  "PIC image", "PNM image"};
  for (const char* known : kStbFormats)
    if (format == known) return format + ": damaged or too large";
  if (format.empty()) return "no image format the reader knows: not decoded (or a damaged TGA image)";
  return format + ": not decoded";
}

void Take(stbi_uc* pixels, int width, int height, Texture& texture, const std::string& format) {
  std::unique_ptr<stbi_uc, void (*)(void*)> owned(pixels, stbi_image_free);
  if (!pixels) {
    const TextureFault fault = DecodeFault();
    return Missing(texture, fault, fault == TextureFault::kNotDecoded ? StbWhy(format) : std::string());
  }
  texture.missing = false;
  texture.fault = TextureFault::kNone;
  texture.width = static_cast<uint32_t>(width);
  texture.height = static_cast<uint32_t>(height);
  const size_t bytes = size_t{texture.width} * texture.height * 4;
  try {
    texture.rgba.assign(pixels, pixels + bytes);
  } catch (const std::bad_alloc&) {
    return Missing(texture, TextureFault::kOverBudget);
  }
  texture.hasAlpha = false;
  for (size_t i = 3; i < bytes && !texture.hasAlpha; i += 4) texture.hasAlpha = pixels[i] < 255;
}

// Pixels from GraphicsMagick for the formats stb_image lacks.
void TakeFromLibrary(const std::string& format, const char* path, const uint8_t* bytes, size_t count,
                     Texture& texture) {
  std::string why;
  bool overBudget = false;
  if (!DecodeWithLibrary(format, path, bytes, count, texture, why, overBudget))
    return Missing(texture, overBudget ? TextureFault::kOverBudget : TextureFault::kNotDecoded, format + ": " + why);
  texture.missing = false;
  texture.fault = TextureFault::kNone;
  texture.hasAlpha = false;
  for (size_t i = 3; i < texture.rgba.size() && !texture.hasAlpha; i += 4) texture.hasAlpha = texture.rgba[i] < 255;
}

}  // namespace

void DecodeTextureFile(FILE* file, Texture& texture) {
  uint8_t head[16] = {};
  const size_t got = std::fread(head, 1, sizeof head, file);
  const std::string format = ImageFormatOf(head, got);
  // The image library reads the open file through its descriptor: the path the root checked is not
  // looked up again.
  if (LibraryDecodes(format))
    return TakeFromLibrary(format, ("/proc/self/fd/" + std::to_string(fileno(file))).c_str(), nullptr, 0, texture);
  if (std::fseek(file, 0, SEEK_SET) != 0) return Missing(texture, TextureFault::kNotDecoded, StbWhy(format));
  int width = 0, height = 0, channels = 0;
  // The size is checked before any pixel is decoded.
  if (!stbi_info_from_file(file, &width, &height, &channels) || !SizeFits(width, height))
    return Missing(texture, TextureFault::kNotDecoded, StbWhy(format));
  Take(stbi_load_from_file(file, &width, &height, &channels, 4), width, height, texture, format);
}

void DecodeTextureBytes(const uint8_t* bytes, size_t count, Texture& texture) {
  int width = 0, height = 0, channels = 0;
  const std::string format = ImageFormatOf(bytes, count);
  if (LibraryDecodes(format) && count > 0) return TakeFromLibrary(format, nullptr, bytes, count, texture);
  if (count == 0 || count > INT_MAX) return Missing(texture, TextureFault::kNotDecoded, StbWhy(format));
  const int n = static_cast<int>(count);
  if (!stbi_info_from_memory(bytes, n, &width, &height, &channels) || !SizeFits(width, height))
    return Missing(texture, TextureFault::kNotDecoded, StbWhy(format));
  Take(stbi_load_from_memory(bytes, n, &width, &height, &channels, 4), width, height, texture, format);
}

void DecodeEmbeddedTexture(const aiTexture& embedded, Texture& texture) {
  if (!embedded.pcData) return Missing(texture);
  if (embedded.mHeight == 0)  // compressed: mWidth is its byte count
    return DecodeTextureBytes(reinterpret_cast<const uint8_t*>(embedded.pcData), embedded.mWidth, texture);
  if (!SizeFits(embedded.mWidth, embedded.mHeight)) return Missing(texture);
  texture.missing = false;
  texture.fault = TextureFault::kNone;
  texture.width = embedded.mWidth;
  texture.height = embedded.mHeight;
  const size_t texels = size_t{texture.width} * texture.height;
  try {
    texture.rgba.resize(texels * 4);
  } catch (const std::bad_alloc&) {
    return Missing(texture, TextureFault::kOverBudget);
  }
  texture.hasAlpha = false;
  for (size_t i = 0; i < texels; ++i) {
    const aiTexel& t = embedded.pcData[i];
    uint8_t* p = &texture.rgba[i * 4];
    p[0] = t.r;
    p[1] = t.g;
    p[2] = t.b;
    p[3] = t.a;
    texture.hasAlpha = texture.hasAlpha || t.a < 255;
  }
}

}  // namespace PM::Import
