#include "render/d3d8/ColorBufferRows.h"

namespace PM {

namespace {

// GetBufferSize's pixel-format codes: bytes per pixel in bits 8..10, 0x800 for alpha, the layout below.
struct BufferFormatRow {
  D3DFORMAT format;
  uint32_t code;
};
constexpr BufferFormatRow kBufferFormats[] = {
    {D3DFMT_R8G8B8, 0x309},   {D3DFMT_A8R8G8B8, 0xC11}, {D3DFMT_X8R8G8B8, 0x410},
    {D3DFMT_R5G6B5, 0x205},   {D3DFMT_X1R5G5B5, 0x206}, {D3DFMT_A1R5G5B5, 0xA07},
    {D3DFMT_A4R4G4B4, 0xA03}, {D3DFMT_X4R4G4B4, 0x202}, {D3DFMT_A2B10G10R10, 0xC13},
};

// A 5- or 6-bit channel widened to 8 bits by repeating its top bits.
uint8_t Expand5(uint32_t v) { return uint8_t(v << 3 | v >> 2); }
uint8_t Expand6(uint32_t v) { return uint8_t(v << 2 | v >> 4); }

}  // namespace

uint32_t BufferFormatCode(D3DFORMAT format) {
  for (const BufferFormatRow& r : kBufferFormats)
    if (r.format == format) return r.code;
  return 0;
}

void ConvertColorBufferRow(uint32_t code, const uint8_t* row, uint8_t* rgb, int32_t count) {
  for (int32_t i = 0; i < count; ++i, rgb += 3) {
    switch (code) {
      case 0x205: {
        const uint32_t p = uint32_t(row[2 * i]) | uint32_t(row[2 * i + 1]) << 8;
        rgb[0] = Expand5(p >> 11 & 31), rgb[1] = Expand6(p >> 5 & 63), rgb[2] = Expand5(p & 31);
        break;
      }
      case 0x206:
      case 0xA07: {  // the alpha bit of A1R5G5B5 is not part of the picture
        const uint32_t p = uint32_t(row[2 * i]) | uint32_t(row[2 * i + 1]) << 8;
        rgb[0] = Expand5(p >> 10 & 31), rgb[1] = Expand5(p >> 5 & 31), rgb[2] = Expand5(p & 31);
        break;
      }
      case 0x309:
        rgb[0] = row[3 * i + 2], rgb[1] = row[3 * i + 1], rgb[2] = row[3 * i];
        break;
      case 0x410:
      case 0xC11:
        rgb[0] = row[4 * i + 2], rgb[1] = row[4 * i + 1], rgb[2] = row[4 * i];
        break;
      default:
        rgb[0] = rgb[1] = rgb[2] = 0;
        break;
    }
  }
}

}  // namespace PM
