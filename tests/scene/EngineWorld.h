// Shared fixture of the engine class tests: the object model with the engine class table and the name
// hashes, built directly (as the start-up stages do), and a capture of the error log.
#pragma once

#include <gtest/gtest.h>

#include <string>

#include "classes/EngineClasses.h"
#include "core/Log.h"
#include "script/object/MemberAccess.h"
#include "script/object/ObjectModel.h"

namespace PM::Test {

class CaptureLog : public StreamPipe {
 public:
  int64_t Write(const void* bytes, int64_t n) override {
    text.append(static_cast<const char*>(bytes), size_t(n));
    return n;
  }
  std::string text;
};

class EngineWorldTest : public ::testing::Test {
 protected:
  void SetUp() override {
    m_savedErr = LogErrPipe();
    m_log = NewCounted<CaptureLog>();
    LogErrPipe() = StreamPipeRef(m_log);
    InitScriptObjectModel();
    RegisterEngineClasses();
    BuildNameHashes();
    m_startLog = TakeLog();
    m_live = LiveBlockCount();
  }
  void TearDown() override {
    EXPECT_EQ(LiveBlockCount(), m_live) << "blocks left alive by the test";
    UninitScriptObjectModel();
    LogErrPipe() = m_savedErr;
  }
  std::string TakeLog() {
    std::string t;
    t.swap(m_log->text);
    return t;
  }

  CaptureLog* m_log = nullptr;
  StreamPipeRef m_savedErr;
  std::string m_startLog;  // what the start-up wrote
  long m_live = 0;
};

}  // namespace PM::Test
