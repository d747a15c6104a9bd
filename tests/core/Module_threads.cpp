// DLLInitialize and DLLDeInitialize from several threads at once.
#include <atomic>
#include <thread>
#include <vector>

#include "LogTestUtil.h"
#include "core/CrashHandler.h"
#include "core/StartUp.h"

namespace PM {
namespace {

std::atomic<int> g_inits{0}, g_deinits{0}, g_live{0}, g_threadReleases{0};
std::atomic<bool> g_overlap{false};
const ModuleHookRegistration reg(
    kStageEngineClasses, "Counter",
    [] {
      g_inits++;
      if (g_live.fetch_add(1) != 0) g_overlap = true;
    },
    [] {
      g_deinits++;
      if (g_live.fetch_sub(1) != 1) g_overlap = true;
    });
const bool regThread = (RegisterThreadHook(kThreadStorage, "Counter", [] { g_threadReleases++; }), true);

TEST(ModuleThreads, InitAndDeinitFromSeveralThreadsAreSafe) {
  PM::Test::LogDir dir;
  OutLogPipe().CloseConsole();
  ErrLogPipe().CloseConsole();
  constexpr int kThreads = 8, kPairs = 100;
  std::vector<std::thread> threads;
  for (int t = 0; t < kThreads; ++t)
    threads.emplace_back([] {
      for (int i = 0; i < kPairs; ++i) {
        DLLInitialize(0);
        EXPECT_TRUE(CrashHandlerInstalled());
        DLLDeInitialize(0);
      }
    });
  for (auto& th : threads) th.join();
  EXPECT_FALSE(g_overlap);
  EXPECT_EQ(g_inits.load(), g_deinits.load());
  EXPECT_GE(g_inits.load(), 1);
  EXPECT_EQ(g_threadReleases.load(), kThreads * kPairs);
  EXPECT_EQ(ModuleInitCount(), 0);
  EXPECT_FALSE(CrashHandlerInstalled());
}

}  // namespace
}  // namespace PM
