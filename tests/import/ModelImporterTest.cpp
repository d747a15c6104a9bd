// The importer module as hosts reach it: CreateImportModule("Maya"), Import, TakeRoot, and the script
// function ImportModel with the names it registers.
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <new>
#include <string>
#include <vector>

#include "ImportTestSupport.h"
#include "anim/AnimationClip.h"
#include "anim/AnimationScheduler.h"
#include "core/Log.h"
#include "core/ResultCode.h"
#include "core/StartUp.h"
#include "geometry/PolygonGeometry.h"
#include "scene/Camera.h"
#include "scene/ImportModelFunction.h"
#include "scene/ImportModule.h"
#include "scene/Joint.h"
#include "scene/Light.h"
#include "scene/Transform.h"
#include "script/lang/Parser.h"
#include "script/object/ScriptEngine.h"
#include "storage/Storage.h"
#include "support/LogCapture.h"
#include "support/TestEnv.h"

namespace PM::Test {
namespace {

const std::string kBox = kModels + "glTF2/BoxTextured-glTF/BoxTextured.gltf";

class ModelImporterTest : public ImportModuleFixture<::testing::Test> {
 protected:
  void SetUp() override { StartFor(kBox); }
  static std::string Name(ScriptObject* o) { return static_cast<Object_I*>(o)->m_name.CStr(); }
};

TEST_F(ModelImporterTest, ImportBuildsTheTreeAndTakeRootHandsItOverOnce) {
  ImportModule* importer = ImportModule::CreateImportModule("Maya");
  ASSERT_NE(importer, nullptr);
  EXPECT_STREQ(importer->GetTypeName(), "Maya");
  LogCapture log;
  ASSERT_EQ(importer->Import(kBox.c_str()), SOK);
  Obj<ScriptObject> root;
  root.Attach(importer->TakeRoot());
  EXPECT_EQ(importer->TakeRoot(), nullptr);
  ASSERT_TRUE(root->IsA(TTransform_I::kClassId));
  EXPECT_EQ(Name(root), "ModelUp");  // the up turn, the identity for a glTF file
  auto* fileRoot = static_cast<TBranch_I*>(static_cast<TBranch_I*>(root.Get())->m_children[0].Get());
  EXPECT_EQ(Name(fileRoot), "nodes_0_");
  auto* node = static_cast<TBranch_I*>(fileRoot->m_children[0].Get());
  EXPECT_EQ(Name(node), "nodes_1_");
  auto* box = static_cast<TPolygonGeometry_I*>(node->m_children[0].Get());
  ASSERT_TRUE(box->IsA(TPolygonGeometry_I::kClassId));
  EXPECT_EQ(static_cast<SPolygonGeometry_I*>(box->GetSNode())->m_primCount, 12);
  EXPECT_EQ(log.Text(), "");
  importer->Release();  // the tree stays the caller's
  EXPECT_TRUE(root->IsA(TTransform_I::kClassId));
}

TEST_F(ModelImporterTest, AFailedImportLogsOneErrorNamingTheFileAndAttachesNothing) {
  ImportModule* importer = ImportModule::CreateImportModule("Maya");
  ASSERT_NE(importer, nullptr);
  ASSERT_EQ(importer->Import(kBox.c_str()), SOK);  // a root from before is dropped by the next import
  const std::string missing = m_dir.File("truck.glb");
  const std::string empty = m_dir.File("empty.obj");
  { std::ofstream(empty) << "# nothing\n"; }
  for (const std::string& file : {missing, empty}) {
    LogCapture log;
    EXPECT_EQ(importer->Import(file.c_str()), EFail) << file;
    EXPECT_EQ(importer->TakeRoot(), nullptr);
    EXPECT_EQ(log.Lines(), 1) << log.Text();
    EXPECT_EQ(log.Text().rfind("Error Import: Cannot import \"" + file + "\": ", 0), 0u) << log.Text();
  }
  LogCapture log;
  EXPECT_EQ(importer->Import(""), EInvalidArgument);
  EXPECT_EQ(importer->Import(nullptr), EInvalidArgument);
  EXPECT_EQ(log.Text(), "Error Import: no file name given.\nError Import: no file name given.\n");
  importer->Release();
}

// The stages a host heard; the building stage can run out of memory, as the host's own code would.
std::vector<ImportStage> g_stages;
bool g_starve = false;
void Starving(const char*, ImportStage stage, uint64_t) {
  g_stages.push_back(stage);
  if (g_starve && stage == ImportStage::kBuilding) throw std::bad_alloc();
}

// Memory running out while the host builds a model ends that import at the module's edge: one error, no
// root (not even the last one's), the host told the import is done, and the next import goes on.
TEST_F(ModelImporterTest, RunningOutOfMemoryEndsTheImportNotTheHost) {
  ImportModule* importer = ImportModule::CreateImportModule("Maya");
  ASSERT_NE(importer, nullptr);
  ASSERT_EQ(importer->Import(kBox.c_str()), SOK);
  SetImportProgressHandler(Starving);
  g_stages.clear();
  g_starve = true;
  {
    LogCapture log;
    EXPECT_EQ(importer->Import(kBox.c_str()), EFail);
    EXPECT_EQ(log.Text(),
              "Error Import: Cannot import \"" + kBox + "\": the host ran out of memory while building it.\n");
  }
  g_starve = false;
  SetImportProgressHandler(nullptr);
  EXPECT_EQ(importer->TakeRoot(), nullptr);
  ASSERT_FALSE(g_stages.empty());
  EXPECT_EQ(g_stages.back(), ImportStage::kDone);
  ASSERT_EQ(importer->Import(kBox.c_str()), SOK);
  Obj<ScriptObject> root;
  root.Attach(importer->TakeRoot());
  EXPECT_TRUE(root->IsA(TTransform_I::kClassId));
  importer->Release();
}

TEST_F(ModelImporterTest, ImportModelAnswersTheRootAndRegistersItsNamesOnceEach) {
  Obj<ScriptEngine> engine(static_cast<ScriptEngine*>(ScriptEngine::Create()));
  ASSERT_TRUE(RegisterImportModel(engine->GetNamespace()));
  ASSERT_TRUE(RegisterImportModel(engine->GetNamespace()));  // again: nothing new
  ScriptNamespace* names = engine->GetNamespace();
  LogCapture log;
  int errors = 0;
  // The second import of the same file numbers its names; a relative name is read from the script's folder.
  const std::string folder = kBox.substr(0, kBox.rfind('/') + 1);
  Parser::ParseText(engine, String(("RenderChannel:c . { .SceneRoot ImportModel('" + kBox + "'); };").c_str()),
                    String("test"), kParseCountLines, &errors);
  {
    ReadPathScope scope(String(folder.c_str()));
    Parser::ParseText(
        engine, String("TTransform:second . { }; RenderChannel:d . { .SceneRoot ImportModel('BoxTextured.gltf'); };"),
        String("test"), kParseCountLines, &errors);
  }
  ScriptObject* first = names->FindObject(String("nodes_0_"));
  ScriptObject* second = names->FindObject(String("nodes_0__2"));
  ASSERT_TRUE(first->IsA(TTransform_I::kClassId));
  ASSERT_TRUE(second->IsA(TTransform_I::kClassId));
  EXPECT_NE(first, second);
  EXPECT_EQ(Name(second), "nodes_0__2");
  EXPECT_TRUE(names->FindObject(String("nodes_1_"))->IsA(TTransform_I::kClassId));
  EXPECT_TRUE(names->FindObject(String("Mesh"))->IsA(SPolygonGeometry_I::kClassId));
  EXPECT_TRUE(names->FindObject(String("Mesh_2"))->IsA(SPolygonGeometry_I::kClassId));
  // Missing or wrong arguments: a script error each, with the script's file and line, counted among the
  // run's errors; a failed import: logged by the importer. Both answer nil.
  errors = 0;
  LogCapture script(LogOutPipe());  // where the parser reports
  Parser::ParseText(engine,
                    String("ImportModel();\nRenderChannel:e . { .SceneRoot ImportModel(3); };\n"
                           "ImportModel('a.obj', 2);\nImportModel('missing.obj');"),
                    String("calls.bs"), kParseCountLines, &errors);
  EXPECT_EQ(errors, 3);
  const std::string said = "    CallGlobalFunction: invalid arguments for function 0x0007 \"ImportModel\".\n";
  for (const char* where : {"File: calls.bs(1) x=15 :\n", "File: calls.bs(2) x=47 :\n", "File: calls.bs(3) x=25 :\n"})
    EXPECT_NE(script.Text().find(where + said), std::string::npos) << where << script.Text();
  EXPECT_EQ(script.Count("CallGlobalFunction"), 3) << script.Text();
  EXPECT_EQ(log.Text().find("CallGlobalFunction"), std::string::npos) << log.Text();
  EXPECT_NE(log.Text().find("Error Import: Cannot import \"missing.obj\""), std::string::npos) << log.Text();
}

// Joints are registered as transform nodes are; cameras and lights by their S-nodes, after their nodes and
// placement transforms have taken the file's name.
TEST_F(ModelImporterTest, ImportModelRegistersJointsCamerasAndLights) {
  const std::string models = "/usr/share/assimp/models/";
  Obj<ScriptEngine> engine(static_cast<ScriptEngine*>(ScriptEngine::Create()));
  ASSERT_TRUE(RegisterImportModel(engine->GetNamespace()));
  ScriptNamespace* names = engine->GetNamespace();
  int errors = 0;
  Parser::ParseText(engine,
                    String(("RenderChannel:c . { .SceneRoot ImportModel('" + models +
                            "glTF2/simple_skin/simple_skin.gltf'); };\nRenderChannel:d . { .SceneRoot ImportModel('" +
                            models + "Collada/duck.dae'); };")
                               .c_str()),
                    String("test"), kParseCountLines, &errors);
  EXPECT_EQ(errors, 0);
  EXPECT_TRUE(names->FindObject(String("nodes_1_"))->IsA(TJoint_I::kClassId));
  EXPECT_TRUE(names->FindObject(String("nodes_2_"))->IsA(TJoint_I::kClassId));
  EXPECT_TRUE(names->FindObject(String("camera1"))->IsA(TTransform_I::kClassId));
  EXPECT_TRUE(names->FindObject(String("camera1_2"))->IsA(TTransform_I::kClassId));
  EXPECT_TRUE(names->FindObject(String("camera1_3"))->IsA(SCamera_I::kClassId));
  EXPECT_TRUE(names->FindObject(String("directionalLight1_3"))->IsA(SLight_I::kClassId));
  // The animated file's scheduler under the first free SchedulerN (the host steps those), its clip by
  // name; the still one brings none.
  ScriptObject* scheduler = names->FindObject(String("Scheduler0"));
  ASSERT_TRUE(scheduler->IsA(AnimationScheduler_I::kClassId));
  EXPECT_TRUE(IsNilObject(names->FindObject(String("Scheduler1"))));
  ASSERT_EQ(static_cast<AnimationScheduler_I*>(scheduler)->m_animationClip.Count(), 1);
  AnimationClip_I* clip = static_cast<AnimationScheduler_I*>(scheduler)->m_animationClip[0];
  EXPECT_EQ(names->FindObject(clip->m_name), clip);
  EXPECT_STREQ(clip->m_name.CStr(), "clip");  // the file leaves the animation unnamed
}

// A material whose texture file is absent is handed out with the texture's name as the .mtl writes it;
// one whose texture is beside the model is not. ImportModel keeps the last call's list for the host.
TEST_F(ModelImporterTest, MaterialsWhoseTextureIsAbsentAreHandedOutAfterTheImport) {
  // A 2 x 2 uncompressed true-colour TGA.
  std::string tga(18, '\0');
  tga[2] = 2;
  tga[12] = tga[14] = 2;
  tga[16] = 24;
  tga += std::string(12, '\x80');
  WriteFile(m_dir.File("wood.tga"), tga);
  WriteFile(m_dir.File("two.mtl"),
            "newmtl Lost\nKd 1 0 0\nmap_Kd maps/gone.png\n"
            "newmtl Wood\nKd 1 1 1\nmap_Kd wood.tga\n");
  const std::string obj = m_dir.File("two.obj");
  WriteFile(obj,
            "mtllib two.mtl\nv 0 0 0\nv 1 0 0\nv 0 1 0\nvt 0 0\nvt 1 0\nvt 0 1\n"
            "o a\nusemtl Lost\nf 1/1 2/2 3/3\no b\nusemtl Wood\nf 1/1 3/3 2/2\no c\nusemtl Lost\nf 2/2 3/3 1/1\n");
  const MissingTextures expected{{"Lost", "maps/gone.png"}};
  ImportModule* importer = ImportModule::CreateImportModule("Maya");
  ASSERT_NE(importer, nullptr);
  EXPECT_TRUE(importer->GetMissingTextures().empty());
  ASSERT_EQ(importer->Import(obj.c_str()), SOK);
  Obj<ScriptObject> root;
  root.Attach(importer->TakeRoot());
  EXPECT_EQ(importer->GetMissingTextures(), expected);
  EXPECT_EQ(importer->GetMissingTextures(), expected);  // read, not taken
  EXPECT_EQ(importer->Import(m_dir.File("none.obj").c_str()), EFail);
  EXPECT_TRUE(importer->GetMissingTextures().empty());
  importer->Release();

  Obj<ScriptEngine> engine(static_cast<ScriptEngine*>(ScriptEngine::Create()));
  ASSERT_TRUE(RegisterImportModel(engine->GetNamespace()));
  int errors = 0;
  Parser::ParseText(engine, String(("ImportModel('" + obj + "');").c_str()), String("test"), kParseCountLines, &errors);
  EXPECT_EQ(LastImportMissingTextures(), expected);
  // Each call replaces the list: a file with every texture found, a failed import, a call that is refused.
  for (const std::string& call : {"ImportModel('" + kBox + "');", "ImportModel('" + obj + "');ImportModel('none.obj');",
                                  "ImportModel('" + obj + "');ImportModel(3);"}) {
    Parser::ParseText(engine, String(call.c_str()), String("test"), kParseCountLines, &errors);
    EXPECT_TRUE(LastImportMissingTextures().empty()) << call;
  }
}

// The texture path through the module's options and through ImportModel's third argument (folders
// separated by ":", each from the script's folder) or SetImportTexturePath: a texture named by a path
// that leaves the model's folder is listed as outside the asset root, then found by its file name.
TEST_F(ModelImporterTest, TheTexturePathFindsTexturesBesideTheModelsFolder) {
  std::string tga(18, '\0');  // a 2 x 2 uncompressed true-colour TGA
  tga[2] = 2;
  tga[12] = tga[14] = 2;
  tga[16] = 24;
  tga += std::string(12, '\x80');
  std::filesystem::create_directories(m_dir.File("pack/models"));
  std::filesystem::create_directories(m_dir.File("pack/textures"));
  WriteFile(m_dir.File("pack/textures/wood.tga"), tga);
  WriteFile(m_dir.File("pack/models/door.mtl"), "newmtl Wood\nKd 1 1 1\nmap_Kd ../textures/wood.tga\n");
  const std::string obj = m_dir.File("pack/models/door.obj");
  WriteFile(obj, "mtllib door.mtl\nv 0 0 0\nv 1 0 0\nv 0 1 0\nvt 0 0\nvt 1 0\nvt 0 1\nusemtl Wood\nf 1/1 2/2 3/3\n");
  const MissingTextures refused{{"Wood", "../textures/wood.tga", MissingTexture::Cause::kOutsideRoot}};

  ImportModule* importer = ImportModule::CreateImportModule("Maya");
  ASSERT_NE(importer, nullptr);
  ASSERT_EQ(importer->Import(obj.c_str()), SOK);
  Obj<ScriptObject> root;
  root.Attach(importer->TakeRoot());
  EXPECT_EQ(importer->GetMissingTextures(), refused);
  ImportOptions options;
  options.texturePath = {m_dir.File("pack/textures")};
  importer->SetOptions(options);
  ASSERT_EQ(importer->Import(obj.c_str()), SOK);
  root.Attach(importer->TakeRoot());
  EXPECT_TRUE(importer->GetMissingTextures().empty());
  importer->Release();

  Obj<ScriptEngine> engine(static_cast<ScriptEngine*>(ScriptEngine::Create()));
  ASSERT_TRUE(RegisterImportModel(engine->GetNamespace()));
  ReadPathScope scope(String((m_dir.Path() + "/").c_str()));
  int errors = 0;
  auto run = [&](const std::string& text) {
    Parser::ParseText(engine, String(text.c_str()), String("test"), kParseCountLines, &errors);
    return LastImportMissingTextures();
  };
  EXPECT_EQ(run("ImportModel('pack/models/door.obj');"), refused);
  EXPECT_TRUE(run("ImportModel('pack/models/door.obj', '', 'nowhere:pack/textures');").empty());
  SetImportTexturePath({m_dir.File("pack/textures")});
  EXPECT_TRUE(run("ImportModel('pack/models/door.obj');").empty());
  EXPECT_EQ(run("ImportModel('pack/models/door.obj', '', '');"), refused);  // an empty path: none
  SetImportTexturePath({});
  EXPECT_EQ(errors, 0);
}

}  // namespace
}  // namespace PM::Test
