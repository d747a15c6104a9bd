// Image layers: dependents and invalidation, the group's array, sizing, fill and cycles, and the
// transform layer's placement, flips, errors and combine modes.
#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

#include "render/GroupLayer.h"
#include "render/TransformLayer.h"
#include "scene/EngineWorld.h"
#include "support/LogCapture.h"

namespace PM::Test {
namespace {

constexpr uint32_t kLayerArray = 0x01FFF0B2;
constexpr uint32_t kDimension = 0x02FFF0B1, kDefaultColor = 0x03FFF0B1;
constexpr uint32_t kTImageLayer = 0x01FFF0B3, kVisibility = 0x02FFF0B3, kCombine = 0x03FFF0B3, kPosition = 0x04FFF0B3,
                   kFlip = 0x07FFF0B3, kMulRGBA = 0x08FFF0B3, kAddRGBA = 0x09FFF0B3, kParentDim = 0x0CFFF0B3,
                   kAutoMul = 0x0DFFF0B3;

class ImageLayerTest : public EngineWorldTest {
 protected:
  template <class T>
  static T* As(const Obj<ScriptObject>& o) {
    return static_cast<T*>(o.Get());
  }
  // An image layer whose cache already holds a w x h image of pixel (x + w * y, y, 7, 255).
  Obj<ScriptObject> Source(int w, int h, const char* name = "src") {
    Obj<ScriptObject> l = Make("ImageLayer", name);
    Obj<Image_I> image(Image_I::New());
    image->Create(4, w, h, 0);
    for (int y = 0; y < h; ++y)
      for (int x = 0; x < w; ++x) image->SetPixel(x, y, {uint8_t(x + w * y), uint8_t(y), 7, 255});
    As<ImageLayer_I>(l)->m_image = image.Get();
    return l;
  }
  Obj<ScriptObject> Transform(const Obj<ScriptObject>& source, const char* name = "t") {
    Obj<ScriptObject> t = Make("TransformLayer", name);
    MemberSet<VObject>(t, kTImageLayer, source);
    return t;
  }
  static Obj<Image_I> Blank(int w, int h, R8G8B8A8 c = {0, 0, 0, 255}) {
    Obj<Image_I> image(Image_I::New());
    image->Create(4, w, h, 0);
    image->FillRect(0, 0, w, h, c);
    return image;
  }
  static int32_t Apply(ScriptObject* layer, Image_I* target) {
    LayerApplyContext context;
    LayerImageResult result;
    result.image = target;
    return static_cast<ExpressionLayer_I*>(layer)->ApplyToImage(context, result);
  }
  static Obj<Image_I> Compose(ScriptObject* group, int32_t* status = nullptr) {
    LayerApplyContext context;
    LayerImageResult result;
    int32_t r = static_cast<ExpressionLayer_I*>(group)->ApplyToImage(context, result);
    if (status) *status = r;
    return Obj<Image_I>(result.image.Get());
  }
  static R8G8B8A8 At(Image_I* image, int x, int y) {
    R8G8B8A8 p;
    image->GetPixel(p, x, y);
    return p;
  }
  LogCapture m_out{LogOutPipe()};
};

TEST_F(ImageLayerTest, InvalidateReachesEveryLayerAboveAndSettersFollowTheirRules) {
  Obj<ScriptObject> leaf = Source(2, 2);
  Obj<ScriptObject> t = Transform(leaf);
  Obj<ScriptObject> g = Make("GroupLayer", "g");
  MemberSetAt<VObject>(g, kLayerArray, 0, t);
  for (ScriptObject* l : {leaf.Get(), t.Get(), g.Get()}) static_cast<ExpressionLayer_I*>(l)->MarkUpToDate();
  As<ExpressionLayer_I>(leaf)->Invalidate();
  for (ScriptObject* l : {leaf.Get(), t.Get(), g.Get()}) EXPECT_EQ(static_cast<ExpressionLayer_I*>(l)->IsUpToDate(), 0);

  struct Case {
    const char* what;
    std::function<void()> set;
    int upToDate;
  } cases[] = {
      {"same DefaultColor",
       [&] {
         MemberSet<VVector4f>(leaf, kDefaultColor, Vector4f{-1, -1, -1, 0});
       },
       1},
      {"new DefaultColor",
       [&] {
         MemberSet<VVector4f>(leaf, kDefaultColor, Vector4f{1, 0, 0, 1});
       },
       0},
      {"same Dimension",
       [&] {
         MemberSet<VVector3f>(leaf, kDimension, Vector3f{0, 0, 0});
       },
       0},
      {"same Visibility", [&] { MemberSet<VU32>(t, kVisibility, 1u); }, 1},
      {"same Position",
       [&] {
         MemberSet<VVector3f>(t, kPosition, Vector3f{0, 0, 0});
       },
       1},
      {"same ParentDimension",
       [&] {
         MemberSet<VVector3f>(t, kParentDim, Vector3f{0, 0, 0});
       },
       0},
      {"new FlipMode", [&] { MemberSet<VU32>(t, kFlip, 3u); }, 0},
  };
  for (const Case& c : cases) {
    As<ExpressionLayer_I>(g)->MarkUpToDate();
    c.set();
    EXPECT_EQ(As<ExpressionLayer_I>(g)->IsUpToDate(), c.upToDate) << c.what;
  }
}

TEST_F(ImageLayerTest, LayerArrayKeepsDependentsAndRefusesCycles) {
  Obj<ScriptObject> g = Make("GroupLayer", "g");
  std::vector<Obj<ScriptObject>> kids;
  for (int i = 0; i < 4; ++i) {
    kids.push_back(Source(1, 1));
    MemberSetAt<VObject>(g, kLayerArray, i, kids.back());
  }
  MemberRemove(g, kLayerArray, 1, 2);
  ASSERT_EQ(MemberSize(g, kLayerArray), 2);
  EXPECT_EQ(MemberGetAt<VObject>(g, kLayerArray, 0), kids[0].Get());
  EXPECT_EQ(MemberGetAt<VObject>(g, kLayerArray, 1), kids[3].Get());
  for (int i = 0; i < 4; ++i) {
    EXPECT_EQ(As<ExpressionLayer_I>(kids[i])->Dependents().size(), (i == 1 || i == 2) ? 0u : 1u) << i;
  }

  // A group in itself, and a group drawn through a transform layer it contains.
  m_out.Take();
  MemberSetAt<VObject>(g, kLayerArray, 2, g);
  Obj<ScriptObject> t = Make("TransformLayer", "t");
  MemberSetAt<VObject>(g, kLayerArray, 2, t);
  MemberSet<VObject>(t, kTImageLayer, g);
  EXPECT_EQ(MemberSize(g, kLayerArray), 3);
  EXPECT_TRUE(MemberGet<VObject>(t, kTImageLayer) == NilScriptObject());
  EXPECT_EQ(m_out.Take(),
            "Error GroupLayer::LayerArray: \"g\" would draw into itself through \"g\"; link refused.\n"
            "Error TransformLayer::ImageLayer: \"g\" would draw into itself through \"t\"; link refused.\n");

  // A dying group leaves no pointer behind in its children.
  g = Obj<ScriptObject>();
  EXPECT_TRUE(As<ExpressionLayer_I>(kids[0])->Dependents().empty());
  EXPECT_TRUE(As<ExpressionLayer_I>(t)->Dependents().empty());
}

TEST_F(ImageLayerTest, GroupSizeFillAndFailures) {
  Obj<ScriptObject> g = Make("GroupLayer", "g");
  int32_t status = 0;
  Obj<Image_I> none = Compose(g, &status);
  EXPECT_EQ(status, -1);
  EXPECT_EQ(m_out.Take(),
            "Error GroupLayer: AutoDimension did not find any visible or forceable layers: g\n"
            "Error GroupLayer::ApplyToImage: no dimensions detected for \"g\".\n");

  // An invisible child sizes the group through the forced pass; unfilled pixels are transparent black.
  Obj<ScriptObject> t = Transform(Source(5, 3));
  MemberSet<VU32>(t, kVisibility, 0u);
  MemberSetAt<VObject>(g, kLayerArray, 0, t);
  MemberSet<VVector3f>(g, kDimension, Vector3f{0.9f, 5, 0});
  Obj<Image_I> image = Compose(g, &status);
  ASSERT_EQ(status, 1);
  EXPECT_EQ(image->GetWidth(), 5);
  EXPECT_EQ(image->GetHeight(), 3);
  EXPECT_EQ(At(image, 4, 2), (R8G8B8A8{0, 0, 0, 0}));

  struct Fill {
    Vector4f color;
    R8G8B8A8 pixel;
  } fills[] = {
      {{1, 0, 0, 1}, {255, 0, 0, 255}}, {{1, 0, -0.1f, 1}, {0, 0, 0, 0}}, {{0.5f, 1, 0, 0.2f}, {127, 255, 0, 51}}};
  for (const Fill& f : fills) {
    MemberSet<VVector4f>(g, kDefaultColor, f.color);
    EXPECT_EQ(At(Compose(g), 0, 0), f.pixel) << f.color.z;
  }

  MemberSet<VVector3f>(g, kDimension, Vector3f{9000, 4, 0});
  EXPECT_TRUE(Compose(g, &status).IsNil());
  EXPECT_EQ(status, -1);
  EXPECT_EQ(m_out.Take(), "Error GroupLayer::ApplyToImage: 9000 x 4 is larger than 8192 x 8192 for \"g\".\n");
}

TEST_F(ImageLayerTest, PlainImageChildIsCopiedBeforeLaterChildrenDraw) {
  Obj<ScriptObject> g = Make("GroupLayer", "g");
  Obj<ScriptObject> plain = Source(2, 2);
  Image_I* cached = As<ImageLayer_I>(plain)->m_image.Get();
  const R8G8B8A8 before = At(cached, 0, 0);
  MemberSetAt<VObject>(g, kLayerArray, 0, plain);
  Obj<ScriptObject> over = Transform(Source(1, 1, "dot"));
  MemberSetAt<VObject>(g, kLayerArray, 1, over);
  MemberSet<VVector3f>(g, kDimension, Vector3f{2, 2, 0});
  Obj<Image_I> image = Compose(g);
  EXPECT_EQ(At(cached, 0, 0), before);
  EXPECT_EQ(At(image, 0, 0), (R8G8B8A8{0, 0, 7, 255}));
  EXPECT_EQ(At(image, 1, 1), At(cached, 1, 1));
  EXPECT_NE(image.Get(), cached);
}

TEST_F(ImageLayerTest, ImageLayerWithoutFileFails) {
  Obj<ScriptObject> l = Make("ImageLayer", "img");
  LayerApplyContext context;
  LayerImageResult result;
  EXPECT_EQ(As<ExpressionLayer_I>(l)->ApplyToImage(context, result), -1);
  EXPECT_FALSE(result.image);
  EXPECT_EQ(result.flag1, 0);
  EXPECT_EQ(result.complete, 1);
  EXPECT_EQ(m_out.Take(), "Error ImageLayer::ApplyToImage: fileobject undefined for \"img\".\n");
}

// Source pixel ids (x + 3 y) of a 3 x 2 source as each flip mode lays them out, row by row.
TEST_F(ImageLayerTest, EveryFlipModeOnAThreeByTwoSource) {
  const std::vector<std::vector<int>> expected[8] = {
      {{0, 1, 2}, {3, 4, 5}},   {{2, 1, 0}, {5, 4, 3}},   {{3, 4, 5}, {0, 1, 2}},   {{5, 4, 3}, {2, 1, 0}},
      {{3, 0}, {4, 1}, {5, 2}}, {{5, 2}, {4, 1}, {3, 0}}, {{0, 3}, {1, 4}, {2, 5}}, {{2, 5}, {1, 4}, {0, 3}},
  };
  Obj<ScriptObject> t = Transform(Source(3, 2));
  for (uint32_t flip = 0; flip < 8; ++flip) {
    MemberSet<VU32>(t, kFlip, flip);
    Obj<Image_I> target = Blank(3, 3, {99, 99, 99, 255});
    ASSERT_EQ(Apply(t, target), 1);
    const auto& rows = expected[flip];
    for (int y = 0; y < 3; ++y) {
      for (int x = 0; x < 3; ++x) {
        int want = (y < int(rows.size()) && x < int(rows[y].size())) ? rows[y][x] : 99;
        EXPECT_EQ(At(target, x, y).R, want) << "flip " << flip << " at " << x << "," << y;
      }
    }
  }
}

TEST_F(ImageLayerTest, TransformPlacementSizingAndErrors) {
  Obj<ScriptObject> t = Transform(Source(4, 4));
  MemberSet<VVector3f>(t, kParentDim, Vector3f{1, 1, 0});
  MemberSet<VVector3f>(t, kPosition, Vector3f{0.5f, 0.25f, 0});
  Obj<Image_I> target = Blank(256, 128);
  ASSERT_EQ(Apply(t, target), 1);
  EXPECT_EQ(At(target, 128, 32), (R8G8B8A8{0, 0, 7, 255}));
  EXPECT_EQ(At(target, 131, 35), (R8G8B8A8{15, 3, 7, 255}));
  EXPECT_EQ(At(target, 127, 32), (R8G8B8A8{0, 0, 0, 255}));

  // Huge members saturate: nothing lands, nothing overflows.
  MemberSet<VVector3f>(t, kPosition, Vector3f{1e20f, -1e20f, 0});
  MemberSet<VVector4f>(t, kMulRGBA, Vector4f{1e9f, 1e9f, 1e9f, 1e9f});
  MemberSet<VEnum>(t, kCombine, TransformLayer_I::kCombineAlphaAdd);
  EXPECT_EQ(Apply(t, target), 1);
  m_out.Take();

  Obj<ScriptObject> sized = Transform(Source(101, 64));
  MemberSet<VVector3f>(sized, kAutoMul, Vector3f{0.5f, 0.5f, 1});
  LayerApplyContext context;
  Vector3f out{7, 7, 7};
  EXPECT_EQ(As<ExpressionLayer_I>(sized)->AutoDimension(context, out, 0), 1);
  EXPECT_EQ(out, (Vector3f{51, 32, 0}));
  MemberSet<VU32>(sized, kVisibility, 0u);
  EXPECT_EQ(As<ExpressionLayer_I>(sized)->AutoDimension(context, out, 0), 0);
  EXPECT_EQ(As<ExpressionLayer_I>(sized)->AutoDimension(context, out, 1), 1);
  Obj<Image_I> untouched = Blank(2, 2);
  EXPECT_EQ(Apply(sized, untouched), 0);

  Obj<ScriptObject> empty = Make("ImageLayer", "e");
  As<ImageLayer_I>(empty)->m_image = Image_I::New();
  Obj<ScriptObject> orphan = Make("TransformLayer", "o");
  Obj<ScriptObject> zero = Transform(empty, "z");
  Obj<Image_I> noPixels(Image_I::New());
  struct Case {
    ScriptObject* layer;
    Image_I* target;
    const char* line;
  } cases[] = {
      {t, nullptr, "Error TransformLayer::ApplyToImage: target image required for \"t\".\n"},
      {t, noPixels, "Error TransformLayer::ApplyToImage: target image is 0x0 for \"t\".\n"},
      {orphan, target, "Error TransformLayer::ApplyToImage: own image required for \"o\".\n"},
      {zero, target, "Error TransformLayer::ApplyToImage: own image is 0x0 for \"z\".\n"},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(Apply(c.layer, c.target), -1);
    EXPECT_EQ(m_out.Take(), c.line);
  }
  MemberSet<VEnum>(t, kCombine, 0x08FFF0B4u);
  EXPECT_EQ(Apply(t, target), 1);
}

// One source pixel over one target pixel, by hand, for each mode with and without the RGBA stage.
TEST_F(ImageLayerTest, CombineModesOnOnePixelPair) {
  const R8G8B8A8 s{200, 100, 50, 128}, t{60, 120, 240, 200};
  const int mul[4] = {127, 255, 510, 127}, add[4] = {25, 0, -51, 0};
  struct Case {
    int mode;
    R8G8B8A8 plain, staged;
  } cases[] = {
      {1, {200, 100, 50, 128}, {124, 100, 49, 63}},
      {2, {130, 109, 144, 163}, {75, 115, 192, 166}},
      {3, {47, 47, 47, 100}, {29, 47, 46, 49}},
      {4, {255, 220, 255, 255}, {184, 220, 255, 255}},
      {5, {140, 0, 0, 0}, {64, 0, 0, 0}},
      {6, {0, 20, 190, 72}, {0, 20, 89, 137}},
      {7, {160, 170, 255, 255}, {109, 144, 213, 255}},
  };
  for (const Case& c : cases) {
    R8G8B8A8 a = s;
    CombineRow(c.mode, &a, &t, 1, nullptr, nullptr);
    EXPECT_EQ(a, c.plain) << "mode " << c.mode;
    R8G8B8A8 b = s;
    CombineRow(c.mode, &b, &t, 1, mul, add);
    EXPECT_EQ(b, c.staged) << "mode " << c.mode << " with RGBA stage";
  }

  // The same through the layer: the factors come from the members.
  Obj<ScriptObject> src = Make("ImageLayer", "one");
  Obj<Image_I> one = Blank(1, 1, s);
  As<ImageLayer_I>(src)->m_image = one.Get();
  Obj<ScriptObject> layer = Transform(src);
  MemberSet<VEnum>(layer, kCombine, TransformLayer_I::kCombineBlend);
  MemberSet<VVector4f>(layer, kMulRGBA, Vector4f{0.5f, 1, 2, 0.5f});
  MemberSet<VVector4f>(layer, kAddRGBA, Vector4f{0.1f, 0, -0.2f, 0});
  Obj<Image_I> target = Blank(1, 1, t);
  ASSERT_EQ(Apply(layer, target), 1);
  EXPECT_EQ(At(target, 0, 0), (R8G8B8A8{75, 115, 192, 166}));
}

}  // namespace
}  // namespace PM::Test
