// The OpenGL engine's shader passes, GLSL programs, channel effects, float render buffer and texture-memory
// measure on the display's own driver (llvmpipe under Xvfb), with state read back through glGet*.
#include <gtest/gtest.h>

#include <atomic>
#include <cmath>
#include <cstdlib>
#include <functional>
#include <iterator>
#include <memory>
#include <vector>

#include "classes/FileObject.h"
#include "core/RegistryKey.h"
#include "platform/PlatformWindow.h"
#include "platform/WindowClass.h"
#include "render/RenderChannel.h"
#include "render/RenderMaterial.h"
#include "render/RenderShader.h"
#include "render/ShaderLayer.h"
#include "render/ShaderPhong.h"
#include "render/ShaderProgram.h"
#include "render/ShaderTexture.h"
#include "render/Texture2D.h"
#include "render/opengl/RenderEngineOpenGL.h"
#include "render/opengl/ShaderHandleOpenGL.h"
#include "scene/EngineWorld.h"
#include "support/LogCapture.h"
#include "support/TestEnv.h"

namespace PM::Test {
namespace {

intptr_t Quiet(PlatformWindow*, uint32_t, uintptr_t, intptr_t) { return 0; }

// Counts every call made through the OpenGL table while it lives, then puts the table back.
std::atomic<int> g_glCalls{0};
template <class Tag, class F>
struct Counted;
template <class Tag, class R, class... A>
struct Counted<Tag, R (*)(A...)> {
  static inline R (*original)(A...) = nullptr;
  static R Call(A... a) {
    ++g_glCalls;
    return original(a...);
  }
};

class GLCallCounter {
 public:
  GLCallCounter() : m_saved(OpenGLAPI::Instance()) {
    OpenGLAPI& api = OpenGLAPI::Instance();
#define PM_COUNT_ENTRY(name, result, params)    \
  {                                             \
    struct Tag {};                              \
    using C = Counted<Tag, decltype(api.name)>; \
    C::original = api.name;                     \
    if (api.name) api.name = &C::Call;          \
  }
    PM_OPENGL_API_ENTRIES(PM_COUNT_ENTRY)
#undef PM_COUNT_ENTRY
    api.glSwitch[0] = api.glDisable;
    api.glSwitch[1] = api.glEnable;
    g_glCalls = 0;
  }
  ~GLCallCounter() { OpenGLAPI::Instance() = m_saved; }
  int Calls() const { return g_glCalls; }

 private:
  OpenGLAPI m_saved;
};

class OpenGLShaderTest : public EngineWorldTest {
 protected:
  struct Pipe {
    PlatformWindow* window = nullptr;
    Ptr<RenderEngine_I> handle;
    RenderEngineOpenGL_D& E() { return *static_cast<RenderEngineOpenGL_D*>(handle->Engine()); }
  };

  void SetUp() override {
    if (!std::getenv("DISPLAY")) GTEST_SKIP() << "needs an X display (run under xvfb-run -a)";
    setenv("PM_REGISTRY_FILE", m_dir.File("registry.txt").c_str(), 1);
    EngineWorldTest::SetUp();
    ASSERT_TRUE(RegisterWindowClass("PelmoraShaderTest", CS_OWNDC, &Quiet));
  }
  void TearDown() override {
    while (!m_pipes.empty()) Close();
    UnregisterWindowClass("PelmoraShaderTest");
    if (!IsSkipped()) EngineWorldTest::TearDown();
    unsetenv("PM_REGISTRY_FILE");
  }
  // A window of the size with an engine set up on it; its context is current.
  RenderEngineOpenGL_D& Open(int width = 64, int height = 64, int32_t maxUnits = 2, const String& imagePath = {}) {
    WindowCreateInfo info;
    info.className = "PelmoraShaderTest";
    info.title = "shader";
    info.width = width;
    info.height = height;
    auto pipe = std::make_unique<Pipe>();
    pipe->window = CreatePlatformWindow(info);
    EXPECT_NE(pipe->window, nullptr);
    pipe->handle = RenderEngine::Create(1);
    RenderFormatInfo format;
    format.Width = width;
    format.Height = height;
    format.DepthBits = 24;
    TextureSettingsInfo t;
    t.MaxTextureUnit = maxUnits;
    t.EnableTextureThread = 0;  // textures load (or fall back) on the spot
    t.ImagePath = imagePath;
    EXPECT_EQ(pipe->E().InitializeRenderWindow(&t, &format, pipe->window), SOK);
    m_pipes.push_back(std::move(pipe));
    return m_pipes.back()->E();
  }
  void Close() {
    m_pipes.back()->handle.Clear();
    DestroyPlatformWindow(m_pipes.back()->window);
    m_pipes.pop_back();
  }
  const OpenGLAPI& GL() { return OpenGLAPI::Instance(); }
  GLint Int(GLenum name) {
    GLint v = -1;
    GL().glGetIntegerv(name, &v);
    return v;
  }
  bool On(GLenum name) {
    GLboolean v = 2;
    GL().glGetBooleanv(name, &v);
    return v != 0;
  }
  template <class F>
  F Proc(const char* name) {
    return reinterpret_cast<F>(GL().GetProcAddress(name));
  }
  R8G8B8A8 At(RenderEngineOpenGL_D& e, int x, int y, int width) {
    Array<uint8_t> a;
    e.ReadColorBuffer(&a);
    const size_t i = (size_t(y) * size_t(width) + size_t(x)) * 3;
    return {a[int(i)], a[int(i + 1)], a[int(i + 2)], 255};
  }
  void Black(RenderEngineOpenGL_D& e) {
    ChannelClearInfo c;
    c.ColorClearValue[0] = c.ColorClearValue[1] = c.ColorClearValue[2] = 0.0f;
    ASSERT_EQ(e.ClearBuffer(&c), SOK);
    e.SetProjectionMatrix(&kIdentityMatrix4f);
    e.SetModelViewMatrix(&kIdentityMatrix4f);
  }
  // A shader with a Phong surface; its material, ambient and program members are set by the caller.
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
  // A program of "tint.vs"/"tint.fs" in the test folder: the vertex colour times (1, 0.5, 0.25).
  Obj<ScriptObject> TintProgram() {
    WriteFile(m_dir.File("tint.vs"),
              "#version 110\nvoid main() { gl_FrontColor = gl_Color; gl_Position = ftransform(); }\n");
    WriteFile(m_dir.File("tint.fs"),
              "#version 110\nvoid main() { gl_FragColor = gl_Color * vec4(1.0, 0.5, 0.25, 1.0); }\n");
    Obj<ScriptObject> file = Make("FileObject");
    static_cast<FileObject_I*>(file.Get())->SetFileName("tint");
    Obj<ScriptObject> program = Make("ShaderProgram", "tint");
    auto* p = static_cast<ShaderProgram_I*>(program.Get());
    p->m_vertexShaderFile = p->m_fragmentShaderFile = Obj<FileObject_I>(static_cast<FileObject_I*>(file.Get()));
    return program;
  }
  String Folder() { return String((m_dir.Path() + "/").c_str()); }
  // A file object of the name, or nil for none.
  Obj<FileObject_I> File(const char* name) {
    if (!name) return Obj<FileObject_I>();
    Obj<ScriptObject> file = Make("FileObject");
    static_cast<FileObject_I*>(file.Get())->SetFileName(name);
    return Obj<FileObject_I>(static_cast<FileObject_I*>(file.Get()));
  }
  // The error and warning messages of a log text, with the lines that continue them.
  static std::string Complaints(const std::string& text) {
    std::string out;
    bool keep = false;
    for (size_t at = 0, end = 0; at < text.size(); at = end + 1) {
      end = std::min(text.find('\n', at), text.size());
      const std::string line = text.substr(at, end - at);
      bool starts = false;
      for (const char* level : {"Debug", "Info ", "Note ", "Warn ", "Error", "FATAL"})
        starts = starts || line.rfind(level, 0) == 0;
      if (starts) keep = line.rfind("Warn ", 0) == 0 || line.rfind("Error", 0) == 0 || line.rfind("FATAL", 0) == 0;
      if (keep) out += line + "\n";
    }
    return out;
  }
  static int Lines(const std::string& text) { return int(std::count(text.begin(), text.end(), '\n')); }
  // A frame of one shader through its base pass and a quad in (0.5, 0.25, 1) over the middle of the view.
  void DrawFrame(RenderEngineOpenGL_D& e, const Shader& s) {
    Black(e);
    e.BeginPass(-1);
    EXPECT_EQ(e.SetShaderBase(s.shader, true), 1);
    const float uv[8] = {};
    const Vector4f color = {0.5f, 0.25f, 1.0f, 1.0f};
    e.DrawQuad(-0.5f, 0.5f, -0.5f, 0.5f, uv, &color);
  }

