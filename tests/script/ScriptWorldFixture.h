// Shared fixture of the script world tests: the library started through DLLInitialize, with the error log
// captured, and a check that a test leaves no blocks alive.
#pragma once

#include <gtest/gtest.h>

#include <cstdlib>
#include <string>

#include "ObjectModelFixture.h"
#include "core/StartUp.h"
#include "script/object/ScriptClass_I.h"
#include "script/object/ScriptNamespace_I.h"
#include "support/TestEnv.h"

namespace PM::Test {

class ScriptWorldTest : public ::testing::Test {
 protected:
  void SetUp() override {
    setenv("PM_LOG_DIR", m_dir.Path().c_str(), 1);
    DLLInitialize(1);
    m_savedErr = LogErrPipe();
    m_log = NewCounted<TextPipe>();
    LogErrPipe() = StreamPipeRef(m_log);
    m_live = LiveBlockCount();
  }
  void TearDown() override {
    EXPECT_EQ(LiveBlockCount(), m_live) << "blocks left alive by the test";
    LogErrPipe() = m_savedErr;
    DLLDeInitialize(1);
  }
  std::string TakeLog() { return m_log->Take(); }
  static int Count(const std::string& text, const std::string& what) {
    int n = 0;
    for (size_t at = text.find(what); at != std::string::npos; at = text.find(what, at + 1)) ++n;
    return n;
  }
  // A defined class (count held by the Obj) with the given members defined by `body`.
  template <class F>
  static Obj<ScriptClass_I> MakeClass(const char* name, uint32_t base, F&& body) {
    Obj<ScriptClass_I> c(static_cast<ScriptClass_I*>(ScriptClass::Create()));
    EXPECT_FALSE(c.IsNil());
    EXPECT_TRUE(c->DefFromBase(name, base));
    body(*c);
    c->EndDefinition();
    return c;
  }

  TempDir m_dir;
  TextPipe* m_log = nullptr;
  StreamPipeRef m_savedErr;
  long m_live = 0;
};

}  // namespace PM::Test
