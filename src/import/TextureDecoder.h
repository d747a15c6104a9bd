// TextureDecoder: the reader program's images, from files beside the model or embedded in it, decoded into
// the scene record's RGBA rows (stb_image: JPEG, PNG, TGA, BMP, GIF, PSD, HDR, PIC, PNM; GraphicsMagick, loaded
// on first use: SGI, DDS).
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <string>

#include "import/ImportScene.h"

struct aiTexture;

namespace PM::Import {

// Decodes an open image file; `texture.missing`, with its `fault`, when it is too large, not an image
// the reader decodes (`undecoded` naming its format), or more than the memory budget holds.
void DecodeTextureFile(FILE* file, Texture& texture);
// Decodes an embedded texture: compressed bytes (a file's contents) or raw ARGB8888 texels.
void DecodeEmbeddedTexture(const aiTexture& embedded, Texture& texture);
// Decodes compressed image bytes.
void DecodeTextureBytes(const uint8_t* bytes, size_t count, Texture& texture);

}  // namespace PM::Import
