// pm-run --view FILE alone opens its window where there is a display, as other model viewers do; closing
// it ends the run well.
#include <cstdio>
#include <string>
#include <tuple>

#include "PmRunWindow.h"

namespace PM::Test {
namespace {

constexpr const char* kTitle = "pm-run view opens test";

class ModelViewOpensTest : public PmRunWindow {};

TEST_F(ModelViewOpensTest, ViewAloneOpensTheWindow) {
  WriteFile(m_dir.File("a.obj"), "v 0 0 0\nv 1 0 0\nv 0 1 0\nf 1 2 3\n");
  WriteFile(m_dir.File("then.bs"), "pl 'closed';\n");
  Start({"--view", m_dir.File("a.obj"), "-e", std::string("RenderPipe:Pipe.WindowTitle '") + kTitle + "';", "--then",
         m_dir.File("then.bs")});
  ASSERT_TRUE(FindWindow(kTitle)) << Err();
  Settle();
  Close();
  ASSERT_EQ(Wait(), 0) << Err();
  EXPECT_EQ(Out().substr(Out().find('\n') + 1), "closed\n");
  EXPECT_EQ(Err(), "");
}

// With several files the up key turns every model, and they stand side by side again. As the files have
// them a spans 0 to 1 along X, b 0 to 2, and the gap is a tenth of b's height, 3: b stands at 1.3. Two
// presses turn the files' X up, and their Y (a 1 to 2, b 0 to 3) along X: b then stands at 2.3.
TEST_F(ModelViewOpensTest, TheUpKeyTurnsEveryModelOfTheRow) {
  WriteFile(m_dir.File("a.obj"), "v 0 1 0\nv 1 1 0\nv 1 2 0\nv 0 2 0\nf 1 2 3 4\n");
  WriteFile(m_dir.File("b.obj"), "v 0 0 0\nv 2 0 0\nv 2 3 1\nv 0 3 1\nf 1 2 3 4\n");
  WriteFile(m_dir.File("then.bs"),
            "pl TTransform:ModelUp.SNode?.Rotation? ' ' TTransform:ModelUp_2.SNode?.Rotation?;\n"
            "pl STransform:SviewPlace1.Translation?;\n");
  Start({"--view", m_dir.File("a.obj"), m_dir.File("b.obj"), "-e",
         std::string("RenderPipe:Pipe.WindowTitle '") + kTitle + "'; pl STransform:SviewPlace1.Translation?;", "--then",
         m_dir.File("then.bs")});
  ASSERT_TRUE(FindWindow(kTitle)) << Err();
  Settle();
  Type(XK_u);
  Type(XK_u);
  Settle();
  Close();
  ASSERT_EQ(Wait(), 0) << Err();
  const std::string out = Out();
  const size_t lines = out.find('\n', out.find('\n') + 1) + 1;  // after the two summary lines
  float before = 0, after = 0, ax = 0, ay = 0, az = 0, bx = 1, by = 1, bz = 1;
  ASSERT_EQ(std::sscanf(out.c_str() + lines, "(%f,0.,0.)\n(%f,%f,%f) (%f,%f,%f)\n(%f,0.,0.)", &before, &ax, &ay, &az,
                        &bx, &by, &bz, &after),
            8)
      << out;
  EXPECT_NEAR(before, 1.3f, 1e-5f) << out;
  EXPECT_EQ(std::make_tuple(ax, ay, az), std::make_tuple(bx, by, bz));
  EXPECT_NE(std::make_tuple(ax, ay, az), std::make_tuple(0.f, 0.f, 0.f));
  EXPECT_NEAR(after, 2.3f, 1e-5f) << out;
}

// --frames and --list keep it shut: they ask for something else.
TEST_F(ModelViewOpensTest, FramesAndListDrawNoWindow) {
  WriteFile(m_dir.File("a.obj"), "v 0 0 0\nv 1 0 0\nv 0 1 0\nf 1 2 3\n");
  Start({"--view", m_dir.File("a.obj"), "--list"});
  ASSERT_EQ(Wait(), 0) << Err();
  EXPECT_EQ(Out().rfind(m_dir.File("a.obj") + ": 2 nodes", 0), 0u) << Out();
}

}  // namespace
}  // namespace PM::Test
