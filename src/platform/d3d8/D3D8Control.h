// The control of our software Direct3D 8 device: what tests and hosts use to shape the device (its
// capabilities, accepted SDK versions, refused devices, injected failures and lost states) and to look
// at it (a log of device calls, surfaces read back as A8R8G8B8, live object count). d3d8.so exports
// it as "D3D8GetControl"; it is process-wide, like the device's own state.
#pragma once

#include <cstdint>

#include "platform/d3d8/D3D8.h"

namespace PM {

// Calls the control can make fail, each with the result the call then returns.
enum D3D8Fault : uint32_t {
  kFaultGetAdapterDisplayMode,
  kFaultGetBackBuffer,
  kFaultCreateRenderTarget,
  kFaultCreateImageSurface,
  kFaultCreateTexture,
  kFaultCreateVertexBuffer,
  kFaultCreateIndexBuffer,
  kFaultLock,
  kFaultDirectDrawCreate,
  kFaultDirectDrawCooperativeLevel,
  kFaultDirectDrawPrimary,
  kFaultDirectDrawSurface,
  kFaultCount
};

// One vertex as the vertex stage hands it to the pixel stage: clip-space position, lit diffuse and
// specular colours (0..1), the vertex fog factor (1 clear .. 0 fog colour only) and, for each stage
// until the first disabled one, the coordinates it reads (generated and transformed; zeros beyond).
struct ClipVertexOut {
  float x, y, z, w;
  float r, g, b, a;
  float sr, sg, sb, sa;
  float fog;
  float tex[8][4];
};

class D3D8Control {
 public:
  // Back to the defaults: default caps, SDK 220 only, nothing refused or failing, not lost, empty log.
  virtual void Reset() = 0;
  // The caps a device reports: one record for hardware vertex processing on the HAL, one for software
  // processing (HAL and REF). Adapter caps are the hardware record.
  virtual void SetCaps(bool softwareProcessing, const D3DCAPS8& caps) = 0;
  virtual D3DCAPS8 DefaultCaps() = 0;
  // Direct3DCreate8 answers only for SDK versions from `lowest` to `highest`.
  virtual void SetAcceptedSdkVersions(UINT lowest, UINT highest) = 0;
  // CreateDevice refuses (D3DERR_NOTAVAILABLE) the attempts matching a rule; 0 matches any.
  virtual void RefuseCreateDevice(uint32_t deviceType, uint32_t behaviorFlags, D3DFORMAT depthFormat) = 0;
  virtual void SetFault(D3D8Fault fault, HRESULT result) = 0;
  // Lost: TestCooperativeLevel answers DEVICELOST; restored: DEVICENOTRESET until Reset or a new device.
  virtual void SetLost(bool lost) = 0;

  // One line per device call with its arguments, oldest first.
  virtual const char* CallLog() = 0;
  virtual void ClearCallLog() = 0;
  // The parameters, type and behaviour flags of the last successful CreateDevice (or Reset).
  virtual D3DPRESENT_PARAMETERS LastPresentParameters() = 0;
  virtual D3DDEVTYPE LastDeviceType() = 0;
  virtual DWORD LastBehaviorFlags() = 0;
  // The newest live device, or null.
  virtual IDirect3DDevice8* CurrentDevice() = 0;
  // A surface (back buffer, render target, image, depth surface, a texture level through
  // GetSurfaceLevel) as A8R8G8B8 words row by row; false when `capacity` words do not hold it.
  // Depth surfaces read as their depth in the low bits.
  virtual bool ReadSurface(IDirect3DSurface8* surface, uint32_t* argb, uint32_t capacity) = 0;
  virtual bool ReadDirectDrawSurface(IDirectDrawSurface7* surface, uint32_t* argb, uint32_t capacity) = 0;
  virtual int32_t LiveObjects() = 0;
  virtual int32_t PresentCount() = 0;
  // The vertices of the current device's last draw that reached the vertex stage, in the order of its
  // vertex range (of an indexed draw from vertex buffers only those its indices name are current):
  // copies at most `capacity` and answers how many there are.
  virtual uint32_t LastVertices(ClipVertexOut* out, uint32_t capacity) = 0;

 protected:
  ~D3D8Control() = default;
};

using D3D8GetControlFn = D3D8Control* (*)();

}  // namespace PM
