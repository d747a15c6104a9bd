// Triangles through the rasterizer and pixel stage onto a target of our own: the mip level a quad's
// size picks, perspective-correct and projected coordinates, blend factors, alpha functions, fog,
// specular and depth written only for pixels that pass the alpha test.
#include <cstddef>
#include <cstring>
#include <limits>
#include <vector>

#include "PixelTestSupport.h"

namespace PM::SoftD3D {
namespace {

constexpr int32_t kSize = 64;

// A colour target (and depth when asked) of kSize x kSize pixels.
struct Frame {
  PixelStore color, depth;
  D3DVIEWPORT8 viewport{0, 0, kSize, kSize, 0.0f, 1.0f};
  explicit Frame(D3DFORMAT depthFormat = D3DFMT_UNKNOWN) {
    color.Allocate(kSize, kSize, FindFormat(D3DFMT_A8R8G8B8));
    if (depthFormat != D3DFMT_UNKNOWN) {
      depth.Allocate(kSize, kSize, FindFormat(depthFormat));
      std::fill(depth.bytes.begin(), depth.bytes.end(), uint8_t(0xFF));
    }
  }
  void Fill(uint32_t argb) {
    for (int32_t y = 0; y < kSize; ++y)
      for (int32_t x = 0; x < kSize; ++x) reinterpret_cast<uint32_t*>(color.Row(uint32_t(y)))[x] = argb;
  }
  uint32_t At(int32_t x, int32_t y) { return reinterpret_cast<uint32_t*>(color.Row(uint32_t(y)))[x]; }

