// Clip timing derived on every read, clip events and their handler, and library evaluation.
#include <cmath>

#include "PlaybackWorld.h"

namespace PM::Test {
namespace {

using ClipLibraryTest = PlaybackWorld;

struct Timing {
  bool library;
  double libStart, libEnd, start, scale, cycles;
  double duration, end;
};

TEST_F(ClipLibraryTest, DurationAndEndTimeFollowTheMembersOnEveryRead) {
  const Timing cases[] = {
      {false, 0, 0, 2.0, 1, 1, 1.0, 3.0},     // no library: one time unit
      {true, 1, 1.5, 4.0, -2, 3, 0.5, 7.0},   // backwards at twice the speed, three cycles
      {true, 0.3, 0.9, 0.0, 1, 1, 0.6, 0.6},  // library span, not its end
  };
  for (const Timing& c : cases) {
    Obj<AnimationClip_I> clip = New<AnimationClip_I>("AnimationClip");
    if (c.library) clip->m_animationLibrary = Library(c.libStart, c.libEnd, {});
    MemberSet<VF64>(clip, kMemberClipStartTime, c.start);
    MemberSet<VF64>(clip, 0x05FFF090, c.scale);
    MemberSet<VF64>(clip, 0x04FFF090, c.cycles);
    EXPECT_DOUBLE_EQ(MemberGet<VF64>(clip, kMemberClipDuration), c.duration);
    EXPECT_DOUBLE_EQ(MemberGet<VF64>(clip, kMemberClipEndTime), c.end);
  }
  // Changing the library moves the end at once; the derived members take no Set.
  Obj<AnimationLibrary_I> lib = Library(0, 1, {});
  Obj<AnimationClip_I> clip = Clip(lib, 1.0);
  lib->m_endTime = 3;
  EXPECT_EQ(MemberGet<VF64>(clip, kMemberClipEndTime), 4.0);
  EXPECT_EQ(TakeLog(), "");
  MemberSet<VF64>(clip, kMemberClipEndTime, 9.0);
  EXPECT_NE(TakeLog(), "");
  EXPECT_EQ(clip->GetEndTime(), 4.0);
}

// Counts its events and keeps the last one's fields.
struct CountingHandler : AnimationClipEventHandler {
  int calls = 0;
  uint32_t kind = 0;
  float phase = -1;
  AnimationClipEvent_I* clip = nullptr;
  ScriptObject* object = nullptr;
  void OnClipEvent() override {
    ++calls;
    kind = EventKind;
    phase = EventPhase;
    clip = EventClip;
    object = EventObject;
  }
};

TEST_F(ClipLibraryTest, EventClipsDeliverMaskedEventsToASharedCountedHandler) {
  Obj<AnimationClipEvent_I> clip = New<AnimationClipEvent_I>("AnimationClipEvent");
  EXPECT_EQ(clip->GetEventMask(), 1u);
  EXPECT_EQ(clip->GetHandler(), nullptr);
  clip->RaiseEvent(kClipEventStart, 0.0f);  // no handler: nothing
  Ptr<CountingHandler> handler(NewCounted<CountingHandler>());
  clip->SetHandler(handler);
  EXPECT_EQ(BlockRefCount(handler.Get()), 2);
  clip->RaiseEvent(kClipEventRunning, 0.5f);  // not in the mask
  EXPECT_EQ(handler->calls, 0);
  clip->RaiseEvent(kClipEventStart, 0.25f);
  EXPECT_EQ(handler->calls, 1);
  EXPECT_EQ(handler->kind, kClipEventStart);
  EXPECT_EQ(handler->phase, 0.25f);
  EXPECT_EQ(handler->clip, clip.Get());
  EXPECT_EQ(handler->object, NilScriptObject());
  // The copy shares the handler and starts again from mask 1.
  clip->SetEventMask(kClipEventStart | kClipEventEnd);
  Obj<AnimationClip_I> copy = clip->Clone();
  ASSERT_TRUE(copy->IsA(AnimationClipEvent_I::kClassId));
  auto* copied = static_cast<AnimationClipEvent_I*>(copy.Get());
  EXPECT_EQ(copied->GetHandler(), handler.Get());
  EXPECT_EQ(copied->GetEventMask(), 1u);
  EXPECT_EQ(BlockRefCount(handler.Get()), 3);
  clip->SetHandler(nullptr);
  copy.Clear();
  EXPECT_EQ(BlockRefCount(handler.Get()), 1);
}

TEST_F(ClipLibraryTest, LibraryEvaluatesCurvesInSinglePrecisionAndLogsMissingOnes) {
  // Keys one float step apart at 100000: 100000.01 as a float is the middle key exactly.
  Obj<AnimationLibrary_I> lib = Library(0, 1, {{{100000.0f, 0.0f}, {100000.0078125f, 1.0f}, {100000.015625f, 2.0f}}});
  Vector4f out{0, 0, 0, 0};
  lib->Evaluate(0, 100000.01, out);
  EXPECT_EQ(out, (Vector4f{1, 0, 0, 0}));
  // A rotation curve fills all four components.
  Obj<SplineQuaternionf_I> rotation = NewSpline<SplineQuaternionf_I>();
  rotation->AppendKey({0.0f, Quaternionf{0.5f, 0.5f, 0.5f, 0.5f}});
  lib->SetCurve(1, rotation);
  lib->Evaluate(1, 0.0, out = {0, 0, 0, 0});
  EXPECT_TRUE(out.IsEqualEps({0.5f, 0.5f, 0.5f, 0.5f}, 1e-6f));
  EXPECT_EQ(TakeLog(), "");
  // A nil curve and an index past the list: logged, out left as it was.
  lib->SetGroupPort(2, 0);
  for (uint32_t i : {2u, 3u, 0xFFFFFFFFu}) {
    out = {0, 0, 0, 0};
    lib->Evaluate(i, 0.0, out);
    EXPECT_EQ(out, (Vector4f{0, 0, 0, 0}));
    EXPECT_EQ(TakeLog(), "Error AnimationLibrary: index out of range / no curve at given index.\n");
  }
}

}  // namespace
}  // namespace PM::Test
