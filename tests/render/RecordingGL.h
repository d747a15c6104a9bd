// The test side of the recording stand-in OpenGL library: points the OpenGL API at it, reads its call
// log, scripts its strings and errors, and gives each test its own registry file and log capture.
#pragma once

#include <dlfcn.h>
#include <gtest/gtest.h>

#include <cstdlib>
#include <string>

#include "render/opengl/OpenGLAPI.h"
#include "support/LogCapture.h"
#include "support/TestEnv.h"

namespace PM::Test {

class RecordingGL {
 public:
  explicit RecordingGL(const char* file = PM_RECORDING_GL) : m_handle(dlopen(file, RTLD_NOW | RTLD_LOCAL)) {
    if (!m_handle) return;
    m_setString = reinterpret_cast<void (*)(const char*, const char*)>(dlsym(m_handle, "RecGL_SetString"));
    m_queueError = reinterpret_cast<void (*)(unsigned)>(dlsym(m_handle, "RecGL_QueueError"));
    m_queued = reinterpret_cast<int (*)()>(dlsym(m_handle, "RecGL_QueuedErrors"));
    m_readLog = reinterpret_cast<size_t (*)(char*, size_t)>(dlsym(m_handle, "RecGL_ReadLog"));
    m_hide = reinterpret_cast<void (*)(const char*)>(dlsym(m_handle, "RecGL_Hide"));
    m_reset = reinterpret_cast<void (*)()>(dlsym(m_handle, "RecGL_Reset"));
    m_limitSwapInterval = reinterpret_cast<void (*)(unsigned)>(dlsym(m_handle, "RecGL_LimitSwapInterval"));
    m_procAddress = reinterpret_cast<void* (*)(const unsigned char*)>(dlsym(m_handle, "glXGetProcAddressARB"));
    m_reset();
  }
  ~RecordingGL() {
    if (m_handle) dlclose(m_handle);
  }
  RecordingGL(const RecordingGL&) = delete;
  RecordingGL& operator=(const RecordingGL&) = delete;

  bool Loaded() const { return m_handle != nullptr; }
  void SetString(const char* which, const char* value) { m_setString(which, value); }
  void QueueError(unsigned code) { m_queueError(code); }
  int QueuedErrors() { return m_queued(); }
  void Hide(const char* name) { m_hide(name); }
  // The swap interval it keeps is at most `limit`.
  void LimitSwapInterval(unsigned limit) { m_limitSwapInterval(limit); }
  // Its own entry point of that name (as its glXGetProcAddressARB answers), for tests that lend one to an
  // engine on another library.
  template <class F>
  F Entry(const char* name) {
    return reinterpret_cast<F>(m_procAddress(reinterpret_cast<const unsigned char*>(name)));
  }
  // The calls recorded since the last Take, one per line.
  std::string Take() {
    std::string text(m_readLog(nullptr, 0) + 1, '\0');
    m_readLog(text.data(), text.size());
    text.resize(text.size() - 1);
    std::string fresh = text.substr(m_taken);
    m_taken = text.size();
    return fresh;
  }

 private:
  void* m_handle;
  void (*m_setString)(const char*, const char*) = nullptr;
  void (*m_queueError)(unsigned) = nullptr;
  int (*m_queued)() = nullptr;
  size_t (*m_readLog)(char*, size_t) = nullptr;
  void (*m_hide)(const char*) = nullptr;
  void (*m_reset)() = nullptr;
  void (*m_limitSwapInterval)(unsigned) = nullptr;
  void* (*m_procAddress)(const unsigned char*) = nullptr;
  size_t m_taken = 0;
};

// A test on the stand-in: its own registry file, the output log captured, the API pointed at the file.
class RecordingGLTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(m_gl.Loaded()) << PM_RECORDING_GL;
    setenv("PM_REGISTRY_FILE", m_dir.File("registry.txt").c_str(), 1);
    OpenGLAPI::SetLibraryFile(PM_RECORDING_GL);
  }
  void TearDown() override {
    OpenGLAPI& api = OpenGLAPI::Instance();
    while (api.apiCount > 0) api.ExitAPI();
    while (api.module) api.UnloadDLL();
    OpenGLAPI::SetLibraryFile(nullptr);
    unsetenv("PM_REGISTRY_FILE");
  }
  // Loads and resolves the stand-in.
  OpenGLAPI& Api() {
    OpenGLAPI& api = OpenGLAPI::Instance();
    EXPECT_EQ(api.LoadDLL(), 0u);
    EXPECT_EQ(api.InitAPI(), 0u);
    return api;
  }

  TempDir m_dir;
  RecordingGL m_gl;
  LogCapture m_log{LogOutPipe()};
};

}  // namespace PM::Test
