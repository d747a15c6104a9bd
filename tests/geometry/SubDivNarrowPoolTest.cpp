// Packs kept in 16 bits while their indices fit: read back, merged and stepped exactly as the 32-bit
// packs, on both sides of the 65,536 bound and across the widening of a pack half built.
#include <gtest/gtest.h>

#include <random>
#include <vector>

#include "geometry/SubDivMerge.h"
#include "geometry/SubDivReference.h"
#include "geometry/SubDivTestMesh.h"
#include "geometry/SubDivWeightPool.h"

namespace PM::Test {
namespace {

TEST(SubDivNarrowPool, ReadsAndMergesAsTheWidePool) {
  struct Case {
    const char* what;
    int indexOffset;  // of the last lists; the first ones stay in 16 bits
    bool wide;        // what the narrow pool ends as
  };
  const Case cases[] = {{"indices up to 65,535", 65535 - 39, false},
                        {"an index of 65,536 after narrow lists", 65536 - 39, true},
                        {"a negative index after narrow lists", -3, true}};
  std::mt19937 rng(5);
  for (const Case& c : cases) {
    Array<SubDivPoint> lists;
    for (int l = 0; l < 6; ++l) lists.Append(RandomList(rng, 3 + l, 40, 0));
    for (int l = 0; l < 6; ++l) lists.Append(RandomList(rng, 20, 40, c.indexOffset));
    lists.Append(RandomList(rng, 0, 1, 0));
    SubDivWeightPool narrow(lists.Count(), true);
    // Places taken as the lists go in, as a step keeps its face points': still each list's after the
    // pack widens.
    std::vector<size_t> places;
    for (const SubDivPoint& p : lists) {
      places.push_back(narrow.Place(narrow.ListCount()));
      narrow.Add(p);
    }
    const SubDivWeightPool wide(lists);
    EXPECT_EQ(narrow.IsWide(), c.wide) << c.what;
    SubDivPoint fromWide = RandomList(rng, 4, 40, 0), fromNarrow = fromWide;
    SubDivMerge merge(100);
    merge.Begin(fromWide);
    for (int l = 0; l < lists.Count(); ++l) merge.AddScaled(wide.Entries(l), wide.Count(l), 0.3f * float(l));
    merge.End();
    merge.Begin(fromNarrow);
    for (int l = 0; l < lists.Count(); ++l) {
      SubDivPoint back{};
      narrow.With(l, [&](const auto* entries, int n) {
        back.CopyEntries(entries, n);
        merge.AddScaled(entries, n, 0.3f * float(l));
      });
      EXPECT_TRUE(SameBits(back, lists[l])) << c.what << ", list " << l;
      SubDivPoint at{};
      narrow.WithAt(places[size_t(l)], lists[l].weightCount,
                    [&](const auto* entries, int n) { at.CopyEntries(entries, n); });
      EXPECT_TRUE(SameBits(at, lists[l])) << c.what << ", list " << l << " from its place";
    }
    merge.End();
    EXPECT_TRUE(SameBits(fromNarrow, fromWide)) << c.what;
  }
}

TEST(SubDivNarrowPool, ListsWrittenAtTheRoomReadAsAddedOnes) {
  // Lists of every length written in place (NarrowRoom, AddNarrow) between lists added, empty ones
  // among them: each reads back from its place and its number as the pool of added lists holds it.
  std::mt19937 rng(21);
  Array<SubDivPoint> lists;
  for (int l = 0; l <= kSubDivMaxWeights; ++l) lists.Append(RandomList(rng, l, 65536, 0));
  SubDivWeightPool added(lists.Count(), true), written(lists.Count(), true);
  for (int l = 0; l < lists.Count(); ++l) {
    const SubDivPoint& p = lists[l];
    added.Add(p);
    const size_t place = written.Place(l);
    if (l % 3 == 0) {
      written.Add(p);
    } else {
      SubDivNarrowWeight* room = written.NarrowRoom();
      for (int k = 0; k < p.weightCount; ++k) room[k] = {uint16_t(p.indices[k]), p.weights[k]};
      written.AddNarrow(p.weightCount);
    }
    EXPECT_EQ(written.Place(l), place) << l;
  }
  ASSERT_FALSE(written.IsWide());
  ASSERT_EQ(written.ListCount(), added.ListCount());
  for (int l = 0; l < lists.Count(); ++l) {
    SubDivPoint a{}, b{};
    added.With(l, [&](const auto* entries, int n) { a.CopyEntries(entries, n); });
    written.WithAt(written.Place(l), written.Count(l), [&](const auto* entries, int n) { b.CopyEntries(entries, n); });
    EXPECT_TRUE(SameBits(b, a)) << l;
    EXPECT_TRUE(SameBits(b, lists[l])) << l;
  }
}

TEST(SubDivNarrowPool, StepsOnEitherSideOfTheBoundEqualTheUnshiftedOnes) {
  // The same mesh with every base index moved up by `shift`: its levels must be the plain mesh's with
  // the same shift, bit for bit. The largest index is 65,535 (every pack narrow) or 65,536 (the packs
  // widen when they reach it), and the merge table covers none of them.
  const TestMesh mesh = CubeSphere(5);
  const int count = int(mesh.positions.size());
  for (const int shift : {65535 - (count - 1), 65536 - (count - 1)}) {
    SubDivStructure plain[3] = {BuildStructure(mesh), {}, {}}, moved[3] = {BuildStructure(mesh), {}, {}};
    for (SubDivPoint& p : moved[0].Points) p.indices[0] += shift;
    for (int l = 0; l < 2; ++l) {
      plain[l].SubDivide(plain[l + 1], "plain");
      moved[l].SubDivide(moved[l + 1], "moved");
    }
    ASSERT_TRUE(plain[2].ProjectToLimit());
    ASSERT_TRUE(moved[2].ProjectToLimit());
    for (int l = 1; l < 3; ++l) {
      ASSERT_EQ(moved[l].Points.Count(), plain[l].Points.Count());
      int differ = 0;
      for (int v = 0; v < plain[l].Points.Count(); ++v) {
        SubDivPoint back = moved[l].Points[v];
        for (int i = 0; i < back.weightCount; ++i) back.indices[i] -= shift;
        differ += !SameBits(back, plain[l].Points[v]);
      }
      EXPECT_EQ(differ, 0) << "shift " << shift << ", level " << l;
    }
  }
}

}  // namespace
}  // namespace PM::Test
