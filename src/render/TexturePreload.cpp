#include "render/TexturePreload.h"

#include <cstring>
#include <mutex>
#include <string_view>
#include <system_error>
#include <thread>
#include <vector>

#include "core/Log.h"
#include "core/StartUp.h"
#include "core/Trace.h"
#include "platform/Hourglass.h"
#include "platform/Thread.h"
#include "render/ImageLayer.h"
#include "render/TextureLoad.h"

namespace PM {

std::atomic<int32_t> PendingTextureLoads{0};
std::atomic<bool> g_FailTextureThreadStart{false};

namespace {

std::mutex g_releaseMutex;
std::vector<Texture_I*> g_releases;  // each holds one reference

void HandBackTexture(Obj<Texture_I>& texture) {
  Texture_I* t = texture.Detach();
  std::lock_guard<std::mutex> lock(g_releaseMutex);
  g_releases.push_back(t);
}

}  // namespace

bool IsVideoName(std::string_view name) {
  size_t dot = name.rfind('.');
  if (dot == std::string_view::npos) return false;
  std::string_view ext = name.substr(dot);
  for (const char* v : {".mpg", ".mpeg", ".avi", ".asf", ".wmv", ".gcv"}) {
    if (ext == v) return true;
  }
  return false;
}

void DrainTextureReleases() {
  std::vector<Texture_I*> releases;
  {
    std::lock_guard<std::mutex> lock(g_releaseMutex);
    releases.swap(g_releases);
  }
  for (Texture_I* t : releases) {
    Obj<Texture_I> last;
    last.Attach(t);
  }
}

uint32_t AsyncTextureLoad(std::unique_ptr<AsyncTextureInfo> owned) {
  AsyncTextureInfo* info = owned.get();
  if (info->threaded) {
    LogDebug("AsyncTextureLoad: started.");
    DLLInitialize(0);
    // Above normal asks for a privilege most processes lack, so the refusal is the common answer.
    if (!Thread::SetCurrentPriority(Thread::kPriorityAboveNormal))
      LogWarn("AsyncTextureLoad: could not set thread priority.");
  }
  String source;
  Obj<Image_I> image =
      info->fileName.IsEmpty() ? Obj<Image_I>(Image_I::New()) : LoadImageCached(info->fileName, &source);
  int32_t state = TextureHandle::kReady;
  if (image->GetWidth() == 0 || image->GetHeight() == 0 || image->GetBytesPerPixel() == 0) {
    // A cube map is six files named after the texture: the engine loads its faces itself.
    String face = info->fileName;
    face.Append(".PZ", 3);
    if (info->fileName.IsEmpty() || LoadImageCached(face)->GetFormat() == 0) {
      LogImageNotLoaded(info->fileName, source, true);
      state = TextureHandle::kFailed;
    }
  }
  info->image = image.Get();
  info->handle->Deliver(image.Get(), state);
  if (info->threaded) {
    HandBackTexture(info->texture);
    // This thread's image and the info (which holds the handle) go before the count falls: a host that
    // waits for it to reach 0 may shut down at once, and the last of them may be what destroys the image.
    image.Clear();
    owned.reset();
    DLLDeInitialize(0);
    LogDebug("AsyncTextureLoad: completed.");
    PendingTextureLoads.fetch_sub(1, std::memory_order_acq_rel);
  }
  return 0;
}

int32_t Texture_I::PreloadFromLayers(const String& imagePath, TextureHandle* handle) {
  TraceMark("PreloadImage ImageLayer");
  Hourglass wait;
  LayerApplyContext context{imagePath, 0};
  LayerImageResult result;
  if (handle) handle->SetState(TextureHandle::kLoading);
  if (m_imageLayer->ApplyToImage(context, result) != 0) {
    m_imageLayer->MarkUpToDate();
    if (!result.image) {
      if (handle) handle->SetState(TextureHandle::kFailed);
      TraceMark("PreloadImage AsyncState=-1");
    } else if (handle) {
      handle->Deliver(result.image.Get(), TextureHandle::kReady);
    } else {
      m_loadedImage = result.image.Get();
    }
  } else {
    if (handle) handle->SetState(TextureHandle::kNothing);
    TraceMark("PreloadImage AsyncState=0");
  }
  TraceMark("PreloadImage return A");
  return 1;
}

int32_t Texture_I::PreloadImage(bool threaded, const String& imagePath, TextureHandle* handle) {
  DrainTextureReleases();
  if (!m_imageLayer.IsNil()) return PreloadFromLayers(imagePath, handle);

  TraceMark("PreloadImage AsyncTexture");
  auto info = std::make_unique<AsyncTextureInfo>();
  info->handle = handle ? handle : NewCounted<TextureHandle>();
  info->handle->SetState(TextureHandle::kNothing);
  if (handle) {
    handle->SetImage(nullptr);
    handle->SetState(TextureHandle::kLoading);
  }
  info->texture = this;
  info->imagePath = imagePath;
  ResolveImagePath(m_fileObject, imagePath, info->fileName);

  if (IsVideoName(info->fileName.View())) {
    if (handle)
      handle->Deliver(nullptr, TextureHandle::kReady);
    else
      m_loadedImage = nullptr;
    TraceMark("PreloadImage return V");
    return 1;
  }

  if (threaded) {
    TraceMark("PreloadImage thread");
    PendingTextureLoads.fetch_add(1, std::memory_order_acq_rel);
    info->threaded = 1;
    // The state before the thread runs: it may finish before this returns.
    const int32_t state = info->handle->State();
    try {
      if (g_FailTextureThreadStart.exchange(false)) {
        throw std::system_error(std::make_error_code(std::errc::resource_unavailable_try_again));
      }
      AsyncTextureInfo* raw = info.get();
      std::thread([raw] { AsyncTextureLoad(std::unique_ptr<AsyncTextureInfo>(raw)); }).detach();
      (void)info.release();  // NOLINT(bugprone-unused-return-value): the thread owns it now
      TraceMark("PreloadImage return Thread");
      return state;
    } catch (const std::system_error& e) {
      PendingTextureLoads.fetch_sub(1, std::memory_order_acq_rel);
      Log(LogOutPipe(), kLevelError, "Texture2D: AsyncTexture: CreateThread failed: ", e.code().message().c_str(), ".");
    }
  }
  info->threaded = 0;
  {
    Hourglass wait;
    Ptr<TextureHandle> loaded = info->handle;
    AsyncTextureLoad(std::move(info));
    if (!handle) m_loadedImage = loaded->GetImage();
  }
  TraceMark("PreloadImage return Direct");
  return 1;
}

}  // namespace PM
