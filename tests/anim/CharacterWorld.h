// A started library with a script engine for the character operations: characters are built from
// script text, found by name and read by member id; the error log is captured, and every block made
// during a test must be gone once the engine is.
#pragma once

#include <gtest/gtest.h>

#include <cstdlib>
#include <optional>
#include <string>

#include "core/Block.h"
#include "core/StartUp.h"
#include "script/lang/Parser.h"
#include "script/object/MemberAccess.h"
#include "script/object/ScriptEngine.h"
#include "script/object/ScriptNamespace.h"
#include "support/LogCapture.h"
#include "support/TestEnv.h"

namespace PM::Test {

class CharacterWorld : public ::testing::Test {
 protected:
  void SetUp() override {
    setenv("PM_LOG_DIR", m_dir.Path().c_str(), 1);
    ASSERT_EQ(DLLInitialize(1), 0u);
    m_log.emplace();
    m_live = LiveBlockCount();
    m_engine = static_cast<ScriptEngine*>(ScriptEngine::Create());
  }
  void TearDown() override {
    m_engine.Clear();
    EXPECT_EQ(LiveBlockCount(), m_live) << "blocks left alive by the test";
    m_log.reset();
    DLLDeInitialize(1);
  }
  // Runs script text; the test fails on any script error.
  void Run(const std::string& text) {
    int errors = -1;
    Parser::ParseText(m_engine, String(text.c_str()), String("t.bs"), kParseQuiet, &errors);
    ASSERT_EQ(errors, 0) << text;
  }
  ScriptObject* Named(const char* name) {
    ScriptObject* o = m_engine->GetNamespace()->FindObject(String(name));
    EXPECT_NE(o, nullptr) << name;
    return o ? o : NilScriptObject();
  }
  std::string TakeLog() { return m_log->Take(); }
  static std::string NameOf(ScriptObject* o) { return MemberGet<VString>(o, 0x01FFF040).CStr(); }

  TempDir m_dir;
  std::optional<LogCapture> m_log;
  long m_live = 0;
  Obj<ScriptEngine> m_engine;
};

}  // namespace PM::Test
