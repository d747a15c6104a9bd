// The software Direct3D 8 object (adapter 0 = the default X screen) and its device: objects,
// validation, clears, draws through the rasterizer, present into the X window, lost states.
#pragma once

#include <cstdint>
#include <memory>
#include <span>
#include <vector>

#include "platform/d3d8/D3D8.h"
#include "platform/d3d8/Rasterizer.h"
#include "platform/d3d8/SoftObjects.h"

using Display = struct _XDisplay;

namespace PM::SoftD3D {

class Direct3D final : public Counted<IDirect3D8> {
 public:
  Direct3D();
  ~Direct3D();

  UINT GetAdapterCount() override;
  UINT GetAdapterModeCount(UINT adapter) override;
  HRESULT EnumAdapterModes(UINT adapter, UINT mode, D3DDISPLAYMODE* out) override;
  HRESULT GetAdapterDisplayMode(UINT adapter, D3DDISPLAYMODE* mode) override;
  HRESULT CheckDeviceFormat(UINT adapter, D3DDEVTYPE type, D3DFORMAT adapterFormat, DWORD usage,
                            D3DRESOURCETYPE resourceType, D3DFORMAT format) override;
  HRESULT GetDeviceCaps(UINT adapter, D3DDEVTYPE type, D3DCAPS8* caps) override;
  HRESULT CreateDevice(UINT adapter, D3DDEVTYPE type, HWND focusWindow, DWORD behaviorFlags,
                       D3DPRESENT_PARAMETERS* params, IDirect3DDevice8** out) override;

  Display* XDisplay() const { return m_display; }
  // Checks presentation parameters against the adapter and completes them (windowed sizes of 0 take the
  // window's, an unknown windowed format the display's).
  HRESULT CheckParameters(D3DPRESENT_PARAMETERS* p);

 private:
  // One adapter, with a display or without: without one it draws into memory only (Present shows nothing).
  bool AdapterReady(UINT adapter) const { return adapter == 0; }
  Display* m_display;  // our own connection; null without $DISPLAY
};

// One stream element a draw reads: where in the vertex, from which stream, in which D3DVSDT type.
struct VertexElement {
  int32_t stream = -1;  // -1: absent
  uint32_t offset = 0;
  uint32_t size = 0;
  uint32_t type = 0;
};
// The elements of the fixed-function vertex, wherever an FVF code or a declaration puts them.
enum VertexSlot : uint32_t {
  kSlotPosition,
  kSlotNormal,
  kSlotDiffuse,
  kSlotSpecular,
  kSlotTexCoord0,
  kSlotCount = kSlotTexCoord0 + kMaxTexCoords
};
struct VertexLayout {
  VertexElement slots[kSlotCount];
  bool pretransformed = false;  // XYZRHW: the position is screen x, y, depth and 1/w
  const VertexElement& operator[](uint32_t slot) const { return slots[slot]; }
  VertexElement& operator[](uint32_t slot) { return slots[slot]; }
};

class Device final : public Counted<IDirect3DDevice8> {
 public:
  Device(Direct3D* parent, D3DDEVTYPE type, DWORD flags, const D3DCAPS8& caps);
  ~Device();
  // Builds the buffers for the parameters (completed in place); a failure code leaves the device unusable.
  HRESULT Configure(D3DPRESENT_PARAMETERS* params);

