// Textures through the software device's own calls, with texture coordinates carried by the vertices:
// the mip level a screen-filling quad picks at 1:1, 1:2 and 1:4, wrap and clamp at the edges, an unbound
// stage passing its colour on, a COUNT2 texture matrix and the PROJECTED divide.
#include <cstring>
#include <functional>

#include "SoftD3D8Fixture.h"

namespace PM::Test {
namespace {

constexpr UINT kSide = 64;
constexpr uint32_t kRed = 0xFF0000, kGreen = 0x00FF00, kBlue = 0x0000FF, kWhite = 0xFFFFFF;

// Position, colour and one texture coordinate set of up to three components.
struct TexVertex {
  float x, y, z;
  uint32_t color;
  float u, v, q;
};
constexpr DWORD kFvf2 = D3DFVF_XYZ | D3DFVF_DIFFUSE | D3DFVF_TEX1 | D3DFVF_TEXCOORDSIZE2(0);
constexpr DWORD kFvf3 = D3DFVF_XYZ | D3DFVF_DIFFUSE | D3DFVF_TEX1 | D3DFVF_TEXCOORDSIZE3(0);

// A 64 x 64 device without depth, unlit, no culling, stage 0 showing its texture alone with point
// sampling at every level.
class SoftD3D8TextureTest : public SoftD3D8Test {
 protected:
  void SetUp() override {
    SoftD3D8Test::SetUp();
    OpenWindow(kSide, kSide);
    d3d = create(D3D_SDK_VERSION);
    device = CreateDevice(d3d, kSide, kSide, D3DFORMAT(0));
    ASSERT_NE(device, nullptr);
    device->SetRenderState(D3DRS_LIGHTING, 0);
    device->SetRenderState(D3DRS_CULLMODE, D3DCULL_NONE);
    device->SetTextureStageState(0, D3DTSS_COLOROP, D3DTOP_SELECTARG1);
    device->SetTextureStageState(0, D3DTSS_COLORARG1, D3DTA_TEXTURE);
    for (auto filter : {D3DTSS_MINFILTER, D3DTSS_MAGFILTER, D3DTSS_MIPFILTER})
      device->SetTextureStageState(0, filter, D3DTEXF_POINT);
  }
  void TearDown() override {
    if (texture) {
      device->SetTexture(0, nullptr);
      texture->Release();
    }
    if (device) device->Release();
    if (d3d) d3d->Release();
    SoftD3D8Test::TearDown();
  }

  // A texture whose levels are filled by `texel(level, x, y)` as 0xRRGGBB, bound to stage 0.
  void MakeTexture(UINT side, UINT levels, const std::function<uint32_t(UINT, UINT, UINT)>& texel) {
    ASSERT_EQ(device->CreateTexture(side, side, levels, 0, D3DFMT_X8R8G8B8, D3DPOOL_MANAGED, &texture), D3D_OK);
    for (UINT level = 0; level < levels; ++level) {
      D3DLOCKED_RECT locked;
      ASSERT_EQ(texture->LockRect(level, &locked, nullptr, 0), D3D_OK);
      const UINT n = side >> level;
      for (UINT y = 0; y < n; ++y)
        for (UINT x = 0; x < n; ++x) {
          const uint32_t word = 0xFF000000u | texel(level, x, y);
          std::memcpy(static_cast<uint8_t*>(locked.pBits) + size_t(y) * size_t(locked.Pitch) + x * 4, &word, 4);
        }
      texture->UnlockRect(level);
    }
    device->SetTexture(0, texture);
  }

