// The table merge of weight lists against the list's own search: the same entries in the same order and
// the same bits in every weight, whatever the lists hold.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <random>
#include <string>
#include <vector>

#include "geometry/SubDivMerge.h"
#include "geometry/SubDivReference.h"
#include "support/LogCapture.h"

namespace PM::Test {
namespace {

bool SameList(const SubDivPoint& a, const SubDivPoint& b) {
  return a.weightCount == b.weightCount &&
         std::memcmp(a.indices, b.indices, sizeof(int32_t) * size_t(a.weightCount)) == 0 &&
         std::memcmp(a.weights, b.weights, sizeof(float) * size_t(a.weightCount)) == 0;
}

TEST(SubDivMerge, GivesTheListsOfTheSearchingMerge) {
  struct Case {
    const char* what;
    int tableSize;    // indices below are looked up in the table
    int indexSpread;  // indices drawn from [offset, offset + spread)
    int indexOffset;
    int startCount;  // entries of the target before the merge (duplicates possible)
    int lists, listCount;
  };
  const Case cases[] = {
      {"indices in the table", 64, 40, 0, 6, 12, 9},   {"an empty start", 64, 30, 0, 0, 8, 10},
      {"indices past the table", 16, 40, 0, 5, 10, 8}, {"negative indices", 64, 40, -20, 5, 10, 8},
      {"no table at all", 0, 40, 0, 5, 10, 8},         {"more than 26 distinct indices", 1000, 1000, 0, 10, 12, 12},
  };
  std::mt19937 rng(7);
  for (const Case& c : cases) {
    for (int round = 0; round < 20; ++round) {
      const SubDivPoint start = RandomList(rng, c.startCount, c.indexSpread, c.indexOffset);
      std::vector<SubDivPoint> lists;
      std::vector<float> factors;
      for (int l = 0; l < c.lists; ++l) {
        lists.push_back(RandomList(rng, c.listCount, c.indexSpread, c.indexOffset));
        factors.push_back(l % 3 == 0 ? 1.0f : float(l) * 0.37f);
      }
      SubDivPoint searched = start, merged = start;
      LogCapture log;
      for (size_t l = 0; l < lists.size(); ++l) searched.AddScaled(lists[l], factors[l]);
      const std::string searchLines = log.Take();
      SubDivMerge merge(c.tableSize);
      // Twice through one table: the first target must leave nothing behind.
      for (int pass = 0; pass < 2; ++pass) {
        merged = start;
        merge.Begin(merged);
        for (size_t l = 0; l < lists.size(); ++l) merge.AddScaled(lists[l], factors[l]);
        merge.End();
      }
      EXPECT_TRUE(SameList(searched, merged)) << c.what << ", round " << round;
      EXPECT_EQ(log.Take(), searchLines + searchLines) << c.what;
    }
  }
}

TEST(SubDivMerge, NarrowListsMergeAsTheSearchingMerge) {
  // Packed 16-bit lists are looked up in a table of every 16-bit index, whatever the table was made
  // for: their merge must still be the search's, next to target entries the table does not cover.
  struct Case {
    const char* what;
    int tableSize;
    int startSpread, startOffset;  // the target's own entries
    int listSpread;                // the lists' indices, from 65,536 - spread up
    int listCount;
  };
  const Case cases[] = {
      {"a table smaller than the indices", 16, 40, 65536 - 40, 40, 9},
      {"duplicates in the target", 70000, 6, 65536 - 6, 6, 5},
      {"target entries outside 16 bits", 100, 20, 65536 - 10, 20, 8},
      {"negative target entries", 100, 20, -10, 20, 8},
      {"more than 26 distinct indices", 100, 1000, 65536 - 1000, 1000, 14},
  };
  std::mt19937 rng(11);
  for (const Case& c : cases) {
    for (int round = 0; round < 20; ++round) {
      const SubDivPoint start = RandomList(rng, 8, c.startSpread, c.startOffset);
      // Lists of every remainder by four, the last cut to one entry.
      std::vector<SubDivPoint> lists;
      for (int l = 0; l < 10; ++l) {
        lists.push_back(RandomList(rng, c.listCount, c.listSpread, 65536 - c.listSpread));
        SubDivPoint& cut = lists.back();
        cut.weightCount = int8_t(l == 9 ? std::min(1, int(cut.weightCount)) : std::max(0, cut.weightCount - l % 4));
      }
      SubDivPoint searched = start;
      LogCapture log;
      for (size_t l = 0; l < lists.size(); ++l) searched.AddScaled(lists[l], 0.7f * float(l));
      const std::string searchLines = log.Take();
      SubDivMerge merge(c.tableSize);
      // One entry at a time, then two at a time (for lists the target mostly holds), through one table.
      for (const bool held : {false, true}) {
        SubDivPoint merged = start;
        merge.Begin(merged);
        for (size_t l = 0; l < lists.size(); ++l) {
          std::vector<SubDivNarrowWeight> packed;
          for (int k = 0; k < lists[l].weightCount; ++k)
            packed.push_back({uint16_t(lists[l].indices[k]), lists[l].weights[k]});
          if (held)
            merge.AddScaledHeld(packed.data(), int(packed.size()), 0.7f * float(l));
          else
            merge.AddScaled(packed.data(), int(packed.size()), 0.7f * float(l));
        }
        merge.End();
        EXPECT_TRUE(SameList(searched, merged)) << c.what << ", round " << round << (held ? ", two at a time" : "");
        EXPECT_EQ(log.Take(), searchLines) << c.what << (held ? ", two at a time" : "");
      }
    }
  }
}

TEST(SubDivMerge, OpenTargetMergesAsTheSearchingMerge) {
  // One Open from the Begin to the End keeps the count in the caller's hands: narrow lists (one and
  // two entries a step) and wide ones (through the target's own count) taken in turn must give the
  // search's list, and every entry past the room its own line, by the End.
  struct Case {
    const char* what;
    int startCount, listSpread, listCount;
  };
  const Case cases[] = {
      {"few distinct indices", 8, 30, 9},
      {"more than 26 distinct indices", 20, 1000, 14},
      {"an empty start", 0, 60, 11},
  };
  std::mt19937 rng(23);
  for (const Case& c : cases) {
    for (int round = 0; round < 20; ++round) {
      const SubDivPoint start = RandomList(rng, c.startCount, c.listSpread, 65536 - c.listSpread);
      std::vector<SubDivPoint> lists;
      for (int l = 0; l < 9; ++l) {
        lists.push_back(RandomList(rng, c.listCount, c.listSpread, 65536 - c.listSpread));
        lists.back().weightCount = int8_t(std::max(0, lists.back().weightCount - l % 4));
      }
      SubDivPoint searched = start;
      LogCapture log;
      for (size_t l = 0; l < lists.size(); ++l) searched.AddScaled(lists[l], 0.3f + float(l));
      const std::string searchLines = log.Take();
      SubDivMerge merge(70000);
      SubDivPoint merged = start;
      merge.Begin(merged);
      SubDivMerge::Open o = merge.Opened();
      for (size_t l = 0; l < lists.size(); ++l) {
        std::vector<SubDivNarrowWeight> narrow;
        std::vector<SubDivWeight> wide;
        for (int k = 0; k < lists[l].weightCount; ++k) {
          narrow.push_back({uint16_t(lists[l].indices[k]), lists[l].weights[k]});
          wide.push_back({lists[l].indices[k], lists[l].weights[k]});
        }
        const float factor = 0.3f + float(l);
        if (l % 3 == 0)
          merge.AddScaled(o, narrow.data(), int(narrow.size()), factor);
        else if (l % 3 == 1)
          merge.AddScaledHeld(o, narrow.data(), int(narrow.size()), factor);
        else
          merge.AddScaled(o, wide.data(), int(wide.size()), factor);
      }
      merge.End(o);
      EXPECT_TRUE(SameList(searched, merged)) << c.what << ", round " << round;
      EXPECT_EQ(log.Take(), searchLines) << c.what << ", round " << round;
    }
  }
}

TEST(SubDivMerge, EndClearsEveryEntryOfEveryLength) {
  // The End clears the table entry by entry, the entries past a multiple of four apart: whatever the
  // copied start and the appended entries come to, every index they set is clear for the next target
  // (a start that meets one still set is not distinct), and nothing past the list is touched (an index
  // far outside the table lies there).
  SubDivMerge merge(2000);
  for (int copied = 0; copied <= 13; ++copied) {
    for (int appended = 0; copied + appended <= kSubDivMaxWeights; ++appended) {
      std::vector<SubDivNarrowWeight> start, added, all;
      for (int k = 0; k < copied; ++k) start.push_back({uint16_t(100 + 7 * k), 0.5f});
      for (int k = 0; k < appended; ++k) added.push_back({uint16_t(1000 + 3 * k), 0.25f});
      all = start;
      all.insert(all.end(), added.begin(), added.end());
      SubDivPoint target{};
      std::fill(std::begin(target.indices), std::end(target.indices), int32_t(1) << 30);
      ASSERT_TRUE(merge.BeginCopy(target, start.data(), copied)) << copied << "+" << appended;
      SubDivMerge::Open o = merge.Opened();
      merge.AddScaled(o, added.data(), appended, 2.0f);
      merge.End(o);
      ASSERT_EQ(target.weightCount, copied + appended);
      SubDivPoint again{};
      EXPECT_TRUE(merge.BeginCopy(again, all.data(), int(all.size()))) << copied << "+" << appended;
      merge.End();
    }
  }
}

TEST(SubDivMerge, ScalingEndIsEndThenScale) {
  // The End that scales the list as it clears the table (and the one that packs it too) gives every
  // weight of End then Scale, bit for bit, at every length (odd entry, pair and lanes of four), with
  // every index clear for the next target; a target holding an index outside the table (or one
  // twice) takes the checked clearing.
  SubDivMerge merge(2000);
  std::mt19937 rng(17);
  std::uniform_real_distribution<float> weight(-3.0f, 3.0f);
  for (const bool outside : {false, true}) {
    for (int count = 0; count <= kSubDivMaxWeights; ++count) {
      std::vector<SubDivWeight> start;
      for (int k = 0; k < count; ++k)
        start.push_back({outside && k == count / 2 ? 70000 + k : 100 + 7 * k, weight(rng)});
      const float factor = 1.0f / float(count % 7 + 3);
      SubDivPoint want{}, got{};
      merge.BeginCopy(want, start.data(), count);
      SubDivMerge::Open o = merge.Opened();
      merge.End(o);
      want.Scale(factor);
      merge.BeginCopy(got, start.data(), count);
      o = merge.Opened();
      merge.End(o, factor);
      EXPECT_TRUE(SameList(got, want)) << count << (outside ? ", outside" : "");
      SubDivPoint again{};
      EXPECT_EQ(merge.BeginCopy(again, start.data(), count), !outside || count == 0) << count;
      merge.End();
      // The End that packs as well: the same list, and its entries with 16-bit indices (an index
      // that does not fit them is cut to its low bits, as the caller vouches that none comes).
      SubDivPoint packedToo{};
      std::vector<SubDivNarrowWeight> packed(size_t(count) + 1, SubDivNarrowWeight{7, -1.0f});
      merge.BeginCopy(packedToo, start.data(), count);
      o = merge.Opened();
      merge.End(o, factor, packed.data());
      EXPECT_TRUE(SameList(packedToo, want)) << count;
      for (int k = 0; k < count; ++k) {
        EXPECT_EQ(packed[size_t(k)].index, uint16_t(want.indices[k])) << count << ", " << k;
        EXPECT_EQ(std::memcmp(&packed[size_t(k)].weight, &want.weights[k], sizeof(float)), 0) << count << ", " << k;
      }
      EXPECT_EQ(packed[size_t(count)].index, 7) << count;  // nothing past the list
      EXPECT_EQ(merge.BeginCopy(again, start.data(), count), !outside || count == 0) << count;
      merge.End();
    }
  }
}

TEST(SubDivMerge, NarrowCopiesStartAsTheCopyAndScaling) {
  // The narrow copies that open a merge without the word on distinct indices, or with the weights
  // scaled and kept aside, leave the target, the table and the word as BeginCopy followed by Scale;
  // a merge after them (and the next target through the table) is the search's.
  struct Case {
    const char* what;
    std::vector<uint16_t> own;
  };
  std::vector<uint16_t> full;
  for (int i = 0; i < kSubDivMaxWeights; ++i) full.push_back(uint16_t(2 * i));
  const Case cases[] = {
      {"distinct indices", {3, 9, 0, 15, 7, 65535}},
      {"an empty list", {}},
      {"an index twice", {3, 9, 3, 15, 3}},
      {"one entry", {12}},
      {"a full list", full},
  };
  std::mt19937 rng(9);
  for (const Case& c : cases) {
    std::vector<SubDivNarrowWeight> packed;
    SubDivPoint own{};
    for (size_t i = 0; i < c.own.size(); ++i) {
      const uint16_t index = c.own[i];
      packed.push_back({index, std::uniform_real_distribution<float>(-1.0f, 1.0f)(rng)});
      own.indices[own.weightCount] = index;
      own.weights[own.weightCount++] = packed.back().weight;
    }
    const int n = int(packed.size());
    const SubDivPoint other = RandomList(rng, 9, 16, 0);
    for (const float factor : {-1.0f, 0.0f, 1.0f, 3.0f, 1.0f / 3.0f}) {
      SubDivPoint want = own;
      want.Scale(factor);
      want.AddScaled(other, 0.25f);
      SubDivMerge merge(16);
      SubDivMerge reference(16);
      for (int pass = 0; pass < 2; ++pass) {
        SubDivPoint plain = RandomList(rng, 20, 40, 0), scaled = plain, copied = plain;  // stale entries
        float kept[kSubDivMaxWeights];
        const bool distinct = reference.BeginCopy(copied, packed.data(), n);
        reference.End();
        EXPECT_EQ(merge.BeginCopyScaled(scaled, packed.data(), n, factor, kept), distinct) << c.what;
        EXPECT_EQ(std::memcmp(kept, own.weights, sizeof(float) * size_t(n)), 0) << c.what;
        merge.AddScaled(other, 0.25f);
        merge.End();
        EXPECT_TRUE(SameList(want, scaled)) << c.what << ", factor " << factor << ", pass " << pass;
        merge.BeginCopyPlain(plain, packed.data(), n);
        plain.Scale(factor);
        merge.AddScaled(other, 0.25f);
        merge.End();
        EXPECT_TRUE(SameList(want, plain)) << c.what << ", factor " << factor << ", pass " << pass;
      }
    }
  }
}

TEST(SubDivMerge, CopiedStartTellsWhenItsOwnListAddsInPlace) {
  // BeginCopy starts the target as a packed list and reports whether that list may later be added at
  // positions 0 to n - 1: only while its indices are distinct and all in the table. Either way the
  // merge that follows, and the next target through the same table, must be the search's.
  struct Case {
    const char* what;
    std::vector<int32_t> own;
    bool inPlace;
  };
  const Case cases[] = {
      {"distinct indices in the table", {3, 9, 0, 15, 7}, true},
      {"an empty list", {}, true},
      {"an index twice", {3, 9, 3, 15}, false},
      {"an index past the table", {3, 9, 70000, 15}, false},  // it covers every 16-bit index
      {"a negative index", {3, -1, 9}, false},
  };
  std::mt19937 rng(5);
  for (const Case& c : cases) {
    SubDivPoint own{};
    std::vector<SubDivWeight> packed;
    for (int32_t index : c.own) {
      own.indices[own.weightCount] = index;
      own.weights[own.weightCount] = std::uniform_real_distribution<float>(-1.0f, 1.0f)(rng);
      packed.push_back({index, own.weights[own.weightCount++]});
    }
    const SubDivPoint other = RandomList(rng, 9, 16, 0);
    SubDivPoint searched = own;
    searched.AddScaled(other, 0.25f);
    searched.AddScaled(own, 0.25f);
    SubDivMerge merge(16);
    for (int pass = 0; pass < 2; ++pass) {
      SubDivPoint merged = RandomList(rng, 20, 40, 0);  // stale entries the copy replaces
      const int n = int(packed.size());
      EXPECT_EQ(merge.BeginCopy(merged, packed.data(), n), c.inPlace) << c.what;
      merge.AddScaled(other, 0.25f);
      if (c.inPlace)
        merge.AddInPlace(packed.data(), n, 0.25f);
      else
        merge.AddScaled(packed.data(), n, 0.25f);
      merge.End();
      EXPECT_TRUE(SameList(searched, merged)) << c.what << ", pass " << pass;
    }
  }
}

TEST(SubDivMerge, OwnWeightsAddInPlaceAsTheirEntries) {
  // A list's weights kept aside add in place, a vector at a time, with the bits of its entries added one
  // by one; lengths around the vector widths, and weights whose sums round, cancel or stay -0.
  std::mt19937 rng(3);
  for (int n = 0; n <= kSubDivMaxWeights; ++n) {
    SubDivPoint own = RandomList(rng, n, 1000, 0);
    for (int i = 0; i < n; ++i) own.indices[i] = i * 37;  // distinct, so the copy adds in place
    for (int i = 0; i < n; i += 5) own.weights[i] = i % 2 ? -0.0f : -own.weights[(i + 1) % n];
    std::vector<SubDivWeight> packed;
    for (int i = 0; i < own.weightCount; ++i) packed.push_back({own.indices[i], own.weights[i]});
    const int count = own.weightCount;
    const SubDivPoint other = RandomList(rng, 12, 1000, 0);
    SubDivPoint byEntries{}, byWeights{};
    SubDivMerge merge(1000);
    for (SubDivPoint* target : {&byEntries, &byWeights}) {
      ASSERT_TRUE(merge.BeginCopy(*target, packed.data(), count)) << n;
      target->Scale(-1.0f);
      merge.AddScaled(other, 0.3f);
      for (int edge = 0; edge < 3; ++edge) {
        if (target == &byEntries)
          merge.AddInPlace(packed.data(), count, 1.0f / 3.0f);
        else
          merge.AddInPlace(own.weights, count, 1.0f / 3.0f);
      }
      merge.End();
    }
    EXPECT_TRUE(SameList(byEntries, byWeights)) << n;
  }
}

}  // namespace
}  // namespace PM::Test
