// The importer module on files made to hurt the host: what is not a regular file, names that would drive
// a terminal, a tree deeper than the engine draws, and the asset root widened on purpose. Every file is
// made here.
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <chrono>
#include <filesystem>
#include <string>

#include "ImportTestSupport.h"
#include "core/ResultCode.h"
#include "scene/ImportModelFunction.h"
#include "scene/ImportModule.h"
#include "script/lang/Parser.h"
#include "script/object/ScriptEngine.h"
#include "storage/Storage.h"
#include "support/LogCapture.h"
#include "support/TestEnv.h"

namespace PM::Test {
namespace {

namespace fs = std::filesystem;

class ImportHostileTest : public ImportModuleFixture<::testing::Test> {
 protected:
  void SetUp() override {
    StartFor(kModels + "OBJ/box.obj");
    m_importer = ImportModule::CreateImportModule("Maya");
    ASSERT_NE(m_importer, nullptr);
  }
  void TearDown() override {
    if (m_importer) m_importer->Release();
    ImportModuleFixture::TearDown();
  }
  std::string Write(const std::string& name, const std::string& bytes) {
    fs::create_directories(fs::path(m_dir.File(name)).parent_path());
    WriteFile(m_dir.File(name), bytes);
    return m_dir.File(name);
  }
  uint32_t Import(const std::string& file) {
    const auto start = std::chrono::steady_clock::now();
    const uint32_t rc = m_importer->Import(file.c_str());
    seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    ScriptObject* root = m_importer->TakeRoot();
    if (root) Obj<ScriptObject>().Attach(root);
    return rc;
  }
  ImportModule* m_importer = nullptr;
  double seconds = 0;
};

// A FIFO, a folder and a device as the model: one Error at once, and no reader waits on them.
TEST_F(ImportHostileTest, WhatIsNotARegularFileIsRefusedAtOnce) {
  const std::string fifo = m_dir.File("model.obj");
  ASSERT_EQ(mkfifo(fifo.c_str(), 0600), 0);
  const struct {
    std::string file;
    const char* what;
  } cases[] = {{fifo, "a FIFO"}, {m_dir.Path(), "a folder"}, {"/dev/zero", "a device"}};
  for (const auto& c : cases) {
    LogCapture log;
    EXPECT_EQ(Import(c.file), EFail);
    EXPECT_EQ(log.Text(),
              "Error Import: Cannot import \"" + c.file + "\": it is " + c.what + ", not a regular file.\n");
    EXPECT_LT(seconds, 5);
  }
}

// Escape sequences in the model's own name, in a path it names and in its texture's name: every line
// logged carries them escaped, with no control byte but the lines' ends.
TEST_F(ImportHostileTest, EscapeSequencesFromAFileReachTheLogInert) {
  const std::string model = Write("m/e\x1b]0;pwned\x07.obj",
                                  "mtllib ../\x1b[2Jx.mtl\nmtllib t.mtl\nusemtl a\n"
                                  "v 0 0 0\nv 1 0 0\nv 0 1 0\nvt 0 0\nf 1/1 2/1 3/1\n");
  Write("m/t.mtl", "newmtl a\nmap_Kd \x1b[31mred\nError Import: forged.png\n");
  const std::string gltf = Write(
      "m/\xc2\x9b"
      "buffer.gltf",
      R"({"asset":{"version":"2.0"},"buffers":[{"uri":"\u001b[2Jgone.bin\nError Import: forged","byteLength":36}],
    "bufferViews":[{"buffer":0,"byteLength":36}],
    "accessors":[{"bufferView":0,"componentType":5126,"count":3,"type":"VEC3","min":[0,0,0],"max":[1,1,1]}],
    "meshes":[{"primitives":[{"attributes":{"POSITION":0}}]}],"nodes":[{"mesh":0}],"scenes":[{"nodes":[0]}]})");
  LogCapture log;
  EXPECT_EQ(Import(model), SOK);
  EXPECT_EQ(Import(gltf), EFail);
  const std::string& text = log.Text();
  for (size_t i = 0; i < text.size(); ++i) {
    const auto c = static_cast<unsigned char>(text[i]);
    EXPECT_TRUE(c >= 0x20 || c == '\n') << "byte " << int(c) << " at " << i << " of\n" << text;
    EXPECT_FALSE(c == 0xc2 && i + 1 < text.size() && static_cast<unsigned char>(text[i + 1]) < 0xa0) << text;
  }
  const std::string inertModel = m_dir.File("m/e\\x1b]0;pwned\\x07.obj");
  EXPECT_NE(text.find("Import(\"" + inertModel + "\"): \"" + m_dir.File("m/../\\x1b[2Jx.mtl") + "\" is not opened"),
            std::string::npos)
      << text;
  EXPECT_NE(text.find("Import(\"" + inertModel + "\"): the texture \"\\x1b[31mred\" is missing"), std::string::npos)
      << text;
  EXPECT_EQ(log.Count("Import: Cannot import \"" + m_dir.File("m/\\u009bbuffer.gltf") + "\": "), 1) << text;
  EXPECT_EQ(log.Count("\nError Import: forged"), 0) << text;
  EXPECT_EQ(log.Count("\\x1b[2Jgone.bin Error Import: forged\"."), 1) << text;  // within the one Error
}

// A chain of 10,000 nodes is refused by the import itself, not first imported and then refused when drawn.
TEST_F(ImportHostileTest, ATreeDeeperThanTheEngineDrawsIsRefusedAtImport) {
  std::string nodes;
  constexpr int kChain = 10000;
  for (int i = 0; i < kChain; ++i) {
    nodes.append(i ? "," : "").append("{\"name\":\"n").append(std::to_string(i)).append("\"");
    if (i + 1 < kChain) nodes.append(",\"children\":[").append(std::to_string(i + 1)).append("]");
    nodes += "}";
  }
  const std::string file =
      Write("deep.gltf", "{\"asset\":{\"version\":\"2.0\"},\"nodes\":[" + nodes + "],\"scenes\":[{\"nodes\":[0]}]}");
  LogCapture log;
  EXPECT_EQ(Import(file), EFail);
  EXPECT_EQ(log.Text(), "Error Import: Cannot import \"" + file + "\": the importer refused it: the scene has " +
                            std::to_string(kChain) + " levels of nodes, more than the 4094 an import takes.\n");
}

// A material library beside the model's folder: refused by default, read once the root is widened through
// the module's options.
TEST_F(ImportHostileTest, TheAssetRootIsWidenedOnPurpose) {
  Write("shared/red.mtl", "newmtl red\nKd 1 0 0\n");
  const std::string model =
      Write("shared/model/tri.obj", "mtllib ../red.mtl\nusemtl red\nv 0 0 0\nv 1 0 0\nv 0 1 0\nf 1 2 3\n");
  {
    LogCapture log;
    ASSERT_EQ(Import(model), SOK);
    const std::string folder = fs::canonical(m_dir.File("shared/model")).string();
    EXPECT_EQ(log.Count("red.mtl\" is not opened: it lies outside the asset root \"" + folder +
                        "\" (ImportModel's second argument widens the root).\n"),
              1)
        << log.Text();
    // Refused, the library is not also called missing.
    EXPECT_EQ(log.Count("\"): the material library \"../red.mtl\" it names is not read (and \"" + folder +
                        "/tri.mtl\" is missing); its faces take the default material.\n"),
              1)
        << log.Text();
    EXPECT_EQ(log.Count("red.mtl\" it names is missing"), 0) << log.Text();
  }
  const std::string root = m_dir.File("shared");
  ImportOptions options;
  options.assetRoot = root.c_str();
  m_importer->SetOptions(options);
  {
    LogCapture log;
    ASSERT_EQ(Import(model), SOK);
    EXPECT_EQ(log.Text(), "");
  }
  // ImportModel's second argument, relative to the script's folder as the file is.
  Obj<ScriptEngine> engine(static_cast<ScriptEngine*>(ScriptEngine::Create()));
  ASSERT_TRUE(RegisterImportModel(engine->GetNamespace()));
  ReadPathScope scope(String((m_dir.Path() + "/").c_str()));
  LogCapture log;
  int errors = 0;
  Parser::ParseText(engine, String("RenderChannel:c . { .SceneRoot ImportModel('shared/model/tri.obj', 'shared'); };"),
                    String("test"), kParseCountLines, &errors);
  Parser::ParseText(engine, String("RenderChannel:d . { .SceneRoot ImportModel('shared/model/tri.obj'); };"),
                    String("test"), kParseCountLines, &errors);
  EXPECT_EQ(log.Count("red.mtl\" is not opened"), 1) << log.Text();
}

}  // namespace
}  // namespace PM::Test
