// Spline curves: tessellation of the knot spans and its guards; polyline length and the point and
// direction at an arc length, with the trace of the segments walked past.
#include <algorithm>
#include <cmath>
#include <cstring>
#include <optional>
#include <string>

#include "EngineWorld.h"
#include "scene/SplineCurve.h"
#include "support/LogCapture.h"

namespace PM::Test {
namespace {

class SplineCurveTest : public EngineWorldTest {
 protected:
  void SetUp() override {
    EngineWorldTest::SetUp();
    m_out.emplace(LogOutPipe());
  }
  void TearDown() override {
    m_out.reset();
    EngineWorldTest::TearDown();
  }
  Obj<SSplineCurve_I> Curve(std::initializer_list<float> knots, std::initializer_list<Vector3f> cvs) {
    Obj<SSplineCurve_I> c(static_cast<SSplineCurve_I*>(ScriptObject::Create(SSplineCurve_I::kClassId)));
    for (float k : knots) c->m_knots.Append(k);
    for (const Vector3f& v : cvs) c->m_cvs.Append(v);
    return c;
  }
  static Array<Vector3f> Points(std::initializer_list<Vector3f> list) {
    Array<Vector3f> a;
    for (const Vector3f& v : list) a.Append(v);
    return a;
  }
  std::string TakeOut() { return m_out->Take(); }

