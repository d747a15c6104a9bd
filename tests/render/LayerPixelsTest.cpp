// The pixels every layer kind produces, byte for byte: each combine mode of the transform layer with
// and without the RGBA stage, straight and mirrored either way, on widths 1 to 1027 over transparent, opaque and
// part-covered pixels, and groups composing fills, plain images and transform layers. The expected
// bytes come from the combine table written out channel by channel; a digest of all of them is
// pinned too, so a faster drawing path has to give the very same bytes.
#include <gtest/gtest.h>

#include <cstdint>
#include <vector>

#include "render/GroupLayer.h"
#include "render/TransformLayer.h"
#include "scene/EngineWorld.h"
#include "support/LogCapture.h"

namespace PM::Test {
namespace {

constexpr uint32_t kLayerArray = 0x01FFF0B2, kDimension = 0x02FFF0B1, kDefaultColor = 0x03FFF0B1;
constexpr uint32_t kTImageLayer = 0x01FFF0B3, kCombine = 0x03FFF0B3, kPosition = 0x04FFF0B3, kFlip = 0x07FFF0B3,
                   kMulRGBA = 0x08FFF0B3, kAddRGBA = 0x09FFF0B3;

// The RGBA stage's factors as the layer derives them from its members (255 x member, truncated).
struct Stage {
  bool on = false;
  int64_t mul[4] = {255, 255, 255, 255}, add[4] = {0, 0, 0, 0};
};
const Stage kStageOff;
const Stage kStageOn{true, {127, 255, 510, 127}, {25, 0, -51, 63}};
const Vector4f kMulMember{0.5f, 1, 2, 0.5f}, kAddMember{0.1f, 0, -0.2f, 0.25f};

uint8_t Clamp(int64_t v) { return uint8_t(v < 0 ? 0 : (v > 255 ? 255 : v)); }

// One pixel of the combine table; C++ division truncates toward zero as the table asks.
R8G8B8A8 Expected(int mode, R8G8B8A8 sp, R8G8B8A8 tp, const Stage& f) {
  const int64_t s[4] = {sp.R, sp.G, sp.B, sp.A}, t[4] = {tp.R, tp.G, tp.B, tp.A};
  const int64_t alpha2 = s[3] * f.mul[3] / 255;            // α''
  const int64_t alpha1 = f.on ? alpha2 + f.add[3] : s[3];  // α'
  int64_t o[4];
  for (int c = 0; c < 4; ++c) {
    const int64_t lifted = f.on ? s[c] * f.mul[c] / 255 + f.add[c] : s[c];  // s' + add
    switch (mode) {
      case 1:
        o[c] = lifted;
        break;
      case 2:
        o[c] = ((c == 3 ? alpha1 : lifted) * alpha1 + t[c] * (255 - alpha1)) / 255;
        break;
      case 3:
        o[c] = lifted * t[c] / 255;
        break;
      case 4:
        o[c] = lifted + t[c];
        break;
      case 5:
        o[c] = lifted - t[c];
        break;
      case 6:
        o[c] = f.on ? t[c] - s[c] * f.mul[c] / 255 + f.add[c] : t[c] - s[c];
        break;
      default:
        if (c == 3)
          o[c] = t[3] + (f.on ? alpha2 + f.add[3] : s[3]);
        else
          o[c] = f.on ? s[c] * alpha2 * f.mul[c] / 65025 + f.add[c] + t[c] : s[c] * s[3] / 255 + t[c];
    }
  }
  return {Clamp(o[0]), Clamp(o[1]), Clamp(o[2]), Clamp(o[3])};
}

// Pixels cycling through alpha 0, alpha 255 and scattered values, colours from a multiplicative hash.
Obj<Image_I> Pattern(int w, int h, uint32_t seed) {
  Obj<Image_I> image(Image_I::New());
  image->Create(4, w, h, 0);
  uint32_t k = seed;
  for (int y = 0; y < h; ++y) {
    for (int x = 0; x < w; ++x) {
      k = k * 2654435761u + 12345u;
      const int i = x + 3 * y;
      const uint8_t a = i % 5 == 0 ? 0 : (i % 5 == 1 ? 255 : uint8_t(k >> 24));
      image->SetPixel(x, y, {uint8_t(k >> 8), uint8_t(k >> 13), uint8_t(k >> 18), a});
    }
  }
  return image;
}

std::vector<R8G8B8A8> Pixels(Image_I* image) {
  std::vector<R8G8B8A8> out;
  for (int y = 0; y < image->GetHeight(); ++y) {
    for (int x = 0; x < image->GetWidth(); ++x) {
      R8G8B8A8 p;
      image->GetPixel(p, x, y);
      out.push_back(p);
    }
  }
  return out;
}

// FNV-1a over the bytes of every image checked.
struct Digest {
  uint64_t value = 0xcbf29ce484222325ull;
  void Add(const std::vector<R8G8B8A8>& pixels) {
    for (const R8G8B8A8& p : pixels) {
      for (uint8_t b : {p.R, p.G, p.B, p.A}) value = (value ^ b) * 0x100000001b3ull;
    }
  }
};

class LayerPixelsTest : public EngineWorldTest {
 protected:
  template <class T>
  static T* As(const Obj<ScriptObject>& o) {
    return static_cast<T*>(o.Get());
  }
  Obj<ScriptObject> Source(Image_I* image) {
    Obj<ScriptObject> l = Make("ImageLayer", "src");
    As<ImageLayer_I>(l)->m_image = image;
    return l;
  }
  Obj<ScriptObject> Transform(Image_I* image, int mode, const Stage& stage, uint32_t flip, int x, int y) {
    Obj<ScriptObject> t = Make("TransformLayer", "t");
    MemberSet<VObject>(t, kTImageLayer, Source(image));
    MemberSet<VEnum>(t, kCombine, TransformLayer_I::kCombineReplace + (uint32_t(mode - 1) << 24));
    MemberSet<VU32>(t, kFlip, flip);
    MemberSet<VVector3f>(t, kPosition, Vector3f{float(x), float(y), 0});
    if (stage.on) {
      MemberSet<VVector4f>(t, kMulRGBA, kMulMember);
      MemberSet<VVector4f>(t, kAddRGBA, kAddMember);
    }
    return t;
  }
  // `expected` (the target's pixels, tw wide) with the source drawn at (x, y) by the table; flip 1
  // mirrors each row, 2 the rows top to bottom.
  static void Draw(std::vector<R8G8B8A8>& expected, int tw, Image_I* source, int mode, const Stage& stage,
                   uint32_t flip, int x, int y) {
    const int w = source->GetWidth(), h = source->GetHeight();
    for (int r = 0; r < h; ++r) {
      for (int i = 0; i < w; ++i) {
        R8G8B8A8 s;
        source->GetPixel(s, flip == 1 ? w - 1 - i : i, flip == 2 ? h - 1 - r : r);
        R8G8B8A8& t = expected[size_t((y + r) * tw + x + i)];
        t = Expected(mode, s, t, stage);
      }
    }
  }
  static Obj<Image_I> Compose(ScriptObject* group) {
    LayerApplyContext context;
    LayerImageResult result;
    EXPECT_EQ(static_cast<ExpressionLayer_I*>(group)->ApplyToImage(context, result), 1);
    return Obj<Image_I>(result.image.Get());
  }
  LogCapture m_out{LogOutPipe()};
};

TEST_F(LayerPixelsTest, EveryCombineModeMatchesTheTableByteForByte) {
  Digest digest;
  int mismatches = 0;
  for (int w : {1, 2, 3, 4, 5, 7, 8, 9, 15, 17, 33, 1027}) {
    const int h = w > 100 ? 2 : 3;
    Obj<Image_I> source = Pattern(w, h, uint32_t(w));
    for (int mode = 1; mode <= 7; ++mode) {
      for (const Stage* stage : {&kStageOff, &kStageOn}) {
        for (uint32_t flip : {0u, 1u, 2u}) {
          // Around the drawn area, a target one pixel larger on every side, or as wide with a row
          // above it: what lies around is checked too.
          const int border = int(flip + uint32_t(mode)) % 2, tw = w + 2 * border;
          Obj<Image_I> target = Pattern(tw, h + 1 + border, uint32_t(w * 31 + mode));
          std::vector<R8G8B8A8> expected = Pixels(target);
          Draw(expected, tw, source, mode, *stage, flip, border, 1);
          Obj<ScriptObject> t = Transform(source, mode, *stage, flip, border, 1);
          LayerApplyContext context;
          LayerImageResult result;
          result.image = target.Get();
          ASSERT_EQ(As<ExpressionLayer_I>(t)->ApplyToImage(context, result), 1);
          const std::vector<R8G8B8A8> got = Pixels(target);
          for (size_t i = 0; i < got.size(); ++i) {
            if (!(got[i] == expected[i]) && ++mismatches <= 5)
              ADD_FAILURE() << "width " << w << " mode " << mode << " stage " << stage->on << " flip " << flip
                            << " pixel " << i << ": got " << int(got[i].R) << ' ' << int(got[i].G) << ' '
                            << int(got[i].B) << ' ' << int(got[i].A) << ", want " << int(expected[i].R) << ' '
                            << int(expected[i].G) << ' ' << int(expected[i].B) << ' ' << int(expected[i].A);
          }
          digest.Add(got);
        }
      }
    }
  }
  EXPECT_EQ(mismatches, 0);
  EXPECT_EQ(digest.value, 0xe8f5c27f5c76513eull);
  EXPECT_EQ(m_out.Take(), "");
}

// A window hanging off the target's bottom: the rows inside are drawn as any others, the row outside is
// refused by the span calls and nothing else changes.
TEST_F(LayerPixelsTest, RowsInsideAWindowThatLeavesTheTargetAreDrawn) {
  Obj<Image_I> source = Pattern(5, 3, 12), target = Pattern(7, 4, 13);
  std::vector<R8G8B8A8> expected = Pixels(target);
  Obj<Image_I> inside(Image_I::New());
  inside->Create(4, 5, 2, 0);
  for (int y = 0; y < 2; ++y) {
    for (int x = 0; x < 5; ++x) {
      R8G8B8A8 p;
      source->GetPixel(p, x, y);
      inside->SetPixel(x, y, p);
    }
  }
  Draw(expected, 7, inside, 2, kStageOff, 0, 1, 2);
  LayerApplyContext context;
  LayerImageResult result;
  result.image = target.Get();
  ASSERT_EQ(As<ExpressionLayer_I>(Transform(source, 2, kStageOff, 0, 1, 2))->ApplyToImage(context, result), 1);
  EXPECT_EQ(Pixels(target), expected);
  EXPECT_EQ(m_out.Take(), "Error GetSpanR8G8B8A8: exceeding limits.\nError GetSpanR8G8B8A8: exceeding limits.\n");
}

// A filled group, a group whose first child is a plain image, and a one-pixel-wide group, each with
// transform layers blending and adding on top.
TEST_F(LayerPixelsTest, GroupsComposeFillImagesAndTransformsByteForByte) {
  Digest digest;
  Obj<Image_I> a = Pattern(5, 3, 7), b = Pattern(4, 2, 8), column = Pattern(1, 5, 9), dot = Pattern(1, 3, 11),
               plain = Pattern(7, 4, 10);
  struct Case {
    int w, h;
    Image_I* first;  // a plain image child drawn first, or null for the fill
    Image_I *over, *under;
  } cases[] = {{7, 4, nullptr, a, b}, {7, 4, plain, a, b}, {1, 5, nullptr, dot, column}};
  for (const Case& c : cases) {
    Obj<ScriptObject> g = Make("GroupLayer", "g");
    MemberSet<VVector3f>(g, kDimension, Vector3f{float(c.w), float(c.h), 0});
    MemberSet<VVector4f>(g, kDefaultColor, Vector4f{0.5f, 0.25f, 1, 0.75f});
    std::vector<R8G8B8A8> expected(size_t(c.w * c.h), R8G8B8A8{127, 63, 255, 191});
    int slot = 0;
    if (c.first) {
      MemberSetAt<VObject>(g, kLayerArray, slot++, Source(c.first));
      expected = Pixels(c.first);
    }
    const int x = c.w > 1 ? 1 : 0;
    MemberSetAt<VObject>(g, kLayerArray, slot++, Transform(c.under, 2, kStageOff, 0, 0, 0));
    Draw(expected, c.w, c.under, 2, kStageOff, 0, 0, 0);
    MemberSetAt<VObject>(g, kLayerArray, slot++, Transform(c.over, 7, kStageOn, 1, x, 1));
    Draw(expected, c.w, c.over, 7, kStageOn, 1, x, 1);
    MemberSetAt<VObject>(g, kLayerArray, slot, Transform(c.over, 2, kStageOn, 0, 0, 0));
    Draw(expected, c.w, c.over, 2, kStageOn, 0, 0, 0);
    const std::vector<R8G8B8A8> got = Pixels(Compose(g));
    ASSERT_EQ(got.size(), expected.size());
    for (size_t i = 0; i < got.size(); ++i) EXPECT_EQ(got[i], expected[i]) << c.w << " x " << c.h << " pixel " << i;
    digest.Add(got);
  }
  EXPECT_EQ(digest.value, 0xc1514eb2b3d4ca1full);
  EXPECT_EQ(m_out.Take(), "");
}

}  // namespace
}  // namespace PM::Test
