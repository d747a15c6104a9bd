// The Direct3D 8 engine's state operations on our software device, read back through the device's Get
// calls and its call log: the restored record and its order, passes, viewport, lights, fog, clip
// rectangle, shader passes, texture blend modes and transforms, immediate drawing.
#include <cmath>
#include <cstring>
#include <limits>
#include <sstream>

#include "D3D8EngineFixture.h"
#include "classes/EngineClasses.h"
#include "render/RenderMaterial.h"
#include "render/RenderShader.h"
#include "render/ShaderPhong.h"
#include "render/ShaderTexture.h"
#include "render/Texture2D.h"
#include "render/d3d8/D3D8Light.h"
#include "scene/BaseTransform.h"
#include "scene/Fog.h"
#include "scene/Light.h"
#include "scene/Node.h"
#include "script/object/ObjectModel.h"

namespace PM::Test {
namespace {

bool Has(const std::string& text, const std::string& part) { return text.find(part) != std::string::npos; }

// The lines of the call log that start with `prefix`, without the interface name.
std::string Calls(const char* log, const std::string& prefix) {
  std::istringstream in(log);
  std::string line, out;
  while (std::getline(in, line))
    if (line.rfind("IDirect3DDevice8::" + prefix, 0) == 0) out += line.substr(18) + "\n";
  return out;
}

class D3D8StateTest : public D3D8EngineTest {
 protected:
  void SetUp() override {
    InitScriptObjectModel();
    RegisterEngineClasses();
    BuildNameHashes();
    D3D8EngineTest::SetUp();
    textures.EnableTextureThread = 0;  // no loader thread outlives the class database torn down below
    OpenWindow(64, 64);
    ASSERT_EQ(Initialize(), 0u);
    d = engine->Device();
  }
  void TearDown() override {
    D3D8EngineTest::TearDown();
    UninitScriptObjectModel();
  }

  static Obj<ScriptObject> Make(const char* cls) { return Obj<ScriptObject>(ScriptObject::Create(FindClassID(cls))); }

  DWORD State(D3DRENDERSTATETYPE s) {
    DWORD v = 0xDEADBEEF;
    d->GetRenderState(s, &v);
    return v;
  }
  DWORD Stage(DWORD stage, D3DTEXTURESTAGESTATETYPE t) {
    DWORD v = 0xDEADBEEF;
    d->GetTextureStageState(stage, t, &v);
    return v;
  }

  // A lit shader with a Phong surface and a material; expressions are added by the tests.
  struct Shader {
    Obj<ScriptObject> shader, surface, material;
    RenderShader_I* S() { return static_cast<RenderShader_I*>(shader.Get()); }
    ShaderPhong_I* P() { return static_cast<ShaderPhong_I*>(surface.Get()); }
    RenderMaterial_I* M() { return static_cast<RenderMaterial_I*>(material.Get()); }
  };
  Shader MakeShader() {
    Shader s{Make("RenderShader"), Make("ShaderPhong"), Make("RenderMaterial")};
    s.S()->m_surface = Obj<ShaderExpression_I>(static_cast<ShaderExpression_I*>(s.surface.Get()));
    s.P()->m_material = Obj<RenderMaterial_I>(s.M());
    return s;
  }
  // A ShaderTexture naming a texture, with its coordinate source.
  Obj<ShaderExpression_I> Textured(int32_t source) {
    Obj<ScriptObject> t = Make("ShaderTexture");
    auto* e = static_cast<ShaderTexture_I*>(t.Get());
    e->m_texture = Obj<Texture2D_I>(static_cast<Texture2D_I*>(Make("Texture2D").Get()));
    e->m_texCoordSource = source;
    return Obj<ShaderExpression_I>(static_cast<ShaderExpression_I*>(t.Get()));
  }

