// Vector splines (per-component steps, assembly from scalar splines, cloning), the 3-vector path
// operations and the rotation spline.
#include <cmath>
#include <cstring>
#include <limits>

#include "SplineTestSupport.h"

namespace PM::Test {
namespace {

using SplineVectorTest = EngineClassWorld;

Vector3f Eval3(SplineVector3f_I* s, float t) {
  Vector3f v{-9, -9, -9};
  s->Evaluate(t, &v.x);
  return v;
}

TEST_F(SplineVectorTest, StepsHoldPerComponent) {
  Obj<SplineVector3f_I> s = SplineOf<SplineVector3f_I, KeyVector3f>(
      {Key3(0, {0, 0, 0}, kZeroVector3f, {1e30f, 0, 0}), Key3(1, {10, 10, 10})});
  Vector3f v = Eval3(s.Get(), 0.5f);
  EXPECT_EQ(v.x, 0.0f);
  EXPECT_FLOAT_EQ(v.y, 5.0f);
  EXPECT_FLOAT_EQ(v.z, 5.0f);
  EXPECT_EQ(Eval3(s.Get(), 1.0f).x, 10.0f);
}

TEST_F(SplineVectorTest, AssemblesFromScalarSplines) {
  struct Case {
    int xCount, yCount;
    float yTime1;
    bool ok;
    int keys;
    const char* log;
  };
  const Case cases[] = {
      {2, 2, 1.00005f, true, 2, ""},
      {2, 2, 1.001f, false, 2, "Error SplineVector2f_I(): individual SplineScalarf have different key times.\n"},
      {2, 3, 1.0f, false, 0, "Error SplineVector2f_I(): individual SplineScalarf have different number of keys.\n"},
      {2, 0, 1.0f, false, 0, "Error SplineVector2f_I(): individual SplineScalarf have different number of keys.\n"},
  };
  for (const Case& c : cases) {
    Obj<SplineScalarf_I> x = NewSpline<SplineScalarf_I>(), y = NewSpline<SplineScalarf_I>();
    for (int i = 0; i < c.xCount; ++i) x->AppendKey(Key1(float(i), float(i), 0.5f, 1.5f));
    for (int i = 0; i < c.yCount; ++i) y->AppendKey(Key1(i == 1 ? c.yTime1 : float(i), 10.0f + float(i), 2.5f, 3.5f));
    Obj<SplineVector2f_I> v = SplineOf<SplineVector2f_I, KeyVector2f>({{7, {1, 1}, {}, {}}});
    EXPECT_EQ(v->SetFromScalarSplines(x.Get(), c.yCount ? y.Get() : nullptr), c.ok) << c.yTime1;
    EXPECT_EQ(v->GetKeyCount(), c.keys);
    EXPECT_EQ(TakeLog(), c.log);
    if (c.keys) {
      const KeyVector2f& k = v->Keys()[1];
      EXPECT_EQ(k.time, 1.0f);
      EXPECT_EQ(k.value.x, 1.0f);
      EXPECT_EQ(k.value.y, 11.0f);
      EXPECT_EQ(k.inTangent.y, 2.5f);
      EXPECT_EQ(k.outTangent.x, 1.5f);
    }
  }
  // A nil part counts as a spline without keys.
  Obj<SplineVector4f_I> v4 = NewSpline<SplineVector4f_I>();
  auto* nil = static_cast<SplineScalarf_I*>(NilScriptObject());
  EXPECT_TRUE(v4->SetFromScalarSplines(nil, nullptr, nil, nullptr));
  EXPECT_EQ(TakeLog(), "");
}

TEST_F(SplineVectorTest, CloneCopiesEveryKeyAndKeyTimeRemovalDoesNothing) {
  Obj<SplineVector3f_I> s = SplineOf<SplineVector3f_I, KeyVector3f>(
      {Key3(0, {1, 2, 3}, {4, 5, 6}, {7, 8, 9}), Key3(2, {-1, -2, -3}, {1e30f, 0, 1}, {0.5f, 0, 0})});
  Obj<SplineVector3f_I> c(static_cast<SplineVector3f_I*>(ScriptObject::Clone(s.Get())));
  ASSERT_EQ(c->GetKeyCount(), 2);
  for (int i = 0; i < 2; ++i) EXPECT_EQ(std::memcmp(&c->Keys()[i], &s->Keys()[i], sizeof(KeyVector3f)), 0) << i;
  MemberRemove(s.Get(), 0x01FFF095, 0, -1);
  EXPECT_EQ(s->GetKeyCount(), 2);
  MemberRemove(s.Get(), 0x01FFF098, 1, -1);  // KeyValue's remove takes whole keys
  EXPECT_EQ(s->GetKeyCount(), 1);
}

class SplinePathTest : public EngineClassWorld {
 protected:
  // Keys at times 0 and 2 at (0,0,0) and (10,0,0), both tangents (10,0,0): a straight line at speed 10.
  Obj<SplineVector3f_I> Line() {
    return SplineOf<SplineVector3f_I, KeyVector3f>(
        {Key3(0, {0, 0, 0}, {10, 0, 0}, {10, 0, 0}), Key3(2, {10, 0, 0}, {10, 0, 0}, {10, 0, 0})});
  }
  static void ExpectLine(SplineVector3f_I* s) {
    EXPECT_NEAR(s->GetSegmentLength(0), 10.0f, 1e-5f);
    EXPECT_NEAR(s->GetLength(), 10.0f, 1e-5f);
    EXPECT_NEAR(s->GetArcLength(0, 1), 5.0f, 1e-5f);
    EXPECT_NEAR(s->GetArcLength(-5, 50), 10.0f, 1e-5f);
    EXPECT_EQ(s->GetArcLength(1, 1), 0.0f);
    EXPECT_EQ(s->GetArcLength(1, 0), 0.0f);
    const std::pair<float, float> at[] = {{2.5f, 2.5f}, {10.0f, 10.0f}, {50.0f, 10.0f}, {-1.0f, 0.0f}, {NAN, 0.0f}};
    for (auto [d, x] : at) {
      Vector3f p{-9, -9, -9};
      s->EvaluateAtLength(p, d);
      EXPECT_NEAR(p.x, x, 1e-4f) << d;
      EXPECT_EQ(p.y, 0.0f);
    }
  }
};

TEST_F(SplinePathTest, LengthsAndPointsAtDistancesOfAStraightPath) {
  Obj<SplineVector3f_I> s = Line();
  ExpectLine(s.Get());
  EXPECT_NEAR(s->GetSpeed(1.0f), 10.0f, 1e-5f);
  // Key 0's in-tangent is not part of the drawn curve, so none of this changes.
  KeyVector3f k;
  s->GetKey(k, 0);
  k.inTangent = {100, 100, 100};
  s->SetKey(0, k);
  ExpectLine(s.Get());
  // The cached lengths follow a key change.
  MemberSetAt<VVector3f>(s.Get(), 0x01FFF098, 1, Vector3f{20, 0, 0});
  EXPECT_GT(s->GetLength(), 12.0f);
}

TEST_F(SplinePathTest, TheDerivativeIsZeroWhereTheCurveDoesNotMove) {
  Obj<SplineVector3f_I> s = SplineOf<SplineVector3f_I, KeyVector3f>(
      {Key3(0, {0, 0, 0}, {}, {3, 1e30f, 0}), Key3(1, {1, 5, 0}, {3, 0, 0}), Key3(1, {2, 5, 0}), Key3(2, {3, 5, 0})});
  const float zeroAt[] = {-1.0f, 2.0f, 5.0f, NAN};
  for (float t : zeroAt) EXPECT_EQ(s->GetSpeed(t), 0.0f) << t;
  Vector3f d;
  s->EvaluateDerivative(d, 0.25f);
  EXPECT_EQ(d.y, 0.0f);                     // the step component has no speed
  EXPECT_NEAR(d.x, 0.75f, 1e-6f);           // 3a s^2 + 2b s + g with D = 1, g = h' = 3: a = 4, b = -6
  EXPECT_EQ(s->GetSegmentLength(1), 0.0f);  // two keys at one time
  EXPECT_EQ(s->GetSegmentLength(3), 0.0f);
  EXPECT_EQ(TakeLog(), "Error SplineVector3f::GetSegmentLength: segment 3 is outside the 3 segments.\n");
  for (int n = 0; n < 2; ++n) {
    Obj<SplineVector3f_I> few = NewSpline<SplineVector3f_I>();
    if (n) few->AppendKey(Key3(0, {1, 2, 3}));
    EXPECT_EQ(few->GetLength(), 0.0f);
    EXPECT_EQ(few->GetSpeed(0.0f), 0.0f);
    Vector3f p{-9, -9, -9};
    few->EvaluateAtLength(p, 0.0f);
    EXPECT_EQ(p.x, n ? 1.0f : -9.0f);
  }
}

TEST_F(SplinePathTest, ABentSegmentMatchesAFinePolyline) {
  Obj<SplineVector3f_I> s = SplineOf<SplineVector3f_I, KeyVector3f>(
      {Key3(0, {0, 0, 0}, {}, {20, 30, -5}), Key3(3, {10, 0, 4}, {-25, 10, 15})});
  constexpr int kPoints = 10000;
  double polyline = 0;
  Vector3f prev = Eval3(s.Get(), 0.0f);
  for (int i = 1; i < kPoints; ++i) {
    Vector3f p = Eval3(s.Get(), 3.0f * float(i) / float(kPoints - 1));
    polyline += prev.Distance(p);
    prev = p;
  }
  EXPECT_NEAR(s->GetLength() / polyline, 1.0, 1e-4);
  EXPECT_NEAR((s->GetArcLength(0, 1.5f) + s->GetArcLength(1.5f, 3)) / polyline, 1.0, 1e-4);
}

using SplineRotationTest = EngineClassWorld;

Quaternionf AboutZ(float degrees) {
  Quaternionf q;
  q.SetAxisAngle({0, 0, 1}, degrees * 0.017453292f);
  return q;
}

TEST_F(SplineRotationTest, InterpolatesAlongTheShorterArc) {
  const Quaternionf q90 = AboutZ(90);
  const Quaternionf negated{-q90.x, -q90.y, -q90.z, -q90.w};
  for (const Quaternionf& end : {q90, negated}) {
    Obj<SplineQuaternionf_I> s = SplineOf<SplineQuaternionf_I, KeyQuaternionf>({{0, kIdentityQuaternionf}, {2, end}});
    Quaternionf q;
    s->Evaluate(q, 1.0f);
    const Quaternionf want = AboutZ(45);
    EXPECT_NEAR(std::fabs(q.Dot(want)), 1.0f, 1e-6f);
    EXPECT_GT(q.w, 0.0f);  // the shorter arc from the identity
    // Through the curve interface it fills x, y, z, w.
    Vector4f v{};
    static_cast<SplineBase_I*>(s.Get())->Evaluate(1.0f, &v.x);
    EXPECT_EQ(v.z, q.z);
    EXPECT_EQ(v.w, q.w);
  }
  // A zero key reads as the identity and the path stays finite.
  Obj<SplineQuaternionf_I> z = SplineOf<SplineQuaternionf_I, KeyQuaternionf>({{0, {0, 0, 0, 0}}, {1, q90}});
  for (float t : {0.0f, 0.3f, 1.0f}) {
    Quaternionf q;
    z->Evaluate(q, t);
    EXPECT_TRUE(std::isfinite(q.x) && std::isfinite(q.w)) << t;
  }
  Quaternionf q;
  z->Evaluate(q, 0.0f);
  EXPECT_EQ(q.w, 1.0f);
  // No keys leave the output alone; key times grow the spline with identity keys.
  Obj<SplineQuaternionf_I> empty = NewSpline<SplineQuaternionf_I>();
  q = {5, 5, 5, 5};
  empty->Evaluate(q, 0.0f);
  EXPECT_EQ(q.x, 5.0f);
  MemberSetAt<VF32>(empty.Get(), 0x01FFF095, 1, 0.5f);
  EXPECT_EQ(empty->GetKeyCount(), 2);
  EXPECT_EQ(empty->Keys()[0].value.w, 1.0f);
  MemberRemove(empty.Get(), 0x01FFF095, 0, 1);
  EXPECT_EQ(empty->GetKeyCount(), 1);
}

// Keys are normalised as 4-vectors before the interpolation: unit keys and keys inside the unit band as
// they are, others scaled, zero and non-finite ones the identity; every bit as Quaternionf's own steps.
TEST_F(SplineRotationTest, KeysAreNormalisedBitForBitAsFourVectors) {
  const float inf = std::numeric_limits<float>::infinity(), nan = std::numeric_limits<float>::quiet_NaN();
  const Quaternionf q = AboutZ(70), r{0.1f, 0.7f, -0.2f, 0.5f};
  auto scaled = [](const Quaternionf& v, float f) { return Quaternionf{v.x * f, v.y * f, v.z * f, v.w * f}; };
  const Quaternionf keys[] = {q,
                              scaled(q, 1.0000001f),
                              scaled(q, 0.9999999f),
                              scaled(q, 1.001f),
                              r,
                              scaled(r, 3e-19f),
                              scaled(r, 2e19f),
                              {0, 0, 0, 0},
                              {inf, 0, 0, 1},
                              {0, nan, 0, 1}};
  auto unit = [](Quaternionf v) {
    const float l2 = v.Dot(v);
    if (!(l2 > 0.0f) || !std::isfinite(l2)) return kIdentityQuaternionf;
    v.Normalize();
    return v;
  };
  for (const Quaternionf& a : keys)
    for (const Quaternionf& b : keys) {
      Obj<SplineQuaternionf_I> s = SplineOf<SplineQuaternionf_I, KeyQuaternionf>({{1, a}, {3, b}});
      for (float t : {0.0f, 1.5f, 2.0f, 2.75f, 3.0f}) {
        Quaternionf got, want;
        s->Evaluate(got, t);
        if (t <= 1.0f || t >= 3.0f)
          want = unit(t <= 1.0f ? a : b);
        else
          want.SetSlerp(unit(a), unit(b), (t - 1.0f) / 2.0f, 1);
        EXPECT_EQ(std::memcmp(&got, &want, sizeof got), 0) << "t " << t;
      }
    }
}

TEST_F(SplineRotationTest, WritesIntoVector4fMembersOnly) {
  Obj<SplineQuaternionf_I> s = SplineOf<SplineQuaternionf_I, KeyQuaternionf>({{0, AboutZ(90)}});
  Obj<SplineVector4f_I> target = NewSpline<SplineVector4f_I>();
  s->EvaluateToIndexedMember(0.0f, 0.0f, target.Get(), 0x01FFF099, 2);
  ASSERT_EQ(target->GetKeyCount(), 3);
  EXPECT_NEAR(target->Keys()[2].value.z, std::sqrt(0.5f), 1e-6f);
  EXPECT_EQ(TakeLog(), "");
  s->EvaluateToIndexedMember(0.0f, 0.0f, target.Get(), 0x01FFF095, 0);  // KeyTime is F32
  s->EvaluateToMember(0.0f, 0.0f, target.Get(), 0x01FFF095);
  EXPECT_EQ(target->Keys()[0].time, 0.0f);
  const std::string log = TakeLog();
  EXPECT_NE(log.find("Error ScriptObject::Set: member \"KeyTime\""), std::string::npos) << log;
  EXPECT_EQ(std::count(log.begin(), log.end(), '\n'), 2);
}

}  // namespace
}  // namespace PM::Test
