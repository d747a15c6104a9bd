// The Direct3D 8 engine's video textures: the decoder is started when the texture's file is a video, and
// each time the texture is bound the latest decoded frame goes into the top left of one power-of-two texture.
#include <cstring>
#include <vector>

#include "core/Log.h"
#include "render/Texture.h"
#include "render/TextureLoad.h"
#include "render/TexturePreload.h"
#include "render/VideoFrameState.h"
#include "render/d3d8/PixelRows.h"
#include "render/d3d8/RenderEngineDirectX8.h"
#include "render/d3d8/TextureHandleDirectX8.h"

namespace PM {

bool RenderEngineDirectX8_D::StartVideo(TextureHandleDirectX8* h, const String& fileName) {
  if (!IsVideoName(fileName.View())) return false;
  if (!VideoFrameState::Of(h)) VideoFrameState::Attach(h, fileName);
  return true;
}

void RenderEngineDirectX8_D::UploadVideoFrame(Texture_I* t, TextureHandleDirectX8* h) {
  VideoFrameState* state = VideoFrameState::Of(h);
  if (Texture2DVideo_I* video = state->Video()) video->Update();
  StreamPipeRef& log = LogOutPipe();
  state->TakeFrame([&](Image_I& frame) {
    const int32_t w = frame.GetWidth(), hgt = frame.GetHeight();
    if (frame.GetBytesPerPixel() != 4 || w <= 0 || hgt <= 0) return;
    const int32_t pw = NextPowerOfTwo(w), ph = NextPowerOfTwo(hgt);
    const D3DFORMAT format = m_texFormat.FindBestMatch(D3DFMT_X8R8G8B8);
    if (pw != state->m_allocatedWidth || ph != state->m_allocatedHeight) {
      IDirect3DTexture8* texture = nullptr;
      if (m_device->CreateTexture(UINT(pw), UINT(ph), 1, 0, format, D3DPOOL_MANAGED, &texture) != D3D_OK || !texture) {
        String fileName;
        ResolveImagePath(t->m_fileObject.Get(), m_textureSettings.ImagePath, fileName);
        Log(log, kLevelError, "DX8 Video: CreateTexture failed for ", fileName);
        h->SetState(TextureHandle::kNothing);
        return;
      }
      ReplaceTexture(h, texture);
      state->m_allocatedWidth = pw;
      state->m_allocatedHeight = ph;
      Log(log, kLevelInfo, "VideoTexture: Format ", pw, "x", ph, ".");
      // Zeroed, so the part beyond the frame samples black rather than whatever the memory held.
      D3DLOCKED_RECT locked;
      if (texture->LockRect(0, &locked, nullptr, 0) == D3D_OK) {
        const size_t rowBytes = size_t(pw) * D3DFormatBytesPerPixel(format);
        for (int32_t y = 0; y < ph; ++y)
          std::memset(static_cast<uint8_t*>(locked.pBits) + int64_t(y) * locked.Pitch, 0, rowBytes);
        texture->UnlockRect(0);
      }
    }
    D3DLOCKED_RECT locked;
    if (h->m_texture->LockRect(0, &locked, nullptr, 0) != D3D_OK) {
      Log(log, kLevelError, "DownloadImage Video: LockRect failed");
      return;
    }
    if (format == D3DFMT_X8R8G8B8 || format == D3DFMT_A8R8G8B8) {
      // Frames are R, G, B, A bytes; the texture's words are 0xAARRGGBB: through the reader and writer.
      const PixelRowReader read = FindPixelRowReader(4);
      const PixelRowWriter write = FindPixelRowWriter(format);
      std::vector<uint32_t> row(static_cast<size_t>(w));
      const uint8_t* pixels = frame.GetData();
      for (int32_t y = 0; y < hgt; ++y) {
        read(row.data(), pixels + size_t(y) * size_t(w) * 4, w);
        write(static_cast<uint8_t*>(locked.pBits) + int64_t(y) * locked.Pitch, row.data(), w);
      }
    } else {
      Log(log, kLevelError, "DX8 Video: D3DFMT_X8R8G8B8 not supported.");
    }
    h->m_texture->UnlockRect(0);
  });
}

void RenderEngineDirectX8_D::CloseVideo(TextureHandleDirectX8* h) {
  if (VideoFrameState* state = VideoFrameState::Of(h)) {
    state->CloseVideo();
    h->m_engineObject.Clear();
  }
}

}  // namespace PM
