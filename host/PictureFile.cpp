#include "PictureFile.h"

#include <stb/stb_image_write.h>
#include <strings.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <vector>

#include <pelmora/core/Log.h>
#include <pelmora/platform/InertText.h>
#include <pelmora/platform/ReplacingFile.h>
#include <pelmora/platform/SafeFile.h>

namespace PMHost {

using namespace PM;

namespace {

// What stb's writer takes as "quality": high enough that a frame's edges and text keep their shape.
constexpr int kJpegQuality = 92;

enum class PictureType { kNone, kJpeg, kOther };

PictureType TypeOf(const std::string& name) {
  const size_t dot = name.rfind('.');
  if (dot == std::string::npos || name.find('/', dot) != std::string::npos) return PictureType::kNone;
  const char* ext = name.c_str() + dot + 1;
  if (!strcasecmp(ext, "jpg") || !strcasecmp(ext, "jpeg")) return PictureType::kJpeg;
  for (const char* known : {"png", "bmg", "tga"})
    if (!strcasecmp(ext, known)) return PictureType::kOther;
  return PictureType::kNone;
}

// Where the "%d" of a sequence name starts and ends (npos when there is none); false when a "%" is
// anything else.
bool FindConversion(const std::string& name, size_t& start, size_t& end) {
  start = end = std::string::npos;
  for (size_t at = name.find('%'); at != std::string::npos; at = name.find('%', at + 1)) {
    if (start != std::string::npos) return false;  // a second conversion
    size_t i = at + 1;
    if (i < name.size() && name[i] == '0') ++i;
    const size_t digits = i;
    while (i < name.size() && i - digits < 3 && name[i] >= '0' && name[i] <= '9') ++i;
    if (i - digits > 2 || i >= name.size() || name[i] != 'd') return false;
    start = at;
    end = i + 1;
  }
  return true;
}

}  // namespace

std::string PictureNameProblem(const std::string& name) {
  size_t start, end;
  if (!FindConversion(name, start, end))
    return "a name takes one %d (with an optional 0 and width, as in f%03d.png) and no other %";
  if (start != std::string::npos && name[start + 1] >= '1' && name[start + 1] <= '9')
    return "a width without a 0 pads the numbers with spaces: write " + name.substr(start, 1) + "0" +
           name.substr(start + 1, end - start - 1) + " for zeros";
  if (TypeOf(name) == PictureType::kNone) return std::string("the picture types are ") + kPictureTypes;
  // Told now rather than after the model is read and drawn.
  const size_t slash = name.rfind('/');
  const std::string folder = slash == std::string::npos ? "." : slash == 0 ? "/" : name.substr(0, slash);
  struct stat st {};
  if (::stat(folder.c_str(), &st) != 0 || !S_ISDIR(st.st_mode))
    return "the folder \"" + InertText(folder) + "\" does not exist";
  if (::access(folder.c_str(), W_OK) != 0) return "the folder \"" + InertText(folder) + "\" cannot be written to";
  return {};
}

bool IsPictureSequence(const std::string& name) {
  size_t start, end;
  return FindConversion(name, start, end) && start != std::string::npos;
}

std::string PictureFileOf(const std::string& name, int frame) {
  size_t start, end;
  if (!FindConversion(name, start, end) || start == std::string::npos) return name;
  const bool zeros = name[start + 1] == '0';
  size_t width = 0;  // FindConversion took at most two digits
  for (size_t i = start + 1 + (zeros ? 1 : 0); i + 1 < end; ++i) width = width * 10 + size_t(name[i] - '0');
  std::string number = std::to_string(frame);
  // PictureNameProblem refuses a width without its 0: a name never gets spaces.
  if (number.size() < width && zeros) number.insert(0, width - number.size(), '0');
  return name.substr(0, start) + number + name.substr(end);
}

bool WritePicture(Image_I* image, const std::string& file, const char* why) {
  if (!image || image->GetFormat() == 0) {
    LogError("pm-run: no screenshot for \"", PM::InertText(file).c_str(), "\"", why ? ": " : "", why ? why : "", ".");
    return false;
  }
  // The image's own writers say why they fail.
  if (TypeOf(file) != PictureType::kJpeg) return image->ExportFile(String(file.c_str())) == SOK;
  // The image's rows run from the bottom up; JPEG's from the top down.
  const int width = image->GetWidth(), height = image->GetHeight(), bpp = image->GetBytesPerPixel();
  const size_t row = size_t(width) * size_t(bpp);
  std::vector<unsigned char> top(row * size_t(height));
  for (int y = 0; y < height; ++y)
    std::memcpy(top.data() + size_t(height - 1 - y) * row, image->GetData() + size_t(y) * image->RowBytes(), row);
  std::vector<unsigned char> bytes;
  const auto append = [](void* to, void* data, int size) {
    auto* out = static_cast<std::vector<unsigned char>*>(to);
    out->insert(out->end(), static_cast<unsigned char*>(data), static_cast<unsigned char*>(data) + size);
  };
  bool ok = stbi_write_jpg_to_func(append, &bytes, width, height, bpp, top.data(), kJpegQuality) != 0;
  // Written beside and renamed over the name once whole, as the other types are.
  ReplacingFile out(file.c_str());
  int error = out.Fd() < 0 ? out.Error() : 0;
  for (size_t at = 0; ok && !error && at < bytes.size();) {
    const ssize_t n = ::write(out.Fd(), bytes.data() + at, bytes.size() - at);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0)
      error = n < 0 ? errno : EIO;
    else
      at += size_t(n);
  }
  if (ok && !error && !out.Commit()) error = out.Error();
  if (ok && !error) return true;
  if (!ok)
    LogError("pm-run: no screenshot for \"", PM::InertText(file).c_str(), "\": the JPEG writer refused the frame.");
  else
    LogError("pm-run: cannot write \"", PM::InertText(file).c_str(), "\": ", OpenFailureText(error), ".");
  return false;
}

}  // namespace PMHost