  TempDir m_dir;
  std::vector<std::unique_ptr<Pipe>> m_pipes;
};

TEST_F(OpenGLShaderTest, PassesRefuseWithoutTheirUnitsAndExtensions) {
  Shader s = MakeShader();
  s.P()->m_ambient = Obj<ShaderExpression_I>(static_cast<ShaderExpression_I*>(Make("ShaderTexture").Get()));
  s.P()->m_bump = s.P()->m_ambient;
  {
    RenderEngineOpenGL_D& e = Open(64, 64, 2);
    EXPECT_EQ(e.SetShaderAmbient(s.shader, true), 1);
    EXPECT_FALSE(On(GL_LIGHTING));
    EXPECT_EQ(e.DefaultColor().x, 1.0f);
    EXPECT_EQ(e.SetShaderBump(s.shader, true), 1);
    EXPECT_EQ(e.DefaultColor().z, 1.0f);
    EXPECT_EQ(e.DefaultColor().x, 0.0f);
    // Additive over the ambient pass.
    EXPECT_TRUE(On(GL_BLEND));
    EXPECT_EQ(Int(GL_BLEND_SRC), GL_ONE);
    // The base pass: the ambient pass drew an unlit surface already.
    s.S()->m_lightEnable = false;
    EXPECT_EQ(e.SetShaderBase(s.shader, true), 0);
    EXPECT_EQ(e.SetShaderAmbient(nullptr, true), 0);
    Close();
  }
  {
    RenderEngineOpenGL_D& e = Open(64, 64, 1);
    GLCallCounter counter;
    EXPECT_EQ(e.SetShaderAmbient(s.shader, true), 0);
    EXPECT_EQ(e.SetShaderBump(s.shader, true), 0);
    EXPECT_EQ(counter.Calls(), 0);
    Close();
  }
  RegistryKey key;
  ASSERT_TRUE(key.CreateKey("Software\\Pelmora\\Engine\\OpenGL"));
  key.SetValueDataString("GL_EXT_texture_env_dot3", "disable");
  RenderEngineOpenGL_D& e = Open(64, 64, 2);
  EXPECT_FALSE(e.Extensions().Has(kGL_EXT_texture_env_dot3));
  EXPECT_EQ(e.SetShaderBump(s.shader, true), 0);
  EXPECT_EQ(e.SetShaderAmbient(s.shader, true), 1);
}

TEST_F(OpenGLShaderTest, SameBaseShaderTwiceMakesNoCallAndAnswersAlike) {
  RenderEngineOpenGL_D& e = Open();
  Shader lit = MakeShader(), unlit = MakeShader();
  unlit.S()->m_lightEnable = false;
  unlit.P()->m_ambient = Obj<ShaderExpression_I>(static_cast<ShaderExpression_I*>(Make("ShaderTexture").Get()));
  for (Shader* s : {&lit, &unlit}) {
    e.BeginPass(-1);
    const int32_t first = e.SetShaderBase(s->shader, true);
    GLCallCounter counter;
    EXPECT_EQ(e.SetShaderBase(s->shader, true), first);
    EXPECT_EQ(counter.Calls(), 0);
  }
  e.BeginPass(-1);
  EXPECT_EQ(e.SetShaderBase(lit.shader, true), 1);
  EXPECT_EQ(e.PassState().Words[2], 0x20000u);
}

// The sorted passes ask for the ambient pass before every base pass: one that declines (no ambient
// expression) must not cost the next record of the same shader a full set-up; one that sets itself up
// must.
TEST_F(OpenGLShaderTest, DecliningAmbientAndBumpPassesKeepTheBaseRepeatFree) {
  RenderEngineOpenGL_D& e = Open(64, 64, 2);
  Shader lit = MakeShader(), ambient = MakeShader();
  ambient.P()->m_ambient = Obj<ShaderExpression_I>(static_cast<ShaderExpression_I*>(Make("ShaderTexture").Get()));
  e.BeginPass(-1);
  ASSERT_EQ(e.SetShaderBase(lit.shader, true), 1);
  {
    GLCallCounter counter;
    EXPECT_EQ(e.SetShaderAmbient(lit.shader, true), 0);
    EXPECT_EQ(e.SetShaderBump(lit.shader, true), 0);
    EXPECT_EQ(e.SetShaderBase(lit.shader, true), 1);
    EXPECT_EQ(counter.Calls(), 0);
  }
  EXPECT_TRUE(On(GL_LIGHTING));
  ASSERT_EQ(e.SetShaderBase(ambient.shader, true), 1);
  ASSERT_EQ(e.SetShaderAmbient(ambient.shader, true), 1);
  EXPECT_FALSE(On(GL_LIGHTING));
  {
    GLCallCounter counter;
    EXPECT_EQ(e.SetShaderBase(ambient.shader, false), 1);
    EXPECT_GT(counter.Calls(), 0);
  }
  EXPECT_TRUE(On(GL_LIGHTING));
  // A nil shader forgets the base pass as before.
  ASSERT_EQ(e.SetShaderBase(lit.shader, true), 1);
  EXPECT_EQ(e.SetShaderAmbient(nullptr, true), 0);
  GLCallCounter counter;
  EXPECT_EQ(e.SetShaderBase(lit.shader, true), 1);
  EXPECT_GT(counter.Calls(), 0);
}

// Geometry asks for its colour before every draw; a repeat the context already holds sends nothing,
// and every operation that changes the current colour or the front material in between makes the next
// request send it again.
TEST_F(OpenGLShaderTest, MaterialColourRepeatsSendNothingUntilSomethingElseChangedIt) {
  RenderEngineOpenGL_D& e = Open(64, 64, 2);
  auto getMaterial = Proc<void (*)(GLenum, GLenum, GLfloat*)>("glGetMaterialfv");
  ASSERT_TRUE(getMaterial);
  const Vector4f red = {1.0f, 0.0f, 0.0f, 1.0f}, blue = {0.0f, 0.0f, 1.0f, 1.0f};
  auto sends = [&](const Vector4f& c) {
    GLCallCounter counter;
    e.SetMaterialColor(&c);
    return counter.Calls();
  };
  // The current colour, and the front diffuse material where it does not follow that colour.
  auto holds = [&](const Vector4f& c) {
    float current[4] = {-1, -1, -1, -1}, diffuse[4] = {c.x, c.y, c.z, c.w};
    GL().glGetFloatv(GL_CURRENT_COLOR, current);
    if (!On(GL_COLOR_MATERIAL)) getMaterial(GL_FRONT, GL_DIFFUSE, diffuse);
    return current[0] == c.x && current[2] == c.z && diffuse[0] == c.x && diffuse[2] == c.z;
  };
  e.BeginPass(-1);
  EXPECT_EQ(sends(red), 2);
  EXPECT_EQ(sends(red), 0);
  EXPECT_EQ(sends(blue), 2);
  EXPECT_TRUE(holds(blue));
  const Vector4f nan = {std::nanf(""), 0.0f, 0.0f, 1.0f};
  EXPECT_EQ(sends(nan), 2);
  EXPECT_EQ(sends(nan), 2);
  // A quad with its own colour, a debug line, the stencil shadow, a new pass, an ambient and a
  // material pass and a colour-array draw each change it.
  const float uv[8] = {};
  const Vector3f from = {0, 0, 0}, to = {1, 1, 0};
  const std::function<void()> changes[] = {
      [&] { e.DrawQuad(-1, 1, -1, 1, uv, &blue); },
      [&] { e.DrawDebugLine(&from, &to, &blue); },
      [&] { e.DrawStencilShadow(); },
      [&] { e.BeginPass(-1); },
      [&] {
        Shader s = MakeShader();
        s.P()->m_ambient = Obj<ShaderExpression_I>(static_cast<ShaderExpression_I*>(Make("ShaderTexture").Get()));
        ASSERT_EQ(e.SetShaderAmbient(s.shader, true), 1);
      },
      [&] {
        Shader s = MakeShader();
        s.M()->m_diffuseColor = {0.0f, 0.0f, 1.0f};
        ASSERT_EQ(e.SetShaderBase(s.shader, true), 1);
      },
      [&] {
        const Vector3f corners[3] = {{0, 0, 0}, {1, 0, 0}, {0, 1, 0}};
        const Vector4f colors[3] = {blue, blue, blue};
        const uint32_t indices[3] = {0, 1, 2};
        PolygonData d;
        d.PrimType = PrimitiveType::kTriangle;
        d.PrimCount = 1;
        d.VertexCount = 3;
        d.IndexCount = 3;
        d.VertexArray = corners;
        d.ColorArray = colors;
        d.IndexArray = indices;
        e.DrawPolygonData(&d, nullptr);
      },
  };
  for (size_t i = 0; i < std::size(changes); ++i) {
    SCOPED_TRACE(i);
    sends(red);
    ASSERT_EQ(sends(red), 0);
    changes[i]();
    EXPECT_EQ(sends(red), 2);
    EXPECT_TRUE(holds(red));
  }
}

// Every instance of a shared mesh draws from the same buffers: while the context holds them as its
// arrays, a repeat makes the draw call alone; whatever moved the pointers in between (another geometry,
// a client-array draw, a new pass, an upload) makes the next draw set them all again, and each draws
// its own triangle.
TEST_F(OpenGLShaderTest, TheSameBuffersDrawnAgainSetNoArrays) {
  RenderEngineOpenGL_D& e = Open(64, 64, 2);
  ASSERT_TRUE(e.Extensions().Has(kGL_ARB_vertex_buffer_object));
  // A triangle over the left or the right half of the view, in one colour.
  struct Mesh {
    Vector3f corners[3];
    Vector4f colors[3];
    uint32_t indices[3] = {0, 1, 2};
    PolygonData d;
    Ptr<RenderPolygonCache> slot;
    // Counter-clockwise on either side, so culling keeps both.
    Mesh(float x, const Vector4f& c)
        : corners{{x, -1, 0}, {x * 0.1f, x < 0 ? -1.0f : 1.0f, 0}, {x * 0.1f, x < 0 ? 1.0f : -1.0f, 0}},
          colors{c, c, c} {
      d.PrimType = PrimitiveType::kTriangle;
      d.PrimCount = 1, d.VertexCount = 3, d.IndexCount = 3;
      d.VertexArray = corners, d.ColorArray = colors, d.IndexArray = indices;
    }
    ~Mesh() {
      if (slot) slot->Unload();
    }
  };
  const Vector4f red = {1, 0, 0, 1}, green = {0, 1, 0, 1};
  Mesh left(-1.0f, red), right(1.0f, green);
  auto begin = [&] {
    Black(e);
    e.BeginPass(-1);
    GL().glDisable(GL_LIGHTING);
  };
  auto calls = [&](Mesh& m, bool cached = true) {
    GLCallCounter counter;
    e.DrawPolygonData(&m.d, cached ? &m.slot : nullptr);
    return counter.Calls();
  };
  auto shows = [&](int x, const Vector4f& c) {
    const R8G8B8A8 p = At(e, x, 32, 64);
    return p.R == uint8_t(255 * c.x) && p.G == uint8_t(255 * c.y) && p.B == 0;
  };
  begin();
  EXPECT_GT(calls(left), 1);
  EXPECT_EQ(calls(left), 1);  // the draw call
  EXPECT_EQ(calls(left), 1);
  EXPECT_GT(calls(right), 1);
  EXPECT_GT(calls(left), 1);
  EXPECT_TRUE(shows(24, red) && shows(40, green));
  begin();
  EXPECT_GT(calls(left), 1);
  calls(right, false);
  EXPECT_GT(calls(left), 1);
  EXPECT_TRUE(shows(24, red) && shows(40, green));
  begin();
  calls(left);
  left.colors[0] = left.colors[1] = left.colors[2] = green;
  left.slot->SetDirty(0x100);
  EXPECT_GT(calls(left), 1);
  EXPECT_EQ(calls(left), 1);
  calls(right, false);
  EXPECT_TRUE(shows(24, green) && shows(40, green));
}

TEST_F(OpenGLShaderTest, BaseColourLayersAndReflectionSetTheUnits) {
  RenderEngineOpenGL_D& e = Open(64, 64, 2);
  auto getEnv = Proc<void (*)(GLenum, GLenum, GLint*)>("glGetTexEnviv");
  ASSERT_TRUE(getEnv);
  auto texture = [&] {
    Obj<ScriptObject> t = Make("ShaderTexture");
    static_cast<ShaderTexture_I*>(t.Get())->m_texture =
        Obj<Texture2D_I>(static_cast<Texture2D_I*>(Make("Texture2D").Get()));
    static_cast<ShaderTexture_I*>(t.Get())->m_texCoordSource = 1;
    return Obj<ShaderExpression_I>(static_cast<ShaderExpression_I*>(t.Get()));
  };
  Shader s = MakeShader();
  Obj<ScriptObject> layer = Make("ShaderLayer");
  auto* l = static_cast<ShaderLayer_I*>(layer.Get());
  l->m_layer.Append(texture());
  l->m_layer.Append(texture());
  s.P()->m_color = Obj<ShaderExpression_I>(static_cast<ShaderExpression_I*>(layer.Get()));
  s.P()->m_reflection = texture();
  e.BeginPass(-1);
  EXPECT_EQ(e.SetShaderBase(s.shader, true), 1);
  EXPECT_EQ(e.PassState().Words[ShaderPassState::kTexCoordStream0], 0x10001u);
  EXPECT_EQ(e.PassState().Words[ShaderPassState::kTexCoordStream0 + 1], 0x10001u);
  GLint v = 0;
  e.Extensions().glActiveTextureARB(GL_TEXTURE1_ARB);
  getEnv(GL_TEXTURE_ENV, GL_TEXTURE_ENV_MODE, &v);
  EXPECT_EQ(v, GL_COMBINE_EXT);
  getEnv(GL_TEXTURE_ENV, GL_COMBINE_RGB_EXT, &v);
  EXPECT_EQ(v, GL_ADD);
  EXPECT_TRUE(On(GL_TEXTURE_2D));
  e.Extensions().glActiveTextureARB(GL_TEXTURE0_ARB);
  getEnv(GL_TEXTURE_ENV, GL_TEXTURE_ENV_MODE, &v);
  EXPECT_EQ(v, GL_MODULATE);
  // One layer: drawn like a plain texture, unit 1 keeps the sphere-mapped reflection.
  l->m_layer.SetCount(1);
  e.BeginPass(-1);
  EXPECT_EQ(e.SetShaderBase(s.shader, true), 1);
  e.Extensions().glActiveTextureARB(GL_TEXTURE1_ARB);
  getEnv(GL_TEXTURE_ENV, GL_TEXTURE_ENV_MODE, &v);
  EXPECT_EQ(v, GL_ADD);
  EXPECT_TRUE(On(GL_TEXTURE_GEN_S) && On(GL_TEXTURE_GEN_T));
  EXPECT_FALSE(On(GL_TEXTURE_GEN_R) || On(GL_TEXTURE_GEN_Q));
  EXPECT_TRUE(On(GL_TEXTURE_2D));
  const GLint reflectionName = Int(GL_TEXTURE_BINDING_2D);
  e.Extensions().glActiveTextureARB(GL_TEXTURE0_ARB);
  // Each unit holds its own texture.
  EXPECT_NE(reflectionName, 0);
  EXPECT_NE(Int(GL_TEXTURE_BINDING_2D), reflectionName);
  // No colour expression at all: unit 0 untextured, blending off.
  s.P()->m_color = Obj<ShaderExpression_I>();
  GL().glEnable(GL_BLEND);
  e.BeginPass(-1);
  EXPECT_EQ(e.SetShaderBase(s.shader, true), 1);
  EXPECT_FALSE(On(GL_TEXTURE_2D) || On(GL_BLEND));
}

TEST_F(OpenGLShaderTest, BaseMaterialClampsShininessAndPicksSpecularAndBlending) {
  RenderEngineOpenGL_D& e = Open();
  auto getMaterial = Proc<void (*)(GLenum, GLenum, GLfloat*)>("glGetMaterialfv");
  ASSERT_TRUE(getMaterial);
  ASSERT_TRUE(e.Extensions().Has(kGL_EXT_separate_specular_color));
  Shader s = MakeShader();
  const struct {
    float shininess, transparency;
    Vector3f specular;
    float sentShininess;
    GLint colorControl;
    bool blend;
  } rows[] = {
      {200.0f, 0.0f, {0, 0, 0}, 128.0f, GL_SINGLE_COLOR, false},
      {-5.0f, 0.001f, {0, 0, 0.1f}, 0.0f, GL_SEPARATE_SPECULAR_COLOR, false},
      {20.0f, 0.002f, {0, 0, 0}, 20.0f, GL_SINGLE_COLOR, true},
  };
  for (const auto& r : rows) {
    SCOPED_TRACE(r.shininess);
    s.M()->m_shininess = r.shininess;
    s.M()->m_transparency = r.transparency;
    s.M()->m_specularColor = r.specular;
    s.M()->m_ambientColor = {0.5f, 0.25f, 0.0f};
    s.M()->m_emissionColor = {1, 1, 1};
    e.ResetPass();
    GL().glDisable(GL_BLEND);
    EXPECT_EQ(e.SetShaderBase(s.shader, false), 1);
    float v[4] = {-1, -1, -1, -1};
    getMaterial(GL_FRONT, GL_SHININESS, v);
    EXPECT_EQ(v[0], r.sentShininess);
    EXPECT_EQ(Int(GL_LIGHT_MODEL_COLOR_CONTROL), r.colorControl);
    EXPECT_EQ(On(GL_BLEND), r.blend);
    if (r.blend) {
      EXPECT_EQ(Int(GL_BLEND_SRC), GL_SRC_ALPHA);
    }
    // The base pass's emission is the ambient colour.
    getMaterial(GL_FRONT, GL_EMISSION, v);
    EXPECT_EQ(v[0], 0.5f);
    EXPECT_NEAR(e.DefaultColor().w, 1.0f - r.transparency, 1e-6);
  }
}

// A lit surface without a RenderMaterial: the default grey as material, current and default colour, so
// that the colour material and the geometry's colour blend light it grey, whatever the pass before left.
TEST_F(OpenGLShaderTest, LitSurfaceWithoutMaterialTakesTheDefaultGrey) {
  RenderEngineOpenGL_D& e = Open(64, 64, 2, Folder());
  auto getMaterial = Proc<void (*)(GLenum, GLenum, GLfloat*)>("glGetMaterialfv");
  ASSERT_TRUE(getMaterial);
  Shader red = MakeShader(), plain = MakeShader();
  red.M()->m_diffuseColor = {1.0f, 0.0f, 0.0f};
  plain.P()->m_material = Obj<RenderMaterial_I>();
  e.BeginPass(-1);
  ASSERT_EQ(e.SetShaderBase(red.shader, true), 1);
  ASSERT_EQ(e.SetShaderBase(plain.shader, false), 1);
  EXPECT_TRUE(On(GL_LIGHTING) && On(GL_COLOR_MATERIAL));
  const Vector4f& d = e.DefaultColor();
  EXPECT_EQ(d.x, 0.8f);
  EXPECT_EQ(d.y, 0.8f);
  EXPECT_EQ(d.z, 0.8f);
  EXPECT_EQ(d.w, 1.0f);
  float v[4] = {-1, -1, -1, -1};
  GL().glGetFloatv(GL_CURRENT_COLOR, v);
  EXPECT_EQ(v[0], 0.8f);
  EXPECT_EQ(v[3], 1.0f);
  const Vector4f scale = {0.5f, 0.25f, 1.0f, 1.0f}, offset = {0.0f, 0.2f, 0.0f, 0.0f};
  e.SetMaterialColorBlend(&scale, &offset);
  EXPECT_FALSE(On(GL_BLEND));
  getMaterial(GL_FRONT, GL_DIFFUSE, v);
  EXPECT_FLOAT_EQ(v[0], 0.4f);
  EXPECT_FLOAT_EQ(v[1], 0.4f);
  EXPECT_FLOAT_EQ(v[2], 0.8f);
  getMaterial(GL_FRONT, GL_SPECULAR, v);
  EXPECT_EQ(v[0], 0.0f);
  // Through a program the same grey is its colour input.
  Obj<ScriptObject> program = TintProgram();
  plain.S()->m_program = Obj<ShaderProgram_I>(static_cast<ShaderProgram_I*>(program.Get()));
  plain.P()->m_color = Obj<ShaderExpression_I>();
  e.BeginPass(-1);
  ASSERT_EQ(e.SetShaderBase(red.shader, true), 1);
  ASSERT_EQ(e.SetShaderBase(plain.shader, false), 1);
  EXPECT_NE(Int(GL_CURRENT_PROGRAM), 0);
  EXPECT_EQ(e.DefaultColor().x, 0.8f);
  EXPECT_EQ(e.DefaultColor().w, 1.0f);
}

TEST_F(OpenGLShaderTest, ProgramsCompileOncePerEngineAndSurviveAReopenedPipe) {
  Shader s = MakeShader();
  {
    RenderEngineOpenGL_D& e = Open(64, 64, 2, Folder());
    GLCallCounter counter;
    EXPECT_EQ(e.SetShader(s.shader, true), 0u);  // no program
    EXPECT_EQ(counter.Calls(), 1);               // the pending-error check only
  }
  Obj<ScriptObject> program = TintProgram();
  s.S()->m_program = Obj<ShaderProgram_I>(static_cast<ShaderProgram_I*>(program.Get()));
  s.S()->m_lightEnable = false;
  s.M()->m_emissionColor = {0.5f, 0.5f, 0.5f};
  auto* p = static_cast<ShaderProgram_I*>(program.Get());
  uint32_t firstProgram = 0;
  LogCapture compiled(LogOutPipe());
  for (int round = 0; round < 2; ++round) {
    SCOPED_TRACE(round);
    if (round == 1) Close();  // the pipe closes; a new one opens in the same process
    RenderEngineOpenGL_D& e = round == 0 ? m_pipes.back()->E() : Open(64, 64, 2, Folder());
    Black(e);
    e.BeginPass(-1);
    EXPECT_EQ(e.SetShaderBase(s.shader, true), 1);
    auto* handle = dynamic_cast<ShaderHandleOpenGL*>(p->GetHandle());
    ASSERT_NE(handle, nullptr);
    EXPECT_EQ(handle->OwnerSerial(), e.Serial());
    EXPECT_EQ(GLuint(Int(GL_CURRENT_PROGRAM)), handle->Program());
    if (round == 0) firstProgram = handle->Program();
    // Built once: a second call reuses it.
    e.ResetPass();
    EXPECT_EQ(e.SetShaderBase(s.shader, true), 1);
    EXPECT_EQ(p->GetHandle(), handle);
    const float uv[8] = {};
    const Vector4f white = {1, 1, 1, 1};
    e.DrawQuad(-1, 1, -1, 1, uv, &white);
    const R8G8B8A8 c = At(e, 32, 32, 64);
    EXPECT_EQ(c.R, 255);
    EXPECT_NEAR(c.G, 128, 1);
    EXPECT_NEAR(c.B, 64, 1);
  }
  EXPECT_NE(firstProgram, 0u);
  // Once per engine: the second call of each round reused the program.
  const std::string lines = compiled.Text();
  const std::string pair = "Info  Compiling shader \"tint\"...\nInfo  Compiling shader \"tint\" done.\n";
  const size_t first = lines.find(pair);
  ASSERT_NE(first, std::string::npos) << lines;
  EXPECT_NE(lines.find(pair, first + 1), std::string::npos);
  EXPECT_EQ(lines.find(pair, lines.find(pair, first + 1) + 1), std::string::npos);
  std::string log = TakeLog();
  EXPECT_EQ(log.find("failed"), std::string::npos) << log;
}

// A program that does not build: one error for each failure, naming the program and its files, given once
// however many frames use it; the program is not bound and the shader's own passes draw its geometry.
TEST_F(OpenGLShaderTest, ProgramFailuresAreOneErrorEachAndTheShaderDrawsWithoutThem) {
  RenderEngineOpenGL_D& e = Open(64, 64, 2, Folder());
  Obj<ScriptObject> program = TintProgram();
  WriteFile(m_dir.File("bad.vs"), "#version 110\nvoid main() { gl_Position = ftransform() }\n");
  const std::string dir = m_dir.Path() + "/";
  {
    LogCapture log(LogOutPipe());
    EXPECT_NE(e.QuickCompileShaderARB(Folder(), "bad", "tint"), 0u);
    const std::string text = Complaints(log.Text());
    EXPECT_EQ(
        text.rfind("Error QuickCompileShaderARB (" + dir + "bad.vs): Vertexshader failed to compile.\n----\n0:2(", 0),
        0u)
        << text;
    const std::string link = "\n----\nError QuickCompileShaderARB (" + dir + "bad.vs, " + dir +
                             "tint.fs): Shader failed to link.\n----\nerror: ";
    EXPECT_NE(text.find(link), std::string::npos) << text;
    EXPECT_EQ(text.substr(text.size() - 5), "----\n") << text;
  }
  Shader s = MakeShader();
  s.S()->m_lightEnable = false;
  auto* p = static_cast<ShaderProgram_I*>(program.Get());
  p->m_vertexShaderFile = File("bad");
  s.S()->m_program = Obj<ShaderProgram_I>(p);
  LogCapture log(LogOutPipe());
  for (int frame = 0; frame < 3; ++frame) {
    SCOPED_TRACE(frame);
    DrawFrame(e, s);
    EXPECT_EQ(Int(GL_CURRENT_PROGRAM), 0);
    EXPECT_FALSE(On(GL_LIGHTING));
    const R8G8B8A8 c = At(e, 32, 32, 64);
    EXPECT_EQ(c.R, 128);
    EXPECT_EQ(c.G, 64);
    EXPECT_EQ(c.B, 255);
    EXPECT_EQ(GL().glGetError(), GLenum(GL_NO_ERROR));
  }
  const std::string text = Complaints(log.Text());
  EXPECT_EQ(text.find("Error ShaderProgram \"tint\" (" + dir + "bad.vs): Vertexshader failed to compile.\n"), 0u)
      << text;
  const std::string link =
      "Error ShaderProgram \"tint\" (" + dir + "bad.vs, " + dir + "tint.fs): Shader failed to link.";
  EXPECT_NE(text.find(link), std::string::npos) << text;
  EXPECT_EQ(text.find(link), text.rfind(link)) << text;
  EXPECT_EQ(log.Text().find("GL.GetError"), std::string::npos) << log.Text();
}

// A file that is not set, not there, holds a zero byte or is too long for a source: one error naming the
// program and the file, no storage warning, nothing compiled, and the shader draws without the program.
TEST_F(OpenGLShaderTest, ShaderFilesThatCannotBeReadCompileNothing) {
  RenderEngineOpenGL_D& e = Open(64, 64, 2, Folder());
  Obj<ScriptObject> program = TintProgram();
  WriteFile(m_dir.File("zero.fs"),
            std::string("#version 110\nvoid main() { gl_FragColor = vec4(1.0); }\n") + '\0' + "after the end");
  WriteFile(m_dir.File("huge.fs"), std::string((size_t(1) << 24) + 1, ' '));
  WriteFile(m_dir.File("edge.fs"),
            "#version 110\nvoid main() { gl_FragColor = vec4(1.0); }\n" + std::string((size_t(1) << 24) - 55, ' '));
  const std::string dir = m_dir.Path() + "/";
  const struct {
    const char* file;
    std::string error;  // after ShaderProgram "tint"
  } rows[] = {
      {"nosuch", " (" + dir + "nosuch.fs): the fragment shader file is not found; nothing is compiled.\n"},
      {"zero",
       " (" + dir + "zero.fs): the fragment shader file holds a zero byte at offset 55; nothing is compiled.\n"},
      {"huge", " (" + dir + "huge.fs): the fragment shader file is larger than 16777216 bytes; nothing is compiled.\n"},
      {nullptr, ": no fragment shader file is set; nothing is compiled.\n"},
      {"edge", ""},  // exactly the largest source: compiled, and it links
  };
  auto* p = static_cast<ShaderProgram_I*>(program.Get());
  Shader s = MakeShader();
  s.S()->m_lightEnable = false;
  s.S()->m_program = Obj<ShaderProgram_I>(p);
  for (const auto& r : rows) {
    SCOPED_TRACE(r.file ? r.file : "not set");
    p->ReleaseHandle();
    p->m_fragmentShaderFile = File(r.file);
    LogCapture log(LogOutPipe());
    for (int frame = 0; frame < 2; ++frame) {
      DrawFrame(e, s);
      auto* handle = dynamic_cast<ShaderHandleOpenGL*>(p->GetHandle());
      ASSERT_NE(handle, nullptr);
      GLint attached = -1;
      e.Extensions().glGetObjectParameterivARB(handle->Program(), GL_OBJECT_ATTACHED_OBJECTS_ARB, &attached);
      EXPECT_EQ(attached, r.error.empty() ? 2 : 0);
      EXPECT_EQ(GLuint(Int(GL_CURRENT_PROGRAM)), r.error.empty() ? handle->Program() : 0u);
      if (!r.error.empty()) {
        EXPECT_EQ(At(e, 32, 32, 64).G, 64);
      }
    }
    EXPECT_EQ(Complaints(log.Text()), r.error.empty() ? "" : "Error ShaderProgram \"tint\"" + r.error);
  }
}

// An effect whose programs do not build leaves the frame as it was; each missing file is reported once.
TEST_F(OpenGLShaderTest, EffectsWithoutTheirProgramsLeaveTheFrame) {
  RenderEngineOpenGL_D& e = Open(64, 64);
  ChannelFXInfo info;
  info.EnableBloom = info.EnableDOF = info.EnableColorFilter = true;
  info.BloomBlurCount = 2;
  info.ColorFilterMode = 1;
  Shader s = MakeShader();
  s.S()->m_lightEnable = false;
  LogCapture log(LogOutPipe());
  for (int frame = 0; frame < 2; ++frame) {
    SCOPED_TRACE(frame);
    DrawFrame(e, s);
    e.ChannelFX(&info, Folder());  // a folder without the effects' shaders
    const R8G8B8A8 c = At(e, 32, 32, 64);
    EXPECT_EQ(c.R, 128);
    EXPECT_EQ(c.G, 64);
    EXPECT_EQ(c.B, 255);
    EXPECT_EQ(At(e, 2, 2, 64).B, 0);
    EXPECT_EQ(Int(GL_CURRENT_PROGRAM), 0);
  }
  const std::string text = Complaints(log.Text());
  EXPECT_EQ(Lines(text), 8) << text;  // two files of each of four programs
  const std::string fx = "Error QuickCompileShaderARB (" + m_dir.Path() +
                         "/Shaders/FX/fx.fs): the fragment shader file is not found; nothing is compiled.\n";
  EXPECT_NE(text.find(fx), std::string::npos) << text;
}

TEST_F(OpenGLShaderTest, ChannelEffectsCopySquaresAndNeedTheirExtensions) {
  RenderEngineOpenGL_D& e = Open(800, 600);
  ChannelFXInfo info;
  info.EnableColorFilter = true;
  info.ColorFilterMode = 1;
  const String examples(PM_EXAMPLES_DIR);
  e.MutableExtensions().flags[kGL_SGIS_generate_mipmap] = 0;
  e.ChannelFX(&info, examples);
  EXPECT_EQ(e.Effects().frameColor, 0u);
  EXPECT_EQ(e.Effects().colorFilter, 0u);
  e.MutableExtensions().flags[kGL_SGIS_generate_mipmap] = 1;
  e.ChannelFX(&info, examples);
  EXPECT_EQ(e.EffectTextureSize(), 1024);
  EXPECT_EQ(e.EffectExtentX(), 0.78125f);
  EXPECT_EQ(e.EffectExtentY(), 0.5859375f);
  const uint32_t texture = e.Effects().frameColor;
  ASSERT_NE(texture, 0u);
  e.ChannelFX(&info, examples);  // the same size: the same texture
  EXPECT_EQ(e.Effects().frameColor, texture);
  GL().glBindTexture(GL_TEXTURE_2D, texture);
  GLint w = 0;
  GL().glGetTexLevelParameteriv(GL_TEXTURE_2D, 0, GL_TEXTURE_WIDTH, &w);
  EXPECT_EQ(w, 1024);
  EXPECT_EQ(Int(GL_CURRENT_PROGRAM), 0);
  // All three in their order, depth of field with a depth copy of its own.
  info.EnableBloom = info.EnableDOF = true;
  {
    LogCapture log(LogOutPipe());
    e.ChannelFX(&info, examples);
    EXPECT_EQ(log.Text().find("Error"), std::string::npos) << log.Text();
  }
  EXPECT_NE(e.Effects().frameDepth, 0u);
  EXPECT_NE(e.Effects().blur, 0u);
  EXPECT_NE(e.Effects().depthOfField, 0u);
  EXPECT_FALSE(On(GL_TEXTURE_2D));
  e.ReleaseEffects();
  EXPECT_EQ(e.Effects().frameColor, 0u);
  EXPECT_EQ(e.Effects().colorFilter, 0u);
}

TEST_F(OpenGLShaderTest, TwoPipesAtOnceBothShowBloom) {
  RenderEngineOpenGL_D* engines[2] = {&Open(256, 256), &Open(256, 256)};
  ChannelFXInfo info;
  info.EnableBloom = true;
  info.BloomBlurCount = 2;
  LogCapture log(LogOutPipe());
  for (int round = 0; round < 2; ++round) {
    for (RenderEngineOpenGL_D* e : engines) {
      SCOPED_TRACE(e == engines[0] ? "first" : "second");
      ASSERT_EQ(e->MakeCurrent(), SOK);
      Black(*e);
      e->BeginPass(-1);
      const float uv[8] = {};
      const Vector4f white = {1, 1, 1, 1};
      e->DrawQuad(-0.2f, 0.2f, -0.2f, 0.2f, uv, &white);
      EXPECT_EQ(At(*e, 100, 128, 256).R, 0);
      e->ChannelFX(&info, PM_EXAMPLES_DIR);
      EXPECT_EQ(At(*e, 128, 128, 256).R, 255);
      EXPECT_GT(At(*e, 100, 128, 256).R, 10);
      EXPECT_EQ(At(*e, 10, 10, 256).R, 0);
    }
  }
  EXPECT_EQ(log.Text().find("GL.GetError"), std::string::npos) << log.Text();
  // Each engine made its own effect objects on its own context.
  EXPECT_NE(engines[0]->Effects().bloomBlur, 0u);
  EXPECT_NE(engines[1]->Effects().bloomBlur, 0u);
}

TEST_F(OpenGLShaderTest, FloatRenderBufferRefusals) {
  RenderEngineOpenGL_D& e = Open();
  OpenGLDeviceContext dc;
  dc.window = m_pipes.back()->window;
  dc.display = dc.window->display;
  ASSERT_TRUE(ResolveGlx(GL().module, &dc.glx));
  RenderFormatInfo format;
  const GLXContext before = GL().glXGetCurrentContext();
  format.ColorBits = 32;
  {
    LogCapture log(LogOutPipe());
    GLCallCounter counter;
    EXPECT_EQ(e.I6_CreateRenderBufferARB(&dc, &format), 0u);
    EXPECT_EQ(counter.Calls(), 0);
    EXPECT_EQ(log.Text(), "");
  }
  format.ColorBits = 64;
  LogCapture log(LogOutPipe());
  EXPECT_EQ(e.I6_CreateRenderBufferARB(&dc, &format), 0u);
  EXPECT_EQ(log.Text(), "Error RenderEngineOpenGL_D: CreateRenderBufferARB retured 0 formats.\n");
  EXPECT_EQ(GL().glXGetCurrentContext(), before);
  EXPECT_TRUE(e.MakeCurrent() == SOK);
}

TEST_F(OpenGLShaderTest, TextureMemoryFillsAThirdOfTheMemoryAndLeavesNothing) {
  RenderEngineOpenGL_D& e = Open();
  auto isTexture = Proc<GLboolean (*)(GLuint)>("glIsTexture");
  ASSERT_TRUE(isTexture);
  e.SetPhysicalMemoryOverride(256u << 20);
  {
    LogCapture log(LogOutPipe());
    EXPECT_EQ(e.DetectTextureMemory(), 89653248);
    const std::string text = log.Text();
    EXPECT_NE(text.find("Info  Phys: 256M/256M\n"), std::string::npos);
    EXPECT_NE(text.find("Info  Resident: " + std::string(342, '1') + "\n"), std::string::npos);
    EXPECT_NE(text.find("Info  DetectTextureMemory: 89653248 bytes texture memory.\n"), std::string::npos);
  }
  for (GLuint name = 1; name < 400; ++name) EXPECT_FALSE(isTexture(name)) << name;
  EXPECT_FALSE(On(GL_TEXTURE_2D));
  e.SetGenericFormat(true);
  LogCapture log(LogOutPipe());
  GLCallCounter counter;
  EXPECT_EQ(e.DetectTextureMemory(), 8388607);
  EXPECT_EQ(counter.Calls(), 0);
  EXPECT_NE(log.Text().find("Info  DetectTextureMemory: 8388607 bytes texture memory (GENERIC).\n"), std::string::npos);
}

}  // namespace
}  // namespace PM::Test
