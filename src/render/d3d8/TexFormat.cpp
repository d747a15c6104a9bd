#include "render/d3d8/TexFormat.h"

#include <iterator>

namespace PM {

const TexFormatProbe kTexFormatProbes[] = {
    {0, D3DFMT_R8G8B8, 0x4},       {0, D3DFMT_A8R8G8B8, 0x1},  {0, D3DFMT_X8R8G8B8, 0x2},
    {0, D3DFMT_R5G6B5, 0x8},       {0, D3DFMT_X1R5G5B5, 0x20}, {0, D3DFMT_A1R5G5B5, 0x10},
    {0, D3DFMT_A4R4G4B4, 0x40},    {0, D3DFMT_R3G3B2, 0x200},  {0, D3DFMT_A8, 0x2000},
    {0, D3DFMT_A8R3G3B2, 0x100},   {0, D3DFMT_X4R4G4B4, 0x80}, {0, D3DFMT_A2B10G10R10, 0x4000},
    {0, D3DFMT_G16R16, 0x8000},    {0, D3DFMT_L8, 0x1000},     {0, D3DFMT_A8L8, 0x400},
    {0, D3DFMT_A4L4, 0x800},       {2, D3DFMT_A8P8, 0x1},      {2, D3DFMT_P8, 0x2},
    {1, D3DFMT_V8U8, 0x1},         {1, D3DFMT_L6V5U5, 0x2},    {1, D3DFMT_X8L8V8U8, 0x4},
    {1, D3DFMT_Q8W8V8U8, 0x8},     {1, D3DFMT_V16U16, 0x10},   {1, D3DFMT_W11V11U10, 0x20},
    {1, D3DFMT_A2W10V10U10, 0x40}, {3, D3DFMT_UYVY, 0x1},      {3, D3DFMT_YUY2, 0x2},
    {3, D3DFMT_DXT1, 0x4},         {3, D3DFMT_DXT2, 0x8},      {3, D3DFMT_DXT3, 0x10},
    {3, D3DFMT_DXT4, 0x20},        {3, D3DFMT_DXT5, 0x40},     {4, D3DFMT_D16_LOCKABLE, 0x20},
    {4, D3DFMT_D32, 0x1},          {4, D3DFMT_D15S1, 0x40},    {4, D3DFMT_D24S8, 0x2},
    {4, D3DFMT_D24X8, 0x4},        {4, D3DFMT_D24X4S4, 0x8},   {4, D3DFMT_D16, 0x10},
};
const int kTexFormatProbeCount = int(std::size(kTexFormatProbes));

namespace {

constexpr int kMaxPreferences = 13;

// Each wanted format's candidates, best first (0 ends a shorter list).
struct Preference {
  D3DFORMAT wanted;
  D3DFORMAT order[kMaxPreferences];
};

constexpr D3DFORMAT R888 = D3DFMT_R8G8B8, A888 = D3DFMT_A8R8G8B8, X888 = D3DFMT_X8R8G8B8, R565 = D3DFMT_R5G6B5,
                    X555 = D3DFMT_X1R5G5B5, A555 = D3DFMT_A1R5G5B5, A444 = D3DFMT_A4R4G4B4, R332 = D3DFMT_R3G3B2,
                    A8 = D3DFMT_A8, A332 = D3DFMT_A8R3G3B2, X444 = D3DFMT_X4R4G4B4, L8 = D3DFMT_L8, A8L8 = D3DFMT_A8L8,
                    A4L4 = D3DFMT_A4L4;

const Preference kPreferences[] = {
    {R888, {R888, X888, A888, R565, X555, A555}},
    {A888, {A888, A444, A555, A332, A8L8, A4L4, R888, X888, R565, X555, X444, R332, L8}},
    {X888, {X888, A888, R888, R565, X555, A555}},
    {R565, {R565, X555, A555, R888, X888, A888}},
    {X555, {X555, A555, R565, R888, X888, A888, X444, A444, R332, A332, L8, A8L8, A4L4}},
    {A555, {A555, A888, A444, A332, A8L8, A4L4, X555, R565, R888, X888, X444, R332, L8}},
    {A444, {A444, A888, A555, A332, A4L4, A8L8, X555, R565, R888, X888, X444, R332, L8}},
    {R332, {R332, X555, A555, R565, X444, A444, A332, R888, X888, A888, L8, A4L4, A8L8}},
    {A8, {A8, A8L8, A332, A888, A4L4, A444, A555}},
    {A332, {A332, A888, A444, A555, A8L8, A4L4, R565, R332, X555, X444, R888, X888, L8}},
    {X444, {X444, A444, X555, A555, R565, R888, X888, A888, R332, A332, L8, A4L4, A8L8}},
    {L8, {L8, A8L8, R888, X888, A888, R565, X555, A555, A4L4, X444, A444, R332, A332}},
    {A8L8, {A8L8, A888, A4L4, A444, A332, A555, L8, R888, X888, R565, X555, X444, R332}},
    {A4L4, {A4L4, A444, A8L8, A888, A332, A555, L8, X444, X555, R565, R888, X888, R332}},
};

// The word-0 bit of a format, 0 for formats outside word 0.
uint32_t Word0Bit(D3DFORMAT f) {
  for (const TexFormatProbe& p : kTexFormatProbes)
    if (p.word == 0 && p.format == f) return p.bit;
  return 0;
}

}  // namespace

D3DFORMAT TexFormat::FindBestMatch(D3DFORMAT wanted) const {
  if (wanted < 20 || wanted > 52) return 0;
  for (const Preference& p : kPreferences) {
    if (p.wanted != wanted) continue;
    for (D3DFORMAT candidate : p.order)
      if (candidate && (Words[0] & Word0Bit(candidate))) return candidate;
    return 0;
  }
  return 0;
}

int32_t BuildTextureFormatTable(IDirect3D8* d3d, UINT adapter, D3DDEVTYPE type, D3DFORMAT displayFormat,
                                TexFormat* out) {
  *out = TexFormat{};
  for (const TexFormatProbe& p : kTexFormatProbes) {
    if (d3d->CheckDeviceFormat(adapter, type, displayFormat, 0, D3DRTYPE_TEXTURE, p.format) == D3D_OK)
      out->Words[p.word] |= p.bit;
  }
  return 0;
}

uint32_t D3DFormatBytesPerPixel(D3DFORMAT format) {
  switch (format) {
    case D3DFMT_R8G8B8:
      return 3;
    case D3DFMT_A8R8G8B8:
    case D3DFMT_X8R8G8B8:
      return 4;
    case D3DFMT_R5G6B5:
    case D3DFMT_X1R5G5B5:
    case D3DFMT_A1R5G5B5:
    case D3DFMT_A4R4G4B4:
    case D3DFMT_A8R3G3B2:
    case D3DFMT_X4R4G4B4:
    case D3DFMT_A8L8:
      return 2;
    case D3DFMT_R3G3B2:
    case D3DFMT_A8:
    case D3DFMT_L8:
    case D3DFMT_A4L4:
      return 1;
    default:
      return 0;
  }
}

}  // namespace PM
