// The software Direct3D 8 device: validation that leaves bytes alone, clears inside the viewport,
// presents that reach the X window, lost states, the rasterizer's rules and object counting.
#include <cmath>
#include <cstring>
#include <limits>

#include "SoftD3D8Fixture.h"

namespace PM::Test {
namespace {

constexpr UINT kW = 64, kH = 48;
constexpr DWORD kFvf = D3DFVF_XYZ | D3DFVF_DIFFUSE;

// Two triangles over the whole clip square, wound clockwise as seen.
const ColorVertex kFullQuad[6] = {{-1, 1, 0.5f, 0xFFFF0000}, {1, 1, 0.5f, 0xFFFF0000},  {1, -1, 0.5f, 0xFFFF0000},
                                  {-1, 1, 0.5f, 0xFFFF0000}, {1, -1, 0.5f, 0xFFFF0000}, {-1, -1, 0.5f, 0xFFFF0000}};

TEST_F(SoftD3D8Test, RefusedLocksAndCallsLeaveBytesUntouched) {
  OpenWindow(kW, kH);
  IDirect3D8* d3d = create(D3D_SDK_VERSION);
  IDirect3DDevice8* device = CreateDevice(d3d, kW, kH, D3DFMT_D24X8);
  ASSERT_NE(device, nullptr);
  IDirect3DSurface8* image = nullptr;
  ASSERT_EQ(device->CreateImageSurface(8, 8, D3DFMT_A8R8G8B8, &image), D3D_OK);
  D3DLOCKED_RECT locked;
  ASSERT_EQ(image->LockRect(&locked, nullptr, 0), D3D_OK);
  EXPECT_EQ(locked.Pitch, 32);
  for (int i = 0; i < 64; ++i) static_cast<uint32_t*>(locked.pBits)[i] = 0xFF000000u | uint32_t(i);
  D3DLOCKED_RECT second;
  EXPECT_EQ(image->LockRect(&second, nullptr, 0), D3DERR_INVALIDCALL) << "a second lock";
  ASSERT_EQ(image->UnlockRect(), D3D_OK);
  const RECT outside{4, 4, 9, 6};
  EXPECT_EQ(image->LockRect(&second, &outside, 0), D3DERR_INVALIDCALL) << "a rectangle outside";
  const std::vector<uint32_t> before = Read(image);

  IDirect3DSurface8* target = nullptr;
  ASSERT_EQ(device->CreateRenderTarget(8, 8, D3DFMT_X8R8G8B8, D3DMULTISAMPLE_NONE, 0, &target), D3D_OK);
  EXPECT_EQ(target->LockRect(&second, nullptr, 0), D3DERR_INVALIDCALL) << "created without lockable";
  IDirect3DSurface8* back = nullptr;
  ASSERT_EQ(device->GetBackBuffer(0, D3DBACKBUFFER_TYPE_MONO, &back), D3D_OK);
  EXPECT_EQ(back->LockRect(&second, nullptr, 0), D3DERR_INVALIDCALL) << "no LOCKABLE_BACKBUFFER";

  // Calls refused as a whole change nothing either.
  const std::vector<uint32_t> frame = Read(back);
  device->SetVertexShader(kFvf);
  device->SetRenderState(D3DRS_CULLMODE, D3DCULL_NONE);
  EXPECT_EQ(device->DrawPrimitiveUP(D3DPT_TRIANGLELIST, 2, kFullQuad, sizeof(ColorVertex)), D3DERR_INVALIDCALL)
      << "a draw outside BeginScene";
  EXPECT_EQ(device->Clear(0, nullptr, D3DCLEAR_TARGET | D3DCLEAR_STENCIL, 0xFFFFFFFF, 1.0f, 0), D3DERR_INVALIDCALL)
      << "stencil on D24X8";
  ASSERT_EQ(device->BeginScene(), D3D_OK);
  IDirect3DVertexBuffer8* vb = nullptr;
  ASSERT_EQ(device->CreateVertexBuffer(sizeof(kFullQuad), 0, kFvf, D3DPOOL_MANAGED, &vb), D3D_OK);
  uint8_t* bytes = nullptr;
  ASSERT_EQ(vb->Lock(0, 0, &bytes, 0), D3D_OK);
  std::memcpy(bytes, kFullQuad, sizeof(kFullQuad));
  vb->Unlock();
  device->SetStreamSource(0, vb, sizeof(ColorVertex));
  EXPECT_EQ(device->DrawPrimitive(D3DPT_TRIANGLELIST, 1, 2), D3DERR_INVALIDCALL) << "a draw past the buffer";
  IDirect3DIndexBuffer8* ib = nullptr;
  ASSERT_EQ(device->CreateIndexBuffer(12, 0, D3DFMT_INDEX16, D3DPOOL_MANAGED, &ib), D3D_OK);
  ASSERT_EQ(ib->Lock(0, 0, &bytes, 0), D3D_OK);
  const uint16_t indices[6] = {0, 1, 2, 0, 2, 6};  // 6 lies beyond the six vertices
  std::memcpy(bytes, indices, sizeof(indices));
  ib->Unlock();
  device->SetIndices(ib, 0);
  EXPECT_EQ(device->DrawIndexedPrimitive(D3DPT_TRIANGLELIST, 0, 6, 0, 2), D3DERR_INVALIDCALL) << "an index beyond";
  EXPECT_EQ(device->DrawIndexedPrimitive(D3DPT_TRIANGLELIST, 0, 7, 0, 2), D3DERR_INVALIDCALL) << "range past stream";
  device->EndScene();
  EXPECT_EQ(Read(back), frame);
  EXPECT_EQ(Read(image), before);

  device->SetStreamSource(0, nullptr, 0);
  device->SetIndices(nullptr, 0);
  for (IUnknown* u : std::initializer_list<IUnknown*>{ib, vb, back, target, image, device, d3d}) u->Release();
}

TEST_F(SoftD3D8Test, ClearStaysInTheViewportAndItsRectangles) {
  OpenWindow(kW, kH);
  IDirect3D8* d3d = create(D3D_SDK_VERSION);
  IDirect3DDevice8* device = CreateDevice(d3d, kW, kH, D3DFMT_D16_LOCKABLE);
  ASSERT_NE(device, nullptr);
  ASSERT_EQ(device->Clear(0, nullptr, D3DCLEAR_TARGET | D3DCLEAR_ZBUFFER, 0xFF102030, 1.0f, 0), D3D_OK);
  const D3DVIEWPORT8 viewport{10, 5, 20, 10, 0.0f, 1.0f};
  ASSERT_EQ(device->SetViewport(&viewport), D3D_OK);
  ASSERT_EQ(device->Clear(0, nullptr, D3DCLEAR_TARGET | D3DCLEAR_ZBUFFER, 0xFFFFFFFF, 0.5f, 0), D3D_OK);
  const D3DRECT half{0, 0, 15, 100};  // reaches outside the viewport on three sides
  ASSERT_EQ(device->Clear(1, &half, D3DCLEAR_TARGET, 0xFF00FF00, 0.0f, 0), D3D_OK);
  const std::vector<uint32_t> pixels = ReadBackBuffer(device);
  IDirect3DSurface8* depth = nullptr;
  ASSERT_EQ(device->GetDepthStencilSurface(&depth), D3D_OK);
  const std::vector<uint32_t> depths = Read(depth);
  for (UINT y = 0; y < kH; ++y) {
    for (UINT x = 0; x < kW; ++x) {
      const bool inside = x >= 10 && x < 30 && y >= 5 && y < 15;
      const uint32_t want = !inside ? 0xFF102030 : x < 15 ? 0xFF00FF00 : 0xFFFFFFFF;
      ASSERT_EQ(pixels[y * kW + x], want) << x << "," << y;
      ASSERT_EQ(depths[y * kW + x], inside ? 32768u : 65535u) << x << "," << y;
    }
  }
  depth->Release();
  device->Release();
  d3d->Release();
}

TEST_F(SoftD3D8Test, PresentPutsTheBackBufferIntoTheWindow) {
  OpenWindow(kW, kH);
  IDirect3D8* d3d = create(D3D_SDK_VERSION);
  IDirect3DDevice8* device = CreateDevice(d3d, kW, kH, D3DFMT_D16);
  ASSERT_NE(device, nullptr);
  device->Clear(0, nullptr, D3DCLEAR_TARGET | D3DCLEAR_ZBUFFER, 0xFF203040, 1.0f, 0);
  device->BeginScene();
  device->SetRenderState(D3DRS_LIGHTING, 0);
  device->SetVertexShader(kFvf);
  const ColorVertex triangle[3] = {
      {-0.8f, -0.8f, 0.2f, 0xFFFF0000}, {0.0f, 0.9f, 0.2f, 0xFF00FF00}, {0.8f, -0.8f, 0.2f, 0xFF0000FF}};
  ASSERT_EQ(device->DrawPrimitiveUP(D3DPT_TRIANGLELIST, 1, triangle, sizeof(ColorVertex)), D3D_OK);
  device->EndScene();
  ASSERT_EQ(device->Present(nullptr, nullptr, nullptr, nullptr), D3D_OK);
  const std::vector<uint32_t> back = ReadBackBuffer(device);
  const std::vector<uint32_t> shown = WindowPixels(kW, kH);
  ASSERT_EQ(shown.size(), back.size());
  int drawn = 0;
  for (size_t i = 0; i < back.size(); ++i) {
    ASSERT_EQ(shown[i], back[i] & 0xFFFFFF) << i;
    drawn += back[i] != 0xFF203040;
  }
  EXPECT_GT(drawn, int(kW * kH / 4)) << "the triangle covers a good part of the frame";
  device->Release();
  d3d->Release();
}

TEST_F(SoftD3D8Test, FullScreenR5G6B5WhiteAndFocusLoss) {
  IDirect3D8* d3d = create(D3D_SDK_VERSION);
  D3DDISPLAYMODE mode;
  ASSERT_EQ(d3d->GetAdapterDisplayMode(0, &mode), D3D_OK);
  EXPECT_EQ(mode.Format, D3DFMT_X8R8G8B8);
  EXPECT_EQ(mode.RefreshRate, 60u);
  OpenWindow(int(mode.Width), int(mode.Height));
  D3DPRESENT_PARAMETERS p;
  p.BackBufferWidth = mode.Width, p.BackBufferHeight = mode.Height, p.BackBufferFormat = D3DFMT_R5G6B5;
  p.BackBufferCount = 1, p.hDeviceWindow = &window, p.Windowed = 0, p.FullScreen_RefreshRateInHz = 60;
  IDirect3DDevice8* device = nullptr;
  D3DPRESENT_PARAMETERS wrongSize = p;
  wrongSize.BackBufferWidth = 640;
  EXPECT_EQ(d3d->CreateDevice(0, D3DDEVTYPE_HAL, &window, D3DCREATE_HARDWARE_VERTEXPROCESSING, &wrongSize, &device),
            D3DERR_INVALIDCALL)
      << "no mode switch";
  ASSERT_EQ(d3d->CreateDevice(0, D3DDEVTYPE_HAL, &window, D3DCREATE_HARDWARE_VERTEXPROCESSING, &p, &device), D3D_OK);
  device->Clear(0, nullptr, D3DCLEAR_TARGET, 0xFFFFFFFF, 1.0f, 0);
  ASSERT_EQ(device->Present(nullptr, nullptr, nullptr, nullptr), D3D_OK);
  XImage* image = XGetImage(display, window.window, 5, 5, 1, 1, AllPlanes, ZPixmap);
  ASSERT_NE(image, nullptr);
  EXPECT_EQ(XGetPixel(image, 0, 0) & 0xFFFFFF, 0xFFFFFFu);
  XDestroyImage(image);

  // The full-screen window losing the focus loses the device; its return asks for a reset.
  XSetInputFocus(display, window.window, RevertToParent, CurrentTime);
  XSync(display, False);
  EXPECT_EQ(device->TestCooperativeLevel(), D3D_OK);
  XSetInputFocus(display, DefaultRootWindow(display), RevertToParent, CurrentTime);
  XSync(display, False);
  EXPECT_EQ(device->TestCooperativeLevel(), D3DERR_DEVICELOST);
  EXPECT_EQ(device->Present(nullptr, nullptr, nullptr, nullptr), D3DERR_DEVICELOST);
  XSetInputFocus(display, window.window, RevertToParent, CurrentTime);
  XSync(display, False);
  EXPECT_EQ(device->TestCooperativeLevel(), D3DERR_DEVICENOTRESET);
  EXPECT_EQ(device->Reset(&p), D3D_OK);
  EXPECT_EQ(device->TestCooperativeLevel(), D3D_OK);
  device->Release();
  d3d->Release();
}

TEST_F(SoftD3D8Test, LostThenNotResetUntilReset) {
  OpenWindow(kW, kH);
  IDirect3D8* d3d = create(D3D_SDK_VERSION);
  IDirect3DDevice8* device = CreateDevice(d3d, kW, kH, D3DFMT_D16, D3DPRESENTFLAG_LOCKABLE_BACKBUFFER);
  ASSERT_NE(device, nullptr);
  device->Clear(0, nullptr, D3DCLEAR_TARGET, 0xFF000000, 1.0f, 0);
  control->SetLost(true);
  EXPECT_EQ(device->TestCooperativeLevel(), D3DERR_DEVICELOST);
  EXPECT_EQ(device->Present(nullptr, nullptr, nullptr, nullptr), D3DERR_DEVICELOST);
  IDirect3DSurface8* back = nullptr;
  device->GetBackBuffer(0, D3DBACKBUFFER_TYPE_MONO, &back);
  D3DLOCKED_RECT locked;
  EXPECT_EQ(back->LockRect(&locked, nullptr, 0), D3DERR_DEVICELOST);
  device->BeginScene();
  device->SetVertexShader(kFvf);
  device->SetRenderState(D3DRS_CULLMODE, D3DCULL_NONE);
  EXPECT_EQ(device->DrawPrimitiveUP(D3DPT_TRIANGLELIST, 2, kFullQuad, sizeof(ColorVertex)), D3D_OK);
  device->EndScene();
  EXPECT_EQ(Read(back), std::vector<uint32_t>(kW * kH, 0xFF000000)) << "draws do nothing while lost";
  back->Release();
  D3DPRESENT_PARAMETERS p;
  p.BackBufferWidth = kW, p.BackBufferHeight = kH, p.BackBufferFormat = D3DFMT_X8R8G8B8, p.Windowed = 1;
  p.hDeviceWindow = &window;
  EXPECT_EQ(device->Reset(&p), D3DERR_DEVICELOST);
  control->SetLost(false);
  EXPECT_EQ(device->TestCooperativeLevel(), D3DERR_DEVICENOTRESET);
  EXPECT_EQ(device->Present(nullptr, nullptr, nullptr, nullptr), D3DERR_DEVICELOST);
  EXPECT_EQ(device->Reset(&p), D3D_OK);
  EXPECT_EQ(device->TestCooperativeLevel(), D3D_OK);
  EXPECT_EQ(device->Present(nullptr, nullptr, nullptr, nullptr), D3D_OK);
  device->Release();
  d3d->Release();
}

// Pixel rules: a full quad of two triangles covers every pixel once, culling follows the winding as seen,
// the depth test keeps the nearer, a non-finite vertex drops its triangle.
TEST_F(SoftD3D8Test, RasterizerRules) {
  OpenWindow(kW, kH);
  IDirect3D8* d3d = create(D3D_SDK_VERSION);
  IDirect3DDevice8* device = CreateDevice(d3d, kW, kH, D3DFMT_D24S8);
  ASSERT_NE(device, nullptr);
  device->SetVertexShader(kFvf);
  device->SetRenderState(D3DRS_LIGHTING, 0);
  auto frame = [&](auto draw) {
    device->Clear(0, nullptr, D3DCLEAR_TARGET | D3DCLEAR_ZBUFFER | D3DCLEAR_STENCIL, 0xFF000000, 1.0f, 0);
    device->BeginScene();
    draw();
    device->EndScene();
    return ReadBackBuffer(device);
  };
  // Default culling is counter-clockwise: the clockwise quad shows, its mirror does not.
  std::vector<uint32_t> px =
      frame([&] { device->DrawPrimitiveUP(D3DPT_TRIANGLELIST, 2, kFullQuad, sizeof(ColorVertex)); });
  EXPECT_EQ(px, std::vector<uint32_t>(kW * kH, 0xFFFF0000));
  ColorVertex mirrored[6];
  for (int i = 0; i < 6; ++i) mirrored[i] = kFullQuad[5 - i];
  px = frame([&] { device->DrawPrimitiveUP(D3DPT_TRIANGLELIST, 2, mirrored, sizeof(ColorVertex)); });
  EXPECT_EQ(px, std::vector<uint32_t>(kW * kH, 0xFF000000));

  // Two quads: the nearer (z 0.3) wins whatever the order.
  ColorVertex nearQuad[6];
  for (int i = 0; i < 6; ++i) nearQuad[i] = {kFullQuad[i].x * 0.5f, kFullQuad[i].y * 0.5f, 0.3f, 0xFF00FF00};
  px = frame([&] {
    device->DrawPrimitiveUP(D3DPT_TRIANGLELIST, 2, nearQuad, sizeof(ColorVertex));
    device->DrawPrimitiveUP(D3DPT_TRIANGLELIST, 2, kFullQuad, sizeof(ColorVertex));
  });
  EXPECT_EQ(px[24 * kW + 32], 0xFF00FF00u);
  EXPECT_EQ(px[2 * kW + 2], 0xFFFF0000u);
  // Half the size of a 64 x 48 frame: pixels 16..47 and 12..35, the left and top edges in.
  EXPECT_EQ(px[12 * kW + 16], 0xFF00FF00u);
  EXPECT_EQ(px[11 * kW + 16], 0xFFFF0000u);
  EXPECT_EQ(px[12 * kW + 15], 0xFFFF0000u);
  EXPECT_EQ(px[35 * kW + 47], 0xFF00FF00u);
  EXPECT_EQ(px[36 * kW + 47], 0xFFFF0000u);
  EXPECT_EQ(px[35 * kW + 48], 0xFFFF0000u);

  // A NaN corner drops its triangle only.
  ColorVertex broken[6];
  std::memcpy(broken, kFullQuad, sizeof(broken));
  broken[4].x = std::numeric_limits<float>::quiet_NaN();
  px = frame([&] { device->DrawPrimitiveUP(D3DPT_TRIANGLELIST, 2, broken, sizeof(ColorVertex)); });
  EXPECT_EQ(px[1 * kW + (kW - 2)], 0xFFFF0000u);  // upper right: first triangle
  EXPECT_EQ(px[(kH - 2) * kW + 1], 0xFF000000u);  // lower left: dropped

  // A line strip lights one pixel per step.
  // From the centre of pixel 0 to that of pixel 63, its last pixel drawn.
  const ColorVertex line[2] = {{-1.0f, 0.0f, 0.5f, 0xFFFFFFFF}, {-1.0f + 63.0f * 2.0f / kW, 0.0f, 0.5f, 0xFFFFFFFF}};
  px = frame([&] { device->DrawPrimitiveUP(D3DPT_LINESTRIP, 1, line, sizeof(ColorVertex)); });
  int lit = 0;
  for (uint32_t p : px) lit += p == 0xFFFFFFFFu;
  EXPECT_EQ(lit, int(kW));
  device->Release();
  d3d->Release();
}

TEST_F(SoftD3D8Test, AdapterCapsFormatsAndVersions) {
  EXPECT_EQ(create(219), nullptr) << "SDK 220 only by default";
  control->SetAcceptedSdkVersions(219, 219);
  IDirect3D8* old = create(219);
  ASSERT_NE(old, nullptr);
  old->Release();
  control->Reset();
  IDirect3D8* d3d = create(D3D_SDK_VERSION);
  D3DCAPS8 caps;
  ASSERT_EQ(d3d->GetDeviceCaps(0, D3DDEVTYPE_HAL, &caps), D3D_OK);
  EXPECT_EQ(caps.MaxSimultaneousTextures, 8u);
  EXPECT_EQ(caps.MaxActiveLights, 8u);
  EXPECT_EQ(caps.MaxStreams, 16u);
  EXPECT_EQ(caps.MaxVertexIndex, 0xFFFFFFu);
  EXPECT_EQ(caps.MaxPrimitiveCount, 0xFFFFFFu);
  EXPECT_EQ(caps.MaxTextureWidth, 4096u);
  EXPECT_EQ(caps.PrimitiveMiscCaps & D3DPMISCCAPS_NULLREFERENCE, 0u);
  EXPECT_EQ(caps.MaxAnisotropy, 1u);
  const struct {
    D3DFORMAT format;
    HRESULT texture;
  } formats[] = {{D3DFMT_A8R8G8B8, D3D_OK},
                 {D3DFMT_R8G8B8, D3D_OK},
                 {D3DFMT_A4L4, D3D_OK},
                 {D3DFMT_L8, D3D_OK},
                 {D3DFMT_X4R4G4B4, D3D_OK},
                 {D3DFMT_DXT1, D3DERR_NOTAVAILABLE},
                 {D3DFMT_P8, D3DERR_NOTAVAILABLE},
                 {D3DFMT_V8U8, D3DERR_NOTAVAILABLE},
                 {D3DFMT_D16, D3DERR_NOTAVAILABLE}};
  for (const auto& f : formats)
    EXPECT_EQ(d3d->CheckDeviceFormat(0, D3DDEVTYPE_HAL, D3DFMT_X8R8G8B8, 0, D3DRTYPE_TEXTURE, f.format), f.texture)
        << f.format;
  OpenWindow(kW, kH);
  IDirect3DDevice8* device = CreateDevice(d3d, kW, kH, D3DFMT_D32);
  ASSERT_NE(device, nullptr);
  EXPECT_EQ(device->GetAvailableTextureMem(), 128u << 20);
  IDirect3DTexture8* texture = nullptr;
  ASSERT_EQ(device->CreateTexture(64, 16, 0, 0, D3DFMT_A4R4G4B4, D3DPOOL_MANAGED, &texture), D3D_OK);
  EXPECT_EQ(texture->GetLevelCount(), 7u);
  D3DSURFACE_DESC desc;
  texture->GetLevelDesc(6, &desc);
  EXPECT_EQ(desc.Width, 1u);
  EXPECT_EQ(desc.Height, 1u);
  D3DLOCKED_RECT locked;
  ASSERT_EQ(texture->LockRect(2, &locked, nullptr, 0), D3D_OK);
  EXPECT_EQ(locked.Pitch, 32) << "16 pixels of 2 bytes";
  texture->UnlockRect(2);
  IDirect3DTexture8* refused = nullptr;
  EXPECT_EQ(device->CreateTexture(8, 8, 1, 0, D3DFMT_DXT1, D3DPOOL_MANAGED, &refused), D3DERR_INVALIDCALL);
  EXPECT_EQ(device->CreateTexture(8192, 8, 1, 0, D3DFMT_L8, D3DPOOL_MANAGED, &refused), D3DERR_INVALIDCALL);
  IDirect3DSurface8* huge = nullptr;
  EXPECT_EQ(device->CreateImageSurface(8193, 8193, D3DFMT_A8R8G8B8, &huge), D3DERR_INVALIDCALL);
  EXPECT_EQ(huge, nullptr);
  EXPECT_EQ(control->LiveObjects(), 5) << "Direct3D, device, back buffer, depth surface, texture";
  texture->Release();
  device->Release();
  d3d->Release();
}

TEST_F(SoftD3D8Test, PresentFillsTheDirectDrawPrimaryAtTheWindowsOrigin) {
  EXPECT_EQ(Module::Load("ddraw.dll"), module) << "ddraw.so is the same module";
  OpenWindow(kW, kH);
  void* object = nullptr;
  ASSERT_EQ(createDirectDraw(nullptr, &object, IID_IDirectDraw7, nullptr), DD_OK);
  auto* dd = static_cast<IDirectDraw7*>(object);
  DDSURFACEDESC2 desc;
  desc.dwSize = DDSURFACEDESC2::kPublishedSize;
  desc.dwFlags = DDSD_CAPS;
  desc.ddsCaps.dwCaps = DDSCAPS_PRIMARYSURFACE;
  IDirectDrawSurface7* primary = nullptr;
  EXPECT_EQ(dd->CreateSurface(&desc, &primary, nullptr), DDERR_NOCOOPERATIVELEVELSET);
  ASSERT_EQ(dd->SetCooperativeLevel(&window, DDSCL_NORMAL), DD_OK);
  ASSERT_EQ(dd->CreateSurface(&desc, &primary, nullptr), DD_OK);
  IDirectDrawSurface7* second = nullptr;
  EXPECT_EQ(dd->CreateSurface(&desc, &second, nullptr), DDERR_PRIMARYSURFACEALREADYEXISTS);
  DDSURFACEDESC2 got;
  got.dwSize = DDSURFACEDESC2::kPublishedSize;
  ASSERT_EQ(primary->GetSurfaceDesc(&got), DD_OK);
  EXPECT_EQ(int(got.dwWidth), DisplayWidth(display, DefaultScreen(display)));

  IDirect3D8* d3d = create(D3D_SDK_VERSION);
  IDirect3DDevice8* device = CreateDevice(d3d, kW, kH, 0);
  device->Clear(0, nullptr, D3DCLEAR_TARGET, 0xFF336699, 1.0f, 0);
  ASSERT_EQ(device->Present(nullptr, nullptr, nullptr, nullptr), D3D_OK);
  std::vector<uint32_t> screen(size_t(got.dwWidth) * got.dwHeight);
  ASSERT_TRUE(control->ReadDirectDrawSurface(primary, screen.data(), uint32_t(screen.size())));
  EXPECT_EQ(screen[0], 0xFF336699u) << "the window sits at the screen's corner";
  EXPECT_EQ(screen[size_t(kH - 1) * got.dwWidth + kW - 1], 0xFF336699u);
  EXPECT_EQ(screen[size_t(kH) * got.dwWidth], 0xFF000000u);
  for (IUnknown* u : std::initializer_list<IUnknown*>{device, d3d, primary, dd}) u->Release();
}

}  // namespace
}  // namespace PM::Test
