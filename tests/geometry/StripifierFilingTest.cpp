// Faces and edges of a crowded mesh are filed under their least used vertex: a face repeated in its exact order
// is still found and dropped, while the same triangle in another order (a rotation, which files under the same
// vertex with the same two others) is kept, as the transcription does.
#include <gtest/gtest.h>

#include <random>

#include "geometry/StripifierReference.h"
#include "support/LogCapture.h"

namespace PM::Test {

StripResult Stripify(const std::vector<int32_t>& in, bool* ok = nullptr);
std::vector<int32_t> CrowdedMesh(std::mt19937& rng);

TEST(StripifierFiling, RepeatsAndRotationsAtCrowdedVerticesGiveTheTranscriptionsOutput) {
  LogCapture quiet;  // crowded edges warn
  std::mt19937 rng(69);
  for (int n = 0; n < 12; ++n) {
    std::vector<int32_t> crowded = CrowdedMesh(rng), mesh;
    for (size_t f = 0; f + 2 < crowded.size(); f += 3) {
      int32_t a = crowded[f], b = crowded[f + 1], c = crowded[f + 2];
      mesh.insert(mesh.end(), {a, b, c});
      switch (rng() % 8) {
        case 0:
          mesh.insert(mesh.end(), {a, b, c});
          break;  // dropped
        case 1:
          mesh.insert(mesh.end(), {b, c, a});
          break;  // kept
        case 2:
          mesh.insert(mesh.end(), {c, a, b});
          break;  // kept
        default:
          break;
      }
    }
    StripResult fast = Stripify(mesh), plain = ReferenceStripify(mesh);
    ASSERT_EQ(fast.lengths, plain.lengths) << "mesh " << n;
    ASSERT_EQ(fast.indices, plain.indices) << "mesh " << n;
  }
}

}  // namespace PM::Test