  HRESULT TestCooperativeLevel() override;
  UINT GetAvailableTextureMem() override;
  HRESULT GetDirect3D(IDirect3D8** d3d) override;
  HRESULT GetDeviceCaps(D3DCAPS8* caps) override;
  HRESULT GetDisplayMode(D3DDISPLAYMODE* mode) override;
  HRESULT Reset(D3DPRESENT_PARAMETERS* params) override;
  HRESULT Present(const RECT* source, const RECT* dest, HWND overrideWindow, const void* dirty) override;
  HRESULT GetBackBuffer(UINT index, D3DBACKBUFFER_TYPE type, IDirect3DSurface8** out) override;
  HRESULT CreateTexture(UINT width, UINT height, UINT levels, DWORD usage, D3DFORMAT format, D3DPOOL pool,
                        IDirect3DTexture8** out) override;
  HRESULT CreateVertexBuffer(UINT length, DWORD usage, DWORD fvf, D3DPOOL pool, IDirect3DVertexBuffer8** out) override;
  HRESULT CreateIndexBuffer(UINT length, DWORD usage, D3DFORMAT format, D3DPOOL pool,
                            IDirect3DIndexBuffer8** out) override;
  HRESULT CreateRenderTarget(UINT width, UINT height, D3DFORMAT format, D3DMULTISAMPLE_TYPE multiSample, BOOL lockable,
                             IDirect3DSurface8** out) override;
  HRESULT CreateDepthStencilSurface(UINT width, UINT height, D3DFORMAT format, D3DMULTISAMPLE_TYPE multiSample,
                                    IDirect3DSurface8** out) override;
  HRESULT CreateImageSurface(UINT width, UINT height, D3DFORMAT format, IDirect3DSurface8** out) override;
  HRESULT CopyRects(IDirect3DSurface8* source, const RECT* sourceRects, UINT count, IDirect3DSurface8* dest,
                    const POINT* destPoints) override;
  HRESULT GetRenderTarget(IDirect3DSurface8** out) override;
  HRESULT GetDepthStencilSurface(IDirect3DSurface8** out) override;
  HRESULT BeginScene() override;
  HRESULT EndScene() override;
  HRESULT Clear(DWORD count, const D3DRECT* rects, DWORD flags, D3DCOLOR color, float z, DWORD stencil) override;
  HRESULT SetTransform(D3DTRANSFORMSTATETYPE state, const D3DMATRIX* matrix) override;
  HRESULT GetTransform(D3DTRANSFORMSTATETYPE state, D3DMATRIX* matrix) override;
  HRESULT SetViewport(const D3DVIEWPORT8* viewport) override;
  HRESULT GetViewport(D3DVIEWPORT8* viewport) override;
  HRESULT SetMaterial(const D3DMATERIAL8* material) override;
  HRESULT GetMaterial(D3DMATERIAL8* material) override;
  HRESULT SetLight(DWORD index, const D3DLIGHT8* light) override;
  HRESULT LightEnable(DWORD index, BOOL enable) override;
  HRESULT SetRenderState(D3DRENDERSTATETYPE state, DWORD value) override;
  HRESULT GetRenderState(D3DRENDERSTATETYPE state, DWORD* value) override;
  HRESULT GetTexture(DWORD stage, IDirect3DResource8** texture) override;
  HRESULT SetTexture(DWORD stage, IDirect3DResource8* texture) override;
  HRESULT GetTextureStageState(DWORD stage, D3DTEXTURESTAGESTATETYPE type, DWORD* value) override;
  HRESULT SetTextureStageState(DWORD stage, D3DTEXTURESTAGESTATETYPE type, DWORD value) override;
  HRESULT DrawPrimitive(D3DPRIMITIVETYPE type, UINT startVertex, UINT primitiveCount) override;
  HRESULT DrawIndexedPrimitive(D3DPRIMITIVETYPE type, UINT minIndex, UINT vertexCount, UINT startIndex,
                               UINT primitiveCount) override;
  HRESULT DrawPrimitiveUP(D3DPRIMITIVETYPE type, UINT primitiveCount, const void* vertices, UINT stride) override;
  HRESULT DrawIndexedPrimitiveUP(D3DPRIMITIVETYPE type, UINT minIndex, UINT vertexCount, UINT primitiveCount,
                                 const void* indices, D3DFORMAT indexFormat, const void* vertices,
                                 UINT stride) override;
  HRESULT CreateVertexShader(const DWORD* declaration, const DWORD* function, DWORD* handle, DWORD usage) override;
  HRESULT SetVertexShader(DWORD handle) override;
  HRESULT GetVertexShader(DWORD* handle) override;
  HRESULT DeleteVertexShader(DWORD handle) override;
  HRESULT SetStreamSource(UINT stream, IDirect3DVertexBuffer8* buffer, UINT stride) override;
  HRESULT SetIndices(IDirect3DIndexBuffer8* buffer, UINT baseVertex) override;

  // Whether locks and presents answer "lost" now.
  bool Lost() { return Level(false) != D3D_OK; }
  Surface* BackBuffer() const { return m_backBuffers.empty() ? nullptr : m_backBuffers[0]; }
  const D3DPRESENT_PARAMETERS& Parameters() const { return m_params; }
  // The last draw's vertex range after the vertex stage (for the control); of an indexed draw from
  // vertex buffers only the vertices its indices name are current.
  std::span<const ClipVertex> Transformed() const { return {m_transformed.data(), m_transformedCount}; }
  // Something a draw reads changed (a state, a binding, a vertex buffer's contents): what the device
  // prepared for earlier draws is prepared again.
  void StateChanged() { ++m_stateSerial; }

