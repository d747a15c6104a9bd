#include "import/ImageLibrary.h"

#include <dlfcn.h>
#include <unistd.h>

#include <cstdlib>
#include <cstring>
#include <memory>
#include <new>
#include <type_traits>
#include <vector>

#include "import/ImageShim.h"
#include "import/SceneStream.h"

namespace PM::Import {

namespace {

bool Starts(const uint8_t* bytes, size_t count, const char* magic, size_t n, size_t at = 0) {
  return count >= at + n && std::memcmp(bytes + at, magic, n) == 0;
}

// The bridge to OpenImageIO beside the reader program, loaded on first use: a model that names no SGI
// or DDS texture never maps it nor OpenImageIO's libraries.
void (*g_makeRoom)(uint64_t) = nullptr;

struct Library {
  PmDecodeImage decode = nullptr;
  std::string error;
  Library() {
    if (g_makeRoom) g_makeRoom(kImageLibraryAddressSpace);
    void* handle = dlopen(ImageBridgePath().c_str(), RTLD_NOW | RTLD_LOCAL);
    if (!handle) {
      const char* why = dlerror();
      error = std::string("the reader's image bridge (OpenImageIO) could not be loaded: ") + (why ? why : "");
      return;
    }
    decode = reinterpret_cast<PmDecodeImage>(dlsym(handle, "pm_decode_image"));
    if (!decode) error = "the reader's image bridge lacks pm_decode_image";
  }
};

Library& Loaded() {
  static Library library;
  return library;
}

}  // namespace

std::string ImageFormatOf(const uint8_t* b, size_t n) {
  if (n >= 2 && b[0] == 0x01 && b[1] == 0xDA) return "SGI image";
  if (Starts(b, n, "DDS ", 4)) return "DDS image";
  if (Starts(b, n, "\x89PNG", 4)) return "PNG image";
  if (Starts(b, n, "\xFF\xD8\xFF", 3)) return "JPEG image";
  if (Starts(b, n, "GIF8", 4)) return "GIF image";
  if (Starts(b, n, "BM", 2)) return "BMP image";
  if (Starts(b, n, "8BPS", 4)) return "PSD image";
  if (Starts(b, n, "#?RADIANCE", 10) || Starts(b, n, "#?RGBE", 6)) return "HDR image";
  if (Starts(b, n, "\x53\x80\xF6\x34", 4)) return "PIC image";
  if (n >= 2 && b[0] == 'P' && b[1] >= '1' && b[1] <= '6') return "PNM image";
  if (Starts(b, n, "II*\0", 4) || Starts(b, n, "MM\0*", 4)) return "TIFF image";
  if (Starts(b, n, "\xABKTX", 4)) return "KTX image";
  if (Starts(b, n, "\x76\x2F\x31\x01", 4)) return "OpenEXR image";
  if (Starts(b, n, "RIFF", 4) && Starts(b, n, "WEBP", 4, 8)) return "WebP image";
  if (Starts(b, n, "\0\0\0\x0CjP", 6) || Starts(b, n, "\xFF\x4F\xFF\x51", 4)) return "JPEG 2000 image";
  if (n >= 4 && b[0] == 0x0A && b[1] <= 5 && b[2] == 1) return "PCX image";
  return "";
}

bool LibraryDecodes(const std::string& format) { return format == "SGI image" || format == "DDS image"; }

void SetImageLibraryRoom(void (*makeRoom)(uint64_t bytes)) { g_makeRoom = makeRoom; }

std::string ImageBridgePath() {
  char self[4096];
  const ssize_t n = readlink("/proc/self/exe", self, sizeof self - 1);
  if (n <= 0) return "pm-import-images.so";
  std::string path(self, size_t(n));
  return path.substr(0, path.rfind('/') + 1) + "pm-import-images.so";
}

bool DecodeWithLibrary(const std::string& format, const char* path, const uint8_t* bytes, size_t count,
                       Texture& texture, std::string& why, bool& overBudget) {
  overBudget = false;
  Library& lib = Loaded();
  if (!lib.error.empty()) return why = "not decoded: " + lib.error, false;
  PmImage image{};
  char reason[512] = "";
  const int rc = lib.decode(path, bytes, count, format == "SGI image" ? "sgi" : "dds", kMaxTextureSide,
                            kMaxTexturePixels, &image, reason, sizeof reason);
  std::unique_ptr<uint8_t, void (*)(void*)> owned(image.rgba, std::free);
  if (rc != kPmImageDecoded || !image.rgba) {
    overBudget = rc == kPmImageOverBudget;
    why = std::string(rc == kPmImageNotDecoded ? "not decoded: " : "damaged: ") + (reason[0] ? reason : "no image");
    return false;
  }
  try {
    texture.rgba.assign(image.rgba, image.rgba + size_t(image.width) * image.height * 4);
  } catch (const std::bad_alloc&) {
    return overBudget = true, why = "over budget", false;
  }
  texture.width = image.width;
  texture.height = image.height;
  return true;
}

}  // namespace PM::Import
