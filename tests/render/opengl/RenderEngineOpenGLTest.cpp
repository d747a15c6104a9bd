// The OpenGL engine on the display's own driver (llvmpipe under Xvfb): set-up and its refusals, the pass
// rows as OpenGL reports them, lights, fog and material, the stencil shadow, both drawing paths pixel for
// pixel, the polygon cache's uploads, clipping under a scaled model-view and the statistics overlay.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <vector>

#include "engine/FrameStatisticsUpdate.h"
#include "opengl/OpenGLEngineFixture.h"
#include "platform/PlatformWindow.h"
#include "platform/WindowClass.h"
#include "render/FontTexture2D.h"
#include "render/RenderChannel.h"
#include "render/opengl/OpenGLPixelFormat.h"
#include "render/opengl/RenderEngineOpenGL.h"
#include "render/opengl/RenderPolygonCacheOpenGL.h"
#include "scene/EngineWorld.h"
#include "scene/Fog.h"
#include "scene/Light.h"
#include "support/ImageCompare.h"
#include "support/LogCapture.h"
#include "support/RecordingRenderEngine.h"
#include "support/TestEnv.h"

namespace PM::Test {
namespace {

TEST_F(OpenGLEngineTest, SetUpRefusalsAndTextureUnits) {
  {
    LogCapture log(LogOutPipe());
    EXPECT_EQ(E().DeInitializeRenderWindow(), SOK);  // never set up: nothing to do
    EXPECT_EQ(E().ClearBuffer(nullptr), ENotActive);
    EXPECT_EQ(E().SwapBuffers(false), ENotActive);
    PolygonData d;
    d.PrimCount = 1;
    E().DrawPolygonData(&d, nullptr);  // no context: nothing happens
    EXPECT_EQ(E().InitializeRenderWindow(nullptr, &m_format, nullptr), EInvalidArgument);
  }
  EXPECT_NE(TakeLog().find("The window handle must not be NULL."), std::string::npos);
  {
    LogCapture log(LogOutPipe());
    Open(16);
    EXPECT_EQ(log.Text().find("MaxTextureUnits"), std::string::npos);
    EXPECT_NE(log.Text().find("F:425+ T:0 C:24-8/8/8/"), std::string::npos) << log.Text();
  }
  EXPECT_EQ(E().TextureUnitCount(), 8);
  EXPECT_FALSE(E().IsGenericFormat());
  m_handle = RenderEngine::Create(1);
  LogCapture log(LogOutPipe());
  Open(2);
  EXPECT_NE(log.Text().find("Info  OpenGL: MaxTextureUnits=8 Configured=2.\n"), std::string::npos);
  EXPECT_EQ(E().TextureUnitCount(), 2);
  int32_t rect[4];
  EXPECT_EQ(E().GetViewport(rect)[2], kSide);
  String report;
  E().GetSystemReport(&report);
  // The display mode of the system report first, then the context's lines.
  EXPECT_EQ(report.View().find("Display Mode: 1280x1024x24@"), 0u) << report.CStr();
  EXPECT_NE(report.View().find("\r\nOpenGL Vendor: \""), std::string_view::npos);
}

TEST_F(OpenGLEngineTest, PassRowsAsOpenGLReportsThem) {
  Open();
  struct Row {
    int32_t mode;
    bool lighting, cull;
    GLint cullFace, polygonMode;
    float offset;
    bool offsetLine, depthTest;
    GLint depthFunc;
    bool depthWrite, colorMaterial;
    float grey;
  } rows[] = {
      {-1, false, true, GL_BACK, GL_FILL, 0.0f, false, false, GL_LEQUAL, true, false, 1.0f},
      {0, false, false, GL_BACK, GL_FILL, 0.0f, false, false, GL_LEQUAL, true, true, 1.0f},
      {1, true, true, GL_BACK, GL_FILL, 0.0f, false, true, GL_LEQUAL, true, true, 0.5f},
      {2, false, true, GL_FRONT, GL_LINE, -1.0f, true, true, GL_ALWAYS, false, true, 0.25f},
      {3, false, true, GL_BACK, GL_LINE, -1.5f, true, true, GL_LEQUAL, true, true, 1.0f},
  };
  for (const Row& r : rows) {
    SCOPED_TRACE(r.mode);
    GL().glEnable(GL_BLEND);
    GL().glEnable(GL_FOG);
    E().BeginPass(r.mode);
    EXPECT_EQ(E().GetPassMode(), r.mode);
    EXPECT_EQ(On(GL_LIGHTING), r.lighting);
    EXPECT_EQ(On(GL_CULL_FACE), r.cull);
    EXPECT_EQ(Int(GL_CULL_FACE_MODE), r.cullFace);
    GLint modes[2];
    GL().glGetIntegerv(GL_POLYGON_MODE, modes);
    EXPECT_EQ(modes[0], r.polygonMode);
    float factor = 9, units = 9;
    GL().glGetFloatv(GL_POLYGON_OFFSET_FACTOR, &factor);
    GL().glGetFloatv(GL_POLYGON_OFFSET_UNITS, &units);
    EXPECT_EQ(factor, r.offset);
    EXPECT_EQ(units, r.offset);
    EXPECT_EQ(On(GL_POLYGON_OFFSET_LINE), r.offsetLine);
    EXPECT_EQ(On(GL_DEPTH_TEST), r.depthTest);
    EXPECT_EQ(Int(GL_DEPTH_FUNC), r.depthFunc);
    EXPECT_EQ(On(GL_DEPTH_WRITEMASK), r.depthWrite);
    EXPECT_EQ(On(GL_COLOR_MATERIAL), r.colorMaterial);
    float color[4];
    GL().glGetFloatv(GL_CURRENT_COLOR, color);
    EXPECT_EQ(color[0], r.grey);
    EXPECT_FALSE(On(GL_BLEND) || On(GL_FOG) || On(GL_TEXTURE_2D) || On(GL_STENCIL_TEST));
  }
  // Modes 4 and 5 change only the common state; 256 clears to opaque black and leaves the rest.
  E().BeginPass(1);
  for (int32_t mode : {4, 256}) {
    GL().glEnable(GL_BLEND);
    E().BeginPass(mode);
    EXPECT_EQ(E().GetPassMode(), mode);
    EXPECT_TRUE(On(GL_LIGHTING) && On(GL_DEPTH_TEST));
    EXPECT_FALSE(On(GL_BLEND));
  }
  EXPECT_EQ(At(5, 5), (R8G8B8A8{0, 0, 0, 255}));
  // The culling workaround keeps every pass from culling.
  E().MutableExtensions().CullingWorkaround = 1;
  E().BeginPass(1);
  EXPECT_FALSE(On(GL_CULL_FACE));
}

TEST_F(OpenGLEngineTest, LightsFogAndMaterial) {
  Open();
  auto getLight = Proc<void (*)(GLenum, GLenum, GLfloat*)>("glGetLightfv");
  auto position = [&](GLenum light) {
    std::vector<float> p(4);
    getLight(light, GL_POSITION, p.data());
    return p;
  };
  Flat();
  {
    LogCapture log(LogOutPipe());
    E().SetLight(8, &kIdentityMatrix4f, nullptr);
    E().SetLight(-1, &kIdentityMatrix4f, nullptr);
    EXPECT_EQ(log.Text(),
              "Warn  RenderEngineOpenGL_D::SetLight: too many active lights.\n"
              "Warn  RenderEngineOpenGL_D::SetLight: too many active lights.\n");
  }
  E().SetLight(7, &kIdentityMatrix4f, NilScriptObject());  // nil: white from +z
  EXPECT_EQ(position(GL_LIGHT7), (std::vector<float>{0, 0, 1, 0}));
  float diffuse[4];
  getLight(GL_LIGHT7, GL_DIFFUSE, diffuse);
  EXPECT_EQ(diffuse[0] + diffuse[1] + diffuse[2] + diffuse[3], 4.0f);

  Obj<ScriptObject> sun = Make("TLight");
  auto* s = static_cast<SLight_I*>(static_cast<TNode_I*>(sun.Get())->GetSNode());
  s->m_color = {0.5f, 0.25f, 1.0f};
  Matrix4f m = kIdentityMatrix4f;
  m[10] = 2.0f;  // z axis (0, 0, 2)
  m[12] = 3.0f;
  E().SetLight(0, &m, sun);
  EXPECT_EQ(position(GL_LIGHT0), (std::vector<float>{0, 0, 1, 0}));
  s->m_type = 0x02FFF0AE;  // Point: the translation
  E().SetLight(1, &m, sun);
  EXPECT_EQ(position(GL_LIGHT1), (std::vector<float>{3, 0, 0, 1}));

  E().SetLightingEnable(3);
  for (int i = 0; i < 8; ++i) EXPECT_EQ(On(GL_LIGHT0 + GLenum(i)), i < 3) << i;
  E().SetLightingEnable(10);
  for (int i = 0; i < 8; ++i) EXPECT_TRUE(On(GL_LIGHT0 + GLenum(i))) << i;
  EXPECT_TRUE(On(GL_LIGHTING) && On(GL_NORMALIZE) && On(GL_COLOR_MATERIAL));

  Obj<ScriptObject> fog = Make("TFog");
  auto* f = static_cast<SFog_I*>(static_cast<TNode_I*>(fog.Get())->GetSNode());
  for (auto [type, mode] :
       {std::pair{0x03FFF0BEu, GL_EXP2}, {0x02FFF0BEu, GL_EXP}, {0x01FFF0BEu, GL_LINEAR}, {0x7u, GL_LINEAR}}) {
    f->m_type = type;
    E().SetFog(&kIdentityMatrix4f, fog);
    EXPECT_EQ(Int(GL_FOG_MODE), mode);
    EXPECT_TRUE(On(GL_FOG));
  }
  E().SetFog(&kIdentityMatrix4f, NilScriptObject());
  EXPECT_FALSE(On(GL_FOG));

  // Colour blends: an alpha of exactly 1 leaves blending alone; below 1 it turns alpha blending on.
  const Vector4f one = {1, 1, 1, 1}, none = {0, 0, 0, 0}, half = {1, 1, 1, 0.5f};
  GL().glDisable(GL_BLEND);
  GL().glBlendFunc(GL_ONE, GL_ONE);
  E().SetMaterialColorBlend(&one, &one);  // default colour 0: the colour is the offset
  EXPECT_FALSE(On(GL_BLEND));
  E().SetMaterialColorBlend(&none, &half);
  EXPECT_TRUE(On(GL_BLEND));
  EXPECT_EQ(Int(GL_BLEND_SRC), GL_SRC_ALPHA);
  GL().glBlendFunc(GL_ONE, GL_ONE);
  E().SetMaterialColorBlend(&none, &half);  // already on: the function stays
  EXPECT_EQ(Int(GL_BLEND_SRC), GL_ONE);
}

TEST_F(OpenGLEngineTest, StencilShadowDarkensMarkedPixelsByHalf) {
  Open();
  Clear(1.0f);
  Flat();
  E().BeginPass(-1);
  // Mark the left half in the stencil buffer without touching the colours.
  GL().glEnable(GL_STENCIL_TEST);
  GL().glStencilMask(0xFF);
  GL().glStencilFunc(GL_ALWAYS, 1, 0xFF);
  GL().glStencilOp(GL_REPLACE, GL_REPLACE, GL_REPLACE);
  GL().glColorMask(GL_FALSE, GL_FALSE, GL_FALSE, GL_FALSE);
  const float uv[8] = {};
  const Vector4f white = {1, 1, 1, 1};
  E().DrawQuad(-1, 0, -1, 1, uv, &white);
  GL().glColorMask(GL_TRUE, GL_TRUE, GL_TRUE, GL_TRUE);
  E().DrawStencilShadow();
  const R8G8B8A8 left = At(10, 30), right = At(50, 30);
  EXPECT_NEAR(left.R, 128, 1);
  EXPECT_EQ(right.R, 255);
  EXPECT_FALSE(On(GL_STENCIL_TEST) || On(GL_BLEND));
}

// A 2 x 2 grid of the record's primitive in each quarter of the view, drawn once per path.
struct PrimitiveCase {
  const char* name;
  int type;
  std::vector<uint32_t> indices;
  std::vector<int32_t> lengths;
};

TEST_F(OpenGLEngineTest, EveryPrimitiveTypeIsPixelIdenticalOnBothPaths) {
  Open();
  const std::vector<Vector3f> v = {{-0.9f, -0.9f, 0}, {-0.1f, -0.9f, 0}, {-0.1f, -0.1f, 0}, {-0.9f, -0.1f, 0},
                                   {0.1f, 0.1f, 0},   {0.9f, 0.1f, 0},   {0.9f, 0.9f, 0},   {0.1f, 0.9f, 0}};
  std::vector<Vector4f> colors;
  for (size_t i = 0; i < v.size(); ++i) colors.push_back({float(i & 1), float((i >> 1) & 1), 0.5f, 1});
  const PrimitiveCase cases[] = {
      {"points", 1, {0, 2, 5, 7}, {}},
      {"lines", 2, {0, 2, 4, 6}, {}},
      {"triangles", 3, {0, 1, 2, 4, 5, 6}, {}},
      {"quads", 4, {0, 1, 2, 3, 4, 5, 6, 7}, {}},
      {"polygon", 5, {0, 1, 2, 3, 4, 5, 6}, {4, 3}},
      {"strip", 6, {0, 1, 3, 2, 4, 5, 7, 6}, {4, 4}},
      {"fan", 7, {0, 1, 2, 3, 4, 5, 6, 7}, {4, 4}},
      {"line strip", 9, {0, 1, 2, 4, 5, 6, 7}, {3, 4}},
      {"strip and triangles", 11, {0, 1, 3, 2, 4, 5, 6}, {4, 3}},
  };
  for (const PrimitiveCase& c : cases) {
    SCOPED_TRACE(c.name);
    PolygonData d;
    d.PrimType = PrimTypeId(c.type);
    d.PrimCount = c.lengths.empty() ? int32_t(c.indices.size()) / (c.type == 1   ? 1
                                                                   : c.type == 2 ? 2
                                                                                 : c.type)
                                    : int32_t(c.lengths.size());
    d.PrimLengthArray = c.lengths.empty() ? nullptr : c.lengths.data();
    d.IndexCount = int32_t(c.indices.size());
    d.IndexArray = c.indices.data();
    d.VertexCount = int32_t(v.size());
    d.VertexArray = v.data();
    d.ColorArray = colors.data();
    std::vector<uint8_t> drawn[2];
    for (int path = 0; path < 2; ++path) {
      E().MutableExtensions().flags[kGL_ARB_vertex_buffer_object] = path == 1;
      Clear();
      Flat();
      E().BeginPass(0);
      Ptr<RenderPolygonCache> cache;
      E().DrawPolygonData(&d, &cache);
      drawn[path] = Pixels();
      EXPECT_EQ(bool(cache), path == 1);
      if (cache) cache->Unload();
    }
    EXPECT_EQ(drawn[0], drawn[1]);
    size_t lit = 0;
    for (uint8_t b : drawn[0]) lit += b != 0;
    EXPECT_GT(lit, 0u);
  }
  E().UnloadPolygonCache();
  EXPECT_EQ(E().UnloadedCacheCount(), 0);
  LogCapture log(LogOutPipe());
  PolygonData strip;
  strip.PrimType = PrimTypeId(8);  // QuadStrip: refused
  strip.PrimCount = 1;
  const uint32_t idx[4] = {0, 1, 2, 3};
  const int32_t len[1] = {4};
  strip.IndexArray = idx, strip.IndexCount = 4, strip.PrimLengthArray = len;
  strip.VertexArray = v.data(), strip.VertexCount = 8;
  E().DrawPolygonData(&strip, nullptr);
  std::string refused = "Error DrawOpenGL() unsupported Primitive::Type (";
  refused += std::to_string(PrimTypeId(8));
  refused += ") detected.\n";
  EXPECT_EQ(log.Text(), refused);
}

TEST_F(OpenGLEngineTest, CacheUploadsOnlyWhatChanged) {
  Open();
  std::vector<Vector3f> pos = {{0, 0, 0}, {1, 0, 0}, {0, 1, 0}};
  std::vector<Vector4f> col = {{1, 0, 0, 1}, {0, 1, 0, 1}, {0, 0, 1, 1}};
  std::vector<uint32_t> idx = {0, 1, 2};
  PolygonData d;
  d.PrimCount = 1, d.IndexCount = 3, d.VertexCount = 3;
  d.IndexArray = idx.data(), d.VertexArray = pos.data(), d.ColorArray = col.data();
  Ptr<RenderPolygonCache> slot;
  E().DrawPolygonData(&d, &slot);
  auto* cache = static_cast<RenderPolygonCacheOpenGL*>(slot.Get());
  ASSERT_NE(cache, nullptr);
  EXPECT_EQ(cache->Dirty(), 0u);
  EXPECT_EQ(E().LiveCacheCount(), 1);
  const OpenGLEXT& x = E().Extensions();
  auto read = [&](int stream, void* out, size_t bytes) {
    x.glBindBufferARB(GL_ARRAY_BUFFER_ARB, cache->Buffer(stream));
    x.glGetBufferSubDataARB(GL_ARRAY_BUFFER_ARB, 0, GLsizeiptrARB(bytes), out);
    x.glBindBufferARB(GL_ARRAY_BUFFER_ARB, 0);
  };
  // In place: the colours are marked, the positions are not.
  col[0] = {0.5f, 0.5f, 0.5f, 1};
  pos[0] = {9, 9, 9};
  cache->SetDirty(0x100);
  E().DrawPolygonData(&d, &slot);
  Vector4f c0;
  Vector3f p0;
  read(RenderPolygonCacheOpenGL::kColors, &c0, sizeof(c0));
  read(RenderPolygonCacheOpenGL::kPositions, &p0, sizeof(p0));
  EXPECT_EQ(c0.x, 0.5f);
  EXPECT_EQ(p0.x, 0.0f);
  // A new array is noticed without a mark; a dropped normal array had no buffer to begin with.
  std::vector<Vector3f> moved = {{2, 2, 2}, {1, 0, 0}, {0, 1, 0}, {4, 4, 4}};
  d.VertexArray = moved.data();
  E().DrawPolygonData(&d, &slot);
  read(RenderPolygonCacheOpenGL::kPositions, &p0, sizeof(p0));
  EXPECT_EQ(p0.x, 2.0f);
  // A growing vertex count re-sizes every buffer.
  d.VertexCount = 4;
  col.push_back({1, 1, 1, 1});
  d.ColorArray = col.data();
  E().DrawPolygonData(&d, &slot);
  EXPECT_EQ(cache->Size(RenderPolygonCacheOpenGL::kPositions), 4);
  EXPECT_EQ(cache->Size(RenderPolygonCacheOpenGL::kColors), 4);
  EXPECT_EQ(cache->Buffer(RenderPolygonCacheOpenGL::kNormals), 0u);

  // A record reading outside its arrays is refused once per cache.
  {
    LogCapture log(LogOutPipe());
    idx[2] = 4;
    cache->SetDirty(0x10);
    E().DrawPolygonData(&d, &slot);
    E().DrawPolygonData(&d, &slot);
    EXPECT_EQ(log.Lines(), 1) << log.Text();
    EXPECT_NE(log.Text().find("an index at or above VertexCount"), std::string::npos);
    idx[2] = 2;
    cache->SetDirty(0x10);
    E().DrawPolygonData(&d, &slot);
    EXPECT_EQ(log.Lines(), 1);
  }
  // Unload twice: the second does nothing; the buffers go at the next UnloadPolygonCache.
  cache->Unload();
  cache->Unload();
  EXPECT_EQ(E().LiveCacheCount(), 0);
  EXPECT_EQ(E().UnloadedCacheCount(), 1);
  E().UnloadPolygonCache();
  EXPECT_EQ(cache->Buffer(RenderPolygonCacheOpenGL::kPositions), 0u);
  // A cache of another engine is given back and replaced.
  auto counters = std::make_shared<CacheCounters>();
  slot = NewCounted<RecordingPolygonCache>(counters);
  E().DrawPolygonData(&d, &slot);
  EXPECT_EQ(counters->unloads, 1);
  EXPECT_NE(dynamic_cast<RenderPolygonCacheOpenGL*>(slot.Get()), nullptr);
  slot->Unload();
}

TEST_F(OpenGLEngineTest, ClippingUnderAScaledModelView) {
  Open();
  Matrix4f m = kIdentityMatrix4f;
  m[0] = m[5] = 2.0f;
  m[12] = 10.0f, m[13] = 20.0f;
  E().SetModelViewMatrix(&m);
  const float rect[4] = {30, 50, 40, 60};
  E().SetClipRect(rect, true);
  E().UpdateClipRect();
  const float* c = E().ModelViewClipRect();
  EXPECT_EQ((std::vector<float>(c, c + 4)), (std::vector<float>{10, 20, 10, 20}));

  // Quads in window pixels: the clip rectangle keeps x 16..48 of a quad spanning 0..64; texture
  // coordinates follow, so a left-to-right ramp shows the middle half of its values.
  Matrix4f projection = kIdentityMatrix4f;
  projection[0] = projection[5] = 2.0f / kSide;
  projection[12] = projection[13] = -1.0f;
  E().SetProjectionMatrix(&projection);
  E().SetModelViewMatrix(&kIdentityMatrix4f);
  const float clip[4] = {16, 48, 0, 64};
  E().SetClipRect(clip, true);
  E().UpdateClipRect();
  Clear();
  E().BeginPass(0);
  std::vector<uint32_t> idx = {0, 1, 2, 3};
  std::vector<Vector3f> pos = {{0, 0, 0}, {64, 0, 0}, {64, 64, 0}, {0, 64, 0}};
  std::vector<Vector2f> uv = {{0, 0}, {1, 0}, {1, 1}, {0, 1}};
  PolygonData d;
  d.PrimType = PrimTypeId(4), d.PrimCount = 1, d.IndexCount = 4, d.VertexCount = 4;
  d.IndexArray = idx.data(), d.VertexArray = pos.data(), d.TexCoordArray0 = uv.data();
  Ptr<RenderPolygonCache> slot;
  E().DrawPolygonDataClipped(&d, &slot);
  EXPECT_EQ(pos[0].x, 0.0f);  // the caller's arrays stay as they were
  auto* cache = static_cast<RenderPolygonCacheOpenGL*>(slot.Get());
  ASSERT_NE(cache, nullptr);
  Vector2f t[4];
  E().Extensions().glBindBufferARB(GL_ARRAY_BUFFER_ARB, cache->Buffer(RenderPolygonCacheOpenGL::kTexCoords0));
  E().Extensions().glGetBufferSubDataARB(GL_ARRAY_BUFFER_ARB, 0, sizeof(t), t);
  E().Extensions().glBindBufferARB(GL_ARRAY_BUFFER_ARB, 0);
  EXPECT_EQ(t[0].x, 0.25f);
  EXPECT_EQ(t[1].x, 0.75f);
  // The next frame with the same clip draws what the buffers hold: still clipped.
  E().DrawPolygonDataClipped(&d, &slot);
  E().Extensions().glBindBufferARB(GL_ARRAY_BUFFER_ARB, cache->Buffer(RenderPolygonCacheOpenGL::kTexCoords0));
  E().Extensions().glGetBufferSubDataARB(GL_ARRAY_BUFFER_ARB, 0, sizeof(t), t);
  E().Extensions().glBindBufferARB(GL_ARRAY_BUFFER_ARB, 0);
  EXPECT_EQ(t[0].x, 0.25f);
  EXPECT_EQ(t[1].x, 0.75f);
  const R8G8B8A8 inside = At(32, 32), outside = At(8, 32);
  EXPECT_EQ(inside.R, 255);
  EXPECT_EQ(outside.R, 0);
  slot->Unload();
}

TEST_F(OpenGLEngineTest, OverlayDigitsAndScreenShots) {
  Open();
  FrameStatistics& s = E().MutableStatistics();
  for (int32_t& sample : s.Samples) sample = 6000;
  s.Values[FrameStatistics::kMeanFrameRate] = 60.05;  // what such a ring gives: "060.0"
  Clear();
  E().RequestScreenShot(true, true);
  E().SetStatisticsMode(1);
  ASSERT_EQ(E().SwapBuffers(false), SOK);
  EXPECT_NE(E().GetScreenShotImage(), nullptr);
  EXPECT_NE(E().GetScreenShotDepthImage(), nullptr);
  EXPECT_EQ(E().GetScreenShotImage()->GetBytesPerPixel(), 3);
  EXPECT_EQ(E().GetScreenShotDepthImage()->GetBytesPerPixel(), 2);
  Image_I* image = E().GetColorBufferImage();
  ASSERT_NE(image, nullptr);
  // The digits sit 4 pixels in from the left and 22 below the top; each cell is 16 wide. The first
  // digit's middle bar (row 8 of the cell) is unlit grey, "0"; the outer bars are lit.
  auto pixelAt = [&](int x, int cellRow) {
    R8G8B8A8 p;
    image->GetPixel(p, x, kSide - 22 + cellRow);
    return int(p.R);
  };
  EXPECT_EQ(pixelAt(4 + 4, 16), 255);      // digit 1, top bar
  EXPECT_NEAR(pixelAt(4 + 4, 8), 64, 1);   // digit 1, middle bar unlit
  EXPECT_EQ(pixelAt(16 + 4 + 4, 8), 255);  // digit 2, "6": middle bar lit
  // Digit 3 carries the decimal point: a vertical stroke on the pixel edge x = 12 of its cell.
  EXPECT_EQ(std::max({pixelAt(32 + 4 + 11, 1), pixelAt(32 + 4 + 12, 1), pixelAt(32 + 4 + 11, 0)}), 255);
  EXPECT_NEAR(std::max(pixelAt(16 + 4 + 11, 1), pixelAt(16 + 4 + 12, 1)), 64, 1);  // digit 2's is unlit
}

TEST(OpenGLFrameStatistics, RingOfEqualSamples) {
  FrameStatistics s;
  for (int32_t& sample : s.Samples) sample = 6000;
  s.Values[0] = 1000.0;
  UpdateFrameStatistics(s, 1000 + 1000000000 / 60, 1000000000);
  EXPECT_EQ(s.RingIndex, 1);
  EXPECT_DOUBLE_EQ(s.Values[1], 60.0);
  EXPECT_DOUBLE_EQ(s.Values[2], 60.0);
  EXPECT_DOUBLE_EQ(s.Values[FrameStatistics::kMeanFrameRate], 60.05);
  // No time between two readings counts as one tick, never a division by zero.
  UpdateFrameStatistics(s, 1000 + 1000000000 / 60, 1000000000);
  EXPECT_EQ(s.Samples[1], INT32_MAX);
  EXPECT_EQ(kSevenSegmentDigits[8], 0x7F);
  EXPECT_EQ(kSevenSegmentDigits[1] & 0x24, 0x24);
}

}  // namespace
}  // namespace PM::Test

