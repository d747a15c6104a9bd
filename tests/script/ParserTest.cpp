// The parser's entry points: streams and memory with their header checks, expressions and conditions,
// the quiet bit, include through the engine, and the per-error report.
#include <fstream>

#include "ParserFixture.h"
#include "script/object/ValueBox.h"
#include "storage/Storage.h"

namespace PM::Test {
namespace {

using ParserTest = ParserFixture;

TEST_F(ParserTest, ErrorReportNamesFileLineAndColumn) {
  RunText("pl 1;\n  pl 'a' $;", kParseCountLines, "where.bs");
  std::string out = Out();
  EXPECT_EQ(out.substr(0, out.find("\nError [")),
            "1\naFile: where.bs(2) x=11 :\n    ParseValueCB: unexpected token LT_0x00000063.\n"
            "File: where.bs(2) x=12 :\n    Print: unsupported or invalid value.\n");
}

TEST_F(ParserTest, QuietRunsWriteNothingAndReturnNil) {
  Ns()->SetResult(Ns());
  Obj<ScriptObject> r = RunText("x;\nif 1 { };", kParseCountLines | kParseQuiet);
  EXPECT_TRUE(r.IsNil());
  EXPECT_EQ(Out(), "");
  EXPECT_EQ(Err(), "");
}

TEST_F(ParserTest, ParseStreamChecksTheHeader) {
  StreamPipeRef empty(NewMemoryStream());
  EXPECT_TRUE(Parser::ParseStream(m_engine, empty.Get(), "gone.bsb", 0).IsNil());
  std::string err = Err();
  EXPECT_NE(err.find("The file \"gone.bsb\" does not exist."), std::string::npos) << err;
  EXPECT_NE(err.find("8000000A"), std::string::npos) << err;

  std::string text = "pl 'a';";
  StreamPipeRef plain(NewMemoryStream(text.data(), text.size()));
  Out();
  EXPECT_TRUE(Parser::ParseStream(m_engine, plain.Get(), "plain.bs", 0).IsNil());
  EXPECT_EQ(Err(), "");
  EXPECT_EQ(Out(), "");

  std::string old = "BSB\x04" + Compile("pl 'a';").substr(4);
  StreamPipeRef v4(NewMemoryStream(old.data(), old.size()));
  EXPECT_TRUE(Parser::ParseStream(m_engine, v4.Get(), "old.bsb", 0).IsNil());
  EXPECT_NE(Err().find("The file \"old.bsb\" has an incompatible binary script header, please reconvert it."),
            std::string::npos);
  std::string bad = "BXB\x05";
  StreamPipeRef b(NewMemoryStream(bad.data(), bad.size()));
  Parser::ParseStream(m_engine, b.Get(), "bad.bsb", 0);
  EXPECT_NE(Err().find("The file \"bad.bsb\" has an invalid binary script header"), std::string::npos);
}

TEST_F(ParserTest, ParseMemoryRunsCompiledScripts) {
  std::string bytes = Compile("pl 'm' 2;");
  Parser::ParseMemory(m_engine, bytes.data(), bytes.size(), "m.bsb", 0);
  EXPECT_EQ(Out(), "m2\n");
  EXPECT_TRUE(Parser::ParseMemory(m_engine, "BSB", 3, "short", 0).IsNil());
  bytes[3] = 6;
  Parser::ParseMemory(m_engine, bytes.data(), bytes.size(), "m6.bsb", 0);
  EXPECT_NE(Err().find("incompatible binary script header"), std::string::npos);
  // Compiled scripts count no lines: their errors read line and column 0.
  RunCompiled("x;", 0, "c.bsb");
  EXPECT_NE(Out().find("File: c.bsb(0) x=0 :\n"), std::string::npos);
  EXPECT_NE(Err().find("Line: 0  Column: 0"), std::string::npos);
}

TEST_F(ParserTest, ExpressionsAndConditions) {
  Obj<ScriptObject> r = Parser::ParseExpression(m_engine, "42");
  ASSERT_EQ(r->GetClassID(), kClassI32);
  EXPECT_EQ(static_cast<ValueBox<VI32>*>(r.Get())->value, 42);
  r = Parser::ParseExpression(m_engine, "'s' ignored tokens");
  ASSERT_EQ(r->GetClassID(), kClassString);
  EXPECT_TRUE(Parser::ParseExpression(m_engine, "x").IsNil());
  EXPECT_NE(Out().find("ParseCondition: error in expression."), std::string::npos);

  EXPECT_EQ(Parser::ParseCondition(m_engine, "True"), 1u);
  EXPECT_EQ(Parser::ParseCondition(m_engine, "False"), 0u);
  EXPECT_EQ(Out(), "");
  EXPECT_EQ(Parser::ParseCondition(m_engine, "1"), 0x80000003u);
  EXPECT_NE(Out().find("ParseCondition: result is not Bool."), std::string::npos);
}

TEST_F(ParserTest, IncludeRunsACompiledFileWithItsOwnReadPath) {
  std::string sub = m_dir.Path() + "/sub";
  ASSERT_EQ(system(("mkdir -p '" + sub + "'").c_str()), 0);
  std::string inner = Compile("pl 'inner';\ninclude 'leaf.bs';");
  std::string leaf = Compile("pl 'leaf';");
  WriteFile(sub + "/inner.bsb", inner);
  WriteFile(sub + "/leaf.bsb", leaf);  // found through the included file's folder
  {
    ReadPathScope scope(String((m_dir.Path() + "/").c_str()));
    RunText("include 'sub/inner.bs';\npl 'outer';");
  }
  EXPECT_EQ(Out(), "inner\nleaf\nouter\n");
  EXPECT_EQ(Err(), "");
  // The hook lets the engine load files itself.
  Obj<ScriptObject> none = m_engine->LoadFile(String((sub + "/leaf.bs").c_str()), 1, 0);
  EXPECT_EQ(Out(), "leaf\n");
  RunText("include 7;");
  EXPECT_NE(Out().find("Include::FoundI32 unimplemented."), std::string::npos);
}

// Found by the script_parser fuzz target: with the output log pointed at another pipe (as hosts and the
// fuzz target do), closing the log files at exit treated that pipe as a log pipe.
TEST_F(ParserTest, LogFilesCloseWhileTheLogsPointElsewhere) {
  const int64_t before = LiveBlockCount();
  RunText("pl 'a' $;");
  EXPECT_NE(Out().find("ParseValueCB: unexpected token"), std::string::npos);
  std::string bytes = "BSB\x05\xff";
  EXPECT_TRUE(Parser::ParseMemory(m_engine, bytes.data(), bytes.size(), "f.bsb", kParseQuiet).IsNil());
  CloseLogFiles();
  EXPECT_EQ(LiveBlockCount(), before);
  Out();
  Err();
}

}  // namespace
}  // namespace PM::Test
