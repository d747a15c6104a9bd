// Loading a texture's image on a thread of its own: one record per load, and the test switch that
// makes the thread start fail.
#pragma once

#include <atomic>
#include <memory>

#include "render/Texture.h"

namespace PM {

struct AsyncTextureInfo {
  Obj<Texture_I> texture;  // keeps the texture alive during the load
  Ptr<Image_I> image;
  uint8_t threaded = 0;
  String fileName;  // resolved, without extension
  String imagePath;
  Ptr<TextureHandle> handle;
};

// Loads info's file into its handle (image first, then the state) and frees the info. A threaded load
// also hands its texture reference to the drawing thread, then frees the info, and only then counts
// itself out of PendingTextureLoads: what waits for the count finds nothing of the load still held.
uint32_t AsyncTextureLoad(std::unique_ptr<AsyncTextureInfo> info);

// Set by tests: the next thread starts fail as the system's refusal would.
extern std::atomic<bool> g_FailTextureThreadStart;

}  // namespace PM