  // A quad over the whole target whose coordinates run from (0, 0) at the top left to (u1, v1) at the
  // bottom right, every one multiplied by q (the third component, for the projected divide).
  std::vector<uint32_t> Frame(float u1, float v1, DWORD fvf = kFvf2, float q = 1.0f) {
    const uint32_t c = 0xFF808080u;
    const TexVertex quad[] = {{-1, 1, 0.5f, c, 0, 0, q},           {1, 1, 0.5f, c, u1 * q, 0, q},
                              {1, -1, 0.5f, c, u1 * q, v1 * q, q}, {-1, 1, 0.5f, c, 0, 0, q},
                              {1, -1, 0.5f, c, u1 * q, v1 * q, q}, {-1, -1, 0.5f, c, 0, v1 * q, q}};
    device->Clear(0, nullptr, D3DCLEAR_TARGET, 0xFF000000, 1.0f, 0);
    device->BeginScene();
    device->SetVertexShader(fvf);
    const UINT stride = fvf == kFvf3 ? sizeof(TexVertex) : sizeof(TexVertex) - sizeof(float);
    std::vector<uint8_t> bytes;
    for (const TexVertex& v : quad)
      bytes.insert(bytes.end(), reinterpret_cast<const uint8_t*>(&v), reinterpret_cast<const uint8_t*>(&v) + stride);
    EXPECT_EQ(device->DrawPrimitiveUP(D3DPT_TRIANGLELIST, 2, bytes.data(), stride), D3D_OK);
    device->EndScene();
    std::vector<uint32_t> pixels = ReadBackBuffer(device);
    for (uint32_t& p : pixels) p &= 0xFFFFFF;
    return pixels;
  }
  static uint32_t At(const std::vector<uint32_t>& pixels, UINT x, UINT y) { return pixels[size_t(y) * kSide + x]; }

  // A 2 x 2 texture: red, green on the top row, blue, white below.
  void Quadrants() {
    MakeTexture(2, 1,
                [](UINT, UINT x, UINT y) { return y == 0 ? (x == 0 ? kRed : kGreen) : (x == 0 ? kBlue : kWhite); });
  }

