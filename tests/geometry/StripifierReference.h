// A plain transcription of the stripifier with linear scans and quadratic orderings, against which the fast
// one is checked index for index.
#pragma once

#include <cstdint>
#include <vector>

namespace PM::Test {

struct StripResult {
  std::vector<int32_t> indices;
  std::vector<int32_t> lengths;
};

StripResult ReferenceStripify(const std::vector<int32_t>& in);

}  // namespace PM::Test
