// The module's exports: Direct3DCreate8, DirectDrawCreateEx and the control.
#include "platform/d3d8/SoftDevice.h"
#include "platform/d3d8/SoftDirectDraw.h"
#include "platform/d3d8/SoftState.h"

namespace PM::SoftD3D {

namespace {

// Reads any pixel store as A8R8G8B8 words; depth formats give their depth bits.
bool ReadStore(PixelStore& p, uint32_t* argb, uint32_t capacity) {
  if (!argb || uint64_t(p.width) * p.height > capacity) return false;
  const FormatInfo* f = p.info;
  for (uint32_t y = 0; y < p.height; ++y) {
    const uint8_t* row = p.Row(y);
    for (uint32_t x = 0; x < p.width; ++x) {
      const uint32_t v = LoadPixel(row + size_t(x) * f->bytes, f->bytes);
      argb[size_t(y) * p.width + x] = f->kind == FormatKind::kDepth
                                          ? uint32_t(uint64_t(v) >> (f->bytes * 8 - f->depthBits))
                                          : UnpackColor(f->format, v);
    }
  }
  return true;
}

class Control final : public D3D8Control {
 public:
  void Reset() override {
    ModuleState& s = State();
    s.caps[0] = s.caps[1] = BuildDefaultCaps();
    s.sdkLowest = s.sdkHighest = D3D_SDK_VERSION;
    s.refusals.clear();
    for (HRESULT& f : s.faults) f = D3D_OK;
    s.lost = s.notReset = false;
    s.callLog.clear();
  }
  void SetCaps(bool software, const D3DCAPS8& caps) override { State().caps[software ? 1 : 0] = caps; }
  D3DCAPS8 DefaultCaps() override { return BuildDefaultCaps(); }
  void SetAcceptedSdkVersions(UINT lowest, UINT highest) override {
    State().sdkLowest = lowest, State().sdkHighest = highest;
  }
  void RefuseCreateDevice(uint32_t type, uint32_t flags, D3DFORMAT depth) override {
    State().refusals.push_back({type, flags, depth});
  }
  void SetFault(D3D8Fault fault, HRESULT result) override {
    if (fault < kFaultCount) State().faults[fault] = result;
  }
  void SetLost(bool lost) override {
    ModuleState& s = State();
    if (!lost && s.lost) s.notReset = true;
    s.lost = lost;
  }
  const char* CallLog() override { return State().callLog.c_str(); }
  void ClearCallLog() override { State().callLog.clear(); }
  D3DPRESENT_PARAMETERS LastPresentParameters() override { return State().lastParameters; }
  D3DDEVTYPE LastDeviceType() override { return State().lastType; }
  DWORD LastBehaviorFlags() override { return State().lastFlags; }
  IDirect3DDevice8* CurrentDevice() override { return State().devices.empty() ? nullptr : State().devices.back(); }
  bool ReadSurface(IDirect3DSurface8* surface, uint32_t* argb, uint32_t capacity) override {
    return surface && ReadStore(static_cast<Surface*>(surface)->Pixels(), argb, capacity);
  }
  bool ReadDirectDrawSurface(IDirectDrawSurface7* surface, uint32_t* argb, uint32_t capacity) override {
    return surface && ReadStore(static_cast<DDSurface*>(surface)->Pixels(), argb, capacity);
  }
  int32_t LiveObjects() override { return State().live; }
  int32_t PresentCount() override { return State().presents; }
  uint32_t LastVertices(ClipVertexOut* out, uint32_t capacity) override {
    if (State().devices.empty()) return 0;
    const std::span<const ClipVertex> v = State().devices.back()->Transformed();
    for (uint32_t i = 0; out && i < capacity && i < v.size(); ++i) {
      const ClipVertex& c = v[i];
      ClipVertexOut& o = out[i];
      o = {c.x, c.y, c.z, c.w, c.r, c.g, c.b, c.a, c.sr, c.sg, c.sb, c.sa, c.fog, {}};
      for (int s = 0; s < kMaxTexCoords; ++s)
        for (int k = 0; k < 4; ++k) o.tex[s][k] = c.tex[s][k];
    }
    return uint32_t(v.size());
  }
};

}  // namespace

}  // namespace PM::SoftD3D

using namespace PM;

extern "C" __attribute__((visibility("default"))) IDirect3D8* Direct3DCreate8(UINT sdkVersion) {
  SoftD3D::LogCall("Direct3DCreate8(%u)", sdkVersion);
  const SoftD3D::ModuleState& s = SoftD3D::State();
  if (sdkVersion < s.sdkLowest || sdkVersion > s.sdkHighest) return nullptr;
  return new SoftD3D::Direct3D();
}

extern "C" __attribute__((visibility("default"))) HRESULT DirectDrawCreateEx(const GUID* driver, void** out,
                                                                             const GUID& iid, IUnknown* outer) {
  SoftD3D::LogCall("DirectDrawCreateEx()");
  if (!out) return DDERR_INVALIDPARAMS;
  *out = nullptr;
  if (driver || outer) return DDERR_INVALIDPARAMS;
  if (!(iid == IID_IDirectDraw7)) return E_NOINTERFACE;
  if (HRESULT f = SoftD3D::State().faults[kFaultDirectDrawCreate]; f != D3D_OK) return f;
  *out = static_cast<IDirectDraw7*>(new SoftD3D::DirectDraw());
  return DD_OK;
}

extern "C" __attribute__((visibility("default"))) D3D8Control* D3D8GetControl() {
  static SoftD3D::Control control;
  return &control;
}