  // A rectangle of pixels [x0, x1) x [y0, y1) at depth z, its corners' coordinates running (u0, v0) to
  // (u1, v1); w scales each corner (the left corners by wl, the right ones by wr).
  void Quad(const RasterState& state, float x0, float y0, float x1, float y1, float z, uint32_t argb, float u0 = 0,
            float v0 = 0, float u1 = 1, float v1 = 1, float wl = 1, float wr = 1) {
    auto corner = [&](float x, float y, float u, float v, float w) {
      ClipVertex c{};
      c.x = (x / kSize * 2 - 1) * w, c.y = (1 - y / kSize * 2) * w, c.z = z * w, c.w = w;
      c.r = float(argb >> 16 & 0xFF) / 255, c.g = float(argb >> 8 & 0xFF) / 255, c.b = float(argb & 0xFF) / 255;
      c.a = float(argb >> 24) / 255;
      c.fog = 1;
      c.tex[0][0] = u, c.tex[0][1] = v;
      return c;
    };
    const ClipVertex a = corner(x0, y0, u0, v0, wl), b = corner(x1, y0, u1, v0, wr);
    const ClipVertex c = corner(x1, y1, u1, v1, wr), d = corner(x0, y1, u0, v1, wl);
    Draw(state, {a, b, c, a, c, d});
  }
  void Draw(const RasterState& state, const std::vector<ClipVertex>& triangles) {
    Rasterizer r(&color, depth.info ? &depth : nullptr, viewport, state);
    ASSERT_TRUE(r.Ready());
    for (size_t i = 0; i + 2 < triangles.size(); i += 3) r.Triangle(triangles[i], triangles[i + 1], triangles[i + 2]);
  }
};

// No culling, no depth test; diffuse interpolated; stage 0 disabled (diffuse passes).
RasterState Untextured() {
  RasterState s;
  s.cull = D3DCULL_NONE;
  for (size_t offset :
       {offsetof(ClipVertex, r), offsetof(ClipVertex, g), offsetof(ClipVertex, b), offsetof(ClipVertex, a)})
    s.pixel.AddAttribute(offset);
  return s;
}

// Stage 0 selects its texture, read at tex[0].
RasterState Textured(TextureLevels& t, const std::vector<uint32_t>& stageStates, bool projected = false) {
  RasterState s = Untextured();
  PixelState& p = s.pixel;
  p.stageCount = 1;
  p.stages[0].colorOp = p.stages[0].alphaOp = D3DTOP_SELECTARG1;
  p.stages[0].colorArgs[0] = p.stages[0].alphaArgs[0] = D3DTA_TEXTURE;
  p.stages[0].textured = p.samplers[0].Build(t.pointers.data(), int32_t(t.pointers.size()), stageStates.data());
  p.texSlot[0] = p.AddAttribute(offsetof(ClipVertex, tex));
  p.AddAttribute(offsetof(ClipVertex, tex) + 4);
  if (projected) p.projected[0] = true, p.AddAttribute(offsetof(ClipVertex, tex) + 8);
  return s;
}

TEST(RasterizerPixels, QuadSizePicksTheMipLevel) {
  TextureLevels t;
  const uint32_t colours[] = {0xFFFF0000u, 0xFF00FF00u, 0xFF0000FFu, 0xFFFFFF00u,
                              0xFF00FFFFu, 0xFFFF00FFu, 0xFFFFFFFFu};
  for (uint32_t i = 0, size = 64; size >= 1; ++i, size /= 2) {
    t.Add(size, size);
    t.Fill(i, colours[i]);
  }
  for (uint32_t mip : {D3DTEXF_POINT, D3DTEXF_LINEAR}) {
    // 64 texels over 64, 32 and 16 pixels: 1:1, 1:2, 1:4; and squeezed along y only.
    struct Case {
      float width, height;
      uint32_t level;
    } cases[] = {{64, 64, 0}, {32, 32, 1}, {16, 16, 2}, {64, 16, 2}, {8, 64, 3}};
    for (const Case& c : cases) {
      Frame f;
      f.Quad(Textured(t, StageStates(D3DTEXF_LINEAR, D3DTADDRESS_WRAP, mip)), 0, 0, c.width, c.height, 0.5f,
             0xFFFFFFFFu);
      const uint32_t got = f.At(int32_t(c.width / 2), int32_t(c.height / 2));
      for (int shift : {0, 8, 16})
        EXPECT_NEAR(int(got >> shift & 0xFF), int(colours[c.level] >> shift & 0xFF), 1)
            << c.width << " x " << c.height << " pixels, mip filter " << mip;
    }
  }
}

TEST(RasterizerPixels, PerspectiveCorrectAndProjectedCoordinates) {
  TextureLevels t;
  t.Add(16, 1);
  for (uint32_t x = 0; x < 16; ++x) t.Set(0, x, 0, Grey(x * 16));
  const std::vector<uint32_t> point = StageStates(D3DTEXF_POINT, D3DTADDRESS_CLAMP);
  // w 1 on the left, 3 on the right: a quarter of the way across the screen, u = (0.25 / 3) / (0.75 +
  // 0.25 / 3) = 0.1, texel 1 (an affine mapping would give texel 4).
  Frame f;
  f.Quad(Textured(t, point), 0, 0, kSize, kSize, 0.5f, 0xFFFFFFFFu, 0, 0, 1, 1, 1, 3);
  EXPECT_EQ(f.At(16, 32), Grey(16));
  // Projected: (u q, v q, q) divided by q.
  Frame g;
  RasterState projected = Textured(t, point, true);
  std::vector<ClipVertex> triangle(3);
  const float corners[3][2] = {{-1, 1}, {3, 1}, {-1, -3}};
  for (int i = 0; i < 3; ++i) {
    ClipVertex& v = triangle[size_t(i)];
    v = ClipVertex{};
    v.x = corners[i][0], v.y = corners[i][1], v.z = 0.5f, v.w = 1;
    v.r = v.g = v.b = v.a = 1;
    v.tex[0][0] = 0.7f * 2, v.tex[0][1] = 0, v.tex[0][2] = 2;  // u = 0.7: texel 11
  }
  g.Draw(projected, triangle);
  EXPECT_EQ(g.At(5, 5), Grey(11 * 16));
}

TEST(RasterizerPixels, EveryBlendFactorOnOnePixelPair) {
  // Source (204, 102, 51, 128), destination (51, 153, 255, 102); each factor as the source factor with
  // destination ZERO, then as the destination factor with source ZERO; the two shorthands set both.
  const uint32_t src = 0x80CC6633u, dst = 0x663399FFu;
  struct Case {
    uint32_t srcBlend, destBlend;
    uint32_t expected;  // A8R8G8B8
  } cases[] = {
      {D3DBLEND_ZERO, D3DBLEND_ZERO, 0x00000000u},           {D3DBLEND_ONE, D3DBLEND_ZERO, 0x80CC6633u},
      {D3DBLEND_SRCCOLOR, D3DBLEND_ZERO, 0x40A3290Au},       {D3DBLEND_INVSRCCOLOR, D3DBLEND_ZERO, 0x40293D29u},
      {D3DBLEND_SRCALPHA, D3DBLEND_ZERO, 0x4066331Au},       {D3DBLEND_INVSRCALPHA, D3DBLEND_ZERO, 0x40663319u},
      {D3DBLEND_DESTALPHA, D3DBLEND_ZERO, 0x33522914u},      {D3DBLEND_INVDESTALPHA, D3DBLEND_ZERO, 0x4D7A3D1Fu},
      {D3DBLEND_DESTCOLOR, D3DBLEND_ZERO, 0x33293D33u},      {D3DBLEND_INVDESTCOLOR, D3DBLEND_ZERO, 0x4DA32900u},
      {D3DBLEND_SRCALPHASAT, D3DBLEND_ZERO, 0x8066331Au},    {D3DBLEND_ZERO, D3DBLEND_ONE, 0x663399FFu},
      {D3DBLEND_ZERO, D3DBLEND_SRCCOLOR, 0x33293D33u},       {D3DBLEND_ZERO, D3DBLEND_INVSRCCOLOR, 0x330A5CCCu},
      {D3DBLEND_ZERO, D3DBLEND_SRCALPHA, 0x331A4D80u},       {D3DBLEND_ZERO, D3DBLEND_INVSRCALPHA, 0x33194C7Fu},
      {D3DBLEND_ZERO, D3DBLEND_DESTALPHA, 0x29143D66u},      {D3DBLEND_ZERO, D3DBLEND_INVDESTALPHA, 0x3D1F5C99u},
      {D3DBLEND_ZERO, D3DBLEND_DESTCOLOR, 0x290A5CFFu},      {D3DBLEND_ZERO, D3DBLEND_INVDESTCOLOR, 0x3D293D00u},
      {D3DBLEND_ZERO, D3DBLEND_SRCALPHASAT, 0x661A4D80u},    {D3DBLEND_BOTHSRCALPHA, D3DBLEND_ZERO, 0x73807F99u},
      {D3DBLEND_BOTHINVSRCALPHA, D3DBLEND_ONE, 0x737F8099u},
  };
  for (const Case& c : cases) {
    Frame f;
    f.Fill(dst);
    RasterState s = Untextured();
    s.pixel.blend = true;
    s.pixel.srcBlend = c.srcBlend, s.pixel.destBlend = c.destBlend;
    f.Quad(s, 0, 0, 4, 4, 0.5f, src);
    const uint32_t got = f.At(1, 1);
    for (int shift : {0, 8, 16, 24})
      EXPECT_NEAR(int(got >> shift & 0xFF), int(c.expected >> shift & 0xFF), 1)
          << "factors " << c.srcBlend << " / " << c.destBlend << " bits " << shift;
    EXPECT_EQ(f.At(5, 5), dst) << "outside the quad";
  }
  // The operations other than ADD, on ONE / ONE.
  struct OpCase {
    uint32_t op, expected;
  } ops[] = {{D3DBLENDOP_ADD, 0xE6FFFFFFu},
             {D3DBLENDOP_SUBTRACT, 0x1A990000u},
             {D3DBLENDOP_REVSUBTRACT, 0x000033CCu},
             {D3DBLENDOP_MIN, 0x66336633u},
             {D3DBLENDOP_MAX, 0x80CC99FFu}};
  for (const OpCase& c : ops) {
    Frame f;
    f.Fill(dst);
    RasterState s = Untextured();
    s.pixel.blend = true;
    s.pixel.srcBlend = s.pixel.destBlend = D3DBLEND_ONE;
    s.pixel.blendOp = c.op;
    f.Quad(s, 0, 0, 4, 4, 0.5f, src);
    EXPECT_EQ(f.At(1, 1), c.expected) << "operation " << c.op;
  }
}

TEST(RasterizerPixels, EveryAlphaFunctionAroundTheReference) {
  // Alpha 127, 128 and 129 against the reference 128: which of the three draw.
  struct Case {
    uint32_t func;
    bool below, equal, above;
  } cases[] = {
      {D3DCMP_NEVER, false, false, false},      {D3DCMP_LESS, true, false, false},
      {D3DCMP_EQUAL, false, true, false},       {D3DCMP_LESSEQUAL, true, true, false},
      {D3DCMP_GREATER, false, false, true},     {D3DCMP_NOTEQUAL, true, false, true},
      {D3DCMP_GREATEREQUAL, false, true, true}, {D3DCMP_ALWAYS, true, true, true},
  };
  for (const Case& c : cases) {
    Frame f;
    RasterState s = Untextured();
    s.pixel.alphaTest = true;
    s.pixel.alphaFunc = c.func;
    s.pixel.alphaRef = 128;
    f.Quad(s, 0, 0, 4, 4, 0.5f, 0x7FFFFFFFu);
    f.Quad(s, 4, 0, 8, 4, 0.5f, 0x80FFFFFFu);
    f.Quad(s, 8, 0, 12, 4, 0.5f, 0x81FFFFFFu);
    EXPECT_EQ(f.At(1, 1) != 0, c.below) << "function " << c.func;
    EXPECT_EQ(f.At(5, 1) != 0, c.equal) << "function " << c.func;
    EXPECT_EQ(f.At(9, 1) != 0, c.above) << "function " << c.func;
  }
  // A pixel the alpha test drops leaves the depth buffer alone: a farther quad still draws there.
  Frame f(D3DFMT_D16);
  RasterState s = Untextured();
  s.depthTest = true, s.depthFunc = D3DCMP_LESS;
  s.pixel.alphaTest = true, s.pixel.alphaFunc = D3DCMP_GREATER, s.pixel.alphaRef = 0;
  f.Quad(s, 0, 0, 8, 8, 0.2f, 0x00FF0000u);
  f.Quad(s, 0, 0, 8, 8, 0.5f, 0xFF00FF00u);
  EXPECT_EQ(f.At(3, 3), 0xFF00FF00u);
  f.Quad(s, 0, 0, 8, 8, 0.7f, 0xFF0000FFu);  // behind the green one, which did write its depth
  EXPECT_EQ(f.At(3, 3), 0xFF00FF00u);
}

TEST(RasterizerPixels, SpecularFogAndColourWrites) {
  struct Case {
    const char* what;
    void (*set)(RasterState&);
    float fog;  // the vertices' fog factor
    uint32_t expected;
  } cases[] = {
      {"specular added",
       [](RasterState& s) {
         s.pixel.specularAdd = true;
         s.pixel.specularSlot = s.pixel.AddAttribute(offsetof(ClipVertex, sr));
         s.pixel.AddAttribute(offsetof(ClipVertex, sg)), s.pixel.AddAttribute(offsetof(ClipVertex, sb));
       },
       1.0f, 0xFFBFBF80u},
      {"vertex fog a quarter",
       [](RasterState& s) {
         s.pixel.fog = FogSource::kVertex;
         s.pixel.fogSlot = s.pixel.AddAttribute(offsetof(ClipVertex, fog));
         s.pixel.fogColor[2] = 1.0f;
       },
       0.25f, 0xFF2020BFu},
      {"only green and alpha written", [](RasterState& s) { s.pixel.writeMask = 0xFF00FF00u; }, 1.0f, 0xFF108020u},
  };
  for (const Case& c : cases) {
    Frame f;
    f.Fill(0x00101020u);
    RasterState s = Untextured();
    c.set(s);
    std::vector<ClipVertex> triangle(3);
    const float corners[3][2] = {{-1, 1}, {3, 1}, {-1, -3}};
    for (int i = 0; i < 3; ++i) {
      ClipVertex& v = triangle[size_t(i)];
      v = ClipVertex{};
      v.x = corners[i][0], v.y = corners[i][1], v.z = 0.5f, v.w = 1;
      v.r = v.g = 0.5f, v.b = 0.0f, v.a = 1;  // (128, 128, 0)
      v.sr = v.sg = 0.25f, v.sb = 0.5f;       // + (64, 64, 128)
      v.fog = c.fog;
    }
    f.Draw(s, triangle);
    EXPECT_EQ(f.At(7, 7), c.expected) << c.what;
  }
}

TEST(RasterizerPixels, FarAndDegenerateCornersDrawOnlyInside) {
  // Corners near w = 0 or at 1e30 leave clipped corners that rounding puts far outside: whatever is
  // drawn stays on the target, and a line along them draws nothing beyond it.
  const float far[][4] = {{-1e20f, 3e20f, 0.5f, 1e-3f},
                          {1e30f, -1e30f, 0.5f, 1e-30f},
                          {3e38f, 3e38f, 3e38f, 1.0f},
                          {1e-30f, 1e-30f, 0.5f, 1e-30f}};
  for (const auto& corner : far) {
    Frame f(D3DFMT_D24S8);
    RasterState s = Untextured();
    s.depthTest = true;
    std::vector<ClipVertex> v(3);
    for (ClipVertex& c : v) c = ClipVertex{}, c.r = c.g = c.b = c.a = 1;
    v[0].x = corner[0], v[0].y = corner[1], v[0].z = corner[2], v[0].w = corner[3];
    v[1].x = 0.5f, v[1].y = 0.5f, v[1].z = 0.5f, v[1].w = 1;
    v[2].x = -0.5f, v[2].y = 0.9f, v[2].z = 0.5f, v[2].w = 1;
    f.Draw(s, v);
    Rasterizer r(&f.color, &f.depth, f.viewport, s);
    r.Line(v[0], v[1]);
  }
  // A positive denormal w (1 / w is infinite) and a line from w 1e-30 to 5.7e37: both once made NaN
  // screen positions or colours that reached an integer conversion. Whatever they draw is white.
  const float pairs[][2] = {{std::numeric_limits<float>::denorm_min(), 1.0f}, {1e-30f, 5.7e37f}};
  for (const auto& w : pairs) {
    Frame f(D3DFMT_D24S8);
    RasterState s = Untextured();
    s.depthTest = true;
    std::vector<ClipVertex> v(3);
    for (ClipVertex& c : v) c = ClipVertex{}, c.r = c.g = c.b = c.a = 1, c.z = 0.5f;
    v[0].x = 0.25f * w[0], v[0].y = 0.25f * w[0], v[0].w = w[0];
    v[1].x = w[1] * 0.2f, v[1].y = -w[1] * 0.2f, v[1].w = w[1];
    v[2].x = -0.5f, v[2].y = 0.9f, v[2].w = 1;
    f.Draw(s, v);
    Rasterizer r(&f.color, &f.depth, f.viewport, s);
    r.Line(v[0], v[1]);
    s.fill = D3DFILL_WIREFRAME;
    f.Draw(s, v);
    for (int32_t y = 0; y < kSize; ++y)
      for (int32_t x = 0; x < kSize; ++x) {
        const uint32_t p = f.At(x, y) & 0xFFFFFFu;
        ASSERT_TRUE(p == 0 || p == 0xFFFFFFu) << std::hex << p << " at " << x << ", " << y;
      }
  }
}

}  // namespace
}  // namespace PM::SoftD3D

