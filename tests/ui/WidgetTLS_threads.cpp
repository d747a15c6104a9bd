// Per-thread widget defaults asked for by many threads at once.
#include <gtest/gtest.h>

#include <atomic>
#include <thread>
#include <vector>

#include "core/StartUp.h"
#include "script/object/MemberAccess.h"
#include "support/TestEnv.h"
#include "ui/WidgetStyle.h"
#include "ui/WidgetTLS.h"

namespace PM::Test {
namespace {

constexpr int kThreads = 8;
constexpr uint32_t kDefaultStyle = 0x11FFF0D2;

TEST(WidgetTLSThreads, EachThreadKeepsItsOwnDefaultStyle) {
  TempDir dir;
  setenv("PM_LOG_DIR", dir.Path().c_str(), 1);
  ASSERT_EQ(DLLInitialize(1), 0u);
  {
    std::vector<Obj<ScriptObject>> styles;
    for (int i = 0; i < kThreads; ++i) styles.emplace_back(ScriptObject::Create(WidgetStyle_I::kClassId));
    std::atomic<int> ready{0};
    std::atomic<int> wrong{0};
    std::vector<std::thread> threads;
    for (int t = 0; t < kThreads; ++t) {
      threads.emplace_back([&, t] {
        ++ready;
        while (ready.load() < kThreads) std::this_thread::yield();  // first requests all at once
        if (!IsNilObject(WidgetStyle_I::GetDefaultStyle())) ++wrong;
        // Two threads share each style, so their weak targets are made concurrently too.
        ScriptObject* mine = styles[t / 2];
        for (int round = 0; round < 200; ++round) {
          MemberSet<VObject>(styles[(t + round) % kThreads], kDefaultStyle, mine);
          if (MemberGet<VObject>(styles[t], kDefaultStyle) != mine) ++wrong;
          if (round % 50 == 49) {
            ExitWidgetTLS();
            if (!IsNilObject(WidgetStyle_I::GetDefaultStyle())) ++wrong;
          }
        }
        // Even threads bracket with the library's start-up, whose shutdown releases their record; odd
        // threads leave theirs for thread exit to free.
        if (t % 2 == 0) {
          DLLInitialize(0);
          DLLDeInitialize(0);
          if (WidgetTLS::Find() != nullptr) ++wrong;
        }
      });
    }
    for (std::thread& th : threads) th.join();
    EXPECT_EQ(wrong.load(), 0);
  }
  DLLDeInitialize(1);
}

}  // namespace
}  // namespace PM::Test
