// Closed shapes around crowded vertices, on which nearly every commit takes faces that the experiments of other
// start faces read, so kept experiment values and rerun ones mix in every round: the fast stripifier against the
// plain transcription, index for index.
#include <gtest/gtest.h>

#include <algorithm>
#include <random>
#include <thread>

#include "geometry/StripifierReference.h"
#include "support/LogCapture.h"

namespace PM::Test {

StripResult Stripify(const std::vector<int32_t>& in, bool* ok = nullptr);

namespace {

// A tube of `rim` columns and `rows` rows closed by a fan at each end (hubs 0 and 1); with no rows it is a
// double cone. One face in `flipEvery` runs the other way (0: none), so strips meet neighbours wound alike.
std::vector<int32_t> CappedTube(int rim, int rows, int flipEvery, bool shuffle, std::mt19937& rng) {
  auto ring = [&](int r, int i) { return int32_t(2 + r * rim + i % rim); };
  std::vector<int32_t> out;
  for (int i = 0; i < rim; ++i) out.insert(out.end(), {0, ring(0, i + 1), ring(0, i)});
  for (int r = 0; r < rows; ++r) {
    for (int i = 0; i < rim; ++i) {
      out.insert(out.end(), {ring(r, i), ring(r, i + 1), ring(r + 1, i)});
      out.insert(out.end(), {ring(r + 1, i), ring(r, i + 1), ring(r + 1, i + 1)});
    }
  }
  for (int i = 0; i < rim; ++i) out.insert(out.end(), {1, ring(rows, i), ring(rows, i + 1)});
  for (size_t f = 0; f < out.size(); f += 3)
    if (flipEvery > 0 && rng() % unsigned(flipEvery) == 0) std::swap(out[f + 1], out[f + 2]);
  if (!shuffle) return out;
  std::vector<size_t> order(out.size() / 3);
  for (size_t i = 0; i < order.size(); ++i) order[i] = i;
  std::shuffle(order.begin(), order.end(), rng);
  std::vector<int32_t> mesh;
  for (size_t i : order) mesh.insert(mesh.end(), out.begin() + long(3 * i), out.begin() + long(3 * i + 3));
  return mesh;
}

}  // namespace

TEST(StripifierRerun, CappedTubesAndDoubleConesGiveTheTranscriptionsOutput) {
  LogCapture quiet;
  std::mt19937 rng(69);
  struct Case {
    int rim, rows, flipEvery;
    bool shuffle;
  };
  const Case cases[] = {{1200, 0, 0, false}, {900, 0, 7, false}, {700, 1, 0, false}, {500, 2, 5, true},
                        {40, 30, 0, false},  {40, 30, 9, true},  {3, 200, 0, false}, {600, 0, 3, true}};
  for (const Case& c : cases) {
    std::vector<int32_t> mesh = CappedTube(c.rim, c.rows, c.flipEvery, c.shuffle, rng);
    StripResult fast = Stripify(mesh), plain = ReferenceStripify(mesh);
    ASSERT_EQ(fast.lengths, plain.lengths) << "rim " << c.rim << " rows " << c.rows;
    ASSERT_EQ(fast.indices, plain.indices) << "rim " << c.rim << " rows " << c.rows;
  }
}

// A thread keeps the samples' memos from call to call: a call on the very mesh of the last one (whose memos hold
// the same start faces) and a small mesh after a large one start afresh, as on a thread of their own.
TEST(StripifierRerun, CallsOnOneThreadStartTheirMemosAfresh) {
  LogCapture quiet;
  std::mt19937 rng(71);
  std::vector<int32_t> large = CappedTube(40, 60, 9, true, rng), small = CappedTube(12, 3, 5, false, rng);
  StripResult largeAlone, smallAlone;
  std::thread([&] { largeAlone = Stripify(large); }).join();
  std::thread([&] { smallAlone = Stripify(small); }).join();
  for (const std::vector<int32_t>* mesh : {&large, &large, &small, &small, &large}) {
    StripResult again = Stripify(*mesh);
    const StripResult& alone = mesh == &large ? largeAlone : smallAlone;
    ASSERT_EQ(again.lengths, alone.lengths);
    ASSERT_EQ(again.indices, alone.indices);
  }
  StripResult plain = ReferenceStripify(small);
  EXPECT_EQ(smallAlone.indices, plain.indices);
}

}  // namespace PM::Test
