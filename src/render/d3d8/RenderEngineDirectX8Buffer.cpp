// The Direct3D 8 engine's colour buffers: their sizes and pixel-format codes, locking them outside the
// scene, copying between them, and reading the viewport back as RGB bytes for screenshots and callers.
#include <algorithm>
#include <cstring>
#include <vector>

#include "core/Log.h"
#include "core/LogMsg.h"
#include "platform/PlatformWindow.h"
#include "render/d3d8/ColorBufferRows.h"
#include "render/d3d8/RenderEngineDirectX8.h"

namespace PM {

namespace {

constexpr uint32_t kMode = 2;
constexpr const char* kLockLocation = "RenderEngineDirectX8_D::LockBufferRect";
constexpr const char* kUnlockLocation = "RenderEngineDirectX8_D::UnlockBufferRect";
constexpr const char* kCopyLocation = "RenderEngineDirectX8_D::CopyBufferRects";
constexpr const char* kInScene =
    "This function should not be called between BeginScene and EndScene to avoid problems on some hardware.";

// What each colour buffer a lock names says about itself.
struct BufferTexts {
  const char* missing;
  const char* lockFailed;
  const char* unlockFailed;
};
constexpr BufferTexts kBackTexts = {"No color backbuffer exists.",
                                    "The color backbuffer is already locked or not allowed for locking (#1).",
                                    "The color backbuffer could not be unlocked."};
constexpr BufferTexts kBackgroundTexts = {"No color backgroundbuffer exists.",
                                          "The color backgroundbuffer is already locked or not allowed for locking.",
                                          "The color backgroundbuffer could not be unlocked."};

// The back buffer is lockable only when the pipe asked for it before its window opened.
constexpr const char* kBackLockNotAsked =
    "The color backbuffer is already locked or not allowed for locking (#1). Reading it (screenshots, the "
    "colour buffer) needs the RenderPipe member BufferBackColorAccessEnable set to True before its window "
    "opens.";

bool IsLost(HRESULT r) { return r == D3DERR_DEVICELOST || r == D3DERR_DEVICENOTRESET; }

}  // namespace

IDirect3DSurface8* RenderEngineDirectX8_D::ColorSurface(int32_t buffer) const {
  switch (buffer) {
    case kFrontBuffer:
    case kBackBuffer:
      return m_backSurface;
    case kBackgroundBuffer:
      return m_backgroundSurface;
    default:
      return nullptr;
  }
}

ResultCode RenderEngineDirectX8_D::GetBufferSize(int32_t buffer, uint32_t* format, int32_t* width, int32_t* height) {
  IDirect3DSurface8* surface = ColorSurface(buffer);
  D3DSURFACE_DESC desc;
  if (!surface || surface->GetDesc(&desc) != D3D_OK) return EFail;
  if (format) *format = BufferFormatCode(desc.Format);
  if (width) *width = int32_t(desc.Width);
  if (height) *height = int32_t(desc.Height);
  return 0;
}

ResultCode RenderEngineDirectX8_D::LockBufferRect(int32_t buffer, uint32_t flags, int32_t left, int32_t right,
                                                  int32_t top, int32_t bottom, void** bits, int32_t* pitch) {
  if (m_inScene) return LogMsgText(EResourceBusy, kLockLocation, "", kMode, kInScene);
  const uint32_t access = flags & 3;
  const RECT rect{left, top, right, bottom};
  if (buffer == kBackBuffer || buffer == kBackgroundBuffer) {
    const BufferTexts& texts = buffer == kBackBuffer ? kBackTexts : kBackgroundTexts;
    IDirect3DSurface8* surface = ColorSurface(buffer);
    if (!surface) return LogMsgText(ENotFound, kLockLocation, "", kMode, texts.missing);
    const DWORD lockFlags = (access == 1 ? D3DLOCK_READONLY : (flags & 4) ? D3DLOCK_DISCARD : 0) | D3DLOCK_NOSYSLOCK;
    D3DLOCKED_RECT locked;
    if (HRESULT r = surface->LockRect(&locked, &rect, lockFlags); r != D3D_OK) {
      if (IsLost(r)) return ENotActive;
      // A host that asks for a screenshot on every frame meets this on every frame: say it once.
      const bool notAsked = buffer == kBackBuffer && !m_format.BufferBackColorAccessEnable;
      if (notAsked && m_backLockRefusalShown) return EFail;
      m_backLockRefusalShown = m_backLockRefusalShown || notAsked;
      return LogMsgArg1(EFail, kLockLocation, "IDirect3DSurface8::LockRect", kMode,
                        notAsked ? kBackLockNotAsked : texts.lockFailed, LogArg::Result(ResultCode(r)));
    }
    if (bits) *bits = locked.pBits;
    if (pitch) *pitch = locked.Pitch;
  } else if (buffer == kFrontBuffer) {
    if (!m_frontSurface) return LogMsgText(ENotFound, kLockLocation, "", kMode, "No color frontbuffer exists.");
    DWORD lockFlags = (flags & 4) ? DDLOCK_DISCARDCONTENTS : DDLOCK_WAIT;
    if (access == 1) lockFlags |= DDLOCK_READONLY;
    if (access == 2) lockFlags |= DDLOCK_WRITEONLY;
    DDSURFACEDESC2 desc;
    desc.dwSize = DDSURFACEDESC2::kPublishedSize;
    m_frontLockRect = rect;
    if (HRESULT r = m_frontSurface->Lock(&m_frontLockRect, &desc, lockFlags | DDLOCK_NOSYSLOCK, nullptr); r != DD_OK) {
      if (IsLost(r)) return ENotActive;
      return LogMsgText(EFail, kLockLocation, "IDirectDraw7::Lock", kMode,
                        "The frontbuffer is already locked or not allowed for locking.");
    }
    if (bits) *bits = desc.lpSurface;
    if (pitch) *pitch = desc.lPitch;
  } else {
    return LogMsgBare(EInvalidArgument, kLockLocation, "", kMode);
  }
  ++m_bufferLockCount;
  return 0;
}

ResultCode RenderEngineDirectX8_D::UnlockBufferRect(int32_t buffer) {
  if (m_inScene) return LogMsgText(EResourceBusy, kUnlockLocation, "", kMode, kInScene);
  if (buffer == kBackBuffer || buffer == kBackgroundBuffer) {
    IDirect3DSurface8* surface = ColorSurface(buffer);
    if (!surface || surface->UnlockRect() != D3D_OK)
      return LogMsgText(EFail, kUnlockLocation, "IDirect3DSurface8::UnlockRect", kMode,
                        (buffer == kBackBuffer ? kBackTexts : kBackgroundTexts).unlockFailed);
  } else if (buffer == kFrontBuffer) {
    if (!m_frontSurface || m_frontSurface->Unlock(&m_frontLockRect) != DD_OK)
      return LogMsgText(EFail, kUnlockLocation, "IDirectDraw7::Unlock", kMode,
                        "The frontbuffer could not be unlocked.");
  } else {
    return LogMsgBare(EInvalidArgument, kUnlockLocation, "", kMode);
  }
  if (m_bufferLockCount > 0) --m_bufferLockCount;
  return 0;
}

ResultCode RenderEngineDirectX8_D::CopyBufferRects(int32_t source, int32_t target, int32_t count, const int32_t* rects,
                                                   const int32_t* offsets) {
  if (count <= 0) return 0;
  if (m_inScene) return LogMsgText(EResourceBusy, kCopyLocation, "", kMode, kInScene);
  if (source == target)
    return LogMsgText(EUnimplemented, "RenderEngineDirectX8_D::CopyBufferRect", "", kMode,
                      "Copying between identical buffers is not yet implemented.");
  constexpr const char* kDenied = "Access to the buffer was not requested and is denied.";
  if ((source == kFrontBuffer || target == kFrontBuffer) && !m_format.BufferFrontColorAccessEnable)
    return LogMsgText(EAccessDenied, kCopyLocation, "BufferFrontColorAccessEnable==false", kMode, kDenied);
  if ((source == kBackBuffer || target == kBackBuffer) && !m_format.BufferBackColorAccessEnable)
    return LogMsgText(EAccessDenied, kCopyLocation, "BufferBackColorAccessEnable==false", kMode, kDenied);
  if (!rects) return LogMsgBare(EInvalidArgument, kCopyLocation, "", kMode);
  const bool backToBackground = source == kBackBuffer && target == kBackgroundBuffer;
  const bool backgroundToBack = source == kBackgroundBuffer && target == kBackBuffer;
  if (source == kFrontBuffer && (target == kBackBuffer || target == kBackgroundBuffer))
    return CopyFromFront(ColorSurface(target), count, rects, offsets);
  if (!backToBackground && !backgroundToBack)
    return LogMsgText(EUnimplemented, kCopyLocation, "", kMode,
                      "Copying between these buffers is not yet implemented.");
  // Rectangles are (left, top, right, bottom) as RECT lays them out; offsets move each one on the target.
  std::vector<RECT> from(static_cast<size_t>(count));
  std::vector<POINT> to(static_cast<size_t>(count));
  for (int32_t i = 0; i < count; ++i) {
    const int32_t* r = rects + 4 * i;
    from[size_t(i)] = RECT{r[0], r[1], r[2], r[3]};
    to[size_t(i)] = POINT{r[0] + (offsets ? offsets[2 * i] : 0), r[1] + (offsets ? offsets[2 * i + 1] : 0)};
  }
  if (HRESULT r = m_device ? m_device->CopyRects(ColorSurface(source), from.data(), UINT(count), ColorSurface(target),
                                                 to.data())
                           : D3DERR_INVALIDCALL;
      r != D3D_OK)
    return LogMsgArg1(EFail, kCopyLocation, "IDirect3DDevice8::CopyRects", kMode, "WindowsError: #1.",
                      LogArg::Result(ResultCode(r)));
  return 0;
}

// Front to back or background: the window's rectangles on the primary surface, row by row.
ResultCode RenderEngineDirectX8_D::CopyFromFront(IDirect3DSurface8* target, int32_t count, const int32_t* rects,
                                                 const int32_t* offsets) {
  DDSURFACEDESC2 front;
  front.dwSize = DDSURFACEDESC2::kPublishedSize;
  D3DSURFACE_DESC desc;
  D3DDISPLAYMODE mode;
  if (!m_frontSurface || !target || !m_d3d || m_frontSurface->GetSurfaceDesc(&front) != DD_OK ||
      target->GetDesc(&desc) != D3D_OK || m_d3d->GetAdapterDisplayMode(0, &mode) != D3D_OK ||
      desc.Format != mode.Format || front.ddpfPixelFormat.dwRGBBitCount != 8 * D3DFormatBytesPerPixel(desc.Format))
    return LogMsgText(EFail, kCopyLocation, "IDirect3D8::GetAdapterDisplayMode", kMode,
                      "For some strange reason, source and target buffer have incompatible formats.");
  WindowPoint origin{0, 0};
  if (m_window) ClientToScreen(m_window, &origin);
  // Messages give the rectangle as left, right, bottom, top, the order of their labels.
  auto outside = [](const RECT& r, uint32_t width, uint32_t height) {
    return r.left < 0 || r.top < 0 || r.left > r.right || r.top > r.bottom || int64_t(r.right) > int64_t(width) ||
           int64_t(r.bottom) > int64_t(height);
  };
  std::vector<RECT> from(static_cast<size_t>(count)), to(static_cast<size_t>(count));
  for (int32_t i = 0; i < count; ++i) {
    const int32_t* r = rects + 4 * i;
    const int32_t dx = offsets ? offsets[2 * i] : 0, dy = offsets ? offsets[2 * i + 1] : 0;
    RECT& s = from[size_t(i)];
    s = RECT{r[0] + origin.x, r[1] + origin.y, r[2] + origin.x, r[3] + origin.y};
    if (outside(s, front.dwWidth, front.dwHeight))
      return LogMsg(EInvalidArgument, kCopyLocation, "", kMode,
                    "A source rect exceeds the valid buffer region.\n  srcL=#1 srcR=#2 srcB=#3 srcT=#4", s.left,
                    s.right, s.bottom, s.top);
    RECT& t = to[size_t(i)];
    t = RECT{r[0] + dx, r[1] + dy, r[2] + dx, r[3] + dy};
    if (outside(t, desc.Width, desc.Height))
      return LogMsg(EInvalidArgument, kCopyLocation, "", kMode,
                    "A target rect exceeds the valid buffer region.\n  srcL=#1 srcR=#2 srcB=#3 srcT=#4", t.left,
                    t.right, t.bottom, t.top);
  }
  const size_t bytesPerPixel = D3DFormatBytesPerPixel(desc.Format);
  for (int32_t i = 0; i < count; ++i) {
    RECT& s = from[size_t(i)];
    const RECT& t = to[size_t(i)];
    if (s.right == s.left || s.bottom == s.top) continue;
    DDSURFACEDESC2 locked;
    locked.dwSize = DDSURFACEDESC2::kPublishedSize;
    if (m_frontSurface->Lock(&s, &locked, DDLOCK_WAIT | DDLOCK_READONLY | DDLOCK_NOSYSLOCK, nullptr) != DD_OK)
      return LogMsgText(EFail, kCopyLocation, "IDirectDrawSurface7::Lock", kMode,
                        "The source buffer is already locked or not allowed for locking.");
    D3DLOCKED_RECT out;
    if (target->LockRect(&out, &t, D3DLOCK_NOSYSLOCK) != D3D_OK) {
      m_frontSurface->Unlock(&s);
      return LogMsgText(EFail, kCopyLocation, "IDirect3DSurface8::LockRect", kMode,
                        "The target buffer is already locked or not allowed for locking.");
    }
    const size_t rowBytes = size_t(s.right - s.left) * bytesPerPixel;
    for (int32_t y = 0; y < s.bottom - s.top; ++y)
      std::memcpy(static_cast<uint8_t*>(out.pBits) + int64_t(y) * out.Pitch,
                  static_cast<const uint8_t*>(locked.lpSurface) + int64_t(y) * locked.lPitch, rowBytes);
    target->UnlockRect();
    m_frontSurface->Unlock(&s);
  }
  return 0;
}

// The viewport of the back buffer as RGB bytes, lowest row first, into what `prepare`(width, height) gives.
template <class Prepare>
ResultCode RenderEngineDirectX8_D::ReadViewport(Prepare&& prepare) {
  uint32_t code = 0;
  int32_t bufferWidth = 0, bufferHeight = 0;
  if (ResultCode r = GetBufferSize(kBackBuffer, &code, &bufferWidth, &bufferHeight); r != 0) return r;
  const int32_t x = m_viewport[0], y = m_viewport[1];
  const int32_t w = std::max(0, m_viewport[2]), h = std::max(0, m_viewport[3]);
  if (w == 0 || h == 0) {
    prepare(w, h);  // an empty viewport reads as an empty picture, without a lock the device would refuse
    return 0;
  }
  // The interface counts rows from the bottom of the window, the buffer from its top.
  void* bits = nullptr;
  int32_t pitch = 0;
  if (ResultCode r = LockBufferRect(kBackBuffer, 1, x, x + w, bufferHeight - y - h, bufferHeight - y, &bits, &pitch);
      r != 0)
    return r;
  if (uint8_t* rgb = prepare(w, h)) {
    for (int32_t row = 0; row < h; ++row)
      ConvertColorBufferRow(code, static_cast<const uint8_t*>(bits) + int64_t(h - 1 - row) * pitch,
                            rgb + size_t(row) * 3 * size_t(w), w);
  }
  return UnlockBufferRect(kBackBuffer);
}

ResultCode RenderEngineDirectX8_D::ReadColorBufferImage(Ptr<Image_I>& image) {
  return ReadViewport([&](int32_t w, int32_t h) -> uint8_t* {
    if (!image) image = Image_I::New();
    image->Create(3, w, h, 0);
    return image->GetFormat() != 0 ? image->GetData() : nullptr;
  });
}

void RenderEngineDirectX8_D::EndOpenScene() {
  if (!m_inScene || !m_device) return;
  m_device->EndScene();
  m_inScene = 0;
}

int32_t RenderEngineDirectX8_D::RequestScreenShot(bool skipPresent, bool withDepth) {
  m_screenShotSkipPresent = skipPresent ? 1 : 0;
  m_screenShotPending = 1;
  if (withDepth) m_screenShotDepth = 1;
  return 1;
}

void RenderEngineDirectX8_D::TakeScreenShot(bool& skipPresent) {
  if (m_screenShotSkipPresent) skipPresent = true;
  // A failed read leaves no picture: an earlier screenshot must not pass for this frame's.
  if (ReadColorBufferImage(m_screenShot) != 0) m_screenShot.Clear();
  m_screenShotPending = 0;
  m_screenShotDepth = 0;
}

Image_I* RenderEngineDirectX8_D::GetColorBufferImage() {
  EndOpenScene();
  if (ReadColorBufferImage(m_colorBufferImage) != 0) m_colorBufferImage.Clear();
  return m_colorBufferImage.Get();
}

void RenderEngineDirectX8_D::ReadColorBuffer(Array<uint8_t>* out) {
  if (!out) return;
  EndOpenScene();
  ReadViewport([&](int32_t w, int32_t h) -> uint8_t* {
    const int64_t bytes = 3 * int64_t(w) * int64_t(h);
    if (bytes > INT32_MAX) return nullptr;
    if (out->Count() != int32_t(bytes)) *out = Array<uint8_t>(), out->SetCount(int32_t(bytes));
    return out->Data();
  });
}

}  // namespace PM
