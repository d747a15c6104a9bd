// Finding and loading a texture's image file: the file object's path, the image with its BMG cache
// beside the source, the texture description file and the alpha-mode names.
#pragma once

#include <cstdint>

#include "core/ResultCode.h"
#include "core/String.h"
#include "engine/Image.h"
#include "engine/RenderEngineRecords.h"

namespace PM {

class Texture_I;
class TextureHandle;

// Full name of the image a FileObject names: "absolute://" names stand alone, "http://" names are
// taken whole, others are read path + image path + file name. Not a FileObject: empty and ENotFound.
ResultCode ResolveImagePath(ScriptObject* fileObject, const String& imagePath, String& out);

// The cache beside a texture's source is written only when its bytes are at most this many times the
// source's (or below the floor, where it costs next to nothing either way), and never above the bound.
constexpr int64_t kTextureCacheFactor = 16;
constexpr int64_t kTextureCacheFloorBytes = int64_t(1) << 20;
constexpr int64_t kTextureCacheMaxBytes = int64_t(32) << 20;

// The image of `name` + ".png" (else ".jp2"); the "<base>.cache.bmg" beside it when strictly newer.
// Never null; empty when nothing could be read. `source`, when given, receives the full name of the
// source file found (empty when neither was). A new cache is written only within the bounds above.
Obj<Image_I> LoadImageCached(const String& name, String* source = nullptr);

// Logs the error of an image `name` that LoadImageCached could not load: the source it found but could
// not read, or else the files it tried (with a cube map's first face when `triedCubeFace`), and that the
// name is given without its extension; an empty name tried nothing.
void LogImageNotLoaded(const String& name, const String& source, bool triedCubeFace);

// Alpha-mode names by value, 0..8.
const char* TextureAlphaModeName(int mode);
// Exact match sets `mode`; an empty name is ignored, others logged.
void ParseTextureAlphaMode(const String& name, int& mode);

// Reads the two quoted strings of name + ".pmf"; a missing file leaves both empty.
void ImportFilePMF(const String& name, String& typeName, String& alphaModeName);
// The same on text already read (the fuzz target's entry).
void ParseTexturePMF(const char* text, size_t size, const String& name, String& typeName, String& alphaModeName);

// A back end's loading step for a texture it may load this frame: a font texture draws its image first;
// an image the texture holds goes to the handle at once, else the image is read (on the loader thread
// when the settings say so) and the time it took is added to `frameSeconds`.
void LoadTextureImage(Texture_I* texture, TextureHandle* handle, const TextureSettingsInfo& settings,
                      float* frameSeconds);

}  // namespace PM
