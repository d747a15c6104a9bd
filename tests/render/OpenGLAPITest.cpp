// The OpenGL API table on the recording stand-in: load, resolve and release counting with their log
// lines, where entries come from, the damaged and missing library, and the error drain.
#include <gtest/gtest.h>

#include <cstring>

#include "RecordingGL.h"
#include "core/Trace.h"

namespace PM::Test {
namespace {

using OpenGLAPITest = RecordingGLTest;

std::string Handle(const OpenGLAPI& api) {
  char text[32];
  snprintf(text, sizeof text, "%llX", static_cast<unsigned long long>(reinterpret_cast<uintptr_t>(api.module)));
  return text;
}

TEST_F(OpenGLAPITest, CountsLoadsAndResolvesOnceWithItsLines) {
  OpenGLAPI& api = OpenGLAPI::Instance();
  const std::string file = PM_RECORDING_GL;
  enum Op { kLoad, kInit, kExit, kUnload };
  struct Step {
    Op op;
    ResultCode result;
    int loads, apis;
    std::string lines;  // "@" stands for the module handle
  } steps[] = {
      {kLoad, SOK, 1, 0, "Debug OpenGLAPI::LoadDLL: loading \"" + file + "\".\nInfo  ModuleOpenGL=@\n"},
      {kLoad, SOK, 2, 0, ""},
      {kInit, SOK, 2, 1, ""},
      {kInit, SOK, 2, 2, "Info  OpenGLAPI::InitAPI called again.\n"},
      {kExit, SOK, 2, 1, "Debug OpenGLAPI::ExitAPI (1).\n"},
      {kExit, SOK, 2, 0, "Debug OpenGLAPI::ExitAPI (0).\n"},
      {kExit, EOverflow, 2, 0, "Warn  OpenGLAPI::ExitAPI (0) called too often.\n"},
      {kUnload, EFail, 1, 0, ""},
      {kUnload, SOK, 0, 0,
       "Debug OpenGLAPI::UnloadDLL: unloading \"" + file + "\".\nDebug OpenGLAPI::UnloadDLL: unloading \"" + file +
           "\" (bypassed).\n"},
      {kUnload, EFail, 0, 0, ""},
      {kLoad, SOK, 1, 0, "Debug OpenGLAPI::LoadDLL: loading \"" + file + "\".\nInfo  ModuleOpenGL=@\n"},
  };
  int i = 0;
  for (const Step& s : steps) {
    SCOPED_TRACE(i++);
    ResultCode r = s.op == kLoad   ? api.LoadDLL()
                   : s.op == kInit ? api.InitAPI()
                   : s.op == kExit ? api.ExitAPI()
                                   : api.UnloadDLL();
    EXPECT_EQ(r, s.result);
    EXPECT_EQ(api.loadCount, s.loads);
    EXPECT_EQ(api.apiCount, s.apis);
    std::string want = s.lines;
    if (size_t at = want.find('@'); at != std::string::npos) want.replace(at, 1, Handle(api));
    EXPECT_EQ(m_log.Take(), want);
  }
  // The last reference cleared everything; the library was never closed, so it loads at the same address.
  EXPECT_NE(api.module, nullptr);
}

TEST_F(OpenGLAPITest, TableTakesExportsOnlyAndLookupsAskTheRightSource) {
  OpenGLAPI& api = OpenGLAPI::Instance();
  EXPECT_EQ(api.GetProcAddress("glEnable"), nullptr) << "nothing loaded yet";
  ASSERT_EQ(api.LoadDLL(), SOK);
  // Before InitAPI only the five checked entries are set.
  EXPECT_NE(api.glGetString, nullptr);
  EXPECT_NE(api.glXMakeCurrent, nullptr);
  EXPECT_EQ(api.glEnable, nullptr);
  ASSERT_EQ(api.InitAPI(), SOK);

  void* lib = dlopen(PM_RECORDING_GL, RTLD_NOW | RTLD_NOLOAD);
  ASSERT_NE(lib, nullptr);
  const char* const* names = OpenGLAPI::EntryNames();
  int set = 0;
  for (int i = 0; i < OpenGLAPI::kEntryCount; ++i) {
    OpenGLProc p = api.Entry(i);
    // Exported names resolve to the export; the rest stay null even though glXGetProcAddressARB knows
    // some (glActiveTextureARB is not in the table, glXGetCurrentContext is not exported).
    EXPECT_EQ(reinterpret_cast<void*>(p), names[i][0] != 'w' ? dlsym(lib, names[i]) : nullptr) << names[i];
    set += p != nullptr;
  }
  dlclose(lib);
  EXPECT_EQ(set, 20);  // the stand-in's exports among the table's names
  EXPECT_EQ(api.glSwitch[0], api.glDisable);
  EXPECT_EQ(api.glSwitch[1], api.glEnable);

  struct Lookup {
    const char* name;
    bool viaProcAddress, viaWGL;
  } lookups[] = {
      {"glEnable", true, true},            // export, also known to glXGetProcAddressARB
      {"glActiveTextureARB", true, true},  // only through glXGetProcAddressARB
      {"RecGL_Reset", true, false},        // only an export
      {"glFogf", false, false},            // neither
  };
  for (const Lookup& l : lookups) {
    EXPECT_EQ(api.GetProcAddress(l.name) != nullptr, l.viaProcAddress) << l.name;
    EXPECT_EQ(api.GetWGLProcAddress(l.name) != nullptr, l.viaWGL) << l.name;
  }
  EXPECT_EQ(m_log.Take().find("Fogf"), std::string::npos) << "missing entries are not reported";

  ASSERT_EQ(api.ExitAPI(), SOK);
  ASSERT_EQ(api.UnloadDLL(), SOK);
  EXPECT_EQ(api.glEnable, nullptr);
  EXPECT_EQ(api.glSwitch[1], nullptr);
  EXPECT_EQ(api.GetWGLProcAddress("glEnable"), nullptr);
}

TEST_F(OpenGLAPITest, MissingAndDamagedLibrariesFail) {
  OpenGLAPI& api = OpenGLAPI::Instance();
  OpenGLAPI::SetLibraryFile("/nonexistent/libGL.so.1");
  EXPECT_EQ(api.LoadDLL(), ENotFound);
  EXPECT_EQ(m_log.Take(), "Debug OpenGLAPI::LoadDLL: loading \"/nonexistent/libGL.so.1\".\n");
  EXPECT_EQ(api.loadCount, 0);
  // Resolving without a library fails but counts, so ExitAPI balances it.
  EXPECT_EQ(api.InitAPI(), ENotFound);
  EXPECT_EQ(api.apiCount, 1);
  EXPECT_EQ(api.ExitAPI(), SOK);

  OpenGLAPI::SetLibraryFile(PM_RECORDING_GL_DAMAGED);
  EXPECT_EQ(api.LoadDLL(), EUnimplemented);
  std::string text = m_log.Take();
  EXPECT_NE(text.find("Info  ModuleOpenGL="), std::string::npos);
  EXPECT_NE(text.find("Error OpenGLAPI::LoadDLL: damaged opengl32 library?\n"), std::string::npos);
  EXPECT_EQ(api.module, nullptr);
  EXPECT_EQ(api.loadCount, 0);
  EXPECT_EQ(api.glXGetProcAddressARB, nullptr);
  EXPECT_EQ(api.UnloadDLL(), EFail);
}

TEST_F(OpenGLAPITest, CheckErrorLogsAndDrainsAtMostEightMore) {
  OpenGLAPI& api = Api();
  m_log.Take();
  struct Case {
    int queued;
    const char* where;  // the drawing object's name in the trace, or null
    int lines;
    int left;
  } cases[] = {{0, nullptr, 0, 0},  {1, nullptr, 1, 0},       {3, nullptr, 3, 0},
               {12, nullptr, 9, 2}, {12, "Box \"A\"", 10, 2}, {10, nullptr, 9, 0}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.queued);
    for (int i = 0; i < c.queued; ++i) m_gl.QueueError(0x500 + i);
    SetTraceGlobal2(c.where);
    api.CheckError(api.glGetError(), "Draw");
    SetTraceGlobal2(nullptr);
    std::string text = m_log.Take();
    EXPECT_EQ(std::count(text.begin(), text.end(), '\n'), c.lines) << text;
    EXPECT_EQ(m_gl.QueuedErrors(), c.left);
    while (m_gl.QueuedErrors() > 0) api.glGetError();
    if (c.queued == 12 && !c.where) {
      EXPECT_EQ(text.substr(0, text.find('\n') + 1), "Error GL.GetError after Draw: 0x0500.\n");
      EXPECT_NE(text.find("Error GL.GetError     : Draw: 0x0508.\n"), std::string::npos);
      EXPECT_EQ(text.find("0x0509"), std::string::npos) << "the ninth further error is read silently";
    }
    if (c.where) {
      EXPECT_NE(text.find("Error GL.GetError     : \"Box \\\"A\\\"\".\n"), std::string::npos) << text;
    }
  }
  // Code 0 reads nothing.
  m_gl.QueueError(0x502);
  api.CheckError(0, "Quiet");
  EXPECT_EQ(m_gl.QueuedErrors(), 1);
  EXPECT_EQ(m_log.Take(), "");
}

}  // namespace
}  // namespace PM::Test
