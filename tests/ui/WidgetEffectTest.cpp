// Effects blending widget members between keyframes, handlers' default callback, and the transform
// widget's local matrix, layout and hit test.
#include <cmath>
#include <limits>

#include "InputFixture.h"
#include "ui/WEffect.h"
#include "ui/WEvent.h"
#include "ui/WTransform.h"
#include "ui/WidgetTLS.h"

namespace PM::Test {
namespace {

class EffectTest : public InputTest {
 protected:
  WEffect_I* EffectOn(Widget_I* owner) {
    auto* e = static_cast<WEffect_I*>(MakeOf(ClassId::WEffect, "fx"));
    owner->SetEffect(owner->m_effectArray.Count(), e);
    return e;
  }
};

TEST_F(EffectTest, BlendMovesAtItsRateAndFinishesOneUpdateAfterArrival) {
  ElementWidget* w = Place("w", 0, 0, 10, 10);
  Watch(w, {kWEventEffectFinished});
  WEffect_I* e = EffectOn(w);
  MemberSet<VI32>(e, 0x01FFF0C4, -3);
  EXPECT_EQ(e->m_blendTo, 0);
  e->Update(10.0);  // a new effect jumps to its target
  EXPECT_EQ(e->m_blendCurrent, 0.0f);
  e->Update(10.0);
  EXPECT_EQ(Calls(), "w:EffectFinished");
  e->m_blendTime = 2;
  MemberSet<VI32>(e, 0x01FFF0C4, 1);
  const struct {
    double time;
    float current;
    const char* calls;
  } steps[] = {
      {20.0, 1.0f / 65536 / 2, ""},  // the first step after a restart is capped
      {20.5, 1.0f / 65536 / 2 + 0.25f, ""}, {21.0, 1.0f / 65536 / 2 + 0.5f, ""},
      {21.5, 1.0f / 65536 / 2 + 0.75f, ""}, {22.0, 1.0f, ""},
      {22.5, 1.0f, "w:EffectFinished"},     {23.0, 1.0f, ""},
  };
  for (const auto& s : steps) {
    e->Update(s.time);
    EXPECT_FLOAT_EQ(e->m_blendCurrent, s.current) << s.time;
    EXPECT_EQ(Calls(), s.calls) << s.time;
  }
  e->m_blendTime = 0;  // jumps
  MemberSet<VI32>(e, 0x01FFF0C4, 0);
  e->Update(24.0);
  EXPECT_EQ(e->m_blendCurrent, 0.0f);
}

TEST_F(EffectTest, KeyframesWriteTheOwnerThroughItsMembers) {
  ElementWidget* w = Place("w", 0, 0, 10, 10);
  ElementWidget* child = Place("child", 0, 0, 5, 5, w);
  w->m_widgetArray.Append(Obj<Widget_I>());  // a nil entry is passed over
  WEffect_I* e = EffectOn(w);
  e->m_position = {{0, 0, 0}, {10, 0, 0}, {30, 0, 0}};
  e->m_visibility = {1, 1, 0};
  e->m_branchColor = {{1, 1, 1, 0}, {1, 1, 1, 0.5f}, {1, 1, 1, 1}};
  const struct {
    float current;
    float x, alpha;
    uint32_t visibility, childInput;
  } rows[] = {{2.0f, 30, 1, 0, 1}, {1.5f, 20, 0.75f, 1, 0}, {0.0f, 0, 0, 1, 0}, {1.0f, 10, 0.5f, 1, 0}};
  TakeLog();
  for (const auto& r : rows) {
    e->m_blendCurrent = r.current;
    e->m_blendTo = int32_t(r.current);
    e->Commit();
    EXPECT_EQ(w->m_layout.position.x, r.x) << r.current;
    EXPECT_EQ(w->m_branchColor.w, r.alpha) << r.current;
    EXPECT_EQ(w->m_layout.visibility, r.visibility) << r.current;
    EXPECT_EQ(child->m_layout.inputVisibility, r.childInput) << r.current;
  }
  EXPECT_EQ(TakeLog(), "");
}

TEST_F(EffectTest, ShowAndHideThroughAHandler) {
  ElementWidget* w = Place("w", 0, 0, 10, 10);
  ElementWidget* button = Place("button", 20, 20, 10, 10);
  WEffect_I* e = EffectOn(w);
  e->m_visibility = {0, 1};
  e->m_blendTime = 0;
  AddHandler(button, kWEventMouseLeftDown, e, kWEventShowWidget);
  AddHandler(button, kWEventMouseRightDown, e, kWEventHideWidget);
  Frame(25, 25, 1);  // the pass updates the effects it met
  EXPECT_EQ(e->m_blendCurrent, 1.0f);
  EXPECT_EQ(w->m_layout.visibility, 1u);
  Frame(25, 25, 0);
  Frame(25, 25, 2);
  EXPECT_EQ(w->m_layout.visibility, 0u);
}

TEST_F(EffectTest, UnusableBlendValuesJumpToTheTarget) {
  ElementWidget* w = Place("w", 0, 0, 10, 10);
  WEffect_I* e = EffectOn(w);
  e->m_position = {{0, 0, 0}, {10, 0, 0}};
  const float nan = std::numeric_limits<float>::quiet_NaN(), inf = std::numeric_limits<float>::infinity();
  const struct { float current, time; } rows[] = {{nan, 1}, {1e30f, 1}, {-inf, 1}, {0.0f, nan}, {0.0f, inf}};
  for (const auto& r : rows) {
    e->m_blendCurrent = r.current;
    e->m_blendTime = r.time;
    MemberSet<VI32>(e, 0x01FFF0C4, 1);
    e->Update(1.0);
    e->Update(2.0);
    EXPECT_EQ(e->m_blendCurrent, 1.0f) << r.current << ' ' << r.time;
    EXPECT_EQ(w->m_layout.position.x, 10.0f);
  }
}

TEST_F(EffectTest, WithoutOwnerUpdateWarnsAndCommitErrs) {
  auto* e = static_cast<WEffect_I*>(MakeOf(ClassId::WEffect, "lone"));
  TakeLog();
  e->Update(1.0);
  e->Commit();
  EXPECT_EQ(TakeLog(), "Warn  WEffect: \"lone\" has no owner.\nError WEffect_D: \"lone\" has no owner for Commit().\n");
}

TEST_F(EffectTest, NewHandlersServeTheThreadsDefaultCallback) {
  auto* h0 = static_cast<WHandler_I*>(MakeOf(ClassId::WHandler));
  EXPECT_TRUE(IsNilObject(h0->m_destination.Get()));
  MemberSet<VObject>(callback, 0x01FFF0D6, callback);
  EXPECT_EQ(WidgetTLS::Get().defaultCallback.Get(), callback);
  EXPECT_EQ(MemberGet<VObject>(callback, 0x01FFF0D6), callback);
  auto* h1 = static_cast<WHandler_I*>(MakeOf(ClassId::WKeyHandler));
  EXPECT_EQ(h1->m_destination.Get(), callback);
  MemberSet<VObject>(callback, 0x01FFF0D6, root);  // not a callback: reported, nil stored
  EXPECT_TRUE(IsNilObject(WidgetTLS::Get().defaultCallback.Get()));
  EXPECT_NE(TakeLog().find("ExpectFailed"), std::string::npos);
  ExitWidgetTLS();
}

using WTransformTest = InputTest;

TEST_F(WTransformTest, LocalMatrixScalesAndRotatesAboutThePivots) {
  auto* t = static_cast<WTransform_I*>(MakeOf(ClassId::WTransform));
  MemberSet<VVector3f>(t, 0x04FFF0DF, Vector3f{2, 2, 1});
  MemberSet<VVector3f>(t, 0x05FFF0DF, Vector3f{10, 10, 0});
  Vector3f p;
  TransformPoint(p, {10, 10, 0}, t->LocalMatrix());
  EXPECT_EQ(p, (Vector3f{10, 10, 0}));
  TransformPoint(p, {11, 10, 0}, t->LocalMatrix());
  EXPECT_EQ(p, (Vector3f{12, 10, 0}));
  MemberSet<VVector3f>(t, 0x01FFF0DF, Vector3f{0, 0, 90});
  MemberSet<VVector3f>(t, 0x03FFF0DF, Vector3f{10.5f, 10.5f, 0});
  const Matrix4f& m = t->LocalMatrix();
  for (int i = 12; i < 15; ++i) EXPECT_EQ(m.m[i], std::floor(m.m[i]));
  MemberSet<VEnum>(t, 0x02FFF0DF, 0x06FFF038);  // ZYX
  EXPECT_EQ(t->RotationOrderNumber(), 5);
}

TEST_F(WTransformTest, RotatedChildHitsWhereItIsDrawn) {
  auto* t = static_cast<WTransform_I*>(MakeOf(ClassId::WTransform, "t"));
  t->SetParent(root);
  t->m_layout.alignmentModeX = t->m_layout.alignmentModeY = kAlignMin;
  t->m_layout.position = {100, 100, 0};
  t->m_layout.dimension = {100, 20, 0};
  t->SetRotation({0, 0, 30});
  ElementWidget* bar = Place("bar", 0, 0, 100, 20, t);
  Watch(bar, {kWEventFocus});
  // (60, 10) of the bar, turned 30 degrees anticlockwise, lies at (47, 38.7): above the unrotated bar.
  Frame(100 + 47, 100 + 38);
  EXPECT_EQ(Calls(), "bar:Focus");
  Frame(100 + 60, 100 + 5);  // inside the unrotated rectangle, outside the rotated one
  EXPECT_EQ(Calls(), "");
  EXPECT_EQ(engine.quads.size(), 2u);  // the root and the bar; the transform draws nothing itself
}

TEST_F(WTransformTest, RaysAlongThePlaneOrOntoAFlatWidgetMeetNothing) {
  ElementWidget* w = Place("w", 0, 0, 100, 100);
  DrawWindow();
  WidgetInput r;
  r.rayOrigin = {-150, -110, 1};
  r.rayDirection = {1, 0, 0};
  Vector3f p{7, 7, 7};
  r.ProjectRay(&p, &w->m_layout);
  EXPECT_EQ(p, (Vector3f{0, 0, 0}));
  EXPECT_EQ(r.HitTest(&w->m_layout), 0);
  r.rayDirection = {0, 0, -1};
  r.ProjectRay(&p, &w->m_layout);
  EXPECT_EQ(p, (Vector3f{10, 10, 0}));
  r.dragRayOrigin = {-140, -110, 5};
  r.dragRayDirection = {0, 0, -2};
  r.ProjectDragRay(&p, &w->m_layout);
  EXPECT_EQ(p, (Vector3f{20, 10, 0}));
  w->m_layout.world.m[0] = 0;  // scaled to nothing in x
  w->m_layout.inverseValid = 0;
  r.ProjectRay(&p, &w->m_layout);
  EXPECT_EQ(p, (Vector3f{0, 0, 0}));
  EXPECT_EQ(r.HitTest(&w->m_layout), 0);
}

}  // namespace
}  // namespace PM::Test
