// Array::SetCountForOverwrite: the count and capacity SetCountNoCopy gives, without filling new room.
#include "core/Array.h"
#include "support/TestEnv.h"

namespace PM {
namespace {

using ArrayOverwrite = Test::BlockCheckedTest;

TEST_F(ArrayOverwrite, SetsTheCountsAndCapacitiesOfSetCountNoCopy) {
  for (int from : {0, 1, 5, 12}) {
    for (int to : {-3, 0, 1, 4, 5, 12, 13, 1000}) {
      Array<int32_t> a, b;
      for (int i = 0; i < from; ++i) {
        a.Append(i + 1);
        b.Append(i + 1);
      }
      a.SetCountForOverwrite(to);
      b.SetCountNoCopy(to);
      ASSERT_EQ(a.Count(), b.Count()) << from << " to " << to;
      ASSERT_EQ(a.Capacity(), b.Capacity()) << from << " to " << to;
      // Within the old room the kept elements stay; the new room is the caller's to write.
      if (to <= from) {
        for (int i = 0; i < a.Count(); ++i) ASSERT_EQ(a[i], i + 1);
      }
      for (int i = 0; i < a.Count(); ++i) a[i] = -i;  // the whole new count is writable (ASan checks)
    }
  }
}

}  // namespace
}  // namespace PM
