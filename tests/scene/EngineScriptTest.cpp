// Engine objects made and set by scripts in a started library: what scripts cannot read back (whole
// arrays, the read path a FileObject keeps) is checked from here.
#include <gtest/gtest.h>

#include <cstdlib>

#include "classes/FileObject.h"
#include "core/Log.h"
#include "core/StartUp.h"
#include "script/lang/Parser.h"
#include "script/object/ClassDatabase.h"
#include "script/object/MemberAccess.h"
#include "script/object/ScriptEngine.h"
#include "script/object/ScriptNamespace.h"
#include "storage/Storage.h"
#include "support/TestEnv.h"

namespace PM::Test {
namespace {

class EngineScriptTest : public ::testing::Test {
 protected:
  void SetUp() override {
    setenv("PM_LOG_DIR", m_dir.Path().c_str(), 1);
    ASSERT_EQ(DLLInitialize(1), 0u);
    m_engine = static_cast<ScriptEngine*>(ScriptEngine::Create());
  }
  void TearDown() override {
    m_engine.Clear();
    DLLDeInitialize(1);
  }
  int Run(const char* text) {
    int errors = -1;
    Parser::ParseText(m_engine, String(text), String("t.bs"), kParseQuiet, &errors);
    return errors;
  }
  ScriptObject* Named(const char* name) { return m_engine->GetNamespace()->FindObject(String(name)); }

  TempDir m_dir;
  Obj<ScriptEngine> m_engine;
};

TEST_F(EngineScriptTest, EachTypedStreamTakesItsWholeArrayFromAScript) {
  ASSERT_EQ(Run("VertexDataF32:f.{ .Usage 0x10002u; .DataArray F32[0.5, 1.5]; };\n"
                "VertexDataVector2f:v2.DataArray [(0, 1), (1, 1)];\n"
                "VertexDataVector3f:v3.DataArray [(1, 2, 3)];\n"
                "VertexDataVector3f:v3.DataArray += [(4, 5, 6)];\n"
                "VertexDataVector4f:v4.DataArray [(1, 0, 0, 1)];\n"
                "VertexDataMatrix4f:m.DataArray [(1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1, 0, 5, 6, 7, 1)];\n"),
            0);
  ScriptObject* f = Named("f");
  ASSERT_NE(f, nullptr);
  EXPECT_EQ(f->GetClassID(), FindClassID("VertexDataF32"));
  EXPECT_EQ(MemberGet<VU32>(f, 0x01FFF0A0), 0x10002u);
  Array<float> fa = MemberGetArray<VF32>(f, 0x01FFF0A1);
  ASSERT_EQ(fa.Count(), 2);
  EXPECT_EQ(fa[1], 1.5f);
  Array<Vector2f> v2 = MemberGetArray<VVector2f>(Named("v2"), 0x01FFF0A2);
  ASSERT_EQ(v2.Count(), 2);
  EXPECT_EQ(v2[1].x, 1.0f);
  EXPECT_EQ(MemberGet<VU32>(Named("v2"), 0x01FFF0A0), 0u);
  Array<Vector3f> v3 = MemberGetArray<VVector3f>(Named("v3"), 0x01FFF0A3);
  ASSERT_EQ(v3.Count(), 2);
  EXPECT_EQ(v3[0].z, 3.0f);
  EXPECT_EQ(v3[1].x, 4.0f);
  EXPECT_EQ(MemberGetArray<VVector4f>(Named("v4"), 0x01FFF0A4)[0].w, 1.0f);
  Array<Matrix4f> m = MemberGetArray<VMatrix4f>(Named("m"), 0x01FFF0A5);
  ASSERT_EQ(m.Count(), 1);
  EXPECT_EQ(m[0].m[13], 6.0f);
  // An array of another element type is refused and leaves the stream as it was.
  EXPECT_GT(Run("VertexDataF32:f.DataArray [(1, 2)];"), 0);
  EXPECT_EQ(MemberGetArray<VF32>(f, 0x01FFF0A1).Count(), 2);
}

TEST_F(EngineScriptTest, FileNameKeepsTheFolderOfTheScriptThatSetIt) {
  EXPECT_EQ(Run("FileObject:top.FileName 'top.png';"), 0);
  {
    ReadPathScope scope(String("levels"));  // as the host and LoadFile do around a script of that folder
    EXPECT_EQ(Run("FileObject:sky.FileName 'sky.png';"), 0);
  }
  ScriptObject* sky = Named("sky");
  ScriptObject* top = Named("top");
  ASSERT_TRUE(sky->IsA(FileObject_I::kClassId) && top->IsA(FileObject_I::kClassId));
  EXPECT_EQ(MemberGet<VString>(sky, kMemberFileObjectFileName).View(), "sky.png");
  EXPECT_EQ(static_cast<FileObject_I*>(sky)->GetReadPath().View(), "levels/");
  EXPECT_EQ(static_cast<FileObject_I*>(top)->GetReadPath().View(), "");
}

}  // namespace
}  // namespace PM::Test
