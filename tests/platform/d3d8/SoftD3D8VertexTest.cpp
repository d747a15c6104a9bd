// The software Direct3D 8 device's vertex stage, read back through the control: lighting against
// Direct3D's equation, material sources, spot cones and ranges, vertex fog, texture coordinate
// generation and matrices, declarations against FVF codes, pre-transformed vertices, and draws that
// read past their vertices refused before anything is written.
#include <algorithm>
#include <cmath>
#include <cstring>
#include <initializer_list>
#include <iterator>
#include <utility>

#include "SoftD3D8Fixture.h"

namespace PM::Test {
namespace {

constexpr UINT kW = 64, kH = 64;
constexpr float kColorTolerance = 1.0f / 255.0f;

DWORD FloatBits(float f) {
  DWORD u;
  std::memcpy(&u, &f, 4);
  return u;
}

D3DMATRIX Identity() {
  D3DMATRIX m{};
  for (int i = 0; i < 4; ++i) m.m[i][i] = 1.0f;
  return m;
}

D3DMATRIX ScaleTranslate(float s, float tx, float ty, float tz) {
  D3DMATRIX m = Identity();
  m.m[0][0] = m.m[1][1] = m.m[2][2] = s;
  m.m[3][0] = tx, m.m[3][1] = ty, m.m[3][2] = tz;
  return m;
}

struct NormalVertex {
  float x, y, z, nx, ny, nz;
};
constexpr DWORD kNormalFvf = D3DFVF_XYZ | D3DFVF_NORMAL;

struct ColoredNormalVertex {
  float x, y, z, nx, ny, nz;
  uint32_t diffuse, specular;
};
constexpr DWORD kColoredNormalFvf = D3DFVF_XYZ | D3DFVF_NORMAL | D3DFVF_DIFFUSE | D3DFVF_SPECULAR;

D3DLIGHT8 MakeLight(D3DLIGHTTYPE type, D3DVECTOR position, D3DVECTOR direction, D3DCOLORVALUE diffuse) {
  D3DLIGHT8 l;
  l.Type = type, l.Position = position, l.Direction = direction, l.Diffuse = diffuse;
  l.Range = 1000.0f, l.Attenuation0 = 1.0f, l.Falloff = 1.0f;
  return l;
}

// Direct3D 8's lighting equation in world space and doubles, the eye at `eye`: diffuse r, g, b, a and
// specular r, g, b of one vertex (the material as every colour source).
struct Lit {
  double c[7];
};
Lit ReferenceLighting(const D3DMATERIAL8& m, D3DCOLOR globalAmbient, const std::vector<D3DLIGHT8>& lights,
                      const double p[3], const double n[3], const double eye[3]) {
  auto dot = [](const double* a, const double* b) { return a[0] * b[0] + a[1] * b[1] + a[2] * b[2]; };
  auto unit = [&](double* v) {
    const double l = std::sqrt(dot(v, v));
    for (int i = 0; i < 3; ++i) v[i] /= l;
  };
  double ambient[3] = {(globalAmbient >> 16 & 0xFF) / 255.0, (globalAmbient >> 8 & 0xFF) / 255.0,
                       (globalAmbient & 0xFF) / 255.0};
  double diffuse[3] = {}, specular[3] = {};
  double toEye[3] = {eye[0] - p[0], eye[1] - p[1], eye[2] - p[2]};
  unit(toEye);
  for (const D3DLIGHT8& l : lights) {
    double toLight[3], f = 1.0;
    if (l.Type == D3DLIGHT_DIRECTIONAL) {
      toLight[0] = -l.Direction.x, toLight[1] = -l.Direction.y, toLight[2] = -l.Direction.z;
    } else {
      toLight[0] = l.Position.x - p[0], toLight[1] = l.Position.y - p[1], toLight[2] = l.Position.z - p[2];
      const double d = std::sqrt(dot(toLight, toLight));
      f = 1.0 / (l.Attenuation0 + l.Attenuation1 * d + l.Attenuation2 * d * d);
    }
    unit(toLight);
    const double la[3] = {l.Ambient.r, l.Ambient.g, l.Ambient.b}, ld[3] = {l.Diffuse.r, l.Diffuse.g, l.Diffuse.b},
                 ls[3] = {l.Specular.r, l.Specular.g, l.Specular.b};
    const double nDotL = dot(n, toLight);
    double h[3] = {toLight[0] + toEye[0], toLight[1] + toEye[1], toLight[2] + toEye[2]};
    unit(h);
    const double nDotH = dot(n, h);
    for (int i = 0; i < 3; ++i) {
      ambient[i] += la[i] * f;
      if (nDotL > 0) diffuse[i] += ld[i] * nDotL * f;
      if (nDotL > 0 && nDotH > 0) specular[i] += ls[i] * std::pow(nDotH, double(m.Power)) * f;
    }
  }
  auto sat = [](double v) { return std::clamp(v, 0.0, 1.0); };
  return {{sat(m.Emissive.r + m.Ambient.r * ambient[0] + m.Diffuse.r * diffuse[0]),
           sat(m.Emissive.g + m.Ambient.g * ambient[1] + m.Diffuse.g * diffuse[1]),
           sat(m.Emissive.b + m.Ambient.b * ambient[2] + m.Diffuse.b * diffuse[2]), sat(m.Diffuse.a),
           sat(m.Specular.r * specular[0]), sat(m.Specular.g * specular[1]), sat(m.Specular.b * specular[2])}};
}

class SoftD3D8VertexTest : public SoftD3D8Test {
 protected:
  void SetUp() override {
    SoftD3D8Test::SetUp();
    if (HasFatalFailure()) return;
    OpenWindow(kW, kH);
    d3d = create(D3D_SDK_VERSION);
    ASSERT_NE(d3d, nullptr);
    device = CreateDevice(d3d, kW, kH, 0);
    ASSERT_NE(device, nullptr);
    ASSERT_EQ(device->BeginScene(), D3D_OK);
  }

