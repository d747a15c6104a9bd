// The Direct3D 8 engine's colour buffers on our software device: locks outside the scene with their flag
// mapping, copies and their refusals, the viewport read back for screenshots and callers, and the
// capabilities report.
#include <string>
#include <vector>

#include "D3D8EngineFixture.h"
#include "render/d3d8/ColorBufferRows.h"
#include "render/d3d8/D3D8CapsReport.h"
#include "render/d3d8/D3D8FormatNames.h"

namespace PM::Test {
namespace {

bool Has(const std::string& text, const std::string& part) { return text.find(part) != std::string::npos; }

class D3D8BufferTest : public D3D8EngineTest {
 protected:
  // Fills the rectangle (x, y from the bottom, w, h) of the back buffer through the device's viewport clear.
  void Fill(int32_t x, int32_t y, int32_t w, int32_t h, D3DCOLOR color) {
    const int32_t rect[4] = {x, y, w, h};
    engine->SetViewport(rect);
    engine->Device()->Clear(0, nullptr, D3DCLEAR_TARGET, color, 1.0f, 0);
  }
  std::vector<uint32_t> Surface(IDirect3DSurface8* s) {
    D3DSURFACE_DESC desc;
    s->GetDesc(&desc);
    std::vector<uint32_t> words(size_t(desc.Width) * desc.Height);
    EXPECT_TRUE(control->ReadSurface(s, words.data(), uint32_t(words.size())));
    return words;
  }
};

TEST_F(D3D8BufferTest, LocksOutsideTheSceneWithTheirFlags) {
  format.BufferBackColorAccessEnable = 1;
  OpenWindow(64, 48);
  ASSERT_EQ(Initialize(), 0u);
  uint32_t code = 0;
  int32_t w = 0, h = 0;
  EXPECT_EQ(engine->GetBufferSize(RenderEngineDirectX8_D::kBackBuffer, &code, &w, &h), 0u);
  EXPECT_EQ(code, 0x410u);
  EXPECT_EQ(w, 64);
  EXPECT_EQ(h, 48);
  EXPECT_EQ(engine->GetBufferSize(RenderEngineDirectX8_D::kBackgroundBuffer, &code, &w, &h), 0x80000008u);
  EXPECT_EQ(engine->GetBufferSize(7, &code, &w, &h), 0x80000008u);

  // Access bits and discard map onto the device's flags, always with NOSYSLOCK.
  const struct {
    uint32_t flags;
    const char* call;
  } rows[] = {{1, "flags 0x810"}, {2, "flags 0x800"}, {4, "flags 0x2800"}, {5, "flags 0x810"}};
  for (const auto& r : rows) {
    control->ClearCallLog();
    void* bits = nullptr;
    int32_t pitch = 0;
    ASSERT_EQ(engine->LockBufferRect(32, r.flags, 0, 8, 0, 8, &bits, &pitch), 0u);
    EXPECT_NE(bits, nullptr);
    EXPECT_EQ(pitch, 64 * 4);
    EXPECT_TRUE(Has(control->CallLog(), r.call)) << r.flags << "\n" << control->CallLog();
    EXPECT_EQ(engine->UnlockBufferRect(32), 0u);
  }

  // A lock left open is reported when the scene starts; inside the scene locks are refused.
  void* bits = nullptr;
  int32_t pitch = 0;
  ASSERT_EQ(engine->LockBufferRect(32, 1, 0, 8, 0, 8, &bits, &pitch), 0u);
  ChannelClearInfo clear;
  engine->ClearBuffer(&clear);
  EXPECT_TRUE(Has(err.Text(), "A buffer lock was still active when scene rendering started."));
  EXPECT_EQ(engine->LockBufferRect(32, 1, 0, 8, 0, 8, &bits, &pitch), 0x80000011u);
  EXPECT_EQ(engine->UnlockBufferRect(32), 0x80000011u);
  EXPECT_TRUE(Has(err.Text(),
                  "This function should not be called between BeginScene and EndScene to avoid problems "
                  "on some hardware."));
  EXPECT_TRUE(Has(err.Text(), "RenderEngineDirectX8_D::UnlockBufferRect"));
  EXPECT_EQ(engine->CopyBufferRects(32, 64, 0, nullptr, nullptr), 0u) << "count 0 succeeds without any check";
  engine->SwapBuffers(true);
  EXPECT_EQ(engine->UnlockBufferRect(32), 0u);

  // Missing buffers and unknown ids.
  EXPECT_EQ(engine->LockBufferRect(64, 1, 0, 8, 0, 8, &bits, &pitch), 0x8000000Au);
  EXPECT_TRUE(Has(err.Text(), "No color backgroundbuffer exists."));
  EXPECT_EQ(engine->LockBufferRect(0, 1, 0, 8, 0, 8, &bits, &pitch), 0x8000000Au);
  EXPECT_TRUE(Has(err.Text(), "No color frontbuffer exists."));
  EXPECT_EQ(engine->LockBufferRect(5, 1, 0, 8, 0, 8, &bits, &pitch), 0x80000003u);
  EXPECT_EQ(engine->UnlockBufferRect(64), 0x80000008u);
  EXPECT_TRUE(Has(err.Text(), "The color backgroundbuffer could not be unlocked."));

  // A lost device refuses locks with 0x8000000C and no message; the lock count stays.
  control->SetLost(true);
  err.Take();
  EXPECT_EQ(engine->LockBufferRect(32, 1, 0, 8, 0, 8, &bits, &pitch), 0x8000000Cu);
  EXPECT_EQ(err.Text(), "");
  control->SetLost(false);
  out.Take();
  engine->ClearBuffer(&clear);
  EXPECT_FALSE(Has(err.Text(), "A buffer lock was still active")) << "no lock counted";
  engine->SwapBuffers(true);
}

TEST_F(D3D8BufferTest, UnlockableBackBufferAndLostDevice) {
  OpenWindow(64, 48);
  ASSERT_EQ(Initialize(), 0u);
  void* bits = nullptr;
  int32_t pitch = 0;
  // The refusal names the device's result and the member that would have allowed the read, once: a host
  // that asks for a screenshot on every frame is not told on every frame.
  EXPECT_EQ(engine->LockBufferRect(32, 1, 0, 8, 0, 8, &bits, &pitch), 0x80000008u);
  EXPECT_EQ(err.Take(),
            "Error [80000008 EFail] The color backbuffer is already locked or not allowed for locking (8876086C "
            "(D3DERR_INVALIDCALL)). Reading it (screenshots, the colour buffer) needs the RenderPipe member "
            "BufferBackColorAccessEnable set to True before its window opens.\n"
            "    Location: RenderEngineDirectX8_D::LockBufferRect\n"
            "    Function: IDirect3DSurface8::LockRect\n");
  ChannelClearInfo clear;
  for (int frame = 0; frame < 3; ++frame) {
    EXPECT_EQ(engine->RequestScreenShot(false, true), 1);
    engine->ClearBuffer(&clear);
    engine->SwapBuffers(true);
    EXPECT_EQ(engine->GetScreenShotDepthImage(), nullptr);
    EXPECT_EQ(engine->GetScreenShotImage(), nullptr) << "without BufferBackColorAccessEnable nothing can be read";
    EXPECT_EQ(engine->GetColorBufferImage(), nullptr);
  }
  EXPECT_EQ(err.Take(), "");
  // A new window says it again, once.
  ASSERT_EQ(Initialize(), 0u);
  EXPECT_EQ(engine->GetColorBufferImage(), nullptr);
  EXPECT_EQ(engine->GetColorBufferImage(), nullptr);
  const std::string again = err.Take();
  EXPECT_EQ(again.find("BufferBackColorAccessEnable"), again.rfind("BufferBackColorAccessEnable")) << again;
  EXPECT_NE(again.find("BufferBackColorAccessEnable"), std::string::npos) << again;
}

// Direct3D's and DirectDraw's results are named in reports, the Direct3D name where both share a value.
TEST(D3D8ResultNames, ReportsNameTheDevicesResults) {
  EXPECT_STREQ(ResultCodeName(ResultCode(D3DERR_INVALIDCALL)), "D3DERR_INVALIDCALL");
  EXPECT_STREQ(ResultCodeName(ResultCode(D3DERR_DEVICELOST)), "D3DERR_DEVICELOST");
  EXPECT_STREQ(ResultCodeName(ResultCode(D3DERR_OUTOFVIDEOMEMORY)), "D3DERR_OUTOFVIDEOMEMORY");
  EXPECT_STREQ(ResultCodeName(ResultCode(DDERR_NOFLIPHW)), "DDERR_NOFLIPHW");
  EXPECT_STREQ(ResultCodeName(ResultCode(E_INVALIDARG)), "E_INVALIDARG");
  EXPECT_STREQ(ResultCodeName(0x88760001u), "E???");
  // A name given elsewhere is kept: the library's own codes and a name given first.
  NameResultCode(EFail, "D3DERR_SOMETHING");
  EXPECT_STREQ(ResultCodeName(EFail), "EFail");
  NameResultCode(ResultCode(D3DERR_INVALIDCALL), "OTHER");
  EXPECT_STREQ(ResultCodeName(ResultCode(D3DERR_INVALIDCALL)), "D3DERR_INVALIDCALL");
}

TEST_F(D3D8BufferTest, CopiesAndTheirRefusals) {
  format.BufferBackgroundColorCount = 1;
  OpenWindow(64, 48);
  ASSERT_EQ(Initialize(), 0u);
  const int32_t rect[4] = {0, 0, 8, 8};
  const int32_t offset[2] = {4, 6};
  EXPECT_EQ(engine->CopyBufferRects(0, 32, 1, rect, offset), 0x80000009u);
  EXPECT_TRUE(Has(err.Text(), "BufferFrontColorAccessEnable==false"));
  EXPECT_TRUE(Has(err.Text(), "Access to the buffer was not requested and is denied."));
  EXPECT_EQ(engine->CopyBufferRects(64, 32, 1, rect, offset), 0x80000009u);
  EXPECT_TRUE(Has(err.Text(), "BufferBackColorAccessEnable==false"));
  EXPECT_EQ(engine->CopyBufferRects(64, 64, 1, rect, offset), 0x80000001u);
  EXPECT_TRUE(Has(err.Text(), "Copying between identical buffers is not yet implemented."));
  EXPECT_TRUE(Has(err.Text(), "RenderEngineDirectX8_D::CopyBufferRect\n"));

  format.BufferBackColorAccessEnable = 1;
  ASSERT_EQ(Initialize(), 0u);
  Fill(0, 0, 64, 48, 0xFF0000FF);
  Fill(0, 40, 8, 8, 0xFFFF0000);  // the top left 8 x 8
  control->ClearCallLog();
  EXPECT_EQ(engine->CopyBufferRects(32, 64, 1, rect, offset), 0u);
  EXPECT_TRUE(Has(control->CallLog(), "CopyRects(1)"));
  std::vector<uint32_t> background = Surface(engine->BackgroundSurface());
  EXPECT_EQ(background[6 * 64 + 4] & 0xFFFFFF, 0xFF0000u) << "moved by its offset";
  EXPECT_EQ(background[13 * 64 + 11] & 0xFFFFFF, 0xFF0000u);
  EXPECT_NE(background[14 * 64 + 12] & 0xFFFFFF, 0xFF0000u);
  // Back again, moved on; a rectangle beyond the target fails in the device and is reported.
  EXPECT_EQ(engine->CopyBufferRects(64, 32, 1, rect, offset), 0u);
  const int32_t far[2] = {60, 0};
  EXPECT_EQ(engine->CopyBufferRects(64, 32, 1, rect, far), 0x80000008u);
  EXPECT_TRUE(Has(err.Text(), "WindowsError: "));
  EXPECT_EQ(engine->CopyBufferRects(32, 5, 1, rect, offset), 0x80000001u);
  EXPECT_TRUE(Has(err.Text(), "Copying between these buffers is not yet implemented."));
}

TEST_F(D3D8BufferTest, FrontBufferCopiesCheckTheirRectangles) {
  format.BufferBackColorAccessEnable = 1;
  format.BufferFrontColorAccessEnable = 1;
  OpenWindow(64, 48);
  ASSERT_EQ(Initialize(), 0u);
  WindowPoint origin{0, 0};
  ASSERT_TRUE(ClientToScreen(window, &origin));
  const int32_t beyond[4] = {0, 0, 100000, 10};
  EXPECT_EQ(engine->CopyBufferRects(0, 32, 1, beyond, nullptr), 0x80000003u);
  const std::string values = "srcL=" + std::to_string(origin.x) + " srcR=" + std::to_string(100000 + origin.x) +
                             " srcB=" + std::to_string(10 + origin.y) + " srcT=" + std::to_string(origin.y);
  EXPECT_TRUE(Has(err.Text(), "A source rect exceeds the valid buffer region.\n  " + values)) << err.Text();
  const int32_t rect[4] = {0, 0, 8, 8};
  const int32_t offset[2] = {60, 0};
  EXPECT_EQ(engine->CopyBufferRects(0, 32, 1, rect, offset), 0x80000003u);
  EXPECT_TRUE(Has(err.Text(), "A target rect exceeds the valid buffer region.\n  srcL=60 srcR=68 srcB=8 srcT=0"));

  // What was presented comes back from the primary surface.
  Fill(0, 0, 64, 48, 0xFF00FF00);
  engine->Device()->Present(nullptr, nullptr, nullptr, nullptr);
  Fill(0, 0, 64, 48, 0xFF000000);
  const int32_t zero[2] = {0, 0};
  EXPECT_EQ(engine->CopyBufferRects(0, 32, 1, rect, zero), 0u);
  IDirect3DSurface8* back = nullptr;
  ASSERT_EQ(engine->Device()->GetBackBuffer(0, D3DBACKBUFFER_TYPE_MONO, &back), D3D_OK);
  const std::vector<uint32_t> pixels = Surface(back);
  back->Release();
  EXPECT_EQ(pixels[0] & 0xFFFFFF, 0x00FF00u);
  EXPECT_EQ(pixels[7 * 64 + 7] & 0xFFFFFF, 0x00FF00u);
  EXPECT_EQ(pixels[8 * 64 + 8] & 0xFFFFFF, 0u);
}

// The read covers the viewport wherever it lies, lowest row first, on a 16-bit or a 32-bit buffer.
TEST_F(D3D8BufferTest, ColourBufferReadsTheViewport) {
  format.BufferBackColorAccessEnable = 1;
  OpenWindow(160, 120);
  ASSERT_EQ(Initialize(), 0u);
  Fill(0, 0, 160, 120, 0xFF0000FF);
  Fill(100, 50, 32, 20, 0xFFFFFFFF);
  Fill(100, 50, 32, 4, 0xFFFF0000);  // the lowest four rows of the viewport below
  const int32_t viewport[4] = {100, 50, 32, 20};
  engine->SetViewport(viewport);
  Array<uint8_t> rgb;
  engine->ReadColorBuffer(&rgb);
  ASSERT_EQ(rgb.Count(), 3 * 32 * 20);
  auto at = [&](int x, int y) {
    return std::vector<int>{rgb[3 * (y * 32 + x)], rgb[3 * (y * 32 + x) + 1], rgb[3 * (y * 32 + x) + 2]};
  };
  EXPECT_EQ(at(0, 0), (std::vector<int>{255, 0, 0})) << "the lowest row comes first";
  EXPECT_EQ(at(31, 3), (std::vector<int>{255, 0, 0}));
  EXPECT_EQ(at(0, 4), (std::vector<int>{255, 255, 255}));
  EXPECT_EQ(at(31, 19), (std::vector<int>{255, 255, 255})) << "nothing of the blue around the viewport";
  const int32_t empty[4] = {100, 50, 0, 20};
  engine->SetViewport(empty);
  engine->ReadColorBuffer(&rgb);
  EXPECT_EQ(rgb.Count(), 0);
  engine->SetViewport(viewport);
  Image_I* image = engine->GetColorBufferImage();
  ASSERT_NE(image, nullptr);
  EXPECT_EQ(image->GetBytesPerPixel(), 3);
  EXPECT_EQ(image->GetWidth(), 32);
  EXPECT_EQ(image->GetData()[3 * 32 * 19], 255);
}

TEST_F(D3D8BufferTest, ScreenShotOf16BitBufferReadsWhiteAsWhite) {
  Display* d = XOpenDisplay(nullptr);
  ASSERT_NE(d, nullptr);
  const int screenW = DisplayWidth(d, DefaultScreen(d)), screenH = DisplayHeight(d, DefaultScreen(d));
  XCloseDisplay(d);
  OpenWindow(screenW, screenH);
  format.Fullscreen = 1, format.ColorBits = 16, format.Width = screenW, format.Height = screenH;
  format.BufferBackColorAccessEnable = 1;
  ASSERT_EQ(Initialize(), 0u);
  uint32_t code = 0;
  EXPECT_EQ(engine->GetBufferSize(32, &code, nullptr, nullptr), 0u);
  EXPECT_EQ(code, 0x205u);
  const int32_t viewport[4] = {0, 0, 640, 480};
  engine->SetViewport(viewport);
  ChannelClearInfo clear;
  clear.ColorClearValue[0] = clear.ColorClearValue[1] = clear.ColorClearValue[2] = 1.0f;
  EXPECT_EQ(engine->RequestScreenShot(false, false), 1);
  const int presents = control->PresentCount();
  engine->ClearBuffer(&clear);
  engine->SwapBuffers(false);
  EXPECT_EQ(control->PresentCount(), presents + 1);
  Image_I* shot = engine->GetScreenShotImage();
  ASSERT_NE(shot, nullptr);
  ASSERT_EQ(shot->GetWidth(), 640);
  ASSERT_EQ(shot->GetHeight(), 480);
  const uint8_t* p = shot->GetData();
  for (size_t i : {size_t(0), size_t(3 * (640 * 480 - 1))})
    EXPECT_EQ(std::vector<int>({p[i], p[i + 1], p[i + 2]}), std::vector<int>({255, 255, 255}));
  // A request without presentation skips the present of its frame.
  engine->RequestScreenShot(true, false);
  engine->ClearBuffer(&clear);
  engine->SwapBuffers(false);
  EXPECT_EQ(control->PresentCount(), presents + 1);
}

// The screenshot is read after the statistics overlay is drawn: the overlay is part of the picture.
TEST_F(D3D8BufferTest, ScreenShotIncludesTheOverlay) {
  format.BufferBackColorAccessEnable = 1;
  format.Width = 160, format.Height = 120;  // the viewport the engine starts with
  OpenWindow(160, 120);
  ASSERT_EQ(Initialize(), 0u);
  engine->SetStatisticsMode(1);
  ChannelClearInfo clear;
  clear.ColorClearValue[0] = clear.ColorClearValue[1] = clear.ColorClearValue[2] = 0.0f;
  engine->RequestScreenShot(false, false);
  engine->ClearBuffer(&clear);
  engine->SwapBuffers(true);
  Image_I* shot = engine->GetScreenShotImage();
  ASSERT_NE(shot, nullptr);
  int unlit = 0;
  const uint8_t* p = shot->GetData();
  for (int i = 0; i < 160 * 120; ++i) unlit += p[3 * i] == 0x40 && p[3 * i + 1] == 0x40 && p[3 * i + 2] == 0x40;
  EXPECT_GT(unlit, 0) << "the dark grey of the unlit digit segments";
}

// Each buffer format's pixel as R, G, B; formats the read has no converter for read black, whatever was
// in the caller's bytes before.
TEST(D3D8ColorBufferRows, ConvertersByFormatCode) {
  const struct {
    D3DFORMAT format;
    std::vector<uint8_t> pixel;  // bytes in memory order
    std::vector<uint8_t> rgb;
  } rows[] = {{D3DFMT_R5G6B5, {0xFF, 0xFF}, {255, 255, 255}},
              {D3DFMT_R5G6B5, {0x1F, 0x84}, {132, 130, 255}},
              {D3DFMT_X1R5G5B5, {0xFF, 0x7F}, {255, 255, 255}},
              {D3DFMT_A1R5G5B5, {0x1F, 0x00}, {0, 0, 255}},
              {D3DFMT_R8G8B8, {1, 2, 3}, {3, 2, 1}},
              {D3DFMT_X8R8G8B8, {1, 2, 3, 0}, {3, 2, 1}},
              {D3DFMT_A8R8G8B8, {1, 2, 3, 9}, {3, 2, 1}},
              {D3DFMT_A4R4G4B4, {0xFF, 0xFF}, {0, 0, 0}},
              {D3DFMT_A2B10G10R10, {0xFF, 0xFF, 0xFF, 0xFF}, {0, 0, 0}}};
  for (const auto& r : rows) {
    std::vector<uint8_t> rgb(3, 77);
    ConvertColorBufferRow(BufferFormatCode(r.format), r.pixel.data(), rgb.data(), 1);
    EXPECT_EQ(rgb, r.rgb) << r.format;
  }
  EXPECT_EQ(BufferFormatCode(D3DFMT_A1R5G5B5), 0xA07u);
  EXPECT_EQ(BufferFormatCode(D3DFMT_L8), 0u);
}

// The report of the default device, pinned; and one of a device with every expected and no rare
// capability, whose flag lines are empty.
TEST_F(D3D8BufferTest, CapabilitiesReport) {
  OpenWindow(64, 48);
  ASSERT_EQ(Initialize(), 0u);
  const std::string init = out.Text();
  const size_t report = init.find("Info  Direct3DDevice8 D3DCAPS8:\n");
  ASSERT_NE(report, std::string::npos);
  EXPECT_LT(report, init.find("  D3DDM.BackBufferFormat: X8R8G8B8 (22)"));
  out.Take();
  WriteD3D8CapsReport(LogOutPipe(), kLevelInfo, control->DefaultCaps());
  EXPECT_EQ(out.Text(),
            "Info  Direct3DDevice8 D3DCAPS8:\n"
            "Info    DeviceType: D3DDEVTYPE_HAL\n"
            "Info    AdapterOrdinal: 0\n"
            "Info    Caps: !D3DCAPS_READ_SCANLINE \n"
            "Info    Caps2: !D3DCAPS2_FULLSCREENGAMMA !D3DCAPS2_CANRENDERWINDOWED !D3DCAPS2_DYNAMICTEXTURES \n"
            "Info    Caps3: \n"
            "Info    PresentationIntervals: 80000001\n"
            "Info    CursorCaps: 0\n"
            "Info    DevCaps: !D3DDEVCAPS_EXECUTESYSTEMMEMORY !D3DDEVCAPS_EXECUTEVIDEOMEMORY "
            "!D3DDEVCAPS_TLVERTEXSYSTEMMEMORY !D3DDEVCAPS_TLVERTEXVIDEOMEMORY !D3DDEVCAPS_TEXTUREVIDEOMEMORY "
            "!D3DDEVCAPS_DRAWPRIMTLVERTEX !D3DDEVCAPS_CANRENDERAFTERFLIP !D3DDEVCAPS_TEXTURENONLOCALVIDMEM) "
            "!D3DDEVCAPS_DRAWPRIMITIVES2) !D3DDEVCAPS_DRAWPRIMITIVES2EX !D3DDEVCAPS_CANBLTSYSTONONLOCAL "
            "!D3DDEVCAPS_HWRASTERIZATION !D3DDEVCAPS_PUREDEVICE \n"
            "Info    PrimitiveMiscCaps: !D3DPMISCCAPS_CLIPTLVERTS !D3DPMISCCAPS_NULLREFERENCE \n"
            "Info    RasterCaps: !D3DPRASTERCAPS_DITHER !D3DPRASTERCAPS_ANTIALIASEDGES "
            "!D3DPRASTERCAPS_ANISOTROPY !D3DPRASTERCAPS_WBUFFER !D3DPRASTERCAPS_ZFOG "
            "!D3DPRASTERCAPS_COLORPERSPECTIVE !D3DPRASTERCAPS_STRETCHBLTMULTISAMPLE \n"
            "Info    ZCmpCaps: \n"
            "Info    SrcBlendCaps: \n"
            "Info    DestBlendCaps: !D3DPBLENDCAPS_BOTHSRCALPHA !D3DPBLENDCAPS_BOTHINVSRCALPHA \n"
            "Info    AlphaCmpCaps: \n"
            "Info    ShadeCaps: !D3DPSHADECAPS_SPECULARGOURAUDRGB !D3DPSHADECAPS_ALPHAGOURAUDBLEND "
            "!D3DPSHADECAPS_FOGGOURAUD \n"
            "Info    TextureCaps: !D3DPTEXTURECAPS_TEXREPEATNOTSCALEDBYSIZE !D3DPTEXTURECAPS_ALPHAPALETTE "
            "!D3DPTEXTURECAPS_NONPOW2CONDITIONAL !D3DPTEXTURECAPS_PROJECTED !D3DPTEXTURECAPS_CUBEMAP "
            "!D3DPTEXTURECAPS_VOLUMEMAP !D3DPTEXTURECAPS_MIPVOLUMEMAP !D3DPTEXTURECAPS_MIPCUBEMAP "
            "!D3DPTEXTURECAPS_CUBEMAP_POW2 !D3DPTEXTURECAPS_VOLUMEMAP_POW2 \n"
            "Info    TextureFilterCaps: !D3DPTFILTERCAPS_MINFANISOTROPIC !D3DPTFILTERCAPS_MAGFANISOTROPIC \n"
            "Info    CubeTextureFilterCaps: !D3DPTFILTERCAPS_MINFPOINT !D3DPTFILTERCAPS_MINFLINEAR "
            "!D3DPTFILTERCAPS_MINFANISOTROPIC !D3DPTFILTERCAPS_MIPFPOINT !D3DPTFILTERCAPS_MIPFLINEAR "
            "!D3DPTFILTERCAPS_MAGFPOINT !D3DPTFILTERCAPS_MAGFLINEAR !D3DPTFILTERCAPS_MAGFANISOTROPIC \n"
            "Info    VolumeTextureFilterCaps: !D3DPTFILTERCAPS_MINFPOINT !D3DPTFILTERCAPS_MINFLINEAR "
            "!D3DPTFILTERCAPS_MINFANISOTROPIC !D3DPTFILTERCAPS_MIPFPOINT !D3DPTFILTERCAPS_MIPFLINEAR "
            "!D3DPTFILTERCAPS_MAGFPOINT !D3DPTFILTERCAPS_MAGFLINEAR !D3DPTFILTERCAPS_MAGFANISOTROPIC \n"
            "Info    TextureAddressCaps: !D3DPTADDRESSCAPS_INDEPENDENTUV \n"
            "Info    VolumeTextureAddressCaps: !D3DPTADDRESSCAPS_WRAP !D3DPTADDRESSCAPS_MIRROR !D3DPTADDRESSCAPS_CLAMP "
            "!D3DPTADDRESSCAPS_BORDER !D3DPTADDRESSCAPS_INDEPENDENTUV !D3DPTADDRESSCAPS_MIRRORONCE \n"
            "Info    LineCaps: \n"
            "Info    MaxTextureWidth: 4096\n"
            "Info    MaxTextureHeight: 4096\n"
            "Info    MaxVolumeExtent: 0\n"
            "Info    MaxTextureRepeat: 8192\n"
            "Info    MaxTextureAspectRatio: 4096\n"
            "Info    MaxAnisotropy: 1\n"
            "Info    MaxVertexW: 1.e+10\n"
            "Info    GuardBandLeft: -1.e+08\n"
            "Info    GuardBandTop: -1.e+08\n"
            "Info    GuardBandRight: 1.e+08\n"
            "Info    GuardBandBottom: 1.e+08\n"
            "Info    ExtentsAdjust: 0.\n"
            "Info    StencilCaps: !D3DSTENCILCAPS_ZERO !D3DSTENCILCAPS_REPLACE !D3DSTENCILCAPS_INCRSAT "
            "!D3DSTENCILCAPS_DECRSAT !D3DSTENCILCAPS_INVERT !D3DSTENCILCAPS_INCR !D3DSTENCILCAPS_DECR \n"
            "Info    FVFCaps: !D3DFVFCAPS_DONOTSTRIPELEMENTS !D3DFVFCAPS_PSIZE \n"
            "Info    FVFTexCoordCount: 8\n"
            "Info    TextureOpCaps: !D3DTEXOPCAPS_PREMODULATE !D3DTEXOPCAPS_BUMPENVMAP "
            "!D3DTEXOPCAPS_BUMPENVMAPLUMINANCE \n"
            "Info    MaxTextureBlendStages: 8\n"
            "Info    MaxSimultaneousTextures: 8\n"
            "Info    VertexProcessingCaps: !D3DVTXPCAPS_TWEENING \n"
            "Info    MaxActiveLights: 8\n"
            "Info    MaxUserClipPlanes: 0\n"
            "Info    MaxVertexBlendMatrices: 0\n"
            "Info    MaxVertexBlendMatrixIndex: 0\n"
            "Info    MaxPointSize: 64.\n"
            "Info    MaxPrimitiveCount: 16777215\n"
            "Info    MaxVertexIndex: 16777215\n"
            "Info    MaxStreams: 16\n"
            "Info    MaxStreamStride: 255\n"
            "Info    VertexShaderVersion: 00000000\n"
            "Info    MaxVertexShaderConst: 0\n"
            "Info    PixelShaderVersion: 00000000\n"
            "Info    MaxPixelShaderValue: 0.\n");

  // Every expected capability, no rare one: the flag lines end at their labels.
  D3DCAPS8 full = control->DefaultCaps();
  full.DeviceType = D3DDEVTYPE(7);
  DWORD* flagFields[] = {&full.Caps,
                         &full.Caps2,
                         &full.DevCaps,
                         &full.PrimitiveMiscCaps,
                         &full.RasterCaps,
                         &full.ZCmpCaps,
                         &full.SrcBlendCaps,
                         &full.DestBlendCaps,
                         &full.AlphaCmpCaps,
                         &full.ShadeCaps,
                         &full.TextureCaps,
                         &full.TextureFilterCaps,
                         &full.CubeTextureFilterCaps,
                         &full.VolumeTextureFilterCaps,
                         &full.TextureAddressCaps,
                         &full.VolumeTextureAddressCaps,
                         &full.LineCaps,
                         &full.StencilCaps,
                         &full.FVFCaps,
                         &full.TextureOpCaps,
                         &full.VertexProcessingCaps};
  for (DWORD* f : flagFields) *f = 0xFFFFFFFFu;
  full.Caps2 &= ~(0x2u | 0x100000u | 0x10000000u);
  full.DevCaps &= ~(0x100u | 0x4000u | 0x200000u | 0x400000u | 0x800000u | 0x1000000u);
  full.PrimitiveMiscCaps &= ~(0x4u | 0x100u);
  full.RasterCaps &= ~(0x8u | 0x8000u);
  full.TextureCaps &= ~0x20u;
  for (DWORD* f : {&full.TextureFilterCaps, &full.CubeTextureFilterCaps, &full.VolumeTextureFilterCaps})
    *f &= ~(0x8000000u | 0x10000000u);
  full.VertexProcessingCaps &= ~0x80u;
  out.Take();
  WriteD3D8CapsReport(LogOutPipe(), kLevelInfo, full);
  const std::string text = out.Text();
  EXPECT_TRUE(Has(text, "Info    DeviceType: D3DDEVTYPE_?\n"));
  EXPECT_TRUE(Has(text, "Info    FVFTexCoordCount: 65535\n"));
  EXPECT_FALSE(Has(text, "!D3D") || Has(text, "+D3D")) << "no capability named:\n" << text;
  EXPECT_STREQ(D3D8ColorFormatName(D3DFORMAT(99)), "UNKNOWN");
  EXPECT_STREQ(D3D8DepthFormatName(D3DFORMAT(99)), "UNKNOWN");
}

}  // namespace
}  // namespace PM::Test
