// Sampling against hand values (filters, the edges of a texture under each addressing mode, levels of
// detail, every texture format read back) and the texture stage operations.
#include <cmath>
#include <cstring>
#include <vector>

#include "PixelTestSupport.h"

namespace PM::SoftD3D {
namespace {

// 2 x 2 grey texels: 0 100 over 200 40.
TextureLevels TwoByTwo() {
  TextureLevels t;
  t.Add(2, 2);
  t.Set(0, 0, 0, Grey(0)), t.Set(0, 1, 0, Grey(100)), t.Set(0, 0, 1, Grey(200)), t.Set(0, 1, 1, Grey(40));
  return t;
}

uint32_t SampleOne(const Sampler& s, float u, float v, float lod = 0.0f) {
  uint32_t out = 0;
  s.Sample(&u, &v, &lod, 1, &out);
  return out;
}

TEST(SoftSampler, PointAndBilinearAgainstHandValues) {
  TextureLevels t = TwoByTwo();
  struct Case {
    uint32_t filter, address;
    float u, v;
    uint32_t grey;
  } cases[] = {
      {D3DTEXF_POINT, D3DTADDRESS_WRAP, 0.25f, 0.25f, 0},
      {D3DTEXF_POINT, D3DTADDRESS_WRAP, 0.75f, 0.25f, 100},
      {D3DTEXF_POINT, D3DTADDRESS_WRAP, 0.25f, 0.75f, 200},
      {D3DTEXF_POINT, D3DTADDRESS_WRAP, 0.99f, 0.99f, 40},
      {D3DTEXF_LINEAR, D3DTADDRESS_WRAP, 0.25f, 0.25f, 0},      // a texel centre
      {D3DTEXF_LINEAR, D3DTADDRESS_WRAP, 0.375f, 0.25f, 25},    // a quarter of the way to 100
      {D3DTEXF_LINEAR, D3DTADDRESS_WRAP, 0.5f, 0.5f, 85},       // (0 + 100) / 2 and (200 + 40) / 2, halved
      {D3DTEXF_ANISOTROPIC, D3DTADDRESS_WRAP, 0.5f, 0.5f, 85},  // filters as linear
      // Half a texel outside the left edge: the neighbour across the edge weighs half.
      {D3DTEXF_LINEAR, D3DTADDRESS_WRAP, 0.0f, 0.25f, 50},
      {D3DTEXF_LINEAR, D3DTADDRESS_CLAMP, 0.0f, 0.25f, 0},
      {D3DTEXF_LINEAR, D3DTADDRESS_MIRROR, 0.0f, 0.25f, 0},
      {D3DTEXF_LINEAR, D3DTADDRESS_BORDER, 0.0f, 0.25f, 128},
      // Texel columns -1, 2 and 3 under each mode.
      {D3DTEXF_POINT, D3DTADDRESS_WRAP, -0.25f, 0.25f, 100},
      {D3DTEXF_POINT, D3DTADDRESS_MIRROR, -0.25f, 0.25f, 0},
      {D3DTEXF_POINT, D3DTADDRESS_CLAMP, -0.25f, 0.25f, 0},
      {D3DTEXF_POINT, D3DTADDRESS_BORDER, -0.25f, 0.25f, 255},
      {D3DTEXF_POINT, D3DTADDRESS_MIRRORONCE, -0.25f, 0.25f, 0},
      {D3DTEXF_POINT, D3DTADDRESS_WRAP, 1.25f, 0.25f, 0},
      {D3DTEXF_POINT, D3DTADDRESS_MIRROR, 1.25f, 0.25f, 100},
      {D3DTEXF_POINT, D3DTADDRESS_CLAMP, 1.25f, 0.25f, 100},
      {D3DTEXF_POINT, D3DTADDRESS_BORDER, 1.25f, 0.25f, 255},
      {D3DTEXF_POINT, D3DTADDRESS_WRAP, 1.75f, 0.25f, 100},
      {D3DTEXF_POINT, D3DTADDRESS_MIRROR, 1.75f, 0.25f, 0},
      {D3DTEXF_POINT, D3DTADDRESS_MIRRORONCE, 1.75f, 0.25f, 100},
      {D3DTEXF_POINT, D3DTADDRESS_WRAP, 0.25f, -0.25f, 200},  // and along v
      {D3DTEXF_POINT, D3DTADDRESS_CLAMP, 0.25f, 7.0f, 200},
      // Coordinates no texture reaches still give a texel.
      {D3DTEXF_LINEAR, D3DTADDRESS_WRAP, NAN, 0.25f, 0},
      {D3DTEXF_LINEAR, D3DTADDRESS_CLAMP, 1e30f, -1e30f, 100},
  };
  for (const Case& c : cases) {
    Sampler s;
    ASSERT_TRUE(s.Build(t.pointers.data(), 1, StageStates(c.filter, c.address).data()));
    EXPECT_EQ(SampleOne(s, c.u, c.v), Grey(c.grey))
        << "filter " << c.filter << " address " << c.address << " at " << c.u << ", " << c.v;
  }
}

TEST(SoftSampler, EveryTextureFormatReadsBackItsWrittenValue) {
  struct Case {
    D3DFORMAT format;
    uint32_t stored;
    uint32_t argb;
  } cases[] = {
      {D3DFMT_A8R8G8B8, 0x80FF4020u, 0x80FF4020u},
      {D3DFMT_X8R8G8B8, 0x00FF4020u, 0xFFFF4020u},
      {D3DFMT_R8G8B8, 0xFF4020u, 0xFFFF4020u},
      {D3DFMT_R5G6B5, 0xF81Fu, 0xFFFF00FFu},
      {D3DFMT_R5G6B5, 0x07E0u, 0xFF00FF00u},
      {D3DFMT_X1R5G5B5, 0x7C00u, 0xFFFF0000u},
      {D3DFMT_A1R5G5B5, 0x03E0u, 0x0000FF00u},
      {D3DFMT_A1R5G5B5, 0x801Fu, 0xFF0000FFu},
      {D3DFMT_A4R4G4B4, 0x8F00u, 0x88FF0000u},
      {D3DFMT_X4R4G4B4, 0x00F0u, 0xFF00FF00u},
      {D3DFMT_R3G3B2, 0xE3u, 0xFFFF00FFu},
      {D3DFMT_A8R3G3B2, 0x401Cu, 0x4000FF00u},
      {D3DFMT_A8, 0x7Fu, 0x7F000000u},
      {D3DFMT_L8, 0x9Bu, 0xFF9B9B9Bu},
      {D3DFMT_A8L8, 0x409Bu, 0x409B9B9Bu},
      {D3DFMT_A4L4, 0x8Fu, 0x88FFFFFFu},
  };
  for (const Case& c : cases) {
    TextureLevels t;
    t.Add(1, 1, c.format);
    t.Set(0, 0, 0, c.stored);
    Sampler s;
    ASSERT_TRUE(s.Build(t.pointers.data(), 1, StageStates(D3DTEXF_LINEAR, D3DTADDRESS_WRAP).data()));
    EXPECT_EQ(SampleOne(s, 0.3f, 0.6f), c.argb) << "format " << c.format;
  }
  // A changed texture is read anew: the decoded copy follows its version.
  TextureLevels t;
  t.Add(1, 1, D3DFMT_R5G6B5);
  t.Set(0, 0, 0, 0x001F);
  Sampler s;
  s.Build(t.pointers.data(), 1, StageStates(D3DTEXF_POINT, D3DTADDRESS_WRAP).data());
  EXPECT_EQ(SampleOne(s, 0.5f, 0.5f), 0xFF0000FFu);
  t.Set(0, 0, 0, 0xF800);
  s.Build(t.pointers.data(), 1, StageStates(D3DTEXF_POINT, D3DTADDRESS_WRAP).data());
  EXPECT_EQ(SampleOne(s, 0.5f, 0.5f), 0xFFFF0000u);
}

TEST(SoftSampler, LevelOfDetailPicksTheLevel) {
  TextureLevels t;
  const uint32_t colours[] = {0xFFFF0000u, 0xFF00FF00u, 0xFF0000FFu, 0xFFFFFF00u,
                              0xFF00FFFFu, 0xFFFF00FFu, 0xFFFFFFFFu};
  for (uint32_t i = 0, size = 64; size >= 1; ++i, size /= 2) {
    t.Add(size, size);
    t.Fill(i, colours[i]);
  }
  struct Case {
    uint32_t mip;
    float lod, bias;
    uint32_t maxLevel;
    uint32_t argb;
  } cases[] = {
      {D3DTEXF_NONE, 3.0f, 0.0f, 0, 0xFFFF0000u},   {D3DTEXF_POINT, 0.0f, 0.0f, 0, 0xFFFF0000u},
      {D3DTEXF_POINT, 1.0f, 0.0f, 0, 0xFF00FF00u},  {D3DTEXF_POINT, 1.4f, 0.0f, 0, 0xFF00FF00u},
      {D3DTEXF_POINT, 1.6f, 0.0f, 0, 0xFF0000FFu},  {D3DTEXF_POINT, 0.0f, 1.0f, 0, 0xFF00FF00u},
      {D3DTEXF_POINT, 0.0f, 0.0f, 2, 0xFF0000FFu},  {D3DTEXF_POINT, 40.0f, 0.0f, 0, 0xFFFFFFFFu},
      {D3DTEXF_POINT, -5.0f, 0.0f, 0, 0xFFFF0000u}, {D3DTEXF_LINEAR, 1.0f, 0.0f, 0, 0xFF00FF00u},
      {D3DTEXF_LINEAR, 0.5f, 0.0f, 0, 0xFF808000u}, {D3DTEXF_NONE, 0.0f, 0.0f, 1, 0xFF00FF00u},
  };
  for (const Case& c : cases) {
    std::vector<uint32_t> ts = StageStates(D3DTEXF_POINT, D3DTADDRESS_WRAP, c.mip);
    std::memcpy(&ts[D3DTSS_MIPMAPLODBIAS], &c.bias, 4);
    ts[D3DTSS_MAXMIPLEVEL] = c.maxLevel;
    Sampler s;
    s.Build(t.pointers.data(), int32_t(t.pointers.size()), ts.data());
    EXPECT_EQ(SampleOne(s, 0.3f, 0.3f, c.lod), c.argb) << "mip " << c.mip << " lod " << c.lod << " bias " << c.bias;
  }
}

// ---- the stage combiner --------------------------------------------------------------------------

struct Rgba {
  float r, g, b, a;
};

ColorRun OnePixel(Rgba c) {
  ColorRun run;
  run.c[0][0] = c.r, run.c[1][0] = c.g, run.c[2][0] = c.b, run.c[3][0] = c.a;
  return run;
}

TEST(TextureStages, OperationsAgainstHandValues) {
  // Texture (0.8, 0.4, 0.2, 0.3), diffuse (0.5, 0.25, 1, 0.6), factor (0.2, 0.2, 0.2, 0.25), specular
  // (0.1, 0.2, 0.3, 0.9). Stage 0's alpha: texture alpha x diffuse alpha, 0.18, unless told.
  const ColorRun texture = OnePixel({0.8f, 0.4f, 0.2f, 0.3f}), diffuse = OnePixel({0.5f, 0.25f, 1.0f, 0.6f});
  const ColorRun specular = OnePixel({0.1f, 0.2f, 0.3f, 0.9f});
  constexpr uint32_t T = D3DTA_TEXTURE, D = D3DTA_DIFFUSE, F = D3DTA_TFACTOR;
  struct Case {
    uint32_t op, arg1, arg2, arg0;
    Rgba expected;
  } cases[] = {
      {D3DTOP_DISABLE, T, D, F, {0.5f, 0.25f, 1.0f, 0.6f}},
      {D3DTOP_SELECTARG1, T, D, F, {0.8f, 0.4f, 0.2f, 0.18f}},
      {D3DTOP_SELECTARG2, T, D, F, {0.5f, 0.25f, 1.0f, 0.18f}},
      {D3DTOP_MODULATE, T, D, F, {0.4f, 0.1f, 0.2f, 0.18f}},
      {D3DTOP_MODULATE2X, T, D, F, {0.8f, 0.2f, 0.4f, 0.18f}},
      {D3DTOP_MODULATE4X, T, D, F, {1.0f, 0.4f, 0.8f, 0.18f}},
      {D3DTOP_ADD, T, D, F, {1.0f, 0.65f, 1.0f, 0.18f}},
      {D3DTOP_ADDSIGNED, T, D, F, {0.8f, 0.15f, 0.7f, 0.18f}},
      {D3DTOP_ADDSIGNED2X, T, D, F, {1.0f, 0.3f, 1.0f, 0.18f}},
      {D3DTOP_SUBTRACT, T, D, F, {0.3f, 0.15f, 0.0f, 0.18f}},
      {D3DTOP_ADDSMOOTH, T, D, F, {0.9f, 0.55f, 1.0f, 0.18f}},
      {D3DTOP_BLENDDIFFUSEALPHA, T, D, F, {0.68f, 0.34f, 0.52f, 0.18f}},
      {D3DTOP_BLENDTEXTUREALPHA, T, D, F, {0.59f, 0.295f, 0.76f, 0.18f}},
      {D3DTOP_BLENDFACTORALPHA, T, D, F, {0.575f, 0.2875f, 0.8f, 0.18f}},
      {D3DTOP_BLENDTEXTUREALPHAPM, T, D, F, {1.0f, 0.575f, 0.9f, 0.18f}},
      {D3DTOP_BLENDCURRENTALPHA, T, D, F, {0.68f, 0.34f, 0.52f, 0.18f}},
      {D3DTOP_MODULATEALPHA_ADDCOLOR, T, D, F, {0.95f, 0.475f, 0.5f, 0.18f}},
      {D3DTOP_MODULATECOLOR_ADDALPHA, T, D, F, {0.7f, 0.4f, 0.5f, 0.18f}},
      {D3DTOP_MODULATEINVALPHA_ADDCOLOR, T, D, F, {1.0f, 0.575f, 0.9f, 0.18f}},
      {D3DTOP_MODULATEINVCOLOR_ADDALPHA, T, D, F, {0.4f, 0.45f, 1.0f, 0.18f}},
      {D3DTOP_DOTPRODUCT3, T, T, F, {0.76f, 0.76f, 0.76f, 0.76f}},  // fills alpha too
      {D3DTOP_MULTIPLYADD, T, D, F, {0.6f, 0.3f, 0.4f, 0.18f}},
      {D3DTOP_LERP, T, D, F, {0.56f, 0.28f, 0.84f, 0.18f}},
      // Modifiers and the other sources.
      {D3DTOP_SELECTARG1, T | D3DTA_COMPLEMENT, D, F, {0.2f, 0.6f, 0.8f, 0.18f}},
      {D3DTOP_SELECTARG1, T | D3DTA_ALPHAREPLICATE, D, F, {0.3f, 0.3f, 0.3f, 0.18f}},
      {D3DTOP_SELECTARG1, F, D, F, {0.2f, 0.2f, 0.2f, 0.18f}},
      {D3DTOP_SELECTARG1, D3DTA_SPECULAR, D, F, {0.1f, 0.2f, 0.3f, 0.18f}},
      {D3DTOP_SELECTARG1, D3DTA_CURRENT, D, F, {0.5f, 0.25f, 1.0f, 0.18f}},
  };
  for (const Case& c : cases) {
    StageSetup stage;
    stage.colorOp = c.op;
    stage.colorArgs[0] = c.arg1, stage.colorArgs[1] = c.arg2, stage.colorArgs[2] = c.arg0;
    stage.alphaOp = D3DTOP_MODULATE;
    stage.alphaArgs[0] = T, stage.alphaArgs[1] = D;
    stage.textured = true;
    StageInputs in;
    in.n = 1;
    in.diffuse = &diffuse, in.specular = &specular, in.texture[0] = &texture;
    in.factor[0] = in.factor[1] = in.factor[2] = 0.2f, in.factor[3] = 0.25f;
    ColorRun out;
    RunStages(&stage, 1, in, out);
    const float got[4] = {out.c[0][0], out.c[1][0], out.c[2][0], out.c[3][0]};
    const float want[4] = {c.expected.r, c.expected.g, c.expected.b, c.expected.a};
    for (int k = 0; k < 4; ++k) EXPECT_NEAR(got[k], want[k], 1e-5f) << "operation " << c.op << " channel " << k;
  }
}

TEST(TextureStages, ChainsTempAndUnboundStages) {
  const ColorRun texture = OnePixel({0.8f, 0.4f, 0.2f, 0.3f}), diffuse = OnePixel({0.5f, 0.25f, 1.0f, 0.6f});
  StageInputs in;
  in.n = 1;
  in.diffuse = in.specular = &diffuse;
  in.texture[0] = in.texture[1] = &texture;
  in.factor[0] = in.factor[1] = in.factor[2] = 0.2f, in.factor[3] = 0.25f;
  auto stage = [](uint32_t op, uint32_t a1, uint32_t a2, uint32_t alphaOp, bool textured, bool toTemp = false) {
    StageSetup s;
    s.colorOp = op, s.colorArgs[0] = a1, s.colorArgs[1] = a2;
    s.alphaOp = alphaOp, s.alphaArgs[0] = a1, s.alphaArgs[1] = a2;
    s.textured = textured, s.toTemp = toTemp;
    return s;
  };
  struct Case {
    const char* what;
    std::vector<StageSetup> stages;
    Rgba expected;
  } cases[] = {
      {"texture x diffuse, then + factor",
       {stage(D3DTOP_MODULATE, D3DTA_TEXTURE, D3DTA_DIFFUSE, D3DTOP_MODULATE, true),
        stage(D3DTOP_ADD, D3DTA_CURRENT, D3DTA_TFACTOR, D3DTOP_SELECTARG1, false)},
       {0.6f, 0.3f, 0.4f, 0.18f}},
      {"factor to temp, then current + temp",
       {stage(D3DTOP_SELECTARG1, D3DTA_TFACTOR, D3DTA_DIFFUSE, D3DTOP_SELECTARG1, false, true),
        stage(D3DTOP_ADD, D3DTA_CURRENT, D3DTA_TEMP, D3DTOP_ADD, false)},
       {0.7f, 0.45f, 1.0f, 0.85f}},
      {"an unbound stage modulating passes its colour on",
       {stage(D3DTOP_MODULATE, D3DTA_TEXTURE, D3DTA_CURRENT, D3DTOP_MODULATE, false)},
       {0.5f, 0.25f, 1.0f, 0.6f}},
      {"an unbound stage selecting its texture passes its colour on",
       {stage(D3DTOP_SELECTARG1, D3DTA_TEXTURE, D3DTA_CURRENT, D3DTOP_SELECTARG1, false)},
       {0.5f, 0.25f, 1.0f, 0.6f}},
      {"an unbound stage still works on other sources",
       {stage(D3DTOP_SELECTARG1, D3DTA_TFACTOR, D3DTA_CURRENT, D3DTOP_SELECTARG1, false)},
       {0.2f, 0.2f, 0.2f, 0.25f}},
      {"alpha DISABLE keeps the alpha",
       {stage(D3DTOP_MODULATE, D3DTA_TEXTURE, D3DTA_DIFFUSE, D3DTOP_DISABLE, true)},
       {0.4f, 0.1f, 0.2f, 0.6f}},
      {"texture x diffuse, then an unbound stage modulating its texture",
       {stage(D3DTOP_MODULATE, D3DTA_TEXTURE, D3DTA_DIFFUSE, D3DTOP_MODULATE, true),
        stage(D3DTOP_MODULATE, D3DTA_TEXTURE, D3DTA_CURRENT, D3DTOP_MODULATE, false)},
       {0.4f, 0.1f, 0.2f, 0.18f}},
      {"texture x diffuse, then an unbound stage selecting its texture, alpha disabled",
       {stage(D3DTOP_MODULATE, D3DTA_TEXTURE, D3DTA_DIFFUSE, D3DTOP_MODULATE, true),
        stage(D3DTOP_SELECTARG1, D3DTA_TEXTURE, D3DTA_CURRENT, D3DTOP_DISABLE, false)},
       {0.4f, 0.1f, 0.2f, 0.18f}},
      {"texture x diffuse, then an unbound stage whose alpha reads the factor",
       {stage(D3DTOP_MODULATE, D3DTA_TEXTURE, D3DTA_DIFFUSE, D3DTOP_MODULATE, true),
        [&] {
          StageSetup s = stage(D3DTOP_MODULATE, D3DTA_TEXTURE, D3DTA_CURRENT, D3DTOP_SELECTARG1, false);
          s.alphaArgs[0] = D3DTA_TFACTOR;
          return s;
        }()},
       {0.4f, 0.1f, 0.2f, 0.25f}},
      {"texture x diffuse, then a bound stage modulating its texture",
       {stage(D3DTOP_MODULATE, D3DTA_TEXTURE, D3DTA_DIFFUSE, D3DTOP_MODULATE, true),
        stage(D3DTOP_MODULATE, D3DTA_TEXTURE, D3DTA_CURRENT, D3DTOP_MODULATE, true)},
       {0.32f, 0.04f, 0.04f, 0.054f}},
      {"the chain ends at the first disabled stage",
       {stage(D3DTOP_SELECTARG1, D3DTA_TEXTURE, D3DTA_DIFFUSE, D3DTOP_SELECTARG1, true),
        stage(D3DTOP_DISABLE, D3DTA_TFACTOR, D3DTA_DIFFUSE, D3DTOP_SELECTARG1, false),
        stage(D3DTOP_SELECTARG1, D3DTA_TFACTOR, D3DTA_DIFFUSE, D3DTOP_SELECTARG1, false)},
       {0.8f, 0.4f, 0.2f, 0.3f}},
  };
  for (const Case& c : cases) {
    ColorRun out;
    RunStages(c.stages.data(), int32_t(c.stages.size()), in, out);
    EXPECT_NEAR(out.c[0][0], c.expected.r, 1e-5f) << c.what;
    EXPECT_NEAR(out.c[1][0], c.expected.g, 1e-5f) << c.what;
    EXPECT_NEAR(out.c[2][0], c.expected.b, 1e-5f) << c.what;
    EXPECT_NEAR(out.c[3][0], c.expected.a, 1e-5f) << c.what;
  }
}

}  // namespace
}  // namespace PM::SoftD3D
