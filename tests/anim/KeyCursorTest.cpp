// Curves played forward start their key search where the last one ended: every value must match the
// binary search bit for bit, on keys in order or not, with shared key times, steps, edits between
// evaluations and times that jump, repeat, go back or are not numbers.
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
void ExpectBinarySearchValues(T* s, const char* what) {
  SCOPED_TRACE(what);
  constexpr int kWidth = int(sizeof(Key::value) / sizeof(float));
  for (int pass = 0; pass < 2; ++pass)
    for (float t : Walk()) {
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

}  // namespace
}  // namespace PM::Test
