// The software Direct3D 8 device on arbitrary bytes: each input becomes a run of device calls on a fresh
// 64 × 64 windowed device (render and stage states, transforms, viewports, lights, materials, FVF codes
// and declarations, vertex and index buffers with their locks, surface lock rectangles, clears and every
// kind of draw, positions including NaN, infinities and 1e30). Needs an X display (xvfb-run).
#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <iterator>
#include <limits>
#include <vector>

#include "platform/ModuleLoader.h"
#include "platform/PlatformWindow.h"
#include "platform/d3d8/D3D8Control.h"

namespace {

using namespace PM;

constexpr uint32_t kMaxCalls = 256;
constexpr size_t kScratchBytes = 4096;  // user-pointer vertices and indices

class Input {
 public:
  Input(const uint8_t* data, size_t size) : m_data(data), m_size(size) {}
  bool More() const { return m_pos < m_size; }
  uint8_t Byte() { return m_pos < m_size ? m_data[m_pos++] : 0; }
  uint32_t Word() {
    uint32_t v = 0;
    for (int i = 0; i < 4; ++i) v |= uint32_t(Byte()) << (8 * i);
    return v;
  }
  // Mostly the values that break arithmetic, sometimes any bit pattern.
  float Float() {
    static const float kValues[] = {0.0f,
                                    1.0f,
                                    -1.0f,
                                    0.5f,
                                    2.0f,
                                    1e30f,
                                    -1e30f,
                                    std::numeric_limits<float>::infinity(),
                                    -std::numeric_limits<float>::infinity(),
                                    std::numeric_limits<float>::quiet_NaN(),
                                    1e-30f,
                                    64.0f,
                                    -0.25f,
                                    1000.0f};
    const uint8_t b = Byte();
    if (b < 200) return kValues[b % std::size(kValues)];
    const uint32_t bits = Word();
    float f;
    std::memcpy(&f, &bits, 4);
    return f;
  }
  // A state value: small numbers, a float's bits, or anything.
  DWORD Value() {
    const uint8_t b = Byte();
    if (b < 128) return b % 12;
    if (b < 192) {
      const float f = Float();
      DWORD u;
      std::memcpy(&u, &f, 4);
      return u;
    }
    return Word();
  }

 private:
  const uint8_t* m_data;
  size_t m_size;
  size_t m_pos = 0;
};

D3DMATRIX Matrix(Input& in) {
  D3DMATRIX m{};
  const uint8_t kind = in.Byte();
  for (int i = 0; i < 4; ++i) m.m[i][i] = 1.0f;
  if (kind & 1)
    for (int i = 0; i < 4; ++i) m.m[i][i] = in.Float();
  if (kind & 2)
    for (int i = 0; i < 4; ++i) m.m[3][i] = in.Float();
  if (kind & 4)
    for (auto& row : m.m)
      for (float& v : row) v = in.Float();
  return m;
}

D3DCOLORVALUE Color(Input& in) { return {in.Float(), in.Float(), in.Float(), in.Float()}; }

struct Session {
  IDirect3DDevice8* device = nullptr;
  std::vector<IDirect3DVertexBuffer8*> vertexBuffers;
  std::vector<IDirect3DIndexBuffer8*> indexBuffers;
  std::vector<DWORD> shaders;
  alignas(16) uint8_t scratch[kScratchBytes] = {};
  alignas(16) uint8_t indices[kScratchBytes] = {};

  void FillScratch(Input& in, uint8_t* bytes) {
    for (size_t i = 0; i + 4 <= kScratchBytes && in.More(); i += 4) {
      const uint8_t how = in.Byte();
      if (how == 0) break;  // the rest keeps what it had
      uint32_t word;
      if (how < 128) {
        const float f = in.Float();
        std::memcpy(&word, &f, 4);
      } else {
        word = in.Word();
      }
      std::memcpy(bytes + i, &word, 4);
    }
  }

