// Assertions: their texts, and that both forms go on.
#include "LogTestUtil.h"
#include "core/Assert.h"

namespace PM {
namespace {

TEST(Assert, StrictAndLenientFormsLogTheirTextsAndGoOn) {
  PM::Test::LogDir dir;
  int x = 1;
  PM_ASSERT(x == 2);
  const int strictLine = __LINE__ - 1;
  PM_ASSERT_LENIENT(x > 5);
  const int lenientLine = __LINE__ - 1;
  PM_ASSERT(x == 1);
  EXPECT_FALSE(DebuggerAttached());
  EXPECT_EQ(dir.Err(), "Error ASSERTION: x == 2\n     FILE: " __FILE__ "\n     LINE: " + std::to_string(strictLine) +
                           "\nError ASSERTION: x > 5 (assertion ignored)\n     FILE: " __FILE__ "\n     LINE: " +
                           std::to_string(lenientLine) + "\n");
}

}  // namespace
}  // namespace PM
