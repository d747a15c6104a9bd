// The render-engine interface: slot order, creation by type and handle lifetime, the base answers of a
// back end that overrides nothing, the scratch arrays, and the defaults of the engine records and the
// polygon draw record.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstddef>
#include <cstring>
#include <string>

#include "core/Log.h"
#include "engine/FramePrimitiveCount.h"
#include "engine/RenderEngine.h"
#include "render/d3d8/RenderEngineDirectX8.h"
#include "render/opengl/RenderEngineOpenGL.h"
#include "storage/Streams.h"
#include "support/TestEnv.h"

namespace PM::Test {
namespace {

// Routes the render system's log (the output pipe) into memory for the life of the object.
class RenderLogCapture {
 public:
  RenderLogCapture() : m_saved(LogOutPipe()), m_mem(NewMemoryStream()) { LogOutPipe() = m_mem; }
  ~RenderLogCapture() { LogOutPipe() = m_saved; }
  std::string Text() {
    size_t n = 0;
    const uint8_t* p = MemoryStreamData(m_mem.Get(), &n);
    return std::string(reinterpret_cast<const char*>(p), n);
  }

 private:
  StreamPipeRef m_saved, m_mem;
};

// The table slot of a virtual member function under the Itanium C++ ABI (g++ and clang on x86_64): the
// pointer word holds 1 + the byte offset into the table. -1 for a non-virtual function.
template <class F>
std::ptrdiff_t SlotOf(F f) {
  static_assert(sizeof(F) == 2 * sizeof(uintptr_t));
  uintptr_t words[2];
  std::memcpy(words, &f, sizeof(words));
  if ((words[0] & 1) == 0) return -1;
  return std::ptrdiff_t((words[0] - 1) / sizeof(void*));
}

struct Slot {
  const char* name;
  std::ptrdiff_t slot;
};
#define PM_SLOT(op) \
  Slot { #op, SlotOf(&RenderEngine::op) }

// Every operation in table order; position i must be slot i.
const Slot kEngineSlots[] = {
    PM_SLOT(InterfaceSlot0),
    PM_SLOT(HasZeroToOneDepthRange),
    PM_SLOT(NeedsHalfPixelOffset),
    PM_SLOT(SetViewport),
    PM_SLOT(GetViewport),
    PM_SLOT(SetModelViewMatrix),
    PM_SLOT(GetModelViewMatrix),
    PM_SLOT(ExchangeModelViewMatrix),
    PM_SLOT(LoadModelViewMatrix),
    PM_SLOT(SetProjectionMatrix),
    PM_SLOT(GetProjectionMatrix),
    PM_SLOT(ExchangeProjectionMatrix),
    PM_SLOT(LoadProjectionMatrix),
    PM_SLOT(SetAuxMatrix0),
    PM_SLOT(GetAuxMatrix0),
    PM_SLOT(SetAuxMatrix1),
    PM_SLOT(GetAuxMatrix1),
    PM_SLOT(SetCullEnable),
    PM_SLOT(GetCullEnable),
    PM_SLOT(SetCullFrustum),
    PM_SLOT(GetCullFrustum),
    PM_SLOT(CullTest),
    PM_SLOT(GetScratchArray),
    PM_SLOT(SetAuxValue),
    PM_SLOT(SetShaderAmbient),
    PM_SLOT(SetShaderBump),
    PM_SLOT(SetShaderBase),
    PM_SLOT(ResetMaterialColor),
    PM_SLOT(SetMaterialColorBlend),
    PM_SLOT(SetMaterialColor),
    PM_SLOT(SetNormal),
    PM_SLOT(GetShaderPassState),
    PM_SLOT(BeginPass),
    PM_SLOT(ResetPass),
    PM_SLOT(GetPassMode),
    PM_SLOT(SetAmbientLight),
    PM_SLOT(SetLight),
    PM_SLOT(SetLightingEnable),
    PM_SLOT(SetFog),
    PM_SLOT(DrawStencilShadow),
    PM_SLOT(ChannelFX),
    PM_SLOT(DrawDebugAxes),
    PM_SLOT(DrawDebugBone),
    PM_SLOT(DrawDebugSphere),
    PM_SLOT(DrawDebugFrustum),
    PM_SLOT(DrawDebugPoint),
    PM_SLOT(DrawDebugLine),
    PM_SLOT(DrawDebugReserved),
    PM_SLOT(DrawQuad),
    PM_SLOT(SetClipRect),
    PM_SLOT(UpdateClipRect),
    PM_SLOT(DrawQuadClipped),
    PM_SLOT(DrawPolygonData),
    PM_SLOT(DrawPolygonDataClipped),
    PM_SLOT(UnloadPolygonCache),
    PM_SLOT(SetImagePath),
    PM_SLOT(GetSystemReport),
    PM_SLOT(DetectTextureMemory),
    PM_SLOT(SetTexture),
    PM_SLOT(UnloadTextures),
    PM_SLOT(GetTextureCount),
    PM_SLOT(GetTextureMemory),
    PM_SLOT(GetTextureDownloadBytes),
    PM_SLOT(GetTextureLoadCount),
    PM_SLOT(GetFrameTime),
    PM_SLOT(GetPrimitiveCount),
    PM_SLOT(LatchPrimitiveCount),
    PM_SLOT(InitializeRenderWindow),
    PM_SLOT(DeInitializeRenderWindow),
    PM_SLOT(SetTextureSettings),
    PM_SLOT(MakeCurrent),
    PM_SLOT(ClearBuffer),
    PM_SLOT(SwapBuffers),
    PM_SLOT(Flush),
    PM_SLOT(Finish),
    PM_SLOT(SetStatisticsMode),
    PM_SLOT(ReadDepth),
    PM_SLOT(RequestScreenShot),
    PM_SLOT(GetColorBufferImage),
    PM_SLOT(ReadColorBuffer),
    PM_SLOT(GetScreenShotImage),
    PM_SLOT(GetScreenShotDepthImage),
    // Past the numbered slots.
    PM_SLOT(LatchLinesAndPoints),
    PM_SLOT(GetLineCount),
    PM_SLOT(GetPointCount),
    PM_SLOT(SetPointSize),
    PM_SLOT(GetPointSize),
};
#undef PM_SLOT

// The slots that geometry, particles and widgets call by number.
const Slot kCalledSlots[] = {
    {"SetModelViewMatrix", 5},      {"GetModelViewMatrix", 6},   {"ExchangeModelViewMatrix", 7},
    {"LoadModelViewMatrix", 8},     {"GetProjectionMatrix", 10}, {"CullTest", 21},
    {"GetScratchArray", 22},        {"SetShaderBase", 26},       {"ResetMaterialColor", 27},
    {"SetMaterialColorBlend", 28},  {"SetMaterialColor", 29},    {"SetNormal", 30},
    {"GetShaderPassState", 31},     {"GetPassMode", 34},         {"SetClipRect", 49},
    {"UpdateClipRect", 50},         {"DrawQuadClipped", 51},     {"DrawPolygonData", 52},
    {"DrawPolygonDataClipped", 53},
};

TEST(RenderEngineSlots, OperationsSitInTableOrder) {
  ASSERT_EQ(std::size(kEngineSlots), 87u);
  for (size_t i = 0; i < std::size(kEngineSlots); ++i)
    EXPECT_EQ(kEngineSlots[i].slot, std::ptrdiff_t(i)) << kEngineSlots[i].name;
  for (const Slot& called : kCalledSlots) {
    auto it = std::find_if(std::begin(kEngineSlots), std::end(kEngineSlots),
                           [&](const Slot& s) { return std::strcmp(s.name, called.name) == 0; });
    ASSERT_NE(it, std::end(kEngineSlots)) << called.name;
    EXPECT_EQ(it->slot, called.slot) << called.name;
  }
  // The polygon cache's two operations are its slots 0 and 1; a handle's only operation is slot 0.
  EXPECT_EQ(SlotOf(&RenderPolygonCache::Unload), 0);
  EXPECT_EQ(SlotOf(&RenderPolygonCache::SetDirty), 1);
  EXPECT_EQ(SlotOf(&RenderEngine_I::InterfaceSlot0), 0);
}

// ---- Create and handles ----

class RenderEngineCreate : public BlockCheckedTest {};

struct CreateCase {
  int32_t type;
  bool openGL;
};

TEST_F(RenderEngineCreate, KnownTypesGiveTheirBackEndInAFreshHandle) {
  const CreateCase cases[] = {{0, true}, {1, true}, {2, false}};
  for (const CreateCase& c : cases) {
    SCOPED_TRACE(c.type);
    long start = LiveBlockCount();
    RenderEngine_I* raw = RenderEngine::Create(c.type);
    ASSERT_NE(raw, nullptr);
    EXPECT_EQ(BlockRefCount(raw), 0);
    const TypeRecord* expected =
        c.openGL ? &CountedTypeOf<RenderEngineOpenGL_I>() : &CountedTypeOf<RenderEngineDirectX8_I>();
    EXPECT_EQ(HeaderOf(raw)->type, expected);
    RenderEngine* engine = raw->Engine();
    EXPECT_EQ(dynamic_cast<RenderEngineOpenGL_D*>(engine) != nullptr, c.openGL);
    EXPECT_EQ(dynamic_cast<RenderEngineDirectX8_D*>(engine) != nullptr, !c.openGL);
    // The table word and the engine's address come first, the engine follows in place.
    EXPECT_EQ(reinterpret_cast<char*>(engine), reinterpret_cast<char*>(raw) + 2 * sizeof(void*));
    {
      Ptr<RenderEngine_I> handle(raw);
      EXPECT_EQ(BlockRefCount(raw), 1);
      EXPECT_GT(LiveBlockCount(), start);
    }
    EXPECT_EQ(LiveBlockCount(), start);
  }
}

TEST_F(RenderEngineCreate, UnknownTypesGiveNullAndAnError) {
  RenderLogCapture log;
  for (int32_t type : {3, -1, RenderEngine::kMaxEngineType, 1000}) {
    EXPECT_EQ(RenderEngine::Create(type), nullptr) << type;
  }
  EXPECT_EQ(log.Text(),
            "Error RenderEngine::Create: unknown engine type 3.\n"
            "Error RenderEngine::Create: unknown engine type -1.\n"
            "Error RenderEngine::Create: unknown engine type 8.\n"
            "Error RenderEngine::Create: unknown engine type 1000.\n");
}

TEST_F(RenderEngineCreate, AnInstalledFactoryServesItsTypeUntilRestored) {
  RenderLogCapture log;
  RenderEngineFactory make = [] { return RenderEngineDirectX8_I::Create(); };
  EXPECT_EQ(RenderEngine::SetFactory(5, make), nullptr);
  {
    Ptr<RenderEngine_I> handle(RenderEngine::Create(5));
    ASSERT_TRUE(handle);
    EXPECT_NE(dynamic_cast<RenderEngineDirectX8_D*>(handle->Engine()), nullptr);
  }
  EXPECT_EQ(RenderEngine::SetFactory(5, nullptr), make);
  EXPECT_EQ(RenderEngine::Create(5), nullptr);
  // Out-of-range types are refused and replace nothing.
  EXPECT_EQ(RenderEngine::SetFactory(-1, make), nullptr);
  EXPECT_EQ(RenderEngine::SetFactory(RenderEngine::kMaxEngineType, make), nullptr);
  EXPECT_EQ(RenderEngine::Create(-1), nullptr);
  EXPECT_NE(log.Text().find("RenderEngine::SetFactory: engine type -1 out of range.\n"), std::string::npos);
}

// ---- Base answers ----

struct BaseAnswer {
  const char* name;
  double (*answer)(RenderEngine& e);
  double expected;
};

const BaseAnswer kBaseAnswers[] = {
    {"GetFrameTime", [](RenderEngine& e) { return e.GetFrameTime(); }, -1.0},
    {"GetPrimitiveCount",
     [](RenderEngine& e) {
       g_FramePrimitiveCount = 42;
       e.LatchPrimitiveCount();
       g_FramePrimitiveCount = 0;
       return double(e.GetPrimitiveCount());
     },
     -1.0},
    {"DetectTextureMemory", [](RenderEngine& e) { return double(e.DetectTextureMemory()); }, 8388607.0},
    {"GetCullEnable", [](RenderEngine& e) { return double(e.GetCullEnable()); }, 1.0},
    {"CullTest",
     [](RenderEngine& e) {
       e.SetCullEnable(true);
       return double(e.CullTest(&kEmptySpheref));
     },
     0.0},
    {"ReadDepth", [](RenderEngine& e) { return double(e.ReadDepth(1, 1)); }, -1.0},
    {"RequestScreenShot", [](RenderEngine& e) { return double(e.RequestScreenShot(true, true)); }, -1.0},
    {"GetPassMode",
     [](RenderEngine& e) {
       e.BeginPass(3);
       return double(e.GetPassMode());
     },
     0.0},
    {"SetAuxValue", [](RenderEngine& e) { return double(e.SetAuxValue(77)); }, 77.0},
    {"SetShaderBase", [](RenderEngine& e) { return double(e.SetShaderBase(nullptr, true)); }, 0.0},
    {"GetTextureCount", [](RenderEngine& e) { return double(e.GetTextureCount()); }, 0.0},
    {"GetShaderPassState", [](RenderEngine& e) { return double(e.GetShaderPassState() != nullptr); }, 0.0},
    {"GetColorBufferImage", [](RenderEngine& e) { return double(e.GetColorBufferImage() != nullptr); }, 0.0},
    {"GetScreenShotImage", [](RenderEngine& e) { return double(e.GetScreenShotImage() != nullptr); }, 0.0},
    {"GetScreenShotDepthImage", [](RenderEngine& e) { return double(e.GetScreenShotDepthImage() != nullptr); }, 0.0},
    {"InitializeRenderWindow",
     [](RenderEngine& e) {
       TextureSettingsInfo textures;
       RenderFormatInfo format;
       return double(e.InitializeRenderWindow(&textures, &format, nullptr));
     },
     double(0x8000000Cu)},
    {"DeInitializeRenderWindow", [](RenderEngine& e) { return double(e.DeInitializeRenderWindow()); },
     double(0x8000000Cu)},
    {"SetTextureSettings",
     [](RenderEngine& e) {
       TextureSettingsInfo textures;
       return double(e.SetTextureSettings(&textures));
     },
     double(0x8000000Cu)},
    {"MakeCurrent", [](RenderEngine& e) { return double(e.MakeCurrent()); }, double(0x8000000Cu)},
    {"ClearBuffer", [](RenderEngine& e) { return double(e.ClearBuffer(nullptr)); }, double(0x8000000Cu)},
    {"SwapBuffers", [](RenderEngine& e) { return double(e.SwapBuffers(false)); }, double(0x8000000Cu)},
    {"Flush", [](RenderEngine& e) { return double(e.Flush()); }, double(0x8000000Cu)},
    {"Finish", [](RenderEngine& e) { return double(e.Finish()); }, double(0x8000000Cu)},
};

// The operations of the table that the Direct3D 8 engine answers itself (tests/render/d3d8 pins them).
bool IsDirectX8Own(const char* name) {
  static const char* const kOwn[] = {"GetFrameTime",
                                     "GetPrimitiveCount",
                                     "DetectTextureMemory",
                                     "InitializeRenderWindow",
                                     "DeInitializeRenderWindow",
                                     "SetTextureSettings",
                                     "MakeCurrent",
                                     "ClearBuffer",
                                     "Flush",
                                     "Finish",
                                     "RequestScreenShot",
                                     "CullTest",
                                     "GetPassMode",
                                     "SetShaderBase",
                                     "GetShaderPassState"};
  for (const char* own : kOwn)
    if (std::strcmp(own, name) == 0) return true;
  return false;
}

class RenderEngineBase : public BlockCheckedTest {};

TEST_F(RenderEngineBase, ShellsGiveTheBaseAnswers) {
  for (int32_t type : {2}) {
    SCOPED_TRACE(type);
    RenderLogCapture log;
    Ptr<RenderEngine_I> handle(RenderEngine::Create(type));
    ASSERT_TRUE(handle);
    RenderEngine& e = *handle->Engine();
    for (const BaseAnswer& a : kBaseAnswers) {
      if (IsDirectX8Own(a.name)) continue;
      EXPECT_EQ(a.answer(e), a.expected) << a.name;
    }

    String report("x");
    e.GetSystemReport(&report);
    EXPECT_TRUE(report.IsEmpty());
    int32_t rect[4] = {1, 2, 3, 4};
    EXPECT_EQ(e.GetViewport(rect), rect);
    EXPECT_EQ(rect[3], 0);                            // the Direct3D engine answers the viewport it keeps (none yet)
    EXPECT_EQ(e.RequestScreenShot(false, false), 1);  // taken at the next SwapBuffers
    EXPECT_EQ(log.Text(), "");
  }
}

// ---- Scratch arrays ----

// An engine of nothing but the base, with its scratch arrays in view.
class BareEngine : public RenderEngine {
 public:
  using RenderEngine::m_scratch;
};

class RenderEngineScratch : public BlockCheckedTest {};

TEST_F(RenderEngineScratch, SmallerRequestsKeepBufferAndBytes) {
  BareEngine e;
  uint8_t* p = e.GetScratchArray(0, 16);
  ASSERT_NE(p, nullptr);
  for (int i = 0; i < 16; ++i) p[i] = uint8_t(i + 1);
  for (int32_t n : {16, 8, 0}) {
    EXPECT_EQ(e.GetScratchArray(0, n), p) << n;
    EXPECT_EQ(e.m_scratch[0].Count(), 16);
  }
  for (int i = 0; i < 16; ++i) EXPECT_EQ(p[i], i + 1);
}

TEST_F(RenderEngineScratch, RequestsWithinTheCapacityKeepTheBlockAndSetTheCount) {
  BareEngine e;
  uint8_t* p = e.GetScratchArray(1, 32);
  e.m_scratch[1].Remove(0, -1);  // emptied per frame, capacity kept
  EXPECT_EQ(e.GetScratchArray(1, 20), p);
  EXPECT_EQ(e.m_scratch[1].Count(), 20);
  EXPECT_EQ(e.GetScratchArray(1, 32), p);
  EXPECT_EQ(e.m_scratch[1].Count(), 32);
  EXPECT_EQ(e.m_scratch[1].Capacity(), 32);
}

TEST_F(RenderEngineScratch, LargerRequestsGiveANewBufferOfExactlyThatSize) {
  BareEngine e;
  uint8_t* p = e.GetScratchArray(2, 8);
  uint8_t* q = e.GetScratchArray(2, 40);
  ASSERT_NE(q, nullptr);
  EXPECT_NE(q, p);
  EXPECT_EQ(e.m_scratch[2].Count(), 40);
  EXPECT_EQ(e.m_scratch[2].Capacity(), 40);
  std::memset(q, 0xAB, 40);  // the whole buffer is writable
}

TEST_F(RenderEngineScratch, TheFourArraysAreIndependent) {
  BareEngine e;
  uint8_t* p[RenderEngine::kScratchArrayCount];
  for (int i = 0; i < RenderEngine::kScratchArrayCount; ++i) {
    p[i] = e.GetScratchArray(i, 4 * (i + 1));
    std::memset(p[i], i + 1, size_t(4 * (i + 1)));
  }
  e.GetScratchArray(1, 100);  // moves array 1 only
  for (int i = 0; i < RenderEngine::kScratchArrayCount; ++i) {
    if (i == 1) continue;
    EXPECT_EQ(e.GetScratchArray(i, 1), p[i]);
    EXPECT_EQ(e.m_scratch[i].Count(), 4 * (i + 1));
    EXPECT_EQ(p[i][0], i + 1);
  }
  EXPECT_EQ(e.m_scratch[1].Count(), 100);
}

TEST_F(RenderEngineScratch, BadRequestsGiveNullAndAnError) {
  BareEngine e;
  RenderLogCapture log;
  EXPECT_EQ(e.GetScratchArray(4, 1), nullptr);
  EXPECT_EQ(e.GetScratchArray(-1, 1), nullptr);
  EXPECT_EQ(e.GetScratchArray(0, -5), nullptr);
  EXPECT_EQ(log.Text(),
            "Error RenderEngine::GetScratchArray: bad request for array 4 with 1 bytes.\n"
            "Error RenderEngine::GetScratchArray: bad request for array -1 with 1 bytes.\n"
            "Error RenderEngine::GetScratchArray: bad request for array 0 with -5 bytes.\n");
  for (const Array<uint8_t>& a : e.m_scratch) EXPECT_EQ(a.Capacity(), 0);
}

// ---- Record defaults ----

TEST(RenderEngineRecords, FormatAndTextureSettingsDefaults) {
  RenderFormatInfo f;
  const int32_t words[] = {f.Fullscreen,
                           f.Width,
                           f.Height,
                           f.SwapInterval,
                           f.ColorBits,
                           f.AlphaBits,
                           f.DepthBits,
                           f.StencilBits,
                           f.Reserved,
                           f.BufferBackColorCount,
                           f.BufferBackgroundColorCount,
                           f.BufferBackgroundDepthStencilCount};
  const int32_t expected[] = {0, 640, 480, 0, 16, 0, 16, 0, 0, 1, 0, 0};
  for (size_t i = 0; i < std::size(words); ++i) EXPECT_EQ(words[i], expected[i]) << i;
  EXPECT_EQ(f.RefreshRate, 60.0f);
  EXPECT_EQ(f.SwapRateLimit, 120.0f);
  EXPECT_FALSE(f.BufferFrontColorAccessEnable || f.BufferBackColorAccessEnable || f.BufferBackDepthStencilAccessEnable);
  // Word 11 is the reserved one; the three flags are bytes after word 14.
  EXPECT_EQ(offsetof(RenderFormatInfo, Reserved), 40u);
  EXPECT_EQ(offsetof(RenderFormatInfo, BufferFrontColorAccessEnable), 56u);

  TextureSettingsInfo t;
  EXPECT_EQ(t.EnableTexture, 1);
  EXPECT_EQ(t.EnableTextureThread, 1);
  EXPECT_EQ(t.TextureLoadTimeLimit, -1.0f);
  EXPECT_EQ(t.MaxTextureUnit, 2);
  EXPECT_EQ(t.MaxTextureSizeShift, 0);
  EXPECT_EQ(t.TextureSizeCap, 0x10000);
  EXPECT_EQ(t.ImagePath.View(), "Images/");
  EXPECT_TRUE(t.RegistryBasePath.IsEmpty());
}

TEST(RenderEngineRecords, StatisticsPassStateAndChannelEffectDefaults) {
  FrameStatistics s;
  EXPECT_EQ(s.DisplayMode, 0);
  EXPECT_EQ(s.Counts[0] | s.Counts[1], 0);
  for (double v : s.Values) EXPECT_EQ(v, 0.0);
  EXPECT_EQ(s.SampleCount, 100);
  EXPECT_EQ(std::size(s.Samples), 100u);
  for (int32_t v : s.Samples) EXPECT_EQ(v, 0);
  EXPECT_EQ(s.RingIndex, 0);
  EXPECT_EQ(offsetof(FrameStatistics, Values), 16u);
  EXPECT_EQ(offsetof(FrameStatistics, SampleCount), 56u);
  EXPECT_EQ(offsetof(FrameStatistics, RingIndex), 460u);

  ShaderPassState p;
  for (uint32_t w : p.Words) EXPECT_EQ(w, 0u);
  p.Words[ShaderPassState::kColorStream] = 0x20000;
  p.Words[ShaderPassState::kTexCoordStream1] = 0x10001;
  p.Words[15] = 7;
  p.Clear();
  for (uint32_t w : p.Words) EXPECT_EQ(w, 0u);

  ChannelFXInfo fx;
  EXPECT_FALSE(fx.EnableBloom || fx.EnableDOF || fx.EnableColorFilter);
  EXPECT_EQ(fx.BloomBlurCount, 4);
  EXPECT_EQ(fx.FocusDistance, 0.25f);
  EXPECT_EQ(fx.ColorFilterMode, 0);
  EXPECT_EQ(offsetof(ChannelFXInfo, BloomBlurCount), 4u);
  EXPECT_EQ(offsetof(ChannelFXInfo, ColorFilterMode), 12u);
}

TEST(RenderEngineRecords, ShellsBuildTheirOwnDefaultRecords) {
  for (int32_t type : {0, 2}) {
    Ptr<RenderEngine_I> handle(RenderEngine::Create(type));
    ASSERT_TRUE(handle);
    auto check = [](const auto& d) {
      RenderFormatInfo f;
      FrameStatistics s;
      ShaderPassState p;
      EXPECT_EQ(std::memcmp(&d.Format(), &f, offsetof(RenderFormatInfo, BufferBackDepthStencilAccessEnable) + 1), 0);
      EXPECT_EQ(std::memcmp(&d.Statistics(), &s, sizeof(s)), 0);
      EXPECT_EQ(std::memcmp(&d.PassState(), &p, sizeof(p)), 0);
      EXPECT_EQ(d.TextureSettings().ImagePath.View(), "Images/");
      EXPECT_EQ(d.TextureSettings().TextureSizeCap, 0x10000);
    };
    if (type == 0)
      check(*dynamic_cast<RenderEngineOpenGL_D*>(handle->Engine()));
    else
      check(*dynamic_cast<RenderEngineDirectX8_D*>(handle->Engine()));
  }
}

TEST(PolygonData, ConstructorDefaults) {
  PolygonData d;
  EXPECT_EQ(d.PrimType, 0x03FFF0A7u);
  EXPECT_EQ(PrimTypeId(11), 0x0BFFF0A7u);
  EXPECT_EQ(d.PrimCount | d.IndexCount | d.VertexCount, 0);
  const void* pointers[] = {d.PrimLengthArray, d.IndexArray,     d.VertexArray,   d.NormalArray,
                            d.ColorArray,      d.TexCoordArray0, d.TexCoordArray1};
  for (const void* p : pointers) EXPECT_EQ(p, nullptr);
  EXPECT_EQ(d.Reserved9, 0u);
  for (uint32_t w : d.Reserved12) EXPECT_EQ(w, 0u);
  EXPECT_EQ(d.ConstantColor, (Vector4f{1.0f, 1.0f, 1.0f, 1.0f}));
  for (float v : d.Reserved20) EXPECT_EQ(v, 1.0f);
  EXPECT_EQ(d.DynamicMask, 0u);
  // The colour words sit right before the reserved floats, the flags last.
  EXPECT_EQ(offsetof(PolygonData, Reserved20), offsetof(PolygonData, ConstantColor) + 16);
  EXPECT_EQ(offsetof(PolygonData, DynamicMask), offsetof(PolygonData, Reserved20) + 20);
  EXPECT_EQ(PolygonData::kDynamicIndices | PolygonData::kDynamicPositions | PolygonData::kDynamicColors |
                PolygonData::kDynamicTexCoords0,
            0x10130u);
}

}  // namespace
}  // namespace PM::Test
