// Threads: whole log messages, trace slots.
#include <atomic>
#include <condition_variable>
#include <mutex>
#include <sstream>
#include <thread>
#include <vector>

#include "LogTestUtil.h"
#include "core/Trace.h"

namespace PM {
namespace {

constexpr int kThreads = 8, kLines = 400;

TEST(LogThreads, MessagesFromSeveralThreadsNeverInterleave) {
  PM::Test::LogDir dir;
  ErrLogPipe().CloseConsole();
  std::vector<std::thread> threads;
  for (int t = 0; t < kThreads; ++t)
    threads.emplace_back([t] {
      for (int i = 0; i < kLines; ++i) LogInfo("thread ", t, " line ", i, " of ", kLines, " end");
    });
  for (auto& th : threads) th.join();
  std::istringstream in(dir.Err());
  std::string line;
  std::vector<int> next(kThreads, 0);
  int count = 0;
  while (std::getline(in, line)) {
    int t = -1, i = -1, n = -1;
    char end[8] = {};
    ASSERT_EQ(sscanf(line.c_str(), "Info  thread %d line %d of %d %3s", &t, &i, &n, end), 4) << line;
    ASSERT_TRUE(t >= 0 && t < kThreads) << line;
    EXPECT_EQ(i, next[t]++) << line;  // each thread's lines in order
    EXPECT_EQ(std::string(end), "end");
    ++count;
  }
  EXPECT_EQ(count, kThreads * kLines);
  ErrLogPipe().Open("2>console");
}

TEST(LogThreads, AThreadWithoutASlotSaysSoAndGetsOneWhenFreed) {
  PM::Test::LogDir dir;
  std::mutex m;
  std::condition_variable cv;
  bool release = false;
  std::atomic<int> ready{0};
  std::vector<std::thread> holders;
  for (int t = 0; t < kTraceSlots; ++t)
    holders.emplace_back([&] {
      TraceEnter("holder");
      ready++;
      std::unique_lock<std::mutex> lock(m);
      cv.wait(lock, [&] { return release; });
      TraceLeave("holder");
    });
  while (ready < kTraceSlots) std::this_thread::yield();
  TraceMark("Texture loading");
  {
    std::lock_guard<std::mutex> lock(m);
    release = true;
  }
  cv.notify_all();
  for (auto& th : holders) th.join();
  TraceMark("after");  // the slots of ended threads are free again
  EXPECT_EQ(dir.Err(), "Warn  Unexpected Trace from Texture loading.\n");
  int mine = 0;
  for (int s = 0; s < kTraceSlots; ++s) mine += TraceSlots()[s].thread != 0;
  EXPECT_EQ(mine, 1);
}

}  // namespace
}  // namespace PM
