// The face-generation front end: loading the module (missing, without its factory, present), the
// generator's prepare with the script's file paths, control vectors, the named controls and their
// index bounds, the generator slots, and the module object's lifetime.
#include "FaceGenWorld.h"
#include "script/object/MemberAccess.h"
#include "storage/Storage.h"

namespace PM::Test {
namespace {

using FaceGen = FaceGenWorld;

constexpr uint32_t kSym = 0x05FFF0FF, kAsym = 0x06FFF0FF, kAge = 0x08FFF0FF, kRace = 0x0BFFF0FF, kShape = 0x0CFFF0FF;

std::vector<float> Floats(const Array<float>& a) { return std::vector<float>(a.begin(), a.end()); }

TEST_F(FaceGen, WithoutTheModuleNothingReachesIt) {
  struct Case {
    const char* dir;  // PM_MODULE_DIR, null for none
    const char* log;
  };
  const Case cases[] = {
      {nullptr, "Error FaceGenModule::CreateFaceGenModule(\"Pelmora010276FG.DLL\"): DLL load failed.\n"},
      {PM_FACEGEN_BARE_DIR,
       "Error FaceGenModule::CreateFaceGenModule(\"Pelmora010276FG.DLL\"): function unresolved.\n"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.log);
    if (c.dir) setenv("PM_MODULE_DIR", c.dir, 1);
    Obj<VertexGeneratorFG_I> v(static_cast<VertexGeneratorFG_I*>(ScriptObject::Create(VertexGeneratorFG_I::kClassId)));
    Logged();
    EXPECT_EQ(v->Prepare(), 0x80000001u);
    EXPECT_EQ(Logged(), c.log);
    EXPECT_EQ(v->GetModule(), nullptr);

    Array<Vector3f> positions{{1, 2, 3}}, out{{0, 0, 0}};
    EXPECT_EQ(v->Generate(&positions), 0x8000000Bu);
    EXPECT_EQ(v->Apply(&positions), 0x8000000Bu);
    EXPECT_EQ(v->Operation4(&positions), 0x8000000Bu);
    EXPECT_EQ(v->Operation5(&positions), 0x8000000Bu);
    EXPECT_EQ(v->GenerateInto(&positions, &out), 0x8000000Bu);
    EXPECT_EQ(out.Count(), 0);  // emptied before the module is asked
    EXPECT_EQ(positions[0], (Vector3f{1, 2, 3}));

    MemberSetAt<VF32>(v, kAge, 2, 1.5f);
    EXPECT_EQ(MemberGetAt<VF32>(v, kAge, 2), 0.0f);
    EXPECT_EQ(MemberSize(v, kAge), 5);
    EXPECT_EQ(MemberSize(v, kRace), 25);
    EXPECT_EQ(MemberSize(v, kShape), 0);
    MemberSetArray<VF32>(v, kSym, Array<float>{1, 2, 3, 4, 5, 6, 7, 8, 9, 10});
    EXPECT_EQ(Floats(MemberGetArray<VF32>(v, kAsym)), std::vector<float>(10, 0.0f));
    MemberSetArray<VF32>(v, kAsym, Array<float>{1, 2});
    EXPECT_EQ(Floats(MemberGetArray<VF32>(v, kSym)), (std::vector<float>{1, 2}));
    EXPECT_EQ(Logged(), "");
  }
}

TEST_F(FaceGen, PrepareLoadsTheScriptsFilesByTheirFullPaths) {
  ASSERT_TRUE(UseModule());
  CopyData();
  const String folder(m_dir.Path().c_str());
  const String saved = Storage::PushReadPath(folder);
  VertexGeneratorFG_I* v = Generator();
  Storage::RestoreReadPath(saved);
  ASSERT_TRUE(v);
  Calls();
  EXPECT_EQ(v->Prepare(), 0u);
  const std::string d = m_dir.Path() + "/";
  EXPECT_EQ(Calls(), "2(" + d + "face.fgm," + d + "face.fgx)\n1(" + d + "face.fgd)\n5\n0(" + d + "face.fgc)\n");
  // The data file's controls came back into the members.
  EXPECT_EQ(Floats(v->m_symmetricControl), (std::vector<float>{0.5f, 0, 0, 0, 0, 0.25f}));
  EXPECT_EQ(MemberGetAt<VF32>(v, kAge, 0), 0.5f);
  EXPECT_EQ(MemberSize(v, kShape), 3);
  EXPECT_EQ(Logged(), "");

  // Without the match file only the mesh's; named while another folder was read, the files are
  // looked for there and the module refuses them.
  Obj<VertexGeneratorFG_I> w = Parse<VertexGeneratorFG_I>(
      "FileObject:gm . { .FileName \"face.fgm\"; };\nVertexGeneratorFG:w . { .MeshFileObject FileObject:gm; };\n", "w");
  Calls();
  EXPECT_EQ(w->Prepare(), 0u);
  EXPECT_EQ(Calls(), "2(face.fgm,) failed\n");
}

TEST_F(FaceGen, ControlsReachTheModuleWithinTheirBounds) {
  ASSERT_TRUE(UseModule());
  Obj<VertexGeneratorFG_I> v(static_cast<VertexGeneratorFG_I*>(ScriptObject::Create(VertexGeneratorFG_I::kClassId)));
  MemberSetArray<VF32>(v, kSym, Array<float>{0, 0, 0, 0, 0, 0, 0, 0, 0, 0});
  Calls();
  ASSERT_EQ(v->Prepare(), 0u);
  EXPECT_EQ(Calls(), "4(10,10)\n");  // controls set before the module existed are handed over

  MemberSetArray<VF32>(v, kSym, Array<float>{1, 2, 3, 4, 5, 6, 7, 8, 9, 10});
  EXPECT_EQ(Floats(v->m_asymmetricControl), std::vector<float>(10, 0.0f));
  EXPECT_EQ(Calls(), "4(10,10)\n");

  struct Case {
    uint32_t member;
    int32_t index;
    const char* calls;  // of a set
  };
  const Case cases[] = {
      {kAge, 2, "7(2,0.75)\n5\n"},        {kAge, 5, ""},   {kAge, -1, ""},      {0x09FFF0FF, 4, "9(4,0.75)\n5\n"},
      {0x0AFFF0FF, 0, "11(0,0.75)\n5\n"}, {kRace, 6, ""},                        // row 1, column 1: the diagonal
      {kRace, 7, "13(2,1,0.75)\n5\n"},    {kRace, 25, ""}, {kShape, 0, "14\n"},  // the module reports no shapes
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::Message() << std::hex << c.member << std::dec << "[" << c.index << "]");
    MemberSetAt<VF32>(v, c.member, c.index, 0.75f);
    EXPECT_EQ(Calls(), c.calls);
    const float read = MemberGetAt<VF32>(v, c.member, c.index);
    EXPECT_EQ(read, *c.calls && c.member != kShape ? 0.75f : 0.0f);
    Calls();
  }
  // A set is read back into the control vectors.
  EXPECT_EQ(v->m_symmetricControl[2], 0.75f);
  EXPECT_EQ(v->m_symmetricControl[15 + 1 * 5 + 2], 0.75f);
  EXPECT_EQ(v->m_asymmetricControl.Count(), v->m_symmetricControl.Count());
  EXPECT_EQ(Logged(), "");
}

TEST_F(FaceGen, GeneratorSlotsDriveTheModuleAndItsObjectDiesWithTheGenerator) {
  ASSERT_TRUE(UseModule());
  const int before = LiveModules();
  Obj<VertexGeneratorFG_I> v(static_cast<VertexGeneratorFG_I*>(ScriptObject::Create(VertexGeneratorFG_I::kClassId)));
  ASSERT_EQ(v->Prepare(), 0u);
  EXPECT_EQ(LiveModules(), before + 1);
  MemberSetAt<VF32>(v, kAge, 0, 1.0f);
  MemberSetArray<VF32>(v, kAsym, Array<float>{1.0f});  // the symmetric vector shrinks to Age[0] alone
  Calls();

  Array<Vector3f> positions{{0, 0, 0}, {1, 1, 1}};
  EXPECT_EQ(v->Generate(&positions), 0u);
  EXPECT_EQ(Calls(), "3(2,displaced)\n");
  ASSERT_EQ(v->GetVertices().Count(), 2);
  const float d = v->m_symmetricControl[0] + 0.5f * v->m_asymmetricControl[0];
  EXPECT_EQ(v->GetVertices()[1], (Vector3f{1, 1, 1 + d}));
  EXPECT_EQ(positions[1], (Vector3f{1, 1, 1}));

  // 20 doubles the controls, 17 writes the vertices for them onto the positions, 19 clears them.
  EXPECT_EQ(v->Operation5(nullptr), 0u);
  EXPECT_EQ(v->Apply(&positions), 0u);
  EXPECT_EQ(positions[1], (Vector3f{1, 1, 1 + 2 * d}));
  EXPECT_EQ(v->Operation4(nullptr), 0u);
  EXPECT_EQ(Floats(v->m_symmetricControl), std::vector<float>(v->m_symmetricControl.Count(), 0.0f));
  EXPECT_EQ(Calls(), "20\n5\n17(2,2)\n19\n5\n");

  MemberSet<VBool>(v, 0x07FFF0FF, true);
  Array<Vector3f> out;
  MemberSetAt<VF32>(v, kAge, 0, 3.0f);
  EXPECT_EQ(v->GenerateInto(&positions, &out), 0u);
  EXPECT_EQ(out[0], positions[0]);  // original vertices are not displaced

  v.Clear();
  EXPECT_EQ(LiveModules(), before);
  EXPECT_EQ(Logged(), "");
}

}  // namespace
}  // namespace PM::Test
