// Threads created suspended, semaphores, thread-local slots, and the registry shared by threads.
#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <thread>
#include <vector>

#include "platform/RegistryStore.h"
#include "platform/Semaphore.h"
#include "platform/Thread.h"
#include "platform/ThreadLocal.h"
#include "support/TestEnv.h"

namespace PM {
namespace {

uint32_t MarkRan(void* arg) {
  static_cast<std::atomic<bool>*>(arg)->store(true);
  return 7;
}

TEST(ThreadTest, ASuspendedThreadRunsOnlyAfterResume) {
  std::atomic<bool> ran{false};
  Thread t;
  ASSERT_TRUE(t.Start(MarkRan, &ran, true));
  EXPECT_NE(t.Id(), 0u);
  EXPECT_NE(t.Id(), Thread::CurrentId());
  EXPECT_FALSE(t.Start(MarkRan, &ran));  // already started
  std::this_thread::sleep_for(std::chrono::milliseconds(50));
  EXPECT_FALSE(ran.load());
  t.SetPriority(Thread::kPriorityBelowNormal);
  EXPECT_TRUE(t.Resume());
  EXPECT_FALSE(t.Resume());
  EXPECT_EQ(t.Join(), 7u);
  EXPECT_TRUE(ran.load());
  EXPECT_EQ(t.GetPriority(), Thread::kPriorityBelowNormal);
}

TEST(ThreadTest, AThreadNeverResumedNeverRunsItsBody) {
  std::atomic<bool> ran{false};
  {
    Thread t;
    ASSERT_TRUE(t.Start(MarkRan, &ran, true));
  }
  EXPECT_FALSE(ran.load());
  Thread running;
  ASSERT_TRUE(running.Start(MarkRan, &ran));
  EXPECT_EQ(running.Join(), 7u);
  EXPECT_TRUE(ran.load());
}

struct Queue {
  Semaphore items{0, 1000};
  std::atomic<int> consumed{0};
};

uint32_t Consume(void* arg) {
  auto* q = static_cast<Queue*>(arg);
  for (int i = 0; i < 500; ++i) {
    if (!q->items.Wait(10000)) return 1;
    q->consumed.fetch_add(1);
  }
  return 0;
}

TEST(SemaphoreTest, CountsAcrossThreadsAndHonoursItsMaximum) {
  Queue q;
  Thread a, b;
  ASSERT_TRUE(a.Start(Consume, &q));
  ASSERT_TRUE(b.Start(Consume, &q));
  for (int i = 0; i < 200; ++i) ASSERT_TRUE(q.items.Release(i % 2 ? 3 : 7));  // 1000 in all
  EXPECT_EQ(a.Join(), 0u);
  EXPECT_EQ(b.Join(), 0u);
  EXPECT_EQ(q.consumed.load(), 1000);

  Semaphore s(1, 2);
  int32_t previous = -1;
  EXPECT_TRUE(s.Release(1, &previous));
  EXPECT_EQ(previous, 1);
  EXPECT_FALSE(s.Release(1));  // past the maximum
  EXPECT_TRUE(s.Wait(0));
  EXPECT_TRUE(s.Wait(0));
  EXPECT_FALSE(s.Wait(20));
}

ThreadLocalSlot g_slot;

uint32_t UseSlot(void* arg) {
  if (g_slot.Get() != nullptr) return 1;
  g_slot.Set(arg);
  std::this_thread::sleep_for(std::chrono::milliseconds(10));
  return g_slot.Get() == arg ? 0 : 2;
}

TEST(ThreadLocalTest, EachThreadSeesItsOwnValue) {
  ASSERT_TRUE(g_slot.IsValid());
  int values[4];
  Thread threads[4];
  for (int i = 0; i < 4; ++i) ASSERT_TRUE(threads[i].Start(UseSlot, &values[i]));
  for (Thread& t : threads) EXPECT_EQ(t.Join(), 0u);
  EXPECT_EQ(g_slot.Get(), nullptr);
}

struct Writer {
  RegistryStore* store;
  int index;
};

uint32_t WriteValues(void* arg) {
  auto* w = static_cast<Writer*>(arg);
  for (int i = 0; i < 10; ++i) {
    char text[32];
    snprintf(text, sizeof text, "T%dV%d", w->index, i);
    std::string name = text;
    if (w->store->SetValue(kRegistryCurrentUser, "Software\\Pelmora\\Engine", name, {kRegistrySz, name}) != 0) return 1;
    RegistryStore::Value v;
    if (w->store->GetValue(kRegistryCurrentUser, "Software\\Pelmora\\Engine", name, v) != 0 || v.data != name) return 2;
  }
  return 0;
}

TEST(RegistryStoreThreadsTest, ConcurrentWritersLoseNothing) {
  PM::Test::TempDir dir;
  RegistryStore store(dir.File("registry.ini"));
  Writer writers[4] = {{&store, 0}, {&store, 1}, {&store, 2}, {&store, 3}};
  Thread threads[4];
  for (int i = 0; i < 4; ++i) ASSERT_TRUE(threads[i].Start(WriteValues, &writers[i]));
  for (Thread& t : threads) EXPECT_EQ(t.Join(), 0u);
  RegistryStore::Keys keys;
  ASSERT_EQ(RegistryStore::Parse(PM::Test::ReadFile(dir.File("registry.ini")), keys), 0);
  ASSERT_EQ(keys.size(), 1u);
  EXPECT_EQ(keys[0].values.size(), 40u);
}

}  // namespace
}  // namespace PM
