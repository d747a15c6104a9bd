// Channel widgets and images: the viewport under the window's orthographic and perspective
// projections, and the image's tile, tint and children.
#include "FrameFixture.h"
#include "render/TileTexture2D.h"
#include "ui/TileCollection.h"
#include "ui/WChannel.h"
#include "ui/WImage.h"

namespace PM::Test {
namespace {

class WChannelTest : public FrameTest {
 protected:
  // The window drawn as the render side draws it: orthographic at depth 0, else a frustum whose
  // plane lies 1024 units before the eye.
  void DrawIn(const Vector3f& resolution) {
    m_window->m_virtualResolution = resolution;
    Matrix4f lens = kIdentityMatrix4f, view = kIdentityMatrix4f;
    if (resolution.z == 0) {
      lens.m[0] = 2 / resolution.x, lens.m[5] = 2 / resolution.y;
    } else {
      const float w = resolution.x / resolution.z, h = resolution.y / resolution.z;
      lens.SetFrustum(-w, w, -h, h, 1, 2048, false);
      view.SetTranslation({0, 0, -1024});
    }
    engine.projection = lens;
    engine.modelView = view;
    m_window->Draw(&engine);
  }
};

TEST_F(WChannelTest, ViewportUnderBothWindowProjections) {
  auto* c = MakeWidget<WChannel_I>("c", 100, 50, 200, 100);
  m_window->m_rootWidget = c;
  struct Case {
    Vector3f resolution;
    Vector4f viewport;
  } cases[] = {
      {{640, 480, 0}, {100.0f / 640, 300.0f / 640, 50.0f / 480, 150.0f / 480}},
      {{2048, 1536, 2048}, {100.0f / 2048, 300.0f / 2048, 50.0f / 1536, 150.0f / 1536}},
  };
  for (const Case& k : cases) {
    c->m_viewport = {0, 0, 1, 1};
    DrawIn(k.resolution);
    EXPECT_NEAR(c->m_viewport.x, k.viewport.x, 1e-6) << k.resolution.z;
    EXPECT_NEAR(c->m_viewport.y, k.viewport.y, 1e-6) << k.resolution.z;
    EXPECT_NEAR(c->m_viewport.z, k.viewport.z, 1e-6) << k.resolution.z;
    EXPECT_NEAR(c->m_viewport.w, k.viewport.w, 1e-6) << k.resolution.z;
  }
  // Where w is 0 (the eye's own plane) and while hidden the last rectangle stays.
  const Vector4f last = c->m_viewport;
  engine.projection = kIdentityMatrix4f;
  engine.projection.m[15] = 0;
  c->DrawSelf(&context, &engine);
  EXPECT_EQ(c->m_viewport, last);
  c->m_layout.visibility = 0;
  DrawIn({640, 480, 0});
  EXPECT_EQ(c->m_viewport, last);
}

// The render side draws a window on Direct3D 8 half a pixel left and up and gives the window its own
// projection unshifted: the channel reports the rectangle of that one, as on OpenGL, not the shifted one
// in force. A later draw without one reports by the engine's again.
TEST_F(WChannelTest, ViewportFollowsTheProjectionTheRenderSideGaveTheWindow) {
  auto* c = MakeWidget<WChannel_I>("c", 100, 50, 200, 100);
  m_window->m_rootWidget = c;
  for (const float z : {0.0f, 2048.0f}) {
    DrawIn({640, 480, z});
    const Vector4f own = c->m_viewport;
    m_window->SetMatrix(engine.projection);
    Matrix4f shift = kIdentityMatrix4f, shifted;
    shift.SetTranslation({-1.0f / 640, 1.0f / 480, 0});
    shifted.SetProduct(engine.projection, shift);
    engine.projection = shifted;
    c->m_viewport = {0, 0, 1, 1};
    m_window->Draw(&engine);
    EXPECT_EQ(c->m_viewport, own) << z;
    m_window->Draw(&engine);
    EXPECT_NEAR((c->m_viewport.x - own.x) * 640, -0.5f, 1e-3) << z;
    EXPECT_NEAR((c->m_viewport.z - own.z) * 480, 0.5f, 1e-3) << z;
  }
}

class WImageTest : public FrameTest {
 protected:
  TileTexture2D_I* Tiles(int32_t n) {
    auto* t = static_cast<TileTexture2D_I*>(MakeOf(TileTexture2D_I::kClassId, "tiles"));
    for (int32_t i = 0; i < n * 4; ++i) t->m_tileTexCoordArray.Append(Vector2f{float(i / 4) / 8, 0.5f});
    return t;
  }
};

TEST_F(WImageTest, DrawsItsTileTintedOrTheWholeTexture) {
  auto* image = MakeWidget<WImage_I>("i", 10, 10, 64, 32);
  Make("child", image);
  image->m_imageColor = {1, 0.5f, 1, 1};
  image->m_widgetState = 1;
  style->m_enableFrameColor = {1, 1, 0.5f, 1};
  Layout(image);
  // No shader, no collection: only the child.
  engine.quads.clear();
  image->DrawSelf(&context, &engine);
  const size_t childQuads = engine.quads.size();
  image->m_imageShader = ShaderOver(Tiles(5));
  struct Case {
    int32_t tile;
    float u;
  } cases[] = {{3, 3.0f / 8}, {99, 0}, {-2, 0}};
  for (const Case& c : cases) {
    image->m_tileSelect = c.tile;
    engine.quads.clear();
    image->DrawSelf(&context, &engine);
    ASSERT_EQ(engine.quads.size(), childQuads + 1) << c.tile;
    const RecordedQuad& q = engine.quads[0];
    EXPECT_EQ(q.texCoords[0], c.u) << c.tile;
    EXPECT_EQ(q.right - q.left, 64.0f) << c.tile;
    EXPECT_EQ(q.color, (Vector4f{1, 0.5f, 0.5f, 1})) << c.tile;
  }
  // Through a collection, whose colour tints the image as it tints icons; a missing entry: whole texture.
  auto* icons = static_cast<TileCollection_I*>(MakeOf(TileCollection_I::kClassId, "icons"));
  icons->m_shaderArray.Append(image->m_imageShader);
  icons->m_colorArray.Append(Vector4f{0.5f, 1, 1, 1});
  icons->m_tileSelectArray.Append(2);
  image->m_tileCollection = icons;
  image->m_imageShader.Clear();
  for (int32_t select : {0, -1}) {
    image->m_tileSelect = select;
    engine.quads.clear();
    image->DrawSelf(&context, &engine);
    if (select < 0) {
      EXPECT_EQ(engine.quads.size(), childQuads);  // no entry, no shader
      continue;
    }
    ASSERT_EQ(engine.quads.size(), childQuads + 1);
    EXPECT_EQ(engine.quads[0].texCoords[0], 2.0f / 8);
    EXPECT_EQ(engine.quads[0].color, (Vector4f{0.5f, 0.5f, 0.5f, 1}));
  }
}

}  // namespace
}  // namespace PM::Test
