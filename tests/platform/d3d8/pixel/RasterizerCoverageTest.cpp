// Which pixels the rasterizer fills: meshes drawn under additive blending must cover every pixel centre
// inside them exactly once, whatever their edges do (through pixel centres, along the view's axes, at
// odd angles, past the view's sides), and points light the one pixel holding them. Coordinates that
// are huge, infinite or NaN draw nothing outside the target and never hang.
#include <cmath>
#include <cstddef>
#include <cstdint>
#include <limits>
#include <random>
#include <vector>

#include "PixelTestSupport.h"

namespace PM::SoftD3D {
namespace {

constexpr uint32_t kStep = 0x10;  // what one draw adds to a pixel's grey

// A colour target of w x h pixels drawn with additive blending: each pixel counts the draws covering it.
struct CountingTarget {
  int32_t width, height;
  PixelStore color;
  D3DVIEWPORT8 viewport;
  RasterState state;
  CountingTarget(int32_t w, int32_t h) : width(w), height(h), viewport{0, 0, uint32_t(w), uint32_t(h), 0.0f, 1.0f} {
    color.Allocate(uint32_t(w), uint32_t(h), FindFormat(D3DFMT_A8R8G8B8));
    state.cull = D3DCULL_NONE;
    for (size_t offset :
         {offsetof(ClipVertex, r), offsetof(ClipVertex, g), offsetof(ClipVertex, b), offsetof(ClipVertex, a)})
      state.pixel.AddAttribute(offset);
    state.pixel.blend = true;
    state.pixel.srcBlend = D3DBLEND_ONE, state.pixel.destBlend = D3DBLEND_ONE;
  }
  int32_t Count(int32_t x, int32_t y) {
    return int32_t((reinterpret_cast<uint32_t*>(color.Row(uint32_t(y)))[x] & 0xFF) / kStep);
  }
  // A clip-space corner at screen position (x, y), w scaling it.
  ClipVertex Corner(double x, double y, float w = 1.0f) const {
    ClipVertex c{};
    c.x = float((x / width * 2 - 1) * w), c.y = float((1 - y / height * 2) * w), c.z = 0.5f * w, c.w = w;
    c.r = c.g = c.b = float(kStep) / 255.0f, c.a = 1;
    c.fog = 1;
    return c;
  }
  void Triangles(const std::vector<ClipVertex>& v) {
    Rasterizer r(&color, nullptr, viewport, state);
    ASSERT_TRUE(r.Ready());
    for (size_t i = 0; i + 2 < v.size(); i += 3) r.Triangle(v[i], v[i + 1], v[i + 2]);
  }
  // Every pixel centre strictly inside `inside` by more than `margin` counts 1, every one outside by
  // more than `margin` counts 0, none more than 1; answers the number of faults (the first few reported).
  template <class Distance>
  int Check(Distance inside, double margin = 0.01) {
    int faults = 0;
    for (int32_t y = 0; y < height; ++y)
      for (int32_t x = 0; x < width; ++x) {
        const double d = inside(double(x), double(y));
        const int32_t n = Count(x, y);
        const bool bad = n > 1 || (d > margin && n != 1) || (d < -margin && n != 0);
        if (bad && ++faults <= 5) ADD_FAILURE() << "pixel " << x << ", " << y << " drawn " << n << " times";
      }
    return faults;
  }
};

// Signed distance of (x, y) inside the convex polygon `p` (clockwise on the screen, y down).
double InsideConvex(const std::vector<std::pair<double, double>>& p, double x, double y) {
  double d = 1e30;
  for (size_t i = 0; i < p.size(); ++i) {
    const auto [ax, ay] = p[i];
    const auto [bx, by] = p[(i + 1) % p.size()];
    const double ex = bx - ax, ey = by - ay;
    d = std::min(d, (ex * (y - ay) - ey * (x - ax)) / std::hypot(ex, ey));
  }
  return d;
}

// Two triangles of the rectangle, split along the diagonal from its top left corner.
void AddRect(CountingTarget& t, std::vector<ClipVertex>& v, double x0, double y0, double x1, double y1) {
  const ClipVertex a = t.Corner(x0, y0), b = t.Corner(x1, y0), c = t.Corner(x1, y1), d = t.Corner(x0, y1);
  v.insert(v.end(), {a, b, c, a, c, d});
}

TEST(RasterizerCoverage, SquaresMeetingOnTheViewAxisFillEachCentreOnce) {
  // A 192-pixel quad centred on the view: its diagonal runs through pixel centres. Then four squares
  // meeting at the view's centre, their shared sides on the axes (pixel centres too), in both windings.
  for (const int32_t size : {256, 255, 257}) {
    SCOPED_TRACE(size);
    CountingTarget t(size, size);
    const double c = size / 2.0, lo = c - 96, hi = c + 96;
    std::vector<ClipVertex> quad;
    AddRect(t, quad, lo, lo, hi, hi);
    t.Triangles(quad);
    // Centres on the left and top sides are the quad's, those on the right and bottom are not.
    EXPECT_EQ(t.Check([&](double x, double y) { return x >= lo && x < hi && y >= lo && y < hi ? 1.0 : -1.0; }), 0);

    CountingTarget four(size, size);
    std::vector<ClipVertex> squares;
    AddRect(four, squares, lo, lo, c, c), AddRect(four, squares, c, lo, hi, c);
    AddRect(four, squares, lo, c, c, hi), AddRect(four, squares, c, c, hi, hi);
    for (size_t i = 0; i + 5 < squares.size(); i += 12) std::swap(squares[i + 1], squares[i + 2]);  // wound back
    four.Triangles(squares);
    EXPECT_EQ(four.Check([&](double x, double y) { return x >= lo && x < hi && y >= lo && y < hi ? 1.0 : -1.0; }), 0);
  }
}

TEST(RasterizerCoverage, JitteredGridsAtSeveralAnglesAreWatertight) {
  // 40 x 40 corners (3,042 triangles) over a turned square; the inner corners jittered by up to 0.1 of
  // a cell along each axis and then moved to the nearest pixel centre (the cells stay convex), the
  // diagonals alternating. The outer ring stays on the square, so its inside is known.
  std::mt19937 rng(82);
  std::uniform_real_distribution<double> jitter(-0.1, 0.1);
  constexpr int kCorners = 40;
  for (const double degrees : {0.0, 7.0, 30.0, 45.0, 63.43494882}) {
    for (const float w : {1.0f, 3.5f}) {
      SCOPED_TRACE(degrees);
      CountingTarget t(241, 237);
      const double cx = 120.5, cy = 118.25, half = 95.0, cell = 2 * half / (kCorners - 1);
      const double ca = std::cos(degrees * 3.14159265358979 / 180), sa = std::sin(degrees * 3.14159265358979 / 180);
      std::vector<std::pair<double, double>> corners;
      for (int j = 0; j < kCorners; ++j)
        for (int i = 0; i < kCorners; ++i) {
          const bool edge = i == 0 || j == 0 || i == kCorners - 1 || j == kCorners - 1;
          const double u = -half + cell * (i + (edge ? 0 : jitter(rng))),
                       v = -half + cell * (j + (edge ? 0 : jitter(rng)));
          const double x = cx + u * ca - v * sa, y = cy + u * sa + v * ca;
          corners.push_back(edge ? std::pair{x, y} : std::pair{std::round(x), std::round(y)});
        }
      std::vector<ClipVertex> mesh;
      auto at = [&](int i, int j) {
        return t.Corner(corners[size_t(j * kCorners + i)].first, corners[size_t(j * kCorners + i)].second, w);
      };
      for (int j = 0; j + 1 < kCorners; ++j)
        for (int i = 0; i + 1 < kCorners; ++i) {
          const ClipVertex a = at(i, j), b = at(i + 1, j), c = at(i + 1, j + 1), d = at(i, j + 1);
          if ((i + j) % 2)
            mesh.insert(mesh.end(), {a, b, c, a, c, d});
          else
            mesh.insert(mesh.end(), {a, b, d, b, c, d});
        }
      t.Triangles(mesh);
      const std::vector<std::pair<double, double>> outline = {
          corners[0], corners[kCorners - 1], corners[corners.size() - 1], corners[corners.size() - kCorners]};
      EXPECT_EQ(t.Check([&](double x, double y) { return InsideConvex(outline, x, y); }), 0);
    }
  }
}

TEST(RasterizerCoverage, FansAndMeshesPastTheViewSidesAreWatertight) {
  // A fan of 37 spokes from a pixel centre to corners on pixel centres and between them.
  {
    CountingTarget t(129, 97);
    const double cx = 64, cy = 48;
    std::vector<std::pair<double, double>> rim;
    for (int i = 0; i < 37; ++i) {
      const double a = 6.283185307179586 * i / 37;
      rim.push_back({std::round(cx + 45 * std::cos(a)) + (i % 3 == 1 ? 0.37 : 0), std::round(cy + 45 * std::sin(a))});
    }
    std::vector<ClipVertex> fan;
    for (size_t i = 0; i < rim.size(); ++i) {
      const auto& p = rim[i];
      const auto& q = rim[(i + 1) % rim.size()];
      fan.insert(fan.end(), {t.Corner(cx, cy), t.Corner(p.first, p.second), t.Corner(q.first, q.second)});
    }
    t.Triangles(fan);
    EXPECT_EQ(t.Check([&](double x, double y) { return InsideConvex(rim, x, y); }), 0);
  }
  // A turned grid reaching past every side of the view: every pixel once, along the cuts clipping made.
  for (const double degrees : {0.0, 11.0, 45.0}) {
    SCOPED_TRACE(degrees);
    CountingTarget t(64, 48);
    const double ca = std::cos(degrees * 3.14159265358979 / 180), sa = std::sin(degrees * 3.14159265358979 / 180);
    std::vector<ClipVertex> mesh;
    constexpr int kCells = 9;
    auto at = [&](int i, int j) {
      const double u = (i - kCells / 2.0) * 13.7, v = (j - kCells / 2.0) * 13.7;
      return t.Corner(32 + u * ca - v * sa, 24 + u * sa + v * ca, 1.0f + 0.1f * float(i));
    };
    for (int j = 0; j < kCells; ++j)
      for (int i = 0; i < kCells; ++i) {
        const ClipVertex a = at(i, j), b = at(i + 1, j), c = at(i + 1, j + 1), d = at(i, j + 1);
        mesh.insert(mesh.end(), {a, b, c, c, d, a});
      }
    t.Triangles(mesh);
    EXPECT_EQ(t.Check([](double, double) { return 1.0; }), 0);
  }
}

TEST(RasterizerCoverage, PointsLightThePixelHoldingThem) {
  CountingTarget t(33, 17);
  Rasterizer r(&t.color, nullptr, t.viewport, t.state);
  ASSERT_TRUE(r.Ready());
  // Pixel (x, y) holds [x - 0.5, x + 0.5) x [y - 0.5, y + 0.5).
  const struct {
    double x, y;
    int32_t px, py;
  } points[] = {{3, 4, 3, 4}, {10.49, 2.51, 10, 3}, {20.51, 7.49, 21, 7}, {0, 0, 0, 0}, {32.4, 16.4, 32, 16}};
  for (const auto& p : points) r.Point(t.Corner(p.x, p.y));
  int lit = 0;
  for (int32_t y = 0; y < t.height; ++y)
    for (int32_t x = 0; x < t.width; ++x) lit += t.Count(x, y);
  EXPECT_EQ(lit, int(std::size(points)));
  for (const auto& p : points) EXPECT_EQ(t.Count(p.px, p.py), 1) << p.x << ", " << p.y;
  // Outside the view, behind the eye or not a number: nothing.
  const float nan = std::numeric_limits<float>::quiet_NaN();
  ClipVertex behind = t.Corner(5, 5, -1.0f), bad = t.Corner(5, 5);
  bad.x = nan;
  r.Point(t.Corner(-0.6, 5)), r.Point(t.Corner(5, 17.5)), r.Point(behind), r.Point(bad);
  int after = 0;
  for (int32_t y = 0; y < t.height; ++y)
    for (int32_t x = 0; x < t.width; ++x) after += t.Count(x, y);
  EXPECT_EQ(after, lit);
}

TEST(RasterizerCoverage, HugeAndNaNCornersDrawOnlyWhatTheyCover) {
  const float inf = std::numeric_limits<float>::infinity(), nan = std::numeric_limits<float>::quiet_NaN();
  // A triangle far larger than the view covers it all once; ones with a NaN or infinite corner nothing.
  CountingTarget t(50, 31);
  ClipVertex a = t.Corner(25, 15), b = a, c = a;
  a.x = -3e7f, a.y = -3e7f, b.x = 3e7f, b.y = -3e7f, c.x = 0, c.y = 3e7f;
  std::vector<ClipVertex> v = {a, b, c};
  for (const float odd : {nan, inf, -inf}) {
    ClipVertex p = a;
    p.x = odd;
    ClipVertex q = b;
    q.w = odd;
    v.insert(v.end(), {p, b, c, a, q, c});
  }
  t.Triangles(v);
  EXPECT_EQ(t.Check([](double, double) { return 1.0; }), 0);
}

}  // namespace
}  // namespace PM::SoftD3D
