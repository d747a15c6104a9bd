#include "platform/d3d8/TextureStages.h"

#include <algorithm>
#include <cstring>

namespace PM::SoftD3D {

namespace {

bool ArgIsTexture(uint32_t arg) { return (arg & D3DTA_SELECTMASK) == D3DTA_TEXTURE; }

bool OpReadsTexture(uint32_t op, const uint32_t* args) {
  if (op == D3DTOP_BLENDTEXTUREALPHA || op == D3DTOP_BLENDTEXTUREALPHAPM) return true;
  const bool three = op == D3DTOP_MULTIPLYADD || op == D3DTOP_LERP;
  return ArgIsTexture(args[0]) || ArgIsTexture(args[1]) || (three && ArgIsTexture(args[2]));
}

struct Registers {
  const StageInputs& in;
  const ColorRun& current;
  const ColorRun& temp;
  const ColorRun* texture;  // this stage's, or null
};

// One argument with its modifiers, all four channels.
void LoadArg(uint32_t arg, const Registers& r, int32_t n, ColorRun& out) {
  const ColorRun* source = nullptr;
  switch (arg & D3DTA_SELECTMASK) {
    case D3DTA_DIFFUSE:
      source = r.in.diffuse;
      break;
    case D3DTA_CURRENT:
      source = &r.current;
      break;
    case D3DTA_TEXTURE:
      source = r.texture;
      break;
    case D3DTA_SPECULAR:
      source = r.in.specular;
      break;
    case D3DTA_TEMP:
      source = &r.temp;
      break;
    default:
      break;  // TFACTOR, and anything unknown reads the factor too
  }
  for (int32_t c = 0; c < 4; ++c) {
    const int32_t from = (arg & D3DTA_ALPHAREPLICATE) ? 3 : c;
    if (source) {
      std::memcpy(out.c[c], source->c[from], sizeof(float) * size_t(n));
    } else {
      std::fill(out.c[c], out.c[c] + n, r.in.factor[from]);
    }
  }
  if (arg & D3DTA_COMPLEMENT) {
    for (int32_t c = 0; c < 4; ++c)
      for (int32_t i = 0; i < n; ++i) out.c[c][i] = 1.0f - out.c[c][i];
  }
}

// Runs f(channel, pixel) over channels c0..c1-1.
template <class F>
void Each(int32_t c0, int32_t c1, int32_t n, F f) {
  for (int32_t c = c0; c < c1; ++c)
    for (int32_t i = 0; i < n; ++i) f(c, i);
}

// One operation on channels c0..c1-1 (0..2 colour, 3..3 alpha) into `out`.
void Operate(uint32_t op, const uint32_t* args, int32_t c0, int32_t c1, const Registers& r, int32_t n, ColorRun& out) {
  ColorRun x, y, z;
  LoadArg(args[0], r, n, x);
  LoadArg(args[1], r, n, y);
  if (op == D3DTOP_MULTIPLYADD || op == D3DTOP_LERP) LoadArg(args[2], r, n, z);
  // The alpha a blend operation weighs with, per pixel.
  auto blend = [&](const float* alpha) {
    Each(c0, c1, n, [&](int32_t c, int32_t i) { out.c[c][i] = x.c[c][i] * alpha[i] + y.c[c][i] * (1.0f - alpha[i]); });
  };
  const float* textureAlpha = r.texture ? r.texture->c[3] : nullptr;
  switch (op) {
    case D3DTOP_SELECTARG1:
      Each(c0, c1, n, [&](int32_t c, int32_t i) { out.c[c][i] = x.c[c][i]; });
      break;
    case D3DTOP_SELECTARG2:
      Each(c0, c1, n, [&](int32_t c, int32_t i) { out.c[c][i] = y.c[c][i]; });
      break;
    case D3DTOP_MODULATE:
      Each(c0, c1, n, [&](int32_t c, int32_t i) { out.c[c][i] = x.c[c][i] * y.c[c][i]; });
      break;
    case D3DTOP_MODULATE2X:
      Each(c0, c1, n, [&](int32_t c, int32_t i) { out.c[c][i] = 2.0f * x.c[c][i] * y.c[c][i]; });
      break;
    case D3DTOP_MODULATE4X:
      Each(c0, c1, n, [&](int32_t c, int32_t i) { out.c[c][i] = 4.0f * x.c[c][i] * y.c[c][i]; });
      break;
    case D3DTOP_ADD:
      Each(c0, c1, n, [&](int32_t c, int32_t i) { out.c[c][i] = x.c[c][i] + y.c[c][i]; });
      break;
    case D3DTOP_ADDSIGNED:
      Each(c0, c1, n, [&](int32_t c, int32_t i) { out.c[c][i] = x.c[c][i] + y.c[c][i] - 0.5f; });
      break;
    case D3DTOP_ADDSIGNED2X:
      Each(c0, c1, n, [&](int32_t c, int32_t i) { out.c[c][i] = 2.0f * (x.c[c][i] + y.c[c][i] - 0.5f); });
      break;
    case D3DTOP_SUBTRACT:
      Each(c0, c1, n, [&](int32_t c, int32_t i) { out.c[c][i] = x.c[c][i] - y.c[c][i]; });
      break;
    case D3DTOP_ADDSMOOTH:
      Each(c0, c1, n, [&](int32_t c, int32_t i) { out.c[c][i] = x.c[c][i] + y.c[c][i] * (1.0f - x.c[c][i]); });
      break;
    case D3DTOP_BLENDDIFFUSEALPHA:
      blend(r.in.diffuse->c[3]);
      break;
    case D3DTOP_BLENDTEXTUREALPHA: {
      float ones[kRun];
      std::fill(ones, ones + n, 1.0f);
      blend(textureAlpha ? textureAlpha : ones);
      break;
    }
    case D3DTOP_BLENDFACTORALPHA: {
      float factor[kRun];
      std::fill(factor, factor + n, r.in.factor[3]);
      blend(factor);
      break;
    }
    case D3DTOP_BLENDCURRENTALPHA:
      blend(r.current.c[3]);
      break;
    case D3DTOP_BLENDTEXTUREALPHAPM:
      Each(c0, c1, n, [&](int32_t c, int32_t i) {
        out.c[c][i] = x.c[c][i] + y.c[c][i] * (1.0f - (textureAlpha ? textureAlpha[i] : 1.0f));
      });
      break;
    case D3DTOP_MODULATEALPHA_ADDCOLOR:
      Each(c0, c1, n, [&](int32_t c, int32_t i) { out.c[c][i] = x.c[c][i] + x.c[3][i] * y.c[c][i]; });
      break;
    case D3DTOP_MODULATECOLOR_ADDALPHA:
      Each(c0, c1, n, [&](int32_t c, int32_t i) { out.c[c][i] = x.c[c][i] * y.c[c][i] + x.c[3][i]; });
      break;
    case D3DTOP_MODULATEINVALPHA_ADDCOLOR:
      Each(c0, c1, n, [&](int32_t c, int32_t i) { out.c[c][i] = x.c[c][i] + (1.0f - x.c[3][i]) * y.c[c][i]; });
      break;
    case D3DTOP_MODULATEINVCOLOR_ADDALPHA:
      Each(c0, c1, n, [&](int32_t c, int32_t i) { out.c[c][i] = (1.0f - x.c[c][i]) * y.c[c][i] + x.c[3][i]; });
      break;
    case D3DTOP_DOTPRODUCT3:  // the signed dot product of the colours, in every channel
      for (int32_t i = 0; i < n; ++i) {
        const float d = 4.0f * ((x.c[0][i] - 0.5f) * (y.c[0][i] - 0.5f) + (x.c[1][i] - 0.5f) * (y.c[1][i] - 0.5f) +
                                (x.c[2][i] - 0.5f) * (y.c[2][i] - 0.5f));
        for (int32_t c = c0; c < c1; ++c) out.c[c][i] = d;
      }
      break;
    case D3DTOP_MULTIPLYADD:
      Each(c0, c1, n, [&](int32_t c, int32_t i) { out.c[c][i] = z.c[c][i] + x.c[c][i] * y.c[c][i]; });
      break;
    case D3DTOP_LERP:
      Each(c0, c1, n,
           [&](int32_t c, int32_t i) { out.c[c][i] = z.c[c][i] * x.c[c][i] + (1.0f - z.c[c][i]) * y.c[c][i]; });
      break;
    default:  // PREMODULATE and the bump operations have nothing to work on here: the input passes
      Each(c0, c1, n, [&](int32_t c, int32_t i) { out.c[c][i] = r.current.c[c][i]; });
      break;
  }
}

}  // namespace

bool StagesPassDiffuse(const StageSetup* stages, int32_t count) {
  for (int32_t s = 0; s < count && stages[s].colorOp != D3DTOP_DISABLE; ++s) {
    const StageSetup& st = stages[s];
    if (st.textured || !st.ColorReadsTexture() || (st.alphaOp != D3DTOP_DISABLE && !st.AlphaReadsTexture()))
      return false;
  }
  return true;
}

bool StageSetup::ColorReadsTexture() const { return OpReadsTexture(colorOp, colorArgs); }
bool StageSetup::AlphaReadsTexture() const { return alphaOp != D3DTOP_DISABLE && OpReadsTexture(alphaOp, alphaArgs); }

// The most common set-up: one textured stage modulating its texture with the diffuse colour, in colour
// and alpha (or alpha from the texture alone), without the argument copies of the general path.
bool ModulatesTextureOnly(const StageSetup* stages, int32_t count) {
  if (count < 1 || !stages[0].textured || stages[0].toTemp) return false;
  // Later stages may be unbound ones that only read their texture (an engine leaves its reflection
  // stage so): they pass the colour on unchanged, and the product is already within 0..1.
  for (int32_t s = 1; s < count && stages[s].colorOp != D3DTOP_DISABLE; ++s) {
    const StageSetup& later = stages[s];
    const bool alphaPasses = later.alphaOp == D3DTOP_DISABLE || later.AlphaReadsTexture();
    if (later.textured || !later.ColorReadsTexture() || !alphaPasses) return false;
  }
  const StageSetup& s = stages[0];
  auto texDiffuse = [](const uint32_t* a) {
    return (a[0] == D3DTA_TEXTURE && (a[1] == D3DTA_DIFFUSE || a[1] == D3DTA_CURRENT)) ||
           (a[1] == D3DTA_TEXTURE && (a[0] == D3DTA_DIFFUSE || a[0] == D3DTA_CURRENT));
  };
  const bool alphaModulate = s.alphaOp == D3DTOP_MODULATE && texDiffuse(s.alphaArgs);
  const bool alphaTexture = s.alphaOp == D3DTOP_SELECTARG1 && s.alphaArgs[0] == D3DTA_TEXTURE;
  return s.colorOp == D3DTOP_MODULATE && texDiffuse(s.colorArgs) && (alphaModulate || alphaTexture);
}

void RunStages(const StageSetup* stages, int32_t count, const StageInputs& in, ColorRun& current) {
  const int32_t n = in.n;
  if (ModulatesTextureOnly(stages, count)) {
    const ColorRun& t = *in.texture[0];
    const ColorRun& d = *in.diffuse;
    const bool alphaModulate = stages[0].alphaOp == D3DTOP_MODULATE;
    for (int32_t c = 0; c < 4; ++c) {
      if (c == 3 && !alphaModulate) {
        std::memcpy(current.c[3], t.c[3], sizeof(float) * size_t(n));
      } else {
        for (int32_t i = 0; i < n; ++i) current.c[c][i] = t.c[c][i] * d.c[c][i];
      }
    }
    return;
  }
  for (int32_t c = 0; c < 4; ++c) std::memcpy(current.c[c], in.diffuse->c[c], sizeof(float) * size_t(n));
  if (count == 0 || stages[0].colorOp == D3DTOP_DISABLE) return;
  ColorRun temp;  // starts black
  for (int32_t c = 0; c < 4; ++c) std::fill(temp.c[c], temp.c[c] + n, 0.0f);
  ColorRun out;
  for (int32_t s = 0; s < count; ++s) {
    const StageSetup& st = stages[s];
    if (st.colorOp == D3DTOP_DISABLE) break;
    const Registers r{in, current, temp, st.textured ? in.texture[s] : nullptr};
    // An operation that reads a texture the stage lacks passes the stage's input on.
    if (!st.textured && st.ColorReadsTexture()) {
      Each(0, 3, n, [&](int32_t c, int32_t i) { out.c[c][i] = current.c[c][i]; });
    } else {
      Operate(st.colorOp, st.colorArgs, 0, 3, r, n, out);
    }
    if (st.colorOp == D3DTOP_DOTPRODUCT3 && !(!st.textured && st.ColorReadsTexture())) {
      std::memcpy(out.c[3], out.c[0], sizeof(float) * size_t(n));
    } else if (st.alphaOp == D3DTOP_DISABLE || (!st.textured && st.AlphaReadsTexture())) {
      std::memcpy(out.c[3], current.c[3], sizeof(float) * size_t(n));
    } else {
      Operate(st.alphaOp, st.alphaArgs, 3, 4, r, n, out);
    }
    ColorRun& target = st.toTemp ? temp : current;
    Each(0, 4, n, [&](int32_t c, int32_t i) { target.c[c][i] = Clamp01(out.c[c][i]); });
  }
}

}  // namespace PM::SoftD3D
