// The last error code as the system's text.
#include <gtest/gtest.h>

#include <cerrno>

#include "core/FormatLastError.h"
#include "platform/LastError.h"
#include "support/TestEnv.h"

namespace PM::Test {
namespace {

using FormatLastErrorTest = BlockCheckedTest;

TEST_F(FormatLastErrorTest, TextOfTheLastCodeWhateverTheModuleName) {
  struct Case {
    uint32_t code;
    const char* module;
    const char* text;
  } cases[] = {
      {0, "", ""},
      {ENOENT, "", "No such file or directory"},
      {ENOENT, "Pelmora010276IM.DLL", "No such file or directory"},
      {EACCES, "missing.DLL", "Permission denied"},
  };
  for (const Case& c : cases) {
    String text("left over");
    SetLastErrorCode(c.code);
    EXPECT_EQ(FormatLastError(text, c.module), c.code);
    EXPECT_STREQ(text.CStr(), c.text) << c.code;
  }
  SetLastErrorCode(0);
}

}  // namespace
}  // namespace PM::Test
