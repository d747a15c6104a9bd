// The library's start-up builds the object model through its stage hooks, and its last shutdown frees it.
#include <gtest/gtest.h>

#include <cstdlib>

#include "core/StartUp.h"
#include "script/object/ObjectModel.h"
#include "script/object/ScriptObject.h"
#include "support/TestEnv.h"

namespace PM::Test {
namespace {

TEST(ObjectModelStartup, DllInitializeBuildsAndTheLastDeInitializeFreesTheModel) {
  TempDir dir;
  setenv("PM_LOG_DIR", dir.Path().c_str(), 1);
  ASSERT_EQ(DLLInitialize(1), 0u);
  EXPECT_TRUE(ClassDatabaseReady());
  EXPECT_EQ(FindClassID("Bool"), kClassBool);
  EXPECT_EQ(FindMemberID(kClassEulerRotationOrder, "ZYX"), 0x06FFF038u);
  EXPECT_EQ(NilScriptObject()->GetClassID(), kClassNil);
  DLLDeInitialize(1);
  EXPECT_FALSE(ClassDatabaseReady());
  EXPECT_EQ(NilScriptObject()->GetClassID(), 0u);
  EXPECT_FALSE(NilScriptObject()->IsA(kClassNil));
  ASSERT_EQ(DLLInitialize(1), 0u);  // a second start-up builds it again
  EXPECT_EQ(FindClassID("Euler.RotationOrderEnum"), kClassEulerRotationOrder);
  DLLDeInitialize(1);
}

}  // namespace
}  // namespace PM::Test