  IDirect3DDevice8* d = nullptr;
};

// Restoring state applies the record's render states in their order, then the stages last to first.
TEST_F(D3D8StateTest, RecordIsAppliedInItsOrder) {
  control->ClearCallLog();
  EXPECT_EQ(engine->SetShaderBase(nullptr, true), 1);
  EXPECT_EQ(Calls(control->CallLog(), "SetRenderState"),
            "SetRenderState(137, 0)\nSetRenderState(143, 1)\nSetRenderState(147, 0)\nSetRenderState(145, 0)\n"
            "SetRenderState(146, 0)\nSetRenderState(148, 0)\nSetRenderState(141, 0)\nSetRenderState(15, 0)\n"
            "SetRenderState(25, 8)\nSetRenderState(24, 0)\nSetRenderState(7, 1)\nSetRenderState(23, 4)\n"
            "SetRenderState(14, 1)\nSetRenderState(27, 0)\nSetRenderState(19, 3)\nSetRenderState(20, 1)\n"
            "SetRenderState(171, 1)\nSetRenderState(22, 1)\nSetRenderState(8, 3)\nSetRenderState(47, 0)\n");
  // Two texture units (the setting lowers the device's eight).
  EXPECT_EQ(Calls(control->CallLog(), "SetTexture"),
            "SetTexture(1, none)\nSetTextureStageState(1, 1, 4)\nSetTextureStageState(1, 4, 4)\n"
            "SetTextureStageState(1, 11, 1)\nSetTexture(0, none)\nSetTextureStageState(0, 1, 4)\n"
            "SetTextureStageState(0, 4, 4)\nSetTextureStageState(0, 11, 0)\n");
  D3DMATERIAL8 m;
  d->GetMaterial(&m);
  EXPECT_FLOAT_EQ(m.Diffuse.r, 0.8f);
  EXPECT_FLOAT_EQ(m.Ambient.a, 1.0f);
}

TEST_F(D3D8StateTest, PassRowsAndOtherModes) {
  const struct {
    int32_t mode;
    DWORD z, zWrite, zFunc, cull, fill, lighting, zBias, colorVertex;
  } rows[] = {{-1, 0, 0, 4, 2, 3, 0, 0, 0},
              {0, 0, 0, 4, 1, 3, 0, 0, 1},
              {1, 1, 1, 4, 2, 3, 1, 0, 1},
              {2, 0, 0, 8, 1, 2, 0, 1, 1},
              {3, 1, 1, 4, 2, 2, 0, 1, 1}};
  for (const auto& r : rows) {
    SCOPED_TRACE(r.mode);
    d->SetRenderState(D3DRS_ALPHABLENDENABLE, 1);
    d->SetRenderState(D3DRS_FOGENABLE, 1);
    engine->BeginPass(r.mode);
    const DWORD got[] = {State(D3DRS_ZENABLE),  State(D3DRS_ZWRITEENABLE), State(D3DRS_ZFUNC),
                         State(D3DRS_CULLMODE), State(D3DRS_FILLMODE),     State(D3DRS_LIGHTING),
                         State(D3DRS_ZBIAS),    State(D3DRS_COLORVERTEX)};
    const DWORD want[] = {r.z, r.zWrite, r.zFunc, r.cull, r.fill, r.lighting, r.zBias, r.colorVertex};
    EXPECT_EQ(std::vector<DWORD>(got, got + 8), std::vector<DWORD>(want, want + 8));
    EXPECT_EQ(State(D3DRS_ALPHABLENDENABLE), 0u);
    EXPECT_EQ(State(D3DRS_FOGENABLE), 0u);
    EXPECT_EQ(engine->GetPassMode(), r.mode);
  }
  // Another mode changes only blending, fog, the point size and the two stages' textures.
  DWORD before[kD3DRenderStateCount];
  for (DWORD s = 0; s < kD3DRenderStateCount; ++s) before[s] = State(D3DRENDERSTATETYPE(s));
  control->ClearCallLog();
  engine->BeginPass(5);
  for (DWORD s = 0; s < kD3DRenderStateCount; ++s) {
    if (s != D3DRS_ALPHABLENDENABLE && s != D3DRS_FOGENABLE) {
      EXPECT_EQ(State(D3DRENDERSTATETYPE(s)), before[s]) << s;
    }
  }
  EXPECT_EQ(std::string(control->CallLog()),
            "IDirect3DDevice8::SetRenderState(27, 0)\nIDirect3DDevice8::SetRenderState(28, 0)\n"
            "IDirect3DDevice8::SetRenderState(154, 1065353216)\n"
            "IDirect3DDevice8::SetTexture(1, none)\nIDirect3DDevice8::SetTexture(0, none)\n");
  // The point size reaches the device with the next pass, no larger than its caps say; nonsense is 1.
  const struct {
    float asked, engine, device;
  } sizes[] = {{5.0f, 5.0f, 5.0f}, {1000.0f, 1000.0f, 64.0f}, {0.5f, 1.0f, 1.0f}, {std::nanf(""), 1.0f, 1.0f}};
  for (const auto& size : sizes) {
    SCOPED_TRACE(size.asked);
    engine->SetPointSize(size.asked);
    EXPECT_EQ(engine->GetPointSize(), size.engine);
    engine->BeginPass(6);
    float device = 0;
    const DWORD bits = State(D3DRS_POINTSIZE);
    std::memcpy(&device, &bits, 4);
    EXPECT_EQ(device, size.device);
  }
  engine->ResetPass();
  EXPECT_EQ(engine->GetPassMode(), -1);
}

// Viewport Y counts from the top; matrices go to WORLD and PROJECTION; culling by the stored frustum.
TEST_F(D3D8StateTest, ViewportTransformsAndCulling) {
  const struct {
    int32_t rect[4];
    DWORD y;
  } cases[] = {{{0, 0, 64, 64}, 0}, {{10, 5, 20, 30}, 29}, {{0, 32, 64, 32}, 0}};
  for (const auto& c : cases) {
    engine->SetViewport(c.rect);
    D3DVIEWPORT8 v;
    d->GetViewport(&v);
    EXPECT_EQ(v.Y, c.y);
    EXPECT_EQ(v.X, DWORD(c.rect[0]));
    EXPECT_EQ(v.Height, DWORD(c.rect[3]));
    int32_t back[4];
    engine->GetViewport(back);
    EXPECT_EQ(back[1], c.rect[1]);
  }
  Matrix4f m = kIdentityMatrix4f, p = kIdentityMatrix4f, old, view;
  m[12] = 3.0f, p[0] = 2.0f;
  engine->SetModelViewMatrix(&m);
  engine->ExchangeProjectionMatrix(&p, &old);
  EXPECT_EQ(old[0], 1.0f);
  D3DMATRIX world, projection, v;
  d->GetTransform(D3DTS_WORLD, &world);
  d->GetTransform(D3DTS_PROJECTION, &projection);
  d->GetTransform(D3DTS_VIEW, &v);
  EXPECT_EQ(world.m[3][0], 3.0f);
  EXPECT_EQ(projection.m[0][0], 2.0f);
  EXPECT_EQ(v.m[3][0], 0.0f);
  engine->GetModelViewMatrix(&view);
  EXPECT_EQ(view[12], 3.0f);

  Frustum f;
  f.Set(-1, 1, -1, 1, 1, 100);
  engine->SetCullFrustum(&f);
  const Spheref behind{{0, 0, 50}, 1};
  engine->SetCullEnable(false);
  EXPECT_EQ(engine->CullTest(&behind), 0);
  engine->SetCullEnable(true);
  EXPECT_EQ(engine->CullTest(&behind), f.CullFrustum(behind));
  EXPECT_NE(engine->CullTest(&behind), 0);
  Frustum back;
  engine->GetCullFrustum(&back);
  EXPECT_EQ(std::memcmp(&back, &f, sizeof(f)), 0);
}

// Ambient and fog colours are clamped; fog modes by type; a nil fog only disables fog.
TEST_F(D3D8StateTest, AmbientAndFog) {
  const Vector3f ambient = {2.0f, -1.0f, 0.5f};
  engine->SetAmbientLight(&ambient);
  EXPECT_EQ(State(D3DRS_AMBIENT), 0xFFFF007Fu);
  Obj<ScriptObject> fog = Make("TFog");
  auto* f = static_cast<SFog_I*>(static_cast<TNode_I*>(fog.Get())->GetSNode());
  f->m_color = {2.0f, 0.5f, std::numeric_limits<float>::quiet_NaN()};
  f->m_nearFar = {2.0f, 40.0f};
  f->m_density = 0.25f;
  for (auto [type, mode] : {std::pair{0x03FFF0BEu, 2u}, {0x02FFF0BEu, 1u}, {0x01FFF0BEu, 3u}, {0x7u, 3u}}) {
    f->m_type = type;
    engine->SetFog(&kIdentityMatrix4f, fog);
    EXPECT_EQ(State(D3DRS_FOGTABLEMODE), mode);
  }
  EXPECT_EQ(State(D3DRS_FOGENABLE), 1u);
  EXPECT_EQ(State(D3DRS_FOGCOLOR), 0xFFFF7F00u);
  float start, end, density;
  DWORD bits = State(D3DRS_FOGSTART);
  std::memcpy(&start, &bits, 4);
  bits = State(D3DRS_FOGEND);
  std::memcpy(&end, &bits, 4);
  bits = State(D3DRS_FOGDENSITY);
  std::memcpy(&density, &bits, 4);
  EXPECT_EQ(start, 2.0f);
  EXPECT_EQ(end, 40.0f);
  EXPECT_EQ(density, 0.25f);
  control->ClearCallLog();
  engine->SetFog(&kIdentityMatrix4f, NilScriptObject());
  EXPECT_EQ(std::string(control->CallLog()), "IDirect3DDevice8::SetRenderState(28, 0)\n");
}

// Lights: the light matrix's z row (normalised, negated) or translation row; bad indices only warn.
TEST_F(D3D8StateTest, LightsFromTheLightMatrix) {
  D3DLIGHT8 l = MakeD3DLight(&kIdentityMatrix4f, NilScriptObject());
  EXPECT_EQ(l.Type, D3DLIGHT_DIRECTIONAL);
  EXPECT_EQ(l.Direction.z, -1.0f);
  EXPECT_EQ(l.Diffuse.r + l.Diffuse.g + l.Diffuse.b + l.Diffuse.a, 3.0f);
  Obj<ScriptObject> sun = Make("TLight");
  auto* s = static_cast<SLight_I*>(static_cast<TNode_I*>(sun.Get())->GetSNode());
  s->m_color = {0.5f, 0.25f, 1.0f};
  Matrix4f m = kIdentityMatrix4f;
  m[8] = 0.0f, m[9] = 3.0f, m[10] = 4.0f;  // z row (0, 3, 4)
  m[12] = 3.0f, m[13] = -2.0f, m[14] = 7.0f;
  l = MakeD3DLight(&m, sun);
  EXPECT_EQ(l.Type, D3DLIGHT_DIRECTIONAL);
  EXPECT_FLOAT_EQ(l.Direction.y, -0.6f);
  EXPECT_FLOAT_EQ(l.Direction.z, -0.8f);
  EXPECT_EQ(l.Specular.g, 0.25f);
  EXPECT_EQ(l.Range, 1e10f);
  EXPECT_EQ(l.Attenuation0, 1.0f);
  s->m_type = 0x02FFF0AE;  // Point: the translation
  l = MakeD3DLight(&m, sun);
  EXPECT_EQ(l.Type, D3DLIGHT_POINT);
  EXPECT_EQ(l.Position.x, 3.0f);
  EXPECT_EQ(l.Position.y, -2.0f);
  EXPECT_EQ(l.Position.z, 7.0f);
  out.Take();
  for (int32_t index : {8, -1, 100}) engine->SetLight(index, &m, sun);
  std::string warnings = out.Text();
  int count = 0;
  const std::string line = "Warn  RenderEngineDirectX8_D::SetLight: too many active lights.";
  for (size_t at = warnings.find(line); at != std::string::npos; at = warnings.find(line, at + 1)) ++count;
  EXPECT_EQ(count, 3);
  engine->SetLightingEnable(3);
  EXPECT_EQ(State(D3DRS_LIGHTING), 1u);
  EXPECT_EQ(State(D3DRS_NORMALIZENORMALS), 1u);
  D3DMATERIAL8 mat;
  d->GetMaterial(&mat);
  EXPECT_FLOAT_EQ(mat.Ambient.g, 0.8f);
  EXPECT_EQ(mat.Ambient.a, 0.0f);
}

// The clip rectangle in model space takes the translation off, then the scale (a scale of 2 here).
TEST_F(D3D8StateTest, ClipRectUnderAScale) {
  Matrix4f m = kIdentityMatrix4f;
  m[0] = 2.0f, m[5] = 2.0f, m[12] = 10.0f, m[13] = 20.0f;
  engine->SetModelViewMatrix(&m);
  const float rect[4] = {30.0f, 50.0f, 40.0f, 60.0f};
  engine->SetClipRect(rect, true);
  engine->UpdateClipRect();
  const float* c = engine->ClipRectModel();
  EXPECT_EQ(std::vector<float>(c, c + 4), (std::vector<float>{10.0f, 20.0f, 10.0f, 20.0f}));
  engine->SetClipRect(rect, false);
  engine->SetModelViewMatrix(&kIdentityMatrix4f);
  engine->UpdateClipRect();
  EXPECT_EQ(c[0], 10.0f) << "disabled: not recomputed";
}

// Quads: a strip of two triangles in the clamped colour; clipped quads draw only inside the rectangle.
TEST_F(D3D8StateTest, QuadsAndClippedQuadsByPixels) {
  ChannelClearInfo clear;
  engine->ClearBuffer(&clear);
  engine->BeginPass(0);
  Matrix4f projection = kIdentityMatrix4f;  // pixels: x and y 0..64 onto -1..1
  projection[0] = projection[5] = 2.0f / 64.0f;
  projection[12] = projection[13] = -1.0f;
  engine->SetProjectionMatrix(&projection);
  const float uv[8] = {0, 0, 1, 0, 0, 1, 1, 1};
  const Vector4f color = {2.0f, 0.5f, -1.0f, 1.0f};
  control->ClearCallLog();
  engine->DrawQuad(0, 32, 0, 32, uv, &color);
  EXPECT_TRUE(Has(control->CallLog(), "DrawPrimitiveUP(5, 2, stride 24)"));
  std::vector<uint32_t> px = BackBuffer();
  EXPECT_EQ(px[48 * 64 + 16], 0xFFFF7F00u) << "bottom left quarter (rows count from the top)";
  EXPECT_EQ(px[16 * 64 + 16], 0xFF3F3F3Fu);
  engine->ClearBuffer(&clear);
  const float rect[4] = {40.0f, 56.0f, 0.0f, 64.0f};
  engine->SetClipRect(rect, true);
  engine->UpdateClipRect();
  control->ClearCallLog();
  engine->DrawQuadClipped(0, 32, 0, 32, uv, &color);
  EXPECT_FALSE(Has(control->CallLog(), "DrawPrimitiveUP")) << "wholly outside";
  engine->DrawQuadClipped(32, 64, 32, 64, uv, &color);
  px = BackBuffer();
  EXPECT_EQ(px[16 * 64 + 36], 0xFF3F3F3Fu);
  EXPECT_EQ(px[16 * 64 + 48], 0xFFFF7F00u);
  EXPECT_EQ(px[16 * 64 + 60], 0xFF3F3F3Fu);
}

// Debug shapes and lines go through DrawPrimitiveUP with 16-byte vertices.
TEST_F(D3D8StateTest, DebugShapesAreImmediateLines) {
  ChannelClearInfo clear;
  engine->ClearBuffer(&clear);
  const Vector3f a = {0, 0, 0.5f}, b = {0.5f, 0.5f, 0.5f}, offset = {0, 1, 0};
  const Vector4f color = {1, 0, 0, 1};
  Frustum f;
  f.Set(-1, 1, -1, 1, 1, 100);
  const struct {
    const char* name;
    std::function<void()> draw;
    const char* call;
  } cases[] = {
      {"axes", [&] { engine->DrawDebugAxes(); }, "DrawPrimitiveUP(2, 3, stride 16)"},
      {"bone", [&] { engine->DrawDebugBone(&offset); }, "DrawPrimitiveUP(2, 8, stride 16)"},
      {"frustum", [&] { engine->DrawDebugFrustum(&f); }, "DrawPrimitiveUP(3, 4, stride 16)"},
      {"point", [&] { engine->DrawDebugPoint(&a, &color, 0.1f); }, "DrawPrimitiveUP(2, 3, stride 16)"},
      {"line", [&] { engine->DrawDebugLine(&a, &b, &color); }, "DrawPrimitiveUP(2, 1, stride 16)"},
  };
  for (const auto& c : cases) {
    control->ClearCallLog();
    c.draw();
    EXPECT_EQ(Calls(control->CallLog(), "Draw"), std::string(c.call) + "\n") << c.name;
  }
  // Line colours are clamped like every other colour: a horizontal line across the middle.
  engine->ClearBuffer(&clear);
  engine->BeginPass(0);
  const Vector3f from = {-1.0f, 0.01f, 0.5f}, to = {1.0f, 0.01f, 0.5f};
  const Vector4f bright = {2.0f, -1.0f, 0.5f, 1.0f};
  engine->DrawDebugLine(&from, &to, &bright);
  const std::vector<uint32_t> px = BackBuffer();
  EXPECT_TRUE(px[31 * 64 + 20] == 0xFFFF007Fu || px[32 * 64 + 20] == 0xFFFF007Fu)
      << std::hex << px[31 * 64 + 20] << " " << px[32 * 64 + 20];
}

// The shader passes: refusals, stage set-up, the coordinate-source words and the material rules.
TEST_F(D3D8StateTest, ShaderPassesSetStagesWordsAndMaterial) {
  Shader s = MakeShader();
  // Without an ambient expression, or with one texture unit, the ambient pass does nothing.
  control->ClearCallLog();
  EXPECT_EQ(engine->SetShaderAmbient(s.shader, true), 0);
  EXPECT_EQ(engine->SetShaderAmbient(nullptr, true), 0);
  s.P()->m_ambient = Textured(2);
  s.P()->m_color = Obj<ShaderExpression_I>(static_cast<ShaderExpression_I*>(Make("ShaderLayer").Get()));
  textures.MaxTextureUnit = 1;
  ASSERT_EQ(Initialize(), 0u);
  d = engine->Device();
  control->ClearCallLog();
  EXPECT_EQ(engine->SetShaderAmbient(s.shader, true), 0);
  EXPECT_EQ(std::string(control->CallLog()), "");
  textures.MaxTextureUnit = 2;
  ASSERT_EQ(Initialize(), 0u);
  d = engine->Device();
  // Ambient pass: stage 1 the ambient texture (its source in word 9), stage 0 unbound (a layer is no
  // ShaderTexture), unlit.
  s.S()->m_depthBias = {0.5f, 20.0f};
  s.S()->m_cullEnable = false;
  EXPECT_EQ(engine->SetShaderAmbient(s.shader, true), 1);
  ShaderPassState* pass = engine->GetShaderPassState();
  EXPECT_EQ(pass->Words[9], 0x10002u);
  EXPECT_EQ(pass->Words[8], 0u);
  EXPECT_EQ(Stage(1, D3DTSS_TEXCOORDINDEX), 1u);
  EXPECT_EQ(Stage(0, D3DTSS_TEXCOORDINDEX), 0u);
  EXPECT_EQ(State(D3DRS_ZBIAS), 16u) << "the bias units, clamped";
  EXPECT_EQ(State(D3DRS_CULLMODE), DWORD(D3DCULL_NONE));
  EXPECT_EQ(State(D3DRS_LIGHTING), 0u);
  EXPECT_EQ(engine->CurrentColor().x, 1.0f);
  // The base pass of a lit shader: reflection on stage 1, colour on stage 0, blended onto the ambient
  // pass, transparency leaves the blending on, words 8 and 2.
  s.P()->m_color = Textured(5);
  s.P()->m_reflection = Textured(1);
  s.M()->m_diffuseColor = {0.5f, 0.25f, 1.0f};
  s.M()->m_transparency = 0.5f;
  s.M()->m_specularColor = {0, 0, 0};
  s.M()->m_ambientColor = {0.1f, 0.2f, 0.3f};
  s.S()->m_depthTestEnable = false;
  EXPECT_EQ(engine->SetShaderBase(s.shader, true), 1);
  EXPECT_EQ(pass->Words[8], 0x10005u);
  EXPECT_EQ(pass->Words[9], 0x10001u);
  EXPECT_EQ(pass->Words[2], 0x20000u);
  EXPECT_EQ(Stage(1, D3DTSS_TEXCOORDINDEX), 0x10001u);
  EXPECT_EQ(Stage(1, D3DTSS_COLOROP), DWORD(D3DTOP_ADD));
  EXPECT_EQ(Stage(1, D3DTSS_ALPHAOP), DWORD(D3DTOP_SELECTARG2));
  EXPECT_EQ(State(D3DRS_SRCBLEND), DWORD(D3DBLEND_ONE)) << "the ambient pass's blend stays";
  EXPECT_EQ(State(D3DRS_ALPHABLENDENABLE), 1u);
  EXPECT_EQ(State(D3DRS_LIGHTING), 1u);
  EXPECT_EQ(State(D3DRS_SPECULARENABLE), 0u);
  EXPECT_EQ(State(D3DRS_ZFUNC), DWORD(D3DCMP_ALWAYS));
  D3DMATERIAL8 m;
  d->GetMaterial(&m);
  EXPECT_EQ(m.Diffuse.a, 0.5f);
  EXPECT_EQ(m.Ambient.g, 0.25f);
  EXPECT_EQ(m.Emissive.b, 0.3f);
  EXPECT_EQ(m.Power, 0.0f) << "black specular";
  EXPECT_EQ(engine->CurrentColor().y, 0.25f);
  // Without the ambient expression: transparency switches SRCALPHA / INVSRCALPHA on.
  s.P()->m_ambient = Obj<ShaderExpression_I>();
  s.M()->m_specularColor = {1, 1, 1};
  EXPECT_EQ(engine->SetShaderBase(s.shader, true), 1);
  EXPECT_EQ(State(D3DRS_SRCBLEND), DWORD(D3DBLEND_SRCALPHA));
  EXPECT_EQ(State(D3DRS_DESTBLEND), DWORD(D3DBLEND_INVSRCALPHA));
  EXPECT_EQ(State(D3DRS_SPECULARENABLE), 1u);
  d->GetMaterial(&m);
  EXPECT_EQ(m.Power, 20.0f);
  EXPECT_NE(engine->CurrentColor().x, 1.0f);
  EXPECT_EQ(engine->SetShaderBase(nullptr, true), 1);
  EXPECT_EQ(engine->CurrentColor().x, 1.0f) << "the restored record starts from white";
  // Unlit with an ambient expression: the ambient pass drew it. A shader without a surface answers 1.
  s.P()->m_ambient = Textured(0);
  s.S()->m_lightEnable = false;
  EXPECT_EQ(engine->SetShaderBase(s.shader, false), 0);
  s.S()->m_surface = Obj<ShaderExpression_I>();
  EXPECT_EQ(engine->SetShaderBase(s.shader, false), 1);
}

// A lit surface without a RenderMaterial: the default grey, and colour blends start from it, whatever
// colour the pass before left.
TEST_F(D3D8StateTest, LitSurfaceWithoutMaterialTakesTheDefaultGrey) {
  Shader s = MakeShader();
  s.M()->m_diffuseColor = {1.0f, 0.0f, 0.0f};
  ASSERT_EQ(engine->SetShaderBase(s.shader, true), 1);
  s.P()->m_material = Obj<RenderMaterial_I>();
  for (bool restore : {false, true}) {
    SCOPED_TRACE(restore);
    ASSERT_EQ(engine->SetShaderBase(s.shader, restore), 1);
    EXPECT_EQ(State(D3DRS_LIGHTING), 1u);
    D3DMATERIAL8 m;
    d->GetMaterial(&m);
    EXPECT_EQ(m.Diffuse.r, 0.8f);
    EXPECT_EQ(m.Diffuse.a, 1.0f);
    EXPECT_EQ(m.Ambient.g, 0.8f);
    EXPECT_EQ(m.Specular.r, 0.0f);
    EXPECT_EQ(m.Emissive.r, 0.0f);
    const Vector4f scale = {0.5f, 0.25f, 1.0f, 1.0f}, offset = {0.0f, 0.2f, 0.0f, 0.0f};
    engine->SetMaterialColorBlend(&scale, &offset);
    d->GetMaterial(&m);
    EXPECT_FLOAT_EQ(m.Diffuse.r, 0.4f);
    EXPECT_FLOAT_EQ(m.Diffuse.g, 0.4f);
    EXPECT_FLOAT_EQ(m.Ambient.b, 0.8f);
    EXPECT_EQ(m.Diffuse.a, 1.0f);
  }
}

// The nine alpha modes: only the states a row names are set.
TEST_F(D3D8StateTest, TextureBlendOpRows) {
  const struct {
    int32_t mode;
    DWORD blend, src, dest, test, func, ref, zWrite;
  } rows[] = {
      {0, 0, 11, 11, 0, 1, 7, 1}, {1, 0, 11, 11, 1, 5, 128, 1}, {2, 1, 5, 6, 0, 1, 7, 1}, {3, 1, 5, 6, 0, 1, 7, 0},
      {4, 1, 5, 2, 0, 1, 7, 0},   {5, 1, 2, 2, 0, 1, 7, 0},     {6, 1, 1, 3, 0, 1, 7, 0}, {7, 1, 5, 6, 1, 5, 64, 1},
      {8, 1, 5, 6, 1, 5, 2, 1},   {42, 0, 11, 11, 0, 1, 7, 1},
  };
  Obj<ScriptObject> texture = Make("Texture2D");
  for (const auto& r : rows) {
    SCOPED_TRACE(r.mode);
    for (auto [state, value] : {std::pair{D3DRS_SRCBLEND, 11u},
                                {D3DRS_DESTBLEND, 11u},
                                {D3DRS_ALPHAFUNC, 1u},
                                {D3DRS_ALPHAREF, 7u},
                                {D3DRS_ALPHABLENDENABLE, 5u},
                                {D3DRS_ALPHATESTENABLE, 5u}})
      d->SetRenderState(state, value);
    static_cast<Texture2D_I*>(texture.Get())->SetAlphaMode(r.mode);
    engine->SetTextureBlendOp(0, texture);
    const DWORD got[] = {State(D3DRS_ALPHABLENDENABLE), State(D3DRS_SRCBLEND),  State(D3DRS_DESTBLEND),
                         State(D3DRS_ALPHATESTENABLE),  State(D3DRS_ALPHAFUNC), State(D3DRS_ALPHAREF),
                         State(D3DRS_ZWRITEENABLE)};
    const DWORD want[] = {r.blend, r.src, r.dest, r.test, r.func, r.ref, r.zWrite};
    EXPECT_EQ(std::vector<DWORD>(got, got + 7), std::vector<DWORD>(want, want + 7));
  }
  // Anything but a Texture2D is mode 0.
  engine->SetTextureBlendOp(0, Make("RenderMaterial"));
  EXPECT_EQ(State(D3DRS_ALPHABLENDENABLE), 0u);
}

// Texture transforms: a nil node gives the identity and leaves the flags; a transform node its local
// matrix and COUNT2.
TEST_F(D3D8StateTest, TextureTransforms) {
  d->SetTextureStageState(1, D3DTSS_TEXTURETRANSFORMFLAGS, 3);
  D3DMATRIX junk{};
  junk.m[0][0] = 5.0f;
  d->SetTransform(D3DTRANSFORMSTATETYPE(D3DTS_TEXTURE0 + 1), &junk);
  engine->SetTextureTransform(1, nullptr);
  D3DMATRIX m;
  d->GetTransform(D3DTRANSFORMSTATETYPE(D3DTS_TEXTURE0 + 1), &m);
  EXPECT_EQ(m.m[0][0], 1.0f);
  EXPECT_EQ(Stage(1, D3DTSS_TEXTURETRANSFORMFLAGS), 3u);
  Obj<ScriptObject> node = Make("TTransform");
  engine->SetTextureTransform(1, node);
  EXPECT_EQ(Stage(1, D3DTSS_TEXTURETRANSFORMFLAGS), 2u);
}

}  // namespace
}  // namespace PM::Test
