// DLLInitialize builds the script world and the last DLLDeInitialize takes it down again.
#include <cmath>
#include <cstdlib>

#include "ObjectModelFixture.h"
#include "core/LogPipe.h"
#include "core/StartUp.h"
#include "script/object/GlobalFunctions.h"
#include "script/object/ScriptClass.h"
#include "script/object/ScriptEngine.h"
#include "support/TestEnv.h"

namespace PM::Test {
namespace {

TEST(ScriptWorldStartup, InitialiseBuildsTheWorldAndTheLastDeinitialiseFreesIt) {
  TempDir dir;
  setenv("PM_LOG_DIR", dir.Path().c_str(), 1);
  long before = LiveBlockCount();
  ASSERT_EQ(DLLInitialize(1), SOK);
  EXPECT_TRUE(ClassDatabaseReady());
  EXPECT_EQ(FindClassID("I32"), kClassI32);
  EXPECT_EQ(FindClassID("ScriptClass"), ScriptClass::kClassId);
  EXPECT_EQ(FindClassID("ScriptEngine"), ScriptEngine::kClassId);
  EXPECT_EQ(FindMemberID(kClassF32, "Value"), 0x01FFF00Eu);
  EXPECT_EQ(FindFunctionID("Sqrt"), kFunctionSqrt);
  EXPECT_EQ(FindFunctionID("sqrt"), 0u);
  {
    Obj<ScriptObject> nine(NewBox<VF32>(9.0f)), sixteen(NewBox<VI32>(16)), big(NewBox<VF64>(2.0));
    ScriptObject* a1[] = {nine};
    ScriptObject* a2[] = {sixteen};
    ScriptObject* a3[] = {big};
    Obj<ScriptObject> r1 = CallGlobalFunction(kFunctionSqrt, 1, a1);
    ASSERT_EQ(r1->GetClassID(), kClassF32);
    EXPECT_EQ(static_cast<ValueBox<VF32>*>(r1.Get())->value, 3.0f);
    EXPECT_EQ(static_cast<ValueBox<VF32>*>(CallGlobalFunction(kFunctionSqrt, 1, a2).Get())->value, 4.0f);
    Obj<ScriptObject> r3 = CallGlobalFunction(kFunctionSqrt, 1, a3);
    ASSERT_EQ(r3->GetClassID(), kClassF64);
    EXPECT_EQ(static_cast<ValueBox<VF64>*>(r3.Get())->value, std::sqrt(2.0));
    // Bad arguments: a clear message naming the function, and nil.
    Obj<ScriptObject> neg(NewBox<VI32>(-4)), text(NewBox<VString>(String("4")));
    ScriptObject* bad1[] = {neg};
    ScriptObject* bad2[] = {text};
    ScriptObject* bad3[] = {nine, nine};
    EXPECT_TRUE(CallGlobalFunction(kFunctionSqrt, 1, bad1).IsNil());
    EXPECT_TRUE(CallGlobalFunction(kFunctionSqrt, 1, bad2).IsNil());
    EXPECT_TRUE(CallGlobalFunction(kFunctionSqrt, 2, bad3).IsNil());
    EXPECT_TRUE(CallGlobalFunction(kFunctionSqrt, 0, nullptr).IsNil());
    Obj<ScriptObject> cls(ScriptClass::Create());
    EXPECT_FALSE(cls.IsNil());
  }
  std::string log = ReadFile(dir.File("Xerr.log"));
  EXPECT_EQ(log.find("Error  CallGlobalFunction"), std::string::npos);
  size_t first = log.find("CallGlobalFunction: invalid arguments for function 0x0006 \"Sqrt\".");
  EXPECT_NE(first, std::string::npos) << log;
  ASSERT_EQ(DLLDeInitialize(1), SOK);
  EXPECT_FALSE(ClassDatabaseReady());
  EXPECT_EQ(FindFunctionID("Sqrt"), 0u);
  EXPECT_STREQ(GlobalFunctionName(kFunctionSqrt), "");
  EXPECT_EQ(LiveBlockCount(), before);
  log = ReadFile(dir.File("Xerr.log"));
  EXPECT_NE(log.find("DLLDeInitialize() no blocks alive."), std::string::npos) << log;
  EXPECT_EQ(log.find("already exists"), std::string::npos) << log;
  // Started again, the world is whole again.
  ASSERT_EQ(DLLInitialize(1), SOK);
  EXPECT_EQ(FindFunctionID("Sqrt"), kFunctionSqrt);
  EXPECT_EQ(FindClassID("ScriptNamespace"), 0xFFFFF007u);
  ASSERT_EQ(DLLDeInitialize(1), SOK);
}

}  // namespace
}  // namespace PM::Test
