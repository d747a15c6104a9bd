// Shared fixture of the parser and statement tests: a started library with a script engine, the output
// and error logs captured, and runs of text and compiled scripts.
#pragma once

#include <gtest/gtest.h>

#include <cstdlib>
#include <string>

#include "ScriptCompiler.h"
#include "core/Log.h"
#include "core/StartUp.h"
#include "script/lang/Parser.h"
#include "script/object/ScriptEngine.h"
#include "storage/Streams.h"
#include "support/LogCapture.h"
#include "support/TestEnv.h"

namespace PM::Test {

class ParserFixture : public ::testing::Test {
 protected:
  void SetUp() override {
    setenv("PM_LOG_DIR", m_dir.Path().c_str(), 1);
    ASSERT_EQ(DLLInitialize(1), 0u);
    m_engine = static_cast<ScriptEngine*>(ScriptEngine::Create());
    m_savedOut = LogOutPipe();
    m_savedErr = LogErrPipe();
    m_savedPrint = PrintPipe();
    m_out = NewCounted<TextPipe>();
    m_err = NewCounted<TextPipe>();
    LogOutPipe() = StreamPipeRef(m_out);
    LogErrPipe() = StreamPipeRef(m_err);
    PrintPipe() = StreamPipeRef(m_out);  // prints and error reports in one text, in order
  }
  void TearDown() override {
    LogOutPipe() = m_savedOut;
    LogErrPipe() = m_savedErr;
    PrintPipe() = m_savedPrint;
    m_engine.Clear();
    DLLDeInitialize(1);
  }

  // What the output log (print statements and error reports) and the error log got since the last call.
  std::string Out() { return m_out->Take(); }
  std::string Err() { return m_err->Take(); }

  Obj<ScriptObject> RunText(const std::string& text, uint32_t flags = kParseCountLines, const char* name = "t.bs") {
    return Parser::ParseText(m_engine, String(text), String(name), flags);
  }
  static std::string Compile(const std::string& text) {
    CompileResult c = CompileScript(text.data(), text.size());
    EXPECT_TRUE(c.ok) << c.error;
    return c.bytes;
  }
  Obj<ScriptObject> RunCompiled(const std::string& text, uint32_t flags = 0, const char* name = "t.bsb") {
    std::string bytes = Compile(text);
    StreamPipeRef s(NewMemoryStream(bytes.data(), bytes.size()));
    return Parser::ParseStream(m_engine, s.Get(), String(name), flags);
  }
  // A script that fails must leave every reference count as it found it.
  void ExpectBalancedFailure(const std::string& text) {
    int64_t before = LiveBlockCount();
    RunText(text);
    EXPECT_EQ(LiveBlockCount(), before) << text;
    CompileResult c = CompileScript(text.data(), text.size());
    if (!c.ok) return;  // lexing errors have no compiled form
    StreamPipeRef s(NewMemoryStream(c.bytes.data(), c.bytes.size()));
    before = LiveBlockCount();
    Parser::ParseStream(m_engine, s.Get(), String("t.bsb"), 0);
    EXPECT_EQ(LiveBlockCount(), before) << text << " (compiled)";
  }
  ScriptNamespace* Ns() { return m_engine->GetNamespace(); }

  TempDir m_dir;
  Obj<ScriptEngine> m_engine;
  StreamPipeRef m_savedOut, m_savedErr, m_savedPrint;
  TextPipe* m_out = nullptr;
  TextPipe* m_err = nullptr;
};

}  // namespace PM::Test