  std::optional<LogCapture> m_out;
};

void ExpectNear(Vector3f a, Vector3f b, float eps = 1e-5f) {
  EXPECT_NEAR(a.x, b.x, eps);
  EXPECT_NEAR(a.y, b.y, eps);
  EXPECT_NEAR(a.z, b.z, eps);
}

TEST_F(SplineCurveTest, BezierCurveTessellatesToItsBernsteinPoints) {
  const Vector3f p[4] = {{0, 0, 0}, {1, 3, 0}, {4, 3, -2}, {5, 0, 1}};
  Obj<SSplineCurve_I> c = Curve({0, 0, 0, 1, 1, 1}, {p[0], p[1], p[2], p[3]});
  Array<Vector3f> out;
  c->Tessellate(out, 4);
  ASSERT_EQ(out.Count(), 5);
  for (int j = 0; j < 5; ++j) {
    const float t = float(j) / 4, u = 1 - t, b[4] = {u * u * u, 3 * t * u * u, 3 * t * t * u, t * t * t};
    Vector3f e{0, 0, 0};
    for (int i = 0; i < 4; ++i) e = {e.x + b[i] * p[i].x, e.y + b[i] * p[i].y, e.z + b[i] * p[i].z};
    ExpectNear(out[j], e);
  }
  EXPECT_EQ(out[0], p[0]);
  EXPECT_EQ(out[4], p[3]);
  EXPECT_EQ(TakeLog(), "");
}

TEST_F(SplineCurveTest, EmptySpansAddNoSamplesAndEndKnotsStayInRange) {
  Array<Vector3f> out;
  // Two spans with a repeated inner knot between them: 2·m + 1 points, ending on the last CV.
  Obj<SSplineCurve_I> c =
      Curve({0, 0, 0, 1, 1, 2, 2, 2}, {{0, 0, 0}, {1, 1, 0}, {2, 1, 0}, {3, 0, 0}, {4, 2, 0}, {5, 0, 0}});
  c->Tessellate(out, 3);
  EXPECT_EQ(out.Count(), 7);
  ExpectNear(out[6], {5, 0, 0});
  // Repeated end knots sample span k - 5 (its own six knots would reach past the array); those samples
  // are the end point, taken from the last span that has a length.
  Obj<SSplineCurve_I> d =
      Curve({0, 0, 0, 1, 2, 2, 2, 2}, {{0, 0, 0}, {1, 1, 0}, {2, 1, 0}, {3, 0, 0}, {4, 2, 0}, {5, 0, 0}});
  d->Tessellate(out, 2);
  ASSERT_EQ(out.Count(), 7);
  for (int j = 4; j < 7; ++j) ExpectNear(out[j], {4, 2, 0});  // the end of span 2
  EXPECT_EQ(TakeLog(), "");
}

TEST_F(SplineCurveTest, UnusableCurvesTessellateToNothingQuietly) {
  struct Case {
    const char* what;
    Obj<SSplineCurve_I> curve;
    int32_t m;
  };
  Case cases[] = {
      {"five knots", Curve({0, 0, 0, 1, 1}, {{0, 0, 0}, {1, 0, 0}, {2, 0, 0}, {3, 0, 0}}), 4},
      {"m = 0", Curve({0, 0, 0, 1, 1, 1}, {{0, 0, 0}, {1, 0, 0}, {2, 0, 0}, {3, 0, 0}}), 0},
      {"m < 0", Curve({0, 0, 0, 1, 1, 1}, {{0, 0, 0}, {1, 0, 0}, {2, 0, 0}, {3, 0, 0}}), -3},
      {"three CVs", Curve({0, 0, 0, 1, 1, 1}, {{0, 0, 0}, {1, 0, 0}, {2, 0, 0}}), 4},
      {"no span with a length", Curve({0, 0, 1, 1, 1, 2}, {{0, 0, 0}, {1, 0, 0}, {2, 0, 0}, {3, 0, 0}}), 4},
      {"k·m past the int range", Curve({0, 0, 0, 1, 1, 1}, {{0, 0, 0}, {1, 0, 0}, {2, 0, 0}, {3, 0, 0}}), 1 << 29},
  };
  for (Case& c : cases) {
    Array<Vector3f> out = Points({{9, 9, 9}});
    c.curve->Tessellate(out, c.m);
    EXPECT_EQ(out.Count(), 0) << c.what;
  }
  EXPECT_EQ(TakeLog(), "");
  EXPECT_EQ(TakeOut(), "");
}

TEST_F(SplineCurveTest, PointAtLengthWalksThePolyline) {
  const Array<Vector3f> line = Points({{0, 0, 0}, {3, 4, 0}, {3, 4, 12}});
  EXPECT_EQ(CurveLength(line), 17.0f);
  struct Case {
    float s;
    Vector3f point, direction;
    const char* trace;
  };
  const Case cases[] = {
      {5, {3, 4, 0}, {0.6f, 0.8f, 0}, ""},
      {11, {3, 4, 6}, {0, 0, 1}, "0 C/5.\n"},
      {40, {3, 4, 12}, {0, 0, 1}, "0 C/5.\n1 C/17.\n"},
      {0, {0, 0, 0}, {0.6f, 0.8f, 0}, ""},
  };
  for (const Case& c : cases) {
    Vector3f p, d;
    CurvePointAtLength(line, c.s, p, d);
    ExpectNear(p, c.point);
    ExpectNear(d, c.direction);
    EXPECT_EQ(TakeOut(), c.trace) << "s " << c.s;
  }
}

// With the trace written and without it the walk gives the same bits, before, inside and past the end of
// a path with zero-length segments between, first and last.
TEST_F(SplineCurveTest, PointAtLengthIsTheSameWithAndWithoutTheTrace) {
  const Array<Vector3f> path =
      Points({{1, 1, 1}, {1, 1, 1}, {2, 3, 1}, {2, 3, 1}, {-1, 0.5f, 4}, {0, 0.25f, 4.5f}, {0, 0.25f, 4.5f}});
  const float length = CurveLength(path);
  for (float s : {-1.0f, 0.0f, 0.3f, 2.2360680f, 2.5f, 4.0f, length - 1e-3f, length, length + 1.0f, 1e30f}) {
    Vector3f p[2], d[2];
    CurvePointAtLength(path, s, p[0], d[0]);
    const std::string trace = TakeOut();
    StreamPipeRef saved = LogOutPipe();
    LogOutPipe() = DiscardPipe();
    CurvePointAtLength(path, s, p[1], d[1]);
    LogOutPipe() = saved;
    EXPECT_EQ(std::memcmp(p, p + 1, sizeof p[0]), 0) << s;
    EXPECT_EQ(std::memcmp(d, d + 1, sizeof d[0]), 0) << s;
    if (s > length) {
      EXPECT_EQ(std::count(trace.begin(), trace.end(), '\n'), 6) << s;  // every segment walked past
    }
  }
  // Past the end the direction is the last segment's that has a length.
  Vector3f p, d;
  CurvePointAtLength(path, length + 1.0f, p, d);
  ExpectNear(p, {0, 0.25f, 4.5f});
  ExpectNear(d, Vector3f{1, -0.25f, 0.5f} * (1.0f / std::sqrt(1.3125f)));
  TakeOut();
}

TEST_F(SplineCurveTest, DegeneratePolylinesGiveFiniteAnswers) {
  struct Case {
    const char* what;
    Array<Vector3f> points;
    float s;
    Vector3f point, direction;
  };
  const Case cases[] = {
      {"no points", Points({}), 1, {0, 0, 0}, {0, 0, 0}},
      {"one point", Points({{1, 2, 3}}), 1, {1, 2, 3}, {0, 0, 0}},
      {"one point, twice", Points({{1, 2, 3}, {1, 2, 3}}), 0, {1, 2, 3}, {0, 0, 0}},
      {"zero segment first", Points({{0, 0, 0}, {0, 0, 0}, {0, 2, 0}}), 0, {0, 0, 0}, {0, 1, 0}},
      {"zero segment inside", Points({{0, 0, 0}, {2, 0, 0}, {2, 0, 0}, {2, 3, 0}}), 2.5f, {2, 0.5f, 0}, {0, 1, 0}},
      {"zero segment last", Points({{0, 0, 0}, {2, 0, 0}, {2, 0, 0}}), 7, {2, 0, 0}, {1, 0, 0}},
  };
  for (const Case& c : cases) {
    Vector3f p{7, 7, 7}, d{7, 7, 7};
    CurvePointAtLength(c.points, c.s, p, d);
    ExpectNear(p, c.point);
    ExpectNear(d, c.direction);
    EXPECT_TRUE(std::isfinite(d.x + d.y + d.z)) << c.what;
  }
  EXPECT_EQ(CurveLength(Points({{1, 1, 1}})), 0.0f);
  EXPECT_EQ(CurveLength(Points({})), 0.0f);
  TakeOut();
}

}  // namespace
}  // namespace PM::Test
