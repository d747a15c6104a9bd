// The Direct3D 8 engine's textures: the handle lists, the format a texture type asks for, the download of
// an image with its mip levels through the row readers and writers, and SetTexture, which loads (within
// the frame's budget), downloads, falls back to the default colour and binds with the sampling states.
#include <algorithm>
#include <bit>
#include <cmath>
#include <vector>

#include "core/Log.h"
#include "core/TraceStage.h"
#include "platform/PerformanceCounter.h"
#include "render/EngineLists.h"
#include "render/FontTexture2D.h"
#include "render/ImageLayer.h"
#include "render/Texture2D.h"
#include "render/TextureLoad.h"
#include "render/VideoFrameState.h"
#include "render/d3d8/PixelRows.h"
#include "render/d3d8/RenderEngineDirectX8.h"
#include "render/d3d8/TextureHandleDirectX8.h"

namespace PM {

namespace {

// What a texture type name of the description file asks the device for.
struct TextureTypeRow {
  const char* name;
  D3DFORMAT format;
  int32_t bits;
};
constexpr TextureTypeRow kTextureTypes[] = {
    {"L", D3DFMT_L8, 8},
    {"L_8", D3DFMT_L8, 8},
    {"L_4", D3DFMT_L8, 8},
    {"LA", D3DFMT_A8L8, 16},
    {"LA_88", D3DFMT_A8L8, 16},
    {"LA_44", D3DFMT_A4L4, 8},
    {"RGB", D3DFMT_R8G8B8, 24},
    {"RGB_888", D3DFMT_R8G8B8, 24},
    {"RGB_565", D3DFMT_R5G6B5, 16},
    {"RGB_332", D3DFMT_R3G3B2, 8},
    {"RGBA", D3DFMT_A8R8G8B8, 32},
    {"RGBA_8888", D3DFMT_A8R8G8B8, 32},
    {"RGBA_5551", D3DFMT_A1R5G5B5, 16},
    {"RGBA_4444", D3DFMT_A4R4G4B4, 16},
};
// By the image's bytes per pixel when the name is empty or unknown: 1, 2, 3, any other.
constexpr TextureTypeRow kTypesByChannels[] = {
    {"", D3DFMT_L8, 8}, {"", D3DFMT_A8L8, 16}, {"", D3DFMT_R8G8B8, 24}, {"", D3DFMT_A8R8G8B8, 32}};

// Halves each side above 1.
void Halve(int32_t& w, int32_t& h) {
  if (w > 1) w /= 2;
  if (h > 1) h /= 2;
}

// The image at the next smaller size: its own mip level when it has one of that size, else a reduction.
Ptr<Image_I> Reduced(Image_I* current, int32_t w, int32_t h, int filter) {
  if (Image_I* level = current->GetMipMap(); level && level->GetWidth() == w && level->GetHeight() == h)
    return Ptr<Image_I>(level);
  Ptr<Image_I> smaller(Image_I::New());
  smaller->Create(current->GetBytesPerPixel(), w, h, 0);
  smaller->Reformat(current, filter);
  return smaller;
}

bool IsPointFilter(uint32_t mode) { return mode == Texture_I::kFilterPoint; }
bool IsRepeat(uint32_t mode) { return mode == Texture_I::kWrapRepeat; }

}  // namespace

D3DFORMAT RenderEngineDirectX8_D::TextureTypeFormat(const String& typeName, int32_t bytesPerPixel) {
  if (!typeName.IsEmpty()) {
    for (const TextureTypeRow& r : kTextureTypes)
      if (typeName.EqualsCStr(r.name)) return r.format;
    Log(LogOutPipe(), kLevelWarn, "texture type \"", typeName, "\" not supported (hardware or software).");
  }
  return kTypesByChannels[std::clamp(bytesPerPixel, 1, 4) - 1].format;
}

int32_t RenderEngineDirectX8_D::DownloadImage(IDirect3DTexture8* texture, D3DFORMAT format, bool mipMaps,
                                              Image_I* image, int filter, int32_t width, int32_t height) {
  StreamPipeRef& log = LogOutPipe();
  Ptr<Image_I> current(image);
  int32_t w = image->GetWidth(), h = image->GetHeight();
  while (w > width || h > height) {
    const int32_t ow = w, oh = h;
    Halve(w, h);
    if (w == ow && h == oh) break;
    current = Reduced(current.Get(), w, h, filter);
  }
  const PixelRowReader read = FindPixelRowReader(current->GetBytesPerPixel());
  if (!read) {
    Log(log, kLevelError, "DownloadImage: unknown source image format");
    return -1;
  }
  const PixelRowWriter write = FindPixelRowWriter(format);
  if (!write) {
    Log(log, kLevelError, "DownloadImage: unknown target image format.");
    return -1;
  }
  const uint32_t bytesPerPixel = D3DFormatBytesPerPixel(format);
  std::vector<uint32_t> row;
  int32_t total = 0;
  for (UINT level = 0;; ++level) {
    D3DSURFACE_DESC desc;
    if (texture->GetLevelDesc(level, &desc) != D3D_OK || desc.Width != UINT(w) || desc.Height != UINT(h) ||
        desc.Format != format) {
      Log(log, kLevelError, "surface format mismatch");
      return -1;
    }
    D3DLOCKED_RECT locked;
    if (texture->LockRect(level, &locked, nullptr, 0) != D3D_OK) {
      Log(log, kLevelError, "DownloadImage: LockRect failed");
      return -1;
    }
    row.resize(size_t(w));
    const size_t imageRow = size_t(w) * size_t(current->GetBytesPerPixel());
    const uint8_t* pixels = current->GetData();
    for (int32_t y = h - 1; y >= 0; --y) {
      read(row.data(), pixels + size_t(y) * imageRow, w);
      write(static_cast<uint8_t*>(locked.pBits) + int64_t(y) * locked.Pitch, row.data(), w);
    }
    texture->UnlockRect(level);
    total += int32_t(uint32_t(w) * uint32_t(h) * bytesPerPixel);
    if (!mipMaps || (w == 1 && h == 1)) break;
    Halve(w, h);
    current = Reduced(current.Get(), w, h, filter);
  }
  return total;
}

void RenderEngineDirectX8_D::UnloadTextures() {
  if (m_unloadedTextures.IsEmpty()) return;
  StreamPipeRef& log = LogOutPipe();
  Log(log, kLevelDebug, "RenderEngineDirectX8_D::UnloadTextures()");
  ReleaseUnloadedTextures<TextureHandleDirectX8>([this](TextureHandleDirectX8* h) {
    if (h->m_texture) h->m_texture->Release();
    h->m_texture = nullptr;
    CloseVideo(h);
  });
  Log(log, kLevelDebug, "RenderEngineDirectX8_D::UnloadTextures() complete.");
}

void RenderEngineDirectX8_D::ReleaseLiveTextures() {
  // The device holds what its stages show: unbound, the textures (and with them the device) can go.
  if (m_device)
    for (DWORD stage = 0; stage < kD3DStageCount; ++stage) m_device->SetTexture(stage, nullptr);
  UnloadLiveTextures();
  UnloadTextures();
}

// Replaces the handle's device texture (counted out of the resident figures when it was a download).
void RenderEngineDirectX8_D::ReplaceTexture(TextureHandleDirectX8* h, IDirect3DTexture8* texture) {
  if (h->m_texture) h->m_texture->Release();
  DischargeTexture(h);
  h->m_texture = texture;
}

// The image in hand goes to a new device texture with its whole mip chain.
void RenderEngineDirectX8_D::DownloadTexture(Texture_I* t, TextureHandleDirectX8* h) {
  TraceStage trace("Texture download");
  StreamPipeRef& log = LogOutPipe();
  String fileName, typeName, alphaName;
  DescribeTexture(t, &fileName, &typeName, &alphaName);
  Log(log, kLevelDebug, "Texture ", fileName, " download...");
  if (StartVideo(h, fileName)) return;
  Ptr<Image_I> image(h->GetImage());
  h->SetImage(nullptr);
  const int32_t w = image ? image->GetWidth() : 0, hgt = image ? image->GetHeight() : 0;
  const int32_t bpp = image ? image->GetBytesPerPixel() : 0;
  if (!image || image->GetFormat() == 0 || w == 0 || hgt == 0 || !IsPowerOfTwo(w) || !IsPowerOfTwo(hgt)) {
    if (w != 0 || hgt != 0)
      Log(log, kLevelError, "Texture2D:\n  file ", fileName, "\n  size ", w, "x", hgt, " not supported.");
    h->SetState(TextureHandle::kFailed);
    return;
  }
  if (bpp < 1 || bpp > 4) {
    Log(log, kLevelError, "invalid image file format.");
    h->SetState(TextureHandle::kFailed);
    return;
  }
  const D3DFORMAT format = m_texFormat.FindBestMatch(TextureTypeFormat(typeName, bpp));
  if (format == 0) {
    Log(log, kLevelError, "TexFormat.FindBestMatch failed.");
    // Nothing this device offers will take the image: asking again every frame would only repeat this.
    h->SetState(TextureHandle::kFailed);
    return;
  }
  const int alpha = bpp == 2 || bpp == 4 ? 1 : 0;
  ChooseAlphaMode(t, alpha, alphaName);

  const int shift = std::clamp(m_textureSettings.MaxTextureSizeShift, 0, 31);
  const int32_t maxWidth = std::max<int32_t>(1, int32_t(std::min<DWORD>(m_caps.MaxTextureWidth, 1u << 30)));
  const int32_t maxHeight = std::max<int32_t>(1, int32_t(std::min<DWORD>(m_caps.MaxTextureHeight, 1u << 30)));
  int32_t limitW = std::clamp(w >> shift, 1, maxWidth);
  int32_t limitH = (hgt >> shift) >= 1 && (hgt >> shift) <= maxHeight ? hgt >> shift : maxHeight;
  const int32_t cap = std::max(1, m_textureSettings.TextureSizeCap);
  limitW = std::min(limitW, cap), limitH = std::min(limitH, cap);
  int32_t tw = w, th = hgt;
  while (tw > limitW || th > limitH) {
    const int32_t ow = tw, oh = th;
    Halve(tw, th);
    if (tw == ow && th == oh) break;
  }

  IDirect3DTexture8* texture = nullptr;
  if (m_device->CreateTexture(UINT(tw), UINT(th), 0, 0, format, D3DPOOL_MANAGED, &texture) != D3D_OK || !texture) {
    Log(log, kLevelError, "DX8: CreateTexture failed for ", tw, "x", th, " ", fileName, ".");
    h->SetState(TextureHandle::kNothing);
    return;
  }
  ReplaceTexture(h, texture);
  h->SetState(TextureHandle::kDownloaded);
  const int filter = t->GetAlphaMode() >= 1 && t->GetAlphaMode() <= 3 ? kMipMapAlphaWeighted : 0;
  // The texture has its whole chain whatever MipMapEnable says (it only chooses the mip filter): every
  // level is filled and counted.
  const int32_t bytes = DownloadImage(texture, format, true, image.Get(), filter, tw, th);
  if (bytes < 0) {
    // A texture with undefined contents is worse than the fallback: it goes, and is not tried again.
    ReplaceTexture(h, nullptr);
    h->SetState(TextureHandle::kFailed);
    return;
  }
  ChargeTexture(h, bytes);
  Log(log, kLevelDebug, "Texture ", fileName, " download ok.");
}

// A 1 x 1 texture of the default colour stands in while the real one is not there.
void RenderEngineDirectX8_D::DownloadFallback(Texture_I* t, TextureHandleDirectX8* h) {
  TraceStage trace("Texture download 1x1");
  String fileName, typeName, alphaName;
  DescribeTexture(t, &fileName, &typeName, &alphaName);
  const D3DFORMAT format = m_texFormat.FindBestMatch(D3DFMT_A8R8G8B8);
  IDirect3DTexture8* texture = nullptr;
  if (m_device->CreateTexture(1, 1, 1, 0, format, D3DPOOL_MANAGED, &texture) != D3D_OK || !texture) {
    Log(LogOutPipe(), kLevelError, "DX8: CreateTexture failed for 1x1 ", fileName, ".");
    return;
  }
  DownloadImage(texture, format, false, StandInImage(t->m_defaultColor).Get(), 0, 1, 1);
  ReplaceTexture(h, texture);
  ChooseAlphaMode(t, t->m_defaultColor.w < 1.0f ? 1 : 0, alphaName);
  if (h->State() == TextureHandle::kNothing) h->SetState(TextureHandle::kFallbackBound);
}

// The texture on the stage with its filters and addressing.
void RenderEngineDirectX8_D::BindTexture(int32_t stage, Texture_I* t, TextureHandleDirectX8* h) {
  const DWORD s = DWORD(stage);
  m_device->SetTexture(s, h->m_texture);
  DWORD mag = IsPointFilter(t->m_magFilter) ? D3DTEXF_POINT : D3DTEXF_LINEAR;
  DWORD min = IsPointFilter(t->m_minFilter) ? D3DTEXF_POINT : D3DTEXF_LINEAR;
  if (m_caps.RasterCaps & D3DPRASTERCAPS_ANISOTROPY) {
    const float a = std::isnan(t->m_anisotropic) ? 1.0f : std::clamp(t->m_anisotropic, 1.0f, 65536.0f);
    const DWORD anisotropy = DWORD(a);
    m_device->SetTextureStageState(s, D3DTSS_MAXANISOTROPY, anisotropy);
    if (anisotropy > 1) mag = min = D3DTEXF_ANISOTROPIC;
  }
  m_device->SetTextureStageState(s, D3DTSS_MAGFILTER, mag);
  m_device->SetTextureStageState(s, D3DTSS_MINFILTER, min);
  const bool video = VideoFrameState::Of(h) != nullptr;
  m_device->SetTextureStageState(s, D3DTSS_MIPFILTER, t->m_mipMapEnable && !video ? D3DTEXF_LINEAR : D3DTEXF_NONE);
  const bool is2D = t->IsA(Texture2D_I::kClassId);
  const uint32_t wrapU = is2D ? static_cast<Texture2D_I*>(t)->m_wrapU : Texture_I::kWrapRepeat;
  const uint32_t wrapV = is2D ? static_cast<Texture2D_I*>(t)->m_wrapV : Texture_I::kWrapRepeat;
  m_device->SetTextureStageState(s, D3DTSS_ADDRESSU, IsRepeat(wrapU) ? D3DTADDRESS_WRAP : D3DTADDRESS_CLAMP);
  m_device->SetTextureStageState(s, D3DTSS_ADDRESSV, IsRepeat(wrapV) ? D3DTADDRESS_WRAP : D3DTADDRESS_CLAMP);
  if (m_caps.RasterCaps & D3DPRASTERCAPS_MIPMAPLODBIAS)
    m_device->SetTextureStageState(s, D3DTSS_MIPMAPLODBIAS, std::bit_cast<DWORD>(t->m_lodBias));
}

void RenderEngineDirectX8_D::SetTexture(int32_t stage, ScriptObject* texture) {
  if (!m_device) return;
  if (!texture || IsNilObject(texture) || !texture->IsA(Texture2D_I::kClassId)) {
    m_device->SetTexture(DWORD(stage), nullptr);
    SetTextureBlendOp(stage, texture);
    return;
  }
  auto* t = static_cast<Texture_I*>(texture);
  auto* h = LoadedTextureHandle<TextureHandleDirectX8>(
      this, t, [&](TextureHandleDirectX8* ready) { DownloadTexture(t, ready); });
  if (VideoFrameState::Of(h)) UploadVideoFrame(t, h);
  if (!h->m_texture) DownloadFallback(t, h);
  if (h->m_texture) {
    BindTexture(stage, t, h);
  } else {
    // Nothing to show: the stage must not keep the texture bound before.
    m_device->SetTexture(DWORD(stage), nullptr);
  }
  SetTextureBlendOp(stage, texture);
  CountFrameBytes(h);
}

}  // namespace PM
