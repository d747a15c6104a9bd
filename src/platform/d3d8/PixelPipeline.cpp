#include "platform/d3d8/PixelPipeline.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <cstring>
#include <type_traits>
#include <utility>

namespace PM::SoftD3D {

namespace {

// Colour kinds: 0 32-bit ARGB, 1 R5G6B5. Depth kinds: 0 none, 1 D16, 2 D15S1, 3 D24 (+X8/S8/X4S4), 4 D32.
int ColorKind(D3DFORMAT f) {
  if (f == D3DFMT_A8R8G8B8 || f == D3DFMT_X8R8G8B8) return 0;
  if (f == D3DFMT_R5G6B5) return 1;
  return -1;
}

int DepthKind(const PixelStore* depth) {
  if (!depth) return 0;
  switch (depth->info->format) {
    case D3DFMT_D16:
    case D3DFMT_D16_LOCKABLE:
      return 1;
    case D3DFMT_D15S1:
      return 2;
    case D3DFMT_D24S8:
    case D3DFMT_D24X8:
    case D3DFMT_D24X4S4:
      return 3;
    case D3DFMT_D32:
      return 4;
    default:
      return -1;
  }
}

// A depth in 0..1 at the format's precision.
template <int D>
uint32_t Quantize(float z) {
  z = z > 0.0f ? (z < 1.0f ? z : 1.0f) : 0.0f;
  // Signed conversions where they reach: they vectorise, unsigned ones do not.
  if constexpr (D == 1) return uint32_t(RoundNonNegative<int32_t>(z * 65535.0f));
  if constexpr (D == 2) return uint32_t(RoundNonNegative<int32_t>(z * 32767.0f));
  if constexpr (D == 3) return uint32_t(RoundNonNegative<int32_t>(z * 16777215.0f));  // float holds 24 bits
  return RoundNonNegative<uint32_t>(double(z) * 4294967295.0);
}

template <int D>
uint32_t LoadDepth(const uint8_t* row, int32_t x) {
  if constexpr (D == 1) return reinterpret_cast<const uint16_t*>(row)[x];
  if constexpr (D == 2) return reinterpret_cast<const uint16_t*>(row)[x] >> 1;
  if constexpr (D == 3) return reinterpret_cast<const uint32_t*>(row)[x] >> 8;
  return reinterpret_cast<const uint32_t*>(row)[x];
}

// The word a depth buffer stores: depth q in its high bits, the stencil bits of `old` kept.
template <int D>
uint32_t Merge(uint32_t old, uint32_t q) {
  if constexpr (D == 2) return q << 1 | (old & 1);
  if constexpr (D == 3) return q << 8 | (old & 0xFF);
  return q;
}

uint32_t Outcome(uint32_t incoming, uint32_t stored) {
  return uint32_t(incoming < stored) | uint32_t(incoming == stored) << 1 | uint32_t(incoming > stored) << 2;
}

template <int D>
void StoreDepths(uint8_t* row, int32_t x, int32_t n, const uint8_t* mask, const uint32_t* q) {
  if constexpr (D != 0) {
    // Every pixel is written, the failing ones with what they held: a loop without branches.
    using Word = std::conditional_t<(D <= 2), uint16_t, uint32_t>;
    Word* words = reinterpret_cast<Word*>(row) + x;
    for (int32_t i = 0; i < n; ++i) {
      const Word old = words[i], keep = Word(mask[i] - 1);  // all ones where the pixel failed
      words[i] = Word((Merge<D>(old, q[i]) & ~keep) | (old & keep));
    }
  }
}

// Tests n pixels from x; stores passing depths at once when nothing later can drop them.
template <int D>
int32_t DepthTest(const PixelPipeline& p, const SpanArgs& s, int32_t x, float k0, int32_t n, uint8_t* mask,
                  uint32_t* q) {
  if constexpr (D == 0) {
    std::fill(mask, mask + n, uint8_t(1));
    return n;
  } else {
    const uint32_t pass = p.DepthMask(), bias = p.State().zBias;
    const float z0 = s.at[0], dz = s.dx[0];  // held locally: the stores below could alias s
    const uint8_t* row = s.depth;
    int32_t count = 0;
    for (int32_t i = 0; i < n; ++i) {
      uint32_t d = Quantize<D>(z0 + dz * (k0 + float(i)));
      d = d > bias ? d - bias : 0;
      q[i] = d;
      const bool ok = (Outcome(d, LoadDepth<D>(row, x + i)) & pass) != 0;
      mask[i] = ok;
      count += ok;
    }
    if (p.DepthWriteNow()) StoreDepths<D>(s.depth, x, n, mask, q);
    return count;
  }
}

constexpr std::array<PixelPipeline::DepthFn, 5> kDepthTests = {&DepthTest<0>, &DepthTest<1>, &DepthTest<2>,
                                                               &DepthTest<3>, &DepthTest<4>};
constexpr std::array<PixelPipeline::StoreDepthFn, 5> kDepthStores = {&StoreDepths<0>, &StoreDepths<1>, &StoreDepths<2>,
                                                                     &StoreDepths<3>, &StoreDepths<4>};

uint32_t Channel8(float v) { return uint32_t(RoundNonNegative<int32_t>(Clamp01(v) * 255.0f)); }

// Byte `shift / 8` of an A8R8G8B8 word as 0..1 (a signed conversion, so that loops vectorise).
inline float Unit(uint32_t argb, int shift) { return float(int32_t(argb >> shift & 0xFF)) * (1.0f / 255.0f); }

// A8R8G8B8 words into a run of colours.
void Unpack(const uint32_t* argb, int32_t n, ColorRun& out) {
  for (int32_t i = 0; i < n; ++i) {
    out.c[0][i] = Unit(argb[i], 16), out.c[1][i] = Unit(argb[i], 8), out.c[2][i] = Unit(argb[i], 0);
    out.c[3][i] = Unit(argb[i], 24);
  }
}

// A blend factor for every channel of every pixel.
void BlendFactor(uint32_t factor, const ColorRun& src, const ColorRun& dst, int32_t n, ColorRun& out) {
  for (int32_t c = 0; c < 4; ++c) {
    float* o = out.c[c];
    const float* sc = src.c[c];
    const float* dc = dst.c[c];
    const float* sa = src.c[3];
    const float* da = dst.c[3];
    switch (factor) {
      case D3DBLEND_ZERO:
        std::fill(o, o + n, 0.0f);
        break;
      case D3DBLEND_SRCCOLOR:
        std::copy(sc, sc + n, o);
        break;
      case D3DBLEND_INVSRCCOLOR:
        for (int32_t i = 0; i < n; ++i) o[i] = 1.0f - sc[i];
        break;
      case D3DBLEND_SRCALPHA:
        std::copy(sa, sa + n, o);
        break;
      case D3DBLEND_INVSRCALPHA:
        for (int32_t i = 0; i < n; ++i) o[i] = 1.0f - sa[i];
        break;
      case D3DBLEND_DESTALPHA:
        std::copy(da, da + n, o);
        break;
      case D3DBLEND_INVDESTALPHA:
        for (int32_t i = 0; i < n; ++i) o[i] = 1.0f - da[i];
        break;
      case D3DBLEND_DESTCOLOR:
        std::copy(dc, dc + n, o);
        break;
      case D3DBLEND_INVDESTCOLOR:
        for (int32_t i = 0; i < n; ++i) o[i] = 1.0f - dc[i];
        break;
      case D3DBLEND_SRCALPHASAT:
        if (c == 3)
          std::fill(o, o + n, 1.0f);
        else
          for (int32_t i = 0; i < n; ++i) o[i] = std::min(sa[i], 1.0f - da[i]);
        break;
      default:
        std::fill(o, o + n, 1.0f);
        break;  // ONE, and anything unknown
    }
  }
}

// The colour of n target pixels, 0..1.
template <int C>
void ReadTarget(const uint8_t* row, int32_t x, int32_t n, ColorRun& out, bool hasAlpha) {
  uint32_t argb[kRun];
  for (int32_t i = 0; i < n; ++i) {
    if constexpr (C == 0) {
      argb[i] = reinterpret_cast<const uint32_t*>(row)[x + i] | (hasAlpha ? 0 : 0xFF000000u);
    } else {
      argb[i] = UnpackColor(D3DFMT_R5G6B5, reinterpret_cast<const uint16_t*>(row)[x + i]);
    }
  }
  Unpack(argb, n, out);
}

template <int C, bool B>
void Write(const PixelPipeline& p, uint8_t* row, int32_t x, int32_t n, const uint8_t* mask, const ColorRun& color) {
  const PixelState& st = p.State();
  const ColorRun* out = &color;
  ColorRun blended;
  if constexpr (B) {
    ColorRun dst, sf, df;
    ReadTarget<C>(row, x, n, dst, p.TargetHasAlpha());
    BlendFactor(p.SrcBlend(), color, dst, n, sf);
    BlendFactor(p.DestBlend(), color, dst, n, df);
    for (int32_t c = 0; c < 4; ++c) {
      float* o = blended.c[c];
      const float *s = color.c[c], *d = dst.c[c], *fs = sf.c[c], *fd = df.c[c];
      switch (st.blendOp) {
        case D3DBLENDOP_SUBTRACT:
          for (int32_t i = 0; i < n; ++i) o[i] = s[i] * fs[i] - d[i] * fd[i];
          break;
        case D3DBLENDOP_REVSUBTRACT:
          for (int32_t i = 0; i < n; ++i) o[i] = d[i] * fd[i] - s[i] * fs[i];
          break;
        case D3DBLENDOP_MIN:
          for (int32_t i = 0; i < n; ++i) o[i] = std::min(s[i], d[i]);
          break;
        case D3DBLENDOP_MAX:
          for (int32_t i = 0; i < n; ++i) o[i] = std::max(s[i], d[i]);
          break;
        default:
          for (int32_t i = 0; i < n; ++i) o[i] = s[i] * fs[i] + d[i] * fd[i];
          break;
      }
    }
    out = &blended;
  }
  // Packed for the whole run first (a loop that vectorises), then stored where the mask says. Only a
  // blend leaves 0..1; every colour before it is clamped already.
  uint32_t packed[kRun];
  auto pack = [&](auto channel) {
    for (int32_t i = 0; i < n; ++i) {
      packed[i] = channel(out->c[3][i]) << 24 | channel(out->c[0][i]) << 16 | channel(out->c[1][i]) << 8 |
                  channel(out->c[2][i]);
    }
  };
  if constexpr (B) {
    pack(Channel8);
  } else {
    pack([](float v) { return uint32_t(RoundNonNegative<int32_t>(v * 255.0f)); });
  }
  const uint32_t keep = ~st.writeMask;
  if constexpr (C == 0) {
    uint32_t* d = reinterpret_cast<uint32_t*>(row) + x;
    const uint32_t write = st.writeMask;
    for (int32_t i = 0; i < n; ++i) {
      const uint32_t failed = uint32_t(mask[i]) - 1;  // all ones where the pixel failed
      d[i] = (packed[i] & write & ~failed) | (d[i] & (keep | failed));
    }
  } else {
    uint16_t* d = reinterpret_cast<uint16_t*>(row) + x;
    const uint32_t m = PackColor(D3DFMT_R5G6B5, st.writeMask);
    for (int32_t i = 0; i < n; ++i)
      if (mask[i]) d[i] = uint16_t((PackColor(D3DFMT_R5G6B5, packed[i]) & m) | (d[i] & ~m));
  }
}

// Colour kind x blending.
constexpr std::array<PixelPipeline::WriteFn, 4> kWrites = {&Write<0, false>, &Write<0, true>, &Write<1, false>,
                                                           &Write<1, true>};

// The perspective-correct value of attribute slot `slot` for n pixels.
void Interpolate(const SpanArgs& s, int32_t slot, float k0, int32_t n, const float* w, float* out) {
  const float a = s.at[2 + slot], d = s.dx[2 + slot];
  for (int32_t i = 0; i < n; ++i) out[i] = (a + d * (k0 + float(i))) * w[i];
}

// The same, clamped to 0..1 (colours and fog factors).
void InterpolateColor(const SpanArgs& s, int32_t slot, float k0, int32_t n, const float* w, float* out) {
  const float a = s.at[2 + slot], d = s.dx[2 + slot];
  for (int32_t i = 0; i < n; ++i) out[i] = Clamp01((a + d * (k0 + float(i))) * w[i]);
}

}  // namespace

uint32_t CompareMask(uint32_t func) {
  static constexpr uint32_t kMasks[9] = {7, 0, 1, 2, 3, 4, 5, 6, 7};  // NEVER .. ALWAYS; unknown passes
  return func <= 8 ? kMasks[func] : 7;
}

int32_t PixelState::AddAttribute(size_t offset) {
  if (attrCount >= kMaxAttributes) return -1;
  attrOffset[attrCount] = uint16_t(offset);
  return attrCount++;
}

bool PixelPipeline::Prepare(const PixelStore& color, const PixelStore* depth, bool depthTest, uint32_t depthFunc,
                            bool depthWrite, const PixelState& state) {
  m_state = &state;
  const int c = ColorKind(color.info->format);
  const int d = depthTest ? DepthKind(depth) : 0;
  if (c < 0 || d < 0) return false;
  m_targetAlpha = color.info->format == D3DFMT_A8R8G8B8;
  m_passesDiffuse = StagesPassDiffuse(state.stages, state.stageCount);
  m_depthMask = CompareMask(depthFunc);
  m_depthWriteNow = depthWrite && !state.alphaTest;
  m_depth = kDepthTests[size_t(d)];
  m_storeDepth = depthWrite && state.alphaTest ? kDepthStores[size_t(d)] : nullptr;
  m_write = kWrites[size_t(c) * 2 + (state.blend ? 1 : 0)];
  // The two shorthands set both factors; as a destination factor each means its own complement.
  m_srcBlend = state.srcBlend, m_destBlend = state.destBlend;
  if (m_destBlend == D3DBLEND_BOTHSRCALPHA) m_destBlend = D3DBLEND_INVSRCALPHA;
  if (m_destBlend == D3DBLEND_BOTHINVSRCALPHA) m_destBlend = D3DBLEND_SRCALPHA;
  if (m_srcBlend == D3DBLEND_BOTHSRCALPHA) m_srcBlend = D3DBLEND_SRCALPHA, m_destBlend = D3DBLEND_INVSRCALPHA;
  if (m_srcBlend == D3DBLEND_BOTHINVSRCALPHA) m_srcBlend = D3DBLEND_INVSRCALPHA, m_destBlend = D3DBLEND_SRCALPHA;
  return true;
}

void PixelPipeline::Textures(const SpanArgs& s, float k0, int32_t n, ColorRun* texture) const {
  const PixelState& st = *m_state;
  for (int32_t t = 0; t < st.stageCount; ++t) {
    const StageSetup& stage = st.stages[t];
    if (!stage.textured || !(stage.ColorReadsTexture() || stage.AlphaReadsTexture())) continue;
    const Sampler& sampler = st.samplers[t];
    const int32_t iu = 2 + st.texSlot[t], iv = iu + 1, iq = st.projected[t] ? iu + 2 : 1;
    float u[kRun], v[kRun], lod[kRun];
    const float width = sampler.levels[0].fwidth, height = sampler.levels[0].fheight;
    for (int32_t i = 0; i < n; ++i) {
      const float k = k0 + float(i);
      // Each coordinate is a ratio of two screen-linear values; its derivatives follow from theirs.
      const float q = s.at[iq] + s.dx[iq] * k;
      const float r = 1.0f / q;
      const float uu = (s.at[iu] + s.dx[iu] * k) * r, vv = (s.at[iv] + s.dx[iv] * k) * r;
      const float dux = (s.dx[iu] - uu * s.dx[iq]) * r * width, dvx = (s.dx[iv] - vv * s.dx[iq]) * r * height;
      const float duy = (s.dy[iu] - uu * s.dy[iq]) * r * width, dvy = (s.dy[iv] - vv * s.dy[iq]) * r * height;
      u[i] = uu, v[i] = vv;
      lod[i] = 0.5f * FastLog2(std::max(dux * dux + dvx * dvx, duy * duy + dvy * dvy));
    }
    uint32_t texels[kRun];
    sampler.Sample(u, v, lod, n, texels);
    Unpack(texels, n, texture[t]);
  }
}

void PixelPipeline::Fog(const SpanArgs& s, float k0, int32_t n, const float* w, ColorRun& color) const {
  const PixelState& st = *m_state;
  float f[kRun];
  if (st.fog == FogSource::kVertex) {
    Interpolate(s, st.fogSlot, k0, n, w, f);
  } else {
    if (st.fogFromW) {
      std::copy(w, w + n, f);
    } else {
      for (int32_t i = 0; i < n; ++i) f[i] = s.at[0] + s.dx[0] * (k0 + float(i));
    }
    const float density = st.fogDensity, end = st.fogEnd;
    switch (st.fogTable) {
      case D3DFOG_EXP:
        for (int32_t i = 0; i < n; ++i) f[i] = std::exp(-density * f[i]);
        break;
      case D3DFOG_EXP2:
        for (int32_t i = 0; i < n; ++i) f[i] = std::exp(-(density * f[i]) * (density * f[i]));
        break;
      default:
        if (end != st.fogStart) {
          const float scale = 1.0f / (end - st.fogStart);
          for (int32_t i = 0; i < n; ++i) f[i] = (end - f[i]) * scale;
        } else {  // no range: fogged from the end on
          for (int32_t i = 0; i < n; ++i) f[i] = f[i] < end ? 1.0f : 0.0f;
        }
        break;
    }
  }
  for (int32_t i = 0; i < n; ++i) f[i] = Clamp01(f[i]);
  for (int32_t c = 0; c < 3; ++c) {
    const float fog = st.fogColor[c];
    float* channel = color.c[c];
    for (int32_t i = 0; i < n; ++i) channel[i] = fog + (channel[i] - fog) * f[i];
  }
}

void PixelPipeline::Span(const SpanArgs& s) const {
  const PixelState& st = *m_state;
  for (int32_t x = s.x0; x < s.x1; x += kRun) {
    const int32_t n = std::min(kRun, s.x1 - x);
    const float k0 = float(x - s.x0);
    uint8_t mask[kRun];
    uint32_t q[kRun];
    if (m_depth(*this, s, x, k0, n, mask, q) == 0) continue;
    float w[kRun];
    for (int32_t i = 0; i < n; ++i) w[i] = 1.0f / (s.at[1] + s.dx[1] * (k0 + float(i)));

    ColorRun diffuse, specular, current;
    // Without stages to run, the diffuse colour is the colour.
    ColorRun& vertexColor = m_passesDiffuse ? current : diffuse;
    for (int32_t c = 0; c < 4; ++c) InterpolateColor(s, c, k0, n, w, vertexColor.c[c]);
    if (st.specularSlot >= 0) {
      for (int32_t c = 0; c < 3; ++c) InterpolateColor(s, st.specularSlot + c, k0, n, w, specular.c[c]);
      if (st.fogSlot >= 0) {
        InterpolateColor(s, st.fogSlot, k0, n, w, specular.c[3]);
      } else {
        std::fill(specular.c[3], specular.c[3] + n, 1.0f);
      }
    }
    if (!m_passesDiffuse) {
      StageInputs in;
      in.n = n;
      in.diffuse = &diffuse;
      in.specular = st.specularSlot >= 0 ? &specular : &diffuse;  // stages asking for specular get a slot
      std::copy(st.factor, st.factor + 4, in.factor);
      ColorRun texture[kD3DStageCount];
      Textures(s, k0, n, texture);
      for (int32_t t = 0; t < st.stageCount; ++t) in.texture[t] = &texture[t];
      RunStages(st.stages, st.stageCount, in, current);
    }

    if (st.specularAdd && st.specularSlot >= 0) {
      for (int32_t c = 0; c < 3; ++c)
        for (int32_t i = 0; i < n; ++i) current.c[c][i] = Clamp01(current.c[c][i] + specular.c[c][i]);
    }
    if (st.fog != FogSource::kNone) Fog(s, k0, n, w, current);
    if (st.alphaTest) {
      const uint32_t pass = CompareMask(st.alphaFunc), ref = st.alphaRef;
      for (int32_t i = 0; i < n; ++i) mask[i] = mask[i] && (Outcome(Channel8(current.c[3][i]), ref) & pass) != 0;
    }
    if (m_storeDepth) m_storeDepth(s.depth, x, n, mask, q);
    m_write(*this, s.color, x, n, mask, current);
  }
}

}  // namespace PM::SoftD3D
