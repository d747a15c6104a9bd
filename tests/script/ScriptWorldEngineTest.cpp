// The script engine: compiled names, loading through Storage and the parser hook, read paths per load.
#include <string>
#include <vector>

#include "ScriptWorldFixture.h"
#include "script/object/ScriptEngine_I.h"
#include "script/object/ValueBox.h"
#include "storage/Storage.h"

namespace PM::Test {
namespace {

struct Run {
  std::string name, readPath, bytes;
};
std::vector<Run> g_runs;
std::string g_include;  // a script the first run loads in turn

Obj<ScriptObject> RecordingParser(ScriptEngine* engine, StreamPipe* stream, const String& name, uint32_t) {
  Run run{name.CStr(), Storage::GetReadPath().CStr(), ""};
  char buf[64];
  for (int64_t n; (n = stream->Read(buf, sizeof buf)) > 0;) run.bytes.append(buf, size_t(n));
  g_runs.push_back(run);
  if (!g_include.empty()) {
    std::string inner = g_include;
    g_include.clear();
    engine->LoadFile(inner.c_str(), 1, 0);
    g_runs.push_back({"after include", Storage::GetReadPath().CStr(), ""});
  }
  return Obj<ScriptObject>(NewBox<VI32>(int32_t(g_runs.size())));
}

struct EngineTest : ScriptWorldTest {
  void SetUp() override {
    ScriptWorldTest::SetUp();
    g_runs.clear();
    g_include.clear();
    SetScriptStreamParser(&RecordingParser);
    engine = static_cast<ScriptEngine_I*>(ScriptEngine::Create());
  }
  void TearDown() override {
    engine.Clear();
    SetScriptStreamParser(nullptr);
    Storage::SetReadPath(String());
    ScriptWorldTest::TearDown();
  }
  Obj<ScriptEngine_I> engine;
};

TEST(ScriptEngineNames, CompiledNamesReplaceTheExtension) {
  const char* cases[][2] = {
      {"a.bh", "a.[bhb]"},     {"a.txt", "a.[bsb]"},         {"a.bs", "a.[bsb]"},     {"a", "a.[bsb]"},
      {"a.b.bh", "a.b.[bhb]"}, {"dir.x/a", "dir.x/a.[bsb]"}, {"d/a.BH", "d/a.[bsb]"}, {"x.bhx", "x.[bsb]"},
  };
  for (auto& c : cases) EXPECT_STREQ(ScriptEngine::CompiledName(c[0]).CStr(), c[1]) << c[0];
}

TEST_F(EngineTest, SlotsGiveTheNamespaceAndTheProgressObject) {
  ScriptNamespace* ns = engine->GetNamespace();
  ASSERT_NE(ns, nullptr);
  EXPECT_TRUE(ns->IsA(ScriptNamespace::kClassId));
  EXPECT_EQ(engine->GetProgress(), nullptr);
  Obj<ScriptObject> other(ScriptNamespace::Create("other"));
  engine->SetNamespace(static_cast<ScriptNamespace*>(other.Get()));
  EXPECT_EQ(engine->GetNamespace(), other.Get());
  engine->SetNamespace(nullptr);
  EXPECT_EQ(engine->GetNamespace(), other.Get());
  EXPECT_NE(TakeLog().find("the current one stays"), std::string::npos);
}

TEST_F(EngineTest, LoadingOpensTheCompiledFormWithTheScriptsFolderAsReadPath) {
  std::string dir = m_dir.Path() + "/";
  WriteFile(dir + "a.bhb", "header");
  WriteFile(dir + "b.bsb", "script");
  WriteFile(dir + "b.txt", "text");
  Storage::SetReadPath("outer/");
  Obj<ScriptObject> r = engine->LoadFile((dir + "a.bh").c_str(), 1, 0);
  ASSERT_EQ(g_runs.size(), 1u);
  EXPECT_EQ(g_runs[0].name, dir + "a.bhb");
  EXPECT_EQ(g_runs[0].bytes, "header");
  EXPECT_EQ(g_runs[0].readPath, dir);
  EXPECT_STREQ(Storage::GetReadPath().CStr(), "outer/");
  EXPECT_EQ(static_cast<ValueBox<VI32>*>(r.Get())->value, 1);
  engine->LoadFile((dir + "b.txt").c_str(), 1, 0);
  ASSERT_EQ(g_runs.size(), 2u);
  EXPECT_EQ(g_runs[1].bytes, "script");
  EXPECT_EQ(TakeLog(), "");
}

TEST_F(EngineTest, NestedLoadsSeeTheirOwnFolderAndRelativeNamesFollowTheReadPath) {
  std::string dir = m_dir.Path() + "/";
  WriteFile(dir + "main.bsb", "main");
  mkdir((dir + "sub").c_str(), 0755);
  WriteFile(dir + "sub/inc.bsb", "inc");
  g_include = "sub/inc.bs";  // relative to the including script's folder
  engine->LoadFile((dir + "main.bs").c_str(), 1, 0);
  ASSERT_EQ(g_runs.size(), 3u);
  EXPECT_EQ(g_runs[1].name, dir + "sub/inc.bsb");
  EXPECT_EQ(g_runs[1].bytes, "inc");
  EXPECT_EQ(g_runs[1].readPath, dir + "sub/");
  EXPECT_EQ(g_runs[2].readPath, dir);  // restored for the rest of the outer script
  EXPECT_STREQ(Storage::GetReadPath().CStr(), "");
}

TEST_F(EngineTest, MissingFilesAndAMissingParserAreReported) {
  std::string dir = m_dir.Path() + "/";
  WriteFile(dir + "t.bs", "p 1;");  // only the text form is there
  engine->LoadFile((dir + "t.bs").c_str(), 1, 0);
  ASSERT_EQ(g_runs.size(), 1u);  // the parser gets the null stream and reports the missing file itself
  EXPECT_EQ(g_runs[0].bytes, "");
  EXPECT_EQ(g_runs[0].name, dir + "t.[bsb]");
  EXPECT_NE(TakeLog().find("Storage: FileNotFound: " + dir + "t.[bsb] (the text script"), std::string::npos);
  engine->LoadFile((dir + "t.bs").c_str(), Storage::kReadQuiet, 0);
  EXPECT_EQ(TakeLog(), "");
  EXPECT_TRUE(engine->LoadFile("x.bs", Storage::kWrite, 0).IsNil());
  EXPECT_NE(TakeLog().find("ScriptEngine::LoadFile: mode 0x0000000E is not a read mode (\"x.bs\")."),
            std::string::npos);
  EXPECT_EQ(g_runs.size(), 2u);  // nothing more reached the parser
  // A NUL inside the name would open the part before it and skip the compiled form's ending.
  WriteFile(dir + "payload.txt", "p 2;");
  const std::string nul = dir + "payload.txt" + std::string(1, '\0') + ".bs";
  EXPECT_TRUE(engine->LoadFile(String(nul.data(), int(nul.size())), 1, 0).IsNil());
  EXPECT_NE(TakeLog().find("ScriptEngine::LoadFile: the file name \"" + dir +
                           "payload.txt\\x00.bs\" holds a NUL byte; it is not run."),
            std::string::npos);
  EXPECT_EQ(g_runs.size(), 2u);
  EXPECT_TRUE(engine->LoadFile("", 1, 0).IsNil());
  EXPECT_NE(TakeLog().find("ScriptEngine::LoadFile: no file name."), std::string::npos);
  SetScriptStreamParser(nullptr);
  EXPECT_TRUE(engine->LoadFile("x.bs", 1, 0).IsNil());
  EXPECT_NE(TakeLog().find("no script parser is installed; \"x.[bsb]\" is not run."), std::string::npos);
}

}  // namespace
}  // namespace PM::Test
