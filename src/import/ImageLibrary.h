// ImageLibrary: the reader's decoding of the texture formats stb_image lacks (SGI, DDS) through OpenImageIO,
// reached through pm-import-images.so beside the reader and loaded on first use, so that a model without
// such a texture pays nothing for it.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

#include "import/ImportScene.h"

namespace PM::Import {

// The format of an image file from its first bytes ("SGI image", "DDS image", "PNG image", ...), or "" when
// none the reader knows of.
std::string ImageFormatOf(const uint8_t* bytes, size_t count);

// Whether OpenImageIO decodes `format` for the reader (SGI and DDS).
bool LibraryDecodes(const std::string& format);

// What loading the library adds to the reader's address space (OpenImageIO's libraries, and the threads
// and heaps one of them starts): the reader's budget grows by it first, through `makeRoom`.
inline constexpr uint64_t kImageLibraryAddressSpace = uint64_t{1} << 30;
void SetImageLibraryRoom(void (*makeRoom)(uint64_t bytes));

// The bridge's file: pm-import-images.so beside the running program.
std::string ImageBridgePath();

// Decodes the file at `path` or, when it is null, `bytes` of `format` (one LibraryDecodes takes) into
// `texture`'s RGBA rows. False, with `why` ("not decoded: ...", "damaged: ..."), when it gives no pixels;
// `overBudget` when an allocation failed.
bool DecodeWithLibrary(const std::string& format, const char* path, const uint8_t* bytes, size_t count,
                       Texture& texture, std::string& why, bool& overBudget);

}  // namespace PM::Import
