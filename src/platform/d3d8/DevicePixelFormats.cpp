#include "platform/d3d8/DevicePixelFormats.h"

namespace PM::SoftD3D {

namespace {

const FormatInfo kFormats[] = {
    {D3DFMT_R8G8B8, FormatKind::kColor, 3, 0, 0},
    {D3DFMT_A8R8G8B8, FormatKind::kColor, 4, 0, 0},
    {D3DFMT_X8R8G8B8, FormatKind::kColor, 4, 0, 0},
    {D3DFMT_R5G6B5, FormatKind::kColor, 2, 0, 0},
    {D3DFMT_X1R5G5B5, FormatKind::kColor, 2, 0, 0},
    {D3DFMT_A1R5G5B5, FormatKind::kColor, 2, 0, 0},
    {D3DFMT_A4R4G4B4, FormatKind::kColor, 2, 0, 0},
    {D3DFMT_R3G3B2, FormatKind::kColor, 1, 0, 0},
    {D3DFMT_A8, FormatKind::kColor, 1, 0, 0},
    {D3DFMT_A8R3G3B2, FormatKind::kColor, 2, 0, 0},
    {D3DFMT_X4R4G4B4, FormatKind::kColor, 2, 0, 0},
    {D3DFMT_L8, FormatKind::kColor, 1, 0, 0},
    {D3DFMT_A8L8, FormatKind::kColor, 2, 0, 0},
    {D3DFMT_A4L4, FormatKind::kColor, 1, 0, 0},
    {D3DFMT_D16_LOCKABLE, FormatKind::kDepth, 2, 16, 0},
    {D3DFMT_D32, FormatKind::kDepth, 4, 32, 0},
    {D3DFMT_D15S1, FormatKind::kDepth, 2, 15, 1},
    {D3DFMT_D24S8, FormatKind::kDepth, 4, 24, 8},
    {D3DFMT_D24X8, FormatKind::kDepth, 4, 24, 0},
    {D3DFMT_D24X4S4, FormatKind::kDepth, 4, 24, 4},
    {D3DFMT_D16, FormatKind::kDepth, 2, 16, 0},
};

// An n-bit channel widened to 8 bits by repeating its high bits, so that all ones stays 255.
uint32_t Widen(uint32_t v, uint32_t bits) {
  uint32_t out = v << (8 - bits);
  for (uint32_t have = bits; have < 8; have += bits) out |= out >> have;
  return out & 0xFF;
}

uint32_t Argb(uint32_t a, uint32_t r, uint32_t g, uint32_t b) { return a << 24 | r << 16 | g << 8 | b; }

}  // namespace

const FormatInfo* FindFormat(D3DFORMAT format) {
  for (const FormatInfo& f : kFormats)
    if (f.format == format) return &f;
  return nullptr;
}

bool IsTextureFormat(D3DFORMAT format) {
  const FormatInfo* f = FindFormat(format);
  return f && f->kind == FormatKind::kColor;
}

bool IsDisplayFormat(D3DFORMAT format) {
  return format == D3DFMT_X8R8G8B8 || format == D3DFMT_R5G6B5 || format == D3DFMT_A8R8G8B8;
}

uint32_t PackColor(D3DFORMAT format, uint32_t c) {
  const uint32_t a = c >> 24, r = c >> 16 & 0xFF, g = c >> 8 & 0xFF, b = c & 0xFF;
  const uint32_t y = (19969 * g + 10112 * r + 2687 * b) >> 15;
  switch (format) {
    case D3DFMT_A8R8G8B8:
      return c;
    case D3DFMT_X8R8G8B8:
      return c | 0xFF000000u;
    case D3DFMT_R8G8B8:
      return c & 0xFFFFFF;
    case D3DFMT_R5G6B5:
      return (r >> 3) << 11 | (g >> 2) << 5 | b >> 3;
    case D3DFMT_X1R5G5B5:
      return 0x8000 | (r >> 3) << 10 | (g >> 3) << 5 | b >> 3;
    case D3DFMT_A1R5G5B5:
      return (a >> 7) << 15 | (r >> 3) << 10 | (g >> 3) << 5 | b >> 3;
    case D3DFMT_A4R4G4B4:
      return (a >> 4) << 12 | (r >> 4) << 8 | (g >> 4) << 4 | b >> 4;
    case D3DFMT_X4R4G4B4:
      return 0xF000 | (r >> 4) << 8 | (g >> 4) << 4 | b >> 4;
    case D3DFMT_A8R3G3B2:
      return a << 8 | (r >> 5) << 5 | (g >> 5) << 2 | b >> 6;
    case D3DFMT_R3G3B2:
      return (r >> 5) << 5 | (g >> 5) << 2 | b >> 6;
    case D3DFMT_A8:
      return a;
    case D3DFMT_L8:
      return y;
    case D3DFMT_A8L8:
      return a << 8 | y;
    case D3DFMT_A4L4:
      return (a >> 4) << 4 | y >> 4;
    default:
      return 0;
  }
}

uint32_t UnpackColor(D3DFORMAT format, uint32_t v) {
  switch (format) {
    case D3DFMT_A8R8G8B8:
      return v;
    case D3DFMT_X8R8G8B8:
    case D3DFMT_R8G8B8:
      return v | 0xFF000000u;
    case D3DFMT_R5G6B5:
      return Argb(255, Widen(v >> 11 & 31, 5), Widen(v >> 5 & 63, 6), Widen(v & 31, 5));
    case D3DFMT_X1R5G5B5:
    case D3DFMT_A1R5G5B5:
      return Argb(format == D3DFMT_X1R5G5B5 || (v & 0x8000) ? 255 : 0, Widen(v >> 10 & 31, 5), Widen(v >> 5 & 31, 5),
                  Widen(v & 31, 5));
    case D3DFMT_A4R4G4B4:
    case D3DFMT_X4R4G4B4:
      return Argb(format == D3DFMT_X4R4G4B4 ? 255 : Widen(v >> 12 & 15, 4), Widen(v >> 8 & 15, 4),
                  Widen(v >> 4 & 15, 4), Widen(v & 15, 4));
    case D3DFMT_A8R3G3B2:
    case D3DFMT_R3G3B2:
      return Argb(format == D3DFMT_R3G3B2 ? 255 : v >> 8 & 0xFF, Widen(v >> 5 & 7, 3), Widen(v >> 2 & 7, 3),
                  Widen(v & 3, 2));
    case D3DFMT_A8:
      return Argb(v & 0xFF, 0, 0, 0);
    case D3DFMT_L8:
      return Argb(255, v & 0xFF, v & 0xFF, v & 0xFF);
    case D3DFMT_A8L8:
      return Argb(v >> 8 & 0xFF, v & 0xFF, v & 0xFF, v & 0xFF);
    case D3DFMT_A4L4: {
      const uint32_t l = Widen(v & 15, 4);
      return Argb(Widen(v >> 4 & 15, 4), l, l, l);
    }
    default:
      return 0;
  }
}

uint32_t LoadPixel(const uint8_t* p, uint32_t bytes) {
  uint32_t v = 0;
  for (uint32_t i = 0; i < bytes; ++i) v |= uint32_t(p[i]) << (8 * i);
  return v;
}

void StorePixel(uint8_t* p, uint32_t bytes, uint32_t value) {
  for (uint32_t i = 0; i < bytes; ++i) p[i] = uint8_t(value >> (8 * i));
}

}  // namespace PM::SoftD3D
