// Choosing an image file's reader or writer by its extension, and finding a file by its base name.
#include <strings.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

#include "core/Log.h"
#include "core/StreamPipe.h"
#include "engine/Image.h"
#include "platform/InertText.h"
#include "platform/ReplacingFile.h"
#include "platform/SafeFile.h"
#include "storage/FileStream.h"
#include "storage/Storage.h"
#include "storage/Streams.h"

namespace PM {

namespace {

enum class ImageFormat { kNone, kBMG, kPNG, kJP2, kTGA };

// The text after the last ".", compared without case.
ImageFormat FormatOf(const String& name) {
  const char* dot = std::strrchr(name.CStr(), '.');
  if (!dot) return ImageFormat::kNone;
  static const struct {
    const char* ext;
    ImageFormat format;
  } kFormats[] = {
      {"bmg", ImageFormat::kBMG}, {"png", ImageFormat::kPNG}, {"jp2", ImageFormat::kJP2}, {"tga", ImageFormat::kTGA}};
  for (const auto& f : kFormats) {
    if (strcasecmp(dot + 1, f.ext) == 0) return f.format;
  }
  return ImageFormat::kNone;
}

}  // namespace

ResultCode Image_I::ImportFileFromStream(const String& fileName, StreamPipe* pipe) {
  m.Clear();
  if (!pipe) pipe = NullPipe();
  switch (FormatOf(fileName)) {
    case ImageFormat::kBMG:
      return m.ImportFileBMG(*this, fileName, pipe);
    case ImageFormat::kPNG:
      return ImportFilePNG(*this, fileName, pipe);
    case ImageFormat::kJP2:
      return ImportFileJP2(*this, fileName, pipe);
    case ImageFormat::kTGA:
      return m.ImportFileTGA(*this, fileName, pipe);
    default:
      return ENotFound;
  }
}

ResultCode Image_I::ImportFile(const String& baseName) {
  m.Clear();
  static const struct {
    const char* ext;
    uint32_t mode;
  } kCandidates[] = {{".bmg", Storage::kReadQuiet}, {".png", Storage::kReadQuiet}, {".jp2", Storage::kRead}};
  for (const auto& c : kCandidates) {
    String name = String::FromConcatCStr(baseName, c.ext);
    StreamPipeRef pipe(Storage::OpenStreamSimple(name, c.mode));
    if (pipe->PeekByte() >= 0) return ImportFileFromStream(name, pipe.Get());
  }
  return ENotFound;
}

ResultCode Image_I::ExportFileToStream(const String& fileName, StreamPipe* pipe, int format, int variant) {
  if (!pipe) pipe = NullPipe();
  switch (FormatOf(fileName)) {
    case ImageFormat::kBMG:
      return m.ExportFileBMG(*this, fileName, pipe);
    case ImageFormat::kPNG:
      return ExportFilePNG(*this, fileName, pipe, format, variant);
    case ImageFormat::kTGA:
      return m.ExportFileTGA(*this, fileName, pipe);
    default:
      return ENotFound;
  }
}

ResultCode Image_I::ExportFile(const String& fileName, int format, int variant) {
  ImageFormat f = FormatOf(fileName);
  if (f != ImageFormat::kBMG && f != ImageFormat::kPNG && f != ImageFormat::kTGA) return ENotFound;
  // Written beside and renamed over the name once whole: a failed export leaves no partial or empty file.
  ReplacingFile file(fileName.CStr());
  const int fd = file.Fd() >= 0 ? ::dup(file.Fd()) : -1;
  if (fd < 0) {
    LogError("Image: cannot write \"", InertText(fileName.View()).c_str(),
             "\": ", OpenFailureText(file.Fd() >= 0 ? errno : file.Error()), ".");
    return EFail;
  }
  ResultCode r;
  {
    StreamPipeRef pipe(NewCounted<FileStream>(fd, kModeWrite, fileName.CStr()));
    r = ExportFileToStream(fileName, pipe.Get(), format, variant);
  }
  if (r == SOK && !file.Commit()) {
    LogError("Image: cannot write \"", InertText(fileName.View()).c_str(), "\": ", OpenFailureText(file.Error()), ".");
    r = EFail;
  }
  return r;
}

}  // namespace PM