  void Step(Input& in) {
    IDirect3DDevice8* d = device;
    const D3DPRIMITIVETYPE kTypes[] = {D3DPT_POINTLIST,     D3DPT_LINELIST,      D3DPT_LINESTRIP,
                                       D3DPT_TRIANGLELIST,  D3DPT_TRIANGLESTRIP, D3DPT_TRIANGLEFAN,
                                       D3DPRIMITIVETYPE(0), D3DPRIMITIVETYPE(9)};
    switch (in.Byte() % 20) {
      case 0:
        d->SetRenderState(D3DRENDERSTATETYPE(in.Byte()), in.Value());
        break;
      case 1: {
        const DWORD stage = in.Byte() % 9;
        d->SetTextureStageState(stage, D3DTEXTURESTAGESTATETYPE(in.Byte() % 30), in.Value());
        break;
      }
      case 2: {
        static const D3DTRANSFORMSTATETYPE kStates[] = {D3DTS_WORLD,      D3DTS_VIEW,
                                                        D3DTS_PROJECTION, D3DTRANSFORMSTATETYPE(D3DTS_TEXTURE0 + 1),
                                                        D3DTS_TEXTURE0,   D3DTRANSFORMSTATETYPE(7)};
        const D3DMATRIX m = Matrix(in);
        d->SetTransform(kStates[in.Byte() % std::size(kStates)], &m);
        break;
      }
      case 3: {
        D3DVIEWPORT8 v{in.Byte(), in.Byte(), in.Byte(), in.Byte(), in.Float(), in.Float()};
        d->SetViewport(&v);
        break;
      }
      case 4: {
        D3DLIGHT8 l;
        l.Type = D3DLIGHTTYPE(in.Byte() % 5);
        l.Diffuse = Color(in), l.Specular = Color(in), l.Ambient = Color(in);
        l.Position = {in.Float(), in.Float(), in.Float()};
        l.Direction = {in.Float(), in.Float(), in.Float()};
        l.Range = in.Float(), l.Falloff = in.Float();
        l.Attenuation0 = in.Float(), l.Attenuation1 = in.Float(), l.Attenuation2 = in.Float();
        l.Theta = in.Float(), l.Phi = in.Float();
        d->SetLight(in.Byte() % 10, &l);
        break;
      }
      case 5:
        d->LightEnable(in.Byte() % 10, in.Byte() & 1);
        break;
      case 6: {
        D3DMATERIAL8 m;
        m.Diffuse = Color(in), m.Ambient = Color(in), m.Specular = Color(in), m.Emissive = Color(in);
        m.Power = in.Float();
        d->SetMaterial(&m);
        break;
      }
      case 7: {
        const uint8_t b = in.Byte();
        if (b < 64 && !shaders.empty()) {
          d->SetVertexShader(shaders[b % shaders.size()]);
        } else {
          // Mostly sensible FVF codes, with texture sets and sizes from the input.
          static const DWORD kBases[] = {D3DFVF_XYZ, D3DFVF_XYZ | D3DFVF_NORMAL, D3DFVF_XYZRHW, D3DFVF_XYZB1 + 2,
                                         D3DFVF_XYZ | D3DFVF_DIFFUSE | D3DFVF_SPECULAR};
          const DWORD fvf = b < 192 ? kBases[b % std::size(kBases)] | (in.Byte() & 0xF0) |
                                          DWORD(in.Byte() % 10) << D3DFVF_TEXCOUNT_SHIFT | in.Word() << 16
                                    : in.Word();
          d->SetVertexShader(fvf & ~1u);  // odd handles are declarations
        }
        break;
      }
      case 8: {
        static const DWORD kTokens[] = {D3DVSD_STREAM(0),
                                        D3DVSD_STREAM(1),
                                        D3DVSD_STREAM(15),
                                        D3DVSD_REG(D3DVSDE_POSITION, D3DVSDT_FLOAT3),
                                        D3DVSD_REG(D3DVSDE_NORMAL, D3DVSDT_FLOAT3),
                                        D3DVSD_REG(D3DVSDE_DIFFUSE, D3DVSDT_D3DCOLOR),
                                        D3DVSD_REG(D3DVSDE_SPECULAR, D3DVSDT_UBYTE4),
                                        D3DVSD_REG(D3DVSDE_TEXCOORD0, D3DVSDT_FLOAT2),
                                        D3DVSD_REG(D3DVSDE_TEXCOORD0 + 3, D3DVSDT_SHORT4),
                                        D3DVSD_SKIP(3),
                                        D3DVSD_NOP};
        DWORD tokens[17];
        const uint32_t n = in.Byte() % 17;
        for (uint32_t i = 0; i < n; ++i) {
          const uint8_t b = in.Byte();
          tokens[i] = b < 240 ? kTokens[b % std::size(kTokens)] : in.Word();
        }
        tokens[n] = D3DVSD_END;
        DWORD handle = 0;
        if (d->CreateVertexShader(tokens, nullptr, &handle, 0) == D3D_OK) shaders.push_back(handle);
        break;
      }
      case 9: {
        if (vertexBuffers.size() >= 4) break;
        IDirect3DVertexBuffer8* vb = nullptr;
        const UINT length = UINT(in.Byte()) * 16 + in.Byte();
        if (d->CreateVertexBuffer(length, 0, 0, D3DPOOL_MANAGED, &vb) != D3D_OK) break;
        vertexBuffers.push_back(vb);
        uint8_t* bytes = nullptr;
        // A lock of a range from the input; the whole buffer's bytes come from the scratch.
        if (vb->Lock(in.Byte(), in.Byte() * 4u, &bytes, 0) == D3D_OK) vb->Unlock();
        if (vb->Lock(0, 0, &bytes, 0) == D3D_OK) {
          FillScratch(in, scratch);
          std::memcpy(bytes, scratch, std::min<size_t>(length, kScratchBytes));
          vb->Unlock();
        }
        break;
      }
      case 10:
        if (!vertexBuffers.empty()) {
          const uint8_t b = in.Byte();
          d->SetStreamSource(in.Byte() % 17, b < 16 ? nullptr : vertexBuffers[b % vertexBuffers.size()], in.Byte());
        }
        break;
      case 11: {
        if (indexBuffers.size() >= 2) break;
        IDirect3DIndexBuffer8* ib = nullptr;
        const UINT length = UINT(in.Byte()) * 4 + 2;
        if (d->CreateIndexBuffer(length, 0, (in.Byte() & 1) ? D3DFMT_INDEX32 : D3DFMT_INDEX16, D3DPOOL_MANAGED, &ib) !=
            D3D_OK)
          break;
        indexBuffers.push_back(ib);
        uint8_t* bytes = nullptr;
        if (ib->Lock(0, 0, &bytes, 0) == D3D_OK) {
          for (UINT i = 0; i < length; ++i) bytes[i] = in.Byte() & 0x0F;  // mostly small indices
          ib->Unlock();
        }
        d->SetIndices(ib, in.Byte());
        break;
      }
      case 12:
        FillScratch(in, scratch);
        break;
      case 13: {
        const D3DPRIMITIVETYPE type = kTypes[in.Byte() % std::size(kTypes)];
        const UINT stride = in.Byte(), count = in.Byte() % 64;
        // The caller's side of the contract: the array holds every vertex the draw reads.
        const UINT vertices = type == D3DPT_TRIANGLELIST ? count * 3 : count * 2 + 2;
        if (uint64_t(vertices) * stride <= kScratchBytes) d->DrawPrimitiveUP(type, count, scratch, stride);
        break;
      }
      case 14: {
        const D3DPRIMITIVETYPE type = kTypes[in.Byte() % std::size(kTypes)];
        const UINT stride = in.Byte(), count = in.Byte() % 64, minIndex = in.Byte() % 8, vertexCount = in.Byte() % 32;
        const bool index32 = in.Byte() & 1;
        for (size_t i = 0; i < kScratchBytes; ++i) indices[i] = i % (index32 ? 4 : 2) == 0 ? in.Byte() % 40 : 0;
        if (uint64_t(minIndex + vertexCount) * stride <= kScratchBytes && count * 3 + 2 <= kScratchBytes / 4)
          d->DrawIndexedPrimitiveUP(type, minIndex, vertexCount, count, indices,
                                    index32 ? D3DFMT_INDEX32 : D3DFMT_INDEX16, scratch, stride);
        break;
      }
      case 15:
        d->DrawPrimitive(kTypes[in.Byte() % std::size(kTypes)], in.Byte(), in.Byte());
        break;
      case 16:
        d->DrawIndexedPrimitive(kTypes[in.Byte() % std::size(kTypes)], in.Byte(), in.Byte(), in.Byte(), in.Byte());
        break;
      case 17: {
        D3DRECT rects[2];
        for (D3DRECT& r : rects) r = {int8_t(in.Byte()), int8_t(in.Byte()), in.Byte(), in.Byte()};
        d->Clear(in.Byte() % 3, (in.Byte() & 1) ? rects : nullptr, in.Byte() & 7, in.Word(), in.Float(), in.Byte());
        break;
      }
      case 18: {
        IDirect3DSurface8* surface = nullptr;
        const int32_t w = 1 + in.Byte() % 16, h = 1 + in.Byte() % 16;
        if (d->CreateImageSurface(UINT(w), UINT(h), D3DFMT_A8R8G8B8, &surface) != D3D_OK) break;
        const RECT rect{int8_t(in.Byte()), int8_t(in.Byte()), int8_t(in.Byte()), int8_t(in.Byte())};
        const bool part = in.Byte() & 1;
        D3DLOCKED_RECT locked;
        if (surface->LockRect(&locked, part ? &rect : nullptr, 0) == D3D_OK) {
          // The first and the last byte of the rectangle granted must be the surface's.
          const int32_t rw = part ? rect.right - rect.left : w, rh = part ? rect.bottom - rect.top : h;
          auto* bytes = static_cast<uint8_t*>(locked.pBits);
          if (rw <= 0 || rh <= 0) std::abort();
          bytes[0] = 1;
          bytes[size_t(rh - 1) * size_t(locked.Pitch) + size_t(rw) * 4 - 1] = 2;
          surface->UnlockRect();
        }
        surface->Release();
        break;
      }
      default:
        if (in.Byte() & 1)
          d->BeginScene();
        else
          d->EndScene();
        break;
    }
  }

