// Curves played forward start their key search where the last one ended: every value must match the
// binary search bit for bit, on keys in order or not, with shared key times, steps, edits between
// evaluations and times that jump, repeat, go back or are not numbers. Segments are evaluated all
// components at once, bit for bit as one component at a time.
#include <cmath>
#include <cstring>
#include <limits>
#include <vector>

#include "SplineTestSupport.h"

namespace PM::Test {
namespace {

using KeyCursorTest = EngineClassWorld;

constexpr float kNaN = std::numeric_limits<float>::quiet_NaN();
constexpr float kInf = std::numeric_limits<float>::infinity();

// A walk through the curve's times: forward in small steps (the players' pattern, two clips apart),
// back, onto key times exactly, past both ends, and times that compare false with everything.
std::vector<float> Walk() {
  std::vector<float> ts;
  for (int i = -4; i < 140; ++i) {
    ts.push_back(float(i) * 0.05f);
    ts.push_back(float(i) * 0.05f - 0.3f);
  }
  const float odd[] = {3.0f, 1.0f, 2.0f, 2.0f, 0.0f, -0.0f, 6.5f, kNaN, 2.5f, kInf, -kInf, 1.5f, 4.0f, 0.5f};
  ts.insert(ts.end(), std::begin(odd), std::end(odd));
  for (int i = 120; i >= -4; --i) ts.push_back(float(i) * 0.05f);
  return ts;
}

// Evaluates `s` along the walk (twice: the second pass meets a warmed cursor) and compares every value
// with the binary search's.
template <class T, class Key>
void ExpectBinarySearchValues(T* s, const char* what, const std::vector<float>& times = Walk()) {
  SCOPED_TRACE(what);
  constexpr int kWidth = int(sizeof(Key::value) / sizeof(float));
  for (int pass = 0; pass < 2; ++pass)
    for (float t : times) {
      const Array<Key>& keys = s->Keys();
      float got[4] = {-9, -9, -9, -9}, want[4] = {-9, -9, -9, -9};
      s->Evaluate(t, got);
      if (!keys.IsEmpty()) EvaluateLocated(keys.begin(), t, LocateTime(keys.begin(), keys.Count(), t), want);
      ASSERT_EQ(std::memcmp(got, want, sizeof(float) * kWidth), 0) << "t " << t << " pass " << pass;
    }
}

KeyVector3f K3(float t, float v, float out = 0.0f) { return Key3(t, {v, -v, 2 * v}, {1, 0, -1}, {out, 1, 0}); }

TEST_F(KeyCursorTest, ValuesMatchTheBinarySearchOnEveryKeyShape) {
  struct Case {
    const char* what;
    std::vector<KeyVector3f> keys;
  };
  const Case cases[] = {
      {"keys in order", {K3(0, 1), K3(1, 3), K3(2, -2), K3(3, 5), K3(4, 0), K3(5, 7)}},
      {"shared key times", {K3(0, 1), K3(1, 3), K3(1, 4), K3(1, 6), K3(2, 0), K3(2, 9), K3(3, 1)}},
      {"steps", {K3(0, 1, kInf), K3(1, 3), K3(2, -2, 1e30f), K3(3, 5)}},
      {"keys out of order", {K3(0, 1), K3(3, 3), K3(1, -2), K3(2, 5), K3(5, 0), K3(4, 7)}},
      {"a key time that is not a number", {K3(0, 1), K3(1, 3), K3(kNaN, -2), K3(3, 5), K3(4, 0)}},
      {"a zero-length segment between", {K3(0, 1), K3(2, 3), K3(2, 3), K3(4, 2)}},
      {"one key", {K3(1, 2)}},
      {"two keys", {K3(0, 1), K3(2, 3)}},
      {"keys at infinities", {K3(-kInf, 1), K3(0, 3), K3(1, 2), K3(kInf, 4)}},
  };
  for (const Case& c : cases) {
    Obj<SplineVector3f_I> s = NewSpline<SplineVector3f_I>();
    for (const KeyVector3f& k : c.keys) s->AppendKey(k);
    ExpectBinarySearchValues<SplineVector3f_I, KeyVector3f>(s.Get(), c.what);
  }
}

// Many keys, some sharing a time, read at times that jump anywhere (the animation of a crowd sampled out of
// order): the search over keys known in order must land where the binary search does, at key times too.
TEST_F(KeyCursorTest, TimesThatJumpAboutMatchTheBinarySearchOverManyKeys) {
  unsigned seed = 99;
  auto next = [&seed] { return float((seed = seed * 1103515245u + 12345u) >> 8 & 0xFFFF) / 65536.0f; };
  for (int n : {2, 3, 4, 5, 64, 257}) {
    Obj<SplineVector3f_I> s = NewSpline<SplineVector3f_I>();
    float t = -3.0f;
    std::vector<float> times;
    for (int i = 0; i < n; ++i) {
      if (next() > 0.2f) t += 0.25f + next();  // else the key shares the time of the one before
      s->AppendKey(K3(t, next() * 8 - 4, next()));
      times.push_back(t);
    }
    for (int i = 0; i < 4 * n; ++i) times.push_back(-4.0f + (t + 5.0f) * next());
    for (int i = 0; i < n; i += 3) times.push_back(times[size_t(i)]);
    times.push_back(kNaN);
    ExpectBinarySearchValues<SplineVector3f_I, KeyVector3f>(s.Get(), "jumps", times);
  }
}

TEST_F(KeyCursorTest, EditsBetweenEvaluationsAreSeen) {
  Obj<SplineVector3f_I> s = SplineOf<SplineVector3f_I, KeyVector3f>({K3(0, 1), K3(1, 3), K3(2, -2), K3(3, 5)});
  ExpectBinarySearchValues<SplineVector3f_I, KeyVector3f>(s.Get(), "warmed on keys in order");
  // A key time moved out of order through the key-time member, then put back by sorting.
  s->SetKeyTime(kMemberSplineKeyTime, 1, 2.5f);
  ExpectBinarySearchValues<SplineVector3f_I, KeyVector3f>(s.Get(), "a key time moved out of order");
  s->SortKeys();
  ExpectBinarySearchValues<SplineVector3f_I, KeyVector3f>(s.Get(), "sorted again");
  s->InsertKey(0, K3(9, 4));
  ExpectBinarySearchValues<SplineVector3f_I, KeyVector3f>(s.Get(), "a late key inserted first");
  s->RemoveKey(0);
  s->AppendKey(K3(6, 8));
  ExpectBinarySearchValues<SplineVector3f_I, KeyVector3f>(s.Get(), "removed and appended");
  while (s->GetKeyCount() > 0) s->RemoveKey(0);
  ExpectBinarySearchValues<SplineVector3f_I, KeyVector3f>(s.Get(), "no keys");
}

TEST_F(KeyCursorTest, OtherKeyTypesShareTheSearch) {
  Obj<SplineScalarf_I> scalar = SplineOf<SplineScalarf_I, KeyScalarf>(
      {Key1(0, 0, 0, 4), Key1(1, 10, 4, 0), Key1(1, 2), Key1(3, 7, 1, 1), Key1(4, -1)});
  ExpectBinarySearchValues<SplineScalarf_I, KeyScalarf>(scalar.Get(), "scalar");
  Obj<SplineQuaternionf_I> rotation = NewSpline<SplineQuaternionf_I>();
  const float kAngles[] = {0.0f, 1.0f, 2.5f, 0.5f, 3.0f};
  for (int i = 0; i < 5; ++i)
    rotation->AppendKey({float(i), Quaternionf{0, std::sin(kAngles[i] / 2), 0, std::cos(kAngles[i] / 2)}});
  ExpectBinarySearchValues<SplineQuaternionf_I, KeyQuaternionf>(rotation.Get(), "rotation");
}

// One component at a time, as the segments were first written: the reference of the wide evaluation.
template <class V>
void ComponentHermite(const KeyOf<V>* k, float s, float* out) {
  const float s2 = s * s, s3 = s2 * s;
  const float wa = 2.0f * s3 - 3.0f * s2 + 1.0f, wg = s3 - 2.0f * s2 + s, wb = 3.0f * s2 - 2.0f * s3, wh = s3 - s2;
  const float *a = Components(k[0].value), *g = Components(k[0].outTangent);
  const float *b = Components(k[1].value), *h = Components(k[1].inTangent);
  for (int c = 0; c < kSplineWidth<V>; ++c)
    out[c] = g[c] >= kStepTangent ? a[c] : wa * a[c] + wg * g[c] + wb * b[c] + wh * h[c];
}

template <class V>
void ExpectComponentValues(unsigned seed) {
  constexpr int kWidth = kSplineWidth<V>;
  const float special[] = {kInf, -kInf, kNaN, 1e30f, 1e-40f, -0.0f};
  for (int round = 0; round < 200; ++round) {
    KeyOf<V> k[2];
    for (KeyOf<V>& key : k) {
      for (V* f : {&key.value, &key.inTangent, &key.outTangent})
        for (int c = 0; c < kWidth; ++c) {
          seed = seed * 1103515245u + 12345u;
          Components(*f)[c] =
              (seed >> 28) == 0 ? special[(seed >> 8) % 6] : float(int(seed >> 9 & 0xFFFF) - 32768) / 999.0f;
        }
    }
    k[1].time = 1.0f;
    for (float s : {0.0f, 0.125f, 0.3333333f, 0.5f, 0.9f, 1.0f}) {
      float got[5] = {7, 7, 7, 7, 7}, want[5] = {7, 7, 7, 7, 7};
      HermiteSegment(k, s, got);
      ComponentHermite(k, s, want);
      // Bit for bit, and nothing written past the width; a NaN's sign and payload follow the order
      // in which the compiler takes the operands, which the source never fixed.
      for (int c = 0; c < 5; ++c)
        ASSERT_TRUE((std::isnan(got[c]) && std::isnan(want[c])) || std::memcmp(got + c, want + c, sizeof(float)) == 0)
            << "round " << round << " s " << s << " component " << c << ": " << got[c] << " vs " << want[c];
    }
  }
}

TEST_F(KeyCursorTest, WideSegmentsMatchOneComponentAtATime) {
  ExpectComponentValues<float>(1);
  ExpectComponentValues<Vector2f>(2);
  ExpectComponentValues<Vector3f>(3);
  ExpectComponentValues<Vector4f>(4);
}

}  // namespace
}  // namespace PM::Test
