// Scalar splines: Hermite evaluation with steps, ends and coinciding keys; tangent fits; sorting of
// large key sets; key operations refusing indexes outside the keys.
#include <cmath>

#include "SplineTestSupport.h"

namespace PM::Test {
namespace {

using SplineScalarfTest = EngineClassWorld;

TEST_F(SplineScalarfTest, EvaluatesHermiteSegmentsAndHoldsTheEnds) {
  Obj<SplineScalarf_I> s = SplineOf<SplineScalarf_I, KeyScalarf>({Key1(0, 0), Key1(1, 10)});
  const std::pair<float, float> cases[] = {{0.5f, 5.0f},  {0.25f, 1.5625f}, {-3.0f, 0.0f}, {0.0f, 0.0f},
                                           {1.0f, 10.0f}, {7.0f, 10.0f},    {NAN, 0.0f}};
  for (auto [t, want] : cases) EXPECT_FLOAT_EQ(At(s.Get(), t), want) << t;
  // Through the curve interface, as the animation library calls it.
  float v = 0;
  static_cast<SplineBase_I*>(s.Get())->Evaluate(0.5f, &v);
  EXPECT_FLOAT_EQ(v, 5.0f);
  // Tangents count per whole segment: a doubled duration changes nothing at the same s.
  Obj<SplineScalarf_I> slow = SplineOf<SplineScalarf_I, KeyScalarf>({Key1(0, 0, 0, 4), Key1(2, 10, 4, 0)});
  Obj<SplineScalarf_I> fast = SplineOf<SplineScalarf_I, KeyScalarf>({Key1(0, 0, 0, 4), Key1(1, 10, 4, 0)});
  EXPECT_FLOAT_EQ(At(slow.Get(), 0.6f), At(fast.Get(), 0.3f));
}

TEST_F(SplineScalarfTest, AStepHoldsUntilTheNextKeyTimeWhateverTheKeyCount) {
  for (int n = 2; n <= 4; ++n) {
    SCOPED_TRACE(n);
    Obj<SplineScalarf_I> s = NewSpline<SplineScalarf_I>();
    for (int i = 0; i < n; ++i) s->AppendKey(Key1(float(i), 10.0f * float(i), 0, i == 0 ? 1e30f : 0.0f));
    EXPECT_EQ(At(s.Get(), 0.5f), 0.0f);
    EXPECT_EQ(At(s.Get(), std::nextafter(1.0f, 0.0f)), 0.0f);
    EXPECT_EQ(At(s.Get(), 1.0f), 10.0f);
  }
}

TEST_F(SplineScalarfTest, KeysSharingATimeGiveTheLaterValueAndNoKeysWriteNothing) {
  const std::initializer_list<KeyScalarf> layouts[] = {
      {Key1(0, 0), Key1(1, 5), Key1(1, 7)},
      {Key1(0, 0), Key1(1, 5), Key1(1, 7), Key1(2, 9)},
      {Key1(0, 0), Key1(0.2f, 1), Key1(0.4f, 2), Key1(1, 5), Key1(1, 7), Key1(2, 9)},
      {Key1(1, 5), Key1(1, 7), Key1(2, 9)},
  };
  for (const auto& keys : layouts) {
    Obj<SplineScalarf_I> s = SplineOf<SplineScalarf_I, KeyScalarf>(keys);
    EXPECT_EQ(At(s.Get(), 1.0f), 7.0f) << s->GetKeyCount();
    EXPECT_TRUE(std::isfinite(At(s.Get(), 0.999f)));
  }
  Obj<SplineScalarf_I> empty = NewSpline<SplineScalarf_I>();
  EXPECT_EQ(At(empty.Get(), 1.0f), -99.0f);
  EXPECT_EQ(empty->FindSegment(1.0f), 0);
}

TEST_F(SplineScalarfTest, TangentFitsFollowTheirFormulas) {
  struct Case {
    float v2;
    bool smooth;
    float in1, out1;  // key 1's tangents after the fit
  };
  const Case cases[] = {
      {0.0f, true, 0.0f, 0.0f},          // values 0, 1, 0: (1 - 1/3) * 0
      {4.0f, true, 8.0f / 3, 4.0f / 3},  // values 0, 1, 4
      {4.0f, false, 3.0f, 1.0f},         // linear: V2 - V1, V1 - V0
  };
  for (const Case& c : cases) {
    Obj<SplineScalarf_I> s = SplineOf<SplineScalarf_I, KeyScalarf>({Key1(0, 0), Key1(1, 1), Key1(3, c.v2)});
    c.smooth ? s->ComputeSmoothTangents() : s->ComputeLinearTangents();
    KeyScalarf k;
    EXPECT_FLOAT_EQ(s->GetKey(k, 1).inTangent, c.in1) << c.v2 << c.smooth;
    EXPECT_FLOAT_EQ(k.outTangent, c.out1);
    if (c.smooth && c.v2 == 4.0f) {
      // The end keys: the first gets in V1 - V0 and out 0, the last in 0 and out V2 - V1.
      EXPECT_EQ(s->GetKey(k, 0).inTangent, 1.0f);
      EXPECT_EQ(k.outTangent, 0.0f);
      EXPECT_EQ(s->GetKey(k, 2).inTangent, 0.0f);
      EXPECT_EQ(k.outTangent, 3.0f);
    }
  }
  // One key, and two keys at one time, get finite tangents.
  Obj<SplineScalarf_I> one = SplineOf<SplineScalarf_I, KeyScalarf>({Key1(2, 5, 7, 7)});
  one->ComputeSmoothTangents();
  KeyScalarf k;
  EXPECT_EQ(one->GetKey(k, 0).inTangent, 0.0f);
  EXPECT_EQ(k.outTangent, 0.0f);
  Obj<SplineScalarf_I> same = SplineOf<SplineScalarf_I, KeyScalarf>({Key1(1, 0), Key1(1, 4)});
  same->ComputeSmoothTangents();
  EXPECT_EQ(same->GetKey(k, 0).inTangent, 2.0f);
  EXPECT_EQ(k.outTangent, 2.0f);
}

TEST_F(SplineScalarfTest, SortingMovesWholeKeysAndTakesLargeSetsWithoutDeepRecursion) {
  Obj<SplineScalarf_I> s =
      SplineOf<SplineScalarf_I, KeyScalarf>({Key1(3, 30, 3, 33), Key1(1, 10, 1, 11), Key1(2, 20, 2, 22)});
  s->SortKeys();
  for (int i = 0; i < 3; ++i) {
    KeyScalarf k;
    s->GetKey(k, i);
    EXPECT_EQ(k.time, float(i + 1));
    EXPECT_EQ(k.value, 10.0f * k.time);
    EXPECT_EQ(k.outTangent, 11.0f * k.time);
  }
  constexpr int kN = 100000;
  const std::pair<const char*, float (*)(int)> orders[] = {
      {"sorted", [](int i) { return float(i); }},
      {"reversed", [](int i) { return float(kN - i); }},
      {"equal", [](int) { return 1.0f; }},
  };
  for (auto [name, time] : orders) {
    Obj<SplineScalarf_I> big = NewSpline<SplineScalarf_I>();
    for (int i = 0; i < kN; ++i) big->AppendKey(Key1(time(i), float(i)));
    big->SortKeys();
    const Array<KeyScalarf>& keys = big->Keys();
    ASSERT_EQ(keys.Count(), kN);
    for (int i = 1; i < kN; ++i) ASSERT_LE(keys[i - 1].time, keys[i].time) << name << " at " << i;
  }
  // Bounds outside the keys are clamped; NaN times go last.
  Obj<SplineScalarf_I> c = SplineOf<SplineScalarf_I, KeyScalarf>({Key1(NAN, 0), Key1(5, 0), Key1(-1, 0)});
  c->SortKeyRange(-5, 1000000);
  EXPECT_EQ(c->Keys()[0].time, -1.0f);
  EXPECT_EQ(c->Keys()[1].time, 5.0f);
  EXPECT_TRUE(std::isnan(c->Keys()[2].time));
  EXPECT_EQ(TakeLog(), "");
}

TEST_F(SplineScalarfTest, KeyOperationsRefuseIndexesOutsideTheKeys) {
  Obj<SplineScalarf_I> s = SplineOf<SplineScalarf_I, KeyScalarf>({Key1(0, 1), Key1(1, 2)});
  KeyScalarf k = Key1(9, 9, 9, 9);
  s->GetKey(k, 2);
  EXPECT_EQ(k.value, 9.0f);  // untouched
  s->SetKey(-1, Key1(0, 0));
  s->RemoveKey(5);
  s->InsertKey(3, Key1(0, 0));
  EXPECT_EQ(TakeLog(),
            "Error SplineScalarf::GetKey: key 2 is outside the 2 keys.\n"
            "Error SplineScalarf::SetKey: key -1 is outside the 2 keys.\n"
            "Error SplineScalarf::RemoveKey: key 5 is outside the 2 keys.\n"
            "Error SplineScalarf::InsertKey: key 3 is outside the 2 keys.\n");
  EXPECT_EQ(s->GetKeyCount(), 2);
  s->InsertKey(2, Key1(2, 3));  // at the count: appends
  s->InsertKey(0, Key1(-1, 0));
  s->RemoveKey(1);
  const float times[] = {-1, 1, 2};
  for (int i = 0; i < 3; ++i) EXPECT_EQ(s->Keys()[i].time, times[i]);
  // Key times through the member: remove to the end with -1; reads past the end are 0.
  MemberRemove(s.Get(), 0x01FFF095, 1, -1);
  EXPECT_EQ(s->GetKeyCount(), 1);
  EXPECT_EQ(MemberGetAt<VF32>(s.Get(), 0x01FFF095, 4), 0.0f);
  EXPECT_EQ(TakeLog(), "");
}

}  // namespace
}  // namespace PM::Test
