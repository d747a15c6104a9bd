// The software device's pixel stage through the device's own calls: culling by winding, the near
// plane, shared edges drawn once, table fog at a known depth, depth bias, blending, the alpha test,
// textures bound to a stage (with and without a texture, in several formats), draws a quad at a time
// that the device must redo after any change, and points.
#include <cmath>
#include <cstring>
#include <functional>

#include "SoftD3D8Fixture.h"

namespace PM::Test {
namespace {

constexpr UINT kW = 64, kH = 48;
constexpr DWORD kFvf = D3DFVF_XYZ | D3DFVF_DIFFUSE;

// A device on a window with a D24S8 depth buffer, unlit, no culling.
class SoftD3D8PixelTest : public SoftD3D8Test {
 protected:
  void SetUp() override {
    SoftD3D8Test::SetUp();
    OpenWindow(kW, kH);
    d3d = create(D3D_SDK_VERSION);
    device = CreateDevice(d3d, kW, kH, D3DFMT_D24S8);
    ASSERT_NE(device, nullptr);
    device->SetVertexShader(kFvf);
    device->SetRenderState(D3DRS_LIGHTING, 0);
    device->SetRenderState(D3DRS_CULLMODE, D3DCULL_NONE);
  }
  void TearDown() override {
    if (device) device->Release();
    if (d3d) d3d->Release();
    SoftD3D8Test::TearDown();
  }
  // Clears to black at depth 1, draws, and reads the back buffer.
  std::vector<uint32_t> Frame(const std::function<void()>& draw) {
    device->Clear(0, nullptr, D3DCLEAR_TARGET | D3DCLEAR_ZBUFFER, 0xFF000000, 1.0f, 0);
    device->BeginScene();
    draw();
    device->EndScene();
    return ReadBackBuffer(device);
  }
  void Triangles(const std::vector<ColorVertex>& v) {
    EXPECT_EQ(device->DrawPrimitiveUP(D3DPT_TRIANGLELIST, UINT(v.size() / 3), v.data(), sizeof(ColorVertex)), D3D_OK);
  }
  // Clip-space rectangle at depth z, wound clockwise as seen.
  static std::vector<ColorVertex> Quad(float x0, float y0, float x1, float y1, float z, uint32_t c) {
    return {{x0, y1, z, c}, {x1, y1, z, c}, {x1, y0, z, c}, {x0, y1, z, c}, {x1, y0, z, c}, {x0, y0, z, c}};
  }

