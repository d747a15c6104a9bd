// Two render engines on two threads load, resolve, release and unload the shared OpenGL API table
// (against the recording stand-in) at the same time; run under ThreadSanitizer with the threads label.
#include <gtest/gtest.h>

#include <atomic>
#include <thread>

#include "core/Log.h"
#include "render/opengl/OpenGLAPI.h"

namespace PM::Test {
namespace {

TEST(OpenGLAPIThreads, TwoEnginesShareTheTable) {
  OpenGLAPI::SetLibraryFile(PM_RECORDING_GL);
  int saved = g_LogLevel.exchange(kLevelFatal - 1);  // the counting lines are not the point here
  OpenGLAPI& api = OpenGLAPI::Instance();
  std::atomic<int> failures{0};
  auto engine = [&] {
    for (int i = 0; i < 300; ++i) {
      if (api.LoadDLL() != SOK) ++failures;
      ResultCode init = api.InitAPI();
      // While both references are held the table is complete.
      if (init != SOK || api.glEnable == nullptr || api.glSwitch[1] != api.glEnable)
        ++failures;
      else
        api.glSwitch[i & 1](0x0B71);
      if (api.GetProcAddress("glGetError") == nullptr) ++failures;
      if (api.ExitAPI() != SOK) ++failures;
      ResultCode unload = api.UnloadDLL();
      if (unload != SOK && unload != EFail) ++failures;
    }
  };
  std::thread a(engine), b(engine);
  a.join();
  b.join();
  g_LogLevel = saved;
  EXPECT_EQ(failures.load(), 0);
  EXPECT_EQ(api.loadCount, 0);
  EXPECT_EQ(api.apiCount, 0);
  EXPECT_EQ(api.module, nullptr);
  OpenGLAPI::SetLibraryFile(nullptr);
}

}  // namespace
}  // namespace PM::Test
