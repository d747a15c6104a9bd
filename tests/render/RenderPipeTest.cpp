// The render channel's clear record and checked members, the statistics snapshot, and the render pipe
// without a window: neutral answers, member conversions, Present pacing, key names and the window
// procedure fed with message records.
#include <gtest/gtest.h>

#include <cmath>
#include <cstddef>
#include <cstring>
#include <limits>
#include <stdexcept>

#include "../scene/EngineWorld.h"
#include "PipeTestEngine.h"
#include "RecordingTracker.h"
#include "platform/MessageQueue.h"
#include "render/RenderChannel.h"
#include "render/RenderPipe.h"
#include "render/RenderStatistics.h"
#include "support/LogCapture.h"

namespace PM::Test {
namespace {

using RenderPipeTest = EngineWorldTest;

Obj<RenderChannel_I> NewChannel() {
  return Obj<RenderChannel_I>(static_cast<RenderChannel_I*>(ScriptObject::Create(RenderChannel_I::kClassId)));
}
Obj<RenderPipe_I> NewPipe() {
  return Obj<RenderPipe_I>(static_cast<RenderPipe_I*>(ScriptObject::Create(RenderPipe_I::kClassId)));
}

TEST_F(RenderPipeTest, ChannelClearRecordIsWhatClearBufferReceives) {
  // Field order of the record the back ends read.
  static_assert(offsetof(ChannelClearInfo, AlphaClearEnable) == 1 &&
                offsetof(ChannelClearInfo, StencilClearEnable) == 3);
  static_assert(offsetof(ChannelClearInfo, ColorClearValue) == 4 && offsetof(ChannelClearInfo, AlphaClearValue) == 16);
  static_assert(offsetof(ChannelClearInfo, DepthClearValue) == 24 &&
                offsetof(ChannelClearInfo, StencilClearValue) == 32);
  static_assert(offsetof(ChannelClearInfo, BufferBackgroundDepthStencilIndex) == 40);
  Obj<RenderChannel_I> c = NewChannel();
  EXPECT_EQ(c->GetIntField(), 1);
  EXPECT_EQ(c->GetFlagByte(), 0);
  MemberSet<VBool>(c, 0x09FFF081, true);                             // AlphaClearEnable
  MemberSet<VVector3f>(c, 0x08FFF081, Vector3f{0.5f, 0.25f, 1.0f});  // ColorClearValue
  MemberSet<VF64>(c, 0x0CFFF081, 0.125);                             // DepthClearValue
  MemberSet<VU32>(c, 0x0EFFF081, 7u);                                // StencilClearValue
  MemberSet<VI32>(c, 0x10FFF081, 2);                                 // BufferBackgroundDepthStencilIndex
  PipeTestEngine engine;
  engine.ClearBuffer(c->GetDataPtr());
  const ChannelClearInfo& r = engine.clear;
  EXPECT_TRUE(r.ColorClearEnable && r.AlphaClearEnable && r.DepthClearEnable && !r.StencilClearEnable);
  EXPECT_EQ(r.ColorClearValue[0], 0.5f);
  EXPECT_EQ(r.ColorClearValue[2], 1.0f);
  EXPECT_EQ(r.AlphaClearValue, 1.0f);
  EXPECT_EQ(r.DepthClearValue, 0.125);
  EXPECT_EQ(r.StencilClearValue, 7u);
  EXPECT_EQ(r.BufferBackgroundColorIndex, -1);
  EXPECT_EQ(r.BufferBackgroundDepthStencilIndex, 2);
  EXPECT_EQ(MemberGet<VF64>(c, 0x0CFFF081), 0.125);
}

TEST_F(RenderPipeTest, ChannelClippingAndViewportAreKeptSound) {
  const float nan = std::numeric_limits<float>::quiet_NaN();
  struct Case {
    Vector2f in, out;
  } clipping[] = {
      {{0.0f, 100.0f}, {1.5258789e-5f, 100.0f}},        {{10.0f, 5.0f}, {10.0f, 10.0f}},
      {{0.0f, 0.0f}, {1.5258789e-5f, 1.5258789e-5f}},    // far never below near
      {{-5.0f, -3.0f}, {1.5258789e-5f, 1.5258789e-5f}},  // nor negative
      {{nan, nan}, {1.5258789e-5f, 1.5258789e-5f}},
  };
  Obj<RenderChannel_I> c = NewChannel();
  for (const Case& k : clipping) {
    MemberSet<VVector2f>(c, 0x04FFF081, k.in);
    Vector2f got = MemberGet<VVector2f>(c, 0x04FFF081);
    EXPECT_EQ(got.x, k.out.x) << k.in.x << "," << k.in.y;
    EXPECT_EQ(got.y, k.out.y) << k.in.x << "," << k.in.y;
  }
  MemberSet<VVector4f>(c, 0x03FFF081, Vector4f{nan, 0.5f, nan, nan});
  EXPECT_EQ(MemberGet<VVector4f>(c, 0x03FFF081), (Vector4f{0.0f, 0.5f, 0.0f, 0.0f}));
  // The scene root takes T-nodes only.
  Obj<ScriptObject> s = Make("STransform");
  MemberSet<VObject>(c, 0x01FFF081, s.Get());
  EXPECT_TRUE(IsNilObject(MemberGet<VObject>(c, 0x01FFF081)));
  EXPECT_NE(TakeLog().find("cannot cast \"STransform\" to \"TNode\"."), std::string::npos);
}

TEST_F(RenderPipeTest, StatisticsSnapshot) {
  Ptr<RenderStatistics_I> empty = RenderStatistics_I::Create();
  EXPECT_EQ(empty->GetPrimitiveCount(), 0);
  EXPECT_EQ(empty->GetFrameTime(), 0.0f);
  Ptr<RenderEngine_I> engine = NewCounted<BaseOnlyEngine_I>();
  Ptr<RenderStatistics_I> s = RenderStatistics_I::Capture(engine.Get());
  EXPECT_EQ(s->GetPrimitiveCount(), -1);
  EXPECT_EQ(s->GetTextureCount(), 0);
  EXPECT_EQ(s->GetTextureMemory(), 0);
  EXPECT_EQ(s->GetTextureDownloadBytes(), 0);
  EXPECT_EQ(s->GetFrameTime(), -1.0f);
  EXPECT_EQ(RenderStatistics_I::Capture(nullptr), nullptr);
}

TEST_F(RenderPipeTest, WithoutEngineEveryOperationAnswersNeutrally) {
  Obj<RenderPipe_I> p = NewPipe();
  EXPECT_EQ(p->GetStatistics(), nullptr);
  EXPECT_EQ(uint32_t(p->Present(false)), 0x8000000Bu);
  EXPECT_EQ(uint32_t(p->MakeCurrent()), 0x8000000Bu);
  EXPECT_EQ(p->GetTextureLoadCount(), 0);
  EXPECT_EQ(p->RequestScreenShot(false, false), -1);
  EXPECT_EQ(p->GetScreenShotImage(), nullptr);
  EXPECT_FALSE(p->IsReady());
  EXPECT_EQ(p->GetCursor(), 0u);
  EXPECT_EQ(p->PopChar(), 0u);
  int32_t r[4] = {1, 1, 1, 1};
  p->GetWindowRect(&r[0], &r[1], &r[2], &r[3]);
  EXPECT_EQ(r[0] | r[1] | r[2] | r[3], 0);
  String report = "x";
  p->GetSystemReport(&report);
  EXPECT_TRUE(report.IsEmpty());
}

TEST_F(RenderPipeTest, ResolutionAndPositionTruncateAndSaturate) {
  const float nan = std::numeric_limits<float>::quiet_NaN();
  struct Case {
    Vector2f in;
    int32_t w, h, x, y;
  } cases[] = {
      {{800.7f, 600.2f}, 800, 600, 800, 600},
      {{-3.5f, 0.5f}, 1, 1, -3, 0},  // a resolution below 1 is 1
      {{nan, 1e20f}, 1, 2147483647, 0, 2147483647},
      {{-1e20f, 5.0f}, 1, 5, INT32_MIN, 5},
  };
  Obj<RenderPipe_I> p = NewPipe();
  EXPECT_EQ(p->m_windowX, RenderPipe_I::kWindowCentred);
  for (const Case& c : cases) {
    MemberSet<VVector2f>(p, 0x03FFF080, c.in);
    MemberSet<VVector2f>(p, 0x11FFF080, c.in);
    EXPECT_EQ(p->m_width, c.w);
    EXPECT_EQ(p->m_height, c.h);
    EXPECT_EQ(p->m_windowX, c.x);
    EXPECT_EQ(p->m_windowY, c.y);
  }
}

// A clock that moves only when the pipe sleeps (a yield takes 0.5 ms).
int64_t g_now = 0;
std::vector<int32_t> g_sleeps;
int64_t FakeNow() { return g_now; }
void FakeSleep(int32_t ms) {
  // A pacing loop that never ends fails the test rather than hanging it.
  if (g_sleeps.size() > 100000) throw std::runtime_error("Present paces without end");
  g_sleeps.push_back(ms);
  g_now += ms > 0 ? int64_t(ms) * 1000000 : 500000;
}

TEST_F(RenderPipeTest, PresentHoldsTheSwapRateLimit) {
  PresentTiming saved = RenderPipe_I::SetPresentTiming({&FakeNow, &FakeSleep});
  Obj<RenderPipe_I> p = NewPipe();
  p->m_d.engine = NewCounted<PipeTestEngine_I>();
  auto* engine = static_cast<PipeTestEngine*>(p->GetRenderEngine());
  p->SetPresentArg(3);
  struct Case {
    float limit;
    std::vector<int32_t> sleeps;
  } cases[] = {
      // 8.333 ms per frame, 3 taken: sleep 4, then yield while 1/32 ms or more remains.
      {120.0f, {4, 0, 0, 0}},
      {0.0f, {}},
      {-5.0f, {}},
      // A rate near zero waits one second at most, not the ages it asks for.
      {1e-30f, {996, 0, 0}},
      {0.5f, {996, 0, 0}},
  };
  for (const Case& c : cases) {
    p->m_swapRateLimit = c.limit;
    g_sleeps.clear();
    p->m_d.lastPresent = g_now;
    g_now += 3000000;
    EXPECT_EQ(p->Present(false), SOK);
    EXPECT_EQ(g_sleeps, c.sleeps) << c.limit;
    EXPECT_EQ(p->m_d.lastPresent, g_now);
  }
  EXPECT_EQ(engine->calls.at(0), "SetStatisticsMode 3");
  EXPECT_EQ(engine->calls.at(1), "SwapBuffers 0");
  p->m_d.engine.Clear();
  RenderPipe_I::SetPresentTiming(saved);
}

TEST_F(RenderPipeTest, TheCharacterQueueKeepsTheFirst1024AndSaysOnceThatItDropsTheRest) {
  Obj<RenderPipe_I> p = NewPipe();
  for (int round = 0; round < 2; ++round) {
    LogCapture log;
    for (uint32_t c = 1; c <= 1030; ++c) p->HandleMessage(nullptr, WM_CHAR, c, 0);
    EXPECT_EQ(log.Text(), "Debug RenderPipe: 1024 characters wait to be taken; more are dropped.\n");
    for (uint32_t c = 1; c <= 1024; ++c) ASSERT_EQ(p->PopChar(), c);
    EXPECT_EQ(p->PopChar(), 0u);
  }
  // Taking and typing in turn wraps round the queue and keeps the order.
  for (uint32_t c = 1; c <= 3000; ++c) {
    p->HandleMessage(nullptr, WM_CHAR, c, 0);
    if (c % 2 == 0) {
      ASSERT_EQ(p->PopChar(), c - 1);
      ASSERT_EQ(p->PopChar(), c);
    }
  }
  p->HandleMessage(nullptr, WM_CHAR, 'x', 0);
  p->ClearChars();
  EXPECT_EQ(p->PopChar(), 0u);
}

TEST_F(RenderPipeTest, TranslateVirtualKeyNamesFiftyKeys) {
  int named = 0;
  for (uint32_t vk = 0; vk <= 300; ++vk) named += TranslateVirtualKey(vk) != 0;
  EXPECT_EQ(named, 50);
  struct Case {
    uint32_t vk;
    const char bytes[5];
  } cases[] = {{35, "END"},   {33, "PGUP"}, {96, "NUM0"}, {109, "NUM-"},
               {108, "NUME"}, {112, "F1"},  {121, "F10"}, {135, "F24"}};
  for (const Case& c : cases) {
    uint32_t code = TranslateVirtualKey(c.vk);
    EXPECT_EQ(std::memcmp(&code, c.bytes, 4), 0) << c.vk;
  }
  EXPECT_EQ(TranslateVirtualKey(35 | 0x80000000u), 0u);
  EXPECT_EQ(TranslateVirtualKey(65), 0u);
}

TEST_F(RenderPipeTest, WindowProcedureTurnsRecordsIntoTrackerCalls) {
  Obj<RenderPipe_I> p = NewPipe();
  RecordingTracker* t = NewCounted<RecordingTracker>();
  p->SetInputTracker(t);
  struct Case {
    uint32_t message;
    uintptr_t wParam;
    intptr_t lParam;
    std::vector<std::string> calls;
  } cases[] = {
      {WM_MOUSEWHEEL,
       uintptr_t(uint16_t(-240)) << 16,
       MakeLParam(5, 6),
       {"MouseWheel(5,6,-2.000000,0)", "KeyDown(0,WLDN)", "KeyDown(0,WLDN)"}},
      {WM_MOUSEWHEEL,
       uintptr_t(60) << 16 | MK_LBUTTON,
       MakeLParam(5, 6),
       {"MouseWheel(5,6,0.500000,1)", "KeyDown(0,WLUP)"}},
      {WM_KEYDOWN, 116, 0, {"KeyDown(116,0)"}},
      {WM_KEYUP, 116, 0, {"KeyUp(116,0)"}},
      {WM_CAPTURECHANGED, 0, 0, {"Deactivate"}},
      {WM_ACTIVATE, WA_CLICKACTIVE, 0, {"Activate"}},
      {WM_USER + 5, 1, 2, {"WindowMessage 1029"}},
      {WM_KILLFOCUS, 0, 0, {"FocusLost"}},
      {WM_MOUSELEAVE, 0, 0, {"MouseLeave"}},
  };
  for (const Case& c : cases) {
    t->calls.clear();
    p->HandleMessage(nullptr, c.message, c.wParam, c.lParam);
    EXPECT_EQ(t->calls, c.calls) << c.message;
  }
  // Alt alone is swallowed: no default handling, result 0.
  uint64_t defaults = DefWindowProcCount();
  EXPECT_EQ(p->HandleMessage(nullptr, WM_SYSKEYDOWN, VK_MENU, 0), 0);
  EXPECT_EQ(DefWindowProcCount(), defaults);
  p->HandleMessage(nullptr, WM_KEYDOWN, 'A', 0);
  EXPECT_EQ(DefWindowProcCount(), defaults + 1);
  // WM_CLOSE only notes the request.
  p->HandleMessage(nullptr, WM_CLOSE, 0, 0);
  EXPECT_EQ(p->IsCloseRequested(), 1);
  EXPECT_EQ(DefWindowProcCount(), defaults + 1);
  p->SetInputTracker(nullptr);
}

TEST_F(RenderPipeTest, TextureMembersPassTheWholeRecord) {
  PipeTestEngineGuard guard;
  Obj<RenderPipe_I> p = NewPipe();
  p->m_d.engine = PipeTestEngine_I::CreateGL();
  auto* engine = static_cast<PipeTestEngine*>(p->GetRenderEngine());
  p->SetSecondPath("Software\\Other");
  MemberSet<VI32>(p, 0x15FFF080, 4);                  // MaxTextureUnit
  MemberSet<VString>(p, 0x18FFF080, String("Tex/"));  // ImagePath
  EXPECT_EQ(engine->calls.size(), 2u);
  EXPECT_EQ(engine->textures.MaxTextureUnit, 4);
  EXPECT_STREQ(engine->textures.ImagePath.CStr(), "Tex/");
  EXPECT_STREQ(engine->textures.RegistryBasePath.CStr(), "Software\\Other");
  EXPECT_EQ(engine->textures.EnableTextureThread, 1);
  p->m_d.engine.Clear();
}

}  // namespace
}  // namespace PM::Test
