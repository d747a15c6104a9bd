// The Direct3D 8 engine's polygon drawing on our software device: records of every primitive type against
// the same triangles as a list, the caches' buffers and declarations, constant colours, refusals, and the
// faults it guards against.
#include <algorithm>
#include <cstring>
#include <vector>

#include "D3D8EngineFixture.h"
#include "render/d3d8/RenderPolygonCacheDirectX8.h"
#include "render/d3d8/VertexDeclaration.h"

namespace PM::Test {
namespace {

using Cache = RenderPolygonCacheDirectX8;

bool Has(const std::string& text, const std::string& part) { return text.find(part) != std::string::npos; }
int Count(const std::string& text, const std::string& part) {
  int n = 0;
  for (size_t at = text.find(part); at != std::string::npos; at = text.find(part, at + 1)) ++n;
  return n;
}

// A cache of another engine: counts the Unload calls it gets.
class ForeignCache final : public RenderPolygonCache {
 public:
  void Unload() override { ++unloads; }
  void SetDirty(uint32_t) override {}
  int unloads = 0;
};

// Geometry in clip space (identity matrices) on a 64 x 64 window: a grid of points and colours.
class D3D8PolygonDrawTest : public D3D8EngineTest {
 protected:
  void SetUp() override {
    D3D8EngineTest::SetUp();
    OpenWindow(64, 64);
    ASSERT_EQ(Initialize(), 0u);
    for (int y = 0; y < 4; ++y)
      for (int x = 0; x < 4; ++x) {
        points.push_back({-0.9f + 0.6f * float(x), -0.9f + 0.6f * float(y), 0.5f});
        colors.push_back({0.25f * float(x + 1), 0.2f * float(y + 1), 1.0f - 0.2f * float(x), 1.0f});
      }
  }
  void TearDown() override {
    for (auto& c : caches)
      if (c.Get()) c->Unload();
    caches.clear();
    if (engine) engine->UnloadPolygonCache();
    EXPECT_EQ(G_DebugVB.load(), 0) << "buffers left alive";
    D3D8EngineTest::TearDown();
  }

  void Frame() {
    ChannelClearInfo clear;
    engine->ClearBuffer(&clear);
    engine->BeginPass(0);
  }

  PolygonData Record(uint32_t type, const std::vector<uint32_t>& indices, const std::vector<int32_t>& lengths = {}) {
    index = indices, runs = lengths;
    PolygonData d;
    d.PrimType = type;
    d.PrimCount = lengths.empty() ? int32_t(indices.size()) / (type == PrimTypeId(4)   ? 4
                                                               : type == PrimTypeId(2) ? 2
                                                                                       : 3)
                                  : int32_t(lengths.size());
    d.IndexCount = int32_t(index.size());
    d.VertexCount = int32_t(points.size());
    d.IndexArray = index.data();
    d.PrimLengthArray = runs.empty() ? nullptr : runs.data();
    d.VertexArray = points.data();
    d.ColorArray = colors.data();
    return d;
  }

  // The back buffer after drawing the record through a new cache in a fresh frame.
  std::vector<uint32_t> Drawn(const PolygonData& d) {
    Frame();
    caches.emplace_back();
    engine->DrawPolygonData(&d, &caches.back());
    return BackBuffer();
  }

