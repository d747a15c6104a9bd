// The reader's bridge to OpenImageIO (pm-import-images.so beside the reader): one C entry point the reader
// looks up after loading it, so that the reader links nothing of OpenImageIO's and a model with no SGI or
// DDS texture never maps its libraries.
#include <OpenImageIO/filesystem.h>
#include <OpenImageIO/imageio.h>

#include <cstdint>
#include <cstring>
#include <new>
#include <string>
#include <vector>

#include "import/ImageShim.h"

namespace {

int Fail(char* why, size_t size, const std::string& text, int code = kPmImageDamaged) {
  if (size) {
    std::strncpy(why, text.c_str(), size - 1);
    why[size - 1] = '\0';
  }
  return code;
}

}  // namespace

extern "C" int pm_decode_image(const char* path, const uint8_t* bytes, size_t count, const char* extension,
                               uint32_t maxSide, uint64_t maxPixels, PmImage* out, char* why, size_t whySize) {
  static const bool started = [] {
    // One thread: a new thread is a system call the reader's confinement refuses.
    OIIO::attribute("threads", 1);
    OIIO::attribute("exr_threads", 1);
    return true;
  }();
  (void)started;
  out->width = out->height = 0;
  out->rgba = nullptr;
  try {
    OIIO::Filesystem::IOMemReader memory(bytes, count);
    // The reader for the format named, never one chosen by the bytes.
    std::unique_ptr<OIIO::ImageInput> in = OIIO::ImageInput::create(extension);
    if (!in) return Fail(why, whySize, OIIO::geterror());
    OIIO::ImageSpec opened;
    // A file by its path (some readers take no bytes from memory), or bytes.
    if (!path && !in->set_ioproxy(&memory)) return Fail(why, whySize, "not decoded from memory", kPmImageNotDecoded);
    if (!in->open(path ? std::string(path) : std::string("texture.") + extension, opened))
      return Fail(why, whySize, in->geterror());
    const OIIO::ImageSpec& spec = in->spec();
    const uint64_t w = uint64_t(std::max(spec.width, 0)), h = uint64_t(std::max(spec.height, 0));
    const int channels = spec.nchannels;
    if (w == 0 || h == 0 || w > maxSide || h > maxSide || w * h > maxPixels || channels < 1 || channels > 64)
      return Fail(why, whySize, "too large (" + std::to_string(w) + "x" + std::to_string(h) + ")");
    const int used = std::min(channels, 4);
    std::vector<uint8_t> pixels(size_t(w * h) * size_t(used));
    if (!in->read_image(0, 0, 0, used, OIIO::TypeDesc::UINT8, pixels.data())) return Fail(why, whySize, in->geterror());
    auto* rgba = static_cast<uint8_t*>(std::malloc(size_t(w * h * 4)));
    if (!rgba) return Fail(why, whySize, "over budget", kPmImageOverBudget);
    // Grey, grey and alpha, RGB or RGBA to RGBA.
    for (size_t i = 0; i < size_t(w * h); ++i) {
      const uint8_t* p = &pixels[i * size_t(used)];
      uint8_t* q = &rgba[i * 4];
      q[0] = p[0];
      q[1] = used >= 3 ? p[1] : p[0];
      q[2] = used >= 3 ? p[2] : p[0];
      q[3] = used == 2 ? p[1] : used == 4 ? p[3] : 255;
    }
    out->width = uint32_t(w);
    out->height = uint32_t(h);
    out->rgba = rgba;
    return kPmImageDecoded;
  } catch (const std::bad_alloc&) {
    return Fail(why, whySize, "over budget", kPmImageOverBudget);
  } catch (const std::exception& e) {
    return Fail(why, whySize, e.what());
  }
}
