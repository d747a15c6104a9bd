// The script world from several threads: start-up and shutdown, and run-time class ids.
#include <atomic>
#include <cstdlib>
#include <set>
#include <string>
#include <thread>
#include <vector>

#include "core/LogPipe.h"
#include "core/StartUp.h"
#include "script/object/ClassDatabase.h"
#include "script/object/GlobalFunctions.h"
#include "script/object/MemberAccess.h"
#include "script/object/ScriptClass_I.h"
#include "support/TestEnv.h"

namespace PM {
namespace {

TEST(ScriptWorldThreads, InitAndDeinitFromTwoThreadsAtOnceAreSafe) {
  PM::Test::TempDir dir;
  setenv("PM_LOG_DIR", dir.Path().c_str(), 1);
  OutLogPipe().CloseConsole();
  ErrLogPipe().CloseConsole();
  std::atomic<int> failures{0};
  std::vector<std::thread> threads;
  for (int t = 0; t < 2; ++t)
    threads.emplace_back([&, t] {
      for (int i = 0; i < 20; ++i) {
        DLLInitialize(0);
        if (FindFunctionID("Sqrt") != kFunctionSqrt) ++failures;
        Obj<ScriptClass_I> c(static_cast<ScriptClass_I*>(ScriptClass::Create()));
        int32_t value = t * 100 + i;
        uint32_t x = 0;
        if (c.IsNil() || !c->DefFromBase(t ? "T1" : "T0", 0) || !(x = c->DefMemberVar("X", kClassI32, 0, &value))) {
          ++failures;
        } else {
          c->EndDefinition();
          Obj<ScriptObject> obj(ScriptObject::Create(c->GetClassID()));
          if (MemberGet<VI32>(obj, x) != value) ++failures;
        }
        c.Clear();
        DLLDeInitialize(0);
      }
    });
  for (auto& th : threads) th.join();
  EXPECT_EQ(failures.load(), 0);
  EXPECT_EQ(ModuleInitCount(), 0);
  EXPECT_FALSE(ClassDatabaseReady());
}

TEST(ScriptWorldThreads, RunTimeClassIdsAreHandedOutOnce) {
  PM::Test::TempDir dir;
  setenv("PM_LOG_DIR", dir.Path().c_str(), 1);
  DLLInitialize(0);
  constexpr int kThreads = 4, kEach = 40;
  std::vector<std::vector<Obj<ScriptObject>>> made(kThreads);
  std::vector<std::thread> threads;
  for (int t = 0; t < kThreads; ++t)
    threads.emplace_back([&made, t] {
      for (int i = 0; i < kEach; ++i) made[t].emplace_back(ScriptClass::Create());
    });
  for (auto& th : threads) th.join();
  std::set<uint32_t> ids;
  for (auto& list : made)
    for (auto& c : list) ids.insert(static_cast<ScriptClass_I*>(c.Get())->GetClassID());
  EXPECT_EQ(ids.size(), size_t(kThreads * kEach));
  made.clear();
  DLLDeInitialize(0);
}

TEST(ScriptWorldThreads, RunTimeClassesAreDefinedFromSeveralThreadsAtOnce) {
  PM::Test::TempDir dir;
  setenv("PM_LOG_DIR", dir.Path().c_str(), 1);
  DLLInitialize(0);
  uint32_t before = ClassCount();
  constexpr int kThreads = 4, kEach = 20;
  std::vector<std::vector<Obj<ScriptClass_I>>> made(kThreads);
  std::vector<std::thread> threads;
  for (int t = 0; t < kThreads; ++t)
    threads.emplace_back([&made, t] {
      for (int i = 0; i < kEach; ++i) {
        Obj<ScriptClass_I> c(static_cast<ScriptClass_I*>(ScriptClass::Create()));
        std::string name = "Made" + std::to_string(t) + "_" + std::to_string(i);
        if (!c.IsNil() && c->DefFromBase(name.c_str(), 0)) c->EndDefinition();
        made[size_t(t)].push_back(c);
      }
    });
  for (auto& th : threads) th.join();
  EXPECT_EQ(ClassCount(), before + kThreads * kEach);
  for (int t = 0; t < kThreads; ++t)
    for (int i = 0; i < kEach; ++i)
      EXPECT_EQ(std::string(ClassName(made[size_t(t)][size_t(i)]->GetClassID())),
                "Made" + std::to_string(t) + "_" + std::to_string(i));
  made.clear();
  DLLDeInitialize(0);
}

}  // namespace
}  // namespace PM