 private:
  struct Stream {
    VertexBuffer* buffer = nullptr;
    uint32_t stride = 0;
  };
  struct Draw;         // one draw's vertex source, see SoftDeviceDraw.cpp
  struct VertexStage;  // the vertex stage prepared for a draw, see SoftDeviceVertex.cpp
  struct VertexStageDeleter {
    void operator()(VertexStage* stage) const;
  };
  // What the kept vertices were transformed under.
  struct StageKey {
    uint64_t inputs = 0;
    DWORD shader = 0;
    uint32_t firstVertex = 0;
    bool operator==(const StageKey&) const = default;
  };

  // The cooperative level: the control's, or a full-screen device's own after its window lost the focus
  // (asked of the X server when `askFocus`: TestCooperativeLevel and Present, not every draw).
  HRESULT Level(bool askFocus);
  void ReleaseBuffers();
  void ResetStates();
  HRESULT CheckDraw(D3DPRIMITIVETYPE type, UINT primitiveCount, uint32_t* indexCount) const;
  bool LayoutOf(DWORD shader, VertexLayout* out) const;
  HRESULT RunDraw(const Draw& draw);
  // Points the draw at the buffers of the streams its layout reads, checked to hold every vertex read.
  HRESULT BindStreams(Draw& draw, uint64_t baseVertex) const;
  void UnsetUserSources();
  // The vertex stage: fills m_transformed with the draw's vertices (SoftDeviceVertex.cpp).
  void TransformVertices(const Draw& draw);
  // The pixel stage's state for the next draw (SoftDevicePixel.cpp).
  void BuildRasterState(RasterState& state) const;
  // Changes with every write to a level of a bound texture (the samplers hold decoded texels).
  uint64_t TextureVersions() const;
  HRESULT CreateSurface(UINT width, UINT height, D3DFORMAT format, DWORD usage, bool lockable, D3DFORMAT wantKind,
                        const char* call, uint32_t fault, IDirect3DSurface8** out);

  Direct3D* m_parent;
  D3DDEVTYPE m_type;
  DWORD m_flags;
  D3DCAPS8 m_caps;
  D3DPRESENT_PARAMETERS m_params;
  std::vector<Surface*> m_backBuffers;
  Surface* m_autoDepth = nullptr;
  Surface* m_renderTarget = nullptr;  // counted
  Surface* m_depthTarget = nullptr;   // counted, may be null
  bool m_inScene = false;
  DWORD m_renderStates[kD3DRenderStateCount];
  DWORD m_stageStates[kD3DStageCount][kD3DTextureStageStateCount];
  D3DMATRIX m_world, m_view, m_projection;
  D3DMATRIX m_textureMatrices[kD3DStageCount];
  D3DVIEWPORT8 m_viewport;
  D3DMATERIAL8 m_material;
  std::vector<D3DLIGHT8> m_lights;
  std::vector<bool> m_lightEnabled;
  IDirect3DResource8* m_textures[kD3DStageCount] = {};
  DWORD m_vertexShader = 0;
  std::vector<std::vector<DWORD>> m_declarations;  // handle = index x 2 + 1; empty when deleted
  Stream m_streams[16];
  IndexBuffer* m_indices = nullptr;
  uint32_t m_baseVertex = 0;
  bool m_hadFocus = false;  // full screen: the window had the input focus once
  bool m_focusLost = false;
  bool m_focusNotReset = false;
  // The vertex stage's results: a draw's range, kept to reuse their storage and, for indexed draws from
  // buffers, their contents while m_stageKey holds (a vertex is current when its stamp is m_generation).
  std::vector<ClipVertex> m_transformed;
  std::vector<uint32_t> m_stamps;
  size_t m_transformedCount = 0;
  uint32_t m_generation = 0;
  std::unique_ptr<VertexStage, VertexStageDeleter> m_stage;
  StageKey m_stageKey;
  bool m_stageKept = false;
  uint64_t m_stateSerial = 0;  // see StateChanged
  // The pixel stage's state of the last draw, kept while the state serial and the textures' contents hold.
  RasterState m_rasterState;
  uint64_t m_rasterSerial = 0, m_rasterTextures = 0;
  bool m_rasterKept = false;
};

}  // namespace PM::SoftD3D
