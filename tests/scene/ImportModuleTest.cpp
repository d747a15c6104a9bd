// Loading the importer module by source type with its messages, and collecting subtrees.
#include <dlfcn.h>

#include <cstdlib>

#include "TreeWorld.h"
#include "scene/ImportModule.h"
#include "support/TestEnv.h"

namespace PM::Test {
namespace {

class ImportModuleTest : public TreeWorld {
 protected:
  void TearDown() override {
    unsetenv("PM_MODULE_DIR");
    TreeWorld::TearDown();
  }
  // The log without the module loader's Debug lines.
  std::string TakeReports() {
    std::string all = TakeLog(), kept;
    for (size_t at = 0, end; at < all.size(); at = end + 1) {
      end = all.find('\n', at);
      if (end == std::string::npos) end = all.size();
      if (all.compare(at, 6, "Debug ") != 0) kept += all.substr(at, end - at + 1);
    }
    return kept;
  }
  static bool ImporterLoaded(const char* dir) {
    void* h = dlopen((std::string(dir) + "/Pelmora010276IM.so").c_str(), RTLD_LAZY | RTLD_NOLOAD);
    if (h) dlclose(h);  // drops only the reference NOLOAD added
    return h != nullptr;
  }
};

TEST_F(ImportModuleTest, OnlyMayaByteForByteTriesTheModule) {
  setenv("PM_MODULE_DIR", PM_IMPORTER_DIR, 1);
  const bool before = ImporterLoaded(PM_IMPORTER_DIR);
  for (const char* type : {"maya", "MAYA", "Maya ", "Max", "", static_cast<const char*>(nullptr)}) {
    EXPECT_EQ(ImportModule::CreateImportModule(type), nullptr) << (type ? type : "null");
  }
  EXPECT_EQ(ImporterLoaded(PM_IMPORTER_DIR), before);
  EXPECT_EQ(TakeLog(), "");
}

TEST_F(ImportModuleTest, MissingModuleOrFactoryIsLoggedAndGivesNull) {
  TempDir empty;
  struct Case {
    std::string dir;
    const char* log;
  } cases[] = {
      {empty.Path(), "Error ImportModule::CreateImportModule(\"Pelmora010276IM.DLL\"): DLL load failed.\n"},
      {PM_IMPORTER_BARE_DIR, "Error ImportModule::CreateImportModule(\"Pelmora010276IM.DLL\"): function unresolved.\n"},
  };
  for (const Case& c : cases) {
    setenv("PM_MODULE_DIR", c.dir.c_str(), 1);
    EXPECT_EQ(ImportModule::CreateImportModule("Maya"), nullptr);
    EXPECT_EQ(TakeReports(), c.log);
  }
}

TEST_F(ImportModuleTest, TheModulesObjectAnswersAndTheModuleStaysLoaded) {
  setenv("PM_MODULE_DIR", PM_IMPORTER_DIR, 1);
  ImportModule* importer = ImportModule::CreateImportModule("Maya");
  ASSERT_NE(importer, nullptr);
  EXPECT_STREQ(importer->GetTypeName(), "Maya");
  EXPECT_EQ(importer->Import("scene.mb"), 0u);
  EXPECT_EQ(importer->Import(""), 0x80000003u);
  EXPECT_EQ(importer->TakeRoot(), nullptr);
  importer->Release();
  EXPECT_TRUE(ImporterLoaded(PM_IMPORTER_DIR));
  EXPECT_EQ(TakeLog(), "");
}

TEST_F(ImportModuleTest, CollectingListsParentsFirstAndChildrenLastFirst) {
  ScriptObject* root = Add("TTransform", "root");
  ScriptObject* a = Add("TTransform", "A", root);
  Add("TPolygonGeometry", "A1", a);
  ScriptObject* b = Add("TJoint", "B", root);
  Add("TJoint", "B1", b);
  Add("TJoint", "B2", b);
  MemberSetAt<VObject>(root, kMemberTBranchChild, 3, NilScriptObject());  // a nil slot is skipped
  Obj<ScriptObject> lone = Make("TCamera", "lone");

  struct Case {
    const char* what;
    Array<Obj<ScriptObject>> before;
    ScriptObject* node;
    const char* want;
  } cases[] = {
      {"whole tree", {}, root, "root B B2 B1 A A1"},
      {"a listed node adds nothing, nor its children", {Obj<ScriptObject>(a)}, root, "A root B B2 B1"},
      {"the root already listed", {Obj<ScriptObject>(root)}, root, "root"},
      {"a leaf", {}, lone, "lone"},
      {"nil", {}, NilScriptObject(), ""},
      {"null", {}, nullptr, ""},
  };
  for (Case& c : cases) {
    CollectSubtree(c.node, c.before);
    EXPECT_EQ(Names(c.before), c.want) << c.what;
  }
  EXPECT_EQ(TakeLog(), "");
}

TEST_F(ImportModuleTest, FindLastGivesTheHighestIndex) {
  Obj<ScriptObject> a = Make("TJoint", "a"), b = Make("TJoint", "b"), c = Make("TJoint", "c");
  const Array<Obj<ScriptObject>> list{a, b, a, Obj<ScriptObject>()};
  EXPECT_EQ(FindLast(list, a), 2);
  EXPECT_EQ(FindLast(list, b), 1);
  EXPECT_EQ(FindLast(list, c), -1);
  EXPECT_EQ(FindLast(list, nullptr), 3);  // null is the nil object
  EXPECT_EQ(FindLast({}, a), -1);
}

}  // namespace
}  // namespace PM::Test
