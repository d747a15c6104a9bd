// Shared fixture of the engine class tests: the object model with the engine class table and the name
// hashes, built directly (as the start-up stages do), and a capture of the error log.
#pragma once

#include <gtest/gtest.h>

#include <string>

#include "classes/EngineClasses.h"
#include "core/Log.h"
#include "script/object/MemberAccess.h"
#include "script/object/ObjectModel.h"
#include "support/LogCapture.h"

namespace PM::Test {

class EngineWorldTest : public ::testing::Test {
 protected:
  void SetUp() override {
    m_savedErr = LogErrPipe();
    m_log = NewCounted<TextPipe>();
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
  std::string TakeLog() { return m_log->Take(); }
  // A new object of the named class, given a name when `name` is not null.
  static Obj<ScriptObject> Make(const char* cls, const char* name = nullptr) {
    Obj<ScriptObject> o(ScriptObject::Create(FindClassID(cls)));
    EXPECT_FALSE(o.IsNil()) << cls;
    if (name) MemberSet<VString>(o, 0x01FFF040, String(name));  // Object.Name
    return o;
  }

  TextPipe* m_log = nullptr;
  StreamPipeRef m_savedErr;
  std::string m_startLog;  // what the start-up wrote
  long m_live = 0;
};

}  // namespace PM::Test