  void TearDown() override {
    if (device) device->EndScene(), device->Release();
    if (d3d) d3d->Release();
    SoftD3D8Test::TearDown();
  }

  std::vector<ClipVertexOut> Last() {
    std::vector<ClipVertexOut> v(control->LastVertices(nullptr, 0));
    EXPECT_EQ(control->LastVertices(v.data(), uint32_t(v.size())), v.size());
    return v;
  }

  template <class Vertex>
  std::vector<ClipVertexOut> DrawPoints(DWORD fvf, const std::vector<Vertex>& vertices) {
    device->SetVertexShader(fvf);
    EXPECT_EQ(device->DrawPrimitiveUP(D3DPT_POINTLIST, UINT(vertices.size()), vertices.data(), sizeof(Vertex)), D3D_OK);
    return Last();
  }

  void SetMaterial(D3DCOLORVALUE diffuse, D3DCOLORVALUE ambient, D3DCOLORVALUE specular, D3DCOLORVALUE emissive,
                   float power) {
    D3DMATERIAL8 m;
    m.Diffuse = diffuse, m.Ambient = ambient, m.Specular = specular, m.Emissive = emissive, m.Power = power;
    device->SetMaterial(&m);
  }

  IDirect3D8* d3d = nullptr;
  IDirect3DDevice8* device = nullptr;
};

TEST_F(SoftD3D8VertexTest, DirectionalPointAndAmbientLightWithLocalViewerSpecularMatchTheEquation) {
  // World: scale 2 and x + 1; view: z + 4, so the eye sits at world (0, 0, -4). Lights are given in
  // world space, and the reference works there.
  const D3DMATRIX world = ScaleTranslate(2.0f, 1.0f, 0.0f, 0.0f), view = ScaleTranslate(1.0f, 0.0f, 0.0f, 4.0f);
  device->SetTransform(D3DTS_WORLD, &world);
  device->SetTransform(D3DTS_VIEW, &view);
  D3DLIGHT8 sun = MakeLight(D3DLIGHT_DIRECTIONAL, {}, {0.3f, -0.2f, 0.9327379f}, {0.5f, 0.4f, 0.3f, 0});
  sun.Specular = {0.6f, 0.6f, 0.6f, 0}, sun.Ambient = {0.05f, 0.05f, 0.05f, 0};
  D3DLIGHT8 lamp = MakeLight(D3DLIGHT_POINT, {1.0f, 2.0f, -3.0f}, {}, {0.4f, 0.5f, 0.6f, 0});
  lamp.Specular = {0.3f, 0.3f, 0.3f, 0}, lamp.Ambient = {0.1f, 0, 0, 0};
  lamp.Range = 50, lamp.Attenuation0 = 0.5f, lamp.Attenuation1 = 0.1f, lamp.Attenuation2 = 0.02f;
  const std::vector<D3DLIGHT8> lights = {sun, lamp};
  for (DWORD i = 0; i < 2; ++i) device->SetLight(i, &lights[i]), device->LightEnable(i, 1);
  D3DMATERIAL8 m;
  m.Diffuse = {0.6f, 0.5f, 0.4f, 0.7f}, m.Ambient = {0.3f, 0.4f, 0.5f, 1}, m.Specular = {0.8f, 0.7f, 0.6f, 0.5f};
  m.Emissive = {0.05f, 0.1f, 0, 0}, m.Power = 10;
  device->SetMaterial(&m);
  const D3DCOLOR ambient = 0xFF202040;
  for (auto [state, value] :
       std::initializer_list<std::pair<D3DRENDERSTATETYPE, DWORD>>{{D3DRS_LIGHTING, 1},
                                                                   {D3DRS_AMBIENT, ambient},
                                                                   {D3DRS_SPECULARENABLE, 1},
                                                                   {D3DRS_LOCALVIEWER, 1},
                                                                   {D3DRS_DIFFUSEMATERIALSOURCE, D3DMCS_MATERIAL},
                                                                   {D3DRS_SPECULARMATERIALSOURCE, D3DMCS_MATERIAL}})
    device->SetRenderState(state, value);
  const std::vector<NormalVertex> triangle = {
      {0, 0, 0, 0, 0, -1}, {1, 0, 0, 0.6f, 0, -0.8f}, {0, 1, 0, 0, 0.6f, -0.8f}};
  const double eye[3] = {0, 0, -4};

  // NORMALIZENORMALS off, the doubled world halves the normals (their transform is the inverse transpose).
  for (DWORD normalize : {1u, 0u}) {
    device->SetRenderState(D3DRS_NORMALIZENORMALS, normalize);
    const std::vector<ClipVertexOut> out = DrawPoints(kNormalFvf, triangle);
    ASSERT_EQ(out.size(), 3u);
    for (size_t i = 0; i < 3; ++i) {
      const NormalVertex& v = triangle[i];
      const double p[3] = {2.0 * v.x + 1.0, 2.0 * v.y, 2.0 * v.z};
      const double scale = normalize ? 1.0 : 0.5;
      const double n[3] = {v.nx * scale, v.ny * scale, v.nz * scale};
      const Lit want = ReferenceLighting(m, ambient, lights, p, n, eye);
      const float got[7] = {out[i].r, out[i].g, out[i].b, out[i].a, out[i].sr, out[i].sg, out[i].sb};
      for (int c = 0; c < 7; ++c)
        EXPECT_NEAR(got[c], want.c[c], kColorTolerance)
            << "vertex " << i << " channel " << c << " normalize " << normalize;
    }
  }

  // SPECULARENABLE off: no highlight at all; a vertex without a normal keeps emissive and ambient only.
  device->SetRenderState(D3DRS_SPECULARENABLE, 0);
  std::vector<ClipVertexOut> out = DrawPoints(kNormalFvf, triangle);
  EXPECT_EQ(out[1].sr + out[1].sg + out[1].sb, 0.0f);
  struct Bare {
    float x, y, z;
  };
  out = DrawPoints<Bare>(D3DFVF_XYZ, {{0, 0, 0}});
  const double noNormal[3] = {0, 0, 0}, at[3] = {1, 0, 0};
  const Lit want = ReferenceLighting(m, ambient, lights, at, noNormal, eye);
  EXPECT_NEAR(out[0].r, want.c[0], kColorTolerance);
  EXPECT_NEAR(out[0].g, want.c[1], kColorTolerance);
  EXPECT_NEAR(out[0].b, want.c[2], kColorTolerance);
}

TEST_F(SoftD3D8VertexTest, MaterialSourcesTakeVertexColoursWhereTheVertexHasThem) {
  // One white directional light straight onto the normal (N·L = 1), global ambient 0x40: each colour is
  // emissive + ambient source × 64/255 + diffuse source.
  const D3DLIGHT8 light = MakeLight(D3DLIGHT_DIRECTIONAL, {}, {0, 0, 1}, {1, 1, 1, 0});
  device->SetLight(0, &light);
  device->LightEnable(0, 1);
  device->SetRenderState(D3DRS_AMBIENT, 0xFF404040);
  const float g = 64.0f / 255.0f;
  const ColoredNormalVertex colored{0, 0, 0, 0, 0, -1, 0xFF336699, 0x80FF0000};  // (0.2, 0.4, 0.6), (1, 0, 0, 0.5)
  const ColoredNormalVertex& v = colored;
  struct Row {
    const char* name;
    DWORD colorVertex, ambientSource, diffuseSource, emissiveSource;
    bool plain;  // the vertex carries no colours
    float r, gr, b, a;
    D3DCOLORVALUE emissive;
  } rows[] = {
      {"all material",
       1,
       D3DMCS_MATERIAL,
       D3DMCS_MATERIAL,
       D3DMCS_MATERIAL,
       false,
       0.1f * g + 0.5f,
       0.1f * g + 0.5f,
       0.2f + 0.1f * g + 0.5f,
       0.25f,
       {0, 0, 0.2f, 0}},
      {"diffuse from colour 1",
       1,
       D3DMCS_MATERIAL,
       D3DMCS_COLOR1,
       D3DMCS_MATERIAL,
       false,
       0.1f * g + 0.2f,
       0.1f * g + 0.4f,
       0.2f + 0.1f * g + 0.6f,
       1.0f,
       {0, 0, 0.2f, 0}},
      {"COLORVERTEX off keeps the material",
       0,
       D3DMCS_COLOR1,
       D3DMCS_COLOR1,
       D3DMCS_COLOR1,
       false,
       0.1f * g + 0.5f,
       0.1f * g + 0.5f,
       0.2f + 0.1f * g + 0.5f,
       0.25f,
       {0, 0, 0.2f, 0}},
      {"diffuse from colour 2",
       1,
       D3DMCS_MATERIAL,
       D3DMCS_COLOR2,
       D3DMCS_MATERIAL,
       false,
       0.1f * g + 1.0f,
       0.1f * g,
       0.2f + 0.1f * g,
       0.5f,
       {0, 0, 0.2f, 0}},
      {"a missing colour 2 falls back to the material",
       1,
       D3DMCS_MATERIAL,
       D3DMCS_COLOR2,
       D3DMCS_MATERIAL,
       true,
       0.1f * g + 0.5f,
       0.1f * g + 0.5f,
       0.2f + 0.1f * g + 0.5f,
       0.25f,
       {0, 0, 0.2f, 0}},
      {"ambient and emissive from colour 1",
       1,
       D3DMCS_COLOR1,
       D3DMCS_MATERIAL,
       D3DMCS_COLOR1,
       false,
       0.2f + 0.2f * g + 0.5f,
       0.4f + 0.4f * g + 0.5f,
       1.0f,
       0.25f,
       {0, 0, 0.2f, 0}},
      {"lit colours clamp to 0..1",
       1,
       D3DMCS_MATERIAL,
       D3DMCS_MATERIAL,
       D3DMCS_MATERIAL,
       false,
       1.0f,
       0.0f,
       0.1f * g + 0.5f,
       0.25f,
       {2.0f, -3.0f, 0, 0}},
  };
  for (const Row& row : rows) {
    SetMaterial({0.5f, 0.5f, 0.5f, 0.25f}, {0.1f, 0.1f, 0.1f, 1}, {}, row.emissive, 0);
    device->SetRenderState(D3DRS_COLORVERTEX, row.colorVertex);
    device->SetRenderState(D3DRS_AMBIENTMATERIALSOURCE, row.ambientSource);
    device->SetRenderState(D3DRS_DIFFUSEMATERIALSOURCE, row.diffuseSource);
    device->SetRenderState(D3DRS_EMISSIVEMATERIALSOURCE, row.emissiveSource);
    const std::vector<ClipVertexOut> out =
        row.plain ? DrawPoints(kNormalFvf, std::vector<NormalVertex>{{v.x, v.y, v.z, v.nx, v.ny, v.nz}})
                  : DrawPoints(kColoredNormalFvf, std::vector<ColoredNormalVertex>{v});
    ASSERT_EQ(out.size(), 1u);
    EXPECT_NEAR(out[0].r, std::min(row.r, 1.0f), kColorTolerance) << row.name;
    EXPECT_NEAR(out[0].g, std::min(row.gr, 1.0f), kColorTolerance) << row.name;
    EXPECT_NEAR(out[0].b, std::min(row.b, 1.0f), kColorTolerance) << row.name;
    EXPECT_NEAR(out[0].a, row.a, kColorTolerance) << row.name;
  }

  // Lighting off: the vertex's own colours; white and no specular without them, none with SPECULARENABLE off.
  device->SetRenderState(D3DRS_LIGHTING, 0);
  device->SetRenderState(D3DRS_SPECULARENABLE, 1);
  std::vector<ClipVertexOut> out = DrawPoints(kColoredNormalFvf, std::vector<ColoredNormalVertex>{v});
  EXPECT_NEAR(out[0].g, 0.4f, 1e-6f);
  EXPECT_EQ(out[0].sr, 1.0f);
  out = DrawPoints(kNormalFvf, std::vector<NormalVertex>{{0, 0, 0, 0, 0, -1}});
  EXPECT_EQ(out[0].r + out[0].g + out[0].b + out[0].a, 4.0f);
  EXPECT_EQ(out[0].sr + out[0].sg + out[0].sb, 0.0f);
  device->SetRenderState(D3DRS_SPECULARENABLE, 0);
  out = DrawPoints(kColoredNormalFvf, std::vector<ColoredNormalVertex>{v});
  EXPECT_EQ(out[0].sr, 0.0f);
}

TEST_F(SoftD3D8VertexTest, SpotConeAndRangeShapePositionalLights) {
  // A spot at the origin shining along +z, inner cone 60 degrees, outer 90; a point light of range 5.
  // Every vertex faces its light (N·L = 1) and the white material shows attenuation × spot directly.
  SetMaterial({1, 1, 1, 1}, {1, 1, 1, 1}, {}, {}, 0);
  device->SetRenderState(D3DRS_DIFFUSEMATERIALSOURCE, D3DMCS_MATERIAL);
  const float pi = 3.14159265f;
  D3DLIGHT8 spot = MakeLight(D3DLIGHT_SPOT, {0, 0, 0}, {0, 0, 1}, {1, 1, 1, 0});
  spot.Theta = pi / 3, spot.Phi = pi / 2;
  auto at = [&](float degrees, float distance) {
    const float a = degrees * pi / 180.0f;
    const float x = std::sin(a) * distance, z = std::cos(a) * distance;
    return NormalVertex{x, 0, z, -std::sin(a), 0, -std::cos(a)};
  };
  const float between = (std::cos(40 * pi / 180) - std::cos(pi / 4)) / (std::cos(pi / 6) - std::cos(pi / 4));
  struct Row {
    const char* name;
    D3DLIGHT8 light;
    NormalVertex vertex;
    float want;
  } rows[] = {
      {"on the axis", spot, at(0, 3), 1.0f},
      {"inside the inner cone", spot, at(25, 3), 1.0f},
      {"between the cones, falloff 1", spot, at(40, 3), between},
      {"outside the outer cone", spot, at(50, 3), 0.0f},
      {"point inside its range", MakeLight(D3DLIGHT_POINT, {0, 0, 0}, {}, {1, 1, 1, 0}), at(0, 4), 1.0f},
      {"point beyond its range", MakeLight(D3DLIGHT_POINT, {0, 0, 0}, {}, {1, 1, 1, 0}), at(0, 6), 0.0f},
  };
  rows[4].light.Range = rows[5].light.Range = 5;
  rows[5].light.Ambient = {1, 1, 1, 0};  // beyond the range even the light's ambient is gone
  for (Row& row : rows) {
    row.light.Attenuation0 = 1;
    device->SetLight(0, &row.light);
    device->LightEnable(0, 1);
    const std::vector<ClipVertexOut> out = DrawPoints(kNormalFvf, std::vector<NormalVertex>{row.vertex});
    ASSERT_EQ(out.size(), 1u);
    EXPECT_NEAR(out[0].r, row.want, 1e-4f) << row.name;
  }
  // Attenuation 1 / (a0 + a1 d + a2 d²) at d = 2: 1 / (0.5 + 0.5 + 0.5) = 2/3.
  D3DLIGHT8 point = MakeLight(D3DLIGHT_POINT, {0, 0, 0}, {}, {1, 1, 1, 0});
  point.Attenuation0 = 0.5f, point.Attenuation1 = 0.25f, point.Attenuation2 = 0.125f;
  device->SetLight(0, &point);
  EXPECT_NEAR(DrawPoints(kNormalFvf, std::vector<NormalVertex>{at(0, 2)})[0].r, 2.0f / 3.0f, 1e-4f);
}

TEST_F(SoftD3D8VertexTest, VertexFogFactorsAtKnownDepths) {
  device->SetRenderState(D3DRS_LIGHTING, 0);
  device->SetRenderState(D3DRS_FOGENABLE, 1);
  device->SetRenderState(D3DRS_FOGSTART, FloatBits(2.0f));
  device->SetRenderState(D3DRS_FOGEND, FloatBits(10.0f));
  device->SetRenderState(D3DRS_FOGDENSITY, FloatBits(0.1f));
  // The view moves everything 1 further away: the depths are camera-space ones.
  const D3DMATRIX view = ScaleTranslate(1.0f, 0.0f, 0.0f, 1.0f);
  device->SetTransform(D3DTS_VIEW, &view);
  struct Row {
    const char* name;
    DWORD vertexMode, tableMode, range;
    float x, z, want;
  } rows[] = {
      {"linear at the start", D3DFOG_LINEAR, D3DFOG_NONE, 0, 0, 1, 1.0f},
      {"linear a quarter in", D3DFOG_LINEAR, D3DFOG_NONE, 0, 0, 3, 0.75f},
      {"linear at the end", D3DFOG_LINEAR, D3DFOG_NONE, 0, 0, 9, 0.0f},
      {"linear beyond the end", D3DFOG_LINEAR, D3DFOG_NONE, 0, 0, 20, 0.0f},
      {"linear before the start", D3DFOG_LINEAR, D3DFOG_NONE, 0, 0, 0, 1.0f},
      {"linear takes depth, not distance", D3DFOG_LINEAR, D3DFOG_NONE, 0, 30, 3, 0.75f},
      {"range fog takes the distance", D3DFOG_LINEAR, D3DFOG_NONE, 1, 3, 3, 0.625f},  // distance 5
      {"exp", D3DFOG_EXP, D3DFOG_NONE, 0, 0, 4, std::exp(-0.5f)},
      {"exp2", D3DFOG_EXP2, D3DFOG_NONE, 0, 0, 4, std::exp(-0.25f)},
      {"exp2 far", D3DFOG_EXP2, D3DFOG_NONE, 0, 0, 19, std::exp(-4.0f)},
      {"table fog leaves the vertices clear", D3DFOG_LINEAR, D3DFOG_LINEAR, 0, 0, 20, 1.0f},
      {"no vertex mode", D3DFOG_NONE, D3DFOG_NONE, 0, 0, 20, 1.0f},
  };
  struct Bare {
    float x, y, z;
  };
  for (const Row& row : rows) {
    device->SetRenderState(D3DRS_FOGVERTEXMODE, row.vertexMode);
    device->SetRenderState(D3DRS_FOGTABLEMODE, row.tableMode);
    device->SetRenderState(D3DRS_RANGEFOGENABLE, row.range);
    const std::vector<ClipVertexOut> out = DrawPoints<Bare>(D3DFVF_XYZ, {{row.x, 0, row.z}});
    ASSERT_EQ(out.size(), 1u);
    EXPECT_NEAR(out[0].fog, row.want, 1e-5f) << row.name;
  }
  device->SetRenderState(D3DRS_FOGENABLE, 0);
  EXPECT_EQ(DrawPoints<Bare>(D3DFVF_XYZ, {{0, 0, 20}})[0].fog, 1.0f) << "fog off";
}

TEST_F(SoftD3D8VertexTest, TextureCoordinatesAreChosenGeneratedAndTransformed) {
  struct TexVertex {
    float x, y, z, nx, ny, nz;
    float u0, v0;
    float u1, v1, w1;
  };
  const DWORD fvf =
      D3DFVF_XYZ | D3DFVF_NORMAL | (2 << D3DFVF_TEXCOUNT_SHIFT) | D3DFVF_TEXCOORDSIZE2(0) | D3DFVF_TEXCOORDSIZE3(1);
  const float h = std::sqrt(0.5f);
  const std::vector<TexVertex> vertex = {{1, 2, 3, 0, h, h, 0.25f, 0.5f, 0.1f, 0.2f, 0.3f}};
  device->SetRenderState(D3DRS_LIGHTING, 0);
  device->SetRenderState(D3DRS_LOCALVIEWER, 0);
  // A COUNT2 matrix: u × 2, then the 2-D set's implied third coordinate 1 picks up the third row.
  D3DMATRIX matrix = Identity();
  matrix.m[0][0] = 2, matrix.m[2][0] = 0.5f, matrix.m[2][1] = 0.25f;
  device->SetTransform(D3DTRANSFORMSTATETYPE(D3DTS_TEXTURE0 + 4), &matrix);
  const struct {
    DWORD index, flags;
    float want[4];
  } stages[] = {
      {1, D3DTTFF_DISABLE, {0.1f, 0.2f, 0.3f, 1}},  // set 1 as given, padded
      {0, D3DTTFF_DISABLE, {0.25f, 0.5f, 1, 0}},    // a 2-D set continues 1, 0
      {D3DTSS_TCI_CAMERASPACENORMAL, D3DTTFF_DISABLE, {0, h, h, 1}},
      {D3DTSS_TCI_CAMERASPACEPOSITION | 1, D3DTTFF_DISABLE, {1, 2, 3, 1}},  // the set number is ignored
      {0, D3DTTFF_COUNT2, {1.0f, 0.75f, 1, 0}},
      {D3DTSS_TCI_CAMERASPACEREFLECTIONVECTOR, D3DTTFF_DISABLE, {0, 1, 0, 1}},  // 2 (N·E) N - E, E = +z
      {7, D3DTTFF_DISABLE, {0, 0, 0, 1}},                                       // a set the vertex lacks
  };
  for (DWORD s = 0; s < std::size(stages); ++s) {
    device->SetTextureStageState(s, D3DTSS_COLOROP, D3DTOP_SELECTARG2);
    device->SetTextureStageState(s, D3DTSS_TEXCOORDINDEX, stages[s].index);
    device->SetTextureStageState(s, D3DTSS_TEXTURETRANSFORMFLAGS, stages[s].flags);
  }
  device->SetTextureStageState(7, D3DTSS_COLOROP, D3DTOP_DISABLE);
  std::vector<ClipVertexOut> out = DrawPoints(fvf, vertex);
  ASSERT_EQ(out.size(), 1u);
  for (DWORD s = 0; s < std::size(stages); ++s)
    for (int k = 0; k < 4; ++k) EXPECT_NEAR(out[0].tex[s][k], stages[s].want[k], 1e-6f) << "stage " << s << " " << k;

  // A disabled stage ends the stages read; camera space follows world and view.
  device->SetTextureStageState(1, D3DTSS_COLOROP, D3DTOP_DISABLE);
  const D3DMATRIX world = ScaleTranslate(2.0f, 0, 0, 0), view = ScaleTranslate(1.0f, 0, 0, 5);
  device->SetTransform(D3DTS_WORLD, &world);
  device->SetTransform(D3DTS_VIEW, &view);
  device->SetTextureStageState(0, D3DTSS_TEXCOORDINDEX, D3DTSS_TCI_CAMERASPACEPOSITION);
  out = DrawPoints(fvf, vertex);
  const float want[4] = {2, 4, 11, 1};
  for (int k = 0; k < 4; ++k) EXPECT_NEAR(out[0].tex[0][k], want[k], 1e-5f);
  for (int k = 0; k < 4; ++k) EXPECT_EQ(out[0].tex[2][k], 0.0f) << "after the disabled stage";

  // Normals follow the inverse transpose: x doubled halves a normal's x (NORMALIZENORMALS off).
  D3DMATRIX stretch = Identity();
  stretch.m[0][0] = 2;
  device->SetTransform(D3DTS_WORLD, &stretch);
  device->SetTextureStageState(0, D3DTSS_TEXCOORDINDEX, D3DTSS_TCI_CAMERASPACENORMAL);
  const std::vector<TexVertex> slanted = {{0, 0, 0, h, h, 0, 0, 0, 0, 0, 0}};
  out = DrawPoints(fvf, slanted);
  EXPECT_NEAR(out[0].tex[0][0], 0.5f * h, 1e-6f);
  EXPECT_NEAR(out[0].tex[0][1], h, 1e-6f);
  EXPECT_NEAR(out[0].tex[0][2], 0.0f, 1e-6f);
}

TEST_F(SoftD3D8VertexTest, DeclarationsAndIndexedBuffersGiveTheFvfVertices) {
  // Lit, coloured, textured vertices: once interleaved through an FVF code and a user pointer, once from
  // four streams through a declaration and an indexed buffer draw with a base vertex.
  struct Full {
    float x, y, z, nx, ny, nz;
    uint32_t diffuse;
    float u, v;
  };
  const std::vector<Full> vertices = {{-0.5f, -0.5f, 0.5f, 0, 0, -1, 0xFF204080, 0, 1},
                                      {0.5f, -0.5f, 0.5f, 0.6f, 0, -0.8f, 0x80FF8000, 1, 1},
                                      {0, 0.5f, 0.5f, 0, 0.6f, -0.8f, 0xFF00FF00, 0.5f, 0}};
  D3DLIGHT8 light = MakeLight(D3DLIGHT_POINT, {0, 1, -1}, {}, {0.9f, 0.8f, 0.7f, 0});
  light.Specular = {0.5f, 0.5f, 0.5f, 0};
  device->SetLight(0, &light);
  device->LightEnable(0, 1);
  SetMaterial({0.5f, 0.5f, 0.5f, 1}, {0.2f, 0.2f, 0.2f, 1}, {1, 1, 1, 1}, {}, 4);
  device->SetRenderState(D3DRS_AMBIENT, 0xFF303030);
  device->SetRenderState(D3DRS_SPECULARENABLE, 1);
  device->SetRenderState(D3DRS_AMBIENTMATERIALSOURCE, D3DMCS_COLOR1);
  device->SetTextureStageState(1, D3DTSS_COLOROP, D3DTOP_MODULATE);
  device->SetTextureStageState(1, D3DTSS_TEXCOORDINDEX, D3DTSS_TCI_CAMERASPACENORMAL);
  const std::vector<ClipVertexOut> fromFvf =
      DrawPoints(D3DFVF_XYZ | D3DFVF_NORMAL | D3DFVF_DIFFUSE | D3DFVF_TEX1, vertices);
  ASSERT_EQ(fromFvf.size(), 3u);

  const DWORD declaration[] = {D3DVSD_STREAM(0),
                               D3DVSD_REG(D3DVSDE_POSITION, D3DVSDT_FLOAT3),
                               D3DVSD_STREAM(1),
                               D3DVSD_REG(D3DVSDE_NORMAL, D3DVSDT_FLOAT3),
                               D3DVSD_STREAM(2),
                               D3DVSD_SKIP(1),
                               D3DVSD_REG(D3DVSDE_DIFFUSE, D3DVSDT_D3DCOLOR),
                               D3DVSD_STREAM(7),
                               D3DVSD_REG(D3DVSDE_TEXCOORD0, D3DVSDT_FLOAT2),
                               D3DVSD_END};
  DWORD handle = 0;
  ASSERT_EQ(device->CreateVertexShader(declaration, nullptr, &handle, 0), D3D_OK);
  ASSERT_EQ(device->SetVertexShader(handle), D3D_OK);
  // Two unused vertices before the three, as SetIndices' base vertex skips them.
  constexpr uint32_t kBase = 2;
  std::vector<IDirect3DVertexBuffer8*> buffers;
  auto stream = [&](UINT index, UINT stride, auto fill) {
    IDirect3DVertexBuffer8* vb = nullptr;
    EXPECT_EQ(device->CreateVertexBuffer(stride * (kBase + 3), 0, 0, D3DPOOL_MANAGED, &vb), D3D_OK);
    uint8_t* bytes = nullptr;
    vb->Lock(0, 0, &bytes, 0);
    std::memset(bytes, 0xFF, stride * (kBase + 3));
    for (uint32_t i = 0; i < 3; ++i) fill(bytes + (kBase + i) * stride, vertices[i]);
    vb->Unlock();
    device->SetStreamSource(index, vb, stride);
    buffers.push_back(vb);
  };
  stream(0, 12, [](uint8_t* at, const Full& v) { std::memcpy(at, &v.x, 12); });
  stream(1, 12, [](uint8_t* at, const Full& v) { std::memcpy(at, &v.nx, 12); });
  stream(2, 8, [](uint8_t* at, const Full& v) { std::memcpy(at + 4, &v.diffuse, 4); });
  stream(7, 8, [](uint8_t* at, const Full& v) { std::memcpy(at, &v.u, 8); });
  IDirect3DIndexBuffer8* ib = nullptr;
  ASSERT_EQ(device->CreateIndexBuffer(6, 0, D3DFMT_INDEX16, D3DPOOL_MANAGED, &ib), D3D_OK);
  uint8_t* bytes = nullptr;
  ib->Lock(0, 0, &bytes, 0);
  const uint16_t indices[3] = {0, 1, 2};
  std::memcpy(bytes, indices, sizeof(indices));
  ib->Unlock();
  device->SetIndices(ib, kBase);
  ASSERT_EQ(device->DrawIndexedPrimitive(D3DPT_TRIANGLELIST, 0, 3, 0, 1), D3D_OK);
  const std::vector<ClipVertexOut> fromDeclaration = Last();
  ASSERT_EQ(fromDeclaration.size(), 3u);
  EXPECT_EQ(std::memcmp(fromDeclaration.data(), fromFvf.data(), 3 * sizeof(ClipVertexOut)), 0);
  EXPECT_NEAR(fromFvf[1].a, 128 / 255.0f, 1e-6f) << "the diffuse alpha is the vertex's (COLOR1)";
  EXPECT_GT(fromFvf[0].sr, 0.0f) << "a highlight was lit";

  device->SetIndices(nullptr, 0);
  for (UINT s : {0u, 1u, 2u, 7u}) device->SetStreamSource(s, nullptr, 0);
  ib->Release();
  for (IDirect3DVertexBuffer8* vb : buffers) vb->Release();
  device->SetVertexShader(D3DFVF_XYZ);
  EXPECT_EQ(device->DeleteVertexShader(handle), D3D_OK);
}

TEST_F(SoftD3D8VertexTest, DrawsReadingPastTheirVerticesAreRefusedBeforeAnythingIsWritten) {
  device->SetRenderState(D3DRS_LIGHTING, 0);
  device->SetRenderState(D3DRS_CULLMODE, D3DCULL_NONE);
  device->Clear(0, nullptr, D3DCLEAR_TARGET, 0xFF000000, 1.0f, 0);
  const std::vector<ColorVertex> quad = {
      {-1, 1, 0.5f, 0xFFFFFFFF}, {1, 1, 0.5f, 0xFFFFFFFF}, {1, -1, 0.5f, 0xFFFFFFFF}, {-1, -1, 0.5f, 0xFFFFFFFF}};
  DrawPoints(D3DFVF_XYZ | D3DFVF_DIFFUSE, std::vector<ColorVertex>{{0, 0, 0, 0xFF123456}});
  const std::vector<uint32_t> before = ReadBackBuffer(device);
  const uint16_t pastTheArray[6] = {0, 1, 2, 0, 2, 4};
  EXPECT_EQ(device->DrawIndexedPrimitiveUP(D3DPT_TRIANGLELIST, 0, 4, 2, pastTheArray, D3DFMT_INDEX16, quad.data(),
                                           sizeof(ColorVertex)),
            D3DERR_INVALIDCALL);
  EXPECT_EQ(device->DrawPrimitiveUP(D3DPT_TRIANGLELIST, 1, quad.data(), 12), D3DERR_INVALIDCALL)
      << "a stride that cuts the colour off";

  // Buffers: positions for four vertices, normals for three; index 3 names a vertex without a normal.
  const DWORD declaration[] = {D3DVSD_STREAM(0), D3DVSD_REG(D3DVSDE_POSITION, D3DVSDT_FLOAT3), D3DVSD_STREAM(1),
                               D3DVSD_REG(D3DVSDE_NORMAL, D3DVSDT_FLOAT3), D3DVSD_END};
  DWORD handle = 0;
  ASSERT_EQ(device->CreateVertexShader(declaration, nullptr, &handle, 0), D3D_OK);
  device->SetVertexShader(handle);
  IDirect3DVertexBuffer8 *positions = nullptr, *normals = nullptr;
  ASSERT_EQ(device->CreateVertexBuffer(48, 0, 0, D3DPOOL_MANAGED, &positions), D3D_OK);
  ASSERT_EQ(device->CreateVertexBuffer(36, 0, 0, D3DPOOL_MANAGED, &normals), D3D_OK);
  uint8_t* bytes = nullptr;
  positions->Lock(0, 0, &bytes, 0);
  for (int i = 0; i < 4; ++i) std::memcpy(bytes + 12 * i, &quad[size_t(i)], 12);
  positions->Unlock();
  device->SetStreamSource(0, positions, 12);
  device->SetStreamSource(1, normals, 12);
  IDirect3DIndexBuffer8* ib = nullptr;
  ASSERT_EQ(device->CreateIndexBuffer(12, 0, D3DFMT_INDEX16, D3DPOOL_MANAGED, &ib), D3D_OK);
  ib->Lock(0, 0, &bytes, 0);
  const uint16_t indices[6] = {0, 1, 2, 0, 2, 3};
  std::memcpy(bytes, indices, sizeof(indices));
  ib->Unlock();
  device->SetIndices(ib, 0);
  EXPECT_EQ(device->DrawIndexedPrimitive(D3DPT_TRIANGLELIST, 0, 4, 0, 2), D3DERR_INVALIDCALL) << "normals short";
  EXPECT_EQ(device->DrawPrimitive(D3DPT_TRIANGLEFAN, 0, 2), D3DERR_INVALIDCALL) << "normals short";
  EXPECT_EQ(device->DrawIndexedPrimitive(D3DPT_TRIANGLELIST, 0, 3, 0, 2), D3DERR_INVALIDCALL)
      << "index 3 past the range of three";
  device->SetIndices(ib, 1);
  EXPECT_EQ(device->DrawIndexedPrimitive(D3DPT_TRIANGLELIST, 0, 3, 0, 1), D3DERR_INVALIDCALL)
      << "the base vertex moves the range past the normals";
  device->SetStreamSource(1, nullptr, 0);
  EXPECT_EQ(device->DrawPrimitive(D3DPT_TRIANGLELIST, 0, 1), D3DERR_INVALIDCALL) << "a stream without buffer";
  device->SetStreamSource(1, normals, 12);
  EXPECT_EQ(ReadBackBuffer(device), before);
  const std::vector<ClipVertexOut> last = Last();
  ASSERT_EQ(last.size(), 1u) << "no refused draw reached the vertex stage";
  EXPECT_NEAR(last[0].b, 0x56 / 255.0f, 1e-6f);

  // A user-pointer draw unsets stream 0 and the indices, as Direct3D 8 does.
  device->SetVertexShader(D3DFVF_XYZ | D3DFVF_DIFFUSE);
  device->SetStreamSource(0, positions, 16);
  ASSERT_EQ(device->DrawPrimitiveUP(D3DPT_POINTLIST, 1, quad.data(), sizeof(ColorVertex)), D3D_OK);
  EXPECT_EQ(device->DrawPrimitive(D3DPT_POINTLIST, 0, 1), D3DERR_INVALIDCALL) << "stream 0 unset";
  EXPECT_EQ(device->DrawIndexedPrimitive(D3DPT_POINTLIST, 0, 1, 0, 1), D3DERR_INVALIDCALL) << "indices unset";

  device->SetStreamSource(1, nullptr, 0);
  ib->Release(), positions->Release(), normals->Release();
  device->SetVertexShader(D3DFVF_XYZ);
  device->DeleteVertexShader(handle);
}

TEST_F(SoftD3D8VertexTest, PretransformedVerticesLandOnTheirScreenPixelsUnlit) {
  // A square from (8, 8) to (24, 24) in screen pixels, depth 0.5, 1/w 0.5: pixel centres 8..23 on
  // both axes are covered (top-left rule), in the vertices' colour although lighting is on.
  struct ScreenVertex {
    float x, y, z, rhw;
    uint32_t color;
  };
  const uint32_t c = 0xFF30C060;
  const std::vector<ScreenVertex> square = {{8, 8, 0.5f, 0.5f, c}, {24, 8, 0.5f, 0.5f, c},  {24, 24, 0.5f, 0.5f, c},
                                            {8, 8, 0.5f, 0.5f, c}, {24, 24, 0.5f, 0.5f, c}, {8, 24, 0.5f, 0.5f, c}};
  const D3DMATRIX skew = ScaleTranslate(3.0f, 1, 2, 3);
  device->SetTransform(D3DTS_WORLD, &skew);  // ignored by pre-transformed vertices
  device->SetRenderState(D3DRS_CULLMODE, D3DCULL_NONE);
  device->Clear(0, nullptr, D3DCLEAR_TARGET, 0xFF000000, 1.0f, 0);
  device->SetVertexShader(D3DFVF_XYZRHW | D3DFVF_DIFFUSE);
  ASSERT_EQ(device->DrawPrimitiveUP(D3DPT_TRIANGLELIST, 2, square.data(), sizeof(ScreenVertex)), D3D_OK);
  const std::vector<uint32_t> px = ReadBackBuffer(device);
  int wrong = 0;
  for (uint32_t y = 0; y < kH; ++y)
    for (uint32_t x = 0; x < kW; ++x) {
      const bool inside = x >= 8 && x < 24 && y >= 8 && y < 24;
      wrong += (px[y * kW + x] & 0xFFFFFF) != (inside ? (c & 0xFFFFFF) : 0u);
    }
  EXPECT_EQ(wrong, 0);
  const std::vector<ClipVertexOut> out = Last();
  ASSERT_EQ(out.size(), 6u);
  EXPECT_FLOAT_EQ(out[0].w, 2.0f);
  EXPECT_FLOAT_EQ(out[0].z / out[0].w, 0.5f);
}

}  // namespace
}  // namespace PM::Test