namespace PM::SoftD3D {
namespace {

// A quad reaching past the view on every side, under several depths and perspectives, covers every pixel:
// the corners clipping makes on the left and top planes land on the first column and row of pixel centres.
TEST(RasterizerClipping, QuadBeyondTheViewCoversItsEdgePixels) {
  const struct {
    float x0, y0, x1, y1, wl, wr;
  } rows[] = {{-0.41f, -0.41f, 64.41f, 64.41f, 2.0f, 2.0f},
              {-3.7f, -0.83f, 70.1f, 66.3f, 1.3f, 3.1f},
              {-0.8285f, -0.8285f, 64.8285f, 64.8285f, 2.0f, 2.0f},
              {-12.5f, -9.25f, 80.0f, 77.75f, 0.7f, 5.3f},
              {-0.1f, -0.3f, 64.1f, 64.3f, 7.77f, 0.31f}};
  for (const auto& r : rows) {
    SCOPED_TRACE(r.x0);
    Frame f;
    f.Fill(0);
    f.Quad(Untextured(), r.x0, r.y0, r.x1, r.y1, 0.5f, 0xFFFFFFFF, 0, 0, 1, 1, r.wl, r.wr);
    int missing = 0;
    for (int32_t y = 0; y < kSize; ++y)
      for (int32_t x = 0; x < kSize; ++x) missing += f.At(x, y) == 0xFFFFFFFF ? 0 : 1;
    EXPECT_EQ(missing, 0);
  }
}

}  // namespace
}  // namespace PM::SoftD3D