  std::vector<Vector3f> points;
  std::vector<Vector4f> colors;
  std::vector<uint32_t> index;
  std::vector<int32_t> runs;
  std::vector<Ptr<RenderPolygonCache>> caches;
};

// Strip, fan, polygon, quad and strip-with-triangles records cover exactly the pixels of their triangles
// drawn as a list, colours included; the mended short runs and line strips draw their own share.
TEST_F(D3D8PolygonDrawTest, RecordsMatchTheSameTrianglesAsAList) {
  const struct {
    const char* name;
    uint32_t type;
    std::vector<uint32_t> indices;
    std::vector<int32_t> lengths;
    std::vector<uint32_t> list;  // the same triangles, or line pairs for line strips
    uint32_t listType;
  } cases[] = {
      {"strip", PrimTypeId(6), {0, 4, 1, 5, 2, 6}, {6}, {0, 4, 1, 1, 4, 5, 1, 5, 2, 2, 5, 6}, PrimTypeId(3)},
      {"fan", PrimTypeId(7), {5, 0, 1, 2, 6, 10}, {6}, {5, 0, 1, 5, 1, 2, 5, 2, 6, 5, 6, 10}, PrimTypeId(3)},
      {"polygon",
       PrimTypeId(5),
       {0, 1, 2, 6, 5, 8, 9, 13},
       {5, 3},
       {0, 1, 2, 0, 2, 6, 0, 6, 5, 8, 9, 13},
       PrimTypeId(3)},
      {"quads",
       PrimTypeId(4),
       {0, 1, 5, 4, 10, 11, 15, 14},
       {},
       {0, 1, 5, 0, 5, 4, 10, 11, 15, 10, 15, 14},
       PrimTypeId(3)},
      {"strip and triangles",
       PrimTypeId(11),
       {0, 4, 1, 5, 10, 11, 14},
       {4, 3},
       {0, 4, 1, 1, 4, 5, 10, 11, 14},
       PrimTypeId(3)},
      {"short runs draw nothing", PrimTypeId(6), {0, 4, 8, 9, 13, 2, 6, 3}, {2, 1, 2, 3}, {2, 6, 3}, PrimTypeId(3)},
      {"short first strip", PrimTypeId(11), {0, 4, 10, 11, 14}, {2, 3}, {10, 11, 14}, PrimTypeId(3)},
      {"one line strip", PrimTypeId(9), {0, 5, 10, 15}, {4}, {0, 5, 5, 10, 10, 15}, PrimTypeId(2)},
      {"two line strips", PrimTypeId(9), {0, 3, 12, 15, 1}, {2, 3}, {0, 3, 12, 15, 15, 1}, PrimTypeId(2)},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    const std::vector<uint32_t> want = Drawn(Record(c.listType, c.list));
    const std::vector<uint32_t> got = Drawn(Record(c.type, c.indices, c.lengths));
    ASSERT_EQ(got.size(), want.size());
    int covered = 0, differ = 0;
    for (size_t i = 0; i < got.size(); ++i) covered += want[i] != 0xFF3F3F3Fu, differ += got[i] != want[i];
    EXPECT_GT(covered, 0) << "the list drew something";
    EXPECT_EQ(differ, 0);
  }
}

// The draw calls of each type: points nothing, quads one fan each, unknown types an Error line.
TEST_F(D3D8PolygonDrawTest, DrawCallsFollowTheTable) {
  const struct {
    uint32_t type;
    std::vector<uint32_t> indices;
    std::vector<int32_t> lengths;
    const char* calls;
  } cases[] = {
      {PrimTypeId(1), {0, 1, 2}, {}, ""},
      {PrimTypeId(2), {0, 1, 2, 3}, {}, "DrawIndexedPrimitive(2, 0, 16, 0, 2)\n"},
      {PrimTypeId(3), {0, 1, 4}, {}, "DrawIndexedPrimitive(4, 0, 16, 0, 1)\n"},
      {PrimTypeId(4),
       {0, 1, 5, 4, 2, 3, 7, 6},
       {},
       "DrawIndexedPrimitive(6, 0, 16, 0, 2)\nIDirect3DDevice8::DrawIndexedPrimitive(6, 0, 16, 4, 2)\n"},
      {PrimTypeId(7),
       {0, 1, 5, 4, 2, 3, 7},
       {4, 3},
       "DrawIndexedPrimitive(6, 0, 16, 0, 2)\nIDirect3DDevice8::DrawIndexedPrimitive(6, 0, 16, 4, 1)\n"},
      {PrimTypeId(11),
       {0, 4, 1, 5, 2, 3, 7},
       {4, 3},
       "DrawIndexedPrimitive(5, 0, 16, 0, 2)\nIDirect3DDevice8::DrawIndexedPrimitive(4, 0, 16, 4, 1)\n"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.type);
    PolygonData d = Record(c.type, c.indices, c.lengths);
    if (c.type == PrimTypeId(1)) d.PrimCount = 3;
    Frame();
    control->ClearCallLog();
    caches.emplace_back();
    engine->DrawPolygonData(&d, &caches.back());
    const std::string log = control->CallLog();
    const size_t at = log.find("IDirect3DDevice8::DrawIndexed");
    EXPECT_EQ(at == std::string::npos ? std::string() : log.substr(at + 18), c.calls);
  }
  PolygonData d = Record(PrimTypeId(8), {0, 1, 2}, {3});
  caches.emplace_back();
  engine->DrawPolygonData(&d, &caches.back());
  EXPECT_TRUE(Has(out.Text() + err.Text(), "DrawDirectX() unsupported Primitive::Type (150991015) detected."));
}

// Declaration i lists stream 0, then 1, 2, 3 (either texture coordinates) and 4 as its bits ask.
TEST_F(D3D8PolygonDrawTest, DeclarationTokens) {
  DWORD t[kMaxDeclarationTokens];
  ASSERT_EQ(BuildVertexDeclaration(2, t), 5);
  const DWORD two[] = {0x20000000, 0x40020000, 0x20000002, 0x40040005, 0xFFFFFFFF};
  EXPECT_EQ(std::memcmp(t, two, sizeof(two)), 0);
  ASSERT_EQ(BuildVertexDeclaration(8, t), 7);
  const DWORD eight[] = {0x20000000, 0x40020000, 0x20000003, 0x40010007, 0x20000004, 0x40010008, 0xFFFFFFFF};
  EXPECT_EQ(std::memcmp(t, eight, sizeof(eight)), 0);
  EXPECT_EQ(BuildVertexDeclaration(15, t), 11);
  EXPECT_EQ(BuildVertexDeclaration(0, t), 3);
  // Positions with colours draw through declaration 2, made once and shared by a second cache.
  PolygonData d = Record(PrimTypeId(3), {0, 1, 4});
  Frame();
  control->ClearCallLog();
  caches.emplace_back();
  engine->DrawPolygonData(&d, &caches.back());
  caches.emplace_back();
  engine->DrawPolygonData(&d, &caches.back());
  EXPECT_EQ(Count(control->CallLog(), "CreateVertexShader"), 1);
  auto* a = static_cast<Cache*>(caches[0].Get());
  auto* b = static_cast<Cache*>(caches[1].Get());
  EXPECT_NE(a->Declaration(), 0u);
  EXPECT_EQ(a->Declaration(), b->Declaration());
}

// The constant colour: used without colours when not white, a buffer of one packed colour; back to white
// releases it; a changed colour refills it.
TEST_F(D3D8PolygonDrawTest, ConstantColourCases) {
  PolygonData d = Record(PrimTypeId(3), {0, 1, 4});
  d.ColorArray = nullptr;
  const struct {
    Vector4f color;
    bool buffer;
    uint32_t first;
  } cases[] = {{{1, 0, 0, 1}, true, 0xFFFF0000u},
               {{1, 0, 0, 1}, true, 0xFFFF0000u},
               {{0, 2, 0.5f, 0.5f}, true, 0x7F00FF7Fu},
               {{1, 1, 1, 1}, false, 0},
               {{0, 0, 1, 1}, true, 0xFF0000FFu}};
  caches.emplace_back();
  for (const auto& c : cases) {
    d.ConstantColor = c.color;
    Frame();
    engine->DrawPolygonData(&d, &caches.back());
    auto* cache = static_cast<Cache*>(caches.back().Get());
    auto* buffer = static_cast<IDirect3DVertexBuffer8*>(cache->Buffer(Cache::kColors));
    ASSERT_EQ(buffer != nullptr, c.buffer);
    if (!buffer) continue;
    uint8_t* p = nullptr;
    ASSERT_EQ(buffer->Lock(0, 0, &p, D3DLOCK_READONLY), D3D_OK);
    uint32_t first, last;
    std::memcpy(&first, p, 4);
    std::memcpy(&last, p + 4 * 15, 4);
    buffer->Unlock();
    EXPECT_EQ(first, c.first);
    EXPECT_EQ(last, c.first);
  }
}

// A colour blend is the colour of draws without colours; a reset restores white (the unlit default).
TEST_F(D3D8PolygonDrawTest, ColourBlendColoursUnlitDrawsAndTurnsBlendingOn) {
  PolygonData d = Record(PrimTypeId(3), {0, 3, 15});
  d.ColorArray = nullptr;
  const Vector4f scale = {0.2f, 0.8f, 0.4f, 1.0f}, none = {0, 0, 0, 0};
  engine->SetMaterialColorBlend(&scale, &none);
  std::vector<uint32_t> pixels = Drawn(d);
  EXPECT_EQ(pixels[32 * 64 + 50], 0xFF33CC66u);
  D3DMATERIAL8 m;
  engine->Device()->GetMaterial(&m);
  EXPECT_FLOAT_EQ(m.Ambient.g, 0.8f);
  EXPECT_FLOAT_EQ(m.Diffuse.b, 0.4f);
  engine->ResetMaterialColor();
  pixels = Drawn(d);
  EXPECT_EQ(pixels[32 * 64 + 50], 0xFFFFFFFFu);
  // Alpha below 1 blends with SRCALPHA / INVSRCALPHA unless blending is already on.
  const Vector4f half = {1, 1, 1, 0.5f};
  for (DWORD on : {0u, 1u}) {
    engine->Device()->SetRenderState(D3DRS_ALPHABLENDENABLE, on);
    engine->Device()->SetRenderState(D3DRS_SRCBLEND, D3DBLEND_ONE);
    engine->SetMaterialColorBlend(&half, &none);
    DWORD blend = 0, src = 0;
    engine->Device()->GetRenderState(D3DRS_ALPHABLENDENABLE, &blend);
    engine->Device()->GetRenderState(D3DRS_SRCBLEND, &src);
    EXPECT_EQ(blend, 1u);
    EXPECT_EQ(src, on ? DWORD(D3DBLEND_ONE) : DWORD(D3DBLEND_SRCALPHA));
  }
}

// A model-view that mirrors turns the winding the device culls for that draw only: the cull mode a pass
// set reads back unchanged after it, and a mirrored draw never touches a pass that culls nothing.
TEST_F(D3D8PolygonDrawTest, AMirroredModelViewCullsTheOtherWindingForItsDrawOnly) {
  const PolygonData d = Record(PrimTypeId(3), {0, 3, 15});
  Matrix4f mirror = kIdentityMatrix4f;
  mirror.m[0] = -1.0f;
  const DWORD modes[] = {D3DCULL_NONE, D3DCULL_CW, D3DCULL_CCW};
  int covered[3][2] = {};
  for (int m = 0; m < 3; ++m)
    for (int mirrored = 0; mirrored < 2; ++mirrored) {
      SCOPED_TRACE(testing::Message() << "cull " << modes[m] << (mirrored ? ", mirrored" : ""));
      Frame();
      engine->SetModelViewMatrix(mirrored ? &mirror : &kIdentityMatrix4f);
      engine->Device()->SetRenderState(D3DRS_CULLMODE, modes[m]);
      caches.emplace_back();
      engine->DrawPolygonData(&d, &caches.back());
      for (uint32_t p : BackBuffer()) covered[m][mirrored] += p != 0xFF3F3F3Fu;
      DWORD after = 0;
      engine->Device()->GetRenderState(D3DRS_CULLMODE, &after);
      EXPECT_EQ(after, modes[m]);
    }
  // Unculled, the triangle and its mirror image cover the same area; culled, one mode keeps the triangle,
  // and under the mirror that same mode keeps the image and the other culls it.
  EXPECT_GT(covered[0][0], 500);
  EXPECT_NEAR(covered[0][1], covered[0][0], 64);
  EXPECT_EQ(std::min(covered[1][0], covered[2][0]), 0);
  EXPECT_EQ(std::max(covered[1][0], covered[2][0]), covered[0][0]);
  EXPECT_EQ(covered[1][1], covered[1][0] ? covered[0][1] : 0);
  EXPECT_EQ(covered[2][1], covered[2][0] ? covered[0][1] : 0);
}

// Records that read outside their arrays are not drawn, with one Error line per cache.
TEST_F(D3D8PolygonDrawTest, RecordsOutsideTheirArraysAreRefusedOncePerCache) {
  const struct {
    const char* name;
    uint32_t type;
    std::vector<uint32_t> indices;
    std::vector<int32_t> lengths;
    const char* fault;
  } cases[] = {
      {"index past the vertices", PrimTypeId(3), {0, 1, 16}, {}, "an index at or above VertexCount"},
      {"negative length", PrimTypeId(6), {0, 1, 2}, {-3}, "a negative or missing primitive length"},
      {"lengths past the indices", PrimTypeId(7), {0, 1, 2}, {3, 3}, "primitives beyond IndexCount"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    PolygonData d = Record(c.type, c.indices, c.lengths);
    Frame();
    err.Take(), out.Take();
    control->ClearCallLog();
    caches.emplace_back();
    engine->DrawPolygonData(&d, &caches.back());
    engine->DrawPolygonData(&d, &caches.back());
    EXPECT_FALSE(Has(control->CallLog(), "DrawIndexedPrimitive"));
    EXPECT_EQ(Count(err.Text() + out.Text(), std::string("record not drawn: ") + c.fault), 1);
  }
}

// A stream whose array grew at the same address is made anew, whatever the dirty bits say; a moved
// array of the same size is refilled.
TEST_F(D3D8PolygonDrawTest, GrownAndMovedArraysAreResizedAndRefilled) {
  PolygonData d = Record(PrimTypeId(3), {0, 1, 5});
  d.VertexCount = 8;
  d.DynamicMask = PolygonData::kDynamicPositions;
  caches.emplace_back();
  Frame();
  engine->DrawPolygonData(&d, &caches.back());
  auto* cache = static_cast<Cache*>(caches.back().Get());
  EXPECT_EQ(cache->Size(Cache::kPositions), 8);
  PolygonData grown = Record(PrimTypeId(3), {0, 3, 15});
  grown.DynamicMask = PolygonData::kDynamicPositions;
  cache->SetDirty(0x30);  // new indices and positions, flagged without the resize bits
  Frame();
  engine->DrawPolygonData(&grown, &caches.back());
  EXPECT_EQ(cache->Size(Cache::kPositions), 16);
  EXPECT_EQ(cache->Size(Cache::kColors), 16);
  const std::vector<uint32_t> right = BackBuffer();
  EXPECT_NE(right[32 * 64 + 50], 0xFF3F3F3Fu) << "the grown triangle drew";
  // The same triangle mirrored, from another array the geometry did not mark.
  std::vector<Vector3f> mirrored = points;
  for (Vector3f& p : mirrored) p.x = -p.x;
  grown.VertexArray = mirrored.data();
  Frame();
  engine->DrawPolygonData(&grown, &caches.back());
  const std::vector<uint32_t> left = BackBuffer();
  EXPECT_EQ(left[32 * 64 + 50], 0xFF3F3F3Fu);
  EXPECT_NE(left[32 * 64 + 13], 0xFF3F3F3Fu) << "the refilled positions drew";
}

// An array changed at the same address is refilled on its stream's mark alone: colours and both texture
// coordinates each on their own bit, and the refilled picture is that of a fresh cache.
TEST_F(D3D8PolygonDrawTest, StreamsMarkedDirtyAreRefilledFromTheSameAddress) {
  std::vector<Vector2f> uv0(points.size(), {0.25f, 0.5f}), uv1(points.size(), {0.75f, 0.125f});
  PolygonData d = Record(PrimTypeId(3), {0, 3, 15});
  d.TexCoordArray0 = uv0.data();
  d.TexCoordArray1 = uv1.data();
  caches.emplace_back();
  Frame();
  engine->DrawPolygonData(&d, &caches.back());
  const std::vector<uint32_t> before = BackBuffer();
  auto* cache = static_cast<Cache*>(caches.back().Get());
  auto lastVertex = [&](int stream) {  // the bytes of vertex 15 in the stream's buffer
    std::vector<uint8_t> bytes(Cache::kVertexBytes[stream]);
    auto* buffer = static_cast<IDirect3DVertexBuffer8*>(cache->Buffer(stream));
    uint8_t* p = nullptr;
    if (buffer && buffer->Lock(0, 0, &p, D3DLOCK_READONLY) == D3D_OK) {
      std::memcpy(bytes.data(), p + 15 * bytes.size(), bytes.size());
      buffer->Unlock();
    }
    return bytes;
  };
  auto asBytes = [](const void* p, size_t n) {
    return std::vector<uint8_t>(static_cast<const uint8_t*>(p), static_cast<const uint8_t*>(p) + n);
  };
  const uint32_t oldColour = 0xFFFFCC65u, newColour = 0xFF00FF00u;  // A, R, G, B, truncated
  const Vector2f newUv0 = {3.5f, -1.0f}, newUv1 = {-2.0f, 8.25f};
  const std::vector<uint8_t> old[3] = {asBytes(&oldColour, 4), asBytes(&uv0[15], 8), asBytes(&uv1[15], 8)};
  const std::vector<uint8_t> fresh[3] = {asBytes(&newColour, 4), asBytes(&newUv0, 8), asBytes(&newUv1, 8)};
  const int streams[3] = {Cache::kColors, Cache::kTexCoords0, Cache::kTexCoords1};
  for (int i = 0; i < 3; ++i) ASSERT_EQ(lastVertex(streams[i]), old[i]) << "stream " << streams[i];

  colors[15] = {0, 1, 0, 1}, uv0[15] = newUv0, uv1[15] = newUv1;
  Frame();
  engine->DrawPolygonData(&d, &caches.back());
  EXPECT_EQ(BackBuffer(), before) << "unmarked, the same addresses draw from the buffers as they are";
  const uint32_t bits[3] = {PolygonData::kDynamicColors, PolygonData::kDynamicTexCoords0,
                            PolygonData::kDynamicTexCoords1};
  for (int marked = 0; marked < 3; ++marked) {
    cache->SetDirty(bits[marked]);
    Frame();
    engine->DrawPolygonData(&d, &caches.back());
    for (int i = 0; i < 3; ++i)
      EXPECT_EQ(lastVertex(streams[i]), i <= marked ? fresh[i] : old[i]) << "marked " << marked << ", stream " << i;
  }
  const std::vector<uint32_t> refilled = BackBuffer();
  EXPECT_NE(refilled[32 * 64 + 50], before[32 * 64 + 50]);
  EXPECT_EQ(refilled, Drawn(d));
}

// Clipped records: quads cut to the model-space clip rectangle, drawn again from the buffers while the
// rectangle and the geometry stay.
TEST_F(D3D8PolygonDrawTest, ClippedQuadRecordsDrawInsideTheRectangle) {
  std::vector<Vector2f> uv(points.size(), {0.5f, 0.5f});
  PolygonData d = Record(PrimTypeId(4), {0, 3, 15, 12});
  d.ColorArray = nullptr;
  d.ConstantColor = {1, 0, 0, 1};
  d.TexCoordArray0 = uv.data();
  // Corners xmin-ymin, xmax-ymin, xmax-ymax, xmin-ymax in the vertex order the clip reads.
  points[0] = {-0.9f, -0.9f, 0.5f}, points[1] = {0.9f, -0.9f, 0.5f}, points[2] = {0.9f, 0.9f, 0.5f},
  points[3] = {-0.9f, 0.9f, 0.5f};
  d.VertexCount = 4;
  index = {0, 1, 2, 3};
  const float rect[4] = {0.0f, 0.5f, -1.0f, 1.0f};
  engine->SetClipRect(rect, true);
  engine->UpdateClipRect();
  caches.emplace_back();
  Frame();
  engine->DrawPolygonDataClipped(&d, &caches.back());
  std::vector<uint32_t> px = BackBuffer();
  EXPECT_EQ(px[32 * 64 + 20], 0xFF3F3F3Fu) << "left of the rectangle";
  EXPECT_EQ(px[32 * 64 + 40], 0xFFFF0000u);
  EXPECT_EQ(px[32 * 64 + 56], 0xFF3F3F3Fu) << "right of the rectangle";
  Frame();
  control->ClearCallLog();
  engine->DrawPolygonDataClipped(&d, &caches.back());
  EXPECT_FALSE(Has(control->CallLog(), "Lock")) << "the clipped buffers are drawn as they are";
  EXPECT_EQ(BackBuffer(), px);
}

// Caps: IndexCount above MaxPrimitiveCount is skipped with one report per engine; 16-bit indices keep
// their low bits.
TEST_F(D3D8PolygonDrawTest, TooComplexObjectsAndSixteenBitIndices) {
  D3DCAPS8 caps = control->DefaultCaps();
  caps.MaxPrimitiveCount = 4;
  caps.MaxVertexIndex = 0xFFFF;
  control->SetCaps(false, caps);
  ASSERT_EQ(Initialize(), 0u);
  ASSERT_EQ(engine->IndexFormat(), D3DFMT_INDEX16);
  points.resize(70000, {0, 0, 0.5f});
  colors.resize(70000, {1, 1, 1, 1});
  PolygonData big = Record(PrimTypeId(3), {0, 1, 2, 3, 4, 5});
  Frame();
  err.Take();
  control->ClearCallLog();
  caches.emplace_back();
  engine->DrawPolygonData(&big, &caches.back());
  engine->DrawPolygonData(&big, &caches.back());
  EXPECT_EQ(Count(err.Text(),
                  "Some objects are too complex to be rendered with the installed DirectX 8 graphics "
                  "driver.\n  These objects will disappear from the scene."),
            1);
  EXPECT_TRUE(Has(err.Text(), "D3DCAPS8.MaxPrimitiveCount"));
  EXPECT_FALSE(Has(control->CallLog(), "Create"));
  PolygonData wide = Record(PrimTypeId(3), {0, 1, 65538});
  engine->DrawPolygonData(&wide, &caches.back());
  auto* buffer = static_cast<IDirect3DIndexBuffer8*>(static_cast<Cache*>(caches.back().Get())->Buffer(Cache::kIndices));
  ASSERT_NE(buffer, nullptr);
  uint8_t* p = nullptr;
  ASSERT_EQ(buffer->Lock(0, 0, &p, D3DLOCK_READONLY), D3D_OK);
  uint16_t stored[3];
  std::memcpy(stored, p, sizeof(stored));
  buffer->Unlock();
  EXPECT_EQ(stored[2], 2u);
}

// Failed buffers are reported with the device's code and the draw goes on; failed locks skip the upload.
TEST_F(D3D8PolygonDrawTest, BufferFailuresAreReported) {
  control->SetFault(kFaultCreateVertexBuffer, E_OUTOFMEMORY);
  PolygonData d = Record(PrimTypeId(3), {0, 1, 4});
  Frame();
  err.Take();
  caches.emplace_back();
  engine->DrawPolygonData(&d, &caches.back());
  const std::string e = err.Text();
  EXPECT_TRUE(Has(e, "RenderEngineDirectX8_D::DrawPolygonDataXXX"));
  EXPECT_TRUE(Has(e, "Direct3DDevice8::CreateVertexBuffer"));
  EXPECT_TRUE(Has(e, "WindowsError: "));
  EXPECT_EQ(static_cast<Cache*>(caches.back().Get())->Size(Cache::kPositions), 16) << "the size is kept anyway";
  // A refused lock skips that stream's upload; the next draw tries again.
  control->SetFault(kFaultCreateVertexBuffer, D3D_OK);
  control->SetFault(kFaultLock, D3DERR_INVALIDCALL);
  caches.emplace_back();
  engine->DrawPolygonData(&d, &caches.back());
  control->SetFault(kFaultLock, D3D_OK);
  control->ClearCallLog();
  engine->DrawPolygonData(&d, &caches.back());
  EXPECT_TRUE(Has(control->CallLog(), "IDirect3DVertexBuffer8::Lock")) << control->CallLog();
  EXPECT_NE(BackBuffer()[54 * 64 + 12], 0xFF3F3F3Fu) << "drawn once the upload went through";
}

// Caches: live until Unload, buffers released by UnloadPolygonCache (G_DebugVB back to 0); a cache of
// another engine is unloaded through its own Unload and replaced.
TEST_F(D3D8PolygonDrawTest, CachesUnloadAndForeignCachesAreReplaced) {
  PolygonData d = Record(PrimTypeId(3), {0, 1, 4});
  d.TexCoordArray0 = reinterpret_cast<const Vector2f*>(points.data());
  Frame();
  caches.emplace_back();
  engine->DrawPolygonData(&d, &caches.back());
  EXPECT_EQ(G_DebugVB.load(), 4) << "indices, positions, colours and texture coordinates";
  EXPECT_EQ(engine->LiveCacheCount(), 1);
  caches.back()->Unload();
  EXPECT_EQ(engine->LiveCacheCount(), 0);
  EXPECT_EQ(engine->UnloadedCacheCount(), 1);
  engine->UnloadPolygonCache();
  EXPECT_EQ(G_DebugVB.load(), 0);
  EXPECT_EQ(engine->UnloadedCacheCount(), 0);

  auto* foreign = NewCounted<ForeignCache>();
  Ptr<RenderPolygonCache> slot(foreign);
  Ptr<RenderPolygonCache> keep(foreign);
  engine->DrawPolygonData(&d, &slot);
  EXPECT_EQ(foreign->unloads, 1);
  EXPECT_NE(dynamic_cast<Cache*>(slot.Get()), nullptr);
  caches.push_back(slot);
}

// After a resize re-creates the device the caches and declarations are made anew and the scene draws.
TEST_F(D3D8PolygonDrawTest, AfterAResizeTheSceneStillDraws) {
  PolygonData d = Record(PrimTypeId(3), {0, 3, 15});
  caches.emplace_back();
  Frame();
  engine->DrawPolygonData(&d, &caches.back());
  const std::vector<uint32_t> before = BackBuffer();
  for (int height : {80, 64}) {
    SetWindowPos(window, 0, 0, 64, height, 0);
    SyncDisplay(window->display);
    engine->SwapBuffers(false);
    ASSERT_EQ(control->LastPresentParameters().BackBufferHeight, UINT(height));
    Frame();
  }
  ASSERT_NE(engine->Device(), nullptr);
  EXPECT_EQ(G_DebugVB.load(), 0) << "the old device's buffers went with it";
  Frame();
  control->ClearCallLog();
  engine->DrawPolygonData(&d, &caches.back());
  EXPECT_TRUE(Has(control->CallLog(), "CreateVertexShader"));
  EXPECT_EQ(BackBuffer(), before);
}

}  // namespace
}  // namespace PM::Test