namespace PM::Test {
namespace {

// Text laid out by a font texture and drawn through the engine, with and without a shadow, against the
// reference images (each channel within 3).
TEST_F(OpenGLEngineTest, FontTextMatchesItsReference) {
  Open();
  for (bool shadow : {false, true}) {
    SCOPED_TRACE(shadow);
    Obj<ScriptObject> o = Make("FontTexture2D");
    auto* font = static_cast<FontTexture2D_I*>(o.Get());
    font->m_fontName = "DejaVu Sans";
    font->m_characterSize = {0, 16};
    if (shadow) font->m_fakeShadow = {1, -1};
    const char* lines[2] = {"Hello,", "W\xF6rld \xA9"};
    std::vector<Vector3f> positions;
    std::vector<Vector2f> coords;
    for (int line = 0; line < 2; ++line) {
      const int32_t n = int32_t(std::strlen(lines[line]));
      positions.resize(positions.size() + 4 * size_t(n));
      coords.resize(coords.size() + 4 * size_t(n));
      ASSERT_EQ(font->BuildTextQuads(lines[line], n, positions.data() + positions.size() - 4 * n,
                                     coords.data() + coords.size() - 4 * n, {16, 16}, {3, 40.0f - 22.0f * line, 0}),
                4 * n);
    }
    std::vector<uint32_t> indices(positions.size());
    for (size_t i = 0; i < indices.size(); ++i) indices[i] = uint32_t(i);
    PolygonData d;
    d.PrimType = PrimTypeId(4);
    d.PrimCount = int32_t(positions.size() / 4);
    d.IndexCount = d.VertexCount = int32_t(positions.size());
    d.IndexArray = indices.data(), d.VertexArray = positions.data(), d.TexCoordArray0 = coords.data();
    Matrix4f projection = kIdentityMatrix4f;
    projection[0] = projection[5] = 2.0f / kSide;
    projection[12] = projection[13] = -1.0f;
    Clear(0.2f);
    E().SetProjectionMatrix(&projection);
    E().SetModelViewMatrix(&kIdentityMatrix4f);
    E().BeginPass(0);
    E().SetTexture(0, font);
    E().DrawPolygonData(&d, nullptr);
    Image_I* drawn = E().GetColorBufferImage();
    ASSERT_NE(drawn, nullptr);
    ExpectMatchesReference(
        drawn, std::string(PM_SOURCE_DIR "/tests/render/reference/") + (shadow ? "font_shadow" : "font_text"));
    E().SetTexture(0, NilScriptObject());
    font->ReleaseData(1);
  }
}

}  // namespace
}  // namespace PM::Test

