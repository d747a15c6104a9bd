// Reading a stitched strip back into triangles: the strip part with every odd triangle flipped and degenerate
// ones skipped, then the plain list part; triangles compared up to rotation, so winding counts.
#pragma once

#include <algorithm>
#include <array>
#include <cstdint>
#include <set>
#include <vector>

namespace PM::Test {

using Tri = std::array<int32_t, 3>;

inline Tri Canonical(int32_t a, int32_t b, int32_t c) {
  if (b < a && b < c) return {b, c, a};
  if (c < a && c < b) return {c, a, b};
  return {a, b, c};
}

// The triangles a strip-and-triangles primitive draws, sorted; false when the lengths don't fit the indices.
inline bool DecodeStrip(const std::vector<int32_t>& out, const std::vector<int32_t>& lengths, std::vector<Tri>& tris) {
  tris.clear();
  if (lengths.size() != 2 || lengths[0] < 0 || lengths[1] < 0 || lengths[1] % 3 != 0 ||
      size_t(lengths[0]) + size_t(lengths[1]) != out.size())
    return false;
  for (int32_t i = 0; i + 2 < lengths[0]; ++i) {
    int32_t a = out[i], b = out[i + 1], c = out[i + 2];
    if (i % 2) std::swap(a, b);
    if (a != b && b != c && a != c) tris.push_back(Canonical(a, b, c));
  }
  for (size_t i = size_t(lengths[0]); i + 2 < out.size(); i += 3)
    tris.push_back(Canonical(out[i], out[i + 1], out[i + 2]));
  std::sort(tris.begin(), tris.end());
  return true;
}

// What the stripifier must draw for `in`: its non-degenerate triples less repeats in the same order, sorted.
inline std::vector<Tri> ExpectedTriangles(const std::vector<int32_t>& in) {
  std::set<Tri> seen;
  std::vector<Tri> tris;
  for (size_t i = 0; i + 2 < in.size(); i += 3) {
    Tri t{in[i], in[i + 1], in[i + 2]};
    if (t[0] == t[1] || t[1] == t[2] || t[0] == t[2] || !seen.insert(t).second) continue;
    tris.push_back(Canonical(t[0], t[1], t[2]));
  }
  std::sort(tris.begin(), tris.end());
  return tris;
}

}  // namespace PM::Test
