// The crash handler, in forked children. This program runs with ASan's own handlers for SEGV, BUS and
// FPE switched off (see CMakeLists.txt), so ours is the one that runs.
#include <signal.h>
#include <sys/wait.h>

#include <cstdint>
#include <cstdlib>
#include <string>

#include "../LogTestUtil.h"
#include "core/CrashHandler.h"
#include "core/Trace.h"

namespace PM {
namespace {

void Segfault() {
  volatile uintptr_t address = 16;
  *reinterpret_cast<volatile int*>(address) = 1;
}

std::string CrashChild(void (*body)(void*), int* status) {
  PM::Test::LogDir dir;
  *status = PM::Test::RunInChild(body);
  return PM::Test::ReadFile(dir.File("Xerr.log"));
}

TEST(CrashHandler, ReportHoldsTheTracesAndTheChildDiesOfItsSignal) {
  ASSERT_NE(std::string(getenv("ASAN_OPTIONS") ? getenv("ASAN_OPTIONS") : "handle_segv=0").find("handle_segv=0"),
            std::string::npos);
  static const char kNode[] = "Sphere01";
  int status = 0;
  std::string report = CrashChild(
      [](void*) {
        InstallCrashHandler();
        TraceEnter("RenderSystemTraverse_D::DrawTree Draw");
        TraceMark("DrawSorted");
        TraceEnter("Texture download");
        TraceLeave("Texture download");
        SetTraceGlobal1("GeometryBase");
        SetTraceGlobal2(kNode);
        Segfault();
      },
      &status);
  ASSERT_TRUE(WIFSIGNALED(status)) << status;
  EXPECT_EQ(WTERMSIG(status), SIGSEGV);
  EXPECT_NE(report.find("CRASH: SIGSEGV (11) at address 0x0000000000000010 in thread "), std::string::npos) << report;
  EXPECT_NE(report.find("Trace global 1: \"GeometryBase\"\nTrace global 2: \"Sphere01\"\nTrace slot 0, thread "),
            std::string::npos)
      << report;
  EXPECT_NE(report.find(":\n  > RenderSystemTraverse_D::DrawTree Draw\n  - DrawSorted\n  > Texture download\n"
                        "  < Texture download\nEnd of crash report.\n"),
            std::string::npos)
      << report;
}

TEST(CrashHandler, ReportIsWrittenWhileTheLogIsLockedAndBadGlobalsAreSafe) {
  int status = 0;
  std::string report = CrashChild(
      [](void*) {
        InstallCrashHandler();
        LogError("before");
        SetTraceGlobal2(reinterpret_cast<const void*>(uintptr_t(32)));
        LogErrPipe().Lock();
        LogErrPipe().WriteText("half a message");
        abort();
      },
      &status);
  ASSERT_TRUE(WIFSIGNALED(status));
  EXPECT_EQ(WTERMSIG(status), SIGABRT);
  EXPECT_EQ(report.find("Error before\nCRASH: SIGABRT (6)"), 0u) << report;
  EXPECT_NE(report.find("Trace global 1: (null)\nTrace global 2: (unreadable at 0x0000000000000020)\n"),
            std::string::npos)
      << report;
}

TEST(CrashHandler, RemovingRestoresThePreviousAction) {
  int status = PM::Test::RunInChild([](void*) {
    InstallCrashHandler();
    RemoveCrashHandler();
    _exit(CrashHandlerInstalled() ? 1 : 3);
  });
  EXPECT_EQ(WEXITSTATUS(status), 3);
  PM::Test::LogDir dir;
  status = PM::Test::RunInChild([](void*) {
    InstallCrashHandler();
    RemoveCrashHandler();
    raise(SIGFPE);
  });
  EXPECT_TRUE(WIFSIGNALED(status) && WTERMSIG(status) == SIGFPE);
  EXPECT_EQ(PM::Test::ReadFile(dir.File("Xerr.log")), "");
}

}  // namespace
}  // namespace PM
