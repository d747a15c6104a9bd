// Process, thread and module snapshots from /proc.
#include "platform/ProcessInfo.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <algorithm>

#include "platform/ModuleLoader.h"
#include "platform/Thread.h"

namespace PM {
namespace {

TEST(ProcessInfoTest, ListsThisProcessItsThreadsAndItsModules) {
  uint32_t self = ProcessInfo::CurrentProcessId();
  EXPECT_EQ(self, uint32_t(getpid()));
  auto processes = ProcessInfo::Processes();
  auto me = std::find_if(processes.begin(), processes.end(), [&](const ProcessEntry& p) { return p.pid == self; });
  ASSERT_NE(me, processes.end());
  EXPECT_EQ(me->parentPid, uint32_t(getppid()));
  EXPECT_EQ(me->exeName, "test_platform");
  EXPECT_GE(me->threadCount, 1u);

  auto threads = ProcessInfo::Threads();
  EXPECT_TRUE(std::any_of(threads.begin(), threads.end(),
                          [&](const ThreadEntry& t) { return t.tid == Thread::CurrentId() && t.ownerPid == self; }));

  auto modules = ProcessInfo::Modules();
  auto engine = std::find_if(modules.begin(), modules.end(),
                             [](const ModuleEntry& m) { return m.name == "libPelmora010276.so"; });
  ASSERT_NE(engine, modules.end());
  uintptr_t code = reinterpret_cast<uintptr_t>(&Module::EngineFolder);
  EXPECT_LE(engine->base, code);
  EXPECT_LT(code, engine->base + engine->size);
  EXPECT_EQ(engine->path, Module::EngineFolder() + "/libPelmora010276.so");
  EXPECT_TRUE(std::is_sorted(modules.begin(), modules.end(),
                             [](const ModuleEntry& a, const ModuleEntry& b) { return a.base < b.base; }));
}

TEST(ProcessInfoTest, AProcessThatDoesNotExistHasNothing) {
  EXPECT_TRUE(ProcessInfo::Threads(0x7FFFFFF0).empty());
  EXPECT_TRUE(ProcessInfo::Modules(0x7FFFFFF0).empty());
}

}  // namespace
}  // namespace PM
