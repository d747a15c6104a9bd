// The software Direct3D 8 rasterizer and pixel stage on arbitrary input: target and depth formats, every
// pixel state (stage operations and arguments, two textures of any format, size and level count with
// any sampler states, fog, blending, alpha test, depth bias) and triangles and lines whose vertices take
// any float, NaN, infinities and 1e30 included. Nothing may fault or touch memory outside its buffers.
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <vector>

#include "platform/d3d8/Rasterizer.h"

namespace {

using namespace PM;
using namespace PM::SoftD3D;

struct Bytes {
  const uint8_t* data;
  size_t size;
  size_t at = 0;
  uint8_t Byte() { return at < size ? data[at++] : 0; }
  uint32_t Word() {
    uint32_t w = 0;
    for (int i = 0; i < 4; ++i) w |= uint32_t(Byte()) << (8 * i);
    return w;
  }
  // Mostly ordinary values, sometimes any bit pattern.
  float Float() {
    const uint8_t kind = Byte();
    if (kind < 200) return (float(Byte()) - 128.0f) / 32.0f;
    const uint32_t w = Word();
    float f;
    std::memcpy(&f, &w, 4);
    return f;
  }
};

constexpr D3DFORMAT kTargets[] = {D3DFMT_X8R8G8B8, D3DFMT_A8R8G8B8, D3DFMT_R5G6B5};
constexpr D3DFORMAT kDepths[] = {D3DFMT_UNKNOWN, D3DFMT_D16, D3DFMT_D15S1, D3DFMT_D24S8, D3DFMT_D24X8, D3DFMT_D32};
constexpr D3DFORMAT kTextures[] = {D3DFMT_A8R8G8B8, D3DFMT_X8R8G8B8, D3DFMT_R8G8B8, D3DFMT_R5G6B5, D3DFMT_X1R5G5B5,
                                   D3DFMT_A1R5G5B5, D3DFMT_A4R4G4B4, D3DFMT_R3G3B2, D3DFMT_A8,     D3DFMT_A8R3G3B2,
                                   D3DFMT_X4R4G4B4, D3DFMT_L8,       D3DFMT_A8L8,   D3DFMT_A4L4};
constexpr int32_t kSide = 16;

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  Bytes in{data, size};
  PixelStore color, depth;
  color.Allocate(kSide, kSide, FindFormat(kTargets[in.Byte() % 3]));
  const D3DFORMAT depthFormat = kDepths[in.Byte() % 6];
  if (depthFormat != D3DFMT_UNKNOWN) depth.Allocate(kSide, kSide, FindFormat(depthFormat));

  RasterState rs;
  rs.depthTest = depth.info != nullptr;
  rs.depthFunc = in.Byte() % 10;
  rs.depthWrite = in.Byte() & 1;
  rs.cull = in.Byte() % 4;
  rs.fill = in.Byte() % 4;
  rs.lastPixel = in.Byte() & 1;
  PixelState& p = rs.pixel;
  for (size_t offset :
       {offsetof(ClipVertex, r), offsetof(ClipVertex, g), offsetof(ClipVertex, b), offsetof(ClipVertex, a)})
    p.AddAttribute(offset);
  p.specularSlot = p.AddAttribute(offsetof(ClipVertex, sr));
  p.AddAttribute(offsetof(ClipVertex, sg)), p.AddAttribute(offsetof(ClipVertex, sb));
  p.fogSlot = p.AddAttribute(offsetof(ClipVertex, fog));

  // Two textures, each a few levels of up to 8 x 8 texels.
  std::vector<PixelStore> levels[2];
  std::vector<PixelStore*> pointers[2];
  p.stageCount = in.Byte() % 3;
  for (int32_t s = 0; s < p.stageCount; ++s) {
    StageSetup& st = p.stages[s];
    st.colorOp = in.Byte() % 28, st.alphaOp = in.Byte() % 28;
    for (int i = 0; i < 3; ++i) st.colorArgs[i] = in.Byte() % 64, st.alphaArgs[i] = in.Byte() % 64;
    st.toTemp = in.Byte() & 1;
    if (in.Byte() & 1) {
      const D3DFORMAT format = kTextures[in.Byte() % 14];
      const uint32_t w = 1 + in.Byte() % 8, h = 1 + in.Byte() % 8, count = 1 + in.Byte() % 4;
      levels[s].resize(count);
      for (uint32_t l = 0; l < count; ++l) {
        levels[s][l].Allocate(w >> l ? w >> l : 1, h >> l ? h >> l : 1, FindFormat(format));
        for (uint8_t& b : levels[s][l].bytes) b = in.Byte();
        pointers[s].push_back(&levels[s][l]);
      }
      std::vector<uint32_t> ts(kD3DTextureStageStateCount);
      for (uint32_t& t : ts) t = in.Byte() < 128 ? in.Byte() % 8 : in.Word();
      st.textured = p.samplers[s].Build(pointers[s].data(), int32_t(count), ts.data());
      p.texSlot[s] = p.AddAttribute(offsetof(ClipVertex, tex) + size_t(s) * 16);
      p.AddAttribute(offsetof(ClipVertex, tex) + size_t(s) * 16 + 4);
      p.projected[s] = in.Byte() & 1;
      if (p.projected[s]) p.AddAttribute(offsetof(ClipVertex, tex) + size_t(s) * 16 + 12);
    }
  }
  for (float& f : p.factor) f = float(in.Byte()) / 255.0f;
  p.specularAdd = in.Byte() & 1;
  p.fog = FogSource(in.Byte() % 3);
  p.fogTable = in.Byte() % 5;
  p.fogStart = in.Float(), p.fogEnd = in.Float(), p.fogDensity = in.Float();
  p.fogFromW = in.Byte() & 1;
  p.alphaTest = in.Byte() & 1;
  p.alphaFunc = in.Byte() % 10, p.alphaRef = in.Byte();
  p.blend = in.Byte() & 1;
  p.srcBlend = in.Byte() % 15, p.destBlend = in.Byte() % 15, p.blendOp = in.Byte() % 7;
  p.writeMask = in.Word();
  p.zBias = in.Byte() % 17;

  D3DVIEWPORT8 viewport{in.Byte() % 8u, in.Byte() % 8u, in.Byte() % 24u, in.Byte() % 24u, 0.0f, 1.0f};
  Rasterizer raster(&color, depth.info ? &depth : nullptr, viewport, rs);
  if (!raster.Ready()) return 0;
  for (int primitive = 0; primitive < 8 && in.at < in.size; ++primitive) {
    ClipVertex v[3];
    for (ClipVertex& c : v) {
      auto* bytes = reinterpret_cast<unsigned char*>(&c);
      for (size_t k = 0; k < sizeof(ClipVertex) / sizeof(float); ++k) {
        const float value = in.Float();
        std::memcpy(bytes + k * sizeof(float), &value, sizeof(float));
      }
      if (!(in.Byte() & 3)) c.w = 1.0f;  // often affine, so that something lands on the target
    }
    if (in.Byte() & 1)
      raster.Triangle(v[0], v[1], v[2]);
    else
      raster.Line(v[0], v[1]);
  }
  return 0;
}