  ~Session() {
    if (!device) return;
    device->SetIndices(nullptr, 0);
    for (UINT s = 0; s < 16; ++s) device->SetStreamSource(s, nullptr, 0);
    for (auto* vb : vertexBuffers) vb->Release();
    for (auto* ib : indexBuffers) ib->Release();
    device->Release();
  }
};

struct Module3D {
  IDirect3D8* d3d = nullptr;
  PlatformWindow window;  // never presented to: only its record is needed
  Module3D() {
    ModuleHandle module = Module::Load("d3d8.dll");
    if (!module) {
      std::fprintf(stderr, "d3d8_draw: d3d8.so not found beside the library\n");
      std::abort();
    }
    auto create = reinterpret_cast<Direct3DCreate8Fn>(Module::Symbol(module, "Direct3DCreate8"));
    d3d = create ? create(D3D_SDK_VERSION) : nullptr;
    if (!d3d || d3d->GetAdapterCount() == 0) {
      std::fprintf(stderr, "d3d8_draw: the device needs an X display (run under xvfb-run)\n");
      std::abort();
    }
  }
};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  static Module3D module;
  Input in(data, size);
  D3DPRESENT_PARAMETERS p;
  p.BackBufferWidth = p.BackBufferHeight = 64, p.BackBufferFormat = D3DFMT_X8R8G8B8, p.BackBufferCount = 1;
  p.hDeviceWindow = &module.window, p.Windowed = 1;
  static const D3DFORMAT kDepth[] = {0, D3DFMT_D16, D3DFMT_D24S8, D3DFMT_D32};
  const D3DFORMAT depth = kDepth[in.Byte() % 4];
  p.EnableAutoDepthStencil = depth != 0, p.AutoDepthStencilFormat = depth;
  Session session;
  if (module.d3d->CreateDevice(0, D3DDEVTYPE_HAL, &module.window, D3DCREATE_HARDWARE_VERTEXPROCESSING, &p,
                               &session.device) != D3D_OK)
    return 0;
  session.device->BeginScene();
  for (uint32_t i = 0; i < kMaxCalls && in.More(); ++i) session.Step(in);
  return 0;
}