  IDirect3D8* d3d = nullptr;
  IDirect3DDevice8* device = nullptr;
};

TEST_F(SoftD3D8PixelTest, CullingByWindingAsSeen) {
  const std::vector<ColorVertex> clockwise = {
      {-1, 1, 0.5f, 0xFFFFFFFF}, {1, 1, 0.5f, 0xFFFFFFFF}, {-1, -1, 0.5f, 0xFFFFFFFF}};
  const std::vector<ColorVertex> counter = {clockwise[0], clockwise[2], clockwise[1]};
  struct Case {
    DWORD cull;
    bool clockwiseShows, counterShows;
  } cases[] = {{D3DCULL_CW, false, true}, {D3DCULL_CCW, true, false}, {D3DCULL_NONE, true, true}};
  for (const Case& c : cases) {
    device->SetRenderState(D3DRS_CULLMODE, c.cull);
    EXPECT_EQ(Frame([&] { Triangles(clockwise); })[kW + 1] != 0xFF000000u, c.clockwiseShows) << "cull " << c.cull;
    EXPECT_EQ(Frame([&] { Triangles(counter); })[kW + 1] != 0xFF000000u, c.counterShows) << "cull " << c.cull;
  }
}

TEST_F(SoftD3D8PixelTest, NothingInFrontOfTheNearPlane) {
  // z runs from -0.5 on the left to 0.5 on the right: the left half lies in front of z 0.
  device->SetRenderState(D3DRS_ZFUNC, D3DCMP_ALWAYS);
  const std::vector<uint32_t> px = Frame([&] {
    Triangles({{-1, 1, -0.5f, 0xFFFFFFFF},
               {1, 1, 0.5f, 0xFFFFFFFF},
               {1, -1, 0.5f, 0xFFFFFFFF},
               {-1, 1, -0.5f, 0xFFFFFFFF},
               {1, -1, 0.5f, 0xFFFFFFFF},
               {-1, -1, -0.5f, 0xFFFFFFFF}});
  });
  for (UINT y = 0; y < kH; ++y) {
    for (UINT x = 0; x < kW; ++x) {
      if (x != kW / 2) {
        EXPECT_EQ(px[y * kW + x], x < kW / 2 ? 0xFF000000u : 0xFFFFFFFFu) << x << ", " << y;
      }
    }
  }
}

TEST_F(SoftD3D8PixelTest, SharedEdgesDrawnAdditivelyCoverEachPixelOnce) {
  device->SetRenderState(D3DRS_ALPHABLENDENABLE, 1);
  device->SetRenderState(D3DRS_SRCBLEND, D3DBLEND_ONE);
  device->SetRenderState(D3DRS_DESTBLEND, D3DBLEND_ONE);
  device->SetRenderState(D3DRS_ZENABLE, 0);
  // A fan of 12 triangles around an off-centre point, corners at odd fractions of pixels.
  constexpr uint32_t kColour = 0xFF202020u;
  constexpr int kSpokes = 12;
  std::vector<ColorVertex> fan;
  const float cx = 0.013f, cy = -0.071f, radius = 0.83f;
  for (int i = 0; i < kSpokes; ++i) {
    const float a0 = 6.2831853f * float(i) / kSpokes + 0.1f, a1 = 6.2831853f * float(i + 1) / kSpokes + 0.1f;
    fan.push_back({cx, cy, 0.5f, kColour});
    fan.push_back({cx + radius * std::cos(a0), cy + radius * std::sin(a0), 0.5f, kColour});
    fan.push_back({cx + radius * std::cos(a1), cy + radius * std::sin(a1), 0.5f, kColour});
  }
  const std::vector<uint32_t> px = Frame([&] { Triangles(fan); });
  int covered = 0;
  for (UINT y = 0; y < kH; ++y) {
    for (UINT x = 0; x < kW; ++x) {
      const uint32_t p = px[y * kW + x];
      EXPECT_TRUE(p == 0xFF000000u || p == kColour) << "pixel " << x << ", " << y << " reads " << std::hex << p;
      // Pixels well inside the fan are covered: no cracks along the spokes.
      const float nx = float(x) / (kW / 2.0f) - 1 - cx, ny = 1 - float(y) / (kH / 2.0f) - cy;
      if (nx * nx + ny * ny < 0.6f * 0.6f) {
        EXPECT_EQ(p, kColour) << "crack at " << x << ", " << y;
      }
      covered += p == kColour;
    }
  }
  EXPECT_GT(covered, 0);
}

TEST_F(SoftD3D8PixelTest, TableFogAtAKnownDepth) {
  // A perspective projection (90 degrees, near 1, far 100) and a white quad filling the view at eye
  // depth 10; black fog.
  D3DMATRIX projection{};
  projection.m[0][0] = 1.0f, projection.m[1][1] = float(kW) / float(kH);
  projection.m[2][2] = 100.0f / 99.0f, projection.m[2][3] = 1.0f, projection.m[3][2] = -100.0f / 99.0f;
  device->SetTransform(D3DTS_PROJECTION, &projection);
  auto bits = [](float f) {
    DWORD d;
    std::memcpy(&d, &f, 4);
    return d;
  };
  device->SetRenderState(D3DRS_FOGENABLE, 1);
  device->SetRenderState(D3DRS_FOGCOLOR, 0xFF000000u);
  device->SetRenderState(D3DRS_FOGSTART, bits(0.0f));
  device->SetRenderState(D3DRS_FOGEND, bits(20.0f));
  struct Case {
    DWORD mode;
    float density;
    int expected;                           // 255 x the fog factor at depth 10
  } cases[] = {{D3DFOG_LINEAR, 1.0f, 128},  // (20 - 10) / (20 - 0) = 0.5
               {D3DFOG_EXP, 0.05f, 155},    // exp(-0.5) = 0.607
               {D3DFOG_EXP2, 0.1f, 94}};    // exp(-1) = 0.368
  for (const Case& c : cases) {
    device->SetRenderState(D3DRS_FOGTABLEMODE, c.mode);
    device->SetRenderState(D3DRS_FOGDENSITY, bits(c.density));
    const std::vector<uint32_t> px = Frame([&] { Triangles(Quad(-20, -20, 20, 20, 10, 0xFFFFFFFF)); });
    for (UINT at : {kW / 2 + kH / 2 * kW, 3 + 3 * kW}) {
      for (int shift : {0, 8, 16}) EXPECT_NEAR(int(px[at] >> shift & 0xFF), c.expected, 2) << "fog mode " << c.mode;
    }
  }
}

TEST_F(SoftD3D8PixelTest, DepthBiasLetsACoplanarDrawPassLess) {
  device->SetRenderState(D3DRS_ZFUNC, D3DCMP_LESS);
  for (DWORD bias : {0u, 1u, 16u}) {
    const std::vector<uint32_t> px = Frame([&] {
      Triangles(Quad(-1, -1, 1, 1, 0.5f, 0xFFFF0000u));
      device->SetRenderState(D3DRS_ZBIAS, bias);
      Triangles(Quad(-1, -1, 1, 1, 0.5f, 0xFF00FF00u));
      device->SetRenderState(D3DRS_ZBIAS, 0);
    });
    EXPECT_EQ(px[kW * 10 + 10], bias ? 0xFF00FF00u : 0xFFFF0000u) << "bias " << bias;
  }
}

TEST_F(SoftD3D8PixelTest, BlendingAndAlphaTestFromRenderStates) {
  struct Case {
    const char* what;
    std::vector<std::pair<D3DRENDERSTATETYPE, DWORD>> states;
    uint32_t expected;  // the half-transparent red quad over the black clear
  } cases[] = {
      {"opaque", {}, 0xFFFF0000u},
      {"alpha blending",
       {{D3DRS_ALPHABLENDENABLE, 1}, {D3DRS_SRCBLEND, D3DBLEND_SRCALPHA}, {D3DRS_DESTBLEND, D3DBLEND_INVSRCALPHA}},
       0xFF800000u},
      {"BOTHSRCALPHA", {{D3DRS_ALPHABLENDENABLE, 1}, {D3DRS_SRCBLEND, D3DBLEND_BOTHSRCALPHA}}, 0xFF800000u},
      {"alpha test passes",
       {{D3DRS_ALPHATESTENABLE, 1}, {D3DRS_ALPHAFUNC, D3DCMP_GREATER}, {D3DRS_ALPHAREF, 127}},
       0xFFFF0000u},
      {"alpha test drops",
       {{D3DRS_ALPHATESTENABLE, 1}, {D3DRS_ALPHAFUNC, D3DCMP_GREATER}, {D3DRS_ALPHAREF, 128}},
       0xFF000000u},
  };
  for (const Case& c : cases) {
    for (const auto& [state, value] : c.states) device->SetRenderState(state, value);
    const std::vector<uint32_t> px = Frame([&] { Triangles(Quad(-1, -1, 1, 1, 0.5f, 0x80FF0000u)); });
    EXPECT_EQ(px[kW * 10 + 10], c.expected) << c.what;
    device->SetRenderState(D3DRS_ALPHABLENDENABLE, 0);
    device->SetRenderState(D3DRS_ALPHATESTENABLE, 0);
  }
}

TEST_F(SoftD3D8PixelTest, BoundTexturesAndUnboundStages) {
  // Without a texture coordinate in the vertices every pixel reads texel (0, 0): enough to see which
  // texture, format and stage set-up a draw takes.
  const std::vector<ColorVertex> quad = Quad(-1, -1, 1, 1, 0.5f, 0xFF8080FFu);
  // Stage 0 modulates its texture with the diffuse colour (the defaults): without a texture the colour
  // passes.
  EXPECT_EQ(Frame([&] { Triangles(quad); })[100], 0xFF8080FFu);
  struct Case {
    D3DFORMAT format;
    uint32_t texel;
    uint32_t expected;  // modulated with (128, 128, 255)
  } cases[] = {{D3DFMT_R5G6B5, 0xF800u, 0xFF800000u},
               {D3DFMT_A4R4G4B4, 0xF0F0u, 0xFF008000u},
               {D3DFMT_L8, 0xFFu, 0xFF8080FFu},
               {D3DFMT_X8R8G8B8, 0x000000FFu, 0xFF0000FFu}};
  for (const Case& c : cases) {
    IDirect3DTexture8* texture = nullptr;
    ASSERT_EQ(device->CreateTexture(1, 1, 1, 0, c.format, D3DPOOL_MANAGED, &texture), D3D_OK);
    D3DLOCKED_RECT locked;
    // A value first that the second lock replaces: the device must not keep the first.
    for (uint32_t value : {0u, c.texel}) {
      ASSERT_EQ(texture->LockRect(0, &locked, nullptr, 0), D3D_OK);
      std::memcpy(locked.pBits, &value, 4 > locked.Pitch ? size_t(locked.Pitch) : 4);
      texture->UnlockRect(0);
      if (value == 0) Frame([&] { device->SetTexture(0, texture), Triangles(quad); });
    }
    EXPECT_EQ(Frame([&] { Triangles(quad); })[100], c.expected) << "format " << c.format;
    // Stage 1 adding a texture it lacks passes stage 0's colour on.
    device->SetTextureStageState(1, D3DTSS_COLOROP, D3DTOP_ADD);
    EXPECT_EQ(Frame([&] { Triangles(quad); })[100], c.expected) << "format " << c.format;
    device->SetTextureStageState(1, D3DTSS_COLOROP, D3DTOP_DISABLE);
    device->SetTexture(0, nullptr);
    texture->Release();
  }
}

// Quads drawn one fan at a time over a buffer's whole range, as the engine draws a record: the device
// keeps the transformed vertices and the pixel state between such draws, and must notice every change.
TEST_F(SoftD3D8PixelTest, QuadByQuadDrawsFollowEveryChangeBetweenThem) {
  // Quad 0 on the left half, quad 1 on the right half, each a fan of four corners.
  std::vector<ColorVertex> corners = {
      {-1, 1, 0.5f, 0xFFFF0000u}, {0, 1, 0.5f, 0xFFFF0000u}, {0, -1, 0.5f, 0xFFFF0000u}, {-1, -1, 0.5f, 0xFFFF0000u},
      {0, 1, 0.5f, 0xFF00FF00u},  {1, 1, 0.5f, 0xFF00FF00u}, {1, -1, 0.5f, 0xFF00FF00u}, {0, -1, 0.5f, 0xFF00FF00u}};
  IDirect3DVertexBuffer8* vertices = nullptr;
  IDirect3DIndexBuffer8* indices = nullptr;
  ASSERT_EQ(device->CreateVertexBuffer(UINT(corners.size() * sizeof(ColorVertex)), 0, 0, D3DPOOL_DEFAULT, &vertices),
            D3D_OK);
  ASSERT_EQ(device->CreateIndexBuffer(8 * 2, 0, D3DFMT_INDEX16, D3DPOOL_DEFAULT, &indices), D3D_OK);
  auto fill = [&] {
    uint8_t* p = nullptr;
    ASSERT_EQ(vertices->Lock(0, 0, &p, 0), D3D_OK);
    std::memcpy(p, corners.data(), corners.size() * sizeof(ColorVertex));
    vertices->Unlock();
  };
  fill();
  uint8_t* p = nullptr;
  ASSERT_EQ(indices->Lock(0, 0, &p, 0), D3D_OK);
  for (uint16_t i = 0; i < 8; ++i) std::memcpy(p + 2 * i, &i, 2);
  indices->Unlock();
  device->SetStreamSource(0, vertices, sizeof(ColorVertex));
  device->SetIndices(indices, 0);
  auto quads = [&](const std::function<void()>& between = {}) {
    return Frame([&] {
      EXPECT_EQ(device->DrawIndexedPrimitive(D3DPT_TRIANGLEFAN, 0, 8, 0, 2), D3D_OK);
      if (between) between();
      EXPECT_EQ(device->DrawIndexedPrimitive(D3DPT_TRIANGLEFAN, 0, 8, 4, 2), D3D_OK);
    });
  };
  const size_t left = kH / 2 * kW + kW / 4, right = kH / 2 * kW + 3 * kW / 4;
  std::vector<uint32_t> px = quads();
  EXPECT_EQ(px[left], 0xFFFF0000u);
  EXPECT_EQ(px[right], 0xFF00FF00u);

  // A new world transform between the two draws moves the second quad (down by half the view).
  D3DMATRIX world{};
  world.m[0][0] = world.m[1][1] = world.m[2][2] = world.m[3][3] = 1, world.m[3][1] = -1;
  D3DMATRIX identity{};
  identity.m[0][0] = identity.m[1][1] = identity.m[2][2] = identity.m[3][3] = 1;
  px = quads([&] { device->SetTransform(D3DTS_WORLD, &world); });
  device->SetTransform(D3DTS_WORLD, &identity);
  EXPECT_EQ(px[kW / 4 * kW + 3 * kW / 4], 0xFF000000u) << "the moved quad's top is empty";
  EXPECT_EQ(px[3 * kH / 4 * kW + 3 * kW / 4], 0xFF00FF00u) << "the moved quad's bottom";

  // New buffer contents between the draws: the second quad turns blue.
  px = quads([&] {
    for (size_t i = 4; i < 8; ++i) corners[i].color = 0xFF0000FFu;
    fill();
  });
  EXPECT_EQ(px[left], 0xFFFF0000u);
  EXPECT_EQ(px[right], 0xFF0000FFu);

  // Lighting turned on between them (no lights, no material): the second quad is black.
  px = quads([&] { device->SetRenderState(D3DRS_LIGHTING, 1); });
  device->SetRenderState(D3DRS_LIGHTING, 0);
  EXPECT_EQ(px[left], 0xFFFF0000u);
  EXPECT_EQ(px[right], 0xFF000000u);

  // A colour write mask of red alone between them (a pixel state): the blue quad writes nothing.
  px = quads([&] { device->SetRenderState(D3DRS_COLORWRITEENABLE, 1); });
  device->SetRenderState(D3DRS_COLORWRITEENABLE, 0xF);
  EXPECT_EQ(px[left], 0xFFFF0000u);
  EXPECT_EQ(px[right], 0xFF000000u);

  // A texture written between them, nothing else changed: the second quad shows the new texel.
  IDirect3DTexture8* texture = nullptr;
  ASSERT_EQ(device->CreateTexture(1, 1, 1, 0, D3DFMT_R5G6B5, D3DPOOL_MANAGED, &texture), D3D_OK);
  auto texel = [&](uint16_t value) {
    D3DLOCKED_RECT locked;
    ASSERT_EQ(texture->LockRect(0, &locked, nullptr, 0), D3D_OK);
    std::memcpy(locked.pBits, &value, 2);
    texture->UnlockRect(0);
  };
  texel(0xFFFF);
  device->SetTexture(0, texture);
  device->SetTextureStageState(0, D3DTSS_COLOROP, D3DTOP_SELECTARG1);
  px = quads([&] { texel(0x001F); });
  EXPECT_EQ(px[left], 0xFFFFFFFFu);
  EXPECT_EQ(px[right], 0xFF0000FFu);
  device->SetTexture(0, nullptr);
  texture->Release();
  device->SetTextureStageState(0, D3DTSS_COLOROP, D3DTOP_MODULATE);

  // A range starting further in names the same vertices by the same indices.
  px = Frame([&] { EXPECT_EQ(device->DrawIndexedPrimitive(D3DPT_TRIANGLEFAN, 4, 4, 4, 2), D3D_OK); });
  EXPECT_EQ(px[left], 0xFF000000u);
  EXPECT_EQ(px[right], 0xFF0000FFu);
  device->SetStreamSource(0, nullptr, 0);
  device->SetIndices(nullptr, 0);
  vertices->Release();
  indices->Release();
}

// A point lights the one pixel whose square holds it (pixel x covers x - 0.5 up to x + 0.5).
TEST_F(SoftD3D8PixelTest, PointsLightThePixelHoldingThem) {
  auto clipX = [](double x) { return float(x / kW * 2 - 1); };
  auto clipY = [](double y) { return float(1 - y / kH * 2); };
  const struct {
    double x, y;
    UINT px, py;
  } points[] = {{10, 10, 10, 10}, {20.4, 5.6, 20, 6}, {0.2, 47.3, 0, 47}, {63.45, 0.45, 63, 0}};
  std::vector<ColorVertex> v;
  for (const auto& q : points) v.push_back({clipX(q.x), clipY(q.y), 0.5f, 0xFFFFFFFFu});
  const std::vector<uint32_t> px = Frame([&] {
    EXPECT_EQ(device->DrawPrimitiveUP(D3DPT_POINTLIST, UINT(v.size()), v.data(), sizeof(ColorVertex)), D3D_OK);
  });
  size_t lit = 0;
  for (uint32_t p : px) lit += p != 0xFF000000u;
  EXPECT_EQ(lit, std::size(points));
  for (const auto& q : points) EXPECT_EQ(px[q.py * kW + q.px], 0xFFFFFFFFu) << q.x << ", " << q.y;
}

}  // namespace
}  // namespace PM::Test
