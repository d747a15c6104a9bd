#include "platform/PixelFormat.h"

#include <cerrno>
#include <climits>

// Xlib and GLX last: their macros (None, Bool, Success) would clash with the headers above.
#include <GL/glx.h>

#include "platform/LastError.h"

namespace PM {

namespace {

uint8_t Bits(int v) { return uint8_t(v < 0 ? 0 : v > 255 ? 255 : v); }

}  // namespace

bool ListPixelFormats(const GlxFunctions& f, Display* display, int screen, unsigned long visualId,
                      PixelFormatList* out) {
  out->formats.clear();
  out->configs.clear();
  out->visualIds.clear();
  if (!display || !f.glXChooseFBConfig || !f.glXGetFBConfigAttrib) {
    SetLastErrorCode(EINVAL);
    return false;
  }
  static const int kAll[] = {GLX_DRAWABLE_TYPE, GLX_WINDOW_BIT, GLX_RENDER_TYPE, GLX_RGBA_BIT, None};
  int count = 0;
  GLXFBConfig* configs = f.glXChooseFBConfig(display, screen, kAll, &count);
  if (!configs) {
    SetLastErrorCode(ENOENT);
    return count == 0;
  }
  for (int i = 0; i < count; ++i) {
    auto get = [&](int attribute) {
      int v = 0;
      f.glXGetFBConfigAttrib(display, configs[i], attribute, &v);
      return v;
    };
    const unsigned long visual = static_cast<unsigned long>(get(GLX_VISUAL_ID));
    if (visual == 0 || (visualId != 0 && visual != visualId)) continue;
    PixelFormatDescriptor d;
    d.dwFlags = PFD_DRAW_TO_WINDOW | PFD_SUPPORT_OPENGL | PFD_SWAP_COPY;
    if (get(GLX_DOUBLEBUFFER)) d.dwFlags |= PFD_DOUBLEBUFFER;
    if (get(GLX_STEREO)) d.dwFlags |= PFD_STEREO;
    if (get(GLX_CONFIG_CAVEAT) == GLX_SLOW_CONFIG) d.dwFlags |= PFD_GENERIC_FORMAT;
    d.cRedBits = Bits(get(GLX_RED_SIZE));
    d.cGreenBits = Bits(get(GLX_GREEN_SIZE));
    d.cBlueBits = Bits(get(GLX_BLUE_SIZE));
    d.cAlphaBits = Bits(get(GLX_ALPHA_SIZE));
    d.cColorBits = Bits(d.cRedBits + d.cGreenBits + d.cBlueBits);
    // The usual packing of a 24-bit TrueColor visual: blue lowest, alpha above red.
    d.cBlueShift = 0;
    d.cGreenShift = d.cBlueBits;
    d.cRedShift = Bits(d.cBlueBits + d.cGreenBits);
    d.cAlphaShift = d.cAlphaBits ? Bits(d.cRedShift + d.cRedBits) : 0;
    d.cAccumRedBits = Bits(get(GLX_ACCUM_RED_SIZE));
    d.cAccumGreenBits = Bits(get(GLX_ACCUM_GREEN_SIZE));
    d.cAccumBlueBits = Bits(get(GLX_ACCUM_BLUE_SIZE));
    d.cAccumAlphaBits = Bits(get(GLX_ACCUM_ALPHA_SIZE));
    d.cAccumBits = Bits(d.cAccumRedBits + d.cAccumGreenBits + d.cAccumBlueBits + d.cAccumAlphaBits);
    d.cDepthBits = Bits(get(GLX_DEPTH_SIZE));
    d.cStencilBits = Bits(get(GLX_STENCIL_SIZE));
    d.cAuxBuffers = Bits(get(GLX_AUX_BUFFERS));
    d.iLayerType = Bits(get(GLX_LEVEL));
    out->formats.push_back(d);
    out->configs.push_back(configs[i]);
    out->visualIds.push_back(visual);
  }
  XFree(configs);
  return true;
}

int ChoosePixelFormat(const PixelFormatList& list, const PixelFormatDescriptor& wanted) {
  // Lexicographic score: hard requirements first, then how closely each size matches.
  int best = 0;
  long long bestScore = LLONG_MIN;
  const bool wantDouble = (wanted.dwFlags & PFD_DOUBLEBUFFER) != 0;
  for (int i = 0; i < list.Count(); ++i) {
    const PixelFormatDescriptor& d = list.formats[size_t(i)];
    if (!(d.dwFlags & PFD_DRAW_TO_WINDOW) || !(d.dwFlags & PFD_SUPPORT_OPENGL) || d.iPixelType != wanted.iPixelType)
      continue;
    long long score = 0;
    if (bool(d.dwFlags & PFD_DOUBLEBUFFER) == wantDouble) score += 1LL << 40;
    if (!(d.dwFlags & PFD_GENERIC_FORMAT)) score += 1LL << 39;
    auto fit = [&](int have, int want, int weight) {
      if (have < want)
        score -= (long long)(want - have) << (weight + 8);  // missing bits cost most
      else
        score -= (long long)(have - want) << weight;
    };
    fit(d.cColorBits, wanted.cColorBits, 20);
    fit(d.cDepthBits, wanted.cDepthBits, 18);
    fit(d.cStencilBits, wanted.cStencilBits, 16);
    fit(d.cAlphaBits, wanted.cAlphaBits, 14);
    fit(d.cAccumBits, wanted.cAccumBits, 0);
    fit(d.cAuxBuffers, wanted.cAuxBuffers, 0);
    if (score > bestScore) bestScore = score, best = i + 1;
  }
  if (best == 0) SetLastErrorCode(ENOENT);
  return best;
}

int DescribePixelFormat(const PixelFormatList& list, int index, PixelFormatDescriptor* out) {
  if (out && index >= 1 && index <= list.Count()) *out = list.formats[size_t(index - 1)];
  return list.Count();
}

}  // namespace PM
