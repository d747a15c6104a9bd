#include "render/opengl/OpenGLPixelFormat.h"

#include <cstdio>

#include "core/Log.h"

namespace PM {

PixelFormatDescriptor WantedPixelFormat(const RenderFormatInfo& format) {
  auto bits = [](int32_t v) { return uint8_t(v < 0 ? 0 : v > 255 ? 255 : v); };
  PixelFormatDescriptor d;
  d.dwFlags = PFD_DRAW_TO_WINDOW | PFD_SUPPORT_OPENGL | PFD_SWAP_COPY;
  if (format.BufferBackColorCount >= 1) d.dwFlags |= PFD_DOUBLEBUFFER;
  d.iPixelType = PFD_TYPE_RGBA;
  d.cColorBits = bits(format.ColorBits);
  d.cAlphaBits = bits(format.AlphaBits);
  d.cDepthBits = bits(format.DepthBits);
  d.cStencilBits = bits(format.StencilBits);
  return d;
}

std::string PixelFormatLine(const PixelFormatDescriptor& d) {
  char line[256];
  std::snprintf(line, sizeof(line), "F:%x%c T:%u C:%u-%u/%u/%u/%u A:%u-%u/%u/%u/%u D:%u S:%u X:%u L:%u,%u,%u,%u,%u",
                unsigned(d.dwFlags), (d.dwFlags & PFD_GENERIC_FORMAT) ? '-' : '+', d.iPixelType, d.cColorBits,
                d.cRedBits, d.cGreenBits, d.cBlueBits, d.cAlphaBits, d.cAccumBits, d.cAccumRedBits, d.cAccumGreenBits,
                d.cAccumBlueBits, d.cAccumAlphaBits, d.cDepthBits, d.cStencilBits, d.cAuxBuffers, d.iLayerType,
                d.bReserved, unsigned(d.dwLayerMask), unsigned(d.dwVisibleMask), unsigned(d.dwDamageMask));
  return line;
}

void LogPixelFormats(const PixelFormatList& list) {
  for (int i = 1; i <= list.Count(); ++i)
    Log(LogOutPipe(), kLevelInfo, "[", int32_t(i), "] ", PixelFormatLine(list.formats[size_t(i - 1)]).c_str());
}

int OwnChoosePixelFormat(const PixelFormatList& list, const PixelFormatDescriptor& wanted) {
  StreamPipeRef& log = LogOutPipe();
  int chosen = ChoosePixelFormat(list, wanted);
  if (chosen < 1) chosen = 1;
  PixelFormatDescriptor first;
  const int count = DescribePixelFormat(list, chosen, &first);
  if (count < 1) {
    Log(log, kLevelWarn, "OwnChoosePixelFormat: no formats available.");
    return count;
  }
  if ((first.dwFlags & PFD_GENERIC_FORMAT) && (wanted.dwFlags & PFD_GENERIC_FORMAT)) {
    Log(log, kLevelInfo, "OwnChoosePixelFormat: returning GENERIC format.");
    return count;
  }
  static const uint32_t kRequiredFlags[] = {PFD_DRAW_TO_WINDOW, PFD_SUPPORT_OPENGL, PFD_DOUBLEBUFFER,
                                            PFD_GENERIC_FORMAT};
  int best = 0;
  uint32_t bestQuality = 0;
  for (int i = 1; i <= count; ++i) {
    PixelFormatDescriptor d;
    DescribePixelFormat(list, i, &d);
    uint32_t q = 0xFFFFFFFFu;
    bool short_ = d.cDepthBits < wanted.cDepthBits || d.cColorBits < wanted.cColorBits ||
                  d.cStencilBits < wanted.cStencilBits || d.cAlphaBits < wanted.cAlphaBits;
    for (uint32_t flag : kRequiredFlags) short_ |= (wanted.dwFlags & flag) && !(d.dwFlags & flag);
    if (short_ || d.iLayerType != wanted.iLayerType) q &= 0x7FFFFFFFu;
    if ((d.dwFlags & PFD_GENERIC_FORMAT) && !(wanted.dwFlags & PFD_GENERIC_FORMAT)) q &= ~0x40000000u;
    if (d.cDepthBits > wanted.cDepthBits) q -= 0x20000;
    if (d.cColorBits > wanted.cColorBits) q -= 0x10000;
    if (d.cAlphaBits > wanted.cAlphaBits) q -= 0x8000;
    if (d.cStencilBits > wanted.cStencilBits) q -= 0x4000;
    if ((wanted.dwFlags & PFD_SWAP_COPY) && !(d.dwFlags & PFD_SWAP_COPY)) q &= ~0x1000u;
    Log(log, kLevelInfo, "[", int32_t(i), "] ", PixelFormatLine(d).c_str());
    Log(log, kLevelInfo, "Quality: ", Hex{q, 8}, ".");
    if (q > 0x80000000u && q > bestQuality) bestQuality = q, best = i;
  }
  if (best == 0) {
    Log(log, kLevelWarn, "OwnChoosePixelFormat: no format is matching exactly.");
    return chosen;
  }
  Log(log, kLevelInfo, "OwnChoosePixelFormat: using ", int32_t(best), " (default is ", int32_t(chosen), ").");
  return best;
}

}  // namespace PM
