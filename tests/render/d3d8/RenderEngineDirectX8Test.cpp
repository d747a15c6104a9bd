// The Direct3D 8 engine on our software device: creation levels and their messages, clears, presents,
// lost devices, resizes, the overlay and the faults it guards against.
#include <cmath>
#include <limits>

#include "D3D8EngineFixture.h"
#include "platform/FpuGuard.h"
#include "render/d3d8/PixelRows.h"

namespace PM::Test {
namespace {

bool Has(const std::string& text, const std::string& part) { return text.find(part) != std::string::npos; }

TEST_F(D3D8EngineTest, NullWindowLoadsNothing) {
  EXPECT_EQ(engine->InitializeRenderWindow(&textures, &format, nullptr), 0x80000003u);
  EXPECT_TRUE(Has(err.Text(), "The window handle must not be NULL."));
  EXPECT_FALSE(Has(out.Text(), "DirectX8API"));
  EXPECT_EQ(engine->Device(), nullptr);
}

TEST_F(D3D8EngineTest, MissingModuleIsNotInstalled) {
  OpenWindow(64, 48);
  RenderEngineDirectX8_D::SetModuleFiles("pm-no-such-d3d8.dll", nullptr);
  EXPECT_EQ(Initialize(), 0x8000000Au);
  EXPECT_TRUE(Has(err.Text(), "DirectX Version 8 or higher is not installed or damaged."));
  EXPECT_TRUE(Has(err.Text(), "LoadLibrary(\"d3d8.dll\")"));
  EXPECT_TRUE(Has(out.Text(), "DirectX8API: loading \"d3d8.dll\"."));
}

TEST_F(D3D8EngineTest, OlderRuntimeIsOutdatedButWorks) {
  OpenWindow(64, 48);
  control->SetAcceptedSdkVersions(219, 219);
  EXPECT_EQ(Initialize(), 0u);
  EXPECT_TRUE(Has(err.Text(), "The installed version of DirectX 8 is outdated."));
  EXPECT_NE(engine->Device(), nullptr);
  EXPECT_TRUE(Has(out.Text(), "DirectX8API: success \"d3d8.dll\"."));
  out.Take();
  EXPECT_EQ(Initialize(), 0u) << "a second initialisation re-creates";
  EXPECT_TRUE(Has(out.Text(), "DirectX8API: keeping \"d3d8.dll\"."));
}

// Presentation parameters: the interval mapping of a full-screen device, windowed always 0, and the
// first depth format tried for the depth bits.
TEST_F(D3D8EngineTest, PresentationParametersAndDepthOrder) {
  Display* d = XOpenDisplay(nullptr);
  ASSERT_NE(d, nullptr);
  const int screenW = DisplayWidth(d, DefaultScreen(d)), screenH = DisplayHeight(d, DefaultScreen(d));
  XCloseDisplay(d);
  OpenWindow(screenW, screenH);
  const struct {
    int32_t fullscreen, swapInterval, depthBits;
    UINT interval;
    D3DFORMAT depth;
  } cases[] = {{1, 3, 16, D3DPRESENT_INTERVAL_THREE, D3DFMT_D16},
               {1, 0, 24, D3DPRESENT_INTERVAL_IMMEDIATE, D3DFMT_D24X8},
               {1, 7, 32, D3DPRESENT_INTERVAL_DEFAULT, D3DFMT_D24X8},
               {0, 3, 16, 0, D3DFMT_D16}};
  for (const auto& c : cases) {
    format.Fullscreen = c.fullscreen, format.Width = screenW, format.Height = screenH;
    format.SwapInterval = c.swapInterval, format.DepthBits = c.depthBits, format.ColorBits = 32;
    ASSERT_EQ(Initialize(), 0u) << c.swapInterval;
    const D3DPRESENT_PARAMETERS p = control->LastPresentParameters();
    EXPECT_EQ(p.FullScreen_PresentationInterval, c.interval);
    EXPECT_EQ(p.AutoDepthStencilFormat, c.depth);
    EXPECT_EQ(engine->DepthFormat(), c.depth);
    EXPECT_EQ(p.Windowed, c.fullscreen ? 0 : 1);
  }
  // A refused first choice moves on to the next of the order.
  control->RefuseCreateDevice(0, 0, D3DFMT_D16);
  format.Fullscreen = 0, format.DepthBits = 16;
  ASSERT_EQ(Initialize(), 0u);
  EXPECT_EQ(engine->DepthFormat(), D3DFMT_D16_LOCKABLE);
}

// MaxVertexIndex at the limit is refused at level 3 and taken in software; index formats by range.
TEST_F(D3D8EngineTest, VertexIndexLimitsChooseLevelAndIndexFormat) {
  OpenWindow(64, 48);
  const struct {
    DWORD hardwareIndices;
    DWORD behaviour;
    D3DFORMAT indexFormat;
    DWORD usage;
  } cases[] = {{0xFFDF, D3DCREATE_SOFTWARE_VERTEXPROCESSING, D3DFMT_INDEX32, D3DUSAGE_SOFTWAREPROCESSING},
               {0xFFE0, D3DCREATE_HARDWARE_VERTEXPROCESSING, D3DFMT_INDEX16, 0},
               {0x10000, D3DCREATE_HARDWARE_VERTEXPROCESSING, D3DFMT_INDEX32, 0}};
  for (const auto& c : cases) {
    D3DCAPS8 caps = control->DefaultCaps();
    caps.MaxVertexIndex = c.hardwareIndices;
    control->SetCaps(false, caps);
    err.Take();
    ASSERT_EQ(Initialize(), 0u);
    EXPECT_EQ(control->LastBehaviorFlags(), c.behaviour) << c.hardwareIndices;
    EXPECT_EQ(engine->IndexFormat(), c.indexFormat) << c.hardwareIndices;
    EXPECT_EQ(engine->VertexUsage(), c.usage);
    EXPECT_EQ(Has(err.Text(), "The Direct3D hardware does not support enough (only 65503) vertex indices."),
              c.hardwareIndices == 0xFFDF);
  }
  // Software processing at the limit too: the reference device, in pure software.
  D3DCAPS8 caps = control->DefaultCaps();
  caps.MaxVertexIndex = 0xFFDF;
  control->SetCaps(false, caps);
  control->SetCaps(true, caps);
  err.Take();
  EXPECT_EQ(Initialize(), 0x8000000Au) << "the reference device has the same caps";
  EXPECT_TRUE(Has(err.Text(), "The Direct3D software does not support enough (only 65503) vertex indices."));
  EXPECT_TRUE(Has(err.Text(), "No valid Direct3D device configuration could be found."));
}

TEST_F(D3D8EngineTest, NullReferenceAndTooFewStreamsAtBothLevels) {
  OpenWindow(64, 48);
  D3DCAPS8 caps = control->DefaultCaps();
  caps.PrimitiveMiscCaps |= D3DPMISCCAPS_NULLREFERENCE;
  control->SetCaps(false, caps);
  control->SetCaps(true, caps);
  EXPECT_EQ(Initialize(), 0x80000008u);
  EXPECT_TRUE(Has(err.Text(), "The installed version of DirectX 8 does not support software rendering."));
  EXPECT_EQ(engine->Device(), nullptr);
  caps = control->DefaultCaps();
  caps.MaxStreams = 4;
  control->SetCaps(false, caps);
  control->SetCaps(true, caps);
  err.Take();
  EXPECT_EQ(Initialize(), 0x80000008u);
  EXPECT_TRUE(Has(err.Text(), "The Direct3D hardware does not support enough (only 4) vertex streams."));
  EXPECT_TRUE(Has(err.Text(), "No Direct3D device does support enough vertex streams."));
}

TEST_F(D3D8EngineTest, TextureUnitsAreLoweredToTheSetting) {
  OpenWindow(64, 48);
  FpuGuard guard;
  FpuGuard::WriteControlWord(uint16_t(guard.SavedControlWord() & ~0x300u));  // 24-bit precision
  ASSERT_EQ(Initialize(), 0u);
  EXPECT_EQ(FpuGuard::ReadControlWord() & 0x300u, 0x200u) << "53 bits again after creation";
  FpuGuard::WriteControlWord(uint16_t(guard.SavedControlWord() | 0x300u));
  ASSERT_EQ(Initialize(), 0u);
  EXPECT_EQ(FpuGuard::ReadControlWord() & 0x300u, 0x300u) << "64 bits are kept";
  EXPECT_TRUE(Has(out.Text(), "DirectX: MaxTextureUnits=8 Configured=2."));
  EXPECT_EQ(engine->Caps().MaxSimultaneousTextures, 2u);
  EXPECT_TRUE(Has(out.Text(), "  VertexShader: HARDWARE_VERTEXPROCESSING"));
  EXPECT_TRUE(Has(out.Text(), "  AvailableTextureMem: 134217728"));
  // The start state went to the device: LIGHTING off, and the stages from the last down.
  DWORD lighting = 1;
  engine->Device()->GetRenderState(D3DRS_LIGHTING, &lighting);
  EXPECT_EQ(lighting, 0u);
  D3DVIEWPORT8 v;
  engine->Device()->GetViewport(&v);
  EXPECT_EQ(v.Width, 64u);
  // The viewport of the format record's size, counted from the bottom of the 64 x 48 window.
  format.Width = 32, format.Height = 24;
  ASSERT_EQ(Initialize(), 0u);
  engine->Device()->GetViewport(&v);
  EXPECT_EQ(v.X, 0u);
  EXPECT_EQ(v.Y, 24u);
  EXPECT_EQ(v.Width, 32u);
  EXPECT_EQ(v.Height, 24u);
}

// The probed table holds exactly the texture formats the device takes: those the writers pack.
TEST_F(D3D8EngineTest, ProbedFormatsAreTheDevicesTextureFormats) {
  OpenWindow(64, 48);
  ASSERT_EQ(Initialize(), 0u);
  uint32_t writable = 0;
  for (int i = 0; i < kTexFormatProbeCount; ++i) {
    const TexFormatProbe& p = kTexFormatProbes[i];
    if (FindPixelRowWriter(p.format)) writable |= p.bit;
    EXPECT_TRUE(p.word == 0 || (engine->TextureFormats().Words[p.word] & p.bit) == 0) << p.format;
  }
  EXPECT_EQ(engine->TextureFormats().Words[0], writable);
  EXPECT_EQ(writable, 0x3FFFu);
}

TEST_F(D3D8EngineTest, BackgroundSurfaceFallsBackToAnImageSurface) {
  OpenWindow(64, 48);
  format.BufferBackgroundColorCount = 1;
  control->SetFault(kFaultCreateRenderTarget, D3DERR_NOTAVAILABLE);
  ASSERT_EQ(Initialize(), 0u);
  EXPECT_TRUE(Has(err.Text(), "does not support additional hardware color surfaces"));
  EXPECT_NE(engine->BackgroundSurface(), nullptr);
  control->SetFault(kFaultCreateImageSurface, E_OUTOFMEMORY);
  EXPECT_EQ(Initialize(), 0x80000002u);
  EXPECT_TRUE(Has(err.Text(), "No backgrounds will be displayed."));
}

TEST_F(D3D8EngineTest, FrontBufferFailureNamesTheDirectDrawError) {
  OpenWindow(64, 48);
  format.BufferFrontColorAccessEnable = true;
  ASSERT_EQ(Initialize(), 0u);
  EXPECT_NE(engine->FrontSurface(), nullptr);
  EXPECT_NE(engine->FrontCopySurface(), nullptr);
  EXPECT_TRUE(Has(out.Text(), "DirectX7API: success \"ddraw.dll\"."));
  control->SetFault(kFaultDirectDrawPrimary, DDERR_INVALIDCAPS);
  EXPECT_EQ(Initialize(), 0x80000008u);
  EXPECT_TRUE(Has(err.Text(), "The frontbuffer could not be created.\n  DirectDraw returncode is DDERR_INVALIDCAPS."));
}

// The default clear colour 0.25 is 63 (truncated) in every channel, in the back buffer and the window.
TEST_F(D3D8EngineTest, ClearPresentsTruncatedGrey) {
  OpenWindow(320, 240);
  format.Width = 320, format.Height = 240;
  ASSERT_EQ(Initialize(), 0u);
  ChannelClearInfo clear;
  EXPECT_EQ(engine->ClearBuffer(&clear), 0u);
  EXPECT_TRUE(engine->InScene());
  EXPECT_EQ(engine->SwapBuffers(false), 0u);
  EXPECT_EQ(BackBuffer(), std::vector<uint32_t>(320 * 240, 0xFF3F3F3F));
  for (auto [x, y] : {std::pair{0, 0}, {319, 0}, {0, 239}, {319, 239}, {160, 120}})
    EXPECT_EQ(WindowPixel(x, y), 0x3F3F3Fu) << x << "," << y;
}

// Mends: the clear colour is clamped (NaN 0) and stencil is cleared only when the format has it.
TEST_F(D3D8EngineTest, ClearColourIsClampedAndStencilAskedOnlyWithStencil) {
  OpenWindow(32, 32);
  format.Width = format.Height = 32;
  format.DepthBits = 24, format.StencilBits = 8;
  ASSERT_EQ(Initialize(), 0u);
  EXPECT_EQ(engine->DepthFormat(), D3DFMT_D24X8);
  ChannelClearInfo clear;
  clear.StencilClearEnable = true;
  clear.ColorClearValue[0] = 1.5f;
  clear.ColorClearValue[1] = std::numeric_limits<float>::quiet_NaN();
  clear.ColorClearValue[2] = -1.0f;
  control->ClearCallLog();
  engine->ClearBuffer(&clear);
  engine->SwapBuffers(true);
  EXPECT_TRUE(Has(control->CallLog(), "Clear(0, flags 0x3, color 0xFFFF0000")) << control->CallLog();
  EXPECT_EQ(BackBuffer()[0], 0xFFFF0000u);
  control->RefuseCreateDevice(0, 0, D3DFMT_D24X8);
  ASSERT_EQ(Initialize(), 0u);
  EXPECT_EQ(engine->DepthFormat(), D3DFMT_D24X4S4);
  control->ClearCallLog();
  engine->ClearBuffer(&clear);
  EXPECT_TRUE(Has(control->CallLog(), "Clear(0, flags 0x7")) << control->CallLog();
  engine->SwapBuffers(true);
}

TEST_F(D3D8EngineTest, LostDeviceThenNotResetRecreates) {
  OpenWindow(64, 48);
  ASSERT_EQ(Initialize(), 0u);
  ChannelClearInfo clear;
  control->SetLost(true);
  engine->ClearBuffer(&clear);
  EXPECT_EQ(engine->SwapBuffers(false), 0x8000000Cu);
  control->SetLost(false);
  control->ClearCallLog();
  engine->ClearBuffer(&clear);
  EXPECT_EQ(engine->SwapBuffers(false), 0u);
  EXPECT_TRUE(Has(control->CallLog(), "IDirect3D8::CreateDevice")) << "a new device";
  ASSERT_NE(engine->Device(), nullptr);
  EXPECT_EQ(engine->Device()->TestCooperativeLevel(), D3D_OK);
}

// Mend: a failed re-creation leaves no device; frames then do nothing and the re-creation is retried at
// most once a second.
TEST_F(D3D8EngineTest, FailedRecreationLeavesNoDeviceAndRetriesSparingly) {
  OpenWindow(64, 48);
  ASSERT_EQ(Initialize(), 0u);
  ChannelClearInfo clear;
  control->SetLost(true);
  control->SetLost(false);
  control->RefuseCreateDevice(0, 0, 0);
  engine->ClearBuffer(&clear);
  EXPECT_EQ(engine->SwapBuffers(false), 0x8000000Cu);
  EXPECT_EQ(engine->Device(), nullptr);
  control->ClearCallLog();
  EXPECT_EQ(engine->ClearBuffer(&clear), 0u);
  EXPECT_EQ(engine->SwapBuffers(false), 0x8000000Cu);
  EXPECT_FALSE(Has(control->CallLog(), "CreateDevice")) << "no second attempt within the second";
}

TEST_F(D3D8EngineTest, ResizeReinitialisesWithoutPresenting) {
  OpenWindow(64, 48);
  ASSERT_EQ(Initialize(), 0u);
  ChannelClearInfo clear;
  engine->ClearBuffer(&clear);
  ASSERT_EQ(engine->SwapBuffers(false), 0u);
  const int presents = control->PresentCount();
  SetWindowPos(window, 0, 0, 80, 60, 0);
  SyncDisplay(window->display);
  engine->ClearBuffer(&clear);
  EXPECT_EQ(engine->SwapBuffers(false), 0u);
  EXPECT_EQ(control->PresentCount(), presents) << "the resized frame is not presented";
  EXPECT_EQ(control->LastPresentParameters().BackBufferWidth, 80u);
  EXPECT_EQ(control->LastPresentParameters().BackBufferHeight, 60u);
  engine->ClearBuffer(&clear);
  EXPECT_EQ(engine->SwapBuffers(false), 0u);
  EXPECT_EQ(control->PresentCount(), presents + 1);
}

// The overlay of a steady 60 frames per second: "060.0" near the top left, the graph 64 pixels up.
TEST_F(D3D8EngineTest, OverlayShowsTheMeanAndTheGraph) {
  constexpr int kW = 320, kH = 240;
  OpenWindow(kW, kH);
  format.Width = kW, format.Height = kH;
  ASSERT_EQ(Initialize(), 0u);
  FrameStatistics& s = engine->MutableStatistics();
  for (int32_t& sample : s.Samples) sample = 6000;
  s.Values[FrameStatistics::kMeanFrameRate] = 60.05;
  engine->SetStatisticsMode(3);
  ChannelClearInfo clear;
  clear.ColorClearValue[0] = clear.ColorClearValue[1] = clear.ColorClearValue[2] = 0.0f;
  engine->ClearBuffer(&clear);
  const int presents = control->PresentCount();
  engine->SwapBuffers(true);
  EXPECT_EQ(control->PresentCount(), presents);
  const std::vector<uint32_t> px = BackBuffer();
  ASSERT_EQ(px.size(), size_t(kW * kH));
  auto at = [&](int x, int y) { return px[size_t(y) * kW + x]; };
  // Cell bottoms lie 22 pixels from the top; a cell is 8 x 12 from x = 4 + 16 k. Sample each segment's
  // centre: the middle of "0" is unlit, that of "6" lit; the decimal point after the tens is lit.
  const int bottom = 22;
  auto segment = [&](int digit, int bit) {
    static const float centres[7][2] = {{4, 11}, {1, 8.5f}, {7, 8.5f}, {4, 6}, {1, 3.5f}, {7, 3.5f}, {4, 1}};
    return at(4 + 16 * digit + int(centres[bit][0]), bottom - 1 - int(centres[bit][1]));
  };
  const uint8_t expected[4] = {0x77, 0x7B, 0x77, 0x77};  // 0 6 0 0
  for (int digit = 0; digit < 4; ++digit)
    for (int bit = 0; bit < 7; ++bit)
      EXPECT_EQ(segment(digit, bit), expected[digit] >> bit & 1 ? 0xFFFFFFFFu : 0xFF404040u) << digit << "/" << bit;
  EXPECT_EQ(at(4 + 32 + 11, bottom - 1), 0xFFFFFFFFu) << "decimal point";
  // The graph: samples of 60 frames per second, one unit per frame per second above the origin.
  EXPECT_EQ(at(4 + 40, kH - 4 - 60), 0xFFFFFFFFu);
  EXPECT_EQ(at(4 + 40, kH - 4 - 61), 0xFF000000u);
  EXPECT_EQ(at(4 + 40, kH - 4 - 59), 0xFF000000u);
  // The frame was recorded: a new sample and a mean near the ring's.
  EXPECT_GT(engine->GetFrameTime(), 59.0);
}

TEST_F(D3D8EngineTest, DestructorReportsAndKeepsTheRuntimes) {
  OpenWindow(64, 48);
  ASSERT_EQ(Initialize(), 0u);
  handle.Clear();
  EXPECT_TRUE(Has(out.Text(), "RenderEngineDirectX8_D::~RenderEngineDirectX8_D()"));
  EXPECT_TRUE(Has(out.Text(), "DirectX8API: unloading \"d3d8.dll\" bypassed."));
  EXPECT_TRUE(Has(out.Text(), "RenderEngineDirectX8_D::~RenderEngineDirectX8_D() complete."));
  EXPECT_EQ(control->LiveObjects(), 0);
}

}  // namespace
}  // namespace PM::Test