namespace PM::SoftD3D {
namespace {

// Point fill: a quad's two triangles light its four corners' pixels (the pixel holding each corner, as
// a point primitive lights it) and nothing between them; culling still applies.
TEST(RasterizerPointFill, TrianglesLightTheirCornersAlone) {
  Frame f;
  f.Fill(0);
  RasterState s = Untextured();
  s.fill = D3DFILL_POINT;
  f.Quad(s, 10.2f, 12.3f, 40.2f, 50.3f, 0.5f, 0xFFFFFFFFu);
  int lit = 0;
  for (int32_t y = 0; y < kSize; ++y)
    for (int32_t x = 0; x < kSize; ++x) lit += (f.At(x, y) & 0xFFFFFFu) != 0;
  EXPECT_EQ(lit, 4);
  for (const auto& [x, y] : {std::pair{10, 12}, {40, 12}, {40, 50}, {10, 50}})
    EXPECT_EQ(f.At(x, y) & 0xFFFFFFu, 0xFFFFFFu) << x << ", " << y;
  // Clockwise on the screen: culled with D3DCULL_CW, as filled triangles are.
  Frame g;
  g.Fill(0);
  s.cull = D3DCULL_CW;
  g.Quad(s, 10.2f, 12.3f, 40.2f, 50.3f, 0.5f, 0xFFFFFFFFu);
  for (int32_t y = 0; y < kSize; ++y)
    for (int32_t x = 0; x < kSize; ++x) ASSERT_EQ(g.At(x, y) & 0xFFFFFFu, 0u) << x << ", " << y;
}

// Point size: the pixels whose centres lie in the square of that side round the point, odd and even
// sizes alike, in point fill and for point primitives; a square at the view's edge is cut there, a point
// outside the view draws nothing.
TEST(RasterizerPointSize, PointsAreSquaresOfTheirSize) {
  auto lit = [](Frame& f, int32_t* left, int32_t* top) {
    int n = 0;
    *left = *top = kSize;
    for (int32_t y = 0; y < kSize; ++y)
      for (int32_t x = 0; x < kSize; ++x)
        if ((f.At(x, y) & 0xFFFFFFu) != 0) ++n, *left = std::min(*left, x), *top = std::min(*top, y);
    return n;
  };
  auto point = [](float x, float y) {
    ClipVertex c{};
    c.x = x / kSize * 2 - 1, c.y = 1 - y / kSize * 2, c.z = 0.5f, c.w = 1;
    c.r = c.g = c.b = c.a = 1, c.fog = 1;
    return c;
  };
  const struct {
    float size, x, y;
    int pixels, left, top;
  } cases[] = {
      {1, 20.3f, 30.7f, 1, 20, 31},   {5, 20.3f, 30.7f, 25, 18, 29}, {4, 20.3f, 30.7f, 16, 19, 29},
      {4, 20.6f, 30.2f, 16, 19, 29},  {5, 0.2f, 0.2f, 9, 0, 0},      {5, 63.4f, 31.0f, 15, 61, 29},
      {64, 31.5f, 31.5f, 4096, 0, 0}, {5, -0.5f, 10.0f, 0, 64, 64},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(testing::Message() << c.size << " at " << c.x << ", " << c.y);
    RasterState s = Untextured();
    s.pointSize = c.size;
    Frame f;
    f.Fill(0);
    {
      Rasterizer r(&f.color, nullptr, f.viewport, s);
      r.Point(point(c.x, c.y));
    }
    int32_t left = 0, top = 0;
    EXPECT_EQ(lit(f, &left, &top), c.pixels);
    EXPECT_EQ(left, c.left);
    EXPECT_EQ(top, c.top);
  }
  // Point fill: each corner of a quad a square of the same size.
  RasterState s = Untextured();
  s.fill = D3DFILL_POINT;
  s.pointSize = 3;
  Frame f;
  f.Fill(0);
  f.Quad(s, 10.2f, 12.3f, 40.2f, 50.3f, 0.5f, 0xFFFFFFFFu);
  int32_t left = 0, top = 0;
  EXPECT_EQ(lit(f, &left, &top), 4 * 9);
  EXPECT_EQ(left, 9);
  EXPECT_EQ(top, 11);
}

}  // namespace
}  // namespace PM::SoftD3D
