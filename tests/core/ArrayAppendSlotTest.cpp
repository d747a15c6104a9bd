// Array::AppendSlot: an element built in place grows the array exactly as Append does.
#include <vector>

#include "core/Array.h"
#include "support/TestEnv.h"

namespace PM {
namespace {

using ArrayAppendSlot = Test::BlockCheckedTest;

struct Record {
  int32_t a, b, c;
};

// The capacities an array passes through while `count` elements are appended one way or the other,
// after a start of `reserved` (0: none).
template <class AppendFn>
std::vector<int> Capacities(Array<Record>& r, int reserved, int count, AppendFn&& append) {
  if (reserved) r.Reserve(reserved);
  std::vector<int> caps{r.Capacity()};
  for (int i = 0; i < count; ++i) {
    append(r, i);
    if (r.Capacity() != caps.back()) caps.push_back(r.Capacity());
  }
  return caps;
}

TEST_F(ArrayAppendSlot, GrowsAndKeepsValuesAsAppendDoes) {
  auto byAppend = [](Array<Record>& r, int i) { r.Append({i, -i, 2 * i}); };
  auto bySlot = [](Array<Record>& r, int i) {
    Record& e = r.AppendSlot();
    e.a = i;
    e.b = -i;
    e.c = 2 * i;
  };
  struct Case {
    const char* what;
    int reserved, count;
  };
  const Case cases[] = {{"from empty", 0, 200}, {"from a reserved block", 10, 37}, {"within the reserve", 64, 64}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    Array<Record> appended, slotted;
    const std::vector<int> expected = Capacities(appended, c.reserved, c.count, byAppend);
    EXPECT_EQ(Capacities(slotted, c.reserved, c.count, bySlot), expected);
    ASSERT_EQ(slotted.Count(), c.count);
    for (int i = 0; i < c.count; ++i) {
      ASSERT_EQ(slotted[i].a, i);
      ASSERT_EQ(slotted[i].b, -i);
      ASSERT_EQ(slotted[i].c, 2 * i);
    }
  }
  Array<Record> grown;
  Capacities(grown, 0, 160, bySlot);
  EXPECT_EQ(Capacities(grown, 0, 0, bySlot), (std::vector<int>{160}));
}

// The slot is the new last element, and the element returned stays valid until the array changes.
TEST_F(ArrayAppendSlot, ReturnsTheNewLastElement) {
  Array<Record> r;
  for (int i = 0; i < 9; ++i) {
    Record& e = r.AppendSlot();
    EXPECT_EQ(&e, &r.Last());
    EXPECT_EQ(&e - r.Data(), i);
    e = {i, i, i};
  }
}

}  // namespace
}  // namespace PM
