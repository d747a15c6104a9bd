// StripifyTriangles on arbitrary index lists: the output must draw exactly the input's triangles with their
// winding, less degenerate ones and exact repeats; a negative index must be refused with empty outputs.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <cstring>

#include "../tests/geometry/StripDecode.h"
#include "core/Log.h"
#include "geometry/Stripifier.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  PM::g_LogLevel = 7;  // fins and refusals are expected; keep the run quiet
  // The first byte picks the index width: small indices make shared edges likely, full words reach the extremes.
  if (size < 1) return 0;
  bool wide = data[0] & 1;
  std::vector<int32_t> in;
  for (size_t i = 1; wide ? i + 4 <= size : i < size; i += wide ? 4 : 1) {
    int32_t v;
    if (wide)
      std::memcpy(&v, data + i, 4);
    else
      v = data[i] & 0x3F;
    in.push_back(v);
  }
  PM::Array<int32_t> a, lengths, out;
  for (int32_t v : in) a.Append(v);
  bool ok = PM::StripifyTriangles(a, lengths, out);
  bool negative = false;
  for (size_t i = 0; i < in.size() / 3 * 3; ++i) negative = negative || in[i] < 0;
  if (negative) {
    if (ok || out.Count() || lengths.Count()) abort();
    return 0;
  }
  std::vector<PM::Test::Tri> drawn;
  if (!ok || !PM::Test::DecodeStrip(std::vector<int32_t>(out.begin(), out.end()),
                                    std::vector<int32_t>(lengths.begin(), lengths.end()), drawn))
    abort();
  if (drawn != PM::Test::ExpectedTriangles(in)) abort();
  return 0;
}
