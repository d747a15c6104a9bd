// JPEG 2000 codestreams written byte by byte: a main header declaring whatever sizes, code blocks, layers
// and precincts a test wants, one tile-part and zero bytes of packet data. Headers of a hundred bytes can
// declare gigabytes of work; these are the hostile files the readers must weigh before decoding.
#pragma once

#include <cstdint>
#include <string>

namespace PM::Test {

struct Jp2Header {
  uint32_t width = 64, height = 64;
  int components = 1;
  int layers = 1;
  int levels = 5;             // decomposition levels: resolutions - 1
  int blockExponent = 6;      // code blocks of 2^e x 2^e
  int precinctExponent = -1;  // -1: the default (no precinct sizes given)
  int progression = 0;        // 0 LRCP, 2 RPCL
  size_t dataBytes = 8;
  int tileLayers = 0;  // above 0: the tile-part header carries its own COD with these layers
};

inline std::string Jp2Codestream(const Jp2Header& h) {
  std::string s;
  auto u8 = [&s](unsigned v) { s += char(uint8_t(v)); };
  auto u16 = [&](unsigned v) { u8(v >> 8), u8(v); };
  auto u32 = [&](uint32_t v) { u16(v >> 16), u16(v & 0xFFFF); };
  u16(0xFF4F);  // SOC
  u16(0xFF51), u16(38 + 3 * h.components), u16(0);
  for (uint32_t v : {h.width, h.height, 0u, 0u, h.width, h.height, 0u, 0u}) u32(v);
  u16(h.components);
  for (int c = 0; c < h.components; ++c) u8(7), u8(1), u8(1);  // 8-bit unsigned, not subsampled
  const bool precincts = h.precinctExponent >= 0;
  auto cod = [&](int layers) {
    u16(0xFF52), u16(12 + (precincts ? h.levels + 1 : 0));
    u8(precincts ? 1 : 0), u8(h.progression), u16(layers), u8(0);
    u8(h.levels), u8(h.blockExponent - 2), u8(h.blockExponent - 2), u8(0), u8(1);
    for (int r = 0; precincts && r <= h.levels; ++r) u8(h.precinctExponent | h.precinctExponent << 4);
  };
  cod(h.layers);
  u16(0xFF5C), u16(3 + 3 * h.levels + 1), u8(0x40);  // no quantisation, two guard bits
  for (int b = 0; b < 3 * h.levels + 1; ++b) u8(8 << 3);
  u16(0xFF90), u16(10), u16(0), u32(0), u8(0), u8(1);  // SOT: tile 0, up to the end
  if (h.tileLayers > 0) cod(h.tileLayers);
  u16(0xFF93);
  s.append(h.dataBytes, '\0');
  u16(0xFFD9);
  return s;
}

}  // namespace PM::Test