  IDirect3D8* d3d = nullptr;
  IDirect3DDevice8* device = nullptr;
  IDirect3DTexture8* texture = nullptr;
};

// Each level one colour: the texels per pixel choose the level (point mip filter).
TEST_F(SoftD3D8TextureTest, TexelsPerPixelPickTheMipLevel) {
  static const uint32_t kLevelColor[] = {kRed, kGreen, kBlue, kWhite};
  MakeTexture(kSide, 4, [](UINT level, UINT, UINT) { return kLevelColor[level]; });
  const struct {
    float texelsPerPixel;
    uint32_t color;
  } cases[] = {{1.0f, kRed}, {2.0f, kGreen}, {4.0f, kBlue}};
  for (const auto& c : cases) {
    const std::vector<uint32_t> pixels = Frame(c.texelsPerPixel, c.texelsPerPixel);
    for (UINT at : {5u, 31u, 58u}) EXPECT_EQ(At(pixels, at, at), c.color) << "1:" << c.texelsPerPixel << " at " << at;
  }
  // A maximum level of detail keeps the draw off the finer levels.
  device->SetTextureStageState(0, D3DTSS_MAXMIPLEVEL, 2);
  EXPECT_EQ(At(Frame(1.0f, 1.0f), 31, 31), kBlue);
}

// Coordinates from 0 to 2: wrap repeats the texture, clamp holds the edge texel; each axis its own.
TEST_F(SoftD3D8TextureTest, WrapAndClampAtTheEdges) {
  Quadrants();
  const struct {
    DWORD addressU, addressV;
    uint32_t left, right, lowRight;  // pixels (8, 8), (40, 8) and (40, 40): u, v 0.25 and 1.25
  } cases[] = {{D3DTADDRESS_WRAP, D3DTADDRESS_WRAP, kRed, kRed, kRed},
               {D3DTADDRESS_CLAMP, D3DTADDRESS_CLAMP, kRed, kGreen, kWhite},
               {D3DTADDRESS_CLAMP, D3DTADDRESS_WRAP, kRed, kGreen, kGreen},
               {D3DTADDRESS_WRAP, D3DTADDRESS_CLAMP, kRed, kRed, kBlue}};
  for (const auto& c : cases) {
    device->SetTextureStageState(0, D3DTSS_ADDRESSU, c.addressU);
    device->SetTextureStageState(0, D3DTSS_ADDRESSV, c.addressV);
    const std::vector<uint32_t> pixels = Frame(2.0f, 2.0f);
    const uint32_t got[] = {At(pixels, 8, 8), At(pixels, 40, 8), At(pixels, 40, 40)};
    const uint32_t want[] = {c.left, c.right, c.lowRight};
    EXPECT_EQ(std::vector<uint32_t>(got, got + 3), std::vector<uint32_t>(want, want + 3))
        << "address " << c.addressU << ", " << c.addressV;
  }
}

// A stage without a texture passes the colour it is handed, even when it asks for its texture.
TEST_F(SoftD3D8TextureTest, UnboundStagePassesItsColour) {
  device->SetTextureStageState(0, D3DTSS_COLOROP, D3DTOP_MODULATE);
  device->SetTextureStageState(0, D3DTSS_COLORARG2, D3DTA_DIFFUSE);
  EXPECT_EQ(At(Frame(1.0f, 1.0f), 20, 20), 0x808080u);
  Quadrants();
  EXPECT_EQ(At(Frame(1.0f, 1.0f), 20, 20), 0x800000u) << "bound: red modulated with grey";
  // Stage 1 selects its own (absent) texture: stage 0's result comes through.
  device->SetTextureStageState(1, D3DTSS_COLOROP, D3DTOP_SELECTARG1);
  device->SetTextureStageState(1, D3DTSS_COLORARG1, D3DTA_TEXTURE);
  EXPECT_EQ(At(Frame(1.0f, 1.0f), 20, 20), 0x800000u);
}

// The texture matrix and the projected divide change the coordinates the sampler reads.
TEST_F(SoftD3D8TextureTest, TextureMatrixAndProjectedDivide) {
  Quadrants();
  // Coordinates from 0 to 1: pixel (8, 8) reads u, v 0.125 and pixel (40, 8) u 0.625.
  EXPECT_EQ(At(Frame(1.0f, 1.0f), 8, 8), kRed);
  EXPECT_EQ(At(Frame(1.0f, 1.0f), 40, 8), kGreen);
  // COUNT2: u + 0.5 through the matrix's third row (the 2-D set's implied third coordinate is 1).
  D3DMATRIX shift{};
  for (int i = 0; i < 4; ++i) shift.m[i][i] = 1.0f;
  shift.m[2][0] = 0.5f;
  device->SetTransform(D3DTS_TEXTURE0, &shift);
  device->SetTextureStageState(0, D3DTSS_TEXTURETRANSFORMFLAGS, D3DTTFF_COUNT2);
  const std::vector<uint32_t> shifted = Frame(1.0f, 1.0f);
  EXPECT_EQ(At(shifted, 8, 8), kGreen);
  EXPECT_EQ(At(shifted, 40, 8), kRed) << "wrapped";
  EXPECT_EQ(At(shifted, 8, 40), kWhite) << "v untouched";
  // PROJECTED: (u q, v q, q) divided by q gives the plain coordinates back; without it they double.
  const D3DMATRIX identity = [] {
    D3DMATRIX m{};
    for (int i = 0; i < 4; ++i) m.m[i][i] = 1.0f;
    return m;
  }();
  device->SetTransform(D3DTS_TEXTURE0, &identity);
  device->SetTextureStageState(0, D3DTSS_TEXTURETRANSFORMFLAGS, D3DTTFF_COUNT3 | D3DTTFF_PROJECTED);
  const std::vector<uint32_t> projected = Frame(1.0f, 1.0f, kFvf3, 2.0f);
  EXPECT_EQ(At(projected, 40, 8), kGreen);
  EXPECT_EQ(At(projected, 8, 40), kBlue);
  device->SetTextureStageState(0, D3DTSS_TEXTURETRANSFORMFLAGS, D3DTTFF_COUNT3);
  const std::vector<uint32_t> doubled = Frame(1.0f, 1.0f, kFvf3, 2.0f);
  EXPECT_EQ(At(doubled, 40, 8), kRed) << "u 1.25 wraps to the first column";
  EXPECT_EQ(At(doubled, 8, 40), kRed);
}

}  // namespace
}  // namespace PM::Test
