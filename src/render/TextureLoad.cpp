#include "render/TextureLoad.h"

#include <algorithm>
#include <atomic>
#include <cctype>
#include <cstdio>
#include <string>
#include <string_view>
#include <vector>

#include "classes/FileObject.h"
#include "core/Log.h"
#include "core/StreamPipe.h"
#include "core/TraceStage.h"
#include "platform/PerformanceCounter.h"
#include "platform/Thread.h"
#include "render/FontTexture2D.h"
#include "render/Texture.h"
#include "storage/Storage.h"

namespace PM {

namespace {

String Str(std::string_view s) { return String(s); }

// The last-write time of `path` (0 when it cannot be opened), the full path it was found at and its length.
int64_t LastWriteTime(const String& path, String& fullPath, int64_t* length = nullptr) {
  ResultCode rc = 0;
  StreamPipeRef pipe(Storage::OpenStream(path, Storage::kReadQuiet, fullPath, &rc));
  if (rc != 0) return 0;
  int64_t creation = 0, access = 0, lastWrite = 0;
  pipe->GetFileTime(&creation, &access, &lastWrite);
  if (length) *length = pipe->GetFileLength();
  return lastWrite;
}

// A cache saves work only while reading it is cheaper than decoding the source again: decoding time grows
// with the source's bytes, reading the cache with its own. So the cache is at most kTextureCacheFactor times
// the source (a small one costs nothing worth weighing), and never above kTextureCacheMaxBytes
// (docs/decisions/render.md, "The texture cache only where it saves work").
bool CacheWorthIt(Image_I& image, int64_t sourceBytes) {
  int64_t bytes = 16;
  for (Image_I* level = &image; level; level = level->GetMipMap()) bytes += int64_t(level->DataBytes());
  return bytes <= kTextureCacheMaxBytes &&
         (bytes <= kTextureCacheFloorBytes || bytes <= kTextureCacheFactor * std::max<int64_t>(sourceBytes, 0));
}

// Archive and video-package names are never cached: their caches would land inside the package.
bool MayCache(std::string_view name) {
  for (const char* ext : {".qvp", ".QVP", ".pmk", ".PMK"}) {
    if (name.find(ext) != std::string_view::npos) return false;
  }
  return true;
}

// Writes the cache under a name of its own first, so a reader never sees half a file.
void WriteCache(Image_I& image, const std::string& cachePath) {
  static std::atomic<uint32_t> serial{0};
  std::string tmp = cachePath.substr(0, cachePath.size() - 4) + ".tmp" + std::to_string(Thread::CurrentId()) + "-" +
                    std::to_string(serial.fetch_add(1)) + ".bmg";
  if (image.ExportFile(Str(tmp)) != 0 || std::rename(tmp.c_str(), cachePath.c_str()) != 0) {
    std::remove(tmp.c_str());
    Log(LogOutPipe(), kLevelInfo, "LoadImageCached: could not write \"", Str(cachePath), "\".");
  }
}

bool IsValid(Image_I* image) { return image->GetWidth() > 0 && image->GetHeight() > 0 && image->GetFormat() > 0; }

// The source files a look-up tries, in its order.
constexpr const char* kSourceExtensions[] = {".png", ".jp2"};

// `name` without its last extension when that is one of an image file the loader reads ("Images/checker"
// for "Images/checker.png"), else empty.
std::string_view WithoutImageExtension(std::string_view name) {
  const size_t dot = name.rfind('.');
  if (dot == std::string_view::npos || name.find('/', dot) != std::string_view::npos) return {};
  std::string ext(name.substr(dot));
  for (char& c : ext) c = char(std::tolower(static_cast<unsigned char>(c)));
  for (const char* known : {".png", ".jp2", ".bmg"})
    if (ext == known) return name.substr(0, dot);
  return {};
}

}  // namespace

ResultCode ResolveImagePath(ScriptObject* fileObject, const String& imagePath, String& out) {
  if (!fileObject || IsNilObject(fileObject) || !fileObject->IsA(FileObject_I::kClassId)) {
    out = String();
    return ENotFound;
  }
  auto* f = static_cast<FileObject_I*>(fileObject);
  String name = f->GetFileName();
  std::string_view v = name.View();
  if (v.starts_with("absolute://"))
    out = Str(v.substr(11));
  else if (v.starts_with("http://"))
    out = name;
  else
    out = Str(std::string(f->GetReadPath().View()) + std::string(imagePath.View()) + std::string(v));
  return 0;
}

Obj<Image_I> LoadImageCached(const String& name, String* source) {
  Obj<Image_I> image(Image_I::New());
  if (source) *source = String();
  if (name.IsEmpty()) return image;
  std::string n(name.View());
  String found;
  int64_t sourceBytes = 0;
  int64_t sourceTime = LastWriteTime(Str(n + kSourceExtensions[0]), found, &sourceBytes);
  if (sourceTime == 0) sourceTime = LastWriteTime(Str(n + kSourceExtensions[1]), found, &sourceBytes);
  if (sourceTime == 0) return image;
  if (source) *source = found;

  std::string full(found.View());
  size_t dot = full.rfind('.');
  std::string cache = full.substr(0, dot) + ".cache.bmg";
  String cacheFound;
  int64_t cacheTime = LastWriteTime(Str(cache), cacheFound);
  if (cacheTime > sourceTime) {
    StreamPipeRef pipe(Storage::OpenStreamSimple(Str(cache), Storage::kReadQuiet));
    if (image->ImportFileFromStream(Str(cache), pipe.Get()) == 0 && IsValid(image)) return image;
    // A damaged cache is replaced from the source below.
    Log(LogOutPipe(), kLevelInfo, "LoadImageCached: cache \"", Str(cache), "\" unreadable, reloading the source.");
  }
  image->ImportFile(name);
  if (IsValid(image) && MayCache(n) && CacheWorthIt(*image, sourceBytes)) WriteCache(*image, cache);
  return image;
}

void LogImageNotLoaded(const String& name, const String& source, bool triedCubeFace) {
  std::string text = "TextureLoad: image file \"" + std::string(name.View()) + "\" not found or format unsupported.";
  if (name.IsEmpty()) {
    text += " No file name was given.";
  } else if (!source.IsEmpty()) {
    text += " \"" + std::string(source.View()) + "\" was found but could not be read.";
  } else {
    std::vector<std::string> tried;
    for (const char* face : {"", ".PZ"}) {
      if (*face && !triedCubeFace) break;
      for (const char* ext : kSourceExtensions) tried.push_back("\"" + std::string(name.View()) + face + ext + "\"");
    }
    text += " Tried ";
    for (size_t i = 0; i < tried.size(); ++i) text += (i == 0 ? "" : i + 1 == tried.size() ? " and " : ", ") + tried[i];
    if (triedCubeFace) text += " (a cube map's first face)";
    text += "; the name is given without its extension";
    const std::string_view bare = WithoutImageExtension(name.View());
    text += bare.empty() ? "." : ": \"" + std::string(bare) + "\".";
  }
  Log(LogOutPipe(), kLevelError, Str(text));
}

namespace {

constexpr const char* kAlphaModeNames[] = {
    "Opaque",
    "AlphaMask",
    "AlphaBlend/WriteZ",
    "AlphaBlend",
    "AlphaAdd",
    "Add",
    "Multiply",
    "AlphaBlend/AlphaMask/WriteZ",
    "AlphaBlend/AlphaMask=2/WriteZ",
};

}  // namespace

const char* TextureAlphaModeName(int mode) {
  return mode >= 0 && mode < int(std::size(kAlphaModeNames)) ? kAlphaModeNames[mode] : "";
}

void ParseTextureAlphaMode(const String& name, int& mode) {
  if (name.IsEmpty()) return;
  for (int i = 0; i < int(std::size(kAlphaModeNames)); ++i) {
    if (name.View() == kAlphaModeNames[i]) {
      mode = i;
      return;
    }
  }
  Log(LogOutPipe(), kLevelWarn, "texture alphamode \"", name, "\" not supported.");
}

void ParseTexturePMF(const char* text, size_t size, const String& name, String& typeName, String& alphaModeName) {
  typeName = String();
  alphaModeName = String();
  std::string_view v(text, size);
  size_t pos = 0;
  // Skips white space, then reads one string in double quotes (empty when there is none).
  auto quoted = [&]() {
    while (pos < v.size() && (v[pos] == ' ' || v[pos] == '\t' || v[pos] == '\r' || v[pos] == '\n')) ++pos;
    if (pos >= v.size() || v[pos] != '"') return std::string_view();
    size_t end = v.find('"', pos + 1);
    if (end == std::string_view::npos) {
      pos = v.size();
      return std::string_view();
    }
    std::string_view s = v.substr(pos + 1, end - pos - 1);
    pos = end + 1;
    return s;
  };
  std::string_view type = quoted();
  if (type.empty()) {
    std::string_view n = name.View();
    size_t slash = n.rfind('/');
    Log(LogOutPipe(), kLevelError, "Invalid file format in \"", Str(slash == n.npos ? n : n.substr(slash)), "\".");
  } else {
    typeName = Str(type);
  }
  std::string_view mode = quoted();
  if (!mode.empty()) alphaModeName = Str(mode);
}

void ImportFilePMF(const String& name, String& typeName, String& alphaModeName) {
  typeName = String();
  alphaModeName = String();
  String found;
  ResultCode rc = 0;
  StreamPipeRef pipe(Storage::OpenStream(String::FromConcatCStr(name, ".pmf"), Storage::kReadQuiet, found, &rc));
  if (rc != 0) return;
  // Description files are two short strings; more than this is not one.
  constexpr int64_t kMaxBytes = 1 << 16;
  std::string text(size_t(kMaxBytes), '\0');
  int64_t n = pipe->Read(text.data(), kMaxBytes);
  text.resize(size_t(n > 0 ? n : 0));
  ParseTexturePMF(text.data(), text.size(), name, typeName, alphaModeName);
}

void LoadTextureImage(Texture_I* t, TextureHandle* h, const TextureSettingsInfo& settings, float* frameSeconds) {
  TraceStage trace("Texture loading");
  if (t->IsA(FontTexture2D_I::kClassId)) static_cast<FontTexture2D_I*>(t)->CreateFontImage();
  if (Image_I* source = t->SourceImage()) {
    h->Deliver(source, TextureHandle::kReady);
  } else if (Image_I* loaded = t->LoadedImage()) {
    h->Deliver(loaded, TextureHandle::kReady);
    t->ClearLoadedImage();
  } else {
    const int64_t start = QueryPerformanceCounter();
    t->PreloadImage(settings.EnableTextureThread != 0, settings.ImagePath, h);
    *frameSeconds += float(double(QueryPerformanceCounter() - start) / double(QueryPerformanceFrequency()));
  }
}

}  // namespace PM