namespace PM::Test {
namespace {

// The engine's own format chooser over a made-up list: the quality bits, the winner, the description line.
TEST(OwnChoosePixelFormat, ScoresTheListAndDescribesFormats) {
  PixelFormatDescriptor wanted = WantedPixelFormat([] {
    RenderFormatInfo f;
    f.ColorBits = 24, f.DepthBits = 24, f.StencilBits = 8;
    return f;
  }());
  EXPECT_EQ(wanted.dwFlags, 0x425u);
  auto format = [](uint32_t flags, int depth, int stencil) {
    PixelFormatDescriptor d;
    d.dwFlags = flags;
    d.cColorBits = 24, d.cRedBits = d.cGreenBits = d.cBlueBits = 8, d.cAlphaBits = 8;
    d.cDepthBits = uint8_t(depth), d.cStencilBits = uint8_t(stencil);
    return d;
  };
  PixelFormatList list;
  list.formats = {format(0x425, 16, 0),         // too little depth and stencil: bit 31 cleared
                  format(0x425 | 0x40, 24, 8),  // generic, not wanted: bit 30 cleared
                  format(0x425, 32, 8),         // more depth than asked: - 0x20000
                  format(0x425, 24, 8)};        // exact but for alpha: - 0x8000
  list.configs.resize(4);
  list.visualIds.resize(4);
  LogCapture log(LogOutPipe());
  EXPECT_EQ(OwnChoosePixelFormat(list, wanted), 4);
  EXPECT_NE(log.Text().find("Quality: FFFF7FFF."), std::string::npos) << log.Text();
  EXPECT_NE(log.Text().find("OwnChoosePixelFormat: using 4 (default is "), std::string::npos);
  EXPECT_EQ(PixelFormatLine(list.formats[1]), "F:465- T:0 C:24-8/8/8/8 A:0-0/0/0/0 D:24 S:8 X:0 L:0,0,0,0,0");
  // The platform's chooser prefers the accelerated exact format as well.
  EXPECT_EQ(ChoosePixelFormat(list, wanted), 4);
  PixelFormatList none;
  EXPECT_EQ(OwnChoosePixelFormat(none, wanted), 0);
}

}  // namespace
}  // namespace PM::Test
