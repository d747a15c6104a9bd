#include "render/d3d8/PixelRows.h"

namespace PM {

namespace {

template <int N>
void ReadRow(uint32_t* out, const uint8_t* in, int32_t count) {
  for (int32_t i = 0; i < count; ++i, in += N) {
    if constexpr (N == 1) out[i] = 0xFF000000u + in[0] * 0x010101u;
    if constexpr (N == 2) out[i] = uint32_t(in[1]) << 24 | in[0] * 0x010101u;
    if constexpr (N == 3) out[i] = 0xFF000000u | uint32_t(in[0]) << 16 | uint32_t(in[1]) << 8 | in[2];
    if constexpr (N == 4) out[i] = uint32_t(in[3]) << 24 | uint32_t(in[0]) << 16 | uint32_t(in[1]) << 8 | in[2];
  }
}

// A writer from a packing of the four channels into `Bytes` little-endian bytes.
template <int Bytes, uint32_t (*Pack)(uint32_t a, uint32_t r, uint32_t g, uint32_t b)>
void WriteRow(uint8_t* out, const uint32_t* in, int32_t count) {
  for (int32_t i = 0; i < count; ++i, out += Bytes) {
    const uint32_t c = in[i];
    const uint32_t v = Pack(c >> 24, c >> 16 & 0xFF, c >> 8 & 0xFF, c & 0xFF);
    for (int k = 0; k < Bytes; ++k) out[k] = uint8_t(v >> (8 * k));
  }
}

constexpr uint32_t PackA8R8G8B8(uint32_t a, uint32_t r, uint32_t g, uint32_t b) {
  return a << 24 | r << 16 | g << 8 | b;
}
constexpr uint32_t PackX8R8G8B8(uint32_t, uint32_t r, uint32_t g, uint32_t b) {
  return 0xFF000000u | r << 16 | g << 8 | b;
}
constexpr uint32_t PackR8G8B8(uint32_t, uint32_t r, uint32_t g, uint32_t b) { return r << 16 | g << 8 | b; }
constexpr uint32_t PackR5G6B5(uint32_t, uint32_t r, uint32_t g, uint32_t b) {
  return (r >> 3) << 11 | (g >> 2) << 5 | b >> 3;
}
constexpr uint32_t PackX1R5G5B5(uint32_t, uint32_t r, uint32_t g, uint32_t b) {
  return 0x8000 | (r >> 3) << 10 | (g >> 3) << 5 | b >> 3;
}
constexpr uint32_t PackA1R5G5B5(uint32_t a, uint32_t r, uint32_t g, uint32_t b) {
  return (a >> 7) << 15 | (r >> 3) << 10 | (g >> 3) << 5 | b >> 3;
}
constexpr uint32_t PackA4R4G4B4(uint32_t a, uint32_t r, uint32_t g, uint32_t b) {
  return (a >> 4) << 12 | (r >> 4) << 8 | (g >> 4) << 4 | b >> 4;
}
constexpr uint32_t PackX4R4G4B4(uint32_t, uint32_t r, uint32_t g, uint32_t b) {
  return 0xF000 | (r >> 4) << 8 | (g >> 4) << 4 | b >> 4;
}
constexpr uint32_t PackA8R3G3B2(uint32_t a, uint32_t r, uint32_t g, uint32_t b) {
  return a << 8 | (r >> 5) << 5 | (g >> 5) << 2 | b >> 6;
}
constexpr uint32_t PackR3G3B2(uint32_t, uint32_t r, uint32_t g, uint32_t b) {
  return (r >> 5) << 5 | (g >> 5) << 2 | b >> 6;
}
constexpr uint32_t PackA8(uint32_t a, uint32_t, uint32_t, uint32_t) { return a; }
constexpr uint32_t PackL8(uint32_t, uint32_t r, uint32_t g, uint32_t b) { return Luminance(r, g, b); }
constexpr uint32_t PackA8L8(uint32_t a, uint32_t r, uint32_t g, uint32_t b) { return a << 8 | Luminance(r, g, b); }
constexpr uint32_t PackA4L4(uint32_t a, uint32_t r, uint32_t g, uint32_t b) {
  return (a >> 4) << 4 | Luminance(r, g, b) >> 4;
}

struct WriterRow {
  D3DFORMAT format;
  PixelRowWriter write;
};

const WriterRow kWriters[] = {
    {D3DFMT_A8R8G8B8, &WriteRow<4, PackA8R8G8B8>},
    {D3DFMT_X8R8G8B8, &WriteRow<4, PackX8R8G8B8>},
    {D3DFMT_R8G8B8, &WriteRow<3, PackR8G8B8>},
    {D3DFMT_R5G6B5, &WriteRow<2, PackR5G6B5>},
    {D3DFMT_X1R5G5B5, &WriteRow<2, PackX1R5G5B5>},
    {D3DFMT_A1R5G5B5, &WriteRow<2, PackA1R5G5B5>},
    {D3DFMT_A4R4G4B4, &WriteRow<2, PackA4R4G4B4>},
    {D3DFMT_X4R4G4B4, &WriteRow<2, PackX4R4G4B4>},
    {D3DFMT_A8R3G3B2, &WriteRow<2, PackA8R3G3B2>},
    {D3DFMT_R3G3B2, &WriteRow<1, PackR3G3B2>},
    {D3DFMT_A8, &WriteRow<1, PackA8>},
    {D3DFMT_L8, &WriteRow<1, PackL8>},
    {D3DFMT_A8L8, &WriteRow<2, PackA8L8>},
    {D3DFMT_A4L4, &WriteRow<1, PackA4L4>},
};

const PixelRowReader kReaders[] = {&ReadRow<1>, &ReadRow<2>, &ReadRow<3>, &ReadRow<4>};

}  // namespace

PixelRowReader FindPixelRowReader(int32_t bytesPerPixel) {
  return bytesPerPixel >= 1 && bytesPerPixel <= 4 ? kReaders[bytesPerPixel - 1] : nullptr;
}

PixelRowWriter FindPixelRowWriter(D3DFORMAT format) {
  for (const WriterRow& w : kWriters)
    if (w.format == format) return w.write;
  return nullptr;
}

}  // namespace PM
