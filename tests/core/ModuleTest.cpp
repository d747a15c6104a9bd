// DLLInitialize/DLLDeInitialize: counting, hook order, the crash handler's lifetime, the version check.
#include <string>

#include "LogTestUtil.h"
#include "core/CrashHandler.h"
#include "core/StartUp.h"

namespace PM {
namespace {

std::string g_calls;

// Registered out of order on purpose: the stage decides.
const ModuleHookRegistration r1(
    kStageClassHash, "ClassHash", [] { g_calls += "C"; }, [] { g_calls += "c"; });
const ModuleHookRegistration r2(
    kStageMasterTables, "MasterTables", [] { g_calls += "M"; }, [] { g_calls += "m"; });
const ModuleHookRegistration r3(
    kStageEngineClasses, "EngineClasses", [] { g_calls += "E"; }, [] { g_calls += "e"; });
const ModuleHookRegistration r4(
    kStageFunctionHash, "FunctionHash", [] { g_calls += "F"; }, [] { g_calls += "f"; });
const ModuleHookRegistration r5(
    kStageMasterTables, "MasterTables2", [] { g_calls += "N"; }, nullptr);
const bool r6 = (RegisterThreadHook(kThreadWidgets, "ExitWidgetTLS", [] { g_calls += "w"; }),
                 RegisterThreadHook(kThreadStorage, "StorageTLS", [] { g_calls += "s"; }), true);

struct ModuleTest : ::testing::Test {
  PM::Test::LogDir dir;
  void SetUp() override { g_calls.clear(); }
};

TEST_F(ModuleTest, NestedPairsRunTheHooksOnceAndLog) {
  EXPECT_FALSE(CrashHandlerInstalled());
  EXPECT_EQ(DLLInitialize(1), SOK);
  EXPECT_TRUE(CrashHandlerInstalled());
  EXPECT_EQ(DLLInitialize(0), SOK);
  EXPECT_EQ(ModuleInitCount(), 2);
  EXPECT_EQ(g_calls, "MNECF");
  EXPECT_EQ(DLLDeInitialize(0), SOK);
  EXPECT_TRUE(CrashHandlerInstalled());
  EXPECT_EQ(g_calls, "MNECFsw");
  std::string log = dir.Err();  // read before the last DLLDeInitialize closes the file
  EXPECT_EQ(DLLDeInitialize(1), SOK);
  EXPECT_FALSE(CrashHandlerInstalled());
  EXPECT_EQ(g_calls, "MNECFswswefcm");
  EXPECT_EQ(log.find("Info  DLLInitialize() ver=F010276x arg=1 module="), 0u) << log;
  EXPECT_NE(log.find("libPelmora010276.so\n"), std::string::npos);
  EXPECT_NE(log.find("\nInfo  DLLInitialize() ok.\n"), std::string::npos);
  EXPECT_EQ(log.find("Error"), std::string::npos) << log;  // the version check passed
}

TEST_F(ModuleTest, SequentialPairsRunTheHooksEachTimeAndReinitialiseWorks) {
  for (int i = 0; i < 3; ++i) {
    EXPECT_EQ(DLLInitialize(1), SOK);
    EXPECT_TRUE(CrashHandlerInstalled());
    EXPECT_EQ(DLLDeInitialize(1), SOK);
    EXPECT_FALSE(CrashHandlerInstalled());
  }
  EXPECT_EQ(g_calls, "MNECFswefcmMNECFswefcmMNECFswefcm");
  EXPECT_EQ(ModuleInitCount(), 0);
}

TEST_F(ModuleTest, DeInitialiseWithoutInitialiseIsRefused) {
  EXPECT_EQ(DLLDeInitialize(0), ENotActive);
  EXPECT_EQ(g_calls, "");
  EXPECT_EQ(dir.Err(), "Error DLLDeInitialize: called without DLLInitialize (arg=0).\n");
}

TEST(Module, VersionCheckLooksAtTheFileName) {
  EXPECT_TRUE(LibraryNameMatchesVersion("/opt/x/libPelmora010276.so"));
  EXPECT_TRUE(LibraryNameMatchesVersion("Pelmora010276.so"));
  EXPECT_FALSE(LibraryNameMatchesVersion("/opt/010276/libPelmora.so"));
  EXPECT_FALSE(LibraryNameMatchesVersion(nullptr));
  EXPECT_NE(std::string(LibraryPath()).find("libPelmora010276.so"), std::string::npos);
}

}  // namespace
}  // namespace PM
