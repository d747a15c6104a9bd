// pm-run --view FILE alone opens its window where there is a display, as other model viewers do; closing
// it ends the run well.
#include <string>

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

// --frames, --list and --screenshot keep it shut: they ask for something else.
TEST_F(ModelViewOpensTest, FramesAndListDrawNoWindow) {
  WriteFile(m_dir.File("a.obj"), "v 0 0 0\nv 1 0 0\nv 0 1 0\nf 1 2 3\n");
  Start({"--view", m_dir.File("a.obj"), "--list"});
  ASSERT_EQ(Wait(), 0) << Err();
  EXPECT_EQ(Out().rfind(m_dir.File("a.obj") + ": 2 nodes", 0), 0u) << Out();
}

}  // namespace
}  // namespace PM::Test
