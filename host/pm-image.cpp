// pm-image: converts image files and describes them with the library's own readers and writers.
//   pm-image convert IN OUT [--png16]   read IN (.bmg, .png, .jp2), write OUT (.bmg, .png, .tga)
//   pm-image info IN                    size, bytes per pixel, mip levels and the MD5 of the pixels
// The log goes to standard error. Exit 0 on success, 1 when reading or writing failed, 2 for a bad
// command line. A conversion writes a new file beside OUT and renames it over OUT only once it is whole,
// so a failed one leaves OUT as it was.
#include <strings.h>
#include <unistd.h>

#include <cctype>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <string>

#include <pelmora/core/Log.h>
#include <pelmora/core/LogPipe.h>
#include <pelmora/core/MD5.h>
#include <pelmora/core/StartUp.h>
#include <pelmora/engine/Image.h>
#include <pelmora/platform/InertText.h>
#include <pelmora/platform/ReplacingFile.h>
#include <pelmora/platform/SafeFile.h>
#include <pelmora/storage/FileStream.h>
#include <pelmora/storage/Streams.h>

namespace {

// A file name as it may be printed: through the one escaping every program uses (PM::InertText). The
// buffer lives until the next call, which is after the line is printed.
const char* Inert(const char* name) {
  static std::string text;
  text = PM::InertText(name ? name : "");
  return text.c_str();
}

using namespace PM;

const char kUsage[] =
    "usage: pm-image convert IN OUT [--png16]\n"
    "       pm-image info IN\n"
    "Reads .bmg, .png and .jp2 files (not JPEG, TGA, GIF or BMP); writes .bmg, .png and .tga files.\n"
    "  --png16   write a 2-byte image as a 16-bit grey PNG (first byte high)\n";

// The type of a file name: its ending after the last ".", lower case ("" for none).
std::string TypeOf(const char* path) {
  const char* dot = std::strrchr(path, '.');
  if (!dot || std::strchr(dot, '/')) return "";
  std::string type = dot;
  for (char& c : type) c = char(std::tolower(static_cast<unsigned char>(c)));
  return type;
}

// The input types the library's readers take; a file of another type is refused by name before it is
// opened.
bool KnownInput(const char* path) {
  const std::string type = TypeOf(path);
  for (const char* known : {".bmg", ".png", ".jp2"})
    if (type == known) return true;
  const std::string why =
      type.empty() ? "the name has no type" : type + " is not an input type (JPEG, TGA, GIF and BMP are not read)";
  std::fprintf(stderr, "pm-image: cannot read \"%s\": %s; the input types are .bmg, .png and .jp2\n", Inert(path),
               why.c_str());
  return false;
}

bool Load(Image_I& image, const char* path) {
  if (!KnownInput(path)) return false;
  StreamPipeRef in(OpenFileStream(path, kModeRead));
  if (in.IsNull()) {
    std::fprintf(stderr, "pm-image: cannot open \"%s\"\n", Inert(path));
    return false;
  }
  if (image.ImportFileFromStream(String(path), in.Get()) != SOK) {
    std::fprintf(stderr, "pm-image: cannot read \"%s\"\n", Inert(path));
    return false;
  }
  return true;
}

bool KnownOutput(const char* out) {
  const char* dot = std::strrchr(out, '.');
  if (!dot || std::strchr(dot, '/')) return false;
  for (const char* ext : {".bmg", ".png", ".tga"})
    if (strcasecmp(dot, ext) == 0) return true;
  return false;
}

// Writes the image to a new file in OUT's folder, then renames it over OUT. OUT itself must be missing or a
// regular file of one link, as the library's own writers demand: a link, folder or special file is refused.
bool Write(Image_I& image, const char* out, bool png16) {
  ReplacingFile file(out);
  const int fd = file.Fd() >= 0 ? dup(file.Fd()) : -1;
  if (fd < 0) {
    std::fprintf(stderr, "pm-image: cannot write \"%s\": %s\n", Inert(out),
                 OpenFailureText(file.Error() ? file.Error() : errno));
    return false;
  }
  bool ok;
  {
    StreamPipeRef pipe(NewCounted<FileStream>(fd, kModeWrite, out));
    ok = image.ExportFileToStream(String(out), pipe.Get(), 0, png16 ? 1 : 0) == SOK;
  }  // closes the stream's descriptor
  if (ok && file.Commit()) return true;
  std::fprintf(stderr, "pm-image: cannot write \"%s\"\n", Inert(out));
  return false;
}

int Convert(const char* in, const char* out, bool png16) {
  if (!KnownOutput(out)) {
    std::fprintf(stderr, "pm-image: cannot write \"%s\": the output extensions known are .bmg, .png and .tga\n",
                 Inert(out));
    return 1;
  }
  Obj<Image_I> image(Image_I::New());
  if (!Load(*image, in)) return 1;
  return Write(*image, out, png16) ? 0 : 1;
}

int Info(const char* in) {
  Obj<Image_I> image(Image_I::New());
  if (!Load(*image, in)) return 1;
  int levels = 0;
  for (Image_I* level = image->GetMipMap(); level && levels < 64; level = level->GetMipMap()) ++levels;
  String md5 = MD5::ToHex(MD5::Of(image->GetData(), image->DataBytes()));
  std::printf("size %dx%d\nbytes per pixel %d\nmip levels %d\nmd5 %s\n", image->GetWidth(), image->GetHeight(),
              image->GetBytesPerPixel(), levels, md5.CStr());
  return 0;
}

}  // namespace

int main(int argc, char** argv) {
  std::string command = argc > 1 ? argv[1] : "";
  bool convert = command == "convert" && (argc == 4 || (argc == 5 && std::strcmp(argv[4], "--png16") == 0));
  bool info = command == "info" && argc == 3;
  if (!convert && !info) {
    std::fputs(kUsage, command == "--help" ? stdout : stderr);
    return command == "--help" ? 0 : 2;
  }
  auto* log = static_cast<LogPipe*>(LogOutPipe().Get());
  log->CloseConsole();
  log->OpenConsole(2);
  // The library's start-up and shutdown lines stay out; the readers' own lines (from Info up) stay in.
  g_LogLevel = kLevelInfo;
  if (DLLInitialize(0) != 0) {
    std::fputs("pm-image: the library did not start.\n", stderr);
    return 1;
  }
  g_LogLevel = kLevelDebug;
  int status = convert ? Convert(argv[2], argv[3], argc == 5) : Info(argv[2]);
  g_LogLevel = kLevelInfo;
  DLLDeInitialize(0);
  return status;
}
